/* charmap_test.cpp - a cell's context menu (right click, menu key) and the character map
 * window: the menu's items for an installed and a folder font, Copy name; every character of
 * a Latin, a non-Latin and a collection face, counted and ordered by fontTools, drawn page by
 * page in the face; the status bar, clicks and keys; a folder font registered while its
 * windows are open; faces whose characters cannot be read. */
#include "harness.h"

#include <commctrl.h>

#include "app/charmap.h"
#include "catalogue/blockcore.h"

typedef Program Characters;

/* fontTools' code points of a face, glyph 0 left out, in order, each with its glyph id. */
static std::vector<std::pair<uint32_t, unsigned>> Oracle(const std::string &file, int face)
{
    std::string out;
    RunLinux("/usr/bin/python3 -c 'import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1], fontNumber=" + std::to_string(face) +
             "); o = f.getGlyphOrder()\nfor c, g in sorted(f.getBestCmap().items()):\n if g != o[0]: print(c, f.getGlyphID(g))' /usr/share/fonts/truetype/" + file, &out);
    std::vector<std::pair<uint32_t, unsigned>> points;
    for (const char *at = out.c_str(); *at; at = strchr(at, '\n') + 1) points.push_back({(uint32_t)atol(at), (unsigned)atol(strchr(at, ' '))});
    return points;
}

/* The context menu from a WM_CONTEXTMENU at (x, y) of the client window (-1: the keyboard's):
 * its items, "-" before a grey one; `key` picks an item by its letter, 0 closes the menu. */
static HWND menuWindow;
static char menuKey;
static std::vector<std::string> menuItems;
static void CALLBACK ReadMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    HMENU menu = (HMENU)SendMessageA(menuWindow, MN_GETHMENU, 0, 0);
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        menuItems.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED ? "-" : "") + std::string(text));
    }
    menuKey ? (void)PostMessageA(menuWindow, WM_CHAR, menuKey, 0) : (void)EndMenu();
}
static LRESULT CALLBACK MenuHook(int code, WPARAM wParam, LPARAM lParam)
{
    char name[16] = "";
    if (code == HCBT_CREATEWND && GetClassNameA((HWND)wParam, name, sizeof name) && strcmp(name, "#32768") == 0)
        menuWindow = (HWND)wParam, SetTimer(NULL, 0, 10, ReadMenu);
    return CallNextHookEx(NULL, code, wParam, lParam);
}
static std::vector<std::string> ContextMenu(int x, int y, char key = 0)
{
    HHOOK hook = SetWindowsHookExA(WH_CBT, MenuHook, NULL, GetCurrentThreadId());
    menuItems.clear(), menuKey = key, SetForegroundWindow(mainWindow), SetFocus(mainWindow);
    if (x >= 0) Mouse(clientWindow, x, y, {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
    else if (x == -2) SendMessageA(mainWindow, WM_CONTEXTMENU, (WPARAM)mainWindow, -1); /* the keyboard's, without F10 entering the menu bar */
    else {
        INPUT keys[4] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}, {INPUT_KEYBOARD}, {INPUT_KEYBOARD}}; /* Shift+F10, or the menu key */
        keys[0].ki.wVk = keys[3].ki.wVk = VK_SHIFT, keys[1].ki.wVk = keys[2].ki.wVk = VK_F10, keys[2].ki.dwFlags = keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        if (y == -3) keys[1].ki.wVk = keys[2].ki.wVk = VK_APPS;
        SendInput(y == -3 ? 2 : 4, keys + (y == -3), sizeof keys[0]), PumpMessages(20);
    }
    return UnhookWindowsHookEx(hook), menuItems;
}

static std::wstring Clipboard(UINT format)
{
    std::wstring text;
    OpenClipboard(NULL);
    if (HANDLE data = GetClipboardData(format))
        text = format == CF_TEXT ? std::wstring(L"A:") + std::wstring((const char *)GlobalLock(data), (const char *)GlobalLock(data) + strlen((const char *)GlobalLock(data))) : (const wchar_t *)GlobalLock(data), GlobalUnlock(data);
    return CloseClipboard(), text;
}

static std::string StatusPart(HWND window, int part)
{
    char text[300] = "";
    return SendMessageA(GetDlgItem(window, IDC_CHARMAP_STATUS), SB_GETTEXTA, part, (LPARAM)text), text;
}

static int IndexOf(const std::string &face, int weight = 0)
{
    for (int i = 0; i < displayList.count; i++)
        if (face == displayList.records[i]->logFont.lfFaceName && (!weight || displayList.records[i]->logFont.lfWeight == weight)) return i;
    return -1;
}

/* The characters map window of DisplayList entry `index`, opened by its menu command. */
static HWND OpenCharacters(int index)
{
    shell.selectedFont = index, SendCommand(CMD_CELL_CHARACTERS);
    return FindWindowA(kCharMapClass, ("Characters - " + std::string(displayList.records[index]->logFont.lfFaceName)).c_str());
}

/* The dark pixels of a picture, cut to their bounding box: where a glyph is drawn matters not. */
static std::vector<int> Ink(const Capture &c, RECT r)
{
    RECT box = {r.right, r.bottom, r.left, r.top};
    auto dark = [&](int x, int y) { unsigned p = c.at(x, y); return ((p >> 16) + (p >> 8 & 255) + (p & 255)) < 384; };
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (dark(x, y)) box = {std::min(box.left, (LONG)x), std::min(box.top, (LONG)y), std::max(box.right, (LONG)x + 1), std::max(box.bottom, (LONG)y + 1)};
    std::vector<int> ink = {std::max(0, (int)(box.right - box.left)), std::max(0, (int)(box.bottom - box.top))};
    for (int y = box.top; y < box.bottom; y++)
        for (int x = box.left; x < box.right; x++) ink.push_back(dark(x, y));
    return ink;
}

/* Cells of the view that do not show their character: each against the character drawn alone. */
static std::string WrongCells(HWND window, const std::vector<std::pair<uint32_t, unsigned>> &points)
{
    Capture shown = CaptureWindow(window), alone;
    alone.width = alone.height = 120;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, 120, -120, 1, 32};
    void *bits = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap), oldFont = SelectObject(dc, (HFONT)SendMessageA(window, WM_GETFONT, 0, 0));
    std::string wrong;
    RECT cell;
    int drawn = 0;
    for (uint32_t i = 0; i < points.size(); i++) {
        if (!CharMapCellRect(window, i, &cell)) { if (drawn) break; continue; }
        if (cell.bottom > shown.height || cell.right > shown.width || cell.top < 0) continue;
        uint32_t c = points[i].first, s = c - 0x10000;
        WCHAR units[2] = {(WCHAR)(c < 0x10000 ? c : 0xD800 + (s >> 10)), (WCHAR)(0xDC00 + (s & 0x3FF))}; /* a surrogate pair above the BMP */
        PatBlt(dc, 0, 0, 120, 120, WHITENESS), TextOutW(dc, 30, 30, units, c < 0x10000 ? 1 : 2), GdiFlush();
        alone.pixels.assign((unsigned *)bits, (unsigned *)bits + 120 * 120), drawn++;
        for (unsigned &p : alone.pixels) p &= 0xFFFFFF;
        if (Ink(shown, {cell.left, cell.top, cell.right - 1, cell.bottom - 1}) != Ink(alone, {0, 0, 120, 120})) wrong += " " + std::to_string(points[i].first);
    }
    SelectObject(dc, oldFont), SelectObject(dc, oldBitmap), DeleteObject(bitmap), DeleteDC(dc);
    return drawn > 20 ? wrong : "only " + std::to_string(drawn) + " cells";
}

TEST_F(Characters, TheMenuOffersWhatTheCellAllowsAndCopiesItsName)
{
    ASSERT_GE(displayList.count, 4);
    int x = pageLayout.originX + 20, y = pageLayout.cellTopOffset + 10, second = (int)(pageLayout.cellWidth + x);
    EXPECT_EQ(std::vector<std::string>{}, ContextMenu(-2, -1)); /* nothing selected yet */
    EXPECT_EQ(std::vector<std::string>{}, ContextMenu(second - 20, y)); /* between two cells */
    EXPECT_EQ((std::vector<std::string>{"-&Install font...", "&Characters...", "Copy &name"}), ContextMenu(second, y, 'n'));
    std::string face = displayList.records[1]->logFont.lfFaceName;
    EXPECT_EQ(1, shell.selectedFont);
    EXPECT_EQ(std::wstring(face.begin(), face.end()) + L"|A:" + std::wstring(face.begin(), face.end()), Clipboard(CF_UNICODETEXT) + L"|" + Clipboard(CF_TEXT));
    EXPECT_EQ(3u, ContextMenu(-1, -3).size()); /* the keyboard's menu, for the cell last selected */
    EXPECT_EQ(3u, ContextMenu(-1, -1, 'c').size());
    HWND window = FindWindowA(kCharMapClass, ("Characters - " + face).c_str());
    EXPECT_TRUE(window != NULL), DestroyWindow(window);
    ScanFolder(Font("dejavu\\")), Refresh(); /* a folder: Install is there and opens the install dialog */
    ScriptExpect(Dialog("Install Font", IDCANCEL));
    EXPECT_EQ((std::vector<std::string>{"&Install font...", "&Characters...", "Copy &name"}), ContextMenu(x, y, 'i'));
}

TEST_F(Characters, ALatinANonLatinAndACollectionFaceShowEveryCharacterInOrderPageByPage)
{
    settings.allFontFiles = 1, ScanFolder(Font("wqy\\"));
    const struct { const char *face, *file; int index, collection; } faces[] = {{"DejaVu Sans", "dejavu/DejaVuSans.ttf", -1, 0},
        {"Noto Sans Georgian", "noto/NotoSansGeorgian-Regular.ttf", -1, 0}, {"WenQuanYi Zen Hei Mono", "wqy/wqy-zenhei.ttc", 1, 1}};
    for (const auto &f : faces) {
        if (!f.collection) SendCommand(CMD_INSTALLED_FONTS);
        auto points = Oracle(f.file, f.index < 0 ? 0 : f.index);
        HWND window = OpenCharacters(IndexOf(f.face));
        ASSERT_TRUE(window != NULL) << f.face;
        EXPECT_EQ(std::to_string(points.size()) + " characters", StatusPart(window, 0)) << f.face;
        EXPECT_EQ("", WrongCells(window, points)) << f.face << " first page";
        SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0), UpdateWindow(window);
        EXPECT_EQ("", WrongCells(window, points)) << f.face << " second page";
        SendMessageA(window, WM_VSCROLL, SB_BOTTOM, 0), UpdateWindow(window);
        EXPECT_EQ("", WrongCells(window, points)) << f.face << " last page";
        SendMessageA(window, WM_KEYDOWN, VK_END, 0); /* the last character: selected and named */
        char codePoint[16];
        snprintf(codePoint, sizeof codePoint, "U+%04X", points.back().first);
        const UnicodeBlock *block = FindUnicodeBlock(points.back().first);
        EXPECT_EQ((block ? block->name : "No block") + std::string("|") + codePoint + "|Glyph " + std::to_string(points.back().second),
                  StatusPart(window, 1) + "|" + StatusPart(window, 2) + "|" + StatusPart(window, 3)) << f.face;
        DestroyWindow(window);
    }
}

TEST_F(Characters, AClickSelectsAndNamesACharacterTheKeysMoveAndADoubleClickOrCtrlCCopiesIt)
{
    auto points = Oracle("dejavu/DejaVuSans.ttf", 0);
    HWND window = OpenCharacters(IndexOf("DejaVu Sans"));
    RECT a, b;
    ASSERT_TRUE(CharMapCellRect(window, 'A' - 32, &a) && CharMapCellRect(window, 'B' - 32, &b) && points['A' - 32].first == 'A');
    auto status = [&] { return StatusPart(window, 1) + "|" + StatusPart(window, 2) + "|" + StatusPart(window, 3); };
    auto press = [](std::initializer_list<WORD> keys) {
        std::vector<INPUT> input;
        for (WORD key : keys) input.push_back({INPUT_KEYBOARD}), input.back().ki.wVk = key;
        for (auto key = keys.end(); key != keys.begin();) input.push_back({INPUT_KEYBOARD}), input.back().ki = {*--key, 0, KEYEVENTF_KEYUP};
        SendInput((UINT)input.size(), input.data(), sizeof input[0]), PumpMessages(20);
    };
    Mouse(window, (a.left + a.right) / 2, (a.top + a.bottom) / 2, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
    EXPECT_EQ(L"A|A:A", Clipboard(CF_UNICODETEXT) + L"|" + Clipboard(CF_TEXT));
    EXPECT_EQ("Basic Latin|U+0041|Glyph " + std::to_string(points['A' - 32].second), status());
    Mouse(window, (b.left + b.right) / 2, (b.top + b.bottom) / 2, {});
    EXPECT_EQ("Basic Latin|U+0042|Glyph " + std::to_string(points['B' - 32].second), status()); /* under the mouse */
    Mouse(GetDesktopWindow(), 1270, 1015, {}), press({VK_DOWN, VK_RIGHT, VK_RIGHT}), press({VK_CONTROL, 'C'}); /* the mouse gone: the selected one */
    int columns = 0;
    for (RECT r; CharMapCellRect(window, columns, &r) && r.top == 0;) columns++;
    EXPECT_EQ(std::wstring(1, (wchar_t)points['A' - 32 + columns + 2].first), Clipboard(CF_UNICODETEXT)); /* a row down, two on */
    press({VK_END}), press({VK_CONTROL, 'C'});
    EXPECT_EQ(std::wstring({(wchar_t)0xD83D, (wchar_t)0xDE43}), Clipboard(CF_UNICODETEXT)); /* U+1F643, the last, as a surrogate pair */
    EXPECT_EQ("Emoticons|U+1F643", StatusPart(window, 1) + "|" + StatusPart(window, 2));
    press({VK_HOME}), Mouse(window, a.left, a.top, {MOUSEEVENTF_WHEEL}, (DWORD)-WHEEL_DELTA); /* a notch down: three rows */
    RECT cell, client;
    EXPECT_TRUE(CharMapCellRect(window, 3 * columns, &cell) && cell.top == 0 && cell.left == 0);
    GetClientRect(window, &client), SetWindowPos(window, NULL, 0, 0, client.right / 2, 400, SWP_NOMOVE | SWP_NOZORDER); /* fewer columns */
    EXPECT_TRUE(CharMapCellRect(window, 3 * columns, &cell) && cell.top == 0) << "the first character in view stays in the top row";
    DestroyWindow(window);
}

TEST_F(Characters, AFolderFontStaysRegisteredWhileItsWindowsAreOpenAndAllCloseWithTheMainWindow)
{
    ForgetFonts("ZvChrm");
    const std::string folder = TempDir("ZvChrm"), path = folder + "ZvChrmSans.ttf";
    RenamedFont("DejaVuSans.ttf", "ZvChrm"), ScanFolder(folder);
    ASSERT_EQ(1, displayList.count);
    HWND first = OpenCharacters(0), second = OpenCharacters(0);
    Refresh(); /* the grid adds and removes the file around its cell once more */
    EXPECT_TRUE(first && second && first != second && FamilyListed("ZvChrm Sans"));
    DestroyWindow(first);
    EXPECT_TRUE(FamilyListed("ZvChrm Sans"));
    SendMessageA(second, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(second) || FamilyListed("ZvChrm Sans") || RemoveFontResourceA(path.c_str())); /* removed, exactly once */
    first = OpenCharacters(0), SendCommand(CMD_INSTALLED_FONTS), second = OpenCharacters(IndexOf("DejaVu Sans"));
    StopZenvrix();
    EXPECT_FALSE(IsWindow(first) || IsWindow(second) || FamilyListed("ZvChrm Sans"));
    ASSERT_EQ(1, StartZenvrix());
}

TEST_F(Characters, AFaceWhoseCharactersCannotBeReadOpensWithNoneAndSaysWhy)
{
    ForgetFonts("ZvNocm");
    const std::string folder = TempDir("ZvNocm"), path = folder + "ZvNocmSans.ttf";
    RenamedFont("DejaVuSans.ttf", "ZvNocm"), RenamedFont("DejaVuSerif.ttf", "ZvNocm"); /* Sans: only a Macintosh subtable left; Serif: no cmap */
    RunLinux("cd " + std::string(getenv("ZENVRIX_BINARY_DIR")) + "/testdata/ZvNocm && perl -0777 -pi -e 's/cmap/cmaq/' ZvNocmSerif.ttf && /usr/bin/python3 -c "
             "'from fontTools.ttLib import TTFont; f = TTFont(\"ZvNocmSans.ttf\"); c = f[\"cmap\"]; c.tables = [t for t in c.tables if t.platformID == 1]; f.save(\"ZvNocmSans.ttf\")'");
    const struct { int source; FaultPoint fault; int okCalls; const char *why; } cases[] = {{0, FAULT_HEAP, 1, "Not enough memory for the character list"},
        {1, FAULT_POINT_COUNT, 0, "The cmap table maps no Unicode or symbol characters"}, {1, FAULT_ADD_FONT_RESOURCE, 0, "The font file could not be registered"},
        {2, FAULT_POINT_COUNT, 0, "The face has no cmap table"}};
    for (const auto &c : cases) {
        c.source ? ScanFolder(folder) : (void)SendCommand(CMD_INSTALLED_FONTS);
        int index = c.source == 0 ? IndexOf("DejaVu Sans") : c.source - 1;
        if (c.fault != FAULT_POINT_COUNT) SetFault(c.fault, c.okCalls, 1);
        HWND window = OpenCharacters(index);
        ClearFaults();
        EXPECT_EQ(std::string("0 characters|") + c.why, StatusPart(window, 0) + "|" + StatusPart(window, 1)) << displayList.records[index]->logFont.lfFaceName;
        SendMessageA(window, WM_KEYDOWN, VK_END, 0), SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0), UpdateWindow(window); /* nothing to move to */
        EXPECT_EQ("", StatusPart(window, 2));
        DestroyWindow(window);
        EXPECT_FALSE(RemoveFontResourceA(path.c_str())) << c.why;
    }
}
