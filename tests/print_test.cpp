/* print_test.cpp - printing for real on the test run's private CUPS queue "PDF" (A4
 * at 300 dpi): Wine's print dialog answered by the script, the PDF read back with
 * pdfinfo, pdftotext and pdffonts.  Each cell names itself ("Cell0042"), so a page's
 * first label says which page it is.  Also the margins dialog, and a start without
 * any printer (the *_without_printer CTest entry). */
#include <set>
#include <thread>

#include "harness.h"
#include "print/printer.h"

namespace {

typedef Program Printing;
enum { PRINT_COLLATE = 1041, PRINT_ALL = 1056, PRINT_PAGES = 1058, PRINT_FROM = 1152, PRINT_TO = 1153, PRINT_COPIES = 1154 };

std::string PdfFolder(void)
{
    std::string socket = getenv("CUPS_SERVER") ? getenv("CUPS_SERVER") : "/nowhere/cups.sock";
    return "Z:" + socket.substr(0, socket.rfind('/')) + "\\pdf\\";
}

std::set<std::string> Pdfs(void)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((PdfFolder() + "*.pdf").c_str(), &entry);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
        names.insert(entry.cFileName);
    FindClose(find);
    return names;
}

/* What arrived after `before`, as pdfinfo, pdftotext and pdffonts read it: the pages'
 * first "Cell" labels, and pdffonts' listing; pages -1 when no PDF came. */
struct Printout { int pages = -1; std::vector<std::string> firstLabels; std::string text, fonts; };

Printout Arrived(const std::set<std::string> &before, DWORD waitMs = 30000)
{
    Printout printed;
    for (DWORD start = GetTickCount(); GetTickCount() - start < waitMs; Sleep(100)) {
        for (const std::string &name : Pdfs()) {
            std::string path = PdfFolder() + name, bytes = ReadFile(path);
            if (before.count(name) || bytes.find("%%EOF", bytes.size() > 8 ? bytes.size() - 8 : 0) == std::string::npos)
                continue;
            std::string info, &text = printed.text, file = UnixPath(path);
            RunLinux("pdfinfo '" + file + "' | sed -n 's/^Pages: *//p'", &info);
            RunLinux("pdftotext -layout '" + file + "' -", &text);
            RunLinux("pdffonts '" + file + "'", &printed.fonts);
            printed.pages = atoi(info.c_str());
            for (size_t page = 0, at = 0; (int)page < printed.pages; page++, at = text.find('\f', at) + 1) {
                size_t cell = text.find("Cell", at);
                printed.firstLabels.push_back(cell < text.find('\f', at) ? text.substr(cell, 8) : "-");
            }
            return printed;
        }
    }
    return printed;
}

std::function<void()> onSheet;
HHOOK sheetHook;

LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *message = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION && message->message == UM_DRAWPAGE && printing && onSheet)
        onSheet();
    return CallNextHookEx(sheetHook, code, wParam, lParam);
}

/* Prints with the print dialog answered by `dialog`; `whileDrawing` runs after each
 * sheet is drawn. */
Printout Print(DialogStep dialog, std::function<void()> whileDrawing = nullptr, DWORD waitMs = 30000)
{
    onSheet = whileDrawing;
    sheetHook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, NULL, GetCurrentThreadId());
    std::set<std::string> before = Pdfs();
    ScriptExpect(dialog);
    ScriptExpect(Box("Press AFTER all pages are printed", ""));
    SendCommand(CMD_PRINT);
    UnhookWindowsHookEx(sheetHook);
    return Arrived(before, waitMs);
}

std::string Cell(int index)
{
    char label[16];
    snprintf(label, sizeof label, "Cell%04d", index);
    return label;
}

TEST_F(Printing, PagesCopiesCollationAndRangesArriveInOrder)
{
    EXPECT_EQ(2479, printerSetup.pageWidth); /* learnt from the queue at start-up */
    EXPECT_EQ(3508, printerSetup.pageHeight);
    ShowCells(200);
    printing = 1;
    ComputeLayout(&pageLayout);
    int perPage = pageLayout.rowsPerPage * settings.columns, pages = pageLayout.pageCount;
    printing = 0;
    Refresh();
    ASSERT_EQ((200 + perPage - 1) / perPage, pages);
    ASSERT_GE(pages, 3);
    const struct { int copies; bool collate; int from, to; } cases[] = {{1, true, 0, 0}, {2, true, 2, 3}, {2, false, 2, 3}};
    for (const auto &c : cases) {
        DialogStep dialog = Check(Edit(Dialog("Print"), PRINT_COPIES, std::to_string(c.copies)), PRINT_COLLATE, c.collate);
        if (c.from != 0)
            dialog = Edit(Edit(Check(Check(dialog, PRINT_ALL, false), PRINT_PAGES, true), PRINT_FROM,
                               std::to_string(c.from)), PRINT_TO, std::to_string(c.to));
        std::vector<std::string> expected;
        for (int pass = 0; pass < (c.collate ? c.copies : 1); pass++)
            for (int page = c.from ? c.from : 1; page <= (c.from ? std::min(c.to, pages) : pages); page++)
                for (int copy = 0; copy < (c.collate ? 1 : c.copies); copy++)
                    expected.push_back(Cell((page - 1) * perPage));
        Printout printed = Print(dialog);
        EXPECT_EQ((int)expected.size(), printed.pages) << c.copies << c.collate << c.from;
        EXPECT_EQ(expected, printed.firstLabels) << c.copies << c.collate << c.from;
        EXPECT_EQ(c.from == 0, printed.text.find("Cell0199") != std::string::npos);
        ScriptBegin();
    }
    EXPECT_EQ(0, shell.topRow);
}

TEST_F(Printing, EscapeAfterAPageAbortsTheWholeJob)
{
    ShowCells(100);
    bool pressed = false;
    std::thread release;
    Printout printed = Print(Edit(Dialog("Print"), PRINT_COPIES, "2"), [&] {
        if (pressed)
            return;
        pressed = true;
        EscapeKey(true);
        release = std::thread([] {
            Sleep(300);
            EscapeKey(false);
        });
    }, 4000);
    ASSERT_TRUE(release.joinable());
    release.join();
    EXPECT_EQ(-1, printed.pages); /* nothing printed */
}

TEST_F(Printing, FolderFontsArePrintedInTheirOwnFaces)
{
    ForgetFonts("ZvPrnt");
    std::string folder = TempDir("ZvPrnt");
    RenamedFont("DejaVuSansMono.ttf", "ZvPrnt", folder);
    ScanFolder(folder);
    ASSERT_EQ(1, displayList.count);
    Printout printed = Print(Dialog("Print"));
    EXPECT_EQ(1, printed.pages);
    EXPECT_NE(std::string::npos, printed.fonts.find("ZvPrntSansMono")) << printed.fonts;
    EXPECT_FALSE(FamilyListed("ZvPrnt Sans Mono")); /* loaded for the job only */
    ForgetFonts("ZvPrnt");
}

TEST_F(Printing, AKnownPrinterIsNotAskedAgainAndMarginsAreTakenOnlyAllValid)
{
    printerSetup.pageWidth = 1234;
    EXPECT_EQ(1, QueryDefaultPrinter());
    EXPECT_EQ(1234, printerSetup.pageWidth);
    printerSetup.pageWidth = 2479;
    const int fields[] = {IDC_MARGIN_LEFT, IDC_MARGIN_RIGHT, IDC_MARGIN_TOP, IDC_MARGIN_BOTTOM};
    ScriptExpect(Inspect(Dialog("Margins", 0), [&](HWND dialog) {
        for (int i = 0; i < 4; i++)
            EXPECT_EQ((std::vector<std::string>{"4", "4", "2", "10"})[i], ControlText(dialog, fields[i]));
        SetDlgItemTextA(dialog, IDC_MARGIN_TOP, "1x"); /* refused: the dialog stays */
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindow(dialog));
        for (int i = 0; i < 4; i++)
            SetDlgItemInt(dialog, fields[i], 11 * (i + 1), FALSE);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }));
    SendCommand(CMD_MARGINS);
    EXPECT_EQ(11.0f, settings.marginLeft);
    EXPECT_EQ(22.0f, settings.marginRight);
    EXPECT_EQ(33.0f, settings.marginTop);
    EXPECT_EQ(44.0f, settings.marginBottom);
}

TEST_F(WithoutPrinter, StartUpWarnedAndPrintingWarnsAgain)
{
    EXPECT_EQ(0, printerSetup.printerKnown);
    ScriptExpect(Box("Printer HDC error!"));
    SendCommand(CMD_PRINT);
}

} // namespace
