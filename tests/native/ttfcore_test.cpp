/* ttfcore_test.cpp - the TrueType reading core: the directory search, the choice and
 * cuts of name records, OS/2, the image's bounds, reading on demand versus whole, and
 * a sweep of truncations and byte changes over real fonts.  Runs natively under
 * ASan/UBSan (bytes past a truncation are poisoned) and under Wine. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/ttfcore.h"
#include "tests/fontbuilder.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZENVRIX_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZENVRIX_ASAN 1
#endif
#ifdef ZENVRIX_ASAN
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

/* Code units below 256 as Latin-1 bytes, anything else as '?'. */
int Latin1(void *, const uint16_t *units, int count, char *out, int outSize)
{
    int n = 0;
    for (int i = 0; i < count && n < outSize; i++)
        out[n++] = units[i] < 256 ? (char)units[i] : '?';
    return n;
}

/* Two bytes for every code unit, as a double-byte code page gives for ideographs. */
int DoubleByte(void *, const uint16_t *units, int count, char *out, int outSize)
{
    int n = 0;
    for (int i = 0; i < count && n < outSize; i++) {
        out[n++] = (char)0x82;
        if (n < outSize)
            out[n++] = (char)(units[i] & 0x7F);
    }
    return n;
}

TtfPlatform EnglishSystem(void)
{
    TtfPlatform platform = {0x409, Latin1, NULL};
    return platform;
}

TtfResult Read(std::vector<uint8_t> bytes, TtfFontInfo *info,
               TtfPlatform platform = EnglishSystem())
{
    SfntImage image;
    SfntImageWhole(&image, bytes.empty() ? NULL : bytes.data(), (uint32_t)bytes.size());
    return ReadSfntFont(&image, &platform, info);
}

TestFont FontWith(const std::vector<TestName> &names)
{
    TestFont font;
    font.names = names;
    return font;
}

/* The member that takes the given name id. */
std::string Field(const TtfFontInfo &info, unsigned nameId)
{
    switch (nameId) {
    case 0: return info.copyright;
    case 1: return info.faceName;
    case 2: return info.subfamily;
    case 3: return info.identifier;
    case 4: return info.fullName;
    case 5: return info.version;
    default: return info.trademark;
    }
}

/* Offset of the table searched for through the image, or 0 when not found. */
uint32_t Found(const std::vector<uint8_t> &bytes, const char *tag)
{
    SfntImage image;
    SfntImageWhole(&image, (unsigned char *)bytes.data(), (uint32_t)bytes.size());
    uint32_t offset = 0;
    return FindSfntTable(&image, tag, &offset) == 1 ? offset : 0;
}

/* ---- the table directory ---- */

TEST(TableDirectory, EveryTableOfASortedDirectoryIsFoundForEveryTableCount)
{
    for (int count = 1; count <= 40; count++) {
        TestFont font;
        font.fillerTables = font.hasOs2 = font.hasName = false;
        char tag[5];
        for (int i = 0; i < count; i++) {
            snprintf(tag, sizeof tag, "t%03d", i * 7);
            font.extraTables.push_back({tag, std::vector<uint8_t>(4, (uint8_t)i)});
        }
        std::vector<uint8_t> bytes = BuildFont(font);
        for (int i = 0; i < count; i++) {
            snprintf(tag, sizeof tag, "t%03d", i * 7);
            uint32_t offset = Found(bytes, tag);
            ASSERT_EQ(TableOffset(bytes, tag), offset) << count << " tables, " << tag;
            EXPECT_EQ(i, bytes[offset]);
            snprintf(tag, sizeof tag, "t%03d", i * 7 + 3);   /* between two present ones */
            EXPECT_EQ(0u, Found(bytes, tag));
        }
        EXPECT_EQ(0u, Found(bytes, "a000"));
        EXPECT_EQ(0u, Found(bytes, "zzzz"));
    }
}

TEST(TableDirectory, TheStoredSearchFieldsAreNotTrusted)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(EnglishNames("Alpha", "Regular")));
    for (size_t i = 6; i < 12; i++)
        bytes[i] = 0xFF;
    EXPECT_EQ(TableOffset(bytes, "name"), Found(bytes, "name"));
    EXPECT_EQ(TableOffset(bytes, "OS/2"), Found(bytes, "OS/2"));
    EXPECT_NE(0u, Found(bytes, "OS/2"));
}

TEST(TableDirectory, TheVersionTrueIsReadLikeOnePointZeroAndOthersAreNot)
{
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    TtfFontInfo info;
    font.version = 0x74727565;
    ASSERT_EQ(TTF_OK, Read(BuildFont(font), &info));
    EXPECT_STREQ("Alpha", info.faceName);
    for (uint32_t version : {0x4F54544Fu /* OTTO */, 0x00020000u, 0u, 0x74746366u /* ttcf */, 0x00010001u}) {
        font.version = version;
        EXPECT_EQ(TTF_NOT_TRUETYPE, Read(BuildFont(font), &info)) << std::hex << version;
        EXPECT_STREQ("", info.faceName);
    }
}

TEST(TableDirectory, AnUnsortedDirectoryMayHideATableFromTheHalvingSearch)
{
    /* The search relies on the order the format requires: "name" written after
     * "post" is stepped over, while the sorted records around it are found. */
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    font.sortDirectory = false;
    std::vector<uint8_t> bytes = BuildFont(font);
    ASSERT_EQ(0, memcmp(&bytes[12 + 7 * 16], "name", 4));
    EXPECT_EQ(0u, Found(bytes, "name"));
    EXPECT_NE(0u, Found(bytes, "OS/2"));
    EXPECT_NE(0u, Found(bytes, "head"));
    TtfFontInfo info;
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(bytes, &info));
}

TEST(TableDirectory, TablesAndRecordsOutsideTheImageAreMissing)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(EnglishNames("Alpha", "Regular")));
    TtfFontInfo info;
    std::vector<uint8_t> moved = bytes;           /* name's offset past the end */
    for (unsigned i = 0; i < GetU16(moved, 4); i++)
        if (memcmp(&moved[12 + 16 * i], "name", 4) == 0)
            SetU16(moved, 12 + 16 * i + 8, 0xFFFF), SetU16(moved, 12 + 16 * i + 10, 0xFFF0);
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(moved, &info));
    std::vector<uint8_t> claimed = bytes;         /* more tables than records */
    SetU16(claimed, 4, 4000);
    EXPECT_NE(TTF_OK, Read(claimed, &info));
    TestFont none;
    none.hasName = none.hasOs2 = none.fillerTables = false;
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(BuildFont(none), &info));
    const struct { size_t length; TtfResult result; } cuts[] = {
        {12, TTF_NO_NAME_TABLE}, {5, TTF_NO_NAME_TABLE}, {3, TTF_NOT_TRUETYPE}, {0, TTF_NOT_TRUETYPE}};
    for (const auto &cut : cuts)
        EXPECT_EQ(cut.result, Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut.length), &info))
            << cut.length;
}

/* ---- the name records ---- */

TEST(NameSelection, TheSevenNamesGoToTheirMembers)
{
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith(EnglishNames("Alpha Sans", "Bold Italic"))), &info));
    EXPECT_STREQ("Alpha Sans", info.faceName);
    EXPECT_STREQ("Bold Italic", info.subfamily);
    EXPECT_STREQ("Alpha Sans Bold Italic 1.0", info.identifier);
    EXPECT_STREQ("Alpha Sans Bold Italic", info.fullName);
    EXPECT_STREQ("Version 1.000", info.version);
    EXPECT_STREQ("Copyright (c) Alpha Sans authors", info.copyright);
    EXPECT_STREQ("Alpha Sans is a trademark", info.trademark);
}

TEST(NameSelection, OtherNameIdsAndOtherPlatformsArePassedOver)
{
    std::vector<TestName> names = {
        WinName(6, 0x409, "PostScriptName"), WinName(8, 0x409, "Manufacturer"),
        TestName{0, 3, 0, 1, Utf16Be("Unicode platform")}, TestName{3, 0, 0x409, 1, Utf16Be("Symbol")},
        TestName{3, 10, 0x409, 4, Utf16Be("Full repertoire")}, TestName{2, 0, 0, 1, "ISO"}};
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith(names)), &info));
    EXPECT_STREQ("", info.faceName);
    EXPECT_STREQ("", info.fullName);
    EXPECT_STREQ("", info.copyright);
}

TEST(NameSelection, MacintoshNamesAreCopiedByteForByte)
{
    TtfFontInfo info;       /* 0x8E is Mac Roman e-acute, left as it is */
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({MacName(1, "Caf\x8E Mac"), MacName(2, "Regular"),
                                               MacName(4, "Caf\x8E Mac Regular"), MacName(0, "\xA9 1996")})),
                           &info));
    EXPECT_STREQ("Caf\x8E Mac", info.faceName);
    EXPECT_STREQ("Regular", info.subfamily);
    EXPECT_STREQ("Caf\x8E Mac Regular", info.fullName);
    EXPECT_STREQ("\xA9 1996", info.copyright);
}

/* Which of several records of one name id is taken, and what it becomes. */
struct Choice {
    const char *behaviour;
    std::vector<TestName> names;
    std::string expected;
    uint32_t systemLcid;
    unsigned nameId;
    bool doubleByte = false;
};

TEST(NameSelection, TheBestRankedRecordIsTakenAndCutToItsMember)
{
    const std::string alphabet40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    std::string letters200;
    for (int i = 0; i < 200; i++)
        letters200 += (char)('a' + i % 26);
    TestName odd = WinName(4, 0x409, "Odd");
    odd.bytes += 'Z';
    const Choice choices[] = {
        {"Windows over Macintosh", {MacName(4, "Mac"), WinName(4, 0x409, "Win")}, "Win", 0x409, 4},
        {"Windows over a later Macintosh", {WinName(4, 0x409, "Win"), MacName(4, "Mac")}, "Win", 0x409, 4},
        {"a later Macintosh over rank 0", {WinName(4, 0x407, "Deutsch"), MacName(4, "Mac")}, "Mac", 0x409, 4},
        {"the later of two Macintosh", {MacName(4, "First"), MacName(4, "Second")}, "Second", 0x409, 4},
        {"system language first", {WinName(4, 0x407, "Fett"), WinName(4, 0x409, "Bold")}, "Fett", 0x407, 4},
        {"system language last", {WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett")}, "Fett", 0x407, 4},
        {"English first", {WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett")}, "Bold", 0x409, 4},
        {"English last", {WinName(4, 0x407, "Fett"), WinName(4, 0x409, "Bold")}, "Bold", 0x409, 4},
        {"equal rank 0, later", {WinName(4, 0x407, "Fett"), WinName(4, 0x40C, "Gras")}, "Gras", 0x409, 4},
        {"equal rank 0, reversed", {WinName(4, 0x40C, "Gras"), WinName(4, 0x407, "Fett")}, "Fett", 0x409, 4},
        {"equal rank 3, later", {WinName(4, 0x409, "One"), WinName(4, 0x409, "Two")}, "Two", 0x409, 4},
        {"phone-book German is no German", {WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett")},
         "Bold", 0x10407, 4},
        {"an empty Windows name sets its rank",
         {MacName(4, "Mac"), WinName(4, 0x409, ""), MacName(4, "Later Mac")}, "", 0x409, 4},
        {"odd length drops the last byte", {odd}, "Odd", 0x409, 4},
        {"converted: 100 bytes", {WinName(0, 0x409, letters200)}, letters200.substr(0, 100), 0x409, 0},
        {"Windows family: 31", {WinName(1, 0x409, alphabet40)}, alphabet40.substr(0, 31), 0x409, 1},
        {"Macintosh family: 31", {MacName(1, alphabet40)}, alphabet40.substr(0, 31), 0x409, 1},
        {"Macintosh: 299 bytes", {MacName(0, std::string(400, 'm'))}, std::string(299, 'm'), 0x409, 0},
        {"double byte: as many bytes as units", {WinName(4, 0x409, "ABCDE")}, "\x82" "A\x82" "B\x82", 0x409, 4,
         true},
        {"60,000 bytes are passed over", {WinName(4, 0x409, "Kept"), WinName(4, 0x409, std::string(30000, 'x'))},
         "Kept", 0x409, 4},
        {"59,998 bytes are taken", {WinName(4, 0x409, "Kept"), WinName(4, 0x409, std::string(29999, 'y'))},
         std::string(100, 'y'), 0x409, 4},
    };
    for (const Choice &choice : choices) {
        TtfPlatform platform = {choice.systemLcid, choice.doubleByte ? DoubleByte : Latin1, NULL};
        TtfFontInfo info;
        ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith(choice.names)), &info, platform)) << choice.behaviour;
        EXPECT_EQ(choice.expected, Field(info, choice.nameId)) << choice.behaviour;
    }
}

TEST(NameSelection, RanksCompareTheLanguageWithTheWholeLocaleIdentifier)
{
    EXPECT_EQ(0, TtfNameRank(0x407, 0x409));
    EXPECT_EQ(1, TtfNameRank(0x409, 0x407));
    EXPECT_EQ(2, TtfNameRank(0x407, 0x407));
    EXPECT_EQ(3, TtfNameRank(0x409, 0x409));
    EXPECT_EQ(0, TtfNameRank(0x407, 0x10407));   /* German with phone-book sorting */
}

/* ---- OS/2 ---- */

TEST(Os2Fields, WeightAndStyleBitsAreTakenAsMaskedBits)
{
    TestFont font = FontWith(EnglishNames("Alpha", "Bold Italic"));
    const struct { unsigned weight, fsSelection; int italic, underline, strikeOut, bold; } cases[] = {
        {700, 0x0021, 1, 0, 0, 32}, {700, 0xFFFF, 1, 2, 16, 32}, {400, 0x0040 /* REGULAR */, 0, 0, 0, 0}};
    for (const auto &c : cases) {
        font.weightClass = c.weight;
        font.fsSelection = c.fsSelection;
        TtfFontInfo info;
        ASSERT_EQ(TTF_OK, Read(BuildFont(font), &info));
        EXPECT_EQ(c.weight, info.weightClass);
        EXPECT_EQ(c.italic, info.italic) << c.fsSelection;
        EXPECT_EQ(c.underline, info.underline) << c.fsSelection;
        EXPECT_EQ(c.strikeOut, info.strikeOut) << c.fsSelection;
        EXPECT_EQ(c.bold, info.boldFlag) << c.fsSelection;
    }
}

TEST(Os2Fields, NoTableIsNoFontAndAShortOneCountsWhileBothFieldsLieInsideTheFile)
{
    /* OS/2 as the last table of the file, so that nothing follows it. */
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    font.hasOs2 = false;
    TtfFontInfo info;
    EXPECT_EQ(TTF_NO_OS2_TABLE, Read(BuildFont(font), &info));       /* none: no font, names or not */
    EXPECT_STREQ("", info.faceName);
    font.extraTables.push_back({"OS/2", Os2TableBytes(600, 0x21, 68)});  /* Apple's version 0 */
    std::vector<uint8_t> bytes = BuildFont(font);
    ASSERT_EQ(TableOffset(bytes, "OS/2") + 68, bytes.size());
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_EQ(600u, info.weightClass);
    EXPECT_EQ(32, info.boldFlag);
    font.extraTables.back() = {"OS/2", Os2TableBytes(600, 0x21, 63)};   /* cut inside fsSelection */
    bytes = BuildFont(font);
    bytes.resize(TableOffset(bytes, "OS/2") + 63);
    EXPECT_EQ(TTF_NO_OS2_TABLE, Read(bytes, &info));
    bytes.resize(bytes.size() - 60);
    EXPECT_EQ(TTF_NO_OS2_TABLE, Read(bytes, &info));
}

/* ---- bounds inside the name table ---- */

TEST(NameBounds, AStringOutsideTheFileIsSkippedAndTheOthersKept)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(
        {WinName(1, 0x409, "Good"), WinName(1, 0x409, "Gone"), WinName(4, 0x409, "Full")}));
    SetU16(bytes, TableOffset(bytes, "name") + 6 + 12 + 10, 0xFFF0);   /* second string's offset */
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_STREQ("Good", info.faceName);
    EXPECT_STREQ("Full", info.fullName);
    /* A length reaching one byte past the end (the alignment padding dropped). */
    std::vector<uint8_t> cut = BuildFont(FontWith({WinName(1, 0x409, "Good"), MacName(4, "Tail")}));
    while (cut.back() == 0)
        cut.pop_back();
    SetU16(cut, TableOffset(cut, "name") + 6 + 12 + 8, 5);
    ASSERT_EQ(TTF_OK, Read(cut, &info));
    EXPECT_STREQ("Good", info.faceName);
    EXPECT_STREQ("", info.fullName);
}

TEST(NameBounds, RecordCountsBeyondTheFileAndEmptyOrCutNameTables)
{
    TtfFontInfo info;
    std::vector<uint8_t> bytes = BuildFont(FontWith({WinName(1, 0x409, "Good")}));
    SetU16(bytes, TableOffset(bytes, "name") + 2, 0xFFFF);   /* records are read until the file ends */
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_STREQ("Good", info.faceName);
    /* A name table without usable records still gives a font. */
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({})), &info));
    EXPECT_STREQ("", info.faceName);
    EXPECT_EQ(400u, info.weightClass);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({TestName{3, 0, 0x409, 1, "xx"}})), &info));
    EXPECT_STREQ("", info.faceName);
    /* A header cut by the end of the file (count, but no stringOffset) is a missing table. */
    TestFont font = FontWith({});
    font.hasName = false;
    font.extraTables.push_back({"name", {0, 0, 0, 1}});
    bytes = BuildFont(font);
    bytes.resize(TableOffset(bytes, "name") + 4);
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(bytes, &info));
}

/* ---- reading on demand ---- */

struct FileSource {
    const std::vector<uint8_t> *bytes;
    uint32_t limit;               /* the file's length as far as reads go */
    int failAfterReads;           /* < 0: never */
    std::vector<std::pair<uint32_t, uint32_t>> written;
};

long ReadFromSource(void *context, uint32_t pos, unsigned char *dest, uint32_t count)
{
    FileSource *source = (FileSource *)context;
    if (source->failAfterReads == 0)
        return -1;
    if (source->failAfterReads > 0)
        source->failAfterReads--;
    if (pos >= source->limit)
        return 0;
    uint32_t n = count < source->limit - pos ? count : source->limit - pos;
    memcpy(dest, source->bytes->data() + pos, n);
    source->written.push_back(std::make_pair(pos, n));
    return (long)n;
}

/* Reads an image on demand into a buffer of stale bytes; the file may hold `missing`
 * bytes fewer than its size says. */
TtfResult ReadOnDemand(const std::vector<uint8_t> &bytes, TtfFontInfo *info, uint32_t chunk,
                       SfntImage *image, int failAfterReads = -1, uint32_t missing = 0)
{
    static std::vector<unsigned char> buffer;
    buffer.assign(bytes.size() + 1, 0xA5);
    FileSource source = {&bytes, (uint32_t)bytes.size() - missing, failAfterReads, {}};
    SfntImageOnDemand(image, buffer.data(), (uint32_t)bytes.size(), ReadFromSource, &source, chunk);
    TtfPlatform platform = EnglishSystem();
    return ReadSfntFont(image, &platform, info);
}

TEST(OnDemand, GivesWhatReadingTheWholeImageGivesOnBuiltFonts)
{
    std::vector<TestName> scattered;     /* more needs than the range slots hold */
    for (int i = 0; i < 60; i++)
        scattered.push_back(WinName(4, 0x400 + i, "Name " + std::to_string(i)));
    TestFont big = FontWith(EnglishNames("Padded", "Bold"));
    big.hasName = false;
    big.extraTables.push_back({"zzzz", std::vector<uint8_t>(200000, 7)});
    big.extraTables.push_back({"name", NameTableBytes(EnglishNames("Far", "Away"))});
    const TestFont fonts[] = {FontWith(EnglishNames("Alpha", "Regular")),
                              FontWith({MacName(1, "Mac only"), MacName(4, "Mac only Regular")}), big,
                              FontWith(scattered)};
    for (const TestFont &font : fonts) {
        std::vector<uint8_t> bytes = BuildFont(font);
        TtfFontInfo whole, onDemand;
        ASSERT_EQ(TTF_OK, Read(bytes, &whole));
        for (uint32_t chunk : {1u, 16u, 100u, 4096u, 16384u, 1u << 30}) {
            SfntImage image;
            EXPECT_EQ(TTF_OK, ReadOnDemand(bytes, &onDemand, chunk, &image)) << whole.faceName << chunk;
            EXPECT_EQ(0, memcmp(&whole, &onDemand, sizeof whole)) << whole.faceName << " " << chunk;
        }
    }
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith(scattered)), &info));
    EXPECT_STREQ("Name 9", info.fullName);
}

TEST(OnDemand, ReadsOnlyTheHeaderTheDirectoryAndTheTwoTables)
{
    TestFont font = FontWith(EnglishNames("Padded", "Bold"));
    font.hasName = false;
    font.extraTables.push_back({"zzzz", std::vector<uint8_t>(2000000, 7)});
    font.extraTables.push_back({"name", NameTableBytes(EnglishNames("Far", "Away"))});
    TtfFontInfo info;
    SfntImage image;
    ASSERT_EQ(TTF_OK, ReadOnDemand(BuildFont(font), &info, 16384, &image));
    EXPECT_STREQ("Far", info.faceName);
    EXPECT_LE(image.reads, 2u);
    EXPECT_LE(image.bytesRead, 2u * 16384 + 4096);
}

TEST(OnDemand, AFailingOrShortReadMakesTheFileUnreadable)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(EnglishNames("Alpha", "Regular")));
    TtfFontInfo info;
    SfntImage image;
    EXPECT_EQ(TTF_UNREADABLE, ReadOnDemand(bytes, &info, 16, &image, 0));
    EXPECT_EQ(TTF_UNREADABLE, ReadOnDemand(bytes, &info, 16, &image, 3));
    EXPECT_STREQ("", info.faceName);
    EXPECT_EQ(TTF_UNREADABLE, ReadOnDemand(bytes, &info, 16, &image, -1, 40));
}

/* ---- real fonts ---- */

std::string FontPath(const char *relative)
{
#ifdef ZENVRIX_NATIVE_TEST
    return std::string("/usr/share/fonts/truetype/") + relative;
#else
    return std::string("Z:/usr/share/fonts/truetype/") + relative;
#endif
}

const char *const kSweepFonts[] = {
    "crosextra/Carlito-Regular.ttf", "crosextra/Carlito-BoldItalic.ttf",
    "dejavu/DejaVuSans.ttf", "dejavu/DejaVuSerif-BoldItalic.ttf", "dejavu/DejaVuSansMono.ttf",
    "dejavu/DejaVuMathTeXGyre.ttf", "freefont/FreeSans.ttf", "freefont/FreeSerifBoldItalic.ttf",
    "freefont/FreeMono.ttf", "liberation/LiberationSans-Regular.ttf",
    "liberation/LiberationSerif-Italic.ttf", "liberation2/LiberationMono-Bold.ttf",
    "liberation2/LiberationSans-Regular.ttf", "open-sans/OpenSans-Regular.ttf",
    "open-sans/OpenSans-CondLight.ttf", "noto/NotoSans-Regular.ttf", "noto/NotoSerif-Bold.ttf",
    "noto/NotoSansArabic-Regular.ttf", "noto/NotoKufiArabic-Black.ttf",
    "noto/NotoSansSymbols2-Regular.ttf", "noto/NotoSerifDevanagari-Regular.ttf",
    "noto/NotoSansMath-Regular.ttf", "roboto/unhinted/RobotoTTF/Roboto-Regular.ttf",
    "roboto/unhinted/RobotoCondensed-Italic.ttf",
};

/* One real font, read whole from a block whose bytes past the current length are
 * poisoned, and read on demand into a block of stale bytes; both must agree. */
class SweepFont {
public:
    explicit SweepFont(const std::vector<uint8_t> &file)
        : source(file), size(file.size()), addressable(file.size() + 1)
    {
        whole = (unsigned char *)malloc(size + 1);
        stale = (unsigned char *)malloc(size + 1);
        memcpy(whole, source.data(), size);
        memset(stale, 0xA5, size + 1);
    }
    ~SweepFont()
    {
        UNPOISON(whole, size + 1);
        free(whole);
        free(stale);
    }
    void SetByte(size_t pos, uint8_t value) { source[pos] = whole[pos] = value; }
    /* Returns "" when both reads agree. */
    std::string Compare(size_t length, uint32_t chunk)
    {
        if (length < addressable)
            POISON(whole + length, addressable - length);
        else if (length > addressable)
            UNPOISON(whole + addressable, length - addressable);
        addressable = length;
        TtfPlatform platform = EnglishSystem();
        SfntImage image;
        SfntImageWhole(&image, whole, (uint32_t)length);
        TtfFontInfo a, b;
        TtfResult ra = ReadSfntFont(&image, &platform, &a);
        FileSource file = {&source, (uint32_t)length, -1, {}};
        SfntImageOnDemand(&image, stale, (uint32_t)length, ReadFromSource, &file, chunk);
        TtfResult rb = ReadSfntFont(&image, &platform, &b);
        for (const auto &range : file.written)
            memset(stale + range.first, 0xA5, range.second);
        if (ra != rb || memcmp(&a, &b, sizeof a) != 0)
            return "length " + std::to_string(length) + ": whole " + std::to_string(ra) + " '" +
                   a.faceName + "', on demand " + std::to_string(rb) + " '" + b.faceName + "'";
        results[ra]++;
        return "";
    }
    std::vector<uint8_t> source;
    size_t size, addressable;
    unsigned char *whole, *stale;
    std::map<int, int> results;
};

TEST(RealFonts, SweepOfTruncationsAndByteChangesNeverLeavesTheImage)
{
    int fontsSwept = 0;
    for (const char *relative : kSweepFonts) {
        std::vector<uint8_t> file;
        ASSERT_TRUE(ReadBytes(FontPath(relative), &file)) << relative;
        ASSERT_GT(file.size(), 4096u);
        SweepFont sweep(file);
        size_t name = TableOffset(file, "name"), os2 = TableOffset(file, "OS/2");
        ASSERT_NE(0u, name);
        ASSERT_NE(0u, os2);
        std::string failure;
        /* Every truncation of the first 4 KB, of the name table and of the OS/2 table. */
        const size_t spans[][2] = {{0, 4096}, {name, name + TableLength(file, "name")}, {os2, os2 + 78}};
        for (const auto &span : spans)
            for (size_t length = span[0]; length <= span[1] && failure.empty(); length++)
                failure = sweep.Compare(length, length % 2 && span[0] != os2 ? 64 : 16384);
        EXPECT_EQ("", failure) << relative;
        EXPECT_GT(sweep.results[TTF_OK], 0) << relative;

        /* Single-byte changes of the directory, the name header and records, OS/2. */
        const size_t changed[][2] = {{0, 12 + 16 * (size_t)GetU16(file, 4)},
                                     {name, name + 6 + 12 * (size_t)GetU16(file, name + 2)}, {os2, os2 + 78}};
        for (const auto &span : changed)
            for (size_t p = span[0]; p < span[1] && failure.empty(); p++) {
                uint8_t original = file[p];
                for (uint8_t value : {(uint8_t)0x00, (uint8_t)0xFF, (uint8_t)(original ^ 0x80),
                                      (uint8_t)(original + 1)}) {
                    sweep.SetByte(p, value);
                    failure = sweep.Compare(file.size(), 16384);
                    if (!failure.empty()) {
                        failure = "byte " + std::to_string(p) + " = " + std::to_string(value) + ", " + failure;
                        break;
                    }
                }
                sweep.SetByte(p, original);
            }
        EXPECT_EQ("", failure) << relative;
        fontsSwept++;
    }
    EXPECT_GE(fontsSwept, 20);
}

TEST(RealFonts, OnDemandReadsATinyPartOfALargeFont)
{
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadBytes(FontPath("noto/NotoSansMath-Regular.ttf"), &file));
    ASSERT_GT(file.size(), 300u * 1024);
    TtfFontInfo whole, onDemand;
    ASSERT_EQ(TTF_OK, Read(file, &whole));
    EXPECT_STREQ("Noto Sans Math", whole.faceName);
    SfntImage image;
    ASSERT_EQ(TTF_OK, ReadOnDemand(file, &onDemand, 16384, &image));
    EXPECT_EQ(0, memcmp(&whole, &onDemand, sizeof whole));
    EXPECT_LE(image.reads, 3u);
    EXPECT_LT(image.bytesRead, 64u * 1024);
}

}  // namespace
