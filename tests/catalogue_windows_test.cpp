/* catalogue_windows_test.cpp - the catalogue inside the running program: the
 * installed families of the test's Wine prefix (each once, sorted, TrueType-only),
 * which commands rebuild the DisplayList, the filter dialog and the P key, and
 * running out of memory during the enumeration and the rebuild. */
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
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
typedef std::vector<std::string> Names;

/* One family report of the system's own enumeration. */
struct Report { std::string face; DWORD fontType; BYTE charSet; };

int CALLBACK NoteReport(const LOGFONTA *logFont, const TEXTMETRICA *, DWORD fontType, LPARAM list)
{
    ((std::vector<Report> *)list)->push_back({logFont->lfFaceName, fontType, logFont->lfCharSet});
    return 1;
}

/* The first report of each face name, in the system's order, for the client
 * window's context (the one a rescan uses); `all` counts every report. */
std::vector<Report> FirstReports(size_t *all = NULL)
{
    std::vector<Report> reports, first;
    HDC dc = GetDC(clientWindow);
    EnumFontFamiliesA(dc, NULL, (FONTENUMPROCA)NoteReport, (LPARAM)&reports);
    ReleaseDC(clientWindow, dc);
    std::set<std::string> seen;
    for (const Report &report : reports) {
        if (seen.insert(report.face).second)
            first.push_back(report);
    }
    if (all)
        *all = reports.size();
    return first;
}

Names Collect(const FontList &list, bool faces, bool trueTypeOnly = false)
{
    Names names;
    for (int i = 0; i < list.count; i++) {
        if (!trueTypeOnly || (list.records[i]->fontType & TRUETYPE_FONTTYPE))
            names.push_back(faces ? list.records[i]->logFont.lfFaceName : list.records[i]->fileName);
    }
    return names;
}
Names Faces(const FontList &list) { return Collect(list, true); }
Names Files(const FontList &list) { return Collect(list, false); }
Names TrueTypeFaces(void) { return Collect(catalogue, true, true); }

/* The face names of the first `count` reports in byte order, as the Catalogue holds them. */
Names SortedFaces(const std::vector<Report> &reports, size_t count)
{
    Names faces;
    for (size_t i = 0; i < count; i++)
        faces.push_back(reports[i].face);
    std::sort(faces.begin(), faces.end());
    return faces;
}

/* A family the installed enumeration reports, appended behind the Catalogue's back,
 * so that a rebuild shows it and a mere refresh does not. */
const char kMarker[] = "Zz Marker CE";

void AppendMarker(void)
{
    FontRecord family;
    memset(&family, 0, sizeof family);
    strcpy(family.logFont.lfFaceName, kMarker);
    ASSERT_EQ(1, AppendFontRecord(&family.logFont, &family.textMetrics, TRUETYPE_FONTTYPE, 0));
}

bool MarkerShown(void)
{
    Names faces = Faces(displayList);
    return std::find(faces.begin(), faces.end(), kMarker) != faces.end();
}

/* ---- the installed families ---- */

TEST_F(CatalogueWindows, InstalledFamiliesFillTheCatalogueOnceEachInByteOrderAndRescansReplace)
{
    size_t reports = 0;
    std::vector<Report> first = FirstReports(&reports);
    ASSERT_GT(first.size(), 10u);
    /* Wine reports a family once per character set; the grid shows it once. */
    ASSERT_GT(reports, first.size());
    ASSERT_EQ(SortedFaces(first, first.size()), Faces(catalogue));
    std::map<std::string, Report> firstByFace;
    for (const Report &report : first)
        firstByFace[report.face] = report;
    for (int i = 0; i < catalogue.count; i++) {
        const FontRecord *record = catalogue.records[i];
        const Report &report = firstByFace[record->logFont.lfFaceName];
        EXPECT_EQ(report.charSet, record->logFont.lfCharSet) << report.face;
        EXPECT_EQ((int)report.fontType, record->fontType) << report.face;
        EXPECT_EQ("", std::string(record->fileName) + record->fullFontName) << report.face;
        EXPECT_GT(record->textMetrics.tmHeight, 0) << report.face;
    }

    SendCommand(CMD_INSTALLED_FONTS); /* a rescan replaces, it does not add */
    SendCommand(CMD_INSTALLED_FONTS);
    EXPECT_EQ(SortedFaces(first, first.size()), Faces(catalogue));
}

TEST_F(CatalogueWindows, TrueTypeOnlyDropsFamiliesWithoutTheBitEvenWhenMemoryRunsOut)
{
    Names trueType = TrueTypeFaces(), all = Faces(catalogue);
    ASSERT_LT(trueType.size(), all.size()) << "the prefix reports no family without the bit";
    ASSERT_GT(trueType.size(), 20u);
    ASSERT_EQ(1, settings.trueTypeOnly);
    EXPECT_EQ(trueType, Faces(displayList));
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(0, settings.trueTypeOnly);
    EXPECT_EQ(all, Faces(displayList));
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(trueType, Faces(displayList));

    /* A rebuild without memory for the 21st copy keeps the 20 made and still draws
     * (20 records and 6 growths of the array, to 1, 2, 4, 8, 16 and 32 slots). */
    ScriptExpect(Box("Not enough memory"));
    SetFault(FAULT_HEAP, 20 + 6, 1);
    SendCommand(CMD_TRUETYPE_ONLY);
    ClearFaults();
    EXPECT_EQ(Names(all.begin(), all.begin() + 20), Faces(displayList));
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(trueType, Faces(displayList));
}

/* ---- which commands rebuild ---- */

TEST_F(CatalogueWindows, StyleCommandsOnlyRedrawInstalledFamiliesButFilterTrueTypeAndPKeyRebuild)
{
    AppendMarker();
    for (int command : {CMD_ITALIC, CMD_BOLD, CMD_NORMAL, CMD_ALL_STYLES, CMD_ITALIC}) {
        SendCommand(command);
        EXPECT_FALSE(MarkerShown()) << "command " << command << " rebuilt the list";
    }
    SendMessageA(mainWindow, UM_REBUILD, 0, 0);
    EXPECT_TRUE(MarkerShown());
    /* Italic is on now, yet every TrueType family is there, once. */
    ASSERT_EQ(1, settings.italic);
    EXPECT_EQ(TrueTypeFaces(), Faces(displayList));

    SendCommand(CMD_FILTER_ON); /* the default "CE,pl" keeps the marker */
    EXPECT_EQ(1, settings.filterOn);
    EXPECT_TRUE(MarkerShown());
    for (const std::string &face : Faces(displayList)) {
        const char *end = face.c_str() + face.size() - std::min<size_t>(2, face.size());
        EXPECT_TRUE(_stricmp(end, "ce") == 0 || _stricmp(end, "pl") == 0) << face;
    }

    FreeFontList(&catalogue); /* from here on the Catalogue holds only the marker */
    AppendMarker();
    AppendMarker();
    SendMessageA(mainWindow, WM_KEYDOWN, 0x50, 0);
    EXPECT_EQ(0, settings.filterOn);
    EXPECT_EQ((Names{kMarker}), Faces(displayList));
    FreeFontList(&catalogue);
    SendCommand(CMD_TRUETYPE_ONLY);
    EXPECT_EQ(NULL, displayList.records);
    AppendMarker();
    SendCommand(CMD_FILTER_ON);
    EXPECT_EQ((Names{kMarker}), Faces(displayList));
}

TEST_F(CatalogueWindows, StyleCommandsRebuildAFolderInTheChosenStyle)
{
    /* The Catalogue replaced by the four styles of one family from a folder. */
    static const char *const files[] = {"sans.ttf", "sansi.ttf", "sansb.ttf", "sansz.ttf"};
    settings.sourceIsDirectory = 1;
    FreeFontList(&catalogue);
    for (int style = 0; style < 4; style++) {
        FontRecord image;
        memset(&image, 0, sizeof image);
        strcpy(image.logFont.lfFaceName, "Made Sans");
        image.logFont.lfItalic = (BYTE)(style & 1);
        image.boldFlag = (style & 2) ? 32 : 0;
        strcpy(image.fileName, files[style]);
        ASSERT_EQ(1, AppendFontRecord(&image.logFont, &image.textMetrics, TRUETYPE_FONTTYPE,
                                      (LPARAM)&image));
    }
    SendMessageA(mainWindow, UM_REBUILD, 0, 0);
    EXPECT_EQ((Names{"sans.ttf", "sansi.ttf", "sansb.ttf", "sansz.ttf"}), Files(displayList));
    /* The second All Styles turns All off again: Normal. */
    const struct { int command; Names shown; } steps[] = {
        {CMD_ITALIC, {"sansi.ttf"}}, {CMD_BOLD, {"sansz.ttf"}}, {CMD_ITALIC, {"sansb.ttf"}},
        {CMD_NORMAL, {"sans.ttf"}},
        {CMD_ALL_STYLES, {"sans.ttf", "sansi.ttf", "sansb.ttf", "sansz.ttf"}},
        {CMD_ALL_STYLES, {"sans.ttf"}}};
    for (const auto &step : steps) {
        SendCommand(step.command);
        EXPECT_EQ(step.shown, Files(displayList)) << "command " << step.command;
    }
}

/* ---- the filter dialog ---- */

/* Answers the filter dialog with `press`, first noting in `shown` its text and the
 * states of At end, Anywhere, Begin and Case ("CE,pl|1000"). */
DialogStep FilterDialog(int press, std::string &shown)
{
    return Inspect(Dialog("Define filter", press), [&shown](HWND dialog) {
        shown = ControlText(dialog, IDC_FILTER_TEXT) + "|";
        for (int button : {IDC_FILTER_AT_END, IDC_FILTER_ANYWHERE, IDC_FILTER_BEGIN, IDC_FILTER_CASE})
            shown += IsDlgButtonChecked(dialog, button) == BST_CHECKED ? "1" : "0";
    });
}

TEST_F(CatalogueWindows, FilterDialogShowsTheFilterCancelKeepsItAndOkTakesItAndRebuilds)
{
    AppendMarker();
    std::string shown;
    ScriptExpect(Check(Edit(Check(FilterDialog(IDCANCEL, shown), IDC_FILTER_BEGIN, true),
                            IDC_FILTER_TEXT, "other"),
                       IDC_FILTER_CASE, true));
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_EQ("CE,pl|1000", shown);
    EXPECT_STREQ("CE,pl", settings.filterText);
    EXPECT_EQ(IDC_FILTER_AT_END, settings.filterMode);
    EXPECT_EQ(0, settings.filterCaseSensitive);
    EXPECT_EQ(0, settings.filterOn);
    EXPECT_FALSE(MarkerShown());

    DialogStep step = Edit(Dialog("Define filter", IDOK), IDC_FILTER_TEXT, "Marker,Mono");
    step = Check(Check(Check(step, IDC_FILTER_AT_END, false), IDC_FILTER_ANYWHERE, true),
                 IDC_FILTER_CASE, true);
    ScriptExpect(step);
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_STREQ("Marker,Mono", settings.filterText);
    EXPECT_EQ(IDC_FILTER_ANYWHERE, settings.filterMode);
    EXPECT_EQ(1, settings.filterCaseSensitive);
    EXPECT_EQ(1, settings.filterOn);
    ASSERT_TRUE(MarkerShown());
    for (const std::string &face : Faces(displayList))
        EXPECT_TRUE(face.find("Marker") != std::string::npos || face.find("Mono") != std::string::npos)
            << face;

    ScriptExpect(FilterDialog(IDCANCEL, shown)); /* opened again, it shows what was taken */
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_EQ("Marker,Mono|0101", shown);
}

TEST_F(CatalogueWindows, EmptiedFilterTextBecomesAHyphenAndLongTextIsCutTo299)
{
    ScriptExpect(Edit(Dialog("Define filter", IDOK), IDC_FILTER_TEXT, ""));
    SendCommand(CMD_FILTER_DEFINE);
    EXPECT_STREQ("-", settings.filterText);
    EXPECT_EQ(1, settings.filterOn);
    EXPECT_EQ(IDC_FILTER_AT_END, settings.filterMode);
    for (const std::string &face : Faces(displayList))
        EXPECT_EQ('-', face.back()) << face;

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
    std::vector<Report> first = FirstReports();
    ASSERT_GT(first.size(), 30u);
    /* Each family costs a heap call for its record, after one for the array when
     * that is full (it doubles: 5 growths for 16 families, the 6th at the 17th).
     * The sort's buffer comes after the enumeration. */
    const struct { int kept, failing; } rounds[] = {{16, 16 + 5}, {16, 16 + 6}, {0, 0}};
    for (const auto &round : rounds) {
        ScriptExpect(Box("Not enough memory"));
        SetFault(FAULT_HEAP, round.failing, 1);
        SendCommand(CMD_INSTALLED_FONTS);
        ClearFaults();
        EXPECT_EQ("", ScriptEnd()) << "failing call " << round.failing;
        ScriptBegin();
        EXPECT_EQ(SortedFaces(first, round.kept), Faces(catalogue)) << "failing call " << round.failing;
    }
    SendCommand(CMD_INSTALLED_FONTS);
    EXPECT_EQ((int)first.size(), catalogue.count);
}

} // namespace
