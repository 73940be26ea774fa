/* ttfcore.h - reading one font file image: the offset table and table directory (of
 * the file, or of each face of a collection), the name table with its record
 * selection, and the two OS/2 fields we use.
 *
 * Compiled without <windows.h>, natively as well (sanitizers, fuzzing), so it knows
 * nothing of files or code pages: the Win32 side (ttfread.cpp) hands it the bytes,
 * a way to read more of the file on demand, the system's locale identifier and a
 * converter from UTF-16 to the ANSI code page.  Callers: ttfread.cpp, the native
 * tests and the fuzz target.
 *
 * Every read goes through SfntImage: a read that does not lie wholly inside the
 * image yields 0 and sets `failed`; nothing outside the image is ever touched. */
#ifndef ZENVRIX_TTFCORE_H
#define ZENVRIX_TTFCORE_H

#include <stdint.h>

enum {
    kTtfTextSize = 300,          /* text members of the font record: 299 and a NUL */
    kTtfFaceSize = 32,           /* lfFaceName: 31 and a NUL */
    kTtfConvertedSize = 100,     /* a converted Unicode name keeps its first 100 bytes */
    kTtfUnicodeLengthLimit = 60000, /* Unicode strings of this many bytes or more are passed over */
    kSfntRangeSlots = 16         /* loaded byte ranges remembered per file */
};

/* sfnt versions that are read: 1.0 and the four letters "true"; "OTTO" (PostScript
 * outlines) only when OpenType files are asked for.  "ttcf" starts a collection. */
#define SFNT_VERSION_TRUETYPE 0x00010000u
#define SFNT_VERSION_TRUE     0x74727565u
#define SFNT_VERSION_OTTO     0x4F54544Fu
#define SFNT_TAG_COLLECTION   0x74746366u

/* The kinds of file a read takes.  A scan of .ttf files takes TrueType alone;
 * the "All fonts" scan takes all three. */
enum SfntKinds {
    SFNT_KIND_TRUETYPE = 1,      /* 1.0 or "true" */
    SFNT_KIND_OPENTYPE = 2,      /* "OTTO" */
    SFNT_KIND_COLLECTION = 4,    /* "ttcf" version 1 or 2, whose faces may be either */
    SFNT_KINDS_ALL = 7
};

enum {
    /* Faces read from one collection at most: real ones hold a few dozen, and a
     * forged count must not make a scan run for hours. */
    kSfntFaceLimit = 1024
};

struct SfntRange {
    uint32_t start;
    uint32_t end;                /* one past the last byte */
};

/* One file image.  File byte p lives at bytes[p] for every p below size.
 *
 * readAt NULL: the whole image is present.  Otherwise bytes are read from the file
 * when first needed, at their own offset in bytes[], in chunks of at least
 * `chunk` bytes; readAt returns how many bytes it read, or -1.  A read that gives
 * fewer bytes than asked sets ioFailed: the file is then unusable as a whole. */
struct SfntImage {
    unsigned char *bytes;
    uint32_t size;
    int failed;                  /* some read lay outside the image */
    int ioFailed;                /* the file could not be read */
    long (*readAt)(void *context, uint32_t pos, unsigned char *dest, uint32_t count);
    void *readContext;
    uint32_t chunk;
    SfntRange loaded[kSfntRangeSlots];
    int loadedCount;
    int lastLoaded;              /* the range that held the last read */
    uint32_t bytesRead;          /* statistics: bytes fetched through readAt */
    uint32_t reads;              /* statistics: calls of readAt */
};

/* An image whose bytes are all present. */
void SfntImageWhole(SfntImage *image, unsigned char *bytes, uint32_t size);
/* An image of `size` bytes read from a file on demand into bytes[]. */
void SfntImageOnDemand(SfntImage *image, unsigned char *bytes, uint32_t size,
                       long (*readAt)(void *, uint32_t, unsigned char *, uint32_t),
                       void *context, uint32_t chunk);

/* 1 when bytes [pos, pos + count) lie inside the image and are present (read now
 * if need be); 0 otherwise.  Does not set `failed`. */
int SfntHas(SfntImage *image, uint64_t pos, uint64_t count);
/* Big-endian reads; 0 and `failed` set when the bytes are not inside the image. */
unsigned SfntU16(SfntImage *image, uint64_t pos);
uint32_t SfntU32(SfntImage *image, uint64_t pos);

/* A tag such as "name" or "OS/2" as the big-endian number the directory holds. */
uint32_t SfntTag(const char *tag);

/* Finds a table through the file's directory (at offset 0) with the halving search of the format:
 * entrySelector, searchRange and rangeShift are computed from numTables, at most
 * entrySelector + 2 tags are compared.  Returns 1 and the table's offset from the
 * start of the file, or 0 when the version is not a TrueType one, the tag is not
 * found or the table starts outside the image. */
int FindSfntTable(SfntImage *image, const char *tag, uint32_t *tableOffset);
/* The same search through the table directory at `directory` (a face of a
 * collection), whatever its version. */
int FindSfntTableAt(SfntImage *image, uint32_t directory, const char *tag,
                    uint32_t *tableOffset);
/* The same with the table's length, cut to the bytes the image has after its start. */
int FindSfntTableSpan(SfntImage *image, uint32_t directory, const char *tag,
                      uint32_t *tableOffset, uint32_t *tableLength);

/* The faces of an image, read with `kinds`: a collection gives the faces whose
 * entry in its offset table lies inside the image (at most kSfntFaceLimit) and
 * sets *collection; anything else is one face at offset 0 (whose version
 * ReadSfntFace judges).  A collection that `kinds` does not take, or whose
 * version is not 1 or 2, has no faces. */
int SfntFaceCount(SfntImage *image, int kinds, int *collection);
/* The table directory of face `face` (0 for a single font); 0 when there is no
 * such entry. */
int SfntFaceDirectory(SfntImage *image, int face, uint32_t *directory);

/* What the Win32 side supplies. */
struct TtfPlatform {
    uint32_t systemLcid;         /* GetSystemDefaultLCID */
    /* Converts `count` UTF-16 code units (machine order) to the ANSI code page and
     * writes the first `outSize` bytes of the result (or all of it, if shorter) to
     * out, without a NUL; returns the number of bytes written (0 on failure). */
    int (*toAnsi)(void *context, const uint16_t *units, int count, char *out, int outSize);
    void *context;
    /* The ANSI code page is UTF-8 (the program's own, on Windows 10 1903 and
     * later): names are cut only between characters, and a converted name is
     * not cut to as many bytes as it has code units. */
    int utf8;
};

/* What one file gives: the texts of the name table and the OS/2 fields. */
struct TtfFontInfo {
    char faceName[kTtfFaceSize];     /* name id 1 */
    char copyright[kTtfTextSize];    /* 0 */
    char subfamily[kTtfTextSize];    /* 2 */
    char identifier[kTtfTextSize];   /* 3 */
    char fullName[kTtfTextSize];     /* 4 */
    char version[kTtfTextSize];      /* 5 */
    char trademark[kTtfTextSize];    /* 7 */
    unsigned weightClass;            /* OS/2 usWeightClass: lfWeight */
    unsigned fsSelection;            /* OS/2 fsSelection */
    int italic;                      /* fsSelection & 1: lfItalic */
    int underline;                   /* fsSelection & 2: lfUnderline */
    int strikeOut;                   /* fsSelection & 16: lfStrikeOut */
    int boldFlag;                    /* fsSelection & 32 */
    int postScriptOutlines;          /* sfnt version "OTTO" */
};

enum TtfResult {
    TTF_OK = 1,
    TTF_NOT_TRUETYPE = -1,       /* an sfnt version the read does not take (or no header) */
    TTF_NO_NAME_TABLE = -2,
    TTF_NO_OS2_TABLE = -3,
    TTF_UNREADABLE = -4          /* the file could not be read (image ioFailed) */
};

/* Reads names and OS/2 fields of one TrueType image into info (cleared first). */
TtfResult ReadSfntFont(SfntImage *image, const TtfPlatform *platform, TtfFontInfo *info);
/* The same for the face whose table directory lies at `directory`, taking the
 * sfnt versions `kinds` allows (a face inside a collection: TrueType or OTTO). */
TtfResult ReadSfntFace(SfntImage *image, uint32_t directory, int kinds,
                       const TtfPlatform *platform, TtfFontInfo *info);

/* Name ids taken and their rank of one Windows Unicode record: 1 for English (US),
 * 2 for the system's locale, 3 for both. */
int TtfNameRank(unsigned languageId, uint32_t systemLcid);

/* The bytes of text[0, length) to keep where at most `limit` fit: that many, but
 * with `utf8` set never so many that the text would end inside a UTF-8
 * sequence (a sequence left incomplete by an earlier cut is dropped as well). */
int TextCutLength(const char *text, int length, int limit, int utf8);
/* The position `count` characters after `pos` in text[0, length): bytes in a
 * single-byte code page, whole UTF-8 sequences with `utf8` set. */
int TextAdvance(const char *text, int pos, int length, int count, int utf8);

#endif
