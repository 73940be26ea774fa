/* render_test.cpp - the grid on screen: cell geometry and the hit test, labels,
 * sample text, background erasing, separator lines, the preview's page marks, the
 * range walk with its temporary font registration, ESC, and the GDI objects a
 * redraw leaves behind.
 *
 * Runs the real windows in this process with a client window of 800 x 600 pixels
 * at 96 dpi, fills the DisplayList itself with installed faces or with real .ttf
 * files of the Debian font packages, and looks at the drawn pixels.  Run by CTest
 * under Wine; writes renamed font copies under the build tree's testdata folder
 * and registers them only in this process, removing every registration again. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

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

/* ---- font records and the DisplayList ---- */

FontRecord *InstalledRecord(const char *face)
{
    FontRecord *record = (FontRecord *)calloc(1, sizeof(FontRecord));
    record->logFont.lfHeight = -16;
    record->logFont.lfWeight = FW_NORMAL;
    record->logFont.lfCharSet = ANSI_CHARSET;
    record->logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
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
    for (size_t i = 0; i < records.size(); i++)
        displayList.records[i] = records[i];
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

/* A copy of DejaVu Sans (or another DejaVu file) in which "DejaVu Sans" reads
 * "Zenvrix Ts<digit>": a family the system does not know, so whether it is
 * registered can be seen from the font list. */
std::string RenamedFont(const std::string &folder, int digit, const char *base = kDejaVuSans)
{
    std::string source = RealFont(base);
    HANDLE file = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              0, NULL);
    DWORD size = GetFileSize(file, NULL), done = 0;
    std::string data(size, '\0');
    ReadFile(file, &data[0], size, &done, NULL);
    CloseHandle(file);
    std::string from = "DejaVu Sans", to = "Zenvrix Ts" + std::to_string(digit);
    std::string wideFrom, wideTo;
    for (size_t i = 0; i < from.size(); i++) {
        wideFrom += '\0';
        wideFrom += from[i];
        wideTo += '\0';
        wideTo += to[i];
    }
    for (size_t at; (at = data.find(wideFrom)) != std::string::npos;)
        data.replace(at, wideFrom.size(), wideTo);
    for (size_t at; (at = data.find(from)) != std::string::npos;)
        data.replace(at, from.size(), to);
    std::string path = folder + "renamed" + std::to_string(digit) + ".ttf";
    file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, data.data(), size, &done, NULL);
    CloseHandle(file);
    return path;
}

std::string RenamedFace(int digit)
{
    return "Zenvrix Ts" + std::to_string(digit);
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

/* Directory fonts made of renamed copies, entry i being family "Zenvrix Ts<i>". */
void ShowRenamedFiles(const std::string &folder, int count)
{
    std::vector<FontRecord *> records;
    for (int i = 0; i < count; i++)
        records.push_back(FileRecord(RenamedFace(i).c_str(), RenamedFont(folder, i)));
    ShowRecords(records);
}

/* ---- GDI objects ---- */

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

/* ---- pixels ---- */

bool Ink(unsigned int pixel)
{
    return pixel != kWhite && pixel != 0xFFFFFFFF;
}

int InkIn(const Capture &capture, int left, int top, int right, int bottom)
{
    int ink = 0;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++)
            if (Ink(PixelAt(capture, x, y)))
                ink++;
    return ink;
}

int CountColour(const Capture &capture, unsigned int colour, int left, int top, int right,
                int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++)
            if (PixelAt(capture, x, y) == colour)
                count++;
    return count;
}

/* Topmost and leftmost ink inside a rectangle; -1 when there is none. */
int FirstInkRow(const Capture &capture, int left, int top, int right, int bottom)
{
    for (int y = top; y < bottom; y++)
        if (InkIn(capture, left, y, right, y + 1) > 0)
            return y;
    return -1;
}

int FirstInkColumn(const Capture &capture, int left, int top, int right, int bottom)
{
    for (int x = left; x < right; x++)
        if (InkIn(capture, x, top, x + 1, bottom) > 0)
            return x;
    return -1;
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

LRESULT SendDrawing(UINT message)
{
    HDC dc = GetDC(clientWindow);
    LRESULT result = SendMessageA(mainWindow, message, (WPARAM)dc, 0);
    ReleaseDC(clientWindow, dc);
    return result;
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

/* Presses or releases Escape as a keyboard would. */
void EscapeKey(bool down)
{
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_ESCAPE;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    for (int i = 0; i < 100 && (GetAsyncKeyState(VK_ESCAPE) < 0) != down; i++)
        Sleep(10);
}

/* The real windows with an 800 x 600 client area and defaults otherwise. */
class Grid : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFaults();
        ScriptBegin();
        ASSERT_EQ(1, StartZenvrix());
        ASSERT_EQ("", ScriptEnd());
        MoveWindow(mainWindow, 0, 0, 1000, 900, TRUE);
        SetClientSize(800, 600);
        ShowInstalled(0);
        ScriptBegin();
    }
    void TearDown() override
    {
        EXPECT_EQ("", ScriptEnd());
        printing = 0;
        StopZenvrix();
        ClearFaults();
    }
    static void SetClientSize(int width, int height)
    {
        RECT outer, inner;
        GetWindowRect(clientWindow, &outer);
        GetClientRect(clientWindow, &inner);
        int extraX = (outer.right - outer.left) - inner.right;
        int extraY = (outer.bottom - outer.top) - inner.bottom;
        POINT place = {outer.left, outer.top};
        ScreenToClient(mainWindow, &place);
        MoveWindow(clientWindow, place.x, place.y, width + extraX, height + extraY, TRUE);
    }
    static void Refresh(void)
    {
        SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    }
    /* The client window as drawn now; saved as PNG when the test has failed. */
    Capture Shot(const std::string &name)
    {
        Capture capture = CaptureWindow(clientWindow);
        captures.push_back(std::make_pair(name, capture));
        return capture;
    }
    void SaveShotsOnFailure(void)
    {
        if (!HasFailure())
            return;
        for (auto &shot : captures)
            ADD_FAILURE() << "capture: " << SaveFailureCapture(shot.second, shot.first);
        captures.clear();
    }
    std::vector<std::pair<std::string, Capture>> captures;
};

/* ---- geometry and hit test ---- */

TEST_F(Grid, TheClientLayoutIsTheScreenExample)
{
    ShowInstalled(40);
    Refresh();
    EXPECT_EQ(800, pageLayout.clientWidth);
    EXPECT_EQ(600, pageLayout.clientHeight);
    EXPECT_EQ(96, pageLayout.screenDpiY);
    EXPECT_EQ(2, pageLayout.originX);
    EXPECT_EQ(266.66666f, pageLayout.cellWidth);
    EXPECT_EQ(45.333332f, pageLayout.cellHeight);
    EXPECT_EQ(7, pageLayout.cellTopOffset);
    EXPECT_EQ(12, pageLayout.labelOffset);
    EXPECT_EQ(13, pageLayout.visibleRows);
    EXPECT_EQ(14, pageLayout.totalRows);
    EXPECT_EQ(1, pageLayout.valid);
}

TEST_F(Grid, CellEdgesAreNotHitsAndTheFirstPixelInsideIs)
{
    ShowInstalled(40);
    Refresh();
    /* column 1 of the first row spans x 268 to 534 and y 7 to 52 */
    EXPECT_EQ(1, HitAt(300, 30));
    EXPECT_EQ(-1, HitAt(268, 30)); /* x0 of column 1 is x1 of column 0 */
    EXPECT_EQ(1, HitAt(269, 30));
    EXPECT_EQ(1, HitAt(533, 30));
    EXPECT_EQ(-1, HitAt(534, 30));
    EXPECT_EQ(-1, HitAt(300, 7));  /* the separator line */
    EXPECT_EQ(1, HitAt(300, 8));
    EXPECT_EQ(1, HitAt(300, 51));
    EXPECT_EQ(-1, HitAt(300, 52)); /* y1 of the first row, separator of the second */
    EXPECT_EQ(4, HitAt(300, 53));  /* the cell below spans y 52 to 97 */
    EXPECT_EQ(4, HitAt(300, 96));
    EXPECT_EQ(-1, HitAt(300, 97));
    EXPECT_EQ(0, HitAt(3, 8));
    EXPECT_EQ(-1, HitAt(2, 8));     /* originX is x0 of column 0 */
    EXPECT_EQ(-1, HitAt(300, 3));   /* above the first row's visible top */
}

TEST_F(Grid, AHitStopsTheWalkAtTheHitCell)
{
    ShowInstalled(40);
    Refresh();
    EXPECT_EQ(7, HitAt(300, 120)); /* row 2, column 1: y 97 to 142 */
    EXPECT_EQ(7, displayPos);      /* nothing after the hit was visited */
    EXPECT_EQ(1, shell.cellColumn); /* the counters stay on the hit cell */
    EXPECT_EQ(2, shell.cellRow);
    /* a miss walks the whole page and advances past every cell */
    EXPECT_EQ(-1, HitAt(801, 120));
    EXPECT_EQ(40, displayPos);
}

TEST_F(Grid, HitTestsFollowTheScrolledRows)
{
    ShowInstalled(60);
    Refresh();
    shell.topRow = 5;
    EXPECT_EQ(15 + 1, HitAt(300, 30)); /* the first visible row is row 5 */
}

TEST_F(Grid, ADoubleClickOnAnInstalledFontExplainsHowToInstall)
{
    ShowInstalled(40);
    Refresh();
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

TEST_F(Grid, HitTestingDrawsNothing)
{
    ShowInstalled(40);
    Refresh();
    FillClient(kBlue);
    HitAt(801, 599);
    Capture after = Shot("hit-test-draws-nothing");
    EXPECT_EQ(800 * 600, CountColour(after, kBlue, 0, 0, 800, 600));
    SaveShotsOnFailure();
}

/* ---- pixels of the cells ---- */

TEST_F(Grid, SeparatorLinesLieAtTheVisibleTopOfEachRow)
{
    ShowInstalled(40);
    settings.separatorLines = 1;
    Refresh();
    Capture shot = Shot("separators");
    const int separators[] = {7, 52, 97, 142};
    for (int y : separators) {
        for (int x = 2; x < 800; x += 53)
            EXPECT_EQ(0u, PixelAt(shot, x, y)) << x << "," << y;
        EXPECT_EQ(kWhite, PixelAt(shot, 1, y)) << y; /* the line starts at originX */
        EXPECT_EQ(kWhite, PixelAt(shot, 250, y - 1)) << y;
        EXPECT_EQ(kWhite, PixelAt(shot, 250, y + 1)) << y;
    }
    settings.separatorLines = 0;
    Refresh();
    Capture without = Shot("no-separators");
    EXPECT_EQ(kWhite, PixelAt(without, 250, 52));
    SaveShotsOnFailure();
}

TEST_F(Grid, LabelAndSampleStartWhereTheLayoutPutsThem)
{
    ShowInstalled(40);
    settings.separatorLines = 1;
    Refresh();
    Capture shot = Shot("label-and-sample");
    /* the cell in column 1 of the first row: x 268 to 534, y 7 to 52; label at
     * (268, 12), sample line at (268, 22) */
    EXPECT_EQ(0, InkIn(shot, 268, 8, 534, 12));   /* nothing between line and label */
    int labelTop = FirstInkRow(shot, 268, 8, 534, 22);
    EXPECT_GE(labelTop, 12);
    EXPECT_LE(labelTop, 15);
    int labelLeft = FirstInkColumn(shot, 266, 12, 534, 22);
    EXPECT_GE(labelLeft, 268);
    EXPECT_LE(labelLeft, 270);
    int sampleTop = FirstInkRow(shot, 268, 22, 534, 52);
    EXPECT_GE(sampleTop, 22);
    EXPECT_LE(sampleTop, 28);
    EXPECT_GT(InkIn(shot, 268, 22, 534, 52), 100);
    int sampleLeft = FirstInkColumn(shot, 266, 30, 534, 44);
    EXPECT_GE(sampleLeft, 268);
    EXPECT_LE(sampleLeft, 271);
    /* the cell below: y 52 to 97, label at 57, sample line at 67 */
    EXPECT_EQ(0, InkIn(shot, 268, 53, 534, 57));
    int belowLabel = FirstInkRow(shot, 268, 53, 534, 67);
    EXPECT_GE(belowLabel, 57);
    EXPECT_LE(belowLabel, 60);
    int belowSample = FirstInkRow(shot, 268, 67, 534, 97);
    EXPECT_GE(belowSample, 67);
    EXPECT_LE(belowSample, 73);
    SaveShotsOnFailure();
}

TEST_F(Grid, EveryPixelOfAFullPageIsRedrawn)
{
    ShowInstalled(40);
    Refresh();
    FillClient(kBlue);
    SendDrawing(UM_DRAWPAGE);
    Capture shot = Shot("full-page-erase");
    EXPECT_EQ(0, CountColour(shot, kBlue, 0, 0, 800, 600));
    SaveShotsOnFailure();
}

TEST_F(Grid, AShortListErasesToTheRightEdgeAndTheBottom)
{
    ShowInstalled(4); /* two rows, the second with one cell */
    Refresh();
    FillClient(kBlue);
    SendDrawing(UM_DRAWPAGE);
    Capture shot = Shot("short-list-erase");
    EXPECT_EQ(0, CountColour(shot, kBlue, 0, 0, 800, 600));
    EXPECT_EQ(0, InkIn(shot, 0, 100, 800, 600)); /* below the second row */
    EXPECT_EQ(0, InkIn(shot, 270, 53, 800, 600)); /* right of the last cell */
    SaveShotsOnFailure();
}

TEST_F(Grid, AOneRowRedrawErasesOnlyItsRows)
{
    ShowInstalled(60); /* 20 rows, 13 visible */
    Refresh();
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
    SaveShotsOnFailure();
}

/* the last column's text is cut where the grid ends; the preview leaves room for
 * that cut inside the window */
TEST_F(Grid, TextOfTheLastColumnIsCutAtTheGridsRightEdge)
{
    ShowInstalled(3);
    settings.preview = 1;
    strcpy(settings.customText, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    settings.sampleText = settings.customText;
    Refresh();
    int edge = pageLayout.originX + pageLayout.gridWidth;
    ASSERT_LT(edge, 790);
    Capture shot = Shot("right-cut");
    int lastX0 = (int)(2 * pageLayout.cellWidth + pageLayout.originX);
    EXPECT_GT(InkIn(shot, lastX0, 0, edge, 200), 0);
    EXPECT_EQ(0, InkIn(shot, edge, 0, 800, 200));
    /* without the preview the window itself is the limit */
    settings.preview = 0;
    Refresh();
    shot = Shot("right-cut-screen");
    EXPECT_GT(InkIn(shot, 540, 0, 800, 100), 0);
    SaveShotsOnFailure();
}

/* ---- sample text ---- */

TEST_F(Grid, MultiLineTextDrawsOneLinePerSlotWithoutCarriageReturns)
{
    ShowInstalled(1);
    strcpy(settings.customText, "ab\r\ncd");
    settings.sampleText = settings.customText;
    Refresh();
    ASSERT_EQ(3, pageLayout.linesPerCell);
    Capture crlf = Shot("crlf");
    strcpy(settings.customText, "ab\ncd");
    Refresh();
    Capture lf = Shot("lf");
    /* line 1 at y 22, line 2 at y 45 (trunc 2 x 22.67) */
    EXPECT_GT(InkIn(crlf, 2, 22, 260, 45), 0);
    EXPECT_GT(InkIn(crlf, 2, 45, 260, 68), 0);
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 260; x++)
            ASSERT_EQ(PixelAt(lf, x, y), PixelAt(crlf, x, y)) << x << "," << y;
    /* an empty line in the middle keeps its slot; a final line feed adds none */
    strcpy(settings.customText, "ab\n\ncd\n");
    Refresh();
    Capture gap = Shot("gap");
    EXPECT_EQ(5, pageLayout.linesPerCell);     /* three line feeds */
    EXPECT_EQ(0, InkIn(gap, 2, 50, 260, 66));  /* line 2 is empty */
    EXPECT_GT(InkIn(gap, 2, 67, 260, 90), 0);  /* line 3 at y 67 */
    EXPECT_EQ(0, InkIn(gap, 2, 92, 260, 130)); /* no line 4 */
    SaveShotsOnFailure();
}

TEST_F(Grid, OneLineTextIsCutEveryCharsPerLineCharacters)
{
    ShowInstalled(1);
    strcpy(settings.customText, "IIIIIIIIIIIIIIIIIIOOOOOOOOOOOOOOOOOO"); /* 36 = 2 x 18 */
    settings.sampleText = settings.customText;
    Refresh();
    ASSERT_EQ(18, pageLayout.charsPerLine);
    ASSERT_EQ(3, pageLayout.linesPerCell);
    Capture shot = Shot("wrapped");
    int line1 = InkIn(shot, 2, 22, 800, 45);
    int line2 = InkIn(shot, 2, 45, 800, 68);
    EXPECT_GT(line1, 0);
    EXPECT_GT(line2, line1); /* the O line holds more ink than the I line */
    EXPECT_EQ(0, InkIn(shot, 2, 70, 800, 200)); /* the third call draws nothing */
    SaveShotsOnFailure();
}

/* ---- style of the sample font ---- */

/* Ink of the sample line of a single cell drawn for this record. */
int SampleInk(FontRecord *record)
{
    ShowRecords({record});
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    Capture shot = CaptureWindow(clientWindow);
    return InkIn(shot, 2, 22, 268, 52);
}

TEST_F(Grid, InstalledFontsAreDrawnInTheChosenStyleNotTheirOwn)
{
    int normal = SampleInk(InstalledRecord("DejaVu Sans"));
    FontRecord *heavy = InstalledRecord("DejaVu Sans");
    heavy->logFont.lfWeight = FW_BOLD;
    heavy->logFont.lfItalic = 1;
    EXPECT_EQ(normal, SampleInk(heavy)); /* its own weight and slant are not used */
    settings.bold = 1;
    int bold = SampleInk(InstalledRecord("DejaVu Sans"));
    EXPECT_GT(bold, normal + normal / 10);
}

TEST_F(Grid, FileFontsKeepTheirOwnWeightUnlessBoldIsChosen)
{
    settings.sourceIsDirectory = 1;
    std::string path = RealFont(kDejaVuSans);
    int normal = SampleInk(FileRecord("DejaVu Sans", path));
    FontRecord *heavy = FileRecord("DejaVu Sans", path);
    heavy->logFont.lfWeight = FW_BOLD;
    int ownBold = SampleInk(heavy);
    EXPECT_GT(ownBold, normal + normal / 10);
    settings.bold = 1;
    EXPECT_EQ(ownBold, SampleInk(FileRecord("DejaVu Sans", path)));
}

/* ---- labels ---- */

TEST_F(Grid, LabelsFollowTheLabelModeForFileFontsOnly)
{
    FontRecord *record = FileRecord("Zen Sans", "Z:\\fonts\\zen\\ZenSans.ttf");
    strcpy(record->fullFontName, "Zen Sans Book");
    char label[300];
    const struct { int mode; const char *text; } modes[] = {
        {LABEL_FACE_NAME, "Zen Sans"},
        {LABEL_FULL_NAME, "Zen Sans Book"},
        {LABEL_FILE_NAME, "ZenSans.ttf"},
        {LABEL_FACE_AND_FILE, "Zen Sans - ZenSans.ttf"},
        {LABEL_FULL_AND_FILE, "Zen Sans Book - ZenSans.ttf"},
        {LABEL_FULL_PATH, "Z:\\fonts\\zen\\ZenSans.ttf"}};
    settings.sourceIsDirectory = 1;
    for (auto m : modes) {
        settings.labelMode = m.mode;
        FormatCellLabel(record, label, sizeof label);
        EXPECT_STREQ(m.text, label) << m.mode;
    }
    settings.sourceIsDirectory = 0; /* installed fonts: the face name, whatever the mode */
    for (auto m : modes) {
        settings.labelMode = m.mode;
        FormatCellLabel(record, label, sizeof label);
        EXPECT_STREQ("Zen Sans", label) << m.mode;
    }
    free(record);
}

TEST_F(Grid, ALabelLongerThanItsBufferIsCutAt299Characters)
{
    FontRecord *record = FileRecord("Zen Sans", "Z:\\x.ttf");
    memset(record->fullFontName, 'F', 299);
    record->fullFontName[299] = 0;
    memset(record->fileName, 'N', 299);
    record->fileName[299] = 0;
    settings.sourceIsDirectory = 1;
    settings.labelMode = LABEL_FULL_AND_FILE;
    char label[300 + 16];
    memset(label, '#', sizeof label);
    FormatCellLabel(record, label, 300);
    EXPECT_EQ(299u, strlen(label));
    EXPECT_EQ(std::string(299, 'F'), std::string(label));
    EXPECT_EQ('#', label[300]); /* nothing written past the buffer */
    /* names without their terminating NUL are read no further than their field */
    memset(record->fullFontName, 'G', sizeof record->fullFontName);
    memset(record->fileName, 'M', sizeof record->fileName);
    FormatCellLabel(record, label, 300);
    EXPECT_EQ(std::string(299, 'G'), std::string(label));
    settings.labelMode = LABEL_FULL_NAME;
    FormatCellLabel(record, label, 300);
    EXPECT_EQ(299u, strlen(label));

    /* and such a cell draws like any other */
    ShowRecords({record});
    Refresh();
    Capture shot = Shot("long-label");
    EXPECT_GT(InkIn(shot, 2, 12, 800, 22), 0);
    SaveShotsOnFailure();
}

/* ---- preview ---- */

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
    int sheetRow = 2; /* in the view */
    int ys = (int)(sheetRow * (double)pageLayout.cellHeight) + pageLayout.cellTopOffset;
    EXPECT_EQ(800, CountColour(shot, kRed, 0, ys + 1, 800, ys + 2)); /* across the window */
    EXPECT_GE(CountColour(shot, kRed, 400, ys - 3, 401, ys + 6), width);
    /* no mark above the rows that do not start a sheet */
    int rowAbove = (int)(1 * (double)pageLayout.cellHeight) + pageLayout.cellTopOffset;
    EXPECT_EQ(0, CountColour(shot, kRed, 0, 0, 800, rowAbove + 4));
    int rowBelow = (int)(3 * (double)pageLayout.cellHeight) + pageLayout.cellTopOffset;
    EXPECT_EQ(0, CountColour(shot, kRed, 0, rowBelow - 3, 800, rowBelow + 6));

    shell.topRow = 0; /* the first sheet starts without a mark */
    SendDrawing(UM_DRAWPAGE);
    shot = Shot("preview-top");
    EXPECT_EQ(0, CountColour(shot, kRed, 0, 0, 800, 600));
    SaveShotsOnFailure();
}

TEST_F(Grid, PreviewMarksTheEndOfTheLastSheet)
{
    settings.marginTop = 200; /* no room on a sheet: every row is a sheet of its own */
    settings.marginBottom = 200;
    ShowInstalled(6);
    settings.preview = 1;
    Refresh();
    ASSERT_EQ(1, pageLayout.sheetRowsPerPage);
    ASSERT_EQ(2, pageLayout.pageCount);
    Capture shot = Shot("preview-end");
    double rowHeight = pageLayout.cellHeight;
    int second = (int)rowHeight + pageLayout.cellTopOffset + 1;
    int end = (int)(2 * rowHeight + pageLayout.cellTopOffset + 1.0);
    EXPECT_EQ(800, CountColour(shot, kRed, 0, second, 800, second + 1));
    EXPECT_EQ(800, CountColour(shot, kRed, 0, end, 800, end + 1));
    EXPECT_EQ(0, CountColour(shot, kRed, 0, end + 6, 800, 600));

    shell.topRow = 1; /* scrolled by a row, the end mark moves up with the rows */
    SendDrawing(UM_DRAWPAGE);
    shot = Shot("preview-end-scrolled");
    int scrolledEnd = (int)(1 * rowHeight + pageLayout.cellTopOffset + 1.0);
    EXPECT_EQ(800, CountColour(shot, kRed, 0, scrolledEnd, 800, scrolledEnd + 1));
    SaveShotsOnFailure();
}

TEST_F(Grid, APreviewWithoutWidthDrawsNothing)
{
    ShowInstalled(6);
    settings.preview = 1;
    SetClientSize(0, 600);
    Refresh();
    EXPECT_EQ(0, pageLayout.valid);
    EXPECT_EQ(0, displayPos); /* the first cell stopped the walk */
    EXPECT_EQ(0, shell.cellColumn);
    EXPECT_EQ(-1, HitAt(0, 30));
    SetClientSize(800, 600);
    Refresh();
    EXPECT_EQ(1, pageLayout.valid);
    EXPECT_EQ(6, displayPos);
}

/* ---- the range walk ---- */

struct Visit {
    int index;
    bool ownFontRegistered;
    int othersRegistered;
    int addsSoFar;
};

struct WalkRecorder {
    std::vector<Visit> visits;
    int stopAt;      /* index at which the callback returns 0; -1: never */
    int pressEscAt;  /* index at which Escape goes down before drawing; -1: never */
    int files;       /* how many renamed families to look at */
};

WalkRecorder *recorder;

int CALLBACK RecordVisit(const LOGFONTA *logFont, const TEXTMETRICA *, DWORD, LPARAM userValue)
{
    Visit visit;
    visit.index = displayPos;
    visit.ownFontRegistered = Registered(logFont->lfFaceName);
    visit.othersRegistered = 0;
    for (int i = 0; i < recorder->files; i++)
        if (i != displayPos && Registered(RenamedFace(i)))
            visit.othersRegistered++;
    visit.addsSoFar = FaultCalls(FAULT_ADD_FONT_RESOURCE);
    recorder->visits.push_back(visit);
    EXPECT_EQ((LPARAM)recorder, userValue);
    return displayPos == recorder->stopAt ? 0 : 1;
}

/* The real cell drawing, with Escape going down just before one chosen cell. */
int CALLBACK DrawWithEscape(const LOGFONTA *logFont, const TEXTMETRICA *metrics, DWORD type,
                            LPARAM userValue)
{
    Visit visit = {displayPos, Registered(logFont->lfFaceName), 0, 0};
    recorder->visits.push_back(visit);
    if (displayPos == recorder->pressEscAt)
        EscapeKey(true);
    return DrawFontCell(logFont, metrics, type, userValue);
}

class Walk : public Grid {
protected:
    void SetUp() override
    {
        Grid::SetUp();
        folder = TempTestDir("render-walk");
        record.visits.clear();
        record.stopAt = -1;
        record.pressEscAt = -1;
        record.files = 0;
        recorder = &record;
    }
    void TearDown() override
    {
        if (GetAsyncKeyState(VK_ESCAPE) < 0)
            EscapeKey(false);
        Grid::TearDown();
    }
    std::vector<int> VisitedIndices(void)
    {
        std::vector<int> indices;
        for (auto &visit : record.visits)
            indices.push_back(visit.index);
        return indices;
    }
    std::string folder;
    WalkRecorder record;
};

TEST_F(Walk, RangesAreClippedToTheDisplayList)
{
    ShowInstalled(10);
    EXPECT_EQ(1, ForEachDisplayFont(RecordVisit, (LPARAM)&record, 6, 14));
    EXPECT_EQ(std::vector<int>({6, 7, 8, 9}), VisitedIndices());
    EXPECT_EQ(10, displayPos); /* the index after the last entry visited */
    record.visits.clear();
    ForEachDisplayFont(RecordVisit, (LPARAM)&record, -5, 1);
    EXPECT_EQ(std::vector<int>({0, 1}), VisitedIndices());
    record.visits.clear();
    EXPECT_EQ(1, ForEachDisplayFont(RecordVisit, (LPARAM)&record, 5, 4)); /* inverted */
    EXPECT_EQ(1, ForEachDisplayFont(RecordVisit, (LPARAM)&record, 10, 20)); /* past the end */
    ShowInstalled(0);
    EXPECT_EQ(1, ForEachDisplayFont(RecordVisit, (LPARAM)&record, 0, 100)); /* empty list */
    EXPECT_TRUE(record.visits.empty());
}

TEST_F(Walk, DrawingMessagesAskForTheirRows)
{
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 10);
    Refresh();
    pageLayout.visibleRows = 2;
    pageLayout.rowsPerPage = 2;
    shell.topRow = 2;
    /* the view: entries 6 to 14 asked for, 6 to 9 exist */
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    SendDrawing(UM_DRAWPAGE);
    EXPECT_EQ(4, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_EQ(10, displayPos);
    /* a printed page: exactly rowsPerPage rows, 6 to 11, and no registration of
     * its own (the print command holds every file for the whole job) */
    printing = 1;
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    SendDrawing(UM_DRAWPAGE);
    EXPECT_EQ(0, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_EQ(10, displayPos);
    printing = 0;
    /* after a step down: the last whole row and the partial one, 3 to 8 */
    shell.topRow = 0;
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    SendDrawing(UM_DRAWLASTROW);
    EXPECT_EQ(6, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_EQ(9, displayPos);
    /* after a step up: the first row alone, 3 to 5 */
    shell.topRow = 1;
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    SendDrawing(UM_DRAWFIRSTROW);
    EXPECT_EQ(3, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_EQ(6, displayPos);
    for (int i = 0; i < 10; i++)
        EXPECT_FALSE(Registered(RenamedFace(i))) << i;
}

TEST_F(Walk, EachDirectoryFontIsRegisteredOnlyAroundItsOwnCallback)
{
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 4);
    record.files = 4;
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    ForEachDisplayFont(RecordVisit, (LPARAM)&record, 0, 3);
    ASSERT_EQ(4u, record.visits.size());
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(i, record.visits[i].index);
        EXPECT_TRUE(record.visits[i].ownFontRegistered) << i;
        EXPECT_EQ(0, record.visits[i].othersRegistered) << i;
        EXPECT_EQ(i + 1, record.visits[i].addsSoFar) << i;
    }
    for (int i = 0; i < 4; i++)
        EXPECT_FALSE(Registered(RenamedFace(i))) << i;
}

TEST_F(Walk, InstalledFontsAreNeverAddedOrRemoved)
{
    ShowRenamedFiles(folder, 3);
    settings.sourceIsDirectory = 0;
    std::string held = displayList.records[1]->filePath;
    ASSERT_NE(0, AddFontResourceA(held.c_str())); /* registered from outside the walk */
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    Refresh();
    EXPECT_EQ(0, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_TRUE(Registered(RenamedFace(1))); /* not removed by the walk */
    EXPECT_FALSE(Registered(RenamedFace(0)));
    RemoveFontResourceA(held.c_str());
    EXPECT_FALSE(Registered(RenamedFace(1)));
}

TEST_F(Walk, AStoppingCallbackStillHasItsFontRemoved)
{
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 10);
    record.files = 10;
    record.stopAt = 7;
    ForEachDisplayFont(RecordVisit, (LPARAM)&record, 0, 9);
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7}), VisitedIndices());
    EXPECT_TRUE(record.visits.back().ownFontRegistered);
    EXPECT_EQ(7, displayPos);
    EXPECT_FALSE(Registered(RenamedFace(7)));
}

TEST_F(Walk, EscapeStopsTheRangeBeforeTheNextCellIsDrawn)
{
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 10);
    Refresh();
    FillClient(kBlue);
    record.pressEscAt = 7;
    HDC dc = GetDC(clientWindow);
    shell.cellColumn = 0;
    shell.cellRow = 0;
    ForEachDisplayFont(DrawWithEscape, (LPARAM)&dc, 0, 29);
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
    SaveShotsOnFailure();
}

TEST_F(Walk, ADoubleClickOnTheThirdCellRegistersThreeFiles)
{
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 10);
    Refresh();
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, 0);
    EXPECT_EQ(2, HitAt(600, 30));
    EXPECT_EQ(3, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    EXPECT_EQ(2, displayPos);
    for (int i = 0; i < 10; i++)
        EXPECT_FALSE(Registered(RenamedFace(i))) << i;
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
    strcpy(settings.customText, "iiiiiiiiii");
    settings.sampleText = settings.customText;
    SetFault(FAULT_ADD_FONT_RESOURCE, 1, -1);
    Refresh();
    Capture shot = Shot("own-face");
    EXPECT_EQ(2, FaultCalls(FAULT_ADD_FONT_RESOURCE));
    int own = SampleWidth(shot, 2, 268);
    int substitute = SampleWidth(shot, 268, 534);
    EXPECT_GT(own, 100);         /* ten monospaced cells of about 12 pixels */
    EXPECT_GT(substitute, 0);
    EXPECT_LT(substitute, 80);   /* ten narrow i of a proportional face */
    SaveShotsOnFailure();
}

TEST_F(Walk, LoadAllAndUnloadAllChangeEveryRegistrationByOne)
{
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 3);
    std::string held = displayList.records[2]->filePath;
    ASSERT_NE(0, AddFontResourceA(held.c_str()));
    for (int printingFlag = 0; printingFlag <= 1; printingFlag++) {
        printing = printingFlag;
        SendDrawing(UM_LOADALL);
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(Registered(RenamedFace(i))) << i << " " << printingFlag;
        SendDrawing(UM_UNLOADALL);
        EXPECT_FALSE(Registered(RenamedFace(0))) << printingFlag;
        EXPECT_FALSE(Registered(RenamedFace(1))) << printingFlag;
        EXPECT_TRUE(Registered(RenamedFace(2))) << printingFlag; /* still held once */
    }
    printing = 0;
    RemoveFontResourceA(held.c_str());
    EXPECT_FALSE(Registered(RenamedFace(2)));
}

/* ---- GDI objects ---- */

TEST_F(Walk, ThousandsOfCellsLeaveNoGdiObjectBehind)
{
    int before = LiveGdiObjects();
    if (before == 0)
        GTEST_SKIP() << "GDI handles cannot be counted by index here";
    ShowInstalled(60);
    settings.separatorLines = 1;
    HDC dc = GetDC(clientWindow);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    ReleaseDC(clientWindow, dc);
    int cells = 0;
    for (int preview = 0; preview <= 1; preview++) {
        settings.preview = preview;
        Refresh();
        before = LiveGdiObjects();
        for (int page = 0; page < 40; page++) {
            shell.topRow = page % 8;
            SendDrawing(UM_DRAWPAGE);
            cells += displayPos - shell.topRow * settings.columns;
        }
        EXPECT_EQ(before, LiveGdiObjects()) << "preview " << preview;
    }
    EXPECT_GT(cells, 2000);
    dc = GetDC(clientWindow);
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    ReleaseDC(clientWindow, dc);
}

TEST_F(Walk, DirectoryFontsLeaveNoGdiObjectOrRegistrationBehind)
{
    if (LiveGdiObjects() == 0)
        GTEST_SKIP() << "GDI handles cannot be counted by index here";
    settings.sourceIsDirectory = 1;
    ShowRenamedFiles(folder, 10);
    Refresh();
    int before = LiveGdiObjects();
    for (int i = 0; i < 60; i++)
        SendDrawing(UM_DRAWPAGE);
    EXPECT_EQ(before, LiveGdiObjects());
    for (int i = 0; i < 10; i++)
        EXPECT_FALSE(Registered(RenamedFace(i))) << i;
}

} // namespace
