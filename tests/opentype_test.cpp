/* opentype_test.cpp - OpenType files, font collections and a file name the code page
 * cannot spell, in the running program: the folder dialog's file types, the faces a
 * scan shows, their registration while drawn and printed, and their installation. */
#include "harness.h"
#include "install/install.h"
#include "tests/collection.h"

typedef Program OpenType;

/* A folder of every kind: an .otf, a .ttc of two "ZvOtyp" faces (unknown to the
 * system), an .otc (version 2), and a .ttf named in characters no code page of
 * ours holds.  "ZvOt" also covers the short name the system gives that file. */
static std::string MixedFolder(bool postScript)
{
    ForgetFonts("ZvOtyp"), ForgetFonts("ZvOt");
    const std::string folder = TempDir("ZvOtyp"), urw = "../opentype/urw-base35/";
    for (const char *face : {"DejaVuSansMono.ttf", "DejaVuSerif.ttf", "DejaVuSans-Bold.ttf"})
        RenamedFont(face, "ZvOtyp");
    WriteFile(folder + "ZvOtypPair.ttc", Collect({ReadFile(folder + "ZvOtypSansMono.ttf"), ReadFile(folder + "ZvOtypSerif.ttf")}, 1));
    DeleteFileA((folder + "ZvOtypSansMono.ttf").c_str()), DeleteFileA((folder + "ZvOtypSerif.ttf").c_str());
    std::wstring wide(folder.begin(), folder.end());
    EXPECT_TRUE(MoveFileW((wide + L"ZvOtypSans-Bold.ttf").c_str(), (wide + L"ZvOt\u5b57\u4f53.ttf").c_str()));
    if (postScript) { /* Wine's PostScript driver crashes on PostScript outlines */
        WriteFile(folder + "Nimbus.otf", ReadFile(Font(urw + "NimbusSans-Bold.otf")));
        WriteFile(folder + "Symbols.OTC", Collect({ReadFile(Font(urw + "D050000L.otf")), ReadFile(Font(urw + "StandardSymbolsPS.otf"))}, 2));
    }
    return folder;
}

/* Full name @ file name of each record in order (a short name as "~"), "(!)" when
 * its path does not open. */
static std::vector<std::string> Shown(void)
{
    std::vector<std::string> shown;
    for (int i = 0; i < catalogue.count; i++) {
        const FontRecord *record = catalogue.records[i];
        shown.push_back(std::string(record->fullFontName) + "@" + (strchr(record->fileName, '~') ? "~" : record->fileName) +
                        (GetFileAttributesA(record->filePath) == INVALID_FILE_ATTRIBUTES ? " (!)" : ""));
    }
    return shown;
}

/* The picked type decides the scan and stays with the dialog block for rescans and
 * the next time the dialog opens; the unspellable name opens through its short name. */
TEST_F(OpenType, TheFileTypeDecidesWhatTheScanReadsAndRescansKeepIt)
{
    const std::string folder = MixedFolder(true);
    const std::vector<std::string> ttf = {"ZvOtyp Sans Bold@~"}, all = {
        "D050000L@Symbols.OTC", "NimbusSans-Bold@Nimbus.otf", "Standard Symbols PS@Symbols.OTC", "ZvOtyp Sans Bold@~",
        "ZvOtyp Sans Mono@ZvOtypPair.ttc", "ZvOtyp Serif@ZvOtypPair.ttc"};
    const struct { int type; const char *typeBefore; const std::vector<std::string> &faces; } cases[] = {
        {3, "True Type Fonts", all}, {2, "All fonts", ttf}, {3, "All Files", all}, {1, "All fonts", ttf}};
    for (const auto &c : cases) {
        std::string typeBefore;
        ScriptExpect(Inspect(Edit(Dialog("Select any font in your directory"), 1148, folder + "Allfiles"), [&](HWND dialog) {
            typeBefore = ControlText(dialog, 1136);
            SendDlgItemMessageA(dialog, 1136, CB_SETCURSEL, (WPARAM)(c.type - 1), 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), (LPARAM)GetDlgItem(dialog, 1136));
        }));
        SendCommand(CMD_DEFINE_DIRECTORY);
        EXPECT_EQ(c.typeBefore, typeBefore);
        EXPECT_EQ(c.faces, Shown()) << c.type;
        SendMessageA(mainWindow, UM_RESCAN, 0, 0);
        EXPECT_EQ(c.faces, Shown()) << c.type << " rescanned";
    }
}

/* Each face is registered only around its own cell, once per face for UM_LOADALL
 * until UM_UNLOADALL, and printed under its own name. */
TEST_F(OpenType, EveryFaceIsRegisteredOnlyWhileDrawnOrPrinted)
{
    settings.allFontFiles = 1;
    ScanFolder(MixedFolder(false));
    HDC dc = GetDC(clientWindow);
    for (int step = 0; step < 3; step++) {
        if (step > 0)
            SendMessageA(mainWindow, step == 1 ? UM_LOADALL : UM_UNLOADALL, (WPARAM)dc, 0);
        for (const char *face : {"ZvOtyp Sans Mono", "ZvOtyp Serif", "ZvOtyp Sans"})
            EXPECT_EQ(step == 1, FamilyListed(face)) << face << " step " << step;
    }
    ReleaseDC(clientWindow, dc);
    const std::string pdf = "\"$(dirname \"$CUPS_SERVER\")\"/pdf/*.pdf";
    std::string fonts;
    RunLinux("rm -f " + pdf);
    ScriptExpect(Dialog("Print"));
    ScriptExpect(Box("Press AFTER all pages are printed", ""));
    SendCommand(CMD_PRINT);
    RunLinux("for i in $(seq 300); do tail -c 8 " + pdf + " 2>/dev/null | grep -q EOF && break; sleep 0.1; done; pdffonts " + pdf, &fonts);
    for (const char *name : {"ZvOtypSansMono ", "ZvOtypSerif ", "ZvOtypSans-Bold "})
        EXPECT_NE(std::string::npos, fonts.find(name)) << name << " is not in\n" << fonts;
    EXPECT_FALSE(FamilyListed("ZvOtyp Serif"));
}

static const FontRecord *Find(const char *fullName)
{
    for (int i = 0; i < catalogue.count; i++)
        if (strcmp(catalogue.records[i]->fullFontName, fullName) == 0)
            return catalogue.records[i];
    return ADD_FAILURE() << fullName, catalogue.records[0];
}

/* Value names as the system gives them; a collection is installed once through any
 * face, after which every face counts as installed; copy mode keeps the short name. */
TEST_F(OpenType, InstallationNamesOutlinesAndCollectionsAsTheSystemDoes)
{
    settings.allFontFiles = 1;
    ScanFolder(MixedFolder(true));
    const char *pair = "ZvOtyp Sans Mono & ZvOtyp Serif (TrueType)";
    const struct { const char *face; int mode; const char *value, *other; } cases[] = {
        {"ZvOtyp Serif", IDC_INSTALL_COPY, pair, "ZvOtyp Sans Mono"},
        {"ZvOtyp Sans Mono", IDC_INSTALL_NOCOPY, pair, "ZvOtyp Serif"},
        {"ZvOtyp Sans Bold", IDC_INSTALL_COPY, "ZvOtyp Sans Bold (TrueType)", nullptr},
        {"D050000L", IDC_INSTALL_NOCOPY, "D050000L & Standard Symbols PS (OpenType)", "D050000L"}, /* packaged */
    };
    for (const auto &c : cases) {
        const FontRecord *record = Find(c.face);
        char value[2048], data[300] = "";
        FontListValueName(record, value, sizeof value);
        EXPECT_EQ(c.value, std::string(value));
        installMode = c.mode;
        if (strncmp(c.face, "Zv", 2) == 0) {
            EXPECT_EQ(1, InstallFont(record)) << c.face << ": " << installMessage;
            const std::string file = c.mode == IDC_INSTALL_COPY ? record->fileName : record->filePath;
            DWORD size = sizeof data;
            RegGetValueA(HKEY_LOCAL_MACHINE, fontKeyNt, value, RRF_RT_REG_SZ, NULL, data, &size);
            EXPECT_EQ(file, data);
            EXPECT_TRUE(FamilyListed(record->logFont.lfFaceName)) << c.face;
        }
        if (c.other != nullptr) { /* the file brought every face */
            EXPECT_EQ(0, InstallFont(Find(c.other)));
            EXPECT_EQ(std::string("Font '") + c.other + "' already installed!", installMessage);
        }
        ForgetFonts("ZvOtyp"), ForgetFonts("ZvOt");
    }
    /* A walk over both faces installs the file once, with no box for the second. */
    installMode = IDC_INSTALL_COPY;
    ForEachCatalogueFont(NULL, (FONTENUMPROCA)InstallCatalogueFont, 0, 4, 5);
    EXPECT_EQ(0, RegGetValueA(HKEY_LOCAL_MACHINE, fontKeyNt, pair, RRF_RT_REG_SZ, NULL, NULL, NULL));
    ForgetFonts("ZvOt");
}
