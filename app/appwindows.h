/* appwindows.h - the pieces of the shell that the main window procedure
 * (mainwnd.cpp) hands its messages to: the toolbar (toolbar.cpp), scrolling and
 * the double-click (scroll.cpp) and the small option dialogs (dialogs.cpp). */
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

/* dialogs.cpp */
INT_PTR CALLBACK ValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/* The box that explains how to reach installation (command 141, double-click). */
void ShowHowToInstall(void);

#endif
