/* scroll_test.cpp - scrolling by row, page, thumb and wheel, checked on the pixels
 * of the client window against a full redraw at the same position, and the real
 * double-click that selects a cell. */
#include <windows.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "render/layout.h"
#include "resources/resource.h"

namespace {

typedef RunningProgram Scroll;

void SetPointSize(int pointSize)
{
    settings.pointSize = pointSize;
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
}

void Step(int code, int position = 0)
{
    SendMessageA(mainWindow, WM_VSCROLL, MAKEWPARAM(code, position), 0);
}

/* The picture a full refresh paints at the current position, after erasing. */
Capture FullRedraw(void)
{
    RedrawWindow(clientWindow, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return CaptureWindow(clientWindow);
}

int Mismatches(const Capture &a, const Capture &b, int top, int bottom, int shift)
{
    int count = 0;
    for (int y = top; y < bottom; y++)
        for (int x = 0; x < a.width; x++)
            if (PixelAt(a, x, y) != PixelAt(b, x, y + shift))
                count++;
    return count;
}

/* After any step the window must show exactly what a full redraw shows. */
void ExpectSameAsFullRedraw(const char *what)
{
    Capture stepped = CaptureWindow(clientWindow);
    int top = shell.topRow;
    Capture full = FullRedraw();
    EXPECT_EQ(top, shell.topRow);
    int differ = Mismatches(stepped, full, 0, stepped.height, 0);
    if (differ != 0) {
        SaveFailureCapture(stepped, std::string("scroll_") + what + "_stepped");
        SaveFailureCapture(full, std::string("scroll_") + what + "_full");
    }
    EXPECT_EQ(0, differ) << what << " at row " << top;
}

TEST_F(Scroll, OneRowStepsDrawExactlyWhatAFullRedrawDraws)
{
    SetPointSize(13); /* 20-pixel lines: a row is exactly 40 pixels */
    ASSERT_EQ(40.0f, pageLayout.cellHeight);
    ASSERT_GT(pageLayout.totalRows, pageLayout.visibleRows + 8);
    int visible = pageLayout.visibleRows;

    Capture before = CaptureWindow(clientWindow);
    Step(SB_LINEDOWN);
    EXPECT_EQ(1, shell.topRow);
    Capture after = CaptureWindow(clientWindow);
    /* the moved part is the old picture forty pixels up */
    int movedBottom = (visible - 1) * 40 + pageLayout.cellTopOffset - 1;
    EXPECT_EQ(0, Mismatches(after, before, 0, movedBottom, 40));
    ExpectSameAsFullRedraw("down1");

    Step(SB_LINEDOWN);
    ExpectSameAsFullRedraw("down2");
    Step(SB_LINEDOWN);
    ExpectSameAsFullRedraw("down3");
    EXPECT_EQ(3, shell.topRow);
    Step(SB_LINEUP); /* reversal: whole page */
    ExpectSameAsFullRedraw("up1");
    Step(SB_LINEUP); /* same direction: moved, first row drawn */
    ExpectSameAsFullRedraw("up2");
    EXPECT_EQ(1, shell.topRow);
    Step(SB_LINEDOWN);
    ExpectSameAsFullRedraw("down-after-up");
    EXPECT_EQ(2, shell.topRow);
}

TEST_F(Scroll, TheLastRowsAndTheEndsOfTheList)
{
    SetPointSize(13);
    int last = pageLayout.totalRows - pageLayout.visibleRows;
    ASSERT_GT(last, 2);
    Step(SB_THUMBTRACK, last - 2);
    EXPECT_EQ(last - 2, shell.topRow);
    Step(SB_LINEDOWN);
    ExpectSameAsFullRedraw("to-last-but-one");
    Step(SB_LINEDOWN);
    ExpectSameAsFullRedraw("to-last");
    EXPECT_EQ(last, shell.topRow);

    Capture atEnd = CaptureWindow(clientWindow);
    Step(SB_LINEDOWN);
    EXPECT_EQ(last, shell.topRow);
    EXPECT_EQ(0, Mismatches(atEnd, CaptureWindow(clientWindow), 0, atEnd.height, 0));

    Step(SB_THUMBTRACK, 0);
    Capture atTop = CaptureWindow(clientWindow);
    Step(SB_LINEUP);
    EXPECT_EQ(0, shell.topRow);
    EXPECT_EQ(0, Mismatches(atTop, CaptureWindow(clientWindow), 0, atTop.height, 0));
}

TEST_F(Scroll, PageAndThumbStepsRedrawThePage)
{
    SetPointSize(13);
    int visible = pageLayout.visibleRows;
    int last = pageLayout.totalRows - visible;
    ASSERT_GT(last, visible + 2);
    Step(SB_PAGEDOWN);
    EXPECT_EQ(visible, shell.topRow);
    ExpectSameAsFullRedraw("pagedown");
    Step(SB_PAGEUP);
    EXPECT_EQ(0, shell.topRow);
    ExpectSameAsFullRedraw("pageup");
    Step(SB_PAGEUP);
    EXPECT_EQ(0, shell.topRow);
    Step(SB_THUMBTRACK, last - 1);
    Step(SB_PAGEDOWN);
    EXPECT_EQ(last, shell.topRow); /* never past the last useful row */
    Step(SB_THUMBTRACK, 5);
    EXPECT_EQ(5, shell.topRow);
    ExpectSameAsFullRedraw("thumb");
    EXPECT_EQ(5, GetScrollPos(clientWindow, SB_VERT));
    /* codes that only end a drag do nothing */
    Step(SB_THUMBPOSITION, 9);
    Step(SB_ENDSCROLL);
    Step(SB_TOP);
    EXPECT_EQ(5, shell.topRow);
}

/* Where a row is not a whole number of pixels, rows moved by several one-pixel-
 * truncated steps drift from their full-redraw place; the drift stays small. */
TEST_F(Scroll, DriftOfMovedRowsOverTwentyStepsIsSmall)
{
    ASSERT_EQ(15, settings.pointSize);
    float cellHeight = pageLayout.cellHeight;
    ASSERT_NE((float)(int)cellHeight, cellHeight);
    ASSERT_GT(pageLayout.totalRows, pageLayout.visibleRows + 21);
    std::vector<Capture> stepped;
    for (int k = 1; k <= 20; k++) {
        Step(SB_LINEDOWN);
        stepped.push_back(CaptureWindow(clientWindow));
    }
    int moved = (int)((pageLayout.visibleRows - 1) * cellHeight) - 2;
    int largest = 0;
    for (int k = 1; k <= 20; k++) {
        Step(SB_THUMBTRACK, k);
        Capture full = FullRedraw();
        int best = 0, bestCount = -1;
        for (int shift = -12; shift <= 12; shift++) {
            int count = Mismatches(stepped[k - 1], full, 12, moved - 12, shift);
            if (bestCount < 0 || count < bestCount) {
                bestCount = count;
                best = shift;
            }
        }
        if (abs(best) > largest)
            largest = abs(best);
    }
    printf("largest drift of moved rows over 20 one-row steps (row %.6f px): %d px\n",
           cellHeight, largest);
    EXPECT_LE(largest, (int)(20 * (cellHeight - (int)cellHeight)) + 1);
}

TEST_F(Scroll, RangeKeepsZeroToOneWhenEveryRowFitsAndRefreshClamps)
{
    strcpy(settings.filterText, "DejaVu Sans Mono");
    settings.filterMode = IDC_FILTER_AT_END;
    settings.filterCaseSensitive = 1;
    SendCommand(CMD_FILTER_ON);
    ASSERT_GE(displayList.count, 1);
    ASSERT_LE(pageLayout.totalRows, pageLayout.visibleRows);
    int low = -1, high = -1;
    GetScrollRange(clientWindow, SB_VERT, &low, &high);
    EXPECT_EQ(0, low);
    EXPECT_EQ(1, high);
    Step(SB_THUMBTRACK, 1);
    EXPECT_EQ(1, shell.topRow);
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    EXPECT_EQ(0, shell.topRow);
}

/* ---- real input ---- */

void MoveMouseTo(int clientX, int clientY)
{
    POINT point = {clientX, clientY};
    ClientToScreen(clientWindow, &point);
    SetCursorPos(point.x, point.y);
}

void SendMouse(DWORD flags, DWORD data = 0)
{
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = data;
    SendInput(1, &input, sizeof input);
}

void Settle(void)
{
    for (int i = 0; i < 20; i++) {
        PumpMessages();
        Sleep(10);
    }
}

void DoubleClickAt(int clientX, int clientY)
{
    MoveMouseTo(clientX, clientY);
    Settle();
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Settle();
}

TEST_F(Scroll, ARealWheelNotchScrollsOneRow)
{
    SetForegroundWindow(mainWindow);
    SetFocus(mainWindow);
    MoveMouseTo(300, 200);
    Settle();
    SendMouse(MOUSEEVENTF_WHEEL, (DWORD)-WHEEL_DELTA);
    Settle();
    EXPECT_EQ(1, shell.topRow);
    SendMouse(MOUSEEVENTF_WHEEL, (DWORD)(2 * WHEEL_DELTA));
    Settle();
    EXPECT_EQ(0, shell.topRow);
}

TEST_F(Scroll, ARealDoubleClickOnAnInstalledFontExplainsHowToInstall)
{
    /* the second cell of the first row, with its edges as the layout places them */
    int x0 = (int)(pageLayout.cellWidth + pageLayout.originX);
    int x1 = (int)(x0 + pageLayout.cellWidth);
    int ys = pageLayout.cellTopOffset;
    int y1 = (int)(ys + pageLayout.cellHeight);
    int middleX = (x0 + x1) / 2, middleY = (ys + y1) / 2;
    ScriptExpect(Box("To install font (or to get information about it) please select directory "
                     "from menu File, then double click on a font text.",
                     "Information"));
    DoubleClickAt(x0 + 1, ys + 1); /* the first pixel inside */
    EXPECT_EQ("", ScriptEnd());
    EXPECT_EQ(1, shell.selectedFont);
    EXPECT_EQ(0, shell.hitTestMode);
    Sleep(600);

    /* none of these hits a cell: no box at all */
    const POINT misses[] = {{middleX, y1},  /* on the bottom edge of that cell */
                            {x0, middleY},  /* on its left edge */
                            {middleX, ys},  /* on the separator line */
                            {middleX, ys - 3}}; /* above the first row's visible top */
    for (const POINT &miss : misses) {
        ScriptBegin();
        DoubleClickAt(miss.x, miss.y);
        EXPECT_EQ(0, shell.hitFound) << miss.x << "," << miss.y;
        EXPECT_EQ("", ScriptEnd()) << miss.x << "," << miss.y;
        Sleep(600); /* no double-click across two points */
    }
    ScriptBegin();
}

TEST_F(Scroll, ADoubleClickBelowTheLastFontDoesNothing)
{
    strcpy(settings.filterText, "DejaVu Sans Mono");
    settings.filterMode = IDC_FILTER_AT_END;
    settings.filterCaseSensitive = 1;
    SendCommand(CMD_FILTER_ON);
    ASSERT_EQ(1, pageLayout.totalRows);
    DoubleClickAt(100, 200);
    EXPECT_EQ(0, shell.hitFound);
}

/* Dragging the thumb to the end of a list of 40,000 rows reaches rows past 32,767,
 * which the 16 bits of the scroll message alone cannot name. */
TEST_F(Scroll, DraggingTheThumbReachesRowsPast32767)
{
    static FontRecord one;
    ZeroMemory(&one, sizeof one);
    strcpy(one.logFont.lfFaceName, "DejaVu Sans");
    one.fontType = TRUETYPE_FONTTYPE;
    FontList saved = displayList;
    const int rows = 40000;
    std::vector<FontRecord *> many(rows, &one);
    displayList.records = many.data();
    displayList.count = rows;
    SendCommand(CMD_COLUMNS_1);
    ASSERT_EQ(rows, pageLayout.totalRows);

    SCROLLBARINFO bar;
    ZeroMemory(&bar, sizeof bar);
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(clientWindow, OBJID_VSCROLL, &bar));
    static POINT from, to;
    from.x = to.x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
    from.y = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
    to.y = bar.rcScrollBar.bottom + 40;
    SetForegroundWindow(mainWindow);
    /* the scroll bar runs its own loop while the button is down, so the hand that
       drags is another thread */
    struct Hand {
        static DWORD WINAPI Drag(LPVOID)
        {
            SetCursorPos(from.x, from.y);
            Sleep(200);
            SendMouse(MOUSEEVENTF_LEFTDOWN);
            for (int y = from.y; y <= to.y; y += 20) {
                Sleep(50);
                SetCursorPos(to.x, y);
                SendMouse(MOUSEEVENTF_MOVE);
            }
            Sleep(200);
            SendMouse(MOUSEEVENTF_LEFTUP);
            return 0;
        }
    };
    HANDLE hand = CreateThread(NULL, 0, Hand::Drag, NULL, 0, NULL);
    while (MsgWaitForMultipleObjects(1, &hand, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        PumpMessages();
    CloseHandle(hand);
    Settle();
    int reached = shell.topRow;

    displayList = saved;
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    EXPECT_GT(reached, 32767);
    EXPECT_LE(reached, rows - 1);
}

} // namespace
