/* print_test.cpp - printing for real: commands 121, 128 and 155 with Wine's print
 * dialog answered by the dialog script; the job's document arrives as a PDF from
 * the test run's private CUPS queue "PDF" (A4 at 300 dpi) and is read back with
 * printout.h.  Each cell printed names itself ("Cell0042", or a font file's name),
 * so a page's labels say which rows it holds.  The WithoutPrinter tests run only
 * in the CTest entry print_test_without_printer.  Fonts from a folder are renamed
 * DejaVu copies (family prefix "ZvPrnt"), removed again after each test. */
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "install_support.h"
#include "print/printer.h"
#include "printout.h"
#include "render/draw.h"
#include "render/layout.h"
#include "resources/resource.h"

namespace {

using printout::Printout;
typedef std::vector<std::string> Labels;

/* Controls of Wine's print dialog. */
enum { PRINT_TO_FILE = 1040, PRINT_COLLATE = 1041, PRINT_ALL = 1056, PRINT_PAGES = 1058 };
enum { PRINT_PRINTER = 1139, PRINT_FROM = 1152, PRINT_TO = 1153, PRINT_COPIES = 1154 };

const char kPagesOut[] = "Press AFTER all pages are printed";
const char kFontPrefix[] = "ZvPrnt";
const char kTitle[] = "Zenvrix-DXRV";

/* A DisplayList of `count` installed-font entries whose face names are their
 * own labels. */
void ShowCells(int count, const char *stem = "Cell")
{
    std::vector<FontRecord> records((size_t)count);
    for (int i = 0; i < count; i++) {
        FontRecord &record = records[(size_t)i];
        ZeroMemory(&record, sizeof record);
        record.logFont.lfWeight = FW_NORMAL;
        snprintf(record.logFont.lfFaceName, sizeof record.logFont.lfFaceName, "%s%04d", stem, i);
        record.fontType = TRUETYPE_FONTTYPE;
    }
    installtest::FillList(&displayList, records);
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
}

void ScrollDown(int rows)
{
    for (int i = 0; i < rows; i++)
        SendMessageA(mainWindow, WM_VSCROLL, SB_LINEDOWN, 0);
}

/* The layout of a printed sheet for the current printer; the screen's layout
 * stays in force. */
PageLayout SheetLayout(void)
{
    PageLayout sheet;
    printing = 1;
    ComputeLayout(&sheet);
    printing = 0;
    ComputeLayout(&pageLayout);
    return sheet;
}

/* The labels the grid puts on page `page` (from 0) of the whole grid. */
Labels LabelsOfPage(const PageLayout &sheet, int page)
{
    Labels labels;
    int perPage = sheet.rowsPerPage * settings.columns;
    for (int i = page * perPage; i < (page + 1) * perPage && i < displayList.count; i++)
        labels.push_back(displayList.records[i]->logFont.lfFaceName);
    return labels;
}

std::vector<Labels> LabelsPerSheet(const Printout &printed, const std::string &prefix = "Cell")
{
    std::vector<Labels> sheets;
    for (const std::string &text : printed.pageTexts)
        sheets.push_back(printout::WordsStartingWith(text, prefix));
    return sheets;
}

/* The first label of every sheet: which page each sheet is. */
Labels FirstLabels(const Printout &printed)
{
    Labels firsts;
    for (const Labels &sheet : LabelsPerSheet(printed))
        firsts.push_back(sheet.empty() ? "(none)" : sheet[0]);
    return firsts;
}

/* The last PDF read, whose pages are saved as pictures when the test fails. */
std::string lastPdf;

/* The one PDF that arrives after `before`; pages -1 when none (or several) came. */
Printout ArrivedPdf(const std::set<std::string> &before)
{
    std::vector<std::string> pdfs = printout::WaitForNewPdfs(before, 1);
    if (pdfs.size() != 1) {
        ADD_FAILURE() << pdfs.size() << " PDFs arrived instead of one";
        return Printout();
    }
    lastPdf = pdfs[0];
    return printout::ReadPrintout(pdfs[0]);
}

DialogStep PrintDialog(void)
{
    return Dialog("Print", IDOK);
}

/* `command` with the print dialog answered by `dialog` and the closing box
 * confirmed (after `onBox` looked at the state while it is open). */
void RunPrint(const DialogStep &dialog, std::function<void(HWND)> onBox = nullptr,
              int command = CMD_PRINT)
{
    ScriptExpect(dialog);
    ScriptExpect(Inspect(Box(kPagesOut, ""), onBox));
    SendCommand(command);
}

/* Command 121 as above; returns what arrived at the printer. */
Printout PrintWith(const DialogStep &dialog)
{
    std::set<std::string> before = printout::PdfFiles();
    RunPrint(dialog);
    return ArrivedPdf(before);
}

/* Copies and page range typed into the print dialog. */
DialogStep Pages(DialogStep step, int from, int to)
{
    step = Check(Check(step, PRINT_ALL, false), PRINT_PAGES, true);
    return Edit(Edit(step, PRINT_FROM, std::to_string(from)), PRINT_TO, std::to_string(to));
}

DialogStep Copies(DialogStep step, int copies, bool collate)
{
    return Check(Edit(step, PRINT_COPIES, std::to_string(copies)), PRINT_COLLATE, collate);
}

/* ---- what the main window is sent while a command runs ---- */

struct SheetSeen {
    int topRow;
    int technology;    /* of the context drawn into */
    HWND progress;     /* the progress window then */
    HWND progressOwner;
    RECT progressBar;  /* in the progress window's client area */
    int progressWidth; /* of that client area */
    int progressPosition;
    int progressHigh;
};

/* Watches the main window's private messages (after they were handled): the
 * sheets drawn while printing, UM_LOADALL and UM_UNLOADALL; can press ESC once a
 * chosen sheet has been drawn and hold it for a while. */
struct JobWatch;
JobWatch *activeWatch;

struct JobWatch {
    std::vector<SheetSeen> sheets;
    int loads = 0;
    int unloads = 0;
    int escapeAfterSheet = 0; /* 1-based; 0: never */
    DWORD escapeHoldMs = 300;
    HHOOK hook;

    JobWatch() : hook(SetWindowsHookExA(WH_CALLWNDPROCRET, Note, NULL, GetCurrentThreadId()))
    {
        activeWatch = this;
    }
    ~JobWatch()
    {
        UnhookWindowsHookEx(hook);
        activeWatch = NULL;
    }
    static LRESULT CALLBACK Note(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPRETSTRUCT *message = (const CWPRETSTRUCT *)lParam;
        JobWatch *watch = activeWatch;
        if (code == HC_ACTION && watch != NULL && message->hwnd == mainWindow) {
            if (message->message == UM_LOADALL)
                watch->loads++;
            else if (message->message == UM_UNLOADALL)
                watch->unloads++;
            else if (message->message == UM_DRAWPAGE && printing)
                watch->NoteSheet((HDC)message->wParam);
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }
    void NoteSheet(HDC dc)
    {
        SheetSeen seen;
        seen.topRow = shell.topRow;
        seen.technology = GetDeviceCaps(dc, TECHNOLOGY);
        seen.progress = FindWindowA(NULL, "Progress: (press ESC to cancel)");
        HWND bar = FindWindowExA(seen.progress, NULL, "msctls_progress32", NULL);
        seen.progressOwner = GetWindow(seen.progress, GW_OWNER);
        RECT client = {};
        GetClientRect(seen.progress, &client);
        seen.progressWidth = client.right;
        GetWindowRect(bar, &seen.progressBar);
        MapWindowPoints(NULL, seen.progress, (POINT *)&seen.progressBar, 2);
        seen.progressPosition = bar ? (int)SendMessageA(bar, PBM_GETPOS, 0, 0) : -1;
        seen.progressHigh = bar ? (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0) : -1;
        sheets.push_back(seen);
        if ((int)sheets.size() == escapeAfterSheet) {
            EscapeKey(true);
            HANDLE thread = CreateThread(NULL, 0, ReleaseLater,
                                         (LPVOID)(UINT_PTR)escapeHoldMs, 0, NULL);
            if (thread != NULL)
                CloseHandle(thread);
        }
    }
    static DWORD WINAPI ReleaseLater(LPVOID holdMs)
    {
        Sleep((DWORD)(UINT_PTR)holdMs);
        EscapeKey(false);
        return 0;
    }
    std::vector<int> TopRows() const
    {
        std::vector<int> rows;
        for (const SheetSeen &seen : sheets)
            rows.push_back(seen.topRow);
        return rows;
    }
    void ExpectLoadsAndUnloads(int times = 1) const
    {
        EXPECT_EQ(times, loads);
        EXPECT_EQ(times, unloads);
    }
};

bool Freed(HGLOBAL handle)
{
    return handle != NULL && GlobalSize(handle) == 0;
}

bool IsContext(HDC dc)
{
    return dc != NULL && GetObjectType(dc) == OBJ_DC;
}

/* Every test runs the real windows with the queue "PDF" as the default printer. */
class Printing : public RunningProgram {
protected:
    void SetUp() override
    {
        lastPdf.clear();
        RunningProgram::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(1, printerSetup.printerKnown);
        ASSERT_EQ(2479, printerSetup.pageWidth); /* A4 upright: no test leaves it turned */
        ASSERT_NE("", printout::PdfFolder()) << "CUPS_SERVER names no private server";
    }
    void TearDown() override
    {
        EXPECT_EQ(0, printing);
        EXPECT_EQ(NULL, printerSetup.printDlg.hDC);
        if (HasFailure() && !lastPdf.empty())
            printf("last PDF %s, first page %s\n", lastPdf.c_str(),
                   printout::SavePagePictures(lastPdf).c_str());
        RunningProgram::TearDown();
    }
};

/* ---- pages and their rows ---- */

TEST_F(Printing, EveryPageOfTheLayoutArrivesWithTheRowsTheLayoutPutsThere)
{
    struct Case {
        int cells, columns, pointSize;
    };
    /* One cell; a page exactly full; one cell over; several pages in other shapes. */
    const Case cases[] = {{1, 3, 15}, {66, 3, 15}, {67, 3, 15}, {250, 5, 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.cells) + " cells in " + std::to_string(c.columns) +
                     " columns at " + std::to_string(c.pointSize) + " points");
        settings.columns = c.columns;
        settings.pointSize = c.pointSize;
        ShowCells(c.cells);
        PageLayout sheet = SheetLayout();
        ASSERT_GE(sheet.pageCount, 1);
        JobWatch watch;
        Printout printed = PrintWith(PrintDialog());
        EXPECT_EQ(kTitle, printed.title);
        ASSERT_EQ(sheet.pageCount, printed.pages);
        std::vector<Labels> sheets = LabelsPerSheet(printed);
        ASSERT_EQ((size_t)sheet.pageCount, sheets.size());
        ASSERT_EQ((size_t)sheet.pageCount, watch.sheets.size());
        for (int page = 0; page < sheet.pageCount; page++) {
            EXPECT_EQ(LabelsOfPage(sheet, page), sheets[(size_t)page]) << "page " << page + 1;
            EXPECT_EQ(page * sheet.rowsPerPage, watch.sheets[(size_t)page].topRow);
            EXPECT_EQ(DT_RASPRINTER, watch.sheets[(size_t)page].technology);
        }
    }
}

TEST_F(Printing, TheProgressWindowCountsTheSheetsAndGoesAway)
{
    ShowCells(150); /* three pages */
    JobWatch watch;
    EXPECT_EQ(6, PrintWith(Copies(PrintDialog(), 2, false)).pages);
    ASSERT_EQ(6u, watch.sheets.size());
    const SheetSeen &first = watch.sheets[0];
    ASSERT_NE((HWND)NULL, first.progress);
    EXPECT_EQ(mainWindow, first.progressOwner);
    const RECT &bar = first.progressBar;
    EXPECT_EQ(10, bar.left);
    EXPECT_EQ(10, bar.top);
    EXPECT_EQ(first.progressWidth - 20, bar.right - bar.left);
    EXPECT_EQ(20, bar.bottom - bar.top);
    for (size_t i = 0; i < watch.sheets.size(); i++) {
        EXPECT_EQ(first.progress, watch.sheets[i].progress);
        EXPECT_EQ(6, watch.sheets[i].progressHigh);          /* copies x pages */
        EXPECT_EQ((int)i, watch.sheets[i].progressPosition); /* stepped after each sheet */
    }
    EXPECT_FALSE(IsWindow(first.progress));
    EXPECT_EQ(NULL, FindWindowA(NULL, "Progress: (press ESC to cancel)"));
}

/* ---- copies, collation, ranges ---- */

TEST_F(Printing, CopiesComeCollatedOrPageByPage)
{
    ShowCells(150); /* three pages */
    PageLayout sheet = SheetLayout();
    ASSERT_EQ(3, sheet.pageCount);
    std::string page1 = LabelsOfPage(sheet, 0)[0], page2 = LabelsOfPage(sheet, 1)[0];

    Printout collated = PrintWith(Pages(Copies(PrintDialog(), 3, true), 1, 2));
    EXPECT_EQ(PD_COLLATE, printerSetup.printDlg.Flags & PD_COLLATE);
    EXPECT_EQ(3, printerSetup.printDlg.nCopies);
    EXPECT_EQ(Labels({page1, page2, page1, page2, page1, page2}), FirstLabels(collated));

    Printout uncollated = PrintWith(Pages(Copies(PrintDialog(), 3, false), 1, 2));
    EXPECT_EQ(0u, printerSetup.printDlg.Flags & PD_COLLATE);
    std::vector<Labels> sheets = LabelsPerSheet(uncollated);
    ASSERT_EQ(6u, sheets.size());
    for (size_t i = 0; i < sheets.size(); i++) /* whole pages: 1, 1, 1, 2, 2, 2 */
        EXPECT_EQ(LabelsOfPage(sheet, (int)i / 3), sheets[i]) << "sheet " << i + 1;
}

TEST_F(Printing, ARangePrintsOnlyItsPagesCountedFromTheGridsFirstRow)
{
    ShowCells(300); /* five pages */
    PageLayout sheet = SheetLayout();
    ASSERT_EQ(5, sheet.pageCount);
    ScrollDown(30);
    ASSERT_EQ(30, shell.topRow); /* the view shows page 2 and more */

    JobWatch watch;
    Printout printed = PrintWith(Pages(PrintDialog(), 2, 3));
    EXPECT_EQ(std::vector<Labels>({LabelsOfPage(sheet, 1), LabelsOfPage(sheet, 2)}),
              LabelsPerSheet(printed));
    EXPECT_EQ(std::vector<int>({sheet.rowsPerPage, 2 * sheet.rowsPerPage}), watch.TopRows());
    EXPECT_EQ(30, shell.topRow);
}

/* A printer context of the default queue, as the dialog makes one, for running the
 * job directly with choices the dialog would refuse. */
struct DirectJob {
    PRINTDLGA block = {};
    DirectJob()
    {
        block.lStructSize = sizeof block;
        block.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
        PrintDlgA(&block);
        GlobalFree(block.hDevMode);
        GlobalFree(block.hDevNames);
        block.hDevMode = block.hDevNames = NULL;
    }
    ~DirectJob()
    {
        if (block.hDC != NULL)
            DeleteDC(block.hDC);
        GlobalFree(block.hDevNames);
    }
    /* Runs the job as the print command does, with the layout for the printer. */
    int Run(DWORD flags, WORD from, WORD to, WORD copies)
    {
        block.Flags = flags;
        block.nFromPage = from;
        block.nToPage = to;
        block.nCopies = copies;
        printing = 1;
        ComputeLayout(&pageLayout);
        int result = PrintGrid(block.hDC, &block);
        printing = 0;
        ComputeLayout(&pageLayout);
        return result;
    }
};

TEST_F(Printing, ARangeOutsideTheGridPrintsThePagesThereAreOrAnEmptyDocument)
{
    ShowCells(100); /* two pages */
    PageLayout sheet = SheetLayout();
    DirectJob job;
    ASSERT_TRUE(IsContext(job.block.hDC));
    struct Case {
        const char *name;
        DWORD flags;
        WORD from, to, copies;
        int pagePrinted; /* from 1; 0: none */
    };
    const Case cases[] = {{"range beyond the grid", PD_PAGENUMS, 5, 6, 1, 0},
                          {"no copies", PD_COLLATE, 0, 0, 0, 0},
                          {"range partly beyond", PD_PAGENUMS, 2, 9, 1, 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::set<std::string> before = printout::PdfFiles();
        JobWatch watch;
        EXPECT_EQ(1, job.Run(c.flags, c.from, c.to, c.copies));
        Printout printed = ArrivedPdf(before);
        EXPECT_EQ(kTitle, printed.title); /* the document is still started and ended */
        ASSERT_EQ(1u, printed.pageTexts.size()); /* a PDF has at least one, blank, page */
        if (c.pagePrinted == 0) {
            EXPECT_TRUE(watch.sheets.empty());
            EXPECT_EQ(Labels(), LabelsPerSheet(printed)[0]);
            EXPECT_TRUE(printed.fonts.empty());
        } else {
            EXPECT_EQ(LabelsOfPage(sheet, c.pagePrinted - 1), LabelsPerSheet(printed)[0]);
        }
    }
}

TEST_F(Printing, AnEmptyListPrintsAnEmptyDocument)
{
    ShowCells(0);
    ASSERT_EQ(0, SheetLayout().pageCount);
    JobWatch watch;
    Printout printed = PrintWith(PrintDialog()); /* Wine's dialog takes page bounds of 1 ... 0 */
    EXPECT_TRUE(watch.sheets.empty());
    EXPECT_EQ(kTitle, printed.title);
    EXPECT_TRUE(printed.fonts.empty());
}

TEST_F(Printing, AProgressRangeAbove65535IsCutTo16BitsWhileEveryPagePrints)
{
    ShowCells(30); /* one page */
    DirectJob job;
    JobWatch watch;
    std::set<std::string> before = printout::PdfFiles();
    EXPECT_EQ(1, job.Run(PD_PAGENUMS, 1, 40000, 2));
    ASSERT_EQ(2u, watch.sheets.size());
    EXPECT_EQ((2 * 40000) & 0xFFFF, watch.sheets[0].progressHigh);
    EXPECT_EQ(Labels({"Cell0000", "Cell0000"}), FirstLabels(ArrivedPdf(before)));
}

/* ---- ESC ---- */

/* After an aborted job nothing may reach the printer: the next document to arrive
 * must be this one-cell marker. */
void ExpectOnlyTheMarkerArrives(const std::set<std::string> &before,
                                const DialogStep &dialog = PrintDialog())
{
    ShowCells(1, "Marker");
    RunPrint(dialog);
    EXPECT_EQ(std::vector<Labels>({{"Marker0000"}}), LabelsPerSheet(ArrivedPdf(before), "Marker"));
}

TEST_F(Printing, EscapeStopsTheJobAfterTheCurrentPageAndNothingIsPrinted)
{
    ShowCells(300); /* five pages */
    ScrollDown(7);
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    ASSERT_EQ(7, shell.topRow);
    Capture view = CaptureWindow(clientWindow);

    std::set<std::string> before = printout::PdfFiles();
    JobWatch watch;
    watch.escapeAfterSheet = 2;
    watch.escapeHoldMs = 400;
    DWORD start = GetTickCount();
    RunPrint(PrintDialog(), [](HWND) {
        EXPECT_FALSE(GetAsyncKeyState(VK_ESCAPE) & 0x8000); /* released before the job ended */
    });
    EXPECT_GE(GetTickCount() - start, 400u);
    EXPECT_EQ(2u, watch.sheets.size()); /* page 2 was finished, page 3 never begun */
    EXPECT_EQ(7, shell.topRow);
    Capture after = CaptureWindow(clientWindow);
    EXPECT_TRUE(view.pixels == after.pixels) << SaveFailureCapture(after, "print_escape_view");
    ExpectOnlyTheMarkerArrives(before);
}

TEST_F(Printing, EscapeInAnyCopyAbortsTheWholeJob)
{
    struct Case {
        const char *name;
        int copies;
        bool collate;
        int escapeAfterSheet;
        std::vector<int> pagesDrawn; /* from 0 */
    };
    const Case cases[] = {{"collated, in page 1 of copy 2", 2, true, 3, {0, 1, 0}},
                          {"uncollated, before the next copy", 3, false, 1, {0}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ShowCells(100); /* two pages */
        PageLayout sheet = SheetLayout();
        std::set<std::string> before = printout::PdfFiles();
        JobWatch watch;
        watch.escapeAfterSheet = c.escapeAfterSheet;
        RunPrint(Copies(PrintDialog(), c.copies, c.collate));
        std::vector<int> topRows;
        for (int page : c.pagesDrawn)
            topRows.push_back(page * sheet.rowsPerPage);
        EXPECT_EQ(topRows, watch.TopRows());
        EXPECT_EQ(0, shell.topRow);
        ExpectOnlyTheMarkerArrives(before);
    }
}

/* ---- print to file ---- */

TEST_F(Printing, PrintToFileSendsTheDocumentToTheOutputNamedInTheDialog)
{
    ShowCells(100); /* two pages */
    std::string folder = TempTestDir("print_to_file");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    std::set<std::string> before = printout::PdfFiles();
    std::string output;
    RunPrint(Check(PrintDialog(), PRINT_TO_FILE, true), [&output](HWND) {
        DEVNAMES *names = (DEVNAMES *)GlobalLock(printerSetup.printDlg.hDevNames);
        ASSERT_TRUE(names != NULL);
        output = (const char *)names + names->wOutputOffset;
        GlobalUnlock(printerSetup.printDlg.hDevNames);
    });
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(PD_PRINTTOFILE, printerSetup.printDlg.Flags & PD_PRINTTOFILE);
    /* Wine's dialog names the port "FILE:", and Wine writes the document to a file
     * of that name in the current folder instead of asking for one. */
    EXPECT_EQ("FILE:", output);
    std::string file = printout::Quoted(folder + output), text;
    EXPECT_EQ(0, printout::RunLinux("grep -a -m1 '^%%Title' " + file + "; grep -a -c '^%%Page:' " +
                                        file + "; rm -f " + file,
                                    &text));
    EXPECT_EQ("%%Title: Zenvrix-DXRV\n2\n", text);
    /* and nothing went to the queue */
    ExpectOnlyTheMarkerArrives(before, Check(PrintDialog(), PRINT_TO_FILE, false));
}

/* A DEVNAMES block for the queue "PDF" whose output is `output`. */
HGLOBAL DevNamesWithOutput(const std::string &output)
{
    std::string strings = std::string("wineps.drv") + '\0' + "PDF" + '\0' + output + '\0';
    const WORD base = sizeof(DEVNAMES);
    DEVNAMES names = {base, (WORD)(base + 11), (WORD)(base + 15), 0};
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, base + strings.size());
    memcpy(block, &names, base);
    memcpy((char *)block + base, strings.data(), strings.size());
    return block;
}

TEST_F(Printing, TheJobWritesToTheOutputNamedInDevnamesOnlyWhenPrintingToFile)
{
    ShowCells(100); /* two pages */
    std::string path = TempTestDir("print_output") + "sheets.ps";
    DirectJob job; /* a context for the queue itself */
    ASSERT_TRUE(IsContext(job.block.hDC));
    job.block.hDevNames = DevNamesWithOutput(path);

    EXPECT_EQ(1, job.Run(PD_PRINTTOFILE, 0, 0, 1));
    std::string text;
    EXPECT_EQ(0, printout::RunLinux("grep -a -c '^%%Page:' " + printout::Quoted(path), &text));
    EXPECT_EQ("2\n", text);

    /* the same block without the flag prints to the queue */
    DeleteFileA(path.c_str());
    std::set<std::string> before = printout::PdfFiles();
    EXPECT_EQ(1, job.Run(0, 0, 0, 1));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_EQ(2, ArrivedPdf(before).pages);
}

/* ---- fonts read from a folder ---- */

class FolderPrinting : public Printing {
protected:
    void SetUp() override
    {
        Printing::SetUp();
        std::string folder = installtest::TestFontFolder(kFontPrefix);
        ASSERT_NE("", folder);
        ASSERT_FALSE(installtest::FamilyListed("ZvPrnt Sans")); /* not installed */
        snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s",
                 folder.c_str());
        settings.sourceIsDirectory = 1;
        settings.labelMode = LABEL_FILE_NAME;
        SendMessageA(mainWindow, UM_RESCAN, 0, 0);
        SendMessageA(mainWindow, UM_REFRESH, 0, 0);
        ASSERT_EQ(installtest::TEST_FONT_COUNT, displayList.count);
    }
    void TearDown() override
    {
        bool listed = installtest::FamilyListed("ZvPrnt Sans");
        installtest::RemoveTestFonts(kFontPrefix);
        EXPECT_FALSE(listed) << "a temporary registration outlived the command";
        Printing::TearDown();
    }
};

/* 121 and 155 alike. */
TEST_F(FolderPrinting, FontsAreRegisteredForTheJobPrintedInTheirOwnFacesAndRemovedAfterTheBox)
{
    Labels expected;
    for (int i = 0; i < displayList.count; i++)
        expected.push_back(displayList.records[i]->fileName);
    for (int command : {CMD_PRINT, CMD_PRINT_DEFAULT}) {
        SCOPED_TRACE(command);
        bool listedWhileBoxOpen = false;
        std::set<std::string> before = printout::PdfFiles();
        JobWatch watch;
        RunPrint(Inspect(PrintDialog(), [](HWND) {
                     EXPECT_TRUE(installtest::FamilyListed("ZvPrnt Serif")); /* for the driver */
                 }),
                 [&listedWhileBoxOpen](HWND) {
                     listedWhileBoxOpen = installtest::FamilyListed("ZvPrnt Sans Mono");
                 },
                 command);
        EXPECT_TRUE(listedWhileBoxOpen);
        EXPECT_FALSE(installtest::FamilyListed("ZvPrnt Sans Mono"));
        watch.ExpectLoadsAndUnloads();
        EXPECT_EQ(1u, watch.sheets.size());

        Printout printed = ArrivedPdf(before);
        ASSERT_EQ(1, printed.pages);
        EXPECT_EQ(expected, printout::WordsStartingWith(printed.pageTexts[0], kFontPrefix));
        /* every face is embedded under its own PostScript name */
        std::set<std::string> fonts(printed.fonts.begin(), printed.fonts.end());
        for (const char *family : {"ZvPrntSans", "ZvPrntSansMono", "ZvPrntSerif"}) {
            const bool serif = strcmp(family, "ZvPrntSerif") == 0;
            for (const char *style : {"", "-Bold", serif ? "-Italic" : "-Oblique",
                                      serif ? "-BoldItalic" : "-BoldOblique"})
                EXPECT_TRUE(fonts.count(family + std::string(style)))
                    << family << style << " is not among the PDF's fonts";
        }
    }
}

TEST_F(FolderPrinting, CancelInThePrintDialogLoadsAndUnloadsWithoutAMessage)
{
    HGLOBAL devMode = printerSetup.printDlg.hDevMode;
    JobWatch watch;
    ScriptExpect(Inspect(Dialog("Print", IDCANCEL), [](HWND) {
        EXPECT_TRUE(installtest::FamilyListed("ZvPrnt Sans"));
    }));
    SendCommand(CMD_PRINT);
    EXPECT_EQ(1u, ScriptSeen().size()); /* the dialog, no box */
    watch.ExpectLoadsAndUnloads();
    EXPECT_FALSE(installtest::FamilyListed("ZvPrnt Sans"));
    EXPECT_TRUE(watch.sheets.empty());
    /* a plain cancel keeps the printer and its settings */
    EXPECT_EQ(devMode, printerSetup.printDlg.hDevMode);
    EXPECT_FALSE(Freed(devMode));

    /* and printer setup registers no fonts at all */
    ScriptExpect(PrintDialog());
    SendCommand(CMD_PRINTER_SETUP);
    watch.ExpectLoadsAndUnloads();
}

/* ---- the dialog block from one command to the next ---- */

/* A print dialog, cancelled, that must open on printer "PDF" with the buttons
 * `checked` checked and the others not; `also` looks at more. */
DialogStep OpensOn(std::vector<int> checked, std::function<void()> also = nullptr)
{
    return Inspect(Dialog("Print", IDCANCEL), [checked, also](HWND dialog) {
        EXPECT_EQ("PDF", ControlText(dialog, PRINT_PRINTER));
        for (int button : {PRINT_ALL, PRINT_PAGES, PRINT_COLLATE, PRINT_TO_FILE})
            EXPECT_EQ(std::count(checked.begin(), checked.end(), button) ? BST_CHECKED
                                                                          : BST_UNCHECKED,
                      IsDlgButtonChecked(dialog, button))
                << "button " << button;
        if (IsDlgButtonChecked(dialog, PRINT_PAGES)) {
            EXPECT_EQ("1", ControlText(dialog, PRINT_FROM)); /* the bounds start afresh */
            EXPECT_EQ("3", ControlText(dialog, PRINT_TO));
        } else {
            EXPECT_EQ("1", ControlText(dialog, PRINT_COPIES));
        }
        if (also)
            also();
    });
}

TEST_F(Printing, PrinterSetupChangesOnlyThePrinterAndTheNextPrintOpensOnItsChoices)
{
    ShowCells(150); /* three pages */
    JobWatch watch;
    ScriptExpect(Check(Check(Pages(Copies(PrintDialog(), 1, false), 2, 3), PRINT_TO_FILE, true),
                       PRINT_COLLATE, false));
    SendCommand(CMD_PRINTER_SETUP);
    EXPECT_TRUE(watch.sheets.empty()); /* nothing printed, no closing box */
    EXPECT_EQ(1u, ScriptSeen().size());
    EXPECT_NE((HGLOBAL)NULL, printerSetup.printDlg.hDevMode);
    EXPECT_NE((HGLOBAL)NULL, printerSetup.printDlg.hDevNames);

    ScriptExpect(OpensOn({PRINT_PAGES, PRINT_TO_FILE}));
    SendCommand(CMD_PRINT);
    ScriptExpect(OpensOn({PRINT_ALL, PRINT_COLLATE}, [] {
        const PRINTDLGA &block = printerSetup.printDlg;
        EXPECT_EQ(NULL, block.hDevMode); /* the default printer with its defaults */
        EXPECT_EQ(NULL, block.hDevNames);
        EXPECT_EQ((DWORD)(PD_RETURNDC | PD_COLLATE | PD_NOSELECTION), block.Flags);
        EXPECT_EQ(0, block.nCopies);
    }));
    SendCommand(CMD_PRINT_DEFAULT);
    EXPECT_EQ(0u, printerSetup.printDlg.nCopies); /* 155 passed none in */
}

/* The printer's own settings live in the DEVMODE that the dialog returns; here one
 * is changed the way the printer's property sheet changes it. */
void TurnSheetTo(short orientation)
{
    DEVMODEA *mode = (DEVMODEA *)GlobalLock(printerSetup.printDlg.hDevMode);
    ASSERT_TRUE(mode != NULL);
    mode->dmOrientation = orientation;
    mode->dmFields |= DM_ORIENTATION;
    GlobalUnlock(printerSetup.printDlg.hDevMode);
}

/* Wine's PostScript driver takes the settings of the last DEVMODE it was given as
 * the printer's defaults for the rest of the process: turn the sheet back. */
struct UprightAgain {
    ~UprightAgain()
    {
        if (printerSetup.printDlg.hDevMode == NULL)
            return;
        TurnSheetTo(DMORIENT_PORTRAIT);
        ScriptExpect(PrintDialog());
        SendCommand(CMD_PRINTER_SETUP);
        EXPECT_EQ(2479, printerSetup.pageWidth);
    }
};

TEST_F(Printing, ThePrintersSettingsCarryToTheNextJobAndPrintWithDefaultsDropsThem)
{
    ShowCells(100);
    UprightAgain upright;
    TurnSheetTo(DMORIENT_LANDSCAPE);
    ScriptExpect(PrintDialog());
    SendCommand(CMD_PRINTER_SETUP);
    EXPECT_EQ(3508, printerSetup.pageWidth); /* A4 across at 300 dpi */
    EXPECT_EQ(2479, printerSetup.pageHeight);
    PageLayout across = SheetLayout();

    Printout landscape = PrintWith(PrintDialog());
    std::string info; /* a sheet printed across is an upright A4 page turned by 90 degrees */
    printout::RunLinux("pdfinfo " + printout::Quoted(landscape.path), &info);
    EXPECT_EQ("595 x 842 pts (A4)", printout::FieldOf(info, "Page size"));
    EXPECT_EQ("90", printout::FieldOf(info, "Page rot"));
    ASSERT_EQ(across.pageCount, landscape.pages);
    EXPECT_EQ(LabelsOfPage(across, 0), LabelsPerSheet(landscape)[0]);

    /* The next 121 keeps the sheet across; 155 hands the dialog no DEVMODE. */
    ScriptExpect(Inspect(Dialog("Print", IDCANCEL), [](HWND) {
        const DEVMODEA *mode = (const DEVMODEA *)GlobalLock(printerSetup.printDlg.hDevMode);
        ASSERT_TRUE(mode != NULL);
        EXPECT_EQ(DMORIENT_LANDSCAPE, mode->dmOrientation);
        GlobalUnlock(printerSetup.printDlg.hDevMode);
    }));
    SendCommand(CMD_PRINT);
    ScriptExpect(Inspect(Dialog("Print", IDCANCEL),
                         [](HWND) { EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode); }));
    SendCommand(CMD_PRINT_DEFAULT);
}

TEST_F(Printing, AfterTheCommandTheScreenLayoutIsBackAndTheDialogsContextIsGone)
{
    ShowCells(100);
    PageLayout screen = pageLayout;
    HDC printerContext = NULL;
    RunPrint(PrintDialog(), [&printerContext](HWND) {
        printerContext = printerSetup.printDlg.hDC;
        EXPECT_TRUE(IsContext(printerContext));
        EXPECT_EQ(1, printing); /* the printer layout holds while the box is open */
        EXPECT_EQ(120, pageLayout.originX);
    });
    EXPECT_FALSE(IsContext(printerContext));
    EXPECT_EQ(screen.originX, pageLayout.originX);
    EXPECT_EQ(screen.visibleRows, pageLayout.visibleRows);
    EXPECT_EQ(screen.sampleFontHeight, pageLayout.sampleFontHeight);
}

/* ---- failures ---- */

/* Command 121 answered by `steps`, the last of them the failure's box; afterwards
 * the dialog block holds nothing, what it held while the box was open is freed,
 * the fonts were loaded and unloaded once and no sheet was drawn.  Returns the
 * context the block held while the box was open. */
HDC FailingPrint(std::vector<DialogStep> steps)
{
    bool dialogRan = steps.size() > 1;
    HGLOBAL devMode = printerSetup.printDlg.hDevMode, devNames = NULL;
    HDC context = NULL;
    JobWatch watch;
    steps.back() = Inspect(steps.back(), [&](HWND) {
        if (dialogRan) /* the blocks it returned */
            devMode = printerSetup.printDlg.hDevMode;
        devNames = printerSetup.printDlg.hDevNames;
        context = printerSetup.printDlg.hDC;
    });
    for (const DialogStep &step : steps)
        ScriptExpect(step);
    SendCommand(CMD_PRINT);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevNames);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDC);
    EXPECT_TRUE(Freed(devMode));
    EXPECT_TRUE(!dialogRan || Freed(devNames));
    EXPECT_FALSE(IsContext(context));
    watch.ExpectLoadsAndUnloads();
    EXPECT_TRUE(watch.sheets.empty());
    return context;
}

/* A dialog without a context (it makes none without PD_RETURNDC) or with only an
 * information context: the context, if any, existed while the box was open. */
TEST_F(FolderPrinting, ADialogWithoutADeviceContextShowsPrintingErrorAndFreesEverything)
{
    for (bool informationContext : {false, true}) {
        SCOPED_TRACE(informationContext ? "information context" : "no context");
        printerSetup.printDlg.Flags &= ~(DWORD)(PD_RETURNDC | PD_RETURNIC);
        printerSetup.printDlg.Flags |= informationContext ? PD_RETURNIC : 0;
        HDC context = FailingPrint({PrintDialog(), Box("Printing error!", " ")});
        EXPECT_EQ(informationContext, context != NULL);
    }
}

TEST_F(FolderPrinting, AFailingDialogShowsItsErrorAndFreesBothBlocks)
{
    /* A template asked for but not named: the dialog fails to start. */
    printerSetup.printDlg.Flags |= PD_ENABLEPRINTTEMPLATE;
    FailingPrint({Box("Printing error!!", " ")});

    /* Wine's print dialog leaves its last error in place when it is cancelled or
     * succeeds, so a later cancel would read as this failure again; a file dialog
     * starts by clearing it.  The folder dialog is opened and cancelled for that. */
    ScriptExpect(Dialog(directoryTitle, IDCANCEL));
    SendCommand(CMD_DEFINE_DIRECTORY);
    EXPECT_EQ(0u, CommDlgExtendedError());
}

TEST_F(FolderPrinting, APrinterRefusingItsPageSizeIsReportedAndFreed)
{
    SetFault(FAULT_ESCAPE, 0, 1);
    EXPECT_NE((HDC)NULL, FailingPrint({PrintDialog(), Box("can't get printer page size")}));
    EXPECT_EQ(2479, printerSetup.pageWidth); /* the old metrics stay */
    EXPECT_EQ(1, printerSetup.printerKnown);
    /* the next command starts again from the default printer */
    ScriptExpect(Inspect(Dialog("Print", IDCANCEL), [](HWND dialog) {
        EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode);
        EXPECT_EQ("PDF", ControlText(dialog, PRINT_PRINTER));
    }));
    SendCommand(CMD_PRINT);
}

/* ---- no printer at all ---- */

typedef ProgramWithoutPrinter WithoutPrinter;

/* Fonts from a folder included: none is registered for a job that cannot run. */
TEST_F(WithoutPrinter, EveryPrintCommandSaysPrinterHdcErrorAndOpensNoDialogNorLoadsFonts)
{
    settings.sourceIsDirectory = 1;
    ShowCells(10);
    for (int command : {CMD_PRINT, CMD_PRINTER_SETUP, CMD_PRINT_DEFAULT}) {
        SCOPED_TRACE(command);
        JobWatch watch;
        ScriptExpect(Box("Printer HDC error!"));
        SendCommand(command);
        EXPECT_EQ(0, printing);
        watch.ExpectLoadsAndUnloads(0);
        EXPECT_TRUE(watch.sheets.empty());
        EXPECT_EQ(0, printerSetup.printerKnown);
        EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode);
        EXPECT_EQ(NULL, printerSetup.printDlg.hDevNames);
        EXPECT_EQ(NULL, printerSetup.printDlg.hDC);
    }
    EXPECT_EQ(3u, ScriptSeen().size());
}

} // namespace
