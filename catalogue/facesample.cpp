/* facesample.cpp - what a font record keeps of its face's cmap: whether the face
 * maps the two example texts, and the sample in its own script that stands in for
 * them where it does not (cmapcore.h, scriptcore.h).
 *
 * A font file gives its cmap while it is read (ttfread.cpp); an installed face, or
 * any record read without one, gives it through GetFontData the first time its
 * cell is drawn (render/cell.cpp).  Either way it is read once per record. */
#include "fontfiles.h"

#include <stdlib.h>
#include <string.h>

#include "../app/settings.h"
#include "cmapcore.h"
#include "scriptcore.h"

/* The table tag as GetFontData takes it: the bytes in file order. */
static const DWORD kCmapTag = 0x70616D63;

/* A sample of the face's first characters is drawn by glyph: they need no shaping,
 * and GDI draws characters beyond the basic plane that way whatever it does with
 * their surrogate pairs.  Its glyphs, one per code point. */
static void TakeGlyphs(const CmapCoverage *coverage, FaceSample *sample)
{
    const WCHAR *text = sample->text;
    int n = 0;
    for (int i = 0; text[i] != 0; i++) {
        uint32_t c = text[i];
        if (IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        uint32_t glyph = CmapGlyph(coverage, c);
        if (glyph > 0xFFFF)
            return;
        sample->glyphs[n++] = (WORD)glyph;
    }
    sample->glyphCount = n;
}

/* 1 when coverage maps every character of an example text but its spaces. */
static int MapsExample(const CmapCoverage *coverage, const char *text)
{
    WCHAR wide[SHORT_TEXT_SIZE];
    int n = MultiByteToWideChar(CP_ACP, 0, text, lstrlenA(text), wide, SHORT_TEXT_SIZE);
    return n <= 0 || CmapMapsText(coverage, (const uint16_t *)wide, n);
}

/* Until a cmap says otherwise, the face keeps the example text. */
static void NoSample(FaceSample *sample)
{
    memset(sample, 0, sizeof *sample);
    sample->state = SAMPLE_NO_CMAP;
}

void TakeSampleFromTable(const unsigned char *table, uint32_t size, FaceSample *sample)
{
    CmapCoverage coverage;
    NoSample(sample);
    if (ReadCmapCoverage(table, size, &coverage) != CMAP_OK)
        return;
    sample->state = SAMPLE_READ;
    /* A symbol face draws its symbols for the example text. */
    if (!coverage.symbol) {
        if (ChooseOwnSample(&coverage, (uint16_t *)sample->text, kOwnSampleSize) ==
            kFirstCharacters)
            TakeGlyphs(&coverage, sample);
        if (sample->text[0] != 0) {
            sample->lacks |= MapsExample(&coverage, settings.shortText) ? 0 : LACKS_SHORT_TEXT;
            sample->lacks |= MapsExample(&coverage, settings.fullText) ? 0 : LACKS_FULL_TEXT;
        }
    }
    FreeCmapCoverage(&coverage);
}

void TakeSampleFromImage(SfntImage *image, uint32_t directory, FaceSample *sample)
{
    uint32_t offset = 0;
    uint32_t length = 0;
    NoSample(sample);
    if (!FindSfntTableSpan(image, directory, "cmap", &offset, &length) ||
        length > kCmapTableLimit || !SfntHas(image, offset, length))
        return;
    TakeSampleFromTable(image->bytes + offset, length, sample);
}

void TakeSampleFromFace(const LOGFONTA *face, FaceSample *sample)
{
    NoSample(sample);
    HDC dc = CreateCompatibleDC(NULL);
    HFONT font = CreateFontIndirectA(face);
    HGDIOBJ previous = SelectObject(dc, font);
    DWORD size = GetFontData(dc, kCmapTag, 0, NULL, 0);
    unsigned char *table = NULL;
    if (size != GDI_ERROR && size > 0 && size <= kCmapTableLimit)
        table = (unsigned char *)malloc(size);
    if (table != NULL && GetFontData(dc, kCmapTag, 0, table, size) == size)
        TakeSampleFromTable(table, size, sample);
    free(table);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
}
