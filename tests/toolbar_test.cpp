/* toolbar_test.cpp - the toolbar: its buttons and their order, the check states
 * kept in line with the settings on every refresh, real clicks on enabled and
 * greyed buttons, the tooltip texts asked through the tooltip control, and the
 * images as drawn. */
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/appwindows.h"
#include "app/settings.h"
#include "app/shell.h"
#include "harness.h"
#include "resources/resource.h"

namespace {

class Toolbar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptBegin();
        ASSERT_EQ(1, StartZenvrix());
        ASSERT_NE((HWND)NULL, toolbar);
    }
    void TearDown() override
    {
        EXPECT_EQ("", ScriptEnd());
        StopZenvrix();
    }
};

int State(int command)
{
    return (int)SendMessageA(toolbar, TB_GETSTATE, command, 0);
}

bool Pressed(int command)
{
    return (State(command) & TBSTATE_CHECKED) != 0;
}

/* A real click: button down and up in the middle of the button. */
void Click(int command)
{
    RECT rect;
    int index = (int)SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0);
    SendMessageA(toolbar, TB_GETITEMRECT, index, (LPARAM)&rect);
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageA(toolbar, WM_MOUSEMOVE, 0, point);
    SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(toolbar, WM_LBUTTONUP, 0, point);
    PumpMessages();
}

TEST_F(Toolbar, HoldsTwentyOneButtonsWithTheirCommandsAndImagesInOrder)
{
    struct { int image; int command; bool gap; bool check; } expected[21] = {
        {0, 0, true, false},     {5, 133, false, false}, {0, 0, true, false},
        {4, 121, false, false},  {8, 131, false, true},  {0, 0, true, false},
        {0, 201, false, false},  {1, 202, false, false}, {0, 0, true, false},
        {2, 203, false, false},  {3, 204, false, false}, {0, 0, true, false},
        {6, 127, false, true},   {7, 125, false, true},  {13, 144, false, true},
        {0, 0, true, false},     {9, 139, false, true},  {0, 0, true, false},
        {10, 136, false, false}, {12, 137, false, true}, {11, 123, false, false}};
    ASSERT_EQ(21, (int)SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < 21; i++) {
        TBBUTTON button;
        ZeroMemory(&button, sizeof button);
        ASSERT_TRUE(SendMessageA(toolbar, TB_GETBUTTON, i, (LPARAM)&button));
        EXPECT_EQ(expected[i].command, button.idCommand) << "button " << i;
        EXPECT_EQ(expected[i].gap, (button.fsStyle & TBSTYLE_SEP) != 0) << "button " << i;
        if (!expected[i].gap) {
            EXPECT_EQ(expected[i].image, button.iBitmap) << "button " << i;
            EXPECT_EQ(expected[i].check, (button.fsStyle & TBSTYLE_CHECK) != 0) << "button " << i;
        }
    }
}

TEST_F(Toolbar, DefaultsLeaveCheckButtonsReleasedAndAllGreyed)
{
    const int checks[] = {CMD_BOLD, CMD_ITALIC, CMD_SEPARATORS, CMD_PREVIEW, CMD_FILTER_ON};
    for (int command : checks) {
        EXPECT_FALSE(Pressed(command)) << command;
        EXPECT_TRUE(State(command) & TBSTATE_ENABLED) << command;
    }
    EXPECT_FALSE(State(CMD_ALL_STYLES) & TBSTATE_ENABLED);
    EXPECT_TRUE(State(CMD_ALL_STYLES) & TBSTATE_INDETERMINATE);
}

TEST_F(Toolbar, CheckButtonsFollowTheirSettings)
{
    SendCommand(CMD_SEPARATORS);
    SendCommand(CMD_PREVIEW);
    SendCommand(CMD_FILTER_ON);
    SendCommand(CMD_BOLD);
    EXPECT_TRUE(Pressed(CMD_SEPARATORS));
    EXPECT_TRUE(Pressed(CMD_PREVIEW));
    EXPECT_TRUE(Pressed(CMD_FILTER_ON));
    EXPECT_TRUE(Pressed(CMD_BOLD));
    EXPECT_FALSE(Pressed(CMD_ITALIC));
    SendMessageA(mainWindow, WM_KEYDOWN, 'P', 0);
    EXPECT_FALSE(Pressed(CMD_FILTER_ON));
}

TEST_F(Toolbar, AllIsEnabledForAFolderAndReleasedByBold)
{
    settings.sourceIsDirectory = 1;
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    EXPECT_TRUE(State(CMD_ALL_STYLES) & TBSTATE_ENABLED);
    EXPECT_TRUE(Pressed(CMD_ALL_STYLES));
    SendCommand(CMD_BOLD);
    EXPECT_TRUE(State(CMD_ALL_STYLES) & TBSTATE_ENABLED);
    EXPECT_FALSE(Pressed(CMD_ALL_STYLES));
    EXPECT_TRUE(Pressed(CMD_BOLD));
    settings.sourceIsDirectory = 0;
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    EXPECT_FALSE(State(CMD_ALL_STYLES) & TBSTATE_ENABLED);
}

TEST_F(Toolbar, ClickingAButtonRunsItsCommandAndTheGreyedAllDoesNothing)
{
    Click(CMD_COLUMNS_UP);
    EXPECT_EQ(4, settings.columns);
    Click(CMD_ITALIC);
    EXPECT_EQ(1, settings.italic);
    EXPECT_TRUE(Pressed(CMD_ITALIC));
    Click(CMD_ITALIC);
    EXPECT_EQ(0, settings.italic);
    EXPECT_FALSE(Pressed(CMD_ITALIC));

    int allStyles = settings.allStyles;
    Click(CMD_ALL_STYLES);
    EXPECT_EQ(allStyles, settings.allStyles);
    EXPECT_FALSE(State(CMD_ALL_STYLES) & TBSTATE_ENABLED);
}

TEST_F(Toolbar, TooltipTextsComeFromTheMainWindow)
{
    struct { int command; const char *text; } tips[] = {
        {121, "Print dialog"}, {123, "Custom text"}, {125, "Italic fonts"}, {127, "Bold fonts"},
        {131, "Preview mode"}, {133, "Define directory"}, {136, "Define filter for font names"},
        {137, "Switch filter on/off"}, {139, "Separator lines"},
        {144, "All styles (only for not installed fonts)"}, {201, "Increase font size"},
        {202, "Decrease font size"}, {203, "Increase number of columns"},
        {204, "Decrease number of columns"}};
    for (auto &tip : tips) {
        TOOLTIPTEXTA request;
        ZeroMemory(&request, sizeof request);
        request.hdr.hwndFrom = toolbar;
        request.hdr.idFrom = tip.command;
        request.hdr.code = TTN_NEEDTEXTA;
        EXPECT_EQ(0, SendMessageA(mainWindow, WM_NOTIFY, ID_TOOLBAR, (LPARAM)&request));
        ASSERT_NE((LPSTR)NULL, request.lpszText) << tip.command;
        EXPECT_STREQ(tip.text, request.lpszText);
    }
    /* a gap, and a command without a tooltip, are left alone */
    const UINT_PTR silent[] = {0, CMD_INFO, CMD_EXIT};
    for (UINT_PTR id : silent) {
        TOOLTIPTEXTA request;
        ZeroMemory(&request, sizeof request);
        request.hdr.idFrom = id;
        request.hdr.code = TTN_NEEDTEXTA;
        SendMessageA(mainWindow, WM_NOTIFY, ID_TOOLBAR, (LPARAM)&request);
        EXPECT_EQ((LPSTR)NULL, request.lpszText) << id;
    }
}

TEST_F(Toolbar, TooltipControlShowsTheTextForAButton)
{
    HWND tips = (HWND)SendMessageA(toolbar, TB_GETTOOLTIPS, 0, 0);
    ASSERT_NE((HWND)NULL, tips);
    char text[128] = "";
    TOOLINFOA tool;
    ZeroMemory(&tool, sizeof tool);
    tool.cbSize = sizeof tool;
    tool.hwnd = toolbar;
    tool.uId = CMD_SIZE_UP;
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, (LPARAM)&tool);
    EXPECT_STREQ("Increase font size", text);
}

static unsigned int Rgb(COLORREF colour)
{
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

/* The toolbar maps the classic button colours of its bitmap to the system's. */
static unsigned int Mapped(unsigned int rgb)
{
    switch (rgb) {
    case 0x000000: return Rgb(GetSysColor(COLOR_BTNTEXT));
    case 0x808080: return Rgb(GetSysColor(COLOR_BTNSHADOW));
    case 0xFFFFFF: return Rgb(GetSysColor(COLOR_BTNHIGHLIGHT));
    default: return rgb;
    }
}

/* Each enabled button shows its 16 x 15 image of bitmap 99 unchanged. */
TEST_F(Toolbar, ButtonsShowTheirImagesOfTheToolbarBitmap)
{
    HBITMAP strip = LoadBitmapA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_TOOLBAR));
    ASSERT_NE((HBITMAP)NULL, strip);
    BITMAP info;
    GetObjectA(strip, sizeof info, &info);
    EXPECT_EQ(224, info.bmWidth);
    EXPECT_EQ(15, info.bmHeight);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, strip);

    RedrawWindow(toolbar, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    Capture shot = CaptureWindow(toolbar);
    const int commands[] = {133, 121, 201, 202, 203, 204, 136, 123};
    const int images[] = {5, 4, 0, 1, 2, 3, 10, 11};
    for (int b = 0; b < 8; b++) {
        RECT rect;
        int index = (int)SendMessageA(toolbar, TB_COMMANDTOINDEX, commands[b], 0);
        SendMessageA(toolbar, TB_GETITEMRECT, index, (LPARAM)&rect);
        /* the image's place inside the button is the control's business: take the
           place where it matches best, and require that to be exact */
        int mismatches = 16 * 15;
        for (int top = rect.top; top + 15 <= rect.bottom; top++)
            for (int left = rect.left; left + 16 <= rect.right; left++) {
                int here = 0;
                for (int y = 0; y < 15; y++)
                    for (int x = 0; x < 16; x++) {
                        COLORREF want = GetPixel(memory, images[b] * 16 + x, y);
                        unsigned int wantRgb =
                            (GetRValue(want) << 16) | (GetGValue(want) << 8) | GetBValue(want);
                        if (wantRgb != 0xC0C0C0 && PixelAt(shot, left + x, top + y) != Mapped(wantRgb))
                            here++;
                    }
                if (here < mismatches)
                    mismatches = here;
            }
        if (mismatches > 0)
            SaveFailureCapture(shot, "toolbar_images");
        EXPECT_EQ(0, mismatches) << "button " << commands[b];
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    DeleteObject(strip);
}

} // namespace
