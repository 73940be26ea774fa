/* print_test.cpp - printing for real on the private CUPS queue "PDF" (A4, 300 dpi),
 * read back with pdfinfo, pdftotext and pdffonts: cells named "Cell0042" say which
 * page a sheet is.  Also the margins dialog, and a start without any printer. */
#include <thread>

#include "harness.h"
#include "print/printer.h"

typedef Program Printing;
enum { PRINT_COLLATE = 1041, PRINT_ALL = 1056, PRINT_PAGES = 1058, PRINT_FROM = 1152, PRINT_TO = 1153, PRINT_COPIES = 1154 };

static std::function<void()> onSheet; /* runs after each sheet is drawn */
static HHOOK sheetHook;
static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && ((CWPRETSTRUCT *)lParam)->message == UM_DRAWPAGE && printing && onSheet) onSheet();
    return CallNextHookEx(sheetHook, code, wParam, lParam);
}
TEST_F(Printing, PagesCopiesCollationAndRangesArriveInOrder)
{
    EXPECT_EQ(2479, printerSetup.pageWidth); /* learnt from the queue at start-up */
    EXPECT_EQ(3508, printerSetup.pageHeight);
    ShowCells(200), printing = 1, ComputeLayout(&pageLayout);
    int perPage = pageLayout.rowsPerPage * settings.columns, pages = pageLayout.pageCount;
    printing = 0;
    ASSERT_TRUE(pages >= 3 && pages == (200 + perPage - 1) / perPage);
    ShowCells(pages * perPage); /* the last page full: no empty sheet follows it */
    Refresh();
    char last[16];
    snprintf(last, 16, "Cell%04d", pages * perPage - 1);
    const struct { int copies; bool collate; int from, to; } cases[] = {{1, true, 0, 0}, {2, true, 2, 3}, {2, false, 2, 3}, {1, false, 1, 2}};
    for (const auto &c : cases) {
        DialogStep dialog = Check(Edit(Dialog("Print"), PRINT_COPIES, std::to_string(c.copies)), PRINT_COLLATE, c.collate);
        if (c.from != 0)
            dialog = Edit(Edit(Check(Check(dialog, PRINT_ALL, false), PRINT_PAGES, true), PRINT_FROM,
                               std::to_string(c.from)), PRINT_TO, std::to_string(c.to));
        std::vector<std::string> expected;
        char label[16];
        for (int pass = 0; pass < (c.collate ? c.copies : 1); pass++)
            for (int page = c.from ? c.from : 1; page <= (c.from ? c.to : pages); page++)
                for (int copy = 0; copy < (c.collate ? 1 : c.copies); copy++)
                    expected.push_back((snprintf(label, 16, "Cell%04d", (page - 1) * perPage), label));
        Printout printed = Print(dialog);
        std::vector<std::string> firstLabels; /* "-": a page without cells */
        for (size_t page = 0, at = 0; (int)page < printed.pages; page++, at = printed.text.find('\f', at) + 1) {
            size_t cell = printed.text.find("Cell", at);
            firstLabels.push_back(cell < printed.text.find('\f', at) ? printed.text.substr(cell, 8) : "-");
        }
        EXPECT_EQ(expected, firstLabels) << c.copies << c.collate << c.from;
        EXPECT_EQ(std::make_pair((int)expected.size(), (int)expected.size()), progressAtEnd); /* a step a sheet */
        EXPECT_EQ(NULL, FindWindowA(NULL, "Progress: (press ESC to cancel)"));
        EXPECT_EQ(c.from == 0, printed.text.find(last) != std::string::npos);
        ScriptBegin();
    }
    EXPECT_EQ(0, shell.topRow);
    /* the default settings start afresh, whatever the last dialog took */
    ScriptExpect(Inspect(Dialog("Print", IDCANCEL), [](HWND d) {
        EXPECT_EQ((std::vector<UINT>{BST_CHECKED, BST_UNCHECKED}), (std::vector<UINT>{IsDlgButtonChecked(d, PRINT_ALL), IsDlgButtonChecked(d, PRINT_PAGES)}));
    }));
    SendCommand(CMD_PRINT_DEFAULT);
}

TEST_F(Printing, EscapeAfterAPageAbortsTheWholeJob)
{
    ShowCells(100);
    std::thread release;
    HDC job = NULL;
    onSheet = [&] {
        job = printerSetup.printDlg.hDC;
        if (!release.joinable()) EscapeKey(true), release = std::thread([] { Sleep(300), EscapeKey(false); });
    };
    sheetHook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, NULL, GetCurrentThreadId());
    Printout printed = Print(Edit(Dialog("Print"), PRINT_COPIES, "2"), 40);
    UnhookWindowsHookEx(sheetHook);
    ASSERT_TRUE(release.joinable());
    release.join();
    EXPECT_EQ(0, printed.pages);
    EXPECT_EQ(0u, GetObjectType(job)) << "the job's context is left";
}

TEST_F(Printing, AKnownPrinterIsNotAskedAgainAndTheMarginsDialogTakesFourUnsignedNumbersOrKeepsEveryMargin)
{
    printerSetup.pageWidth = 1234;
    EXPECT_EQ(1, QueryDefaultPrinter());
    EXPECT_EQ(1234, printerSetup.pageWidth);
    printerSetup.pageWidth = 2479;
    settings.marginTop = 1.0f, settings.marginRight = 4294967296.0f; /* shown as unsigned numbers */
    const int fields[] = {IDC_MARGIN_LEFT, IDC_MARGIN_RIGHT, IDC_MARGIN_TOP, IDC_MARGIN_BOTTOM};
    auto fill = [&](HWND dialog, std::vector<std::string> texts) {
        for (int i = 0; i < 4; i++) SetDlgItemTextA(dialog, fields[i], texts[i].c_str());
    };
    ScriptExpect(Inspect(Dialog("Margins", 0), [&](HWND dialog) {
        for (int i = 0; i < 4; i++)
            EXPECT_EQ((std::vector<std::string>{"4", "4294967295", "1", "10"})[i], ControlText(dialog, fields[i]));
        /* one field not an unsigned number of at most 30 characters: no margin changes */
        for (std::string bad : std::vector<std::string>{"-5", "12abc", "1 2", " ", std::string(40, '0') + "7"}) {
            fill(dialog, {"11", "22", bad, "44"}), SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(4.0f, settings.marginLeft) << bad;
        }
        fill(dialog, {" 9 ", "10", "33", std::string(30, '0')}), PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }));
    SendCommand(CMD_MARGINS);
    EXPECT_EQ((std::vector<float>{9, 10, 33, 0, (float)(pageLayout.sheetDpiX * 9 / 10)}), (std::vector<float>{settings.marginLeft,
        settings.marginRight, settings.marginTop, settings.marginBottom, (float)pageLayout.sheetMarginLeft})); /* laid out anew */
    ScriptExpect(Inspect(Edit(Dialog("Margins", IDCANCEL), IDC_MARGIN_LEFT, "1"),
                         [](HWND d) { EXPECT_EQ("0", ControlText(d, IDC_MARGIN_BOTTOM)); })), SendCommand(CMD_MARGINS);
    EXPECT_EQ(9.0f, settings.marginLeft);
}

typedef Program WithoutPrinter;

TEST_F(WithoutPrinter, StartUpWarnedAndPrintingWarnsAgain)
{
    if (getenv("ZENVRIX_WITHOUT_PRINTER") == NULL) GTEST_SKIP() << "runs only in the CTest entry without a printer";
    EXPECT_EQ(0, printerSetup.printerKnown);
    ScriptExpect(Box("Printer HDC error!")), SendCommand(CMD_PRINT);
}

