/* ttf_fuzz.cpp - libFuzzer target: the whole read of one TrueType file image.
 *
 * The input is read once with every byte present and once on demand into a block
 * of stale bytes, as the program reads files; under AddressSanitizer no read may
 * leave the image, and both reads must give the same result.  Built natively with
 * clang (cmake/native.cmake); run by scripts/fuzz.sh. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <utility>
#include <vector>

#include "catalogue/ttfcore.h"

static int Latin1(void *, const uint16_t *units, int count, char *out, int outSize)
{
    int n = 0;
    for (int i = 0; i < count && n < outSize; i++)
        out[n++] = units[i] < 256 ? (char)units[i] : '?';
    return n;
}

struct Source {
    const uint8_t *data;
    size_t size;
    std::vector<std::pair<uint32_t, uint32_t>> written;
};

static long ReadFromInput(void *context, uint32_t pos, unsigned char *dest, uint32_t count)
{
    Source *source = (Source *)context;
    if (pos > source->size || count > source->size - pos)
        abort();                 /* the core asked for bytes outside the image */
    memcpy(dest, source->data + pos, count);
    source->written.push_back(std::make_pair(pos, count));
    return (long)count;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 8u * 1024 * 1024)
        return 0;
    /* libFuzzer hands over an exact-size copy: a read past its end is reported.
     * Reading whole writes nothing into the bytes. */
    TtfPlatform platform = {0x409, Latin1, NULL};
    SfntImage image;
    SfntImageWhole(&image, (unsigned char *)data, (uint32_t)size);
    TtfFontInfo a;
    TtfResult ra = ReadSfntFont(&image, &platform, &a);

    /* Stale bytes: whatever was loaded for an earlier input is set back to 0xA5. */
    static std::vector<unsigned char> stale;
    if (stale.size() < size + 1)
        stale.resize(size + 1, 0xA5);
    Source source = {data, size, {}};
    SfntImageOnDemand(&image, stale.data(), (uint32_t)size, ReadFromInput, &source,
                      1 + size % 5000);
    TtfFontInfo b;
    TtfResult rb = ReadSfntFont(&image, &platform, &b);
    if (ra != rb || memcmp(&a, &b, sizeof a) != 0)
        abort();                 /* reading on demand differs from reading whole */
    for (size_t i = 0; i < source.written.size(); i++)
        memset(stale.data() + source.written[i].first, 0xA5, source.written[i].second);
    return 0;
}
