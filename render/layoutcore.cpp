/* layoutcore.cpp - the arithmetic of the grid geometry: ComputeLayoutFrom turns the
 * window and sheet sizes, the resolutions, the margins and the view options into a
 * PageLayout.
 *
 * Pure arithmetic over its inputs: no <windows.h>, no globals, no allocation.  It is
 * built into the program (render/layout.cpp gathers the inputs and calls it) and
 * natively for its unit tests, and must give the same numbers to the last bit in
 * both.  The rules fix which values are held in single precision; everything else
 * is double precision, and a pixel count is truncated toward zero unless floor or
 * ceiling is named. */
#include "layout.h"

#include <math.h>
#include <string.h>

/* A fused multiply-add would skip a rounding the rules count on. */
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(_MSC_VER)
#pragma fp_contract(off)
#endif

/* Single-precision constants of the wrapping and offset rules. */
static const float kFiveNinths = (float)(5.0 / 9.0);           /* 0.5555556 */
static const float kTenThirteenths = (float)(10.0 / 13.0);     /* 0.7692308 */
static const float kOneThirtieth = (float)(1.0 / 30.0);        /* 0.0333333 */
static const float kWrapCurve = (float)(1.0 / 462.25);         /* 0.0021633315, 1 / 21.5^2 */
static const float kWrapSlope = 0.00125f;
/* Double-precision factors. */
static const double kPerPoint = 1.0 / 72.0;
static const double kTenthInch = 0.1;

static const int kIntMax = 2147483647;

/* Truncation toward zero that stays defined for any input: NaN gives 0, values
 * beyond the int range give its ends (huge margins, zero divisors). */
static int TruncToInt(double value)
{
    if (value != value)
        return 0;
    if (value >= 2147483647.0)
        return kIntMax;
    if (value <= -2147483648.0)
        return -kIntMax - 1;
    return (int)value;
}

/* floor(numerator / denominator), at least 1; 1 as well when the quotient means
 * nothing (a divisor that is not positive). */
static int FloorQuotientAtLeastOne(double numerator, double denominator)
{
    if (!(denominator > 0))
        return 1;
    int rows = TruncToInt(floor(numerator / denominator));
    return rows > 1 ? rows : 1;
}

/* pt points at resolution dpi, in pixels; k points likewise. */
static double PointsToPixels(int dpi, double points)
{
    return dpi * points * kPerPoint;
}

/* Label size in points for a sample size. */
static int LabelPoints(int pointSize)
{
    return 7 + 2 * (pointSize > 30) + (pointSize > 22) + (pointSize > 15) - (pointSize <= 8) -
           (pointSize <= 6);
}

/* Characters of a one-line text per cell line: the column width in points with a
 * curve that narrows the middle sizes, then the small and large size corrections. */
static int CharsPerLine(int width, int columns, int widthDpi, int pointSize)
{
    double w = ((double)width / columns * 72) / widthDpi;
    double a = w * kOneThirtieth;
    double bend = (pointSize - 27.5) * (pointSize - 27.5);
    double z = (110 - 2 * (pointSize - 6)) * w * kWrapSlope + bend * (a * kWrapCurve) - a;
    if (!(z > 1))
        z = 1;
    int chars = TruncToInt(z);
    if (pointSize < 10)
        chars = TruncToInt((1 - (pointSize - 10) * 0.15) * chars);
    if (pointSize > 43)
        chars = TruncToInt(chars / ((pointSize - 43) * 0.05 + 1));
    return chars > 1 ? chars : 1;
}

/* A font height of at least one pixel, negative (character height). */
static int FontHeight(double pixels)
{
    if (!(pixels > 1))
        pixels = 1;
    return -TruncToInt(pixels);
}

int ComputeLayoutFrom(const LayoutInputs *in, PageLayout *layout)
{
    PageLayout L;
    memset(&L, 0, sizeof L);
    L.valid = 1;
    int n = in->columns > 0 ? in->columns : 1;
    int pt = in->pointSize;
    double ls = in->labelScale;

    /* 1. client and sheet */
    L.clientWidth = in->clientWidth;
    L.clientHeight = in->clientHeight;
    L.sheetWidth = in->printerKnown ? in->pageWidth : in->clientWidth;
    L.sheetHeight = in->printerKnown ? in->pageHeight : in->clientHeight;
    L.screenDpiX = in->screenDpiX;
    L.screenDpiY = in->screenDpiY;
    L.sheetDpiX = in->printerKnown ? in->dpiX : in->screenDpiX;
    L.sheetDpiY = in->printerKnown ? in->dpiY : in->screenDpiY;

    /* 2. margins in sheet pixels */
    double marginLeft = in->marginLeft, marginRight = in->marginRight;
    double marginTop = in->marginTop, marginBottom = in->marginBottom;
    L.sheetMarginLeft = TruncToInt(L.sheetDpiX * marginLeft * kTenthInch);
    L.sheetMarginTop = TruncToInt(L.sheetDpiY * marginTop * kTenthInch);
    L.sheetUsableWidth =
        TruncToInt(L.sheetWidth - (marginRight + marginLeft) * L.sheetDpiX * kTenthInch);
    L.sheetUsableHeight =
        TruncToInt(L.sheetHeight - (marginBottom + marginTop) * L.sheetDpiY * kTenthInch);
    int screenUsableHeight =
        TruncToInt(L.clientHeight - (marginBottom + marginTop) * L.screenDpiY * kTenthInch);

    /* 3. target: printer sheet, preview of the sheet, or the screen */
    int textWidth, pageHeight, fontDpi, widthDpi;
    if (in->printing) {
        L.originX = L.sheetMarginLeft;
        L.originY = L.sheetMarginTop;
        L.areaWidth = L.sheetWidth;
        L.areaHeight = L.sheetHeight;
        L.scaleX = 1;
        L.scaleY = 1;
        textWidth = L.sheetUsableWidth;
        pageHeight = L.sheetUsableHeight;
        fontDpi = L.sheetDpiY;
        widthDpi = L.sheetDpiX;
        L.viewHeight = screenUsableHeight;
    } else if (in->preview) {
        /* A window or sheet without width has no scale: nothing may be drawn from it. */
        if (L.clientWidth > 0 && L.sheetWidth > 0 && L.sheetDpiY > 0) {
            L.scaleX = (float)((double)L.clientWidth / L.sheetWidth);
            L.scaleY = (float)((double)L.scaleX * L.sheetDpiX / L.sheetDpiY);
        } else {
            L.valid = 0;
        }
        L.originX = TruncToInt((double)L.scaleX * L.sheetMarginLeft);
        L.originY = 0;
        L.areaWidth = L.sheetWidth;
        L.areaHeight = L.sheetHeight;
        textWidth = L.sheetUsableWidth;
        pageHeight = L.sheetUsableHeight;
        fontDpi = L.sheetDpiY;
        widthDpi = L.sheetDpiX;
        L.viewHeight = L.clientHeight;
    } else {
        L.originX = 2;
        L.originY = 0;
        L.areaWidth = L.clientWidth;
        L.areaHeight = L.clientHeight;
        L.scaleX = 1;
        L.scaleY = 1;
        textWidth = L.clientWidth;
        pageHeight = screenUsableHeight;
        fontDpi = L.screenDpiY;
        widthDpi = L.screenDpiX;
        L.viewHeight = L.clientHeight;
    }
    if (fontDpi <= 0 || widthDpi <= 0 || !(L.scaleY > 0))
        L.valid = 0;
    double scaleX = L.scaleX, scaleY = L.scaleY;
    L.gridWidth = TruncToInt(textWidth * scaleX);
    L.scaledDpiY = TruncToInt(fontDpi * scaleY);

    /* 4. characters per line of a wrapped text */
    L.charsPerLine = widthDpi > 0 ? CharsPerLine(textWidth, n, widthDpi, pt) : 1;

    /* 5. the sample text */
    const char *text = in->sampleText != 0 ? in->sampleText : "";
    L.textLength = in->sampleText != 0 ? in->textLength : 0;
    int lineFeeds = 0;
    for (int i = 0; i < L.textLength; i++)
        if (text[i] == 10)
            lineFeeds++;
    if (lineFeeds > 0) {
        L.multiLineText = 1;
        L.linesPerCell = (lineFeeds + 1) + 1;
    } else {
        L.multiLineText = 0;
        L.linesPerCell = (L.textLength - 1) / L.charsPerLine + 2;
    }

    /* 6. vertical metrics of a cell */
    double sample = PointsToPixels(fontDpi, pt);
    double onePoint = PointsToPixels(fontDpi, 1);
    double twoPoints = PointsToPixels(fontDpi, 2);
    float u = (float)(sample + twoPoints);
    L.lineHeight = (float)(u * scaleY);
    double sheetSample = PointsToPixels(L.sheetDpiY, pt);
    L.sheetLineHeight = (float)(sheetSample + PointsToPixels(L.sheetDpiY, 2));
    L.labelOffset = TruncToInt(
        (sample * kTenThirteenths - onePoint * (1 - (1 - ls) * 8) - onePoint) * scaleY);
    double topOffset = sample * kFiveNinths - onePoint * (1 - 2 * (1 - ls)) - twoPoints;
    float t = (float)topOffset;
    L.cellTopOffset = TruncToInt(topOffset * scaleY);
    L.sheetCellTopOffset =
        TruncToInt(sheetSample * kFiveNinths -
                   PointsToPixels(L.sheetDpiY, 1) * (1 - 2 * (1 - ls)) -
                   PointsToPixels(L.sheetDpiY, 2));

    /* 7. font heights */
    L.labelFontHeight = FontHeight(PointsToPixels(fontDpi, LabelPoints(pt)) * scaleY * ls);
    L.sampleFontHeight = FontHeight(sample * scaleY);

    /* 8. rows and cells */
    L.cellHeight = (float)(L.linesPerCell * (double)u * scaleY);
    L.sheetCellHeight = (float)(L.linesPerCell * (double)L.sheetLineHeight);
    L.rowsPerPage = FloorQuotientAtLeastOne(pageHeight - (double)t, L.linesPerCell * (double)u);
    L.visibleRows =
        FloorQuotientAtLeastOne((double)L.viewHeight - L.cellTopOffset, (double)L.cellHeight);
    L.sheetRowsPerPage = FloorQuotientAtLeastOne((double)L.sheetUsableHeight - L.sheetCellTopOffset,
                                                 (double)L.sheetCellHeight);
    L.cellWidth = (float)((double)textWidth / n * scaleX);

    /* 9. printed pages */
    double count = in->fontCount > 0 ? in->fontCount : 0;
    L.totalRows = TruncToInt(ceil(count / n));
    L.pageCount = TruncToInt(ceil((double)L.totalRows / L.sheetRowsPerPage));
    L.lastPageFill = TruncToInt(
        (1 - (L.pageCount - (double)L.totalRows / L.sheetRowsPerPage)) * 100);

    *layout = L;
    return L.lastPageFill;
}
