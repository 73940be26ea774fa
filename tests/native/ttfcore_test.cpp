/* ttfcore_test.cpp - the font reading core on real fonts and collections, patched for what
 * none has (directory search, names, OS/2, collection headers, reading on demand), and sweeps
 * of truncations and byte changes (natively, ASan reports any read past a cut); also under Wine. */
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "catalogue/ttfcore.h"
#include "tests/collection.h"

#if __has_include(<sanitizer/asan_interface.h>) /* its macros do nothing without ASan */
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(p, n) ((void)(p), (void)(n))
#define ASAN_UNPOISON_MEMORY_REGION(p, n) ((void)(p), (void)(n))
#endif

namespace {

typedef std::vector<uint8_t> Bytes;

template <class Block = Bytes> Block FontFile(const std::string &relative) /* under Wine, on drive Z: */
{
    std::ifstream in("/usr/share/fonts/truetype/" + relative, std::ios::binary);
    return Block(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned U16(const Bytes &b, size_t at) { return b[at] << 8 | b[at + 1]; }
void Put16(Bytes &b, size_t at, unsigned v) { b[at] = (uint8_t)(v >> 8), b[at + 1] = (uint8_t)v; }
size_t Record(const Bytes &b, const char *tag) /* in the directory */
{
    for (unsigned i = 0; i < U16(b, 4); i++)
        if (memcmp(&b[12 + 16 * i], tag, 4) == 0)
            return 12 + 16 * i;
    return 0;
}
size_t Table(const Bytes &b, const char *tag) { return U16(b, Record(b, tag) + 8) << 16 | U16(b, Record(b, tag) + 10); }

/* Units below 256 as Latin-1, two bytes for each unit above (as a double-byte code page). */
int Latin1(void *, const uint16_t *units, int count, char *out, int size)
{
    int n = 0;
    for (int i = 0; i < count && n < size; i++)
        for (int k = units[i] < 256 ? 1 : 2; k > 0 && n < size; k--)
            out[n++] = units[i] < 256 ? (char)units[i] : k == 2 ? (char)0x82 : (char)(units[i] & 0x7F);
    return n;
}

const TtfPlatform kEnglish = {0x409, Latin1, NULL};

TtfResult Read(const Bytes &bytes, TtfFontInfo *info, uint32_t lcid = 0x409, int utf8 = 0)
{
    TtfPlatform platform = {lcid, Latin1, NULL, utf8};
    SfntImage image;
    SfntImageWhole(&image, (unsigned char *)bytes.data(), (uint32_t)bytes.size());
    return ReadSfntFont(&image, &platform, info);
}

struct Name { unsigned platform, language, id; std::string bytes; };
Name Win(unsigned id, unsigned language, const std::string &text)
{
    std::string wide;
    for (char c : text) wide += std::string(1, '\0') + c;
    return {3, language, id, wide};
}
Name Mac(unsigned id, const std::string &text) { return {1, 0, id, text}; }

/* DejaVu Sans with a name table of these records appended: its last string ends the file. */
Bytes WithNames(const std::vector<Name> &names)
{
    Bytes font = FontFile("dejavu/DejaVuSans.ttf"), table(6 + 12 * names.size());
    Put16(table, 2, (unsigned)names.size()), Put16(table, 4, (unsigned)table.size());
    for (size_t i = 0; i < names.size(); i++) {
        const unsigned fields[] = {names[i].platform, names[i].platform != 1, names[i].language, names[i].id,
                                   (unsigned)names[i].bytes.size(), (unsigned)(table.size() - 6 - 12 * names.size())};
        for (int f = 0; f < 6; f++) Put16(table, 6 + 12 * i + 2 * f, fields[f]);
        table.insert(table.end(), names[i].bytes.begin(), names[i].bytes.end());
    }
    Put32(font, Record(font, "name") + 8, (uint32_t)font.size());
    Put32(font, Record(font, "name") + 12, (uint32_t)table.size()), font.insert(font.end(), table.begin(), table.end());
    return font;
}

TEST(TableDirectory, EveryTableOfASortedDirectoryIsFoundWhateverTheStoredSearchFields)
{
    for (unsigned count = 1; count <= 40; count++) {
        Bytes file(12 + 20 * count, 0xFF); /* stored search fields 0xFFFF; the last table at the end */
        Put32(file, 0, 0x00010000), Put16(file, 4, count);
        for (unsigned i = 0; i < count; i++) {
            snprintf((char *)&file[12 + 16 * i], 5, "t%03u", i * 7);
            Put32(file, 12 + 16 * i + 8, i + 1 < count ? 12 + 16 * count + 4 * i : (uint32_t)file.size());
        }
        SfntImage image;
        SfntImageWhole(&image, file.data(), (uint32_t)file.size());
        for (unsigned i = 0; i < count; i++) {
            char tag[5], between[5];
            uint32_t offset = 0, found = (snprintf(tag, 5, "t%03u", i * 7), FindSfntTable(&image, tag, &offset));
            EXPECT_EQ(i + 1 < count ? 12 + 16 * count + 4 * i : 0, found * offset) << count << " " << tag;
            EXPECT_EQ(0, (snprintf(between, 5, "t%03u", i * 7 + 3), FindSfntTable(&image, between, &offset)));
        }
    }
}

/* What no real font has (the oracle compares the rest): other tags, no OS/2, all fsSelection bits. */
TEST(RealFonts, VersionTagsMissingOs2AndTheMaskedStyleBits)
{
    Bytes bytes = FontFile("dejavu/DejaVuSerif-BoldItalic.ttf");
    TtfFontInfo info;
    const struct { size_t at; uint32_t value; TtfResult result; } cases[] = {
        {0, 0x74727565 /* true */, TTF_OK}, {0, 0x4F54544F /* OTTO */, TTF_NOT_TRUETYPE}, {0, 0x00020000, TTF_NOT_TRUETYPE},
        {0, 0x74746366 /* ttcf */, TTF_NOT_TRUETYPE}, {0, 0x00010000, TTF_OK}, {Record(bytes, "OS/2"), 0x4F532F31, TTF_NO_OS2_TABLE}};
    Put16(bytes, Table(bytes, "OS/2") + 62, 0xFFFF); /* every fsSelection bit */
    for (const auto &c : cases) {
        EXPECT_EQ(c.result, Read((Put32(bytes, c.at, c.value), bytes), &info)) << c.value;
        EXPECT_EQ(c.result == TTF_OK ? "DejaVu Serif 51" : " 0", std::string(info.faceName) + " " +
                  std::to_string(info.italic + info.underline + info.strikeOut + info.boldFlag)) << c.value;
    }
}

TEST(Names, TheBestRankedRecordIsTakenAndCutToItsMember)
{
    const std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    const struct { const char *behaviour; std::vector<Name> names; uint32_t lcid; std::string full, face; int utf8; } cases[] = {
        {"Windows over a later Macintosh", {Win(4, 0x409, "Win"), Mac(4, "Mac")}, 0x409, "Win", ""},
        {"a later Macintosh over rank 0", {Win(4, 0x407, "Fett"), Mac(4, "Mac")}, 0x409, "Mac", ""},
        {"Macintosh bytes as they are", {Mac(4, "Caf\x8E"), Mac(1, "M")}, 0x409, "Caf\x8E", "M"},
        {"an empty later one at the file's end", {Mac(4, "Mac"), Mac(4, "")}, 0x409, "", ""},
        {"system language over English", {Win(4, 0x407, "Fett"), Win(4, 0x409, "Bold")}, 0x407, "Fett", ""},
        {"English over another language", {Win(4, 0x409, "Bold"), Win(4, 0x407, "Fett")}, 0x409, "Bold", ""},
        {"the later of equal rank", {Win(4, 0x40C, "Gras"), Win(4, 0x407, "Fett")}, 0x409, "Fett", ""},
        {"phone-book German is no German", {Win(4, 0x409, "Bold"), Win(4, 0x407, "Fett")}, 0x10407, "Bold", ""},
        {"the family cut to 31", {Win(1, 0x409, forty), Mac(4, forty)}, 0x409, forty, forty.substr(0, 31)},
        {"a Macintosh family cut to 31", {Mac(1, forty)}, 0x409, "", forty.substr(0, 31)},
        {"a converted text keeps 100 bytes", {Win(4, 0x409, std::string(400, 'w'))}, 0x409, std::string(100, 'w'), ""},
        {"a Macintosh text cut to 299", {Mac(4, std::string(400, 'm'))}, 0x409, std::string(299, 'm'), ""},
        {"60,000 bytes passed over", {Win(4, 0x409, "Kept"), Win(4, 0x409, std::string(30000, 'x'))}, 0x409, "Kept", ""},
        {"as many bytes as code units", {Name{3, 0x409, 4, std::string("\1A\1B\1C\1D\1E", 10)}}, 0x409, "\x82" "A\x82" "B\x82", ""},
        {"other ids and platforms", {Win(6, 0x409, "PS"), Name{0, 0, 4, "uni"}, Name{2, 0, 4, "iso"}}, 0x409, "", ""},
        /* UTF-8 as the code page (the converter passes the bytes through): cut only between characters */
        {"UTF-8: 100 bytes", {Win(4, 0x409, std::string(98, 'w') + "\xE6\x97\xA5")}, 0x409, std::string(98, 'w'), "", 1},
        {"UTF-8: a lead byte of E0 starts three", {Win(4, 0x409, std::string(98, 'w') + "\xE0\xA4\x85")}, 0x409, std::string(98, 'w'), "", 1},
        {"UTF-8: a lead byte of F0 starts four", {Win(4, 0x409, std::string(97, 'w') + "\xF0\x9F\x98\x80"), Win(1, 0x409, std::string(27, 'f') + "\xF0\x90\x80\x80")}, 0x409, std::string(97, 'w'), std::string(27, 'f') + "\xF0\x90\x80\x80", 1},
        {"UTF-8: C0 starts two, a whole pair is kept", {Win(4, 0x409, std::string(98, 'w') + "\xC3\xA9"), Win(1, 0x409, std::string(30, 'f') + "\xC0\x80")}, 0x409, std::string(98, 'w') + "\xC3\xA9", std::string(30, 'f'), 1},
        {"UTF-8: nothing before the text counts", {Mac(4, "\xE0"), Mac(4, ""), Mac(4, "\x80"), Mac(1, "\xE6\x97")}, 0x409, "\x80", "", 1},
        {"UTF-8: not to the code units, the family to 31", {Name{3, 0x409, 4, std::string("\1A\1B\1C", 6)}, Win(1, 0x409, std::string(30, 'f') + "\xD0\xB6")},
         0x409, "\x82" "A\x82" "B\x82" "C", std::string(30, 'f'), 1},
        {"UTF-8: a Macintosh family", {Mac(1, std::string(30, 'm') + "\xD0\xB6")}, 0x409, "", std::string(30, 'm'), 1}};
    TtfFontInfo info;
    for (const auto &c : cases) {
        ASSERT_EQ(TTF_OK, Read(WithNames(c.names), &info, c.lcid, c.utf8)) << c.behaviour;
        EXPECT_EQ(c.full + "|" + c.face, std::string(info.fullName) + "|" + info.faceName) << c.behaviour;
    }
    EXPECT_EQ(1, TextAdvance("\xC3\xA9", 0, 1, 2, 1)); /* a sample's walk stops where its part ends, inside a character too */
    EXPECT_EQ(2, TextAdvance("\xC3\xA9" "a", 0, 3, 1, 1));
    Bytes bytes = WithNames({Win(1, 0x409, "Good"), Win(4, 0x409, "Gone"), Win(0, 0x40C, "K"), Mac(2, "S"), Mac(3, "I"),
                             Mac(5, "V"), Mac(7, "T")}); /* a Macintosh record of each other id */
    size_t name = Table(bytes, "name");
    Put16(bytes, name + 6 + 12 + 10, 0xFFF0); /* a string outside the file is passed over */
    Put16(bytes, name + 2, 0xFFFF);           /* records are read until the file ends */
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_EQ("Good||K|S|I|V|T", std::string(info.faceName) + "|" + info.fullName + "|" + info.copyright + "|" +
                                        info.subfamily + "|" + info.identifier + "|" + info.version + "|" + info.trademark);
    bytes.resize(name + 4); /* a header cut by the end of the file */
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(bytes, &info));
}

/* "ttcf:" for a collection, then each face's full name ("-": none, "*": PostScript outlines). */
std::string Faces(const std::string &file, int kinds, size_t length = (size_t)-1)
{
    Bytes cut(file.begin(), file.begin() + std::min(length, file.size())); /* an exact-size heap block */
    SfntImage image;
    SfntImageWhole(&image, cut.empty() ? NULL : cut.data(), (uint32_t)cut.size());
    int collection = 0, count = SfntFaceCount(&image, kinds, &collection);
    std::string names = collection ? "ttcf:" : "";
    for (int face = 0; face < count; face++) {
        uint32_t at = 0;
        TtfFontInfo info;
        bool read = SfntFaceDirectory(&image, face, &at) && ReadSfntFace(&image, at, kinds, &kEnglish, &info) == TTF_OK;
        names += std::string(face > 0 ? "|" : "") + (read ? info.fullName : "-") + (read && info.postScriptOutlines ? "*" : "");
    }
    return names;
}

/* Kinds and version tags a read takes; collection counts, offsets and versions the file cannot
 * hold (a count is cut to the entries held and to the limit); cut after every byte of the
 * headers, then every 97 bytes, each face gives its own record (names cut off: "*") or none. */
TEST(Collections, KindsFacesAndWhatTheFileCannotHold)
{
    const std::string urw = "../opentype/urw-base35/", otf = FontFile<std::string>(urw + "D050000L.otf");
    const std::string pair = Collect({otf, FontFile<std::string>(urw + "StandardSymbolsPS.otf")}, 2);
    const struct { const std::string &file; int kinds; size_t at; uint32_t value, size; std::string faces; } cases[] = {
        {pair, SFNT_KIND_TRUETYPE, 0, 0, 0, "ttcf:"}, /* a .ttf scan reads no collection */
        {otf, SFNT_KIND_TRUETYPE, 0, 0, 0, "-"},        /* nor an OTTO file */
        {pair, SFNT_KINDS_ALL, 8, 0, 0, "ttcf:"},
        {pair, SFNT_KINDS_ALL, 8, 3, 0, "ttcf:D050000L*|Standard Symbols PS*|-"}, /* the third entry is no directory */
        {pair, SFNT_KINDS_ALL, 8, 8, 40, "ttcf:-|-|-|-|-|-|-"}, /* 7 entries held */
        {pair, SFNT_KINDS_ALL, 12, 0xFFFFFFF0u, 0, "ttcf:-|Standard Symbols PS*"},
        {pair, SFNT_KINDS_ALL, 16, (uint32_t)pair.size() - 4, 0, "ttcf:D050000L*|-"},
        {pair, SFNT_KINDS_ALL, 4, 0x00030000u, 0, "ttcf:"}, /* unknown version */
        {pair, SFNT_KINDS_ALL, 4, 0x00010000u, 0, "ttcf:D050000L*|Standard Symbols PS*"},
    };
    for (const auto &c : cases) {
        std::string file = c.file;
        Put32(file, c.at, c.at != 0 ? c.value : Get32(file, 0)); /* at 0: the same bytes again */
        EXPECT_EQ(c.faces, Faces(file, c.kinds, c.size ? c.size : file.size())) << c.faces;
    }
    std::string huge = pair, faces = (Put32(huge, 8, 0xFFFFFFFFu), Faces(huge, SFNT_KINDS_ALL));
    EXPECT_EQ(std::min<size_t>((huge.size() - 12) / 4, 1024u), std::count(faces.begin(), faces.end(), '|') + 1u);
    const std::string names[] = {"D050000L*", "Standard Symbols PS*"};
    for (size_t length = 0; length < pair.size(); length += length < 600 ? 1 : 97) {
        std::string faces = Faces(pair, SFNT_KINDS_ALL, length), token;
        std::istringstream in(faces.substr(faces.find(':') + 1));
        for (int face = 0; std::getline(in, token, '|'); face++)
            ASSERT_TRUE(face < 2 && (token == "-" || token == "*" || token == names[face])) << length << " " << faces;
    }
}

struct Source { const Bytes *bytes; uint32_t limit; int failAfter; std::vector<std::pair<uint32_t, uint32_t>> written; };

long ReadFromSource(void *context, uint32_t pos, unsigned char *dest, uint32_t count)
{
    Source *source = (Source *)context;
    if (source->failAfter-- == 0)
        return -1;
    uint32_t n = pos >= source->limit ? 0 : std::min(count, source->limit - pos);
    memcpy(dest, source->bytes->data() + pos, n), source->written.push_back({pos, n});
    return (long)n;
}

/* True when reads whole (bytes past `length` poisoned) and on demand into stale bytes agree. */
bool Agree(Bytes &file, Bytes &stale, size_t length, uint32_t chunk)
{
    ASAN_POISON_MEMORY_REGION(file.data() + length, file.size() - length);
    SfntImage image;
    TtfFontInfo a, b;
    SfntImageWhole(&image, file.data(), (uint32_t)length);
    TtfResult ra = ReadSfntFont(&image, &kEnglish, &a);
    Source source = {&file, (uint32_t)length, -1, {}};
    SfntImageOnDemand(&image, stale.data(), (uint32_t)length, ReadFromSource, &source, chunk);
    bool same = ReadSfntFont(&image, &kEnglish, &b) == ra && memcmp(&a, &b, sizeof a) == 0;
    for (const auto &range : source.written) memset(stale.data() + range.first, 0xA5, range.second);
    ASAN_UNPOISON_MEMORY_REGION(file.data(), file.size());
    return same;
}

TEST(RealFonts, SweepOfTruncationsAndByteChangesNeverLeavesTheImage)
{
    for (const char *relative : {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSerif-BoldItalic.ttf", "freefont/FreeMono.ttf",
             "liberation/LiberationSans-Regular.ttf", "noto/NotoSansArabic-Regular.ttf", "crosextra/Carlito-Regular.ttf",
             "open-sans/OpenSans-Regular.ttf", "roboto/unhinted/RobotoTTF/Roboto-Regular.ttf"}) {
        Bytes file = FontFile(relative), stale(file.size() + 1, 0xA5);
        ASSERT_GT(file.size(), 4096u) << relative;
        size_t name = Table(file, "name"), os2 = Table(file, "OS/2"), size = file.size();
        /* every cut in the first 4 KB, the name table and OS/2; byte changes of the directory, names, OS/2 */
        const size_t cuts[][2] = {{0, 4096}, {name, name + U16(file, Record(file, "name") + 14)}, {os2, os2 + 78}};
        const size_t changes[][2] = {{0, 12 + 16 * (size_t)U16(file, 4)},
                                     {name, name + 6 + 12 * (size_t)U16(file, name + 2)}, {os2, os2 + 78}};
        file.push_back(0); /* one byte to poison past the whole file */
        for (const auto &span : cuts)
            for (size_t length = span[0]; length <= span[1]; length++)
                ASSERT_TRUE(Agree(file, stale, length, length % 2 ? 64 : 16384)) << relative << " cut at " << length;
        for (const auto &span : changes)
            for (size_t p = span[0]; p < span[1]; p++) {
                uint8_t original = file[p];
                for (uint8_t value : {(uint8_t)0, (uint8_t)0xFF, (uint8_t)(original ^ 0x80)})
                    ASSERT_TRUE(Agree((file[p] = value, file), stale, size, 16384)) << relative << " byte " << p << "=" << +value;
                file[p] = original;
            }
    }
}

TEST(OnDemand, ATinyPartOfALargeFontIsReadAndAFailingOrShortReadMakesItUnreadable)
{
    Bytes file = FontFile("noto/NotoSansMath-Regular.ttf"), buffer(file.size());
    const struct { int failAfter; uint32_t missing, chunk; TtfResult result; } cases[] = {
        {-1, 0, 16384, TTF_OK}, {0, 0, 16384, TTF_UNREADABLE}, {1, 0, 16384, TTF_UNREADABLE},
        {-1, 40, 1u << 30, TTF_UNREADABLE}}; /* the file ends before its size says */
    for (const auto &c : cases) {
        Source source = {&file, (uint32_t)file.size() - c.missing, c.failAfter, {}};
        SfntImage image;
        TtfFontInfo info;
        SfntImageOnDemand(&image, buffer.data(), (uint32_t)file.size(), ReadFromSource, &source, c.chunk);
        EXPECT_EQ(c.result, ReadSfntFont(&image, &kEnglish, &info)) << c.failAfter << " " << c.missing;
        EXPECT_STREQ(c.result == TTF_OK ? "Noto Sans Math" : "", info.faceName);
        EXPECT_TRUE(c.result != TTF_OK || (image.reads == 2 && image.bytesRead < 64 * 1024 && file.size() > 300000));
    }
}

}  // namespace
