/* install_test.cpp - installing a font file into the test's Wine prefix: copy and
 * in-place installs checked in the prefix's Fonts folder and registry (from this
 * process and from another), the already-listed test, "File exist!", the choice of
 * font-list key and target folder, every failure leaving the folder and the
 * registry as they were, and the WM_FONTCHANGE broadcast. */
#include <gtest/gtest.h>

#include <string.h>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "install/install.h"
#include "install_support.h"
#include "resources/resource.h"

using namespace installtest;

namespace {

const char kPrefix[] = "ZvInst";

std::string FileName(int index) { return TestFileName(kPrefix, index); }
std::string FullName(int index) { return TestFullName(kPrefix, index); }
std::string ValueName(int index) { return FullName(index) + " (TrueType)"; }
FontRecord Record(int index) { return TestRecord(kPrefix, index); }

/* The real program runs; every test starts and ends with a prefix free of the
 * test fonts. */
class Install : public ::testing::Test {
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
        installMessage[0] = 0;
        fontsBefore = FolderListing(FontsFolder());
        ntValuesBefore = RegistryValues(kFontKeyNt);
        valuesBefore = RegistryValues(kFontKey);
    }
    void TearDown() override
    {
        EXPECT_EQ("", ScriptEnd());
        ClearFaults();
        RemoveTestFonts(kPrefix, extraFolders);
        StopZenvrix();
    }

    /* Nothing of the failed call is left: same files, same values, font not listed. */
    void ExpectUntouched(int index)
    {
        EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
        EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
        EXPECT_EQ(valuesBefore, RegistryValues(kFontKey));
        HDC dc = GetDC(NULL);
        EXPECT_EQ(0, IsFontInstalled(dc, FullName(index).c_str()));
        ReleaseDC(NULL, dc);
    }

    int InstallWith(int mode, const FontRecord &record)
    {
        installMode = mode;
        installMessage[0] = 0;
        return InstallFont(&record);
    }

    std::map<std::string, DWORD> fontsBefore;
    std::map<std::string, std::string> ntValuesBefore;
    std::map<std::string, std::string> valuesBefore;
    std::vector<std::string> extraFolders;
};

/* ---- the two modes ---- */

TEST_F(Install, CopyModePutsTheFileInTheFontsFolderAndItsNameInTheFontList)
{
    ASSERT_EQ(0, FamilyListed(FullName(MONO)));
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(MONO)));
    EXPECT_STREQ("", installMessage);

    std::string source = ReadWholeFile(TestFontFolder(kPrefix) + FileName(MONO));
    ASSERT_GT(source.size(), 100000u);
    EXPECT_TRUE(ReadWholeFile(FontsFolder() + FileName(MONO)) == source);
    EXPECT_TRUE(ReadWholeFile(PrefixFontsFolder() + FileName(MONO)) == source)
        << "not in the prefix's drive_c\\windows\\Fonts";
    EXPECT_EQ(FileName(MONO), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_EQ(ValueLineAsRegPrintsIt(ValueName(MONO), FileName(MONO)),
              RegistryValueSeenFromOutside(kFontKeyNt, ValueName(MONO)));

    std::map<std::string, DWORD> fontsNow = FolderListing(FontsFolder());
    fontsNow.erase(FileName(MONO));
    EXPECT_EQ(fontsBefore, fontsNow) << "only the font's own file is new";

    HDC dc = GetDC(NULL);
    EXPECT_EQ(1, IsFontInstalled(dc, FullName(MONO).c_str()));
    ReleaseDC(NULL, dc);
    EXPECT_EQ(1, FamilyListed(FullName(MONO)));
}

TEST_F(Install, NoCopyModeRecordsTheFullPathAndLeavesTheFontsFolderAlone)
{
    FontRecord record = Record(MONO + 1);
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_NOCOPY, record));
    EXPECT_STREQ("", installMessage);
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(std::string(record.filePath), RegistryValue(kFontKeyNt, ValueName(MONO + 1)));
    EXPECT_EQ(ValueLineAsRegPrintsIt(ValueName(MONO + 1), record.filePath),
              RegistryValueSeenFromOutside(kFontKeyNt, ValueName(MONO + 1)));
    HDC dc = GetDC(NULL);
    EXPECT_EQ(1, IsFontInstalled(dc, FullName(MONO + 1).c_str()));
    ReleaseDC(NULL, dc);
}

TEST_F(Install, ASourceDeepInAFolderTreeIsCopiedToo)
{
    std::string folder = TempTestDir("ZvInstDeep");
    for (int depth = 0; depth < 3; depth++) {
        folder += std::string(60, 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    }
    FontRecord record = Record(MONO + 3);
    std::string bytes = ReadWholeFile(record.filePath);
    ASSERT_TRUE(WriteWholeFile(folder + FileName(MONO + 3), bytes));
    snprintf(record.filePath, sizeof record.filePath, "%s%s", folder.c_str(),
             FileName(MONO + 3).c_str());
    ASSERT_GT(strlen(record.filePath), 200u);

    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, record));
    EXPECT_STREQ("", installMessage);
    EXPECT_TRUE(ReadWholeFile(FontsFolder() + FileName(MONO + 3)) == bytes);
}

/* ---- what is already there ---- */

TEST_F(Install, AFontTheSystemListsIsRefusedAsAlreadyInstalled)
{
    /* Wine lists the Debian fonts: the real DejaVu Sans Bold file, as the scan reads it. */
    FontRecord record;
    ZeroMemory(&record, sizeof record);
    strcpy(record.logFont.lfFaceName, "DejaVu Sans");
    strcpy(record.fileName, "DejaVuSans-Bold.ttf");
    snprintf(record.filePath, sizeof record.filePath, "%s",
             RealFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf").c_str());
    strcpy(record.fullFontName, "DejaVu Sans Bold");
    for (int mode = IDC_INSTALL_COPY; mode <= IDC_INSTALL_NOCOPY; mode++) {
        EXPECT_EQ(0, InstallWith(mode, record));
        EXPECT_STREQ("Font 'DejaVu Sans Bold' already installed!", installMessage);
    }
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
}

TEST_F(Install, InstallingTheSameFontTwiceSaysAlreadyInstalled)
{
    ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SERIF)));
    std::string copy = ReadWholeFile(FontsFolder() + FileName(SERIF));
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, Record(SERIF)));
    EXPECT_EQ("Font '" + FullName(SERIF) + "' already installed!", std::string(installMessage));
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_NOCOPY, Record(SERIF)));
    EXPECT_EQ("Font '" + FullName(SERIF) + "' already installed!", std::string(installMessage));
    EXPECT_TRUE(ReadWholeFile(FontsFolder() + FileName(SERIF)) == copy);
    EXPECT_EQ(FileName(SERIF), RegistryValue(kFontKeyNt, ValueName(SERIF)));
}

TEST_F(Install, UpperAndLowerCaseMatterInTheAlreadyListedTest)
{
    ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(MONO + 1)));
    std::map<std::string, std::string> valuesAfterFirst = RegistryValues(kFontKeyNt);
    std::string copyAfterFirst = ReadWholeFile(FontsFolder() + FileName(MONO + 1));
    HDC dc = GetDC(NULL);
    EXPECT_EQ(1, IsFontInstalled(dc, FullName(MONO + 1).c_str()));
    std::string shouted = FullName(MONO + 1);
    for (size_t i = 0; i < shouted.size(); i++)
        shouted[i] = (char)toupper((unsigned char)shouted[i]);
    EXPECT_EQ(0, IsFontInstalled(dc, shouted.c_str()));
    ReleaseDC(NULL, dc);

    /* The same file under a full name in other case passes the test and then
     * finds its file already in the Fonts folder. */
    FontRecord record = Record(MONO + 1);
    strcpy(record.fullFontName, shouted.c_str());
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, record));
    EXPECT_STREQ("File exist!", installMessage);
    EXPECT_EQ(valuesAfterFirst, RegistryValues(kFontKeyNt));
    EXPECT_TRUE(ReadWholeFile(FontsFolder() + FileName(MONO + 1)) == copyAfterFirst);
}

TEST_F(Install, AFileOfTheSameNameInTheFontsFolderIsNeverTouched)
{
    std::string theirs = FontsFolder() + FileName(MONO + 2);
    ASSERT_TRUE(WriteWholeFile(theirs, "somebody else's file"));
    fontsBefore = FolderListing(FontsFolder());

    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, Record(MONO + 2)));
    EXPECT_STREQ("File exist!", installMessage);
    EXPECT_EQ(1, targetExists);
    EXPECT_EQ("somebody else's file", ReadWholeFile(theirs));
    ExpectUntouched(MONO + 2);
}

/* ---- where the value and the file go ---- */

/* The prefix's 32-bit view has only the first key, so the second one is a key of
 * the test's own. */
TEST_F(Install, TheSecondFontListKeyServesWhenTheFirstDoesNotOpen)
{
    const char secondKey[] = "Software\\Zenvrix Tests\\Fonts";
    struct KeyOfTheTest {
        ~KeyOfTheTest()
        {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Zenvrix Tests\\Fonts");
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Zenvrix Tests");
        }
    } removeAtTheEnd;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, secondKey, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegCloseKey(key);
    strcpy(fontKeyNt, "Software\\Zenvrix Tests\\No Such Fonts");
    strcpy(fontKey, secondKey);
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SANS)));
    EXPECT_EQ(FileName(SANS), RegistryValue(secondKey, ValueName(SANS)));
    EXPECT_EQ(ValueLineAsRegPrintsIt(ValueName(SANS), FileName(SANS)),
              RegistryValueSeenFromOutside(secondKey, ValueName(SANS)));
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
}

TEST_F(Install, WithoutAnyFontListKeyNothingIsInstalled)
{
    strcpy(fontKeyNt, "Software\\Zenvrix Tests\\No Such Fonts");
    strcpy(fontKey, "Software\\Zenvrix Tests\\No Such Fonts Either");
    for (int mode = IDC_INSTALL_COPY; mode <= IDC_INSTALL_NOCOPY; mode++) {
        EXPECT_EQ(0, InstallWith(mode, Record(SANS + 1)));
        EXPECT_STREQ("Not installed!", installMessage);
        ExpectUntouched(SANS + 1);
    }
}

TEST_F(Install, WithoutAFontsFolderTheCopyGoesToTheSystemFolder)
{
    std::string windows = TempTestDir("ZvInstWindows");
    std::string system = TempTestDir("ZvInstSystem");
    extraFolders.push_back(system);
    snprintf(windowsDirectory, sizeof windowsDirectory, "%s",
             windows.substr(0, windows.size() - 1).c_str());
    snprintf(systemDirectory, sizeof systemDirectory, "%s",
             system.substr(0, system.size() - 1).c_str());

    ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SANS + 2)));
    EXPECT_TRUE(FileExists(system + FileName(SANS + 2)));
    EXPECT_FALSE(FileExists(windows + "Fonts"));
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(FileName(SANS + 2), RegistryValue(kFontKeyNt, ValueName(SANS + 2)));
    RemoveFontResourceA((system + FileName(SANS + 2)).c_str());
}

TEST_F(Install, WithAFontsFolderUnderTheWindowsFolderTheCopyGoesThere)
{
    std::string windows = TempTestDir("ZvInstWindows");
    ASSERT_TRUE(CreateDirectoryA((windows + "Fonts").c_str(), NULL));
    extraFolders.push_back(windows + "Fonts\\");
    snprintf(windowsDirectory, sizeof windowsDirectory, "%s",
             windows.substr(0, windows.size() - 1).c_str());

    ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SANS + 3)));
    EXPECT_TRUE(FileExists(windows + "Fonts\\" + FileName(SANS + 3)));
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    RemoveFontResourceA((windows + "Fonts\\" + FileName(SANS + 3)).c_str());
}

/* ---- failures leave nothing behind ---- */

struct FaultCase {
    const char *name;
    FaultPoint point;
    int mode;
    const char *message;
};

void PrintTo(const FaultCase &fault, std::ostream *out)
{
    *out << fault.name;
}

class InstallFault : public Install, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(InstallFault, LeavesTheFontsFolderAndTheRegistryAsTheyWereAndARetrySucceeds)
{
    const FaultCase &fault = GetParam();
    SetFault(fault.point, 0, 1);
    EXPECT_EQ(0, InstallWith(fault.mode, Record(SERIF + 1)));
    EXPECT_EQ(1, FaultCalls(fault.point)) << "the failure was not reached";
    EXPECT_STREQ(fault.message, installMessage);
    EXPECT_EQ(0, targetExists);
    ExpectUntouched(SERIF + 1);

    /* Nothing partial stands in the way of the next attempt. */
    ClearFaults();
    EXPECT_EQ(1, InstallWith(fault.mode, Record(SERIF + 1)));
    EXPECT_STREQ("", installMessage);
    if (fault.mode == IDC_INSTALL_COPY) {
        EXPECT_TRUE(ReadWholeFile(FontsFolder() + FileName(SERIF + 1)) ==
                    ReadWholeFile(TestFontFolder(kPrefix) + FileName(SERIF + 1)));
    }
}

const FaultCase kFaults[] = {
    {"RegistryWriteInCopyMode", FAULT_REG_SET_VALUE, IDC_INSTALL_COPY, "Not installed!"},
    {"RegistryWriteWithoutCopy", FAULT_REG_SET_VALUE, IDC_INSTALL_NOCOPY, "Not installed!"},
    {"AddFontResourceInCopyMode", FAULT_ADD_FONT_RESOURCE, IDC_INSTALL_COPY, "Not installed!"},
    {"AddFontResourceWithoutCopy", FAULT_ADD_FONT_RESOURCE, IDC_INSTALL_NOCOPY,
     "Not installed!"},
    {"ShortReadOfTheSource", FAULT_FILE_READ, IDC_INSTALL_COPY, "Can't copy file!"},
    {"ShortWriteOfTheCopy", FAULT_FILE_WRITE, IDC_INSTALL_COPY, "Can't copy file!"},
    {"NoMemoryForTheCopy", FAULT_GLOBAL_ALLOC, IDC_INSTALL_COPY, "Can't copy file!"},
};

INSTANTIATE_TEST_SUITE_P(EachFailure, InstallFault, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase> &info) {
                             return std::string(info.param.name);
                         });

/* ---- CopyFontFile alone ---- */

class CopyFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearFaults();
        source = TestFontFolder(kPrefix) + FileName(MONO);
        ASSERT_TRUE(FileExists(source));
        folder = TempTestDir("ZvInstCopy");
        target = folder + "copy.ttf";
    }
    void TearDown() override { ClearFaults(); }
    std::string source, folder, target;
};

TEST_F(CopyFont, CopiesEveryByteAndLeavesNothingElseInTheFolder)
{
    EXPECT_EQ(1, CopyFontFile(source.c_str(), target.c_str()));
    EXPECT_EQ(0, targetExists);
    EXPECT_TRUE(ReadWholeFile(target) == ReadWholeFile(source));
    EXPECT_EQ(1u, FolderListing(folder).size());
}

TEST_F(CopyFont, RefusesAnExistingTargetAndLeavesItAsItWas)
{
    ASSERT_TRUE(WriteWholeFile(target, "keep"));
    EXPECT_EQ(0, CopyFontFile(source.c_str(), target.c_str()));
    EXPECT_EQ(1, targetExists);
    EXPECT_EQ("keep", ReadWholeFile(target));
    EXPECT_EQ(1u, FolderListing(folder).size());
}

TEST_F(CopyFont, AMissingSourceCreatesNoTarget)
{
    targetExists = 1;
    EXPECT_EQ(0, CopyFontFile((folder + "missing.ttf").c_str(), target.c_str()));
    EXPECT_EQ(0, targetExists);
    EXPECT_TRUE(FolderListing(folder).empty());
}

TEST_F(CopyFont, AReadOrWriteThatStopsHalfWayLeavesNoPartialFile)
{
    const FaultPoint points[] = {FAULT_FILE_READ, FAULT_FILE_WRITE, FAULT_GLOBAL_ALLOC};
    for (FaultPoint point : points) {
        SetFault(point, 0, 1);
        EXPECT_EQ(0, CopyFontFile(source.c_str(), target.c_str())) << "fault " << point;
        EXPECT_EQ(0, targetExists);
        EXPECT_TRUE(FolderListing(folder).empty()) << "fault " << point;
        ClearFaults();
    }
    /* A failing read or write that moves nothing at all is a failure too. */
    SetFault(FAULT_FILE_WRITE, 0, 1);
    std::string tiny = folder + "tiny.bin";
    ASSERT_TRUE(WriteWholeFile(tiny, "x"));
    EXPECT_EQ(0, CopyFontFile(tiny.c_str(), target.c_str()));
    EXPECT_FALSE(FileExists(target));
}

/* ---- the WM_FONTCHANGE broadcast ---- */

/* A sentinel Catalogue: a rescan (of the installed fonts) would replace it. */
void PutSentinelCatalogue(void)
{
    settings.sourceIsDirectory = 0;
    FontRecord sentinel = Record(SANS);
    strcpy(sentinel.fullFontName, "sentinel");
    FillList(&catalogue, std::vector<FontRecord>(1, sentinel));
    FillList(&displayList, std::vector<FontRecord>(1, sentinel));
}

bool SentinelCatalogueKept(void)
{
    return catalogue.count == 1 && strcmp(catalogue.records[0]->fullFontName, "sentinel") == 0;
}

TEST_F(Install, OurOwnBroadcastReachesTheMainWindowAtOnceWithoutARescan)
{
    PutSentinelCatalogue();
    FontChangeCounter changes;
    int result = InstallWith(IDC_INSTALL_COPY, Record(SERIF + 2));
    int seenDuringInstall = changes.seen();
    PumpMessages();

    EXPECT_EQ(1, result);
    EXPECT_EQ(1, seenDuringInstall) << "the main window must hear it before InstallFont returns";
    EXPECT_EQ(1, changes.seen());
    EXPECT_EQ(1, changes.ownFlag());
    EXPECT_EQ(0, shell.ownFontChange);
    EXPECT_TRUE(SentinelCatalogueKept());
}

TEST_F(Install, NoBroadcastAfterAFailure)
{
    PutSentinelCatalogue();
    FontChangeCounter changes;
    SetFault(FAULT_REG_SET_VALUE, 0, 1);
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, Record(SERIF + 2)));
    PumpMessages();
    EXPECT_EQ(0, changes.seen());
}

/* Another program's broadcast, sent from a thread of its own. */
DWORD WINAPI BroadcastFromElsewhere(void *)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_NORMAL, 10000, &result);
    return 0;
}

/* Pumps this thread's messages until the handle is signalled (at most 20 s). */
bool PumpUntil(HANDLE handle)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
        DWORD wait = MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0)
            return true;
        PumpMessages();
    }
    return false;
}

TEST_F(Install, AFontChangeFromAnotherProgramRescans)
{
    PutSentinelCatalogue();
    HANDLE thread = CreateThread(NULL, 0, BroadcastFromElsewhere, NULL, 0, NULL);
    ASSERT_NE((HANDLE)NULL, thread);
    EXPECT_TRUE(PumpUntil(thread));
    CloseHandle(thread);
    EXPECT_FALSE(SentinelCatalogueKept());
    EXPECT_GT(catalogue.count, 1) << "the installed fonts are shown again";
}

/* A top-level window whose thread does not answer messages for a while. */
struct HungWindow {
    HANDLE ready;
    HANDLE release;
    int fontChanges;
};
HungWindow hung;

LRESULT CALLBACK HungWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_FONTCHANGE)
        hung.fontChanges++;
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI HungThread(void *)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = HungWindowProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "ZvInstHung";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ZvInstHung", "hung", WS_OVERLAPPED, 0, 0, 50, 50, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    SetEvent(hung.ready);
    /* Busy elsewhere: no message is looked at until released, or for 6 s. */
    WaitForSingleObject(hung.release, 6000);
    MSG message;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 500) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    DestroyWindow(window);
    UnregisterClassA("ZvInstHung", GetModuleHandleA(NULL));
    return 0;
}

TEST_F(Install, AHungWindowElsewhereDoesNotHoldUpTheInstall)
{
    hung.ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    hung.release = CreateEventA(NULL, TRUE, FALSE, NULL);
    hung.fontChanges = 0;
    HANDLE thread = CreateThread(NULL, 0, HungThread, NULL, 0, NULL);
    ASSERT_NE((HANDLE)NULL, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hung.ready, 10000));

    DWORD start = GetTickCount();
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SERIF + 3)));
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 3000u) << "InstallFont waited for the hung window";

    SetEvent(hung.release);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 15000));
    EXPECT_EQ(1, hung.fontChanges) << "the hung window hears the change once it answers";
    CloseHandle(thread);
    CloseHandle(hung.ready);
    CloseHandle(hung.release);
}

/* ---- the options ---- */

TEST(InstallOptions, StartAsCopyAndSelectedFont)
{
    installMode = IDC_INSTALL_NOCOPY;
    installScope = IDC_SCOPE_DIRECTORY;
    ResetInstallOptions();
    EXPECT_EQ(IDC_INSTALL_COPY, installMode);
    EXPECT_EQ(IDC_SCOPE_SELECTED, installScope);
}

} // namespace
