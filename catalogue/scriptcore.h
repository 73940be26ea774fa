/* scriptcore.h - what a face that cannot draw the example text shows instead: a
 * sample in its own script, chosen from what its cmap maps (cmapcore.h).
 *
 * Compiled without <windows.h>, natively as well.  Texts are UTF-16 in machine
 * order.  Callers: facesample.cpp (the sample kept with each font record) and the
 * native tests. */
#ifndef ZENVRIX_SCRIPTCORE_H
#define ZENVRIX_SCRIPTCORE_H

#include <stdint.h>

#include "cmapcore.h"

enum {
    kOwnSampleSize = 40,         /* UTF-16 units of a sample, its NUL included */
    kOwnSampleLetters = 10,      /* letters of a script's sample at most */
    kScriptRangeCount = 4,
    kFirstCharacters = -1        /* the sample is the face's first characters */
};

struct ScriptRange {
    uint32_t first;
    uint32_t last;
};

struct ScriptSample {
    const char *name;
    uint16_t letters[kOwnSampleLetters + 1];   /* NUL-ended */
    uint32_t zero;                             /* its own digit zero; 0 when none */
    ScriptRange ranges[kScriptRangeCount];     /* its blocks; unused ones 0 ... 0 */
};

extern const ScriptSample scriptSamples[];
extern const int scriptSampleCount;

/* 1 when the face maps every character of text[0, count) but white space (surrogate
 * pairs taken as one character). */
int CmapMapsText(const CmapCoverage *coverage, const uint16_t *text, int count);

/* Writes the face's own sample, NUL-ended, into sample[size]: the letters of the
 * script whose sample the face maps whole and of whose blocks it maps most, a space
 * and the digits one, two and three in the script's own form or else the European
 * ones, as far as the face maps them; or, when it maps no script's sample whole,
 * its first characters in code point order without controls, spaces and other
 * invisible ones.  Returns the index in scriptSamples, or kFirstCharacters. */
int ChooseOwnSample(const CmapCoverage *coverage, uint16_t *sample, int size);

/* 1 for the code points a first-characters sample leaves out. */
int IsInvisibleCodePoint(uint32_t codePoint);

#endif
