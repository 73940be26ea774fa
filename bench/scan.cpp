/* scan.cpp - bench_scan.exe: the folder scan over a tree of real fonts, against
 * bare file-reading baselines measured in the same run on the same files.
 *
 *   scan        ScanFonts on the tree with subfolders (count, read, parse, append,
 *               progress window) and SortCatalogue
 *   scan-quiet  the same two passes and the sort without the progress window
 *   scan-whole  the same files read into records with whole-file reading
 *   list+whole  listing the tree twice, then opening each .ttf and reading it whole
 *   list+16K    listing the tree twice, then opening each .ttf and reading 16 KB
 *
 * Each round runs every variant once, in turn; the medians of the rounds, the
 * ratios of the scan to the two baselines and the median of each round's own
 * ratio to the 16 KB baseline are printed.
 *
 *   bench_scan.exe [FOLDER [ROUNDS]]     (default Z:\usr\share\fonts\, 5 rounds) */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"
#include "catalogue/scancache.h"

/* Seconds, from the shared benchmark clock (milliseconds). */
static double Seconds(void)
{
    return Now() / 1000.0;
}


/* Lists the tree twice (as the scan's two passes do), then opens each file and
 * reads up to `limit` bytes of it into the FileBuffer. */
static double Baseline(const std::string &folder, long limit, size_t *filesRead)
{
    double start = Seconds();
    std::vector<FontFile> files;
    ListTree(folder, &files);
    files.clear();
    ListTree(folder, &files);
    *filesRead = 0;
    for (size_t i = 0; i < files.size(); i++) {
        std::string path = files[i].directory + files[i].name;
        HFILE file = _lopen(path.c_str(), OF_READ);
        if (file == HFILE_ERROR)
            continue;
        if (_hread(file, fileBuffer, limit) >= 0)
            (*filesRead)++;
        _lclose(file);
    }
    return Seconds() - start;
}

static double Scan(HDC dc, const std::string &folder, int *records)
{
    EmptyScanCache(); /* every file read, as at its first scan */
    double start = Seconds();
    FreeFontList(&catalogue);
    snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s", folder.c_str());
    ScanFonts(dc);
    SortCatalogue();
    double elapsed = Seconds() - start;
    *records = catalogue.count;
    return elapsed;
}

static double ScanQuiet(HDC dc, const std::string &folder, int *records)
{
    EmptyScanCache();
    double start = Seconds();
    FreeFontList(&catalogue);
    int count = 0, stop = 0;
    CountFontFiles(folder.c_str(), &count);
    BeginFontFileRun(dc);
    ScanDirectory(dc, folder.c_str(), NULL, &stop);
    EndFontFileRun();
    SortCatalogue();
    double elapsed = Seconds() - start;
    *records = catalogue.count;
    return elapsed;
}

static double ScanWhole(HDC dc, const std::string &folder, int *records)
{
    static FontRecord record;
    double start = Seconds();
    std::vector<FontFile> files;
    ListTree(folder, &files);
    *records = 0;
    for (size_t i = 0; i < files.size(); i++)
        if (ReadFontRecord(dc, files[i].directory.c_str(), files[i].name.c_str(), 1, &record) ==
            FONT_FILE_OK)
            (*records)++;
    return Seconds() - start;
}

int main(int argc, char **argv)
{
    std::string folder = argc > 1 ? argv[1] : "Z:\\usr\\share\\fonts\\";
    if (folder.empty() || folder[folder.size() - 1] != '\\')
        folder += '\\';
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    if (rounds < 1)
        rounds = 1;

    appInstance = GetModuleHandleA(NULL);
    snprintf(textNoMemory, sizeof textNoMemory, "Not enough memory");
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, FILE_BUFFER_SIZE);
    fileBuffer = block != NULL ? (unsigned char *)GlobalLock(block) : NULL;
    HDC dc = CreateCompatibleDC(NULL);
    if (fileBuffer == NULL || dc == NULL) {
        fprintf(stderr, "bench_scan: no FileBuffer or device context\n");
        return 1;
    }
    settings.sourceIsDirectory = 1;
    settings.includeSubdirectories = 1;

    std::vector<FontFile> files;
    ListTree(folder, &files);
    printf("tree %s: %u .ttf files\n", folder.c_str(), (unsigned)files.size());
    if (files.empty())
        return 1;

    int records = 0, wholeRecords = 0;
    size_t read = 0;
    Scan(dc, folder, &records);                /* warm the file cache */
    Baseline(folder, FILE_BUFFER_SIZE, &read);

    std::vector<double> scan, scanQuiet, scanWhole, whole, first16k;
    /* The machine is shared: the load drifts between rounds, so the ratio of each
     * round, whose variants ran back to back, is reported too. */
    std::vector<double> roundScan16k, roundQuiet16k;
    FontReadCounters bytesOfScan;
    for (int round = 0; round < rounds; round++) {
        fontReadCounters = FontReadCounters();
        scan.push_back(Scan(dc, folder, &records));
        bytesOfScan = fontReadCounters;
        scanQuiet.push_back(ScanQuiet(dc, folder, &records));
        scanWhole.push_back(ScanWhole(dc, folder, &wholeRecords));
        whole.push_back(Baseline(folder, FILE_BUFFER_SIZE, &read));
        first16k.push_back(Baseline(folder, 16384, &read));
        roundScan16k.push_back(scan.back() / first16k.back());
        roundQuiet16k.push_back(scanQuiet.back() / first16k.back());
        printf("round %d: scan %.3f s, scan-quiet %.3f s, scan-whole %.3f s, list+whole %.3f s, "
               "list+16K %.3f s\n", round + 1, scan.back(), scanQuiet.back(), scanWhole.back(),
               whole.back(), first16k.back());
    }
    double s = Median(scan), sq = Median(scanQuiet), sw = Median(scanWhole);
    double w = Median(whole), k = Median(first16k);
    printf("records: %d (scan), %d (whole-file reading), %u files opened by the baselines\n",
           records, wholeRecords, (unsigned)read);
    printf("scan reads: %lu reads, %.1f MB for %lu files\n", bytesOfScan.reads,
           bytesOfScan.bytes / 1e6, bytesOfScan.files);
    printf("medians of %d rounds: scan %.3f s (%.0f fonts/s), scan-quiet %.3f s, scan-whole %.3f s, "
           "list+whole %.3f s, list+16K %.3f s\n",
           rounds, s, records / s, sq, sw, w, k);
    printf("ratio scan / list+whole:       %.2f\n", s / w);
    printf("ratio scan / list+16K:         %.2f  (goal: at most 1.30)\n", s / k);
    printf("ratio scan-quiet / list+16K:   %.2f\n", sq / k);
    printf("ratio scan-whole / list+whole: %.2f\n", sw / w);
    printf("median of the rounds' own ratios: scan / list+16K %.2f, scan-quiet / list+16K %.2f\n",
           Median(roundScan16k), Median(roundQuiet16k));
    FreeFontList(&catalogue);
    DeleteDC(dc);
    GlobalUnlock(block);
    GlobalFree(block);
    return 0;
}
