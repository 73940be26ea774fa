/* render_test.cpp - the grid as drawn: the double-click's cell edges, labels by label
 * mode, folder fonts drawn in their own weight and registered only while drawn, tabs
 * and line feeds in a sample text, and the preview's red mark where a printed sheet begins. */
#include "harness.h"
#include "render/draw.h"

typedef Program Grid;

TEST_F(Grid, ADoubleClickHitsACellOnlyStrictlyInsideItsEdges)
{
    int x0 = (int)(pageLayout.cellWidth + pageLayout.originX), x1 = (int)(x0 + pageLayout.cellWidth);
    int ys = pageLayout.cellTopOffset, y1 = (int)(ys + pageLayout.cellHeight), x = (x0 + x1) / 2, y = (ys + y1) / 2;
    const struct { int x, y; bool hit; } clicks[] = {
        {x0 + 1, ys + 1, true}, {x1 - 1, y1 - 1, true}, {x0, y, false}, {x1, y, false}, {x, ys, false}, {x, y1, false}};
    for (const auto &click : clicks) {
        if ((shell.selectedFont = -1, click.hit)) ScriptExpect(Box(textHowToInstall, "Information"));
        SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, MAKELPARAM(click.x, click.y));
        EXPECT_EQ("", ScriptEnd()) << click.x << "," << click.y;
        EXPECT_EQ(click.hit ? 1 : -1, shell.selectedFont) << click.x << "," << click.y;
        ScriptBegin();
    }
}

TEST_F(Grid, LabelsFollowTheLabelModeForFolderFontsOnly)
{
    FontRecord record = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Face"}, {}, 0, "file.ttf", "C:\\fonts\\file.ttf"};
    strcpy(record.fullFontName, "Full Name");
    const struct { int directory, mode; const char *label; } cases[] = {
        {1, LABEL_FACE_NAME, "Face"},           {1, LABEL_FULL_NAME, "Full Name"}, {1, LABEL_FILE_NAME, "file.ttf"},
        {1, LABEL_FACE_AND_FILE, "Face - file.ttf"}, {1, LABEL_FULL_AND_FILE, "Full Name - file.ttf"},
        {1, LABEL_FULL_PATH, "C:\\fonts\\file.ttf"}, {0, LABEL_FULL_PATH, "Face"}};
    for (const auto &c : cases) {
        settings.sourceIsDirectory = c.directory, settings.labelMode = c.mode;
        char label[NAME_SIZE];
        FormatCellLabel(&record, label, sizeof label);
        EXPECT_STREQ(c.label, label) << c.mode;
    }
}

TEST_F(Grid, FolderFontsAreDrawnInTheirRecordsWeightAndRegisteredOnlyWhileDrawn)
{
    ForgetFonts("ZvRend"), settings.columns = 1; /* one column draws too */
    std::string folder = TempDir("ZvRend");
    RenamedFont("DejaVuSans.ttf", "ZvRend"), ScanFolder(folder);
    ASSERT_EQ(1, displayList.count);
    Capture book = CaptureWindow(clientWindow);
    displayList.records[0]->logFont.lfWeight = FW_BOLD; /* the Book file, drawn bold */
    Refresh();
    EXPECT_GT(Differences(book, CaptureWindow(clientWindow)), 100);
    strcpy(displayList.records[0]->logFont.lfFaceName, "ZvRend Nothing"), displayList.records[0]->logFont.lfWeight = FW_NORMAL;
    EXPECT_GT(Differences(book, (Refresh(), CaptureWindow(clientWindow))), 100); /* in its own face, not a stand-in */
    EXPECT_FALSE(FamilyListed("ZvRend Sans"));
}

TEST_F(Grid, ATabEndsTheDrawnPartOfASampleLineOneCharacterEarlyAndAnyCharacterAfterALineFeedIsALine)
{
    settings.sampleText = settings.customText;
    Capture captures[6]; /* 3 and 4 differ only in a line holding one character 1; a carriage return is not counted */
    const char *const texts[] = {"ab\tcd\nx", "ab\tcX\nx", "zb\tcd\nx", "ab\tcd\n", "ab\tcd\n\x01", "ab\tcd\r\nx"};
    for (int i = 0; i < 6; i++) strcpy(settings.customText, texts[i]), Refresh(), captures[i] = CaptureWindow(clientWindow);
    EXPECT_EQ(0, Differences(captures[0], captures[1]) + Differences(captures[0], captures[5]));
    EXPECT_GT(Differences(captures[0], captures[2]), 0);
    EXPECT_GT(Differences(captures[3], captures[4]), 0);
}

TEST_F(Grid, PreviewMarksTheRowThatStartsASheetInRed)
{
    ShowCells(300);
    for (bool preview : {false, true}) { /* only the preview marks sheets */
        int perSheet = pageLayout.sheetRowsPerPage;
        SendMessageA(mainWindow, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, perSheet - 2), 0);
        ASSERT_EQ(perSheet - 2, shell.topRow);
        Capture capture = CaptureWindow(clientWindow);
        for (int row = 1; row <= 3; row++) { /* the sheet's first row is the third drawn */
            int y = (int)(row * pageLayout.cellHeight + pageLayout.originY) + pageLayout.cellTopOffset + 1;
            bool red = capture.at(5, y - 2) == 0xFF0000 || capture.at(5, y - 1) == 0xFF0000 || capture.at(5, y) == 0xFF0000;
            EXPECT_EQ(preview && row == 2, red || capture.at(5, y + 1) == 0xFF0000 || capture.at(5, y + 2) == 0xFF0000) << row;
        }
        SendCommand(CMD_PREVIEW); /* then in the preview */
    }
}

