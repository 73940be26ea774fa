/* catalogue_test.cpp - the font records and the two lists without the windows:
 * appending (installed families once, folder files all), freeing, the sort order
 * against a plain odd-even transposition sort, the name filter, TrueType-only, the
 * style selection of folder fonts and running out of memory on the way.
 * Message boxes are answered by the harness's dialog script. */
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <initializer_list>
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

typedef std::vector<std::string> Names;
enum { REGULAR = 0, ITALIC = 1, BOLD = 2, BOLD_ITALIC = 3 };

/* A record as the folder reader prepares it: face name, style bits, names.  Its
 * weight contradicts the bold flag, since only the flag may decide the style. */
FontRecord FileFont(const std::string &face, int style, const std::string &file,
                    const std::string &fullName = "")
{
    FontRecord record;
    memset(&record, 0, sizeof record);
    snprintf(record.logFont.lfFaceName, LF_FACESIZE, "%s", face.c_str());
    record.logFont.lfItalic = (style & ITALIC) ? 1 : 0;
    record.logFont.lfWeight = (style & BOLD) ? 300 : 900;
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

struct File { const char *face; int style; const char *file; const char *fullName; };

void AppendFiles(std::initializer_list<File> files)
{
    for (const File &f : files)
        AppendFile(FileFont(f.face, f.style, f.file, f.fullName ? f.fullName : ""));
}

/* Appends as the installed-font enumeration does. */
int AppendInstalled(const std::string &face, DWORD fontType, BYTE charSet = ANSI_CHARSET)
{
    settings.sourceIsDirectory = 0;
    FontRecord family = FileFont(face, REGULAR, "");
    family.logFont.lfCharSet = family.textMetrics.tmCharSet = charSet;
    family.textMetrics.tmHeight = 16;
    return AppendFontRecord(&family.logFont, &family.textMetrics, fontType, 0);
}

Names Collect(const FontList &list, bool faces)
{
    Names names;
    for (int i = 0; i < list.count; i++)
        names.push_back(faces ? list.records[i]->logFont.lfFaceName : list.records[i]->fileName);
    return names;
}
Names Files(const FontList &list) { return Collect(list, false); }
Names Faces(const FontList &list) { return Collect(list, true); }

Names Shown(void)
{
    FreeFontList(&displayList);
    EXPECT_EQ(1, BuildDisplayList());
    return Files(displayList);
}

Names ShownIn(int italic, int bold, int allStyles)
{
    settings.italic = italic;
    settings.bold = bold;
    settings.allStyles = allStyles;
    return Shown();
}

Names ShownFaces(void)
{
    Shown();
    return Faces(displayList);
}

/* Start-up settings, both lists empty, the out-of-memory text loaded as at start-up. */
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

TEST_F(Catalogue, RecordTakesFontMetricsAndTypeFromTheArgumentsAndTheRestOnlyFromAFolderImage)
{
    FontRecord image = FileFont("Image Face", BOLD, "image.ttf", "Image Face Bold");
    strcpy(image.copyright, "(c) someone");
    strcpy(image.version, "Version 1.0");
    image.fontType = 1;
    FontRecord expected = image;
    expected.logFont = FileFont("Argument Face", REGULAR, "").logFont;
    expected.textMetrics.tmHeight = 21;
    expected.fontType = TRUETYPE_FONTTYPE;

    settings.sourceIsDirectory = 1;
    ASSERT_EQ(1, AppendFontRecord(&expected.logFont, &expected.textMetrics, TRUETYPE_FONTTYPE,
                                  (LPARAM)&image));
    settings.sourceIsDirectory = 0;
    ASSERT_EQ(1, AppendFontRecord(&image.logFont, &image.textMetrics, RASTER_FONTTYPE,
                                  (LPARAM)&image));
    ASSERT_EQ(2, catalogue.count);
    EXPECT_NE(&image, catalogue.records[0]);
    EXPECT_EQ(0, memcmp(&expected, catalogue.records[0], sizeof expected));
    const FontRecord *installed = catalogue.records[1];
    EXPECT_STREQ("Image Face", installed->logFont.lfFaceName);
    EXPECT_EQ(RASTER_FONTTYPE, installed->fontType);
    EXPECT_EQ("", std::string(installed->fileName) + installed->filePath +
                      installed->fullFontName + installed->copyright);
    EXPECT_EQ(0, installed->boldFlag);
}

TEST_F(Catalogue, InstalledFamiliesAreKeptOnceFolderFilesAllAndTheDisplayListCopiesThem)
{
    EXPECT_EQ(1, AppendInstalled("Liberation Sans", TRUETYPE_FONTTYPE, ANSI_CHARSET));
    EXPECT_EQ(1, AppendInstalled("Liberation Sans", TRUETYPE_FONTTYPE, EASTEUROPE_CHARSET));
    EXPECT_EQ(1, AppendInstalled("System", RASTER_FONTTYPE, ANSI_CHARSET));
    EXPECT_EQ(1, AppendInstalled("liberation sans", TRUETYPE_FONTTYPE, GREEK_CHARSET));
    EXPECT_EQ((Names{"Liberation Sans", "System", "liberation sans"}), Faces(catalogue));
    EXPECT_EQ(ANSI_CHARSET, catalogue.records[0]->logFont.lfCharSet);
    EXPECT_EQ(GREEK_CHARSET, catalogue.records[2]->logFont.lfCharSet);
    FreeFontList(&catalogue);
    EXPECT_EQ(NULL, catalogue.records);
    EXPECT_EQ(0, catalogue.count);

    AppendFiles({{"DejaVu Sans", REGULAR, "a.ttf"}, {"DejaVu Sans", REGULAR, "b.ttf"},
                 {"DejaVu Sans", BOLD, "c.ttf"}});
    EXPECT_EQ((Names{"a.ttf", "b.ttf", "c.ttf"}), Files(catalogue));
    EXPECT_EQ((Names{"a.ttf", "b.ttf", "c.ttf"}), ShownIn(0, 0, 1));
    for (int i = 0; i < 3; i++) { /* whole copies, not the catalogue's records */
        EXPECT_NE(catalogue.records[i], displayList.records[i]);
        EXPECT_EQ(0, memcmp(catalogue.records[i], displayList.records[i], sizeof(FontRecord)));
    }
    FontList absent = {NULL, 7};
    FreeFontList(&absent);
    EXPECT_EQ(0, absent.count);
    FreeFontList(&catalogue);
    EXPECT_EQ(1, SortCatalogue());
    EXPECT_EQ(Names(), Shown());
    EXPECT_EQ(NULL, displayList.records);
}

/* ---- sort order ---- */

/* The order the catalogue must have: passes of the pairs (0,1), (2,3) ... then
 * (1,2), (3,4) ..., exchanging a first name greater byte by byte, until none. */
void OddEvenTranspositionSort(std::vector<FontRecord *> &list)
{
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (size_t phase = 0; phase < 2; phase++) {
            for (size_t i = phase; i + 1 < list.size(); i += 2) {
                if (strcmp(list[i]->logFont.lfFaceName, list[i + 1]->logFont.lfFaceName) > 0) {
                    std::swap(list[i], list[i + 1]);
                    exchanged = true;
                }
            }
        }
    }
}

std::vector<FontRecord *> CataloguePointers(void)
{
    return {catalogue.records, catalogue.records + catalogue.count};
}

/* Fills the Catalogue with names from a small pool (so many repeat) in one of
 * several arrival shapes: random, sorted, backwards, sorted with a few misplaced,
 * saw-tooth of short runs.  The file name numbers the arrival. */
void FillRandomCatalogue(std::mt19937 &random, int count, int shape)
{
    static const char *const pool[] = {
        "Arial", "Arial Black", "ArialX", "arial", "Zeta", "zeta", "DejaVu Sans",
        "DejaVu Sans Mono", "DejaVu Serif", "\xC5rial", "\xE9tude", "Z\xFF", "_Under",
        "A", "", "Liberation Sans", "Liberation Sans Narrow", "Noto Sans", "1942",
        "abcdefghijklmnopqrstuvwxyzABCDE"};
    Names names;
    for (int i = 0; i < count; i++)
        names.push_back(pool[random() % (sizeof pool / sizeof pool[0])]);
    if (shape != 0)
        std::sort(names.begin(), names.end());
    if (shape == 2)
        std::reverse(names.begin(), names.end());
    for (int k = 0; shape == 3 && count > 0 && k < 3; k++)
        std::swap(names[random() % (unsigned)count], names[random() % (unsigned)count]);
    for (size_t start = 0; shape == 4 && start < names.size(); start += 37)
        std::reverse(names.begin() + start, names.begin() + std::min(names.size(), start + 37));
    for (int i = 0; i < count; i++)
        AppendFile(FileFont(names[i], (int)(random() % 4), std::to_string(i) + ".ttf"));
}

/* Without memory for its buffer the sort must still give the same order, silently. */
void ExpectTranspositionOrder(std::mt19937 &random, int count, int shape, bool noMemory)
{
    FillRandomCatalogue(random, count, shape);
    std::vector<FontRecord *> expected = CataloguePointers();
    OddEvenTranspositionSort(expected);
    if (noMemory)
        SetFault(FAULT_HEAP, 0, -1);
    ASSERT_EQ(1, SortCatalogue());
    if (noMemory) {
        EXPECT_EQ(1, FaultCalls(FAULT_HEAP));
    }
    ClearFaults();
    EXPECT_EQ(expected, CataloguePointers()) << count << " records, shape " << shape
                                             << (noMemory ? ", no memory" : "");
    FreeFontList(&catalogue);
}

TEST_F(Catalogue, SortGivesTheOddEvenTranspositionOrderOnManyRandomLists)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 400; round++) {
        int count = round < 40 ? round : (int)(random() % 300);
        if (round % 50 == 49)
            count = 1500 + (int)(random() % 1500);
        ExpectTranspositionOrder(random, count, round % 5, false);
    }
    for (int round = 0; round < 10; round++)
        ExpectTranspositionOrder(random, 200 + 300 * round, round % 5, true);
}

TEST_F(Catalogue, SortIsPlainByteOrderAndKeepsEqualNamesInArrivalOrder)
{
    AppendFiles({{"arial", REGULAR, "1"}, {"\xC5rial", REGULAR, "2"}, {"Arial Black", REGULAR, "3"},
                 {"Arial", REGULAR, "4"}, {"Zeta", REGULAR, "5"}, {"Arial", REGULAR, "6"},
                 {"ArialX", REGULAR, "7"}, {"Arial", REGULAR, "8"}});
    SortCatalogue();
    /* Capitals before small letters, a blank before letters, bytes above 127 last. */
    EXPECT_EQ((Names{"Arial", "Arial", "Arial", "Arial Black", "ArialX", "Zeta", "arial", "\xC5rial"}),
              Faces(catalogue));
    EXPECT_EQ((Names{"4", "6", "8", "3", "7", "5", "1", "2"}), Files(catalogue));
    /* Families differing only in case stay apart. */
    EXPECT_EQ((Names{"4", "3", "7", "5", "1", "2"}), ShownIn(0, 0, 0));
}

TEST_F(Catalogue, BytesLeftOverAfterAFaceNameDoNotCountInSortOrGrouping)
{
    const char *leftovers[] = {"\xFF\xFF", "zz", "\x01", "AA"};
    for (int i = 0; i < 4; i++) {
        FontRecord image = FileFont("Arial", i == 2 ? BOLD : REGULAR, std::to_string(i));
        memcpy(image.logFont.lfFaceName + 6, leftovers[i], strlen(leftovers[i]));
        AppendFile(image);
    }
    AppendFiles({{"Arial Black", REGULAR, "black"}, {"Aria", REGULAR, "aria"}});
    SortCatalogue();
    EXPECT_EQ((Names{"aria", "0", "1", "2", "3", "black"}), Files(catalogue));
    EXPECT_EQ((Names{"aria", "2", "black"}), ShownIn(0, 1, 0));
}

/* ---- the name filter ---- */

bool Passes(const std::string &fullName, const std::string &face = "Face")
{
    FontRecord record = FileFont(face, REGULAR, "f.ttf");
    snprintf(record.fullFontName, sizeof record.fullFontName, "%s", fullName.c_str());
    return MatchesFilter(&record) != 0;
}

struct FilterCase { const char *filter; int mode; int caseSensitive; Names passing, failing; };

TEST_F(Catalogue, FilterPartsMatchPerModeAndCase)
{
    const int END = IDC_FILTER_AT_END, BEGIN = IDC_FILTER_BEGIN, ANY = IDC_FILTER_ANYWHERE;
    std::vector<FilterCase> cases = {
        {"CE,pl", END, 0, {"Arial CE", "Times ce", "Verdana PL", "Tahoma Pl"},
         {"Arial CE Bold", "Courier", "C", ""}},
        {"CE,pl", END, 1, {"Arial CE", "Verdanapl"}, {"Arial ce", "Verdana PL"}},
        {"Sans,mono", BEGIN, 0, {"sans bold", "Monotype Corsiva"}, {"DejaVu Sans", "San"}},
        {"Sans,mono", ANY, 0, {"DejaVu Sans Condensed", "Liberation MONO", "sans"}, {"Serif", "San"}},
        {"Sans, CE", END, 0, {"Arial CE", "Open Sans"}, {"ArialCE"}},   /* blanks count */
        {"Arial CE", END, 0, {}, {"CE"}},                               /* part longer than name */
        {"Arial CE", BEGIN, 0, {}, {"Arial"}},
        {"Arial CE", ANY, 0, {"Arial CE"}, {"Arial C"}},
        {"\xC9", ANY, 0, {"Caf\xC9"}, {"Caf\xE9"}},                     /* only A-Z fold */
        {"[", ANY, 0, {"a[b"}, {"a{b"}},
        {"@", ANY, 0, {}, {"`"}},
        {"-", ANY, 0, {"Foo-Bar"}, {"Foo Bar"}},                        /* an emptied dialog's */
        {"-", BEGIN, 0, {"-Bar"}, {"Foo-Bar"}},
        {"-", END, 0, {"Foo-"}, {"Foo-Bar"}},
    };
    /* An empty part matches every name; a trailing comma adds none. */
    for (int mode : {END, ANY, BEGIN}) {
        cases.push_back({",CE", mode, 0, {"Courier", ""}, {}});
        cases.push_back({"xx,,yy", mode, 0, {"Courier"}, {}});
        cases.push_back({",", mode, 0, {"Courier"}, {}});
        cases.push_back({"xx,", mode, 0, {"xx"}, {"Courier"}});
        cases.push_back({"", mode, 0, {}, {"Courier", ""}});
    }
    settings.sourceIsDirectory = 1;
    for (const FilterCase &c : cases) {
        strcpy(settings.filterText, c.filter);
        settings.filterMode = c.mode;
        settings.filterCaseSensitive = c.caseSensitive;
        for (const std::string &name : c.passing)
            EXPECT_TRUE(Passes(name)) << "'" << c.filter << "' mode " << c.mode << ": " << name;
        for (const std::string &name : c.failing)
            EXPECT_FALSE(Passes(name)) << "'" << c.filter << "' mode " << c.mode << ": " << name;
    }
}

TEST_F(Catalogue, FilterTestsTheFullNameOfFilesAndTheFaceNameOfInstalledFontsUnchanged)
{
    strcpy(settings.filterText, "CE");
    settings.sourceIsDirectory = 1;
    EXPECT_TRUE(Passes("Garamond CE", "Garamond"));
    EXPECT_FALSE(Passes("Garamond", "Garamond CE"));
    settings.sourceIsDirectory = 0;
    EXPECT_FALSE(Passes("Garamond CE", "Garamond"));
    EXPECT_TRUE(Passes("Garamond", "Garamond CE"));
    /* Matching leaves the stored names and the filter text as they were. */
    settings.sourceIsDirectory = 1;
    strcpy(settings.filterText, "ARIAL CE,PL");
    FontRecord record = FileFont("ARIAL", REGULAR, "f.ttf", "ARIAL CE");
    EXPECT_EQ(1, MatchesFilter(&record));
    EXPECT_STREQ("ARIAL CE,PL", settings.filterText);
    EXPECT_STREQ("ARIAL CE", record.fullFontName);
    EXPECT_STREQ("ARIAL", record.logFont.lfFaceName);
}

/* ---- admission: filter switch and TrueType-only ---- */

TEST_F(Catalogue, InstalledFamiliesPassTrueTypeOnlyAndTheFilterWhileOnWhateverTheStyle)
{
    AppendInstalled("Arial CE", TRUETYPE_FONTTYPE);
    AppendInstalled("Courier CE", RASTER_FONTTYPE);
    AppendInstalled("Printer Font", DEVICE_FONTTYPE);
    AppendInstalled("Device TT", DEVICE_FONTTYPE | TRUETYPE_FONTTYPE);
    AppendInstalled("Verdana", TRUETYPE_FONTTYPE);
    const int styles[][3] = {{0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {0, 0, 1}};
    for (const auto &style : styles) { /* installed families show in any style */
        ShownIn(style[0], style[1], style[2]);
        EXPECT_EQ((Names{"Arial CE", "Device TT", "Verdana"}), Faces(displayList));
    }
    settings.filterOn = 1;
    EXPECT_EQ((Names{"Arial CE"}), ShownFaces());
    settings.trueTypeOnly = 0;
    EXPECT_EQ((Names{"Arial CE", "Courier CE"}), ShownFaces());
    settings.filterOn = 0;
    EXPECT_EQ((Names{"Arial CE", "Courier CE", "Printer Font", "Device TT", "Verdana"}),
              ShownFaces());
    settings.filterOn = 1;
    strcpy(settings.filterText, "nothing");
    EXPECT_EQ(Names(), ShownFaces());
    EXPECT_EQ(NULL, displayList.records);
}

/* ---- style selection of folder fonts ---- */

TEST_F(Catalogue, FourStyleFamilyShowsTheWantedStyleInEveryArrivalOrder)
{
    int order[] = {REGULAR, ITALIC, BOLD, BOLD_ITALIC};
    const char *names[] = {"regular", "italic", "bold", "bolditalic"};
    /* All stays set with Bold and Italic, but they rule. */
    const struct { int italic, bold, all; const char *shown; } wanted[] = {
        {0, 0, 0, "regular"}, {1, 0, 0, "italic"}, {0, 1, 0, "bold"},
        {1, 1, 0, "bolditalic"}, {1, 1, 1, "bolditalic"}};
    do {
        FreeFontList(&catalogue);
        AppendFile(FileFont("Aaa", REGULAR, "aaa.ttf"));
        Names all = {"aaa.ttf"};
        for (int style : order) {
            AppendFile(FileFont("Family", style, names[style]));
            all.push_back(names[style]);
        }
        AppendFile(FileFont("Zzz", BOLD, "zzz.ttf"));
        all.push_back("zzz.ttf");
        for (const auto &w : wanted)
            EXPECT_EQ((Names{"aaa.ttf", w.shown, "zzz.ttf"}), ShownIn(w.italic, w.bold, w.all))
                << ::testing::PrintToString(all);
        EXPECT_EQ(all, ShownIn(0, 0, 1));
    } while (std::next_permutation(order, order + 4));
}

TEST_F(Catalogue, BoldItalicFallsBackToALaterItalicThenToTheLastLaterBold)
{
    AppendFiles({{"A", ITALIC, "a-italic"}, {"A", BOLD, "a-bold"}, {"B", BOLD, "b-bold"},
                 {"B", ITALIC, "b-italic"}, {"C", REGULAR, "c-regular"}, {"C", BOLD, "c-bold1"},
                 {"C", ITALIC, "c-italic1"}, {"C", BOLD, "c-bold2"}, {"C", ITALIC, "c-italic2"},
                 {"D", REGULAR, "d-regular"}, {"D", BOLD, "d-bold1"}, {"D", BOLD, "d-bold2"},
                 {"E", BOLD_ITALIC, "e-bolditalic1"}, {"E", REGULAR, "e-regular"},
                 {"E", BOLD_ITALIC, "e-bolditalic2"}, {"F", BOLD_ITALIC, "f-bolditalic"},
                 {"F", ITALIC, "f-italic"}, {"G", ITALIC, "g-italic1"}, {"G", ITALIC, "g-italic2"},
                 {"H", REGULAR, "h-regular"}});
    EXPECT_EQ((Names{"a-bold", "b-italic", "c-italic1", "d-bold2", "e-bolditalic2",
                     "f-bolditalic", "g-italic2", "h-regular"}),
              ShownIn(1, 1, 0));
}

TEST_F(Catalogue, SingleStyleKeepsAFittingFirstRecordElseTakesTheLastFittingLaterOne)
{
    AppendFiles({{"A", BOLD, "a-bold"}, {"A", ITALIC, "a-italic"}, {"B", REGULAR, "b-regular1"},
                 {"B", ITALIC, "b-italic1"}, {"B", ITALIC, "b-italic2"}, {"B", REGULAR, "b-regular2"},
                 {"C", BOLD, "c-bold1"}, {"C", BOLD_ITALIC, "c-bolditalic"}, {"C", BOLD, "c-bold2"}});
    EXPECT_EQ((Names{"a-bold", "b-regular1", "c-bold1"}), ShownIn(0, 0, 0));
    EXPECT_EQ((Names{"a-italic", "b-italic2", "c-bold1"}), ShownIn(1, 0, 0));
    EXPECT_EQ((Names{"a-bold", "b-regular1", "c-bold1"}), ShownIn(0, 1, 1));
}

TEST_F(Catalogue, RecordsThatAreNotAdmittedNeitherStartNorEndAFamily)
{
    settings.filterOn = 1;
    strcpy(settings.filterText, "CE");
    AppendFiles({{"Arial", REGULAR, "arial", "Arial"}, {"Arial", BOLD, "arialbd-ce", "Bold CE"},
                 {"Arial", ITALIC, "ariali", "Italic"}, {"Arial", REGULAR, "arial-ce", "Arial CE"},
                 {"Arial", BOLD, "arialbd", "Arial Bold"}, {"Times", REGULAR, "times", "Times"},
                 {"Verdana", BOLD_ITALIC, "verdanaz-ce", "Verdana Bold Italic CE"},
                 {"Verdana", ITALIC, "verdanai", "Verdana Italic"}});
    EXPECT_EQ((Names{"arial-ce", "verdanaz-ce"}), ShownIn(0, 0, 0));
    EXPECT_EQ((Names{"arialbd-ce", "verdanaz-ce"}), ShownIn(0, 1, 0));
    EXPECT_EQ((Names{"arialbd-ce", "verdanaz-ce"}), ShownIn(1, 0, 0));
    EXPECT_EQ((Names{"arialbd-ce", "arial-ce", "verdanaz-ce"}), ShownIn(0, 0, 1));
}

TEST_F(Catalogue, TheSameFileFoundTwiceIsShownOnceAsTheFirstFound)
{
    FontRecord first = FileFont("DejaVu Sans", REGULAR, "DejaVuSans.ttf");
    FontRecord second = first;
    strcpy(second.filePath, "C:\\fonts\\sub\\DejaVuSans.ttf");
    AppendFile(first);
    AppendFile(second);
    ShownIn(0, 0, 0);
    ASSERT_EQ(1, displayList.count);
    EXPECT_STREQ("C:\\fonts\\DejaVuSans.ttf", displayList.records[0]->filePath);
    EXPECT_EQ(2u, ShownIn(0, 0, 1).size());
}

/* ---- running out of memory ---- */

TEST_F(Catalogue, AppendWithoutMemoryWarnsAndLeavesTheCatalogueAsItWas)
{
    AppendFiles({{"A", REGULAR, "a"}, {"B", REGULAR, "b"}});
    for (int failing = 0; failing < 2; failing++) { /* growing the array, the record */
        ScriptExpect(Box("Not enough memory"));
        SetFault(FAULT_HEAP, failing, 1);
        EXPECT_EQ(0, AppendFile(FileFont("C", REGULAR, "c")));
        ClearFaults();
        EXPECT_EQ((Names{"a", "b"}), Files(catalogue));
    }
    EXPECT_EQ(1, AppendFile(FileFont("E", REGULAR, "e")));
    EXPECT_EQ((Names{"a", "b", "e"}), Files(catalogue));
}

TEST_F(Catalogue, BuildWithoutMemoryWarnsOnceAndKeepsTheCopiesMadeBefore)
{
    const Names full = {"a", "b", "c", "d", "e", "f"};
    for (const std::string &file : full) {
        AppendFile(FileFont(file, REGULAR, file));
        AppendFile(FileFont(file, BOLD, file + "b"));
    }
    EXPECT_EQ(full, ShownIn(0, 0, 0));

    /* Each copy is a heap call for the record, after one for the array when it is
     * full: it doubles at the 1st, 2nd, 3rd and 5th copy.  Copies kept when call k fails: */
    const int kept[] = {0, 0, 1, 1, 2, 2, 3, 4, 4, 5};
    for (int failing = 0; failing < 10; failing++) {
        FreeFontList(&displayList);
        ScriptExpect(Box("Not enough memory"));
        SetFault(FAULT_HEAP, failing, 1);
        EXPECT_EQ(-1, BuildDisplayList()) << failing;
        ClearFaults();
        EXPECT_EQ(Names(full.begin(), full.begin() + kept[failing]), Files(displayList)) << failing;
    }
    settings.allStyles = 1;
    FreeFontList(&displayList);
    ScriptExpect(Box("Not enough memory"));
    SetFault(FAULT_HEAP, 7, -1);
    EXPECT_EQ(-1, BuildDisplayList());
    EXPECT_EQ((Names{"a", "ab", "b", "bb"}), Files(displayList));
}

} // namespace
