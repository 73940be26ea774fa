/* harness.cpp - the running program, the dialog script, captures, files and fonts
 * of the tests (see harness.h). */
#include "harness.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <numeric>
#include <set>

int StartZenvrix(void) { return AppStartup(GetModuleHandleA(NULL)); }
LRESULT SendCommand(int command) { return SendMessageA(mainWindow, WM_COMMAND, (WPARAM)command, 0); }
void Refresh(void) { SendMessageA(mainWindow, UM_REFRESH, 0, 0); }

void PumpMessages(int rounds)
{
    for (int i = 0; i < rounds; i++, Sleep(rounds > 1 ? 10 : 0))
        for (MSG message; PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) && message.message != WM_QUIT;)
            TranslateMessage(&message), DispatchMessageA(&message);
}

void StopZenvrix(void)
{
    MSG message;
    if (mainWindow != NULL && IsWindow(mainWindow) && DestroyWindow(mainWindow))
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && GetMessageA(&message, NULL, 0, 0);)
            DispatchMessageA(&message);
    AppShutdown(), mainWindow = clientWindow = toolbar = NULL;
    UnregisterClassA("klasa", GetModuleHandleA(NULL)), UnregisterClassA("client", GetModuleHandleA(NULL));
}

/* On the display too: a window that activates takes the display's key state. */
void EscapeKey(bool down)
{
    RunLinux(std::string("xdotool ") + (down ? "keydown" : "keyup") + " Escape");
    INPUT input = {INPUT_KEYBOARD};
    input.ki = {VK_ESCAPE, 0, (DWORD)(down ? 0 : KEYEVENTF_KEYUP)}, SendInput(1, &input, sizeof input);
    for (int i = 0; i < 1000 && (GetAsyncKeyState(VK_ESCAPE) < 0) != down; i++) /* up to 5 s under load */
        Sleep(5);
}

void Mouse(HWND window, int x, int y, std::initializer_list<DWORD> events, DWORD data)
{
    POINT point = {x, y};
    ClientToScreen(window, &point), SetCursorPos(point.x, point.y), PumpMessages(20); /* real input arrives */
    for (DWORD flags : events) {
        INPUT input = {INPUT_MOUSE};
        input.mi.dwFlags = flags, input.mi.mouseData = data, SendInput(1, &input, sizeof input);
    }
    PumpMessages(20);
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
    snprintf(settings.currentDirectory, NAME_SIZE, "%s", folder.c_str()), settings.directoryChosen = 1, settings.includeSubdirectories = subfolders, SendCommand(CMD_FROM_DIRECTORY);
}

void Program::SetUpTestSuite()
{
    ScriptBegin();
    if (getenv("ZENVRIX_WITHOUT_PRINTER") != NULL) { /* Wine made this prefix: windows unmanaged here too */
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2);
        ScriptExpect(Box("Printer HDC error!"));
    }
    int started = StartZenvrix();
    std::string script = ScriptEnd();
    if (started != 1 || shell.topRow != 0 || displayList.count == 0 || !script.empty()) /* the installed fonts from the first row */
        fprintf(stderr, "start-up failed: %d, row %d, %s\n", started, shell.topRow, script.c_str()), exit(1);
}

void Program::TearDownTestSuite() { StopZenvrix(); }

void Program::SetUp() { ClearFaults(), ResetViewSettings(), SendMessageA(mainWindow, UM_RESCAN, 0, 0), Refresh(), ScriptBegin(); }
void Program::TearDown() { EXPECT_EQ("", ScriptEnd()); ClearFaults(); }

static std::vector<DialogStep> steps;
static size_t next;
static std::string errors;
static std::set<HWND> answered;
static HHOOK hook;
std::pair<int, int> progressAtEnd;

static std::string TextOf(HWND window) { char text[4096] = ""; return GetWindowTextA(window, text, sizeof text), text; }

std::string ControlText(HWND dialog, int control) { return TextOf(GetDlgItem(dialog, control)); }
std::wstring ControlTextW(HWND dialog, int control) { wchar_t t[4096] = L""; return GetDlgItemTextW(dialog, control, t, 4096), t; }

/* A message box's message: its first static control with text. */
static BOOL CALLBACK NoteStatic(HWND child, LPARAM text)
{
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    return _stricmp(name, "Static") != 0 || (*(std::string *)text = TextOf(child)).empty();
}

static void Answer(HWND box)
{
    std::string caption = TextOf(box), text;
    EnumChildWindows(box, NoteStatic, (LPARAM)&text);
    if (!IsWindow(box) || answered.count(box) || caption == "Progress: (press ESC to cancel)")
        return;
    answered.insert(box);
    const DialogStep *step = next < steps.size() ? &steps[next] : NULL;
    if (step == NULL || step->caption != caption || (step->text != "*" && step->text != text)) {
        errors += "unexpected box '" + caption + "': '" + text + "'";
        errors += step ? " instead of '" + step->caption + "': '" + step->text + "'\n" : "\n";
        EndDialog(box, IDCANCEL);
        return;
    }
    next++;
    if (step->inspect) step->inspect(box);
    for (const auto &edit : step->edits) SetDlgItemTextA(box, edit.first, edit.second.c_str());
    for (const auto &check : step->checks) CheckDlgButton(box, check.first, check.second ? BST_CHECKED : BST_UNCHECKED);
    if (step->press != 0 && IsWindow(box))
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(step->press, BN_CLICKED), (LPARAM)GetDlgItem(box, step->press));
}

/* The hook only notes a box; it is answered from the box's own message loop, once
 * its controls are filled in, and before any input waiting (a posted message). */
static LRESULT CALLBACK ScriptProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    return message == WM_APP ? (Answer((HWND)w), 0) : DefWindowProcA(window, message, w, l);
}

static HWND answerer;

static LRESULT CALLBACK ScriptHook(int code, WPARAM wParam, LPARAM lParam)
{
    char name[64] = "";
    GetClassNameA((HWND)wParam, name, sizeof name);
    if (code == HCBT_ACTIVATE && strcmp(name, "#32770") == 0)
        PostMessageA(answerer, WM_APP, wParam, 0);
    else if (code == HCBT_DESTROYWND && strcmp(name, PROGRESS_CLASSA) == 0)
        progressAtEnd = {(int)SendMessageA((HWND)wParam, PBM_GETPOS, 0, 0), (int)SendMessageA((HWND)wParam, PBM_GETRANGE, FALSE, 0)};
    else if (code == HCBT_DESTROYWND)
        answered.erase((HWND)wParam);
    return CallNextHookEx(hook, code, wParam, lParam);
}

void ScriptBegin(void)
{
    if (answerer == NULL) { /* a message-only window of our own procedure */
        answerer = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
        SetWindowLongPtrA(answerer, GWLP_WNDPROC, (LONG_PTR)ScriptProc);
    }
    steps.clear(), errors.clear(), answered.clear(), next = 0;
    if (hook == NULL) hook = SetWindowsHookExA(WH_CBT, ScriptHook, NULL, GetCurrentThreadId());
}

void ScriptExpect(const DialogStep &step) { steps.push_back(step); }

std::string ScriptEnd(void)
{
    PumpMessages();
    UnhookWindowsHookEx(hook), hook = NULL;
    for (size_t i = next; i < steps.size(); i++) errors += "missing box '" + steps[i].caption + "': '" + steps[i].text + "'\n";
    steps.clear();
    return errors;
}

Capture CaptureWindow(HWND window)
{
    Capture capture;
    RECT client;
    GetClientRect(window, &client);
    capture.width = client.right, capture.height = client.bottom;
    capture.pixels.resize((size_t)capture.width * capture.height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, capture.width, -capture.height, 1, 32};
    HDC source = GetDC(window), memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, NULL, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY), SelectObject(memory, previous);
    GetDIBits(memory, bitmap, 0, capture.height, capture.pixels.data(), &info, DIB_RGB_COLORS);
    for (unsigned &pixel : capture.pixels) pixel &= 0xFFFFFF;
    DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(window, source);
    return capture;
}

int Differences(const Capture &a, const Capture &b)
{
    return a.width != b.width || a.height != b.height ? -1 : (int)std::inner_product(a.pixels.begin(), a.pixels.end(),
                                                              b.pixels.begin(), 0, std::plus<int>(), std::not_equal_to<unsigned>());
}

static std::string UnixPath(std::string path) /* Z:\a\b: /a/b */
{
    return std::replace(path.begin(), path.end(), '\\', '/'), toupper(path[0]) == 'Z' && path[1] == ':' ? path.substr(2) : path;
}

static std::string WindowsPath(std::string path) { return std::replace(path.begin(), path.end(), '/', '\\'), "Z:" + path; }

static std::string BinaryDir(void) { return WindowsPath(getenv("ZENVRIX_BINARY_DIR") ? getenv("ZENVRIX_BINARY_DIR") : "/tmp") + "\\"; }
std::string Font(const std::string &relative) { return WindowsPath("/usr/share/fonts/truetype/" + relative); }

std::string TempDir(const std::string &name)
{
    std::string folder = BinaryDir() + "testdata\\" + name + "\\";
    RunLinux("rm -rf '" + UnixPath(folder) + "' && mkdir -p '" + UnixPath(folder) + "'");
    return folder;
}

std::string ReadFile(const std::string &path) { std::ifstream in(path, std::ios::binary); return {std::istreambuf_iterator<char>(in), {}}; }
void WriteFile(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size()); }

void RenamedFont(const std::string &dejaVuFile, const std::string &prefix)
{
    RunLinux("perl -0777 -pe 's/D(\\0?)e\\1j\\1a\\1V\\1u/join($1, split(\"\", \"" + prefix + "\"))/ge' " +
             UnixPath(Font("dejavu/" + dejaVuFile)) + " > " + UnixPath(BinaryDir()) + "testdata/" + prefix + "/" + prefix +
             dejaVuFile.substr(6)); /* the names hold the family in 16 and in 8 bits */
}

std::string FontsFolder(void) { char w[MAX_PATH]; return std::string(w, GetWindowsDirectoryA(w, sizeof w)) + "\\Fonts\\"; }
std::string UserFontsFolder(void) { return getenv("LOCALAPPDATA") + std::string("\\Microsoft\\Windows\\Fonts\\"); }

void ForgetFonts(const std::string &prefix)
{
    for (std::string folder : {FontsFolder(), UserFontsFolder(), BinaryDir() + "testdata\\" + prefix + "\\"}) {
        bool copies = folder[0] != 'Z'; /* copies in the Fonts folder go; the test's own stay */
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((folder + prefix + "*").c_str(), &entry);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &entry)) {
            for (int n = 0; n < 16 && RemoveFontResourceA((folder + entry.cFileName).c_str()); n++) {}
            if (copies) DeleteFileA((folder + entry.cFileName).c_str());
        }
        FindClose(find);
    }
    RemoveDirectoryA(UserFontsFolder().c_str()); /* when empty */
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        for (const char *keyPath : {fontKeyNt, fontKey}) {
            HKEY key = NULL;
            char name[400];
            RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS, &key);
            for (DWORD i = 0, size = sizeof name; RegEnumValueA(key, i, name, &size, 0, 0, 0, 0) == 0; size = sizeof name)
                i += strncmp(name, prefix.c_str(), prefix.size()) != 0 || RegDeleteValueA(key, name) != 0;
            RegCloseKey(key);
        }
}

static int CALLBACK Found(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM found) { return *(bool *)found = true, 0; }

bool FamilyListed(const std::string &family)
{
    bool found = false;
    HDC dc = GetDC(NULL);
    EnumFontFamiliesA(dc, family.c_str(), (FONTENUMPROCA)Found, (LPARAM)&found);
    return ReleaseDC(NULL, dc), found;
}

/* Wine starts a Linux program named in CreateProcessA but gives no handle back: the
 * shell writes the output, then the exit code, into files that are polled for. */
int RunLinux(const std::string &command, std::string *output)
{
    static int serial;
    /* In the prefix: Wine numbers processes alike in every prefix, and tests of other builds run meanwhile. */
    std::string stem = std::string(getenv("WINEPREFIX") ? getenv("WINEPREFIX") : "/tmp") + "/zenvrix-run" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string code = WindowsPath(stem + ".code"), line = "Z:\\bin\\sh " + stem + ".sh";
    WriteFile(WindowsPath(stem + ".sh"), "export PATH=/usr/bin:/bin\n( " + command + " ) > " + stem +
                                             ".out 2>&1\necho $? > " + stem + ".part; mv " + stem + ".part " + stem + ".code\n");
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return -1;
    CloseHandle(process.hProcess), CloseHandle(process.hThread);
    for (DWORD start = GetTickCount(); GetFileAttributesA(code.c_str()) == INVALID_FILE_ATTRIBUTES; Sleep(20))
        if (GetTickCount() - start > 60000)
            return -1;
    int result = atoi(ReadFile(code).c_str());
    if (output != NULL) *output = ReadFile(WindowsPath(stem + ".out"));
    for (const char *ending : {".sh", ".out", ".code"}) DeleteFileA(WindowsPath(stem + ending).c_str());
    return result;
}

Printout Print(const DialogStep &dialog, int waitTenths)
{
    const std::string pdf = "\"$(dirname \"$CUPS_SERVER\")\"/pdf/*.pdf";
    RunLinux("rm -f " + pdf), ScriptExpect(dialog);
    ScriptExpect(Box("Press AFTER all pages are printed", "")), SendCommand(CMD_PRINT);
    std::string out;
    RunLinux("for i in $(seq " + std::to_string(waitTenths) + "); do tail -c 8 " + pdf +
             " 2>/dev/null | grep -q EOF && break; sleep 0.1; done; f=$(ls " + pdf + ") && pdfinfo \"$f\" | "
             "sed -n 's/^Pages: *//p' && pdffonts \"$f\" && printf '\\f' && pdftotext -layout \"$f\" -", &out);
    size_t feed = out.find('\f');
    return {atoi(out.c_str()), out.substr(0, feed), out.substr(std::min(out.size(), feed + 1))};
}
