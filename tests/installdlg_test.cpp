/* installdlg_test.cpp - the install dialog and the font-information box, run the
 * way a double-click on a folder's font runs them: the options and when they
 * change, the three scopes over the Catalogue (not the DisplayList), the failure
 * boxes with their exact texts, Cancel in a walk, the seven lines of Font Info,
 * and that the program's own installs never rescan the lists. */
#include <gtest/gtest.h>

#include <string.h>

#include "install_support.h"
#include "render/layout.h"
#include "resources/resource.h"

using namespace installtest;

namespace {

const char kPrefix[] = "ZvDial";

/* The real program shows a folder of test fonts. */
class InstallDialog : public ProgramWithTestFonts {
protected:
    InstallDialog() : ProgramWithTestFonts(kPrefix) {}

    /* The lists as a scan of the test folder and the style selection leave them. */
    void ShowFolder(const std::vector<FontRecord> &all, const std::vector<FontRecord> &shown,
                    int selected = 0)
    {
        settings.sourceIsDirectory = 1;
        settings.directoryChosen = 1;
        snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s",
                 TestFontFolder(kPrefix).c_str());
        FillList(&catalogue, all);
        FillList(&displayList, shown);
        shell.selectedFont = selected;
    }
    void ShowOnly(const FontRecord &record) { ShowFolder({record}, {record}); }
    /* A family's four files, the first of them shown and selected. */
    void ShowFamily(int first) { ShowFolder(Records(first, 4), Records(first, 1)); }

    /* What the double-click on a folder's font does after its hit test. */
    INT_PTR OpenInstallDialog(void)
    {
        Watchdog watchdog(20000);
        INT_PTR result = DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_INSTALL), mainWindow,
                                         InstallDialogProc, 0);
        SendMessageA(mainWindow, UM_REFRESH, 0, 0);
        return result;
    }

    /* Places a file that is not ours under the name a copy would take. */
    std::string PlaceForeignFile(int index)
    {
        std::string path = FontsFolder() + FileName(index);
        EXPECT_TRUE(WriteWholeFile(path, "not ours"));
        return path;
    }

    /* What the failure box says about one font. */
    std::string Failure(const std::string &reason, int index)
    {
        return reason + "\nFont " + FullName(index) + " will be not installed";
    }
};

DialogStep InstallBox(int press) { return Dialog("Install Font", press); }

const int kOptions[] = {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED,
                        IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY};

/* The install dialog with one mode and one scope chosen. */
DialogStep Choose(int mode, int scope, int press)
{
    DialogStep step = InstallBox(press);
    for (int id : kOptions)
        step = Check(step, id, id == mode || id == scope);
    return step;
}

/* Reads the font's path and name and which options are on when the dialog opens. */
struct Shown {
    std::string path, name;
    std::vector<int> on;
};

DialogStep Observe(DialogStep step, Shown *shown)
{
    return Inspect(step, [shown](HWND dialog) {
        shown->path = ControlText(dialog, IDC_INSTALL_PATH);
        shown->name = ControlText(dialog, IDC_INSTALL_NAME);
        for (int id : kOptions)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                shown->on.push_back(id);
    });
}

/* ---- the dialog and its options ---- */

TEST_F(InstallDialog, ShowsTheSelectedFontAndItsOptionsChangeOnlyWithOk)
{
    ShowFolder(Records(MONO, 4), Records(MONO + 1, 1));
    Shown first, afterCancel, afterOk;
    ScriptExpect(Observe(Choose(IDC_INSTALL_NOCOPY, IDC_SCOPE_DIRECTORY, IDCANCEL), &first));
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(TestFontFolder(kPrefix) + FileName(MONO + 1), first.path);
    EXPECT_EQ(FullName(MONO + 1), first.name);
    EXPECT_EQ(std::vector<int>({IDC_INSTALL_COPY, IDC_SCOPE_SELECTED}), first.on);
    EXPECT_EQ(IDC_INSTALL_COPY, installMode);
    EXPECT_EQ(IDC_SCOPE_SELECTED, installScope);
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt)) << "Cancel installs nothing";

    ScriptExpect(Observe(Choose(IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED, IDOK), &afterCancel));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ(first.on, afterCancel.on);
    EXPECT_EQ(IDC_INSTALL_NOCOPY, installMode);
    EXPECT_EQ(IDC_SCOPE_SELECTED, installScope);

    ScriptExpect(Observe(InstallBox(IDCANCEL), &afterOk));
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(std::vector<int>({IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED}), afterOk.on);

    /* The OK installed the selected font in place, and nothing else. */
    EXPECT_EQ(Record(MONO + 1).filePath, RegistryValue(kFontKeyNt, ValueName(MONO + 1)));
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_FALSE(Listed(MONO));
}

TEST_F(InstallDialog, WithoutASelectedFontItEndsAtOnceAndChangesNothing)
{
    ShowFolder(Records(MONO, 4), Records(MONO, 1), 1); /* past the end of the DisplayList */
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(IDC_INSTALL_COPY, installMode);
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
}

/* ---- the selected font ---- */

TEST_F(InstallDialog, TheSelectedFontIsInstalledSilentlyWithoutRescanThenSaysAlreadyInstalled)
{
    ShowFamily(MONO);
    FontRecord **catalogueBefore = catalogue.records, **displayBefore = displayList.records;
    FontChangeCounter changes;
    ScriptExpect(InstallBox(IDOK));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ(FileName(MONO), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_TRUE(FileExists(FontsFolder() + FileName(MONO)));
    EXPECT_TRUE(Listed(MONO));
    EXPECT_FALSE(Listed(MONO + 1));
    EXPECT_EQ(1, changes.seen());
    EXPECT_EQ(catalogueBefore, catalogue.records);
    EXPECT_EQ(4, catalogue.count);
    EXPECT_EQ(displayBefore, displayList.records);
    EXPECT_EQ(1, displayList.count);

    ScriptExpect(InstallBox(IDOK));
    ScriptExpect(Box(Failure("Font '" + FullName(MONO) + "' already installed!", MONO)));
    EXPECT_EQ(1, OpenInstallDialog());
}

TEST_F(InstallDialog, ADoubleClickOnAFolderFontOpensTheDialogForThatFontAndRedrawsWithoutRescan)
{
    ShowFolder(Records(SANS, TEST_FONT_COUNT), {Record(SANS), Record(MONO), Record(SERIF)});
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    ASSERT_EQ(1, pageLayout.valid);
    FontRecord **catalogueBefore = catalogue.records, **displayBefore = displayList.records;

    /* The middle of the second cell of the first row. */
    int x = (int)(pageLayout.originX + 1.5 * pageLayout.cellWidth);
    int y = (int)(pageLayout.originY + pageLayout.cellTopOffset + 0.5 * pageLayout.cellHeight);
    Shown seen;
    ScriptExpect(Observe(InstallBox(IDOK), &seen));
    {
        Watchdog watchdog(20000);
        SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, MAKELPARAM(x, y));
    }
    EXPECT_EQ(1, shell.selectedFont);
    EXPECT_EQ(FullName(MONO), seen.name);
    EXPECT_EQ(FileName(MONO), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_EQ(catalogueBefore, catalogue.records);
    EXPECT_EQ(displayBefore, displayList.records);
    EXPECT_EQ(3, displayList.count);
}

TEST_F(InstallDialog, AFileOfTheSameNameGivesTheFileExistBoxAndStaysAsItWas)
{
    ShowFamily(SERIF);
    std::string theirs = PlaceForeignFile(SERIF);
    std::map<std::string, DWORD> fontsWithTheirs = FolderListing(FontsFolder());
    ScriptExpect(InstallBox(IDOK));
    ScriptExpect(Box(Failure("File exist!", SERIF)));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ("not ours", ReadWholeFile(theirs));
    EXPECT_EQ(fontsWithTheirs, FolderListing(FontsFolder()));
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
}

TEST_F(InstallDialog, TheFailureBoxIsCutTo299Characters)
{
    FontRecord record = Record(SANS);
    strcpy(record.fileName, "ZvDialMissing.ttf");
    snprintf(record.filePath, sizeof record.filePath, "%sZvDialMissing.ttf",
             TestFontFolder(kPrefix).c_str());
    std::string longName(290, 'n');
    strcpy(record.fullFontName, longName.c_str());
    ShowOnly(record);
    ScriptExpect(InstallBox(IDOK));
    ScriptExpect(Box(("Can't copy file!\nFont " + longName + " will be not installed").substr(0, 299)));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
}

/* ---- walks over the Catalogue ---- */

TEST_F(InstallDialog, AllStylesInstallsTheFamilysCatalogueEntriesInOrderAskingAfterEachFailure)
{
    /* The DisplayList shows one entry per family; the Catalogue holds every file. */
    ShowFolder(Records(MONO, 8), {Record(MONO + 2), Record(SERIF)});
    PlaceForeignFile(MONO + 1);
    PlaceForeignFile(MONO + 3);
    ScriptExpect(Choose(IDC_INSTALL_COPY, IDC_SCOPE_STYLES, IDOK));
    /* A repaint while the box is open must not move the walk. */
    ScriptExpect(Inspect(Box(Failure("File exist!", MONO + 1)), [](HWND) {
        SendMessageA(mainWindow, UM_REFRESH, 0, 0);
        RedrawWindow(clientWindow, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    }));
    ScriptExpect(Box(Failure("File exist!", MONO + 3)));
    EXPECT_EQ(1, OpenInstallDialog());

    for (int i = MONO; i < MONO + 4; i++)
        EXPECT_EQ(i % 2 ? "(none)" : FileName(i), RegistryValue(kFontKeyNt, ValueName(i)));
    EXPECT_EQ("not ours", ReadWholeFile(FontsFolder() + FileName(MONO + 1)));
    for (int i = SERIF; i < SERIF + 4; i++)
        EXPECT_FALSE(Listed(i)) << FullName(i);
    EXPECT_EQ(IDC_SCOPE_STYLES, installScope);
}

TEST_F(InstallDialog, AllFontsFromTheDirectoryInstallsTheWholeCatalogueWhateverTheFilterHides)
{
    ShowFolder(Records(SANS, TEST_FONT_COUNT), Records(SERIF + 3, 1));
    FontRecord **catalogueBefore = catalogue.records;
    FontChangeCounter changes;
    ScriptExpect(Choose(IDC_INSTALL_NOCOPY, IDC_SCOPE_DIRECTORY, IDOK));
    EXPECT_EQ(1, OpenInstallDialog());
    for (int i = 0; i < TEST_FONT_COUNT; i++) {
        EXPECT_EQ(Record(i).filePath, RegistryValue(kFontKeyNt, ValueName(i)));
        EXPECT_TRUE(Listed(i)) << FullName(i);
    }
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(TEST_FONT_COUNT, changes.seen()) << "one broadcast per installed font";
    EXPECT_EQ(catalogueBefore, catalogue.records) << "our own broadcasts do not rescan";
}

TEST_F(InstallDialog, CancelInAWalkStopsItAndKeepsWhatWasInstalled)
{
    ShowFamily(SERIF);
    PlaceForeignFile(SERIF + 1);
    ScriptExpect(Choose(IDC_INSTALL_COPY, IDC_SCOPE_STYLES, IDOK));
    ScriptExpect(Box(Failure("File exist!", SERIF + 1), "Error", IDCANCEL));
    EXPECT_EQ(1, OpenInstallDialog());

    EXPECT_TRUE(Listed(SERIF));
    EXPECT_EQ(FileName(SERIF), RegistryValue(kFontKeyNt, ValueName(SERIF)));
    EXPECT_TRUE(FileExists(FontsFolder() + FileName(SERIF)));
    for (int i = SERIF + 2; i < SERIF + 4; i++) {
        EXPECT_FALSE(Listed(i)) << FullName(i);
        EXPECT_FALSE(FileExists(FontsFolder() + FileName(i)));
    }
    EXPECT_EQ(1, cataloguePos) << "the walk stopped at the font that failed";
}

/* ---- the walk itself ---- */

std::vector<int> visited;

int CALLBACK NoteVisit(const LOGFONTA *logFont, const TEXTMETRICA *, DWORD fontType, LPARAM stopAt)
{
    visited.push_back(cataloguePos);
    EXPECT_EQ(&catalogue.records[cataloguePos]->logFont, logFont);
    EXPECT_EQ((DWORD)TRUETYPE_FONTTYPE, fontType);
    return cataloguePos == (int)stopAt ? 0 : 1;
}

int CALLBACK EmptyTheCatalogue(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM)
{
    visited.push_back(cataloguePos);
    FreeFontList(&catalogue);
    return 1;
}

/* The Catalogue holds the twelve test fonts; Walk returns the entries visited. */
class CatalogueWalk : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<FontRecord> all;
        for (int i = 0; i < TEST_FONT_COUNT; i++)
            all.push_back(TestRecord(kPrefix, i));
        FillList(&catalogue, all);
    }
    void TearDown() override { FreeFontList(&catalogue); }
    std::vector<int> Walk(const std::string &face, LPARAM stopAt, int first, int last,
                          FONTENUMPROCA visit = (FONTENUMPROCA)NoteVisit)
    {
        visited.clear();
        EXPECT_EQ(1, ForEachCatalogueFont(face.empty() ? NULL : face.c_str(), visit, stopAt, first, last));
        return visited;
    }
};

TEST_F(CatalogueWalk, VisitsOnlyTheEntriesOfTheFaceNameCaseMattering)
{
    EXPECT_EQ(std::vector<int>({MONO, MONO + 1, MONO + 2, MONO + 3}), Walk("ZvDial Sans Mono", -1, 0, 100));
    EXPECT_TRUE(Walk("ZvDial SANS MONO", -1, 0, 100).empty());
}

TEST_F(CatalogueWalk, ClipsTheRangeAndStopsWhenTheVisitSaysSo)
{
    EXPECT_EQ(std::vector<int>({0, 1, 2}), Walk("", -1, -5, 2));
    EXPECT_EQ(std::vector<int>({10, 11}), Walk("", -1, 10, 1000));
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3, 4, 5, 6}), Walk("", 6, 0, 1000));
    EXPECT_EQ(6, cataloguePos);
}

TEST_F(CatalogueWalk, ACatalogueEmptiedDuringTheWalkEndsIt)
{
    EXPECT_EQ(std::vector<int>({0}), Walk("", 0, 0, 1000, (FONTENUMPROCA)EmptyTheCatalogue));
}

/* ---- Font Info ---- */

HWND installDialogOfTest, infoDialogOfTest;
struct InfoSeen {
    std::string text;
    HWND owner;
    bool installDialogOpenAfter;
} infoSeen;

/* Once the information box has gone, notes whether the install dialog is still
 * open, then cancels it. */
void CALLBACK AfterInfo(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    infoSeen.installDialogOpenAfter =
        IsWindow(installDialogOfTest) && IsWindowVisible(installDialogOfTest) &&
        !(IsWindow(infoDialogOfTest) && IsWindowVisible(infoDialogOfTest));
    PostMessageA(installDialogOfTest, WM_COMMAND, IDCANCEL, 0);
}

/* Opens the install dialog, presses Font Info, reads the box and ends it with
 * OK (byClose false) or its close box (byClose true). */
void ScriptFontInfo(bool byClose)
{
    infoSeen = InfoSeen();
    ScriptExpect(Inspect(InstallBox(0), [](HWND dialog) {
        installDialogOfTest = dialog;
        PressLater(dialog, IDC_FONT_INFO);
    }));
    ScriptExpect(Inspect(Dialog("Font information", byClose ? 0 : IDOK), [byClose](HWND info) {
        infoDialogOfTest = info;
        infoSeen.text = ControlText(info, IDC_FONTINFO_TEXT);
        infoSeen.owner = GetWindow(info, GW_OWNER);
        if (byClose)
            PostMessageA(info, WM_CLOSE, 0, 0);
        SetTimer(NULL, 0, 300, AfterInfo);
    }));
}

TEST_F(InstallDialog, FontInfoListsTheSevenNamesAndLeavesTheInstallDialogOpen)
{
    ShowFamily(MONO);
    ScriptFontInfo(false);
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ("Font Family: ZvDial Sans Mono\r\n"
              "Font Subfamily: Book\r\n"
              "Full font name: ZvDial Sans Mono\r\n"
              "Version: Version 2.37\r\n"
              "Font Identifier: ZvDial Sans Mono\r\n"
              "Copyright: Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved.\r\n"
              "Trademark: \r\n",
              infoSeen.text);
    EXPECT_EQ(mainWindow, infoSeen.owner);
    EXPECT_TRUE(infoSeen.installDialogOpenAfter);
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt)) << "Font Info installs nothing";
}

TEST_F(InstallDialog, FontInfoCutsOverLongFieldsSoEveryLineKeepsItsEndAndClosesWithItsCloseBox)
{
    FontRecord record;
    ZeroMemory(&record, sizeof record);
    memset(record.logFont.lfFaceName, 'f', sizeof record.logFont.lfFaceName - 1);
    for (char *field : {record.fontSubfamily, record.fullFontName, record.version,
                        record.fontIdentifier, record.copyright, record.trademark})
        memset(field, 'x', 299);
    ShowOnly(record);
    ScriptFontInfo(true);
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_TRUE(infoSeen.installDialogOpenAfter);

    /* Each line: its label, then the field cut so that the line with its "\r\n" is 299. */
    std::string expected = "Font Family: " + std::string(31, 'f') + "\r\n";
    for (std::string label : {"Font Subfamily: ", "Full font name: ", "Version: ",
                              "Font Identifier: ", "Copyright: ", "Trademark: "})
        expected += label + std::string(297 - label.size(), 'x') + "\r\n";
    EXPECT_EQ(expected, infoSeen.text);
}

} // namespace
