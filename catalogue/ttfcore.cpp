/* ttfcore.cpp - the font reading core (see ttfcore.h): checked reads over one
 * file image, loading of byte ranges on demand, the faces of a collection, the
 * table directory search, the name record selection and the OS/2 fields.
 *
 * No <windows.h> here: files and code pages are the caller's (ttfread.cpp).  All
 * positions are computed in 64 bits and every bound is checked as
 * `count <= size - pos`, so no offset a file gives can wrap around. */
#include "ttfcore.h"

#include <string.h>

/* Offset table */
static const uint32_t kSfntVersion = 0;
static const uint32_t kSfntNumTables = 4;
static const uint32_t kSfntTableRecords = 12;
/* Collection header ('ttcf'): versions 1 and 2 share these fields; version 2's
 * signature fields after the offsets are not read. */
static const uint32_t kTtcMajorVersion = 4;
static const uint32_t kTtcNumFonts = 8;
static const uint32_t kTtcOffsets = 12;
static const uint32_t kTtcOffsetSize = 4;
/* Table record */
static const uint32_t kTableRecordTag = 0;
static const uint32_t kTableRecordOffset = 8;
static const uint32_t kTableRecordLength = 12;
static const uint32_t kTableRecordSize = 16;
/* name table */
static const uint32_t kNameCount = 2;
static const uint32_t kNameStringOffset = 4;
static const uint32_t kNameRecords = 6;
/* Name record */
static const uint32_t kNameRecordSize = 12;
static const uint32_t kNamePlatformId = 0;
static const uint32_t kNameEncodingId = 2;
static const uint32_t kNameLanguageId = 4;
static const uint32_t kNameNameId = 6;
static const uint32_t kNameLength = 8;
static const uint32_t kNameOffset = 10;
/* OS/2 table: the two fields used; the table counts as present when both lie
 * inside the image (a version 0 table is 78 bytes, Apple's older one 68). */
static const uint32_t kOs2WeightClass = 4;
static const uint32_t kOs2FsSelection = 62;
static const uint32_t kOs2UsedBytes = 64;
static const unsigned kFsItalic = 1;
static const unsigned kFsUnderscore = 2;
static const unsigned kFsStrikeout = 16;
static const unsigned kFsBold = 32;

static const unsigned kPlatformMacintosh = 1;
static const unsigned kPlatformWindows = 3;
static const unsigned kEncodingUnicodeBmp = 1;
static const unsigned kLanguageEnglishUs = 0x0409;

/* Loads are aligned down to this many bytes, so neighbouring needs share a read. */
static const uint32_t kLoadAlign = 4096;

/* ---- the image ---- */

void SfntImageWhole(SfntImage *image, unsigned char *bytes, uint32_t size)
{
    memset(image, 0, sizeof *image);
    image->bytes = bytes;
    image->size = size;
}

void SfntImageOnDemand(SfntImage *image, unsigned char *bytes, uint32_t size,
                       long (*readAt)(void *, uint32_t, unsigned char *, uint32_t),
                       void *context, uint32_t chunk)
{
    SfntImageWhole(image, bytes, size);
    image->readAt = readAt;
    image->readContext = context;
    image->chunk = chunk > 0 ? chunk : 1;
}

/* Reads come in runs over one table, so the range that held the last read is
 * tried first. */
static int RangeLoaded(SfntImage *image, uint32_t start, uint32_t end)
{
    const SfntRange *last = &image->loaded[image->lastLoaded];
    if (image->lastLoaded < image->loadedCount && last->start <= start && end <= last->end)
        return 1;
    for (int i = 0; i < image->loadedCount; i++)
        if (image->loaded[i].start <= start && end <= image->loaded[i].end) {
            image->lastLoaded = i;
            return 1;
        }
    return 0;
}

/* Notes [start, end) as loaded, merging it with every range it touches.  When all
 * slots are taken an old range is forgotten: its bytes are merely read again if
 * they are needed again. */
static void NoteLoaded(SfntImage *image, uint32_t start, uint32_t end)
{
    int i = 0;
    while (i < image->loadedCount) {
        SfntRange *range = &image->loaded[i];
        if (range->start <= end && start <= range->end) {
            if (range->start < start)
                start = range->start;
            if (range->end > end)
                end = range->end;
            image->loaded[i] = image->loaded[image->loadedCount - 1];
            image->loadedCount--;
            i = 0;
            continue;
        }
        i++;
    }
    if (image->loadedCount == kSfntRangeSlots)
        image->loadedCount--;
    image->loaded[image->loadedCount].start = start;
    image->loaded[image->loadedCount].end = end;
    image->loadedCount++;
}

/* Reads [pos, pos + count) from the file unless it is loaded already; the caller
 * has checked that it lies inside the image. */
static int LoadRange(SfntImage *image, uint32_t pos, uint32_t count)
{
    uint32_t end = pos + count;
    if (RangeLoaded(image, pos, end))
        return 1;
    if (image->ioFailed)
        return 0;
    uint32_t start = pos - pos % kLoadAlign;
    uint64_t chunkEnd = (uint64_t)start + image->chunk;
    if (chunkEnd > end)
        end = chunkEnd < image->size ? (uint32_t)chunkEnd : image->size;
    uint32_t want = end - start;
    image->reads++;
    long got = image->readAt(image->readContext, start, image->bytes + start, want);
    if (got < 0 || (uint32_t)got != want) {
        image->ioFailed = 1;
        return 0;
    }
    image->bytesRead += want;
    NoteLoaded(image, start, end);
    return 1;
}

int SfntHas(SfntImage *image, uint64_t pos, uint64_t count)
{
    if (pos > image->size || count > image->size - pos)
        return 0;
    if (count == 0 || image->readAt == NULL)
        return 1;
    return LoadRange(image, (uint32_t)pos, (uint32_t)count);
}

unsigned SfntU16(SfntImage *image, uint64_t pos)
{
    if (!SfntHas(image, pos, 2)) {
        image->failed = 1;
        return 0;
    }
    const unsigned char *p = image->bytes + pos;
    return (unsigned)p[0] << 8 | p[1];
}

uint32_t SfntU32(SfntImage *image, uint64_t pos)
{
    if (!SfntHas(image, pos, 4)) {
        image->failed = 1;
        return 0;
    }
    const unsigned char *p = image->bytes + pos;
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

uint32_t SfntTag(const char *tag)
{
    const unsigned char *t = (const unsigned char *)tag;
    return (uint32_t)t[0] << 24 | (uint32_t)t[1] << 16 | (uint32_t)t[2] << 8 | t[3];
}

/* ---- the table directory ---- */

static int IsTrueTypeVersion(uint32_t version)
{
    return version == SFNT_VERSION_TRUETYPE || version == SFNT_VERSION_TRUE;
}

int FindSfntTable(SfntImage *image, const char *tag, uint32_t *tableOffset)
{
    if (!IsTrueTypeVersion(SfntU32(image, kSfntVersion)))
        return 0;
    return FindSfntTableAt(image, 0, tag, tableOffset);
}

int FindSfntTableAt(SfntImage *image, uint32_t directory, const char *tag,
                    uint32_t *tableOffset)
{
    uint32_t length;
    return FindSfntTableSpan(image, directory, tag, tableOffset, &length);
}

int FindSfntTableSpan(SfntImage *image, uint32_t directory, const char *tag,
                      uint32_t *tableOffset, uint32_t *tableLength)
{
    unsigned numTables = SfntU16(image, (uint64_t)directory + kSfntNumTables);
    /* The stored searchRange, entrySelector and rangeShift are not trusted. */
    unsigned entrySelector = 0;
    while ((2u << entrySelector) <= numTables)
        entrySelector++;
    uint32_t searchRange = 16u << entrySelector;
    uint32_t rangeShift = (16u * numTables - searchRange) & 0xFFFFu;

    uint32_t wanted = SfntTag(tag);
    uint64_t record = (uint64_t)directory + kSfntTableRecords;
    if (wanted >= SfntU32(image, record + rangeShift + kTableRecordTag))
        record += rangeShift;
    uint32_t step = searchRange;
    for (unsigned i = 0; i < entrySelector; i++) {
        step /= 2;
        if (wanted >= SfntU32(image, record + step + kTableRecordTag))
            record += step;
    }
    if (!SfntHas(image, record, kTableRecordSize) ||
        SfntU32(image, record + kTableRecordTag) != wanted)
        return 0;
    uint32_t offset = SfntU32(image, record + kTableRecordOffset);
    if (offset >= image->size)
        return 0;
    uint32_t length = SfntU32(image, record + kTableRecordLength);
    *tableOffset = offset;
    *tableLength = length < image->size - offset ? length : image->size - offset;
    return 1;
}

/* ---- the faces ---- */

int SfntFaceCount(SfntImage *image, int kinds, int *collection)
{
    *collection = 0;
    if (!SfntHas(image, 0, kTtcOffsets) || SfntU32(image, 0) != SFNT_TAG_COLLECTION)
        return 1;
    *collection = 1;
    unsigned major = SfntU16(image, kTtcMajorVersion);
    if (!(kinds & SFNT_KIND_COLLECTION) || (major != 1 && major != 2))
        return 0;
    /* Only the entries the image holds: a count beyond them names faces that
     * cannot be found. */
    uint32_t count = SfntU32(image, kTtcNumFonts);
    uint32_t held = (image->size - kTtcOffsets) / kTtcOffsetSize;
    if (count > held)
        count = held;
    return count < (uint32_t)kSfntFaceLimit ? (int)count : kSfntFaceLimit;
}

int SfntFaceDirectory(SfntImage *image, int face, uint32_t *directory)
{
    *directory = 0;
    if (face < 0 || !SfntHas(image, 0, 4))
        return 0;
    if (SfntU32(image, 0) != SFNT_TAG_COLLECTION)
        return face == 0;
    uint64_t entry = kTtcOffsets + (uint64_t)kTtcOffsetSize * (uint32_t)face;
    if (!SfntHas(image, entry, kTtcOffsetSize))
        return 0;
    *directory = SfntU32(image, entry);
    return 1;
}

/* ---- the name table ---- */

int TtfNameRank(unsigned languageId, uint32_t systemLcid)
{
    int rank = 0;
    if (languageId == kLanguageEnglishUs)
        rank += 1;
    if ((uint32_t)languageId == systemLcid)
        rank += 2;
    return rank;
}

/* The member a name id goes to, and its size; NULL for the ids not taken. */
static char *NameMember(TtfFontInfo *info, unsigned nameId, int *size)
{
    *size = kTtfTextSize;
    switch (nameId) {
    case 0: return info->copyright;
    case 1: *size = kTtfFaceSize; return info->faceName;
    case 2: return info->subfamily;
    case 3: return info->identifier;
    case 4: return info->fullName;
    case 5: return info->version;
    case 7: return info->trademark;
    default: return NULL;
    }
}

/* ---- cuts ---- */

static int IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

int TextCutLength(const char *text, int length, int limit, int utf8)
{
    int n = length < limit ? length : limit;
    if (n <= 0)
        return 0;
    if (!utf8)
        return n;
    const unsigned char *t = (const unsigned char *)text;
    /* The lead byte of the last sequence: at most three continuation bytes back. */
    int lead = n - 1;
    while (lead > 0 && n - lead < 4 && IsContinuation(t[lead]))
        lead--;
    int need = t[lead] >= 0xF0 ? 4 : t[lead] >= 0xE0 ? 3 : t[lead] >= 0xC0 ? 2 : 1;
    return n - lead < need ? lead : n;
}

int TextAdvance(const char *text, int pos, int length, int count, int utf8)
{
    const unsigned char *t = (const unsigned char *)text;
    for (int i = 0; i < count && pos < length; i++) {
        pos++;
        while (utf8 && pos < length && IsContinuation(t[pos]))
            pos++;
    }
    return pos;
}

/* Big-endian UTF-16 of one string, in machine order; one file is read at a time. */
static uint16_t unitScratch[kTtfUnicodeLengthLimit / 2];

static void StoreWindowsName(SfntImage *image, uint64_t start, unsigned length,
                             const TtfPlatform *platform, char *member, int size)
{
    int units = (int)(length / 2);
    const unsigned char *p = image->bytes + start;
    for (int i = 0; i < units; i++)
        unitScratch[i] = (uint16_t)(p[2 * i] << 8 | p[2 * i + 1]);
    char converted[kTtfConvertedSize];
    int n = 0;
    if (units > 0 && platform->toAnsi != NULL)
        n = platform->toAnsi(platform->context, unitScratch, units, converted,
                             kTtfConvertedSize);
    n = TextCutLength(converted, n, kTtfConvertedSize, platform->utf8);
    /* As many bytes as the string has code units (in UTF-8 that would keep a
     * third of a CJK name: the whole text is kept there), and what the member
     * holds. */
    if (n > units && !platform->utf8)
        n = units;
    n = TextCutLength(converted, n, size - 1, platform->utf8);
    memcpy(member, converted, (size_t)n);
    member[n] = 0;
}

/* Returns 0 when the table's header lies outside the image. */
static int ReadNameTable(SfntImage *image, uint32_t table, const TtfPlatform *platform,
                         TtfFontInfo *info)
{
    if (!SfntHas(image, (uint64_t)table + kNameCount, kNameRecords - kNameCount))
        return 0;
    unsigned count = SfntU16(image, (uint64_t)table + kNameCount);
    unsigned stringOffset = SfntU16(image, (uint64_t)table + kNameStringOffset);
    int rank[8] = {0, 0, 0, 0, 0, 0, 0, 0};   /* NamePriority, by name id */

    for (unsigned i = 0; i < count; i++) {
        uint64_t record = (uint64_t)table + kNameRecords + (uint64_t)kNameRecordSize * i;
        if (!SfntHas(image, record, kNameRecordSize))
            break;               /* this record and all after it lie outside */
        unsigned platformId = SfntU16(image, record + kNamePlatformId);
        unsigned encodingId = SfntU16(image, record + kNameEncodingId);
        unsigned languageId = SfntU16(image, record + kNameLanguageId);
        unsigned nameId = SfntU16(image, record + kNameNameId);
        unsigned length = SfntU16(image, record + kNameLength);
        unsigned offset = SfntU16(image, record + kNameOffset);
        int size;
        char *member = NameMember(info, nameId, &size);
        if (member == NULL)
            continue;
        uint64_t start = (uint64_t)table + stringOffset + offset;

        if (platformId == kPlatformMacintosh) {
            /* Bytes as they are, only while no Windows Unicode name was taken. */
            if (rank[nameId] != 0 || !SfntHas(image, start, length))
                continue;
            int n = TextCutLength((const char *)image->bytes + start, (int)length, size - 1,
                                  platform->utf8);
            memcpy(member, image->bytes + start, (size_t)n);
            member[n] = 0;
        } else if (platformId == kPlatformWindows && encodingId == kEncodingUnicodeBmp) {
            int recordRank = TtfNameRank(languageId, platform->systemLcid);
            if (recordRank < rank[nameId] || length >= kTtfUnicodeLengthLimit)
                continue;
            if (!SfntHas(image, start, length))
                continue;
            StoreWindowsName(image, start, length, platform, member, size);
            rank[nameId] = recordRank;
        }
    }
    return 1;
}

/* ---- one font ---- */

static int TakesVersion(uint32_t version, int kinds)
{
    if (IsTrueTypeVersion(version))
        return 1;
    return version == SFNT_VERSION_OTTO && (kinds & (SFNT_KIND_OPENTYPE | SFNT_KIND_COLLECTION));
}

TtfResult ReadSfntFont(SfntImage *image, const TtfPlatform *platform, TtfFontInfo *info)
{
    return ReadSfntFace(image, 0, SFNT_KIND_TRUETYPE, platform, info);
}

TtfResult ReadSfntFace(SfntImage *image, uint32_t directory, int kinds,
                       const TtfPlatform *platform, TtfFontInfo *info)
{
    memset(info, 0, sizeof *info);
    uint32_t version = SfntU32(image, (uint64_t)directory + kSfntVersion);
    uint32_t nameTable = 0;
    uint32_t os2Table = 0;
    TtfResult result = TTF_OK;
    if (!TakesVersion(version, kinds))
        result = TTF_NOT_TRUETYPE;
    else if (!FindSfntTableAt(image, directory, "name", &nameTable) ||
             !ReadNameTable(image, nameTable, platform, info))
        result = TTF_NO_NAME_TABLE;
    else if (!FindSfntTableAt(image, directory, "OS/2", &os2Table) ||
             !SfntHas(image, os2Table, kOs2UsedBytes))
        result = TTF_NO_OS2_TABLE;
    if (image->ioFailed)
        result = TTF_UNREADABLE;
    if (result != TTF_OK) {
        memset(info, 0, sizeof *info);
        return result;
    }
    info->weightClass = SfntU16(image, (uint64_t)os2Table + kOs2WeightClass);
    info->fsSelection = SfntU16(image, (uint64_t)os2Table + kOs2FsSelection);
    /* The masked bits themselves are kept: 0 or 1, 0 or 2, 0 or 16, 0 or 32. */
    info->italic = (int)(info->fsSelection & kFsItalic);
    info->underline = (int)(info->fsSelection & kFsUnderscore);
    info->strikeOut = (int)(info->fsSelection & kFsStrikeout);
    info->boldFlag = (int)(info->fsSelection & kFsBold);
    info->postScriptOutlines = version == SFNT_VERSION_OTTO;
    return TTF_OK;
}
