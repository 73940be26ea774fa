/* catalogue_windows_test.cpp - the catalogue inside the running program: the
 * installed families of the test's Wine prefix (each once, sorted, TrueType-only),
 * which commands rebuild the DisplayList, the filter dialog and the P key, and
 * running out of memory during the enumeration and the rebuild.
 *
 * The real main window is started in-process for each test and closed after it;
 * dialogs and message boxes are answered by the harness's dialog script; folder
 * fonts are records made here.  Reads the prefix's fonts, changes nothing in it. */
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "resources/resource.h"

namespace {

typedef RunningProgram CatalogueWindows;

/* One family report of the system's own enumeration. */
struct Report {
    std::string face;
    DWORD fontType;
    BYTE charSet;
};

int CALLBACK NoteReport(const LOGFONTA *logFont, const TEXTMETRICA *, DWORD fontType, LPARAM list)
{
    Report report = {logFont->lfFaceName, fontType, logFont->lfCharSet};
    ((std::vector<Report> *)list)->push_back(report);
    return 1;
}

/* What the system reports for the client window's context, the one a rescan uses. */
std::vector<Report> SystemReports(void)
{
    std::vector<Report> reports;
    HDC dc = GetDC(clientWindow);
    EnumFontFamiliesA(dc, NULL, (FONTENUMPROCA)NoteReport, (LPARAM)&reports);
    ReleaseDC(clientWindow, dc);
    return reports;
}

/* The first report of each face name, in the system's order. */
std::vector<Report> FirstReports(const std::vector<Report> &reports)
{
    std::vector<Report> first;
    std::set<std::string> seen;
    for (const Report &report : reports) {
        if (seen.insert(report.face).second)
            first.push_back(report);
    }
    return first;
}

std::vector<std::string> Faces(const FontList &list)
{
    std::vector<std::string> faces;
    for (int i = 0; i < list.count; i++)
        faces.push_back(list.records[i]->logFont.lfFaceName);
    return faces;
}

std::vector<std::string> Files(const FontList &list)
{
    std::vector<std::string> files;
    for (int i = 0; i < list.count; i++)
        files.push_back(list.records[i]->fileName);
    return files;
}

bool Contains(const std::vector<std::string> &names, const std::string &name)
{
    for (const std::string &each : names) {
        if (each == name)
            return true;
    }
    return false;
}

/* A family the installed enumeration reports, appended behind the Catalogue's back,
 * so that a rebuild shows it and a mere refresh does not. */
const char kMarker[] = "Zz Marker CE";

void AppendMarker(void)
{
    LOGFONTA font;
    TEXTMETRICA metrics;
    memset(&font, 0, sizeof font);
    memset(&metrics, 0, sizeof metrics);
    strcpy(font.lfFaceName, kMarker);
    ASSERT_EQ(1, AppendFontRecord(&font, &metrics, TRUETYPE_FONTTYPE, 0));
}

bool MarkerShown(void)
{
    return Contains(Faces(displayList), kMarker);
}

/* Replaces the Catalogue with files of one folder, made here, and rebuilds. */
void ShowFolderOfOneFamily(void)
{
    static const struct {
        const char *file;
        int italic;
        int bold;
    } files[] = {{"sans.ttf", 0, 0}, {"sansb.ttf", 0, 1}, {"sansi.ttf", 1, 0}, {"sansz.ttf", 1, 1}};
    settings.sourceIsDirectory = 1;
    FreeFontList(&displayList);
    FreeFontList(&catalogue);
    for (const auto &file : files) {
        FontRecord image;
        memset(&image, 0, sizeof image);
        strcpy(image.logFont.lfFaceName, "Made Sans");
        image.logFont.lfItalic = (BYTE)file.italic;
        image.boldFlag = file.bold ? 32 : 0;
        strcpy(image.fileName, file.file);
        snprintf(image.fullFontName, sizeof image.fullFontName, "Made Sans %s", file.file);
        ASSERT_EQ(1, AppendFontRecord(&image.logFont, &image.textMetrics, TRUETYPE_FONTTYPE,
                                      (LPARAM)&image));
    }
    SendMessageA(mainWindow, UM_REBUILD, 0, 0);
}

/* ---- the installed families ---- */

TEST_F(CatalogueWindows, InstalledFamiliesFillTheCatalogueOnceEachInByteOrder)
{
    std::vector<Report> reports = SystemReports();
    std::vector<Report> first = FirstReports(reports);
    ASSERT_GT(first.size(), 10u);
    /* Wine reports a family once per character set; the grid shows it once. */
    ASSERT_GT(reports.size(), first.size());

    ASSERT_EQ((int)first.size(), catalogue.count);
    std::map<std::string, Report> firstByFace;
    for (const Report &report : first)
        firstByFace[report.face] = report;
    for (int i = 0; i < catalogue.count; i++) {
        const FontRecord *record = catalogue.records[i];
        std::string face = record->logFont.lfFaceName;
        ASSERT_EQ(1u, firstByFace.count(face)) << face;
        EXPECT_EQ(firstByFace[face].charSet, record->logFont.lfCharSet) << face;
        EXPECT_EQ((int)firstByFace[face].fontType, record->fontType) << face;
        EXPECT_STREQ("", record->fileName);
        EXPECT_STREQ("", record->fullFontName);
        EXPECT_GT(record->textMetrics.tmHeight, 0) << face;
        if (i > 0) {
            EXPECT_LT(std::string(catalogue.records[i - 1]->logFont.lfFaceName), face)
                << "not in byte order at " << i;
        }
    }
}

TEST_F(CatalogueWindows, RescanningReplacesTheCatalogueInsteadOfAddingToIt)
{
    int count = catalogue.count;
    std::vector<std::string> faces = Faces(catalogue);
    SendCommand(CMD_INSTALLED_FONTS);
    SendCommand(CMD_INSTALLED_FONTS);
    EXPECT_EQ(count, catalogue.count);
    EXPECT_EQ(faces, Faces(catalogue));
}

TEST_F(CatalogueWindows, TrueTypeOnlyDropsTheFamiliesWithoutTheTrueTypeBit)
{
    std::vector<std::string> trueType, all = Faces(catalogue);
    for (int i = 0; i < catalogue.count; i++) {
        if (catalogue.records[i]->fontType & TRUETYPE_FONTTYPE)
            trueType.push_back(catalogue.records[i]->logFont.lfFaceName);
    }
    ASSERT_LT(trueType.size(), all.size()) << "the prefix reports no family without the bit";
    ASSERT_EQ(1, settings.trueTypeOnly);
    EXPECT_EQ(trueType, Faces(displayList));

    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(0, settings.trueTypeOnly);
    EXPECT_EQ(all, Faces(displayList));
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(trueType, Faces(displayList));
}

/* ---- which commands rebuild ---- */

TEST_F(CatalogueWindows, StyleCommandsOnlyRedrawInstalledFamilies)
{
    AppendMarker();
    const int commands[] = {CMD_ITALIC, CMD_BOLD, CMD_NORMAL, CMD_ALL_STYLES, CMD_ITALIC};
    for (int command : commands) {
        SendCommand(command);
        EXPECT_FALSE(MarkerShown()) << "command " << command << " rebuilt the list";
    }
    SendMessageA(mainWindow, UM_REBUILD, 0, 0);
    EXPECT_TRUE(MarkerShown());
    /* Italic is on now, yet every TrueType family is there, once. */
    ASSERT_EQ(1, settings.italic);
    std::vector<std::string> trueType;
    for (int i = 0; i < catalogue.count; i++) {
        if (catalogue.records[i]->fontType & TRUETYPE_FONTTYPE)
            trueType.push_back(catalogue.records[i]->logFont.lfFaceName);
    }
    EXPECT_EQ(trueType, Faces(displayList));
}

TEST_F(CatalogueWindows, FilterAndTrueTypeCommandsAndThePKeyAlwaysRebuild)
{
    AppendMarker();
    SendCommand(CMD_FILTER_ON); /* on: the default "CE,pl" keeps the marker */
    EXPECT_EQ(1, settings.filterOn);
    EXPECT_TRUE(MarkerShown());
    for (const std::string &face : Faces(displayList)) {
        std::string lower = face;
        for (char &c : lower)
            c = (char)tolower((unsigned char)c);
        EXPECT_TRUE(lower.size() >= 2 && (lower.substr(lower.size() - 2) == "ce" ||
                                          lower.substr(lower.size() - 2) == "pl"))
            << face;
    }

    FreeFontList(&catalogue); /* from here on the Catalogue holds only the marker */
    AppendMarker();
    AppendMarker();
    SendMessageA(mainWindow, WM_KEYDOWN, 0x50, 0);
    EXPECT_EQ(0, settings.filterOn);
    EXPECT_EQ((std::vector<std::string>{kMarker}), Faces(displayList));

    FreeFontList(&catalogue);
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(NULL, displayList.records);
    AppendMarker();
    SendCommand(CMD_FILTER_ON);
    EXPECT_EQ((std::vector<std::string>{kMarker}), Faces(displayList));
}

TEST_F(CatalogueWindows, StyleCommandsRebuildAFolderInTheChosenStyle)
{
    ShowFolderOfOneFamily();
    EXPECT_EQ((std::vector<std::string>{"sans.ttf", "sansb.ttf", "sansi.ttf", "sansz.ttf"}),
              Files(displayList));
    SendCommand(CMD_ITALIC);
    EXPECT_EQ((std::vector<std::string>{"sansi.ttf"}), Files(displayList));
    SendCommand(CMD_BOLD);
    EXPECT_EQ((std::vector<std::string>{"sansz.ttf"}), Files(displayList));
    SendCommand(CMD_ITALIC);
    EXPECT_EQ((std::vector<std::string>{"sansb.ttf"}), Files(displayList));
    SendCommand(CMD_NORMAL);
    EXPECT_EQ((std::vector<std::string>{"sans.ttf"}), Files(displayList));
    SendCommand(CMD_ALL_STYLES);
    EXPECT_EQ(4, displayList.count);
    SendCommand(CMD_ALL_STYLES); /* All off again: Normal */
    EXPECT_EQ((std::vector<std::string>{"sans.ttf"}), Files(displayList));
}

/* ---- the filter dialog ---- */

TEST_F(CatalogueWindows, FilterDialogShowsTheFilterAndOkTakesItAndRebuilds)
{
    AppendMarker();
    std::string shownText;
    UINT atEnd = 0, anywhere = 0, begin = 0, caseSensitive = 0;
    DialogStep step = Dialog("Define filter", IDOK);
    step = Inspect(step, [&](HWND dialog) {
        shownText = ControlText(dialog, IDC_FILTER_TEXT);
        atEnd = IsDlgButtonChecked(dialog, IDC_FILTER_AT_END);
        anywhere = IsDlgButtonChecked(dialog, IDC_FILTER_ANYWHERE);
        begin = IsDlgButtonChecked(dialog, IDC_FILTER_BEGIN);
        caseSensitive = IsDlgButtonChecked(dialog, IDC_FILTER_CASE);
    });
    step = Edit(step, IDC_FILTER_TEXT, "Marker,Mono");
    step = Check(step, IDC_FILTER_AT_END, false);
    step = Check(step, IDC_FILTER_ANYWHERE, true);
    step = Check(step, IDC_FILTER_CASE, true);
    ScriptExpect(step);
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_EQ("", ScriptEnd());
    ScriptBegin();

    EXPECT_EQ("CE,pl", shownText);
    EXPECT_EQ((UINT)BST_CHECKED, atEnd);
    EXPECT_EQ((UINT)BST_UNCHECKED, anywhere);
    EXPECT_EQ((UINT)BST_UNCHECKED, begin);
    EXPECT_EQ((UINT)BST_UNCHECKED, caseSensitive);

    EXPECT_STREQ("Marker,Mono", settings.filterText);
    EXPECT_EQ(IDC_FILTER_ANYWHERE, settings.filterMode);
    EXPECT_EQ(1, settings.filterCaseSensitive);
    EXPECT_EQ(1, settings.filterOn);
    ASSERT_TRUE(MarkerShown());
    for (const std::string &face : Faces(displayList))
        EXPECT_TRUE(face.find("Marker") != std::string::npos || face.find("Mono") != std::string::npos)
            << face;

    /* Opened again, it shows what was taken. */
    step = Dialog("Define filter", IDCANCEL);
    step = Inspect(step, [&](HWND dialog) {
        shownText = ControlText(dialog, IDC_FILTER_TEXT);
        anywhere = IsDlgButtonChecked(dialog, IDC_FILTER_ANYWHERE);
        caseSensitive = IsDlgButtonChecked(dialog, IDC_FILTER_CASE);
    });
    ScriptExpect(step);
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_EQ("Marker,Mono", shownText);
    EXPECT_EQ((UINT)BST_CHECKED, anywhere);
    EXPECT_EQ((UINT)BST_CHECKED, caseSensitive);
}

TEST_F(CatalogueWindows, CancelledFilterDialogChangesNothingAndDoesNotRebuild)
{
    AppendMarker();
    ScriptExpect(Check(Edit(Check(Dialog("Define filter", IDCANCEL), IDC_FILTER_BEGIN, true),
                            IDC_FILTER_TEXT, "other"),
                       IDC_FILTER_CASE, true));
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_STREQ("CE,pl", settings.filterText);
    EXPECT_EQ(IDC_FILTER_AT_END, settings.filterMode);
    EXPECT_EQ(0, settings.filterCaseSensitive);
    EXPECT_EQ(0, settings.filterOn);
    EXPECT_FALSE(MarkerShown());
}

TEST_F(CatalogueWindows, EmptiedFilterTextBecomesAHyphenAndFiltersAtOnce)
{
    ScriptExpect(Edit(Dialog("Define filter", IDOK), IDC_FILTER_TEXT, ""));
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_STREQ("-", settings.filterText);
    EXPECT_EQ(1, settings.filterOn);
    EXPECT_EQ(IDC_FILTER_AT_END, settings.filterMode);
    for (const std::string &face : Faces(displayList))
        EXPECT_EQ('-', face.back()) << face;
}

TEST_F(CatalogueWindows, FilterTextIsCutTo299Characters)
{
    std::string typed(400, 'x');
    typed[298] = 'y';
    typed[299] = 'z';
    ScriptExpect(Edit(Dialog("Define filter", IDOK), IDC_FILTER_TEXT, typed));
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_EQ(typed.substr(0, 299), std::string(settings.filterText));
}

/* ---- running out of memory ---- */

TEST_F(CatalogueWindows, NoMemoryDuringTheEnumerationKeepsTheFamiliesAppendedBefore)
{
    std::vector<Report> first = FirstReports(SystemReports());
    ASSERT_GT(first.size(), 30u);
    /* Each family costs two heap calls: the grown array, then its record.  The
     * sort's buffer comes after the enumeration. */
    const int keptCounts[] = {25, 25, 0};
    const int extraCall[] = {0, 1, 0};
    for (int round = 0; round < 3; round++) {
        int kept = keptCounts[round];
        ScriptExpect(Box("Not enough memory"));
        SetFault(FAULT_HEAP, 2 * kept + extraCall[round], 1);
        SendCommand(CMD_INSTALLED_FONTS);
        ClearFaults();
        EXPECT_EQ("", ScriptEnd()) << "round " << round;
        ScriptBegin();

        std::set<std::string> expected;
        for (int i = 0; i < kept; i++)
            expected.insert(first[i].face);
        std::vector<std::string> faces = Faces(catalogue);
        EXPECT_EQ(expected, std::set<std::string>(faces.begin(), faces.end())) << "round " << round;
        EXPECT_EQ(kept, catalogue.count);
        for (size_t i = 1; i < faces.size(); i++)
            EXPECT_LT(faces[i - 1], faces[i]);
    }
    SendCommand(CMD_INSTALLED_FONTS);
    EXPECT_EQ((int)first.size(), catalogue.count);
}

TEST_F(CatalogueWindows, NoMemoryDuringARebuildKeepsTheCopiesMadeAndStillDraws)
{
    std::vector<std::string> full = Faces(displayList);
    ASSERT_GT(full.size(), 20u);
    ScriptExpect(Box("Not enough memory"));
    SetFault(FAULT_HEAP, 2 * 20 + 1, 1);
    SendCommand(CMD_TRUETYPE_ONLY);
    ClearFaults();
    std::vector<std::string> all = Faces(catalogue);
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 20), Faces(displayList));
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(full, Faces(displayList));
}

} // namespace
