/* scroll_test.cpp - scrolling by row, page and thumb, and commands that redraw, show exactly
 * what a full redraw shows; each scrolling key does what its scroll-bar step does; and real
 * input: a wheel notch scrolls one row, a double-click on an installed font explains how to
 * install, PgDn and End scroll. */
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

TEST_F(Scroll, EachKeyDoesWhatItsScrollBarStepDoesAndOtherKeysNothing)
{
    ShowCells(600); /* the scroll bar's own top and bottom codes do nothing, and so do other keys */
    const int last = pageLayout.totalRows - pageLayout.visibleRows, page = pageLayout.visibleRows;
    const struct { int key, code, position, from, down, to; } pairs[] = {{VK_DOWN, SB_LINEDOWN, 0, 5, 1, 6}, {VK_DOWN, SB_LINEDOWN, 0, 5, 0, 6},
        {VK_DOWN, SB_LINEDOWN, 0, last, 1, last}, {VK_UP, SB_LINEUP, 0, 5, 0, 4}, {VK_UP, SB_LINEUP, 0, 5, 1, 4}, {VK_UP, SB_LINEUP, 0, 0, 1, 0},
        {VK_NEXT, SB_PAGEDOWN, 0, 5, 1, 5 + page}, {VK_NEXT, SB_PAGEDOWN, 0, last - 1, 0, last}, {VK_PRIOR, SB_PAGEUP, 0, page + 5, 1, 5},
        {VK_PRIOR, SB_PAGEUP, 0, 2, 1, 0}, {VK_END, SB_THUMBTRACK, last, 5, 0, last}, {VK_HOME, SB_THUMBTRACK, 0, 5, 1, 0},
        {VK_LEFT, SB_BOTTOM, 0, 5, 1, 5}, {VK_RIGHT, SB_TOP, 0, 5, 0, 5}, {'A', SB_THUMBPOSITION, 9, 5, 1, 5}};
    for (const auto &p : pairs) {
        std::vector<int> after[2]; Capture shown[2]; /* by the scroll bar, then by the key */
        for (int key = 0; key < 2; key++) {
            shell.topRow = p.from, shell.lastStepDown = p.down, Refresh();
            SendMessageA(mainWindow, key ? WM_KEYDOWN : WM_VSCROLL, key ? p.key : MAKEWPARAM(p.code, p.position), 0);
            after[key] = {shell.topRow, shell.lastStepDown, GetScrollPos(clientWindow, SB_VERT)}, shown[key] = CaptureWindow(clientWindow);
        }
        EXPECT_EQ(after[0], after[1]) << p.key;
        EXPECT_EQ(p.to, after[1][0]) << p.key;
        EXPECT_EQ(0, Differences(shown[0], shown[1])) << p.key;
    }
    settings.columns = 1, ShowCells(40000), SendMessageA(mainWindow, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(40000 - pageLayout.visibleRows, shell.topRow) << "past what a 16-bit thumb position reaches";
}

TEST_F(Scroll, ARealWheelNotchScrollsOneRowARealDoubleClickExplainsAndRealKeysScroll)
{
    SetForegroundWindow(mainWindow), SetFocus(mainWindow);
    Mouse(clientWindow, 300, 200, {MOUSEEVENTF_WHEEL}, (DWORD)(-2 * WHEEL_DELTA));
    EXPECT_EQ(2, shell.topRow);
    Mouse(clientWindow, 300, 200, {MOUSEEVENTF_WHEEL}, (DWORD)WHEEL_DELTA);
    EXPECT_EQ(1, shell.topRow);
    ScriptExpect(Box(textHowToInstall, "Information")); /* a double-click on an installed font */
    Mouse(clientWindow, 30, pageLayout.cellTopOffset + 10, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    Mouse(clientWindow, 300, 200, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}); /* the box left no window active: a click into the grid */
    INPUT keys[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}}; /* gives the main window the keys: PgDn, then End on the display */
    keys[0].ki.wVk = keys[1].ki.wVk = VK_NEXT, keys[1].ki.dwFlags = KEYEVENTF_KEYUP, SendInput(2, keys, sizeof keys[0]), PumpMessages(20);
    EXPECT_EQ(1 + pageLayout.visibleRows, shell.topRow);
    RunLinux("xdotool key End"), PumpMessages(20);
    EXPECT_EQ(pageLayout.totalRows - pageLayout.visibleRows, shell.topRow);
}

