/* install_test.cpp - installing folder fonts (DejaVu Sans renamed "ZvInst") into the test's
 * Wine prefix: copied or in place, for the user alone when refused machine-wide, refused when
 * listed already, nothing left behind on any failure, the Install Font dialog's options and
 * failure boxes. */
#include <algorithm>

#include "harness.h"
#include "install/install.h"

const char kPrefix[] = "ZvInst";
const int copy = IDC_INSTALL_COPY, inPlace = IDC_INSTALL_NOCOPY;

std::string Value(const char *keyPath, const std::string &name, HKEY root = HKEY_LOCAL_MACHINE)
{
    char data[400] = "";
    DWORD size = sizeof data;
    RegGetValueA(root, keyPath, name.c_str(), RRF_RT_REG_SZ, NULL, data, &size);
    return data;
}

/* What an installation can change: the Fonts folders ("." and "..": whether there), the font lists, the system's. */
std::string SystemState(void)
{
    std::string state;
    WIN32_FIND_DATAA entry;
    for (const std::string &folder : {FontsFolder(), UserFontsFolder()}) {
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
            state += std::string(entry.cFileName) + " " + std::to_string(entry.nFileSizeLow) + "\n";
        FindClose(find);
    }
    HKEY key = NULL;
    state += RegOpenKeyExA(HKEY_CURRENT_USER, fontKeyNt, 0, KEY_READ, &key) ? "" : "user key\n";
    for (const char *full : {"ZvInst Sans Oblique (TrueType)", "ZvInst Sans (TrueType)"})
        state += Value(fontKeyNt, full) + Value(fontKey, full) + Value(fontKeyNt, full, HKEY_CURRENT_USER);
    return RegCloseKey(key), state + (FamilyListed("ZvInst Sans") ? "listed" : "not listed");
}

/* chattr +i: every write refused, even root's; Wine says access denied. */
void Immutable(const char *flag) { RunLinux(std::string("chattr ") + flag + " \"$WINEPREFIX/drive_c/windows/Fonts\""); }
/* Refused machine-wide: 1 by the Fonts folder, 2 opening its key, 3 setting the value. */
void Refuse(int how) { how == 1 ? Immutable("+i") : SetFault(how == 2 ? FAULT_REG_OPEN : FAULT_REG_SET_VALUE, 0, how > 1); }

class Install : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp(), Immutable("-i"), ForgetFonts(kPrefix), RegDeleteKeyA(HKEY_CURRENT_USER, fontKeyNt);
        folder = TempDir(kPrefix);
        for (const char *file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf"}) RenamedFont(file, kPrefix);
        ScanFolder(folder);
        ASSERT_EQ(3, catalogue.count);
        before = SystemState();
    }
    void TearDown() override { Immutable("-i"), ForgetFonts(kPrefix), Program::TearDown(); }
    const FontRecord *Record(const std::string &fullName)
    {
        return *std::find_if(catalogue.records, catalogue.records + catalogue.count,
                             [&](const FontRecord *record) { return fullName == record->fullFontName; });
    }
    std::string folder, before;
};

TEST_F(Install, MachineWideOrWhereThatIsRefusedForTheUserCopiedOrInPlaceTheFontIsListedOnce)
{
    const std::string source = folder + "ZvInstSans.ttf", machine = FontsFolder() + "ZvInstSans.ttf", user = UserFontsFolder() + "ZvInstSans.ttf";
    const struct { int mode, refusal; std::string machineValue, userValue; } cases[] = {{copy, 0, "ZvInstSans.ttf", ""},
        {inPlace, 0, source, ""}, {copy, 1, "", user}, {copy, 2, "", user}, {inPlace, 2, "", source}, {inPlace, 3, "", source}};
    for (const auto &c : cases) {
        installMode = c.mode, Refuse(c.refusal), WriteFile(scratchFotPath, "x");
        EXPECT_EQ(1, InstallFont(Record("ZvInst Sans"))) << installMessage;
        EXPECT_EQ(c.mode == copy ? "" : "x", ReadFile(scratchFotPath) + (shell.ownFontChange ? ", own font change" : "")); /* a copy takes the scratch file */
        ClearFaults(), Immutable("-i");
        EXPECT_EQ(c.machineValue + "||" + c.userValue, Value(fontKeyNt, "ZvInst Sans (TrueType)") + "|" + Value(fontKey, "ZvInst Sans (TrueType)") +
                                                           "|" + Value(fontKeyNt, "ZvInst Sans (TrueType)", HKEY_CURRENT_USER));
        EXPECT_TRUE(ReadFile(machine) + ReadFile(user) == (c.mode == copy ? ReadFile(source) : "")) << c.refusal; /* one copy */
        HDC dc = GetDC(NULL);
        EXPECT_EQ(1, IsFontInstalled(dc, "ZvInst Sans") - IsFontInstalled(dc, "zvinst sans"));
        ReleaseDC(NULL, dc);
        for (int mode : {copy, inPlace}) {
            installMode = mode;
            EXPECT_EQ(0, InstallFont(Record("ZvInst Sans")));
            EXPECT_EQ(std::string("Font 'ZvInst Sans' ") + textAlreadyInstalled + "!", installMessage);
        }
        ForgetFonts(kPrefix);
    }
}

TEST_F(Install, EveryInjectedFailureOrAFileInTheWayLeavesNothingBehind)
{
    const struct { int mode, refusal; FaultPoint fault; int okCalls; const char *message; } cases[] = { /* the last two: no fault */
        {copy, 0, FAULT_FILE_READ, 0, textCantCopy},           {copy, 0, FAULT_FILE_WRITE, 0, textCantCopy},
        {copy, 0, FAULT_GLOBAL_ALLOC, 0, textCantCopy},        {copy, 0, FAULT_ADD_FONT_RESOURCE, 0, textNotInstalled},
        {copy, 0, FAULT_REG_SET_VALUE, 0, textNotInstalled},   {inPlace, 0, FAULT_ADD_FONT_RESOURCE, 0, textNotInstalled},
        {inPlace, 0, FAULT_REG_SET_VALUE, 0, textNotInstalled}, {inPlace, 0, FAULT_REG_OPEN, 0, textNotInstalled},
        {copy, 1, FAULT_FILE_READ, 1, textCantCopy},           {copy, 1, FAULT_ADD_FONT_RESOURCE, 0, textNotInstalled},
        {copy, 1, FAULT_REG_OPEN, 0, textNotInstalled},        {inPlace, 2, FAULT_ADD_FONT_RESOURCE, 1, textNotInstalled},
        {copy, 0, FAULT_HEAP, 0, textFileExist},               {copy, 1, FAULT_HEAP, 0, textFileExist}};
    for (const auto &c : cases) {
        if (c.fault == FAULT_HEAP) /* a file of that name in the user's or the machine's Fonts folder stays as it was */
            CreateDirectoryA(UserFontsFolder().c_str(), NULL), before = (WriteFile((c.refusal ? UserFontsFolder() : FontsFolder()) +
                                                                                  "ZvInstSans-Oblique.ttf", "someone else's file"), SystemState());
        installMode = c.mode, Refuse(c.refusal), SetFault(c.fault, c.okCalls, c.fault == FAULT_HEAP ? 0 : -1);
        EXPECT_EQ(0, InstallFont(Record("ZvInst Sans Oblique"))) << c.fault;
        ClearFaults(), Immutable("-i");
        EXPECT_STREQ(c.message, installMessage) << c.fault;
        EXPECT_EQ(before, SystemState()) << c.mode << " fault " << c.fault;
        for (const std::string &fonts : {FontsFolder(), UserFontsFolder()}) /* no font resource left */
            EXPECT_FALSE(RemoveFontResourceA((fonts + "ZvInstSans-Oblique.ttf").c_str())) << c.fault;
    }
}

TEST_F(Install, TheDialogInstallsTheFontItsStylesOrTheFolderShowsTheFontInfoAndCancelInAFailureBoxStops)
{
    installMode = IDC_INSTALL_NOCOPY, Refresh();
    LPARAM firstCell = MAKELPARAM(pageLayout.originX + 20, pageLayout.cellTopOffset + 10);
    DialogStep choice = Check(Check(Check(Check(Dialog("Install Font"), IDC_INSTALL_NOCOPY, false), IDC_INSTALL_COPY, true), IDC_SCOPE_SELECTED, false), IDC_SCOPE_DIRECTORY, true);
    ScriptExpect(Inspect(choice, [](HWND dialog) {
        for (int id : {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED, IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY})
            EXPECT_EQ(id == IDC_INSTALL_NOCOPY || id == IDC_SCOPE_SELECTED, IsDlgButtonChecked(dialog, id) == BST_CHECKED) << id;
    })); /* the options as they stand */
    ScriptExpect(Box(std::string(textNotInstalled) + "\nFont ZvInst Sans Bold will be not installed", "Error", IDCANCEL)); /* the folder's first; no second box */
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, -1), SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, firstCell), ClearFaults();
    EXPECT_EQ("", ScriptEnd());
    EXPECT_EQ(before, SystemState());
    ScriptBegin(), ScriptExpect(Inspect(Check(Check(Dialog("Install Font"), IDC_SCOPE_DIRECTORY, false), IDC_SCOPE_SELECTED, true), [](HWND dialog) {
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_INSTALL_COPY) & IsDlgButtonChecked(dialog, IDC_SCOPE_DIRECTORY)); /* the options chosen stay */
        SendMessageA(dialog, WM_COMMAND, IDC_FONT_INFO, 0);
        EXPECT_TRUE(IsWindow(dialog)); /* the box over it ends alone */
    }));
    ScriptExpect(Inspect(Dialog("Font information"), [](HWND box) {
        EXPECT_EQ("Font Family: ZvInst Sans\r\nFont Subfamily: Bold\r\nFull font name: ZvInst Sans Bold\r\nVersion: Version 2.37\r\nFont Identifier: ZvInst Sans Bold\r\nCopyright: "
                  "Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved.\nCopyright (c) 2006 by Tavmjong Bah. All R\r\nTrademark: \r\n", ControlText(box, IDC_FONTINFO_TEXT));
    }));
    ScriptExpect(Check(Check(Dialog("Install Font"), IDC_SCOPE_SELECTED, false), IDC_SCOPE_STYLES, true)); /* then the family: the first is in */
    ScriptExpect(Box(std::string("Font 'ZvInst Sans Bold' ") + textAlreadyInstalled + "!\nFont ZvInst Sans Bold will be not installed"));
    SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, firstCell), SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, firstCell);
    EXPECT_EQ("", ScriptEnd());
    EXPECT_EQ("ZvInstSans.ttf|ZvInstSans-Bold.ttf|ZvInstSans-Oblique.ttf", Value(fontKeyNt, "ZvInst Sans (TrueType)") + "|" +
        Value(fontKeyNt, "ZvInst Sans Bold (TrueType)") + "|" + Value(fontKeyNt, "ZvInst Sans Oblique (TrueType)"));
}
