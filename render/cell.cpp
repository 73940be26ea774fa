/* cell.cpp - one cell of the font grid: its background, the small label naming the
 * font, the sample text in the font itself, the cut at the grid's right edge, the
 * separator line, the page marks of the preview, and the double-click hit test.
 *
 * DrawFontCell is the per-entry callback of the range walk (walk.cpp), which sets
 * displayPos and registers the entry's font file around the call.  Geometry comes
 * from the PageLayout alone, so the same code draws on the screen, in the preview
 * and on a printer page.  Reads the view settings and shell state (app/), the
 * DisplayList (catalogue/) and the printing flag (print/); writes only the cell
 * counters and, on a hit, hitFound and selectedFont.  Every pen and font made here
 * is deselected and deleted before the function returns.  On a printer, the sample
 * of a face with PostScript outlines is drawn by outline.cpp. */
#include "draw.h"

#include <stdio.h>
#include <string.h>

#include "../app/settings.h"
#include "../app/shell.h"
#include "../catalogue/fontfiles.h"
#include "../print/printer.h"
#include "layout.h"

/* The cell's place in the target, from the running counters. */
struct CellBox {
    int x0;      /* left edge, where label and sample start */
    int x1;      /* right edge */
    int y0;      /* nominal top of the row */
    int ys;      /* visible top: the separator line */
    int y1;      /* bottom */
};

static CellBox CellBoxAt(int column, int row)
{
    const PageLayout *L = &pageLayout;
    CellBox box;
    box.x0 = (int)(column * (double)L->cellWidth + L->originX);
    box.x1 = (int)(box.x0 + (double)L->cellWidth);
    box.y0 = (int)(row * (double)L->cellHeight + L->originY);
    box.ys = box.y0 + L->cellTopOffset;
    box.y1 = (int)(box.ys + (double)L->cellHeight);
    return box;
}

/* The entry being visited; the walk hands its logFont, the first member. */
static FontRecord *CurrentRecord(const LOGFONTA *logFont)
{
    if (displayPos >= 0 && displayPos < displayList.count && displayList.records != NULL)
        return displayList.records[displayPos];
    return (FontRecord *)logFont;
}

void FormatCellLabel(const FontRecord *record, char *label, int size)
{
    /* The name fields are fixed arrays; %.*s never reads past one of them. */
    const int face = (int)sizeof record->logFont.lfFaceName;
    const int name = (int)sizeof record->fileName;
    if (size <= 0)
        return;
    if (!settings.sourceIsDirectory) {
        snprintf(label, (size_t)size, "%.*s", face, record->logFont.lfFaceName);
        return;
    }
    switch (settings.labelMode) {
    case LABEL_FULL_NAME:
        snprintf(label, (size_t)size, "%.*s", name, record->fullFontName);
        break;
    case LABEL_FILE_NAME:
        snprintf(label, (size_t)size, "%.*s", name, record->fileName);
        break;
    case LABEL_FACE_AND_FILE:
        snprintf(label, (size_t)size, "%.*s - %.*s", face, record->logFont.lfFaceName, name,
                 record->fileName);
        break;
    case LABEL_FULL_AND_FILE:
        snprintf(label, (size_t)size, "%.*s - %.*s", name, record->fullFontName, name,
                 record->fileName);
        break;
    case LABEL_FULL_PATH:
        snprintf(label, (size_t)size, "%.*s", name, record->filePath);
        break;
    default:
        snprintf(label, (size_t)size, "%.*s", face, record->logFont.lfFaceName);
        break;
    }
    EndOnCharacter(label);
}

/* Rows near the bottom of the view or page erase down to the bottom of the area. */
static int NearBottom(void)
{
    const PageLayout *L = &pageLayout;
    if (shell.drawingFirstRow)
        return 0;
    int rows = printing ? L->rowsPerPage : L->visibleRows;
    return shell.cellRow >= L->totalRows - 2 || shell.cellRow >= rows - 2;
}

static void AdvanceCell(void)
{
    shell.cellColumn++;
    if (shell.cellColumn >= settings.columns) {
        shell.cellColumn = 0;
        shell.cellRow++;
    }
}

/* GDI reads an 8-bit text in the code page of the font's character set, never in
 * the program's own: with UTF-8 as the program's code page the text is drawn from
 * its UTF-16 form.  Texts drawn here are at most 511 bytes. */
static void DrawString(HDC dc, int x, int y, const char *text, int count)
{
    WCHAR wide[1024];
    if (!AnsiIsUtf8() || count <= 0) {
        TextOutA(dc, x, y, text, count);
        return;
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, text, count, wide, (int)(sizeof wide / sizeof wide[0]));
    if (n > 0)
        TextOutW(dc, x, y, wide, n);
}

/* Fills a rectangle with the context's own brush; a null pen leaves out the right
 * and bottom edges, hence the callers' + 1. */
static void FillWithNullPen(HDC dc, int left, int top, int right, int bottom)
{
    HPEN pen = CreatePen(PS_NULL, 0, 0);
    HGDIOBJ previous = SelectObject(dc, pen);
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

static void EraseBackground(HDC dc, const CellBox *box, int nearBottom)
{
    const PageLayout *L = &pageLayout;
    int lastColumn = shell.cellColumn == settings.columns - 1;
    int left = shell.cellColumn == 0 ? 0 : box->x0 - 1;
    int top = shell.cellRow == 0 ? 0 : box->ys - 1;
    int right = lastColumn || nearBottom ? L->areaWidth + 1 : box->x1 + 1;
    int bottom = nearBottom ? L->areaHeight + 1 : box->y1 + 1;
    SetBkMode(dc, OPAQUE);
    FillWithNullPen(dc, left, top, right, bottom);
}

static void DrawLabel(HDC dc, const CellBox *box, const char *label)
{
    LOGFONTA face;
    ZeroMemory(&face, sizeof face);
    face.lfHeight = pageLayout.labelFontHeight;
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(face.lfFaceName, labelFaceName, LF_FACESIZE);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontIndirectA(&face);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawString(dc, box->x0, box->y0 + pageLayout.labelOffset, label, lstrlenA(label));
    SelectObject(dc, previous);
    DeleteObject(font);
}

/* The sample font: the entry's face and character set at the layout's height, in
 * the chosen style.  A font from a file keeps its own weight and slant unless bold
 * or italic is chosen; an installed family is drawn normal unless they are. */
static void SampleFace(HDC dc, const LOGFONTA *entry, LOGFONTA *face)
{
    ZeroMemory(face, sizeof *face);
    face->lfHeight = pageLayout.sampleFontHeight;
    face->lfWidth = 0;
    face->lfEscapement = entry->lfEscapement;
    face->lfOrientation = entry->lfOrientation;
    face->lfUnderline = entry->lfUnderline;
    face->lfStrikeOut = entry->lfStrikeOut;
    face->lfCharSet = entry->lfCharSet;
    face->lfOutPrecision = entry->lfOutPrecision;
    face->lfClipPrecision = entry->lfClipPrecision;
    face->lfQuality = entry->lfQuality;
    face->lfPitchAndFamily = entry->lfPitchAndFamily;
    if (settings.sourceIsDirectory) {
        face->lfWeight = settings.bold ? FW_BOLD : entry->lfWeight;
        face->lfItalic = settings.italic ? 1 : entry->lfItalic;
    } else {
        face->lfWeight = settings.bold ? FW_BOLD : FW_NORMAL;
        face->lfItalic = (BYTE)(settings.italic ? 1 : 0);
    }
    /* Below 5 pixels a preview shows only the page structure; the label face
     * stands in for fonts that cannot be read that small. */
    if (settings.preview && -pageLayout.sampleFontHeight < 5)
        lstrcpynA(face->lfFaceName, labelFaceName, LF_FACESIZE);
    else
        lstrcpynA(face->lfFaceName, entry->lfFaceName, LF_FACESIZE);
    if (settings.nationalCodepage && face->lfCharSet == ANSI_CHARSET)
        face->lfCharSet = (BYTE)GetTextCharset(dc);
}

/* How the sample lines of the cell being drawn reach the target: as text, or on a
 * printer for a face with PostScript outlines, as its glyph outlines. */
static int sampleAsOutlines;

static void SampleOut(HDC dc, int x, int y, const char *text, int count)
{
    if (sampleAsOutlines)
        OutlineTextOut(x, y, text, count);
    else
        DrawString(dc, x, y, text, count);
}

/* A face's own sample on the first line, at most charsPerLine characters of it (a
 * surrogate pair is one): a script's letters as text, right-to-left ones handed to
 * GDI in logical order; the face's first characters by their glyphs. */
static void DrawOwnSample(HDC dc, const CellBox *box, const FontRecord *record)
{
    const WCHAR *sample = record->sample.text;
    int units = 0;
    int shown = 0;
    for (; sample[units] != 0 && shown < pageLayout.charsPerLine; shown++)
        units += IS_HIGH_SURROGATE(sample[units]) && IS_LOW_SURROGATE(sample[units + 1]) ? 2 : 1;
    int y = (int)(pageLayout.lineHeight + (double)box->y0);
    int glyphs = record->sample.glyphCount < shown ? record->sample.glyphCount : shown;
    if (glyphs > 0 && sampleAsOutlines)
        OutlineGlyphsOut(box->x0, y, record->sample.glyphs, glyphs);
    else if (glyphs > 0)
        ExtTextOutW(dc, box->x0, y, ETO_GLYPH_INDEX, NULL, (LPCWSTR)record->sample.glyphs, (UINT)glyphs, NULL);
    else if (sampleAsOutlines)
        OutlineTextOutW(box->x0, y, sample, units);
    else
        TextOutW(dc, box->x0, y, sample, units);
}

/* The face's own sample where it stands in for the example text in force: never
 * for a custom text.  An installed face's cmap is read when first needed, and what
 * it gives is kept in the Catalogue record as well, for the next DisplayList. */
static int OwnSample(FontRecord *record)
{
    int lacks = settings.sampleText == settings.shortText ? LACKS_SHORT_TEXT
              : settings.sampleText == settings.fullText  ? LACKS_FULL_TEXT : 0;
    if (!settings.ownScript || lacks == 0)
        return 0;
    if (record->sample.state == SAMPLE_UNREAD) {
        TakeSampleFromFace(&record->logFont, &record->sample);
        /* Entries put in the DisplayList from outside have no Catalogue record. */
        int i = record->catalogueIndex;
        FontRecord *origin = i >= 0 && i < catalogue.count ? catalogue.records[i] : NULL;
        if (origin != NULL && memcmp(&origin->logFont, &record->logFont, sizeof(LOGFONTA)) == 0)
            origin->sample = record->sample;
    }
    return (record->sample.lacks & lacks) != 0;
}

/* A text with line feeds: one line per slot; carriage returns and tabs are not
 * counted, and the count is taken from the line's start. */
static void DrawTextLines(HDC dc, const CellBox *box, const char *text)
{
    const char *line = text;
    for (int i = 1;; i++) {
        int end = 0;
        int shown = 0;
        while (line[end] != 0 && line[end] != 10) {
            if (line[end] != 13 && line[end] != 9)
                shown++;
            end++;
        }
        shown = TextCutLength(line, shown, shown, AnsiIsUtf8());
        SampleOut(dc, box->x0, (int)(i * (double)pageLayout.lineHeight + box->y0), line, shown);
        if (line[end] == 0 || line[end + 1] == 0)
            break;
        line += end + 1;
    }
}

/* A one-line text cut every charsPerLine characters, regardless of words.  The
 * lines are counted in bytes (textLength), so in UTF-8 a text of other scripts
 * ends before its last lines. */
static void DrawWrappedText(HDC dc, const CellBox *box, const char *text)
{
    const PageLayout *L = &pageLayout;
    int length = L->textLength;
    int actual = lstrlenA(text);
    if (length > actual)
        length = actual;
    int perLine = L->charsPerLine > 0 ? L->charsPerLine : 1;
    int utf8 = AnsiIsUtf8();
    int start = 0;
    for (int i = 0; i <= L->textLength / perLine; i++) {
        int end = TextAdvance(text, start, length, perLine, utf8);
        SampleOut(dc, box->x0, (int)((i + 1) * (double)L->lineHeight + box->y0),
                  text + start, end - start);
        start = end;
    }
}

static void DrawSampleLines(HDC dc, const CellBox *box, const FontRecord *record, int own)
{
    const char *text = settings.sampleText != NULL ? settings.sampleText : "";
    if (own)
        DrawOwnSample(dc, box, record);
    else if (pageLayout.multiLineText)
        DrawTextLines(dc, box, text);
    else
        DrawWrappedText(dc, box, text);
}

/* Wine's printer driver faults on text in a font with PostScript outlines, so on a
 * printer such a face never becomes the context's font: its lines are drawn as
 * outlines, or, when not even that can be set up, left out. */
static void DrawSample(HDC dc, const CellBox *box, FontRecord *record)
{
    LOGFONTA face;
    SampleFace(dc, &record->logFont, &face);
    int own = OwnSample(record);
    if (printing && record->postScriptOutlines) {
        sampleAsOutlines = BeginOutlineText(dc, &face);
        if (sampleAsOutlines)
            DrawSampleLines(dc, box, record, own);
        EndOutlineText();
        sampleAsOutlines = 0;
        return;
    }
    HFONT font = CreateFontIndirectA(&face);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawSampleLines(dc, box, record, own);
    SelectObject(dc, previous);
    DeleteObject(font);
}

static void DrawRedLine(HDC dc, int width, int y)
{
    HPEN pen = CreatePen(PS_SOLID, width, RGB(255, 0, 0));
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, 0, y, NULL);
    LineTo(dc, pageLayout.areaWidth, y);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

/* Preview: a red line above each row that starts a printed sheet, and one where
 * the last sheet ends.  The end mark follows the scroll position: the drawn rows
 * begin cellRow rows above the current one. */
static void DrawPageMarks(HDC dc, const CellBox *box)
{
    const PageLayout *L = &pageLayout;
    int row = displayPos / settings.columns;
    double thick = L->scaledDpiY * 3 / 72.0;
    int width = thick > 2 ? (int)thick : 2;
    if (row > 0 && L->sheetRowsPerPage > 0 && row % L->sheetRowsPerPage == 0)
        DrawRedLine(dc, width, box->ys + 1);
    if (row == L->totalRows - 1) {
        int firstDrawnRow = row - shell.cellRow;
        double sheetEnd = (double)L->pageCount * L->sheetRowsPerPage - firstDrawnRow;
        DrawRedLine(dc, width,
                    (int)(sheetEnd * L->cellHeight + L->cellTopOffset + L->originY + 1.0));
    }
}

int CALLBACK DrawFontCell(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                          DWORD fontType, LPARAM userValue)
{
    const PageLayout *L = &pageLayout;
    if (!L->valid || settings.columns < 1)
        return 0;
    FontRecord *record = CurrentRecord(logFont);
    CellBox box = CellBoxAt(shell.cellColumn, shell.cellRow);
    char label[NAME_SIZE];
    FormatCellLabel(record, label, sizeof label);
    int nearBottom = NearBottom();

    if (shell.hitTestMode) {
        if (box.x0 < shell.clickX && shell.clickX < box.x1 && box.ys < shell.clickY &&
            shell.clickY < box.y1) {
            shell.selectedFont = displayPos;
            shell.hitFound = 1;
            return 0;
        }
        AdvanceCell();
        return 1;
    }
    if (GetAsyncKeyState(VK_ESCAPE) < 0)
        return 0;

    HDC dc = *(HDC *)userValue;
    int lastColumn = shell.cellColumn == settings.columns - 1;
    EraseBackground(dc, &box, nearBottom);
    DrawLabel(dc, &box, label);
    DrawSample(dc, &box, record);
    if (lastColumn || nearBottom)
        FillWithNullPen(dc, L->originX + L->gridWidth, box.ys - 1, L->areaWidth + 1,
                        box.y1 + 1);
    if (settings.separatorLines) {
        MoveToEx(dc, L->originX, box.ys, NULL);
        LineTo(dc, L->originX + L->gridWidth, box.ys);
    }
    if (settings.preview && !printing)
        DrawPageMarks(dc, &box);
    AdvanceCell();
    return 1;
}
