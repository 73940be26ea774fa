/* outlinecell.cpp - benchmark of a printed cell whose face has PostScript outlines,
 * drawn as its glyph outlines, against a cell of a TrueType face drawn as text.
 *
 * Both cells are drawn by the cell renderer, one after the other, onto the same
 * page of the same printer context (the default printer, a document that is
 * aborted at the end, so nothing is printed), with the same layout: the same cell
 * size, point size and sample text; the two faces are of one design, Nimbus Sans
 * Bold (.otf) and Liberation Sans Bold (.ttf).  The figure is the cost of one
 * outline cell over the cost of one text cell, for the short and for the full
 * sample text; each cost is the median of several batches, and outline and text
 * batches alternate so that both see the same load.  Runs the real windows in this
 * process; needs a default printer. */
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "app/shell.h"
#include "bench/benchclock.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "print/printer.h"
#include "render/draw.h"
#include "render/layout.h"

namespace {

const int kRepeats = 15;
const int kCellsPerBatch = 20;

/* Milliseconds per cell for one batch of the DisplayList entry `entry`. */
double TimeCells(HDC dc, int entry)
{
    double start = Now();
    for (int i = 0; i < kCellsPerBatch; i++) {
        shell.cellColumn = 0;
        shell.cellRow = 0;
        ForEachDisplayFont(DrawFontCell, (LPARAM)&dc, entry, entry);
    }
    return (Now() - start) / kCellsPerBatch;
}

int EntryWith(int postScript)
{
    for (int i = 0; i < displayList.count; i++)
        if (displayList.records[i]->postScriptOutlines == postScript)
            return i;
    return -1;
}

} // namespace

int main(void)
{
    if (StartZenvrix() != 1) {
        printf("the program did not start\n");
        return 1;
    }
    std::string folder = TempDir("ZvBench");
    WriteFile(folder + "NimbusSans-Bold.otf",
              ReadFile(Font("../opentype/urw-base35/NimbusSans-Bold.otf")));
    WriteFile(folder + "LiberationSans-Bold.ttf",
              ReadFile(Font("liberation/LiberationSans-Bold.ttf")));
    settings.allFontFiles = 1;
    ScanFolder(folder);
    int outline = EntryWith(1), text = EntryWith(0);
    if (displayList.count != 2 || outline < 0 || text < 0) {
        printf("the two faces were not found (%d shown)\n", displayList.count);
        return 1;
    }

    PRINTDLGA dialog;
    ZeroMemory(&dialog, sizeof dialog);
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&dialog) || dialog.hDC == NULL) {
        printf("no default printer\n");
        return 1;
    }
    HDC dc = dialog.hDC;
    DOCINFOA document;
    ZeroMemory(&document, sizeof document);
    document.cbSize = sizeof document;
    document.lpszDocName = "Zenvrix bench";
    StartDocA(dc, &document);
    StartPage(dc);
    SendMessageA(mainWindow, UM_LOADALL, 0, 0);

    printf("medians of %d batches of %d cells, printer at %d dpi, %d points, %d columns\n",
           kRepeats, kCellsPerBatch, GetDeviceCaps(dc, LOGPIXELSY), settings.pointSize,
           settings.columns);
    const struct { const char *name; char *text; } samples[] = {
        {"short text", settings.shortText}, {"full text", settings.fullText}};
    for (const auto &sample : samples) {
        settings.sampleText = sample.text;
        printing = 1;
        ComputeLayout(&pageLayout);
        TimeCells(dc, outline); /* the first drawing of each face loads it */
        TimeCells(dc, text);
        std::vector<double> outlineTimes, textTimes;
        for (int repeat = 0; repeat < kRepeats; repeat++) {
            outlineTimes.push_back(TimeCells(dc, outline));
            textTimes.push_back(TimeCells(dc, text));
        }
        double outlineCell = Median(outlineTimes), textCell = Median(textTimes);
        printf("%s (%d characters): outline cell %.3f ms, text cell %.3f ms, ratio %.2f\n",
               sample.name, lstrlenA(sample.text), outlineCell, textCell, outlineCell / textCell);
    }

    AbortDoc(dc);
    SendMessageA(mainWindow, UM_UNLOADALL, 0, 0);
    DeleteDC(dc);
    if (dialog.hDevMode != NULL)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames != NULL)
        GlobalFree(dialog.hDevNames);
    printing = 0;
    StopZenvrix();
    return 0;
}
