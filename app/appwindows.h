/* appwindows.h - the pieces of the shell that the main window procedure
 * (mainwnd.cpp) hands its messages to: the toolbar (toolbar.cpp), scrolling and
 * the double-click (scroll.cpp), the cell's context menu (cellmenu.cpp) and the
 * small option dialogs (dialogs.cpp). */
#ifndef ZENVRIX_APPWINDOWS_H
#define ZENVRIX_APPWINDOWS_H

#include <windows.h>

/* toolbar.cpp */
HWND CreateMainToolbar(HWND parent);
LRESULT OnToolbarNotify(LPARAM lParam);
/* The tooltip text of a toolbar command, or NULL for none. */
const char *ToolbarTipText(UINT command);

/* scroll.cpp */
LRESULT OnVScroll(WPARAM wParam);
LRESULT OnDoubleClick(LPARAM lParam);
/* The cell at a point of the client window, through the drawing walk in hit-test
 * mode on dc: 1 with its index in selectedFont, 0 when the point is on no cell. */
int HitTestCell(HDC dc, int x, int y);
/* The install dialog for the selected font of a folder, then a redraw on dc; the
 * explanation for installed fonts. */
void InstallSelectedFont(HDC dc);

/* cellmenu.cpp */
LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam);
/* Commands 170 ... 172 of the cell menu, on the selected font. */
void OnCellCommand(int command);

/* dialogs.cpp */
INT_PTR CALLBACK ValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/* The box that explains how to reach installation (command 141, double-click). */
void ShowHowToInstall(void);

#endif
