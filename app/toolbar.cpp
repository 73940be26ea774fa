/* toolbar.cpp - the main window's toolbar: fourteen images, the gaps between the
 * groups, and the tooltip texts it asks the main window for (WM_NOTIFY).
 * Created from WM_CREATE of the main window (mainwnd.cpp); its check states are set
 * by SyncToolbarAndMenu (settings.cpp) on every refresh. */
#include "appwindows.h"

#include <commctrl.h>

#include "../resources/resource.h"
#include "shell.h"

static TBBUTTON Button(int image, int command, BYTE state, BYTE style)
{
    TBBUTTON button;
    ZeroMemory(&button, sizeof button);
    button.iBitmap = image;
    button.idCommand = command;
    button.fsState = state;
    button.fsStyle = style;
    return button;
}

HWND CreateMainToolbar(HWND parent)
{
    const BYTE on = TBSTATE_ENABLED;
    TBBUTTON buttons[21] = {
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(5, CMD_DEFINE_DIRECTORY, on, TBSTYLE_BUTTON),
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(4, CMD_PRINT, on, TBSTYLE_BUTTON),
        Button(8, CMD_PREVIEW, on, TBSTYLE_CHECK),
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(0, CMD_SIZE_UP, on, TBSTYLE_BUTTON),
        Button(1, CMD_SIZE_DOWN, on, TBSTYLE_BUTTON),
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(2, CMD_COLUMNS_UP, on, TBSTYLE_BUTTON),
        Button(3, CMD_COLUMNS_DOWN, on, TBSTYLE_BUTTON),
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(6, CMD_BOLD, on, TBSTYLE_CHECK),
        Button(7, CMD_ITALIC, on, TBSTYLE_CHECK),
        Button(13, CMD_ALL_STYLES, TBSTATE_INDETERMINATE, TBSTYLE_CHECK),
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(9, CMD_SEPARATORS, on, TBSTYLE_CHECK),
        Button(0, 0, 0, TBSTYLE_SEP),
        Button(10, CMD_FILTER_DEFINE, on, TBSTYLE_BUTTON),
        Button(12, CMD_FILTER_ON, on, TBSTYLE_CHECK),
        Button(11, CMD_TEXT_DEFINE, on, TBSTYLE_BUTTON),
    };
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    /* The toolbar steps through the records by the size it is told: 20 bytes in the
     * 32-bit program, 32 in the 64-bit one. */
    return CreateToolbarEx(parent, WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_ALTDRAG | CCS_ADJUSTABLE,
                           ID_TOOLBAR, 14, appInstance, IDB_TOOLBAR, buttons, 21, 0, 0, 16, 15,
                           sizeof(TBBUTTON));
}

const char *ToolbarTipText(UINT command)
{
    switch (command) {
    case CMD_PRINT: return "Print dialog";
    case CMD_TEXT_DEFINE: return "Custom text";
    case CMD_ITALIC: return "Italic fonts";
    case CMD_BOLD: return "Bold fonts";
    case CMD_PREVIEW: return "Preview mode";
    case CMD_DEFINE_DIRECTORY: return "Define directory";
    case CMD_FILTER_DEFINE: return "Define filter for font names";
    case CMD_FILTER_ON: return "Switch filter on/off";
    case CMD_SEPARATORS: return "Separator lines";
    case CMD_ALL_STYLES: return "All styles (only for not installed fonts)";
    case CMD_SIZE_UP: return "Increase font size";
    case CMD_SIZE_DOWN: return "Decrease font size";
    case CMD_COLUMNS_UP: return "Increase number of columns";
    case CMD_COLUMNS_DOWN: return "Decrease number of columns";
    default: return NULL;
    }
}

LRESULT OnToolbarNotify(LPARAM lParam)
{
    NMHDR *header = (NMHDR *)lParam;
    if (header->code != TTN_NEEDTEXTA)
        return 0;
    const char *text = ToolbarTipText((UINT)header->idFrom);
    if (text != NULL)
        ((TOOLTIPTEXTA *)lParam)->lpszText = (LPSTR)text;
    return 0;
}
