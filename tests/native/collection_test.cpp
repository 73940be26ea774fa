/* collection_test.cpp - OpenType files and font collections in the reading core:
 * the kinds a read takes, one face per table directory, counts and offsets the
 * file cannot hold, and a truncation sweep.  Real URW and WenQuanYi files; every
 * read is of a heap block of exactly the bytes given, so ASan/UBSan (natively)
 * report any read outside them. */
#include <gtest/gtest.h>

#include <string>

#include "catalogue/ttfcore.h"
#include "tests/collection.h"

namespace {

int Ascii(void *, const uint16_t *units, int count, char *out, int outSize)
{
    int n = 0;
    for (; n < count && n < outSize; n++)
        out[n] = units[n] < 128 ? (char)units[n] : '?';
    return n;
}

/* "ttcf:" for a collection, then each face's full name ("-" for a face without a
 * record, "*" after it for PostScript outlines), read from the first `length` bytes. */
std::string Faces(const Bytes &file, int kinds, size_t length = (size_t)-1)
{
    Bytes cut(file.begin(), file.begin() + std::min(length, file.size()));
    cut.shrink_to_fit();
    SfntImage image;
    SfntImageWhole(&image, cut.empty() ? NULL : cut.data(), (uint32_t)cut.size());
    TtfPlatform platform = {0x409, Ascii, NULL};
    int collection = 0, count = SfntFaceCount(&image, kinds, &collection);
    std::string names = collection ? "ttcf:" : "";
    for (int face = 0; face < count; face++) {
        uint32_t at = 0;
        TtfFontInfo info;
        bool read = SfntFaceDirectory(&image, face, &at) &&
                    ReadSfntFace(&image, at, kinds, &platform, &info) == TTF_OK;
        names += std::string(face > 0 ? "|" : "") + (read ? info.fullName : "-") +
                 (read && info.postScriptOutlines ? "*" : "");
    }
    return names;
}

const std::string kUrw = "/usr/share/fonts/opentype/urw-base35/", kWqy = "/usr/share/fonts/truetype/wqy/";
const Bytes kPair = Collect({LoadFont(kUrw + "D050000L.otf"), LoadFont(kUrw + "StandardSymbolsPS.otf")}, 2);
const char kPairFaces[] = "ttcf:D050000L*|Standard Symbols PS*";

/* Which kinds a read takes, one face per directory, and counts, offsets and
 * versions of a collection that the file cannot hold. */
TEST(Collections, KindsFacesAndWhatTheFileCannotHold)
{
    const Bytes zenHei = LoadFont(kWqy + "wqy-zenhei.ttc"), otf = LoadFont(kUrw + "NimbusSans-Bold.otf");
    const struct { const Bytes &file; int kinds; size_t at; uint32_t value; std::string faces; } cases[] = {
        {zenHei, SFNT_KINDS_ALL, 0, 0, "ttcf:WenQuanYi Zen Hei|WenQuanYi Zen Hei Mono|WenQuanYi Zen Hei Sharp"},
        {zenHei, SFNT_KIND_TRUETYPE, 0, 0, "ttcf:"},     /* a .ttf scan reads no collection */
        {otf, SFNT_KINDS_ALL, 0, 0, "NimbusSans-Bold*"},
        {otf, SFNT_KIND_TRUETYPE, 0, 0, "-"},            /* nor an OTTO file */
        {kPair, SFNT_KINDS_ALL, 8, 0, "ttcf:"},
        {kPair, SFNT_KINDS_ALL, 8, 3, kPairFaces + std::string("|-")},  /* the third entry is no directory */
        {kPair, SFNT_KINDS_ALL, 12, 0xFFFFFFF0u, "ttcf:-|Standard Symbols PS*"},
        {kPair, SFNT_KINDS_ALL, 16, (uint32_t)kPair.size() - 4, "ttcf:D050000L*|-"},
        {kPair, SFNT_KINDS_ALL, 4, 0x00030000u, "ttcf:"},                /* unknown version */
        {kPair, SFNT_KINDS_ALL, 4, 0x00010000u, kPairFaces},
    };
    for (const auto &c : cases) {
        Bytes file = c.file;
        if (c.at != 0)
            Put32(file, c.at, c.value);
        EXPECT_EQ(c.faces, Faces(file, c.kinds)) << c.faces;
    }
    /* A count beyond the file is cut to the entries it holds, and to the limit. */
    Bytes file = kPair;
    Put32(file, 8, 0xFFFFFFFFu);
    for (size_t size : {file.size(), (size_t)40}) {
        file.resize(size);
        std::string faces = Faces(file, SFNT_KINDS_ALL);
        EXPECT_EQ(std::min<size_t>((size - 12) / 4, kSfntFaceLimit), std::count(faces.begin(), faces.end(), '|') + 1u);
    }
}

/* Cut after every byte of the header and directories, then every 97 bytes: each
 * face gives its own record (names outside the cut passed over: "*") or none. */
TEST(Collections, TruncationSweepNeverLeavesTheBytes)
{
    const std::string names[] = {"D050000L*", "Standard Symbols PS*"};
    for (size_t length = 0; length < kPair.size(); length += length < 600 ? 1 : 97) {
        std::string faces = Faces(kPair, SFNT_KINDS_ALL, length);
        faces.erase(0, faces.rfind(':') + 1);
        for (size_t face = 0, start = 0; !faces.empty() && start <= faces.size(); face++) {
            size_t end = std::min(faces.find('|', start), faces.size());
            std::string token = faces.substr(start, end - start);
            ASSERT_TRUE(face < 2 && (token == "-" || token == "*" || token == names[face])) << length << " " << faces;
            start = end + 1;
        }
    }
}

}  // namespace
