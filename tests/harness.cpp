/* harness.cpp - the running program, the dialog script, captures, files and fonts
 * of the tests (see harness.h). */
#include "harness.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

/* ---- the program ---- */

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

void Settle(void)
{
    for (int i = 0; i < 20; i++, Sleep(10))
        PumpMessages();
}

void StopZenvrix(void)
{
    if (mainWindow != NULL && IsWindow(mainWindow)) {
        DestroyWindow(mainWindow);
        MSG message;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
            if (!PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            if (message.message == WM_QUIT)
                break;
            DispatchMessageA(&message);
        }
    }
    AppShutdown();
    mainWindow = clientWindow = toolbar = NULL;
    UnregisterClassA("klasa", GetModuleHandleA(NULL));
    UnregisterClassA("client", GetModuleHandleA(NULL));
}

/* On the display too: a window that activates takes the display's key state. */
void EscapeKey(bool down)
{
    std::string output;
    RunLinux(std::string("xdotool ") + (down ? "keydown" : "keyup") + " Escape", &output);
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

void Refresh(void)
{
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
}

void ShowCells(int count)
{
    FreeFontList(&displayList);
    displayList.records = (FontRecord **)malloc(count * sizeof(FontRecord *));
    for (displayList.count = 0; displayList.count < count; displayList.count++) {
        FontRecord *record = displayList.records[displayList.count] = (FontRecord *)calloc(1, sizeof(FontRecord));
        snprintf(record->logFont.lfFaceName, LF_FACESIZE, "Cell%04d", displayList.count);
        record->fontType = TRUETYPE_FONTTYPE;
    }
    Refresh();
}

void ScanFolder(const std::string &folder, int subfolders)
{
    snprintf(settings.currentDirectory, NAME_SIZE, "%s", folder.c_str());
    settings.directoryChosen = 1;
    settings.includeSubdirectories = subfolders;
    SendCommand(CMD_FROM_DIRECTORY);
}

static bool withoutPrinter;

void Program::SetUpTestSuite()
{
    ScriptBegin();
    if (withoutPrinter)
        ScriptExpect(Box("Printer HDC error!"));
    int started = StartZenvrix();
    std::string script = ScriptEnd();
    if (started != 1 || !script.empty()) {
        fprintf(stderr, "start-up failed: %d %s\n", started, script.c_str());
        exit(1);
    }
}

void Program::TearDownTestSuite()
{
    StopZenvrix();
}

void Program::SetUp()
{
    ClearFaults();
    ResetViewSettings();
    SendMessageA(mainWindow, UM_RESCAN, 0, 0);
    Refresh();
    ScriptBegin();
}

void Program::TearDown()
{
    if (IsSkipped())
        return;
    EXPECT_EQ("", ScriptEnd());
    ClearFaults();
    if (HasFailure())
        Screenshot(::testing::UnitTest::GetInstance()->current_test_info()->name());
}

void WithoutPrinter::SetUpTestSuite()
{
    const char *flag = getenv("ZENVRIX_WITHOUT_PRINTER");
    withoutPrinter = flag != NULL && strcmp(flag, "1") == 0;
    if (!withoutPrinter)
        return;
    HKEY key; /* this prefix is made by Wine itself: leave windows unmanaged here too */
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, NULL, 0,
                        KEY_SET_VALUE, NULL, &key, NULL) == ERROR_SUCCESS) {
        RegSetValueExA(key, "Managed", 0, REG_SZ, (const BYTE *)"N", 2);
        RegCloseKey(key);
    }
    Program::SetUpTestSuite();
}

void WithoutPrinter::SetUp()
{
    if (!withoutPrinter)
        GTEST_SKIP() << "runs only in the CTest entry without a printer";
    Program::SetUp();
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
    step.press = press;
    return step;
}

DialogStep Edit(DialogStep step, int control, const std::string &text)
{
    step.edits.push_back({control, text});
    return step;
}

DialogStep Check(DialogStep step, int control, bool checked)
{
    step.checks.push_back({control, checked});
    return step;
}

DialogStep Inspect(DialogStep step, std::function<void(HWND)> inspect)
{
    step.inspect = inspect;
    return step;
}

static std::vector<DialogStep> steps;
static size_t next;
static std::string errors;
static std::set<HWND> answered;
static HHOOK hook;
static HWND scriptWindow;
static const UINT WM_SCRIPT_BOX = WM_APP + 77;

static std::string TextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

static std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ControlText(HWND dialog, int control)
{
    return TextOf(GetDlgItem(dialog, control));
}

/* A message box's text is in its first static control with text; an edit may sit
 * inside a combo box (Wine's file dialogs). */
static BOOL CALLBACK FindChild(HWND child, LPARAM found)
{
    std::pair<std::string, HWND> *wanted = (std::pair<std::string, HWND> *)found;
    if (_stricmp(ClassOf(child).c_str(), wanted->first.c_str()) != 0 ||
        (wanted->first == "Static" && TextOf(child).empty()))
        return TRUE;
    wanted->second = child;
    return FALSE;
}

static HWND Child(HWND parent, const char *className)
{
    std::pair<std::string, HWND> wanted(className, (HWND)NULL);
    EnumChildWindows(parent, FindChild, (LPARAM)&wanted);
    return wanted.second;
}

static void Answer(HWND box)
{
    if (!IsWindow(box) || answered.count(box))
        return;
    std::string caption = TextOf(box);
    if (caption == "Progress: (press ESC to cancel)")
        return;
    answered.insert(box);
    std::string text = TextOf(Child(box, "Static"));
    const DialogStep *step = next < steps.size() ? &steps[next] : NULL;
    if (step == NULL || step->caption != caption || (step->checkText && step->text != text)) {
        errors += "unexpected box '" + caption + "': '" + text + "'";
        errors += step ? " instead of '" + step->caption + "': '" + step->text + "'\n" : "\n";
        EndDialog(box, IDCANCEL);
        return;
    }
    next++;
    if (step->inspect)
        step->inspect(box);
    if (!IsWindow(box))
        return;
    for (const auto &edit : step->edits) {
        HWND item = GetDlgItem(box, edit.first);
        if (item != NULL && _stricmp(ClassOf(item).c_str(), "Edit") != 0 && Child(item, "Edit"))
            item = Child(item, "Edit");
        SetWindowTextA(item, edit.second.c_str());
    }
    for (const auto &check : step->checks)
        CheckDlgButton(box, check.first, check.second ? BST_CHECKED : BST_UNCHECKED);
    if (step->press != 0)
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(step->press, BN_CLICKED),
                     (LPARAM)GetDlgItem(box, step->press));
}

static LRESULT CALLBACK ScriptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SCRIPT_BOX) {
        Answer((HWND)wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* The hook only notes a box; it is answered from the box's own message loop, once
 * its controls are filled in. */
static LRESULT CALLBACK ScriptHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && ClassOf((HWND)wParam) == "#32770")
        PostMessageA(scriptWindow, WM_SCRIPT_BOX, wParam, 0);
    else if (code == HCBT_DESTROYWND)
        answered.erase((HWND)wParam);
    return CallNextHookEx(hook, code, wParam, lParam);
}

void ScriptBegin(void)
{
    if (scriptWindow == NULL) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ScriptProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "ZenvrixTestScript";
        RegisterClassA(&windowClass);
        scriptWindow = CreateWindowExA(0, "ZenvrixTestScript", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       NULL, GetModuleHandleA(NULL), NULL);
    }
    steps.clear();
    next = 0;
    errors.clear();
    answered.clear();
    if (hook == NULL)
        hook = SetWindowsHookExA(WH_CBT, ScriptHook, NULL, GetCurrentThreadId());
}

void ScriptExpect(const DialogStep &step)
{
    steps.push_back(step);
}

std::string ScriptEnd(void)
{
    PumpMessages();
    UnhookWindowsHookEx(hook);
    hook = NULL;
    for (size_t i = next; i < steps.size(); i++)
        errors += "missing box '" + steps[i].caption + "': '" + steps[i].text + "'\n";
    steps.clear();
    return errors;
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
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HDC source = GetDC(window), memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; bits != NULL && i < capture.pixels.size(); i++)
        capture.pixels[i] = ((const unsigned *)bits)[i] & 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return capture;
}

int Differences(const Capture &a, const Capture &b, int top, int bottom, int shift)
{
    int count = 0;
    for (int y = std::max(top, -shift); y < bottom && y + shift < b.height && y < a.height; y++)
        for (int x = 0; x < a.width && x < b.width; x++)
            count += a.at(x, y) != b.at(x, y + shift);
    return count;
}

void Screenshot(const std::string &name)
{
    std::string output, folder = UnixPath(BinaryDir()) + "failures";
    RunLinux("mkdir -p " + folder + " && import -window root " + folder + "/" + name + ".png",
             &output);
}

/* ---- files, fonts, Linux ---- */

std::string UnixPath(std::string path)
{
    if (path.size() >= 2 && toupper(path[0]) == 'Z' && path[1] == ':')
        path.erase(0, 2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

static std::string WindowsPath(std::string unixPath)
{
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

std::string BinaryDir(void)
{
    const char *dir = getenv("ZENVRIX_BINARY_DIR");
    return WindowsPath(dir != NULL ? dir : "/tmp") + "\\";
}

std::string TempDir(const std::string &name)
{
    std::string output, folder = BinaryDir() + "testdata\\" + name + "\\";
    RunLinux("rm -rf '" + UnixPath(folder) + "' && mkdir -p '" + UnixPath(folder) + "'", &output);
    return folder;
}

std::string Font(const std::string &relative)
{
    return WindowsPath("/usr/share/fonts/truetype/" + relative);
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return bool(out.write(bytes.data(), (std::streamsize)bytes.size()).flush());
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string RenamedFont(const std::string &dejaVuFile, const std::string &prefix,
                        const std::string &folder)
{
    std::string bytes = ReadFile(Font("dejavu/" + dejaVuFile)), wide;
    for (char c : std::string("DejaVu"))
        wide += std::string(1, '\0') + c;
    std::string wideNew; /* only the names hold the family, in 8 or 16 bits */
    for (char c : prefix)
        wideNew += std::string(1, '\0') + c;
    for (size_t at; (at = bytes.find(wide)) != std::string::npos;)
        bytes.replace(at, wide.size(), wideNew);
    for (size_t at; (at = bytes.find("DejaVu")) != std::string::npos;)
        bytes.replace(at, 6, prefix);
    std::string name = dejaVuFile;
    name.replace(0, 6, prefix);
    WriteFile(folder + name, bytes);
    return folder + name;
}

static void ForgetIn(const std::string &folder, const std::string &prefix, bool remove)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + prefix + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string path = folder + entry.cFileName;
        for (int n = 0; n < 16 && RemoveFontResourceA(path.c_str()); n++) {
        }
        if (remove)
            DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void ForgetFonts(const std::string &prefix)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    ForgetIn(std::string(windows) + "\\Fonts\\", prefix, true);
    ForgetIn(BinaryDir() + "testdata\\" + prefix + "\\", prefix, false);
    for (const char *keyPath : {fontKeyNt, fontKey}) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            continue;
        char name[400];
        for (DWORD i = 0, size = sizeof name;
             RegEnumValueA(key, i, name, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
             size = sizeof name)
            if (strncmp(name, prefix.c_str(), prefix.size()) != 0 || RegDeleteValueA(key, name))
                i++;
        RegCloseKey(key);
    }
}

static int CALLBACK NoteFamily(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found)
{
    *(bool *)found = true;
    return 0;
}

bool FamilyListed(const std::string &family)
{
    bool found = false;
    HDC dc = GetDC(NULL);
    EnumFontFamiliesA(dc, family.c_str(), (FONTENUMPROCA)NoteFamily, (LPARAM)&found);
    ReleaseDC(NULL, dc);
    return found;
}

/* Wine starts a Linux program named in CreateProcessA but gives no handle back: the
 * shell writes the output, then the exit code, into files that are polled for. */
int RunLinux(const std::string &command, std::string *output)
{
    static int serial;
    char stem[64];
    snprintf(stem, sizeof stem, "/tmp/zenvrix-run%lu-%d", GetCurrentProcessId(), ++serial);
    std::string unix = stem, script = WindowsPath(unix + ".sh"), code = WindowsPath(unix + ".code");
    WriteFile(script, "export PATH=/usr/bin:/bin\n( " + command + " ) > " + unix +
                          ".out 2>&1\necho $? > " + unix + ".part; mv " + unix + ".part " + unix +
                          ".code\n");
    std::string line = "Z:\\bin\\sh " + unix + ".sh";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (DWORD start = GetTickCount(); !Exists(code); Sleep(20))
        if (GetTickCount() - start > 60000)
            return -1;
    *output = ReadFile(WindowsPath(unix + ".out"));
    int result = atoi(ReadFile(code).c_str());
    for (const char *ending : {".sh", ".out", ".code"})
        DeleteFileA(WindowsPath(unix + ending).c_str());
    return result;
}
