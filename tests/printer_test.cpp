/* printer_test.cpp - the printer state: the default printer learnt at start-up
 * (the test run's private CUPS queue "PDF", A4 at 300 dpi), the layout of the
 * preview and of a printed sheet from it, the margins dialog (command 132), and a
 * start without any printer.
 *
 * The WithoutPrinter tests run only in a second CTest entry of this program,
 * printer_test_without_printer, whose environment points CUPS at a socket where
 * nothing listens and uses a Wine prefix that has never seen a printer (see
 * cmake/wine-tests.cmake).  Touches the printer state, the margins and, in that
 * prefix only, the window-manager setting of Wine's X11 driver. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "print/printer.h"
#include "render/draw.h"
#include "render/layout.h"
#include "resources/resource.h"

namespace {

void ShowFaces(int count)
{
    FreeFontList(&displayList);
    displayList.records = (FontRecord **)malloc((size_t)count * sizeof(FontRecord *));
    for (int i = 0; i < count; i++) {
        FontRecord *record = (FontRecord *)calloc(1, sizeof(FontRecord));
        record->logFont.lfWeight = FW_NORMAL;
        strcpy(record->logFont.lfFaceName, i % 2 ? "DejaVu Sans" : "Liberation Sans");
        record->fontType = TRUETYPE_FONTTYPE;
        displayList.records[i] = record;
    }
    displayList.count = count;
}

void Refresh(void)
{
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
}

std::string DeviceName(HGLOBAL devNames)
{
    DEVNAMES *names = (DEVNAMES *)GlobalLock(devNames);
    if (names == NULL)
        return "";
    std::string device = (const char *)names + names->wDeviceOffset;
    GlobalUnlock(devNames);
    return device;
}

class Printer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptBegin();
        ASSERT_EQ(1, StartZenvrix());
        ASSERT_EQ("", ScriptEnd()); /* a default printer: no box at start-up */
        ShowFaces(30);
        ScriptBegin();
    }
    void TearDown() override
    {
        EXPECT_EQ("", ScriptEnd());
        printing = 0;
        StopZenvrix();
    }
};

/* ---- the default printer ---- */

TEST_F(Printer, StartUpLearnsTheSheetOfTheDefaultQueue)
{
    EXPECT_EQ(1, printerSetup.printerKnown);
    EXPECT_EQ(2479, printerSetup.pageWidth);  /* A4 at 300 dpi */
    EXPECT_EQ(3508, printerSetup.pageHeight);
    EXPECT_EQ(300, printerSetup.dpiX);
    EXPECT_EQ(300, printerSetup.dpiY);
    const PRINTDLGA &dialog = printerSetup.printDlg;
    EXPECT_EQ(sizeof(PRINTDLGA), dialog.lStructSize);
    EXPECT_EQ(NULL, dialog.hDC); /* deleted once the metrics were read */
    EXPECT_EQ(0u, dialog.Flags & PD_RETURNDEFAULT);
    EXPECT_EQ((DWORD)(PD_RETURNDC | PD_COLLATE | PD_NOSELECTION),
              dialog.Flags & (PD_RETURNDC | PD_COLLATE | PD_NOSELECTION));
    ASSERT_NE((HGLOBAL)NULL, dialog.hDevMode); /* kept for the next print dialog */
    ASSERT_NE((HGLOBAL)NULL, dialog.hDevNames);
    EXPECT_EQ("PDF", DeviceName(dialog.hDevNames));
}

TEST_F(Printer, AKnownPrinterIsNotAskedAgain)
{
    HGLOBAL devMode = printerSetup.printDlg.hDevMode;
    HGLOBAL devNames = printerSetup.printDlg.hDevNames;
    EXPECT_EQ(1, QueryDefaultPrinter());
    EXPECT_EQ(devMode, printerSetup.printDlg.hDevMode);
    EXPECT_EQ(devNames, printerSetup.printDlg.hDevNames);
    /* program end gives back the dialog's memory; the metrics stay known */
    ReleasePrinterSetup();
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevNames);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDC);
    EXPECT_EQ(1, printerSetup.printerKnown);
    EXPECT_EQ(1, QueryDefaultPrinter());
}

TEST_F(Printer, PreviewAndPrintingAreLaidOutOnThePrintersSheet)
{
    settings.preview = 1;
    Refresh();
    EXPECT_EQ(2479, pageLayout.sheetWidth);
    EXPECT_EQ(2479, pageLayout.areaWidth);
    EXPECT_EQ(300, pageLayout.sheetDpiY);
    EXPECT_EQ(120, pageLayout.sheetMarginLeft); /* 0.4 inch */
    EXPECT_EQ((float)((double)pageLayout.clientWidth / 2479), pageLayout.scaleX);
    EXPECT_EQ(1, pageLayout.valid);

    printing = 1;
    ComputeLayout(&pageLayout);
    EXPECT_EQ(120, pageLayout.originX);
    EXPECT_EQ(60, pageLayout.originY);
    EXPECT_EQ(2479 - 240, pageLayout.gridWidth);
    EXPECT_EQ(-62, pageLayout.sampleFontHeight); /* 15 points at 300 dpi */
    EXPECT_EQ(10, pageLayout.totalRows);
    EXPECT_EQ(1, pageLayout.pageCount);
    printing = 0;
    ComputeLayout(&pageLayout);
    EXPECT_EQ(2479, pageLayout.areaWidth); /* the preview again */
}

TEST_F(Printer, APaintWhilePrintingDrawsTheScreenAndKeepsThePrinterLayout)
{
    printing = 1;
    ComputeLayout(&pageLayout);
    InvalidateRect(clientWindow, NULL, FALSE);
    UpdateWindow(clientWindow);
    EXPECT_EQ(120, pageLayout.originX);
    EXPECT_EQ(1, printing);
    Capture shot = CaptureWindow(clientWindow);
    int ink = 0;
    for (int x = 2; x < 200; x++)
        for (int y = 20; y < 45; y++)
            if (PixelAt(shot, x, y) != 0xFFFFFF)
                ink++;
    EXPECT_GT(ink, 50); /* the first sample at the screen's origin */
    printing = 0;
}

/* ---- the margins dialog ---- */

/* Types the four margins in the order Left, Right, Bottom, Top. */
DialogStep TypeMargins(DialogStep step, const char *left, const char *right, const char *bottom,
                       const char *top)
{
    step = Edit(step, IDC_MARGIN_LEFT, left);
    step = Edit(step, IDC_MARGIN_RIGHT, right);
    step = Edit(step, IDC_MARGIN_BOTTOM, bottom);
    return Edit(step, IDC_MARGIN_TOP, top);
}

void ExpectMargins(float left, float right, float bottom, float top)
{
    EXPECT_EQ(left, settings.marginLeft);
    EXPECT_EQ(right, settings.marginRight);
    EXPECT_EQ(bottom, settings.marginBottom);
    EXPECT_EQ(top, settings.marginTop);
}

INT_PTR RunMarginsDialog(void)
{
    return DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_MARGINS), mainWindow,
                           MarginsDialogProc, 0);
}

/* Presses OK with these texts and expects the dialog to stay open. */
void OkIsRefused(HWND dialog, const char *left, const char *right, const char *bottom,
                 const char *top)
{
    SetDlgItemTextA(dialog, IDC_MARGIN_LEFT, left);
    SetDlgItemTextA(dialog, IDC_MARGIN_RIGHT, right);
    SetDlgItemTextA(dialog, IDC_MARGIN_BOTTOM, bottom);
    SetDlgItemTextA(dialog, IDC_MARGIN_TOP, top);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindowVisible(dialog)) << left << " " << right << " " << bottom << " " << top;
    ExpectMargins(4, 4, 10, 2);
}

TEST_F(Printer, TheMarginsDialogShowsEachMarginTruncated)
{
    settings.marginLeft = 4.9f;
    settings.marginRight = 0.5f;
    settings.marginBottom = 12;
    settings.marginTop = 4294967295.0f;
    ScriptExpect(Inspect(Dialog("Margins", IDCANCEL), [](HWND dialog) {
        EXPECT_EQ("4", ControlText(dialog, IDC_MARGIN_LEFT));
        EXPECT_EQ("0", ControlText(dialog, IDC_MARGIN_RIGHT));
        EXPECT_EQ("12", ControlText(dialog, IDC_MARGIN_BOTTOM));
        EXPECT_EQ("4294967295", ControlText(dialog, IDC_MARGIN_TOP));
    }));
    EXPECT_EQ(0, RunMarginsDialog());
    EXPECT_EQ(4.9f, settings.marginLeft); /* Cancel changes nothing */
}

TEST_F(Printer, FourValidMarginsAreTakenTogetherAndTheGridIsLaidOutAgain)
{
    settings.preview = 1;
    Refresh();
    ScriptExpect(TypeMargins(Dialog("Margins", IDOK), "10", " 20", "30 ", "5"));
    SendCommand(CMD_MARGINS);
    ExpectMargins(10, 20, 30, 5);
    EXPECT_EQ(300, pageLayout.sheetMarginLeft); /* one inch at 300 dpi */
    EXPECT_EQ(150, pageLayout.sheetMarginTop);
    EXPECT_EQ(2479 - 900, pageLayout.sheetUsableWidth);
    EXPECT_EQ(3508 - 1050, pageLayout.sheetUsableHeight);

    ScriptExpect(TypeMargins(Dialog("Margins", IDOK), "0", "0", "0", "0"));
    EXPECT_EQ(1, RunMarginsDialog());
    ExpectMargins(0, 0, 0, 0);
}

TEST_F(Printer, ANonNumericLeftKeepsTheDialogOpenAndTheOldMargins)
{
    ScriptExpect(Inspect(Dialog("Margins", IDCANCEL), [](HWND dialog) {
        OkIsRefused(dialog, "abc", "5", "5", "5");
    }));
    EXPECT_EQ(0, RunMarginsDialog());
    ExpectMargins(4, 4, 10, 2);
}

TEST_F(Printer, ANonNumericTopStoresNothingAndCancelStillCancels)
{
    ScriptExpect(Inspect(Dialog("Margins", IDCANCEL), [](HWND dialog) {
        OkIsRefused(dialog, "7", "8", "9", "x");
    }));
    SendCommand(CMD_MARGINS);
    ExpectMargins(4, 4, 10, 2);
}

TEST_F(Printer, OnlyUnsignedIntegersAreMargins)
{
    ScriptExpect(Inspect(Dialog("Margins", IDCANCEL), [](HWND dialog) {
        OkIsRefused(dialog, "-5", "5", "5", "5");     /* negative */
        OkIsRefused(dialog, "5", "12abc", "5", "5");  /* trailing letters */
        OkIsRefused(dialog, "5", "5", "", "5");       /* empty */
        OkIsRefused(dialog, "5", "5", "+5", "5");     /* a sign */
        OkIsRefused(dialog, "5", "5", "5", "4294967296"); /* beyond 32 bits */
        OkIsRefused(dialog, "5", "5", "5", "1 2");
    }));
    EXPECT_EQ(0, RunMarginsDialog());
    ExpectMargins(4, 4, 10, 2);
}

TEST_F(Printer, AFieldCorrectedAfterARefusedOkIsTaken)
{
    ScriptExpect(Inspect(TypeMargins(Dialog("Margins", IDOK), "6", "7", "8", "9"),
                         [](HWND dialog) { OkIsRefused(dialog, "6", "7", "8", "nine"); }));
    EXPECT_EQ(1, RunMarginsDialog());
    ExpectMargins(6, 7, 8, 9);
}

/* ---- no printer at all ---- */

typedef ProgramWithoutPrinter WithoutPrinter;

TEST_F(WithoutPrinter, StartUpWarnsOnceAndDrawsWithTheScreensMetrics)
{
    EXPECT_EQ(0, printerSetup.printerKnown);
    EXPECT_EQ(100, printerSetup.pageWidth);
    EXPECT_EQ(1, printerSetup.dpiY);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevNames);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDC);
    ShowFaces(12);
    Refresh();
    EXPECT_EQ(pageLayout.clientWidth, pageLayout.sheetWidth);
    EXPECT_EQ(pageLayout.clientHeight, pageLayout.sheetHeight);
    EXPECT_EQ(pageLayout.screenDpiX, pageLayout.sheetDpiX);
    EXPECT_EQ(pageLayout.screenDpiY, pageLayout.sheetDpiY);
    EXPECT_EQ(1, pageLayout.valid);
    EXPECT_EQ(12, displayPos); /* every cell was drawn */
    Capture shot = CaptureWindow(clientWindow);
    int ink = 0;
    for (int y = 20; y < 45; y++)
        for (int x = 2; x < 200; x++)
            if (PixelAt(shot, x, y) != 0xFFFFFF)
                ink++;
    EXPECT_GT(ink, 50);
}

TEST_F(WithoutPrinter, EveryLaterQueryFailsQuietlyAndHoldsNoMemory)
{
    EXPECT_EQ(-1, QueryDefaultPrinter());
    EXPECT_EQ(-1, QueryDefaultPrinter());
    EXPECT_EQ(0, printerSetup.printerKnown);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevMode);
    EXPECT_EQ(NULL, printerSetup.printDlg.hDevNames);
    EXPECT_TRUE(ScriptSeen().empty()); /* the callers show the message */
}

TEST_F(WithoutPrinter, PreviewShowsTheWindowAsItsOwnSheet)
{
    ShowFaces(12);
    settings.preview = 1;
    Refresh();
    EXPECT_EQ(1, pageLayout.valid);
    EXPECT_EQ(1.0f, pageLayout.scaleX);
    EXPECT_EQ(pageLayout.clientWidth, pageLayout.areaWidth);
    EXPECT_EQ(pageLayout.sheetMarginLeft, pageLayout.originX);
    EXPECT_EQ(38, pageLayout.sheetMarginLeft); /* 0.4 inch at 96 dpi */
}

} // namespace
