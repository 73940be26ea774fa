/* startup.cpp - start-up and shutdown of the program, the client window procedure,
 * and the small helpers every subsystem shares (the warning box, the read-me).
 *
 * WinMain (main.cpp) calls AppStartup, AppRunMessageLoop and AppShutdown in turn;
 * the tests call the same three to run the real windows in their own process. */
#include "shell.h"

#include <stdio.h>
#include <string.h>

#include "../catalogue/fontlist.h"
#include "../catalogue/scancache.h"
#include "../print/printer.h"
#include "../render/layout.h"
#include "../resources/resource.h"
#include "faults.h"
#include "../install/install.h"
#include "appwindows.h"
#include "charmap.h"
#include "settings.h"

HINSTANCE appInstance;
HWND mainWindow;
HWND clientWindow;
HWND toolbar;

char labelFaceName[STRING_SIZE];
char directoryTitle[STRING_SIZE];
char scratchFotName[STRING_SIZE];
char fontKeyNt[STRING_SIZE];
char fontKey[STRING_SIZE];
char textCantCopy[STRING_SIZE];
char textInformation[STRING_SIZE];
char textAlreadyInstalled[STRING_SIZE];
char textHowToInstall[STRING_SIZE];
char textFileExist[STRING_SIZE];
char textNotInstalled[STRING_SIZE];
char textPrinterHdcError[STRING_SIZE];
char textNoMemory[STRING_SIZE];
char textPathMissing[STRING_SIZE];
char textPathUnreadable[STRING_SIZE];
char textPathNotFont[STRING_SIZE];
char textPathTooLong[STRING_SIZE];
char textCharMapTitle[STRING_SIZE];
char textCharMapCount[STRING_SIZE];
char textNoCmapTable[STRING_SIZE];
char textNoCmapSubtable[STRING_SIZE];
char textNoCmapMemory[STRING_SIZE];
char textOtherFace[STRING_SIZE];
char textNoBlock[STRING_SIZE];
char textGlyph[STRING_SIZE];
char textNotAdded[STRING_SIZE];

char windowsDirectory[300];
char systemDirectory[300];
char tempDirectory[300];
char scratchFotPath[300];

unsigned char *fileBuffer;
static HGLOBAL fileBufferHandle;

int ShowWarning(const char *text, const char *caption)
{
    return MessageBoxA(NULL, text, caption, MB_TASKMODAL | MB_ICONWARNING | MB_OK);
}

int RegisterWindowClass(const char *name, UINT style, WNDPROC procedure, const char *menu,
                        const char *cursor)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = appInstance;
    windowClass.hIcon = LoadIconA(appInstance, MAKEINTRESOURCEA(ICON_IKONKA));
    windowClass.hCursor = LoadCursorA(NULL, cursor);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = menu;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

/* The client window sits two pixels below the toolbar; its height is the main
 * client height less 9, so it reaches below the main window's client area. */
void PlaceClientWindow(int repaint)
{
    RECT tb = {0, 0, 0, 0};
    RECT rc;
    if (toolbar != NULL)
        GetClientRect(toolbar, &tb);
    GetClientRect(mainWindow, &rc);
    MoveWindow(clientWindow, rc.left, tb.bottom + 2, rc.right, rc.bottom - 9, repaint);
}

/* Loads every text of the string table, then tests them all. */
static int LoadStringTable(void)
{
    struct { UINT id; char *buffer; } table[] = {
        {IDS_SHORT_TEXT, settings.shortText},
        {IDS_FULL_TEXT, settings.fullText},
        {IDS_CUSTOM_TEXT, settings.customText},
        {IDS_LABEL_FACE, labelFaceName},
        {IDS_DIRECTORY_TITLE, directoryTitle},
        {IDS_SCRATCH_FOT, scratchFotName},
        {IDS_FILTER_TEXT, settings.filterText},
        {IDS_FONT_KEY_NT, fontKeyNt},
        {IDS_FONT_KEY, fontKey},
        {IDS_CANT_COPY, textCantCopy},
        {IDS_INFORMATION, textInformation},
        {IDS_ALREADY_INSTALLED, textAlreadyInstalled},
        {IDS_HOW_TO_INSTALL, textHowToInstall},
        {IDS_FILE_EXIST, textFileExist},
        {IDS_NOT_INSTALLED, textNotInstalled},
        {IDS_PRINTER_HDC_ERROR, textPrinterHdcError},
        {IDS_NO_MEMORY, textNoMemory},
        {IDS_PATH_MISSING, textPathMissing},
        {IDS_PATH_UNREADABLE, textPathUnreadable},
        {IDS_PATH_NOT_FONT, textPathNotFont},
        {IDS_PATH_TOO_LONG, textPathTooLong},
        {IDS_CHARMAP_TITLE, textCharMapTitle},
        {IDS_CHARMAP_COUNT, textCharMapCount},
        {IDS_CHARMAP_NO_TABLE, textNoCmapTable},
        {IDS_CHARMAP_NO_SUBTABLE, textNoCmapSubtable},
        {IDS_CHARMAP_NO_MEMORY, textNoCmapMemory},
        {IDS_CHARMAP_OTHER_FACE, textOtherFace},
        {IDS_CHARMAP_NO_BLOCK, textNoBlock},
        {IDS_CHARMAP_GLYPH, textGlyph},
        {IDS_CHARMAP_NOT_ADDED, textNotAdded},
    };
    const int entries = (int)(sizeof table / sizeof table[0]);
    int loaded[sizeof table / sizeof table[0]];
    for (int i = 0; i < entries; i++)
        loaded[i] = SeamLoadStringA(appInstance, table[i].id, table[i].buffer, 255);
    for (int i = 0; i < entries; i++)
        if (loaded[i] == 0)
            return 0;
    return 1;
}

int AppStartup(HINSTANCE instance, const wchar_t *commandLine)
{
    appInstance = instance;
    ResetViewSettings();
    ResetPrinterSetup();
    ResetInstallOptions();

    if (!RegisterWindowClass("klasa", CS_DBLCLKS | CS_OWNDC, MainWindowProc, MENU_NAME,
                             (LPCSTR)IDC_CROSS)) {
        ShowWarning("can't register window class", NULL);
        return -1;
    }
    mainWindow = CreateWindowExA(0, "klasa", MAIN_WINDOW_TITLE,
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL,
                                 instance, NULL);
    if (mainWindow == NULL) {
        ShowWarning("can't create window", NULL);
        return -1;
    }

    RECT tb = {0, 0, 0, 0};
    RECT rc;
    if (toolbar != NULL)
        GetClientRect(toolbar, &tb);
    GetClientRect(mainWindow, &rc);
    RegisterWindowClass("client", CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC,
                        ClientWindowProc, NULL, (LPCSTR)IDC_CROSS);
    RegisterCharMapClass();
    clientWindow = CreateWindowExA(WS_EX_CLIENTEDGE, "client", NULL,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL |
                                       WS_HSCROLL,
                                   rc.left, tb.bottom + 2, rc.right, rc.bottom - 9,
                                   mainWindow, NULL, instance, NULL);
    if (clientWindow == NULL) {
        ShowWarning("can't create toolbar", NULL);
        return -1;
    }

    if (!LoadStringTable()) {
        ShowWarning("can't load string table", NULL);
        return -1;
    }

    fileBufferHandle = SeamGlobalAlloc(GMEM_ZEROINIT, FILE_BUFFER_SIZE);
    fileBuffer = fileBufferHandle ? (unsigned char *)GlobalLock(fileBufferHandle) : NULL;
    if (fileBuffer == NULL) {
        if (fileBufferHandle != NULL)
            GlobalFree(fileBufferHandle);
        fileBufferHandle = NULL;
        ShowWarning(textNoMemory, NULL);
        return -1;
    }

    if (QueryDefaultPrinter() == -1)
        ShowWarning(textPrinterHdcError, NULL);

    GetWindowsDirectoryA(windowsDirectory, 300);
    GetSystemDirectoryA(systemDirectory, 300);
    if (GetTempPathA(300, tempDirectory) == 0) {
        tempDirectory[0] = 0;
        ShowWarning("Temp path not found!", NULL);
    }
    snprintf(scratchFotPath, sizeof scratchFotPath, "%s%s", tempDirectory, scratchFotName);

    ShowWindow(mainWindow, SW_SHOW);
    /* A folder or font file on the command line takes the place of the installed
     * fonts; one that cannot be shown has been named in a warning, and the installed
     * fonts are shown after all. */
    if (!OpenCommandLinePath(commandLine)) {
        SendMessageA(mainWindow, UM_RESCAN, 0, 0);
        SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    }

    RECT place;
    GetWindowRect(mainWindow, &place);
    MoveWindow(mainWindow, place.left - 1, place.top - 1, place.right - place.left + 1,
               place.bottom - place.top + 1, TRUE);
    return 1;
}

void AppRunMessageLoop(void)
{
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void AppShutdown(void)
{
    if (fileBufferHandle != NULL) {
        GlobalUnlock(fileBufferHandle);
        GlobalFree(fileBufferHandle);
        fileBufferHandle = NULL;
    }
    fileBuffer = NULL;
    ReleasePrinterSetup();
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    EmptyScanCache();
}

/* Paints with the screen geometry whatever a print command has set, then leaves
 * the layout as the printing flag wants it. */
static LRESULT OnClientPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    int savedPrinting = printing;
    printing = 0;
    ComputeLayout(&pageLayout);
    SendMessageA(mainWindow, UM_REFRESH, (WPARAM)dc, 0);
    printing = savedPrinting;
    ComputeLayout(&pageLayout);
    EndPaint(window, &paint);
    return 0;
}

/* A right click on the grid, or the menu key, goes to the main window's cell menu;
 * one on the scroll bars keeps the bars' own menu. */
static LRESULT OnClientContextMenu(HWND window, WPARAM wParam, LPARAM lParam)
{
    POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    RECT client;
    GetClientRect(window, &client);
    int fromKeyboard = at.x == -1 && at.y == -1;
    if (!fromKeyboard && !(ScreenToClient(window, &at) && PtInRect(&client, at)))
        return DefWindowProcA(window, WM_CONTEXTMENU, wParam, lParam);
    return SendMessageA(mainWindow, WM_CONTEXTMENU, wParam, lParam);
}

LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return OnClientPaint(window);
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_LBUTTONDBLCLK:
        return SendMessageA(mainWindow, message, wParam, lParam);
    case WM_CONTEXTMENU:
        return OnClientContextMenu(window, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ReadmeCommandLine(char *line, int size)
{
    char program[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, program, sizeof program);
    if (length == 0 || length >= sizeof program) {
        snprintf(line, (size_t)size, "notepad Readme.txt");
        return;
    }
    char *slash = strrchr(program, '\\');
    if (slash != NULL)
        slash[1] = 0;
    else
        program[0] = 0;
    snprintf(line, (size_t)size, "notepad \"%sReadme.txt\"", program);
}

/* The read-me lies beside the program, whatever folder the open-file dialog has
 * made the current directory. */
void OpenReadme(void)
{
    char line[MAX_PATH + 32];
    ReadmeCommandLine(line, sizeof line);
    WinExec(line, SW_SHOW);
}
