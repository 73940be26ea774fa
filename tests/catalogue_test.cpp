/* catalogue_test.cpp - the font records and the two lists without the windows:
 * appending (installed families once, folder files all), freeing, the sort order
 * against a plain odd-even transposition sort, the name filter, TrueType-only, the
 * style selection of folder fonts and running out of memory on the way.
 *
 * The records are made here and appended through AppendFontRecord as the folder
 * reader appends them; message boxes are answered by the harness's dialog script.
 * Touches only the two lists and the settings, both reset around every test. */
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "resources/resource.h"

namespace {

enum { REGULAR = 0, ITALIC = 1, BOLD = 2, BOLD_ITALIC = 3 };

/* A record as the folder reader prepares it: face name, style bits, names. */
FontRecord FileFont(const std::string &face, int style, const std::string &file,
                    const std::string &fullName = "")
{
    FontRecord record;
    memset(&record, 0, sizeof record);
    snprintf(record.logFont.lfFaceName, LF_FACESIZE, "%s", face.c_str());
    record.logFont.lfItalic = (style & ITALIC) ? 1 : 0;
    record.logFont.lfWeight = (style & BOLD) ? 700 : 400;
    record.logFont.lfCharSet = DEFAULT_CHARSET;
    record.boldFlag = (style & BOLD) ? 32 : 0;
    record.fontType = TRUETYPE_FONTTYPE;
    snprintf(record.fileName, sizeof record.fileName, "%s", file.c_str());
    snprintf(record.filePath, sizeof record.filePath, "C:\\fonts\\%s", file.c_str());
    snprintf(record.fullFontName, sizeof record.fullFontName, "%s",
             (fullName.empty() ? face : fullName).c_str());
    return record;
}

/* Appends as the folder reader does: its image as logical font and as record. */
int AppendFile(const FontRecord &image)
{
    settings.sourceIsDirectory = 1;
    return AppendFontRecord(&image.logFont, &image.textMetrics, TRUETYPE_FONTTYPE, (LPARAM)&image);
}

/* Appends as the installed-font enumeration does. */
int AppendInstalled(const std::string &face, DWORD fontType, BYTE charSet = ANSI_CHARSET)
{
    settings.sourceIsDirectory = 0;
    ENUMLOGFONTA font;
    NEWTEXTMETRICA metrics;
    memset(&font, 0, sizeof font);
    memset(&metrics, 0, sizeof metrics);
    snprintf(font.elfLogFont.lfFaceName, LF_FACESIZE, "%s", face.c_str());
    font.elfLogFont.lfCharSet = charSet;
    metrics.tmHeight = 16;
    metrics.tmCharSet = charSet;
    return AppendFontRecord(&font.elfLogFont, (const TEXTMETRICA *)&metrics, fontType, 0);
}

std::vector<std::string> Files(const FontList &list)
{
    std::vector<std::string> files;
    for (int i = 0; i < list.count; i++)
        files.push_back(list.records[i]->fileName);
    return files;
}

std::vector<std::string> Faces(const FontList &list)
{
    std::vector<std::string> faces;
    for (int i = 0; i < list.count; i++)
        faces.push_back(list.records[i]->logFont.lfFaceName);
    return faces;
}

std::vector<std::string> Shown(void)
{
    FreeFontList(&displayList);
    EXPECT_EQ(1, BuildDisplayList());
    return Files(displayList);
}

/* Settings at their start-up values, both lists empty, the out-of-memory text
 * loaded from the string table as start-up loads it. */
class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFaults();
        ResetViewSettings();
        strcpy(settings.filterText, "CE,pl");
        LoadStringA(GetModuleHandleA(NULL), IDS_NO_MEMORY, textNoMemory, 255);
        FreeFontList(&displayList);
        FreeFontList(&catalogue);
        ScriptBegin();
    }
    void TearDown() override
    {
        EXPECT_EQ("", ScriptEnd());
        ClearFaults();
        FreeFontList(&displayList);
        FreeFontList(&catalogue);
        ResetViewSettings();
    }
};

/* ---- records and lists ---- */

TEST_F(Catalogue, FolderRecordKeepsTheWholeImageButTakesFontMetricsAndTypeFromTheArguments)
{
    FontRecord image = FileFont("Image Face", BOLD, "image.ttf", "Image Face Bold");
    strcpy(image.copyright, "(c) someone");
    strcpy(image.version, "Version 1.0");
    image.fontType = 1;
    LOGFONTA other;
    memset(&other, 0, sizeof other);
    strcpy(other.lfFaceName, "Argument Face");
    other.lfWeight = 300;
    TEXTMETRICA metrics;
    memset(&metrics, 0, sizeof metrics);
    metrics.tmHeight = 21;

    settings.sourceIsDirectory = 1;
    ASSERT_EQ(1, AppendFontRecord(&other, &metrics, TRUETYPE_FONTTYPE, (LPARAM)&image));
    ASSERT_EQ(1, catalogue.count);
    const FontRecord *record = catalogue.records[0];
    EXPECT_NE(&image, record);
    EXPECT_STREQ("Argument Face", record->logFont.lfFaceName);
    EXPECT_EQ(300, record->logFont.lfWeight);
    EXPECT_EQ(21, record->textMetrics.tmHeight);
    EXPECT_EQ(TRUETYPE_FONTTYPE, record->fontType);
    EXPECT_STREQ("image.ttf", record->fileName);
    EXPECT_STREQ("C:\\fonts\\image.ttf", record->filePath);
    EXPECT_STREQ("(c) someone", record->copyright);
    EXPECT_STREQ("Image Face Bold", record->fullFontName);
    EXPECT_STREQ("Version 1.0", record->version);
    EXPECT_EQ(32, record->boldFlag);
}

TEST_F(Catalogue, InstalledFamilyRecordHasNoFileNamesOrBoldFlag)
{
    FontRecord image = FileFont("Not Read", BOLD, "never.ttf", "Never");
    settings.sourceIsDirectory = 0;
    ASSERT_EQ(1, AppendFontRecord(&image.logFont, &image.textMetrics, RASTER_FONTTYPE,
                                  (LPARAM)&image));
    ASSERT_EQ(1, catalogue.count);
    const FontRecord *record = catalogue.records[0];
    EXPECT_STREQ("Not Read", record->logFont.lfFaceName);
    EXPECT_EQ(RASTER_FONTTYPE, record->fontType);
    EXPECT_STREQ("", record->fileName);
    EXPECT_STREQ("", record->filePath);
    EXPECT_STREQ("", record->fullFontName);
    EXPECT_STREQ("", record->copyright);
    EXPECT_EQ(0, record->boldFlag);
}

TEST_F(Catalogue, InstalledFamilyReportedOncePerCharacterSetIsKeptOnceAsFirstReported)
{
    EXPECT_EQ(1, AppendInstalled("Liberation Sans", TRUETYPE_FONTTYPE, ANSI_CHARSET));
    EXPECT_EQ(1, AppendInstalled("Liberation Sans", TRUETYPE_FONTTYPE, EASTEUROPE_CHARSET));
    EXPECT_EQ(1, AppendInstalled("System", RASTER_FONTTYPE, ANSI_CHARSET));
    EXPECT_EQ(1, AppendInstalled("Liberation Sans", TRUETYPE_FONTTYPE, RUSSIAN_CHARSET));
    EXPECT_EQ(1, AppendInstalled("liberation sans", TRUETYPE_FONTTYPE, GREEK_CHARSET));
    ASSERT_EQ(3, catalogue.count);
    EXPECT_EQ((std::vector<std::string>{"Liberation Sans", "System", "liberation sans"}),
              Faces(catalogue));
    EXPECT_EQ(ANSI_CHARSET, catalogue.records[0]->logFont.lfCharSet);
    EXPECT_EQ(GREEK_CHARSET, catalogue.records[2]->logFont.lfCharSet);
}

TEST_F(Catalogue, FolderKeepsEveryFileEvenWithTheSameFaceName)
{
    AppendFile(FileFont("DejaVu Sans", REGULAR, "a.ttf"));
    AppendFile(FileFont("DejaVu Sans", REGULAR, "b.ttf"));
    AppendFile(FileFont("DejaVu Sans", BOLD, "c.ttf"));
    EXPECT_EQ((std::vector<std::string>{"a.ttf", "b.ttf", "c.ttf"}), Files(catalogue));
}

TEST_F(Catalogue, FreeingLeavesTheListAbsentWithCountZero)
{
    AppendFile(FileFont("A", REGULAR, "a.ttf"));
    AppendFile(FileFont("B", REGULAR, "b.ttf"));
    FreeFontList(&catalogue);
    EXPECT_EQ(NULL, catalogue.records);
    EXPECT_EQ(0, catalogue.count);
    FontList absent = {NULL, 7};
    FreeFontList(&absent);
    EXPECT_EQ(NULL, absent.records);
    EXPECT_EQ(0, absent.count);
}

TEST_F(Catalogue, DisplayListHoldsWholeCopiesNotTheCatalogueRecords)
{
    AppendFile(FileFont("A", REGULAR, "a.ttf", "A Regular"));
    AppendFile(FileFont("B", BOLD, "b.ttf", "B Bold"));
    Shown();
    ASSERT_EQ(2, displayList.count);
    for (int i = 0; i < 2; i++) {
        EXPECT_NE(catalogue.records[i], displayList.records[i]);
        EXPECT_EQ(0, memcmp(catalogue.records[i], displayList.records[i], sizeof(FontRecord)));
    }
}

TEST_F(Catalogue, EmptyCatalogueBuildsAnAbsentDisplayList)
{
    EXPECT_EQ(1, SortCatalogue());
    EXPECT_EQ(1, BuildDisplayList());
    EXPECT_EQ(NULL, displayList.records);
    EXPECT_EQ(0, displayList.count);
}

/* ---- sort order ---- */

void SetStyle(int italic, int bold, int allStyles)
{
    settings.italic = italic;
    settings.bold = bold;
    settings.allStyles = allStyles;
}


bool FaceGreater(const FontRecord *a, const FontRecord *b)
{
    const unsigned char *x = (const unsigned char *)a->logFont.lfFaceName;
    const unsigned char *y = (const unsigned char *)b->logFont.lfFaceName;
    while (*x != 0 && *x == *y) {
        x++;
        y++;
    }
    return *x > *y;
}

/* The order the catalogue must have: passes of the pairs (0,1), (2,3) ... and
 * then (1,2), (3,4) ..., exchanging only a greater first name, until a pass
 * exchanges nothing. */
void OddEvenTranspositionSort(std::vector<FontRecord *> &list)
{
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (int phase = 0; phase < 2; phase++) {
            for (size_t i = (size_t)phase; i + 1 < list.size(); i += 2) {
                if (FaceGreater(list[i], list[i + 1])) {
                    std::swap(list[i], list[i + 1]);
                    exchanged = true;
                }
            }
        }
    }
}

std::vector<FontRecord *> CataloguePointers(void)
{
    return std::vector<FontRecord *>(catalogue.records, catalogue.records + catalogue.count);
}

/* Fills the Catalogue with names drawn from a small pool (so many repeat), in one
 * of several arrival shapes; the file name numbers the arrival. */
void FillRandomCatalogue(std::mt19937 &random, int count, int shape)
{
    static const char *const pool[] = {
        "Arial", "Arial Black", "ArialX", "arial", "Zeta", "zeta", "DejaVu Sans",
        "DejaVu Sans Mono", "DejaVu Serif", "\xC5rial", "\xE9tude", "Z\xFF", "_Under",
        "A", "", "Liberation Sans", "Liberation Sans Narrow", "Noto Sans", "1942",
        "abcdefghijklmnopqrstuvwxyzABCDE"};
    const int poolSize = (int)(sizeof pool / sizeof pool[0]);
    std::vector<std::string> names;
    for (int i = 0; i < count; i++)
        names.push_back(pool[random() % (unsigned)poolSize]);
    std::vector<std::string> order = names;
    std::sort(order.begin(), order.end());
    if (shape == 1)
        names = order;                                  /* already sorted */
    else if (shape == 2)
        names.assign(order.rbegin(), order.rend());     /* backwards, repeats together */
    else if (shape == 3 && count > 0) {                 /* sorted with a few misplaced */
        names = order;
        for (int k = 0; k < 3; k++)
            std::swap(names[random() % (unsigned)count], names[random() % (unsigned)count]);
    } else if (shape == 4) {                            /* saw-tooth of short runs */
        names = order;
        for (size_t start = 0; start < names.size(); start += 37)
            std::reverse(names.begin() + start,
                         names.begin() + std::min(names.size(), start + 37));
    }
    for (int i = 0; i < count; i++) {
        char file[32];
        snprintf(file, sizeof file, "%d.ttf", i);
        AppendFile(FileFont(names[i], (int)(random() % 4), file));
    }
}

TEST_F(Catalogue, SortGivesTheOddEvenTranspositionOrderOnManyRandomLists)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; round++) {
        int count = round < 40 ? round : (int)(random() % 300);
        if (round % 50 == 49)
            count = 1500 + (int)(random() % 1500);
        int shape = round % 5;
        FillRandomCatalogue(random, count, shape);
        std::vector<FontRecord *> expected = CataloguePointers();
        OddEvenTranspositionSort(expected);
        ASSERT_EQ(1, SortCatalogue());
        ASSERT_EQ(expected, CataloguePointers()) << "round " << round << ", " << count
                                                 << " records, shape " << shape;
        FreeFontList(&catalogue);
    }
}

TEST_F(Catalogue, SortWithoutMemoryForItsBufferStillGivesTheSameOrderSilently)
{
    std::mt19937 random(77);
    for (int round = 0; round < 10; round++) {
        FillRandomCatalogue(random, 200 + 300 * round, round % 5);
        std::vector<FontRecord *> expected = CataloguePointers();
        OddEvenTranspositionSort(expected);
        SetFault(FAULT_HEAP, 0, -1);
        ASSERT_EQ(1, SortCatalogue());
        EXPECT_EQ(1, FaultCalls(FAULT_HEAP));
        ClearFaults();
        ASSERT_EQ(expected, CataloguePointers()) << "round " << round;
        FreeFontList(&catalogue);
    }
}

TEST_F(Catalogue, SortIsPlainByteOrderAndKeepsEqualNamesInArrivalOrder)
{
    const char *arrivals[][2] = {
        {"arial", "1"}, {"\xC5rial", "2"}, {"Arial Black", "3"}, {"Arial", "4"},
        {"Zeta", "5"},  {"Arial", "6"},     {"ArialX", "7"},      {"Arial", "8"}};
    for (const auto &arrival : arrivals)
        AppendFile(FileFont(arrival[0], REGULAR, arrival[1]));
    SortCatalogue();
    /* Capitals before small letters, a blank before letters, bytes above 127 last. */
    EXPECT_EQ((std::vector<std::string>{"Arial", "Arial", "Arial", "Arial Black", "ArialX",
                                        "Zeta", "arial", "\xC5rial"}),
              Faces(catalogue));
    EXPECT_EQ((std::vector<std::string>{"4", "6", "8", "3", "7", "5", "1", "2"}),
              Files(catalogue));
}

TEST_F(Catalogue, BytesLeftOverAfterAFaceNameDoNotCountInSortOrGrouping)
{
    /* An enumeration or a reader may leave old bytes behind the name's NUL. */
    const char *leftovers[] = {"\xFF\xFF", "zz", "\x01", "AA"};
    for (int i = 0; i < 4; i++) {
        FontRecord image = FileFont("Arial", i == 2 ? BOLD : REGULAR, std::to_string(i));
        memcpy(image.logFont.lfFaceName + 6, leftovers[i], strlen(leftovers[i]));
        AppendFile(image);
    }
    AppendFile(FileFont("Arial Black", REGULAR, "black"));
    AppendFile(FileFont("Aria", REGULAR, "aria"));
    SortCatalogue();
    EXPECT_EQ((std::vector<std::string>{"aria", "0", "1", "2", "3", "black"}), Files(catalogue));
    SetStyle(0, 1, 0);
    EXPECT_EQ((std::vector<std::string>{"aria", "2", "black"}), Shown());
}

/* ---- the name filter ---- */

bool Passes(const std::string &fullName, const std::string &face = "Face")
{
    FontRecord record = FileFont(face, REGULAR, "f.ttf");
    snprintf(record.fullFontName, sizeof record.fullFontName, "%s", fullName.c_str());
    return MatchesFilter(&record) != 0;
}

TEST_F(Catalogue, FilterAtEndPassesNamesEndingInAnyPartWhateverTheirCase)
{
    settings.sourceIsDirectory = 1;
    EXPECT_TRUE(Passes("Arial CE"));
    EXPECT_TRUE(Passes("Times ce"));
    EXPECT_TRUE(Passes("Verdana PL"));
    EXPECT_TRUE(Passes("Tahoma Pl"));
    EXPECT_FALSE(Passes("Arial CE Bold"));
    EXPECT_FALSE(Passes("Courier"));
    EXPECT_FALSE(Passes("C"));
    EXPECT_FALSE(Passes(""));
}

TEST_F(Catalogue, CaseSensitiveFilterComparesLettersExactly)
{
    settings.sourceIsDirectory = 1;
    settings.filterCaseSensitive = 1;
    EXPECT_TRUE(Passes("Arial CE"));
    EXPECT_FALSE(Passes("Arial ce"));
    EXPECT_TRUE(Passes("Verdanapl"));
    EXPECT_FALSE(Passes("Verdana PL"));
}

TEST_F(Catalogue, FilterModesBeginAndAnywhere)
{
    settings.sourceIsDirectory = 1;
    strcpy(settings.filterText, "Sans,mono");
    settings.filterMode = IDC_FILTER_BEGIN;
    EXPECT_TRUE(Passes("sans bold"));
    EXPECT_TRUE(Passes("Monotype Corsiva"));
    EXPECT_FALSE(Passes("DejaVu Sans"));
    EXPECT_FALSE(Passes("San"));
    settings.filterMode = IDC_FILTER_ANYWHERE;
    EXPECT_TRUE(Passes("DejaVu Sans Condensed"));
    EXPECT_TRUE(Passes("Liberation MONO"));
    EXPECT_TRUE(Passes("sans"));
    EXPECT_FALSE(Passes("Serif"));
    EXPECT_FALSE(Passes("San"));
}

TEST_F(Catalogue, EmptyPartsMatchEveryNameButATrailingCommaAddsNone)
{
    settings.sourceIsDirectory = 1;
    const int modes[] = {IDC_FILTER_AT_END, IDC_FILTER_ANYWHERE, IDC_FILTER_BEGIN};
    for (int mode : modes) {
        settings.filterMode = mode;
        strcpy(settings.filterText, ",CE");
        EXPECT_TRUE(Passes("Courier")) << mode;
        EXPECT_TRUE(Passes("")) << mode;
        strcpy(settings.filterText, "xx,,yy");
        EXPECT_TRUE(Passes("Courier")) << mode;
        strcpy(settings.filterText, ",");
        EXPECT_TRUE(Passes("Courier")) << mode;
        strcpy(settings.filterText, "xx,");
        EXPECT_FALSE(Passes("Courier")) << mode;
        EXPECT_TRUE(Passes("xx")) << mode;
        strcpy(settings.filterText, "");
        EXPECT_FALSE(Passes("Courier")) << mode;
        EXPECT_FALSE(Passes("")) << mode;
    }
}

TEST_F(Catalogue, FilterPartsKeepTheirBlanks)
{
    settings.sourceIsDirectory = 1;
    strcpy(settings.filterText, "Sans, CE");
    EXPECT_TRUE(Passes("Arial CE"));
    EXPECT_FALSE(Passes("ArialCE"));
    EXPECT_TRUE(Passes("Open Sans"));
}

TEST_F(Catalogue, PartLongerThanTheNameNeverMatches)
{
    settings.sourceIsDirectory = 1;
    strcpy(settings.filterText, "Arial CE");
    settings.filterMode = IDC_FILTER_AT_END;
    EXPECT_FALSE(Passes("CE"));
    settings.filterMode = IDC_FILTER_BEGIN;
    EXPECT_FALSE(Passes("Arial"));
    settings.filterMode = IDC_FILTER_ANYWHERE;
    EXPECT_FALSE(Passes("Arial C"));
    EXPECT_TRUE(Passes("Arial CE"));
}

TEST_F(Catalogue, CaseFoldingTouchesOnlyTheLettersAToZ)
{
    settings.sourceIsDirectory = 1;
    settings.filterMode = IDC_FILTER_ANYWHERE;
    strcpy(settings.filterText, "\xC9");           /* E acute, upper case */
    EXPECT_TRUE(Passes("Caf\xC9"));
    EXPECT_FALSE(Passes("Caf\xE9"));                /* e acute is another byte */
    strcpy(settings.filterText, "[");               /* 'Z' + 1 is no letter */
    EXPECT_FALSE(Passes("a{b"));
    EXPECT_TRUE(Passes("a[b"));
    strcpy(settings.filterText, "@");               /* 'A' - 1 */
    EXPECT_FALSE(Passes("`"));
}

TEST_F(Catalogue, FilterTestsTheFullNameOfFilesAndTheFaceNameOfInstalledFonts)
{
    strcpy(settings.filterText, "CE");
    settings.sourceIsDirectory = 1;
    EXPECT_TRUE(Passes("Garamond CE", "Garamond"));
    EXPECT_FALSE(Passes("Garamond", "Garamond CE"));
    settings.sourceIsDirectory = 0;
    EXPECT_FALSE(Passes("Garamond CE", "Garamond"));
    EXPECT_TRUE(Passes("Garamond", "Garamond CE"));
}

TEST_F(Catalogue, MatchingLeavesTheStoredNameAndFilterTextAsTheyWere)
{
    settings.sourceIsDirectory = 1;
    strcpy(settings.filterText, "ARIAL CE,PL");
    FontRecord record = FileFont("ARIAL", REGULAR, "f.ttf", "ARIAL CE");
    EXPECT_EQ(1, MatchesFilter(&record));
    EXPECT_STREQ("ARIAL CE,PL", settings.filterText);
    EXPECT_STREQ("ARIAL CE", record.fullFontName);
    EXPECT_STREQ("ARIAL", record.logFont.lfFaceName);
}

TEST_F(Catalogue, HyphenFilterOfAnEmptiedDialogShowsOnlyNamesWithAHyphen)
{
    settings.sourceIsDirectory = 1;
    strcpy(settings.filterText, "-");
    settings.filterMode = IDC_FILTER_ANYWHERE;
    EXPECT_TRUE(Passes("Foo-Bar"));
    EXPECT_FALSE(Passes("Foo Bar"));
    settings.filterMode = IDC_FILTER_BEGIN;
    EXPECT_TRUE(Passes("-Bar"));
    EXPECT_FALSE(Passes("Foo-Bar"));
    settings.filterMode = IDC_FILTER_AT_END;
    EXPECT_TRUE(Passes("Foo-"));
    EXPECT_FALSE(Passes("Foo-Bar"));
}

/* ---- admission: filter switch and TrueType-only ---- */

TEST_F(Catalogue, TrueTypeOnlyDropsRasterAndDeviceFamilies)
{
    AppendInstalled("Arial", TRUETYPE_FONTTYPE);
    AppendInstalled("Courier", RASTER_FONTTYPE);
    AppendInstalled("Printer Font", DEVICE_FONTTYPE);
    AppendInstalled("Device TT", DEVICE_FONTTYPE | TRUETYPE_FONTTYPE);
    AppendInstalled("Verdana", TRUETYPE_FONTTYPE);
    settings.sourceIsDirectory = 0;
    Shown();
    EXPECT_EQ((std::vector<std::string>{"Arial", "Device TT", "Verdana"}), Faces(displayList));
    settings.trueTypeOnly = 0;
    Shown();
    EXPECT_EQ((std::vector<std::string>{"Arial", "Courier", "Printer Font", "Device TT", "Verdana"}),
              Faces(displayList));
}

TEST_F(Catalogue, FilterActsOnlyWhileSwitchedOnAndTogetherWithTrueTypeOnly)
{
    AppendInstalled("Arial CE", TRUETYPE_FONTTYPE);
    AppendInstalled("Courier CE", RASTER_FONTTYPE);
    AppendInstalled("Verdana", TRUETYPE_FONTTYPE);
    settings.sourceIsDirectory = 0;
    Shown();
    EXPECT_EQ((std::vector<std::string>{"Arial CE", "Verdana"}), Faces(displayList));
    settings.filterOn = 1;
    Shown();
    EXPECT_EQ((std::vector<std::string>{"Arial CE"}), Faces(displayList));
    settings.trueTypeOnly = 0;
    Shown();
    EXPECT_EQ((std::vector<std::string>{"Arial CE", "Courier CE"}), Faces(displayList));
    strcpy(settings.filterText, "nothing");
    Shown();
    EXPECT_EQ(NULL, displayList.records);
}

/* ---- style selection of folder fonts ---- */

TEST_F(Catalogue, FourStyleFamilyShowsTheWantedStyleInEveryArrivalOrder)
{
    int order[] = {REGULAR, ITALIC, BOLD, BOLD_ITALIC};
    const char *names[] = {"regular", "italic", "bold", "bolditalic"};
    do {
        FreeFontList(&catalogue);
        AppendFile(FileFont("Aaa", REGULAR, "aaa.ttf"));
        for (int style : order)
            AppendFile(FileFont("Family", style, names[style]));
        AppendFile(FileFont("Zzz", BOLD, "zzz.ttf"));
        std::string arrival;
        for (int style : order)
            arrival += std::string(names[style]) + " ";

        SetStyle(0, 0, 0);
        EXPECT_EQ((std::vector<std::string>{"aaa.ttf", "regular", "zzz.ttf"}), Shown()) << arrival;
        SetStyle(1, 0, 0);
        EXPECT_EQ((std::vector<std::string>{"aaa.ttf", "italic", "zzz.ttf"}), Shown()) << arrival;
        SetStyle(0, 1, 0);
        EXPECT_EQ((std::vector<std::string>{"aaa.ttf", "bold", "zzz.ttf"}), Shown()) << arrival;
        SetStyle(1, 1, 0);
        EXPECT_EQ((std::vector<std::string>{"aaa.ttf", "bolditalic", "zzz.ttf"}), Shown()) << arrival;
        SetStyle(1, 1, 1); /* All stays set but Bold and Italic rule */
        EXPECT_EQ((std::vector<std::string>{"aaa.ttf", "bolditalic", "zzz.ttf"}), Shown()) << arrival;
        SetStyle(0, 0, 1);
        std::vector<std::string> all = {"aaa.ttf"};
        for (int style : order)
            all.push_back(names[style]);
        all.push_back("zzz.ttf");
        EXPECT_EQ(all, Shown()) << arrival;
    } while (std::next_permutation(order, order + 4));
}

TEST_F(Catalogue, BoldItalicFallsBackToALaterItalicThenToTheLastLaterBold)
{
    SetStyle(1, 1, 0);
    AppendFile(FileFont("A", ITALIC, "a-italic"));
    AppendFile(FileFont("A", BOLD, "a-bold"));
    AppendFile(FileFont("B", BOLD, "b-bold"));
    AppendFile(FileFont("B", ITALIC, "b-italic"));
    AppendFile(FileFont("C", REGULAR, "c-regular"));
    AppendFile(FileFont("C", BOLD, "c-bold1"));
    AppendFile(FileFont("C", ITALIC, "c-italic1"));
    AppendFile(FileFont("C", BOLD, "c-bold2"));
    AppendFile(FileFont("C", ITALIC, "c-italic2"));
    AppendFile(FileFont("D", REGULAR, "d-regular"));
    AppendFile(FileFont("D", BOLD, "d-bold1"));
    AppendFile(FileFont("D", BOLD, "d-bold2"));
    AppendFile(FileFont("E", BOLD_ITALIC, "e-bolditalic1"));
    AppendFile(FileFont("E", REGULAR, "e-regular"));
    AppendFile(FileFont("E", BOLD_ITALIC, "e-bolditalic2"));
    AppendFile(FileFont("F", BOLD_ITALIC, "f-bolditalic"));
    AppendFile(FileFont("F", ITALIC, "f-italic"));
    AppendFile(FileFont("G", ITALIC, "g-italic1"));
    AppendFile(FileFont("G", ITALIC, "g-italic2"));
    AppendFile(FileFont("H", REGULAR, "h-regular"));
    EXPECT_EQ((std::vector<std::string>{"a-bold", "b-italic", "c-italic1", "d-bold2",
                                        "e-bolditalic2", "f-bolditalic", "g-italic2",
                                        "h-regular"}),
              Shown());
}

TEST_F(Catalogue, SingleStyleKeepsAFittingFirstRecordElseTakesTheLastFittingLaterOne)
{
    AppendFile(FileFont("A", BOLD, "a-bold"));
    AppendFile(FileFont("A", ITALIC, "a-italic"));
    AppendFile(FileFont("B", REGULAR, "b-regular1"));
    AppendFile(FileFont("B", ITALIC, "b-italic1"));
    AppendFile(FileFont("B", ITALIC, "b-italic2"));
    AppendFile(FileFont("B", REGULAR, "b-regular2"));
    AppendFile(FileFont("C", BOLD, "c-bold1"));
    AppendFile(FileFont("C", BOLD_ITALIC, "c-bolditalic"));
    AppendFile(FileFont("C", BOLD, "c-bold2"));
    SetStyle(0, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"a-bold", "b-regular1", "c-bold1"}), Shown());
    SetStyle(1, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"a-italic", "b-italic2", "c-bold1"}), Shown());
    SetStyle(0, 1, 1);
    EXPECT_EQ((std::vector<std::string>{"a-bold", "b-regular1", "c-bold1"}), Shown());
}

TEST_F(Catalogue, BoldMeansTheBoldFlagNotTheWeight)
{
    FontRecord heavyButNotFlagged = FileFont("A", REGULAR, "a-heavy");
    heavyButNotFlagged.logFont.lfWeight = 900;
    FontRecord flaggedButLight = FileFont("A", BOLD, "a-flagged");
    flaggedButLight.logFont.lfWeight = 300;
    FontRecord plain = FileFont("A", REGULAR, "a-plain");
    AppendFile(flaggedButLight);
    AppendFile(heavyButNotFlagged);
    AppendFile(plain);
    SetStyle(0, 1, 0);
    EXPECT_EQ((std::vector<std::string>{"a-flagged"}), Shown());
    SetStyle(0, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"a-plain"}), Shown());
}

TEST_F(Catalogue, RecordsThatAreNotAdmittedNeitherStartNorEndAFamily)
{
    /* The filter lets only the CE files in; Arial's plain regular file is out. */
    settings.filterOn = 1;
    strcpy(settings.filterText, "CE");
    AppendFile(FileFont("Arial", REGULAR, "arial", "Arial"));
    AppendFile(FileFont("Arial", BOLD, "arialbd-ce", "Arial Bold CE"));
    AppendFile(FileFont("Arial", ITALIC, "ariali", "Arial Italic"));
    AppendFile(FileFont("Arial", REGULAR, "arial-ce", "Arial CE"));
    AppendFile(FileFont("Arial", BOLD, "arialbd", "Arial Bold"));
    AppendFile(FileFont("Times", REGULAR, "times", "Times"));
    AppendFile(FileFont("Verdana", BOLD_ITALIC, "verdanaz-ce", "Verdana Bold Italic CE"));
    AppendFile(FileFont("Verdana", ITALIC, "verdanai", "Verdana Italic"));
    SetStyle(0, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"arial-ce", "verdanaz-ce"}), Shown());
    SetStyle(0, 1, 0);
    EXPECT_EQ((std::vector<std::string>{"arialbd-ce", "verdanaz-ce"}), Shown());
    SetStyle(1, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"arialbd-ce", "verdanaz-ce"}), Shown());
    SetStyle(0, 0, 1);
    EXPECT_EQ((std::vector<std::string>{"arialbd-ce", "arial-ce", "verdanaz-ce"}), Shown());
}

TEST_F(Catalogue, TheSameFileFoundTwiceIsShownOnceAsTheFirstFound)
{
    FontRecord first = FileFont("DejaVu Sans", REGULAR, "DejaVuSans.ttf");
    FontRecord second = first;
    strcpy(second.filePath, "C:\\fonts\\sub\\DejaVuSans.ttf");
    AppendFile(first);
    AppendFile(second);
    SetStyle(0, 0, 0);
    Shown();
    ASSERT_EQ(1, displayList.count);
    EXPECT_STREQ("C:\\fonts\\DejaVuSans.ttf", displayList.records[0]->filePath);
    SetStyle(0, 0, 1);
    EXPECT_EQ(2u, Shown().size());
}

TEST_F(Catalogue, FamiliesDifferingOnlyInCaseAreSeparate)
{
    AppendFile(FileFont("Arial", REGULAR, "upper"));
    AppendFile(FileFont("arial", REGULAR, "lower"));
    SortCatalogue();
    SetStyle(0, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"upper", "lower"}), Shown());
}

TEST_F(Catalogue, InstalledFontsIgnoreTheStyleWhenTheListIsBuilt)
{
    AppendInstalled("Arial", TRUETYPE_FONTTYPE);
    AppendInstalled("Courier New", TRUETYPE_FONTTYPE);
    settings.sourceIsDirectory = 0;
    const int styles[][3] = {{0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {0, 0, 1}};
    for (const auto &style : styles) {
        SetStyle(style[0], style[1], style[2]);
        Shown();
        EXPECT_EQ((std::vector<std::string>{"Arial", "Courier New"}), Faces(displayList));
    }
}

/* ---- running out of memory ---- */

TEST_F(Catalogue, AppendWithoutMemoryWarnsAndLeavesTheCatalogueAsItWas)
{
    AppendFile(FileFont("A", REGULAR, "a"));
    AppendFile(FileFont("B", REGULAR, "b"));
    ScriptExpect(Box("Not enough memory"));
    ScriptExpect(Box("Not enough memory"));

    SetFault(FAULT_HEAP, 0, 1); /* growing the array */
    EXPECT_EQ(0, AppendFile(FileFont("C", REGULAR, "c")));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Files(catalogue));
    SetFault(FAULT_HEAP, 1, 1); /* the record itself */
    EXPECT_EQ(0, AppendFile(FileFont("D", REGULAR, "d")));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Files(catalogue));
    ClearFaults();

    EXPECT_EQ(1, AppendFile(FileFont("E", REGULAR, "e")));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "e"}), Files(catalogue));
}

TEST_F(Catalogue, BuildWithoutMemoryWarnsOnceAndKeepsTheCopiesMadeBefore)
{
    for (int i = 0; i < 6; i++) {
        AppendFile(FileFont(std::string(1, (char)('A' + i)), REGULAR, std::string(1, (char)('a' + i))));
        AppendFile(FileFont(std::string(1, (char)('A' + i)), BOLD, std::string(1, (char)('a' + i)) + "b"));
    }
    SetStyle(0, 0, 0);
    const std::vector<std::string> full = {"a", "b", "c", "d", "e", "f"};
    EXPECT_EQ(full, Shown());

    /* Each copy is two heap calls: the grown array, then the record. */
    for (int failing = 0; failing < 12; failing++) {
        FreeFontList(&displayList);
        ScriptExpect(Box("Not enough memory"));
        SetFault(FAULT_HEAP, failing, 1);
        EXPECT_EQ(-1, BuildDisplayList()) << failing;
        ClearFaults();
        std::vector<std::string> before(full.begin(), full.begin() + failing / 2);
        EXPECT_EQ(before, Files(displayList)) << failing;
    }
    SetStyle(0, 0, 1);
    FreeFontList(&displayList);
    ScriptExpect(Box("Not enough memory"));
    SetFault(FAULT_HEAP, 7, -1);
    EXPECT_EQ(-1, BuildDisplayList());
    EXPECT_EQ((std::vector<std::string>{"a", "ab", "b"}), Files(displayList));
}

} // namespace
