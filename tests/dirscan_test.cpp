/* dirscan_test.cpp - the folder scan: which names are read, subfolders, the same
 * font in two folders, a missing folder, and Escape held during the scan. */
#include <algorithm>
#include <thread>

#include "harness.h"

namespace {

typedef Program Scan;

/* A folder of fonts, names that are not read, and a subfolder two deep. */
std::string FontFolder(void)
{
    std::string folder = TempDir("scan");
    std::string sans = ReadFile(Font("dejavu/DejaVuSans.ttf")), mono = ReadFile(Font("dejavu/DejaVuSansMono.ttf"));
    CreateDirectoryA((folder + "sub").c_str(), NULL);
    CreateDirectoryA((folder + "sub\\deeper").c_str(), NULL);
    const std::pair<const char *, std::string> files[] = {
        {"a.ttf", sans}, {"B.TTF", mono}, {"c.ttfx", sans}, {"d.txt", sans}, {"e.ttf", "no font"},
        {"ttf", sans}, {"sub\\a.ttf", sans}, {"sub\\deeper\\f.Ttf", ReadFile(Font("dejavu/DejaVuSerif.ttf"))}};
    for (const auto &file : files)
        WriteFile(folder + file.first, file.second);
    return folder;
}

std::vector<std::string> Read(const std::string &folder, int subfolders)
{
    ScanFolder(folder, subfolders);
    std::vector<std::string> paths;
    for (int i = 0; i < catalogue.count; i++)
        paths.push_back(catalogue.records[i]->filePath + folder.size());
    std::sort(paths.begin(), paths.end()); /* the listing's order is the file system's */
    return paths;
}

TEST_F(Scan, OnlyTtfNamesAreReadSubfoldersWhenAskedAndEachCopyCounts)
{
    std::string folder = FontFolder();
    EXPECT_EQ((std::vector<std::string>{"B.TTF", "a.ttf"}), Read(folder, 0));
    EXPECT_EQ((std::vector<std::string>{"B.TTF", "a.ttf", "sub\\a.ttf", "sub\\deeper\\f.Ttf"}), Read(folder, 1));
    EXPECT_EQ(4, displayList.count); /* every style of a folder is shown */
    EXPECT_EQ(0u, Read(folder + "missing\\", 1).size());
}

TEST_F(Scan, EscapeHeldEndsTheScanAfterTheFileBeingRead)
{
    std::string folder = FontFolder();
    EscapeKey(true);
    std::thread release([] {
        Sleep(500);
        EscapeKey(false);
    });
    DWORD start = GetTickCount();
    std::vector<std::string> read = Read(folder, 1);
    release.join();
    EXPECT_GE(GetTickCount() - start, 400u); /* it waited while the key was held */
    EXPECT_EQ(1u, read.size());
}

} // namespace
