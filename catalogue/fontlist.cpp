/* fontlist.cpp - the Catalogue and DisplayList records: appending, freeing, and the
 * entry point of every scan (installed fonts here, folders in dirscan.cpp).
 *
 * Touches only the two lists and the records they own; reads the settings to tell
 * the installed-font source from a folder.  Called from the UM_RESCAN handler
 * (app/mainwnd.cpp), at shutdown (app/startup.cpp) and, for each font file, from
 * the file reader of the folder scan. */
#include "fontlist.h"

#include <stdlib.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "../app/shell.h"

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

    FontRecord **grown = (FontRecord **)SeamRealloc(
        catalogue.records, (size_t)(catalogue.count + 1) * sizeof(FontRecord *));
    if (grown == NULL) {
        ShowWarning(textNoMemory, NULL);
        return 0;
    }
    catalogue.records = grown;

    FontRecord *record = (FontRecord *)SeamMalloc(sizeof(FontRecord));
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
