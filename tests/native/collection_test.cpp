/* collection_test.cpp - OpenType files and font collections in the reading core:
 * which kinds a read takes, one face per table directory, and a collection's
 * counts and offsets that the file cannot hold.  Real files of the URW and
 * WenQuanYi packages; the truncation sweep runs under ASan/UBSan natively (each
 * cut is a heap block of exactly its length) and under Wine. */
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/ttfcore.h"

namespace {

std::vector<uint8_t> Load(const std::string &unixPath)
{
#ifdef _WIN32
    std::string path = "Z:" + unixPath;
#else
    std::string path = unixPath;
#endif
    std::vector<uint8_t> bytes;
    if (FILE *file = fopen(path.c_str(), "rb")) {
        uint8_t chunk[65536];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        fclose(file);
    }
    return bytes;
}

int Ascii(void *, const uint16_t *units, int count, char *out, int outSize)
{
    int n = 0;
    for (int i = 0; i < count && n < outSize; i++)
        out[n++] = units[i] < 128 ? (char)units[i] : '?';
    return n;
}

void Put32(std::vector<uint8_t> &bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = (uint8_t)(value >> (24 - 8 * i));
}

/* A collection of whole real fonts, as font tools join them: the header, then each
 * font with its table offsets moved by where it now starts. */
std::vector<uint8_t> Collect(const std::vector<std::string> &paths, unsigned version)
{
    size_t header = 12 + 4 * paths.size() + (version == 2 ? 12 : 0);
    std::vector<uint8_t> out(header, 0);
    memcpy(out.data(), "ttcf", 4);
    Put32(out, 4, version << 16);
    Put32(out, 8, (uint32_t)paths.size());
    for (size_t f = 0; f < paths.size(); f++) {
        std::vector<uint8_t> font = Load(paths[f]);
        uint32_t base = (uint32_t)out.size();
        unsigned tables = font.size() >= 6 ? (font[4] << 8 | font[5]) : 0;
        for (unsigned t = 0; t < tables; t++) {
            size_t at = 12 + 16 * t + 8;
            Put32(font, at, base + (font[at] << 24 | font[at + 1] << 16 | font[at + 2] << 8 |
                                    font[at + 3]));
        }
        Put32(out, 12 + 4 * f, base);
        out.insert(out.end(), font.begin(), font.end());
    }
    return out;
}

/* Every face's full name ("-" for a face without a record, "*" after it for
 * PostScript outlines), read from an exact-size copy of `length` bytes. */
std::string Faces(const std::vector<uint8_t> &file, int kinds, size_t length = (size_t)-1)
{
    if (length > file.size())
        length = file.size();
    std::vector<uint8_t> cut(file.begin(), file.begin() + length);
    cut.shrink_to_fit();
    SfntImage image;
    SfntImageWhole(&image, cut.empty() ? NULL : cut.data(), (uint32_t)cut.size());
    TtfPlatform platform = {0x409, Ascii, NULL};
    int collection = 0;
    int count = SfntFaceCount(&image, kinds, &collection);
    std::string names = collection ? "ttcf:" : "";
    for (int face = 0; face < count; face++) {
        uint32_t directory = 0;
        TtfFontInfo info;
        bool read = SfntFaceDirectory(&image, face, &directory) &&
                    ReadSfntFace(&image, directory, kinds, &platform, &info) == TTF_OK;
        names += std::string(face > 0 ? "|" : "") + (read ? info.fullName : "-") +
                 (read && info.postScriptOutlines ? "*" : "");
    }
    return names;
}

const char kUrw[] = "/usr/share/fonts/opentype/urw-base35/";
const char kWqy[] = "/usr/share/fonts/truetype/wqy/";

TEST(Collections, KindsTakenAndOneFacePerDirectory)
{
    const std::vector<uint8_t> microHei = Load(std::string(kWqy) + "wqy-microhei.ttc");
    const std::vector<uint8_t> zenHei = Load(std::string(kWqy) + "wqy-zenhei.ttc");
    const std::vector<uint8_t> otf = Load(std::string(kUrw) + "NimbusSans-Bold.otf");
    const std::vector<uint8_t> otc =
        Collect({std::string(kUrw) + "D050000L.otf", std::string(kUrw) + "StandardSymbolsPS.otf"}, 2);
    const struct { const std::vector<uint8_t> &file; int kinds; const char *faces; } cases[] = {
        {microHei, SFNT_KINDS_ALL, "ttcf:WenQuanYi Micro Hei|WenQuanYi Micro Hei Mono"},
        {microHei, SFNT_KIND_TRUETYPE, "ttcf:"},      /* a .ttf scan reads no collection */
        {zenHei, SFNT_KINDS_ALL, "ttcf:WenQuanYi Zen Hei|WenQuanYi Zen Hei Mono|WenQuanYi Zen Hei Sharp"},
        {otf, SFNT_KINDS_ALL, "NimbusSans-Bold*"},
        {otf, SFNT_KIND_TRUETYPE, "-"},               /* nor an OTTO file */
        {otc, SFNT_KINDS_ALL, "ttcf:D050000L*|Standard Symbols PS*"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.faces, Faces(c.file, c.kinds)) << c.faces;
}

TEST(Collections, CountsAndOffsetsTheFileCannotHoldGiveNoFace)
{
    const std::vector<uint8_t> good =
        Collect({std::string(kUrw) + "D050000L.otf", std::string(kUrw) + "StandardSymbolsPS.otf"}, 1);
    const struct { size_t at; uint32_t value; const char *faces; } cases[] = {
        {8, 0xFFFFFFFFu, nullptr},       /* count cut to the entries the file holds */
        {8, 0, "ttcf:"},
        {12, 0xFFFFFFF0u, "ttcf:-|Standard Symbols PS*"},
        {16, (uint32_t)good.size() - 4, "ttcf:D050000L*|-"},
        {4, 0x00030000u, "ttcf:"},       /* unknown version */
        {4, 0x00020005u, "ttcf:D050000L*|Standard Symbols PS*"},
    };
    for (const auto &c : cases) {
        std::vector<uint8_t> file = good;
        Put32(file, c.at, c.value);
        std::string faces = Faces(file, SFNT_KINDS_ALL);
        if (c.faces != nullptr) {
            EXPECT_EQ(c.faces, faces) << c.at;
            continue;
        }
        /* Every offset-table entry the file holds is a face; those that are no
         * table directory give none. */
        size_t held = (file.size() - 12) / 4;
        EXPECT_EQ(held < (size_t)kSfntFaceLimit ? held : (size_t)kSfntFaceLimit,
                  (size_t)std::count(faces.begin(), faces.end(), '|') + 1);
        EXPECT_EQ(0u, faces.find("ttcf:D050000L*|Standard Symbols PS*|"));
    }
}

/* Cut after every byte of the header and directories, then every 97 bytes: no read
 * leaves the cut, and each face gives its own record or none. */
TEST(Collections, TruncationSweepNeverLeavesTheBytes)
{
    const std::vector<uint8_t> file =
        Collect({std::string(kUrw) + "StandardSymbolsPS.otf", std::string(kUrw) + "D050000L.otf"}, 2);
    ASSERT_GT(file.size(), 40000u);
    const std::string names[] = {"Standard Symbols PS*", "D050000L*"};
    for (size_t length = 0; length < file.size(); length += length < 600 ? 1 : 97) {
        std::string faces = Faces(file, SFNT_KINDS_ALL, length);
        faces.erase(0, faces.rfind(':') + 1);
        int face = 0;
        for (size_t start = 0; start <= faces.size() && !faces.empty(); face++) {
            size_t end = std::min(faces.find('|', start), faces.size());
            std::string token = faces.substr(start, end - start);
            /* "*": read, with its names outside the cut passed over */
            ASSERT_TRUE(face < 2 && (token == "-" || token == "*" || token == names[face]))
                << length << " " << faces;
            start = end + 1;
        }
    }
    EXPECT_EQ("ttcf:" + names[0] + "|" + names[1], Faces(file, SFNT_KINDS_ALL));
}

}  // namespace
