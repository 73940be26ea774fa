/* harness.h - what the in-process tests under Wine share: the real program started
 * once per test program, a script of the dialogs and boxes a test expects (a WH_CBT
 * hook answers them), window captures, files, real fonts, commands run on the Linux
 * side (poppler, import). */
#ifndef ZENVRIX_TEST_HARNESS_H
#define ZENVRIX_TEST_HARNESS_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "render/layout.h"
#include "resources/resource.h"

int StartZenvrix(void);           /* the real start-up in this process */
void StopZenvrix(void);           /* closes the windows, runs the shutdown */
void PumpMessages(void);
void Settle(void);                /* pumps for a while: real input arrives */
void EscapeKey(bool down);        /* as the keyboard would; waits for the key state */
LRESULT SendCommand(int command);
void Refresh(void);               /* UM_REFRESH */
/* Shows `count` installed-font entries whose faces name them: "Cell0000" ... */
void ShowCells(int count);
/* The folder's fonts, as the From directory command reads them. */
void ScanFolder(const std::string &folder, int subfolders = 0);

/* The program runs through all tests of a test program; each test starts from the
 * default settings with the installed fonts, no fault armed and an empty script. */
class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;
};
/* The same in a world without printers (CTest's *_without_printer entries; skipped
 * elsewhere): start-up must warn "Printer HDC error!". */
class WithoutPrinter : public Program {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

/* ---- the dialog script ---- */
struct DialogStep {
    std::string caption, text;     /* text "" with checkText false: not looked at */
    bool checkText = false;
    std::vector<std::pair<int, std::string>> edits;
    std::vector<std::pair<int, bool>> checks;
    int press = IDOK;              /* 0: none */
    std::function<void(HWND)> inspect;
};
DialogStep Box(const std::string &text, const std::string &caption = "Error", int press = IDOK);
DialogStep Dialog(const std::string &caption, int press = IDOK);
DialogStep Edit(DialogStep step, int control, const std::string &text);
DialogStep Check(DialogStep step, int control, bool checked);
DialogStep Inspect(DialogStep step, std::function<void(HWND)> inspect);
void ScriptBegin(void);
void ScriptExpect(const DialogStep &step);
std::string ScriptEnd(void);       /* "" when every step came, in order, and nothing else */
std::string ControlText(HWND dialog, int control);

/* ---- pixels ---- */
struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;  /* 0xRRGGBB, rows from the top */
    unsigned at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Capture CaptureWindow(HWND window);
int Differences(const Capture &a, const Capture &b, int top, int bottom, int shift = 0);
/* A screenshot of the test display under the build tree's failures/ (import). */
void Screenshot(const std::string &name);

/* ---- files, fonts, Linux ---- */
std::string BinaryDir(void);                 /* Windows path, ending in '\' */
std::string TempDir(const std::string &name); /* fresh and empty, ending in '\' */
std::string Font(const std::string &relative); /* under /usr/share/fonts/truetype */
std::string ReadFile(const std::string &path);
bool WriteFile(const std::string &path, const std::string &bytes);
bool Exists(const std::string &path);
/* A copy of a DejaVu font whose family "DejaVu" is renamed to `prefix` (6 letters),
 * so the system does not know it yet. */
std::string RenamedFont(const std::string &dejaVuFile, const std::string &prefix,
                        const std::string &folder);
/* Removes what installing or drawing may have left of fonts named `prefix`. */
void ForgetFonts(const std::string &prefix);
bool FamilyListed(const std::string &family);
/* Runs a shell command on the Linux side; its exit code, or -1. */
int RunLinux(const std::string &command, std::string *output);
std::string UnixPath(std::string windowsPath);

#endif
