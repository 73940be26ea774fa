/* layout_test.cpp - the grid geometry for screen, preview and printer sheet, natively
 * and under Wine: the same numbers to the last bit, every float compared exactly. */
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/layout.h"

namespace {

/* A fresh start on an 800 x 600 client at 96 dpi without printer; `printer` adds an
 * A4 sheet at 600 dpi, printed (1) or previewed (2). */
LayoutInputs Inputs(int printer = 0, int fonts = 0, const char *text = "Example-TEXT123")
{
    return {800, 600, 96, 96, printer != 0, 4960, 7016, 600, 600, printer == 1, printer == 2, 4, 4, 2, 10, 3, 15, 1.0f,
            text, (int)strlen(text), fonts};
}

PageLayout Compute(const LayoutInputs &in) /* the same whatever the struct held before */
{
    PageLayout layout, fresh = {};
    memset(&layout, 0x5A, sizeof layout);
    EXPECT_EQ(ComputeLayoutFrom(&in, &layout), layout.lastPageFill);
    ComputeLayoutFrom(&in, &fresh);
    EXPECT_EQ(0, memcmp(&layout, &fresh, sizeof layout));
    return layout;
}

/* One field of the layout and the exact value it must hold. */
struct Expected { const char *name; double value, (*actual)(const PageLayout &); };
#define FIELD(name, value) Expected{#name, (double)(value), [](const PageLayout &L) { return (double)L.name; }}
void ExpectLayout(const LayoutInputs &in, const std::vector<Expected> &fields, const std::string &what = "")
{
    PageLayout L = Compute(in);
    for (const Expected &field : fields) EXPECT_EQ(field.value, field.actual(L)) << field.name << " " << what;
}

TEST(Layout, ScreenDefaultsPrintedSheetAndPreview)
{
    LayoutInputs unequal = Inputs(2); /* 300 x 600 dpi: the preview corrects the height */
    unequal.pageWidth = 2480, unequal.dpiX = 300;
    const struct { const char *what; LayoutInputs in; std::vector<Expected> fields; } cases[] = {
        {"screen", Inputs(), {FIELD(valid, 1), FIELD(charsPerLine, 18), FIELD(linesPerCell, 2),
            FIELD(lineHeight, 22.666666f), FIELD(cellHeight, 45.333332f), FIELD(cellWidth, 266.66666f),
            FIELD(labelOffset, 12), FIELD(cellTopOffset, 7), FIELD(labelFontHeight, -9), FIELD(sampleFontHeight, -20),
            FIELD(visibleRows, 13), FIELD(rowsPerPage, 10), FIELD(originX, 2), FIELD(originY, 0), FIELD(gridWidth, 800),
            FIELD(scaledDpiY, 96), FIELD(sheetWidth, 800), FIELD(sheetMarginLeft, 38), FIELD(sheetMarginTop, 19),
            FIELD(sheetUsableWidth, 723), FIELD(sheetUsableHeight, 484), FIELD(sheetRowsPerPage, 10)}},
        {"printed", Inputs(1, 100), {FIELD(valid, 1), FIELD(originX, 240), FIELD(originY, 120), FIELD(gridWidth, 4480),
            FIELD(sampleFontHeight, -125), FIELD(labelFontHeight, -58), FIELD(cellHeight, 283.33334f),
            FIELD(charsPerLine, 16), FIELD(rowsPerPage, 22), FIELD(areaWidth, 4960), FIELD(areaHeight, 7016),
            FIELD(scaledDpiY, 600), FIELD(sheetRowsPerPage, 22), FIELD(pageCount, 2), FIELD(lastPageFill, 54),
            FIELD(viewHeight, 484), FIELD(sheetCellTopOffset, 44)}},
        {"preview", Inputs(2, 100), {FIELD(valid, 1), FIELD(scaleX, 0.16129032f), FIELD(scaleY, 0.16129032f),
            FIELD(originX, 38), FIELD(gridWidth, 722), FIELD(sampleFontHeight, -20), FIELD(cellHeight, 45.698925f),
            FIELD(visibleRows, 12), FIELD(sheetRowsPerPage, 22), FIELD(pageCount, 2), FIELD(lastPageFill, 54), FIELD(originY, 0)}},
        {"unequal resolutions", unequal, {FIELD(scaleX, (float)(800.0 / 2480)), FIELD(scaleY, (float)(800.0 / 2480 / 2)),
            FIELD(sampleFontHeight, -20)}}};
    for (const auto &c : cases) ExpectLayout(c.in, c.fields, c.what);
}

TEST(Layout, PagesCountRowsAndTheLastSheetsFill)
{
    /* 0.3999... x 100 truncates to 39; margins larger than the sheet leave a row */
    const struct { int fonts; float margins; int perSheet, rows, pages, fill; } cases[] = {
        {100, 0, 10, 34, 4, 39}, {30, 0, 10, 10, 1, 100}, {31, 0, 10, 11, 2, 10},
        {0, 0, 10, 0, 0, 100},   {100, 400, 1, 34, 34, 100}, {100, 25, 2, 34, 17, 100}, {1, 0, 10, 1, 1, 9}};
    for (auto c : cases) {
        LayoutInputs in = Inputs(0, c.fonts);
        in.marginTop = c.margins > 0 ? in.marginBottom = c.margins : in.marginTop;
        ExpectLayout(in, {FIELD(sheetRowsPerPage, c.perSheet), FIELD(rowsPerPage, c.perSheet), FIELD(totalRows, c.rows),
                          FIELD(pageCount, c.pages), FIELD(lastPageFill, c.fill)}, std::to_string(c.fonts));
    }
}

TEST(Layout, TextLinesFollowLineFeedsOrTheCharactersPerLine)
{
    /* CR and tab break nothing; 18 characters fit a line, 19 need two */
    const struct { std::string text; int width, chars, multi, lines; } cases[] = {
        {"ab\r\ncd", 40, 1, 1, 3},      {"ab\r\ncd", 3000, 69, 1, 3},  {"a\n\nb\n", 800, 18, 1, 5},
        {"ab\rcd\tef", 800, 18, 0, 2},  {"", 800, 18, 0, 2},            {std::string(18, 'x'), 800, 18, 0, 2},
        {std::string(19, 'x'), 800, 18, 0, 3}, {std::string(37, 'x'), 800, 18, 0, 4}, {"", 30, 1, 0, 1}, {"\nab", 800, 18, 1, 3}, {"abc", 90, 2, 0, 3}};
    for (const auto &c : cases) {
        LayoutInputs in = Inputs(0, 0, c.text.c_str());
        in.clientWidth = c.width, in.columns = c.width == 30 ? 15 : 3;
        ExpectLayout(in, {FIELD(charsPerLine, c.chars), FIELD(multiLineText, c.multi), FIELD(linesPerCell, c.lines),
                          FIELD(textLength, c.text.size())}, c.text);
    }
}

TEST(Layout, PointSizeAndLabelScaleSetFontsWrappingAndLabelPlace)
{
    /* 1.5: 96 x 7 x 1/72 x 1.5 is 13.999999999999998 in double precision */
    const struct { int points; float scale; int chars, sample, label, labelAt, top; } cases[] = {
        {6, 1.0f, 43, -8, -6, 0, 0},      {60, 1.0f, 4, -80, -14, 0, 0},  {15, 1.5f, 18, -20, -13, 7, 5},
        {15, 1.25f, 18, -20, -11, 10, 6}, {43, 1.0f, 5, -57, -14, 0, 0}, {44, 1.0f, 4, -58, -14, 0, 0}};
    for (auto c : cases) {
        LayoutInputs in = Inputs();
        in.pointSize = c.points, in.labelScale = c.scale;
        ExpectLayout(in, {FIELD(charsPerLine, c.chars), FIELD(sampleFontHeight, c.sample), FIELD(labelFontHeight, c.label)},
                     std::to_string(c.points));
        if (c.labelAt != 0)
            ExpectLayout(in, {FIELD(labelOffset, c.labelAt), FIELD(cellTopOffset, c.top)}, std::to_string(c.points));
    }
    LayoutInputs in = Inputs(); /* label points 5 ... 11 */
    for (auto h : {std::make_pair(5, -6), {7, -8}, {8, -8}, {9, -9}, {15, -9}, {16, -10}, {22, -10}, {23, -12}, {30, -12}, {31, -14}})
        EXPECT_EQ(h.second, (in.pointSize = h.first, Compute(in).labelFontHeight)) << h.first;
}

TEST(Layout, NoWidthIsNoPreviewAndEveryMinimumHolds)
{
    LayoutInputs in = Inputs(2, 100), tiny = Inputs(), huge = Inputs(1), hugePreview = Inputs(2), negative = Inputs();
    in.clientWidth = 0;
    ExpectLayout(in, {FIELD(valid, 0), FIELD(visibleRows, 1), FIELD(sheetRowsPerPage, 22), FIELD(pageCount, 2)});
    EXPECT_EQ(1, (in.preview = 0, Compute(in).valid)); /* a zero-wide window is still a screen layout */
    tiny.clientWidth = tiny.clientHeight = 1, tiny.fontCount = 2000000000, negative.clientHeight = -5;
    for (LayoutInputs *c : {&huge, &hugePreview}) /* the dialog's largest margins */
        c->marginLeft = c->marginRight = c->marginTop = c->marginBottom = 4294967295.0f;
    for (const LayoutInputs &c : {tiny, huge, hugePreview, negative}) {
        PageLayout L = Compute(c);
        EXPECT_TRUE(std::min({L.charsPerLine, L.rowsPerPage, L.visibleRows, L.sheetRowsPerPage}) >= 1 &&
                    std::max(L.labelFontHeight, L.sampleFontHeight) <= -1 && L.lastPageFill >= 0 && L.lastPageFill <= 100);
    }
}

} // namespace
