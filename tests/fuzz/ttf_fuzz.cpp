/* ttf_fuzz.cpp - libFuzzer target: every face of one font file or collection read whole and
 * on demand into stale bytes, as the scans read files; no read may leave the image (ASan) and
 * both reads must agree.  Built natively with clang (cmake/native.cmake); run by scripts/fuzz.sh. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "catalogue/ttfcore.h"

struct Source { const uint8_t *data; size_t size; };

static long ReadFromInput(void *context, uint32_t pos, unsigned char *dest, uint32_t count)
{
    Source *source = (Source *)context;
    if (pos > source->size || count > source->size - pos)
        abort(); /* the core asked for bytes outside the image */
    memcpy(dest, source->data + pos, count);
    return (long)count;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 8u * 1024 * 1024)
        return 0;
    std::vector<unsigned char> stale(size + 1, 0xA5);
    TtfPlatform platform = {0x409, [](void *, const uint16_t *units, int count, char *out, int outSize) {
        int n = 0;
        for (; n < count && n < outSize; n++)
            out[n] = units[n] < 256 ? (char)units[n] : '?'; /* Latin-1 */
        return n;
    }, NULL};
    Source source = {data, size};
    SfntImage whole, demand; /* libFuzzer's copy is exact-size: a read past its end is reported */
    SfntImageWhole(&whole, (unsigned char *)data, (uint32_t)size);
    SfntImageOnDemand(&demand, stale.data(), (uint32_t)size, ReadFromInput, &source, 1 + size % 5000);
    int collection = 0, collectionB = 0, faces = SfntFaceCount(&whole, SFNT_KINDS_ALL, &collection);
    if (faces != SfntFaceCount(&demand, SFNT_KINDS_ALL, &collectionB) || collection != collectionB || faces < 0 ||
        faces > kSfntFaceLimit)
        abort();
    for (int face = 0; face < faces && face < 256; face++) { /* a forged count is cut to what the file holds */
        uint32_t da = 0, db = 0;
        TtfFontInfo a, b;
        if (SfntFaceDirectory(&whole, face, &da) != SfntFaceDirectory(&demand, face, &db) || da != db ||
            ReadSfntFace(&whole, da, SFNT_KINDS_ALL, &platform, &a) !=
                ReadSfntFace(&demand, db, SFNT_KINDS_ALL, &platform, &b) ||
            memcmp(&a, &b, sizeof a) != 0)
            abort(); /* reading on demand differs from reading whole */
    }
    return 0;
}
