/* scale.cpp - bench_scale.exe: how Zenvrix copes with a large folder of fonts (a
 * corpus written by bench/gen_corpus.py), each figure against a baseline measured
 * in the same run on the same files or records:
 *
 *   scan       folder scan with subfolders, progress window and sort, against
 *              listing the tree twice (as the counting and reading passes do) and
 *              opening each .ttf to read its first 16 KB            goal <= 1.3
 *   sort       SortCatalogue on the records in the scan's order, against
 *              std::stable_sort over the same pointers              goal <= 1.5
 *   rebuild    BuildDisplayList for all styles, for one style and with a filter
 *              that admits about one record in a hundred, against a plain copy
 *              of the admitted records into an array sized once
 *                                                     goal <= 100 ms and <= 2.0
 *   scroll     a one-row step down onto the last row, against the scroll
 *              handler's full redraw onto it (a page down)          goal <= 0.2
 *   Info       the Info dialog opened, filled and closed, against the same dialog
 *              with nothing filled                        goal <= 100 ms beyond
 *   preview    the switch to the preview, against drawing the preview page alone
 *                                                         goal <= 100 ms beyond
 *   memory     private bytes after the scan, against the records' own size
 *                                                                   goal <= 1.5
 *
 * Times are medians of repeats; figure and baseline take turns at going first,
 * and each ratio is the median of the ratios of figure and baseline measured
 * back to back (the ratio of the two medians is printed beside it).
 * Per-font costs are printed too, so runs at several corpus sizes can be set side
 * by side, and a sample of the corpus is checked to register and draw in its own
 * face.  Runs the real windows in this process (as bench_redraw does); boxes that
 * come up (a missing printer at start-up) are answered with OK.
 *
 *   bench_scale.exe FOLDER [ROUNDS]      (ROUNDS of the scan, default 3) */
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"
#include "catalogue/scancache.h"
#include "harness.h"
#include "render/draw.h"
#include "render/layout.h"
#include "resources/resource.h"

namespace {

int repeats = 9;
int goalsMissed = 0;

/* ---- reporting ---- */

/* The median of the pairs' own ratios (or differences): figure and baseline of
 * a pair ran back to back, so this stands up to a load that drifts between
 * pairs.  The goal is judged on it. */
double PairedMedian(const std::vector<double> &figure, const std::vector<double> &baseline,
                    bool difference)
{
    std::vector<double> paired;
    for (size_t i = 0; i < figure.size() && i < baseline.size(); i++)
        paired.push_back(difference ? figure[i] - baseline[i] : figure[i] / baseline[i]);
    return Median(paired);
}

void Ratio(const char *what, const std::vector<double> &figure, const char *baselineName,
           const std::vector<double> &baseline, double goal)
{
    double f = Median(figure), b = Median(baseline);
    double ratio = PairedMedian(figure, baseline, false);
    int met = ratio <= goal;
    goalsMissed += !met;
    printf("%-26s %9.2f ms | %-32s %9.2f ms | ratio %6.3f (of medians %6.3f), goal <= %.2f%s\n",
           what, f, baselineName, b, ratio, f / b, goal, met ? "" : "  MISSED");
}

void Beyond(const char *what, const std::vector<double> &figure, const char *baselineName,
            const std::vector<double> &baseline, double goalMs)
{
    double f = Median(figure), b = Median(baseline);
    double beyond = PairedMedian(figure, baseline, true);
    int met = beyond <= goalMs;
    goalsMissed += !met;
    printf("%-26s %9.2f ms | %-32s %9.2f ms | beyond %7.2f ms, ratio %6.3f, goal <= %.0f ms "
           "beyond%s\n", what, f, baselineName, b, beyond, f / b, goalMs, met ? "" : "  MISSED");
}

/* ---- the tree, bare ---- */


/* Lists the tree twice, then opens each file and reads its first 16 KB. */
double ListAndRead16K(const std::string &folder)
{
    static char buffer[16384];
    double start = Now();
    std::vector<FontFile> files;
    ListTree(folder, &files);
    files.clear();
    ListTree(folder, &files);
    for (size_t i = 0; i < files.size(); i++) {
        std::string path = files[i].directory + files[i].name;
        HFILE file = _lopen(path.c_str(), OF_READ);
        if (file == HFILE_ERROR)
            continue;
        _hread(file, buffer, sizeof buffer);
        _lclose(file);
    }
    return Now() - start;
}

double ScanAndSort(HDC dc, const std::string &folder)
{
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s", folder.c_str());
    EmptyScanCache(); /* every file read, as at its first scan */
    double start = Now();
    ScanFonts(dc);
    SortCatalogue();
    return Now() - start;
}

/* What the progress window costs apart from the files: making and destroying it,
 * and one repaint of its bar (the scan repaints it every 50 ms). */
void ProgressCosts(int count)
{
    std::vector<double> make, repaint;
    for (int r = 0; r < 5; r++) {
        HWND dialog = NULL;
        double start = Now();
        HWND bar = CreateScanProgress(count, &dialog);
        make.push_back(Now() - start);
        for (int i = 0; bar != NULL && i < 10; i++) {
            SendMessageA(bar, PBM_STEPIT, 0, 0);
            start = Now();
            SendMessageA(bar, WM_SETREDRAW, TRUE, 0);
            RedrawWindow(bar, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
            SendMessageA(bar, WM_SETREDRAW, FALSE, 0);
            repaint.push_back(Now() - start);
        }
        start = Now();
        if (bar != NULL)
            DestroyWindow(bar);
        if (dialog != NULL)
            DestroyWindow(dialog);
        make.back() += Now() - start;
    }
    printf("  progress window: made and destroyed in %.2f ms; one repaint of the bar %.3f ms\n",
           Median(make), repaint.empty() ? 0.0 : Median(repaint));
}

/* Every font of the corpus must be one the system can register and draw: a sample
 * of the records is registered, drawn in its own face (the face the context then
 * holds must be the record's family) and removed again. */
void CheckDrawable(HDC dc)
{
    int step = catalogue.count > 200 ? catalogue.count / 200 : 1, checked = 0, good = 0;
    for (int i = 0; i < catalogue.count; i += step) {
        const FontRecord *record = catalogue.records[i];
        checked++;
        if (AddFontResourceA(record->filePath) == 0)
            continue;
        LOGFONTA face = record->logFont;
        face.lfHeight = -20;
        HFONT font = CreateFontIndirectA(&face);
        HGDIOBJ previous = SelectObject(dc, font);
        char name[LF_FACESIZE] = "";
        GetTextFaceA(dc, sizeof name, name);
        WORD glyph = 0xFFFF;
        GetGlyphIndicesA(dc, "E", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);
        BOOL drawn = TextOutA(dc, 10, 10, "Example-TEXT123", 15);
        SelectObject(dc, previous);
        DeleteObject(font);
        RemoveFontResourceA(record->filePath);
        if (strcmp(name, record->logFont.lfFaceName) == 0 && glyph != 0xFFFF && drawn)
            good++;
        else
            printf("  not drawable in its own face: %s (face \"%s\")\n", record->filePath, name);
    }
    printf("fonts registered and drawn in their own face: %d of %d checked\n", good, checked);
}

/* ---- sorting ---- */


void BenchSort(const std::vector<FontRecord *> &scanOrder)
{
    std::vector<double> ours, baseline;
    std::vector<FontRecord *> expected;
    bool same = true;
    for (int r = 0; r < repeats; r++) {
        for (int turn = 0; turn < 2; turn++) {
            if ((r + turn) % 2 == 0) {
                expected = scanOrder;
                double start = Now();
                std::stable_sort(expected.begin(), expected.end(), FaceLess);
                baseline.push_back(Now() - start);
            } else {
                memcpy(catalogue.records, scanOrder.data(), scanOrder.size() * sizeof(FontRecord *));
                double start = Now();
                SortCatalogue();
                ours.push_back(Now() - start);
            }
        }
        same = same && memcmp(catalogue.records, expected.data(),
                              expected.size() * sizeof(FontRecord *)) == 0;
    }
    Ratio("sort", ours, "std::stable_sort", baseline, 1.5);
    if (!same)
        printf("  SORT ORDER DIFFERS from std::stable_sort\n");
}

/* ---- rebuilding ---- */

/* The least a rebuild can do: an array sized once, and one allocation and one
 * block copy per admitted record. */
double PlainCopy(const std::vector<FontRecord *> &admitted)
{
    double start = Now();
    FontRecord **copies = (FontRecord **)malloc((admitted.size() + 1) * sizeof(FontRecord *));
    for (size_t i = 0; i < admitted.size(); i++) {
        copies[i] = (FontRecord *)malloc(sizeof(FontRecord));
        memcpy(copies[i], admitted[i], sizeof(FontRecord));
    }
    double elapsed = Now() - start;
    for (size_t i = 0; i < admitted.size(); i++)
        free(copies[i]);
    free(copies);
    return elapsed;
}

/* What any rebuild must at least do besides copying: look at every record once
 * (here: the length of its full name). */
double NamePass(void)
{
    volatile size_t total = 0;
    double start = Now();
    for (int i = 0; i < catalogue.count; i++)
        total = total + strlen(catalogue.records[i]->fullFontName);
    return Now() - start;
}

void BenchRebuild(const char *what, const std::unordered_map<std::string, FontRecord *> &byPath)
{
    FreeFontList(&displayList);
    BuildDisplayList();
    std::vector<FontRecord *> admitted;
    for (int i = 0; i < displayList.count; i++) {
        auto found = byPath.find(displayList.records[i]->filePath);
        if (found != byPath.end())
            admitted.push_back(found->second);
    }
    int shown = displayList.count;
    std::vector<double> ours, baseline, names;
    for (int r = 0; r < repeats; r++) {
        names.push_back(NamePass());
        for (int turn = 0; turn < 2; turn++) {
            FreeFontList(&displayList);
            if ((r + turn) % 2 == 0) {
                baseline.push_back(PlainCopy(admitted));
            } else {
                double start = Now();
                BuildDisplayList();
                ours.push_back(Now() - start);
            }
        }
    }
    double o = Median(ours);
    char label[64];
    snprintf(label, sizeof label, "rebuild %s", what);
    char base[64];
    snprintf(base, sizeof base, "plain copy of %d records", (int)admitted.size());
    Ratio(label, ours, base, baseline, 2.0);
    int met = o <= 100;
    goalsMissed += !met;
    printf("  %d shown of %d; %.3f us per catalogue record; at most 100 ms: %s; a bare pass "
           "over every record's full name %.2f ms\n", shown, catalogue.count,
           o * 1000 / catalogue.count, met ? "met" : "MISSED", Median(names));
}

/* The two letters that begin about one full name in a hundred (Begin mode, case
 * not minded), so the filter admits about one record in a hundred. */
std::string HundredthPrefix(void)
{
    std::map<std::string, int> counts;
    for (int i = 0; i < catalogue.count; i++) {
        std::string prefix(catalogue.records[i]->fullFontName, 2);
        for (char &c : prefix)
            c = (char)(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        counts[prefix]++;
    }
    std::string best;
    double target = catalogue.count / 100.0, distance = 1e30;
    for (const auto &count : counts) {
        double d = count.second > target ? count.second - target : target - count.second;
        if (d < distance) {
            distance = d;
            best = count.first;
        }
    }
    return best;
}

/* ---- the running program ---- */

/* While set, every dialog or message box that becomes active is answered with OK
 * once its own messages are handled. */
int answerDialogs = 1;

LRESULT CALLBACK AnswerHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && answerDialogs) {
        char name[16] = "";
        GetClassNameA((HWND)wParam, name, sizeof name);
        if (strcmp(name, "#32770") == 0)
            PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

INT_PTR CALLBACK EmptyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL))
        EndDialog(dialog, 1);
    return FALSE;
}

double TimeSend(UINT message, WPARAM wParam, LPARAM lParam)
{
    double start = Now();
    SendMessageA(mainWindow, message, wParam, lParam);
    return Now() - start;
}

int LastTopRow(void)
{
    int last = pageLayout.totalRows - pageLayout.visibleRows;
    return last > 0 ? last : 0;
}

/* A one-row step down onto the last row, against the scroll handler's full redraw
 * onto the same row (a page down): both through WM_VSCROLL, both with the scroll
 * bar's own repaint, which under Wine alone costs a few milliseconds. */
void BenchScroll(HDC dc)
{
    SendMessageA(mainWindow, UM_REFRESH, (WPARAM)dc, 0);
    int last = LastTopRow();
    std::vector<double> step, full, drawing, bar, hit;
    for (int r = 0; r < repeats; r++) {
        shell.topRow = last > 0 ? last - 1 : 0;
        shell.lastStepDown = 1;
        step.push_back(TimeSend(WM_VSCROLL, SB_LINEDOWN, 0));
        shell.topRow = last > 0 ? last - 1 : 0;
        full.push_back(TimeSend(WM_VSCROLL, SB_PAGEDOWN, 0));
        drawing.push_back(TimeSend(UM_DRAWPAGE, (WPARAM)dc, 0));
        double start = Now();
        SetScrollPos(clientWindow, SB_VERT, shell.topRow, TRUE);
        bar.push_back(Now() - start);
        /* the hit test of a double-click on the last cell shown */
        ComputeLayout(&pageLayout);
        int n = settings.columns, lastCell = displayList.count - 1;
        int row = lastCell / n - shell.topRow, column = lastCell % n;
        if (row >= pageLayout.visibleRows) {
            row = pageLayout.visibleRows - 1;
            column = n - 1;
        }
        shell.clickX = (int)(pageLayout.originX + pageLayout.cellWidth * (column + 0.5));
        shell.clickY = (int)(pageLayout.originY + pageLayout.cellTopOffset +
                             pageLayout.cellHeight * (row + 0.5));
        shell.hitFound = 0;
        shell.hitTestMode = 1;
        hit.push_back(TimeSend(UM_DRAWPAGE, (WPARAM)dc, 0));
        shell.hitTestMode = 0;
    }
    ValidateRect(clientWindow, NULL);
    printf("end of the list: top row %d of %d rows, %d columns, %d visible rows\n", shell.topRow,
           pageLayout.totalRows, settings.columns, pageLayout.visibleRows);
    Ratio("one-row scroll step", step, "full redraw (page down)", full, 0.2);
    printf("  of which: the page's drawing alone %.2f ms, the scroll bar's repaint %.2f ms; hit "
           "test of the last cell %.2f ms (%s)\n", Median(drawing), Median(bar), Median(hit),
           shell.hitFound ? "hit" : "NO HIT");
}

void BenchInfo(void)
{
    std::vector<double> info, empty;
    for (int r = 0; r < repeats; r++) {
        for (int turn = 0; turn < 2; turn++) {
            PumpMessages();
            double start = Now();
            if ((r + turn) % 2 == 0) {
                DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_O), mainWindow,
                                EmptyDialogProc, 0);
                empty.push_back(Now() - start);
            } else {
                SendCommand(CMD_INFO);
                info.push_back(Now() - start);
            }
        }
    }
    PumpMessages();
    Beyond("Info dialog", info, "the same dialog, unfilled", empty, 100);
}

void BenchPreview(HDC dc)
{
    std::vector<double> toPreview, drawing;
    for (int r = 0; r < repeats; r++) {
        if (settings.preview)
            SendCommand(CMD_PREVIEW);
        PumpMessages();
        shell.topRow = 1 << 30; /* the refresh puts it at the last row */
        toPreview.push_back(TimeSend(WM_COMMAND, CMD_PREVIEW, 0));
        drawing.push_back(TimeSend(UM_DRAWPAGE, (WPARAM)dc, 0));
    }
    printf("preview: %d pages, top row %d\n", pageLayout.pageCount, shell.topRow);
    if (settings.preview)
        SendCommand(CMD_PREVIEW);
    PumpMessages();
    Beyond("switch to preview", toPreview, "drawing the preview page", drawing, 100);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: bench_scale.exe FOLDER [ROUNDS]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.empty() || folder[folder.size() - 1] != '\\')
        folder += '\\';
    int rounds = argc > 2 ? atoi(argv[2]) : 3;
    if (rounds < 1)
        rounds = 1;

    HHOOK hook = SetWindowsHookExA(WH_CBT, AnswerHook, NULL, GetCurrentThreadId());
    HDC dc = StartAtBenchSize();
    if (dc == NULL)
        return 1;

    std::vector<FontFile> files;
    ListTree(folder, &files);
    printf("%s: %u .ttf files; %d-bit build; FontRecord %u bytes\n", folder.c_str(),
           (unsigned)files.size(), (int)sizeof(void *) * 8, (unsigned)sizeof(FontRecord));
    if (files.empty())
        return 1;
    repeats = files.size() > 50000 ? 9 : 15;

    /* ---- scan, memory ---- */
    settings.sourceIsDirectory = 1;
    settings.directoryChosen = 1;
    settings.includeSubdirectories = 1;
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    ListAndRead16K(folder); /* the file cache warmed, the same for both */
    EmptyScanCache();
    double before = PrivateBytes();
    snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s", folder.c_str());
    double start = Now();
    ScanFonts(dc);
    double firstScan = Now() - start;
    double after = PrivateBytes();
    SortCatalogue();
    int records = catalogue.count;
    double recordBytes = (double)records * sizeof(FontRecord);
    printf("first scan: %d records in %.0f ms\n", records, firstScan);

    std::vector<double> scan, bare;
    for (int round = 0; round < rounds; round++) {
        double s, b;
        if (round % 2 == 0) {
            b = ListAndRead16K(folder);
            s = ScanAndSort(dc, folder);
        } else {
            s = ScanAndSort(dc, folder);
            b = ListAndRead16K(folder);
        }
        scan.push_back(s);
        bare.push_back(b);
    }
    double s = Median(scan), b = Median(bare);
    Ratio("scan + progress + sort", scan, "list tree, read 16 KB of each", bare, 1.3);
    double fastScan = *std::min_element(scan.begin(), scan.end());
    double fastBare = *std::min_element(bare.begin(), bare.end());
    printf("  %d rounds; per font: scan %.1f us, bare %.1f us; fastest of the rounds: scan %.1f us, "
           "bare %.1f us, ratio %.3f\n", rounds, s * 1000 / records, b * 1000 / records,
           fastScan * 1000 / records, fastBare * 1000 / records, fastScan / fastBare);
    ProgressCosts(records);
    CheckDrawable(dc);
    if (after > 0) {
        double ratio = after / recordBytes;
        goalsMissed += ratio > 1.5;
        printf("%-26s %9.1f MB | %-32s %9.1f MB | ratio %6.3f, goal <= 1.50%s\n",
               "private bytes after the scan", after / 1e6, "the records' own size",
               recordBytes / 1e6, ratio, ratio > 1.5 ? "  MISSED" : "");
        printf("  the scan added %.1f MB to %.1f MB from before it: %.3f of the records' size, "
               "%.0f bytes per record; the FileBuffer held for the whole run is %.1f MB of "
               "it\n", (after - before) / 1e6, before / 1e6, (after - before) / recordBytes,
               (after - before) / records, FILE_BUFFER_SIZE / 1e6);
    } else {
        printf("private bytes: not available here\n");
    }

    /* ---- sort, on the scan's order of the last scan's records ---- */
    {
        FreeFontList(&displayList);
        FreeFontList(&catalogue);
        ScanFonts(dc);
        std::vector<FontRecord *> order(catalogue.records, catalogue.records + catalogue.count);
        BenchSort(order);
    }

    /* ---- rebuilds ---- */
    std::unordered_map<std::string, FontRecord *> byPath;
    for (int i = 0; i < catalogue.count; i++)
        byPath[catalogue.records[i]->filePath] = catalogue.records[i];
    settings.trueTypeOnly = 1;
    settings.filterOn = 0;
    settings.italic = 0;
    settings.bold = 0;
    settings.allStyles = 1;
    BenchRebuild("all styles", byPath);
    settings.allStyles = 0;
    BenchRebuild("one style (Normal)", byPath);
    settings.allStyles = 1;
    settings.filterOn = 1;
    settings.filterMode = IDC_FILTER_BEGIN;
    settings.filterCaseSensitive = 0;
    snprintf(settings.filterText, sizeof settings.filterText, "%s", HundredthPrefix().c_str());
    printf("filter: full names beginning with \"%s\"\n", settings.filterText);
    BenchRebuild("filter, 1 in 100", byPath);
    settings.filterOn = 0;

    /* ---- the window: every style shown ---- */
    FreeFontList(&displayList);
    BuildDisplayList();
    BenchScroll(dc);
    BenchInfo();
    BenchPreview(dc);

    printf("%d goal%s missed\n", goalsMissed, goalsMissed == 1 ? "" : "s");
    ReleaseDC(clientWindow, dc);
    answerDialogs = 1;
    StopZenvrix();
    UnhookWindowsHookEx(hook);
    return 0;
}
