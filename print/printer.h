/* printer.h - the printer state (print-dialog block, page metrics, the printing
 * flag), the default-printer query, the margins dialog, the print commands and the
 * print job.
 *
 * Read by the layout (render/layout.cpp) and the drawing walk; the commands are
 * run from the main window's WM_COMMAND handler (app/mainwnd.cpp). */
#ifndef ZENVRIX_PRINTER_H
#define ZENVRIX_PRINTER_H

#include <windows.h>
#include <commdlg.h>

struct PrinterSetup {
    PRINTDLGA printDlg;          /* reused by every print dialog */
    int printerKnown;            /* 1 once metrics came from a real printer */
    int pageWidth;               /* GETPHYSPAGESIZE, device pixels */
    int pageHeight;
    int dpiX;
    int dpiY;
};

extern PrinterSetup printerSetup;
extern int printing;             /* 1 while the layout describes printer pages */

/* Puts the printer state back to its start-up values (no printer known). */
void ResetPrinterSetup(void);
/* Reads the default printer's page size and resolution; 1, or -1 on failure. */
int QueryDefaultPrinter(void);
/* Deletes a leftover printer DC and frees DEVMODE, then DEVNAMES (program end). */
void ReleasePrinterSetup(void);

INT_PTR CALLBACK MarginsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* Commands 121, 128 and 155. */
void RunPrintCommand(int command);
/* Prints the whole grid into dc as one document; always returns 1. */
int PrintGrid(HDC dc, PRINTDLGA *printDlg);

#endif
