/* scroll_test.cpp - scrolling by row, page and thumb, and commands that redraw, show exactly
 * what a full redraw shows, and real input: a wheel notch scrolls one row, a double-click on an
 * installed font explains how to install. */
#include "harness.h"

typedef Program Scroll;

TEST_F(Scroll, EveryStepAndCommandDrawsWhatAFullRedrawDraws)
{
    settings.sampleText = strcpy(settings.customText, "gjpqy\ngjpqy"); /* descenders into the next row's top */
    settings.pointSize = 13, strcpy(settings.filterText, "zz"), Refresh(); /* rows of exactly 60 pixels; a filter that leaves none */
    ASSERT_EQ(60.0f, pageLayout.cellHeight);
    int visible = pageLayout.visibleRows, last = pageLayout.totalRows - visible;
    ASSERT_GT(last, 2 * visible);
    const struct { int code, position, topRow; } steps[] = {
        {SB_LINEDOWN, 0, 1}, {SB_LINEDOWN, 0, 2}, {SB_LINEDOWN, 0, 3}, {SB_LINEUP, 0, 2}, {SB_LINEUP, 0, 1},
        {SB_LINEDOWN, 0, 2}, {SB_LINEUP, 0, 1}, {SB_PAGEDOWN, 0, 1 + visible}, {SB_PAGEUP, 0, 1}, {SB_PAGEUP, 0, 0},
        {SB_LINEUP, 0, 0}, {SB_THUMBTRACK, last - 1, last - 1}, {SB_LINEDOWN, 0, last}, {SB_LINEDOWN, 0, last},
        {SB_THUMBTRACK, last - 2, last - 2}, {SB_PAGEDOWN, 0, last}, {CMD_SEPARATORS, 0, last}, {CMD_FILTER_ON, 0, 0},
        {'P', 0, 0}, {SB_THUMBTRACK, last, last}, {SB_ENDSCROLL, 0, last}}; /* P: the filter off again */
    for (const auto &step : steps) {
        UINT message = step.code == 'P' ? WM_KEYDOWN : step.code > SB_ENDSCROLL ? WM_COMMAND : WM_VSCROLL;
        SendMessageA(mainWindow, message, MAKEWPARAM(step.code, step.position), 0);
        EXPECT_EQ(step.topRow, shell.topRow) << step.code;
        Capture stepped = CaptureWindow(clientWindow);
        RedrawWindow(clientWindow, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_EQ(0, Differences(stepped, CaptureWindow(clientWindow))) << step.code << " at row " << shell.topRow;
    }
    int low = -1, high = -1;
    EXPECT_EQ((std::vector<int>{last, 0, last}), (GetScrollRange(clientWindow, SB_VERT, &low, &high), std::vector<int>{GetScrollPos(clientWindow, SB_VERT), low, high}));
}

TEST_F(Scroll, ARealWheelNotchScrollsOneRowAndARealDoubleClickExplains)
{
    SetForegroundWindow(mainWindow), SetFocus(mainWindow);
    Mouse(clientWindow, 300, 200, {MOUSEEVENTF_WHEEL}, (DWORD)(-2 * WHEEL_DELTA));
    EXPECT_EQ(2, shell.topRow);
    Mouse(clientWindow, 300, 200, {MOUSEEVENTF_WHEEL}, (DWORD)WHEEL_DELTA);
    EXPECT_EQ(1, shell.topRow);
    ScriptExpect(Box(textHowToInstall, "Information")); /* a double-click on an installed font */
    Mouse(clientWindow, 30, pageLayout.cellTopOffset + 10, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
}

