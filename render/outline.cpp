/* outline.cpp - the sample text of a face with PostScript (CFF) outlines on a printer
 * page, drawn as the face's own glyph outlines instead of as text.
 *
 * Wine's PostScript printer driver faults as soon as text is drawn in such a font,
 * so the font never reaches the printer context.  It is selected into a memory
 * context of the screen instead, where each glyph's outline is read with
 * GetGlyphOutlineA at the size the LOGFONTA gives in printer pixels; the glyph is
 * placed where TextOutA would place it (advanced by its own advance width, the
 * baseline the font's ascent below the line's top) and its contours, curves
 * flattened, are filled in the printer's text colour as polygons with the nonzero
 * winding rule, one PolyPolygon per line.
 *
 * BeginOutlineText and EndOutlineText frame one cell; between them OutlineTextOut
 * stands in for TextOutA.  Everything made for the cell (memory context, font,
 * brush, pen, point buffers) is deselected and deleted by EndOutlineText.  Used by
 * the cell renderer (cell.cpp) alone. */
#include "draw.h"
#include "../catalogue/fontfiles.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

/* The largest distance that a flattened curve may lie from the true one: a quarter
 * of a 600-dpi dot (1/2400 inch), and never less than a quarter of a device pixel,
 * since the printer driver takes corners in whole device pixels and a finer step
 * could not reach the paper.  Every further corner costs time: the driver writes
 * each one out. */
static const double kFlatnessPixels = 0.25;
static const double kFlatnessInches = 1.0 / 2400;
static const int kMaxSegments = 256;
/* Points of one curve record; a PostScript face's records hold three. */
static const int kMaxCurvePoints = 256;

struct Vector {
    double x, y;
};

/* One cell's outline drawing: the contexts, the objects made for it, and the
 * points of the line being built (contour lengths in contours). */
struct OutlineCell {
    HDC target;
    HDC memory;
    HFONT font;
    HGDIOBJ previousFont;
    HBRUSH brush;
    HPEN pen;
    HGDIOBJ previousBrush;
    HGDIOBJ previousPen;
    int previousFillMode;
    int selected;                /* brush and pen are in the target */
    int ascent;
    double flatness;             /* in device pixels */
    POINT *points;
    int pointCount, pointRoom;
    INT *contours;
    int contourCount, contourRoom;
    BYTE *glyph;
    int glyphRoom;
    WORD *glyphs;
    int glyphsRoom;
};

static OutlineCell cell;

/* Makes room for `need` items of `unit` bytes in a heap block, doubling it. */
static int Reserve(void **block, int *room, int need, size_t unit)
{
    if (need <= *room)
        return 1;
    int size = *room > 0 ? *room : 64;
    while (size < need)
        size *= 2;
    void *larger = realloc(*block, (size_t)size * unit);
    if (larger == NULL)
        return 0;
    *block = larger;
    *room = size;
    return 1;
}

static int StartContour(void)
{
    if (!Reserve((void **)&cell.contours, &cell.contourRoom, cell.contourCount + 1,
                 sizeof *cell.contours))
        return 0;
    cell.contours[cell.contourCount++] = 0;
    return 1;
}

/* Adds a corner in device pixels.  The printer driver writes every corner out, so
 * one that repeats the last or lies straight on from the two before is merged. */
static int AddPoint(Vector p)
{
    if (!Reserve((void **)&cell.points, &cell.pointRoom, cell.pointCount + 1,
                 sizeof *cell.points))
        return 0;
    POINT next = {(LONG)floor(p.x + 0.5), (LONG)floor(p.y + 0.5)};
    INT *corners = &cell.contours[cell.contourCount - 1];
    POINT *end = cell.points + cell.pointCount;
    if (*corners >= 1 && end[-1].x == next.x && end[-1].y == next.y)
        return 1;
    if (*corners >= 2) {
        LONG ax = end[-1].x - end[-2].x, ay = end[-1].y - end[-2].y;
        LONG bx = next.x - end[-1].x, by = next.y - end[-1].y;
        if (ax * by == ay * bx && ax * bx + ay * by > 0) {
            end[-1] = next;
            return 1;
        }
    }
    *end = next;
    cell.pointCount++;
    (*corners)++;
    return 1;
}

/* A cubic Bezier from p0 (already added) to p3, cut into as many straight pieces
 * as keep every piece within the flatness of the curve: the error of n even steps is
 * at most 3/4 of the control polygon's largest second difference over n squared. */
static int AddCubic(Vector p0, Vector p1, Vector p2, Vector p3)
{
    double bend = fmax(hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                       hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
    int steps = (int)ceil(sqrt(0.75 * bend / cell.flatness));
    steps = steps < 1 ? 1 : (steps > kMaxSegments ? kMaxSegments : steps);
    for (int i = 1; i <= steps; i++) {
        double t = (double)i / steps, s = 1 - t;
        double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        Vector p = {a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                    a * p0.y + b * p1.y + c * p2.y + d * p3.y};
        if (!AddPoint(p))
            return 0;
    }
    return 1;
}

/* A quadratic Bezier, raised to the cubic of the same curve. */
static int AddQuadratic(Vector p0, Vector p1, Vector p2)
{
    Vector c1 = {p0.x + 2.0 / 3 * (p1.x - p0.x), p0.y + 2.0 / 3 * (p1.y - p0.y)};
    Vector c2 = {p2.x + 2.0 / 3 * (p1.x - p2.x), p2.y + 2.0 / 3 * (p1.y - p2.y)};
    return AddCubic(p0, c1, c2, p2);
}

/* A curve record's points on the page.  Wine hands the cubic curves of a
 * PostScript face as TT_PRIM_QSPLINE records of three points each (two control
 * points and the end), where Windows says TT_PRIM_CSPLINE: any record whose
 * length is a multiple of three is taken as cubic curves, as the face has no
 * others; a longer quadratic spline has its implied on-curve midpoints. */
static int AddCurve(WORD type, const Vector *p, int count, Vector *last)
{
    int ok = 1;
    if (type == TT_PRIM_LINE || count < 2) {
        for (int i = 0; i < count && ok; i++)
            ok = AddPoint(p[i]);
    } else if (count % 3 == 0) {
        for (int i = 0; i < count && ok; i += 3) {
            ok = AddCubic(*last, p[i], p[i + 1], p[i + 2]);
            *last = p[i + 2];
        }
    } else {
        for (int i = 0; i + 1 < count && ok; i++) {
            Vector end = p[i + 1];
            if (i + 2 < count)
                end.x = (p[i].x + p[i + 1].x) / 2, end.y = (p[i].y + p[i + 1].y) / 2;
            ok = AddQuadratic(*last, p[i], end);
            *last = end;
        }
    }
    if (count > 0)
        *last = p[count - 1];
    return ok;
}

static Vector Place(const POINTFX *point, double originX, double baseline)
{
    Vector p = {originX + point->x.value + point->x.fract / 65536.0,
                baseline - (point->y.value + point->y.fract / 65536.0)};
    return p;
}

/* Adds the contours of one glyph outline (GGO_NATIVE data of `size` bytes) with its
 * origin at originX on the baseline.  A record that does not fit its span makes
 * the whole glyph unreadable: what it added is taken back and 0 returned. */
static int AddGlyph(const BYTE *data, DWORD size, double originX, double baseline)
{
    int points = cell.pointCount, contours = cell.contourCount;
    Vector curve[kMaxCurvePoints];
    DWORD at = 0;
    while (at < size) {
        TTPOLYGONHEADER header;
        if (sizeof header > size - at)
            goto unreadable;
        memcpy(&header, data + at, sizeof header);
        if (header.cb < sizeof header || header.cb > size - at || !StartContour())
            goto unreadable;
        Vector last = Place(&header.pfxStart, originX, baseline);
        if (!AddPoint(last))
            goto unreadable;
        DWORD end = at + header.cb;
        for (DWORD c = at + sizeof header; c < end;) {
            WORD type, count;
            if (4 > end - c)
                goto unreadable;
            memcpy(&type, data + c, 2);
            memcpy(&count, data + c + 2, 2);
            c += 4;
            if ((DWORD)count * sizeof(POINTFX) > end - c || count > kMaxCurvePoints)
                goto unreadable;
            for (int i = 0; i < count; i++, c += sizeof(POINTFX)) {
                POINTFX point;
                memcpy(&point, data + c, sizeof point);
                curve[i] = Place(&point, originX, baseline);
            }
            if (!AddCurve(type, curve, count, &last))
                goto unreadable;
        }
        /* Fewer than three corners enclose nothing. */
        if (cell.contours[cell.contourCount - 1] < 3)
            cell.pointCount -= cell.contours[--cell.contourCount];
        at = end;
    }
    return 1;
unreadable:
    cell.pointCount = points;
    cell.contourCount = contours;
    return 0;
}

int BeginOutlineText(HDC target, const LOGFONTA *face)
{
    ZeroMemory(&cell, sizeof cell);
    cell.target = target;
    cell.memory = CreateCompatibleDC(NULL);
    cell.font = CreateFontIndirectA(face);
    TEXTMETRICA metrics;
    if (cell.memory == NULL || cell.font == NULL) {
        EndOutlineText();
        return 0;
    }
    cell.previousFont = SelectObject(cell.memory, cell.font);
    if (!GetTextMetricsA(cell.memory, &metrics)) {
        EndOutlineText();
        return 0;
    }
    cell.ascent = metrics.tmAscent;
    cell.flatness = fmax(kFlatnessPixels, GetDeviceCaps(target, LOGPIXELSY) * kFlatnessInches);
    /* The printer context's own brush is white: the cell brings its own, in the
     * colour text would have. */
    cell.brush = CreateSolidBrush(GetTextColor(target));
    cell.pen = CreatePen(PS_NULL, 0, 0);
    if (cell.brush == NULL || cell.pen == NULL) {
        EndOutlineText();
        return 0;
    }
    cell.previousBrush = SelectObject(target, cell.brush);
    cell.previousPen = SelectObject(target, cell.pen);
    cell.previousFillMode = SetPolyFillMode(target, WINDING);
    cell.selected = 1;
    return 1;
}

/* Fills the outlines of the first glyphCount glyphs of cell.glyphs, the pen
 * starting at x. */
static void FillGlyphs(int x, int y, UINT glyphCount)
{
    static const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    int penX = x;
    for (UINT i = 0; i < glyphCount; i++) {
        const UINT format = GGO_NATIVE | GGO_GLYPH_INDEX;
        GLYPHMETRICS metrics;
        DWORD size = GetGlyphOutlineA(cell.memory, cell.glyphs[i], format, &metrics, 0, NULL,
                                      &identity);
        if (size == GDI_ERROR)
            continue;
        if (size > 0 && size < 0x1000000 &&
            Reserve((void **)&cell.glyph, &cell.glyphRoom, (int)size, 1) &&
            GetGlyphOutlineA(cell.memory, cell.glyphs[i], format, &metrics, size, cell.glyph,
                             &identity) == size)
            AddGlyph(cell.glyph, size, penX, y + cell.ascent);
        penX += metrics.gmCellIncX;
    }
    if (cell.contourCount > 0)
        PolyPolygon(cell.target, cell.points, cell.contours, cell.contourCount);
    cell.pointCount = cell.contourCount = 0;
}

/* The characters become glyphs as the text path makes them; a character the face
 * lacks becomes its default glyph, and right-to-left runs are put in their order. */
void OutlineTextOutW(int x, int y, const WCHAR *text, int count)
{
    if (count <= 0 || !Reserve((void **)&cell.glyphs, &cell.glyphsRoom, count,
                               sizeof *cell.glyphs))
        return;
    GCP_RESULTSW results;
    ZeroMemory(&results, sizeof results);
    results.lStructSize = sizeof results;
    results.lpGlyphs = (LPWSTR)cell.glyphs;
    results.nGlyphs = (UINT)count;
    if (GetCharacterPlacementW(cell.memory, text, count, 0, &results, GCP_REORDER) != 0)
        FillGlyphs(x, y, results.nGlyphs);
}

void OutlineGlyphsOut(int x, int y, const WORD *glyphs, int count)
{
    if (count > 0 && Reserve((void **)&cell.glyphs, &cell.glyphsRoom, count, sizeof *cell.glyphs)) {
        memcpy(cell.glyphs, glyphs, (size_t)count * sizeof *cell.glyphs);
        FillGlyphs(x, y, (UINT)count);
    }
}

/* Through the font's code page, or from the UTF-16 form where UTF-8 is the
 * program's code page. */
void OutlineTextOut(int x, int y, const char *text, int count)
{
    if (AnsiIsUtf8()) {
        WCHAR wide[1024];
        int n = MultiByteToWideChar(CP_UTF8, 0, text, count, wide, (int)(sizeof wide / sizeof wide[0]));
        OutlineTextOutW(x, y, wide, n);
        return;
    }
    if (count <= 0 || !Reserve((void **)&cell.glyphs, &cell.glyphsRoom, count,
                               sizeof *cell.glyphs))
        return;
    GCP_RESULTSA results;
    ZeroMemory(&results, sizeof results);
    results.lStructSize = sizeof results;
    results.lpGlyphs = (LPWSTR)cell.glyphs;
    results.nGlyphs = (UINT)count;
    if (GetCharacterPlacementA(cell.memory, text, count, 0, &results, 0) != 0)
        FillGlyphs(x, y, results.nGlyphs);
}

void EndOutlineText(void)
{
    if (cell.selected) {
        SetPolyFillMode(cell.target, cell.previousFillMode);
        SelectObject(cell.target, cell.previousPen);
        SelectObject(cell.target, cell.previousBrush);
    }
    if (cell.previousFont != NULL)
        SelectObject(cell.memory, cell.previousFont);
    if (cell.font != NULL)
        DeleteObject(cell.font);
    if (cell.memory != NULL)
        DeleteDC(cell.memory);
    if (cell.brush != NULL)
        DeleteObject(cell.brush);
    if (cell.pen != NULL)
        DeleteObject(cell.pen);
    free(cell.points);
    free(cell.contours);
    free(cell.glyph);
    free(cell.glyphs);
    ZeroMemory(&cell, sizeof cell);
}
