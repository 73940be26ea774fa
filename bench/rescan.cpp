/* rescan.cpp - bench_rescan.exe: what a rescan of a folder costs once its files
 * have been read in this run, against the bare listing of the same tree (two
 * FindFirstFile/FindNextFile passes, as the counting and reading passes make)
 * measured in the same run:
 *
 *   first scan      the scan of the folder with subfolders (count, read, progress
 *                   window) and the sort, with nothing remembered
 *   unchanged       the same rescan with every file remembered    goal <= 1.5 x
 *                   the listing and <= 0.1 x the first scan
 *   1 % touched     the same after one file in a hundred got a new last-write
 *                   time (a different hundredth each round)
 *   memory          the cache's heap blocks after the first scan, and the
 *                   private bytes that scan added beyond the records of the two
 *                   lists, against the records' own size         goal <= 1.0
 *
 *   UM_RESCAN       the unchanged rescan as the whole message: both lists freed
 *                   first and the DisplayList rebuilt after
 *
 * Each figure is paired with a listing taken right before or after it (they
 * take turns at going first); ratios to the listing are medians of the pairs'
 * own ratios (the ratio of the medians beside them), ratios to the first scan
 * the ratio of the medians.  A first scan costs ten rescans or more, so fewer
 * are taken.  The records of the unchanged rescans are checked to be those of
 * the first scan.  Runs the real windows in this process; boxes that come up
 * are answered with OK.
 *
 *   bench_rescan.exe FOLDER [ROUNDS [FIRST]]   (rescan rounds, default 7; first
 *                                              scans, default 3) */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "catalogue/fontlist.h"
#include "catalogue/scancache.h"

namespace {

int goalsMissed = 0;
/* The goals are set for 20,000 files and more: below, the progress window's
 * making and unmaking (tens of milliseconds under Wine) weighs on a rescan. */
bool judged = true;

double BareListing(const std::string &folder)
{
    std::vector<FontFile> files;
    double start = Now();
    ListTree(folder, &files);
    files.clear();
    ListTree(folder, &files);
    return Now() - start;
}

/* The scan and its sort, as bench_scale times them: what remembering the files
 * changes.  The lists are emptied beforehand, outside the time. */
double Rescan(HDC dc)
{
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    double start = Now();
    ScanFonts(dc);
    SortCatalogue();
    return Now() - start;
}

/* The whole message: both lists freed, the scan, the sort and the DisplayList
 * rebuilt. */
double WholeRescan(HDC dc)
{
    double start = Now();
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    return Now() - start;
}

/* A rescan and a listing, their order taking turns. */
void Pair(HDC dc, const std::string &folder, int turn, std::vector<double> *figure,
          std::vector<double> *listing, double (*rescan)(HDC) = Rescan)
{
    if (turn % 2 == 0)
        listing->push_back(BareListing(folder));
    figure->push_back(rescan(dc));
    if (turn % 2 != 0)
        listing->push_back(BareListing(folder));
}

void Ratios(const char *what, const std::vector<double> &figure, const char *baselineName,
              const std::vector<double> &baseline, double goal)
{
    std::vector<double> paired;
    for (size_t i = 0; i < figure.size(); i++)
        paired.push_back(figure[i] / baseline[i]);
    double ratio = Median(paired);
    int met = goal <= 0 || ratio <= goal;
    goalsMissed += judged && !met;
    printf("%-22s %9.1f ms | %-20s %9.1f ms | ratio %7.3f (of medians %7.3f)", what,
           Median(figure), baselineName, Median(baseline), ratio,
           Median(figure) / Median(baseline));
    if (goal > 0)
        printf(", goal <= %.2f%s", goal, met ? "" : judged ? "  MISSED" : "  (not judged)");
    printf("\n");
}

void OfMedians(const char *what, const std::vector<double> &figure, const char *baselineName,
               const std::vector<double> &baseline, double goal)
{
    double ratio = Median(figure) / Median(baseline);
    int met = goal <= 0 || ratio <= goal;
    goalsMissed += judged && !met;
    printf("%-22s %9.1f ms | %-20s %9.1f ms | ratio of medians %7.3f", what, Median(figure),
           baselineName, Median(baseline), ratio);
    if (goal > 0)
        printf(", goal <= %.2f%s", goal, met ? "" : judged ? "  MISSED" : "  (not judged)");
    printf("\n");
}

/* Gives every hundredth file (from `offset` on) a last-write time `seconds` later
 * than it had; returns how many were touched. */
int Touch(const std::vector<FontFile> &files, size_t offset, int seconds)
{
    int touched = 0;
    for (size_t i = offset % 100; i < files.size(); i += 100) {
        std::string path = files[i].directory + files[i].name;
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        FILETIME written;
        if (GetFileTime(file, NULL, NULL, &written)) {
            ULARGE_INTEGER t = {{written.dwLowDateTime, written.dwHighDateTime}};
            t.QuadPart += (ULONGLONG)seconds * 10000000u;
            written.dwLowDateTime = t.LowPart;
            written.dwHighDateTime = t.HighPart;
            touched += SetFileTime(file, NULL, NULL, &written) != 0;
        }
        CloseHandle(file);
    }
    return touched;
}

/* The Catalogue's records, whole, to compare scans with. */
std::vector<FontRecord> Records(void)
{
    std::vector<FontRecord> records;
    for (int i = 0; i < catalogue.count; i++)
        records.push_back(*catalogue.records[i]);
    return records;
}

LRESULT CALLBACK AnswerHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char name[16] = "";
        GetClassNameA((HWND)wParam, name, sizeof name);
        if (strcmp(name, "#32770") == 0)
            PostMessageA((HWND)wParam, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: bench_rescan.exe FOLDER [ROUNDS]\n");
        return 2;
    }
    std::string folder = argv[1];
    if (folder.empty() || folder[folder.size() - 1] != '\\')
        folder += '\\';
    int rounds = argc > 2 ? atoi(argv[2]) : 7;
    int firstRounds = argc > 3 ? atoi(argv[3]) : 3;
    if (rounds < 1)
        rounds = 1;
    if (firstRounds < 1)
        firstRounds = 1;

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
    judged = files.size() >= 20000;

    settings.sourceIsDirectory = 1;
    settings.directoryChosen = 1;
    settings.includeSubdirectories = 1;
    snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s", folder.c_str());
    /* memory: what the first scan of the run adds, apart from the two lists */
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    EmptyScanCache();
    double before = PrivateBytes();
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    double grown = PrivateBytes() - before;
    std::vector<FontRecord> first = Records();
    ScanCacheFigures held = ScanCacheState();
    double recordBytes = (double)first.size() * sizeof(FontRecord);
    double listBytes = (double)(catalogue.count + displayList.count) * sizeof(FontRecord);

    std::vector<double> firstScan, unchanged, touched, listFirst, listUnchanged, listTouched;
    for (int round = 0; round < firstRounds; round++) {
        EmptyScanCache();
        Pair(dc, folder, round, &firstScan, &listFirst);
        printf("first scan %d: %.1f ms, listing %.1f ms\n", round + 1, firstScan.back(),
               listFirst.back());
    }
    int filesTouched = 0;
    bool same = true;
    for (int round = 0; round < rounds; round++) {
        Pair(dc, folder, round, &unchanged, &listUnchanged);
        same = same && catalogue.count == (int)first.size();
        for (int i = 0; same && i < catalogue.count; i++)
            same = memcmp(catalogue.records[i], &first[i], sizeof(FontRecord)) == 0;
        filesTouched = Touch(files, (size_t)round * 37, 1 + round);
        Pair(dc, folder, round + 1, &touched, &listTouched);
        printf("round %d: unchanged %.1f ms, listing %.1f ms; 1 %% touched %.1f ms, listing "
               "%.1f ms\n", round + 1, unchanged.back(), listUnchanged.back(), touched.back(),
               listTouched.back());
    }
    /* Where an unchanged rescan's time goes: the counting pass, the reading pass,
     * the progress window (the rest of the scan), the sort */
    std::vector<double> whole, listWhole;
    for (int round = 0; round < rounds; round++)
        Pair(dc, folder, round, &whole, &listWhole, WholeRescan);
    std::vector<double> scanAlone, sortAlone, countAlone, readingAlone;
    for (int round = 0; round < 3; round++) {
        FreeFontList(&displayList);
        FreeFontList(&catalogue);
        double start = Now();
        ScanFonts(dc);
        scanAlone.push_back(Now() - start);
        start = Now();
        SortCatalogue();
        sortAlone.push_back(Now() - start);
        FreeFontList(&catalogue);
        int count = 0, stop = 0;
        start = Now();
        CountFontFiles(folder.c_str(), &count);
        countAlone.push_back(Now() - start);
        start = Now();
        ScanDirectory(dc, folder.c_str(), NULL, &stop);
        readingAlone.push_back(Now() - start);
    }
    printf("of an unchanged rescan: the scan %.1f ms (the counting pass %.1f ms, the reading "
           "pass without progress window %.1f ms), the sort %.1f ms\n", Median(scanAlone),
           Median(countAlone), Median(readingAlone), Median(sortAlone));
    printf("records: %d; unchanged rescans give the first scan's records: %s; files touched "
           "per round: %d\n", catalogue.count, same ? "yes" : "NO", filesTouched);
    goalsMissed += !same;
    Ratios("first scan", firstScan, "bare listing", listFirst, 0);
    Ratios("unchanged rescan", unchanged, "bare listing", listUnchanged, 1.5);
    Ratios("1 % touched rescan", touched, "bare listing", listTouched, 0);
    Ratios("UM_RESCAN, unchanged", whole, "bare listing", listWhole, 0);
    OfMedians("unchanged rescan", unchanged, "first scan", firstScan, 0.1);
    OfMedians("1 % touched rescan", touched, "first scan", firstScan, 0);
    /* The goal is judged on the cache's own heap blocks; the private bytes the
     * first scan added beyond the records of both lists (the cache, the arrays
     * and whatever the heap keeps committed) are shown beside them. */
    int met = held.bytes <= recordBytes;
    goalsMissed += !met;
    printf("%-22s %9.1f MB | %-20s %9.1f MB | ratio %7.3f, goal <= 1.00%s\n",
           "the cache's heap blocks", held.bytes / 1e6, "the records' size", recordBytes / 1e6,
           held.bytes / recordBytes, met ? "" : "  MISSED");
    printf("  %d files, %d records (limit %d), %.0f bytes a record; the first scan added "
           "%.1f MB of private bytes, %.1f MB beyond the records of both lists (%.3f of the "
           "records' size)\n", held.files, held.records, held.recordLimit,
           held.records > 0 ? held.bytes / held.records : 0.0, grown / 1e6,
           (grown - listBytes) / 1e6, (grown - listBytes) / recordBytes);

    printf("%d goal%s missed\n", goalsMissed, goalsMissed == 1 ? "" : "s");
    ReleaseDC(clientWindow, dc);
    StopZenvrix();
    UnhookWindowsHookEx(hook);
    return 0;
}
