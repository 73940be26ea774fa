/* ttfcore_test.cpp - the TrueType reading core: the directory search, the name
 * record selection and its cuts, the OS/2 fields, the bounds of the image, reading
 * on demand versus reading whole, and a sweep of truncations and byte changes over
 * real fonts.
 *
 * Runs natively under AddressSanitizer/UndefinedBehaviorSanitizer (the bytes past a
 * truncation are poisoned, so any read beyond it is reported) and under Wine. */
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

/* ---- the table directory ---- */

TEST(TableDirectory, EveryTableOfASortedDirectoryIsFoundForEveryTableCount)
{
    for (int count = 1; count <= 40; count++) {
        TestFont font;
        font.fillerTables = false;
        font.hasOs2 = false;
        font.hasName = false;
        for (int i = 0; i < count; i++) {
            char tag[5];
            snprintf(tag, sizeof tag, "t%03d", i * 7);
            font.extraTables.push_back({tag, std::vector<uint8_t>(4, (uint8_t)i)});
        }
        std::vector<uint8_t> bytes = BuildFont(font);
        SfntImage image;
        SfntImageWhole(&image, bytes.data(), (uint32_t)bytes.size());
        for (int i = 0; i < count; i++) {
            char tag[5];
            snprintf(tag, sizeof tag, "t%03d", i * 7);
            uint32_t offset = 0;
            ASSERT_EQ(1, FindSfntTable(&image, tag, &offset)) << count << " tables, " << tag;
            EXPECT_EQ(TableOffset(bytes, tag), offset);
            EXPECT_EQ(i, bytes[offset]);
            /* A tag between two present ones, and ones before the first and after the last. */
            snprintf(tag, sizeof tag, "t%03d", i * 7 + 3);
            EXPECT_EQ(0, FindSfntTable(&image, tag, &offset));
        }
        uint32_t offset;
        EXPECT_EQ(0, FindSfntTable(&image, "a000", &offset));
        EXPECT_EQ(0, FindSfntTable(&image, "zzzz", &offset));
    }
}

TEST(TableDirectory, TheStoredSearchFieldsAreNotTrusted)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(EnglishNames("Alpha", "Regular")));
    for (size_t i = 6; i < 12; i++)
        bytes[i] = 0xFF;
    SfntImage image;
    SfntImageWhole(&image, bytes.data(), (uint32_t)bytes.size());
    uint32_t offset;
    ASSERT_EQ(1, FindSfntTable(&image, "name", &offset));
    EXPECT_EQ(TableOffset(bytes, "name"), offset);
    ASSERT_EQ(1, FindSfntTable(&image, "OS/2", &offset));
    EXPECT_EQ(TableOffset(bytes, "OS/2"), offset);
}

TEST(TableDirectory, TheVersionTrueIsReadLikeOnePointZeroAndOthersAreNot)
{
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    TtfFontInfo info;
    font.version = 0x74727565;
    ASSERT_EQ(TTF_OK, Read(BuildFont(font), &info));
    EXPECT_STREQ("Alpha", info.faceName);
    const uint32_t others[] = {0x4F54544F /* OTTO: CFF outlines */, 0x00020000, 0,
                               0x74746366 /* ttcf */, 0x00010001};
    for (uint32_t version : others) {
        font.version = version;
        EXPECT_EQ(TTF_NOT_TRUETYPE, Read(BuildFont(font), &info)) << std::hex << version;
        EXPECT_STREQ("", info.faceName);
    }
}

TEST(TableDirectory, AnUnsortedDirectoryMayHideATableFromTheHalvingSearch)
{
    /* The search relies on the order the format requires: with "name" written after
     * "post" it is stepped over, while the sorted records around it are found. */
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    font.sortDirectory = false;
    std::vector<uint8_t> bytes = BuildFont(font);
    ASSERT_EQ(0, memcmp(&bytes[12 + 7 * 16], "name", 4));
    SfntImage image;
    SfntImageWhole(&image, bytes.data(), (uint32_t)bytes.size());
    uint32_t offset;
    EXPECT_EQ(0, FindSfntTable(&image, "name", &offset));
    EXPECT_EQ(1, FindSfntTable(&image, "OS/2", &offset));
    EXPECT_EQ(1, FindSfntTable(&image, "head", &offset));
    TtfFontInfo info;
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(bytes, &info));
}

TEST(TableDirectory, TablesAndRecordsOutsideTheImageAreMissing)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(EnglishNames("Alpha", "Regular")));
    TtfFontInfo info;
    /* The name table's offset points past the end. */
    std::vector<uint8_t> moved = bytes;
    for (unsigned i = 0; i < GetU16(moved, 4); i++)
        if (memcmp(&moved[12 + 16 * i], "name", 4) == 0)
            SetU16(moved, 12 + 16 * i + 8, 0xFFFF), SetU16(moved, 12 + 16 * i + 10, 0xFFF0);
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(moved, &info));
    /* More tables claimed than the file holds records for. */
    std::vector<uint8_t> claimed = bytes;
    SetU16(claimed, 4, 4000);
    EXPECT_NE(TTF_OK, Read(claimed, &info));
    /* No tables at all. */
    TestFont none;
    none.hasName = none.hasOs2 = none.fillerTables = false;
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(BuildFont(none), &info));
    /* Nothing but the header, and nothing at all. */
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12), &info));
    EXPECT_EQ(TTF_NO_NAME_TABLE, Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5), &info));
    EXPECT_EQ(TTF_NOT_TRUETYPE, Read(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 3), &info));
    EXPECT_EQ(TTF_NOT_TRUETYPE, Read(std::vector<uint8_t>(), &info));
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
        WinName(6, 0x409, "PostScriptName"),
        WinName(8, 0x409, "Manufacturer"),
        TestName{0, 3, 0, 1, Utf16Be("Unicode platform")},
        TestName{3, 0, 0x409, 1, Utf16Be("Symbol encoding")},
        TestName{3, 10, 0x409, 4, Utf16Be("Full repertoire")},
        TestName{2, 0, 0, 1, "ISO"},
    };
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith(names)), &info));
    EXPECT_STREQ("", info.faceName);
    EXPECT_STREQ("", info.fullName);
    EXPECT_STREQ("", info.copyright);
}

TEST(NameSelection, MacintoshNamesAreCopiedByteForByte)
{
    std::string family = "Caf\x8E Mac";          /* Mac Roman e-acute, left as it is */
    std::vector<TestName> names = {MacName(1, family), MacName(2, "Regular"),
                                   MacName(4, "Caf\x8E Mac Regular"), MacName(0, "\xA9 1996")};
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith(names)), &info));
    EXPECT_EQ(family, info.faceName);
    EXPECT_STREQ("Regular", info.subfamily);
    EXPECT_STREQ("Caf\x8E Mac Regular", info.fullName);
    EXPECT_STREQ("\xA9 1996", info.copyright);
}

TEST(NameSelection, WindowsUnicodeWinsOverMacintoshInEitherOrder)
{
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({MacName(1, "Mac"), WinName(1, 0x409, "Win")})), &info));
    EXPECT_STREQ("Win", info.faceName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(1, 0x409, "Win"), MacName(1, "Mac")})), &info));
    EXPECT_STREQ("Win", info.faceName);
    /* A later Macintosh name replaces one of rank 0 (a language neither English nor
     * the system's), as it would replace an earlier Macintosh one. */
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(1, 0x407, "Deutsch"), MacName(1, "Mac")})), &info));
    EXPECT_STREQ("Mac", info.faceName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({MacName(1, "First"), MacName(1, "Second")})), &info));
    EXPECT_STREQ("Second", info.faceName);
}

TEST(NameSelection, TheSystemLanguageWinsOverEnglishWhicheverComesFirst)
{
    TtfPlatform german = {0x407, Latin1, NULL};
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x407, "Fett"), WinName(4, 0x409, "Bold")})),
                           &info, german));
    EXPECT_STREQ("Fett", info.fullName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett")})),
                           &info, german));
    EXPECT_STREQ("Fett", info.fullName);
}

TEST(NameSelection, EnglishWinsOverOtherLanguagesOnAnEnglishSystem)
{
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett")})), &info));
    EXPECT_STREQ("Bold", info.fullName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x407, "Fett"), WinName(4, 0x409, "Bold")})), &info));
    EXPECT_STREQ("Bold", info.fullName);
}

TEST(NameSelection, AmongEqualRanksTheLaterRecordWins)
{
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x407, "Fett"), WinName(4, 0x40C, "Gras")})), &info));
    EXPECT_STREQ("Gras", info.fullName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x40C, "Gras"), WinName(4, 0x407, "Fett")})), &info));
    EXPECT_STREQ("Fett", info.fullName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "One"), WinName(4, 0x409, "Two")})), &info));
    EXPECT_STREQ("Two", info.fullName);
}

TEST(NameSelection, RanksCompareTheLanguageWithTheWholeLocaleIdentifier)
{
    EXPECT_EQ(0, TtfNameRank(0x407, 0x409));
    EXPECT_EQ(1, TtfNameRank(0x409, 0x407));
    EXPECT_EQ(2, TtfNameRank(0x407, 0x407));
    EXPECT_EQ(3, TtfNameRank(0x409, 0x409));
    /* German with phone-book sorting: no language id equals the identifier. */
    EXPECT_EQ(0, TtfNameRank(0x407, 0x10407));
    TtfPlatform sorted = {0x10407, Latin1, NULL};
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett")})),
                           &info, sorted));
    EXPECT_STREQ("Bold", info.fullName);
}

/* ---- cuts ---- */

TEST(NameCuts, AConvertedNameKeepsItsFirstHundredBytes)
{
    std::string copyright;
    for (int i = 0; i < 200; i++)
        copyright += (char)('a' + i % 26);
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(0, 0x409, copyright)})), &info));
    EXPECT_EQ(copyright.substr(0, 100), info.copyright);
}

TEST(NameCuts, AFamilyOfFortyCharactersKeepsThirtyOne)
{
    std::string family = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    ASSERT_EQ(40u, family.size());
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(1, 0x409, family)})), &info));
    EXPECT_EQ(family.substr(0, 31), info.faceName);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({MacName(1, family)})), &info));
    EXPECT_EQ(family.substr(0, 31), info.faceName);
}

TEST(NameCuts, LongMacintoshNamesKeepTwoHundredNinetyNineBytes)
{
    std::string text(400, 'm');
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({MacName(0, text)})), &info));
    EXPECT_EQ(299u, strlen(info.copyright));
}

TEST(NameCuts, ADoubleByteConversionIsCutAfterAsManyBytesAsCodeUnits)
{
    TtfPlatform doubleByte = {0x409, DoubleByte, NULL};
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "ABCDE")})), &info, doubleByte));
    EXPECT_EQ(5u, strlen(info.fullName));
    EXPECT_EQ(std::string("\x82" "A\x82" "B\x82"), info.fullName);
}

TEST(NameCuts, StringsOfSixtyThousandBytesArePassedOver)
{
    TtfFontInfo info;
    std::string longText(30000, 'x');       /* 60,000 bytes of UTF-16 */
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "Kept"), WinName(4, 0x409, longText)})),
                           &info));
    EXPECT_STREQ("Kept", info.fullName);
    std::string shorter(29999, 'y');        /* 59,998 bytes */
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({WinName(4, 0x409, "Kept"), WinName(4, 0x409, shorter)})),
                           &info));
    EXPECT_EQ(std::string(100, 'y'), info.fullName);
}

TEST(NameCuts, AnOddLengthDropsTheLastByteAndAnEmptyNameIsStillTaken)
{
    TestName odd = WinName(4, 0x409, "Odd");
    odd.bytes += 'Z';
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({odd})), &info));
    EXPECT_STREQ("Odd", info.fullName);
    /* An empty Windows name sets its rank: a Macintosh name after it is not taken. */
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({MacName(4, "Mac"), WinName(4, 0x409, ""),
                                               MacName(4, "Later Mac")})), &info));
    EXPECT_STREQ("", info.fullName);
}

/* ---- OS/2 ---- */

TEST(Os2Fields, WeightAndStyleBitsAreTakenAsMaskedBits)
{
    TestFont font = FontWith(EnglishNames("Alpha", "Bold Italic"));
    font.weightClass = 700;
    font.fsSelection = 0x0021;
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(font), &info));
    EXPECT_EQ(700u, info.weightClass);
    EXPECT_EQ(1, info.italic);
    EXPECT_EQ(32, info.boldFlag);
    EXPECT_EQ(0, info.underline);
    EXPECT_EQ(0, info.strikeOut);
    font.fsSelection = 0xFFFF;
    ASSERT_EQ(TTF_OK, Read(BuildFont(font), &info));
    EXPECT_EQ(1, info.italic);
    EXPECT_EQ(2, info.underline);
    EXPECT_EQ(16, info.strikeOut);
    EXPECT_EQ(32, info.boldFlag);
    font.weightClass = 400;
    font.fsSelection = 0x0040;   /* REGULAR only */
    ASSERT_EQ(TTF_OK, Read(BuildFont(font), &info));
    EXPECT_EQ(400u, info.weightClass);
    EXPECT_EQ(0, info.italic + info.underline + info.strikeOut + info.boldFlag);
}

TEST(Os2Fields, NoOs2TableGivesNoFontEvenWithItsNamesRead)
{
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    font.hasOs2 = false;
    TtfFontInfo info;
    EXPECT_EQ(TTF_NO_OS2_TABLE, Read(BuildFont(font), &info));
    EXPECT_STREQ("", info.faceName);
}

TEST(Os2Fields, AShortTableCountsWhileBothFieldsLieInsideTheFile)
{
    /* OS/2 as the last table of the file, so that nothing follows it. */
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    font.hasOs2 = false;
    font.fsSelection = 0x21;
    font.extraTables.push_back({"OS/2", Os2TableBytes(600, 0x21, 68)});  /* Apple's version 0 */
    TtfFontInfo info;
    std::vector<uint8_t> bytes = BuildFont(font);
    ASSERT_EQ(TableOffset(bytes, "OS/2") + 68, bytes.size());
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_EQ(600u, info.weightClass);
    EXPECT_EQ(32, info.boldFlag);
    /* Cut inside fsSelection: the table is treated as missing. */
    font.extraTables.back() = {"OS/2", Os2TableBytes(600, 0x21, 63)};
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
    uint32_t name = TableOffset(bytes, "name");
    /* Second record's offset far past the end. */
    SetU16(bytes, name + 6 + 12 + 10, 0xFFF0);
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_STREQ("Good", info.faceName);
    EXPECT_STREQ("Full", info.fullName);
    /* A length reaching one byte past the end. */
    std::vector<uint8_t> cut = BuildFont(FontWith({WinName(1, 0x409, "Good"), MacName(4, "Tail")}));
    name = TableOffset(cut, "name");
    size_t end = cut.size();
    while (cut[end - 1] == 0)
        end--;                   /* the alignment padding */
    cut.resize(end);
    SetU16(cut, name + 6 + 12 + 8, 5);
    ASSERT_EQ(TTF_OK, Read(cut, &info));
    EXPECT_STREQ("Good", info.faceName);
    EXPECT_STREQ("", info.fullName);
}

TEST(NameBounds, RecordsAreReadUntilTheFileEnds)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith({WinName(1, 0x409, "Good")}));
    uint32_t name = TableOffset(bytes, "name");
    SetU16(bytes, name + 2, 0xFFFF);             /* count far beyond the file */
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(bytes, &info));
    EXPECT_STREQ("Good", info.faceName);
}

TEST(NameBounds, ANameTableWithoutUsableRecordsStillGivesAFont)
{
    TtfFontInfo info;
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({})), &info));
    EXPECT_STREQ("", info.faceName);
    EXPECT_EQ(400u, info.weightClass);
    ASSERT_EQ(TTF_OK, Read(BuildFont(FontWith({TestName{3, 0, 0x409, 1, "xx"}})), &info));
    EXPECT_STREQ("", info.faceName);
}

TEST(NameBounds, ANameHeaderCutByTheEndOfTheFileIsAMissingTable)
{
    TestFont font = FontWith({});
    font.hasName = false;
    font.extraTables.push_back({"name", {0, 0, 0, 1}});   /* count, but no stringOffset */
    std::vector<uint8_t> bytes = BuildFont(font);
    bytes.resize(TableOffset(bytes, "name") + 4);
    TtfFontInfo info;
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

/* Reads an image on demand into a buffer of stale bytes. */
TtfResult ReadOnDemand(const std::vector<uint8_t> &bytes, TtfFontInfo *info, uint32_t chunk,
                       SfntImage *image, int failAfterReads = -1)
{
    static std::vector<unsigned char> buffer;
    buffer.assign(bytes.size() + 1, 0xA5);
    FileSource source = {&bytes, (uint32_t)bytes.size(), failAfterReads, {}};
    SfntImageOnDemand(image, buffer.data(), (uint32_t)bytes.size(), ReadFromSource, &source, chunk);
    TtfPlatform platform = EnglishSystem();
    return ReadSfntFont(image, &platform, info);
}

TEST(OnDemand, GivesWhatReadingTheWholeImageGivesOnBuiltFonts)
{
    std::vector<TestFont> fonts;
    fonts.push_back(FontWith(EnglishNames("Alpha", "Regular")));
    fonts.push_back(FontWith({MacName(1, "Mac only"), MacName(4, "Mac only Regular")}));
    TestFont big = FontWith(EnglishNames("Padded", "Bold"));
    big.extraTables.push_back({"zzzz", std::vector<uint8_t>(200000, 7)});
    big.extraTables.push_back({"name", NameTableBytes(EnglishNames("Far", "Away"))});
    big.hasName = false;
    fonts.push_back(big);
    for (size_t f = 0; f < fonts.size(); f++) {
        std::vector<uint8_t> bytes = BuildFont(fonts[f]);
        TtfFontInfo whole, onDemand;
        TtfResult expected = Read(bytes, &whole);
        const uint32_t chunks[] = {1, 16, 100, 4096, 16384, 1u << 30};
        for (uint32_t chunk : chunks) {
            SfntImage image;
            EXPECT_EQ(expected, ReadOnDemand(bytes, &onDemand, chunk, &image)) << f << " " << chunk;
            EXPECT_EQ(0, memcmp(&whole, &onDemand, sizeof whole)) << f << " " << chunk;
        }
    }
}

TEST(OnDemand, ReadsOnlyTheHeaderTheDirectoryAndTheTwoTables)
{
    TestFont font = FontWith(EnglishNames("Padded", "Bold"));
    font.hasName = false;
    font.extraTables.push_back({"zzzz", std::vector<uint8_t>(2000000, 7)});
    font.extraTables.push_back({"name", NameTableBytes(EnglishNames("Far", "Away"))});
    std::vector<uint8_t> bytes = BuildFont(font);
    TtfFontInfo info;
    SfntImage image;
    ASSERT_EQ(TTF_OK, ReadOnDemand(bytes, &info, 16384, &image));
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
    /* The file is shorter than its size said. */
    static std::vector<unsigned char> buffer(bytes.size() + 100, 0);
    FileSource source = {&bytes, (uint32_t)bytes.size() - 40, -1, {}};
    SfntImageOnDemand(&image, buffer.data(), (uint32_t)bytes.size(), ReadFromSource, &source, 16);
    TtfPlatform platform = EnglishSystem();
    EXPECT_EQ(TTF_UNREADABLE, ReadSfntFont(&image, &platform, &info));
}

TEST(OnDemand, ManyScatteredNeedsOutgrowTheRangeSlotsWithoutHarm)
{
    std::vector<TestName> names;
    for (int i = 0; i < 60; i++)
        names.push_back(WinName(4, 0x400 + i, "Name " + std::to_string(i)));
    std::vector<uint8_t> bytes = BuildFont(FontWith(names));
    TtfFontInfo whole, onDemand;
    ASSERT_EQ(TTF_OK, Read(bytes, &whole));
    SfntImage image;
    ASSERT_EQ(TTF_OK, ReadOnDemand(bytes, &onDemand, 1, &image));
    EXPECT_EQ(0, memcmp(&whole, &onDemand, sizeof whole));
    EXPECT_STREQ("Name 9", onDemand.fullName);
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
        : source(file), size(file.size())
    {
        whole = (unsigned char *)malloc(size + 1);
        stale = (unsigned char *)malloc(size + 1);
        memcpy(whole, source.data(), size);
        memset(stale, 0xA5, size + 1);
        addressable = size + 1;
    }
    ~SweepFont()
    {
        UNPOISON(whole, size + 1);
        free(whole);
        free(stale);
    }
    /* Byte p of the image is readable in `whole` only for p < length. */
    void SetLength(size_t length)
    {
        if (length < addressable)
            POISON(whole + length, addressable - length);
        else if (length > addressable)
            UNPOISON(whole + addressable, length - addressable);
        addressable = length;
    }
    void SetByte(size_t pos, uint8_t value)
    {
        source[pos] = value;
        whole[pos] = value;
    }
    /* Returns "" when both reads agree. */
    std::string Compare(size_t length, uint32_t chunk)
    {
        SetLength(length);
        TtfPlatform platform = EnglishSystem();
        SfntImage image;
        SfntImageWhole(&image, whole, (uint32_t)length);
        TtfFontInfo a, b;
        TtfResult ra = ReadSfntFont(&image, &platform, &a);
        FileSource file = {&source, (uint32_t)length, -1, {}};
        SfntImageOnDemand(&image, stale, (uint32_t)length, ReadFromSource, &file, chunk);
        TtfResult rb = ReadSfntFont(&image, &platform, &b);
        for (size_t i = 0; i < file.written.size(); i++)
            memset(stale + file.written[i].first, 0xA5, file.written[i].second);
        if (ra != rb || memcmp(&a, &b, sizeof a) != 0)
            return "length " + std::to_string(length) + ": whole " + std::to_string(ra) + " '" +
                   a.faceName + "', on demand " + std::to_string(rb) + " '" + b.faceName + "'";
        results[ra]++;
        return "";
    }
    std::vector<uint8_t> source;
    size_t size;
    unsigned char *whole;
    unsigned char *stale;
    size_t addressable;
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
        uint32_t name = TableOffset(file, "name"), nameLength = TableLength(file, "name");
        uint32_t os2 = TableOffset(file, "OS/2");
        ASSERT_NE(0u, name);
        ASSERT_NE(0u, os2);
        std::string failure;

        /* Every truncation of the first 4 KB, of the name table and of the OS/2 table. */
        for (size_t length = 0; length <= 4096 && failure.empty(); length++)
            failure = sweep.Compare(length, length % 2 ? 64 : 16384);
        for (size_t length = name; length <= (size_t)name + nameLength && failure.empty(); length++)
            failure = sweep.Compare(length, length % 2 ? 64 : 16384);
        for (size_t length = os2; length <= (size_t)os2 + 78 && failure.empty(); length++)
            failure = sweep.Compare(length, 16384);
        EXPECT_EQ("", failure) << relative;
        EXPECT_GT(sweep.results[TTF_OK], 0) << relative;

        /* Single-byte changes of the directory, the name header and records, OS/2. */
        unsigned numTables = GetU16(file, 4);
        unsigned nameCount = GetU16(file, name + 2);
        std::vector<size_t> positions;
        for (size_t p = 0; p < 12 + 16 * (size_t)numTables; p++)
            positions.push_back(p);
        for (size_t p = name; p < name + 6 + 12 * (size_t)nameCount; p++)
            positions.push_back(p);
        for (size_t p = os2; p < (size_t)os2 + 78; p++)
            positions.push_back(p);
        for (size_t i = 0; i < positions.size() && failure.empty(); i++) {
            size_t p = positions[i];
            uint8_t original = file[p];
            const uint8_t values[] = {0x00, 0xFF, (uint8_t)(original ^ 0x80), (uint8_t)(original + 1)};
            for (uint8_t value : values) {
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
    TtfFontInfo whole, onDemand;
    ASSERT_EQ(TTF_OK, Read(file, &whole));
    EXPECT_STREQ("Noto Sans Math", whole.faceName);
    SfntImage image;
    ASSERT_EQ(TTF_OK, ReadOnDemand(file, &onDemand, 16384, &image));
    EXPECT_EQ(0, memcmp(&whole, &onDemand, sizeof whole));
    EXPECT_LE(image.reads, 3u);
    EXPECT_LT(image.bytesRead, 64u * 1024);
    EXPECT_GT(file.size(), 300u * 1024);
}

}  // namespace
