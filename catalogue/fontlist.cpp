/* fontlist.cpp - the Catalogue and DisplayList records: appending, growing, freeing,
 * and the entry point of every scan (installed fonts here, folders in dirscan.cpp).
 *
 * Touches only the two lists and the records they own; reads the settings to tell
 * the installed-font source from a folder.  Called from the UM_RESCAN handler
 * (app/mainwnd.cpp), at shutdown (app/startup.cpp) and, for each font file, from
 * the file reader of the folder scan. */
#include "fontlist.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "../app/shell.h"
#include "scancache.h"

FontList catalogue;
FontList displayList;

/* 1 when the Catalogue already holds a record of this face name.  Names are
 * compared byte by byte, as the sort and the style grouping compare them. */
static int CatalogueHasFace(const char *faceName)
{
    for (int i = catalogue.count - 1; i >= 0; i--) {
        const char *face = catalogue.records[i]->logFont.lfFaceName;
        if (face[0] == faceName[0] && strncmp(face, faceName, LF_FACESIZE) == 0)
            return 1;
    }
    return 0;
}

int CALLBACK AppendFontRecord(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                              DWORD fontType, LPARAM image)
{
    /* Some systems (Wine among them) report an installed family once per character
     * set.  The grid shows a family once, so only the first report of a face name
     * is kept; a folder keeps every file, duplicates included. */
    if (!settings.sourceIsDirectory && CatalogueHasFace(logFont->lfFaceName))
        return 1;

    /* What the scan's cache of files read holds is given up before a record is. */
    if (!MakeRoomForRecord(&catalogue) &&
        !(EmptyScanCache() && MakeRoomForRecord(&catalogue))) {
        ShowWarning(textNoMemory, NULL);
        return 0;
    }

    FontRecord *record = (FontRecord *)SeamMalloc(sizeof(FontRecord));
    if (record == NULL && EmptyScanCache())
        record = (FontRecord *)SeamMalloc(sizeof(FontRecord));
    if (record == NULL) {
        ShowWarning(textNoMemory, NULL);
        return 0;
    }
    if (settings.sourceIsDirectory && image != 0)
        memcpy(record, (const void *)image, sizeof(FontRecord));
    else
        memset(record, 0, sizeof(FontRecord));
    /* The arguments win over whatever the image held in these three members. */
    record->logFont = *logFont;
    record->textMetrics = *metrics;
    record->fontType = (int)fontType;

    catalogue.records[catalogue.count] = record;
    catalogue.count++;
    return 1;
}

void FreeFontList(FontList *list)
{
    if (list->records != NULL) {
        for (int i = 0; i < list->count; i++)
            free(list->records[i]);
        free(list->records);
        list->records = NULL;
    }
    list->count = 0;
    list->capacity = 0;
}

int MakeRoomForRecord(FontList *list)
{
    if (list->records != NULL && list->count < list->capacity)
        return 1;
    /* An array put in place from outside (a count without a capacity) grows from
     * its count. */
    int used = list->count > list->capacity ? list->count : list->capacity;
    const int most = INT_MAX / 2;
    if (used >= most || (size_t)used * 2 > (size_t)-1 / sizeof(FontRecord *))
        return 0;
    int wanted = used > 0 ? used * 2 : 1;
    FontRecord **grown =
        (FontRecord **)SeamRealloc(list->records, (size_t)wanted * sizeof(FontRecord *));
    if (grown == NULL)
        return 0;
    list->records = grown;
    list->capacity = wanted;
    return 1;
}

int ScanFonts(HDC dc)
{
    if (settings.sourceIsDirectory)
        return ScanDirectoryFonts(dc);
    /* Every family, in the system's order; the sort that follows orders them.  The
     * enumeration's own result says nothing the records don't. */
    EnumFontFamiliesA(dc, NULL, (FONTENUMPROCA)AppendFontRecord, 0);
    return 1;
}
