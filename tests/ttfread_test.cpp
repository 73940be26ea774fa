/* ttfread_test.cpp - one .ttf file into a font record: names, style bits and the
 * context's metrics of a real font, read whole or on demand alike; paths that do not
 * fit; files that are cut, unreadable or no fonts at all. */
#include "catalogue/fontfiles.h"
#include "harness.h"

namespace {

typedef Program ReadFont;
const char kDejaVu[] = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\";

TEST_F(ReadFont, ARealFontGivesItsNamesStyleAndTheContextsMetricsWholeOrOnDemand)
{
    static FontRecord whole, onDemand;
    HDC dc = GetDC(mainWindow);
    ASSERT_EQ(FONT_FILE_OK, ReadFontRecord(dc, kDejaVu, "DejaVuSerif-BoldItalic.ttf", 1, &whole));
    ASSERT_EQ(FONT_FILE_OK, ReadFontRecord(dc, kDejaVu, "DejaVuSerif-BoldItalic.ttf", 0, &onDemand));
    EXPECT_EQ(0, memcmp(&whole, &onDemand, sizeof whole));
    EXPECT_STREQ("DejaVu Serif", onDemand.logFont.lfFaceName);
    EXPECT_STREQ("DejaVu Serif Bold Italic", onDemand.fullFontName);
    EXPECT_STREQ("Bold Italic", onDemand.fontSubfamily);
    EXPECT_STREQ("DejaVuSerif-BoldItalic.ttf", onDemand.fileName);
    EXPECT_EQ(std::string(kDejaVu) + "DejaVuSerif-BoldItalic.ttf", onDemand.filePath);
    EXPECT_EQ(0, strncmp("Version 2.37", onDemand.version, 12));
    EXPECT_EQ(700, onDemand.logFont.lfWeight);
    EXPECT_EQ(1, onDemand.logFont.lfItalic);
    EXPECT_EQ(0, onDemand.logFont.lfUnderline + onDemand.logFont.lfStrikeOut);
    EXPECT_EQ(32, onDemand.boldFlag);
    EXPECT_EQ(TRUETYPE_FONTTYPE, onDemand.fontType);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    EXPECT_EQ(0, memcmp(&metrics, &onDemand.textMetrics, sizeof metrics));
    ReleaseDC(mainWindow, dc);
}

TEST_F(ReadFont, LongPathsCutFilesFailingReadsAndOtherFilesGiveNoRecord)
{
    static FontRecord record;
    std::string folder = TempDir("ttfread");
    std::string bytes = ReadFile(Font("dejavu/DejaVuSans.ttf"));
    WriteFile(folder + "cut.ttf", bytes.substr(0, 3000));
    WriteFile(folder + "text.ttf", "this is no font, only its name says so\n");
    WriteFile(folder + "whole.ttf", bytes);
    std::string deep(299 - 11, 'd'); /* "Z:\" and a name of 8 */
    const struct { std::string folder, file; int wholeFile, fault; FontFileResult result; } cases[] = {
        {folder, "cut.ttf", 1, 0, FONT_FILE_NO_NAME_TABLE}, {folder, "cut.ttf", 0, 0, FONT_FILE_NO_NAME_TABLE},
        {folder, "text.ttf", 0, 0, FONT_FILE_NOT_TRUETYPE}, {folder, "gone.ttf", 0, 0, FONT_FILE_CANT_OPEN},
        {folder, "whole.ttf", 0, 1, FONT_FILE_CANT_READ},
        {"Z:\\" + deep, "12345678", 0, 0, FONT_FILE_CANT_OPEN}, /* 299 characters: tried */
        {"Z:\\" + deep, "123456789", 0, 0, FONT_FILE_PATH_TOO_LONG}};
    for (const auto &c : cases) {
        HDC dc = GetDC(mainWindow);
        ASSERT_EQ(FONT_FILE_OK, ReadFontRecord(dc, kDejaVu, "DejaVuSans.ttf", c.wholeFile, &record));
        SetFault(FAULT_FILE_READ, 0, c.fault ? -1 : 0);
        EXPECT_EQ(c.result, ReadFontRecord(dc, c.folder.c_str(), c.file.c_str(), c.wholeFile, &record)) << c.file;
        ClearFaults();
        EXPECT_STREQ("", record.logFont.lfFaceName) << c.file;
        ReleaseDC(mainWindow, dc);
    }
}

} // namespace
