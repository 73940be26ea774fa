/* dirscan_test.cpp - the folder scan (which names are read, subfolders, the same font
 * in two folders, Escape held) and the files that give no record. */
#include <algorithm>
#include <thread>

#include "catalogue/fontfiles.h"
#include "harness.h"

typedef Program Scan;

std::vector<std::string> Read(const std::string &folder, int subfolders)
{
    ScanFolder(folder, subfolders);
    std::vector<std::string> paths;
    for (int i = 0; i < catalogue.count; i++)
        paths.push_back(catalogue.records[i]->filePath + folder.size());
    std::sort(paths.begin(), paths.end()); /* the listing's order is the file system's */
    return paths;
}

TEST_F(Scan, OnlyTtfNamesAreReadSubfoldersWhenAskedEachCopyCountsAndEscapeHeldEndsTheScan)
{
    std::string folder = TempDir("scan"), sans = ReadFile(Font("dejavu/DejaVuSans.ttf"));
    CreateDirectoryA((folder + "sub").c_str(), NULL);
    CreateDirectoryA((folder + "sub\\deeper").c_str(), NULL);
    for (const char *name : {"a.ttf", "B.TTF", "c.ttfx", "d.txt", "ttf", "sub\\a.ttf", "sub\\deeper\\f.Ttf"})
        WriteFile(folder + name, sans);
    WriteFile(folder + "e.ttf", "no font");
    EXPECT_EQ((std::vector<std::string>{"B.TTF", "a.ttf"}), Read(folder, 0));
    EXPECT_EQ((std::vector<std::string>{"B.TTF", "a.ttf", "sub\\a.ttf", "sub\\deeper\\f.Ttf"}), Read(folder, 1));
    EXPECT_EQ(4, displayList.count);
    EXPECT_EQ(0u, Read(folder + "missing\\", 1).size());
    /* Escape held: the scan ends after the file being read, once the key is let go */
    EscapeKey(true);
    ASSERT_LT(GetAsyncKeyState(VK_ESCAPE), 0) << "Escape never went down";
    std::thread release([] { Sleep(500), EscapeKey(false); });
    DWORD start = GetTickCount();
    EXPECT_EQ(1u, Read(folder, 1).size());
    release.join();
    EXPECT_GE(GetTickCount() - start, 400u); /* it waited while the key was held */
}

TEST_F(Scan, LongPathsCutFilesFailingReadsAndOtherFilesGiveNoRecord)
{
    static FontRecord record;
    std::string folder = TempDir("read"), bytes = ReadFile(Font("dejavu/DejaVuSans.ttf")), deep = "Z:\\" + std::string(288, 'd');
    WriteFile(folder + "cut.ttf", bytes.substr(0, 3000));
    WriteFile(folder + "text.ttf", "this is no font, only its name says so\n");
    WriteFile(folder + "whole.ttf", bytes);
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

