/* ttfread_test.cpp - reading .ttf files into font records under Wine: byte-built
 * fonts for the odd cases, the real code-page conversion and its cut, failures of
 * the file and of the read, long paths, and the proof over every installed font
 * (and over empty and very large files) that reading only the bytes needed gives
 * the records that reading whole files gives. */
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "app/faults.h"
#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"
#include "harness.h"
#include "tests/fontbuilder.h"

namespace {

HDC testDc;   /* with the FileBuffer, as start-up makes them */

class FileBufferEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, FILE_BUFFER_SIZE);
        fileBuffer = (unsigned char *)GlobalLock(block);
        testDc = CreateCompatibleDC(NULL);
    }
    void TearDown() override
    {
        DeleteDC(testDc);
        GlobalUnlock(block);
        GlobalFree(block);
        fileBuffer = NULL;
    }
    HGLOBAL block;
};

::testing::Environment *const fileBufferEnvironment =
    ::testing::AddGlobalTestEnvironment(new FileBufferEnvironment);

class ReadFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE((unsigned char *)NULL, fileBuffer);
        ClearFaults();
        FreeFontList(&catalogue);
        settings.sourceIsDirectory = 1;
        folder = TempTestDir("ttfread");
    }
    void TearDown() override
    {
        ClearFaults();
        FreeFontList(&catalogue);
    }
    /* Writes the font and reads it with ReadFontFile; returns the new record or NULL. */
    const FontRecord *ReadBuilt(const std::vector<uint8_t> &bytes, const std::string &name = "f.ttf")
    {
        EXPECT_TRUE(WriteBytes(folder + name, bytes));
        int before = catalogue.count;
        ReadFontFile(testDc, folder.c_str(), name.c_str());
        if (catalogue.count == before)
            return NULL;
        EXPECT_EQ(before + 1, catalogue.count);
        return catalogue.records[catalogue.count - 1];
    }
    std::string folder;
};

TestFont FontWith(const std::vector<TestName> &names)
{
    TestFont font;
    font.names = names;
    return font;
}

/* ---- what a record holds ---- */

TEST_F(ReadFont, ARecordCarriesTheNamesTheStyleBitsTheFileAndTheContextsMetrics)
{
    TestFont font = FontWith(EnglishNames("Alpha Sans", "Bold Italic"));
    font.weightClass = 700;
    font.fsSelection = 0x0021;
    const FontRecord *record = ReadBuilt(BuildFont(font), "AlphaBI.ttf");
    ASSERT_NE((const FontRecord *)NULL, record);
    EXPECT_EQ(FONT_FILE_OK, lastFontFileResult);
    EXPECT_STREQ("Alpha Sans", record->logFont.lfFaceName);
    EXPECT_STREQ("Bold Italic", record->fontSubfamily);
    EXPECT_STREQ("Alpha Sans Bold Italic", record->fullFontName);
    EXPECT_STREQ("Alpha Sans Bold Italic 1.0", record->fontIdentifier);
    EXPECT_STREQ("Version 1.000", record->version);
    EXPECT_STREQ("Copyright (c) Alpha Sans authors", record->copyright);
    EXPECT_STREQ("Alpha Sans is a trademark", record->trademark);
    EXPECT_STREQ("AlphaBI.ttf", record->fileName);
    EXPECT_EQ(folder + "AlphaBI.ttf", record->filePath);
    EXPECT_EQ(0, record->logFont.lfHeight || record->logFont.lfWidth || record->logFont.lfEscapement ||
                     record->logFont.lfOrientation);
    EXPECT_EQ(700, record->logFont.lfWeight);
    EXPECT_EQ(1, record->logFont.lfItalic);
    EXPECT_EQ(0, record->logFont.lfUnderline + record->logFont.lfStrikeOut);
    EXPECT_EQ(DEFAULT_CHARSET, record->logFont.lfCharSet);
    EXPECT_EQ(0, record->logFont.lfOutPrecision + record->logFont.lfClipPrecision +
                     record->logFont.lfQuality + record->logFont.lfPitchAndFamily);
    EXPECT_EQ(32, record->boldFlag);
    EXPECT_EQ(TRUETYPE_FONTTYPE, record->fontType);
    TEXTMETRICA metrics;
    memset(&metrics, 0, sizeof metrics);
    ASSERT_TRUE(GetTextMetricsA(testDc, &metrics));
    EXPECT_EQ(0, memcmp(&metrics, &record->textMetrics, sizeof metrics));
}

TEST_F(ReadFont, UnderlineAndStrikeOutKeepTheirMaskedBits)
{
    TestFont font = FontWith(EnglishNames("Lines", "Regular"));
    font.fsSelection = 0x0012;
    const FontRecord *record = ReadBuilt(BuildFont(font));
    ASSERT_NE((const FontRecord *)NULL, record);
    EXPECT_EQ(0, record->logFont.lfItalic + record->boldFlag);
    EXPECT_EQ(2, record->logFont.lfUnderline);
    EXPECT_EQ(16, record->logFont.lfStrikeOut);
}

TEST_F(ReadFont, TheVersionTrueIsReadAndCffOutlinesAreNot)
{
    TestFont font = FontWith(EnglishNames("Apple", "Regular"));
    font.version = 0x74727565;
    const FontRecord *record = ReadBuilt(BuildFont(font));
    ASSERT_NE((const FontRecord *)NULL, record);
    EXPECT_STREQ("Apple", record->logFont.lfFaceName);
    font.version = 0x4F54544F;
    EXPECT_EQ(NULL, ReadBuilt(BuildFont(font)));
    EXPECT_EQ(FONT_FILE_NOT_TRUETYPE, lastFontFileResult);
}

/* The text a record holds for a name id. */
std::string Field(const FontRecord *record, unsigned nameId)
{
    switch (nameId) {
    case 0: return record->copyright;
    case 1: return record->logFont.lfFaceName;
    case 2: return record->fontSubfamily;
    case 4: return record->fullFontName;
    default: return record->trademark;
    }
}

TEST_F(ReadFont, NamesAreChosenConvertedAndCutIntoTheRecord)
{
    ASSERT_EQ(0x409u, (unsigned)GetSystemDefaultLCID());
    std::string copyright;
    for (int i = 0; i < 200; i++)
        copyright += (char)('A' + i % 26);
    const std::string family = "Forty Characters Long Family Name Here!!";
    const struct {
        const char *behaviour;
        std::vector<TestName> names;
        std::vector<std::pair<unsigned, std::string>> expected;   /* name id, text */
    } cases[] = {
        {"Macintosh-only names arrive unconverted",
         {MacName(1, "Caf\x8E Mac"), MacName(4, "Caf\x8E Mac Regular"), MacName(0, "\xA9 1996")},
         {{1, "Caf\x8E Mac"}, {4, "Caf\x8E Mac Regular"}, {0, "\xA9 1996"}}},
        {"English wins over German on this English system",
         {WinName(4, 0x409, "Bold"), WinName(4, 0x407, "Fett"), MacName(2, "Mac")}, {{4, "Bold"}, {2, "Mac"}}},
        {"the ANSI code page, cut to 100 bytes and a family to 31",
         {WinName(0, 0x409, copyright), WinNameU(4, 0x409, std::u32string(150, U'\u00E9')),
          WinName(1, 0x409, family)},
         {{0, copyright.substr(0, 100)}, {4, std::string(100, '\xE9')}, {1, family.substr(0, 31)}}},
        /* e + combining acute composes to one byte; an ideograph has none: '?'; the
         * trade mark sign is 0x99 in code page 1252. */
        {"composites and unmappable characters",
         {WinNameU(1, 0x409, U"Cafe\u0301"), WinNameU(7, 0x409, U"Mark\u2122 \u4E00")},
         {{1, "Caf\xE9"}, {7, "Mark\x99 ?"}}},
        {"no usable record gives empty names", {WinName(6, 0x409, "PostScript")}, {{1, ""}, {4, ""}}},
    };
    for (const auto &c : cases) {
        const FontRecord *record = ReadBuilt(BuildFont(FontWith(c.names)));
        ASSERT_NE((const FontRecord *)NULL, record) << c.behaviour;
        for (const auto &field : c.expected)
            EXPECT_EQ(field.second, Field(record, field.first)) << c.behaviour << ", name " << field.first;
    }
}

/* ---- files that give no record ---- */

TEST_F(ReadFont, NoOs2TableNoNameTableOrNoFileGiveNoRecord)
{
    TestFont font = FontWith(EnglishNames("Alpha", "Regular"));
    font.hasOs2 = false;
    EXPECT_EQ(NULL, ReadBuilt(BuildFont(font)));
    EXPECT_EQ(FONT_FILE_NO_OS2_TABLE, lastFontFileResult);
    font.hasOs2 = true;
    font.hasName = false;
    EXPECT_EQ(NULL, ReadBuilt(BuildFont(font)));
    EXPECT_EQ(FONT_FILE_NO_NAME_TABLE, lastFontFileResult);
    ReadFontFile(testDc, folder.c_str(), "missing.ttf");
    EXPECT_EQ(FONT_FILE_CANT_OPEN, lastFontFileResult);
    EXPECT_EQ(0, catalogue.count);
}

TEST_F(ReadFont, NothingOfTheFilesReadBeforeIsTakenForAnEmptyOrCutFile)
{
    std::vector<uint8_t> good = BuildFont(FontWith(EnglishNames("Earlier", "Regular")));
    ASSERT_NE((const FontRecord *)NULL, ReadBuilt(good, "good.ttf"));
    EXPECT_EQ(NULL, ReadBuilt(std::vector<uint8_t>(), "empty.ttf"));
    EXPECT_EQ(FONT_FILE_NOT_TRUETYPE, lastFontFileResult);
    /* The same font cut inside its name table: the rest of the earlier copy is
     * still in the FileBuffer, but lies past this file's end. */
    std::vector<uint8_t> cut(good.begin(), good.begin() + TableOffset(good, "name") + 8);
    const FontRecord *record = ReadBuilt(cut, "cut.ttf");
    ASSERT_NE((const FontRecord *)NULL, record);
    EXPECT_STREQ("", record->logFont.lfFaceName);
    EXPECT_STREQ("", record->fullFontName);
    EXPECT_STREQ("", record->copyright);
    /* Cut inside the name table's header, and right after the offset table. */
    cut.resize(TableOffset(good, "name") + 4);
    EXPECT_EQ(NULL, ReadBuilt(cut, "cut.ttf"));
    EXPECT_EQ(FONT_FILE_NO_NAME_TABLE, lastFontFileResult);
    EXPECT_EQ(NULL, ReadBuilt(std::vector<uint8_t>(good.begin(), good.begin() + 12), "header.ttf"));
    EXPECT_EQ(2, catalogue.count);
}

TEST_F(ReadFont, AShortOs2TableAtTheEndOfTheFileStillGivesItsFields)
{
    TestFont font = FontWith(EnglishNames("Apple Old", "Bold"));
    font.hasOs2 = false;
    font.extraTables.push_back({"OS/2", Os2TableBytes(700, 0x20, 68)});
    std::vector<uint8_t> bytes = BuildFont(font);
    ASSERT_EQ(bytes.size(), TableOffset(bytes, "OS/2") + 68u);
    const FontRecord *record = ReadBuilt(bytes);
    ASSERT_NE((const FontRecord *)NULL, record);
    EXPECT_EQ(700, record->logFont.lfWeight);
    EXPECT_EQ(32, record->boldFlag);
    bytes.resize(bytes.size() - 6);   /* fsSelection cut off */
    EXPECT_EQ(NULL, ReadBuilt(bytes));
    EXPECT_EQ(FONT_FILE_NO_OS2_TABLE, lastFontFileResult);
}

TEST_F(ReadFont, AFailingOrShortReadDropsTheFile)
{
    std::vector<uint8_t> bytes = BuildFont(FontWith(EnglishNames("Alpha", "Regular")));
    SetFault(FAULT_FILE_READ, 0, -1);            /* every read brings half */
    EXPECT_EQ(NULL, ReadBuilt(bytes));
    EXPECT_EQ(FONT_FILE_CANT_READ, lastFontFileResult);
    EXPECT_GE(FaultCalls(FAULT_FILE_READ), 1);
    /* The first read (header and directory) succeeds, the one for the name table
     * brings half. */
    TestFont distant = FontWith(EnglishNames("Far", "Regular"));
    distant.hasName = false;
    distant.extraTables.push_back({"zzzz", std::vector<uint8_t>(100000, 1)});
    distant.extraTables.push_back({"name", NameTableBytes(EnglishNames("Far", "Regular"))});
    SetFault(FAULT_FILE_READ, 1, 1);
    EXPECT_EQ(NULL, ReadBuilt(BuildFont(distant)));
    EXPECT_EQ(FONT_FILE_CANT_READ, lastFontFileResult);
    EXPECT_EQ(2, FaultCalls(FAULT_FILE_READ));
    ClearFaults();
    EXPECT_NE((const FontRecord *)NULL, ReadBuilt(BuildFont(distant)));
}

TEST_F(ReadFont, APathOfMoreThan299CharactersIsNeverCutAndOpened)
{
    std::string directory = folder + std::string(291 - folder.size(), 'd') + "\\";
    ASSERT_EQ(300u, directory.size() + strlen("name.ttf"));
    FontRecord record;
    EXPECT_EQ(FONT_FILE_PATH_TOO_LONG, ReadFontRecord(testDc, directory.c_str(), "name.ttf", 0, &record));
    ReadFontFile(testDc, directory.c_str(), "name.ttf");
    EXPECT_EQ(FONT_FILE_PATH_TOO_LONG, lastFontFileResult);
    EXPECT_EQ(0, catalogue.count);
}

TEST_F(ReadFont, FontsInFoldersWithPathsOverAHundredAndTwentyEightCharactersAreRead)
{
    std::string deep = folder;
    while (deep.size() < 200) {
        deep += "a-folder-with-a-long-name\\";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL));
    }
    ASSERT_TRUE(WriteBytes(deep + "deep.ttf", BuildFont(FontWith(EnglishNames("Deep", "Regular")))));
    ReadFontFile(testDc, deep.c_str(), "deep.ttf");
    EXPECT_EQ(FONT_FILE_OK, lastFontFileResult);
    ASSERT_EQ(1, catalogue.count);
    EXPECT_STREQ("Deep", catalogue.records[0]->logFont.lfFaceName);
    EXPECT_EQ(deep + "deep.ttf", catalogue.records[0]->filePath);
}

/* ---- reading only what is needed gives the records of reading whole files ---- */

void ListFonts(const std::string &folder, std::vector<std::pair<std::string, std::string>> *files)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                ListFonts(folder + name + "\\", files);
        } else if (IsFontFileName(name.c_str())) {
            files->push_back(std::make_pair(folder, name));
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

double neededBytes;   /* bytes brought in by the reads of only what is needed */

std::string CompareReads(const std::string &directory, const std::string &name)
{
    static FontRecord whole, needed;
    memset(&whole, 0x5A, sizeof whole);
    memset(&needed, 0xA5, sizeof needed);
    FontFileResult a = ReadFontRecord(testDc, directory.c_str(), name.c_str(), 1, &whole);
    /* Fill the FileBuffer's start with stale bytes between the two reads. */
    memset(fileBuffer, 0xEE, 65536);
    double before = fontReadCounters.bytes;
    FontFileResult b = ReadFontRecord(testDc, directory.c_str(), name.c_str(), 0, &needed);
    neededBytes += fontReadCounters.bytes - before;
    if (a != b)
        return directory + name + ": whole " + std::to_string(a) + ", needed " + std::to_string(b);
    if (a == FONT_FILE_OK && memcmp(&whole, &needed, sizeof whole) != 0)
        return directory + name + ": records differ ('" + whole.logFont.lfFaceName + "', '" +
               needed.logFont.lfFaceName + "')";
    return "";
}

TEST(OnlyTheBytesNeeded, GiveTheRecordsOfWholeFilesForEveryInstalledFont)
{
    std::vector<std::pair<std::string, std::string>> files;
    ListFonts(RealFont("/usr/share/fonts/"), &files);
    ASSERT_GE(files.size(), 1000u);
    neededBytes = 0;
    int read = 0;
    std::string failures;
    for (size_t i = 0; i < files.size(); i++) {
        std::string failure = CompareReads(files[i].first, files[i].second);
        if (!failure.empty() && failures.size() < 2000)
            failures += failure + "\n";
        read += lastFontFileResult == FONT_FILE_OK;
    }
    EXPECT_EQ("", failures);
    /* Whole reads bring every byte; reading what is needed brings a small part. */
    double wholeBytes = 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    for (size_t i = 0; i < files.size(); i++)
        if (GetFileAttributesExA((files[i].first + files[i].second).c_str(), GetFileExInfoStandard, &data))
            wholeBytes += data.nFileSizeLow;
    EXPECT_GT(read, 1000);
    EXPECT_LT(neededBytes, wholeBytes / 5);
    printf("%u fonts compared (%d records), %.0f bytes read of %.0f in the files\n",
           (unsigned)files.size(), read, neededBytes, wholeBytes);
}

/* A sparse file of more than 100,000,000 bytes with a header at its start and the
 * name and OS/2 tables placed at the given offsets. */
bool WriteLargeFont(const std::string &path, uint32_t nameAt, uint32_t os2At, uint64_t fileSize)
{
    std::vector<uint8_t> name = NameTableBytes(EnglishNames("Large", "Regular"));
    std::vector<uint8_t> os2 = Os2TableBytes(500, 0x20, 78);
    std::vector<uint8_t> header;
    PutU32(header, 0x00010000);
    PutU16(header, 2); PutU16(header, 32); PutU16(header, 1); PutU16(header, 0);
    header.insert(header.end(), {'O', 'S', '/', '2'});
    PutU32(header, 0); PutU32(header, os2At); PutU32(header, 78);
    header.insert(header.end(), {'n', 'a', 'm', 'e'});
    PutU32(header, 0); PutU32(header, nameAt); PutU32(header, (uint32_t)name.size());

    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    struct Part { uint64_t at; const std::vector<uint8_t> *bytes; } parts[] = {
        {0, &header}, {nameAt, &name}, {os2At, &os2}};
    for (const Part &part : parts) {
        LARGE_INTEGER at;
        at.QuadPart = (LONGLONG)part.at;
        DWORD written = 0;
        ok = ok && SetFilePointerEx(file, at, NULL, FILE_BEGIN) &&
             WriteFile(file, part.bytes->data(), (DWORD)part.bytes->size(), &written, NULL) &&
             written == part.bytes->size();
    }
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG)fileSize;
    ok = ok && SetFilePointerEx(file, end, NULL, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

TEST(OnlyTheBytesNeeded, OfAFileOverOneHundredMillionBytesOnlyTheFirstHundredMillionCountAndAnEmptyFileIsNoFont)
{
    std::string folder = TempTestDir("ttfread_large");
    struct Case {
        uint32_t nameAt, os2At;
        FontFileResult result;
    } cases[] = {
        {99999000, 400, FONT_FILE_OK},                 /* name near the end of what counts */
        {1000, 99999950, FONT_FILE_NO_OS2_TABLE},      /* OS/2 runs past 100,000,000 */
        {100000400, 400, FONT_FILE_NO_NAME_TABLE},     /* name past 100,000,000 */
    };
    for (const Case &c : cases) {
        std::string name = "large" + std::to_string(c.nameAt) + ".ttf";
        ASSERT_TRUE(WriteLargeFont(folder + name, c.nameAt, c.os2At, 100000500ull)) << name;
        EXPECT_EQ("", CompareReads(folder, name));
        FontRecord record;
        EXPECT_EQ(c.result, ReadFontRecord(testDc, folder.c_str(), name.c_str(), 0, &record)) << name;
        if (c.result == FONT_FILE_OK) {
            EXPECT_STREQ("Large", record.logFont.lfFaceName);
            EXPECT_EQ(500, record.logFont.lfWeight);
        }
        DeleteFileA((folder + name).c_str());
    }
    ASSERT_TRUE(WriteBytes(folder + "empty.ttf", std::vector<uint8_t>()));
    EXPECT_EQ("", CompareReads(folder, "empty.ttf"));
    FontRecord record;
    EXPECT_EQ(FONT_FILE_NOT_TRUETYPE, ReadFontRecord(testDc, folder.c_str(), "empty.ttf", 0, &record));
}

}  // namespace
