/* catalogue_test.cpp - the Catalogue and the DisplayList: byte-order sorting with or
 * without memory, the filter and its dialog, the one record per family that the style asks for,
 * and the command and key that rebuild the list. */
#include <algorithm>
#include <random>

#include "harness.h"

typedef Program Catalogue;
typedef std::vector<std::string> Names;
enum { REGULAR, ITALIC, BOLD, BOLD_ITALIC };

/* A folder font as the reader makes it; only the bold flag, not the weight, decides. */
FontRecord File(const std::string &face, int style, const std::string &file, const std::string &full = "")
{
    FontRecord record = {};
    snprintf(record.logFont.lfFaceName, LF_FACESIZE, "%s", face.c_str());
    record.logFont.lfItalic = style & ITALIC, record.logFont.lfWeight = style & BOLD ? 300 : 900;
    record.boldFlag = style & BOLD ? 32 : 0, record.fontType = TRUETYPE_FONTTYPE;
    snprintf(record.fileName, sizeof record.fileName, "%s", file.c_str());
    snprintf(record.fullFontName, sizeof record.fullFontName, "%s", (full.empty() ? face : full).c_str());
    return record;
}

void Fill(const std::vector<FontRecord> &records)
{
    FreeFontList(&catalogue), settings.sourceIsDirectory = 1;
    for (const FontRecord &record : records)
        ASSERT_EQ(1, AppendFontRecord(&record.logFont, &record.textMetrics, TRUETYPE_FONTTYPE, (LPARAM)&record));
    ASSERT_LE(catalogue.count, catalogue.capacity);
}

Names Records(const FontList &list)
{
    Names files;
    for (int i = 0; i < list.count; i++) files.push_back(list.records[i]->fileName);
    return files;
}

Names Shown(int italic, int bold, int allStyles)
{
    settings.italic = italic, settings.bold = bold, settings.allStyles = allStyles, FreeFontList(&displayList);
    EXPECT_EQ(1, BuildDisplayList());
    return Records(displayList);
}

TEST_F(Catalogue, SortIsStableByteOrderWithAndWithoutMemoryAndTheArraysGrowByDoubling)
{
    std::mt19937 random(7);
    const char *const faces[] = {"a", "abcdefghijklmnopqrstuvwx", "abcdefghijklmnopqrstuvwxyz", "B", "b", "\xE9t\xE9", "Z", "a\x01", "DejaVu Sans Mono", "DejaVu Sbns Mono",
                                 "Zenvrix Sample Family Name Bolt", "Zenvrix Sample Family Name Bold"}; /* bytes 8 and 30 differ */
    /* two runs of 32 that barely meet: the first's last two around the second's first, the second
     * below the first but for its last, and the second's last equal to the first's first */
    const std::string meets[] = {std::string(30, 'a') + "ced" + std::string(31, 'f'), std::string(32, 'm') + std::string(31, 'a') + "n",
                                 std::string(32, 'm') + std::string(31, 'a') + "m"};
    std::vector<std::vector<FontRecord>> lists;
    for (const std::string &names : meets) {
        std::vector<FontRecord> records;
        for (size_t i = 0; i < names.size(); i++) records.push_back(File(names.substr(i, 1), REGULAR, std::to_string(i)));
        lists.push_back(records);
    }
    for (int count : {2, 31, 33, 200, 700, 5000}) {
        std::vector<FontRecord> records;
        for (int i = 0; i < count; i++) records.push_back(File(faces[random() % 12], REGULAR, std::to_string(i)));
        lists.push_back(records);
    }
    for (std::vector<FontRecord> &records : lists) {
        int count = (int)records.size();
        for (bool memory : {true, false}) {
            auto before = [](const FontRecord &a, const FontRecord &b) { return strcmp(a.logFont.lfFaceName, b.logFont.lfFaceName) < 0; };
            if (count == 700 && memory) /* long runs, one of them falling */
                std::sort(records.rbegin() + 350, records.rend(), before);
            ClearFaults(), Fill(records);
            EXPECT_LE(FaultCalls(FAULT_HEAP) - count, 20) << "one heap call per record and a few growths";
            std::vector<FontRecord> sorted = records;
            std::stable_sort(sorted.begin(), sorted.end(), before); /* strcmp: unsigned bytes */
            SetFault(FAULT_HEAP, 0, memory ? 0 : -1);
            ASSERT_EQ(1, SortCatalogue());
            ClearFaults();
            for (int i = 0; i < count; i++)
                ASSERT_STREQ(sorted[i].fileName, catalogue.records[i]->fileName) << count << " " << memory << " " << i;
        }
    }
    ClearFaults();
    EXPECT_EQ(Records(catalogue), Shown(0, 0, 1)); /* all 5,000 */
    EXPECT_LE(FaultCalls(FAULT_HEAP) - 5000, 20) << "the DisplayList's growths";
}

TEST_F(Catalogue, FilterPartsMatchByModeAndCaseAgainstFullNamesOfFilesAndFacesOfInstalledFonts)
{
    const struct { int mode, caseSensitive; const char *filter; int directory, match; } cases[] = {
        {IDC_FILTER_AT_END, 0, "ce", 1, 1},    {IDC_FILTER_AT_END, 1, "ce", 1, 0},
        {IDC_FILTER_AT_END, 0, "Arial", 1, 0}, {IDC_FILTER_BEGIN, 0, "arial", 1, 1},
        {IDC_FILTER_BEGIN, 0, "rial", 1, 0},   {IDC_FILTER_ANYWHERE, 0, "l c", 1, 1},
        {IDC_FILTER_ANYWHERE, 0, "Arial CE", 1, 1}, {IDC_FILTER_AT_END, 0, "Arial CE", 1, 1},
        {IDC_FILTER_ANYWHERE, 0, "Arial CEE", 1, 0}, {IDC_FILTER_AT_END, 0, "xx,pl,CE", 1, 1}, {IDC_FILTER_ANYWHERE, 0, "xx,xe,", 1, 0}, {IDC_FILTER_AT_END, 0, "acez", 0, 1},
        {IDC_FILTER_BEGIN, 0, "Face", 0, 1},   {IDC_FILTER_BEGIN, 0, "Arial", 0, 0}};
    FontRecord record = File("FaceZ", REGULAR, "arial.ttf", "Arial CE");
    for (const auto &c : cases) {
        settings.filterMode = c.mode, settings.filterCaseSensitive = c.caseSensitive, settings.sourceIsDirectory = c.directory;
        strcpy(settings.filterText, c.filter);
        EXPECT_EQ(c.match, MatchesFilter(&record)) << c.filter << " mode " << c.mode;
    }
}

TEST_F(Catalogue, EachFamilyShowsTheRecordOfTheWantedStyle)
{
    Fill({File("Aaa", REGULAR, "aaa"), File("F", BOLD_ITALIC, "f-bi"), File("F", ITALIC, "f-i"),
          File("F", REGULAR, "f-r"), File("F", BOLD, "f-b"), File("Zzz", BOLD, "zzz")});
    const struct { int italic, bold, all; Names shown; } wanted[] = {
        {0, 0, 0, {"aaa", "f-r", "zzz"}}, {1, 0, 0, {"aaa", "f-i", "zzz"}}, {0, 1, 0, {"aaa", "f-b", "zzz"}},
        {1, 1, 0, {"aaa", "f-bi", "zzz"}}, {0, 1, 1, {"aaa", "f-b", "zzz"}},
        {0, 0, 1, {"aaa", "f-bi", "f-i", "f-r", "f-b", "zzz"}}};
    for (const auto &w : wanted) EXPECT_EQ(w.shown, Shown(w.italic, w.bold, w.all)) << w.italic << w.bold << w.all;
    /* bold italic falls back to the first later italic, then to the last later bold */
    Fill({File("0", BOLD_ITALIC, "0-bi"), File("0", ITALIC, "0-i"), File("A", ITALIC, "a-i"), File("A", BOLD, "a-b"), File("C", REGULAR, "c-r"), File("C", BOLD, "c-b1"),
          File("C", ITALIC, "c-i1"), File("C", BOLD, "c-b2"), File("C", ITALIC, "c-i2"), File("D", REGULAR, "d-r"),
          File("D", BOLD, "d-b1"), File("D", BOLD, "d-b2"), File("H", REGULAR, "h-r")});
    EXPECT_EQ((Names{"0-bi", "a-b", "c-i1", "d-b2", "h-r"}), Shown(1, 1, 0));
    EXPECT_EQ((Names{"0-bi", "a-b", "c-b2", "d-b2", "h-r"}), Shown(0, 1, 0));
}

TEST_F(Catalogue, TheFilterDialogShowsModeAndCaseAndOkTakesThemWithTheText)
{
    strcpy(settings.filterText, "old"), settings.filterMode = IDC_FILTER_BEGIN;
    const struct { int press, mode; const char *typed, *text; } cases[] = {{IDCANCEL, IDC_FILTER_AT_END, "new", "old"},
        {IDOK, IDC_FILTER_AT_END, "", "-"}, {IDOK, IDC_FILTER_ANYWHERE, "x", "x"}, {IDOK, IDC_FILTER_BEGIN, "y", "y"}};
    for (const auto &c : cases) {
        int mode = settings.filterMode, caseSensitive = settings.filterCaseSensitive, ok = c.press == IDOK, shown;
        DialogStep step = Inspect(Edit(Dialog("Define filter", c.press), IDC_FILTER_TEXT, c.typed), [&](HWND dialog) {
            for (int id : {IDC_FILTER_CASE, IDC_FILTER_AT_END, IDC_FILTER_ANYWHERE, IDC_FILTER_BEGIN})
                EXPECT_EQ(id == IDC_FILTER_CASE ? caseSensitive : id == mode, (int)IsDlgButtonChecked(dialog, id)) << id;
        });
        for (int id : {IDC_FILTER_AT_END, IDC_FILTER_ANYWHERE, IDC_FILTER_BEGIN}) step = Check(step, id, id == c.mode);
        ScriptExpect(Check(step, IDC_FILTER_CASE, !caseSensitive)), SendCommand(CMD_FILTER_DEFINE), shown = displayList.count;
        EXPECT_EQ((std::vector<int>{ok ? c.mode : mode, ok != caseSensitive, ok, shown}), (std::vector<int>{settings.filterMode,
            settings.filterCaseSensitive, settings.filterOn, (SendMessageA(mainWindow, UM_REBUILD, 0, 0), displayList.count)}));
        EXPECT_STREQ(c.text, settings.filterText);
    }
}

TEST_F(Catalogue, ThePKeyAndTheTrueTypeCommandRebuildTheList)
{
    int all = displayList.count;
    strcpy(settings.filterText, "mono");
    EXPECT_EQ(all, (SendMessageA(mainWindow, WM_KEYDOWN, 'Q', 0), displayList.count));
    SendMessageA(mainWindow, WM_KEYDOWN, 'P', 0);
    ASSERT_TRUE(displayList.count > 0 && displayList.count < all);
    for (int i = 0; i < displayList.count; i++)
        EXPECT_STRCASEEQ("mono", strchr(displayList.records[i]->logFont.lfFaceName, 0) - 4);
    EXPECT_EQ(all, (SendMessageA(mainWindow, WM_KEYDOWN, 'P', 0), displayList.count));
    EXPECT_GT((SendCommand(CMD_TRUETYPE_ONLY), displayList.count), all); /* Wine's bitmap fonts come in */
}

TEST_F(Catalogue, AnotherProgramsFontChangeRescansTheInstalledFonts)
{
    const std::string font = TempDir("ZvChng") + "ZvChngSans.ttf";
    RenamedFont("DejaVuSans.ttf", "ZvChng"), AddFontResourceA(font.c_str()), SendMessageA(mainWindow, WM_FONTCHANGE, 0, 0);
    EXPECT_TRUE(std::any_of(catalogue.records, catalogue.records + catalogue.count, [](const FontRecord *r) { return !strcmp(r->logFont.lfFaceName, "ZvChng Sans"); }));
    const int count = catalogue.count; /* a family reported again, the first or the last, is not kept twice */
    for (FontRecord *r : {catalogue.records[0], catalogue.records[count - 1]}) AppendFontRecord(&r->logFont, &r->textMetrics, r->fontType, 0);
    EXPECT_EQ(count, catalogue.count);
    EXPECT_EQ(catalogue.records + count, std::adjacent_find(catalogue.records, catalogue.records + count, [](const FontRecord *a, const FontRecord *b) { return !strcmp(a->logFont.lfFaceName, b->logFont.lfFaceName); }));
    EXPECT_STREQ("", catalogue.records[0]->filePath);
    ForgetFonts("ZvChng");
}

/* The arrays double when full (capacity 1, 2, 4, 8) and each record is one more heap
 * call: a failing call shows the box once and keeps exactly the records made before. */
TEST_F(Catalogue, NoMemoryWarnsOnceAndKeepsTheRecordsMadeBefore)
{
    std::vector<FontRecord> files;
    for (const char *name : {"a", "b", "c", "d", "e", "f"}) files.push_back(File(name, REGULAR, name));
    const Names all = Records((Fill(files), catalogue));
    const struct { int made, failing; } appends[] = {{2, 0}, {2, 1}, {3, 0}}; /* the array full, the record */
    for (const auto &a : appends) {
        Fill(std::vector<FontRecord>(files.begin(), files.begin() + a.made));
        ScriptExpect(Box("Not enough memory")), SetFault(FAULT_HEAP, a.failing, 1);
        EXPECT_EQ(0, AppendFontRecord(&files[5].logFont, &files[5].textMetrics, TRUETYPE_FONTTYPE, (LPARAM)&files[5]));
        ClearFaults();
        EXPECT_EQ(Names(all.begin(), all.begin() + a.made), Records(catalogue)) << a.made << " " << a.failing;
    }
    const int kept[] = {0, 0, 1, 1, 2, 2, 3, 4, 4, 5}; /* copies kept when call k fails */
    Fill(files);
    for (int failing = 0; failing < 10; failing++) {
        FreeFontList(&displayList), ScriptExpect(Box("Not enough memory")), SetFault(FAULT_HEAP, failing, 1);
        EXPECT_EQ(-1, BuildDisplayList()) << failing;
        ClearFaults();
        EXPECT_EQ(Names(all.begin(), all.begin() + kept[failing]), Records(displayList)) << failing;
    }
}
