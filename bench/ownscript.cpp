/* ownscript.cpp - benchmark of the own-script samples: a full redraw of an 800 x 600
 * client window (about 40 cells) with "Own script where needed" on, against the same
 * redraw with it off, measured in the same run, alternating; once for a page of
 * script fonts (the Noto folder, whose families mostly lack the example's Latin
 * letters) and once for a page of Latin ones (DejaVu and Liberation).  Goals: at
 * most 1.1 times for the script fonts, within noise of 1.0 for the Latin ones.
 * A second baseline tells what of it is GDI's own: for the same page, register
 * each file, draw its sample (or the example text) in one TextOutW and remove the
 * file again.  Each figure is the median of several repeats.  Runs the real windows
 * in this process. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <vector>

#include "bench/benchclock.h"
#include "bench/benchcommon.h"
#include "render/draw.h"
#include "render/layout.h"

namespace {

const int kRepeats = 16;

double TimePage(HDC dc, int ownScript)
{
    settings.ownScript = ownScript;
    shell.topRow = 0;
    double start = Now();
    SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
    return Now() - start;
}

/* The bare drawing of each cell's own sample (own 1) or of the example text. */
double TimeBare(HDC dc, int cells, int own)
{
    static const WCHAR example[] = L"Example-TEXT123";
    double start = Now();
    for (int i = 0; i < cells && i < displayList.count; i++) {
        const FontRecord *record = displayList.records[i];
        const WCHAR *text = own && record->sample.text[0] != 0 ? record->sample.text : example;
        AddFontResourceA(record->filePath);
        LOGFONTA face = record->logFont;
        face.lfHeight = pageLayout.sampleFontHeight;
        face.lfWidth = 0;
        HFONT font = CreateFontIndirectA(&face);
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutW(dc, 2 + (i % settings.columns) * 266, 22 + (i / settings.columns % 13) * 45,
                 text, lstrlenW(text));
        SelectObject(dc, previous);
        DeleteObject(font);
        RemoveFontResourceA(record->filePath);
    }
    return Now() - start;
}

void Measure(HDC dc, const char *what, const char *folder, int subfolders)
{
    settings.sourceIsDirectory = 1;
    settings.directoryChosen = 1;
    settings.includeSubdirectories = subfolders;
    snprintf(settings.currentDirectory, NAME_SIZE, "%s", folder);
    SendMessageA(mainWindow, UM_RESCAN, (WPARAM)dc, 0);
    SendMessageA(mainWindow, UM_REFRESH, (WPARAM)dc, 0);
    int cells = displayPos, own = 0;
    for (int i = 0; i < cells && i < displayList.count; i++)
        own += (displayList.records[i]->sample.lacks & LACKS_SHORT_TEXT) != 0;
    std::vector<double> on, off, bareOwn, bareExample;
    /* Which of a pair runs first changes the order every repeat: the second one
     * finds more of the fonts in GDI's cache. */
    for (int repeat = 0; repeat < kRepeats; repeat++) {
        for (int k = 0; k < 2; k++) {
            int own = (k + repeat) % 2;
            (own ? on : off).push_back(TimePage(dc, own));
        }
        for (int k = 0; k < 2; k++) {
            int own = (k + repeat) % 2;
            (own ? bareOwn : bareExample).push_back(TimeBare(dc, cells, own));
        }
    }
    settings.ownScript = 1;
    printf("%s: %d cells, %d in their own script; full redraw %.2f ms with the item on, "
           "%.2f ms off; ratio %.3f\n",
           what, cells, own, Median(on), Median(off), Median(on) / Median(off));
    printf("    bare drawing of the same texts: %.2f ms own samples, %.2f ms the example; "
           "ratio %.3f\n",
           Median(bareOwn), Median(bareExample), Median(bareOwn) / Median(bareExample));
}

} // namespace

int main(void)
{
    HDC dc = StartAtBenchSize();
    if (dc == NULL)
        return 1;
    printf("medians of %d repeats, %d x %d client, %d columns, %d points\n", kRepeats,
           pageLayout.clientWidth, pageLayout.clientHeight, settings.columns,
           settings.pointSize);
    Measure(dc, "script fonts (goal <= 1.1)", "Z:\\usr\\share\\fonts\\truetype\\noto\\", 0);
    Measure(dc, "Latin fonts (goal about 1.0)", "Z:\\usr\\share\\fonts\\truetype\\dejavu\\", 0);
    ReleaseDC(clientWindow, dc);
    StopZenvrix();
    return 0;
}
