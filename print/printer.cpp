/* printer.cpp - the printer state: the print-dialog block carried from one print
 * dialog to the next, the page size and resolution of the printer, the printing
 * flag, the default-printer query of start-up and the margins dialog.
 * Read by the layout (render/layout.cpp); the query is called by start-up
 * (app/startup.cpp) and the print commands (printcmd.cpp). */
#include "printer.h"

#include "../app/shell.h"

PrinterSetup printerSetup;
int printing;

void ResetPrinterSetup(void)
{
    ZeroMemory(&printerSetup, sizeof printerSetup);
    printerSetup.pageWidth = 100;
    printerSetup.pageHeight = 100;
    printerSetup.dpiX = 1;
    printerSetup.dpiY = 1;
    printing = 0;
}

static void DeletePrinterDC(void)
{
    if (printerSetup.printDlg.hDC != NULL)
        DeleteDC(printerSetup.printDlg.hDC);
    printerSetup.printDlg.hDC = NULL;
}

static void FreeDeviceHandles(void)
{
    if (printerSetup.printDlg.hDevMode != NULL)
        GlobalFree(printerSetup.printDlg.hDevMode);
    printerSetup.printDlg.hDevMode = NULL;
    if (printerSetup.printDlg.hDevNames != NULL)
        GlobalFree(printerSetup.printDlg.hDevNames);
    printerSetup.printDlg.hDevNames = NULL;
}

int QueryDefaultPrinter(void)
{
    if (printerSetup.printerKnown)
        return 1;
    PRINTDLGA *dialog = &printerSetup.printDlg;
    ZeroMemory(dialog, sizeof *dialog);
    dialog->lStructSize = 66;
    dialog->hwndOwner = mainWindow;
    dialog->hInstance = appInstance;
    dialog->Flags = PD_RETURNDEFAULT | PD_RETURNDC | PD_COLLATE | PD_NOSELECTION;
    if (!PrintDlgA(dialog)) {
        DeletePrinterDC();
        FreeDeviceHandles();
        return -1;
    }
    if (dialog->hDC == NULL) {
        FreeDeviceHandles();
        return -1;
    }
    if (dialog->Flags & PD_RETURNIC) {
        DeletePrinterDC();
        FreeDeviceHandles();
        return -1;
    }
    POINT size = {0, 0};
    if (Escape(dialog->hDC, GETPHYSPAGESIZE, 0, NULL, &size) <= 0) {
        ShowWarning("can't get printer page size", NULL);
        DeletePrinterDC();
        FreeDeviceHandles();
        return -1;
    }
    printerSetup.pageWidth = size.x;
    printerSetup.pageHeight = size.y;
    printerSetup.dpiX = GetDeviceCaps(dialog->hDC, LOGPIXELSX);
    printerSetup.dpiY = GetDeviceCaps(dialog->hDC, LOGPIXELSY);
    DeletePrinterDC();
    printerSetup.printerKnown = 1;
    dialog->Flags &= ~(DWORD)PD_RETURNDEFAULT;
    return 1;
}

/* Program end: a leftover printer DC first, then DEVMODE, then DEVNAMES. */
void ReleasePrinterSetup(void)
{
    DeletePrinterDC();
    FreeDeviceHandles();
}

INT_PTR CALLBACK MarginsDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
