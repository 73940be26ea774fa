/* redraw.cpp - benchmark of drawing the grid: a full redraw of an 800 x 600 client
 * window (about 40 cells) for installed fonts and for fonts read from files (each
 * file registered and removed around its cell), and the redraw after a one-row
 * scroll (UM_DRAWLASTROW).
 *
 * The baseline, measured in the same run on the same fonts, is the bare cost of
 * what a cell cannot do without: for each font of the page, register its file
 * (files only), create the sample font, draw the sample text in one line, delete
 * the font and remove the file again.  Goals: a full redraw at most 1.5 times that
 * bare cost, a one-row redraw at most a fifth of a full redraw.  Each figure is
 * the median of several repeats; grid and baseline alternate so that both see the
 * same load.  Runs the real windows in this process; touches only the lists. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "app/settings.h"
#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "render/draw.h"
#include "render/layout.h"

namespace {

const int kRepeats = 15;

double TimeMessage(HDC dc, UINT message)
{
    double start = Now();
    SendMessageA(mainWindow, message, (WPARAM)dc, 0);
    return Now() - start;
}

/* The bare work for entries first ... last: register, one line of sample text,
 * remove. */
double TimeBareDrawing(HDC dc, int first, int last, int registerFiles)
{
    const char *text = settings.sampleText;
    int length = lstrlenA(text);
    double start = Now();
    for (int i = first; i <= last && i < displayList.count; i++) {
        const FontRecord *record = displayList.records[i];
        if (registerFiles)
            AddFontResourceA(record->filePath);
        LOGFONTA face = record->logFont;
        face.lfHeight = pageLayout.sampleFontHeight;
        face.lfWidth = 0;
        HFONT font = CreateFontIndirectA(&face);
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutA(dc, 2 + (i % settings.columns) * 266, 22 + (i / settings.columns % 13) * 45,
                 text, length);
        SelectObject(dc, previous);
        DeleteObject(font);
        if (registerFiles)
            RemoveFontResourceA(record->filePath);
    }
    return Now() - start;
}

struct Figures {
    double full;
    double bare;
    double oneRow;
    int cells;
};

Figures Measure(HDC dc)
{
    int registerFiles = settings.sourceIsDirectory;
    SendMessageA(mainWindow, UM_REFRESH, (WPARAM)dc, 0);
    Figures figures;
    shell.topRow = 0;
    SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
    figures.cells = displayPos;
    std::vector<double> full, bare, oneRow;
    for (int repeat = 0; repeat < kRepeats; repeat++) {
        shell.topRow = 0;
        full.push_back(TimeMessage(dc, UM_DRAWPAGE));
        bare.push_back(TimeBareDrawing(dc, 0, figures.cells - 1, registerFiles));
        shell.topRow = 1;
        oneRow.push_back(TimeMessage(dc, UM_DRAWLASTROW));
    }
    shell.topRow = 0;
    figures.full = Median(full);
    figures.bare = Median(bare);
    figures.oneRow = Median(oneRow);
    return figures;
}

void Report(const char *what, const Figures &f)
{
    printf("%s: full redraw of %d cells %.2f ms; bare register-draw-remove of the same fonts "
           "%.2f ms; ratio %.2f (goal <= 1.5)\n",
           what, f.cells, f.full, f.bare, f.full / f.bare);
    printf("%s: one-row redraw %.2f ms; ratio to a full redraw %.3f (goal <= 0.2)\n", what,
           f.oneRow, f.oneRow / f.full);
}

} // namespace

int main(void)
{
    HDC dc = StartAtBenchSize();
    if (dc == NULL)
        return 1;

    /* installed fonts, as the start-up scan found them */
    if (displayList.count < 45) {
        printf("only %d installed fonts are shown; 45 are needed\n", displayList.count);
        return 1;
    }
    Figures installed = Measure(dc);

    /* every .ttf of the Debian font packages, one family each */
    settings.sourceIsDirectory = 1;
    settings.directoryChosen = 1;
    settings.includeSubdirectories = 1;
    strcpy(settings.currentDirectory, "Z:\\usr\\share\\fonts\\truetype\\");
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    if (displayList.count < 45) {
        printf("only %d font files are shown; 45 are needed\n", displayList.count);
        return 1;
    }
    Figures files = Measure(dc);

    printf("medians of %d repeats, %d x %d client, %d columns, %d points\n", kRepeats,
           pageLayout.clientWidth, pageLayout.clientHeight, settings.columns,
           settings.pointSize);
    Report("installed fonts", installed);
    Report("font files", files);
    ReleaseDC(clientWindow, dc);
    StopZenvrix();
    return 0;
}
