/* installdlg_test.cpp - the install dialog and the font-information box, run the
 * way a double-click on a folder's font runs them: the options and when they
 * change, the three scopes over the Catalogue (not the DisplayList), the failure
 * boxes with their exact texts, Cancel in a walk, the seven lines of Font Info,
 * and that the program's own installs never rescan the lists. */
#include <gtest/gtest.h>

#include <string.h>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "install/install.h"
#include "install_support.h"
#include "render/layout.h"
#include "resources/resource.h"

using namespace installtest;

namespace {

const char kPrefix[] = "ZvDial";

std::string FileName(int index) { return TestFileName(kPrefix, index); }
std::string FullName(int index) { return TestFullName(kPrefix, index); }
std::string ValueName(int index) { return FullName(index) + " (TrueType)"; }
FontRecord Record(int index) { return TestRecord(kPrefix, index); }

std::vector<FontRecord> Records(int first, int count)
{
    std::vector<FontRecord> records;
    for (int i = first; i < first + count; i++)
        records.push_back(Record(i));
    return records;
}

bool Listed(int index)
{
    HDC dc = GetDC(NULL);
    int listed = IsFontInstalled(dc, FullName(index).c_str());
    ReleaseDC(NULL, dc);
    return listed == 1;
}

/* What the failure box says about one font. */
std::string Failure(const std::string &reason, int index)
{
    return reason + "\nFont " + FullName(index) + " will be not installed";
}

/* The real program shows a folder of test fonts; the prefix holds none of them
 * before and after each test. */
class InstallDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFaults();
        ASSERT_NE("", TestFontFolder(kPrefix)) << "the DejaVu fonts are missing";
        RemoveTestFonts(kPrefix);
        ScriptBegin();
        ASSERT_EQ(1, StartZenvrix());
        ASSERT_EQ("", ScriptEnd());
        ScriptBegin();
        fontsBefore = FolderListing(FontsFolder());
        valuesBefore = RegistryValues(kFontKeyNt);
    }
    void TearDown() override
    {
        EXPECT_EQ("", ScriptEnd());
        EXPECT_EQ(0, Watchdog::Fired()) << "a dialog was left open";
        ClearFaults();
        RemoveTestFonts(kPrefix);
        StopZenvrix();
    }

    /* The lists as a scan of the test folder and the style selection leave them. */
    void ShowFolder(const std::vector<FontRecord> &all, const std::vector<FontRecord> &shown,
                    int selected)
    {
        settings.sourceIsDirectory = 1;
        settings.directoryChosen = 1;
        snprintf(settings.currentDirectory, sizeof settings.currentDirectory, "%s",
                 TestFontFolder(kPrefix).c_str());
        FillList(&catalogue, all);
        FillList(&displayList, shown);
        shell.selectedFont = selected;
    }

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

    std::map<std::string, DWORD> fontsBefore;
    std::map<std::string, std::string> valuesBefore;
};

DialogStep InstallBox(int press) { return Dialog("Install Font", press); }

DialogStep Choose(int mode, int scope, int press)
{
    DialogStep step = InstallBox(press);
    const int modes[] = {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY};
    const int scopes[] = {IDC_SCOPE_SELECTED, IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY};
    for (int id : modes)
        step = Check(step, id, id == mode);
    for (int id : scopes)
        step = Check(step, id, id == scope);
    return step;
}

/* Reads which radio buttons are on when the dialog opens. */
struct Shown {
    std::string path, name;
    std::vector<int> on;
};

DialogStep Observe(DialogStep step, Shown *shown)
{
    return Inspect(step, [shown](HWND dialog) {
        shown->path = ControlText(dialog, IDC_INSTALL_PATH);
        shown->name = ControlText(dialog, IDC_INSTALL_NAME);
        const int ids[] = {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED,
                           IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY};
        for (int id : ids)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                shown->on.push_back(id);
    });
}

/* ---- the dialog and its options ---- */

TEST_F(InstallDialog, ShowsTheSelectedFontsPathAndFullNameWithTheDefaultOptions)
{
    ShowFolder(Records(MONO, 4), Records(MONO + 1, 1), 0);
    Shown shown;
    ScriptExpect(Observe(InstallBox(IDCANCEL), &shown));
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(TestFontFolder(kPrefix) + FileName(MONO + 1), shown.path);
    EXPECT_EQ(FullName(MONO + 1), shown.name);
    EXPECT_EQ(std::vector<int>({IDC_INSTALL_COPY, IDC_SCOPE_SELECTED}), shown.on);
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(valuesBefore, RegistryValues(kFontKeyNt));
}

TEST_F(InstallDialog, OptionsChangeOnlyWhenTheDialogIsConfirmedWithOk)
{
    ShowFolder(Records(MONO, 4), Records(MONO, 1), 0);

    ScriptExpect(Choose(IDC_INSTALL_NOCOPY, IDC_SCOPE_DIRECTORY, IDCANCEL));
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(IDC_INSTALL_COPY, installMode);
    EXPECT_EQ(IDC_SCOPE_SELECTED, installScope);
    EXPECT_EQ(valuesBefore, RegistryValues(kFontKeyNt)) << "Cancel installs nothing";

    Shown afterCancel;
    ScriptExpect(Observe(Choose(IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED, IDOK), &afterCancel));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ(std::vector<int>({IDC_INSTALL_COPY, IDC_SCOPE_SELECTED}), afterCancel.on);
    EXPECT_EQ(IDC_INSTALL_NOCOPY, installMode);
    EXPECT_EQ(IDC_SCOPE_SELECTED, installScope);

    Shown afterOk;
    ScriptExpect(Observe(InstallBox(IDCANCEL), &afterOk));
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(std::vector<int>({IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED}), afterOk.on);
    EXPECT_EQ("", ScriptEnd());
    ScriptBegin();

    /* The OK installed the selected font in place, and nothing else. */
    EXPECT_EQ(std::string(Record(MONO).filePath), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_FALSE(Listed(MONO + 1));
}

TEST_F(InstallDialog, WithoutASelectedFontItEndsAtOnceAndChangesNothing)
{
    ShowFolder(Records(MONO, 4), Records(MONO, 1), 1); /* past the end of the DisplayList */
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ(IDC_INSTALL_COPY, installMode);
    EXPECT_EQ(valuesBefore, RegistryValues(kFontKeyNt));
}

/* ---- the selected font ---- */

TEST_F(InstallDialog, TheSelectedFontIsInstalledWithoutAMessageAndTheListsAreNotRescanned)
{
    ShowFolder(Records(MONO, 4), Records(MONO, 1), 0);
    FontRecord **catalogueBefore = catalogue.records;
    FontRecord **displayBefore = displayList.records;
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
}

TEST_F(InstallDialog, ADoubleClickOnAFolderFontOpensTheDialogForThatFontAndRedrawsWithoutRescan)
{
    std::vector<FontRecord> shown;
    shown.push_back(Record(SANS));
    shown.push_back(Record(MONO));
    shown.push_back(Record(SERIF));
    ShowFolder(Records(SANS, TEST_FONT_COUNT), shown, 0);
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    ASSERT_EQ(1, pageLayout.valid);
    FontRecord **catalogueBefore = catalogue.records;
    FontRecord **displayBefore = displayList.records;

    /* The middle of the second cell of the first row. */
    int x = (int)(pageLayout.originX + 1.5 * pageLayout.cellWidth);
    int y = (int)(pageLayout.originY + pageLayout.cellTopOffset + 0.5 * pageLayout.cellHeight);
    Shown seen;
    ScriptExpect(Observe(InstallBox(IDOK), &seen));
    {
        Watchdog watchdog(20000);
        SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, MAKELPARAM(x, y));
    }
    EXPECT_EQ("", ScriptEnd());
    ScriptBegin();

    EXPECT_EQ(1, shell.selectedFont);
    EXPECT_EQ(FullName(MONO), seen.name);
    EXPECT_EQ(FileName(MONO), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_EQ(catalogueBefore, catalogue.records);
    EXPECT_EQ(displayBefore, displayList.records);
    EXPECT_EQ(3, displayList.count);
}

TEST_F(InstallDialog, AFontTheSystemListsGivesTheAlreadyInstalledBox)
{
    ShowFolder(Records(MONO, 4), Records(MONO, 1), 0);
    FontRecord record = Record(MONO);
    installMode = IDC_INSTALL_COPY;
    ASSERT_EQ(1, InstallFont(&record));

    ScriptExpect(InstallBox(IDOK));
    ScriptExpect(Box(Failure("Font '" + FullName(MONO) + "' already installed!", MONO)));
    EXPECT_EQ(1, OpenInstallDialog());
}

TEST_F(InstallDialog, AFileOfTheSameNameGivesTheFileExistBoxAndStaysAsItWas)
{
    ShowFolder(Records(SERIF, 4), Records(SERIF, 1), 0);
    std::string theirs = PlaceForeignFile(SERIF);
    std::map<std::string, DWORD> fontsWithTheirs = FolderListing(FontsFolder());

    ScriptExpect(InstallBox(IDOK));
    ScriptExpect(Box(Failure("File exist!", SERIF)));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ("not ours", ReadWholeFile(theirs));
    EXPECT_EQ(fontsWithTheirs, FolderListing(FontsFolder()));
    EXPECT_EQ(valuesBefore, RegistryValues(kFontKeyNt));
}

TEST_F(InstallDialog, TheFailureBoxIsCutTo299Characters)
{
    FontRecord record = Record(SANS);
    strcpy(record.fileName, "ZvDialMissing.ttf");
    snprintf(record.filePath, sizeof record.filePath, "%sZvDialMissing.ttf",
             TestFontFolder(kPrefix).c_str());
    std::string longName(290, 'n');
    strcpy(record.fullFontName, longName.c_str());
    ShowFolder(std::vector<FontRecord>(1, record), std::vector<FontRecord>(1, record), 0);

    std::string whole = "Can't copy file!\nFont " + longName + " will be not installed";
    ScriptExpect(InstallBox(IDOK));
    ScriptExpect(Box(whole.substr(0, 299)));
    EXPECT_EQ(1, OpenInstallDialog());
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
}

/* ---- walks over the Catalogue ---- */

TEST_F(InstallDialog, AllStylesInstallsTheFamilysCatalogueEntriesInOrderAskingAfterEachFailure)
{
    /* The DisplayList shows one entry per family; the Catalogue holds every file. */
    std::vector<FontRecord> all = Records(MONO, 8);
    std::vector<FontRecord> shown;
    shown.push_back(Record(MONO + 2));
    shown.push_back(Record(SERIF));
    ShowFolder(all, shown, 0);
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

    EXPECT_EQ(FileName(MONO), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_EQ(FileName(MONO + 2), RegistryValue(kFontKeyNt, ValueName(MONO + 2)));
    EXPECT_EQ("(none)", RegistryValue(kFontKeyNt, ValueName(MONO + 1)));
    EXPECT_EQ("(none)", RegistryValue(kFontKeyNt, ValueName(MONO + 3)));
    EXPECT_EQ("not ours", ReadWholeFile(FontsFolder() + FileName(MONO + 1)));
    for (int i = SERIF; i < SERIF + 4; i++)
        EXPECT_FALSE(Listed(i)) << FullName(i);
    EXPECT_EQ(IDC_SCOPE_STYLES, installScope);
}

TEST_F(InstallDialog, AllFontsFromTheDirectoryInstallsTheWholeCatalogueWhateverTheFilterHides)
{
    ShowFolder(Records(SANS, TEST_FONT_COUNT), Records(SERIF + 3, 1), 0);
    FontRecord **catalogueBefore = catalogue.records;
    FontChangeCounter changes;
    ScriptExpect(Choose(IDC_INSTALL_NOCOPY, IDC_SCOPE_DIRECTORY, IDOK));
    EXPECT_EQ(1, OpenInstallDialog());

    for (int i = 0; i < TEST_FONT_COUNT; i++) {
        EXPECT_EQ(std::string(Record(i).filePath), RegistryValue(kFontKeyNt, ValueName(i)));
        EXPECT_TRUE(Listed(i)) << FullName(i);
    }
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(TEST_FONT_COUNT, changes.seen()) << "one broadcast per installed font";
    EXPECT_EQ(catalogueBefore, catalogue.records) << "our own broadcasts do not rescan";
}

TEST_F(InstallDialog, CancelInAWalkStopsItAndKeepsWhatWasInstalled)
{
    ShowFolder(Records(SERIF, 4), Records(SERIF, 1), 0);
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

class CatalogueWalk : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillList(&catalogue, Records(SANS, TEST_FONT_COUNT));
        visited.clear();
    }
    void TearDown() override { FreeFontList(&catalogue); }
};

TEST_F(CatalogueWalk, VisitsOnlyTheEntriesOfTheFaceNameCaseMattering)
{
    std::string mono = std::string(kPrefix) + " Sans Mono";
    EXPECT_EQ(1, ForEachCatalogueFont(mono.c_str(), (FONTENUMPROCA)NoteVisit, -1, 0, 100));
    EXPECT_EQ(std::vector<int>({MONO, MONO + 1, MONO + 2, MONO + 3}), visited);
    visited.clear();
    std::string upper = std::string(kPrefix) + " SANS MONO";
    ForEachCatalogueFont(upper.c_str(), (FONTENUMPROCA)NoteVisit, -1, 0, 100);
    EXPECT_TRUE(visited.empty());
}

TEST_F(CatalogueWalk, ClipsTheRangeAndStopsWhenTheVisitSaysSo)
{
    ForEachCatalogueFont(NULL, (FONTENUMPROCA)NoteVisit, -1, -5, 2);
    EXPECT_EQ(std::vector<int>({0, 1, 2}), visited);
    visited.clear();
    ForEachCatalogueFont(NULL, (FONTENUMPROCA)NoteVisit, -1, 10, 1000);
    EXPECT_EQ(std::vector<int>({10, 11}), visited);
    visited.clear();
    ForEachCatalogueFont(NULL, (FONTENUMPROCA)NoteVisit, 6, 0, 1000);
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3, 4, 5, 6}), visited);
    EXPECT_EQ(6, cataloguePos);
}

TEST_F(CatalogueWalk, ACatalogueEmptiedDuringTheWalkEndsIt)
{
    EXPECT_EQ(1, ForEachCatalogueFont(NULL, (FONTENUMPROCA)EmptyTheCatalogue, 0, 0, 1000));
    EXPECT_EQ(std::vector<int>({0}), visited);
}

/* ---- Font Info ---- */

struct InfoSeen {
    std::string text;
    HWND owner;
    bool installDialogOpenAfter;
};
HWND installDialogOfTest;
HWND infoDialogOfTest;
InfoSeen infoSeen;

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
    ShowFolder(Records(MONO, 4), Records(MONO, 1), 0);
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
    EXPECT_EQ(valuesBefore, RegistryValues(kFontKeyNt)) << "Font Info installs nothing";
}

TEST_F(InstallDialog, FontInfoEndsWithItsCloseBoxToo)
{
    FontRecord empty;
    ZeroMemory(&empty, sizeof empty);
    ShowFolder(std::vector<FontRecord>(1, empty), std::vector<FontRecord>(1, empty), 0);
    ScriptFontInfo(true);
    EXPECT_EQ(0, OpenInstallDialog());
    EXPECT_EQ("Font Family: \r\nFont Subfamily: \r\nFull font name: \r\nVersion: \r\n"
              "Font Identifier: \r\nCopyright: \r\nTrademark: \r\n",
              infoSeen.text);
    EXPECT_TRUE(infoSeen.installDialogOpenAfter);
}

TEST_F(InstallDialog, FontInfoCutsOverLongFieldsSoEveryLineKeepsItsEnd)
{
    FontRecord record;
    ZeroMemory(&record, sizeof record);
    memset(record.logFont.lfFaceName, 'f', sizeof record.logFont.lfFaceName - 1);
    char *fields[] = {record.fontSubfamily, record.fullFontName, record.version,
                      record.fontIdentifier, record.copyright, record.trademark};
    for (char *field : fields)
        memset(field, 'x', 299);
    ShowFolder(std::vector<FontRecord>(1, record), std::vector<FontRecord>(1, record), 0);
    ScriptFontInfo(false);
    EXPECT_EQ(0, OpenInstallDialog());

    const char *labels[] = {"Font Family: ", "Font Subfamily: ", "Full font name: ", "Version: ",
                            "Font Identifier: ", "Copyright: ", "Trademark: "};
    std::string text = infoSeen.text;
    size_t at = 0;
    for (int i = 0; i < 7; i++) {
        size_t end = text.find("\r\n", at);
        ASSERT_NE(std::string::npos, end) << "line " << i;
        std::string line = text.substr(at, end - at);
        EXPECT_EQ(0u, line.find(labels[i])) << line;
        if (i == 0)
            EXPECT_EQ(std::string(labels[0]) + std::string(31, 'f'), line);
        else
            EXPECT_EQ(299u, line.size() + 2) << "line " << i << " with its line break";
        at = end + 2;
    }
    EXPECT_EQ(text.size(), at) << "seven lines and nothing more";
}

} // namespace
