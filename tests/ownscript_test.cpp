/* ownscript_test.cpp - faces that cannot draw the example text draw a sample in their own
 * script instead, exactly as if it were typed, with characters their face maps: folder fonts
 * (read from the file) and installed ones (through GDI), on screen and on paper; the Text
 * menu's item turns it off, and a custom text is never replaced. */
#include "harness.h"

#include <algorithm>

typedef Program OwnScript;

static std::string Utf8(const WCHAR *text)
{
    char out[200];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, NULL, NULL);
    return std::string(out, n > 0 ? n - 1 : 0);
}
static std::vector<WORD> GlyphsOf(const LOGFONTA &logFont, const WCHAR *text) /* as GDI reads the face's cmap; 0xFFFF: none */
{
    HDC dc = CreateCompatibleDC(NULL);
    HFONT font = CreateFontIndirectA(&logFont);
    HGDIOBJ previous = SelectObject(dc, font);
    std::vector<WORD> glyphs(lstrlenW(text));
    glyphs.resize(GetGlyphIndicesW(dc, text, (int)glyphs.size(), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS));
    SelectObject(dc, previous), DeleteObject(font), DeleteDC(dc);
    return glyphs;
}
static bool FaceMaps(const LOGFONTA &logFont, const WCHAR *text)
{
    std::vector<WORD> glyphs = GlyphsOf(logFont, text);
    return !glyphs.empty() && glyphs.size() == (size_t)lstrlenW(text) && std::count(glyphs.begin(), glyphs.end(), 0xFFFF) == 0;
}
static Capture Top(Capture c, int rows) { return c.height = rows, c.pixels.resize((size_t)rows * c.width), c; }

TEST_F(OwnScript, AFaceLackingTheExampleDrawsItsOwnScriptAsTypedOrItsFirstCharactersByGlyph)
{
    const struct { const char *file, *sample; } fonts[] = {
        {"noto/NotoSansThai-Regular.ttf", u8"กขฃคฅฆงจฉช ๑๒๓"}, {"noto/NotoSansArabic-Regular.ttf", u8"ابتثجحخد ١٢٣"},
        {"noto/NotoSansEthiopic-Regular.ttf", u8"ሀለሐመሠረሰሸ"}, {"noto/NotoSansTifinagh-Regular.ttf", u8"ⴰⴱⴳⴷⴹⴻⴼⴽ"},
        {"noto/NotoSansLao-Regular.ttf", u8"ກຂຄງຈຊຍດ ໑໒໓"}, {"noto/NotoSansSymbols-Regular.ttf", "AaBbCcDdEe 123"}, /* Latin letters, no hyphen */
        {"noto/NotoMusic-Regular.ttf", u8"◌♩♪♫♬♭♮♯𝀀𝀁𝀂𝀃𝀄𝀅𝀆𝀇𝀈𝀉𝀊𝀋𝀌𝀍𝀎"}, {"liberation/LiberationSans-Regular.ttf", ""}};
    for (const auto &font : fonts) {
        std::string folder = TempDir("ownscript"), path = folder + (strrchr(font.file, '/') + 1);
        ASSERT_TRUE(CopyFileA(Font(font.file).c_str(), path.c_str(), FALSE)) << font.file;
        ScanFolder(folder);
        ASSERT_EQ(1, displayList.count);
        FontRecord *record = displayList.records[0];
        bool latin = font.sample[0] == 0, byGlyph = record->sample.glyphCount > 0;
        EXPECT_EQ(latin ? 0 : LACKS_SHORT_TEXT | LACKS_FULL_TEXT, record->sample.lacks) << font.file;
        EXPECT_EQ(font.sample, latin ? "" : Utf8(record->sample.text));
        AddFontResourceA(path.c_str());
        if (byGlyph) { /* the first eight, of the basic plane, as GDI maps them */
            EXPECT_EQ(GlyphsOf(record->logFont, L"\u25CC\u2669\u266A\u266B\u266C\u266D\u266E\u266F"), std::vector<WORD>(record->sample.glyphs, record->sample.glyphs + 8));
        } else if (!latin) {
            EXPECT_TRUE(FaceMaps(record->logFont, record->sample.text)) << font.file;
        }
        RemoveFontResourceA(path.c_str());
        int band = (int)(pageLayout.originY + 2 * pageLayout.lineHeight); /* the label and the first line */
        Capture own = CaptureWindow(clientWindow);
        strcpy(settings.customText, latin ? settings.shortText : Utf8(record->sample.text).c_str()), SendCommand(CMD_TEXT_CUSTOM);
        EXPECT_EQ(byGlyph, Differences(Top(own, band), Top(CaptureWindow(clientWindow), band)) > 0) << font.file; /* Wine draws no pair as text */
        SendCommand(CMD_TEXT_SHORT), SendCommand(CMD_OWN_SCRIPT);
        Capture off = CaptureWindow(clientWindow);
        EXPECT_EQ(latin, Differences(own, off) == 0) << font.file;
        strcpy(settings.customText, settings.shortText), SendCommand(CMD_TEXT_CUSTOM), SendCommand(CMD_OWN_SCRIPT);
        EXPECT_EQ(0, Differences(off, CaptureWindow(clientWindow))) << font.file; /* a custom text as typed, boxes and all */
        SendCommand(CMD_TEXT_SHORT);
    }
}

TEST_F(OwnScript, AnInstalledFaceIsReadWhenFirstDrawnAndKeptForTheNextList)
{
    strcpy(settings.filterText, "Noto Sans Thai"), settings.filterMode = IDC_FILTER_BEGIN, SendCommand(CMD_FILTER_ON);
    ASSERT_GT(displayList.count, 0);
    FontRecord *record = displayList.records[0];
    EXPECT_EQ(SAMPLE_READ, record->sample.state);
    EXPECT_EQ(u8"กขฃคฅฆงจฉช ๑๒๓", Utf8(record->sample.text));
    EXPECT_TRUE(FaceMaps(record->logFont, record->sample.text));
    EXPECT_EQ(SAMPLE_READ, catalogue.records[record->catalogueIndex]->sample.state);
}

TEST_F(OwnScript, APrintedPageCarriesTheSamples)
{
    std::string folder = TempDir("ownprint");
    for (const char *file : {"noto/NotoSansThai-Regular.ttf", "noto/NotoSansArmenian-Regular.ttf"})
        CopyFileA(Font(file).c_str(), (folder + (strrchr(file, '/') + 1)).c_str(), FALSE);
    ScanFolder(folder);
    std::string text = Print(Dialog("Print")).text;
    EXPECT_NE(std::string::npos, text.find(u8"กขฃคฅ")) << text;
    EXPECT_NE(std::string::npos, text.find(u8"ԱաԲբ")) << text;
}

TEST_F(OwnScript, ASymbolEncodedFaceKeepsTheExample)
{
    std::string folder = TempDir("ownsymbol"), font = ReadFile(Font("noto/NotoSansThai-Regular.ttf"));
    auto u16 = [&](size_t at) { return (unsigned)(uint8_t)font[at] << 8 | (uint8_t)font[at + 1]; };
    size_t cmap = 0;
    for (size_t r = 12; r < 12 + 16 * u16(4); r += 16)
        if (font.compare(r, 4, "cmap") == 0) cmap = u16(r + 8) << 16 | u16(r + 10);
    for (size_t e = cmap + 4; cmap != 0 && e < cmap + 4 + 8 * u16(cmap + 2); e += 8) /* (0,3) made ISO's, (3,1) the symbol one */
        font[u16(e) == 0 ? e + 1 : e + 3] = u16(e) == 0 ? 2 : 0;
    WriteFile(folder + "ZvSymbol.ttf", font), ScanFolder(folder);
    ASSERT_EQ(1, displayList.count);
    EXPECT_EQ((std::vector<int>{SAMPLE_READ, 0}), (std::vector<int>{displayList.records[0]->sample.state, displayList.records[0]->sample.lacks}));
}
