/* installdlg.cpp - the install dialog (DIALOG_INSTALL), the font-information box
 * (DIALOG_FONTINFO) and the walk over the Catalogue that installs several fonts.
 *
 * Opened by the double-click on a font of a folder (app/scroll.cpp), with the
 * DisplayList entry at shell.selectedFont as the selected font.  Reads the lists,
 * changes only the install options and cataloguePos, and installs through
 * InstallFont (install.cpp); each failure is shown here. */
#include "install.h"

#include <stdio.h>
#include <string.h>

#include "../app/settings.h"
#include "../app/shell.h"
#include "../catalogue/fontfiles.h"
#include "../resources/resource.h"

/* The DisplayList entry the double-click selected, or NULL if there is none. */
static const FontRecord *SelectedFont(void)
{
    if (displayList.records == NULL || shell.selectedFont < 0 ||
        shell.selectedFont >= displayList.count)
        return NULL;
    return displayList.records[shell.selectedFont];
}

/* "<reason>\nFont <name> will be not installed", cut to 300 characters. */
static void FormatFailure(char *text, size_t size, const char *fullName)
{
    snprintf(text, size, "%s\nFont %s will be not installed", installMessage, fullName);
    EndOnCharacter(text);
}

/* The walk under way: where it started (-1: none under way) and the face name it
 * visits. */
static int walkFirst = -1;
static const char *walkFaceName;

int ForEachCatalogueFont(const char *faceName, FONTENUMPROCA visit, LPARAM userValue,
                         int first, int last)
{
    cataloguePos = first < 0 ? 0 : first;
    walkFirst = cataloguePos;
    walkFaceName = faceName;
    /* The count is read again on every turn: a box shown by the visit may let the
     * Catalogue change. */
    while (cataloguePos <= last && cataloguePos < catalogue.count) {
        const FontRecord *record = catalogue.records[cataloguePos];
        if (faceName == NULL || strcmp(record->logFont.lfFaceName, faceName) == 0) {
            if (!visit(&record->logFont, &record->textMetrics, (DWORD)record->fontType,
                       userValue))
                break;
        }
        cataloguePos++;
    }
    walkFirst = -1;
    walkFaceName = NULL;
    return 1;
}

/* 1 when the walk has visited another face of the same collection file before:
 * that visit installed the file (or told why not), so this face has nothing left
 * to do. */
static int CollectionVisitedBefore(const FontRecord *record)
{
    if (record->faceCount == 0 || walkFirst < 0)
        return 0;
    for (int i = walkFirst; i < cataloguePos && i < catalogue.count; i++) {
        const FontRecord *earlier = catalogue.records[i];
        if ((walkFaceName == NULL || strcmp(earlier->logFont.lfFaceName, walkFaceName) == 0) &&
            strcmp(earlier->filePath, record->filePath) == 0)
            return 1;
    }
    return 0;
}

/* Installs the Catalogue entry at cataloguePos; after a failure the user chooses
 * between going on (OK) and stopping the walk (Cancel). */
int CALLBACK InstallCatalogueFont(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                                  DWORD fontType, LPARAM userValue)
{
    if (cataloguePos < 0 || cataloguePos >= catalogue.count)
        return 0;
    const FontRecord *record = catalogue.records[cataloguePos];
    if (CollectionVisitedBefore(record))
        return 1;
    installMessage[0] = 0;
    if (InstallFont(record))
        return 1;
    char text[300];
    FormatFailure(text, sizeof text, record->fullFontName);
    int answer = MessageBoxA(NULL, text, NULL, MB_TASKMODAL | MB_ICONWARNING | MB_OKCANCEL);
    return answer == IDCANCEL ? 0 : 1;
}

/* ---- DIALOG_INSTALL ---- */

static INT_PTR OnInstallInitDialog(HWND dialog)
{
    const FontRecord *record = SelectedFont();
    if (record == NULL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    static const int modes[] = {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY};
    static const int scopes[] = {IDC_SCOPE_SELECTED, IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY};
    for (int i = 0; i < 2; i++)
        CheckDlgButton(dialog, modes[i], modes[i] == installMode ? BST_CHECKED : BST_UNCHECKED);
    for (int i = 0; i < 3; i++)
        CheckDlgButton(dialog, scopes[i],
                       scopes[i] == installScope ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(dialog, IDC_INSTALL_PATH, record->filePath);
    SetDlgItemTextA(dialog, IDC_INSTALL_NAME, record->fullFontName);
    return TRUE;
}

/* Takes the radio buttons that are on as the options; a group with none on keeps
 * its option. */
static void StoreInstallOptions(HWND dialog)
{
    static const int buttons[] = {IDC_INSTALL_COPY, IDC_INSTALL_NOCOPY, IDC_SCOPE_SELECTED,
                                  IDC_SCOPE_STYLES, IDC_SCOPE_DIRECTORY};
    for (int i = 0; i < 5; i++) {
        if (IsDlgButtonChecked(dialog, buttons[i]) != BST_CHECKED)
            continue;
        if (i < 2)
            installMode = buttons[i];
        else
            installScope = buttons[i];
    }
}

static void OnInstallOk(HWND dialog)
{
    StoreInstallOptions(dialog);
    const FontRecord *selected = SelectedFont();
    if (selected != NULL) {
        /* A copy: the lists may be rebuilt while a failure box is open (another
         * program's WM_FONTCHANGE rescans), which frees the DisplayList entry. */
        FontRecord record = *selected;
        int last = catalogue.count - 1;
        if (installScope == IDC_SCOPE_SELECTED) {
            installMessage[0] = 0;
            if (!InstallFont(&record)) {
                char text[300];
                FormatFailure(text, sizeof text, record.fullFontName);
                ShowWarning(text, NULL);
            }
        } else if (installScope == IDC_SCOPE_STYLES) {
            ForEachCatalogueFont(record.logFont.lfFaceName, (FONTENUMPROCA)InstallCatalogueFont,
                                 0, 0, last);
        } else if (installScope == IDC_SCOPE_DIRECTORY) {
            ForEachCatalogueFont(NULL, (FONTENUMPROCA)InstallCatalogueFont, 0, 0, last);
        }
    }
    EndDialog(dialog, 1);
}

static INT_PTR OnInstallCommand(HWND dialog, WPARAM wParam)
{
    switch (wParam) {
    case IDC_FONT_INFO:
        DialogBoxParamA(appInstance, MAKEINTRESOURCEA(DIALOG_FONTINFO), mainWindow,
                        FontInfoDialogProc, 0);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDOK:
        OnInstallOk(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK InstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInstallInitDialog(dialog);
    case WM_COMMAND: return OnInstallCommand(dialog, wParam);
    default: return FALSE;
    }
}

/* ---- DIALOG_FONTINFO ---- */

/* Appends "<label><field>\r\n", the field cut so that the whole line stays within
 * 299 characters. */
static void AppendInfoLine(char *text, size_t size, const char *label, const char *field)
{
    char line[300];
    int room = (int)(sizeof line - 1) - (int)strlen(label) - 2;
    room = TextCutLength(field, (int)strlen(field), room, AnsiIsUtf8());
    snprintf(line, sizeof line, "%s%.*s\r\n", label, room, field);
    size_t used = strlen(text);
    snprintf(text + used, size - used, "%s", line);
}

/* The seven lines of the information box for one font. */
void FormatFontInfo(const FontRecord *record, char *text, size_t size)
{
    if (size == 0)
        return;
    text[0] = 0;
    AppendInfoLine(text, size, "Font Family: ", record->logFont.lfFaceName);
    AppendInfoLine(text, size, "Font Subfamily: ", record->fontSubfamily);
    AppendInfoLine(text, size, "Full font name: ", record->fullFontName);
    AppendInfoLine(text, size, "Version: ", record->version);
    AppendInfoLine(text, size, "Font Identifier: ", record->fontIdentifier);
    AppendInfoLine(text, size, "Copyright: ", record->copyright);
    AppendInfoLine(text, size, "Trademark: ", record->trademark);
}

static INT_PTR OnFontInfoInitDialog(HWND dialog)
{
    const FontRecord *record = SelectedFont();
    char text[2100];
    text[0] = 0;
    if (record != NULL)
        FormatFontInfo(record, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_FONTINFO_TEXT, text);
    return TRUE;
}

/* OK (and only OK) ends the box; the install dialog under it stays open. */
static INT_PTR OnFontInfoCommand(HWND dialog, WPARAM wParam)
{
    if (wParam != IDOK)
        return FALSE;
    EndDialog(dialog, 1);
    return TRUE;
}

static INT_PTR OnFontInfoClose(HWND dialog)
{
    EndDialog(dialog, 1);
    return TRUE;
}

INT_PTR CALLBACK FontInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnFontInfoInitDialog(dialog);
    case WM_COMMAND: return OnFontInfoCommand(dialog, wParam);
    case WM_CLOSE: return OnFontInfoClose(dialog);
    default: return FALSE;
    }
}
