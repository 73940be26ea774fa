/* render_test.cpp - the grid drawn in the real windows (800 x 600 client, 96 dpi)
 * under Wine: geometry, hit test, labels, text, erasing, preview marks, the range
 * walk with its temporary registration of renamed Debian .ttf copies, ESC, GDI. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "print/printer.h"
#include "render/draw.h"
#include "render/layout.h"

namespace {

const unsigned int kWhite = 0xFFFFFF;
const unsigned int kRed = 0xFF0000;
const unsigned int kBlue = 0x0000FF;
const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char kDejaVuSansMono[] = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

FontRecord *InstalledRecord(const char *face)
{
    FontRecord *record = (FontRecord *)calloc(1, sizeof(FontRecord));
    record->logFont.lfHeight = -16;
    record->logFont.lfWeight = FW_NORMAL;
    record->logFont.lfCharSet = ANSI_CHARSET; /* and OUT_DEFAULT_PRECIS, both 0 */
    record->logFont.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    strcpy(record->logFont.lfFaceName, face);
    record->fontType = TRUETYPE_FONTTYPE;
    return record;
}

/* A font read from a file: file fonts carry DEFAULT_CHARSET and their names. */
FontRecord *FileRecord(const char *face, const std::string &path)
{
    FontRecord *record = InstalledRecord(face);
    record->logFont.lfCharSet = DEFAULT_CHARSET;
    strcpy(record->filePath, path.c_str());
    strcpy(record->fileName, path.substr(path.rfind('\\') + 1).c_str());
    snprintf(record->fullFontName, sizeof record->fullFontName, "%s Book", face);
    return record;
}

/* Replaces the DisplayList by these records (it owns them from now on). */
void ShowRecords(const std::vector<FontRecord *> &records)
{
    FreeFontList(&displayList);
    if (records.empty())
        return;
    displayList.records = (FontRecord **)malloc(records.size() * sizeof(FontRecord *));
    memcpy(displayList.records, records.data(), records.size() * sizeof(FontRecord *));
    displayList.count = (int)records.size();
}

void ShowInstalled(int count)
{
    const char *faces[] = {"Liberation Sans", "DejaVu Sans", "Liberation Serif", "DejaVu Serif"};
    std::vector<FontRecord *> records;
    for (int i = 0; i < count; i++)
        records.push_back(InstalledRecord(faces[i % 4]));
    ShowRecords(records);
}

void ShowText(const char *text)
{
    strcpy(settings.customText, text);
    settings.sampleText = settings.customText;
}

std::string RenamedFace(int digit)
{
    return "Zenvrix Ts" + std::to_string(digit);
}

/* A copy of DejaVu Sans (or another DejaVu file) in which "DejaVu Sans" reads
 * "Zenvrix Ts<digit>", in its UTF-16BE and its one-byte names alike: a family the
 * system does not know, so whether it is registered can be seen from the font list. */
std::string RenamedFont(const std::string &folder, int digit, const char *base = kDejaVuSans)
{
    std::ifstream in(RealFont(base), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto wide = [](const std::string &text) {
        std::string result;
        for (char c : text)
            result += std::string(1, '\0') + c;
        return result;
    };
    std::string from = "DejaVu Sans", to = RenamedFace(digit);
    for (auto names : {std::make_pair(wide(from), wide(to)), std::make_pair(from, to)})
        for (size_t at; (at = data.find(names.first)) != std::string::npos;)
            data.replace(at, names.first.size(), names.second);
    std::string path = folder + "renamed" + std::to_string(digit) + ".ttf";
    std::ofstream(path, std::ios::binary) << data;
    return path;
}

int CALLBACK CountFamily(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM count)
{
    ++*(int *)count;
    return 1;
}

/* Whether the graphics system knows a family right now. */
bool Registered(const std::string &face)
{
    int count = 0;
    HDC screen = GetDC(NULL);
    EnumFontFamiliesA(screen, face.c_str(), CountFamily, (LPARAM)&count);
    ReleaseDC(NULL, screen);
    return count > 0;
}

void ExpectNoneRegistered(int count)
{
    for (int i = 0; i < count; i++)
        EXPECT_FALSE(Registered(RenamedFace(i))) << i;
}

/* Directory fonts made of renamed copies, entry i being family "Zenvrix Ts<i>". */
void ShowRenamedFiles(const std::string &folder, int count)
{
    settings.sourceIsDirectory = 1;
    std::vector<FontRecord *> records;
    for (int i = 0; i < count; i++)
        records.push_back(FileRecord(RenamedFace(i).c_str(), RenamedFont(folder, i)));
    ShowRecords(records);
}

/* Live GDI objects of this process.  Wine accepts a handle's 16-bit table index
 * on its own, so every slot can be asked for its object type; Windows does not,
 * and then the count is 0. */
int LiveGdiObjects(void)
{
    int live = 0;
    for (UINT_PTR index = 1; index < 0x10000; index++)
        if (GetObjectType((HGDIOBJ)index) != 0)
            live++;
    return live;
}

/* Pixels of one colour, or with kInk of any colour but white, in a rectangle. */
const unsigned int kInk = 0xFFFFFFFE;

int CountColour(const Capture &capture, unsigned int colour, int left, int top, int right,
                int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) {
            unsigned int pixel = PixelAt(capture, x, y);
            if (colour == kInk ? pixel != kWhite && pixel != 0xFFFFFFFF : pixel == colour)
                count++;
        }
    return count;
}

int InkIn(const Capture &capture, int left, int top, int right, int bottom)
{
    return CountColour(capture, kInk, left, top, right, bottom);
}

/* Topmost row (or leftmost column) with ink inside a rectangle; -1 when there is none. */
int FirstInk(const Capture &capture, int left, int top, int right, int bottom, bool column = false)
{
    for (int at = column ? left : top; at < (column ? right : bottom); at++)
        if (column ? InkIn(capture, at, top, at + 1, bottom)
                   : InkIn(capture, left, at, right, at + 1))
            return at;
    return -1;
}

bool Between(int value, int low, int high)
{
    return value >= low && value <= high;
}

void FillClient(unsigned int colour)
{
    HDC dc = GetDC(clientWindow);
    HBRUSH brush = CreateSolidBrush(RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF));
    RECT client;
    GetClientRect(clientWindow, &client);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    ReleaseDC(clientWindow, dc);
}

void SendDrawing(UINT message)
{
    HDC dc = GetDC(clientWindow);
    SendMessageA(mainWindow, message, (WPARAM)dc, 0);
    ReleaseDC(clientWindow, dc);
}

void Refresh(void)
{
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
}

/* Runs the hit test of a double-click at (x, y); the index hit, or -1. */
int HitAt(int x, int y)
{
    shell.clickX = x;
    shell.clickY = y;
    shell.hitFound = 0;
    shell.selectedFont = -1;
    shell.hitTestMode = 1;
    SendDrawing(UM_DRAWPAGE);
    shell.hitTestMode = 0;
    return shell.hitFound ? shell.selectedFont : -1;
}


struct Visit { int index; bool ownFontRegistered; int othersRegistered, addsSoFar; };

/* stopAt: the index at which the callback returns 0; pressEscAt: at which Escape goes
 * down, the cells being drawn for real (-1: never); files: renamed families to look at */
struct WalkRecorder { std::vector<Visit> visits; int stopAt, pressEscAt, files; };

WalkRecorder *recorder;

int CALLBACK RecordVisit(const LOGFONTA *logFont, const TEXTMETRICA *metrics, DWORD type,
                         LPARAM userValue)
{
    Visit visit = {displayPos, Registered(logFont->lfFaceName), 0,
                   FaultCalls(FAULT_ADD_FONT_RESOURCE)};
    for (int i = 0; i < recorder->files; i++)
        if (i != displayPos && Registered(RenamedFace(i)))
            visit.othersRegistered++;
    recorder->visits.push_back(visit);
    if (recorder->pressEscAt >= 0) { /* the real cell drawing, after Escape at one cell */
        if (displayPos == recorder->pressEscAt)
            EscapeKey(true);
        return DrawFontCell(logFont, metrics, type, userValue);
    }
    EXPECT_EQ((LPARAM)recorder, userValue);
    return displayPos == recorder->stopAt ? 0 : 1;
}

/* The real windows with an 800 x 600 client area and defaults otherwise; every
 * capture taken with Shot is saved as PNG when the test fails. */
class Grid : public RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        MoveWindow(mainWindow, 0, 0, 1000, 900, TRUE);
        SetClientSize(800, 600);
        ShowInstalled(0);
        folder = TempTestDir("render-walk");
        record = {{}, -1, -1, 0};
        recorder = &record;
    }
    void TearDown() override
    {
        if (GetAsyncKeyState(VK_ESCAPE) < 0)
            EscapeKey(false);
        if (HasFailure())
            for (auto &shot : captures)
                ADD_FAILURE() << "capture: " << SaveFailureCapture(shot.second, shot.first);
        printing = 0;
        RunningProgram::TearDown();
    }
    static void SetClientSize(int width, int height)
    {
        RECT outer, inner;
        GetWindowRect(clientWindow, &outer);
        GetClientRect(clientWindow, &inner);
        POINT place = {outer.left, outer.top};
        ScreenToClient(mainWindow, &place);
        MoveWindow(clientWindow, place.x, place.y, width + (outer.right - outer.left) - inner.right,
                   height + (outer.bottom - outer.top) - inner.bottom, TRUE);
    }
    Capture Shot(const std::string &name)
    {
        captures.push_back(std::make_pair(name, CaptureWindow(clientWindow)));
        return captures.back().second;
    }
    std::vector<int> VisitedIndices(void)
    {
        std::vector<int> indices;
        for (auto &visit : record.visits)
            indices.push_back(visit.index);
        record.visits.clear();
        return indices;
    }
    std::vector<std::pair<std::string, Capture>> captures;
    std::string folder;
    WalkRecorder record;
};

/* the double-click on an installed font explains how to install one */
TEST_F(Grid, TheHitTestFindsTheCellStrictlyInsideItsEdgesAndStopsThereDrawingNothing)
{
    ShowInstalled(40);
    Refresh();
    /* column 1 of the first row spans x 268 to 534 and y 7 to 52, the cell below
     * y 52 to 97; x0 of column 1 is x1 of column 0, originX x0 of column 0, and
     * the top edge of a row is its separator line */
    const struct { int x, y, hit; } clicks[] = {
        {300, 30, 1}, {268, 30, -1}, {269, 30, 1}, {533, 30, 1}, {534, 30, -1},
        {300, 7, -1}, {300, 8, 1},   {300, 51, 1}, {300, 52, -1}, {300, 53, 4},
        {300, 96, 4}, {300, 97, -1}, {3, 8, 0},    {2, 8, -1},   {300, 3, -1}};
    FillClient(kBlue);
    for (auto click : clicks)
        EXPECT_EQ(click.hit, HitAt(click.x, click.y)) << click.x << "," << click.y;
    EXPECT_EQ(800 * 600, CountColour(Shot("hit-test-draws-nothing"), kBlue, 0, 0, 800, 600));
    EXPECT_EQ(7, HitAt(300, 120)); /* row 2, column 1: y 97 to 142 */
    EXPECT_EQ(7, displayPos);      /* nothing after the hit was visited */
    EXPECT_EQ(1, shell.cellColumn); /* the counters stay on the hit cell */
    EXPECT_EQ(2, shell.cellRow);
    /* a miss walks the whole page and advances past every cell */
    EXPECT_EQ(-1, HitAt(801, 599));
    EXPECT_EQ(40, displayPos);
    shell.topRow = 5; /* scrolled: the first visible row is row 5 */
    EXPECT_EQ(15 + 1, HitAt(300, 30));
    shell.topRow = 0;
    ScriptExpect(Box("To install font (or to get information about it) please select directory "
                     "from menu File, then double click on a font text.",
                     "Information"));
    SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, MAKELPARAM(300, 30));
    EXPECT_EQ(1, shell.hitFound);
    EXPECT_EQ(1, shell.selectedFont);
    EXPECT_EQ(0, shell.hitTestMode);
    /* between two rows: nothing happens */
    SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, MAKELPARAM(300, 52));
    EXPECT_EQ(0, shell.hitFound);
}

TEST_F(Grid, SeparatorLabelAndSampleLieWhereTheLayoutPutsThem)
{
    ShowInstalled(40);
    settings.separatorLines = 1;
    Refresh();
    Capture shot = Shot("separators"); /* at the visible top of each row */
    for (int y : {7, 52, 97, 142}) {
        for (int x = 2; x < 800; x += 53)
            EXPECT_EQ(0u, PixelAt(shot, x, y)) << x << "," << y;
        EXPECT_EQ(kWhite, PixelAt(shot, 1, y)) << y; /* the line starts at originX */
        EXPECT_EQ(kWhite, PixelAt(shot, 250, y - 1)) << y;
        EXPECT_EQ(kWhite, PixelAt(shot, 250, y + 1)) << y;
    }
    /* column 1 of the first two rows, x 268 to 534: the label 5 pixels below the
     * row's top (7 and 52), the sample line 15 below it */
    for (int top : {7, 52}) {
        EXPECT_EQ(0, InkIn(shot, 268, top + 1, 534, top + 5)) << top; /* below the line */
        EXPECT_PRED3(Between, FirstInk(shot, 268, top + 1, 534, top + 15), top + 5, top + 8);
        EXPECT_PRED3(Between, FirstInk(shot, 268, top + 15, 534, top + 45), top + 15, top + 21);
    }
    EXPECT_GT(InkIn(shot, 268, 22, 534, 52), 100);
    EXPECT_PRED3(Between, FirstInk(shot, 266, 12, 534, 22, true), 268, 270);
    EXPECT_PRED3(Between, FirstInk(shot, 266, 30, 534, 44, true), 268, 271);
    settings.separatorLines = 0;
    Refresh();
    EXPECT_EQ(kWhite, PixelAt(Shot("no-separators"), 250, 52));
}

TEST_F(Grid, APageRedrawErasesEveryPixelAOneRowRedrawOnlyItsRows)
{
    ShowInstalled(60); /* 20 rows, 13 visible */
    Refresh();
    FillClient(kBlue);
    SendDrawing(UM_DRAWPAGE);
    EXPECT_EQ(0, CountColour(Shot("full-page-erase"), kBlue, 0, 0, 800, 600));
    shell.topRow = 1;
    FillClient(kBlue);
    SendDrawing(UM_DRAWLASTROW);
    Capture shot = Shot("last-row-redraw");
    /* rows 12 and 13 of the view: row 12 starts at trunc(12 x 45.333332) = 543,
     * its background at 543 + 7 - 1; everything above stays as it was */
    EXPECT_EQ(800 * 549, CountColour(shot, kBlue, 0, 0, 800, 549));
    EXPECT_EQ(0, CountColour(shot, kBlue, 0, 549, 800, 600));
    EXPECT_GT(InkIn(shot, 0, 551, 800, 597), 0);
    EXPECT_EQ(3 * 15, displayPos); /* rows 13 and 14 of the list were drawn */

    FillClient(kBlue);
    SendDrawing(UM_DRAWFIRSTROW);
    shot = Shot("first-row-redraw");
    EXPECT_EQ(0, shell.drawingFirstRow);
    EXPECT_EQ(0, CountColour(shot, kBlue, 0, 0, 800, 52)); /* from the top of the window */
    EXPECT_EQ(800 * (600 - 53), CountColour(shot, kBlue, 0, 53, 800, 600));
    ShowInstalled(4); /* two rows, the second with one cell: erased to the edges */
    shell.topRow = 0;
    Refresh();
    FillClient(kBlue);
    SendDrawing(UM_DRAWPAGE);
    shot = Shot("short-list-erase");
    EXPECT_EQ(0, CountColour(shot, kBlue, 0, 0, 800, 600));
    EXPECT_EQ(0, InkIn(shot, 0, 100, 800, 600));  /* below the second row */
    EXPECT_EQ(0, InkIn(shot, 270, 53, 800, 600)); /* right of the last cell */
}

/* the last column's text is cut where the grid ends; the preview leaves room for
 * that cut inside the window */
TEST_F(Grid, TextOfTheLastColumnIsCutAtTheGridsRightEdge)
{
    ShowInstalled(3);
    settings.preview = 1;
    ShowText("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    Refresh();
    int edge = pageLayout.originX + pageLayout.gridWidth;
    ASSERT_LT(edge, 790);
    Capture shot = Shot("right-cut");
    int lastX0 = (int)(2 * pageLayout.cellWidth + pageLayout.originX);
    EXPECT_GT(InkIn(shot, lastX0, 0, edge, 200), 0);
    EXPECT_EQ(0, InkIn(shot, edge, 0, 800, 200));
    settings.preview = 0; /* without the preview the window itself is the limit */
    Refresh();
    EXPECT_GT(InkIn(Shot("right-cut-screen"), 540, 0, 800, 100), 0);
}

TEST_F(Grid, SampleLinesBreakAtLineFeedsWithoutCarriageReturnsOrEveryCharsPerLine)
{
    ShowInstalled(1);
    ShowText("ab\r\ncd");
    Refresh();
    Capture crlf = Shot("crlf");
    ShowText("ab\ncd");
    Refresh();
    Capture lf = Shot("lf");
    /* line 1 at y 22, line 2 at y 45 (trunc 2 x 22.67) */
    EXPECT_GT(InkIn(crlf, 2, 22, 260, 45), 0);
    EXPECT_GT(InkIn(crlf, 2, 45, 260, 68), 0);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 260; x++)
            ASSERT_EQ(PixelAt(lf, x, y), PixelAt(crlf, x, y)) << x << "," << y;
    /* an empty line in the middle keeps its slot; a final line feed adds none */
    ShowText("ab\n\ncd\n");
    Refresh();
    Capture gap = Shot("gap");
    EXPECT_EQ(0, InkIn(gap, 2, 50, 260, 66));  /* line 2 is empty */
    EXPECT_GT(InkIn(gap, 2, 67, 260, 90), 0);  /* line 3 at y 67 */
    EXPECT_EQ(0, InkIn(gap, 2, 92, 260, 130)); /* no line 4 */
    /* a one-line text is cut every 18 (charsPerLine) characters */
    ShowText("IIIIIIIIIIIIIIIIIIOOOOOOOOOOOOOOOOOO");
    Refresh();
    Capture shot = Shot("wrapped");
    int line1 = InkIn(shot, 2, 22, 800, 45);
    EXPECT_GT(line1, 0);
    EXPECT_GT(InkIn(shot, 2, 45, 800, 68), line1); /* the O line holds more ink than the I line */
    EXPECT_EQ(0, InkIn(shot, 2, 70, 800, 200));    /* the third call draws nothing */
}



/* Ink of the sample line of a single cell drawn for this record. */
int SampleInk(FontRecord *record)
{
    ShowRecords({record});
    Refresh();
    return InkIn(CaptureWindow(clientWindow), 2, 22, 268, 52);
}

TEST_F(Grid, InstalledFontsTakeTheChosenStyleFileFontsTheirOwnWeightUnlessBold)
{
    int normal = SampleInk(InstalledRecord("DejaVu Sans"));
    FontRecord *heavy = InstalledRecord("DejaVu Sans");
    heavy->logFont.lfWeight = FW_BOLD;
    heavy->logFont.lfItalic = 1;
    EXPECT_EQ(normal, SampleInk(heavy)); /* its own weight and slant are not used */
    settings.bold = 1;
    EXPECT_GT(SampleInk(InstalledRecord("DejaVu Sans")), normal + normal / 10);
    /* file fonts keep their own weight unless bold is chosen */
    settings.sourceIsDirectory = 1;
    std::string path = RealFont(kDejaVuSans);
    settings.bold = 0;
    normal = SampleInk(FileRecord("DejaVu Sans", path));
    heavy = FileRecord("DejaVu Sans", path);
    heavy->logFont.lfWeight = FW_BOLD;
    int ownBold = SampleInk(heavy);
    EXPECT_GT(ownBold, normal + normal / 10);
    settings.bold = 1;
    EXPECT_EQ(ownBold, SampleInk(FileRecord("DejaVu Sans", path)));
}

TEST_F(Grid, LabelsFollowTheLabelModeForFileFontsOnlyCutToTheirBuffer)
{
    FontRecord *record = FileRecord("Zen Sans", "Z:\\fonts\\zen\\ZenSans.ttf");
    char label[300 + 16];
    const struct { int mode; const char *text; } modes[] = {
        {LABEL_FACE_NAME, "Zen Sans"}, {LABEL_FULL_NAME, "Zen Sans Book"},
        {LABEL_FILE_NAME, "ZenSans.ttf"}, {LABEL_FACE_AND_FILE, "Zen Sans - ZenSans.ttf"},
        {LABEL_FULL_AND_FILE, "Zen Sans Book - ZenSans.ttf"},
        {LABEL_FULL_PATH, "Z:\\fonts\\zen\\ZenSans.ttf"}};
    for (int directory = 1; directory >= 0; directory--) {
        settings.sourceIsDirectory = directory;
        for (auto m : modes) { /* installed fonts: the face name, whatever the mode */
            settings.labelMode = m.mode;
            FormatCellLabel(record, label, 300);
            EXPECT_STREQ(directory ? m.text : "Zen Sans", label) << m.mode;
        }
    }
    /* a label longer than its buffer is cut at 299 characters, and names without
     * their terminating NUL are read no further than their field */
    memset(record->fullFontName, 'G', sizeof record->fullFontName);
    memset(record->fileName, 'M', sizeof record->fileName);
    settings.sourceIsDirectory = 1;
    settings.labelMode = LABEL_FULL_AND_FILE;
    memset(label, '#', sizeof label);
    FormatCellLabel(record, label, 300);
    EXPECT_EQ(std::string(299, 'G'), std::string(label));
    EXPECT_EQ('#', label[300]); /* nothing written past the buffer */
    settings.labelMode = LABEL_FULL_NAME;
    FormatCellLabel(record, label, 300);
    EXPECT_EQ(299u, strlen(label));
    ShowRecords({record}); /* and such a cell draws like any other */
    Refresh();
    EXPECT_GT(InkIn(Shot("long-label"), 2, 12, 800, 22), 0);
}

/* The top of row `row` of the view, where its separator and sheet mark lie. */
int RowTop(int row)
{
    return (int)(row * (double)pageLayout.cellHeight) + pageLayout.cellTopOffset;
}

TEST_F(Grid, PreviewMarksEveryRowThatStartsASheetInRed)
{
    ShowInstalled(120); /* 40 rows */
    settings.preview = 1;
    Refresh();
    ASSERT_EQ(1, printerSetup.printerKnown);
    int perSheet = pageLayout.sheetRowsPerPage;
    ASSERT_GT(perSheet, 2);
    shell.topRow = perSheet - 2; /* the first sheet's last two rows, then the second's */
    SendDrawing(UM_DRAWPAGE);
    Capture shot = Shot("preview-marks");
    int width = (int)(pageLayout.scaledDpiY * 3 / 72.0);
    EXPECT_GE(width, 2);
    int ys = RowTop(2); /* the sheet's first row, across the window */
    EXPECT_EQ(800, CountColour(shot, kRed, 0, ys + 1, 800, ys + 2));
    EXPECT_GE(CountColour(shot, kRed, 400, ys - 3, 401, ys + 6), width);
    /* no mark above the rows that do not start a sheet */
    EXPECT_EQ(0, CountColour(shot, kRed, 0, 0, 800, RowTop(1) + 4));
    EXPECT_EQ(0, CountColour(shot, kRed, 0, RowTop(3) - 3, 800, RowTop(3) + 6));
    shell.topRow = 0; /* the first sheet starts without a mark */
    SendDrawing(UM_DRAWPAGE);
    EXPECT_EQ(0, CountColour(Shot("preview-top"), kRed, 0, 0, 800, 600));
}

TEST_F(Grid, PreviewMarksTheEndOfTheLastSheetAndDrawsNothingWithoutWidth)
{
    settings.marginTop = 200; /* no room on a sheet: every row is a sheet of its own */
    settings.marginBottom = 200;
    ShowInstalled(6);
    settings.preview = 1;
    SetClientSize(0, 600); /* a preview without width draws nothing */
    Refresh();
    EXPECT_EQ(0, pageLayout.valid);
    EXPECT_EQ(0, displayPos); /* the first cell stopped the walk */
    EXPECT_EQ(0, shell.cellColumn);
    EXPECT_EQ(-1, HitAt(0, 30));
    SetClientSize(800, 600);
    Refresh();
    EXPECT_EQ(1, pageLayout.valid);
    EXPECT_EQ(6, displayPos);
    ASSERT_EQ(1, pageLayout.sheetRowsPerPage);
    ASSERT_EQ(2, pageLayout.pageCount);
    Capture shot = Shot("preview-end");
    int second = RowTop(1) + 1, end = RowTop(2) + 1;
    EXPECT_EQ(800, CountColour(shot, kRed, 0, second, 800, second + 1));
    EXPECT_EQ(800, CountColour(shot, kRed, 0, end, 800, end + 1));
    EXPECT_EQ(0, CountColour(shot, kRed, 0, end + 6, 800, 600));
    shell.topRow = 1; /* scrolled by a row, the end mark moves up with the rows */
    SendDrawing(UM_DRAWPAGE);
    EXPECT_EQ(800, CountColour(Shot("preview-end-scrolled"), kRed, 0, second, 800, second + 1));
}


class Walk : public Grid {}; /* the range walk, with its recorder */

TEST_F(Walk, RangesAreClippedToTheDisplayList)
{
    /* inverted, past the end and over an empty list: nothing */
    const struct { int first, last, listed; std::vector<int> visited; } ranges[] = {
        {0, 100, 0, {}}, {-5, 1, 10, {0, 1}}, {5, 4, 10, {}}, {10, 20, 10, {}},
        {6, 14, 10, {6, 7, 8, 9}}};
    for (const auto &range : ranges) {
        ShowInstalled(range.listed);
        EXPECT_EQ(1, ForEachDisplayFont(RecordVisit, (LPARAM)&record, range.first, range.last));
        EXPECT_EQ(range.visited, VisitedIndices()) << range.first << ".." << range.last;
    }
    EXPECT_EQ(10, displayPos); /* the index after the last entry visited */
}

TEST_F(Walk, DrawingMessagesAskForTheirRowsAndRegisterOnlyThose)
{
    ShowRenamedFiles(folder, 10);
    Refresh();
    pageLayout.visibleRows = 2;
    pageLayout.rowsPerPage = 2;
    /* the view at row 2: entries 6 to 14 asked for, 6 to 9 exist; a printed page:
     * exactly rowsPerPage rows, 6 to 11, and no registration of its own (the print
     * command holds every file for the whole job); after a step down: the last
     * whole row and the partial one, 3 to 8; after a step up: the first row, 3 to 5 */
    const struct { UINT message; int printing, topRow, adds, next; } draws[] = {
        {UM_DRAWPAGE, 0, 2, 4, 10}, {UM_DRAWPAGE, 1, 2, 0, 10},
        {UM_DRAWLASTROW, 0, 0, 6, 9}, {UM_DRAWFIRSTROW, 0, 1, 3, 6}};
    for (auto draw : draws) {
        printing = draw.printing;
        shell.topRow = draw.topRow;
        SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
        SendDrawing(draw.message);
        EXPECT_EQ(draw.adds, FaultCalls(FAULT_ADD_FONT_RESOURCE)) << draw.message;
        EXPECT_EQ(draw.next, displayPos) << draw.message;
    }
    printing = 0;
    shell.topRow = 0; /* a double-click on the third cell registers three files */
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    EXPECT_EQ(2, HitAt(600, 30));
    EXPECT_EQ(3, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_EQ(2, displayPos);
    ExpectNoneRegistered(10);
}

TEST_F(Walk, EachDirectoryFontIsRegisteredOnlyAroundItsCallbackAndEscapeStopsTheRange)
{
    ShowRenamedFiles(folder, 10);
    record.files = 10;
    record.stopAt = 7;
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    ForEachDisplayFont(RecordVisit, (LPARAM)&record, 0, 9);
    ASSERT_EQ(8u, record.visits.size());
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(i, record.visits[i].index);
        EXPECT_TRUE(record.visits[i].ownFontRegistered) << i;
        EXPECT_EQ(0, record.visits[i].othersRegistered) << i;
        EXPECT_EQ(i + 1, record.visits[i].addsSoFar) << i;
    }
    EXPECT_EQ(7, displayPos);
    ExpectNoneRegistered(10);
    /* Escape stops the range before the next cell is drawn */
    Refresh();
    FillClient(kBlue);
    record = {{}, -1, 7, 0};
    HDC dc = GetDC(clientWindow);
    shell.cellColumn = 0;
    shell.cellRow = 0;
    ForEachDisplayFont(RecordVisit, (LPARAM)&dc, 0, 29);
    ReleaseDC(clientWindow, dc);
    EscapeKey(false);
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7}), VisitedIndices());
    EXPECT_EQ(7, displayPos);
    EXPECT_EQ(1, shell.cellColumn); /* the counters stay on the cell that stopped */
    EXPECT_EQ(2, shell.cellRow);
    EXPECT_FALSE(Registered(RenamedFace(7)));
    Capture shot = Shot("escape");
    /* rows 0 and 1 and entry 6 (row 2, column 0) were drawn, nothing after it */
    EXPECT_EQ(0, CountColour(shot, kBlue, 0, 0, 800, 96));
    EXPECT_GT(InkIn(shot, 3, 100, 266, 142), 0);
    EXPECT_EQ(0, InkIn(shot, 270, 97, 800, 600));
}

/* Rightmost ink of a cell's sample line, from the cell's left edge. */
int SampleWidth(const Capture &shot, int left, int right)
{
    for (int x = right - 1; x >= left; x--)
        if (InkIn(shot, x, 22, x + 1, 45) > 0)
            return x - left;
    return 0;
}

TEST_F(Walk, ADirectoryFontIsDrawnInItsOwnFaceWhileRegistered)
{
    /* two monospaced families unknown to the system; only the first file can be
     * added, the second cell is drawn all the same in a proportional substitute */
    settings.sourceIsDirectory = 1;
    std::string first = RenamedFace(0) + " Mono", second = RenamedFace(1) + " Mono";
    ShowRecords({FileRecord(first.c_str(), RenamedFont(folder, 0, kDejaVuSansMono)),
                 FileRecord(second.c_str(), RenamedFont(folder, 1, kDejaVuSansMono))});
    ShowText("iiiiiiiiii");
    SetFault(FAULT_ADD_FONT_RESOURCE, 1, -1);
    Refresh();
    Capture shot = Shot("own-face");
    EXPECT_EQ(2, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_GT(SampleWidth(shot, 2, 268), 100); /* ten monospaced cells of about 12 pixels */
    EXPECT_PRED3(Between, SampleWidth(shot, 268, 534), 1, 79); /* ten narrow i, proportional */
}

TEST_F(Walk, OutsideRegistrationsAreKeptAndLoadAllAddsOneToEveryFile)
{
    ShowRenamedFiles(folder, 3);
    std::string held = displayList.records[2]->filePath;
    ASSERT_NE(0, AddFontResourceA(held.c_str())); /* registered from outside the walk */
    settings.sourceIsDirectory = 0; /* installed fonts are never added or removed */
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    Refresh();
    EXPECT_EQ(0, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_TRUE(Registered(RenamedFace(2)));
    EXPECT_FALSE(Registered(RenamedFace(0)));
    settings.sourceIsDirectory = 1; /* load all and unload all: one up, one down each */
    for (printing = 0; printing <= 1; printing++) {
        SendDrawing(UM_LOADALL);
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(Registered(RenamedFace(i))) << i << " " << printing;
        SendDrawing(UM_UNLOADALL);
        ExpectNoneRegistered(2);
        EXPECT_TRUE(Registered(RenamedFace(2))) << printing; /* still held once */
    }
    printing = 0;
    RemoveFontResourceA(held.c_str());
    EXPECT_FALSE(Registered(RenamedFace(2)));
}

TEST_F(Walk, ThousandsOfCellsAndDirectoryFontsLeaveNoGdiObjectOrRegistrationBehind)
{
    if (LiveGdiObjects() == 0)
        GTEST_SKIP() << "GDI handles cannot be counted by index here";
    ShowInstalled(60);
    settings.separatorLines = 1;
    HDC dc = GetDC(clientWindow);
    const int kinds[] = {OBJ_FONT, OBJ_PEN, OBJ_BRUSH};
    HGDIOBJ selected[3];
    for (int i = 0; i < 3; i++)
        selected[i] = GetCurrentObject(dc, kinds[i]);
    ReleaseDC(clientWindow, dc);
    int cells = 0;
    for (int pass = 0; pass < 3; pass++) { /* the screen, the preview, directory fonts */
        settings.preview = pass == 1;
        if (pass == 2)
            ShowRenamedFiles(folder, 10);
        Refresh();
        int before = LiveGdiObjects();
        for (int page = 0; page < 40; page++) {
            shell.topRow = pass == 2 ? 0 : page % 8;
            SendDrawing(UM_DRAWPAGE);
            cells += displayPos - shell.topRow * settings.columns;
        }
        EXPECT_EQ(before, LiveGdiObjects()) << "pass " << pass;
    }
    EXPECT_GT(cells, 2000 + 40 * 10);
    dc = GetDC(clientWindow);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(selected[i], GetCurrentObject(dc, kinds[i])) << kinds[i];
    ReleaseDC(clientWindow, dc);
    ExpectNoneRegistered(10);
}

} // namespace
