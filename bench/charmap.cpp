/* charmap.cpp - benchmark of the character map window on the largest face at hand, the
 * WenQuanYi Zen Hei collection read from its folder (about 42,000 characters): opening
 * the window (registering the file, reading the cmap, the first page drawn) and a page
 * scroll.
 *
 * Baselines, measured in the same run: for the opening, what any window showing the
 * face's first page cannot do without - register the file, make the font, a plain
 * top-level window of the same size shown whose paint draws the characters of that
 * page one by one with TextOutW; for the page scroll, a repaint of that plain window
 * drawing the cells then in view, with the move of its scroll bar's thumb (which Wine
 * redraws at once: most of a page scroll's time); and the drawing alone, a repaint of
 * the page against the plain window's.  Goals: an opening of at
 * most 300 ms, and a page scroll at most 1.5 times the bare drawing of its cells.
 * Medians of several repeats, program and baseline alternating. */
#include <windows.h>

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "app/charmap.h"
#include "app/settings.h"
#include "app/shell.h"
#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "catalogue/cmapcore.h"
#include "harness.h"

namespace {

const int kRepeats = 9;

/* The code points of the face, read as the window reads them, for the baselines. */
std::vector<uint32_t> CodePoints(HDC dc)
{
    std::vector<uint32_t> points;
    DWORD size = GetFontData(dc, 0x70616D63, 0, NULL, 0);
    if (size == GDI_ERROR)
        return points;
    std::vector<unsigned char> table(size);
    GetFontData(dc, 0x70616D63, 0, table.data(), size);
    CmapCoverage coverage;
    if (ReadCmapCoverage(table.data(), size, &coverage) == CMAP_OK)
        for (uint32_t i = 0; i < coverage.characters; i++)
            points.push_back(CmapCodePointAt(&coverage, i));
    FreeCmapCoverage(&coverage);
    return points;
}

/* The bare window of the baselines: its paint draws `bareCount` characters from
 * `bareFirst` in `bareFont`, nothing else. */
std::vector<uint32_t> barePoints;
uint32_t bareFirst;
int bareCount, bareColumns = 1, bareCell = 1;
HFONT bareFont;

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HGDIOBJ previous = SelectObject(dc, bareFont);
    SetTextAlign(dc, TA_CENTER | TA_BASELINE);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < bareCount && bareFirst + (uint32_t)i < barePoints.size(); i++) {
        WCHAR units[2];
        TextOutW(dc, (i % bareColumns) * bareCell + bareCell / 2,
                 (i / bareColumns) * bareCell + bareCell * 2 / 3, units,
                 CodePointToUtf16(barePoints[bareFirst + (uint32_t)i], units));
    }
    SelectObject(dc, previous);
    EndPaint(window, &paint);
    return 0;
}

HWND CreateBareWindow(RECT size)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "BenchBare";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "BenchBare", "", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0,
                                  size.right - size.left, size.bottom - size.top, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

/* Register, make the font, show a plain window of the size given, its first page. */
double TimeBareOpening(const FontRecord *record, RECT size)
{
    double start = Now();
    AddFontResourceA(record->filePath);
    LOGFONTA face = record->logFont;
    face.lfHeight = -24;
    face.lfWidth = 0;
    bareFont = CreateFontIndirectA(&face);
    if (barePoints.empty()) {
        HDC dc = GetDC(NULL);
        HGDIOBJ previous = SelectObject(dc, bareFont);
        barePoints = CodePoints(dc);
        SelectObject(dc, previous);
        ReleaseDC(NULL, dc);
    }
    bareFirst = 0;
    HWND window = CreateBareWindow(size);
    DestroyWindow(window);
    DeleteObject(bareFont);
    RemoveFontResourceA(record->filePath);
    return Now() - start;
}

/* The cells in view: the first index and how many. */
int CellsInView(HWND window, uint32_t *first)
{
    RECT cell;
    int count = 0;
    for (uint32_t i = 0; i < 100000; i++) {
        if (CharMapCellRect(window, i, &cell)) {
            if (count++ == 0)
                *first = i;
        } else if (count > 0) {
            break;
        }
    }
    return count;
}

} // namespace

int main(void)
{
    HDC clientDc = StartAtBenchSize();
    if (clientDc == NULL)
        return 1;
    ReleaseDC(clientWindow, clientDc);
    settings.allFontFiles = 1;
    ScanFolder("Z:\\usr\\share\\fonts\\truetype\\wqy\\");
    const FontRecord *record = NULL;
    for (int i = 0; i < displayList.count; i++)
        if (strcmp(displayList.records[i]->logFont.lfFaceName, "WenQuanYi Zen Hei") == 0)
            record = displayList.records[i];
    if (record == NULL) {
        printf("WenQuanYi Zen Hei is not in /usr/share/fonts/truetype/wqy\n");
        return 1;
    }

    std::vector<double> open, bareOpen, page, barePage, repaint, barePaint;
    int characters = 0, cells = 0;
    for (int repeat = 0; repeat < kRepeats; repeat++) {
        double start = Now();
        HWND window = OpenCharacterMap(record, 1);
        open.push_back(Now() - start);
        if (window == NULL) {
            printf("the window did not open\n");
            return 1;
        }
        char text[64] = "";
        SendMessageA(GetDlgItem(window, IDC_CHARMAP_STATUS), SB_GETTEXTA, 0, (LPARAM)text);
        characters = atoi(text);
        RECT outer, cell;
        GetWindowRect(window, &outer);
        CharMapCellRect(window, 0, &cell);
        int side = cell.right - cell.left;
        RECT client;
        GetClientRect(window, &client);
        int columns = client.right / side;
        uint32_t first = 0;
        cells = CellsInView(window, &first);
        bareColumns = columns, bareCell = side, bareCount = cells;
        bareOpen.push_back(TimeBareOpening(record, outer));

        start = Now();
        SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0);
        page.push_back(Now() - start);
        start = Now();
        InvalidateRect(window, NULL, TRUE);
        UpdateWindow(window);
        repaint.push_back(Now() - start);
        cells = CellsInView(window, &first);
        bareFont = (HFONT)SendMessageA(window, WM_GETFONT, 0, 0), bareFirst = first, bareCount = cells;
        HWND bare = CreateBareWindow(outer);
        SCROLLINFO thumb = {sizeof thumb, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 2000, 10, 0, 0};
        SetScrollInfo(bare, SB_VERT, &thumb, TRUE);
        UpdateWindow(bare);
        thumb.fMask = SIF_POS;
        thumb.nPos = 10;
        start = Now();
        InvalidateRect(bare, NULL, TRUE);
        UpdateWindow(bare);
        double painted = Now();
        SetScrollInfo(bare, SB_VERT, &thumb, TRUE);
        barePage.push_back(Now() - start);
        barePaint.push_back(painted - start);
        DestroyWindow(bare);
        DestroyWindow(window);
        PumpMessages();
    }
    printf("medians of %d repeats; WenQuanYi Zen Hei from its folder, %d characters, %d cells "
           "in view\n", kRepeats, characters, cells);
    printf("opening: %.1f ms (goal <= 300 ms); bare register, font, plain window painting the "
           "first page %.1f ms; ratio %.2f\n", Median(open), Median(bareOpen),
           Median(open) / Median(bareOpen));
    printf("page scroll: %.2f ms; plain window moving its scroll thumb and painting the cells in "
           "view %.2f ms; ratio %.2f (goal <= 1.5)\n", Median(page), Median(barePage),
           Median(page) / Median(barePage));
    printf("drawing a page alone: %.2f ms; plain window painting the same cells %.2f ms; ratio "
           "%.2f\n", Median(repaint), Median(barePaint), Median(repaint) / Median(barePaint));
    StopZenvrix();
    return 0;
}
