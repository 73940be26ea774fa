/* rescan.cpp - bench_rescan.exe: what a rescan of a folder costs once its files
 * have been read in this run, against the bare listing of the same tree (two
 * FindFirstFile/FindNextFile passes, as the counting and reading passes make)
 * measured in the same run:
 *
 *   first scan      UM_RESCAN of the folder with subfolders (count, read, sort,
 *                   rebuild, progress window) with nothing remembered
 *   unchanged       the same rescan with every file remembered    goal <= 1.5 x
 *                   the listing and <= 0.1 x the first scan
 *   1 % touched     the same after one file in a hundred got a new last-write
 *                   time (a different hundredth each round)
 *   memory          the private bytes the remembered files hold, against the
 *                   records' own size                             goal <= 1.0
 *
 * Each round measures the listing right before each figure; ratios are medians
 * of the rounds' own ratios (the ratio of the medians beside them).  The records
 * of the unchanged rescan are checked to be those of the first scan.  Runs the
 * real windows in this process; boxes that come up are answered with OK.
 *
 *   bench_rescan.exe FOLDER [ROUNDS]      (default 5 rounds) */
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

double BareListing(const std::string &folder)
{
    std::vector<FontFile> files;
    double start = Now();
    ListTree(folder, &files);
    files.clear();
    ListTree(folder, &files);
    return Now() - start;
}

double Rescan(HDC dc)
{
    double start = Now();
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    return Now() - start;
}

double Ratios(const char *what, const std::vector<double> &figure, const char *baselineName,
              const std::vector<double> &baseline, double goal)
{
    std::vector<double> paired;
    for (size_t i = 0; i < figure.size(); i++)
        paired.push_back(figure[i] / baseline[i]);
    double ratio = Median(paired);
    int met = goal <= 0 || ratio <= goal;
    goalsMissed += !met;
    printf("%-22s %9.1f ms | %-20s %9.1f ms | ratio %7.3f (of medians %7.3f)", what,
           Median(figure), baselineName, Median(baseline), ratio,
           Median(figure) / Median(baseline));
    if (goal > 0)
        printf(", goal <= %.2f%s", goal, met ? "" : "  MISSED");
    printf("\n");
    return ratio;
}

/* The process's committed private pages (as scale.cpp counts them). */
double PrivateBytes(void)
{
    double total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char *at = NULL;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += (double)region.RegionSize;
        const char *next = (const char *)region.BaseAddress + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
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
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
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

    settings.sourceIsDirectory = 1;
    settings.directoryChosen = 1;
    settings.includeSubdirectories = 1;
    snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s", folder.c_str());
    EmptyScanCache();
    Rescan(dc); /* the system's file cache warmed for every figure alike */

    /* memory: the same scan with the cache emptied and with it filled */
    EmptyScanCache();
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    EmptyScanCache();
    double without = PrivateBytes();
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    double with = PrivateBytes();
    std::vector<FontRecord> first = Records();
    ScanCacheFigures held = ScanCacheState();
    double recordBytes = (double)first.size() * sizeof(FontRecord);

    std::vector<double> firstScan, unchanged, touched, listFirst, listUnchanged, listTouched;
    int filesTouched = 0;
    bool same = true;
    for (int round = 0; round < rounds; round++) {
        listFirst.push_back(BareListing(folder));
        EmptyScanCache();
        firstScan.push_back(Rescan(dc));
        listUnchanged.push_back(BareListing(folder));
        unchanged.push_back(Rescan(dc));
        same = same && catalogue.count == (int)first.size();
        for (int i = 0; same && i < catalogue.count; i++)
            same = memcmp(catalogue.records[i], &first[i], sizeof(FontRecord)) == 0;
        filesTouched = Touch(files, (size_t)round * 37, 1 + round);
        listTouched.push_back(BareListing(folder));
        touched.push_back(Rescan(dc));
        printf("round %d: listing %.1f / %.1f / %.1f ms; first %.1f ms, unchanged %.1f ms, "
               "1 %% touched %.1f ms\n", round + 1, listFirst.back(), listUnchanged.back(),
               listTouched.back(), firstScan.back(), unchanged.back(), touched.back());
    }
    printf("records: %d; unchanged rescan gives the first scan's records: %s; files touched "
           "per round: %d\n", catalogue.count, same ? "yes" : "NO", filesTouched);
    goalsMissed += !same;
    Ratios("first scan", firstScan, "bare listing", listFirst, 0);
    Ratios("unchanged rescan", unchanged, "bare listing", listUnchanged, 1.5);
    Ratios("1 % touched rescan", touched, "bare listing", listTouched, 0);
    Ratios("unchanged rescan", unchanged, "first scan", firstScan, 0.1);
    Ratios("1 % touched rescan", touched, "first scan", firstScan, 0);
    double grown = with - without;
    int met = grown <= recordBytes;
    goalsMissed += !met;
    printf("%-22s %9.1f MB | %-20s %9.1f MB | ratio %7.3f, goal <= 1.00%s\n",
           "private bytes of cache", grown / 1e6, "the records' size", recordBytes / 1e6,
           grown / recordBytes, met ? "" : "  MISSED");
    printf("  the cache: %d files, %d records (limit %d), %.1f MB of heap blocks, %.0f bytes "
           "per record\n", held.files, held.records, held.recordLimit, held.bytes / 1e6,
           held.records > 0 ? held.bytes / held.records : 0.0);

    printf("%d goal%s missed\n", goalsMissed, goalsMissed == 1 ? "" : "s");
    ReleaseDC(clientWindow, dc);
    StopZenvrix();
    UnhookWindowsHookEx(hook);
    return 0;
}
