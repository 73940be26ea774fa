/* mainwnd.cpp - the main window procedure: the hub of the program.
 *
 * MainWindowProc only dispatches.  Commands from the menu and the toolbar change the
 * settings, then send the private messages to this same window synchronously:
 * UM_RESCAN refills the Catalogue, UM_REBUILD the DisplayList, UM_REFRESH lays out
 * and draws.  Scrolling and the double-click live in scroll.cpp, the cell's context
 * menu in cellmenu.cpp, the toolbar in toolbar.cpp, the small option dialogs in
 * dialogs.cpp; the character map windows (charmap.cpp) close with this one. */
#include "shell.h"

#include <commctrl.h>
#include <commdlg.h>
#include <stdio.h>
#include <string.h>

#include "../catalogue/fontfiles.h"
#include "../print/printer.h"
#include "../render/draw.h"
#include "../render/layout.h"
#include "../resources/resource.h"
#include "appwindows.h"
#include "charmap.h"
#include "settings.h"

/* ---- device-context convention of UM_RESCAN, UM_REBUILD and UM_REFRESH ---- */

static HDC TakeDC(WPARAM wParam)
{
    return wParam != 0 ? (HDC)wParam : GetDC(clientWindow);
}

static void GiveBackDC(WPARAM wParam, HDC dc)
{
    if (wParam == 0)
        ReleaseDC(clientWindow, dc);
}

/* ---- private messages ---- */

static LRESULT OnRescan(HWND window, WPARAM wParam)
{
    HDC dc = TakeDC(wParam);
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    ScanFonts(dc);
    SortCatalogue();
    SendMessageA(window, UM_REBUILD, (WPARAM)dc, 0);
    GiveBackDC(wParam, dc);
    return 1;
}

static LRESULT OnRebuild(WPARAM wParam)
{
    HDC dc = TakeDC(wParam);
    FreeFontList(&displayList);
    BuildDisplayList();
    GiveBackDC(wParam, dc);
    return 1;
}

static LRESULT OnSetScroll(void)
{
    int total = pageLayout.totalRows;
    int visible = pageLayout.visibleRows;
    int last = total - visible;
    SetScrollRange(clientWindow, SB_VERT, 0, last > 1 ? last : 1, TRUE);
    if ((shell.topRow < last ? shell.topRow : last) <= 0)
        shell.topRow = 0;
    else if (shell.topRow >= last)
        shell.topRow = last;
    SetScrollPos(clientWindow, SB_VERT, shell.topRow, TRUE);
    return 1;
}

static LRESULT OnDrawPage(WPARAM wParam)
{
    shell.cellColumn = 0;
    shell.cellRow = 0;
    int rows = printing ? pageLayout.rowsPerPage : pageLayout.visibleRows + 1;
    int n = settings.columns;
    ForEachDisplayFont(DrawFontCell, (LPARAM)&wParam, n * shell.topRow,
                       n * (shell.topRow + rows) - 1);
    return 1;
}

static LRESULT OnDrawLastRow(WPARAM wParam)
{
    int visible = pageLayout.visibleRows;
    int extra = printing ? 0 : 1;
    int n = settings.columns;
    shell.cellColumn = 0;
    shell.cellRow = visible - 1;
    ForEachDisplayFont(DrawFontCell, (LPARAM)&wParam, n * (shell.topRow + visible - 1),
                       n * (shell.topRow + visible + extra) - 1);
    return 1;
}

static LRESULT OnDrawFirstRow(WPARAM wParam)
{
    int n = settings.columns;
    shell.drawingFirstRow = 1;
    shell.cellColumn = 0;
    shell.cellRow = 0;
    ForEachDisplayFont(DrawFontCell, (LPARAM)&wParam, n * shell.topRow,
                       n * (shell.topRow + 1) - 1);
    shell.drawingFirstRow = 0;
    return 1;
}

static LRESULT OnLoadAll(WPARAM wParam, int load)
{
    shell.cellColumn = 0;
    shell.cellRow = 0;
    ForEachDisplayFont(load ? LoadFontCallback : UnloadFontCallback, (LPARAM)&wParam, 0,
                       displayList.count - 1);
    return 1;
}

static LRESULT OnRefresh(HWND window, WPARAM wParam)
{
    HDC dc = TakeDC(wParam);
    ComputeLayout(&pageLayout);
    shell.cellRow = 0;
    shell.cellColumn = 0;
    SendMessageA(window, UM_SETSCROLL, 0, 0);
    SyncToolbarAndMenu(window, toolbar);
    if (displayList.records == NULL)
        SendMessageA(clientWindow, WM_ERASEBKGND, (WPARAM)dc, 0);
    SendMessageA(window, UM_DRAWPAGE, (WPARAM)dc, 0);
    GiveBackDC(wParam, dc);
    return 1;
}

/* ---- the window's own messages ---- */

static LRESULT OnCreate(HWND window)
{
    shell.topRow = 0;
    DragAcceptFiles(window, TRUE);
    toolbar = CreateMainToolbar(window);
    if (toolbar == NULL)
        ShowWarning("tool error", NULL);
    return 0;
}

/* The character map windows go with the main window. */
static LRESULT OnDestroy(void)
{
    CloseCharacterMaps();
    PostQuitMessage(0);
    return 0;
}

static LRESULT OnSize(void)
{
    if (toolbar != NULL)
        SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    if (clientWindow != NULL)
        PlaceClientWindow(TRUE);
    return 0;
}

static LRESULT OnFontChange(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!shell.ownFontChange) {
        SendMessageA(window, UM_RESCAN, 0, 0);
        SendMessageA(window, UM_REFRESH, 0, 0);
    }
    return DefWindowProcA(window, WM_FONTCHANGE, wParam, lParam);
}

/* P (with or without Shift) switches the name filter.  The arrow keys and PgDn /
 * PgUp are the scroll bar's row and page steps, End and Home its last and first
 * position; F5 reads the source shown again, as choosing it again does. */
static LRESULT OnKeyDown(HWND window, WPARAM key)
{
    switch (key) {
    case 0x50:
        settings.filterOn = !settings.filterOn;
        SendMessageA(window, UM_REBUILD, 0, 0);
        SendMessageA(window, UM_REFRESH, 0, 0);
        return 1;
    case VK_DOWN: SendMessageA(window, WM_VSCROLL, SB_LINEDOWN, 0); return 1;
    case VK_UP: SendMessageA(window, WM_VSCROLL, SB_LINEUP, 0); return 1;
    case VK_NEXT: SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0); return 1;
    case VK_PRIOR: SendMessageA(window, WM_VSCROLL, SB_PAGEUP, 0); return 1;
    case VK_END: ScrollToEnd(1); return 1;
    case VK_HOME: ScrollToEnd(0); return 1;
    case VK_F5:
        SendMessageA(window, WM_COMMAND,
                     settings.sourceIsDirectory ? CMD_FROM_DIRECTORY : CMD_INSTALLED_FONTS, 0);
        return 1;
    default: return 0;
    }
}

/* One row per whole notch; a remainder is dropped. */
static LRESULT OnMouseWheel(HWND window, WPARAM wParam)
{
    int delta = (short)HIWORD(wParam);
    int notches = delta / 120;
    WPARAM code = notches > 0 ? MAKEWPARAM(SB_LINEUP, 1) : MAKEWPARAM(SB_LINEDOWN, 1);
    if (notches < 0)
        notches = -notches;
    for (int i = 0; i < notches; i++)
        SendMessageA(window, WM_VSCROLL, code, 0);
    return 0;
}

/* ---- commands ---- */

static void Refresh(HWND window)
{
    SendMessageA(window, UM_REFRESH, 0, 0);
}

static void Rebuild(HWND window)
{
    SendMessageA(window, UM_REBUILD, 0, 0);
    SendMessageA(window, UM_REFRESH, 0, 0);
}

static void Rescan(HWND window)
{
    SendMessageA(window, UM_RESCAN, 0, 0);
    SendMessageA(window, UM_REFRESH, 0, 0);
}

/* Style changes only alter the DisplayList of a folder; installed fonts take the
 * style when they are drawn. */
static void AfterStyleChange(HWND window)
{
    if (settings.sourceIsDirectory)
        Rebuild(window);
    else
        Refresh(window);
}

static OPENFILENAMEA directoryDialog;
static char directoryDialogFile[300];
/* The file types of the folder dialog; the third makes the scan take every kind
 * of font file. */
static const char kDirectoryFilter[] =
    "True Type Fonts\0*.ttf\0All Files\0*.*\0All fonts\0*.ttf;*.otf;*.ttc;*.otc\0";
static const DWORD kAllFontsFilter = 3;

/* The block is filled before the dialog first opens, and again each time while no
 * folder was chosen. */
static void PrepareDirectoryDialog(HWND window)
{
    if (settings.directoryChosen && directoryDialog.lStructSize != 0)
        return;
    ZeroMemory(&directoryDialog, sizeof directoryDialog);
    directoryDialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    directoryDialog.hwndOwner = window;
    directoryDialog.hInstance = appInstance;
    directoryDialog.lpstrFilter = kDirectoryFilter;
    directoryDialog.nFilterIndex = 1;
    strcpy(directoryDialogFile, "Allfiles");
    directoryDialog.lpstrFile = directoryDialogFile;
    directoryDialog.nMaxFile = sizeof directoryDialogFile;
    directoryDialog.lpstrTitle = directoryTitle;
    directoryDialog.Flags = OFN_PATHMUSTEXIST;
}

/* The folder (its first length bytes, ending with a backslash) becomes the one
 * shown; the one shown before is kept for Previous directory. */
static void TakeChosenFolder(const char *folder, int length)
{
    settings.directoryChosen = 1;
    if (settings.currentDirectory[0] != 0)
        strcpy(settings.previousDirectory, settings.currentDirectory);
    memmove(settings.currentDirectory, folder, (size_t)length);
    settings.currentDirectory[length] = 0;
    if (settings.previousDirectory[0] == 0)
        strcpy(settings.previousDirectory, settings.currentDirectory);
    settings.sourceIsDirectory = 1;
}

static void OnDefineDirectory(HWND window)
{
    PrepareDirectoryDialog(window);
    if (!GetOpenFileNameA(&directoryDialog))
        return;
    /* The block keeps the type picked, for this scan, later rescans and the next
     * time the dialog opens. */
    settings.allFontFiles = directoryDialog.nFilterIndex == kAllFontsFilter;
    TakeChosenFolder(directoryDialogFile,
                     TextCutLength(directoryDialogFile, directoryDialog.nFileOffset,
                                   NAME_SIZE - 1, AnsiIsUtf8()));
    Rescan(window);
}

/* The dialog opens next in the folder taken, with a file type that takes what the
 * scan takes. */
void TakeOutsideFolder(const char *folder, int allKinds)
{
    PrepareDirectoryDialog(mainWindow);
    settings.allFontFiles = allKinds;
    if (allKinds)
        directoryDialog.nFilterIndex = kAllFontsFilter;
    char file[sizeof directoryDialogFile];
    int length = snprintf(file, sizeof file, "%s%s", folder, "Allfiles");
    if (length > 0 && length < (int)sizeof file)
        strcpy(directoryDialogFile, file);
    TakeChosenFolder(folder, (int)strlen(folder));
}

static void OnPreviousDirectory(HWND window)
{
    if (settings.previousDirectory[0] == 0) {
        SendMessageA(window, WM_COMMAND, CMD_DEFINE_DIRECTORY, 0);
        return;
    }
    char previous[NAME_SIZE];
    strcpy(previous, settings.previousDirectory);
    settings.sourceIsDirectory = 1;
    if (settings.directoryChosen)
        strcpy(settings.previousDirectory, settings.currentDirectory);
    strcpy(settings.currentDirectory, previous);
    Rescan(window);
}

static void OnFromDirectory(HWND window)
{
    if (!settings.directoryChosen) {
        SendMessageA(window, WM_COMMAND, CMD_DEFINE_DIRECTORY, 0);
        return;
    }
    settings.sourceIsDirectory = 1;
    Rescan(window);
}

static void OnCustomValue(HWND window, int *value, int low, int high)
{
    INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_VALUE), window,
                                     ValueDialogProc, (LPARAM)*value);
    if (result == 0)
        return;
    *value = ClampInt((int)result, low, high);
    Refresh(window);
}

static void SetColumns(HWND window, int columns)
{
    settings.columns = columns;
    Refresh(window);
}

static void SetPointSize(HWND window, int pointSize)
{
    settings.pointSize = pointSize;
    Refresh(window);
}

static void SetLabelMode(HWND window, int mode)
{
    settings.labelMode = mode;
    Refresh(window);
}

static void SetLabelScale(HWND window, float scale)
{
    settings.labelScale = scale;
    Refresh(window);
}

static void SetSampleText(HWND window, char *text)
{
    settings.sampleText = text;
    Refresh(window);
}

static void Toggle(HWND window, int *flag)
{
    *flag = !*flag;
    Refresh(window);
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case CMD_DEFINE_DIRECTORY: OnDefineDirectory(window); break;
    case CMD_PREVIOUS_DIRECTORY: OnPreviousDirectory(window); break;
    case CMD_INCLUDE_SUBDIRS: Toggle(window, &settings.includeSubdirectories); break;
    case CMD_FROM_DIRECTORY: OnFromDirectory(window); break;
    case CMD_INSTALLED_FONTS:
        settings.sourceIsDirectory = 0;
        Rescan(window);
        break;
    case CMD_PRINT:
    case CMD_PRINT_DEFAULT:
    case CMD_PRINTER_SETUP: RunPrintCommand(LOWORD(wParam)); break;
    case CMD_MARGINS:
        if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_MARGINS), window,
                            MarginsDialogProc, 0) != 0)
            Refresh(window);
        break;
    case CMD_PREVIEW: Toggle(window, &settings.preview); break;
    case CMD_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case CMD_COLUMNS_1: SetColumns(window, 1); break;
    case CMD_COLUMNS_2: SetColumns(window, 2); break;
    case CMD_COLUMNS_3: SetColumns(window, 3); break;
    case CMD_COLUMNS_4: SetColumns(window, 4); break;
    case CMD_COLUMNS_5: SetColumns(window, 5); break;
    case CMD_COLUMNS_6: SetColumns(window, 6); break;
    case CMD_COLUMNS_7: SetColumns(window, 7); break;
    case CMD_COLUMNS_CUSTOM: OnCustomValue(window, &settings.columns, 1, 15); break;
    case CMD_SIZE_6: SetPointSize(window, 6); break;
    case CMD_SIZE_8: SetPointSize(window, 8); break;
    case CMD_SIZE_10: SetPointSize(window, 10); break;
    case CMD_SIZE_12: SetPointSize(window, 12); break;
    case CMD_SIZE_14: SetPointSize(window, 14); break;
    case CMD_SIZE_15: SetPointSize(window, 15); break;
    case CMD_SIZE_18: SetPointSize(window, 18); break;
    case CMD_SIZE_22: SetPointSize(window, 22); break;
    case CMD_SIZE_27: SetPointSize(window, 27); break;
    case CMD_SIZE_33: SetPointSize(window, 33); break;
    case CMD_SIZE_41: SetPointSize(window, 41); break;
    case CMD_SIZE_CUSTOM: OnCustomValue(window, &settings.pointSize, 5, 60); break;
    case CMD_ITALIC: ToggleItalic(); AfterStyleChange(window); break;
    case CMD_BOLD: ToggleBold(); AfterStyleChange(window); break;
    case CMD_NORMAL: SetNormalStyle(); AfterStyleChange(window); break;
    case CMD_ALL_STYLES: ToggleAllStyles(); AfterStyleChange(window); break;
    case CMD_TEXT_SHORT: SetSampleText(window, settings.shortText); break;
    case CMD_TEXT_FULL: SetSampleText(window, settings.fullText); break;
    case CMD_TEXT_CUSTOM: SetSampleText(window, settings.customText); break;
    case CMD_TEXT_DEFINE:
        if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_BOX), window,
                            TextDialogProc, 0) == 1)
            SetSampleText(window, settings.customText);
        break;
    case CMD_NATIONAL_CODEPAGE: Toggle(window, &settings.nationalCodepage); break;
    case CMD_OWN_SCRIPT: Toggle(window, &settings.ownScript); break;
    case CMD_LABEL_SMALL: SetLabelScale(window, 1.0f); break;
    case CMD_LABEL_MEDIUM: SetLabelScale(window, 1.25f); break;
    case CMD_LABEL_LARGE: SetLabelScale(window, 1.5f); break;
    case CMD_LABEL_FACE: SetLabelMode(window, LABEL_FACE_NAME); break;
    case CMD_LABEL_FULLNAME: SetLabelMode(window, LABEL_FULL_NAME); break;
    case CMD_LABEL_FILE: SetLabelMode(window, LABEL_FILE_NAME); break;
    case CMD_LABEL_PATH: SetLabelMode(window, LABEL_FULL_PATH); break;
    case CMD_LABEL_FACE_FILE: SetLabelMode(window, LABEL_FACE_AND_FILE); break;
    case CMD_LABEL_FULLNAME_FILE: SetLabelMode(window, LABEL_FULL_AND_FILE); break;
    case CMD_TRUETYPE_ONLY:
        settings.trueTypeOnly = !settings.trueTypeOnly;
        Rebuild(window);
        break;
    case CMD_SEPARATORS: Toggle(window, &settings.separatorLines); break;
    case CMD_FILTER_DEFINE:
        if (DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_SPECENDS), window,
                            FilterDialogProc, 0) != 0)
            Rebuild(window);
        break;
    case CMD_FILTER_ON:
        settings.filterOn = !settings.filterOn;
        Rebuild(window);
        break;
    case CMD_INSTALL_INFO: ShowHowToInstall(); break;
    case CMD_INFO:
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_O), window, InfoDialogProc, 0);
        break;
    case CMD_README: OpenReadme(); break;
    case CMD_SIZE_UP: SetPointSize(window, StepPointSize(settings.pointSize, 1)); break;
    case CMD_SIZE_DOWN: SetPointSize(window, StepPointSize(settings.pointSize, 0)); break;
    case CMD_COLUMNS_UP: SetColumns(window, ClampInt(settings.columns + 1, 1, 15)); break;
    case CMD_COLUMNS_DOWN: SetColumns(window, ClampInt(settings.columns - 1, 1, 15)); break;
    case CMD_CELL_INSTALL:
    case CMD_CELL_CHARACTERS:
    case CMD_CELL_COPY_NAME: OnCellCommand(LOWORD(wParam)); break;
    default: return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
    }
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy();
    case WM_SIZE: return OnSize();
    case WM_FONTCHANGE: return OnFontChange(window, wParam, lParam);
    case WM_NOTIFY: return OnToolbarNotify(lParam);
    case WM_KEYDOWN: return OnKeyDown(window, wParam);
    case WM_MOUSEWHEEL: return OnMouseWheel(window, wParam);
    case WM_COMMAND: return OnCommand(window, wParam, lParam);
    case WM_VSCROLL: return OnVScroll(wParam);
    case WM_LBUTTONDBLCLK: return OnDoubleClick(lParam);
    case WM_DROPFILES: return OnDropFiles((HDROP)wParam);
    case WM_CONTEXTMENU: return OnContextMenu(window, wParam, lParam);
    case UM_RESCAN: return OnRescan(window, wParam);
    case UM_REBUILD: return OnRebuild(wParam);
    case UM_SETSCROLL: return OnSetScroll();
    case UM_DRAWPAGE: return OnDrawPage(wParam);
    case UM_DRAWLASTROW: return OnDrawLastRow(wParam);
    case UM_DRAWFIRSTROW: return OnDrawFirstRow(wParam);
    case UM_REFRESH: return OnRefresh(window, wParam);
    case UM_LOADALL: return OnLoadAll(wParam, 1);
    case UM_UNLOADALL: return OnLoadAll(wParam, 0);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
