/* ttfread.cpp - reading one font file into font records (one per face of a
 * collection): the Win32 side of the font reader (ttfcore.cpp does the parsing).
 *
 * Opens the file, reads the bytes the parser asks for into the FileBuffer (each at
 * its own offset, so the image is used in place), converts the Windows Unicode
 * names to the ANSI code page (UTF-8 where the program runs with it), takes the metrics of the scan's device context and
 * appends the record to the Catalogue.  Touches the FileBuffer (app/startup.cpp
 * allocates it) and the Catalogue (fontlist.cpp).  Called by the folder scan
 * (dirscan.cpp) for every font file it takes, and by zenvrix-info.exe. */
#include "fontfiles.h"

#include <stdio.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/shell.h"
#include "ttfcore.h"

FontFileResult lastFontFileResult;
FontReadCounters fontReadCounters;

/* The context of the running scan and its metrics; runDc is NULL outside a scan
 * and when its metrics could not be taken. */
static HDC runDc;
static TEXTMETRICA runMetrics;

void BeginFontFileRun(HDC dc)
{
    runDc = dc != NULL && GetTextMetricsA(dc, &runMetrics) ? dc : NULL;
}

void EndFontFileRun(void)
{
    runDc = NULL;
}

void RenewFontFileRun(void)
{
    if (runDc != NULL)
        BeginFontFileRun(runDc);
}

int TakeFontFileMetrics(HDC dc, TEXTMETRICA *metrics)
{
    if (dc != NULL && dc == runDc) {
        *metrics = runMetrics;
        return 1;
    }
    return GetTextMetricsA(dc, metrics) != 0;
}

int AnsiIsUtf8(void)
{
    return GetACP() == CP_UTF8;
}

void EndOnCharacter(char *text)
{
    int length = (int)strlen(text);
    text[TextCutLength(text, length, length, AnsiIsUtf8())] = 0;
}

/* The whole conversion of one name: 29,999 code units at most, and no ANSI code
 * page gives more than four bytes for one unit. */
static char conversion[4 * (kTtfUnicodeLengthLimit / 2)];

/* Converts with the system's ANSI code page and keeps the first outSize bytes: a
 * conversion straight into a short buffer would fail outright when the text needs
 * more room. */
static int ConvertToAnsi(void *, const uint16_t *units, int count, char *out, int outSize)
{
    /* Every ANSI code page keeps the ASCII characters as they are, and there is
     * nothing among them to compose or discard: most names need no conversion. */
    int ascii = 0;
    while (ascii < count && units[ascii] < 0x80)
        ascii++;
    if (ascii == count) {
        int n = count < outSize ? count : outSize;
        for (int i = 0; i < n; i++)
            out[i] = (char)units[i];
        return n;
    }
    /* UTF-8 takes none of the system code pages' flags (with them the call fails
     * outright) and needs no replacement rules: every character has its bytes. */
    DWORD flags = AnsiIsUtf8() ? 0 : WC_COMPOSITECHECK | WC_SEPCHARS | WC_DISCARDNS;
    int n = WideCharToMultiByte(CP_ACP, flags, (LPCWSTR)units, count, conversion,
                                (int)sizeof conversion, NULL, NULL);
    if (n <= 0)
        return 0;
    if (n > outSize)
        n = outSize;
    memcpy(out, conversion, (size_t)n);
    return n;
}

struct OpenFont {
    HFILE file;
    long position;               /* where the next read starts; -1 unknown */
};

/* Reads count bytes at pos into dest; returns the bytes read or -1. */
static long ReadFileAt(void *context, uint32_t pos, unsigned char *dest, uint32_t count)
{
    OpenFont *font = (OpenFont *)context;
    if (font->position != (long)pos) {
        if (_llseek(font->file, (LONG)pos, FILE_BEGIN) != (LONG)pos) {
            font->position = -1;
            return -1;
        }
    }
    long got = SeamHRead(font->file, dest, (long)count);
    font->position = got >= 0 ? (long)pos + got : -1;
    fontReadCounters.reads++;
    if (got > 0)
        fontReadCounters.bytes += got;
    return got;
}

static FontFileResult ResultOf(TtfResult result)
{
    switch (result) {
    case TTF_OK: return FONT_FILE_OK;
    case TTF_NOT_TRUETYPE: return FONT_FILE_NOT_TRUETYPE;
    case TTF_NO_NAME_TABLE: return FONT_FILE_NO_NAME_TABLE;
    case TTF_NO_OS2_TABLE: return FONT_FILE_NO_OS2_TABLE;
    default: return FONT_FILE_CANT_READ;
    }
}

/* Reads the names and OS/2 fields of face `face` of the open file into info;
 * *faceCount gets the number of faces the file has. */
static FontFileResult ReadOpenFont(HFILE file, int wholeFile, int kinds, int face,
                                   TtfFontInfo *info, int *faceCount, int *collection,
                                   FaceSample *sample)
{
    if (fileBuffer == NULL)
        return FONT_FILE_CANT_READ;
    DWORD high = 0;
    DWORD low = GetFileSize((HANDLE)(INT_PTR)file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return FONT_FILE_CANT_READ;
    /* Only the first FILE_BUFFER_SIZE bytes of a file count. */
    uint32_t imageSize = high != 0 || low > FILE_BUFFER_SIZE ? (uint32_t)FILE_BUFFER_SIZE : low;

    SfntImage image;
    OpenFont font = {file, 0};
    if (wholeFile) {
        long got = SeamHRead(file, fileBuffer, FILE_BUFFER_SIZE);
        fontReadCounters.reads++;
        if (got < 0 || (uint32_t)got < imageSize)
            return FONT_FILE_CANT_READ;   /* an error, or the file ended early */
        fontReadCounters.bytes += got;
        SfntImageWhole(&image, fileBuffer, (uint32_t)got);
    } else {
        SfntImageOnDemand(&image, fileBuffer, imageSize, ReadFileAt, &font, FONT_READ_CHUNK);
    }
    TtfPlatform platform;
    platform.systemLcid = (uint32_t)GetSystemDefaultLCID();
    platform.toAnsi = ConvertToAnsi;
    platform.context = NULL;
    platform.utf8 = AnsiIsUtf8();
    *faceCount = SfntFaceCount(&image, kinds, collection);
    uint32_t directory = 0;
    if (image.ioFailed)
        return FONT_FILE_CANT_READ;
    if (face >= *faceCount || !SfntFaceDirectory(&image, face, &directory))
        return FONT_FILE_NOT_TRUETYPE;
    FontFileResult result = ResultOf(ReadSfntFace(&image, directory, kinds, &platform, info));
    if (result == FONT_FILE_OK && sample != NULL)
        TakeSampleFromImage(&image, directory, sample);
    return result;
}

static void CopyText(char *member, const char *text)
{
    snprintf(member, 300, "%s", text);
}

FontFileResult ReadFontRecord(HDC dc, const char *directory, const char *fileName,
                              int wholeFile, FontRecord *record)
{
    int faceCount;
    return ReadFontFace(dc, directory, fileName, wholeFile, SFNT_KIND_TRUETYPE, 0, record,
                        &faceCount);
}

FontFileResult ReadFontFace(HDC dc, const char *directory, const char *fileName,
                            int wholeFile, int kinds, int face, FontRecord *record,
                            int *faceCount)
{
    memset(record, 0, sizeof *record);
    *faceCount = 0;
    /* A path that does not fit is not cut: a cut path could name another file. */
    char path[300];
    int length = snprintf(path, sizeof path, "%s%s", directory, fileName);
    if (length < 0 || length >= (int)sizeof path)
        return FONT_FILE_PATH_TOO_LONG;

    /* _lopen rather than OpenFile, whose record of the path holds only 128
     * characters: OpenFile fails on every longer path. */
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return FONT_FILE_CANT_OPEN;
    fontReadCounters.files++;
    TtfFontInfo info;
    int collection = 0;
    FontFileResult result = ReadOpenFont(file, wholeFile, kinds, face, &info, faceCount,
                                         &collection, &record->sample);
    _lclose(file);
    if (result != FONT_FILE_OK)
        return result;

    LOGFONTA *font = &record->logFont;
    font->lfWeight = (LONG)info.weightClass;
    font->lfItalic = (BYTE)info.italic;
    font->lfUnderline = (BYTE)info.underline;
    font->lfStrikeOut = (BYTE)info.strikeOut;
    font->lfCharSet = DEFAULT_CHARSET;
    memcpy(font->lfFaceName, info.faceName, sizeof font->lfFaceName);
    CopyText(record->copyright, info.copyright);
    CopyText(record->fontSubfamily, info.subfamily);
    CopyText(record->fontIdentifier, info.identifier);
    CopyText(record->fullFontName, info.fullName);
    CopyText(record->version, info.version);
    CopyText(record->trademark, info.trademark);
    record->boldFlag = info.boldFlag;
    record->postScriptOutlines = info.postScriptOutlines;
    record->faceIndex = face;
    record->faceCount = collection ? *faceCount : 0;
    CopyText(record->fileName, fileName);
    CopyText(record->filePath, path);
    record->fontType = TRUETYPE_FONTTYPE;
    if (!TakeFontFileMetrics(dc, &record->textMetrics))
        return FONT_FILE_NO_METRICS;
    return FONT_FILE_OK;
}

int ReadFaceFullName(const char *path, int face, char *name, size_t size)
{
    if (size > 0)
        name[0] = 0;
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return 0;
    TtfFontInfo info;
    int faceCount = 0;
    int collection = 0;
    FontFileResult result = ReadOpenFont(file, 0, SFNT_KINDS_ALL, face, &info, &faceCount,
                                         &collection, NULL);
    _lclose(file);
    if (result != FONT_FILE_OK)
        return 0;
    snprintf(name, size, "%s", info.fullName);
    return 1;
}

void ReadFontFile(HDC dc, const char *directory, const char *fileName)
{
    ReadFontFileKinds(dc, directory, fileName, SFNT_KIND_TRUETYPE);
}

/* Every face of the file in its order; a face that cannot be read is passed over,
 * and the file counts as read when some face was.  Running out of memory ends the
 * file: its message was shown once. */
int ReadFontFileKinds(HDC dc, const char *directory, const char *fileName, int kinds)
{
    static FontRecord record;    /* no allocation per file */
    int faceCount = 1;
    int complete = 1;
    FontFileResult fileResult = FONT_FILE_NOT_TRUETYPE;
    for (int face = 0; face < faceCount; face++) {
        FontFileResult result =
            ReadFontFace(dc, directory, fileName, 0, kinds, face, &record, &faceCount);
        if (result == FONT_FILE_OK &&
            !AppendFontRecord(&record.logFont, &record.textMetrics, TRUETYPE_FONTTYPE,
                              (LPARAM)&record))
            result = FONT_FILE_NO_MEMORY;
        if (fileResult != FONT_FILE_OK)
            fileResult = result;
        if (result == FONT_FILE_NO_METRICS)
            complete = 0;
        if (result == FONT_FILE_NO_MEMORY) {
            RenewFontFileRun();  /* after the out-of-memory message */
            complete = 0;
            break;
        }
        /* A file that cannot be found, opened or read gives no other face either. */
        if (result == FONT_FILE_PATH_TOO_LONG || result == FONT_FILE_CANT_OPEN ||
            result == FONT_FILE_CANT_READ) {
            complete = 0;
            break;
        }
    }
    lastFontFileResult = fileResult;
    return complete;
}

const char *FontFileResultText(FontFileResult result)
{
    switch (result) {
    case FONT_FILE_OK: return "read";
    case FONT_FILE_PATH_TOO_LONG: return "path longer than 299 characters";
    case FONT_FILE_CANT_OPEN: return "cannot open the file";
    case FONT_FILE_CANT_READ: return "cannot read the file";
    case FONT_FILE_NOT_TRUETYPE: return "not a font file of the kinds read";
    case FONT_FILE_NO_NAME_TABLE: return "no name table";
    case FONT_FILE_NO_OS2_TABLE: return "no OS/2 table";
    case FONT_FILE_NO_METRICS: return "no text metrics";
    case FONT_FILE_NO_MEMORY: return "not enough memory";
    }
    return "unknown";
}
