/* release_test.cpp - what Windows reports for zenvrix.exe and zenvrix-info.exe in the
 * file's properties (GetFileVersionInfoA): the programs beside this test program, or
 * those of the unpacked release folder named by ZENVRIX_RELEASE_DIR (set by
 * tests/e2e/release.sh), whose name must then carry the same version and word size. */
#include <windows.h>

#include <gtest/gtest.h>

#include "version.h"

TEST(ReleasePrograms, ReportTheirVersionProductAndWordSize)
{
    const std::string bits = std::to_string(sizeof(void *) * 8);
    const char *release = getenv("ZENVRIX_RELEASE_DIR"); /* else found beside this program */
    std::string folder = release != NULL ? std::string(release) + "\\" : "";
    if (release != NULL) {
        EXPECT_NE(std::string::npos, folder.find("\\zenvrix-" ZENVRIX_VERSION_TEXT "-win" + bits + "\\"));
    }
    for (std::string file : {"zenvrix.exe", "zenvrix-info.exe"}) {
        std::string path = folder + file;
        std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), NULL) + 1);
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT size = 0;
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, (DWORD)block.size(), block.data()) &&
                    VerQueryValueA(block.data(), "\\", (void **)&fixed, &size)) << path << ": no version resource";
        EXPECT_EQ((DWORD)MAKELONG(ZENVRIX_VERSION_MINOR, ZENVRIX_VERSION_MAJOR), fixed->dwFileVersionMS);
        EXPECT_EQ((DWORD)MAKELONG(0, ZENVRIX_VERSION_PATCH), fixed->dwProductVersionLS);
        /* the string table: US English, Unicode, as the resource holds it */
        std::string strings;
        for (const char *name : {"FileVersion", "ProductVersion", "ProductName", "FileDescription", "OriginalFilename"}) {
            char *value = NULL;
            std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
            strings += (VerQueryValueA(block.data(), key.c_str(), (void **)&value, &size) && value ? value : "-") + std::string("|");
        }
        std::string kind = file == "zenvrix.exe" ? "viewer and installer" : "information lister";
        EXPECT_EQ(ZENVRIX_VERSION_TEXT "|" ZENVRIX_VERSION_TEXT "|Zenvrix|Zenvrix font " + kind + " (" + bits + "-bit)|" + file + "|",
                  strings) << path;
    }
}
