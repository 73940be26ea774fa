/* printcmd.cpp - the three commands that talk to the system print dialog:
 * "&Print..." (121), "Pri&nt with default settings..." (155) and "P&rinter
 * setup..." (128).  They prepare the print-dialog block and the printer layout,
 * run the dialog, read the chosen printer's metrics, start the print job
 * (printjob.cpp) for 121 and 155, and put the screen layout back afterwards.
 *
 * Touches the printer state (printer.cpp), the layout and, through UM_LOADALL and
 * UM_UNLOADALL, the temporary registrations of fonts read from a folder.  Called
 * from the main window's command handler (app/mainwnd.cpp). */
#include "printer.h"

#include "../app/faults.h"
#include "../app/settings.h"
#include "../app/shell.h"
#include "../render/layout.h"
#include "../resources/resource.h"

static void DeleteCommandDC(void)
{
    if (printerSetup.printDlg.hDC != NULL)
        DeleteDC(printerSetup.printDlg.hDC);
    printerSetup.printDlg.hDC = NULL;
}

static void FreeHandle(HGLOBAL *handle)
{
    if (*handle != NULL)
        GlobalFree(*handle);
    *handle = NULL;
}

static void FreeBothHandles(void)
{
    FreeHandle(&printerSetup.printDlg.hDevMode);
    FreeHandle(&printerSetup.printDlg.hDevNames);
}

/* The fonts of a folder stay registered from before the dialog to the end of the
 * command; every way out removes them again. */
static void UnloadFonts(int fontsLoaded)
{
    if (fontsLoaded)
        SendMessageA(mainWindow, UM_UNLOADALL, (WPARAM)printerSetup.printDlg.hDC, 0);
}

/* A failure after the dialog: the message, the temporary fonts, the context and
 * both memory blocks, so that the next dialog starts from the default printer. */
static void FailAfterDialog(const char *text, const char *caption, int fontsLoaded)
{
    ShowWarning(text, caption);
    UnloadFonts(fontsLoaded);
    DeleteCommandDC();
    FreeBothHandles();
}

/* The dialog gave a usable printer context whose page is `size`: its metrics
 * become the printer's, the screen is redrawn for them, and for command 121 the
 * grid is printed.  The temporary fonts stay until the user confirms that the
 * pages are out. */
static void UseNewPrinter(int command, POINT size, int fontsLoaded)
{
    PRINTDLGA *dialog = &printerSetup.printDlg;
    printerSetup.pageWidth = size.x;
    printerSetup.pageHeight = size.y;
    printerSetup.dpiX = GetDeviceCaps(dialog->hDC, LOGPIXELSX);
    printerSetup.dpiY = GetDeviceCaps(dialog->hDC, LOGPIXELSY);

    HDC screen = GetDC(clientWindow);
    printing = 0;
    ComputeLayout(&pageLayout);
    SendMessageA(mainWindow, UM_REFRESH, (WPARAM)screen, 0);
    printing = 1;
    ComputeLayout(&pageLayout);
    ReleaseDC(clientWindow, screen);
    ComputeLayout(&pageLayout);

    if (command == CMD_PRINT) {
        PrintGrid(dialog->hDC, dialog);
        ShowWarning("Press AFTER all pages are printed", "");
        UnloadFonts(fontsLoaded);
    }
    DeleteCommandDC();
}

/* 121 and 128 open the dialog on what the last one returned (printer, its
 * settings, range choice, collation, print to file); 155 on the default printer
 * with its defaults and is then handled as 121. */
void RunPrintCommand(int command)
{
    PRINTDLGA *dialog = &printerSetup.printDlg;
    if (!printerSetup.printerKnown && QueryDefaultPrinter() == -1) {
        ShowWarning(textPrinterHdcError, NULL);
        return;
    }
    DeleteCommandDC();
    FreeHandle(&dialog->hDevNames);
    if (command == CMD_PRINT_DEFAULT) {
        FreeHandle(&dialog->hDevMode);
        ZeroMemory(dialog, sizeof *dialog);
        dialog->lStructSize = sizeof *dialog;
        dialog->hwndOwner = mainWindow;
        dialog->Flags = PD_RETURNDC | PD_COLLATE | PD_NOSELECTION;
        command = CMD_PRINT;
    }

    printing = 1;
    ComputeLayout(&pageLayout);
    dialog->nFromPage = dialog->nMinPage = 1;
    dialog->nToPage = dialog->nMaxPage = (WORD)pageLayout.pageCount;

    int fontsLoaded = 0;
    if (command == CMD_PRINT && settings.sourceIsDirectory == 1) {
        SendMessageA(mainWindow, UM_LOADALL, 0, 0);
        fontsLoaded = 1;
    }

    POINT size = {0, 0};
    if (!PrintDlgA(dialog)) {
        /* Cancel keeps the printer and its settings; a failed dialog does not. */
        UnloadFonts(fontsLoaded);
        DeleteCommandDC();
        if (CommDlgExtendedError() != 0) {
            ShowWarning("Printing error!!", " ");
            FreeBothHandles();
        }
    } else if (dialog->hDC == NULL || (dialog->Flags & PD_RETURNIC)) {
        FailAfterDialog("Printing error!", " ", fontsLoaded);
    } else if (SeamEscape(dialog->hDC, GETPHYSPAGESIZE, 0, NULL, &size) <= 0) {
        FailAfterDialog("can't get printer page size", NULL, fontsLoaded);
    } else {
        UseNewPrinter(command, size, fontsLoaded);
    }

    printing = 0;
    ComputeLayout(&pageLayout);
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
}
