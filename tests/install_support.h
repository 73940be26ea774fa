/* install_support.h - what the installation tests (install_test.cpp,
 * installdlg_test.cpp) share: fonts the system does not list yet, their records,
 * snapshots of the Fonts folder and of the registry's font lists, a look at the
 * registry from another process, the clean-up that gives the test prefix back as
 * it was, and a watchdog that ends dialogs a broken test would leave open.
 *
 * Wine lists every font of the Debian packages already (it reads them through
 * fontconfig), so the tests install copies of real DejaVu files whose names in the
 * 'name' table are changed to a six-letter family prefix of the test program's
 * own ("ZvInst Sans Mono" for "DejaVu Sans Mono"); file names change alike
 * ("ZvInstSansMono-Bold.ttf").  Everything a test installs carries that prefix,
 * so the clean-up never touches anything else. */
#ifndef ZENVRIX_TEST_INSTALL_SUPPORT_H
#define ZENVRIX_TEST_INSTALL_SUPPORT_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"

namespace installtest {

const char kFontKeyNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char kFontKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";

/* One DejaVu file and what its copy is called; every name is the prefix followed
 * by the suffix given here. */
struct TestFont {
    const char *source;       /* file of fonts-dejavu-core / fonts-dejavu-extra */
    const char *fileSuffix;   /* "SansMono-Bold.ttf" */
    const char *familySuffix; /* " Sans Mono" (name id 1) */
    const char *subfamily;    /* name id 2 */
    const char *fullSuffix;   /* " Sans Mono Bold" (name id 4) */
};

/* Three families of four files each, in the order a face-name sort gives them. */
enum { SANS = 0, MONO = 4, SERIF = 8, TEST_FONT_COUNT = 12 };

inline const TestFont &TestFontAt(int index)
{
    static const TestFont fonts[TEST_FONT_COUNT] = {
        {"DejaVuSans.ttf", "Sans.ttf", " Sans", "Book", " Sans"},
        {"DejaVuSans-Bold.ttf", "Sans-Bold.ttf", " Sans", "Bold", " Sans Bold"},
        {"DejaVuSans-Oblique.ttf", "Sans-Oblique.ttf", " Sans", "Oblique", " Sans Oblique"},
        {"DejaVuSans-BoldOblique.ttf", "Sans-BoldOblique.ttf", " Sans", "Bold Oblique",
         " Sans Bold Oblique"},
        {"DejaVuSansMono.ttf", "SansMono.ttf", " Sans Mono", "Book", " Sans Mono"},
        {"DejaVuSansMono-Bold.ttf", "SansMono-Bold.ttf", " Sans Mono", "Bold",
         " Sans Mono Bold"},
        {"DejaVuSansMono-Oblique.ttf", "SansMono-Oblique.ttf", " Sans Mono", "Oblique",
         " Sans Mono Oblique"},
        {"DejaVuSansMono-BoldOblique.ttf", "SansMono-BoldOblique.ttf", " Sans Mono",
         "Bold Oblique", " Sans Mono Bold Oblique"},
        {"DejaVuSerif.ttf", "Serif.ttf", " Serif", "Book", " Serif"},
        {"DejaVuSerif-Bold.ttf", "Serif-Bold.ttf", " Serif", "Bold", " Serif Bold"},
        {"DejaVuSerif-Italic.ttf", "Serif-Italic.ttf", " Serif", "Italic", " Serif Italic"},
        {"DejaVuSerif-BoldItalic.ttf", "Serif-BoldItalic.ttf", " Serif", "Bold Italic",
         " Serif Bold Italic"},
    };
    return fonts[index];
}

inline std::string ReadWholeFile(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, NULL);
    if (size != INVALID_FILE_SIZE) {
        bytes.resize(size);
        DWORD read = 0;
        if (size > 0 && !ReadFile(file, &bytes[0], size, &read, NULL))
            read = 0;
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

inline bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

inline bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static inline unsigned ReadU32(const std::string &bytes, size_t at)
{
    return ((unsigned)(unsigned char)bytes[at] << 24) | ((unsigned)(unsigned char)bytes[at + 1] << 16) |
           ((unsigned)(unsigned char)bytes[at + 2] << 8) | (unsigned)(unsigned char)bytes[at + 3];
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
        size_t offset = ReadU32(bytes, entry + 8);
        size_t length = ReadU32(bytes, entry + 12);
        if (offset > bytes.size() || length > bytes.size() - offset)
            return false;
        for (size_t at = offset; at + from.size() <= offset + length; at++)
            if (bytes.compare(at, from.size(), from) == 0)
                bytes.replace(at, from.size(), prefix);
        for (size_t at = offset; at + 2 * from.size() <= offset + length; at++) {
            bool match = true;
            for (size_t k = 0; k < from.size() && match; k++)
                match = bytes[at + 2 * k] == 0 && bytes[at + 2 * k + 1] == from[k];
            if (match)
                for (size_t k = 0; k < from.size(); k++)
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
        const TestFont &font = TestFontAt(i);
        std::string bytes = ReadWholeFile(
            RealFont(std::string("/usr/share/fonts/truetype/dejavu/") + font.source));
        if (bytes.empty() || !RenameFamily(bytes, prefix) ||
            !WriteWholeFile(folder + prefix + font.fileSuffix, bytes))
            return "";
    }
    made[prefix] = folder;
    return folder;
}

inline std::string TestFileName(const std::string &prefix, int index)
{
    return prefix + TestFontAt(index).fileSuffix;
}

inline std::string TestFullName(const std::string &prefix, int index)
{
    return prefix + TestFontAt(index).fullSuffix;
}

inline void CopyText(char *member, size_t size, const std::string &text)
{
    snprintf(member, size, "%s", text.c_str());
}

/* The record the folder scan makes of a test font. */
inline FontRecord TestRecord(const std::string &prefix, int index)
{
    const TestFont &font = TestFontAt(index);
    FontRecord record;
    ZeroMemory(&record, sizeof record);
    std::string full = TestFullName(prefix, index);
    CopyText(record.logFont.lfFaceName, sizeof record.logFont.lfFaceName,
             prefix + font.familySuffix);
    record.logFont.lfWeight = strstr(font.subfamily, "Bold") != NULL ? 700 : 400;
    record.logFont.lfItalic =
        (strstr(font.subfamily, "Oblique") != NULL || strstr(font.subfamily, "Italic") != NULL);
    record.logFont.lfCharSet = DEFAULT_CHARSET;
    record.fontType = TRUETYPE_FONTTYPE;
    CopyText(record.fileName, sizeof record.fileName, TestFileName(prefix, index));
    CopyText(record.filePath, sizeof record.filePath,
             TestFontFolder(prefix) + TestFileName(prefix, index));
    CopyText(record.copyright, sizeof record.copyright,
             "Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved.");
    CopyText(record.fontSubfamily, sizeof record.fontSubfamily, font.subfamily);
    CopyText(record.fontIdentifier, sizeof record.fontIdentifier, full);
    CopyText(record.fullFontName, sizeof record.fullFontName, full);
    CopyText(record.version, sizeof record.version, "Version 2.37");
    record.boldFlag = record.logFont.lfWeight == 700 ? 32 : 0;
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
    if (prefix == NULL)
        return FontsFolder();
    return UnixToWindowsPath(prefix) + "\\drive_c\\windows\\Fonts\\";
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

/* Every value of a key under HKEY_LOCAL_MACHINE with its data. */
inline std::map<std::string, std::string> RegistryValues(const char *keyPath)
{
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD i = 0;; i++) {
        char name[1024];
        BYTE data[2048];
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        LONG status = RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS)
            continue;
        data[dataSize] = 0;
        values[name] = std::string((const char *)data, dataSize);
    }
    RegCloseKey(key);
    return values;
}

/* The data of one REG_SZ value, or "(none)" when it is absent. */
inline std::string RegistryValue(const char *keyPath, const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    char data[1024];
    DWORD size = sizeof data - 1, type = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), NULL, &type, (BYTE *)data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return "(none)";
    data[size] = 0;
    return data;
}

/* Runs a command line in a child process; returns its exit code and output. */
inline int RunProgram(const std::string &commandLine, std::string *output)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(SECURITY_ATTRIBUTES), NULL, TRUE};
    HANDLE readEnd = NULL, writeEnd = NULL;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    BOOL started = CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL,
                                  NULL, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    output->clear();
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, NULL) && got > 0)
        output->append(chunk, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

/* What another program sees of one value: "reg query" in a process of its own.
 * Returns the line "<name>    REG_SZ    <data>" as reg prints it, or "" when reg
 * finds no such value. */
inline std::string RegistryValueSeenFromOutside(const char *keyPath, const std::string &name)
{
    std::string output;
    int code = RunProgram("reg.exe query \"HKLM\\" + std::string(keyPath) + "\" /v \"" + name + "\"",
                          &output);
    if (code != 0)
        return "";
    size_t at = output.find(name);
    if (at == std::string::npos)
        return "";
    size_t end = output.find_first_of("\r\n", at);
    std::string line = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
    while (!line.empty() && line[line.size() - 1] == ' ')
        line.erase(line.size() - 1);
    return line;
}

inline std::string ValueLineAsRegPrintsIt(const std::string &name, const std::string &data)
{
    return name + "    REG_SZ    " + data;
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
        for (size_t f = 0; f < folders.size(); f++) {
            std::string path = folders[f] + TestFileName(prefix, i);
            for (int n = 0; n < 16 && RemoveFontResourceA(path.c_str()); n++) {
            }
        }
        std::string value = TestFullName(prefix, i) + " (TrueType)";
        const char *keys[2] = {kFontKeyNt, kFontKey};
        for (int k = 0; k < 2; k++) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys[k], 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, value.c_str());
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
    static int &Seen()
    {
        static int seen;
        return seen;
    }
    static int &OwnFlag()
    {
        static int flag;
        return flag;
    }
    static HHOOK &Hook()
    {
        static HHOOK hook;
        return hook;
    }
    static LRESULT CALLBACK Note(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT *message = (const CWPSTRUCT *)lParam;
        if (code == HC_ACTION && message->message == WM_FONTCHANGE && message->hwnd == mainWindow) {
            Seen()++;
            OwnFlag() = shell.ownFontChange;
        }
        return CallNextHookEx(Hook(), code, wParam, lParam);
    }
    FontChangeCounter()
    {
        Seen() = 0;
        OwnFlag() = -1;
        Hook() = SetWindowsHookExA(WH_CALLWNDPROC, Note, NULL, GetCurrentThreadId());
    }
    ~FontChangeCounter()
    {
        UnhookWindowsHookEx(Hook());
    }
    int seen() const { return Seen(); }
    int ownFlag() const { return OwnFlag(); }
};

/* ---- a watchdog for dialogs ---- */

/* Ends every dialog and message box of this thread that is still open when the
 * timer fires, so a broken dialog procedure fails the test instead of hanging it. */
struct Watchdog {
    static int &Fired()
    {
        static int fired;
        return fired;
    }
    static BOOL CALLBACK EndOne(HWND window, LPARAM)
    {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
            Fired()++;
            EndDialog(window, IDCANCEL);
        }
        return TRUE;
    }
    static void CALLBACK Bark(HWND, UINT, UINT_PTR, DWORD)
    {
        EnumThreadWindows(GetCurrentThreadId(), EndOne, 0);
    }
    UINT_PTR timer;
    explicit Watchdog(UINT milliseconds)
    {
        Fired() = 0;
        timer = SetTimer(NULL, 0, milliseconds, Bark);
    }
    ~Watchdog()
    {
        KillTimer(NULL, timer);
    }
};

} // namespace installtest

#endif
