/* shell_test.cpp - start-up that cannot go on, and the shell's own commands: size
 * steps, the toolbar's pictures and its Bold button clicked for real, the Text dialog,
 * the Info dialog's pages. */
#include "harness.h"

#include <commctrl.h>

TEST(StartUp, AMissingStringOrNoMemoryForTheFileBufferStopsWithItsMessage)
{
    const struct { FaultPoint fault; int okCalls; const char *box; } cases[] = {
        {FAULT_LOAD_STRING, 5, "can't load string table"}, {FAULT_GLOBAL_ALLOC, 0, "Not enough memory"}};
    for (const auto &c : cases) {
        SetFault(c.fault, c.okCalls, 1), ScriptBegin(), ScriptExpect(Box(c.box));
        EXPECT_EQ(-1, StartZenvrix());
        EXPECT_EQ("", ScriptEnd());
        ClearFaults(), StopZenvrix();
    }
}

typedef Program Shell;

TEST_F(Shell, SizeStepsAreATenthOfTheSizeWithinFiveToSixty)
{
    const struct { int from, command, to; } steps[] = {{15, CMD_SIZE_UP, 16}, {41, CMD_SIZE_UP, 45}, {59, CMD_SIZE_UP, 60},
        {60, CMD_SIZE_UP, 60}, {20, CMD_SIZE_DOWN, 18}, {9, CMD_SIZE_DOWN, 8}, {5, CMD_SIZE_DOWN, 5}};
    for (const auto &step : steps)
        EXPECT_EQ(step.to, (settings.pointSize = step.from, SendCommand(step.command), settings.pointSize)) << step.from;
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

