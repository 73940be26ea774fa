/* cmapcore.h - which characters a face maps: its cmap table read into a sorted list
 * of runs of code points with their glyphs.
 *
 * Compiled without <windows.h>, natively as well (sanitizers, fuzzing).  The caller
 * hands it the bytes of one cmap table: from the font file (facesample.cpp, through
 * the file image of ttfread.cpp) or from GetFontData (an installed face, the
 * character map window).  Every read goes through a checked image over exactly
 * those bytes, so nothing outside the table is ever touched; a subtable that does
 * not fit gives way to the next one the face has. */
#ifndef ZENVRIX_CMAPCORE_H
#define ZENVRIX_CMAPCORE_H

#include <stdint.h>

/* Code points first ... last (inclusive) map to glyphs glyph, glyph + 1, ... (step
 * 1) or all to glyph (step 0).  `before` counts the code points of the runs
 * before this one. */
struct CmapRun {
    uint32_t first;
    uint32_t last;
    uint32_t glyph;
    uint32_t step;
    uint32_t before;
};

/* The runs in code point order, none overlapping, no code point of glyph 0. */
struct CmapCoverage {
    CmapRun *runs;
    int count;
    int capacity;
    int format;                  /* the format of the subtable read */
    int symbol;                  /* it is the Windows symbol subtable (3,0) */
    uint32_t characters;         /* code points mapped */
};

enum CmapResult {
    CMAP_OK = 1,
    CMAP_NO_SUBTABLE = -1,       /* no Unicode or symbol subtable of a format read */
    CMAP_NO_MEMORY = -2
};

enum {
    kCmapLastCodePoint = 0x10FFFF,
    kCmapTableLimit = 16 * 1024 * 1024   /* larger tables are not read */
};

/* Reads the best subtable of the table (a full Unicode one, then a BMP one, then
 * the symbol one; formats 0, 4, 6, 12 and 13) into coverage, which it clears
 * first.  On failure the coverage is empty. */
CmapResult ReadCmapCoverage(const unsigned char *table, uint32_t size, CmapCoverage *coverage);
void FreeCmapCoverage(CmapCoverage *coverage);

/* The run holding codePoint, or -1. */
int CmapFindRun(const CmapCoverage *coverage, uint32_t codePoint);
/* The glyph of codePoint; 0 when the face does not map it. */
uint32_t CmapGlyph(const CmapCoverage *coverage, uint32_t codePoint);
/* Mapped code points within first ... last. */
uint32_t CmapCountIn(const CmapCoverage *coverage, uint32_t first, uint32_t last);
/* The index-th mapped code point in code point order (index < characters). */
uint32_t CmapCodePointAt(const CmapCoverage *coverage, uint32_t index);
/* The position of codePoint among the mapped ones; -1 when it is not mapped. */
int64_t CmapIndexOf(const CmapCoverage *coverage, uint32_t codePoint);

#endif
