/* fontfiles.h - the font-file reader and the folder scan beyond what fontlist.h
 * declares: one file read into a record without appending it, the reason a file
 * gave no record, whole-file reading for comparison, and the scan's progress bar.
 *
 * Implemented in ttfread.cpp and dirscan.cpp; used by zenvrix-info.exe
 * (zenvrix_info_main.cpp), the tests and the benchmark. */
#ifndef ZENVRIX_FONTFILES_H
#define ZENVRIX_FONTFILES_H

#include <windows.h>

#include "fontlist.h"
#include "ttfcore.h"

/* Why a file gave a record or none. */
enum FontFileResult {
    FONT_FILE_OK = 1,
    FONT_FILE_PATH_TOO_LONG = -1,    /* directory + name would not fit in 299 characters */
    FONT_FILE_CANT_OPEN = -2,
    FONT_FILE_CANT_READ = -3,
    FONT_FILE_NOT_TRUETYPE = -4,     /* a kind of file the read does not take */
    FONT_FILE_NO_NAME_TABLE = -5,
    FONT_FILE_NO_OS2_TABLE = -6,
    FONT_FILE_NO_METRICS = -7,       /* GetTextMetricsA failed */
    FONT_FILE_NO_MEMORY = -8         /* AppendFontRecord ran out of memory */
};

/* Bytes read from the start of a file and around each table the reader needs. */
enum { FONT_READ_CHUNK = 16384 };

/* Reads one file into *record (the image AppendFontRecord copies) without appending
 * it.  wholeFile 0: only the bytes the reader needs are read into the FileBuffer,
 * each at its own offset; 1: the file's first 100,000,000 bytes are read in one go.
 * Both give the same record. */
FontFileResult ReadFontRecord(HDC dc, const char *directory, const char *fileName,
                              int wholeFile, FontRecord *record);
/* The same for face `face` of a file read with `kinds` (SfntKinds); *faceCount
 * gets the number of faces the file has (1 for a single font, 0 when it has none
 * to read). */
FontFileResult ReadFontFace(HDC dc, const char *directory, const char *fileName,
                            int wholeFile, int kinds, int face, FontRecord *record,
                            int *faceCount);

/* The full name (name id 4) of face `face` of the file at path, read as the "All
 * fonts" scan reads it; 0 when that face gives no record. */
int ReadFaceFullName(const char *path, int face, char *name, size_t size);

/* Nothing changes the scan's device context while one folder is scanned, so its
 * metrics, which every record carries, are taken once: between BeginFontFileRun
 * and EndFontFileRun, ReadFontRecord and ReadFontFile on that context use the
 * metrics taken at the start.  Outside a run every file takes them itself. */
void BeginFontFileRun(HDC dc);
void EndFontFileRun(void);
/* Inside a run, takes the metrics anew: a message box shown meanwhile let other
 * windows paint, perhaps through the same context.  Outside a run, nothing. */
void RenewFontFileRun(void);
/* The metrics every record of a file read on dc carries (those of the run when dc
 * is the run's context); 0 when they cannot be had. */
int TakeFontFileMetrics(HDC dc, TEXTMETRICA *metrics);

/* What a record keeps of its face's cmap (facesample.cpp): from the bytes of a
 * cmap table; from the cmap of the face whose table directory lies at `directory`
 * in a file image; or from the face GDI makes of `face`. */
void TakeSampleFromTable(const unsigned char *table, uint32_t size, FaceSample *sample);
void TakeSampleFromImage(SfntImage *image, uint32_t directory, FaceSample *sample);
void TakeSampleFromFace(const LOGFONTA *face, FaceSample *sample);

/* The result of the last ReadFontFile, and a short English text for it. */
extern FontFileResult lastFontFileResult;
const char *FontFileResultText(FontFileResult result);

/* Counters of the reads made since the last reset (benchmark and tests). */
struct FontReadCounters {
    unsigned long files;
    unsigned long reads;
    double bytes;
};
extern FontReadCounters fontReadCounters;

/* The progress window of a scan of `count` files: the dialog DIALOG_PROGRESSBAR
 * owned by the main window, with its bar (range 0 ... count, step 1).  Returns the
 * bar, or NULL when the dialog could not be made; *dialog gets the dialog. */
HWND CreateScanProgress(int count, HWND *dialog);

/* 1 when the name's part from its last dot on is ".ttf" in any letter case. */
int IsFontFileName(const char *name);
/* The same with the kinds a scan takes: SFNT_KINDS_ALL also takes ".otf", ".ttc"
 * and ".otc". */
int IsFontFileNameOfKinds(const char *name, int kinds);

/* The name under which a listed file opens: its long name, or, in a system code
 * page, its short (8.3) name when the long one holds characters the code page
 * cannot spell (shown as "?"); NULL when there is no such name (no short name, or
 * one that cannot be spelled either).  With UTF-8 every long name is spelled. */
const char *OpenableFileName(const WIN32_FIND_DATAA *entry);

/* 1 when the program's ANSI code page is UTF-8: the manifest asks for it, and
 * Windows 10 1903 and later grant it; older ones keep the system code page. */
int AnsiIsUtf8(void);
/* Drops a character that a cut of text (snprintf into a fixed buffer) left
 * incomplete at its end; nothing in a system code page. */
void EndOnCharacter(char *text);

#endif
