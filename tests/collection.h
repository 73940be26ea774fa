/* collection.h - a font collection joined from whole font files, as font tools join them. */
#ifndef ZENVRIX_TEST_COLLECTION_H
#define ZENVRIX_TEST_COLLECTION_H

#include <stdint.h>

#include <string>
#include <vector>

template <class Block> uint32_t Get32(const Block &b, size_t at) { return (uint32_t)(uint8_t)b[at] << 24 | (uint8_t)b[at + 1] << 16 | (uint8_t)b[at + 2] << 8 | (uint8_t)b[at + 3]; }
template <class Block> void Put32(Block &b, size_t at, uint32_t v) { for (int i = 0; i < 4; i++) b[at + i] = (char)(v >> (24 - 8 * i)); }

/* The header (version 1 or 2), then each font, its table offsets moved by where it starts. */
inline std::string Collect(const std::vector<std::string> &fonts, unsigned version)
{
    std::string out(12 + 4 * fonts.size() + (version == 2 ? 12 : 0), '\0');
    out.replace(0, 4, "ttcf");
    Put32(out, 4, version << 16), Put32(out, 8, (uint32_t)fonts.size());
    for (size_t f = 0; f < fonts.size(); f++) {
        std::string font = fonts[f];
        for (size_t at = 20; at < 12 + 16 * (size_t)((uint8_t)font[4] << 8 | (uint8_t)font[5]); at += 16)
            Put32(font, at, (uint32_t)out.size() + Get32(font, at));
        Put32(out, 12 + 4 * f, (uint32_t)out.size());
        out += font;
    }
    return out;
}

#endif
