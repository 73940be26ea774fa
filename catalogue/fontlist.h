/* fontlist.h - the font record, the Catalogue (every font of the last scan) and the
 * DisplayList (the copies that are shown, printed and installed from), with the
 * operations that fill them: scanning, sorting, filtering and style selection.
 *
 * Filled by the UM_RESCAN and UM_REBUILD handlers of the main window (app/mainwnd.cpp);
 * read by the layout, the drawing walk, printing and installation. */
#ifndef ZENVRIX_FONTLIST_H
#define ZENVRIX_FONTLIST_H

#include <windows.h>

#include "scriptcore.h"

enum SampleState { SAMPLE_UNREAD = 0, SAMPLE_READ = 1, SAMPLE_NO_CMAP = -1 };
enum { LACKS_SHORT_TEXT = 1, LACKS_FULL_TEXT = 2 };

/* What a record keeps of its face's cmap: whether it was read, which example texts
 * hold characters the face does not map, and the sample that stands in for them. */
struct FaceSample {
    int state;                   /* SampleState */
    int lacks;                   /* LACKS_SHORT_TEXT | LACKS_FULL_TEXT */
    WCHAR text[kOwnSampleSize];  /* in the face's own script, NUL-ended */
    WORD glyphs[kOwnSampleSize]; /* a sample of the face's first characters: their glyphs */
    int glyphCount;              /* 0: the text is drawn as text */
};

/* One font: an installed family, or one font file (one face of a collection).  A
 * flat block without pointers, copied whole from the Catalogue into the DisplayList. */
struct FontRecord {
    LOGFONTA logFont;            /* lfFaceName is the family name (name id 1) */
    TEXTMETRICA textMetrics;
    int fontType;                /* RASTER_FONTTYPE 1, DEVICE_FONTTYPE 2, TRUETYPE_FONTTYPE 4 */
    char fileName[300];
    char filePath[300];
    char copyright[300];         /* name id 0 */
    char fontSubfamily[300];     /* name id 2 */
    char fontIdentifier[300];    /* name id 3 */
    char fullFontName[300];      /* name id 4 */
    char version[300];           /* name id 5 */
    char trademark[300];         /* name id 7 */
    int boldFlag;                /* OS/2 fsSelection & 32 */
    int postScriptOutlines;      /* an OpenType face with PostScript outlines */
    int faceIndex;               /* the face within its collection */
    int faceCount;               /* faces of the collection; 0 for a single font */
    FaceSample sample;           /* what the face's cmap told */
    int catalogueIndex;          /* in a DisplayList copy: the Catalogue record copied */
};

/* A heap array of record pointers, absent (NULL) while empty.  The array has room
 * for capacity pointers, of which the first count are in use; it doubles when full,
 * so filling a list costs a constant time per record however long it gets. */
struct FontList {
    FontRecord **records;
    int count;
    int capacity;
};

extern FontList catalogue;
extern FontList displayList;

/* Appends one record to the Catalogue; shaped as an EnumFontFamiliesA procedure.
 * image (the application value) points to a complete FontRecord from the file
 * reader and is read only while a directory is scanned.  Returns 1, or 0 when
 * memory ran out ("Not enough memory" shown). */
int CALLBACK AppendFontRecord(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                              DWORD fontType, LPARAM image);
/* Frees every record, then the array; the list becomes absent with count 0. */
void FreeFontList(FontList *list);
/* Makes room for one more pointer, doubling the array when it is full.  Returns 1,
 * or 0 when the larger array could not be had: the list is then as it was, and
 * the caller says "Not enough memory". */
int MakeRoomForRecord(FontList *list);

/* Fills the (empty) Catalogue from the installed fonts or from currentDirectory.
 * Returns 1, or -1 when the directory scan failed. */
int ScanFonts(HDC dc);
/* The directory branch of ScanFonts: counts, then scans currentDirectory with a
 * progress bar; 1, or -1 on failure. */
int ScanDirectoryFonts(HDC dc);
/* Directory scan helpers (recursive, depth first). */
int CountFontFiles(const char *directory, int *count);
int ScanDirectory(HDC dc, const char *directory, HWND progressBar, int *stop);
/* Reads one .ttf file and appends its record; silent on every failure. */
void ReadFontFile(HDC dc, const char *directory, const char *fileName);
/* The same with the kinds of file taken (SfntKinds of ttfcore.h): a collection
 * appends one record per face that can be read.  Returns 1 when the records
 * appended are all the file's bytes give; 0 when the read was cut short (the
 * file could not be opened or read, memory ran out, a face lacked metrics). */
int ReadFontFileKinds(HDC dc, const char *directory, const char *fileName, int kinds);

/* Sorts the Catalogue by face name (byte order, stable); returns 1. */
int SortCatalogue(void);
/* Fills the emptied DisplayList from the Catalogue through the filter, the
 * TrueType-only option and the style selection; returns 1, or -1 out of memory. */
int BuildDisplayList(void);
/* 1 when the record passes the name filter of the current settings. */
int MatchesFilter(const FontRecord *record);

INT_PTR CALLBACK FilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
