/* shell_test.cpp - start-up and shutdown, the menu, the view commands with their
 * check marks, the option dialogs, the keyboard and the wheel, the read-me command. */
#include <gtest/gtest.h>

#include <string.h>

#include "app/appwindows.h"
#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "render/layout.h"
#include "resources/resource.h"

namespace {

/* Every test runs the real windows; a default printer exists in the test run. */
typedef RunningProgram Shell;

bool MenuChecked(int command)
{
    return (GetMenuState(GetMenu(mainWindow), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

/* ---- start-up and shutdown ---- */

TEST_F(Shell, MainWindowHasTheProgramTitleAndItsMenu)
{
    #ifdef _WIN64
    EXPECT_EQ("Zenvrix - 64 bit ver.", WindowText(mainWindow));
#else
    EXPECT_EQ("Zenvrix - 32 bit ver.", WindowText(mainWindow));
#endif
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_NE((HMENU)NULL, GetMenu(mainWindow));
    EXPECT_TRUE(IsWindow(clientWindow));
    EXPECT_EQ(mainWindow, GetParent(clientWindow));
}

TEST_F(Shell, ClientWindowSitsTwoPixelsBelowTheToolbarAndReachesBelowTheClientArea)
{
    RECT tb = {0, 0, 0, 0}, rc, client;
    if (toolbar != NULL)
        GetClientRect(toolbar, &tb);
    GetClientRect(mainWindow, &rc);
    GetWindowRect(clientWindow, &client);
    MapWindowPoints(NULL, mainWindow, (POINT *)&client, 2);
    EXPECT_EQ(tb.bottom + 2, client.top);
    EXPECT_EQ(0, client.left);
    EXPECT_EQ(rc.right, client.right - client.left);
    EXPECT_EQ(rc.bottom - 9, client.bottom - client.top);
}

TEST_F(Shell, StringTableTextsAreLoadedAtStartUp)
{
    EXPECT_STREQ("Example-TEXT123", settings.shortText);
    EXPECT_STREQ("1234567890qwertyuiopasdfghjklzxcvbnmQWERTYUIOPASDFGHJKL`-=\\[];',./~_+|{}:\"<>?",
                 settings.fullText);
    EXPECT_EQ(77u, strlen(settings.fullText));
    EXPECT_STREQ("define!", settings.customText);
    EXPECT_STREQ("Arial", labelFaceName);
    EXPECT_STREQ("CE,pl", settings.filterText);
    EXPECT_STREQ("Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", fontKeyNt);
    EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion\\Fonts", fontKey);
    EXPECT_STREQ("Not enough memory", textNoMemory);
    EXPECT_STREQ("Printer HDC error!", textPrinterHdcError);
    size_t tempLength = strlen(tempDirectory);
    ASSERT_GT(tempLength, 0u);
    EXPECT_EQ('\\', tempDirectory[tempLength - 1]);
    EXPECT_EQ(std::string(tempDirectory) + "Qtymcz.fot", scratchFotPath);
}

TEST_F(Shell, ViewSettingsStartFromTheDefaults)
{
    EXPECT_EQ(3, settings.columns);
    EXPECT_EQ(15, settings.pointSize);
    EXPECT_EQ(0, settings.bold);
    EXPECT_EQ(0, settings.italic);
    EXPECT_EQ(1, settings.allStyles);
    EXPECT_EQ(settings.shortText, settings.sampleText);
    EXPECT_EQ(LABEL_FULL_NAME, settings.labelMode);
    EXPECT_EQ(1.0f, settings.labelScale);
    EXPECT_EQ(1, settings.trueTypeOnly);
    EXPECT_EQ(0, settings.filterOn);
    EXPECT_EQ(IDC_FILTER_AT_END, settings.filterMode);
    EXPECT_EQ(0, settings.sourceIsDirectory);
    EXPECT_EQ(4.0f, settings.marginLeft);
    EXPECT_EQ(4.0f, settings.marginRight);
    EXPECT_EQ(2.0f, settings.marginTop);
    EXPECT_EQ(10.0f, settings.marginBottom);
    EXPECT_EQ(1, shell.lastStepDown);
    EXPECT_EQ(0, shell.topRow);
}

/* Notes the main window's rectangle when it is first shown, before the nudge. */
static RECT shownRect;
static HHOOK shownHook;
static LRESULT CALLBACK NoteShown(int code, WPARAM wParam, LPARAM lParam)
{
    CWPSTRUCT *message = (CWPSTRUCT *)lParam;
    if (code == HC_ACTION && message->message == WM_SHOWWINDOW && message->wParam &&
        message->hwnd == mainWindow && shownRect.right == 0)
        GetWindowRect(message->hwnd, &shownRect);
    return CallNextHookEx(shownHook, code, wParam, lParam);
}

TEST(StartUp, NudgesTheWindowOnePixelUpLeftAndLarger)
{
    ZeroMemory(&shownRect, sizeof shownRect);
    shownHook = SetWindowsHookExA(WH_CALLWNDPROC, NoteShown, NULL, GetCurrentThreadId());
    ScriptBegin();
    ASSERT_EQ(1, StartZenvrix());
    UnhookWindowsHookEx(shownHook);
    RECT now;
    GetWindowRect(mainWindow, &now);
    EXPECT_EQ("", ScriptEnd());
    StopZenvrix();
    ASSERT_NE(0, shownRect.right);
    EXPECT_EQ(shownRect.left - 1, now.left);
    EXPECT_EQ(shownRect.top - 1, now.top);
    EXPECT_EQ(shownRect.right - shownRect.left + 1, now.right - now.left);
    EXPECT_EQ(shownRect.bottom - shownRect.top + 1, now.bottom - now.top);
}

TEST(StartUp, AMissingStringStopsWithItsMessage)
{
    ClearFaults();
    SetFault(FAULT_LOAD_STRING, 16, 1); /* the last of the seventeen loads */
    ScriptBegin();
    ScriptExpect(Box("can't load string table"));
    EXPECT_EQ(-1, StartZenvrix());
    EXPECT_EQ(17, FaultCalls(FAULT_LOAD_STRING));
    EXPECT_EQ("", ScriptEnd());
    ClearFaults();
    StopZenvrix();
}

TEST(StartUp, NoMemoryForTheFileBufferStopsWithNotEnoughMemory)
{
    ClearFaults();
    SetFault(FAULT_GLOBAL_ALLOC, 0, 1);
    ScriptBegin();
    ScriptExpect(Box("Not enough memory"));
    EXPECT_EQ(-1, StartZenvrix());
    EXPECT_EQ("", ScriptEnd());
    EXPECT_EQ(NULL, fileBuffer);
    ClearFaults();
    StopZenvrix();
}

TEST(StartUp, ShutdownGivesBackTheFileBufferAndTheLists)
{
    ScriptBegin();
    ASSERT_EQ(1, StartZenvrix());
    unsigned char *buffer = fileBuffer;
    ASSERT_NE((unsigned char *)NULL, buffer);
    MEMORY_BASIC_INFORMATION region;
    ASSERT_NE(0u, VirtualQuery(buffer, &region, sizeof region));
    EXPECT_EQ((DWORD)MEM_COMMIT, region.State);
    EXPECT_GE((size_t)region.RegionSize, (size_t)FILE_BUFFER_SIZE - 65536);
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(0, buffer[FILE_BUFFER_SIZE - 1]);
    EXPECT_EQ("", ScriptEnd());
    StopZenvrix();
    ASSERT_NE(0u, VirtualQuery(buffer, &region, sizeof region));
    EXPECT_NE((DWORD)MEM_COMMIT, region.State); /* the 100,000,000 bytes went back */
    EXPECT_EQ(NULL, fileBuffer);
    EXPECT_EQ(NULL, catalogue.records);
    EXPECT_EQ(0, catalogue.count);
    EXPECT_EQ(NULL, displayList.records);
    EXPECT_EQ(0, displayList.count);
}

/* ---- the menu ---- */

struct MenuItem {
    const char *text;
    int command;   /* 0: separator */
};

static void ExpectPopup(HMENU popup, const std::vector<MenuItem> &items)
{
    ASSERT_EQ((int)items.size(), GetMenuItemCount(popup));
    for (size_t i = 0; i < items.size(); i++) {
        char text[128] = "";
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        ASSERT_TRUE(GetMenuItemInfoA(popup, (UINT)i, TRUE, &info));
        if (items[i].command == 0) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "item " << i;
        } else {
            EXPECT_EQ((UINT)items[i].command, info.wID) << "item " << i;
            EXPECT_STREQ(items[i].text, text) << "item " << i;
        }
    }
}

TEST_F(Shell, MenuHoldsThePopupsAndItemsInOrder)
{
    HMENU menu = GetMenu(mainWindow);
    const char *popups[] = {"&File", "&Columns", "&Size", "S&tyle", "T&ext", "Fo&nt name",
                            "&Options", "&Info"};
    ASSERT_EQ(8, GetMenuItemCount(menu));
    for (int i = 0; i < 8; i++) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(popups[i], text);
    }
    ExpectPopup(GetSubMenu(menu, 0),
                {{"&Define directory...", 133}, {"Pr&evious directory", 146},
                 {"Include &Subdirectories", 154}, {"", 0}, {"&From directory", 134},
                 {"&Installed fonts", 135}, {"", 0}, {"&Print...", 121},
                 {"Pri&nt with default settings...", 155}, {"P&rinter setup...", 128},
                 {"Prin&ter margins...", 132}, {"&Show preview", 131}, {"", 0},
                 {"E&xit", 138}});
    ExpectPopup(GetSubMenu(menu, 1), {{"&1", 107}, {"&2", 103}, {"&3", 104}, {"&4", 105},
                                      {"&5", 106}, {"&6", 102}, {"&7", 101},
                                      {"&Custom...", 129}});
    ExpectPopup(GetSubMenu(menu, 2),
                {{"&6", 108}, {"&8", 109}, {"1&0", 110}, {"1&2", 111}, {"1&4", 112},
                 {"1&5", 113}, {"18", 114}, {"22", 115}, {"2&7", 116}, {"3&3", 117},
                 {"4&1", 118}, {"&Custom...", 130}});
    ExpectPopup(GetSubMenu(menu, 3), {{"&Italic", 125}, {"&Bold", 127}, {"&Normal", 126},
                                      {"&All (for not installed fonts)", 144}});
    ExpectPopup(GetSubMenu(menu, 4),
                {{"&Short example", 120}, {"&Full example", 119}, {"&Custom", 122}, {"", 0},
                 {"D&efine custom...", 123}, {"F&orce national codepage", 153}});
    ExpectPopup(GetSubMenu(menu, 5),
                {{"&Small", 143}, {"&Medium", 142}, {"&Large", 151}, {"", 0},
                 {"Face names (for not installed fonts)", 152},
                 {"Full Font names (for not installed fonts)", 148},
                 {"File names (for not installed fonts)", 145},
                 {"Full paths (for not installed fonts)", 156},
                 {"Font && File names (for not installed fonts)", 149},
                 {"Full Font names && File names (for not installed fonts)", 150}});
    ExpectPopup(GetSubMenu(menu, 6),
                {{"&True Type Only", 140}, {"&Separator lines", 139}, {"Fi&lter...", 136},
                 {"&Filtered only", 137}, {"&Install font...", 141}});
    ExpectPopup(GetSubMenu(menu, 7), {{"Inf&o...", 124}, {"View Readme.txt", 157}});
}

/* ---- view commands and check marks ---- */

TEST_F(Shell, DefaultCheckMarksForInstalledFonts)
{
    EXPECT_TRUE(MenuChecked(CMD_TRUETYPE_ONLY));
    EXPECT_TRUE(MenuChecked(CMD_NORMAL));
    EXPECT_FALSE(MenuChecked(CMD_ALL_STYLES)); /* All is never marked for installed fonts */
    EXPECT_TRUE(MenuChecked(CMD_LABEL_FULLNAME));
    EXPECT_TRUE(MenuChecked(CMD_TEXT_SHORT));
    EXPECT_TRUE(MenuChecked(CMD_INSTALLED_FONTS));
    EXPECT_FALSE(MenuChecked(CMD_FROM_DIRECTORY));
    EXPECT_TRUE(MenuChecked(CMD_LABEL_SMALL));
    EXPECT_FALSE(MenuChecked(CMD_SEPARATORS));
    EXPECT_FALSE(MenuChecked(CMD_PREVIEW));
    EXPECT_FALSE(MenuChecked(CMD_COLUMNS_3)); /* columns and sizes carry no mark */
    EXPECT_FALSE(MenuChecked(CMD_SIZE_15));
}

TEST_F(Shell, ColumnAndSizeItemsSetTheirValues)
{
    const int columnCommands[] = {CMD_COLUMNS_1, CMD_COLUMNS_2, CMD_COLUMNS_3, CMD_COLUMNS_4,
                                  CMD_COLUMNS_5, CMD_COLUMNS_6, CMD_COLUMNS_7};
    for (int i = 0; i < 7; i++) {
        SendCommand(columnCommands[i]);
        EXPECT_EQ(i + 1, settings.columns);
    }
    const int sizeCommands[] = {108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118};
    const int sizes[] = {6, 8, 10, 12, 14, 15, 18, 22, 27, 33, 41};
    for (int i = 0; i < 11; i++) {
        SendCommand(sizeCommands[i]);
        EXPECT_EQ(sizes[i], settings.pointSize);
    }
}

TEST_F(Shell, ToggleCommandsFlipTheirSettingAndMark)
{
    struct { int command; int *flag; } toggles[] = {
        {CMD_NATIONAL_CODEPAGE, &settings.nationalCodepage},
        {CMD_SEPARATORS, &settings.separatorLines},
        {CMD_PREVIEW, &settings.preview},
        {CMD_INCLUDE_SUBDIRS, &settings.includeSubdirectories},
        {CMD_TRUETYPE_ONLY, &settings.trueTypeOnly},
        {CMD_FILTER_ON, &settings.filterOn},
    };
    for (auto &toggle : toggles) {
        int before = *toggle.flag;
        SendCommand(toggle.command);
        EXPECT_EQ(!before, *toggle.flag) << toggle.command;
        EXPECT_EQ(!before, MenuChecked(toggle.command)) << toggle.command;
        SendCommand(toggle.command);
        EXPECT_EQ(before, *toggle.flag) << toggle.command;
        EXPECT_EQ(before != 0, MenuChecked(toggle.command)) << toggle.command;
    }
}

TEST_F(Shell, LabelTextAndScaleItemsAreMarkedOneAtATime)
{
    const int labels[] = {CMD_LABEL_FACE, CMD_LABEL_FULLNAME, CMD_LABEL_FILE,
                          CMD_LABEL_FACE_FILE, CMD_LABEL_FULLNAME_FILE, CMD_LABEL_PATH};
    for (int mode = 0; mode < 6; mode++) {
        SendCommand(labels[mode]);
        EXPECT_EQ(mode, settings.labelMode);
        for (int other = 0; other < 6; other++)
            EXPECT_EQ(other == mode, MenuChecked(labels[other])) << mode << " " << other;
    }
    SendCommand(CMD_LABEL_MEDIUM);
    EXPECT_EQ(1.25f, settings.labelScale);
    EXPECT_TRUE(MenuChecked(CMD_LABEL_MEDIUM));
    EXPECT_FALSE(MenuChecked(CMD_LABEL_SMALL));
    SendCommand(CMD_LABEL_LARGE);
    EXPECT_EQ(1.5f, settings.labelScale);
    EXPECT_TRUE(MenuChecked(CMD_LABEL_LARGE));

    SendCommand(CMD_TEXT_FULL);
    EXPECT_EQ(settings.fullText, settings.sampleText);
    EXPECT_TRUE(MenuChecked(CMD_TEXT_FULL));
    EXPECT_FALSE(MenuChecked(CMD_TEXT_SHORT));
    SendCommand(CMD_TEXT_CUSTOM);
    EXPECT_STREQ("define!", settings.sampleText);
    EXPECT_TRUE(MenuChecked(CMD_TEXT_CUSTOM));
}

TEST_F(Shell, StyleCommandsFollowTheAllRule)
{
    SendCommand(CMD_BOLD);
    EXPECT_EQ(1, settings.bold);
    EXPECT_TRUE(MenuChecked(CMD_BOLD));
    EXPECT_FALSE(MenuChecked(CMD_NORMAL));
    /* All while Bold is on: All stays on, Bold goes off */
    SendCommand(CMD_ALL_STYLES);
    EXPECT_EQ(1, settings.allStyles);
    EXPECT_EQ(0, settings.bold);
    /* All on with Bold and Italic off: All goes off */
    SendCommand(CMD_ALL_STYLES);
    EXPECT_EQ(0, settings.allStyles);
    SendCommand(CMD_ITALIC);
    EXPECT_EQ(1, settings.italic);
    EXPECT_TRUE(MenuChecked(CMD_ITALIC));
    SendCommand(CMD_NORMAL);
    EXPECT_EQ(0, settings.italic);
    EXPECT_EQ(0, settings.bold);
    EXPECT_EQ(0, settings.allStyles);
    EXPECT_TRUE(MenuChecked(CMD_NORMAL));
}

TEST_F(Shell, PointSizeStepsDependOnTheSizeBeforeTheChange)
{
    const int up[] = {16, 17, 18, 19, 20, 22, 24, 26, 28, 30, 33, 36, 39, 42, 46, 50, 55, 60, 60};
    for (int expected : up) {
        SendCommand(CMD_SIZE_UP);
        EXPECT_EQ(expected, settings.pointSize);
    }
    SendCommand(CMD_SIZE_15);
    const int down[] = {14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 5};
    for (int expected : down) {
        SendCommand(CMD_SIZE_DOWN);
        EXPECT_EQ(expected, settings.pointSize);
    }
    settings.pointSize = 20;
    SendCommand(CMD_SIZE_DOWN);
    EXPECT_EQ(18, settings.pointSize);
    SendCommand(CMD_SIZE_UP);
    EXPECT_EQ(19, settings.pointSize);
}

TEST_F(Shell, ColumnStepsStayWithinOneToFifteen)
{
    SendCommand(CMD_COLUMNS_1);
    SendCommand(CMD_COLUMNS_DOWN);
    EXPECT_EQ(1, settings.columns);
    for (int i = 0; i < 20; i++)
        SendCommand(CMD_COLUMNS_UP);
    EXPECT_EQ(15, settings.columns);
}

/* ---- the option dialogs ---- */

static void ValueDialogGives(int command, const std::string &typed, int *setting, int expected)
{
    ScriptExpect(Edit(Dialog("Enter value:", IDOK), IDC_VALUE_EDIT, typed));
    SendCommand(command);
    EXPECT_EQ(expected, *setting) << typed;
}

TEST_F(Shell, ValueDialogClampsAndIgnoresZero)
{
    ScriptExpect(Inspect(Dialog("Enter value:", IDCANCEL), [](HWND dialog) {
        EXPECT_EQ("15", ControlText(dialog, IDC_VALUE_EDIT));
    }));
    SendCommand(CMD_SIZE_CUSTOM);
    EXPECT_EQ(15, settings.pointSize);
    ValueDialogGives(CMD_SIZE_CUSTOM, "3", &settings.pointSize, 5);
    ValueDialogGives(CMD_SIZE_CUSTOM, "100", &settings.pointSize, 60);
    ValueDialogGives(CMD_SIZE_CUSTOM, "0", &settings.pointSize, 60);
    ValueDialogGives(CMD_SIZE_CUSTOM, "4294967295", &settings.pointSize, 5);
    ValueDialogGives(CMD_COLUMNS_CUSTOM, "20", &settings.columns, 15);
    ValueDialogGives(CMD_COLUMNS_CUSTOM, "0", &settings.columns, 15);
    ValueDialogGives(CMD_COLUMNS_CUSTOM, "9", &settings.columns, 9);
}

TEST_F(Shell, ValueDialogStaysOpenOnANonNumber)
{
    ScriptExpect(Edit(Inspect(Dialog("Enter value:", IDOK),
                              [](HWND dialog) {
                                  SetDlgItemTextA(dialog, IDC_VALUE_EDIT, "abc");
                                  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                                  SetDlgItemTextA(dialog, IDC_VALUE_EDIT, "");
                                  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                              }),
                      IDC_VALUE_EDIT, "7"));
    SendCommand(CMD_COLUMNS_CUSTOM);
    EXPECT_EQ(7, settings.columns);
}

TEST_F(Shell, TextDialogStoresCutsAndReplacesEmptyText)
{
    ScriptExpect(Inspect(Edit(Dialog("Write text", IDOK), IDC_TEXT_EDIT, ""), [](HWND dialog) {
        EXPECT_EQ("define!", ControlText(dialog, IDC_TEXT_EDIT));
    }));
    SendCommand(CMD_TEXT_DEFINE);
    EXPECT_STREQ("-", settings.customText);
    EXPECT_EQ(settings.customText, settings.sampleText);

    std::string longText(600, 'x');
    ScriptExpect(Edit(Dialog("Write text", IDOK), IDC_TEXT_EDIT, longText));
    SendCommand(CMD_TEXT_DEFINE);
    EXPECT_EQ(511u, strlen(settings.customText));

    SendCommand(CMD_TEXT_SHORT);
    ScriptExpect(Edit(Dialog("Write text", IDCANCEL), IDC_TEXT_EDIT, "ignored"));
    SendCommand(CMD_TEXT_DEFINE);
    EXPECT_EQ(511u, strlen(settings.customText));
    EXPECT_EQ(settings.shortText, settings.sampleText);
}

TEST_F(Shell, EnterInTheTextDialogInsertsALineBreak)
{
    /* the key goes through the dialog's own message loop, as typing does */
    ScriptExpect(Inspect(Dialog("Write text", 0), [](HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_TEXT_EDIT);
        SetWindowTextA(edit, "abcd");
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 2, 2);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
        PressLater(dialog, IDOK);
    }));
    SendCommand(CMD_TEXT_DEFINE);
    EXPECT_STREQ("ab\r\ncd", settings.customText);
}

TEST_F(Shell, InfoDialogWithAnEmptyListShowsNoPages)
{
    FreeFontList(&displayList);
    ScriptExpect(Inspect(Dialog("Info", IDOK), [](HWND dialog) {
        EXPECT_EQ("0", ControlText(dialog, IDC_INFO_FONTS));
        EXPECT_EQ("0", ControlText(dialog, IDC_INFO_PAGES));
        EXPECT_EQ("100 %", ControlText(dialog, IDC_INFO_FILL));
        EXPECT_EQ("1-0", ControlText(dialog, IDC_INFO_VISIBLE));
    }));
    SendCommand(CMD_INFO);
    EXPECT_EQ(0, settings.preview);
}

TEST_F(Shell, InfoDialogNamesThePagesTheVisibleRowsSpan)
{
    settings.preview = 1;
    ComputeLayout(&pageLayout);
    int perSheet = pageLayout.sheetRowsPerPage;
    int pages = pageLayout.pageCount;
    settings.preview = 0;
    ComputeLayout(&pageLayout);
    ASSERT_GT(pages, 2);
    shell.topRow = perSheet - 1; /* the last row of sheet 1 is the first one shown */
    std::string fonts = std::to_string(displayList.count);
    ScriptExpect(Inspect(Dialog("Info", IDOK), [&](HWND dialog) {
        EXPECT_EQ(fonts, ControlText(dialog, IDC_INFO_FONTS));
        EXPECT_EQ(std::to_string(pages), ControlText(dialog, IDC_INFO_PAGES));
        EXPECT_EQ("1-2", ControlText(dialog, IDC_INFO_VISIBLE));
    }));
    SendCommand(CMD_INFO);
    EXPECT_EQ(0, settings.preview);
}

TEST_F(Shell, InstallFontItemExplainsHowToInstall)
{
    ScriptExpect(Box("To install font (or to get information about it) please select directory "
                     "from menu File, then double click on a font text.",
                     "Information"));
    SendCommand(CMD_INSTALL_INFO);
}

/* ---- keyboard and wheel ---- */

static int lineDownSent, lineUpSent;
static HHOOK scrollHook;
static LRESULT CALLBACK CountScrolls(int code, WPARAM wParam, LPARAM lParam)
{
    CWPSTRUCT *message = (CWPSTRUCT *)lParam;
    if (code == HC_ACTION && message->hwnd == mainWindow && message->message == WM_VSCROLL) {
        if (LOWORD(message->wParam) == SB_LINEDOWN)
            lineDownSent++;
        if (LOWORD(message->wParam) == SB_LINEUP)
            lineUpSent++;
    }
    return CallNextHookEx(scrollHook, code, wParam, lParam);
}

TEST_F(Shell, WheelScrollsOneRowPerWholeNotch)
{
    scrollHook = SetWindowsHookExA(WH_CALLWNDPROC, CountScrolls, NULL, GetCurrentThreadId());
    struct { int delta; int down; int up; } turns[] = {
        {-120, 1, 0}, {-240, 2, 0}, {-60, 0, 0}, {120, 0, 1}, {360, 0, 3}, {-119, 0, 0}};
    for (auto &turn : turns) {
        lineDownSent = lineUpSent = 0;
        SendMessageA(mainWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)turn.delta), 0);
        EXPECT_EQ(turn.down, lineDownSent) << turn.delta;
        EXPECT_EQ(turn.up, lineUpSent) << turn.delta;
    }
    UnhookWindowsHookEx(scrollHook);
}

TEST_F(Shell, PTogglesTheFilterAndOtherKeysAreIgnored)
{
    EXPECT_EQ(1, SendMessageA(mainWindow, WM_KEYDOWN, 0x50, 0));
    EXPECT_EQ(1, settings.filterOn);
    EXPECT_TRUE(MenuChecked(CMD_FILTER_ON));
    EXPECT_EQ(1, SendMessageA(mainWindow, WM_KEYDOWN, 0x50, 0));
    EXPECT_EQ(0, settings.filterOn);
    EXPECT_EQ(0, SendMessageA(mainWindow, WM_KEYDOWN, 'Q', 0));
    EXPECT_EQ(0, settings.filterOn);
}

/* ---- font changes ---- */

static bool CatalogueHoldsFace(const char *face)
{
    for (int i = 0; i < catalogue.count; i++)
        if (strcmp(catalogue.records[i]->logFont.lfFaceName, face) == 0)
            return true;
    return false;
}

static void AppendSentinel(void)
{
    FontRecord record;
    ZeroMemory(&record, sizeof record);
    strcpy(record.logFont.lfFaceName, "Zz Sentinel");
    AppendFontRecord(&record.logFont, &record.textMetrics, TRUETYPE_FONTTYPE, 0);
}

TEST_F(Shell, FontChangeFromElsewhereRescansButOurOwnDoesNot)
{
    ASSERT_GT(catalogue.count, 0); /* the installed fonts */
    AppendSentinel();
    shell.ownFontChange = 1;
    SendMessageA(mainWindow, WM_FONTCHANGE, 0, 0);
    EXPECT_TRUE(CatalogueHoldsFace("Zz Sentinel"));
    shell.ownFontChange = 0;
    SendMessageA(mainWindow, WM_FONTCHANGE, 0, 0);
    EXPECT_FALSE(CatalogueHoldsFace("Zz Sentinel"));
    EXPECT_GT(catalogue.count, 0);
}

/* ---- read-me ---- */

static HWND FindNotepad(void)
{
    for (int i = 0; i < 100; i++) {
        HWND notepad = FindWindowA("Notepad", NULL);
        if (notepad != NULL)
            return notepad;
        Sleep(100);
    }
    return NULL;
}

TEST_F(Shell, ReadmeOpensTheFileBesideTheProgramWhateverTheCurrentFolder)
{
    std::string elsewhere = TempTestDir("readme-elsewhere");
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(elsewhere.c_str());

    char line[MAX_PATH + 32];
    ReadmeCommandLine(line, sizeof line);
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, sizeof program);
    *strrchr(program, '\\') = 0;
    EXPECT_EQ(std::string("notepad \"") + program + "\\Readme.txt\"", line);

    SendCommand(CMD_README);
    HWND notepad = FindNotepad();
    ASSERT_NE((HWND)NULL, notepad);
    Sleep(500);
    EXPECT_NE(std::string::npos, WindowText(notepad).find("Readme.txt")) << WindowText(notepad);
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((elsewhere + "Readme.txt").c_str()));
}

} // namespace
