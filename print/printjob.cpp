/* printjob.cpp - the print job: the whole grid sent to a printer as one document
 * named "Zenvrix-DXRV", page by page, with the page range, copies and collation
 * chosen in the print dialog, a progress window, and ESC after the current page.
 *
 * It draws nothing itself: for each sheet it moves topRow and has the main window
 * (app/mainwnd.cpp) draw one page of rows into the printer context with
 * UM_DRAWPAGE, exactly as the screen is drawn.  It touches only topRow (put back
 * before it returns) and its own progress window; the layout, the DisplayList and
 * the print-dialog block are only read.  Run only by RunPrintCommand (printcmd.cpp). */
#include "printer.h"

#include <commctrl.h>

#include "../app/settings.h"
#include "../app/shell.h"
#include "../render/layout.h"
#include "../resources/resource.h"

/* One job's running state. */
struct PrintJob {
    HDC dc;
    const PRINTDLGA *printDlg;
    int allPages;                /* 0: only nFromPage ... nToPage */
    int collate;
    int cancelled;
    HWND progress;               /* the progress dialog, or NULL */
    HWND progressBar;            /* its bar, or NULL */
};

/* The progress window, shaped like the folder scan's: the bare DIALOG_PROGRESSBAR
 * with a bar 10 pixels in from its edges, ranging over every sheet of the job (cut
 * to 16 bits as the bar takes it).  Without the dialog the job runs unseen. */
static void OpenProgress(PrintJob *job, int sheets)
{
    job->progress = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(DIALOG_PROGRESSBAR),
                                       mainWindow, NULL, 0);
    job->progressBar = NULL;
    if (job->progress == NULL)
        return;
    RECT client;
    GetClientRect(job->progress, &client);
    job->progressBar = CreateWindowExA(0, PROGRESS_CLASSA, NULL, WS_CHILD | WS_VISIBLE, 10, 10,
                                       client.right - 20, 20, job->progress, NULL, appInstance,
                                       NULL);
    if (job->progressBar == NULL)
        return;
    SendMessageA(job->progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)sheets));
    SendMessageA(job->progressBar, PBM_SETSTEP, 1, 0);
}

static void CloseProgress(PrintJob *job)
{
    if (job->progressBar != NULL)
        DestroyWindow(job->progressBar);
    if (job->progress != NULL)
        DestroyWindow(job->progress);
    job->progressBar = NULL;
    job->progress = NULL;
}

/* The sheet's background, filled the way the default window procedure erases the
 * main window: its class brush over the context's clip box.  The job does this
 * itself instead of sending WM_ERASEBKGND with the printer context, because Wine's
 * default window procedure takes the process down when it erases into a printer
 * context. */
static void EraseSheet(HDC dc)
{
    HBRUSH brush = (HBRUSH)GetClassLongPtrA(mainWindow, GCLP_HBRBACKGROUND);
    RECT sheet;
    if (brush == NULL || GetClipBox(dc, &sheet) == ERROR)
        return;
    FillRect(dc, &sheet, brush);
}

/* ESC is looked at only between sheets.  Held down, the job waits for its release
 * so that the key does not stop the next drawing on the screen as well. */
static int EscapeWasPressed(void)
{
    if (!(GetAsyncKeyState(VK_ESCAPE) & 0x8000))
        return 0;
    while (GetAsyncKeyState(VK_ESCAPE) & 0x8000)
        Sleep(10);
    return 1;
}

/* One sheet of the page whose first row is topRow, if the page is in the range. */
static void PrintSheet(PrintJob *job, WORD page)
{
    const PRINTDLGA *dialog = job->printDlg;
    if (!job->allPages && !(dialog->nFromPage <= page && page <= dialog->nToPage))
        return;
    StartPage(job->dc);
    EraseSheet(job->dc);
    SendMessageA(mainWindow, UM_DRAWPAGE, (WPARAM)job->dc, 0);
    EndPage(job->dc);
    if (job->progressBar != NULL)
        SendMessageA(job->progressBar, PBM_STEPIT, 0, 0);
    if (EscapeWasPressed())
        job->cancelled = 1;
}

/* Every page of the grid once, from its first row; a page's sheets come one per
 * copy without collation, one in all with it.  Pages outside the range still move
 * topRow on, so page numbers always count from the grid's first row.  ESC ends
 * the pass after the sheet it came during. */
static void PrintPages(PrintJob *job)
{
    WORD copies = job->printDlg->nCopies;
    WORD page = 1;
    shell.topRow = 0;
    while (shell.topRow < pageLayout.totalRows) {
        for (WORD sheet = 0; sheet < copies; sheet++) {
            PrintSheet(job, page);
            if (job->collate || job->cancelled)
                break;
        }
        if (job->cancelled)
            return;
        shell.topRow += pageLayout.rowsPerPage;
        page++;
    }
}

int PrintGrid(HDC dc, PRINTDLGA *printDlg)
{
    PrintJob job;
    ZeroMemory(&job, sizeof job);
    job.dc = dc;
    job.printDlg = printDlg;
    job.allPages = (printDlg->Flags & (PD_SELECTION | PD_PAGENUMS)) == 0;
    job.collate = (printDlg->Flags & PD_COLLATE) != 0;
    int savedTopRow = shell.topRow;
    int pages = job.allPages ? pageLayout.pageCount
                             : (int)printDlg->nToPage - (int)printDlg->nFromPage + 1;

    char output[300];
    DOCINFOA document;
    ZeroMemory(&document, sizeof document);
    document.cbSize = sizeof document;
    document.lpszDocName = "Zenvrix-DXRV";
    if ((printDlg->Flags & PD_PRINTTOFILE) && printDlg->hDevNames != NULL) {
        const DEVNAMES *names = (const DEVNAMES *)GlobalLock(printDlg->hDevNames);
        if (names != NULL) {
            lstrcpynA(output, (const char *)names + names->wOutputOffset, sizeof output);
            GlobalUnlock(printDlg->hDevNames);
            document.lpszOutput = output;
        }
    }

    OpenProgress(&job, (int)printDlg->nCopies * pages);
    StartDocA(dc, &document);
    /* Collated, the whole grid is one pass per copy; otherwise one pass makes
     * every copy of each page in turn. */
    int passes = job.collate ? printDlg->nCopies : (printDlg->nCopies > 0 ? 1 : 0);
    for (int pass = 0; pass < passes && !job.cancelled; pass++)
        PrintPages(&job);
    if (job.cancelled)
        AbortDoc(dc);
    else
        EndDoc(dc);

    CloseProgress(&job);
    shell.topRow = savedTopRow;
    return 1;
}
