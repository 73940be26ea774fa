/* cellmenu.cpp - the context menu of a cell of the grid and its three commands:
 * install the font (as a double-click does), open its character map, copy its face
 * name.
 *
 * WM_CONTEXTMENU reaches the main window (mainwnd.cpp) from the client window,
 * which forwards a right click on the grid and the menu key (or Shift+F10).  The
 * cell under the mouse is found by the double-click's hit test (scroll.cpp); from
 * the keyboard the menu is for the cell last selected.  Reads the DisplayList and
 * the view settings; writes selectedFont through the hit test. */
#include "appwindows.h"

#include <string.h>

#include "../catalogue/fontlist.h"
#include "../render/layout.h"
#include "../resources/resource.h"
#include "charmap.h"
#include "settings.h"
#include "shell.h"

/* The DisplayList entry last selected, or NULL when that index is no more in it. */
static const FontRecord *SelectedRecord(void)
{
    if (displayList.records == NULL || shell.selectedFont < 0 ||
        shell.selectedFont >= displayList.count)
        return NULL;
    return displayList.records[shell.selectedFont];
}

/* Where the keyboard's menu opens: inside the selected cell when it is in view,
 * else at the top left of the grid; in screen coordinates. */
static POINT KeyboardMenuPoint(void)
{
    const PageLayout *L = &pageLayout;
    POINT at = {8, 8};
    int columns = settings.columns > 0 ? settings.columns : 1;
    int row = shell.selectedFont / columns - shell.topRow;
    if (row >= 0 && row <= L->visibleRows) {
        at.x = (int)((shell.selectedFont % columns) * (double)L->cellWidth + L->originX) + 8;
        at.y = (int)(row * (double)L->cellHeight + L->originY) + L->cellTopOffset + 8;
    }
    ClientToScreen(clientWindow, &at);
    return at;
}

LRESULT OnContextMenu(HWND window, WPARAM wParam, LPARAM lParam)
{
    POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (at.x == -1 && at.y == -1) {
        if (SelectedRecord() == NULL)
            return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
        at = KeyboardMenuPoint();
    } else {
        POINT inside = at;
        ScreenToClient(clientWindow, &inside);
        HDC dc = GetDC(clientWindow);
        int hit = HitTestCell(dc, inside.x, inside.y);
        ReleaseDC(clientWindow, dc);
        if (!hit)
            return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    }
    HMENU menu = LoadMenuA(appInstance, CELL_MENU_NAME);
    if (menu == NULL)
        return 0;
    HMENU popup = GetSubMenu(menu, 0);
    EnableMenuItem(popup, CMD_CELL_INSTALL,
                   MF_BYCOMMAND | (settings.sourceIsDirectory ? MF_ENABLED : MF_GRAYED));
    /* The command runs at once, while selectedFont still names the cell. */
    UINT command = (UINT)TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN |
                                                   TPM_TOPALIGN, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
    if (command != 0)
        SendMessageA(window, WM_COMMAND, command, 0);
    return 0;
}

/* The face name as Unicode text and as text. */
static void CopyFaceName(const FontRecord *record)
{
    WCHAR name[LF_FACESIZE];
    int length = MultiByteToWideChar(CP_ACP, 0, record->logFont.lfFaceName,
                                     (int)strnlen(record->logFont.lfFaceName, LF_FACESIZE), name,
                                     LF_FACESIZE);
    CopyUnicodeText(mainWindow, name, length);
}

void OnCellCommand(int command)
{
    const FontRecord *record = SelectedRecord();
    if (record == NULL)
        return;
    if (command == CMD_CELL_INSTALL) {
        HDC dc = GetDC(clientWindow);
        InstallSelectedFont(dc);
        ReleaseDC(clientWindow, dc);
    } else if (command == CMD_CELL_CHARACTERS) {
        OpenCharacterMap(record, settings.sourceIsDirectory);
    } else if (command == CMD_CELL_COPY_NAME) {
        CopyFaceName(record);
    }
}
