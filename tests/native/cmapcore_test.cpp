/* cmapcore_test.cpp - the cmap reader on tables built byte by byte (every format read, the
 * choice of subtable, glyph 0 and overlaps; real tables, cut and forged, are the fuzz target's);
 * the choice of a face's own sample.  Also under Wine. */
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/cmapcore.h"
#include "catalogue/scriptcore.h"

namespace {

typedef std::vector<uint8_t> Bytes;
void Put(Bytes &b, uint64_t v, int n) { for (int i = n - 1; i >= 0; i--) b.push_back((uint8_t)(v >> (8 * i))); }
struct Sub { unsigned platform, encoding; Bytes bytes; };
Bytes Cmap(const std::vector<Sub> &subs) /* a header, its records, then the subtables */
{
    Bytes b;
    Put(b, 0, 2), Put(b, (unsigned)subs.size(), 2);
    size_t at = 4 + 8 * subs.size();
    for (const Sub &s : subs) Put(b, s.platform, 2), Put(b, s.encoding, 2), Put(b, (unsigned)at, 4), at += s.bytes.size();
    for (const Sub &s : subs) b.insert(b.end(), s.bytes.begin(), s.bytes.end());
    return b;
}
struct Segment { unsigned start, end, delta; std::vector<unsigned> glyphs; };
Bytes Format4(const std::vector<Segment> &segs)
{
    Bytes b;
    unsigned n = (unsigned)segs.size();
    Put(b, 4, 2), Put(b, 0, 2), Put(b, 0, 2), Put(b, 2 * n, 2), Put(b, 0, 6);
    for (auto &s : segs) Put(b, s.end, 2);
    Put(b, 0, 2);
    for (auto &s : segs) Put(b, s.start, 2);
    for (auto &s : segs) Put(b, s.delta, 2);
    unsigned extra = 0; /* glyph arrays follow the range offsets, in segment order */
    for (unsigned i = 0; i < n; i++) Put(b, segs[i].glyphs.empty() ? 0 : 2 * (n - i) + extra, 2), extra += 2 * (unsigned)segs[i].glyphs.size();
    for (auto &s : segs) for (unsigned g : s.glyphs) Put(b, g, 2);
    return b;
}
Bytes Groups(unsigned format, const std::vector<std::vector<unsigned>> &groups, unsigned count = ~0u)
{
    Bytes b;
    Put(b, format, 2), Put(b, 0, 2), Put(b, 0, 4), Put(b, 0, 4), Put(b, count == ~0u ? (unsigned)groups.size() : count, 4);
    for (auto &g : groups) Put(b, g[0], 4), Put(b, g[1], 4), Put(b, g[2], 4);
    return b;
}
std::map<uint32_t, uint32_t> Mapping(const CmapCoverage &c)
{
    std::map<uint32_t, uint32_t> m;
    for (int i = 0; i < c.count; i++) for (uint32_t p = c.runs[i].first; p <= c.runs[i].last; p++) m[p] = CmapGlyph(&c, p);
    return m;
}
TEST(Cmap, EveryFormatMapsWhatItsBytesSayAndNothingOfGlyphZero)
{
    const struct { Bytes table; int format; std::map<uint32_t, uint32_t> expected; } cases[] = {
        {Cmap({{3, 1, Format4({{0x41, 0x43, 1, {}}, {0x4E, 0x52, 0x10000 - 0x50, {}}, {0x100, 0x102, 2, {5, 0, 7}}, {0xFFFF, 0xFFFF, 1, {}}})}}), 4,
         {{0x41, 0x42}, {0x42, 0x43}, {0x43, 0x44}, {0x100, 7}, {0x102, 9}, {0x4E, 0xFFFE}, {0x4F, 0xFFFF}, {0x51, 1}, {0x52, 2}}},
        {Cmap({{3, 10, Groups(12, {{0x1F600, 0x1F602, 10}, {0x1F601, 0x1F604, 20}, {0x20, 0x21, 0}, {9, 5, 3}, {0x10FFFF, 0x110005, 4}}, 9)}}), 12,
         {{0x20 + 1, 1}, {0x1F600, 10}, {0x1F601, 11}, {0x1F602, 12}, {0x1F603, 22}, {0x1F604, 23}, {0x10FFFF, 4}}},
        {Cmap({{0, 6, Groups(13, {{0x3000, 0x3002, 9}, {0x3005, 0x3005, 0}})}}), 13, {{0x3000, 9}, {0x3001, 9}, {0x3002, 9}}},
        {Cmap({{0, 3, [] { Bytes b; Put(b, 0, 6); for (unsigned c = 0; c < 256; c++) Put(b, c == 0x41 ? 3 : c == 0xE9 ? 4 : 0, 1); return b; }()}}), 0, {{0x41, 3}, {0xE9, 4}}},
        {Cmap({{3, 1, [] { Bytes b; Put(b, 6, 2), Put(b, 0, 4), Put(b, 0x30, 2), Put(b, 3, 2), Put(b, 4, 2), Put(b, 0, 2), Put(b, 6, 2); return b; }()}}), 6, {{0x30, 4}, {0x32, 6}}},
    };
    for (const auto &c : cases) {
        CmapCoverage coverage;
        ASSERT_EQ(CMAP_OK, ReadCmapCoverage(c.table.data(), (uint32_t)c.table.size(), &coverage)) << c.format;
        EXPECT_EQ(c.format, coverage.format);
        EXPECT_EQ(c.expected, Mapping(coverage)) << c.format;
        EXPECT_EQ(c.expected.size(), coverage.characters);
        uint32_t index = 0;
        for (const auto &m : c.expected) {
            EXPECT_EQ((std::vector<int64_t>{m.first, index}), (std::vector<int64_t>{CmapCodePointAt(&coverage, index), CmapIndexOf(&coverage, m.first)}));
            index++;
        }
        EXPECT_EQ(-1, CmapIndexOf(&coverage, 0x40));
        FreeCmapCoverage(&coverage);
    }
}

TEST(Cmap, TheWholeOfUnicodeBeforeItsBasicPlaneBeforeSymbolsAndABrokenSubtableGivesWay)
{
    Bytes bmp = Format4({{0x41, 0x41, 1, {}}, {0xFFFF, 0xFFFF, 1, {}}}), full = Groups(12, {{0x1D400, 0x1D401, 5}});
    Bytes outside = Cmap({{3, 10, full}, {3, 1, bmp}});
    outside[8] = 0x7F; /* the (3,10) record's offset far outside the table */
    const struct { Bytes table; int result, format, symbol; uint32_t characters; } cases[] = {
        {Cmap({{3, 1, bmp}, {3, 10, full}}), CMAP_OK, 12, 0, 2},
        {outside, CMAP_OK, 4, 0, 1},
        {Cmap({{3, 0, bmp}, {1, 0, full}}), CMAP_OK, 4, 1, 1},
        {Cmap({{1, 0, bmp}, {3, 10, Groups(12, {})}, {3, 1, Groups(2, {{1, 2, 3}})}}), CMAP_NO_SUBTABLE, 0, 0, 0},
    };
    for (const auto &c : cases) {
        CmapCoverage coverage;
        EXPECT_EQ(c.result, ReadCmapCoverage(c.table.data(), (uint32_t)c.table.size(), &coverage));
        EXPECT_EQ((std::vector<int>{c.format, c.symbol, (int)c.characters}), (std::vector<int>{coverage.format, coverage.symbol, (int)coverage.characters}));
        FreeCmapCoverage(&coverage);
    }
}

CmapCoverage Covering(std::vector<std::vector<unsigned>> ranges)
{
    for (auto &r : ranges) r.push_back(r[0] + 1); /* any glyph but 0 */
    Bytes table = Cmap({{3, 10, Groups(12, ranges)}});
    CmapCoverage coverage;
    ReadCmapCoverage(table.data(), (uint32_t)table.size(), &coverage);
    return coverage;
}
std::u16string Sample(const CmapCoverage &c, int *script, int size = kOwnSampleSize)
{
    uint16_t out[kOwnSampleSize];
    *script = ChooseOwnSample(&c, out, size);
    return std::u16string((const char16_t *)out);
}

TEST(OwnSample, EveryScriptOfTheTableIsChosenForAFaceOfJustItsLetters)
{
    for (int s = 0; s < scriptSampleCount; s++) {
        std::vector<std::vector<unsigned>> letters;
        for (int i = 0; scriptSamples[s].letters[i] != 0; i++) letters.push_back({scriptSamples[s].letters[i], scriptSamples[s].letters[i]});
        CmapCoverage coverage = Covering(letters);
        int script;
        EXPECT_EQ(std::u16string((const char16_t *)scriptSamples[s].letters), Sample(coverage, &script)) << scriptSamples[s].name;
        EXPECT_EQ(s, script) << scriptSamples[s].name;
        FreeCmapCoverage(&coverage);
    }
    EXPECT_GE(scriptSampleCount, 30);
}

TEST(OwnSample, TheScriptMappedMostWithItsDigitsOrTheFirstVisibleCharacters)
{
    const struct { std::vector<std::vector<unsigned>> ranges; int size; int script; std::u16string sample; } cases[] = {
        {{{0x41, 0x5A}, {0x61, 0x7A}, {0x391, 0x3A9}, {0x3B1, 0x3C9}, {0x386, 0x38F}}, kOwnSampleSize, 1, u"\u0391\u03B1\u0392\u03B2\u0393\u03B3\u0394\u03B4\u0395\u03B5"},
        {{{0x30, 0x39}, {0x41, 0x5A}, {0x61, 0x7A}, {0x391, 0x3A9}, {0x3B1, 0x3C9}}, kOwnSampleSize, 0, u"AaBbCcDdEe 123"},
        {{{0x600, 0x6FF}, {0x31, 0x32}}, kOwnSampleSize, 5, u"\u0627\u0628\u062A\u062B\u062C\u062D\u062E\u062F \u0661\u0662\u0663"},
        {{{0xE01, 0xE3A}, {0xE51, 0xE52}, {0x31, 0x31}, {0x33, 0x33}}, kOwnSampleSize, 19, u"\u0E01\u0E02\u0E03\u0E04\u0E05\u0E06\u0E07\u0E08\u0E09\u0E0A 13"},
        {{{0x4E00, 0x4E09}, {0x56DB, 0x56DB}}, kOwnSampleSize, kFirstCharacters, u"\u4E00\u4E01\u4E02\u4E03\u4E04\u4E05\u4E06\u4E07\u4E08\u4E09\u56DB"},
        {{{0, 0x20}, {0xA0, 0xA0}, {0x200B, 0x200B}, {0xE000, 0xE002}, {0x1F600, 0x1F601}}, kOwnSampleSize, kFirstCharacters, u"\uE000\uE001\uE002\U0001F600\U0001F601"},
        {{{0xE000, 0xE002}, {0x1F600, 0x1F601}}, 5, kFirstCharacters, u"\uE000\uE001\uE002"}, /* a pair that does not fit whole is left out */
        {{{0x9, 0xD}, {0x20, 0x20}, {0x3000, 0x3000}}, kOwnSampleSize, kFirstCharacters, u""},
    };
    for (const auto &c : cases) {
        CmapCoverage coverage = Covering(c.ranges);
        int script;
        EXPECT_EQ(c.sample, Sample(coverage, &script, c.size)) << c.script;
        EXPECT_EQ(c.script, script);
        FreeCmapCoverage(&coverage);
    }
    CmapCoverage latin = Covering({{0x21, 0x7E}, {0x1F600, 0x1F600}}); /* spaces aside, a pair as one character */
    EXPECT_EQ((std::vector<int>{1, 0, 0}), (std::vector<int>{CmapMapsText(&latin, (const uint16_t *)u"Example-TEXT123 \U0001F600", 18),
              CmapMapsText(&latin, (const uint16_t *)u"Exampl\u00E9", 7), CmapMapsText(&latin, (const uint16_t *)u"\U0001F601", 2)}));
    FreeCmapCoverage(&latin);
}

} // namespace
