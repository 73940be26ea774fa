/* scancache.cpp - the records of font files already read in this run, served to
 * a rescan without opening the files (see scancache.h).
 *
 * Each file is one heap block: its key, its path, and each record it gave packed
 * (the fixed members, then the six descriptive texts without their unused
 * bytes: a few hundred bytes where a FontRecord takes two and a half thousand).
 * The blocks hang in a hash table over path and kinds and in a list from the
 * most recently met to the least; what the scans no longer meet goes first when
 * the cache is cut back.  The name, path, type and metrics members are not kept:
 * they come from the listing and the scan's context as for a file read. */
#include "scancache.h"

#include <stdio.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "fontfiles.h"

/* The members of a record that come from the file, as one packed run. */
struct PackedFace {
    LOGFONTA logFont;
    int boldFlag;
    int postScriptOutlines;
    int faceIndex;
    int faceCount;
};

struct CachedFile {
    CachedFile *chain;           /* the next in its bucket */
    CachedFile *newer, *older;   /* the recency list */
    unsigned hash;
    int kinds;
    DWORD sizeHigh, sizeLow;
    FILETIME written;
    FontFileResult result;       /* what the read said of the file */
    int records;
    size_t bytes;                /* the whole block */
    /* then the path, NUL-terminated, then each record: a PackedFace and six texts */
};

static struct {
    CachedFile **buckets;
    unsigned bucketCount;        /* a power of two, or 0 */
    CachedFile *newest, *oldest;
    int files, records;
    int scanFiles, scanRecords;  /* met by the running scan */
    int recordLimit;
    int fileLimit;               /* the most files one folder scan met */
    double bytes;
    unsigned emptied;            /* times emptied, so a file served meanwhile knows */
} cache;

static char *PathOf(CachedFile *file)
{
    return (char *)(file + 1);
}

static unsigned HashOf(const char *path, int kinds)
{
    unsigned hash = 2166136261u ^ (unsigned)kinds;
    for (const unsigned char *c = (const unsigned char *)path; *c != 0; c++)
        hash = (hash ^ *c) * 16777619u;
    return hash;
}

static void Unlink(CachedFile *file)
{
    CachedFile **link = &cache.buckets[file->hash & (cache.bucketCount - 1)];
    while (*link != file)
        link = &(*link)->chain;
    *link = file->chain;
    (file->newer ? file->newer->older : cache.newest) = file->older;
    (file->older ? file->older->newer : cache.oldest) = file->newer;
    cache.files--;
    cache.records -= file->records;
    cache.bytes -= (double)file->bytes;
}

/* Puts the file first in the recency list and in its bucket. */
static void Link(CachedFile *file)
{
    CachedFile **bucket = &cache.buckets[file->hash & (cache.bucketCount - 1)];
    file->chain = *bucket;
    *bucket = file;
    file->older = cache.newest;
    file->newer = NULL;
    (cache.newest ? cache.newest->newer : cache.oldest) = file;
    cache.newest = file;
    cache.files++;
    cache.records += file->records;
    cache.bytes += (double)file->bytes;
}

int EmptyScanCache(void)
{
    int held = cache.buckets != NULL;
    for (CachedFile *file = cache.newest; file != NULL;) {
        CachedFile *older = file->older;
        free(file);
        file = older;
    }
    free(cache.buckets);
    cache.buckets = NULL;
    cache.bucketCount = 0;
    cache.newest = cache.oldest = NULL;
    cache.files = cache.records = 0;
    cache.bytes = 0;
    cache.emptied++;
    return held;
}

static int Larger(int a, int b)
{
    return a > b ? a : b;
}

/* Drops the files the running scan has not met while the cache holds more
 * records than the largest Catalogue (or this scan's), or more files than the
 * largest scan met (files that gave no record count here). */
static void CutBack(void)
{
    int records = Larger(cache.recordLimit, cache.scanRecords);
    int files = Larger(cache.fileLimit, cache.scanFiles);
    while (cache.oldest != NULL && (cache.records > records || cache.files > files)) {
        CachedFile *oldest = cache.oldest;
        Unlink(oldest);
        free(oldest);
    }
}

/* One bucket per file at most; 0 when the larger table could not be had (the
 * cache is then emptied). */
static int MakeRoomForFile(void)
{
    if ((unsigned)cache.files < cache.bucketCount)
        return 1;
    unsigned count = cache.bucketCount ? cache.bucketCount * 2 : 1024;
    CachedFile **buckets = count <= (size_t)-1 / 2 / sizeof(CachedFile *)
                               ? (CachedFile **)SeamMalloc(count * sizeof(CachedFile *))
                               : NULL;
    if (buckets == NULL) {
        EmptyScanCache();
        return 0;
    }
    memset(buckets, 0, count * sizeof(CachedFile *));
    /* Relinked oldest first, so the recency list comes out as it was. */
    CachedFile *oldest = cache.oldest;
    free(cache.buckets);
    cache.buckets = buckets;
    cache.bucketCount = count;
    cache.newest = cache.oldest = NULL;
    cache.files = cache.records = 0;
    cache.bytes = (double)(count * sizeof(CachedFile *));
    for (CachedFile *file = oldest; file != NULL;) {
        CachedFile *newer = file->newer;
        Link(file);
        file = newer;
    }
    return 1;
}

static int SameKey(const CachedFile *file, const WIN32_FIND_DATAA *entry)
{
    return file->sizeHigh == entry->nFileSizeHigh && file->sizeLow == entry->nFileSizeLow &&
           CompareFileTime(&file->written, &entry->ftLastWriteTime) == 0;
}

/* The cached file of this path and kinds, taken out of the cache, when its key
 * is unchanged; a file whose key has changed is dropped. */
static CachedFile *TakeCachedFile(const char *path, int kinds, unsigned hash,
                                  const WIN32_FIND_DATAA *entry)
{
    if (cache.buckets == NULL)
        return NULL;
    for (CachedFile *file = cache.buckets[hash & (cache.bucketCount - 1)]; file != NULL;
         file = file->chain) {
        if (file->hash != hash || file->kinds != kinds || strcmp(PathOf(file), path) != 0)
            continue;
        Unlink(file);
        if (SameKey(file, entry))
            return file;
        free(file);
        return NULL;
    }
    return NULL;
}

/* The texts of a record in the order they are packed. */
static char *TextOf(FontRecord *record, int i)
{
    char *const texts[] = {record->copyright, record->fontSubfamily, record->fontIdentifier,
                           record->fullFontName, record->version, record->trademark};
    return texts[i];
}
enum { kPackedTexts = 6 };

/* The bytes a record takes packed. */
static size_t PackedSize(FontRecord *record)
{
    size_t size = sizeof(PackedFace);
    for (int i = 0; i < kPackedTexts; i++)
        size += strlen(TextOf(record, i)) + 1;
    return size;
}

static char *Pack(char *at, FontRecord *record)
{
    PackedFace face = {record->logFont, record->boldFlag, record->postScriptOutlines,
                       record->faceIndex, record->faceCount};
    memcpy(at, &face, sizeof face);
    at += sizeof face;
    for (int i = 0; i < kPackedTexts; i++) {
        size_t length = strlen(TextOf(record, i)) + 1;
        memcpy(at, TextOf(record, i), length);
        at += length;
    }
    return at;
}

static const char *Unpack(const char *at, FontRecord *record)
{
    PackedFace face;
    memcpy(&face, at, sizeof face);
    at += sizeof face;
    record->logFont = face.logFont;
    record->boldFlag = face.boldFlag;
    record->postScriptOutlines = face.postScriptOutlines;
    record->faceIndex = face.faceIndex;
    record->faceCount = face.faceCount;
    for (int i = 0; i < kPackedTexts; i++) {
        size_t length = strlen(at) + 1;
        memcpy(TextOf(record, i), at, length);
        at += length;
    }
    return at;
}

/* Keeps the records a file just gave (the Catalogue's last `records`); 1 when
 * kept.  When memory runs short the cache is emptied instead and the scan goes
 * on as ever. */
static int Keep(const char *path, int kinds, unsigned hash, const WIN32_FIND_DATAA *entry,
                 int records)
{
    size_t bytes = sizeof(CachedFile) + strlen(path) + 1;
    FontRecord **made = catalogue.records + (catalogue.count - records);
    for (int i = 0; i < records; i++)
        bytes += PackedSize(made[i]);
    if (!MakeRoomForFile())
        return 0;
    CachedFile *file = (CachedFile *)SeamMalloc(bytes);
    if (file == NULL) {
        EmptyScanCache();
        return 0;
    }
    file->hash = hash;
    file->kinds = kinds;
    file->sizeHigh = entry->nFileSizeHigh;
    file->sizeLow = entry->nFileSizeLow;
    file->written = entry->ftLastWriteTime;
    file->result = lastFontFileResult;
    file->records = records;
    file->bytes = bytes;
    char *at = PathOf(file);
    memcpy(at, path, strlen(path) + 1);
    at += strlen(path) + 1;
    for (int i = 0; i < records; i++)
        at = Pack(at, made[i]);
    Link(file);
    return 1;
}

/* Appends the file's records as the file reader would: the metrics of the scan's
 * context, a face without them passed over, the file given up when memory runs
 * out.  1 when every record went in. */
static int Serve(HDC dc, CachedFile *file, const char *fileName)
{
    static FontRecord record;    /* no allocation per file, as for a read */
    const char *at = PathOf(file) + strlen(PathOf(file)) + 1;
    FontFileResult fileResult = file->result;
    int served = 1;
    for (int i = 0; i < file->records; i++) {
        memset(&record, 0, sizeof record);
        at = Unpack(at, &record);
        snprintf(record.fileName, sizeof record.fileName, "%s", fileName);
        snprintf(record.filePath, sizeof record.filePath, "%s", PathOf(file));
        record.fontType = TRUETYPE_FONTTYPE;
        FontFileResult result = FONT_FILE_OK;
        if (!TakeFontFileMetrics(dc, &record.textMetrics))
            result = FONT_FILE_NO_METRICS;
        else if (!AppendFontRecord(&record.logFont, &record.textMetrics, TRUETYPE_FONTTYPE,
                                   (LPARAM)&record))
            result = FONT_FILE_NO_MEMORY;
        fileResult = i == 0 || fileResult != FONT_FILE_OK ? result : fileResult;
        if (result != FONT_FILE_OK)
            served = 0;
        if (result == FONT_FILE_NO_MEMORY) {
            RenewFontFileRun();  /* after the out-of-memory message */
            break;
        }
    }
    lastFontFileResult = fileResult;
    return served;
}

int ReadListedFontFile(HDC dc, const char *directory, const char *fileName,
                       const WIN32_FIND_DATAA *entry, int kinds)
{
    char path[NAME_SIZE];
    int length = snprintf(path, sizeof path, "%s%s", directory, fileName);
    if (length < 0 || length >= (int)sizeof path) {
        ReadFontFileKinds(dc, directory, fileName, kinds);
        return 1;
    }
    int read = 0;
    unsigned hash = HashOf(path, kinds);
    if (CachedFile *file = TakeCachedFile(path, kinds, hash, entry)) {
        /* Out of the cache while it is served: running out of memory empties
         * the cache, and then this file goes too. */
        unsigned emptied = cache.emptied;
        int served = Serve(dc, file, fileName);
        if (served && cache.emptied == emptied && MakeRoomForFile()) {
            Link(file);
            cache.scanFiles++;
            cache.scanRecords += file->records;
        } else {
            free(file);
        }
    } else {
        read = 1;
        int before = catalogue.count;
        unsigned emptied = cache.emptied;
        /* A read cut short (the file not opened or read, memory or metrics lacking)
         * says nothing of the file itself, and a cache emptied meanwhile means
         * memory is short: nothing is kept then. */
        int complete = ReadFontFileKinds(dc, directory, fileName, kinds);
        int records = catalogue.count - before;
        if (complete && cache.emptied == emptied && Keep(path, kinds, hash, entry, records)) {
            cache.scanFiles++;
            cache.scanRecords += records;
        }
    }
    CutBack();
    return read;
}

void BeginScanCache(void)
{
    cache.scanFiles = cache.scanRecords = 0;
}

void EndScanCache(void)
{
    cache.recordLimit = Larger(cache.recordLimit, catalogue.count);
    cache.fileLimit = Larger(cache.fileLimit, cache.scanFiles);
    CutBack();
}

ScanCacheFigures ScanCacheState(void)
{
    ScanCacheFigures figures = {cache.files, cache.records, cache.recordLimit, cache.bytes};
    return figures;
}
