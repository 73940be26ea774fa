/* dirscan_test.cpp - the folder scan (which names are read, subfolders, the same font
 * in two folders, Escape held), the files that give no record, and rescans of files
 * read before. */
#include <algorithm>
#include <thread>

#include "catalogue/fontfiles.h"
#include "catalogue/scancache.h"
#include "harness.h"
#include "tests/collection.h"

#include <commctrl.h>

typedef Program Scan;
typedef std::vector<std::string> Names;

/* Each record's path in the folder (with faces: ":face name#face"), in byte order. */
Names Read(const std::string &folder, int subfolders, bool faces = false)
{
    ScanFolder(folder, subfolders);
    std::vector<std::string> paths;
    for (int i = 0; i < catalogue.count; i++) {
        const FontRecord *r = catalogue.records[i];
        paths.push_back(r->filePath + folder.size() + (faces ? ":" + std::string(r->logFont.lfFaceName) + "#" + std::to_string(r->faceIndex) : ""));
    }
    std::sort(paths.begin(), paths.end()); /* the listing's order is the file system's */
    return paths;
}

TEST_F(Scan, OnlyTtfNamesAreReadSubfoldersWhenAskedEachCopyCountsAndEscapeHeldEndsTheScan)
{
    std::string folder = TempDir("scan"), sans = ReadFile(Font("dejavu/DejaVuSans.ttf"));
    CreateDirectoryA((folder + "sub").c_str(), NULL), CreateDirectoryA((folder + "sub\\deeper").c_str(), NULL);
    for (const char *name : {"a.ttf", "B.TTF", "c.ttfx", "d.txt", "ttf", "g.otf", "sub\\a.ttf", "sub\\deeper\\f.Ttf"}) WriteFile(folder + name, sans);
    WriteFile(folder + "e.ttf", "no font");
    EXPECT_EQ((std::vector<std::string>{"B.TTF", "a.ttf"}), Read(folder, 0));
    EXPECT_EQ((std::vector<std::string>{"B.TTF", "a.ttf", "sub\\a.ttf", "sub\\deeper\\f.Ttf"}), Read(folder, 1));
    EXPECT_EQ(std::make_pair(5, 5), progressAtEnd); /* the scan's bar went through every .ttf name it counted */
    EXPECT_EQ(4, displayList.count);
    EXPECT_EQ(0u, Read(folder + "missing\\", 1).size());
    EXPECT_EQ(1u, Read(folder + "sub\\deeper\\", 0).size()); EXPECT_EQ(std::make_pair(1, 1), progressAtEnd); /* one file */
    progressAtEnd = {-1, -1}, CreateDirectoryA((folder + "none").c_str(), NULL);
    EXPECT_EQ(0u, Read(folder + "none\\", 1).size()); EXPECT_EQ(std::make_pair(-1, -1), progressAtEnd); /* no bar for no file */
    EXPECT_TRUE(FindWindowA(NULL, "Progress: (press ESC to cancel)") == NULL) << "the scan's dialog outlived it";
    /* Escape held: the scan ends after the file being read, once the key is let go */
    EscapeKey(true);
    ASSERT_LT(GetAsyncKeyState(VK_ESCAPE), 0) << "Escape never went down";
    std::thread release([] { Sleep(500), EscapeKey(false); });
    DWORD start = GetTickCount();
    EXPECT_EQ(1u, Read(folder, 1).size());
    EXPECT_GE(GetTickCount() - start, 400u); /* it waited while the key was held */
    release.join();
}

TEST_F(Scan, LongPathsCutFilesFailingReadsAndOtherFilesGiveNoRecord)
{
    static FontRecord record;
    std::string folder = TempDir("read"), bytes = ReadFile(Font("dejavu/DejaVuSans.ttf")), deep = "Z:\\" + std::string(288, 'd');
    WriteFile(folder + "cut.ttf", bytes.substr(0, 3000));
    WriteFile(folder + "text.ttf", "this is no font, only its name says so\n"), WriteFile(folder + "whole.ttf", bytes);
    const struct { std::string folder, file; int whole, fault; FontFileResult result; } cases[] = {
        {folder, "cut.ttf", 1, 0, FONT_FILE_NO_NAME_TABLE}, {folder, "cut.ttf", 0, 0, FONT_FILE_NO_NAME_TABLE},
        {folder, "text.ttf", 0, 0, FONT_FILE_NOT_TRUETYPE}, {folder, "gone.ttf", 0, 0, FONT_FILE_CANT_OPEN},
        {folder, "whole.ttf", 0, 1, FONT_FILE_CANT_READ},   {folder, "whole.ttf", 1, 0, FONT_FILE_OK},
        {deep, "12345678", 0, 0, FONT_FILE_CANT_OPEN}, {deep, "123456789", 0, 0, FONT_FILE_PATH_TOO_LONG}}; /* 299, 300 */
    HDC dc = GetDC(mainWindow);
    for (const auto &c : cases) {
        SetFault(FAULT_FILE_READ, 0, -c.fault);
        EXPECT_EQ(c.result, ReadFontRecord(dc, c.folder.c_str(), c.file.c_str(), c.whole, &record)) << c.file;
        ClearFaults();
        EXPECT_STREQ(c.result == FONT_FILE_OK ? "DejaVu Sans" : "", record.logFont.lfFaceName) << c.file;
    }
    ReleaseDC(mainWindow, dc);
}


/* The scan's bar counts steps itself between repaints: whatever it is asked, it answers
 * as the control alone would, wrapping past its end and taking a new step or range. */
TEST_F(Scan, TheScanBarAnswersEveryMessageAsAPlainProgressBarDoes)
{
    HWND dialog = NULL, bar = CreateScanProgress(7, &dialog), plain = CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_CHILD, 0, 0, 99, 9, dialog, NULL, NULL, NULL);
    ASSERT_TRUE(bar != NULL && plain != NULL);
    SendMessageA(plain, PBM_SETRANGE32, 0, 7), SendMessageA(plain, PBM_SETSTEP, 1, 0);
    const struct { UINT message; WPARAM w; LPARAM l; } asked[] = {{PBM_GETPOS}, {PBM_STEPIT}, {PBM_STEPIT}, {PBM_GETPOS}, {PBM_SETSTEP, 3},
        {PBM_STEPIT}, {PBM_GETPOS}, {PBM_STEPIT}, {PBM_STEPIT}, {PBM_GETPOS}, {PBM_SETPOS, 2}, {PBM_STEPIT}, {PBM_DELTAPOS, 1}, {PBM_STEPIT},
        {PBM_GETPOS}, {PBM_SETRANGE32, 0, 4}, {PBM_STEPIT}, {PBM_STEPIT}, {PBM_GETPOS}, {PBM_SETRANGE, 0, MAKELPARAM(1, 9)}, {PBM_STEPIT},
        {PBM_SETSTEP, 0}, {PBM_STEPIT}, {PBM_GETPOS}, {PBM_SETSTEP, (WPARAM)-2}, {PBM_STEPIT}, {PBM_STEPIT}, {PBM_GETPOS}, {PBM_GETRANGE}};
    for (size_t i = 0; i < sizeof asked / sizeof asked[0]; i++)
        EXPECT_EQ(SendMessageA(plain, asked[i].message, asked[i].w, asked[i].l), SendMessageA(bar, asked[i].message, asked[i].w, asked[i].l)) << i;
    DestroyWindow(dialog);
}

static void Age(const std::string &path) /* a last-write time long past */
{
    FILETIME past = {0, 0x01D00000};
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(file, NULL, NULL, &past), CloseHandle(file);
}

TEST_F(Scan, ARescanOpensOnlyFilesWhoseSizeTimeOrNameChangedAndShowsWhatIsOnDiskNow)
{
    std::string folder = TempDir("rescan"), sans = ReadFile(Font("dejavu/DejaVuSans.ttf")), serif = ReadFile(Font("dejavu/DejaVuSerif.ttf"));
    CreateDirectoryA((folder + "sub").c_str(), NULL);
    for (const char *name : {"keep.ttf", "bytes.ttf", "size.ttf", "swap.ttf", "gone.ttf", "old.ttf", "sub\\in.ttf"})
        WriteFile(folder + name, sans), Age(folder + name);
    WriteFile(folder + "pair.ttf", Collect({sans, serif}, 1)), WriteFile(folder + "junk.ttf", "no font");
    const Names before = Read(folder, 1, true);
    fontReadCounters = FontReadCounters();
    EXPECT_EQ(before, Read(folder, 1, true));
    EXPECT_EQ(0u, fontReadCounters.files);
    std::string zvresc = TempDir("Zvresc");
    RenamedFont("DejaVuSans.ttf", "Zvresc");                    /* as long as DejaVu Sans */
    std::string renamed = ReadFile(zvresc + "ZvrescSans.ttf");
    WriteFile(folder + "keep.ttf", renamed);                    /* new bytes of the same size: a new time alone */
    EXPECT_EQ("keep.ttf:Zvresc Sans#0", Read(folder, 1, true)[2]);
    WriteFile(folder + "bytes.ttf", renamed);                   /* new bytes, new time */
    WriteFile(folder + "size.ttf", renamed + "tail"), Age(folder + "size.ttf"); /* new size alone */
    WriteFile(folder + "swap.new", serif), MoveFileExA((folder + "swap.new").c_str(), (folder + "swap.ttf").c_str(), MOVEFILE_REPLACE_EXISTING);
    DeleteFileA((folder + "gone.ttf").c_str()), MoveFileA((folder + "old.ttf").c_str(), (folder + "new.ttf").c_str());
    DeleteFileA((folder + "sub\\in.ttf").c_str()), RemoveDirectoryA((folder + "sub").c_str());
    CreateDirectoryA((folder + "added").c_str(), NULL), WriteFile(folder + "added\\in.ttf", serif);
    EXPECT_EQ((Names{"added\\in.ttf:DejaVu Serif#0", "bytes.ttf:Zvresc Sans#0", "keep.ttf:Zvresc Sans#0", "new.ttf:DejaVu Sans#0",
                     "size.ttf:Zvresc Sans#0", "swap.ttf:DejaVu Serif#0"}), Read(folder, 1, true));
    EXPECT_EQ(6u, fontReadCounters.files) << "the changed, renamed and added files";
    settings.allFontFiles = 1; /* another kind of scan reads every file again; a collection gives each face */
    const Names all = Read(folder, 1, true);
    EXPECT_EQ(6u + 9, fontReadCounters.files); /* the collection opened once per face */
    EXPECT_EQ(all, Read(folder, 1, true));
    EXPECT_EQ(6u + 9, fontReadCounters.files);
    EXPECT_TRUE(std::count(all.begin(), all.end(), "pair.ttf:DejaVu Sans#0") && std::count(all.begin(), all.end(), "pair.ttf:DejaVu Serif#1"));
}

/* Scanning a, b and c afresh makes heap calls 0-3 for a (the Catalogue's array, the
 * record, the table of files kept, a's entry in it), 4-6 for b and 7-9 for c.  A
 * record takes what the files kept hold before it is lost; with nothing kept it is
 * lost with the usual box.  A failing call of the cache's own only empties it. */
TEST_F(Scan, RunningOutOfMemoryEmptiesTheFilesKeptAndLosesARecordOnlyWhenThereIsNothingToGiveUp)
{
    std::string folder = TempDir("memory"), sans = ReadFile(Font("dejavu/DejaVuSans.ttf"));
    for (const char *name : {"a.ttf", "b.ttf", "c.ttf"}) WriteFile(folder + name, sans);
    for (int failing = 0; failing < 10; failing++) {
        EmptyScanCache();
        if (failing < 2) ScriptExpect(Box("Not enough memory"));
        SetFault(FAULT_HEAP, failing, 1);
        EXPECT_EQ(failing < 2 ? 2u : 3u, Read(folder, 0).size()) << failing;
        ClearFaults();
    }
}
