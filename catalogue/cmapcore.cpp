/* cmapcore.cpp - the cmap reader (see cmapcore.h): the choice of subtable, the five
 * formats read, and the sorted runs that answer what a face maps.
 *
 * No <windows.h> here.  Reads go through an SfntImage over the table's bytes alone;
 * counts a table gives are cut to what its bytes can hold, so no forged count makes
 * a read run long or reach outside.  Callers: facesample.cpp, the character map
 * window, the native tests and the fuzz target. */
#include "cmapcore.h"

#include <stdlib.h>
#include <string.h>

#include "ttfcore.h"

/* cmap header and encoding records */
static const uint32_t kCmapNumTables = 2;
static const uint32_t kCmapRecords = 4;
static const uint32_t kCmapRecordSize = 8;
static const uint32_t kRecordPlatform = 0;
static const uint32_t kRecordEncoding = 2;
static const uint32_t kRecordOffset = 4;
/* Format 0: 256 one-byte glyphs */
static const uint32_t kFormat0Glyphs = 6;
/* Format 4: segments of the BMP */
static const uint32_t kFormat4SegCountX2 = 6;
static const uint32_t kFormat4EndCodes = 14;
/* Format 6: a trimmed array */
static const uint32_t kFormat6FirstCode = 6;
static const uint32_t kFormat6EntryCount = 8;
static const uint32_t kFormat6Glyphs = 10;
/* Formats 12 and 13: groups of 12 bytes */
static const uint32_t kFormat12NumGroups = 12;
static const uint32_t kFormat12Groups = 16;
static const uint32_t kGroupSize = 12;

static const unsigned kPlatformUnicode = 0;
static const unsigned kPlatformWindows = 3;
static const unsigned kEncodingSymbol = 0;
static const unsigned kEncodingBmp = 1;
static const unsigned kEncodingFull = 10;

/* ---- the runs ---- */

static int AddRun(CmapCoverage *coverage, uint32_t first, uint32_t last, uint32_t glyph,
                  uint32_t step)
{
    if (first > last || first > kCmapLastCodePoint)
        return 1;
    if (last > kCmapLastCodePoint)
        last = kCmapLastCodePoint;
    CmapRun *previous = coverage->count > 0 ? &coverage->runs[coverage->count - 1] : NULL;
    /* Neighbours that continue each other become one run. */
    if (previous != NULL && step == 1 && previous->step == 1 && previous->last + 1 == first &&
        previous->glyph + (first - previous->first) == glyph) {
        previous->last = last;
        return 1;
    }
    if (coverage->count == coverage->capacity) {
        int wanted = coverage->capacity > 0 ? coverage->capacity * 2 : 64;
        CmapRun *grown = (CmapRun *)realloc(coverage->runs, (size_t)wanted * sizeof(CmapRun));
        if (grown == NULL)
            return 0;
        coverage->runs = grown;
        coverage->capacity = wanted;
    }
    CmapRun *run = &coverage->runs[coverage->count++];
    run->first = first;
    run->last = last;
    run->glyph = glyph;
    run->step = step;
    run->before = 0;
    return 1;
}

static int CompareRuns(const void *a, const void *b)
{
    const CmapRun *x = (const CmapRun *)a;
    const CmapRun *y = (const CmapRun *)b;
    if (x->first != y->first)
        return x->first < y->first ? -1 : 1;
    return 0;
}

/* Sorts the runs; where a forged table maps a code point twice, the run that
 * starts first keeps it.  Then counts. */
static void SettleRuns(CmapCoverage *coverage)
{
    qsort(coverage->runs, (size_t)coverage->count, sizeof(CmapRun), CompareRuns);
    int kept = 0;
    for (int i = 0; i < coverage->count; i++) {
        CmapRun run = coverage->runs[i];
        if (kept > 0) {
            uint32_t end = coverage->runs[kept - 1].last;
            if (run.last <= end)
                continue;
            if (run.first <= end) {
                run.glyph += run.step * (end + 1 - run.first);
                run.first = end + 1;
            }
        }
        coverage->runs[kept++] = run;
    }
    coverage->count = kept;
    uint32_t total = 0;
    for (int i = 0; i < kept; i++) {
        coverage->runs[i].before = total;
        total += coverage->runs[i].last - coverage->runs[i].first + 1;
    }
    coverage->characters = total;
}

/* ---- the formats; each returns 0 only when memory ran out ---- */

/* One code point with its glyph, glyph 0 left out. */
static int AddOne(CmapCoverage *coverage, uint32_t codePoint, uint32_t glyph)
{
    return glyph == 0 || AddRun(coverage, codePoint, codePoint, glyph, 1);
}

static int ReadFormat0(SfntImage *image, uint32_t at, CmapCoverage *coverage)
{
    if (!SfntHas(image, (uint64_t)at + kFormat0Glyphs, 256))
        return 1;
    for (uint32_t c = 0; c < 256; c++)
        if (!AddOne(coverage, c, image->bytes[at + kFormat0Glyphs + c]))
            return 0;
    return 1;
}

static int ReadFormat6(SfntImage *image, uint32_t at, CmapCoverage *coverage)
{
    uint32_t firstCode = SfntU16(image, (uint64_t)at + kFormat6FirstCode);
    uint32_t entries = SfntU16(image, (uint64_t)at + kFormat6EntryCount);
    for (uint32_t i = 0; i < entries; i++) {
        uint64_t pos = (uint64_t)at + kFormat6Glyphs + 2 * (uint64_t)i;
        if (!SfntHas(image, pos, 2))
            break;
        if (!AddOne(coverage, firstCode + i, SfntU16(image, pos)))
            return 0;
    }
    return 1;
}

/* A segment without a glyph array maps c to c + delta (mod 65536): the one code
 * point that lands on glyph 0 splits it. */
static int AddDeltaSegment(CmapCoverage *coverage, uint32_t start, uint32_t end, uint32_t delta)
{
    uint32_t zero = (0x10000u - delta) & 0xFFFFu;
    if (zero < start || zero > end)
        return AddRun(coverage, start, end, (start + delta) & 0xFFFFu, 1);
    return (zero == start || AddRun(coverage, start, zero - 1, (start + delta) & 0xFFFFu, 1)) &&
           (zero == end || AddRun(coverage, zero + 1, end, 1, 1));
}

static int ReadFormat4(SfntImage *image, uint32_t at, CmapCoverage *coverage)
{
    uint32_t segCountX2 = SfntU16(image, (uint64_t)at + kFormat4SegCountX2) & ~1u;
    uint64_t ends = (uint64_t)at + kFormat4EndCodes;
    uint64_t starts = ends + segCountX2 + 2;
    uint64_t deltas = starts + segCountX2;
    uint64_t rangeOffsets = deltas + segCountX2;
    if (!SfntHas(image, rangeOffsets, segCountX2))
        return 1;
    uint32_t lastEnd = 0;
    for (uint32_t s = 0; s < segCountX2; s += 2) {
        uint32_t end = SfntU16(image, ends + s);
        uint32_t start = SfntU16(image, starts + s);
        uint32_t delta = SfntU16(image, deltas + s);
        uint32_t rangeOffset = SfntU16(image, rangeOffsets + s);
        /* Segments come in ascending order; one that goes back over an earlier
         * one is passed over, so the BMP is walked at most once. */
        if (start > end || (s > 0 && start <= lastEnd))
            continue;
        lastEnd = end;
        if (rangeOffset == 0) {
            if (!AddDeltaSegment(coverage, start, end, delta))
                return 0;
            continue;
        }
        uint64_t glyphs = rangeOffsets + s + rangeOffset;
        for (uint32_t c = start; c <= end; c++) {
            uint64_t pos = glyphs + 2 * (uint64_t)(c - start);
            if (!SfntHas(image, pos, 2))
                break;
            uint32_t glyph = SfntU16(image, pos);
            if (glyph != 0 && !AddOne(coverage, c, (glyph + delta) & 0xFFFFu))
                return 0;
        }
    }
    return 1;
}

/* Format 12 maps a group to ascending glyphs, format 13 to one glyph. */
static int ReadGroups(SfntImage *image, uint32_t at, uint32_t step, CmapCoverage *coverage)
{
    uint32_t groups = SfntU32(image, (uint64_t)at + kFormat12NumGroups);
    for (uint32_t i = 0; i < groups; i++) {
        uint64_t group = (uint64_t)at + kFormat12Groups + (uint64_t)i * kGroupSize;
        if (!SfntHas(image, group, kGroupSize))
            break;
        uint32_t first = SfntU32(image, group);
        uint32_t last = SfntU32(image, group + 4);
        uint32_t glyph = SfntU32(image, group + 8);
        if (first > last)
            continue;
        if (glyph == 0) {
            if (step == 0 || first == last)
                continue;
            first++;
            glyph = 1;
        }
        if (!AddRun(coverage, first, last, glyph, step))
            return 0;
    }
    return 1;
}

static int ReadSubtable(SfntImage *image, uint32_t at, CmapCoverage *coverage)
{
    switch (SfntU16(image, at)) {
    case 0: return ReadFormat0(image, at, coverage);
    case 4: return ReadFormat4(image, at, coverage);
    case 6: return ReadFormat6(image, at, coverage);
    case 12: return ReadGroups(image, at, 1, coverage);
    case 13: return ReadGroups(image, at, 0, coverage);
    default: return 1;
    }
}

/* How much a subtable is preferred: 1 the whole of Unicode, 2 its basic plane, 3
 * the symbol encoding; 0 not read. */
static int SubtableRank(unsigned platform, unsigned encoding)
{
    if (platform == kPlatformWindows)
        return encoding == kEncodingFull ? 1 : encoding == kEncodingBmp ? 2
                                             : encoding == kEncodingSymbol ? 3 : 0;
    if (platform == kPlatformUnicode)
        return encoding == 4 || encoding == 6 ? 1 : encoding <= 3 ? 2 : 0;
    return 0;
}

/* ---- the interface ---- */

void FreeCmapCoverage(CmapCoverage *coverage)
{
    free(coverage->runs);
    memset(coverage, 0, sizeof *coverage);
}

CmapResult ReadCmapCoverage(const unsigned char *table, uint32_t size, CmapCoverage *coverage)
{
    memset(coverage, 0, sizeof *coverage);
    SfntImage image;
    SfntImageWhole(&image, (unsigned char *)table, size > kCmapTableLimit ? 0 : size);
    unsigned records = SfntU16(&image, kCmapNumTables);
    for (int rank = 1; rank <= 3; rank++) {
        for (unsigned i = 0; i < records; i++) {
            uint64_t record = kCmapRecords + (uint64_t)i * kCmapRecordSize;
            if (!SfntHas(&image, record, kCmapRecordSize))
                break;
            unsigned platform = SfntU16(&image, record + kRecordPlatform);
            unsigned encoding = SfntU16(&image, record + kRecordEncoding);
            uint32_t at = SfntU32(&image, record + kRecordOffset);
            if (SubtableRank(platform, encoding) != rank || !SfntHas(&image, at, 2))
                continue;
            int format = (int)SfntU16(&image, at);
            if (!ReadSubtable(&image, at, coverage)) {
                FreeCmapCoverage(coverage);
                return CMAP_NO_MEMORY;
            }
            if (coverage->count == 0)
                continue;   /* empty or unreadable: the next subtable may serve */
            coverage->format = format;
            coverage->symbol = rank == 3;
            SettleRuns(coverage);
            return CMAP_OK;
        }
    }
    FreeCmapCoverage(coverage);
    return CMAP_NO_SUBTABLE;
}

uint32_t CmapGlyph(const CmapCoverage *coverage, uint32_t codePoint)
{
    int i = CmapFindRun(coverage, codePoint);
    if (i < 0)
        return 0;
    const CmapRun *run = &coverage->runs[i];
    return run->glyph + run->step * (codePoint - run->first);
}

/* The first run that ends at or after codePoint (count when none does). */
static int FirstRunFrom(const CmapCoverage *coverage, uint32_t codePoint)
{
    int low = 0;
    int high = coverage->count;
    while (low < high) {
        int middle = low + (high - low) / 2;
        if (coverage->runs[middle].last < codePoint)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

int CmapFindRun(const CmapCoverage *coverage, uint32_t codePoint)
{
    int i = FirstRunFrom(coverage, codePoint);
    return i < coverage->count && coverage->runs[i].first <= codePoint ? i : -1;
}

uint32_t CmapCountIn(const CmapCoverage *coverage, uint32_t first, uint32_t last)
{
    uint32_t total = 0;
    for (int i = FirstRunFrom(coverage, first); i < coverage->count; i++) {
        const CmapRun *run = &coverage->runs[i];
        if (run->first > last)
            break;
        uint32_t low = run->first > first ? run->first : first;
        uint32_t high = run->last < last ? run->last : last;
        total += high - low + 1;
    }
    return total;
}

uint32_t CmapCodePointAt(const CmapCoverage *coverage, uint32_t index)
{
    int low = 0;
    int high = coverage->count - 1;
    while (low < high) {
        int middle = low + (high - low + 1) / 2;
        if (coverage->runs[middle].before <= index)
            low = middle;
        else
            high = middle - 1;
    }
    if (coverage->count == 0)
        return 0;
    return coverage->runs[low].first + (index - coverage->runs[low].before);
}

int64_t CmapIndexOf(const CmapCoverage *coverage, uint32_t codePoint)
{
    int i = CmapFindRun(coverage, codePoint);
    if (i < 0)
        return -1;
    return (int64_t)coverage->runs[i].before + (codePoint - coverage->runs[i].first);
}
