/* dirscan.cpp - filling the Catalogue from the .ttf files of a folder (with the
 * "All fonts" type also its .otf, .ttc and .otc files) and, when asked, of every
 * folder below it: a counting pass, then a reading pass with a progress window
 * that the Escape key stops after the current file.
 *
 * ScanDirectoryFonts is the folder branch of ScanFonts (fontlist.cpp), run inside
 * the main window's UM_RESCAN (app/mainwnd.cpp).  Each file goes to ReadFontFile
 * (ttfread.cpp).  Reads the view settings (includeSubdirectories, allFontFiles,
 * currentDirectory); shows "can't close directory" when a listing cannot be
 * closed; creates and destroys the progress window. */
#include "fontfiles.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "../app/settings.h"
#include "../app/shell.h"
#include "../resources/resource.h"
#include "scancache.h"

static const char kCantCloseDirectory[] = "can't close directory";

/* The bar is repainted at most this often: a repaint costs about a millisecond,
 * more than reading a font, so painting it for every file would make the bar,
 * not the files, the cost of a scan. */
static const DWORD kProgressPaintMs = 50;
static DWORD progressPaintedAt;
/* On a loaded machine a repaint can take far longer: the next one then waits ten
 * times as long as the last took, so painting stays a small part of a rescan of
 * files read before, which costs little more than the listing. */
static DWORD progressPaintGap = kProgressPaintMs;

/* Even with its redrawing off, the progress control invalidates itself on every
 * step, which costs as much as reading a small font.  Its window procedure is
 * therefore replaced for the scan: a step that stays inside the range is only
 * counted here, and the control is given the position it stands at right before
 * each repaint.  A step past the end goes to the control itself, so what it does
 * then stays its own business. */
struct ScanBar {
    WNDPROC controlProc;         /* the progress control's own procedure */
    int shown;                   /* the position the control holds */
    int pending;                 /* steps counted since */
    int step;
    int high;                    /* the end of the range */
};
static ScanBar scanBar;

/* Joins directory and name (and an optional tail) into a path of at most 299
 * characters; 0 when it would not fit. */
static int JoinPath(char *path, const char *directory, const char *name, const char *tail)
{
    int length = snprintf(path, NAME_SIZE, "%s%s%s", directory, name, tail);
    return length >= 0 && length < NAME_SIZE;
}

static int IsDotEntry(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

static int AsciiLower(int c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

/* 1 when the name's part from its last dot on is one of the extensions, in any
 * letter case. */
static int HasExtension(const char *name, const char *const *extensions, int count)
{
    const char *dot = strrchr(name, '.');
    if (dot == NULL)
        return 0;
    for (int e = 0; e < count; e++) {
        const char *wanted = extensions[e];
        int i = 0;
        while (i < 5 && AsciiLower((unsigned char)dot[i]) == wanted[i] && wanted[i] != 0)
            i++;
        if (i == 4 && dot[4] == 0)
            return 1;
    }
    return 0;
}

int IsFontFileName(const char *name)
{
    return IsFontFileNameOfKinds(name, SFNT_KIND_TRUETYPE);
}

int IsFontFileNameOfKinds(const char *name, int kinds)
{
    static const char *const extensions[] = {".ttf", ".otf", ".ttc", ".otc"};
    return HasExtension(name, extensions, kinds == SFNT_KIND_TRUETYPE ? 1 : 4);
}

/* The kinds of file this scan takes. */
static int ScanKinds(void)
{
    return settings.allFontFiles ? SFNT_KINDS_ALL : SFNT_KIND_TRUETYPE;
}

const char *OpenableFileName(const WIN32_FIND_DATAA *entry)
{
    if (AnsiIsUtf8() || strchr(entry->cFileName, '?') == NULL)
        return entry->cFileName;
    const char *shortName = entry->cAlternateFileName;
    return shortName[0] != 0 && strchr(shortName, '?') == NULL ? shortName : NULL;
}

/* The name of a font file of this scan under which it opens and whose full path
 * fits; NULL for every other entry. */
static const char *ReadableFontName(const char *directory, const WIN32_FIND_DATAA *entry)
{
    const char *name = OpenableFileName(entry);
    char path[NAME_SIZE];
    if (name == NULL || !IsFontFileNameOfKinds(name, ScanKinds()) ||
        !JoinPath(path, directory, name, ""))
        return NULL;
    return name;
}

static int CloseListing(HANDLE find)
{
    if (!FindClose(find)) {
        ShowWarning(kCantCloseDirectory, NULL);
        return -1;
    }
    return 1;
}

/* The first entry of a folder's listing; INVALID_HANDLE_VALUE when the folder
 * cannot be listed or its pattern would not fit. */
static HANDLE OpenListing(const char *directory, WIN32_FIND_DATAA *entry)
{
    char pattern[NAME_SIZE];
    if (!JoinPath(pattern, directory, "*.*", ""))
        return INVALID_HANDLE_VALUE;
    return FindFirstFileA(pattern, entry);
}

int CountFontFiles(const char *directory, int *count)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = OpenListing(directory, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            char subdirectory[NAME_SIZE];
            if (settings.includeSubdirectories && !IsDotEntry(entry.cFileName) &&
                JoinPath(subdirectory, directory, entry.cFileName, "\\"))
                CountFontFiles(subdirectory, count);
        } else if (ReadableFontName(directory, &entry) != NULL) {
            (*count)++;
        }
    } while (FindNextFileA(find, &entry));
    return CloseListing(find);
}

static int ScanBarPosition(void)
{
    return scanBar.shown + scanBar.pending * scanBar.step;
}

/* Hands the counted steps to the control. */
static void FlushScanBar(HWND bar)
{
    if (scanBar.pending == 0)
        return;
    scanBar.shown = ScanBarPosition();
    scanBar.pending = 0;
    CallWindowProcA(scanBar.controlProc, bar, PBM_SETPOS, (WPARAM)scanBar.shown, 0);
}

static LRESULT OnScanBarStep(HWND bar, WPARAM wParam, LPARAM lParam)
{
    int position = ScanBarPosition();
    if (scanBar.step > 0 && position <= scanBar.high - scanBar.step) {
        scanBar.pending++;
        return position;
    }
    FlushScanBar(bar);
    LRESULT previous = CallWindowProcA(scanBar.controlProc, bar, PBM_STEPIT, wParam, lParam);
    scanBar.shown = (int)CallWindowProcA(scanBar.controlProc, bar, PBM_GETPOS, 0, 0);
    return previous;
}

static LRESULT OnScanBarGetPos(void)
{
    return ScanBarPosition();
}

/* The position and range the control holds, with nothing counted. */
static void TakeScanBarState(HWND bar)
{
    PBRANGE range = {0, 0};
    CallWindowProcA(scanBar.controlProc, bar, PBM_GETRANGE, FALSE, (LPARAM)&range);
    scanBar.high = range.iHigh;
    scanBar.shown = (int)CallWindowProcA(scanBar.controlProc, bar, PBM_GETPOS, 0, 0);
    scanBar.pending = 0;
}

/* Every other message finds the control where the steps put it (a paint while a
 * message box is up shows them all), and a new range, position or step is taken
 * over. */
static LRESULT OnScanBarOther(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    FlushScanBar(bar);
    LRESULT result = CallWindowProcA(scanBar.controlProc, bar, message, wParam, lParam);
    if (message == PBM_SETSTEP)
        scanBar.step = (int)wParam;
    if (message >= PBM_SETRANGE && message <= PBM_SETRANGE32)
        TakeScanBarState(bar);
    return result;
}

static LRESULT CALLBACK ScanBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case PBM_STEPIT: return OnScanBarStep(bar, wParam, lParam);
    case PBM_GETPOS: return OnScanBarGetPos();
    }
    return OnScanBarOther(bar, message, wParam, lParam);
}

/* One file further.  The bar keeps its redrawing off between repaints (see
 * CreateScanProgress), so a step only moves its position. */
static void StepProgress(HWND bar)
{
    SendMessageA(bar, PBM_STEPIT, 0, 0);
    DWORD now = GetTickCount();
    if (now - progressPaintedAt >= progressPaintGap) {
        FlushScanBar(bar);
        SendMessageA(bar, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(bar, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        SendMessageA(bar, WM_SETREDRAW, FALSE, 0);
        progressPaintedAt = GetTickCount();
        DWORD took = progressPaintedAt - now;
        progressPaintGap = took * 10 > kProgressPaintMs ? took * 10 : kProgressPaintMs;
    }
}

/* Asking for the key's state costs tens of microseconds under Wine, more than a
 * file served from what an earlier scan read: after such files it is asked at
 * most this often. */
static const DWORD kEscapePollMs = 10;
static DWORD escapePolledAt;

/* Escape ends the scan after the current file; while it is held the scan waits. */
static void PollEscape(int *stop)
{
    escapePolledAt = GetTickCount();
    if (!(GetAsyncKeyState(VK_ESCAPE) & 0x8000))
        return;
    while (GetAsyncKeyState(VK_ESCAPE) & 0x8000)
        Sleep(10);
    *stop = 1;
}

int ScanDirectory(HDC dc, const char *directory, HWND progressBar, int *stop)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = OpenListing(directory, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return -1;
    do {
        if (*stop)
            break;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            char subdirectory[NAME_SIZE];
            if (settings.includeSubdirectories && !IsDotEntry(entry.cFileName) &&
                JoinPath(subdirectory, directory, entry.cFileName, "\\") &&
                ScanDirectory(dc, subdirectory, progressBar, stop) == -1)
                /* Its message, if it showed one, let other windows paint, perhaps
                 * through this context: the metrics are taken anew. */
                RenewFontFileRun();
        } else if (const char *name = ReadableFontName(directory, &entry)) {
            if (progressBar != NULL)
                StepProgress(progressBar);
            if (ReadListedFontFile(dc, directory, name, &entry, ScanKinds()) ||
                GetTickCount() - escapePolledAt >= kEscapePollMs)
                PollEscape(stop);
        }
    } while (FindNextFileA(find, &entry));
    return CloseListing(find);
}

HWND CreateScanProgress(int count, HWND *dialog)
{
    *dialog = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(DIALOG_PROGRESSBAR), mainWindow,
                                 NULL, 0);
    if (*dialog == NULL)
        return NULL;
    RECT client;
    GetClientRect(*dialog, &client);
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_CHILD | WS_VISIBLE, 10, 10,
                               client.right - 20, 20, *dialog, NULL, appInstance, NULL);
    if (bar == NULL)
        return NULL;
    /* The 32-bit range: a 16-bit one would wrap past 65,535 files. */
    SendMessageA(bar, PBM_SETRANGE32, 0, (LPARAM)count);
    const int step = 1;
    SendMessageA(bar, PBM_SETSTEP, step, 0);
    /* Shown empty now; from here on StepProgress repaints it. */
    UpdateWindow(*dialog);
    SendMessageA(bar, WM_SETREDRAW, FALSE, 0);
    progressPaintedAt = GetTickCount();
    progressPaintGap = kProgressPaintMs;
    scanBar.step = step;
    scanBar.controlProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)ScanBarProc);
    if (scanBar.controlProc != NULL)
        TakeScanBarState(bar);
    return bar;
}

int ScanDirectoryFonts(HDC dc)
{
    char directory[NAME_SIZE];
    snprintf(directory, sizeof directory, "%s", settings.currentDirectory);
    int count = 0;
    int stop = 0;
    if (CountFontFiles(directory, &count) == -1)
        return -1;

    HWND dialog = NULL;
    HWND bar = NULL;
    if (count > 0)
        bar = CreateScanProgress(count, &dialog);
    BeginFontFileRun(dc);
    BeginScanCache();
    int result = ScanDirectory(dc, directory, bar, &stop);
    EndScanCache();
    EndFontFileRun();
    if (bar != NULL)
        DestroyWindow(bar);
    if (dialog != NULL)
        DestroyWindow(dialog);
    return result == -1 ? -1 : 1;
}
