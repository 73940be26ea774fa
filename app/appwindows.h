/* appwindows.h - the pieces of the shell that the main window procedure
 * (mainwnd.cpp) hands its messages to: the toolbar (toolbar.cpp), scrolling and
 * the double-click (scroll.cpp), the cell's context menu (cellmenu.cpp), the
 * small option dialogs (dialogs.cpp), and the folders and font files named from
 * outside: the command line and drops (openpath.cpp). */
#ifndef ZENVRIX_APPWINDOWS_H
#define ZENVRIX_APPWINDOWS_H

#include <windows.h>
#include <shellapi.h>

/* toolbar.cpp */
HWND CreateMainToolbar(HWND parent);
LRESULT OnToolbarNotify(LPARAM lParam);
/* The tooltip text of a toolbar command, or NULL for none. */
const char *ToolbarTipText(UINT command);

/* scroll.cpp */
LRESULT OnVScroll(WPARAM wParam);
LRESULT OnDoubleClick(LPARAM lParam);
/* End (end 1) and Home (end 0): the last position or the first, drawn as the thumb
 * dragged there draws it. */
LRESULT ScrollToEnd(int end);

/* mainwnd.cpp: a folder named from outside becomes the one shown, as the directory
 * dialog makes it (the next UM_RESCAN reads it); allKinds: the scan takes every kind
 * of font file. */
void TakeOutsideFolder(const char *folder, int allKinds);

/* openpath.cpp */
/* The path that the command line names after the program, shown as OpenOutsidePath
 * shows it.  1 when it was shown; 0 when there is none, or after the warning about
 * it (nothing changed then). */
int OpenCommandLinePath(const wchar_t *commandLine);
/* A folder is shown as the directory dialog shows it; a font file shows its folder
 * scrolled to the file's entry.  1 when shown; 0 after a warning naming the path and
 * why it cannot be shown (nothing changed then). */
int OpenOutsidePath(const wchar_t *path);
/* WM_DROPFILES: the first item dropped, unless a dialog or a print job runs. */
LRESULT OnDropFiles(HDROP drop);
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
