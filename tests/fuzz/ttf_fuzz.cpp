/* ttf_fuzz.cpp - libFuzzer target: the whole read of one font file image, as a
 * .ttf scan reads it and as the "All fonts" scan reads it (every face of a
 * collection).
 *
 * The input is read once with every byte present and once on demand into a block
 * of stale bytes, as the program reads files; under AddressSanitizer no read may
 * leave the image, and both reads must give the same result for every face.  Built natively with
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
     * Reading whole writes nothing into the bytes.  Stale bytes: whatever was
     * loaded for an earlier input is set back to 0xA5. */
    TtfPlatform platform = {0x409, Latin1, NULL};
    SfntImage image;
    SfntImageWhole(&image, (unsigned char *)data, (uint32_t)size);
    static std::vector<unsigned char> stale;
    if (stale.size() < size + 1)
        stale.resize(size + 1, 0xA5);
    Source source = {data, size, {}};
    SfntImage demand;
    SfntImageOnDemand(&demand, stale.data(), (uint32_t)size, ReadFromInput, &source,
                      1 + size % 5000);

    TtfFontInfo a, b;
    if (ReadSfntFont(&image, &platform, &a) != ReadSfntFont(&demand, &platform, &b) ||
        memcmp(&a, &b, sizeof a) != 0)
        abort();                 /* reading on demand differs from reading whole */
    int collection = 0, collectionB = 0;
    int faces = SfntFaceCount(&image, SFNT_KINDS_ALL, &collection);
    if (faces != SfntFaceCount(&demand, SFNT_KINDS_ALL, &collectionB) ||
        collection != collectionB || faces < 0 || faces > kSfntFaceLimit)
        abort();
    /* A forged count is cut to what the file holds; a few hundred faces are
     * enough to read. */
    for (int face = 0; face < faces && face < 256; face++) {
        uint32_t da = 0, db = 0;
        if (SfntFaceDirectory(&image, face, &da) != SfntFaceDirectory(&demand, face, &db) ||
            da != db)
            abort();
        TtfResult ra = ReadSfntFace(&image, da, SFNT_KINDS_ALL, &platform, &a);
        TtfResult rb = ReadSfntFace(&demand, db, SFNT_KINDS_ALL, &platform, &b);
        if (ra != rb || memcmp(&a, &b, sizeof a) != 0)
            abort();
    }
    for (size_t i = 0; i < source.written.size(); i++)
        memset(stale.data() + source.written[i].first, 0xA5, source.written[i].second);
    return 0;
}
