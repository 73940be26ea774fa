/* blockcore.h - the Unicode block a code point belongs to, by the block names of
 * Unicode 15.0.
 *
 * Pure data and a lookup, without <windows.h>, so it is built natively as well.
 * Used by the character map window (app/charmap.cpp) for its status bar. */
#ifndef ZENVRIX_BLOCKCORE_H
#define ZENVRIX_BLOCKCORE_H

#include <stdint.h>

struct UnicodeBlock {
    uint32_t first;
    uint32_t last;
    const char *name;
};

/* The block holding codePoint, or NULL when it lies between blocks (or above
 * U+10FFFF). */
const UnicodeBlock *FindUnicodeBlock(uint32_t codePoint);
/* The table itself, in code point order, and its length (for the tests). */
const UnicodeBlock *UnicodeBlocks(int *count);

#endif
