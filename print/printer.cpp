/* printer.cpp - the printer state: the print-dialog block carried from one print
 * dialog to the next, the page size and resolution of the printer, the printing
 * flag, the default-printer query of start-up and the margins dialog.
 * Read by the layout (render/layout.cpp); the query is called by start-up
 * (app/startup.cpp) and the print commands (printcmd.cpp); the margins dialog is
 * run by command 132 (app/mainwnd.cpp) and writes the four margins of the view
 * settings (app/settings.h), nothing else. */
#include "printer.h"

#include "../app/settings.h"
#include "../app/shell.h"
#include "../resources/resource.h"

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
    dialog->lStructSize = sizeof *dialog;
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

/* ---- the margins dialog (command 132) ---- */

struct MarginField {
    int control;
    float *margin;
};

/* In the order the dialog reads them. */
static const MarginField marginFields[4] = {
    {IDC_MARGIN_LEFT, &settings.marginLeft},
    {IDC_MARGIN_RIGHT, &settings.marginRight},
    {IDC_MARGIN_BOTTOM, &settings.marginBottom},
    {IDC_MARGIN_TOP, &settings.marginTop},
};

/* A margin as the unsigned number its edit shows, truncated toward zero. */
static UINT MarginAsUnsigned(float margin)
{
    if (!(margin > 0))
        return 0;
    if (margin >= 4294967295.0f)
        return 4294967295u;
    return (UINT)margin;
}

/* Decimal digits with nothing but blanks around them.  GetDlgItemInt alone would
 * take "-5" as 4294967291 and "12abc" as 12 on some systems. */
static int IsUnsignedText(const char *text)
{
    int i = 0;
    while (text[i] == ' ')
        i++;
    int digits = 0;
    while (text[i] >= '0' && text[i] <= '9') {
        i++;
        digits++;
    }
    while (text[i] == ' ')
        i++;
    return digits > 0 && text[i] == 0;
}

/* Reads one edit as an unsigned integer; 0 when its text is not one. */
static int ReadMargin(HWND dialog, int control, UINT *value)
{
    char text[32];
    if (GetDlgItemTextA(dialog, control, text, sizeof text) >= (int)sizeof text - 1)
        return 0;
    if (!IsUnsignedText(text))
        return 0;
    BOOL translated = FALSE;
    *value = GetDlgItemInt(dialog, control, &translated, FALSE);
    return translated != FALSE;
}

static void OnMarginsInit(HWND dialog)
{
    for (int i = 0; i < 4; i++)
        SetDlgItemInt(dialog, marginFields[i].control, MarginAsUnsigned(*marginFields[i].margin),
                      FALSE);
}

/* The four margins change together or not at all: while any field is not an
 * unsigned integer the dialog stays open and the old margins stay in force. */
static void OnMarginsOk(HWND dialog)
{
    UINT values[4];
    for (int i = 0; i < 4; i++)
        if (!ReadMargin(dialog, marginFields[i].control, &values[i]))
            return;
    for (int i = 0; i < 4; i++)
        *marginFields[i].margin = (float)values[i];
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK MarginsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        OnMarginsInit(dialog);
    else if (message == WM_COMMAND && wParam == IDOK)
        OnMarginsOk(dialog);
    else if (message == WM_COMMAND && wParam == IDCANCEL)
        EndDialog(dialog, 0);
    return 0;
}
