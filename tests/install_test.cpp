/* install_test.cpp - installing folder fonts (DejaVu Sans renamed "ZvInst") into the
 * test's Wine prefix: copied or in place, refused when listed already, nothing left
 * behind on any failure, and the Install Font dialog's options and failure boxes. */
#include <algorithm>

#include "harness.h"
#include "install/install.h"

const char kPrefix[] = "ZvInst";

std::string Value(const char *keyPath, const std::string &name)
{
    char data[400] = "";
    DWORD size = sizeof data;
    RegGetValueA(HKEY_LOCAL_MACHINE, keyPath, name.c_str(), RRF_RT_REG_SZ, NULL, data, &size);
    return data;
}

/* What an installation can change: the Fonts folder, both font lists, the system's. */
std::string SystemState(void)
{
    std::string state;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((FontsFolder() + "*").c_str(), &entry);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry))
        state += std::string(entry.cFileName) + " " + std::to_string(entry.nFileSizeLow) + "\n";
    FindClose(find);
    for (const char *full : {"ZvInst Sans Oblique", "ZvInst Sans"})
        state += Value(fontKeyNt, full + std::string(" (TrueType)")) + Value(fontKey, full + std::string(" (TrueType)"));
    return state + (FamilyListed("ZvInst Sans") ? "listed" : "not listed");
}

class Install : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        ForgetFonts(kPrefix);
        folder = TempDir(kPrefix);
        for (const char *file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf"})
            RenamedFont(file, kPrefix);
        ScanFolder(folder);
        ASSERT_EQ(3, catalogue.count);
        before = SystemState();
    }
    void TearDown() override { ForgetFonts(kPrefix), Program::TearDown(); }
    const FontRecord *Record(const std::string &fullName)
    {
        return *std::find_if(catalogue.records, catalogue.records + catalogue.count,
                             [&](const FontRecord *record) { return fullName == record->fullFontName; });
    }
    std::string folder, before;
};

TEST_F(Install, CopiedOrInPlaceTheFontIsListedOnceAndCaseMattersInTheTest)
{
    installMode = IDC_INSTALL_COPY;
    ASSERT_EQ(1, InstallFont(Record("ZvInst Sans")));
    EXPECT_EQ(ReadFile(folder + "ZvInstSans.ttf"), ReadFile(FontsFolder() + "ZvInstSans.ttf"));
    EXPECT_EQ("ZvInstSans.ttf", Value(fontKeyNt, "ZvInst Sans (TrueType)"));
    EXPECT_EQ("", Value(fontKey, "ZvInst Sans (TrueType)"));
    installMode = IDC_INSTALL_NOCOPY;
    ASSERT_EQ(1, InstallFont(Record("ZvInst Sans Bold")));
    EXPECT_EQ(folder + "ZvInstSans-Bold.ttf", Value(fontKeyNt, "ZvInst Sans Bold (TrueType)"));
    EXPECT_EQ("", ReadFile(FontsFolder() + "ZvInstSans-Bold.ttf"));
    HDC dc = GetDC(NULL);
    EXPECT_EQ(1, IsFontInstalled(dc, "ZvInst Sans Bold") - IsFontInstalled(dc, "zvinst sans bold"));
    ReleaseDC(NULL, dc);
    for (int mode : {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY}) {
        installMode = mode;
        EXPECT_EQ(0, InstallFont(Record("ZvInst Sans")));
        EXPECT_EQ(std::string("Font 'ZvInst Sans' ") + textAlreadyInstalled + "!", installMessage);
    }
}

TEST_F(Install, EveryInjectedFailureOrAFileInTheWayLeavesNothingBehind)
{
    const struct { int mode; FaultPoint fault; const char *message; } cases[] = { /* the last: no fault */
        {IDC_INSTALL_COPY, FAULT_FILE_READ, textCantCopy},        {IDC_INSTALL_COPY, FAULT_FILE_WRITE, textCantCopy},
        {IDC_INSTALL_COPY, FAULT_GLOBAL_ALLOC, textCantCopy},     {IDC_INSTALL_COPY, FAULT_ADD_FONT_RESOURCE, textNotInstalled},
        {IDC_INSTALL_COPY, FAULT_REG_SET_VALUE, textNotInstalled}, {IDC_INSTALL_NOCOPY, FAULT_ADD_FONT_RESOURCE, textNotInstalled},
        {IDC_INSTALL_NOCOPY, FAULT_REG_SET_VALUE, textNotInstalled}, {IDC_INSTALL_COPY, FAULT_HEAP, textFileExist}};
    for (const auto &c : cases) {
        if (c.fault == FAULT_HEAP) /* a file of that name in the Fonts folder stays as it was */
            WriteFile(FontsFolder() + "ZvInstSans-Oblique.ttf", "someone else's file"), before = SystemState();
        installMode = c.mode;
        SetFault(c.fault, 0, c.fault == FAULT_HEAP ? 0 : -1);
        EXPECT_EQ(0, InstallFont(Record("ZvInst Sans Oblique"))) << c.fault;
        ClearFaults();
        EXPECT_STREQ(c.message, installMessage) << c.fault;
        EXPECT_EQ(before, SystemState()) << c.mode << " fault " << c.fault;
        EXPECT_FALSE(RemoveFontResourceA((FontsFolder() + "ZvInstSans-Oblique.ttf").c_str())) << c.fault; /* none left */
    }
}

TEST_F(Install, TheDialogInstallsAllStylesAndCancelInAFailureBoxStops)
{
    installMode = IDC_INSTALL_COPY, Refresh();
    LPARAM firstCell = MAKELPARAM(pageLayout.originX + 20, pageLayout.cellTopOffset + 10);
    ScriptExpect(Inspect(Check(Check(Dialog("Install Font"), IDC_SCOPE_SELECTED, false), IDC_SCOPE_STYLES, true), [](HWND dialog) {
        for (int id : {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED, IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY})
            EXPECT_EQ(id == IDC_INSTALL_COPY || id == IDC_SCOPE_SELECTED, IsDlgButtonChecked(dialog, id) == BST_CHECKED) << id;
    })); /* the options as they stand */
    ScriptExpect(Dialog("Error", IDCANCEL)); /* the first failure; no second box */
    SetFault(FAULT_ADD_FONT_RESOURCE, 0, -1);
    SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, firstCell);
    ClearFaults();
    EXPECT_EQ("", ScriptEnd());
    EXPECT_EQ(before, SystemState());
    ScriptBegin(), ScriptExpect(Dialog("Install Font")); /* the scope chosen stays */
    SendMessageA(clientWindow, WM_LBUTTONDBLCLK, 0, firstCell);
    EXPECT_EQ("ZvInstSans.ttf|ZvInstSans-Bold.ttf", Value(fontKeyNt, "ZvInst Sans (TrueType)") + "|" +
                                                         Value(fontKeyNt, "ZvInst Sans Bold (TrueType)"));
}

