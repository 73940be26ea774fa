/* release_test.cpp - what Windows reports for zenvrix.exe and zenvrix-info.exe in the file's
 * properties (GetFileVersionInfoA) and reads from their manifests: the programs beside this test
 * program, or those of the unpacked release folder named by ZENVRIX_RELEASE_DIR (set by
 * tests/e2e/release.sh), whose name must then carry the same version and word size. */
#include <windows.h>

#include <gtest/gtest.h>

#include "version.h"

/* The application manifest (type 24, id 1) of a program, or of this one (NULL). */
static std::string Manifest(HMODULE module)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    return found ? std::string((const char *)LockResource(LoadResource(module, found)), SizeofResource(module, found)) : "";
}

TEST(ReleasePrograms, ReportTheirVersionProductAndWordSizeAndCarryTheManifest)
{
    const std::string manifest = Manifest(NULL); /* every program of the build carries the same */
    for (const char *setting : {"level=\"asInvoker\"", ">true</dpiAware>", ">system</dpiAwareness>",
                                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) /* Windows 10 and 11 */
        EXPECT_NE(std::string::npos, manifest.find(setting)) << setting;
    EXPECT_EQ(std::string::npos, manifest.find("Common-Controls")); /* no visual styles */
    const std::string bits = std::to_string(sizeof(void *) * 8);
    const char *release = getenv("ZENVRIX_RELEASE_DIR"); /* else found beside this program */
    std::string folder = release != NULL ? std::string(release) + "\\" : "";
    if (release != NULL) {
        EXPECT_NE(std::string::npos, folder.find("\\zenvrix-" ZENVRIX_VERSION_TEXT "-win" + bits + "\\"));
    }
    for (std::string file : {"zenvrix.exe", "zenvrix-info.exe"}) {
        std::string path = folder + file;
        HMODULE image = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_EQ(manifest, Manifest(image)) << path;
        FreeLibrary(image);
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
