/* collection_test.cpp - OpenType files and font collections in the reading core, read
 * from heap blocks of exactly the bytes given: natively, ASan/UBSan report any read outside. */
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalogue/ttfcore.h"
#include "tests/collection.h"

namespace {

std::string Load(const std::string &path) /* under Wine, on the current drive: Z: */
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/* "ttcf:" for a collection, then each face's full name ("-": no record, "*" after
 * it: PostScript outlines), read from the first `length` bytes. */
std::string Faces(const std::string &file, int kinds, size_t length = (size_t)-1)
{
    std::vector<uint8_t> cut(file.begin(), file.begin() + std::min(length, file.size()));
    SfntImage image;
    SfntImageWhole(&image, cut.empty() ? NULL : cut.data(), (uint32_t)cut.size());
    TtfPlatform platform = {0x409, [](void *, const uint16_t *units, int count, char *out, int outSize) {
        for (int n = 0; n < count && n < outSize; n++)
            out[n] = units[n] < 128 ? (char)units[n] : '?';
        return std::min(count, outSize);
    }, NULL};
    int collection = 0, count = SfntFaceCount(&image, kinds, &collection);
    std::string names = collection ? "ttcf:" : "";
    for (int face = 0; face < count; face++) {
        uint32_t at = 0;
        TtfFontInfo info;
        bool read = SfntFaceDirectory(&image, face, &at) && ReadSfntFace(&image, at, kinds, &platform, &info) == TTF_OK;
        names += std::string(face > 0 ? "|" : "") + (read ? info.fullName : "-") + (read && info.postScriptOutlines ? "*" : "");
    }
    return names;
}

const std::string kUrw = "/usr/share/fonts/opentype/urw-base35/";
const std::string kPair = Collect({Load(kUrw + "D050000L.otf"), Load(kUrw + "StandardSymbolsPS.otf")}, 2);

/* Which kinds a read takes, one face per directory; counts, offsets and versions of
 * a collection that the file cannot hold (a count is cut to the entries held and to
 * the limit); cut after every byte of the header and directories, then every 97
 * bytes, each face gives its own record (names outside the cut passed over: "*") or none. */
TEST(Collections, KindsFacesAndWhatTheFileCannotHold)
{
    const std::string zenHei = Load("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"), otf = Load(kUrw + "NimbusSans-Bold.otf");
    const struct { const std::string &file; int kinds; size_t at; uint32_t value, size; std::string faces; } cases[] = {
        {zenHei, SFNT_KINDS_ALL, 0, 0, 0, "ttcf:WenQuanYi Zen Hei|WenQuanYi Zen Hei Mono|WenQuanYi Zen Hei Sharp"},
        {zenHei, SFNT_KIND_TRUETYPE, 0, 0, 0, "ttcf:"}, /* a .ttf scan reads no collection */
        {otf, SFNT_KINDS_ALL, 0, 0, 0, "NimbusSans-Bold*"},
        {otf, SFNT_KIND_TRUETYPE, 0, 0, 0, "-"},        /* nor an OTTO file */
        {kPair, SFNT_KINDS_ALL, 8, 0, 0, "ttcf:"},
        {kPair, SFNT_KINDS_ALL, 8, 3, 0, "ttcf:D050000L*|Standard Symbols PS*|-"}, /* the third entry is no directory */
        {kPair, SFNT_KINDS_ALL, 8, 8, 40, "ttcf:-|-|-|-|-|-|-"}, /* 7 entries held */
        {kPair, SFNT_KINDS_ALL, 12, 0xFFFFFFF0u, 0, "ttcf:-|Standard Symbols PS*"},
        {kPair, SFNT_KINDS_ALL, 16, (uint32_t)kPair.size() - 4, 0, "ttcf:D050000L*|-"},
        {kPair, SFNT_KINDS_ALL, 4, 0x00030000u, 0, "ttcf:"}, /* unknown version */
        {kPair, SFNT_KINDS_ALL, 4, 0x00010000u, 0, "ttcf:D050000L*|Standard Symbols PS*"},
    };
    for (const auto &c : cases) {
        std::string file = c.file;
        Put32(file, c.at, c.at != 0 ? c.value : Get32(file, 0)); /* at 0: the same bytes again */
        EXPECT_EQ(c.faces, Faces(file, c.kinds, c.size ? c.size : file.size())) << c.faces;
    }
    std::string huge = kPair, faces = (Put32(huge, 8, 0xFFFFFFFFu), Faces(huge, SFNT_KINDS_ALL));
    EXPECT_EQ(std::min<size_t>((huge.size() - 12) / 4, kSfntFaceLimit), std::count(faces.begin(), faces.end(), '|') + 1u);
    const std::string names[] = {"D050000L*", "Standard Symbols PS*"};
    for (size_t length = 0; length < kPair.size(); length += length < 600 ? 1 : 97) {
        std::string faces = Faces(kPair, SFNT_KINDS_ALL, length), token;
        std::istringstream in(faces.substr(faces.find(':') + 1));
        for (int face = 0; std::getline(in, token, '|'); face++)
            ASSERT_TRUE(face < 2 && (token == "-" || token == "*" || token == names[face])) << length << " " << faces;
    }
}

}  // namespace
