/* dirscan_test.cpp - scanning folders in the running program (names read, subfolders,
 * record order, the progress window, Escape, missing folders, memory running out,
 * paths too long) and the directory commands through the system's open-file dialog. */
#include <gtest/gtest.h>

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include <commctrl.h>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "resources/resource.h"
#include "tests/fontbuilder.h"

namespace {

const char kDirectoryCaption[] = "Select any font in your directory";
const char kProgressCaption[] = "Progress: (press ESC to cancel)";

typedef RunningProgram Scan;

/* A font whose family is its file name, so records tell their files apart. */
void PutFont(const std::string &folder, const std::string &name)
{
    TestFont font;
    font.names = EnglishNames(name, "Regular");
    ASSERT_TRUE(WriteBytes(folder + name, BuildFont(font))) << folder + name;
}

std::string MakeFolder(const std::string &path)
{
    CreateDirectoryA(path.c_str(), NULL);
    return path + "\\";
}

/* ScanFonts on a folder, as UM_RESCAN runs it but without the sort that follows,
 * so the Catalogue holds the records in the order they arrived. */
int ScanFolder(const std::string &folder, int subdirectories)
{
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s", folder.c_str());
    settings.sourceIsDirectory = 1;
    settings.includeSubdirectories = subdirectories;
    HDC dc = GetDC(clientWindow);
    int result = ScanFonts(dc);
    ReleaseDC(clientWindow, dc);
    return result;
}

std::vector<std::string> CataloguePaths(void)
{
    std::vector<std::string> paths;
    for (int i = 0; i < catalogue.count; i++)
        paths.push_back(catalogue.records[i]->filePath);
    return paths;
}

/* The files a depth-first walk meets, in the order the listing gives them. */
void ExpectedWalk(const std::string &folder, bool subdirectories, std::vector<std::string> *paths)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do {
        std::string name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (subdirectories && name != "." && name != "..")
                ExpectedWalk(folder + name + "\\", subdirectories, paths);
            continue;
        }
        size_t dot = name.rfind('.');
        if (dot != std::string::npos && _stricmp(name.c_str() + dot, ".ttf") == 0)
            paths->push_back(folder + name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

std::string TreeWithSubfolders(const std::string &name)
{
    std::string top = TempTestDir(name);
    PutFont(top, "top1.ttf");
    std::string sub1 = MakeFolder(top + "sub1");
    PutFont(sub1, "inner1.ttf");
    std::string deeper = MakeFolder(sub1 + "deeper");
    PutFont(deeper, "deepest.ttf");
    PutFont(deeper, "deepest2.ttf");
    PutFont(top, "top2.ttf");
    std::string sub2 = MakeFolder(top + "sub2");
    PutFont(sub2, "inner2.ttf");
    return top;
}

/* ---- which files, in which order ---- */

TEST_F(Scan, OnlyNamesWhosePartAfterTheLastDotIsTtfAreRead)
{
    std::string folder = TempTestDir("scan_names");
    const char *read[] = {"a.ttf", "B.TTF", "c.Ttf", "g.bak.ttf", ".ttf"};
    const char *passed[] = {"d.ttf.bak", "e.ttfx", "noext", "f.otf", "h.tt"};
    for (const char *name : read)
        PutFont(folder, name);
    for (const char *name : passed)
        PutFont(folder, name);
    std::string directory = MakeFolder(folder + "dir.ttf");
    PutFont(directory, "inside.ttf");

    ASSERT_EQ(1, ScanFolder(folder, 0));
    std::vector<std::string> expected;
    ExpectedWalk(folder, false, &expected);
    EXPECT_EQ(expected, CataloguePaths());
    std::set<std::string> names;
    for (int i = 0; i < catalogue.count; i++) {
        names.insert(catalogue.records[i]->fileName);
        EXPECT_STREQ(catalogue.records[i]->fileName, catalogue.records[i]->logFont.lfFaceName);
    }
    EXPECT_EQ(std::set<std::string>(read, read + 5), names);
}

TEST_F(Scan, SubfoldersAreReadOnlyWhenAskedEachWhollyWhereItsEntryComes)
{
    std::string top = TreeWithSubfolders("scan_tree");
    ASSERT_EQ(1, ScanFolder(top, 0));
    std::vector<std::string> expected;
    ExpectedWalk(top, false, &expected);
    EXPECT_EQ(2u, expected.size());
    EXPECT_EQ(expected, CataloguePaths());

    ASSERT_EQ(1, ScanFolder(top, 1));
    expected.clear();
    ExpectedWalk(top, true, &expected);
    EXPECT_EQ(6u, expected.size());
    EXPECT_EQ(expected, CataloguePaths());
}

TEST_F(Scan, TheSameFontInTwoFoldersGivesTwoRecords)
{
    std::string top = TempTestDir("scan_twice");
    PutFont(MakeFolder(top + "one"), "same.ttf");
    PutFont(MakeFolder(top + "two"), "same.ttf");
    ASSERT_EQ(1, ScanFolder(top, 1));
    std::vector<std::string> expected;
    ExpectedWalk(top, true, &expected);
    ASSERT_EQ(2u, expected.size());
    EXPECT_EQ(expected, CataloguePaths());
}

TEST_F(Scan, AMissingFolderFailsSilentlyAndLeavesTheCatalogueEmpty)
{
    std::string missing = TempTestDir("scan_missing") + "not-there\\";
    EXPECT_EQ(-1, ScanFolder(missing, 1));
    EXPECT_EQ(0, catalogue.count);
    EXPECT_EQ(NULL, catalogue.records);
    /* Through the rescan message the grid is simply empty. */
    SendMessageA(mainWindow, UM_RESCAN, 0, 0);
    EXPECT_EQ(0, catalogue.count);
    EXPECT_EQ(0, displayList.count);
    EXPECT_TRUE(ScriptSeen().empty());
}

TEST_F(Scan, FilesThatAreNotFontsArePassedOverAndTheScanGoesOn)
{
    std::string folder = TempTestDir("scan_bad");
    PutFont(folder, "good1.ttf");
    ASSERT_TRUE(WriteBytes(folder + "empty.ttf", std::vector<uint8_t>()));
    ASSERT_TRUE(WriteBytes(folder + "text.ttf", std::vector<uint8_t>(5000, 'x')));
    PutFont(folder, "good2.ttf");
    ASSERT_EQ(1, ScanFolder(folder, 0));
    EXPECT_EQ(2, catalogue.count);
    EXPECT_TRUE(ScriptSeen().empty());
}

/* ---- the progress window ---- */

struct ProgressLog {
    std::vector<std::string> created;   /* classes of the windows created */
    HWND bar = NULL;
    HWND dialog = NULL;
    int rangeLow = -1, rangeHigh = -1, step = -1;
    std::string caption;
    HWND owner = NULL;
    RECT barRect = {0, 0, 0, 0};
    RECT dialogClient = {0, 0, 0, 0};
    std::vector<int> countAtStep;       /* Catalogue count when each step came */
};
ProgressLog progressLog;
HHOOK progressCbt, progressCalls;

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LRESULT CALLBACK NoteCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        progressLog.created.push_back(ClassOf((HWND)wParam));
    return CallNextHookEx(progressCbt, code, wParam, lParam);
}

LRESULT CALLBACK NoteProgressMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *message = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && ClassOf(message->hwnd) == PROGRESS_CLASSA) {
        progressLog.bar = message->hwnd;
        switch (message->message) {
        case PBM_SETRANGE32:
            progressLog.rangeLow = (int)message->wParam;
            progressLog.rangeHigh = (int)message->lParam;
            break;
        case PBM_SETSTEP:
            progressLog.step = (int)message->wParam;
            break;
        case PBM_STEPIT:
            progressLog.countAtStep.push_back(catalogue.count);
            if (progressLog.countAtStep.size() == 1) {
                HWND dialog = GetParent(message->hwnd);
                progressLog.dialog = dialog;
                progressLog.caption = WindowText(dialog);
                progressLog.owner = GetWindow(dialog, GW_OWNER);
                GetWindowRect(message->hwnd, &progressLog.barRect);
                MapWindowPoints(NULL, dialog, (POINT *)&progressLog.barRect, 2);
                GetClientRect(dialog, &progressLog.dialogClient);
            }
            break;
        }
    }
    return CallNextHookEx(progressCalls, code, wParam, lParam);
}

void WatchProgress(bool on)
{
    if (on) {
        progressLog = ProgressLog();
        progressCbt = SetWindowsHookExA(WH_CBT, NoteCreation, NULL, GetCurrentThreadId());
        progressCalls = SetWindowsHookExA(WH_CALLWNDPROC, NoteProgressMessages, NULL,
                                          GetCurrentThreadId());
    } else {
        UnhookWindowsHookEx(progressCbt);
        UnhookWindowsHookEx(progressCalls);
    }
}

TEST_F(Scan, TheProgressBarCountsTheFilesAndStepsBeforeEachFileIsRead)
{
    std::string top = TreeWithSubfolders("scan_progress");
    WatchProgress(true);
    ASSERT_EQ(1, ScanFolder(top, 1));
    WatchProgress(false);
    EXPECT_EQ(6, catalogue.count);
    EXPECT_EQ((std::vector<int>{0, 6, 1}),
              (std::vector<int>{progressLog.rangeLow, progressLog.rangeHigh, progressLog.step}));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), progressLog.countAtStep);   /* one step per file */
    EXPECT_EQ(kProgressCaption, progressLog.caption);
    EXPECT_EQ(mainWindow, progressLog.owner);
    const RECT &bar = progressLog.barRect;
    EXPECT_EQ((std::vector<long>{10, 10, progressLog.dialogClient.right - 20, 20}),
              (std::vector<long>{bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top}));
    EXPECT_FALSE(IsWindow(progressLog.bar));
    EXPECT_FALSE(IsWindow(progressLog.dialog));
}

TEST_F(Scan, AFolderWithoutFontsShowsNoProgressWindow)
{
    std::string folder = TempTestDir("scan_nofonts");
    ASSERT_TRUE(WriteBytes(folder + "readme.txt", std::vector<uint8_t>(10, 'x')));
    WatchProgress(true);
    EXPECT_EQ(1, ScanFolder(folder, 1));
    WatchProgress(false);
    EXPECT_EQ(0, catalogue.count);
    for (const std::string &created : progressLog.created) {
        EXPECT_NE("#32770", created);
        EXPECT_NE(PROGRESS_CLASSA, created);
    }
}

TEST_F(Scan, TheBarTakesARangeOfMoreThan65535Files)
{
    HWND dialog = NULL;
    HWND bar = CreateScanProgress(70000, &dialog);
    ASSERT_NE((HWND)NULL, bar);
    EXPECT_EQ(70000, (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(0, (int)SendMessageA(bar, PBM_GETRANGE, TRUE, 0));
    DestroyWindow(bar);
    DestroyWindow(dialog);
}

/* ---- Escape ---- */

void SendEscape(bool down)
{
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_ESCAPE;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

/* Presses or releases a key on the display itself (xdotool through Wine), so that
 * the key state survives the progress window's activation, which brings Wine's
 * key state in line with the display's keyboard. */
bool DisplayKey(const char *action)
{
    char command[128];
    snprintf(command, sizeof command, "Z:\\usr\\bin\\xdotool %s Escape", action);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

struct EscapeHold {
    DWORD holdMs;
    volatile int countWhileHeld;
};

/* Once the first record has arrived, holds Escape holdMs longer, notes the
 * Catalogue's count, then lets go. */
DWORD WINAPI HoldEscape(LPVOID parameter)
{
    EscapeHold *hold = (EscapeHold *)parameter;
    DWORD start = GetTickCount();
    while (*(volatile int *)&catalogue.count < 1 && GetTickCount() - start < 20000)
        Sleep(1);
    Sleep(hold->holdMs);
    hold->countWhileHeld = *(volatile int *)&catalogue.count;
    DisplayKey("keyup");
    SendEscape(false);
    return 0;
}

TEST_F(Scan, EscapeEndsTheScanAfterTheCurrentFileAtEveryDepthAndWaitsWhileHeld)
{
    /* No font at the top: the first file met lies one or two folders down. */
    std::string top = TempTestDir("scan_escape");
    std::string a = MakeFolder(top + "a");
    std::string a1 = MakeFolder(a + "a1");
    PutFont(a1, "x.ttf");
    PutFont(a1, "y.ttf");
    PutFont(a, "z.ttf");
    std::string b = MakeFolder(top + "b");
    PutFont(b, "v.ttf");
    PutFont(b, "w.ttf");

    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    ASSERT_TRUE(DisplayKey("keydown"));
    EscapeHold hold = {400, -1};
    HANDLE thread = CreateThread(NULL, 0, HoldEscape, &hold, 0, NULL);
    DWORD start = GetTickCount();
    EXPECT_EQ(1, ScanFolder(top, 1));
    DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);
    if (GetAsyncKeyState(VK_ESCAPE) & 0x8000) {
        DisplayKey("keyup");                /* never leave the key down for later tests */
        SendEscape(false);
    }

    EXPECT_EQ(1, catalogue.count);          /* the file being read was finished */
    EXPECT_EQ(1, hold.countWhileHeld);      /* nothing more while the key was down */
    EXPECT_GE(elapsed, hold.holdMs);
    EXPECT_FALSE(GetAsyncKeyState(VK_ESCAPE) & 0x8000);
    /* Without Escape the same tree gives all five. */
    ASSERT_EQ(1, ScanFolder(top, 1));
    EXPECT_EQ(5, catalogue.count);
}

/* ---- failures ---- */

TEST_F(Scan, OutOfMemoryShowsItsMessageAndTheScanGoesOnWithTheNextFile)
{
    std::string folder = TempTestDir("scan_memory");
    PutFont(folder, "one.ttf");
    PutFont(folder, "two.ttf");
    PutFont(folder, "three.ttf");
    /* The first record's two allocations succeed, the second record's array fails. */
    SetFault(FAULT_HEAP, 2, 1);
    ScriptExpect(Box("Not enough memory"));
    ASSERT_EQ(1, ScanFolder(folder, 0));
    ClearFaults();
    EXPECT_EQ(2, catalogue.count);
    std::vector<std::string> expected;
    ExpectedWalk(folder, false, &expected);
    ASSERT_EQ(3u, expected.size());
    EXPECT_EQ(expected[0], catalogue.records[0]->filePath);
    EXPECT_EQ(expected[2], catalogue.records[1]->filePath);
}

std::wstring Wide(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

/* A font written through the wide, long-path calls, as other programs can. */
bool WriteWide(const std::wstring &path)
{
    std::vector<uint8_t> bytes = BuildFont(TestFont());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

TEST_F(Scan, EntriesWhosePathsWouldNotFitAreLeftAloneNotCut)
{
    /* A folder of about 240 characters: its own listing fits, a long name inside does not. */
    std::string top = TempTestDir("scan_long");
    std::string folder = top + std::string(240 - top.size(), 'p');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    folder += "\\";
    PutFont(folder, "short.ttf");
    std::string longName = std::string(70, 'n') + ".ttf";
    std::string subfolder = std::string(70, 's');
    std::wstring prefix = L"\\\\?\\" + Wide(folder);
    ASSERT_TRUE(WriteWide(prefix + Wide(longName)));
    ASSERT_TRUE(CreateDirectoryW((prefix + Wide(subfolder)).c_str(), NULL));
    ASSERT_TRUE(WriteWide(prefix + Wide(subfolder) + L"\\inner.ttf"));

    int count = 0;
    settings.includeSubdirectories = 1;
    EXPECT_EQ(1, CountFontFiles(folder.c_str(), &count));
    EXPECT_EQ(1, count);
    ASSERT_EQ(1, ScanFolder(folder, 1));
    ASSERT_EQ(1, catalogue.count);
    EXPECT_STREQ("short.ttf", catalogue.records[0]->fileName);

    DeleteFileW((prefix + Wide(longName)).c_str());
    DeleteFileW((prefix + Wide(subfolder) + L"\\inner.ttf").c_str());
    RemoveDirectoryW((prefix + Wide(subfolder)).c_str());
}

/* ---- the directory commands ---- */

class DirectoryCommands : public Scan {};

BOOL CALLBACK FindEdit(HWND child, LPARAM context)
{
    if (_stricmp(ClassOf(child).c_str(), "Edit") == 0) {
        *(HWND *)context = child;
        return FALSE;
    }
    return TRUE;
}

HWND FindEditInside(HWND control)
{
    HWND found = NULL;
    EnumChildWindows(control, FindEdit, (LPARAM)&found);
    return found;
}

/* The directory dialog, answered with a path typed into its file-name field. */
DialogStep ChooseIn(const std::string &folder, const std::string &file = "Allfiles")
{
    return Edit(Dialog(kDirectoryCaption, IDOK), 1148, folder + file);
}

std::multiset<std::string> CatalogueNames(void)
{
    std::multiset<std::string> names;
    for (int i = 0; i < catalogue.count; i++)
        names.insert(catalogue.records[i]->fileName);
    return names;
}

TEST_F(DirectoryCommands, DefineDirectoryOpensTheDialogAndScansTheFolderOfThePathReturned)
{
    std::string folder = TempTestDir("cmd_define");
    PutFont(folder, "one.ttf");
    PutFont(folder, "two.ttf");
    std::string initialText, filterText;
    ScriptExpect(Inspect(ChooseIn(folder), [&](HWND dialog) {
        HWND edit = FindEditInside(GetDlgItem(dialog, 1148));
        initialText = edit != NULL ? WindowText(edit) : "";
        filterText = ControlText(dialog, 1136);
    }));
    SendCommand(CMD_DEFINE_DIRECTORY);
    EXPECT_EQ("", ScriptEnd());
    ScriptBegin();
    EXPECT_EQ("Allfiles", initialText);
    EXPECT_EQ("True Type Fonts", filterText);
    EXPECT_EQ(folder, settings.currentDirectory);
    EXPECT_EQ(folder, settings.previousDirectory);
    EXPECT_EQ(1, settings.directoryChosen);
    EXPECT_EQ(1, settings.sourceIsDirectory);
    EXPECT_EQ((std::multiset<std::string>{"one.ttf", "two.ttf"}), CatalogueNames());
}

TEST_F(DirectoryCommands, PreviousDirectorySwitchesBackAndForthAndAPickedFileGivesItsFolder)
{
    std::string a = TempTestDir("cmd_a");
    PutFont(a, "a.ttf");
    std::string b = TempTestDir("cmd_b");
    PutFont(b, "b1.ttf");
    PutFont(b, "b2.ttf");
    ScriptExpect(ChooseIn(a));
    SendCommand(CMD_DEFINE_DIRECTORY);
    ScriptExpect(ChooseIn(b, "b2.ttf"));     /* a picked file: only its folder is used */
    SendCommand(CMD_DEFINE_DIRECTORY);
    EXPECT_EQ(b, settings.currentDirectory);
    EXPECT_EQ(a, settings.previousDirectory);
    EXPECT_EQ((std::multiset<std::string>{"b1.ttf", "b2.ttf"}), CatalogueNames());

    SendCommand(CMD_PREVIOUS_DIRECTORY);
    EXPECT_EQ(a, settings.currentDirectory);
    EXPECT_EQ(b, settings.previousDirectory);
    EXPECT_EQ((std::multiset<std::string>{"a.ttf"}), CatalogueNames());
    SendCommand(CMD_PREVIOUS_DIRECTORY);
    EXPECT_EQ(b, settings.currentDirectory);
    EXPECT_EQ(2, catalogue.count);
}

TEST_F(DirectoryCommands, CancellingTheDialogLeavesTheInstalledFontsShown)
{
    int installed = catalogue.count;
    ASSERT_GT(installed, 0);
    ScriptExpect(Dialog(kDirectoryCaption, IDCANCEL));
    SendCommand(CMD_DEFINE_DIRECTORY);
    ScriptExpect(Dialog(kDirectoryCaption, IDCANCEL));
    SendCommand(CMD_FROM_DIRECTORY);        /* no folder chosen yet: the dialog again */
    ScriptExpect(Dialog(kDirectoryCaption, IDCANCEL));
    SendCommand(CMD_PREVIOUS_DIRECTORY);    /* no previous folder: the dialog again */
    EXPECT_EQ(0, settings.sourceIsDirectory);
    EXPECT_EQ(0, settings.directoryChosen);
    EXPECT_EQ(installed, catalogue.count);
}

TEST_F(DirectoryCommands, IncludeSubdirectoriesActsAtTheNextScanOnly)
{
    std::string top = TreeWithSubfolders("cmd_subdirs");
    ScriptExpect(ChooseIn(top));
    SendCommand(CMD_DEFINE_DIRECTORY);
    EXPECT_EQ(2, catalogue.count);
    FontRecord **before = catalogue.records;
    SendCommand(CMD_INCLUDE_SUBDIRS);
    EXPECT_EQ(1, settings.includeSubdirectories);
    EXPECT_EQ(before, catalogue.records);   /* no rescan */
    EXPECT_EQ(2, catalogue.count);
    SendCommand(CMD_INSTALLED_FONTS);
    EXPECT_EQ(0, settings.sourceIsDirectory);
    SendCommand(CMD_FROM_DIRECTORY);        /* a folder was chosen: straight to it */
    EXPECT_EQ(1, settings.sourceIsDirectory);
    EXPECT_EQ(6, catalogue.count);
}

/* The whole way from the dialog to the shown list, with real fonts: the Catalogue
 * sorted by face name, and the style commands choosing from each family. */
TEST_F(DirectoryCommands, AFolderOfRealFontsIsSortedAndShownByStyle)
{
    std::string folder = TempTestDir("cmd_real");
    const char *files[] = {"liberation2/LiberationSans-Regular.ttf", "liberation2/LiberationSans-Bold.ttf",
                           "liberation2/LiberationSans-Italic.ttf",
                           "liberation2/LiberationSans-BoldItalic.ttf", "dejavu/DejaVuSerif.ttf",
                           "dejavu/DejaVuSans.ttf"};
    for (const char *file : files) {
        std::string source = RealFont(std::string("/usr/share/fonts/truetype/") + file);
        std::string name = source.substr(source.rfind('\\') + 1);
        ASSERT_TRUE(CopyFileA(source.c_str(), (folder + name).c_str(), FALSE)) << source;
    }
    ScriptExpect(ChooseIn(folder));
    SendCommand(CMD_DEFINE_DIRECTORY);
    ASSERT_EQ(6, catalogue.count);
    std::vector<std::string> faces;
    for (int i = 0; i < catalogue.count; i++)
        faces.push_back(catalogue.records[i]->logFont.lfFaceName);
    EXPECT_EQ((std::vector<std::string>{"DejaVu Sans", "DejaVu Serif", "Liberation Sans",
                                        "Liberation Sans", "Liberation Sans", "Liberation Sans"}),
              faces);
    EXPECT_EQ(6, displayList.count);            /* every style while All is on */

    const struct { int command; const char *liberation; int bold, italic; } styles[] = {
        {CMD_NORMAL, "Liberation Sans", 0, 0}, {CMD_BOLD, "Liberation Sans Bold", 32, 0},
        {CMD_ITALIC, "Liberation Sans Bold Italic", 32, 1}};
    for (const auto &style : styles) {
        SendCommand(style.command);
        ASSERT_EQ(3, displayList.count) << style.liberation;
        EXPECT_STREQ("DejaVu Serif", displayList.records[1]->logFont.lfFaceName);
        EXPECT_STREQ(style.liberation, displayList.records[2]->fullFontName);
        EXPECT_EQ(style.bold, displayList.records[2]->boldFlag) << style.liberation;
        EXPECT_EQ(style.bold ? 700 : 400, displayList.records[2]->logFont.lfWeight) << style.liberation;
        EXPECT_EQ(style.italic, displayList.records[2]->logFont.lfItalic) << style.liberation;
    }
}

}  // namespace
