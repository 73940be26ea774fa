/* release_test.cpp - what Windows reports for zenvrix.exe and zenvrix-info.exe in the
 * file's properties (GetFileVersionInfoA): the programs beside this test program, or
 * those of an unpacked release folder named by ZENVRIX_RELEASE_DIR (set by
 * tests/e2e/release.sh), whose name must then carry the same version and word size. */
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "version.h"

namespace {

const std::string kBits = std::to_string(sizeof(void *) * 8);

/* A value of the string table of a version resource, in its first language. */
std::string VersionString(std::vector<char> &block, const char *name)
{
    WORD *translation = NULL;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void **)&translation, &size) ||
        size < 2 * sizeof(WORD))
        return "<no translation>";
    char key[96];
    snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
    char *value = NULL;
    if (!VerQueryValueA(block.data(), key, (void **)&value, &size) || value == NULL)
        return "<no " + std::string(name) + ">";
    return value;
}

TEST(ReleasePrograms, ReportTheirVersionProductAndWordSize)
{
    std::string folder;
    const char *release = getenv("ZENVRIX_RELEASE_DIR");
    if (release != NULL && *release != 0) {
        folder = std::string(release) + "\\";
        EXPECT_NE(std::string::npos,
                  folder.find("\\zenvrix-" ZENVRIX_VERSION_TEXT "-win" + kBits + "\\"))
            << folder;
    } else {
        char path[MAX_PATH];
        GetModuleFileNameA(NULL, path, sizeof path);
        strrchr(path, '\\')[1] = 0;
        folder = path;
    }
    struct Program { const char *file, *description; };
    for (Program program : {Program{"zenvrix.exe", "Zenvrix font viewer and installer"},
                            Program{"zenvrix-info.exe", "Zenvrix font information lister"}}) {
        std::string path = folder + program.file;
        SCOPED_TRACE(path);
        DWORD unused = 0;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
        ASSERT_NE(0u, size) << "no version resource";
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO *fixed = NULL;
        UINT fixedSize = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &fixedSize));
        EXPECT_EQ((DWORD)MAKELONG(ZENVRIX_VERSION_MINOR, ZENVRIX_VERSION_MAJOR), fixed->dwFileVersionMS);
        EXPECT_EQ((DWORD)MAKELONG(0, ZENVRIX_VERSION_PATCH), fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
        EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
        EXPECT_EQ(ZENVRIX_VERSION_TEXT, VersionString(block, "FileVersion"));
        EXPECT_EQ(ZENVRIX_VERSION_TEXT, VersionString(block, "ProductVersion"));
        EXPECT_EQ("Zenvrix", VersionString(block, "ProductName"));
        EXPECT_EQ(std::string(program.description) + " (" + kBits + "-bit)",
                  VersionString(block, "FileDescription"));
        EXPECT_EQ(program.file, VersionString(block, "OriginalFilename"));
    }
}

} // namespace
