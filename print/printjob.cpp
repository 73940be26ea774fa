/* printjob.cpp - the print job: the whole grid sent to a printer as one document,
 * page by page, with the page range, copies and collation chosen in the print
 * dialog, a progress window and ESC after the current page.
 *
 * It draws nothing itself: for each sheet it moves topRow and has the main window
 * (app/mainwnd.cpp) draw one page of rows into the printer context, exactly as the
 * screen is drawn.  Run only by RunPrintCommand (printcmd.cpp). */
#include "printer.h"

#include <commctrl.h>
#include <string.h>

#include "../app/settings.h"
#include "../app/shell.h"
#include "../render/layout.h"
#include "../resources/resource.h"

/* The progress window shared in shape with the folder scan: a bare dialog with a
 * progress bar 10 pixels in from its edges. */
static HWND CreateProgressBar(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    return CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_CHILD | WS_VISIBLE, 10, 10,
                           client.right - 20, 20, dialog, NULL, appInstance, NULL);
}

/* After a sheet: ESC held down ends the job once it is released. */
static int EscapePressed(void)
{
    if (!(GetAsyncKeyState(VK_ESCAPE) & 0x8000))
        return 0;
    while (GetAsyncKeyState(VK_ESCAPE) & 0x8000)
        Sleep(10);
    return 1;
}

static void PrintSheet(HDC dc, HWND progressBar)
{
    StartPage(dc);
    SendMessageA(mainWindow, WM_ERASEBKGND, (WPARAM)dc, 0);
    SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)dc, 0);
    EndPage(dc);
    if (progressBar != NULL)
        SendMessageA(progressBar, PBM_STEPIT, 0, 0);
}

int PrintGrid(HDC dc, PRINTDLGA *printDlg)
{
    int savedTopRow = shell.topRow;
    int allPages = (printDlg->Flags & (PD_SELECTION | PD_PAGENUMS)) == 0;
    int collate = (printDlg->Flags & PD_COLLATE) != 0;
    int cancelled = 0;
    WORD copies = printDlg->nCopies;
    int pagesInJob = allPages ? pageLayout.pageCount
                              : (int)printDlg->nToPage - (int)printDlg->nFromPage + 1;

    char output[300];
    DOCINFOA document;
    ZeroMemory(&document, sizeof document);
    document.cbSize = 20;
    document.lpszDocName = "Zenvrix-DXRV";
    if ((printDlg->Flags & PD_PRINTTOFILE) && printDlg->hDevNames != NULL) {
        DEVNAMES *names = (DEVNAMES *)GlobalLock(printDlg->hDevNames);
        if (names != NULL) {
            lstrcpynA(output, (const char *)names + names->wOutputOffset, sizeof output);
            GlobalUnlock(printDlg->hDevNames);
            document.lpszOutput = output;
        }
    }

    HWND progress = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(DIALOG_PROGRESSBAR),
                                       mainWindow, NULL, 0);
    HWND progressBar = NULL;
    if (progress != NULL) {
        progressBar = CreateProgressBar(progress);
        SendMessageA(progressBar, PBM_SETRANGE, 0,
                     MAKELPARAM(0, (WORD)(copies * pagesInJob)));
        SendMessageA(progressBar, PBM_SETSTEP, 1, 0);
    }

    StartDocA(dc, &document);
    int ended = 0;
    if (copies != 0) {
        int documentCopies = collate ? copies : 1;
        for (int copy = 0; copy < documentCopies && !ended; copy++) {
            shell.topRow = 0;
            WORD page = 1;
            while (shell.topRow < pageLayout.totalRows && !ended) {
                for (int sheet = 0; sheet < copies; sheet++) {
                    if (allPages || (printDlg->nFromPage <= page && page <= printDlg->nToPage)) {
                        PrintSheet(dc, progressBar);
                        if (EscapePressed())
                            cancelled = 1;
                    }
                    if (collate)
                        break;
                    if (cancelled) {
                        AbortDoc(dc);
                        ended = 1;
                        break;
                    }
                }
                if (ended || cancelled)
                    break;
                shell.topRow += pageLayout.rowsPerPage;
                page++;
            }
            if (ended)
                break;
            if (!collate) {
                if (cancelled)
                    AbortDoc(dc);
                else
                    EndDoc(dc);
                ended = 1;
            } else if (cancelled) {
                AbortDoc(dc);
                ended = 1;
            }
        }
    }
    if (!ended)
        EndDoc(dc);

    if (progressBar != NULL)
        DestroyWindow(progressBar);
    if (progress != NULL)
        DestroyWindow(progress);
    shell.topRow = savedTopRow;
    return 1;
}
