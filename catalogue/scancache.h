/* scancache.h - what the folder scan remembers, for the rest of the run, of the
 * font files it has read, so that a rescan takes an unchanged file's records
 * without opening the file again.
 *
 * A file is known by its full path, its size and last-write time as the folder
 * listing reports them, and the kinds of file the scan takes; for it the cache
 * keeps every record the file gave, in order (none for a file that is no font).
 * Nothing is written to disk.  It holds the files of the most recent folder
 * scans, never more records than the largest Catalogue of the run, and is emptied
 * whenever memory runs short.  Implemented in scancache.cpp; used by the folder
 * scan (dirscan.cpp), by AppendFontRecord when memory runs out (fontlist.cpp) and
 * at shutdown (app/startup.cpp). */
#ifndef ZENVRIX_SCANCACHE_H
#define ZENVRIX_SCANCACHE_H

#include <windows.h>

/* Brackets one folder scan: the files it meets become the most recent, and at
 * its end the cache is cut back to what the largest Catalogue of the run holds. */
void BeginScanCache(void);
void EndScanCache(void);

/* Gives the Catalogue the records of one font file that the listing returned:
 * those kept for it when its key is unchanged (0 is returned), else those
 * ReadFontFileKinds reads and the cache keeps (1: the file was read). */
int ReadListedFontFile(HDC dc, const char *directory, const char *fileName,
                        const WIN32_FIND_DATAA *entry, int kinds);

/* Frees everything the cache holds; 1 when it held something. */
int EmptyScanCache(void);

/* What the cache holds now (benchmarks and tests). */
struct ScanCacheFigures {
    int files;
    int records;
    int recordLimit;             /* the largest Catalogue of a folder scan so far */
    double bytes;                /* the heap blocks of the cache, bucket array included */
};
ScanCacheFigures ScanCacheState(void);

#endif
