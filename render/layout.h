/* layout.h - the grid geometry (PageLayout) for the screen, the preview and a
 * printer sheet.
 *
 * ComputeLayoutFrom is pure arithmetic over LayoutInputs, so its numbers can be
 * checked natively and under Wine alike; ComputeLayout gathers the inputs from the
 * client window, the printer state and the view settings and calls it.  Callers:
 * the refresh and paint handlers, the double-click, the Info dialog and printing. */
#ifndef ZENVRIX_LAYOUT_H
#define ZENVRIX_LAYOUT_H

struct PageLayout {
    int originX;
    int sheetMarginLeft;
    int originY;
    int sheetMarginTop;
    int areaWidth;
    int sheetWidth;
    int clientWidth;
    int areaHeight;
    int sheetHeight;
    int clientHeight;
    int gridWidth;
    int sheetUsableWidth;
    int sheetUsableHeight;
    int viewHeight;
    int sheetDpiX;
    int screenDpiX;
    int scaledDpiY;
    int sheetDpiY;
    int screenDpiY;
    float lineHeight;
    float sheetLineHeight;
    int labelOffset;
    int cellTopOffset;
    int sheetCellTopOffset;
    int labelFontHeight;
    int sampleFontHeight;
    float cellHeight;
    float sheetCellHeight;
    float cellWidth;
    int rowsPerPage;
    int sheetRowsPerPage;
    int visibleRows;
    int pageCount;
    int totalRows;
    int charsPerLine;
    int textLength;
    int linesPerCell;
    int lastPageFill;
    float scaleX;
    float scaleY;
    int multiLineText;
    int valid;                   /* 0 when the inputs allow no layout (zero-width preview) */
};

/* Everything the layout depends on, gathered by ComputeLayout. */
struct LayoutInputs {
    int clientWidth;
    int clientHeight;
    int screenDpiX;
    int screenDpiY;
    int printerKnown;
    int pageWidth;
    int pageHeight;
    int dpiX;
    int dpiY;
    int printing;
    int preview;
    float marginLeft;
    float marginRight;
    float marginTop;
    float marginBottom;
    int columns;
    int pointSize;
    float labelScale;
    const char *sampleText;      /* NUL-terminated; may be NULL (no text) */
    int textLength;              /* lstrlenA of sampleText */
    int fontCount;               /* DisplayList count */
};

extern PageLayout pageLayout;

/* Fills *layout from the inputs alone (layoutcore.cpp); returns lastPageFill. */
int ComputeLayoutFrom(const LayoutInputs *inputs, PageLayout *layout);
/* Reads the client window, the screen and printer resolutions, the margins, the
 * view options and the DisplayList count, then ComputeLayoutFrom (layout.cpp). */
int ComputeLayout(PageLayout *layout);

#endif
