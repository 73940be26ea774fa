/* harness.h - what the tests under Wine share: the real program, started once per
 * test program; a script of the boxes a test expects; captures; files, real fonts,
 * and commands on the Linux side (xdotool, import, perl, poppler). */
#ifndef ZENVRIX_TEST_HARNESS_H
#define ZENVRIX_TEST_HARNESS_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontlist.h"
#include "render/layout.h"
#include "resources/resource.h"

/* The program runs through a test program; each test starts from the default
 * settings with the installed fonts, no fault armed and an empty dialog script.
 * Started without printer (ZENVRIX_WITHOUT_PRINTER: CTest's *_without_printer runs),
 * it must warn "Printer HDC error!". */
class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;
};
int StartZenvrix(void);
void StopZenvrix(void);
void PumpMessages(int rounds = 1); /* what is queued; each further round 10 ms later */
void EscapeKey(bool down);        /* on the display and in Wine; waits for the key state */
/* Real mouse input at a point of a window's client area, the events in a row. */
void Mouse(HWND window, int x, int y, std::initializer_list<DWORD> events, DWORD data = 0);
LRESULT SendCommand(int command);
void Refresh(void);               /* UM_REFRESH */
void ShowCells(int count);        /* installed-font entries named "Cell0000" ... */
void ScanFolder(const std::string &folder, int subfolders = 0); /* the From directory command */

/* The dialog script: each box by caption and text ("*": any), answered in order. */
struct DialogStep {
    std::string caption, text;
    int press = IDOK; /* 0: none */
    std::vector<std::pair<int, std::string>> edits;
    std::vector<std::pair<int, bool>> checks;
    std::function<void(HWND)> inspect; /* runs first */
};
inline DialogStep Box(const std::string &text, const std::string &caption = "Error", int press = IDOK)
{
    DialogStep step;
    step.caption = caption, step.text = text, step.press = press;
    return step;
}
inline DialogStep Dialog(const std::string &caption, int press = IDOK) { return Box("*", caption, press); }
inline DialogStep Edit(DialogStep step, int id, const std::string &text) { return step.edits.push_back({id, text}), step; }
inline DialogStep Check(DialogStep step, int id, bool on) { return step.checks.push_back({id, on}), step; }
inline DialogStep Inspect(DialogStep step, std::function<void(HWND)> f) { return step.inspect = f, step; }
void ScriptBegin(void);
void ScriptExpect(const DialogStep &step);
std::string ScriptEnd(void);       /* "" when every step came, in order, and nothing else */
extern std::pair<int, int> progressAtEnd; /* the last progress bar destroyed: its position and its top */
std::string ControlText(HWND dialog, int control);
std::wstring ControlTextW(HWND dialog, int control); /* in UTF-16, whatever the code page */

struct Capture { /* a window's pixels, 0xRRGGBB, rows from the top */
    int width = 0, height = 0;
    std::vector<unsigned> pixels;
    unsigned at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};
Capture CaptureWindow(HWND window);
int Differences(const Capture &a, const Capture &b);

std::string TempDir(const std::string &name); /* testdata\name\, fresh and empty */
std::string FontsFolder(void);                /* the prefix's Windows\Fonts\ */
std::string UserFontsFolder(void);            /* the user's, under %LOCALAPPDATA% */
std::string Font(const std::string &relative); /* under /usr/share/fonts/truetype */
std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &bytes);
/* A copy in testdata\prefix\ of a DejaVu font renamed `prefix` (6 letters). */
void RenamedFont(const std::string &dejaVuFile, const std::string &prefix);
/* Takes back what installing or drawing may have left of the fonts named `prefix`. */
void ForgetFonts(const std::string &prefix);
bool FamilyListed(const std::string &family);
int RunLinux(const std::string &command, std::string *output = NULL); /* exit code or -1 */
/* Prints, the print dialog answered by `dialog`, and reads back (pdfinfo, pdffonts,
 * pdftotext) the PDF arriving in the queue's emptied output folder. */
struct Printout { int pages = 0; std::string fonts, text; };
Printout Print(const DialogStep &dialog, int waitTenths = 300);

#endif
