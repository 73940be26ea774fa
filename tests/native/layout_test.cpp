/* layout_test.cpp - the grid geometry arithmetic (ComputeLayoutFrom) for the screen,
 * the preview and a printer sheet.
 *
 * Built natively (under the sanitizers) and in the cross build (run under Wine):
 * both must give the same numbers to the last bit, so every float is compared
 * exactly.  Needs only render/layout.h and the core library. */
#include <gtest/gtest.h>

#include <string.h>

#include "render/layout.h"

namespace {

const char kShortText[] = "Example-TEXT123";

/* The defaults of a fresh start on an 800 x 600 client at 96 dpi, no printer. */
LayoutInputs ScreenDefaults(void)
{
    LayoutInputs in;
    memset(&in, 0, sizeof in);
    in.clientWidth = 800;
    in.clientHeight = 600;
    in.screenDpiX = 96;
    in.screenDpiY = 96;
    in.printerKnown = 0;
    in.pageWidth = 100;
    in.pageHeight = 100;
    in.dpiX = 1;
    in.dpiY = 1;
    in.marginLeft = 4;
    in.marginRight = 4;
    in.marginTop = 2;
    in.marginBottom = 10;
    in.columns = 3;
    in.pointSize = 15;
    in.labelScale = 1.0f;
    in.sampleText = kShortText;
    in.textLength = (int)strlen(kShortText);
    in.fontCount = 0;
    return in;
}

/* An A4 sheet at 600 dpi from the default printer. */
LayoutInputs WithPrinter(LayoutInputs in)
{
    in.printerKnown = 1;
    in.pageWidth = 4960;
    in.pageHeight = 7016;
    in.dpiX = 600;
    in.dpiY = 600;
    return in;
}

LayoutInputs WithText(LayoutInputs in, const char *text)
{
    in.sampleText = text;
    in.textLength = (int)strlen(text);
    return in;
}

PageLayout Compute(const LayoutInputs &in)
{
    PageLayout layout;
    memset(&layout, 0x5A, sizeof layout); /* nothing may be carried over */
    int fill = ComputeLayoutFrom(&in, &layout);
    EXPECT_EQ(layout.lastPageFill, fill);
    return layout;
}

/* ---- the screen view ---- */

TEST(ScreenLayout, DefaultsOnAn800By600ClientAt96Dpi)
{
    PageLayout L = Compute(ScreenDefaults());
    EXPECT_EQ(1, L.valid);
    EXPECT_EQ(18, L.charsPerLine);
    EXPECT_EQ(15, L.textLength);
    EXPECT_EQ(0, L.multiLineText);
    EXPECT_EQ(2, L.linesPerCell);
    EXPECT_EQ(22.666666f, L.lineHeight);
    EXPECT_EQ(45.333332f, L.cellHeight);
    EXPECT_EQ(266.66666f, L.cellWidth);
    EXPECT_EQ(12, L.labelOffset);
    EXPECT_EQ(7, L.cellTopOffset);
    EXPECT_EQ(-9, L.labelFontHeight);
    EXPECT_EQ(-20, L.sampleFontHeight);
    EXPECT_EQ(13, L.visibleRows);
    EXPECT_EQ(10, L.rowsPerPage);
    EXPECT_EQ(10, L.sheetRowsPerPage);
    EXPECT_EQ(2, L.originX);
    EXPECT_EQ(0, L.originY);
    EXPECT_EQ(800, L.gridWidth);
    EXPECT_EQ(800, L.areaWidth);
    EXPECT_EQ(600, L.areaHeight);
    EXPECT_EQ(1.0f, L.scaleX);
    EXPECT_EQ(1.0f, L.scaleY);
    EXPECT_EQ(96, L.scaledDpiY);
    /* without printer metrics the sheet is the client window itself */
    EXPECT_EQ(800, L.sheetWidth);
    EXPECT_EQ(600, L.sheetHeight);
    EXPECT_EQ(96, L.sheetDpiX);
    EXPECT_EQ(96, L.sheetDpiY);
    EXPECT_EQ(38, L.sheetMarginLeft);
    EXPECT_EQ(19, L.sheetMarginTop);
    EXPECT_EQ(723, L.sheetUsableWidth);
    EXPECT_EQ(484, L.sheetUsableHeight);
    EXPECT_EQ(600, L.viewHeight);
    EXPECT_EQ(7, L.sheetCellTopOffset);
    EXPECT_EQ(45.333332f, L.sheetCellHeight);
}

TEST(ScreenLayout, PageFiguresCountRowsAndTheLastSheetsFill)
{
    LayoutInputs in = ScreenDefaults();
    in.fontCount = 100;
    PageLayout L = Compute(in);
    EXPECT_EQ(34, L.totalRows);
    EXPECT_EQ(4, L.pageCount);
    EXPECT_EQ(39, L.lastPageFill); /* 0.3999... x 100 truncates to 39, not 40 */

    in.fontCount = 30;
    L = Compute(in);
    EXPECT_EQ(10, L.sheetRowsPerPage);
    EXPECT_EQ(10, L.totalRows);
    EXPECT_EQ(1, L.pageCount);
    EXPECT_EQ(100, L.lastPageFill);

    in.fontCount = 31; /* one more row: a second sheet holding one row of ten */
    L = Compute(in);
    EXPECT_EQ(11, L.totalRows);
    EXPECT_EQ(2, L.pageCount);
    EXPECT_EQ(10, L.lastPageFill);

    in.fontCount = 0;
    L = Compute(in);
    EXPECT_EQ(0, L.totalRows);
    EXPECT_EQ(0, L.pageCount);
    EXPECT_EQ(100, L.lastPageFill);
}

/* ---- the sample text ---- */

TEST(TextLayout, ALineFeedMakesAMultiLineTextWhateverTheWrapping)
{
    const int sizes[] = {5, 6, 15, 41, 60};
    const int widths[] = {40, 800, 3000};
    for (int size : sizes) {
        for (int width : widths) {
            LayoutInputs in = WithText(ScreenDefaults(), "ab\r\ncd");
            in.pointSize = size;
            in.clientWidth = width;
            PageLayout L = Compute(in);
            EXPECT_EQ(1, L.multiLineText) << size << " " << width;
            EXPECT_EQ(3, L.linesPerCell) << size << " " << width;
            EXPECT_EQ(6, L.textLength);
        }
    }
    PageLayout L = Compute(WithText(ScreenDefaults(), "a\n\nb\n"));
    EXPECT_EQ(1, L.multiLineText);
    EXPECT_EQ(5, L.linesPerCell); /* three line feeds: four lines and the label */
}

TEST(TextLayout, CarriageReturnsAndTabsAloneDoNotBreakLines)
{
    PageLayout L = Compute(WithText(ScreenDefaults(), "ab\rcd\tef"));
    EXPECT_EQ(0, L.multiLineText);
    EXPECT_EQ(2, L.linesPerCell);
}

TEST(TextLayout, OneLineTextsWrapEveryCharsPerLineCharacters)
{
    /* 18 characters per line: 18 fit on one line, 19 need a second, 36 two, 37 three */
    const struct { int length; int lines; } cases[] = {{1, 2}, {18, 2}, {19, 3}, {36, 3}, {37, 4}};
    for (auto c : cases) {
        std::string text(c.length, 'x');
        PageLayout L = Compute(WithText(ScreenDefaults(), text.c_str()));
        EXPECT_EQ(18, L.charsPerLine);
        EXPECT_EQ(c.lines, L.linesPerCell) << c.length;
        EXPECT_EQ(c.length, L.textLength);
    }
}

TEST(TextLayout, AnEmptyTextLeavesOneSampleLineUnlessALineHoldsOneCharacter)
{
    PageLayout L = Compute(WithText(ScreenDefaults(), ""));
    EXPECT_EQ(0, L.textLength);
    EXPECT_EQ(2, L.linesPerCell);

    LayoutInputs narrow = WithText(ScreenDefaults(), "");
    narrow.clientWidth = 30;
    narrow.columns = 15;
    L = Compute(narrow);
    EXPECT_EQ(1, L.charsPerLine);
    EXPECT_EQ(1, L.linesPerCell);

    LayoutInputs none = ScreenDefaults();
    none.sampleText = NULL;
    none.textLength = 0;
    L = Compute(none);
    EXPECT_EQ(0, L.textLength);
    EXPECT_EQ(2, L.linesPerCell);
}

/* ---- point sizes, label scale ---- */

TEST(SizeLayout, SmallAndLargePointSizesCorrectTheWrapping)
{
    LayoutInputs in = ScreenDefaults();
    in.pointSize = 6;
    PageLayout L = Compute(in);
    EXPECT_EQ(-6, L.labelFontHeight);   /* 5 points at 96 dpi */
    EXPECT_EQ(43, L.charsPerLine);      /* 27 from the curve, times 1.6 */
    in.pointSize = 60;
    L = Compute(in);
    EXPECT_EQ(-14, L.labelFontHeight);  /* 11 points */
    EXPECT_EQ(4, L.charsPerLine);       /* 9 from the curve, divided by 1.85 */
    EXPECT_EQ(-80, L.sampleFontHeight);
}

TEST(SizeLayout, LabelPointsStepWithTheSampleSize)
{
    /* label points 5, 6, 7, 8, 9, 11 give 6.67, 8, 9.33, 10.67, 12, 14.67 pixels */
    const struct { int pointSize; int height; } steps[] = {
        {5, -6},   {6, -6},   {7, -8},   {8, -8},   {9, -9},   {15, -9},
        {16, -10}, {22, -10}, {23, -12}, {30, -12}, {31, -14}, {60, -14}};
    for (auto step : steps) {
        LayoutInputs in = ScreenDefaults();
        in.pointSize = step.pointSize;
        EXPECT_EQ(step.height, Compute(in).labelFontHeight) << step.pointSize;
    }
}

TEST(SizeLayout, LargeLabelScaleMovesLabelAndCellTopUp)
{
    LayoutInputs in = ScreenDefaults();
    in.labelScale = 1.5f;
    PageLayout L = Compute(in);
    EXPECT_EQ(7, L.labelOffset);
    EXPECT_EQ(5, L.cellTopOffset);
    /* 96 x 7 x 1/72 x 1.5 is 13.999999999999998 in double precision */
    EXPECT_EQ(-13, L.labelFontHeight);

    in.labelScale = 1.25f;
    L = Compute(in);
    EXPECT_EQ(10, L.labelOffset);       /* two points above 12.72 */
    EXPECT_EQ(6, L.cellTopOffset);      /* half a point above 7.11 */
    EXPECT_EQ(-11, L.labelFontHeight);
}

/* ---- the printer sheet and its preview ---- */

TEST(PrinterLayout, PrintingAnA4SheetAt600Dpi)
{
    LayoutInputs in = WithPrinter(ScreenDefaults());
    in.printing = 1;
    in.fontCount = 100;
    PageLayout L = Compute(in);
    EXPECT_EQ(1, L.valid);
    EXPECT_EQ(240, L.originX);
    EXPECT_EQ(120, L.originY);
    EXPECT_EQ(4480, L.gridWidth);
    EXPECT_EQ(-125, L.sampleFontHeight);
    EXPECT_EQ(-58, L.labelFontHeight);
    EXPECT_EQ(283.33334f, L.cellHeight);
    EXPECT_EQ(16, L.charsPerLine);
    EXPECT_EQ(22, L.rowsPerPage);
    EXPECT_EQ(22, L.sheetRowsPerPage);
    EXPECT_EQ(2, L.pageCount);
    EXPECT_EQ(54, L.lastPageFill);
    EXPECT_EQ(4960, L.areaWidth);
    EXPECT_EQ(7016, L.areaHeight);
    EXPECT_EQ(600, L.scaledDpiY);
    /* the view height stays that of the window: 600 less the margins at 96 dpi */
    EXPECT_EQ(484, L.viewHeight);
}

TEST(PrinterLayout, PreviewFitsTheSheetIntoTheClientWidth)
{
    LayoutInputs in = WithPrinter(ScreenDefaults());
    in.preview = 1;
    in.fontCount = 100;
    PageLayout L = Compute(in);
    EXPECT_EQ(1, L.valid);
    EXPECT_EQ(0.16129032f, L.scaleX);
    EXPECT_EQ(L.scaleX, L.scaleY);
    EXPECT_EQ(38, L.originX);
    EXPECT_EQ(0, L.originY);
    EXPECT_EQ(722, L.gridWidth);
    EXPECT_EQ(-20, L.sampleFontHeight);
    EXPECT_EQ(45.698925f, L.cellHeight);
    EXPECT_EQ(12, L.visibleRows);
    EXPECT_EQ(4960, L.areaWidth);
    EXPECT_EQ(7016, L.areaHeight);
    EXPECT_EQ(22, L.sheetRowsPerPage);
    EXPECT_EQ(2, L.pageCount);
    EXPECT_EQ(54, L.lastPageFill);
}

TEST(PrinterLayout, PreviewCorrectsUnequalPrinterResolutions)
{
    LayoutInputs in = WithPrinter(ScreenDefaults());
    in.preview = 1;
    in.pageWidth = 2480; /* 300 x 600 dpi: half as many pixels across */
    in.dpiX = 300;
    PageLayout L = Compute(in);
    EXPECT_EQ((float)(800.0 / 2480), L.scaleX);
    EXPECT_EQ((float)((double)L.scaleX * 300 / 600), L.scaleY);
    EXPECT_EQ(-20, L.sampleFontHeight); /* 125 pixels at 600 dpi, scaled */
}

TEST(PrinterLayout, PreviewWithoutWidthIsNotAValidLayout)
{
    LayoutInputs in = WithPrinter(ScreenDefaults());
    in.preview = 1;
    in.clientWidth = 0;
    in.fontCount = 100;
    PageLayout L = Compute(in);
    EXPECT_EQ(0, L.valid);
    EXPECT_EQ(1, L.visibleRows);
    EXPECT_EQ(22, L.sheetRowsPerPage); /* the sheet's own figures still hold */
    EXPECT_EQ(2, L.pageCount);

    in = ScreenDefaults(); /* no printer: the sheet is the window, zero wide too */
    in.preview = 1;
    in.clientWidth = 0;
    L = Compute(in);
    EXPECT_EQ(0, L.valid);
    EXPECT_GE(L.visibleRows, 1);
    EXPECT_GE(L.rowsPerPage, 1);

    in = WithPrinter(ScreenDefaults());
    in.preview = 1;
    in.pageWidth = 0;
    L = Compute(in);
    EXPECT_EQ(0, L.valid);
    EXPECT_EQ(0.0f, L.scaleX);

    in.preview = 0; /* the screen view of a zero-width window is still a layout */
    in.clientWidth = 0;
    EXPECT_EQ(1, Compute(in).valid);
}

/* ---- lower bounds with any input ---- */

TEST(LayoutBounds, MarginsLargerThanTheSheetLeaveOneRowPerPage)
{
    LayoutInputs in = ScreenDefaults();
    in.marginTop = 400;
    in.marginBottom = 400;
    in.fontCount = 100;
    PageLayout L = Compute(in);
    EXPECT_LT(L.sheetUsableHeight, 0);
    EXPECT_EQ(1, L.sheetRowsPerPage);
    EXPECT_EQ(1, L.rowsPerPage);
    EXPECT_EQ(L.totalRows, L.pageCount);
    EXPECT_EQ(100, L.lastPageFill);
}

TEST(LayoutBounds, TinyWindowsAndHugeMarginsKeepEveryMinimum)
{
    LayoutInputs cases[5];
    cases[0] = ScreenDefaults();
    cases[0].clientWidth = 1;
    cases[0].clientHeight = 1;
    cases[1] = WithPrinter(ScreenDefaults());
    cases[1].printing = 1;
    cases[1].marginLeft = 4294967295.0f; /* the largest value the margins dialog reads */
    cases[1].marginRight = 4294967295.0f;
    cases[1].marginTop = 4294967295.0f;
    cases[1].marginBottom = 4294967295.0f;
    cases[2] = cases[1];
    cases[2].printing = 0;
    cases[2].preview = 1;
    cases[3] = ScreenDefaults();
    cases[3].clientWidth = 0;
    cases[3].clientHeight = 0;
    cases[3].fontCount = 2000000000;
    cases[4] = ScreenDefaults();
    cases[4].pointSize = 5;
    cases[4].clientHeight = -5;
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

TEST(LayoutBounds, TheSameInputsGiveTheSameLayoutWhateverCameBefore)
{
    LayoutInputs printer = WithPrinter(ScreenDefaults());
    printer.printing = 1;
    PageLayout first = Compute(ScreenDefaults());
    PageLayout between;
    ComputeLayoutFrom(&printer, &between);
    PageLayout again = between;
    LayoutInputs screen = ScreenDefaults();
    ComputeLayoutFrom(&screen, &again);
    EXPECT_EQ(0, memcmp(&first, &again, sizeof first));
}

} // namespace
