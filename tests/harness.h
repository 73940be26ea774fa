/* harness.h - what every in-process test of Zenvrix uses under Wine:
 *  - start the real main and client windows in the test's own process and stop
 *    them again (StartZenvrix / StopZenvrix);
 *  - a dialog script: the dialogs and message boxes a test expects, in order, each
 *    with its caption and text and the answer to give; anything unexpected or
 *    missing fails the test (a WH_CBT hook sees every box as it opens);
 *  - a capture of a window's pixels, written as PNG when a check fails;
 *  - paths of the source tree, the build tree and real fonts. */
#ifndef ZENVRIX_TEST_HARNESS_H
#define ZENVRIX_TEST_HARNESS_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

/* ---- the program's windows ---- */

/* Runs the real start-up (AppStartup) in this process; returns its result.
 * Expected boxes at start-up must be scripted before. */
int StartZenvrix(void);
/* Closes the main window, runs the message loop to WM_QUIT, runs the real shutdown
 * and forgets the window classes so that the next StartZenvrix starts afresh. */
void StopZenvrix(void);
/* Dispatches whatever is queued for this thread. */
void PumpMessages(void);
/* Presses (down) or releases Escape as a keyboard would, and waits until the key
 * state says so. */
void EscapeKey(bool down);
/* Sends a menu or toolbar command to the main window. */
LRESULT SendCommand(int command);

/* A fixture for tests of the running program: the windows are started before each
 * test (no box may appear at start-up) and stopped after it; the dialog script is
 * open during the test and must be complete at its end; fault points are clear. */
class RunningProgram : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

/* The same for a run without any printer: the test program is started by CTest
 * with CUPS out of reach and a Wine prefix of its own, ZENVRIX_WITHOUT_PRINTER=1
 * (elsewhere its tests are skipped); start-up must warn "Printer HDC error!". */
class ProgramWithoutPrinter : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    bool started = false;
};

/* ---- the dialog script ---- */

struct DialogStep {
    std::string caption;                           /* exact window caption */
    std::string text;                              /* message box text; "" = not checked */
    bool checkText;
    std::vector<std::pair<int, std::string>> edits; /* control id, text to type */
    std::vector<std::pair<int, bool>> checks;       /* button id, checked */
    int press;                                      /* button id to press; 0: none */
    std::function<void(HWND)> inspect;              /* runs first: looks at the dialog, may act */
};

/* A message box with its exact text (caption "Error" is what the system shows when
 * the program names none), answered with `press`. */
DialogStep Box(const std::string &text, const std::string &caption = "Error", int press = IDOK);
/* A dialog, by caption, answered with `press` after the edits and checks. */
DialogStep Dialog(const std::string &caption, int press);
DialogStep Edit(DialogStep step, int control, const std::string &text);
DialogStep Check(DialogStep step, int control, bool checked);
DialogStep Inspect(DialogStep step, std::function<void(HWND)> inspect);

/* Starts a script (installs the hook on this thread); steps are answered in order. */
void ScriptBegin(void);
void ScriptExpect(const DialogStep &step);
/* Ends the script; returns "" when every step came in order and nothing else did,
 * otherwise a description of what went wrong. */
std::string ScriptEnd(void);
/* Captions and texts of every box seen since ScriptBegin, in order ("caption|text"). */
std::vector<std::string> ScriptSeen(void);

/* Presses a button of a dialog once the messages queued now, and those they queue
 * in turn (a key's WM_CHAR), have been handled. */
void PressLater(HWND dialog, int button);

/* Text of a dialog control, of a message box's message. */
std::string ControlText(HWND dialog, int control);
std::string MessageBoxText(HWND box);
std::string WindowText(HWND window);

/* ---- pixels ---- */

struct Capture {
    int width;
    int height;
    std::vector<unsigned int> pixels;   /* 0xRRGGBB, row by row from the top */
};

Capture CaptureWindow(HWND window);
unsigned int PixelAt(const Capture &capture, int x, int y);
/* Writes the capture as a PNG file; returns false on failure. */
bool SavePng(const Capture &capture, const std::string &path);
/* Saves the capture under the build tree as <name>.png and returns its path. */
std::string SaveFailureCapture(const Capture &capture, const std::string &name);

/* ---- places ---- */

std::string SourceDir(void);     /* Windows path of the source tree, ending in '\' */
std::string BinaryDir(void);     /* Windows path of the build tree, ending in '\' */
std::string TempTestDir(const std::string &name); /* a fresh empty folder, ending in '\' */
/* Windows path of a real .ttf file from the Debian font packages. */
std::string RealFont(const std::string &unixPath);
std::string UnixToWindowsPath(const std::string &unixPath);

#endif
