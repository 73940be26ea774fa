/* install.h - installing a font file into the system (with or without copying it
 * into the Fonts folder), and the install and font-information dialogs.
 *
 * The install dialog is opened by a double-click on a font of a folder
 * (app/scroll.cpp); InstallFont never shows a message itself. */
#ifndef ZENVRIX_INSTALL_H
#define ZENVRIX_INSTALL_H

#include <windows.h>
#include "../catalogue/fontlist.h"

extern int installMode;          /* IDC_INSTALL_COPY or IDC_INSTALL_NOCOPY */
extern int installScope;         /* IDC_SCOPE_SELECTED, _STYLES or _DIRECTORY */
extern char installMessage[300];
extern int targetExists;
extern int cataloguePos;

void ResetInstallOptions(void);
int InstallFont(const FontRecord *record);
int CopyFontFile(const char *source, const char *target);
int IsFontInstalled(HDC dc, const char *fullName);
int CALLBACK FontInstalledProc(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                               DWORD fontType, LPARAM context);

int ForEachCatalogueFont(const char *faceName, FONTENUMPROCA visit, LPARAM userValue,
                         int first, int last);
int CALLBACK InstallCatalogueFont(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                                  DWORD fontType, LPARAM userValue);

INT_PTR CALLBACK InstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FontInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
