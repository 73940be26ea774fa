/* blockcore_test.cpp - the Unicode block of a code point, natively and under Wine: every
 * block of the machine's Blocks.txt (the Unicode data files) found by its first and last
 * code point with its own name, and nothing between blocks or above U+10FFFF. */
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "catalogue/blockcore.h"

TEST(UnicodeBlocks, EachBlockOfTheUnicodeDataIsFoundByItsEndsAndNothingBetween)
{
    std::ifstream in("/usr/share/unicode/Blocks.txt");
    std::string line;
    uint32_t blocks = 0, after = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        uint32_t first = std::stoul(line, nullptr, 16), last = std::stoul(line.substr(line.find("..") + 2), nullptr, 16);
        std::string name = line.substr(line.find("; ") + 2, line.find_last_not_of("\r") - line.find("; ") - 1);
        for (uint32_t c : {first, first + (last - first) / 2, last})
            EXPECT_EQ(name, FindUnicodeBlock(c) ? FindUnicodeBlock(c)->name : "(none)") << std::hex << c;
        if (first > after) { EXPECT_EQ(nullptr, FindUnicodeBlock(first - 1)) << std::hex << first - 1; } /* a gap before */
        after = last + 1, blocks++;
    }
    int count = 0;
    UnicodeBlocks(&count);
    EXPECT_EQ(std::make_pair(327u, 327), std::make_pair(blocks, count));
    EXPECT_TRUE(FindUnicodeBlock(0x110000) == nullptr && FindUnicodeBlock(0xFFFFFFFF) == nullptr);
}
