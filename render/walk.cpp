/* walk.cpp - walking a range of DisplayList entries, one at a time in index order,
 * with the temporary registration of font files: a font read from a folder is known
 * to the graphics system only while its own cell is drawn.  Also the two callbacks
 * that register and remove every file of the DisplayList for a print job.
 *
 * Driven by the drawing messages of the main window (app/mainwnd.cpp), which hand
 * it DrawFontCell (cell.cpp) or the load and unload callbacks.  Reads the
 * DisplayList (catalogue/), sourceIsDirectory (app/) and the printing flag
 * (print/); writes displayPos and the system's font registrations. */
#include "draw.h"

#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "../catalogue/fontlist.h"
#include "../print/printer.h"

int displayPos;

int ForEachDisplayFont(FONTENUMPROCA callback, LPARAM userValue, int first, int last)
{
    displayPos = first < 0 ? 0 : first;
    while (displayPos <= last && displayPos <= displayList.count - 1) {
        FontRecord *record = displayList.records[displayPos];
        /* While printing, the print command holds every file registered for the
         * whole job; otherwise one file at a time, removed again even when the
         * callback stops the walk.  The path is kept aside so that exactly the
         * file that was added is removed. */
        int registerFile = settings.sourceIsDirectory == 1 && printing == 0;
        char path[sizeof record->filePath];
        if (registerFile) {
            memcpy(path, record->filePath, sizeof path);
            path[sizeof path - 1] = 0;
            SeamAddFontResourceA(path);
        }
        int goOn = callback(&record->logFont, &record->textMetrics, (DWORD)record->fontType,
                            userValue);
        if (registerFile)
            RemoveFontResourceA(path);
        if (goOn == 0)
            break;
        displayPos++;
    }
    return 1;
}

/* The entry at displayPos; NULL outside the DisplayList. */
static const FontRecord *VisitedRecord(void)
{
    if (displayPos < 0 || displayPos >= displayList.count || displayList.records == NULL)
        return NULL;
    return displayList.records[displayPos];
}

int CALLBACK LoadFontCallback(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                              DWORD fontType, LPARAM userValue)
{
    const FontRecord *record = VisitedRecord();
    if (record != NULL)
        SeamAddFontResourceA(record->filePath);
    return 1;
}

int CALLBACK UnloadFontCallback(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                                DWORD fontType, LPARAM userValue)
{
    const FontRecord *record = VisitedRecord();
    if (record != NULL)
        RemoveFontResourceA(record->filePath);
    return 1;
}
