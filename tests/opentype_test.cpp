/* opentype_test.cpp - OpenType files, font collections and file names the code page
 * cannot spell, in the running program: the folder dialog's file types, the faces
 * a scan shows, their registration while drawn and printed, and their installation
 * into the test prefix (undone afterwards). */
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "harness.h"
#include "install/install.h"
#include "resources/resource.h"
#include "tests/collection.h"
#include "tests/printout.h"

namespace {

const std::string kUrw = "/usr/share/fonts/opentype/urw-base35/", kDejaVu = "/usr/share/fonts/truetype/dejavu/";
const char kFontKeyNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

void Write(const std::string &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary).write((const char *)bytes.data(), (std::streamsize)bytes.size());
}

int CALLBACK CountFace(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM count)
{
    return ++*(int *)count;
}

bool Listed(const char *family)
{
    HDC dc = GetDC(mainWindow);
    int count = 0;
    EnumFontFamiliesA(dc, family, CountFace, (LPARAM)&count);
    ReleaseDC(mainWindow, dc);
    return count > 0;
}

/* A folder of every kind: a .ttf, an .otf, a .ttc and an .otc (version 2), and a
 * .ttf whose name (in UTF-16) the code page cannot spell.  "Zv" families are
 * unknown to the system. */
class OpenTypeFolder : public RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        Write(folder + "Sans.ttf", LoadFont(kDejaVu + "DejaVuSans.ttf"));
        Write(folder + "Nimbus.otf", Renamed(LoadFont(kUrw + "NimbusSans-Bold.otf"), "Nimbus", "ZvOtfA"));
        Write(folder + "Pair.ttc", Collect({Renamed(LoadFont(kDejaVu + "DejaVuSansMono.ttf"), "DejaVu", "ZvTtcA"),
                                            Renamed(LoadFont(kDejaVu + "DejaVuSerif.ttf"), "DejaVu", "ZvTtcA")}, 1));
        Write(folder + "Symbols.OTC", Collect({LoadFont(kUrw + "D050000L.otf"), LoadFont(kUrw + "StandardSymbolsPS.otf")}, 2));
        Write(folder + "cjk.tmp", Renamed(LoadFont(kDejaVu + "DejaVuSerif-Bold.ttf"), "DejaVu", "ZvCjkA"));
        std::wstring wide(folder.begin(), folder.end());
        ASSERT_TRUE(MoveFileExW((wide + L"cjk.tmp").c_str(), (wide + L"\u5b57\u4f53.ttf").c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    /* Full names and file names of the Catalogue, in its order (a short name as "~"). */
    std::vector<std::string> Scan(int allFonts, int command = 0)
    {
        snprintf(settings.currentDirectory, NAME_SIZE, "%s", folder.c_str());
        settings.sourceIsDirectory = 1;
        settings.allFontFiles = allFonts;
        if (command != 0)
            SendCommand(command);
        else
            SendMessageA(mainWindow, UM_RESCAN, 0, 0), SendMessageA(mainWindow, UM_REFRESH, 0, 0);
        std::vector<std::string> shown;
        for (int i = 0; i < catalogue.count; i++) {
            const FontRecord *record = catalogue.records[i];
            bool opens = GetFileAttributesA(record->filePath) != INVALID_FILE_ATTRIBUTES;
            shown.push_back(std::string(record->fullFontName) + "@" +
                            (strchr(record->fileName, '~') ? "~" : record->fileName) + (opens ? "" : " (!)"));
        }
        return shown;
    }
    const std::string folder = TempTestDir("opentype");
};

/* The picked type decides the scan and stays with the dialog block for rescans and
 * the next time the dialog opens; the unspellable name is read through its short
 * name with every type. */
TEST_F(OpenTypeFolder, TheFileTypeDecidesWhatTheScanReadsAndRescansKeepIt)
{
    const std::vector<std::string> ttf = {"DejaVu Sans@Sans.ttf", "ZvCjkA Serif Bold@~"};
    const std::vector<std::string> all = {
        "D050000L@Symbols.OTC", "DejaVu Sans@Sans.ttf", "Standard Symbols PS@Symbols.OTC", "ZvCjkA Serif Bold@~",
        "ZvOtfASans-Bold@Nimbus.otf", "ZvTtcA Sans Mono@Pair.ttc", "ZvTtcA Serif@Pair.ttc"};
    const struct { int type; const char *typeBefore; const std::vector<std::string> &faces; } cases[] = {
        {3, "True Type Fonts", all}, {2, "All fonts", ttf}, {3, "All Files", all}, {1, "All fonts", ttf}};
    for (const auto &c : cases) {
        std::string typeBefore;
        ScriptExpect(Inspect(Edit(Dialog("Select any font in your directory", IDOK), 1148, folder + "Allfiles"),
                             [&](HWND dialog) {
            HWND types = GetDlgItem(dialog, 1136);
            typeBefore = WindowText(types);
            SendMessageA(types, CB_SETCURSEL, (WPARAM)(c.type - 1), 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), (LPARAM)types);
        }));
        SendCommand(CMD_DEFINE_DIRECTORY);
        EXPECT_EQ(c.typeBefore, typeBefore);
        EXPECT_EQ(c.faces, Scan(settings.allFontFiles, CMD_FROM_DIRECTORY)) << c.type;
    }
}

/* Drawing registers each file only around its own cell; UM_LOADALL registers a
 * collection once per face shown, and UM_UNLOADALL takes every one back. */
TEST_F(OpenTypeFolder, EveryFaceIsRegisteredOnlyWhileDrawnOrPrinted)
{
    Scan(1);
    HDC dc = GetDC(clientWindow);
    for (int step = 0; step < 3; step++) {
        if (step > 0)
            SendMessageA(mainWindow, step == 1 ? UM_LOADALL : UM_UNLOADALL, (WPARAM)dc, 0);
        for (const char *face : {"ZvTtcA Sans Mono", "ZvTtcA Serif", "ZvOtfA Sans", "ZvCjkA Serif"})
            EXPECT_EQ(step == 1, Listed(face)) << face << " step " << step;
    }
    ReleaseDC(clientWindow, dc);
}

/* Printed to the PDF queue, every face of a collection is embedded under its own
 * name.  Wine's PostScript driver (8.0) itself crashes on any font with PostScript
 * outlines, installed or not, so the printed folder holds TrueType outlines only. */
TEST_F(OpenTypeFolder, EveryFaceIsPrintedInItsOwnFace)
{
    for (const char *file : {"Nimbus.otf", "Symbols.OTC"})
        ASSERT_TRUE(DeleteFileA((folder + file).c_str()));
    Scan(1);
    std::set<std::string> before = printout::PdfFiles();
    ScriptExpect(Dialog("Print", IDOK));
    ScriptExpect(Box("Press AFTER all pages are printed", ""));
    SendCommand(CMD_PRINT);
    std::vector<std::string> pdfs = printout::WaitForNewPdfs(before, 1);
    ASSERT_EQ(1u, pdfs.size());
    std::vector<std::string> fonts = printout::ReadPrintout(pdfs[0]).fonts;
    for (const char *name : {"ZvTtcASansMono", "ZvTtcASerif", "ZvCjkASerif-Bold", "DejaVuSans"})
        EXPECT_NE(fonts.end(), std::find(fonts.begin(), fonts.end(), name)) << name << " is not in " << pdfs[0];
}

/* Value names as the system gives them; a collection is installed once through
 * any face, after which every face counts as installed; copy mode keeps the short
 * name of a file the code page cannot spell. */
TEST_F(OpenTypeFolder, InstallationNamesOutlinesAndCollectionsAsTheSystemDoes)
{
    Scan(1);
    const struct { const char *face, *family; int mode; const char *value, *other, *refused; } cases[] = {
        {"ZvOtfASans-Bold", "ZvOtfA Sans", IDC_INSTALL_COPY, "ZvOtfASans-Bold (OpenType)", nullptr, nullptr},
        {"ZvTtcA Serif", "ZvTtcA Serif", IDC_INSTALL_COPY, "ZvTtcA Sans Mono & ZvTtcA Serif (TrueType)",
         "ZvTtcA Sans Mono", nullptr},
        {"ZvTtcA Sans Mono", "ZvTtcA Sans Mono", IDC_INSTALL_NOCOPY, "ZvTtcA Sans Mono & ZvTtcA Serif (TrueType)",
         "ZvTtcA Serif", nullptr},
        {"ZvCjkA Serif Bold", "ZvCjkA Serif", IDC_INSTALL_COPY, "ZvCjkA Serif Bold (TrueType)", nullptr, nullptr},
        {"D050000L", "D050000L", IDC_INSTALL_NOCOPY, "D050000L & Standard Symbols PS (OpenType)", nullptr,
         "Font 'D050000L' already installed!"},       /* a packaged font */
    };
    auto find = [](const char *fullName) {
        for (int i = 0; i < catalogue.count; i++)
            if (strcmp(catalogue.records[i]->fullFontName, fullName) == 0)
                return catalogue.records[i];
        return (FontRecord *)nullptr;
    };
    for (const auto &c : cases) {
        const FontRecord *record = find(c.face);
        ASSERT_NE(nullptr, record) << c.face;
        char value[2048], data[300] = "";
        FontListValueName(record, value, sizeof value);
        EXPECT_EQ(c.value, std::string(value));
        installMode = c.mode;
        installMessage[0] = 0;
        EXPECT_EQ(c.refused == nullptr, InstallFont(record) == 1) << c.face << ": " << installMessage;
        if (c.refused != nullptr) {
            EXPECT_STREQ(c.refused, installMessage);
            continue;
        }
        const std::string file = c.mode == IDC_INSTALL_COPY ? record->fileName : record->filePath;
        DWORD size = sizeof data;
        RegGetValueA(HKEY_LOCAL_MACHINE, kFontKeyNt, value, RRF_RT_REG_SZ, NULL, data, &size);
        EXPECT_EQ(file, data);
        EXPECT_TRUE(Listed(c.family)) << c.face;
        EXPECT_EQ(strstr(c.face, "Cjk") != nullptr, file.find('~') != std::string::npos) << file;
        if (c.other != nullptr) {             /* the file brought every face */
            EXPECT_EQ(0, InstallFont(find(c.other)));
            EXPECT_EQ(std::string("Font '") + c.other + "' already installed!", installMessage);
        }
        const std::string path = file.find('\\') == std::string::npos ? std::string(windowsDirectory) + "\\Fonts\\" + file : file;
        for (int n = 0; n < 4 && RemoveFontResourceA(path.c_str()); n++)
            ;
        if (c.mode == IDC_INSTALL_COPY) {
            EXPECT_TRUE(DeleteFileA(path.c_str())) << path;
        }
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontKeyNt, value);
    }
    /* A walk over both faces installs the file once, without a box for the second. */
    installMode = IDC_INSTALL_COPY;
    ForEachCatalogueFont(NULL, (FONTENUMPROCA)InstallCatalogueFont, 0, 5, 6);
    const std::string target = std::string(windowsDirectory) + "\\Fonts\\Pair.ttc";
    EXPECT_TRUE(Listed("ZvTtcA Serif"));
    for (int n = 0; n < 4 && RemoveFontResourceA(target.c_str()); n++)
        ;
    EXPECT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kFontKeyNt, "ZvTtcA Sans Mono & ZvTtcA Serif (TrueType)"));
}

}  // namespace
