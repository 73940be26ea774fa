/* cmap_fuzz.cpp - libFuzzer target: the cmap reader and the choice of a face's own sample on
 * the cmap table of every face of one font file (copied to a block of exactly its length, so
 * ASan sees any read outside it) and on the whole input taken as a cmap table; the runs must
 * come out in order and every lookup agree with them.  Built natively with clang; run by scripts/fuzz.sh. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "catalogue/cmapcore.h"
#include "catalogue/scriptcore.h"
#include "catalogue/ttfcore.h"

static void ReadTable(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> table(data, data + size);
    CmapCoverage coverage;
    ReadCmapCoverage(table.data(), (uint32_t)size, &coverage);
    uint32_t counted = 0;
    for (int i = 0; i < coverage.count; counted += coverage.runs[i].last - coverage.runs[i].first + 1, i++) {
        const CmapRun *run = &coverage.runs[i];
        if (run->first > run->last || run->last > kCmapLastCodePoint || (i > 0 && run[-1].last >= run->first) ||
            run->before != counted || CmapCodePointAt(&coverage, counted) != run->first ||
            CmapIndexOf(&coverage, run->last) != (int64_t)(counted + run->last - run->first))
            abort();
    }
    uint16_t sample[kOwnSampleSize];
    memset(sample, 0xFF, sizeof sample);
    ChooseOwnSample(&coverage, sample, kOwnSampleSize);
    if (counted != coverage.characters || std::find(sample, sample + kOwnSampleSize, 0) == sample + kOwnSampleSize)
        abort();
    FreeCmapCoverage(&coverage);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 8u * 1024 * 1024)
        return 0;
    ReadTable(data, size);
    std::vector<unsigned char> bytes(data, data + size);
    SfntImage image;
    SfntImageWhole(&image, bytes.data(), (uint32_t)size);
    int collection = 0;
    int faces = SfntFaceCount(&image, SFNT_KINDS_ALL, &collection);
    for (int face = 0; face < faces && face < 8; face++) {
        uint32_t directory = 0, offset = 0, length = 0;
        if (SfntFaceDirectory(&image, face, &directory) &&
            FindSfntTableSpan(&image, directory, "cmap", &offset, &length))
            ReadTable(data + offset, length);
    }
    return 0;
}
