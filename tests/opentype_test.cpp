/* opentype_test.cpp - OpenType files, font collections, Greek and CJK file names and
 * texts, in the running program: scanned, drawn, printed and installed. */
#include "harness.h"
#include "install/install.h"
#include "print/printer.h"
#include "render/draw.h"
#include "tests/collection.h"

typedef Program OpenType;

static void Forget(void) { ForgetFonts("ZvOtyp"); }

/* Packaged .otf and .otc (version 2): faces whose text Wine's PostScript driver cannot print. */
static void PostScriptFonts(const std::string &folder)
{
    const std::string urw = "../opentype/urw-base35/";
    WriteFile(folder + "Nimbus.otf", ReadFile(Font(urw + "NimbusSans-Bold.otf")));
    WriteFile(folder + "Symbols.OTC", Collect({ReadFile(Font(urw + "D050000L.otf")), ReadFile(Font(urw + "StandardSymbolsPS.otf"))}, 2));
}

/* The bounding box of the dark pixels of a grey picture within w x h, and their count. */
static RECT InkBox(const std::function<int(int, int)> &grey, int w, int h, int *ink)
{
    RECT box = {w, h, 0, 0};
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (grey(x, y) < 128 && ++*ink)
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    return box;
}

/* Full name @ file name of each record, "(!)": the path does not open. */
static std::vector<std::string> Shown(void)
{
    std::vector<std::string> shown;
    for (const FontRecord *r : std::vector<FontRecord *>(catalogue.records, catalogue.records + catalogue.count))
        shown.push_back(std::string(r->fullFontName) + "@" + r->fileName +
                        (GetFileAttributesA(r->filePath) == INVALID_FILE_ATTRIBUTES ? " (!)" : ""));
    return shown;
}

/* A folder of every kind, with a .ttc of two faces the system does not know and .ttf
 * files named in CJK and Greek (UTF-8 is the program's code page).  The picked file type
 * decides the scan and stays for rescans and the next dialog; each face is registered only
 * while drawn or printed and printed in its own name, a PostScript face as its outlines, as
 * large and where the screen draws its text, the program going on as before; a typed Greek
 * and Cyrillic text and the file names print as written; a collection is installed once,
 * named by its faces, through any face. */
TEST_F(OpenType, EveryFaceOfEveryKindIsScannedDrawnPrintedAndInstalledAsItsOwn)
{
    const std::string folder = (Forget(), TempDir("ZvOtyp")), mono = folder + "ZvOtypSansMono.ttf";
    for (const char *face : {"DejaVuSansMono.ttf", "DejaVuSerif.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansCondensed.ttf"})
        RenamedFont(face, "ZvOtyp");
    WriteFile(mono, Collect({ReadFile(mono), ReadFile(folder + "ZvOtypSerif.ttf")}, 1));
    MoveFileA(mono.c_str(), (folder + "ZvOtypPair.ttc").c_str()), DeleteFileA((folder + "ZvOtypSerif.ttf").c_str());
    ASSERT_TRUE(MoveFileA((folder + "ZvOtypSans-Bold.ttf").c_str(), (folder + "ZvOtyp字体.ttf").c_str()));
    ASSERT_TRUE(MoveFileA((folder + "ZvOtypSansCondensed.ttf").c_str(), (folder + "ZvOtypΕλληνικά.ttf").c_str()));
    PostScriptFonts(folder);
    const std::vector<std::string> ttf = {"ZvOtyp Sans Bold@ZvOtyp字体.ttf", "ZvOtyp Sans Condensed@ZvOtypΕλληνικά.ttf"}, all = {
        "D050000L@Symbols.OTC", "NimbusSans-Bold@Nimbus.otf", "Standard Symbols PS@Symbols.OTC", ttf[0], ttf[1],
        "ZvOtyp Sans Mono@ZvOtypPair.ttc", "ZvOtyp Serif@ZvOtypPair.ttc"};
    const struct { int type; const char *typeBefore; const std::vector<std::string> &faces; } types[] = {
        {3, "True Type Fonts", all}, {2, "All fonts", ttf}, {3, "All Files", all}, {1, "All fonts", ttf}};
    for (const auto &c : types) {
        std::string typeBefore;
        ScriptExpect(Inspect(Edit(Dialog("Select any font in your directory"), 1148, folder + "Allfiles"), [&](HWND dialog) {
            typeBefore = ControlText(dialog, 1136);
            SendDlgItemMessageA(dialog, 1136, CB_SETCURSEL, (WPARAM)(c.type - 1), 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELENDOK), (LPARAM)GetDlgItem(dialog, 1136));
        }));
        SendCommand(CMD_DEFINE_DIRECTORY);
        EXPECT_EQ(c.typeBefore, typeBefore);
        for (int rescans = 0; rescans < 2; rescans++, SendMessageA(mainWindow, UM_RESCAN, 0, 0))
            EXPECT_EQ(c.faces, Shown()) << c.type << " after rescans: " << rescans;
    }

    settings.allFontFiles = 1, ScanFolder(folder);
    HDC dc = GetDC(clientWindow);
    for (int step : {0, UM_LOADALL, UM_UNLOADALL}) {
        SendMessageA(mainWindow, step, (WPARAM)dc, 0);
        for (const char *face : {"ZvOtyp Sans Mono", "ZvOtyp Serif", "ZvOtyp Sans"})
            EXPECT_EQ(step == UM_LOADALL, FamilyListed(face)) << face << " after " << step;
    }
    ReleaseDC(clientWindow, dc);
    PageLayout L; /* the sheet's geometry */
    printing = 1, ComputeLayout(&L), printing = 0;
    Capture grid = CaptureWindow(clientWindow);
    Printout printed = Print(Dialog("Print"));
    EXPECT_EQ(L.pageCount, printed.pages);
    for (const char *name : {"ZvOtypSansMono ", "ZvOtypSerif ", "ZvOtypSans-Bold ", "ZvOtypSansCondensed "})
        EXPECT_NE(std::string::npos, printed.fonts.find(name)) << name << " is not in\n" << printed.fonts;
    std::string pgm; /* the sheet at the printer's 300 dpi, 8-bit grey, in the test's own prefix */
    RunLinux("pdftoppm -r 300 -gray -singlefile \"$(dirname \"$CUPS_SERVER\")\"/pdf/*.pdf \"$WINEPREFIX/zvotyp\"");
    int width = 0, height = 0, start = ((pgm = ReadFile("Z:" + std::string(getenv("WINEPREFIX")) + "/zvotyp.pgm")), 0);
    ASSERT_EQ(2, sscanf(pgm.c_str(), "P5 %d %d 255%n", &width, &height, &start)) << pgm.substr(0, 20);
    for (int i = 0, at = 0; i < displayList.count; i++) { /* labels in order; a PostScript face's ink */
        const FontRecord *r = displayList.records[i];
        char label[NAME_SIZE];
        FormatCellLabel(r, label, sizeof label);
        EXPECT_NE(std::string::npos, at = (int)printed.text.find(label, at)) << label << " in order in\n" << printed.text;
        int column = i % settings.columns, row = i / settings.columns, w = (int)L.cellWidth;
        int x0 = (int)(column * (double)L.cellWidth + L.originX), y0 = (int)(row * (double)L.cellHeight + L.originY + L.lineHeight);
        int h = (int)(L.cellTopOffset + L.cellHeight - L.lineHeight);
        if (!r->postScriptOutlines) continue;
        ASSERT_TRUE(x0 + w <= width && y0 + h <= height && row < L.rowsPerPage) << label;
        unsigned *bits; /* the same text drawn on a screen bitmap */
        BITMAPINFO info = {{sizeof info.bmiHeader, w, -h, 1, 32}};
        HDC memory = CreateCompatibleDC(NULL);
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
        LOGFONTA face = r->logFont;
        face.lfHeight = L.sampleFontHeight, face.lfWidth = 0;
        HFONT font = CreateFontIndirectA(&face);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap), oldFont = SelectObject(memory, font);
        PatBlt(memory, 0, 0, w, h, WHITENESS), TextOutA(memory, 0, 0, settings.sampleText, lstrlenA(settings.sampleText));
        int inkWanted = 0, ink = 0;
        RECT want = InkBox([&](int x, int y) { return bits[y * w + x] & 0xFF; }, w, h, &inkWanted);
        RECT got = InkBox([&](int x, int y) { return (uint8_t)pgm[start + 1 + (size_t)(y0 + y) * width + x0 + x]; }, w, h, &ink);
        SelectObject(memory, oldBitmap), SelectObject(memory, oldFont), DeleteObject(bitmap), DeleteObject(font), DeleteDC(memory);
        const int across[] = {(int)(want.right - want.left), (int)(want.bottom - want.top)};
        for (int edge = 0; edge < 4; edge++) /* left, top, right, bottom: within 2 % of the extent */
            EXPECT_NEAR((&want.left)[edge], (&got.left)[edge], 1 + 0.02 * across[edge % 2]) << label << " edge " << edge;
        EXPECT_NEAR(1.1 * inkWanted, ink, 0.1 * inkWanted) << label << ": the glyphs' ink (the sheet's a tenth bolder)";
    }
    EXPECT_EQ(0, Differences(grid, CaptureWindow(clientWindow))); /* the same grid */
    for (int i = 0; i < displayList.count; i++) /* every file registered for the job is removed */
        EXPECT_FALSE(RemoveFontResourceA(displayList.records[i]->filePath)) << displayList.records[i]->filePath;
    settings.labelMode = LABEL_FILE_NAME;
    ScriptExpect(Inspect(Dialog("Write text"), [](HWND d) { SetDlgItemTextW(d, IDC_TEXT_EDIT, L"Ελληνικά Кириллица"); }));
    SendCommand(CMD_TEXT_DEFINE);
    std::string text = Print(Dialog("Print")).text;
    size_t cells = 0, at = 0; /* in every TrueType cell, wrapped after 16 characters there */
    while ((at = text.find("Ελληνικά Кирилли", at) + 1) != 0) cells++;
    EXPECT_EQ(4u, cells) << text;
    EXPECT_NE(std::string::npos, text.find("ZvOtypΕλληνικά.ttf")) << "the file name label as written";
    ASSERT_EQ(all, Shown());
    const char *pair = "ZvOtyp Sans Mono & ZvOtyp Serif (TrueType)";
    const struct { int face, mode; const char *value; int other; } installs[] = { /* faces as in `all` */
        {6, IDC_INSTALL_COPY, pair, 5}, {5, IDC_INSTALL_NOCOPY, pair, 6}, {3, IDC_INSTALL_COPY, "ZvOtyp Sans Bold (TrueType)", -1},
        {4, IDC_INSTALL_COPY, "ZvOtyp Sans Condensed (TrueType)", -1},
        {0, IDC_INSTALL_NOCOPY, "D050000L & Standard Symbols PS (OpenType)", 0}}; /* packaged: installed already */
    for (const auto &c : installs) {
        const FontRecord *record = catalogue.records[c.face];
        char value[2048], data[300] = "";
        installMode = c.mode, FontListValueName(record, value, sizeof value);
        EXPECT_EQ(c.value, std::string(value));
        if (c.face != c.other) {
            EXPECT_EQ(1, InstallFont(record)) << value << ": " << installMessage;
            DWORD size = sizeof data;
            RegGetValueA(HKEY_LOCAL_MACHINE, fontKeyNt, value, RRF_RT_REG_SZ, NULL, data, &size);
            EXPECT_EQ(c.mode == IDC_INSTALL_COPY ? record->fileName : record->filePath, std::string(data));
            EXPECT_TRUE(FamilyListed(record->logFont.lfFaceName)) << value;
        }
        if (c.other >= 0) { /* the file brought every face */
            EXPECT_EQ(0, InstallFont(catalogue.records[c.other]));
            EXPECT_EQ(std::string("Font '") + catalogue.records[c.other]->fullFontName + "' already installed!", installMessage);
        }
        Forget();
    }
    installMode = IDC_INSTALL_COPY; /* a walk over both faces: the file once, no box for the second */
    ForEachCatalogueFont(NULL, (FONTENUMPROCA)InstallCatalogueFont, 0, 5, 6);
    EXPECT_EQ(0, RegGetValueA(HKEY_LOCAL_MACHINE, fontKeyNt, pair, RRF_RT_REG_SZ, NULL, NULL, NULL));
    Forget();
}

/* fonts-wqy names itself in the system's language, in Chinese under a Chinese locale (CTest's
 * opentype_test_in_chinese): the Install Font dialog shows it and the path as written (UTF-16). */
TEST_F(OpenType, NamesInTheSystemsLanguageReachTheDialogsInAnyScript)
{
    const bool chinese = getenv("LANG") != NULL && strncmp(getenv("LANG"), "zh_CN", 5) == 0;
    const std::string folder = TempDir("ZvWqy");
    WriteFile(folder + "字体 Ελληνικά.ttc", ReadFile(Font("wqy/wqy-microhei.ttc")));
    settings.allFontFiles = 1, ScanFolder(folder);
    std::wstring shown;
    ScriptExpect(Inspect(Dialog("Install Font", IDCANCEL), [&](HWND d) { shown = ControlTextW(d, IDC_INSTALL_PATH) + L"|" + ControlTextW(d, IDC_INSTALL_NAME); }));
    shell.selectedFont = 0, DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_INSTALL), mainWindow, InstallDialogProc, 0);
    EXPECT_EQ(std::wstring(folder.begin(), folder.end()) + L"字体 Ελληνικά.ttc|" + (chinese ? L"文泉驿微米黑" : L"WenQuanYi Micro Hei"), shown);
}
