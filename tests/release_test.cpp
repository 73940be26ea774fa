/* release_test.cpp - what Windows reports for zenvrix.exe and zenvrix-info.exe in the
 * file's properties (GetFileVersionInfoA): the programs beside this test program, or
 * those of an unpacked release folder named by ZENVRIX_RELEASE_DIR (set by
 * tests/e2e/release.sh), whose name must then carry the same version and word size. */
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "version.h"

namespace {

const std::string kBits = std::to_string(sizeof(void *) * 8);

/* A value of the version resource's string table (US English, Unicode: the block the resource holds). */
std::string VersionString(std::vector<char> &block, const std::string &name)
{
    char *value = NULL;
    UINT size = 0;
    std::string key = "\\StringFileInfo\\040904b0\\" + name;
    return VerQueryValueA(block.data(), key.c_str(), (void **)&value, &size) && value ? value : "-";
}

TEST(ReleasePrograms, ReportTheirVersionProductAndWordSize)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    strrchr(path, '\\')[1] = 0;
    const char *release = getenv("ZENVRIX_RELEASE_DIR");
    std::string folder = release != NULL ? std::string(release) + "\\" : path;
    if (release != NULL) {
        EXPECT_NE(std::string::npos, folder.find("\\zenvrix-" ZENVRIX_VERSION_TEXT "-win" + kBits + "\\"));
    }
    for (std::string program : {"zenvrix.exe|viewer and installer", "zenvrix-info.exe|information lister"}) {
        std::string file = program.substr(0, program.find('|')), path = folder + file;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), NULL);
        ASSERT_NE(0u, size) << path << ": no version resource";
        std::vector<char> block(size);
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT fixedSize = 0;
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()) &&
                    VerQueryValueA(block.data(), "\\", (void **)&fixed, &fixedSize));
        EXPECT_EQ((DWORD)MAKELONG(ZENVRIX_VERSION_MINOR, ZENVRIX_VERSION_MAJOR), fixed->dwFileVersionMS);
        EXPECT_EQ((DWORD)MAKELONG(0, ZENVRIX_VERSION_PATCH), fixed->dwProductVersionLS);
        for (const char *name : {"FileVersion", "ProductVersion"})
            EXPECT_EQ(ZENVRIX_VERSION_TEXT, VersionString(block, name)) << path;
        EXPECT_EQ("Zenvrix", VersionString(block, "ProductName"));
        EXPECT_EQ("Zenvrix font " + program.substr(program.find('|') + 1) + " (" + kBits + "-bit)",
                  VersionString(block, "FileDescription"));
        EXPECT_EQ(file, VersionString(block, "OriginalFilename"));
    }
}

} // namespace
