/* scroll.cpp - vertical scrolling by row, page and thumb, to the end and the start
 * (End and Home), and the double-click that selects a cell.  WM_VSCROLL and
 * WM_LBUTTONDBLCLK reach the main window (mainwnd.cpp) from the client window,
 * which forwards them; the keys come from the main window's WM_KEYDOWN.  The hit
 * test is the cell menu's too (cellmenu.cpp). */
#include "appwindows.h"

#include "../install/install.h"
#include "../render/draw.h"
#include "../render/layout.h"
#include "../resources/resource.h"
#include "settings.h"
#include "shell.h"

static void RedrawPage(HDC dc)
{
    SetScrollPos(clientWindow, SB_VERT, shell.topRow, TRUE);
    SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
    ValidateRect(clientWindow, NULL);
}

/* The message carries only 16 bits of the thumb position; while the user drags the
 * thumb the bar knows all 32, so lists of more than 32,767 rows stay reachable.
 * The bar's value is taken when its low 16 bits agree with the message. */
static int ThumbPosition(WPARAM wParam)
{
    int position = (short)HIWORD(wParam);
    SCROLLINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(clientWindow, SB_VERT, &info) &&
        (info.nTrackPos & 0xFFFF) == (int)HIWORD(wParam))
        position = info.nTrackPos;
    return position;
}

/* The strip above the first row's visible top belongs to no cell.  After a step
 * down it holds whatever of the row scrolled out of view reached below that row's
 * cell (deep descenders); a full redraw shows it blank, so blank it here too, with
 * the same brush the cells erase with. */
static void ClearAboveFirstRow(HDC dc)
{
    RECT client;
    GetClientRect(clientWindow, &client);
    int bottom = pageLayout.cellTopOffset - 1;
    if (bottom > 0)
        PatBlt(dc, 0, 0, client.right, bottom, PATCOPY);
}

/* A run of one-row steps in one direction moves the picture and draws only the
 * uncovered row; the first step after a reversal redraws the page. */
static void StepOneRow(HDC dc, int down)
{
    int pixels = (int)pageLayout.cellHeight;
    if (down) {
        shell.topRow++;
        if (shell.lastStepDown) {
            ScrollWindow(clientWindow, 0, -pixels, NULL, NULL);
            SendMessageA(mainWindow, UM_DRAWLASTROW, (WPARAM)dc, 0);
            ClearAboveFirstRow(dc);
        } else {
            SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
            shell.lastStepDown = 1;
        }
    } else {
        shell.topRow--;
        if (!shell.lastStepDown) {
            ScrollWindow(clientWindow, 0, pixels, NULL, NULL);
            SendMessageA(mainWindow, UM_DRAWFIRSTROW, (WPARAM)dc, 0);
        } else {
            SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
            shell.lastStepDown = 0;
        }
    }
    SetScrollPos(clientWindow, SB_VERT, shell.topRow, TRUE);
    ValidateRect(clientWindow, NULL);
}

LRESULT OnVScroll(WPARAM wParam)
{
    HDC dc = GetDC(clientWindow);
    int visible = pageLayout.visibleRows;
    int last = pageLayout.totalRows - visible;
    if (last < 0)
        last = 0;

    switch (LOWORD(wParam)) {
    case SB_THUMBTRACK:
        shell.topRow = ThumbPosition(wParam);
        RedrawPage(dc);
        break;
    case SB_PAGEDOWN:
        shell.topRow = shell.topRow + visible < last ? shell.topRow + visible : last;
        RedrawPage(dc);
        break;
    case SB_PAGEUP:
        shell.topRow = shell.topRow - visible > 0 ? shell.topRow - visible : 0;
        RedrawPage(dc);
        break;
    case SB_LINEDOWN:
        if (shell.topRow < last)
            StepOneRow(dc, 1);
        break;
    case SB_LINEUP:
        if (shell.topRow > 0)
            StepOneRow(dc, 0);
        break;
    default:
        break;
    }
    ReleaseDC(clientWindow, dc);
    return 0;
}

/* The row is set whole: a thumb position carries only 16 bits, and End must reach
 * the last row of a list of any length.  The scroll bar's own top and bottom codes
 * stay without effect. */
LRESULT ScrollToEnd(int end)
{
    HDC dc = GetDC(clientWindow);
    int last = pageLayout.totalRows - pageLayout.visibleRows;
    shell.topRow = end && last > 0 ? last : 0;
    RedrawPage(dc);
    ReleaseDC(clientWindow, dc);
    return 0;
}

void ShowHowToInstall(void)
{
    ShowWarning(textHowToInstall, textInformation);
}

int HitTestCell(HDC dc, int x, int y)
{
    ComputeLayout(&pageLayout);
    shell.clickX = x;
    shell.clickY = y;
    shell.hitFound = 0;
    shell.hitTestMode = 1;
    SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
    shell.hitTestMode = 0;
    return shell.hitFound;
}

void InstallSelectedFont(HDC dc)
{
    if (settings.sourceIsDirectory) {
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_INSTALL), mainWindow,
                        InstallDialogProc, 0);
        SendMessageA(mainWindow, UM_REFRESH, (WPARAM)dc, 0);
    } else {
        ShowHowToInstall();
    }
}

LRESULT OnDoubleClick(LPARAM lParam)
{
    HDC dc = GetDC(clientWindow);
    if (HitTestCell(dc, LOWORD(lParam), HIWORD(lParam)))
        InstallSelectedFont(dc);
    ReleaseDC(clientWindow, dc);
    return 0;
}
