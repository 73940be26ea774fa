/* install_support.h - what the installation tests share: fonts the system does not
 * list yet, their records, snapshots of the Fonts folder and the registry's font
 * lists, a look at the registry from another process, the clean-up that gives the
 * test prefix back as it was, and a watchdog for dialogs a broken test leaves open.
 *
 * Wine lists every font of the Debian packages already (through fontconfig), so the
 * tests install copies of real DejaVu files whose 'name' strings carry a six-letter
 * family prefix of the test program's own ("ZvInst Sans Mono" for "DejaVu Sans
 * Mono", file "ZvInstSansMono-Bold.ttf").  The clean-up touches nothing else. */
#ifndef ZENVRIX_TEST_INSTALL_SUPPORT_H
#define ZENVRIX_TEST_INSTALL_SUPPORT_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "install/install.h"

namespace installtest {

const char kFontKeyNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kFontKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";

/* Three families of four files each, in the order a face-name sort gives them. */
enum { SANS = 0, MONO = 4, SERIF = 8, TEST_FONT_COUNT = 12 };

struct TestFont {
    std::string fileSuffix;   /* "SansMono-Bold.ttf"; the source is "DejaVu" + this */
    std::string familySuffix; /* " Sans Mono" (name id 1) */
    std::string subfamily;    /* "Bold" (name id 2) */
    std::string fullSuffix;   /* " Sans Mono Bold" (name id 4) */
};

/* Book, Bold, slanted, bold slanted of Sans, Sans Mono and Serif. */
inline TestFont TestFontAt(int index)
{
    static const char *const stems[] = {"Sans", "SansMono", "Serif"};
    static const char *const families[] = {" Sans", " Sans Mono", " Serif"};
    static const char *const slants[] = {"Oblique", "Oblique", "Italic"};
    const int family = index / 4, style = index % 4;
    const std::string slant = slants[family];
    const std::string fileStyles[] = {"", "-Bold", "-" + slant, "-Bold" + slant};
    const std::string subfamilies[] = {"Book", "Bold", slant, "Bold " + slant};
    return {stems[family] + fileStyles[style] + ".ttf", families[family], subfamilies[style],
            families[family] + (style == 0 ? "" : " " + subfamilies[style])};
}

inline std::string ReadWholeFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return bool(out.write(bytes.data(), (std::streamsize)bytes.size()).flush());
}

inline bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

/* Replaces "DejaVu" by the prefix (six letters too) in every string of the 'name'
 * table, 8-bit and UTF-16BE alike; nothing else of the file changes. */
inline bool RenameFamily(std::string &bytes, const std::string &prefix)
{
    const std::string from = "DejaVu";
    if (prefix.size() != from.size() || bytes.size() < 12)
        return false;
    size_t tables = ((unsigned char)bytes[4] << 8) | (unsigned char)bytes[5];
    for (size_t i = 0; i < tables && 12 + 16 * (i + 1) <= bytes.size(); i++) {
        size_t entry = 12 + 16 * i;
        if (bytes.compare(entry, 4, "name") != 0)
            continue;
        size_t offset = 0, length = 0;
        for (size_t k = 0; k < 4; k++) {
            offset = (offset << 8) | (unsigned char)bytes[entry + 8 + k];
            length = (length << 8) | (unsigned char)bytes[entry + 12 + k];
        }
        if (offset > bytes.size() || length > bytes.size() - offset)
            return false;
        for (size_t at = offset; at + from.size() <= offset + length; at++) {
            if (bytes.compare(at, from.size(), from) == 0)
                bytes.replace(at, from.size(), prefix);
            bool wide = at + 2 * from.size() <= offset + length; /* UTF-16BE */
            for (size_t k = 0; k < from.size() && wide; k++)
                wide = bytes[at + 2 * k] == 0 && bytes[at + 2 * k + 1] == from[k];
            for (size_t k = 0; wide && k < from.size(); k++)
                bytes[at + 2 * k + 1] = prefix[k];
        }
        return true;
    }
    return false;
}

/* The folder with the renamed copies of all twelve fonts, made once per run. */
inline std::string TestFontFolder(const std::string &prefix)
{
    static std::map<std::string, std::string> made;
    if (made.count(prefix))
        return made[prefix];
    std::string folder = TempTestDir(prefix + "Fonts");
    for (int i = 0; i < TEST_FONT_COUNT; i++) {
        const TestFont font = TestFontAt(i);
        std::string bytes =
            ReadWholeFile(RealFont("/usr/share/fonts/truetype/dejavu/DejaVu" + font.fileSuffix));
        if (bytes.empty() || !RenameFamily(bytes, prefix) ||
            !WriteWholeFile(folder + prefix + font.fileSuffix, bytes))
            return "";
    }
    return made[prefix] = folder;
}

inline std::string TestFileName(const std::string &prefix, int index)
{
    return prefix + TestFontAt(index).fileSuffix;
}

inline std::string TestFullName(const std::string &prefix, int index)
{
    return prefix + TestFontAt(index).fullSuffix;
}

/* The record the folder scan makes of a test font. */
inline FontRecord TestRecord(const std::string &prefix, int index)
{
    const TestFont font = TestFontAt(index);
    FontRecord record;
    ZeroMemory(&record, sizeof record);
    auto copy = [](char *member, size_t size, const std::string &text) {
        snprintf(member, size, "%s", text.c_str());
    };
    const std::string full = TestFullName(prefix, index);
    const bool bold = font.subfamily.find("Bold") != std::string::npos;
    copy(record.logFont.lfFaceName, sizeof record.logFont.lfFaceName, prefix + font.familySuffix);
    record.logFont.lfWeight = bold ? 700 : 400;
    record.logFont.lfItalic = index % 4 >= 2;
    record.logFont.lfCharSet = DEFAULT_CHARSET;
    record.fontType = TRUETYPE_FONTTYPE;
    copy(record.fileName, sizeof record.fileName, TestFileName(prefix, index));
    copy(record.filePath, sizeof record.filePath, TestFontFolder(prefix) + record.fileName);
    copy(record.copyright, sizeof record.copyright,
         "Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved.");
    copy(record.fontSubfamily, sizeof record.fontSubfamily, font.subfamily);
    copy(record.fontIdentifier, sizeof record.fontIdentifier, full);
    copy(record.fullFontName, sizeof record.fullFontName, full);
    copy(record.version, sizeof record.version, "Version 2.37");
    record.boldFlag = bold ? 32 : 0;
    return record;
}

/* Puts whole copies of the records into a list, which then owns them. */
inline void FillList(FontList *list, const std::vector<FontRecord> &records)
{
    FreeFontList(list);
    if (records.empty())
        return;
    list->records = (FontRecord **)malloc(records.size() * sizeof(FontRecord *));
    for (size_t i = 0; i < records.size(); i++) {
        list->records[i] = (FontRecord *)malloc(sizeof(FontRecord));
        *list->records[i] = records[i];
    }
    list->count = (int)records.size();
}

/* ---- what the system holds ---- */

inline std::string FontsFolder(void)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\Fonts\\";
}

/* The Fonts folder as seen from Linux, in the prefix's drive_c: where the copy
 * must land whatever the program's own view of C: says. */
inline std::string PrefixFontsFolder(void)
{
    const char *prefix = getenv("WINEPREFIX");
    return prefix == NULL ? FontsFolder()
                          : UnixToWindowsPath(prefix) + "\\drive_c\\windows\\Fonts\\";
}

/* Every file of a folder with its size. */
inline std::map<std::string, DWORD> FolderListing(const std::string &folder)
{
    std::map<std::string, DWORD> listing;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return listing;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            listing[name] = entry.nFileSizeLow;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return listing;
}

/* Every value of a key under HKEY_LOCAL_MACHINE with its data (a string's up to
 * its end). */
inline std::map<std::string, std::string> RegistryValues(const char *keyPath)
{
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    char name[1024];
    BYTE data[2048];
    for (DWORD i = 0, status = 0; status != ERROR_NO_MORE_ITEMS; i++) {
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        status = RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize);
        if (status != ERROR_SUCCESS)
            continue;
        data[dataSize] = 0;
        values[name] = type == REG_SZ ? std::string((const char *)data)
                                      : std::string((const char *)data, dataSize);
    }
    RegCloseKey(key);
    return values;
}

/* The data of one value, or "(none)" when it is absent. */
inline std::string RegistryValue(const char *keyPath, const std::string &name)
{
    std::map<std::string, std::string> values = RegistryValues(keyPath);
    return values.count(name) ? values[name] : "(none)";
}

/* What another program sees of one value: "reg query" in a process of its own.
 * Returns the data after "REG_SZ" on the value's line, or "(none)". */
inline std::string RegistryValueSeenFromOutside(const char *keyPath, const std::string &name)
{
    std::string output, head = name + "    REG_SZ    ";
    FILE *reg = _popen(("reg.exe query \"HKLM\\" + std::string(keyPath) + "\" /v \"" + name + "\"").c_str(), "r");
    char line[2048];
    while (reg != NULL && fgets(line, sizeof line, reg) != NULL)
        output += line;
    if (reg != NULL)
        _pclose(reg);
    size_t at = output.find(head);
    if (at == std::string::npos)
        return "(none)";
    std::string data = output.substr(at + head.size());
    data = data.substr(0, data.find_first_of("\r\n"));
    return data.substr(0, data.find_last_not_of(' ') + 1);
}

static inline int CALLBACK NoteFamily(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    *(int *)found = 1;
    return 0;
}

/* 1 when EnumFontFamiliesA lists a family of that name. */
inline int FamilyListed(const std::string &family)
{
    int found = 0;
    HDC dc = GetDC(NULL);
    EnumFontFamiliesA(dc, family.c_str(), (FONTENUMPROCA)NoteFamily, (LPARAM)&found);
    ReleaseDC(NULL, dc);
    return found;
}

/* Gives the prefix back without any test font of this program: font resources,
 * registry values in both font lists, copies in the Fonts folder. */
inline void RemoveTestFonts(const std::string &prefix, const std::vector<std::string> &extraFolders =
                                                           std::vector<std::string>())
{
    std::vector<std::string> folders = extraFolders;
    folders.push_back(FontsFolder());
    folders.push_back(TestFontFolder(prefix));
    for (int i = 0; i < TEST_FONT_COUNT; i++) {
        for (const std::string &folder : folders)
            for (int n = 0; n < 16 && RemoveFontResourceA((folder + TestFileName(prefix, i)).c_str()); n++) {
            }
        for (const char *keyPath : {kFontKeyNt, kFontKey}) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, (TestFullName(prefix, i) + " (TrueType)").c_str());
                RegCloseKey(key);
            }
        }
        std::string copy = FontsFolder() + TestFileName(prefix, i);
        SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(copy.c_str());
    }
}

/* ---- WM_FONTCHANGE at the main window ---- */

/* Counts WM_FONTCHANGE arriving at the main window while it lives, and notes
 * ownFontChange as it was then. */
struct FontChangeCounter {
    static inline int seenCount, ownFlagThen;
    static inline HHOOK hook;
    static LRESULT CALLBACK Note(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *message = (const CWPSTRUCT *)lParam;
        if (code == HC_ACTION && message->message == WM_FONTCHANGE && message->hwnd == mainWindow)
            ownFlagThen = (seenCount++, shell.ownFontChange);
        return CallNextHookEx(hook, code, wParam, lParam);
    }
    FontChangeCounter() : hook_(hook = SetWindowsHookExA(WH_CALLWNDPROC, Note, NULL, GetCurrentThreadId()))
    {
        seenCount = 0;
        ownFlagThen = -1;
    }
    ~FontChangeCounter() { UnhookWindowsHookEx(hook_); }
    int seen() const { return seenCount; }
    int ownFlag() const { return ownFlagThen; }
    HHOOK hook_;
};

/* ---- a watchdog for dialogs ---- */

/* Ends every dialog and message box of this thread that is still open when the
 * timer fires, so a broken dialog procedure fails the test instead of hanging it. */
struct Watchdog {
    static inline int fired;
    static BOOL CALLBACK EndOne(HWND window, LPARAM)
    {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
            fired++;
            EndDialog(window, IDCANCEL);
        }
        return TRUE;
    }
    static void CALLBACK Bark(HWND, UINT, UINT_PTR, DWORD)
    {
        EnumThreadWindows(GetCurrentThreadId(), EndOne, 0);
    }
    UINT_PTR timer;
    explicit Watchdog(UINT milliseconds) : timer(SetTimer(NULL, 0, milliseconds, Bark)) { fired = 0; }
    ~Watchdog() { KillTimer(NULL, timer); }
};

/* ---- the running program with a prefix free of one set of test fonts ---- */

/* Every test starts and ends with none of the prefix's test fonts installed; the
 * Fonts folder and the first font list are noted after the start. */
class ProgramWithTestFonts : public RunningProgram {
protected:
    explicit ProgramWithTestFonts(const char *prefix) : prefix(prefix) {}
    void SetUp() override
    {
        ASSERT_NE("", TestFontFolder(prefix)) << "the DejaVu fonts are missing";
        RemoveTestFonts(prefix);
        RunningProgram::SetUp();
        fontsBefore = FolderListing(FontsFolder());
        ntValuesBefore = RegistryValues(kFontKeyNt);
        valuesBefore = RegistryValues(kFontKey);
    }
    void TearDown() override
    {
        EXPECT_EQ(0, Watchdog::fired) << "a dialog was left open";
        RunningProgram::TearDown();
        RemoveTestFonts(prefix, extraFolders);
    }

    std::string FileName(int index) const { return TestFileName(prefix, index); }
    std::string FullName(int index) const { return TestFullName(prefix, index); }
    std::string ValueName(int index) const { return FullName(index) + " (TrueType)"; }
    FontRecord Record(int index) const { return TestRecord(prefix, index); }
    std::vector<FontRecord> Records(int first, int count) const
    {
        std::vector<FontRecord> records;
        for (int i = first; i < first + count; i++)
            records.push_back(Record(i));
        return records;
    }
    /* IsFontInstalled, the program's own test, for a full name. */
    static bool Installed(const std::string &fullName)
    {
        HDC dc = GetDC(NULL);
        int listed = IsFontInstalled(dc, fullName.c_str());
        ReleaseDC(NULL, dc);
        return listed == 1;
    }
    bool Listed(int index) const { return Installed(FullName(index)); }

    std::string prefix;
    std::map<std::string, DWORD> fontsBefore;
    std::map<std::string, std::string> ntValuesBefore, valuesBefore;
    std::vector<std::string> extraFolders;
};

} // namespace installtest

#endif
