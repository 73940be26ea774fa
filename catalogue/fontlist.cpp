/* fontlist.cpp - the Catalogue and DisplayList records: appending, freeing, and the
 * entry point of every scan (installed fonts here, folders in dirscan.cpp).
 *
 * Called from the UM_RESCAN handler (app/mainwnd.cpp) and, for each font file, from
 * the file reader (ttfread.cpp). */
#include "fontlist.h"

#include <stdlib.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "../app/shell.h"

FontList catalogue;
FontList displayList;

int CALLBACK AppendFontRecord(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                              DWORD fontType, LPARAM image)
{
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
    EnumFontFamiliesA(dc, NULL, (FONTENUMPROCA)AppendFontRecord, 0);
    return 1;
}
