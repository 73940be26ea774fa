/* shell_test.cpp - start-up that cannot go on, and the shell's own commands: size steps,
 * the toolbar's pictures and its Bold button clicked for real, the Text dialog, the Info
 * dialog's pages, also at 144 dpi; a folder or font file named on the command line or
 * dropped on the window. */
#include "harness.h"

#include <commctrl.h>
#define Shell WindowsShell /* shldisp.h names a class so, beside the fixture below */
#include <shlobj.h> /* DROPFILES */
#undef Shell

static std::wstring Wide(const std::string &utf8) { std::wstring w(utf8.size(), L'\0'); return w.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &w[0], (int)w.size())), w; }

/* testdata\name\ holding links to 67 fonts (DejaVu, Liberation, FreeFont, Open Sans, Carlito), a text and a .ttf that is none. */
static std::string LinkedFonts(const std::string &name)
{
    std::string folder = TempDir(name), unix = getenv("ZENVRIX_BINARY_DIR") + ("/testdata/" + name + "/");
    RunLinux("cd /usr/share/fonts/truetype && ln -s $PWD/dejavu/*.ttf $PWD/liberation*/*.ttf $PWD/freefont/*.ttf $PWD/open-sans/*.ttf $PWD/crosextra/*.ttf '" + unix + "'");
    return WriteFile(folder + "notes.txt", "fonts"), WriteFile(folder + "Broken.ttf", "no font"), folder;
}

TEST(StartUp, AMissingStringOrNoMemoryForTheFileBufferStopsWithItsMessage)
{
    const struct { FaultPoint fault; int okCalls; const char *box; } cases[] = {{FAULT_LOAD_STRING, 0, "can't load string table"},
        {FAULT_LOAD_STRING, 5, "can't load string table"}, {FAULT_GLOBAL_ALLOC, 0, "Not enough memory"}};
    for (const auto &c : cases) {
        SetFault(c.fault, c.okCalls, 1), ScriptBegin(), ScriptExpect(Box(c.box));
        EXPECT_EQ(-1, StartZenvrix());
        EXPECT_EQ("", ScriptEnd());
        ClearFaults(), StopZenvrix();
    }
}

/* The file of the first entry on the top row. */
static std::string TopFile(void) { return shell.topRow * settings.columns < displayList.count ? displayList.records[shell.topRow * settings.columns]->fileName : ""; }

TEST(StartUp, AFolderOrFontFileOnTheCommandLineIsShownABadPathIsNamedThenTheInstalledFontsAre)
{
    const std::string folder = LinkedFonts("Νέες γραμματοσειρές");
    RunLinux("ln -s /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc '" + std::string(getenv("ZENVRIX_BINARY_DIR")) + "/testdata/Νέες γραμματοσειρές/'");
    const std::wstring exe = L"zenvrix.exe", quoted = L" \"" + Wide(folder); /* the folder ends with a backslash */
    const struct { std::wstring line; std::string box, folder; int count; const char *top; } cases[] = {{exe, "", "", 0, ""},
        {exe + quoted + L"\"", "", folder, 67, ""}, {exe + quoted.substr(0, quoted.size() - 1) + L"\"", "", folder, 67, ""},
        {exe + quoted + L"DejaVuSerif.ttf\"", "", folder, 67, "DejaVuSerif.ttf"}, {exe + quoted + L"wqy-zenhei.ttc\"", "", folder, 70, ""},
        {L"\"C:\\Program Files\\z.exe\"" + quoted + L"Λείπει\\\"", folder + "Λείπει\\\ndoes not exist.", "", 0, ""},
        {exe + quoted + L"notes.txt\"", folder + "notes.txt\nis not a folder or a font file.", "", 0, ""},
        {exe + quoted + L"Broken.ttf\" more", folder + "Broken.ttf\nis not a folder or a font file.", "", 0, ""}};
    for (const auto &c : cases) {
        ScriptBegin();
        if (!c.box.empty()) ScriptExpect(Box(c.box));
        EXPECT_EQ(1, AppStartup(GetModuleHandleA(NULL), c.line.c_str()));
        EXPECT_EQ("", ScriptEnd());
        EXPECT_EQ(c.folder + "|" + std::to_string(!c.folder.empty()) + std::to_string(c.count == 70), settings.currentDirectory + ("|" + std::to_string(settings.sourceIsDirectory)) + std::to_string(settings.allFontFiles));
        EXPECT_TRUE(c.count ? displayList.count == c.count : displayList.count > 70 && shell.topRow == 0) << displayList.count; /* else the installed fonts */
        EXPECT_EQ(c.top, *c.top ? TopFile() : "");
        StopZenvrix();
    }
}

typedef Program Shell;

TEST_F(Shell, SizeStepsAreATenthOfTheSizeWithinFiveToSixtyAndEachSizeAndColumnsCommandSetsItsOwn)
{
    const struct { int from, command, to; } steps[] = {{15, CMD_SIZE_UP, 16}, {41, CMD_SIZE_UP, 45}, {59, CMD_SIZE_UP, 60},
        {60, CMD_SIZE_UP, 60}, {20, CMD_SIZE_DOWN, 18}, {9, CMD_SIZE_DOWN, 8}, {5, CMD_SIZE_DOWN, 5}, {9, CMD_SIZE_6, 6},
        {9, CMD_SIZE_8, 8}, {9, CMD_SIZE_10, 10}, {9, CMD_SIZE_12, 12}, {9, CMD_SIZE_14, 14}, {9, CMD_SIZE_15, 15}, {9, CMD_SIZE_18, 18},
        {9, CMD_SIZE_22, 22}, {9, CMD_SIZE_27, 27}, {9, CMD_SIZE_33, 33}, {9, CMD_SIZE_41, 41}, {9, CMD_COLUMNS_1, 1},
        {9, CMD_COLUMNS_2, 2}, {9, CMD_COLUMNS_3, 3}, {9, CMD_COLUMNS_4, 4}, {9, CMD_COLUMNS_5, 5}, {9, CMD_COLUMNS_6, 6},
        {9, CMD_COLUMNS_7, 7}, {3, CMD_COLUMNS_UP, 4}, {15, CMD_COLUMNS_UP, 15}, {3, CMD_COLUMNS_DOWN, 2}, {2, CMD_COLUMNS_DOWN, 1}};
    for (const auto &step : steps) {
        int *value = step.command <= CMD_COLUMNS_1 || step.command >= CMD_COLUMNS_UP ? &settings.columns : &settings.pointSize;
        EXPECT_EQ(step.to, (*value = step.from, SendCommand(step.command), *value)) << step.command << " from " << step.from;
    }
}

TEST_F(Shell, TheValueDialogShowsTheValueAndOkTakesItWithinItsLimitsCancelKeepsIt)
{
    const struct { int command, *value, from, press; const char *typed; int to; } cases[] = {
        {CMD_SIZE_CUSTOM, &settings.pointSize, 12, IDOK, "99", 60}, {CMD_SIZE_CUSTOM, &settings.pointSize, 12, IDOK, "2", 5},
        {CMD_COLUMNS_CUSTOM, &settings.columns, 3, IDOK, "1", 1}, {CMD_COLUMNS_CUSTOM, &settings.columns, 3, IDOK, "99", 15},
        {CMD_COLUMNS_CUSTOM, &settings.columns, 3, IDCANCEL, "9", 3}};
    for (const auto &c : cases) {
        *c.value = c.from;
        ScriptExpect(Inspect(Edit(Dialog("Enter value:", c.press), IDC_VALUE_EDIT, c.typed),
                             [&](HWND dialog) { EXPECT_EQ(std::to_string(c.from), ControlText(dialog, IDC_VALUE_EDIT)); }));
        EXPECT_EQ(c.to, (SendCommand(c.command), *c.value)) << c.typed;
    }
}

TEST_F(Shell, TheBoldPictureButtonClickedForRealTurnsBoldOn)
{
    RECT rect = {};
    int pictures = 0; /* each of the strip's 14 pictures on one button */
    for (int i = 0; i < (int)SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0); i++) {
        TBBUTTON button;
        SendMessageA(toolbar, TB_GETBUTTON, i, (LPARAM)&button);
        pictures += button.fsStyle & TBSTYLE_SEP ? 0 : 1 << button.iBitmap;
        if (button.iBitmap == 6 && !(button.fsStyle & TBSTYLE_SEP)) /* the bold picture */
            SendMessageA(toolbar, TB_GETITEMRECT, i, (LPARAM)&rect);
    }
    EXPECT_EQ(0x3FFF, pictures);
    SetForegroundWindow(mainWindow);
    Mouse(toolbar, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    EXPECT_EQ(10, settings.bold * 10 + settings.italic);
    EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONCHECKED, CMD_BOLD, 0));
}

TEST_F(Shell, TheMenuChecksWhatIsInForceAndNormalAndAllStylesSetTheStyle)
{
    settings.sourceIsDirectory = 1; /* a folder: Bold, Normal, All styles twice, Italic, each style in force checked */
    const int steps[][2] = {{CMD_BOLD, CMD_BOLD}, {CMD_NORMAL, CMD_NORMAL}, {CMD_ALL_STYLES, CMD_ALL_STYLES}, {CMD_ALL_STYLES, CMD_NORMAL}, {CMD_ITALIC, CMD_ITALIC}};
    for (const auto &step : steps) {
        std::set<int> checked, wanted = {CMD_TRUETYPE_ONLY, CMD_LABEL_FULLNAME, CMD_TEXT_SHORT, CMD_OWN_SCRIPT, CMD_FROM_DIRECTORY, CMD_LABEL_SMALL, step[1]};
        for (int id = (SendCommand(step[0]), 100); id < 300; id++)
            if ((GetMenuState(GetMenu(mainWindow), id, MF_BYCOMMAND) & (MF_CHECKED | 0x80000000u)) == MF_CHECKED) /* -1: no such item */
                checked.insert(id);
        EXPECT_EQ(wanted, checked) << step[0];
    }
}

TEST_F(Shell, TheTextDialogShowsTheCustomTextAndOkTakesItAnEmptyOneAsADash)
{
    strcpy(settings.customText, "old");
    for (auto c : {std::make_pair(IDCANCEL, "old"), {IDOK, "-"}}) { /* "new" cancelled, then "" taken */
        ScriptExpect(Inspect(Edit(Dialog("Write text", c.first), IDC_TEXT_EDIT, c.first == IDOK ? "" : "new"),
                             [](HWND dialog) { EXPECT_EQ(settings.customText, ControlText(dialog, IDC_TEXT_EDIT)); }));
        EXPECT_STREQ(c.second, (SendCommand(CMD_TEXT_DEFINE), settings.customText));
        EXPECT_EQ(c.first == IDOK, settings.sampleText == settings.customText);
    }
}

TEST_F(Shell, TheInfoDialogNamesThePagesTheVisibleRowsSpan)
{
    ShowCells(400);
    std::vector<std::string> seen;
    for (int top : {0, 15, 22}) {
        SendMessageA(mainWindow, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, top), 0);
        ScriptExpect(Inspect(Dialog("Info"), [&](HWND dialog) { seen.push_back(ControlText(dialog, IDC_INFO_VISIBLE)); }));
        SendCommand(CMD_INFO);
    }
    EXPECT_EQ(22, pageLayout.sheetRowsPerPage); /* an A4 sheet at 300 dpi */
    EXPECT_EQ((std::vector<std::string>{"1", "1-2", "2"}), seen);
}


TEST_F(Shell, PreviousDirectoryFirstAsksForAFolderThenSwapsTheFolderShownWithTheOneBefore)
{
    const std::string a = TempDir("ZvPrevA"), b = TempDir("ZvPrevB"), c = TempDir("ZvPrevC");
    for (const std::string &folder : {a, b, c})
        ScriptExpect(Edit(Dialog("Select any font in your directory"), 1148, folder + "Allfiles"));
    for (int command : {CMD_PREVIOUS_DIRECTORY, CMD_PREVIOUS_DIRECTORY, CMD_DEFINE_DIRECTORY, CMD_DEFINE_DIRECTORY, CMD_PREVIOUS_DIRECTORY})
        SendCommand(command);
    EXPECT_EQ(b + "|" + c + "|1", settings.currentDirectory + ("|" + std::string(settings.previousDirectory)) + "|" + std::to_string(settings.sourceIsDirectory));
}

/* A drop as Explorer makes one: DROPFILES in moveable memory, wide names, each ended and the list ended again. */
static HGLOBAL Drop(std::initializer_list<std::string> paths)
{
    std::wstring names;
    for (const std::string &path : paths) names += Wide(path) + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    DROPFILES *drop = (DROPFILES *)GlobalLock(memory);
    drop->pFiles = sizeof *drop, drop->pt = {40, 40}, drop->fWide = TRUE, memcpy(drop + 1, names.c_str(), (names.size() + 1) * sizeof(wchar_t));
    return GlobalUnlock(memory), PostMessageA(mainWindow, WM_DROPFILES, (WPARAM)memory, 0), PumpMessages(), memory;
}

TEST_F(Shell, TheFirstItemDroppedIsShownAFolderOrFontFileButNoneWhileADialogIsOpenAndF5ReadsTheSourceAgain)
{
    const std::string folder = LinkedFonts("Dropped fonts");
    ShowCells(5), SendMessageA(mainWindow, WM_KEYDOWN, VK_F5, 0);
    EXPECT_GT(displayList.count, 67) << "the installed fonts again";
    Drop({folder, Font("dejavu/DejaVuSans.ttf")});
    EXPECT_EQ(folder + "|67", settings.currentDirectory + ("|" + std::to_string(displayList.count)));
    ScriptExpect(Inspect(Dialog("Select any font in your directory", IDCANCEL), [&](HWND dialog) { /* it opens there */
        char shown[MAX_PATH] = ""; SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)shown); EXPECT_EQ(folder, shown + std::string("\\")); }));
    SendCommand(CMD_DEFINE_DIRECTORY);
    settings.bold = 1, settings.columns = 1, settings.pointSize = 60, Drop({folder + "FreeSerifItalic.ttf"});
    EXPECT_EQ("FreeSerifBold.ttf", TopFile()) << "its family's entry in the style shown";
    HGLOBAL ignored[2];
    ScriptExpect(Inspect(Box(folder + "gone.ttf\ndoes not exist."), [&](HWND) { ignored[0] = Drop({Font("dejavu/")}); }));
    ScriptExpect(Inspect(Dialog("Info"), [&](HWND) { ignored[1] = Drop({Font("liberation/")}); }));
    Drop({folder + "gone.ttf"}), SendCommand(CMD_INFO);
    EXPECT_EQ(folder + "|00", settings.currentDirectory + ("|" + std::to_string(GlobalSize(ignored[0]))) + std::to_string(GlobalSize(ignored[1])));
    RunLinux("ln -s /usr/share/fonts/truetype/noto/NotoSans-Regular.ttf '" + std::string(getenv("ZENVRIX_BINARY_DIR")) + "/testdata/Dropped fonts/'");
    int families = displayList.count;
    EXPECT_EQ(families + 1, (SendMessageA(mainWindow, WM_KEYDOWN, VK_F5, 0), displayList.count)) << "the folder read again";
}

typedef Program At144Dpi;

/* Without a printer the page figures follow the screen too. */
TEST_F(At144Dpi, TheGridAndTheInfoDialogFollowTheScreensResolution)
{
    if (getenv("ZENVRIX_AT_144_DPI") == NULL) GTEST_SKIP() << "runs only in the CTest entry whose prefix is at 144 dpi";
    ShowCells(100);
    RECT outer, inner, bar, frame; /* the client at 800 x 600 */
    GetWindowRect(mainWindow, &outer), GetClientRect(clientWindow, &inner);
    MoveWindow(mainWindow, 0, 0, 800 + outer.right - outer.left - inner.right, 600 + outer.bottom - outer.top - inner.bottom, TRUE);
    GetWindowRect(toolbar, &bar), GetClientRect(mainWindow, &frame);
    EXPECT_EQ(frame.right, bar.right - bar.left) << "the toolbar takes the new width";
    std::string info;
    ScriptExpect(Inspect(Dialog("Info"), [&](HWND dialog) {
        for (int id : {IDC_INFO_FONTS, IDC_INFO_PAGES, IDC_INFO_FILL, IDC_INFO_VISIBLE}) info += ControlText(dialog, id) + "|"; }));
    SendCommand(CMD_INFO);
    EXPECT_EQ("100|9|50 %|1-2|", info); /* 4 rows of 102 pixels on a sheet of 427 */
    const PageLayout &l = pageLayout; /* 15 points: 30 pixels, a line 34 */
    EXPECT_EQ((std::vector<float>{144, 12, 3, 102, 10, -30, 5, 4}), (std::vector<float>{(float)l.screenDpiY, (float)l.charsPerLine,
        (float)l.linesPerCell, l.cellHeight, (float)l.cellTopOffset, (float)l.sampleFontHeight, (float)l.visibleRows, (float)l.rowsPerPage}));
}
