/* fontbuilder.h - small TrueType file images built byte by byte, for the cases no
 * real font has (Macintosh-only names, the "true" tag, long names, no OS/2, cut
 * tables, several languages).  Header-only and free of <windows.h>, for the native
 * tests, the Wine tests and the benchmark alike. */
#ifndef ZENVRIX_TEST_FONTBUILDER_H
#define ZENVRIX_TEST_FONTBUILDER_H

#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

struct TestName {
    unsigned platformId;
    unsigned encodingId;
    unsigned languageId;
    unsigned nameId;
    std::string bytes;           /* as stored in the file */
};

struct TestTable {
    std::string tag;             /* four characters */
    std::vector<uint8_t> data;
};

struct TestFont {
    uint32_t version = 0x00010000;
    std::vector<TestName> names;
    bool hasName = true;
    bool hasOs2 = true;
    unsigned weightClass = 400;
    unsigned fsSelection = 0;
    unsigned os2Length = 78;     /* bytes of the OS/2 table written */
    std::vector<TestTable> extraTables; /* besides name and OS/2 */
    bool fillerTables = true;    /* cmap, glyf, head, hhea, maxp, post */
    bool sortDirectory = true;   /* false: directory in the order tables were added */
    int numTablesOverride = -1;  /* >= 0: this numTables is written instead */
};

inline void PutU16(std::vector<uint8_t> &out, unsigned value)
{
    out.push_back((uint8_t)(value >> 8));
    out.push_back((uint8_t)value);
}

inline void PutU32(std::vector<uint8_t> &out, uint32_t value)
{
    PutU16(out, value >> 16);
    PutU16(out, value & 0xFFFF);
}

inline void SetU16(std::vector<uint8_t> &out, size_t pos, unsigned value)
{
    out[pos] = (uint8_t)(value >> 8);
    out[pos + 1] = (uint8_t)value;
}

inline unsigned GetU16(const std::vector<uint8_t> &bytes, size_t pos)
{
    return (unsigned)bytes[pos] << 8 | bytes[pos + 1];
}

inline uint32_t GetU32(const std::vector<uint8_t> &bytes, size_t pos)
{
    return (uint32_t)GetU16(bytes, pos) << 16 | GetU16(bytes, pos + 2);
}

/* Big-endian UTF-16 of a text given as code points. */
inline std::string Utf16Be(const std::u32string &text)
{
    std::string out;
    for (char32_t c : text) {
        if (c >= 0x10000) {
            char32_t v = c - 0x10000;
            char32_t high = 0xD800 + (v >> 10), low = 0xDC00 + (v & 0x3FF);
            out += (char)(high >> 8); out += (char)(high & 0xFF);
            out += (char)(low >> 8); out += (char)(low & 0xFF);
        } else {
            out += (char)(c >> 8);
            out += (char)(c & 0xFF);
        }
    }
    return out;
}

/* Big-endian UTF-16 of an ASCII (or Latin-1) text. */
inline std::string Utf16Be(const std::string &latin1)
{
    std::u32string text;
    for (unsigned char c : latin1)
        text += (char32_t)c;
    return Utf16Be(text);
}

inline TestName WinName(unsigned nameId, unsigned languageId, const std::string &latin1)
{
    return TestName{3, 1, languageId, nameId, Utf16Be(latin1)};
}

inline TestName WinNameU(unsigned nameId, unsigned languageId, const std::u32string &text)
{
    return TestName{3, 1, languageId, nameId, Utf16Be(text)};
}

inline TestName MacName(unsigned nameId, const std::string &bytes, unsigned languageId = 0)
{
    return TestName{1, 0, languageId, nameId, bytes};
}

/* The usual English (US) Windows names of a family and style. */
inline std::vector<TestName> EnglishNames(const std::string &family, const std::string &style)
{
    return {WinName(0, 0x409, "Copyright (c) " + family + " authors"),
            WinName(1, 0x409, family),
            WinName(2, 0x409, style),
            WinName(3, 0x409, family + " " + style + " 1.0"),
            WinName(4, 0x409, family + " " + style),
            WinName(5, 0x409, "Version 1.000"),
            WinName(7, 0x409, family + " is a trademark")};
}

inline std::vector<uint8_t> NameTableBytes(const std::vector<TestName> &names)
{
    std::vector<uint8_t> table;
    PutU16(table, 0);
    PutU16(table, (unsigned)names.size());
    PutU16(table, (unsigned)(6 + 12 * names.size()));
    std::string storage;
    for (const TestName &name : names) {
        PutU16(table, name.platformId);
        PutU16(table, name.encodingId);
        PutU16(table, name.languageId);
        PutU16(table, name.nameId);
        PutU16(table, (unsigned)name.bytes.size());
        PutU16(table, (unsigned)storage.size());
        storage += name.bytes;
    }
    table.insert(table.end(), storage.begin(), storage.end());
    return table;
}

inline std::vector<uint8_t> Os2TableBytes(unsigned weightClass, unsigned fsSelection, unsigned length)
{
    std::vector<uint8_t> table(std::max(length, 64u), 0);
    SetU16(table, 0, 0);              /* version */
    SetU16(table, 2, 500);            /* xAvgCharWidth */
    SetU16(table, 4, weightClass);
    SetU16(table, 6, 5);              /* usWidthClass */
    SetU16(table, 62, fsSelection);
    table.resize(length);
    return table;
}

/* The file image; tables are laid out in the order given, 4-byte aligned. */
inline std::vector<uint8_t> BuildFont(const TestFont &font)
{
    std::vector<TestTable> tables;
    if (font.hasOs2)
        tables.push_back({"OS/2", Os2TableBytes(font.weightClass, font.fsSelection, font.os2Length)});
    if (font.fillerTables) {
        const char *filler[] = {"cmap", "glyf", "head", "hhea", "maxp", "post"};
        for (const char *tag : filler)
            tables.push_back({tag, std::vector<uint8_t>(24, (uint8_t)tag[0])});
    }
    if (font.hasName)
        tables.push_back({"name", NameTableBytes(font.names)});
    for (const TestTable &extra : font.extraTables)
        tables.push_back(extra);

    std::vector<TestTable> directory = tables;
    if (font.sortDirectory)
        std::sort(directory.begin(), directory.end(),
                  [](const TestTable &a, const TestTable &b) { return a.tag < b.tag; });

    unsigned numTables = (unsigned)tables.size();
    unsigned entrySelector = 0;
    while ((2u << entrySelector) <= numTables)
        entrySelector++;
    unsigned searchRange = 16u << entrySelector;

    std::vector<uint8_t> out;
    PutU32(out, font.version);
    PutU16(out, font.numTablesOverride >= 0 ? (unsigned)font.numTablesOverride : numTables);
    PutU16(out, searchRange);
    PutU16(out, entrySelector);
    PutU16(out, numTables * 16 - searchRange);
    size_t directoryStart = out.size();
    out.resize(directoryStart + 16 * directory.size(), 0);

    std::vector<uint32_t> offsets;
    for (const TestTable &table : tables) {
        while (out.size() % 4)
            out.push_back(0);
        offsets.push_back((uint32_t)out.size());
        out.insert(out.end(), table.data.begin(), table.data.end());
    }
    while (out.size() % 4)
        out.push_back(0);

    for (size_t i = 0; i < directory.size(); i++) {
        size_t index = 0;
        while (tables[index].tag != directory[i].tag)
            index++;
        std::vector<uint8_t> record;
        for (char c : directory[i].tag)
            record.push_back((uint8_t)c);
        PutU32(record, 0);               /* checkSum, not read */
        PutU32(record, offsets[index]);
        PutU32(record, (uint32_t)tables[index].data.size());
        std::copy(record.begin(), record.end(), out.begin() + directoryStart + 16 * i);
    }
    return out;
}

/* Field `at` (8: offset, 12: length) of a table's directory record, or 0. */
inline uint32_t TableRecordField(const std::vector<uint8_t> &bytes, const std::string &tag, size_t at)
{
    unsigned numTables = bytes.size() < 12 ? 0 : GetU16(bytes, 4);
    for (size_t i = 0; i < numTables && 12 + 16 * i + 16 <= bytes.size(); i++)
        if (std::string(bytes.begin() + 12 + 16 * i, bytes.begin() + 16 + 16 * i) == tag)
            return GetU32(bytes, 12 + 16 * i + at);
    return 0;
}

/* Offset and length of a table in an image made by BuildFont (or any font), or 0. */
inline uint32_t TableOffset(const std::vector<uint8_t> &bytes, const std::string &tag)
{
    return TableRecordField(bytes, tag, 8);
}

inline uint32_t TableLength(const std::vector<uint8_t> &bytes, const std::string &tag)
{
    return TableRecordField(bytes, tag, 12);
}

inline bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == NULL)
        return false;
    size_t written = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), file);
    bool ok = written == bytes.size();
    return fclose(file) == 0 && ok;
}

inline bool ReadBytes(const std::string &path, std::vector<uint8_t> *bytes)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    bytes->clear();
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0)
        bytes->insert(bytes->end(), block, block + n);
    fclose(file);
    return true;
}

#endif
