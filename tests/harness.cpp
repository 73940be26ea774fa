/* harness.cpp - starting the program's windows in a test process, the dialog
 * script, window captures and test paths (see harness.h). */
#include "harness.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <set>

#include "app/faults.h"
#include "app/shell.h"

/* ---- the program's windows ---- */

int StartZenvrix(void)
{
    return AppStartup(GetModuleHandleA(NULL));
}

void PumpMessages(void)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage((int)message.wParam);
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void StopZenvrix(void)
{
    if (mainWindow != NULL && IsWindow(mainWindow)) {
        DestroyWindow(mainWindow);
        MSG message;
        DWORD start = GetTickCount();
        for (;;) {
            if (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT)
                    break;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            } else if (GetTickCount() - start > 5000) {
                break;
            } else {
                Sleep(1);
            }
        }
    }
    AppShutdown();
    mainWindow = NULL;
    clientWindow = NULL;
    toolbar = NULL;
    UnregisterClassA("klasa", GetModuleHandleA(NULL));
    UnregisterClassA("client", GetModuleHandleA(NULL));
}

void RunningProgram::SetUp()
{
    ClearFaults();
    ScriptBegin();
    ASSERT_EQ(1, StartZenvrix());
    ASSERT_EQ("", ScriptEnd());
    ScriptBegin();
}

void RunningProgram::TearDown()
{
    EXPECT_EQ("", ScriptEnd());
    StopZenvrix();
    ClearFaults();
}

static bool RunWithoutPrinter(void)
{
    const char *flag = getenv("ZENVRIX_WITHOUT_PRINTER");
    return flag != NULL && strcmp(flag, "1") == 0;
}

void ProgramWithoutPrinter::SetUpTestSuite()
{
    if (!RunWithoutPrinter())
        return;
    /* The prefix of this run was made without the window-manager setting: leave
     * windows unmanaged, as the main prefix does, before the first window exists. */
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, NULL, 0,
                        KEY_SET_VALUE, NULL, &key, NULL) == ERROR_SUCCESS) {
        RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE *)"N", 2);
        RegCloseKey(key);
    }
}

void ProgramWithoutPrinter::SetUp()
{
    if (!RunWithoutPrinter())
        GTEST_SKIP() << "runs only in the CTest entry without a printer";
    ScriptBegin();
    ScriptExpect(Box("Printer HDC error!"));
    ASSERT_EQ(1, StartZenvrix());
    started = true;
    ASSERT_EQ("", ScriptEnd());
    ScriptBegin();
}

void ProgramWithoutPrinter::TearDown()
{
    if (!started)
        return;
    EXPECT_EQ("", ScriptEnd());
    StopZenvrix();
}

void EscapeKey(bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_ESCAPE;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    for (int i = 0; i < 100 && (GetAsyncKeyState(VK_ESCAPE) < 0) != down; i++)
        Sleep(5);
}

LRESULT SendCommand(int command)
{
    return SendMessageA(mainWindow, WM_COMMAND, (WPARAM)command, 0);
}

/* ---- the dialog script ---- */

DialogStep Box(const std::string &text, const std::string &caption, int press)
{
    DialogStep step;
    step.caption = caption;
    step.text = text;
    step.checkText = true;
    step.press = press;
    return step;
}

DialogStep Dialog(const std::string &caption, int press)
{
    DialogStep step;
    step.caption = caption;
    step.checkText = false;
    step.press = press;
    return step;
}

DialogStep Edit(DialogStep step, int control, const std::string &text)
{
    step.edits.push_back(std::make_pair(control, text));
    return step;
}

DialogStep Check(DialogStep step, int control, bool checked)
{
    step.checks.push_back(std::make_pair(control, checked));
    return step;
}

DialogStep Inspect(DialogStep step, std::function<void(HWND)> inspect)
{
    step.inspect = inspect;
    return step;
}

static std::vector<DialogStep> scriptSteps;
static size_t scriptNext;
static std::string scriptErrors;
static std::vector<std::string> scriptSeen;
static std::set<HWND> scriptHandled;
static HHOOK scriptHook;
static HWND scriptWindow;
static const UINT WM_SCRIPT_BOX = WM_APP + 77;

std::string WindowText(HWND window)
{
    char text[4096];
    text[0] = 0;
    GetWindowTextA(window, text, sizeof text);
    return text;
}

static std::string ClassName(HWND window)
{
    char name[128];
    name[0] = 0;
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ControlText(HWND dialog, int control)
{
    HWND item = GetDlgItem(dialog, control);
    return item != NULL ? WindowText(item) : std::string();
}

struct StaticSearch {
    std::string text;
};

static BOOL CALLBACK FindStaticText(HWND child, LPARAM context)
{
    StaticSearch *search = (StaticSearch *)context;
    if (_stricmp(ClassName(child).c_str(), "Static") == 0) {
        std::string text = WindowText(child);
        if (!text.empty()) {
            search->text = text;
            return FALSE;
        }
    }
    return TRUE;
}

std::string MessageBoxText(HWND box)
{
    StaticSearch search;
    EnumChildWindows(box, FindStaticText, (LPARAM)&search);
    return search.text;
}

static BOOL CALLBACK FindEdit(HWND child, LPARAM context)
{
    if (_stricmp(ClassName(child).c_str(), "Edit") == 0) {
        *(HWND *)context = child;
        return FALSE;
    }
    return TRUE;
}

/* Types into an edit control, or into the edit inside a combo box. */
static void SetControlText(HWND dialog, int control, const std::string &text)
{
    HWND item = GetDlgItem(dialog, control);
    if (item == NULL)
        return;
    if (_stricmp(ClassName(item).c_str(), "Edit") != 0) {
        HWND edit = NULL;
        EnumChildWindows(item, FindEdit, (LPARAM)&edit);
        if (edit != NULL)
            item = edit;
    }
    SetWindowTextA(item, text.c_str());
}

static void AnswerBox(HWND box)
{
    if (!IsWindow(box) || scriptHandled.count(box))
        return;
    std::string caption = WindowText(box);
    if (caption == "Progress: (press ESC to cancel)")
        return;
    scriptHandled.insert(box);
    std::string text = MessageBoxText(box);
    scriptSeen.push_back(caption + "|" + text);

    if (scriptNext >= scriptSteps.size()) {
        scriptErrors += "unexpected box '" + caption + "': '" + text + "'\n";
        EndDialog(box, IDCANCEL);
        return;
    }
    const DialogStep &step = scriptSteps[scriptNext];
    if (step.caption != caption || (step.checkText && step.text != text)) {
        scriptErrors += "expected box '" + step.caption + "': '" + step.text + "', got '" +
                        caption + "': '" + text + "'\n";
        EndDialog(box, IDCANCEL);
        return;
    }
    scriptNext++;
    if (step.inspect)
        step.inspect(box);
    if (!IsWindow(box))
        return;
    for (size_t i = 0; i < step.edits.size(); i++)
        SetControlText(box, step.edits[i].first, step.edits[i].second);
    for (size_t i = 0; i < step.checks.size(); i++)
        CheckDlgButton(box, step.checks[i].first, step.checks[i].second ? BST_CHECKED : BST_UNCHECKED);
    if (step.press == 0)
        return;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(step.press, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, step.press));
}

static const UINT WM_SCRIPT_PRESS = WM_APP + 78;

void PressLater(HWND dialog, int button)
{
    PostMessageA(scriptWindow, WM_SCRIPT_PRESS, (WPARAM)dialog, MAKELPARAM(button, 3));
}

static LRESULT CALLBACK ScriptWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCRIPT_BOX) {
        AnswerBox((HWND)wParam);
        return 0;
    }
    if (message == WM_SCRIPT_PRESS) {
        int button = LOWORD(lParam);
        int hops = HIWORD(lParam);
        if (hops > 0)
            PostMessageA(window, WM_SCRIPT_PRESS, wParam, MAKELPARAM(button, hops - 1));
        else
            PostMessageA((HWND)wParam, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         (LPARAM)GetDlgItem((HWND)wParam, button));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* The hook only notes the box; it is answered once the box's own message loop
 * runs, when its controls are all filled in. */
static LRESULT CALLBACK ScriptHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = (HWND)wParam;
        if (ClassName(window) == "#32770" && !scriptHandled.count(window))
            PostMessageA(scriptWindow, WM_SCRIPT_BOX, wParam, 0);
    } else if (code == HCBT_DESTROYWND) {
        scriptHandled.erase((HWND)wParam);
    }
    return CallNextHookEx(scriptHook, code, wParam, lParam);
}

void ScriptBegin(void)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof windowClass);
        windowClass.lpfnWndProc = ScriptWindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "ZenvrixTestScript";
        RegisterClassA(&windowClass);
        registered = true;
    }
    scriptSteps.clear();
    scriptNext = 0;
    scriptErrors.clear();
    scriptSeen.clear();
    scriptHandled.clear();
    if (scriptWindow == NULL)
        scriptWindow = CreateWindowExA(0, "ZenvrixTestScript", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       NULL, GetModuleHandleA(NULL), NULL);
    if (scriptHook == NULL)
        scriptHook = SetWindowsHookExA(WH_CBT, ScriptHookProc, NULL, GetCurrentThreadId());
}

void ScriptExpect(const DialogStep &step)
{
    scriptSteps.push_back(step);
}

std::string ScriptEnd(void)
{
    PumpMessages();
    if (scriptHook != NULL)
        UnhookWindowsHookEx(scriptHook);
    scriptHook = NULL;
    for (size_t i = scriptNext; i < scriptSteps.size(); i++)
        scriptErrors += "missing box '" + scriptSteps[i].caption + "': '" + scriptSteps[i].text + "'\n";
    scriptSteps.clear();
    scriptNext = 0;
    return scriptErrors;
}

std::vector<std::string> ScriptSeen(void)
{
    return scriptSeen;
}

/* ---- pixels ---- */

Capture CaptureWindow(HWND window)
{
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    capture.pixels.assign((size_t)capture.width * capture.height, 0);
    if (capture.width <= 0 || capture.height <= 0)
        return capture;

    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const unsigned int *row = (const unsigned int *)bits;
    for (size_t i = 0; i < capture.pixels.size(); i++)
        capture.pixels[i] = row[i] & 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return capture;
}

unsigned int PixelAt(const Capture &capture, int x, int y)
{
    if (x < 0 || y < 0 || x >= capture.width || y >= capture.height)
        return 0xFFFFFFFF;
    return capture.pixels[(size_t)y * capture.width + x];
}

std::string SaveFailureCapture(const Capture &capture, const std::string &name)
{
    std::string path = BinaryDir() + "failures\\";
    CreateDirectoryA(path.c_str(), NULL);
    path += name + ".png";
    SavePng(capture, path);
    return path;
}

/* ---- places ---- */

std::string UnixToWindowsPath(const std::string &unixPath)
{
    std::string path = "Z:" + unixPath;
    for (size_t i = 0; i < path.size(); i++)
        if (path[i] == '/')
            path[i] = '\\';
    return path;
}

static std::string DirFromEnvironment(const char *name)
{
    const char *value = getenv(name);
    std::string path = UnixToWindowsPath(value != NULL ? value : "/tmp");
    if (path.empty() || path[path.size() - 1] != '\\')
        path += '\\';
    return path;
}

std::string SourceDir(void)
{
    return DirFromEnvironment("ZENVRIX_SOURCE_DIR");
}

std::string BinaryDir(void)
{
    return DirFromEnvironment("ZENVRIX_BINARY_DIR");
}

static void RemoveTree(const std::string &folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string TempTestDir(const std::string &name)
{
    std::string root = BinaryDir() + "testdata\\";
    CreateDirectoryA(root.c_str(), NULL);
    std::string folder = root + name + "\\";
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

std::string RealFont(const std::string &unixPath)
{
    return UnixToWindowsPath(unixPath);
}
