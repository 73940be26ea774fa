/* layout.cpp - ComputeLayout: gathers what the grid geometry depends on (the client
 * window's size, the screen resolution, the printer state and margins, the view
 * options, the sample text and the DisplayList count) and hands it to the pure
 * arithmetic of layoutcore.cpp.
 *
 * Reads the windows and globals of the shell (app/), the printer state (print/) and
 * the DisplayList (catalogue/); writes only the PageLayout it is given.  Called by
 * the refresh, paint and double-click handlers (app/), the Info dialog and the print
 * command. */
#include "layout.h"

#include <windows.h>

#include "../app/settings.h"
#include "../app/shell.h"
#include "../catalogue/fontlist.h"
#include "../print/printer.h"

PageLayout pageLayout;

int ComputeLayout(PageLayout *layout)
{
    LayoutInputs in;
    ZeroMemory(&in, sizeof in);

    RECT client = {0, 0, 0, 0};
    GetClientRect(clientWindow, &client);
    in.clientWidth = client.right - client.left;
    in.clientHeight = client.bottom - client.top;

    HDC dc = GetDC(clientWindow);
    in.screenDpiX = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(clientWindow, dc);
    dc = GetDC(clientWindow);
    in.screenDpiY = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(clientWindow, dc);

    in.printerKnown = printerSetup.printerKnown;
    in.pageWidth = printerSetup.pageWidth;
    in.pageHeight = printerSetup.pageHeight;
    in.dpiX = printerSetup.dpiX;
    in.dpiY = printerSetup.dpiY;
    in.printing = printing;
    in.preview = settings.preview;
    in.marginLeft = settings.marginLeft;
    in.marginRight = settings.marginRight;
    in.marginTop = settings.marginTop;
    in.marginBottom = settings.marginBottom;

    in.columns = settings.columns;
    in.pointSize = settings.pointSize;
    in.labelScale = settings.labelScale;
    in.sampleText = settings.sampleText;
    in.textLength = settings.sampleText != NULL ? lstrlenA(settings.sampleText) : 0;
    in.fontCount = displayList.count;
    return ComputeLayoutFrom(&in, layout);
}
