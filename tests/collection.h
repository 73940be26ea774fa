/* collection.h - real font files for the tests of OpenType files and collections:
 * a file's bytes, a font with its family prefix changed in its names (the system
 * lists every packaged font already, so tests that register fonts need unknown
 * ones), and a collection joined from whole fonts as font tools join them. */
#ifndef ZENVRIX_TEST_COLLECTION_H
#define ZENVRIX_TEST_COLLECTION_H

#include <stdint.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

typedef std::vector<uint8_t> Bytes;

inline Bytes LoadFont(const std::string &unixPath)
{
#ifdef _WIN32
    std::ifstream in("Z:" + unixPath, std::ios::binary);
#else
    std::ifstream in(unixPath, std::ios::binary);
#endif
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t Get32(const Bytes &bytes, size_t at)
{
    return (uint32_t)bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
}

inline void Put32(Bytes &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = (uint8_t)(value >> (24 - 8 * i));
}

inline unsigned Tables(const Bytes &font) { return (unsigned)(font[4] << 8 | font[5]); }

/* The font with `from` replaced by `to` (as long) in its 'name' table, in 8-bit
 * and UTF-16BE strings alike. */
inline Bytes Renamed(Bytes font, const std::string &from, const std::string &to)
{
    std::string wideFrom, wideTo;
    for (size_t i = 0; i < from.size(); i++)
        wideFrom += std::string(1, '\0') + from[i], wideTo += std::string(1, '\0') + to[i];
    for (unsigned t = 0; t < Tables(font); t++) {
        uint32_t start = Get32(font, 12 + 16 * t + 8), length = Get32(font, 12 + 16 * t + 12);
        std::string table(font.begin() + start, font.begin() + start + length);
        for (auto [a, b] : {std::make_pair(wideFrom, wideTo), std::make_pair(from, to)})
            for (size_t at; memcmp(&font[12 + 16 * t], "name", 4) == 0 &&
                            (at = table.find(a)) != std::string::npos;)
                table.replace(at, a.size(), b);
        memcpy(&font[start], table.data(), length);
    }
    return font;
}

/* The header of a collection (version 1 or 2), then each font with its table
 * offsets moved by where it now starts. */
inline Bytes Collect(const std::vector<Bytes> &fonts, unsigned version)
{
    Bytes out(12 + 4 * fonts.size() + (version == 2 ? 12 : 0), 0);
    memcpy(out.data(), "ttcf", 4);
    Put32(out, 4, version << 16);
    Put32(out, 8, (uint32_t)fonts.size());
    for (size_t f = 0; f < fonts.size(); f++) {
        Bytes font = fonts[f];
        for (unsigned t = 0; t < Tables(font); t++)
            Put32(font, 12 + 16 * t + 8, (uint32_t)out.size() + Get32(font, 12 + 16 * t + 8));
        Put32(out, 12 + 4 * f, (uint32_t)out.size());
        out.insert(out.end(), font.begin(), font.end());
    }
    return out;
}

#endif
