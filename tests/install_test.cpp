/* install_test.cpp - installing a font file into the test's Wine prefix: both modes
 * checked in the Fonts folder and registry (from this process and another), the
 * already-installed test, "File exist!", the choice of key and target folder, every
 * failure leaving folder and registry as they were, and the WM_FONTCHANGE broadcast. */
#include <gtest/gtest.h>

#include <string.h>

#include "app/faults.h"
#include "install_support.h"
#include "resources/resource.h"

using namespace installtest;

namespace {

class Install : public ProgramWithTestFonts {
protected:
    Install() : ProgramWithTestFonts("ZvInst") {}

    /* Nothing of the failed call is left: same files, same values, font not listed. */
    void ExpectUntouched(int index)
    {
        EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
        EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
        EXPECT_EQ(valuesBefore, RegistryValues(kFontKey));
        EXPECT_FALSE(Listed(index));
    }
    int InstallWith(int mode, const FontRecord &record)
    {
        installMode = mode;
        installMessage[0] = 0;
        return InstallFont(&record);
    }
    std::string Source(int index) { return ReadWholeFile(TestFontFolder(prefix) + FileName(index)); }
    std::string Copy(int index) { return ReadWholeFile(FontsFolder() + FileName(index)); }
};

/* ---- the two modes ---- */

/* The source lies deep in a folder tree: a path of over 200 characters. */
TEST_F(Install, CopyModePutsTheFileInTheFontsFolderAndItsNameInTheFontList)
{
    std::string folder = TempTestDir("ZvInstDeep");
    for (int depth = 0; depth < 3; depth++)
        ASSERT_TRUE(CreateDirectoryA((folder += std::string(60, 'd') + "\\").c_str(), NULL));
    FontRecord record = Record(MONO);
    ASSERT_TRUE(WriteWholeFile(folder + FileName(MONO), Source(MONO)));
    snprintf(record.filePath, sizeof record.filePath, "%s%s", folder.c_str(), record.fileName);
    ASSERT_GT(strlen(record.filePath), 200u);
    ASSERT_EQ(0, FamilyListed(FullName(MONO)));

    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, record));
    EXPECT_STREQ("", installMessage);
    ASSERT_GT(Source(MONO).size(), 100000u);
    EXPECT_TRUE(Copy(MONO) == Source(MONO));
    EXPECT_TRUE(ReadWholeFile(PrefixFontsFolder() + FileName(MONO)) == Source(MONO))
        << "not in the prefix's drive_c\\windows\\Fonts";
    EXPECT_EQ(FileName(MONO), RegistryValue(kFontKeyNt, ValueName(MONO)));
    EXPECT_EQ(FileName(MONO), RegistryValueSeenFromOutside(kFontKeyNt, ValueName(MONO)));
    std::map<std::string, DWORD> fontsNow = FolderListing(FontsFolder());
    fontsNow.erase(FileName(MONO));
    EXPECT_EQ(fontsBefore, fontsNow) << "only the font's own file is new";
    EXPECT_TRUE(Listed(MONO));
    EXPECT_EQ(1, FamilyListed(FullName(MONO)));
}

TEST_F(Install, NoCopyModeRecordsTheFullPathAndLeavesTheFontsFolderAlone)
{
    FontRecord record = Record(MONO + 1);
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_NOCOPY, record));
    EXPECT_STREQ("", installMessage);
    EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
    EXPECT_EQ(record.filePath, RegistryValue(kFontKeyNt, ValueName(MONO + 1)));
    EXPECT_EQ(record.filePath, RegistryValueSeenFromOutside(kFontKeyNt, ValueName(MONO + 1)));
    EXPECT_TRUE(Listed(MONO + 1));
}

/* ---- what is already there ---- */

TEST_F(Install, AFontTheSystemListsIsRefusedAsAlreadyInstalledInBothModes)
{
    /* Wine lists the Debian fonts: the real DejaVu Sans Bold file, as the scan reads it. */
    FontRecord system;
    ZeroMemory(&system, sizeof system);
    strcpy(system.logFont.lfFaceName, "DejaVu Sans");
    strcpy(system.fileName, "DejaVuSans-Bold.ttf");
    snprintf(system.filePath, sizeof system.filePath, "%s",
             RealFont("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf").c_str());
    strcpy(system.fullFontName, "DejaVu Sans Bold");
    for (int mode = IDC_INSTALL_COPY; mode <= IDC_INSTALL_NOCOPY; mode++) {
        EXPECT_EQ(0, InstallWith(mode, system));
        EXPECT_STREQ("Font 'DejaVu Sans Bold' already installed!", installMessage);
    }
    ExpectUntouched(SERIF);

    /* Our own install, once done, is refused alike and stays as it was. */
    ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SERIF)));
    std::string copy = Copy(SERIF);
    for (int mode = IDC_INSTALL_COPY; mode <= IDC_INSTALL_NOCOPY; mode++) {
        EXPECT_EQ(0, InstallWith(mode, Record(SERIF)));
        EXPECT_EQ("Font '" + FullName(SERIF) + "' already installed!", std::string(installMessage));
    }
    EXPECT_TRUE(Copy(SERIF) == copy);
    EXPECT_EQ(FileName(SERIF), RegistryValue(kFontKeyNt, ValueName(SERIF)));
}

TEST_F(Install, UpperAndLowerCaseMatterInTheAlreadyListedTest)
{
    ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(MONO + 1)));
    std::map<std::string, std::string> valuesAfterFirst = RegistryValues(kFontKeyNt);
    std::string copyAfterFirst = Copy(MONO + 1);
    std::string shouted = FullName(MONO + 1);
    for (char &c : shouted)
        c = (char)toupper((unsigned char)c);
    EXPECT_TRUE(Listed(MONO + 1));
    EXPECT_FALSE(Installed(shouted));

    /* The same file under the shouted name passes that test, then meets its own copy. */
    FontRecord record = Record(MONO + 1);
    strcpy(record.fullFontName, shouted.c_str());
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, record));
    EXPECT_STREQ("File exist!", installMessage);
    EXPECT_EQ(valuesAfterFirst, RegistryValues(kFontKeyNt));
    EXPECT_TRUE(Copy(MONO + 1) == copyAfterFirst);
}

TEST_F(Install, AFileOfTheSameNameInTheFontsFolderIsNeverTouched)
{
    ASSERT_TRUE(WriteWholeFile(FontsFolder() + FileName(MONO + 2), "somebody else's file"));
    fontsBefore = FolderListing(FontsFolder());
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, Record(MONO + 2)));
    EXPECT_STREQ("File exist!", installMessage);
    EXPECT_EQ(1, targetExists);
    EXPECT_EQ("somebody else's file", Copy(MONO + 2));
    ExpectUntouched(MONO + 2);
}

/* ---- where the value and the file go ---- */

/* Without either font-list key nothing is installed; the second key serves when the
 * first does not open (the prefix's 32-bit view has only the first, so the second is
 * one of our own). */
TEST_F(Install, TheSecondFontListKeyServesWhenTheFirstDoesNotOpenAndWithoutEitherNothingIsInstalled)
{
    const char secondKey[] = "Software\\Zenvrix Tests\\Fonts";
    strcpy(fontKeyNt, "Software\\Zenvrix Tests\\No Such Fonts");
    strcpy(fontKey, secondKey);
    for (int mode = IDC_INSTALL_COPY; mode <= IDC_INSTALL_NOCOPY; mode++) {
        EXPECT_EQ(0, InstallWith(mode, Record(SANS + 1)));
        EXPECT_STREQ("Not installed!", installMessage);
        ExpectUntouched(SANS + 1);
    }
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, secondKey, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegCloseKey(key);
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SANS)));
    EXPECT_EQ(FileName(SANS), RegistryValue(secondKey, ValueName(SANS)));
    EXPECT_EQ(FileName(SANS), RegistryValueSeenFromOutside(secondKey, ValueName(SANS)));
    EXPECT_EQ(ntValuesBefore, RegistryValues(kFontKeyNt));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, secondKey);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Zenvrix Tests");
}

/* The copy goes to <windows>\Fonts when that folder exists, else to the system folder. */
TEST_F(Install, TheCopyGoesToTheWindowsFontsFolderOrElseToTheSystemFolder)
{
    for (bool withFonts : {false, true}) {
        SCOPED_TRACE(withFonts ? "with a Fonts folder" : "without a Fonts folder");
        int index = withFonts ? SANS + 3 : SANS + 2;
        std::string windows = TempTestDir(withFonts ? "ZvInstWindowsF" : "ZvInstWindows");
        std::string system = TempTestDir(withFonts ? "ZvInstSystemF" : "ZvInstSystem");
        ASSERT_TRUE(!withFonts || CreateDirectoryA((windows + "Fonts").c_str(), NULL));
        std::string target = (withFonts ? windows + "Fonts\\" : system) + FileName(index);
        snprintf(windowsDirectory, sizeof windowsDirectory, "%.*s", (int)windows.size() - 1, windows.c_str());
        snprintf(systemDirectory, sizeof systemDirectory, "%.*s", (int)system.size() - 1, system.c_str());
        ASSERT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(index)));
        EXPECT_TRUE(FileExists(target));
        EXPECT_EQ(withFonts, FileExists(windows + "Fonts"));
        EXPECT_FALSE(FileExists((withFonts ? system : windows + "Fonts\\") + FileName(index)));
        EXPECT_EQ(fontsBefore, FolderListing(FontsFolder()));
        EXPECT_EQ(FileName(index), RegistryValue(kFontKeyNt, ValueName(index)));
        RemoveFontResourceA(target.c_str());
    }
}

/* ---- failures leave nothing behind ---- */

struct FaultCase {
    const char *name;
    FaultPoint point;
    int mode;
    const char *message;
};

void PrintTo(const FaultCase &fault, std::ostream *out) { *out << fault.name; }

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

    ClearFaults();
    EXPECT_EQ(1, InstallWith(fault.mode, Record(SERIF + 1))) << "something partial was left";
    EXPECT_STREQ("", installMessage);
    EXPECT_TRUE(fault.mode != IDC_INSTALL_COPY || Copy(SERIF + 1) == Source(SERIF + 1));
}

const FaultCase kFaults[] = {
    {"RegistryWriteInCopyMode", FAULT_REG_SET_VALUE, IDC_INSTALL_COPY, "Not installed!"},
    {"RegistryWriteWithoutCopy", FAULT_REG_SET_VALUE, IDC_INSTALL_NOCOPY, "Not installed!"},
    {"AddFontResourceInCopyMode", FAULT_ADD_FONT_RESOURCE, IDC_INSTALL_COPY, "Not installed!"},
    {"AddFontResourceWithoutCopy", FAULT_ADD_FONT_RESOURCE, IDC_INSTALL_NOCOPY, "Not installed!"},
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
        ASSERT_TRUE(FileExists(source));
    }
    void TearDown() override { ClearFaults(); }
    const std::string source = TestFontFolder("ZvInst") + TestFileName("ZvInst", MONO);
    const std::string folder = TempTestDir("ZvInstCopy"), target = folder + "copy.ttf";
    int Copy(const std::string &from) { return CopyFontFile(from.c_str(), target.c_str()); }
};

TEST_F(CopyFont, CopiesEveryByteOrRefusesAnExistingTargetLeavingItAsItWas)
{
    EXPECT_EQ(1, Copy(source));
    EXPECT_EQ(0, targetExists);
    EXPECT_TRUE(ReadWholeFile(target) == ReadWholeFile(source));
    ASSERT_TRUE(WriteWholeFile(target, "keep"));
    EXPECT_EQ(0, Copy(source));
    EXPECT_EQ(1, targetExists);
    EXPECT_EQ("keep", ReadWholeFile(target));
    EXPECT_EQ(1u, FolderListing(folder).size());
}

TEST_F(CopyFont, AMissingSourceOrAReadOrWriteThatStopsLeavesNoFile)
{
    targetExists = 1;
    EXPECT_EQ(0, Copy(folder + "missing.ttf"));
    EXPECT_EQ(0, targetExists);
    EXPECT_TRUE(FolderListing(folder).empty());
    for (FaultPoint point : {FAULT_FILE_READ, FAULT_FILE_WRITE, FAULT_GLOBAL_ALLOC}) {
        SetFault(point, 0, 1);
        EXPECT_EQ(0, Copy(source)) << "fault " << point;
        EXPECT_EQ(0, targetExists);
        EXPECT_TRUE(FolderListing(folder).empty()) << "fault " << point;
        ClearFaults();
    }
    /* A failing write that moves nothing at all is a failure too. */
    ASSERT_TRUE(WriteWholeFile(folder + "tiny.bin", "x"));
    SetFault(FAULT_FILE_WRITE, 0, 1);
    EXPECT_EQ(0, Copy(folder + "tiny.bin"));
    EXPECT_FALSE(FileExists(target));
}

/* ---- the WM_FONTCHANGE broadcast ---- */

/* A sentinel Catalogue: a rescan (of the installed fonts) would replace it. */
void PutSentinelCatalogue(const FontRecord &like)
{
    settings.sourceIsDirectory = 0;
    FontRecord sentinel = like;
    strcpy(sentinel.fullFontName, "sentinel");
    FillList(&catalogue, std::vector<FontRecord>(1, sentinel));
    FillList(&displayList, std::vector<FontRecord>(1, sentinel));
}

bool SentinelCatalogueKept(void)
{
    return catalogue.count == 1 && strcmp(catalogue.records[0]->fullFontName, "sentinel") == 0;
}

TEST_F(Install, OurOwnBroadcastReachesTheMainWindowAtOnceWithoutARescanAndNotAfterAFailure)
{
    PutSentinelCatalogue(Record(SANS));
    FontChangeCounter changes;
    SetFault(FAULT_REG_SET_VALUE, 0, 1);
    EXPECT_EQ(0, InstallWith(IDC_INSTALL_COPY, Record(SERIF + 2)));
    PumpMessages();
    EXPECT_EQ(0, changes.seen()) << "a failed install is not announced";
    ClearFaults();

    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SERIF + 2)));
    EXPECT_EQ(1, changes.seen()) << "the main window must hear it before InstallFont returns";
    PumpMessages();
    EXPECT_EQ(1, changes.seen());
    EXPECT_EQ(1, changes.ownFlag());
    EXPECT_EQ(0, shell.ownFontChange);
    EXPECT_TRUE(SentinelCatalogueKept());
}

/* Another program's broadcast, sent from a thread of its own. */
DWORD WINAPI BroadcastFromElsewhere(void *)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_NORMAL, 10000, &result);
    return 0;
}

TEST_F(Install, AFontChangeFromAnotherProgramRescans)
{
    PutSentinelCatalogue(Record(SANS));
    HANDLE thread = CreateThread(NULL, 0, BroadcastFromElsewhere, NULL, 0, NULL);
    ASSERT_NE((HANDLE)NULL, thread);
    bool ended = false;
    for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < 20000; PumpMessages())
        ended = MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended);
    CloseHandle(thread);
    EXPECT_FALSE(SentinelCatalogueKept());
    EXPECT_GT(catalogue.count, 1) << "the installed fonts are shown again";
}

/* A top-level window whose thread does not answer messages until released (6 s). */
HANDLE hungReady, hungRelease;
int hungFontChanges;

LRESULT CALLBACK HungWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    hungFontChanges += message == WM_FONTCHANGE;
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
    SetEvent(hungReady);
    WaitForSingleObject(hungRelease, 6000);
    MSG message;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 500; Sleep(10))
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    DestroyWindow(window);
    UnregisterClassA("ZvInstHung", GetModuleHandleA(NULL));
    return 0;
}

TEST_F(Install, AHungWindowElsewhereDoesNotHoldUpTheInstall)
{
    hungReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    hungRelease = CreateEventA(NULL, TRUE, FALSE, NULL);
    hungFontChanges = 0;
    HANDLE thread = CreateThread(NULL, 0, HungThread, NULL, 0, NULL);
    ASSERT_NE((HANDLE)NULL, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hungReady, 10000));

    DWORD start = GetTickCount();
    EXPECT_EQ(1, InstallWith(IDC_INSTALL_COPY, Record(SERIF + 3)));
    EXPECT_LT(GetTickCount() - start, 3000u) << "InstallFont waited for the hung window";

    SetEvent(hungRelease);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 15000));
    EXPECT_EQ(1, hungFontChanges) << "the hung window hears the change once it answers";
    CloseHandle(thread);
    CloseHandle(hungReady);
    CloseHandle(hungRelease);
}

TEST(InstallOptions, StartAsCopyAndSelectedFont)
{
    installMode = IDC_INSTALL_NOCOPY;
    installScope = IDC_SCOPE_DIRECTORY;
    ResetInstallOptions();
    EXPECT_EQ(IDC_INSTALL_COPY, installMode);
    EXPECT_EQ(IDC_SCOPE_SELECTED, installScope);
}

} // namespace
