/* charmap.cpp - the character map window (see charmap.h): one top-level window per
 * face, showing every character its cmap table maps, in code point order, in cells
 * drawn in the face itself, scrolled by the scroll bar, the wheel and the keys;
 * only the cells in view are drawn.  Its status bar gives the count, then the
 * block, code point and glyph of the character under the mouse or selected.
 *
 * Opened from the cell's context menu (cellmenu.cpp) with a copy of the record it
 * was opened for: it keeps nothing of the font lists, which a rescan frees.  Each
 * window owns a small record in GWLP_USERDATA: the coverage read through the cmap
 * reader (catalogue/cmapcore), its font, and the path of the font file it
 * registered, removed again when the window goes.  The main window closes them
 * all (mainwnd.cpp). */
#include "charmap.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../catalogue/blockcore.h"
#include "../catalogue/cmapcore.h"
#include "../catalogue/fontlist.h"
#include "../resources/resource.h"
#include "faults.h"
#include "shell.h"

const char kCharMapClass[] = "ZenvrixCharacters";

static const DWORD kCmapTag = 0x70616D63; /* 'cmap' as GetFontData takes it */
static const int kCellPoints = 18;        /* size of the characters shown */
static const int kStartColumns = 16;
static const int kStartRows = 12;

/* One window's state. */
struct CharMap {
    CmapCoverage coverage;
    HFONT font;
    HWND status;
    char addedPath[300];       /* the font file registered for this window; "" none */
    char faceName[LF_FACESIZE];
    const char *reason;        /* why nothing is shown; NULL when the cmap was read */
    char otherFace[LF_FACESIZE];
    int cellWidth;
    int cellHeight;
    int baseline;              /* from a cell's top */
    int columns;
    int topRow;
    int64_t selected;          /* index of the selected character, -1 none */
    int64_t hover;             /* index under the mouse, -1 none */
    int wheelRest;             /* wheel movement short of a whole notch */
};

static CharMap *MapOf(HWND window)
{
    return (CharMap *)GetWindowLongPtrA(window, GWLP_USERDATA);
}

int CodePointToUtf16(uint32_t codePoint, WCHAR *units)
{
    if (codePoint < 0x10000) {
        units[0] = (WCHAR)codePoint;
        return 1;
    }
    codePoint -= 0x10000;
    units[0] = (WCHAR)(0xD800 + (codePoint >> 10));
    units[1] = (WCHAR)(0xDC00 + (codePoint & 0x3FF));
    return 2;
}

/* Hands the clipboard (open) a copy of size bytes in the given format; 0 when it
 * could not be made or was refused (the block is then freed here). */
static int SetClipboardBytes(UINT format, const void *bytes, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void *copy = block != NULL ? GlobalLock(block) : NULL;
    if (copy != NULL) {
        memcpy(copy, bytes, size);
        GlobalUnlock(block);
        if (SetClipboardData(format, block) != NULL)
            return 1;
    }
    if (block != NULL)
        GlobalFree(block);
    return 0;
}

int CopyUnicodeText(HWND owner, const WCHAR *text, int length)
{
    if (!OpenClipboard(owner))
        return 0;
    EmptyClipboard();
    WCHAR wide[kCopyLimit + 1];
    char ansi[4 * kCopyLimit + 1];
    if (length > kCopyLimit)
        length = kCopyLimit;
    memcpy(wide, text, (size_t)length * sizeof(WCHAR));
    wide[length] = 0;
    int bytes = length > 0 ? WideCharToMultiByte(CP_ACP, 0, text, length, ansi, (int)sizeof ansi - 1,
                                                 NULL, NULL) : 0;
    ansi[bytes > 0 ? bytes : 0] = 0;
    int done = SetClipboardBytes(CF_UNICODETEXT, wide, (size_t)(length + 1) * sizeof(WCHAR));
    done &= SetClipboardBytes(CF_TEXT, ansi, (size_t)(bytes > 0 ? bytes : 0) + 1);
    CloseClipboard();
    return done;
}

/* ---- geometry ---- */

static void GridRect(HWND window, const CharMap *map, RECT *grid)
{
    GetClientRect(window, grid);
    RECT bar;
    if (map->status != NULL && GetWindowRect(map->status, &bar))
        grid->bottom -= bar.bottom - bar.top;
    if (grid->bottom < grid->top)
        grid->bottom = grid->top;
}

static int TotalRows(const CharMap *map)
{
    return (int)((map->coverage.characters + (uint32_t)map->columns - 1) / (uint32_t)map->columns);
}

static int WholeRows(HWND window, const CharMap *map)
{
    RECT grid;
    GridRect(window, map, &grid);
    int rows = (grid.bottom - grid.top) / map->cellHeight;
    return rows > 0 ? rows : 1;
}

static int LastTopRow(HWND window, const CharMap *map)
{
    int last = TotalRows(map) - WholeRows(window, map);
    return last > 0 ? last : 0;
}

int CharMapCellRect(HWND window, uint32_t index, RECT *rect)
{
    const CharMap *map = MapOf(window);
    if (map == NULL || index >= map->coverage.characters)
        return 0;
    int row = (int)(index / (uint32_t)map->columns) - map->topRow;
    int column = (int)(index % (uint32_t)map->columns);
    rect->left = column * map->cellWidth;
    rect->top = row * map->cellHeight;
    rect->right = rect->left + map->cellWidth;
    rect->bottom = rect->top + map->cellHeight;
    RECT grid;
    GridRect(window, map, &grid);
    return rect->bottom > grid.top && rect->top < grid.bottom && rect->left < grid.right;
}

/* The character at a point of the client area, or -1. */
static int64_t IndexAt(HWND window, const CharMap *map, int x, int y)
{
    RECT grid;
    GridRect(window, map, &grid);
    if (x < 0 || y < 0 || y >= grid.bottom || x >= map->columns * map->cellWidth)
        return -1;
    int64_t index = (int64_t)(map->topRow + y / map->cellHeight) * map->columns + x / map->cellWidth;
    return index < (int64_t)map->coverage.characters ? index : -1;
}

/* ---- the status bar ---- */

static void SetStatusParts(CharMap *map)
{
    int read[] = {130, 420, 520, -1};
    int failed[] = {130, -1};
    if (map->reason != NULL)
        SendMessageA(map->status, SB_SETPARTS, 2, (LPARAM)failed);
    else
        SendMessageA(map->status, SB_SETPARTS, 4, (LPARAM)read);
}

static void ShowStatus(CharMap *map)
{
    if (map->status == NULL)
        return;
    char text[300];
    snprintf(text, sizeof text, textCharMapCount, (unsigned long)map->coverage.characters);
    SendMessageA(map->status, SB_SETTEXTA, 0, (LPARAM)text);
    if (map->reason != NULL) {
        snprintf(text, sizeof text, map->reason, map->otherFace);
        SendMessageA(map->status, SB_SETTEXTA, 1, (LPARAM)text);
        return;
    }
    int64_t shown = map->hover >= 0 ? map->hover : map->selected;
    const char *block = "";
    char codePoint[16] = "";
    char glyph[64] = "";
    if (shown >= 0) {
        uint32_t c = CmapCodePointAt(&map->coverage, (uint32_t)shown);
        const UnicodeBlock *found = FindUnicodeBlock(c);
        block = found != NULL ? found->name : textNoBlock;
        snprintf(codePoint, sizeof codePoint, "U+%04lX", (unsigned long)c);
        snprintf(glyph, sizeof glyph, textGlyph, (unsigned long)CmapGlyph(&map->coverage, c));
    }
    SendMessageA(map->status, SB_SETTEXTA, 1, (LPARAM)block);
    SendMessageA(map->status, SB_SETTEXTA, 2, (LPARAM)codePoint);
    SendMessageA(map->status, SB_SETTEXTA, 3, (LPARAM)glyph);
}

/* ---- scrolling and selection ---- */

static void SyncScrollBar(HWND window, const CharMap *map)
{
    SCROLLINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = TotalRows(map) > 0 ? TotalRows(map) - 1 : 0;
    info.nPage = (UINT)WholeRows(window, map);
    info.nPos = map->topRow;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

/* After the view moved, the character under the mouse is another one. */
static void TakeHoverAgain(HWND window, CharMap *map)
{
    POINT at;
    if (map->hover < 0 || !GetCursorPos(&at) || !ScreenToClient(window, &at))
        return;
    map->hover = IndexAt(window, map, at.x, at.y);
    ShowStatus(map);
}

/* Moves the view to row (clamped); the picture moves and only the uncovered rows
 * are drawn. */
static void ScrollToRow(HWND window, CharMap *map, int row)
{
    int last = LastTopRow(window, map);
    row = row < 0 ? 0 : row > last ? last : row;
    if (row == map->topRow)
        return;
    RECT grid;
    GridRect(window, map, &grid);
    int rows = map->topRow - row;
    map->topRow = row;
    int span = grid.bottom - grid.top;
    if (rows * map->cellHeight >= span || -rows * map->cellHeight >= span)
        InvalidateRect(window, &grid, TRUE);
    else
        ScrollWindowEx(window, 0, rows * map->cellHeight, &grid, &grid, NULL, NULL,
                       SW_INVALIDATE | SW_ERASE);
    SyncScrollBar(window, map);
    UpdateWindow(window);
    TakeHoverAgain(window, map);
}

static void InvalidateCell(HWND window, int64_t index)
{
    RECT cell;
    if (index >= 0 && CharMapCellRect(window, (uint32_t)index, &cell))
        InvalidateRect(window, &cell, TRUE);
}

static void Select(HWND window, CharMap *map, int64_t index)
{
    if (map->coverage.characters == 0)
        return;
    int64_t last = (int64_t)map->coverage.characters - 1;
    index = index < 0 ? 0 : index > last ? last : index;
    int64_t before = map->selected;
    map->selected = index;
    /* The view moves first, so that both cells are redrawn where they are then. */
    int row = (int)(index / map->columns);
    int rows = WholeRows(window, map);
    if (row < map->topRow)
        ScrollToRow(window, map, row);
    else if (row >= map->topRow + rows)
        ScrollToRow(window, map, row - rows + 1);
    InvalidateCell(window, before);
    InvalidateCell(window, index);
    UpdateWindow(window);
    ShowStatus(map);
}

static void CopySelected(HWND window, const CharMap *map)
{
    if (map->selected < 0)
        return;
    WCHAR units[2];
    int n = CodePointToUtf16(CmapCodePointAt(&map->coverage, (uint32_t)map->selected), units);
    CopyUnicodeText(window, units, n);
}

/* ---- reading the face ---- */

/* Makes the face of logFont on the screen and reads its cmap into map; map->reason
 * says why nothing could be read. */
static void ReadFace(CharMap *map, const LOGFONTA *logFont)
{
    HDC dc = GetDC(NULL);
    LOGFONTA face = *logFont;
    face.lfHeight = -MulDiv(kCellPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
    face.lfWidth = 0;
    face.lfEscapement = 0;
    face.lfOrientation = 0;
    face.lfUnderline = 0;
    face.lfStrikeOut = 0;
    map->font = CreateFontIndirectA(&face);
    HGDIOBJ previous = SelectObject(dc, map->font);
    TEXTMETRICA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    GetTextMetricsA(dc, &metrics);
    int size = -face.lfHeight;
    map->cellHeight = size * 7 / 4 > metrics.tmHeight + 4 ? size * 7 / 4 : metrics.tmHeight + 4;
    map->cellWidth = size * 7 / 4;
    map->baseline = (map->cellHeight - metrics.tmHeight) / 2 + metrics.tmAscent;

    /* GDI answers with another face when it cannot make this one; its table would
     * show what this face does not have. */
    char made[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof made, made);
    DWORD bytes = GetFontData(dc, kCmapTag, 0, NULL, 0);
    if (map->reason != NULL) {
        /* the file could not be registered: whatever GDI made is not its face */
    } else if (_stricmp(made, map->faceName) != 0) {
        lstrcpynA(map->otherFace, made, sizeof map->otherFace);
        map->reason = textOtherFace;
    } else if (bytes == GDI_ERROR || bytes == 0) {
        map->reason = textNoCmapTable;
    } else {
        unsigned char *table = (unsigned char *)SeamMalloc(bytes);
        CmapResult result = CMAP_NO_MEMORY;
        if (table != NULL && GetFontData(dc, kCmapTag, 0, table, bytes) == bytes)
            result = ReadCmapCoverage(table, bytes, &map->coverage);
        else if (table != NULL)
            result = CMAP_NO_SUBTABLE;
        free(table);
        map->reason = result == CMAP_OK ? NULL : result == CMAP_NO_MEMORY ? textNoCmapMemory
                                                                         : textNoCmapSubtable;
    }
    if (map->reason != NULL)
        FreeCmapCoverage(&map->coverage);
    SelectObject(dc, previous);
    ReleaseDC(NULL, dc);
}

HWND OpenCharacterMap(const FontRecord *record, int fromFile)
{
    CharMap *map = (CharMap *)SeamMalloc(sizeof(CharMap));
    if (map == NULL) {
        ShowWarning(textNoMemory, NULL);
        return NULL;
    }
    ZeroMemory(map, sizeof *map);
    map->selected = -1;
    map->hover = -1;
    map->columns = kStartColumns;
    lstrcpynA(map->faceName, record->logFont.lfFaceName, sizeof map->faceName);
    if (fromFile) {
        if (SeamAddFontResourceA(record->filePath) > 0)
            lstrcpynA(map->addedPath, record->filePath, sizeof map->addedPath);
        else
            map->reason = textNotAdded;
    }
    ReadFace(map, &record->logFont);

    char title[300];
    snprintf(title, sizeof title, textCharMapTitle, map->faceName);
    RECT outer = {0, 0, kStartColumns * map->cellWidth + GetSystemMetrics(SM_CXVSCROLL),
                  kStartRows * map->cellHeight + 24};
    DWORD style = WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_CLIPCHILDREN;
    AdjustWindowRect(&outer, style, FALSE);
    HWND window = CreateWindowExA(0, kCharMapClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  outer.right - outer.left, outer.bottom - outer.top, NULL, NULL,
                                  appInstance, map);
    if (window == NULL) {
        /* WM_NCDESTROY has not run: take back here what was made. */
        DeleteObject(map->font);
        if (map->addedPath[0] != 0)
            RemoveFontResourceA(map->addedPath);
        FreeCmapCoverage(&map->coverage);
        free(map);
        return NULL;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

static BOOL CALLBACK CloseIfCharMap(HWND window, LPARAM unused)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, kCharMapClass) == 0)
        DestroyWindow(window);
    return TRUE;
}

void CloseCharacterMaps(void)
{
    EnumThreadWindows(GetCurrentThreadId(), CloseIfCharMap, 0);
}

/* ---- the window's messages ---- */

static LRESULT OnCharMapCreate(HWND window, LPARAM lParam)
{
    CharMap *map = (CharMap *)((CREATESTRUCTA *)lParam)->lpCreateParams;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)map);
    map->status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                  0, 0, 0, 0, window, (HMENU)(INT_PTR)IDC_CHARMAP_STATUS,
                                  appInstance, NULL);
    /* Without its status bar the window still shows the characters. */
    if (map->status == NULL)
        return 0;
    SetStatusParts(map);
    ShowStatus(map);
    return 0;
}

/* The first character in view stays in view when the columns change. */
static LRESULT OnCharMapSize(HWND window, int width)
{
    CharMap *map = MapOf(window);
    if (map == NULL || map->status == NULL)
        return 0;
    SendMessageA(map->status, WM_SIZE, 0, 0);
    int first = map->topRow * map->columns;
    int columns = width / map->cellWidth;
    map->columns = columns > 0 ? columns : 1;
    map->topRow = first / map->columns;
    int last = LastTopRow(window, map);
    if (map->topRow > last)
        map->topRow = last;
    SyncScrollBar(window, map);
    InvalidateRect(window, NULL, TRUE);
    return 0;
}

static void DrawGridLines(HDC dc, const CharMap *map, int firstRow, int lastRow, int rowsTop)
{
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT));
    HGDIOBJ previous = SelectObject(dc, pen);
    int right = map->columns * map->cellWidth;
    int top = rowsTop;
    int bottom = rowsTop + (lastRow - firstRow + 1) * map->cellHeight;
    for (int row = firstRow; row <= lastRow + 1; row++) {
        int y = rowsTop + (row - firstRow) * map->cellHeight - 1;
        MoveToEx(dc, 0, y, NULL);
        LineTo(dc, right, y);
    }
    for (int column = 1; column <= map->columns; column++) {
        MoveToEx(dc, column * map->cellWidth - 1, top, NULL);
        LineTo(dc, column * map->cellWidth - 1, bottom);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
}

/* Draws the rows that the paint region touches, nothing else. */
static LRESULT OnCharMapPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    CharMap *map = MapOf(window);
    if (map != NULL && map->coverage.characters > 0) {
        RECT grid;
        GridRect(window, map, &grid);
        int bottom = paint.rcPaint.bottom < grid.bottom ? paint.rcPaint.bottom : grid.bottom;
        int firstRow = map->topRow + paint.rcPaint.top / map->cellHeight;
        int lastRow = map->topRow + (bottom - 1) / map->cellHeight;
        if (lastRow >= TotalRows(map))
            lastRow = TotalRows(map) - 1;
        HGDIOBJ previousFont = SelectObject(dc, map->font);
        UINT previousAlign = SetTextAlign(dc, TA_CENTER | TA_BASELINE);
        int previousMode = SetBkMode(dc, TRANSPARENT);
        uint32_t index = (uint32_t)firstRow * (uint32_t)map->columns;
        int run = index < map->coverage.characters ? CmapFindRun(&map->coverage,
                                                                 CmapCodePointAt(&map->coverage, index)) : 0;
        for (int row = firstRow; row <= lastRow; row++) {
            int y = (row - map->topRow) * map->cellHeight;
            for (int column = 0; column < map->columns && index < map->coverage.characters;
                 column++, index++) {
                /* The runs are walked along with the index: no search per cell. */
                while (index >= map->coverage.runs[run].before + (map->coverage.runs[run].last -
                                                                  map->coverage.runs[run].first + 1))
                    run++;
                const CmapRun *r = &map->coverage.runs[run];
                uint32_t c = r->first + (index - r->before);
                int x = column * map->cellWidth;
                int selected = (int64_t)index == map->selected;
                if (selected) {
                    RECT cell = {x, y, x + map->cellWidth - 1, y + map->cellHeight - 1};
                    FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
                    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
                }
                WCHAR units[2];
                TextOutW(dc, x + map->cellWidth / 2, y + map->baseline, units,
                         CodePointToUtf16(c, units));
                if (selected)
                    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            }
        }
        SetBkMode(dc, previousMode);
        SetTextAlign(dc, previousAlign);
        SelectObject(dc, previousFont);
        if (lastRow >= firstRow)
            DrawGridLines(dc, map, firstRow, lastRow, (firstRow - map->topRow) * map->cellHeight);
    }
    EndPaint(window, &paint);
    return 0;
}

static LRESULT OnCharMapVScroll(HWND window, WPARAM wParam)
{
    CharMap *map = MapOf(window);
    int page = WholeRows(window, map);
    SCROLLINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, SB_VERT, &info);
    switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollToRow(window, map, map->topRow - 1); break;
    case SB_LINEDOWN: ScrollToRow(window, map, map->topRow + 1); break;
    case SB_PAGEUP: ScrollToRow(window, map, map->topRow - page); break;
    case SB_PAGEDOWN: ScrollToRow(window, map, map->topRow + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollToRow(window, map, info.nTrackPos); break;
    case SB_TOP: ScrollToRow(window, map, 0); break;
    case SB_BOTTOM: ScrollToRow(window, map, LastTopRow(window, map)); break;
    default: break;
    }
    return 0;
}

/* Three rows a notch; what is short of a notch is kept for the next turn. */
static LRESULT OnCharMapWheel(HWND window, WPARAM wParam)
{
    CharMap *map = MapOf(window);
    map->wheelRest += (short)HIWORD(wParam);
    int notches = map->wheelRest / WHEEL_DELTA;
    map->wheelRest -= notches * WHEEL_DELTA;
    ScrollToRow(window, map, map->topRow - 3 * notches);
    return 0;
}

static LRESULT OnCharMapKeyDown(HWND window, WPARAM key)
{
    CharMap *map = MapOf(window);
    int64_t at = map->selected;
    int64_t page = (int64_t)WholeRows(window, map) * map->columns;
    if (key == 'C' && GetKeyState(VK_CONTROL) < 0) {
        CopySelected(window, map);
        return 0;
    }
    if (at < 0 && key != VK_END) {
        /* The first key only selects the first character in view. */
        if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN ||
            key == VK_PRIOR || key == VK_NEXT || key == VK_HOME)
            Select(window, map, (int64_t)map->topRow * map->columns);
        return 0;
    }
    switch (key) {
    case VK_LEFT: Select(window, map, at - 1); break;
    case VK_RIGHT: Select(window, map, at + 1); break;
    case VK_UP: if (at >= map->columns) Select(window, map, at - map->columns); break;
    case VK_DOWN: Select(window, map, at + map->columns); break;
    case VK_PRIOR: Select(window, map, at - page); break;
    case VK_NEXT: Select(window, map, at + page); break;
    case VK_HOME: Select(window, map, 0); break;
    case VK_END: Select(window, map, (int64_t)map->coverage.characters - 1); break;
    default: break;
    }
    return 0;
}

static LRESULT OnCharMapButton(HWND window, LPARAM lParam, int copy)
{
    CharMap *map = MapOf(window);
    SetFocus(window);
    int64_t index = IndexAt(window, map, (short)LOWORD(lParam), (short)HIWORD(lParam));
    if (index < 0)
        return 0;
    Select(window, map, index);
    if (copy)
        CopySelected(window, map);
    return 0;
}

static LRESULT OnCharMapMouseMove(HWND window, LPARAM lParam)
{
    CharMap *map = MapOf(window);
    int64_t index = IndexAt(window, map, (short)LOWORD(lParam), (short)HIWORD(lParam));
    if (index != map->hover) {
        map->hover = index;
        ShowStatus(map);
    }
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
    return 0;
}

static LRESULT OnCharMapMouseLeave(HWND window)
{
    CharMap *map = MapOf(window);
    map->hover = -1;
    ShowStatus(map);
    return 0;
}

/* The last message: the font goes, then the registration of its file (the very
 * path that was added), then the record. */
static LRESULT OnCharMapNcDestroy(HWND window)
{
    CharMap *map = MapOf(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (map != NULL) {
        DeleteObject(map->font);
        if (map->addedPath[0] != 0)
            RemoveFontResourceA(map->addedPath);
        FreeCmapCoverage(&map->coverage);
        free(map);
    }
    return 0;
}

static LRESULT CALLBACK CharMapWindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam)
{
    if (MapOf(window) == NULL && message != WM_CREATE)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: return OnCharMapCreate(window, lParam);
    case WM_SIZE: return OnCharMapSize(window, LOWORD(lParam));
    case WM_PAINT: return OnCharMapPaint(window);
    case WM_VSCROLL: return OnCharMapVScroll(window, wParam);
    case WM_MOUSEWHEEL: return OnCharMapWheel(window, wParam);
    case WM_KEYDOWN: return OnCharMapKeyDown(window, wParam);
    case WM_LBUTTONDOWN: return OnCharMapButton(window, lParam, 0);
    case WM_LBUTTONDBLCLK: return OnCharMapButton(window, lParam, 1);
    case WM_MOUSEMOVE: return OnCharMapMouseMove(window, lParam);
    case WM_MOUSELEAVE: return OnCharMapMouseLeave(window);
    case WM_GETFONT: return (LRESULT)MapOf(window)->font;
    case WM_NCDESTROY: return OnCharMapNcDestroy(window);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int RegisterCharMapClass(void)
{
    WNDCLASSA windowClass;
    if (GetClassInfoA(appInstance, kCharMapClass, &windowClass))
        return 1;
    return RegisterWindowClass(kCharMapClass, CS_DBLCLKS, CharMapWindowProc, NULL,
                               (LPCSTR)IDC_ARROW);
}
