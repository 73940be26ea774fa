/* layout_test.cpp - the grid geometry arithmetic (ComputeLayoutFrom) for the screen,
 * the preview and a printer sheet.  Built natively (under the sanitizers) and in the
 * cross build (run under Wine): both must give the same numbers to the last bit, so
 * every float is compared exactly.  Needs only render/layout.h and the core library. */
#include <gtest/gtest.h>

#include <string.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "render/layout.h"

namespace {

/* The defaults of a fresh start on an 800 x 600 client at 96 dpi, no printer. */
LayoutInputs ScreenDefaults(void)
{
    LayoutInputs in = {800, 600, 96, 96,  /* client size, screen dpi */
                       0, 100, 100, 1, 1, /* printer known, page size, its dpi */
                       0, 0, 4, 4, 2, 10, /* printing, preview, margins left right top bottom */
                       3, 15, 1.0f, "Example-TEXT123", 15, 0};
    return in;
}

/* An A4 sheet at 600 dpi from the default printer. */
LayoutInputs WithPrinter(int printing, int preview)
{
    LayoutInputs in = ScreenDefaults();
    in.printerKnown = 1;
    in.pageWidth = 4960;
    in.pageHeight = 7016;
    in.dpiX = in.dpiY = 600;
    in.printing = printing;
    in.preview = preview;
    return in;
}

LayoutInputs WithText(const char *text)
{
    LayoutInputs in = ScreenDefaults();
    in.sampleText = text;
    in.textLength = (int)strlen(text);
    return in;
}

/* The layout of these inputs, the same whatever the struct held before. */
PageLayout Compute(const LayoutInputs &in)
{
    PageLayout layout, fresh;
    memset(&layout, 0x5A, sizeof layout);
    memset(&fresh, 0, sizeof fresh);
    int fill = ComputeLayoutFrom(&in, &layout);
    EXPECT_EQ(layout.lastPageFill, fill);
    ComputeLayoutFrom(&in, &fresh);
    EXPECT_EQ(0, memcmp(&layout, &fresh, sizeof layout));
    return layout;
}

/* Golden figures of a layout, each named in a failure; FIELD reads the layout `L`
 * in scope.  Floats are given as float literals, so the comparison stays exact. */
struct Expected { const char *name; double value, actual; };
#define FIELD(name, value) Expected{#name, (double)(value), (double)L.name}

void ExpectLayout(std::initializer_list<Expected> fields)
{
    for (const Expected &field : fields)
        EXPECT_EQ(field.value, field.actual) << field.name;
}

TEST(ScreenLayout, DefaultsOnAn800By600ClientAt96Dpi)
{
    PageLayout L = Compute(ScreenDefaults());
    ExpectLayout({FIELD(valid, 1), FIELD(charsPerLine, 18), FIELD(multiLineText, 0),
                  FIELD(linesPerCell, 2), FIELD(lineHeight, 22.666666f),
                  FIELD(cellHeight, 45.333332f), FIELD(cellWidth, 266.66666f),
                  FIELD(labelOffset, 12), FIELD(cellTopOffset, 7), FIELD(labelFontHeight, -9),
                  FIELD(sampleFontHeight, -20), FIELD(visibleRows, 13), FIELD(rowsPerPage, 10),
                  FIELD(originX, 2), FIELD(originY, 0), FIELD(gridWidth, 800),
                  FIELD(areaWidth, 800), FIELD(areaHeight, 600), FIELD(scaleX, 1.0f),
                  FIELD(scaleY, 1.0f), FIELD(scaledDpiY, 96), FIELD(viewHeight, 600)});
    /* without printer metrics the sheet is the client window itself */
    ExpectLayout({FIELD(sheetWidth, 800), FIELD(sheetHeight, 600), FIELD(sheetDpiX, 96),
                  FIELD(sheetDpiY, 96), FIELD(sheetMarginLeft, 38), FIELD(sheetMarginTop, 19),
                  FIELD(sheetUsableWidth, 723), FIELD(sheetUsableHeight, 484),
                  FIELD(sheetRowsPerPage, 10), FIELD(sheetCellTopOffset, 7),
                  FIELD(sheetCellHeight, 45.333332f)});
}

TEST(ScreenLayout, PageFiguresCountRowsAndTheLastSheetsFill)
{
    /* ten rows of three per sheet; 0.3999... x 100 truncates to 39, not 40; one row
     * more than a sheet holds makes a second sheet holding one row of ten; margins
     * larger than the sheet still leave one row per page */
    const struct { int fonts, margins, perSheet, rows, pages, fill; } cases[] = {
        {100, 0, 10, 34, 4, 39}, {30, 0, 10, 10, 1, 100},   {31, 0, 10, 11, 2, 10},
        {0, 0, 10, 0, 0, 100},   {100, 400, 1, 34, 34, 100}}; /* margins 0: the defaults */
    for (auto c : cases) {
        LayoutInputs in = ScreenDefaults();
        in.fontCount = c.fonts;
        if (c.margins)
            in.marginTop = in.marginBottom = (float)c.margins;
        PageLayout L = Compute(in);
        ExpectLayout({FIELD(sheetRowsPerPage, c.perSheet), FIELD(rowsPerPage, c.perSheet),
                      FIELD(totalRows, c.rows), FIELD(pageCount, c.pages),
                      FIELD(lastPageFill, c.fill)});
    }
}

TEST(TextLayout, LineFeedsWhateverTheWrappingOrCharsPerLineCharactersBreakLines)
{
    for (int size : {5, 6, 15, 41, 60}) {
        for (int width : {40, 800, 3000}) {
            LayoutInputs in = WithText("ab\r\ncd");
            in.pointSize = size;
            in.clientWidth = width;
            PageLayout L = Compute(in);
            ExpectLayout({FIELD(multiLineText, 1), FIELD(linesPerCell, 3), FIELD(textLength, 6)});
        }
    }
    /* the label's line and the sample's: three line feeds make four sample lines,
     * CR and tab alone break nothing; 18 characters fit on a line, 19 need two */
    const struct { std::string text; int multi, lines; } cases[] = {
        {"a\n\nb\n", 1, 5},         {"ab\rcd\tef", 0, 2},          {"", 0, 2},
        {std::string(1, 'x'), 0, 2},  {std::string(18, 'x'), 0, 2}, {std::string(19, 'x'), 0, 3},
        {std::string(36, 'x'), 0, 3}, {std::string(37, 'x'), 0, 4}};
    for (const auto &c : cases) {
        PageLayout L = Compute(WithText(c.text.c_str()));
        ExpectLayout({FIELD(charsPerLine, 18), FIELD(multiLineText, c.multi),
                      FIELD(linesPerCell, c.lines), FIELD(textLength, c.text.size())});
    }
}

TEST(TextLayout, NoTextLeavesOneSampleLineUnlessALineHoldsOneCharacter)
{
    LayoutInputs in = ScreenDefaults();
    in.sampleText = NULL;
    in.textLength = 0;
    PageLayout L = Compute(in);
    ExpectLayout({FIELD(textLength, 0), FIELD(linesPerCell, 2)});
    in = WithText("");
    in.clientWidth = 30;
    in.columns = 15;
    L = Compute(in);
    ExpectLayout({FIELD(charsPerLine, 1), FIELD(linesPerCell, 1)});
}

TEST(SizeLayout, PointSizeAndLabelScaleSetFontsWrappingAndLabelPlace)
{
    /* 27 characters from the curve times 1.6 at 6 points, 9 divided by 1.85 at 60;
     * label scale 1.5: 96 x 7 x 1/72 x 1.5 is 13.999999999999998 in double
     * precision; 1.25: two points above 12.72 and half a point above 7.11 */
    const struct { int points; float scale; int chars, sample, label, labelAt, top; } cases[] = {
        {6, 1.0f, 43, -8, -6, 0, 0},    {60, 1.0f, 4, -80, -14, 0, 0}, /* 0: not looked at */
        {15, 1.5f, 18, -20, -13, 7, 5}, {15, 1.25f, 18, -20, -11, 10, 6}};
    for (auto c : cases) {
        LayoutInputs in = ScreenDefaults();
        in.pointSize = c.points;
        in.labelScale = c.scale;
        PageLayout L = Compute(in);
        ExpectLayout({FIELD(charsPerLine, c.chars), FIELD(sampleFontHeight, c.sample),
                      FIELD(labelFontHeight, c.label)});
        if (c.labelAt != 0)
            ExpectLayout({FIELD(labelOffset, c.labelAt), FIELD(cellTopOffset, c.top)});
    }
    /* label points 5, 6, 7, 8, 9, 11 give 6.67, 8, 9.33, 10.67, 12, 14.67 pixels */
    const struct { int pointSize, height; } steps[] = {
        {5, -6},   {6, -6},   {7, -8},   {8, -8},   {9, -9},   {15, -9},
        {16, -10}, {22, -10}, {23, -12}, {30, -12}, {31, -14}, {60, -14}};
    for (auto step : steps) {
        LayoutInputs in = ScreenDefaults();
        in.pointSize = step.pointSize;
        EXPECT_EQ(step.height, Compute(in).labelFontHeight) << step.pointSize;
    }
}

TEST(PrinterLayout, PrintingAnA4SheetAt600Dpi)
{
    LayoutInputs in = WithPrinter(1, 0);
    in.fontCount = 100;
    PageLayout L = Compute(in);
    ExpectLayout({FIELD(valid, 1), FIELD(originX, 240), FIELD(originY, 120),
                  FIELD(gridWidth, 4480), FIELD(sampleFontHeight, -125),
                  FIELD(labelFontHeight, -58), FIELD(cellHeight, 283.33334f),
                  FIELD(charsPerLine, 16), FIELD(rowsPerPage, 22), FIELD(areaWidth, 4960),
                  FIELD(areaHeight, 7016), FIELD(scaledDpiY, 600),
                  FIELD(sheetRowsPerPage, 22), FIELD(pageCount, 2), FIELD(lastPageFill, 54)});
    /* the view height stays that of the window: 600 less the margins at 96 dpi */
    EXPECT_EQ(484, L.viewHeight);
}

TEST(PrinterLayout, PreviewFitsTheSheetIntoTheClientWidth)
{
    LayoutInputs in = WithPrinter(0, 1);
    in.fontCount = 100;
    PageLayout L = Compute(in);
    ExpectLayout({FIELD(valid, 1), FIELD(scaleX, 0.16129032f), FIELD(scaleY, 0.16129032f),
                  FIELD(originX, 38), FIELD(originY, 0), FIELD(gridWidth, 722),
                  FIELD(sampleFontHeight, -20), FIELD(cellHeight, 45.698925f),
                  FIELD(visibleRows, 12), FIELD(areaWidth, 4960), FIELD(areaHeight, 7016),
                  /* the preview's sheets are the printed ones */
                  FIELD(sheetRowsPerPage, 22), FIELD(pageCount, 2), FIELD(lastPageFill, 54)});
}

TEST(PrinterLayout, PreviewCorrectsUnequalPrinterResolutions)
{
    LayoutInputs in = WithPrinter(0, 1);
    in.pageWidth = 2480; /* 300 x 600 dpi: half as many pixels across */
    in.dpiX = 300;
    PageLayout L = Compute(in);
    /* the sample's 125 pixels at 600 dpi, scaled */
    ExpectLayout({FIELD(scaleX, (float)(800.0 / 2480)), FIELD(scaleY, (float)(800.0 / 2480 / 2)),
                  FIELD(sampleFontHeight, -20)});
}

TEST(PrinterLayout, PreviewWithoutWidthIsNotAValidLayout)
{
    LayoutInputs in = WithPrinter(0, 1);
    in.clientWidth = 0;
    in.fontCount = 100;
    PageLayout L = Compute(in);
    /* the sheet's own figures still hold */
    ExpectLayout({FIELD(valid, 0), FIELD(visibleRows, 1), FIELD(sheetRowsPerPage, 22),
                  FIELD(pageCount, 2)});
    in = WithPrinter(0, 1);
    in.pageWidth = 0;
    L = Compute(in);
    ExpectLayout({FIELD(valid, 0), FIELD(scaleX, 0.0f)});
    in.preview = 0; /* the screen view of a zero-width window is still a layout */
    in.clientWidth = 0;
    EXPECT_EQ(1, Compute(in).valid);

    in = ScreenDefaults(); /* no printer: the sheet is the window, zero wide too */
    in.preview = 1;
    in.clientWidth = 0;
    L = Compute(in);
    EXPECT_EQ(0, L.valid);
    EXPECT_GE(L.visibleRows, 1);
    EXPECT_GE(L.rowsPerPage, 1);
}

TEST(LayoutBounds, TinyWindowsAndHugeMarginsKeepEveryMinimum)
{
    LayoutInputs tiny = ScreenDefaults(), empty = tiny, negative = tiny;
    tiny.clientWidth = tiny.clientHeight = 1;
    empty.clientWidth = empty.clientHeight = 0;
    empty.fontCount = 2000000000;
    negative.pointSize = 5;
    negative.clientHeight = -5;
    std::vector<LayoutInputs> cases = {tiny, empty, negative, WithPrinter(1, 0), WithPrinter(0, 1)};
    for (int i = 3; i < 5; i++) /* the largest value the margins dialog reads */
        cases[i].marginLeft = cases[i].marginRight = cases[i].marginTop = cases[i].marginBottom =
            4294967295.0f;
    for (const LayoutInputs &in : cases) {
        PageLayout L = Compute(in);
        EXPECT_GE(L.charsPerLine, 1);
        EXPECT_GE(L.rowsPerPage, 1);
        EXPECT_GE(L.visibleRows, 1);
        EXPECT_GE(L.sheetRowsPerPage, 1);
        EXPECT_LE(L.labelFontHeight, -1);
        EXPECT_LE(L.sampleFontHeight, -1);
        EXPECT_GE(L.lastPageFill, 0);
        EXPECT_LE(L.lastPageFill, 100);
    }
}

} // namespace
