/* install.h - installing a font file into the system (with or without copying it
 * into the Fonts folder: install.cpp), and the install and font-information dialogs
 * with the walk over the Catalogue (installdlg.cpp).
 *
 * The install dialog is opened by a double-click on a font of a folder
 * (app/scroll.cpp); InstallFont never shows a message itself. */
#ifndef ZENVRIX_INSTALL_H
#define ZENVRIX_INSTALL_H

#include <windows.h>
#include "../catalogue/fontlist.h"

/* The install dialog's options, kept for the run and changed only by its OK. */
extern int installMode;          /* IDC_INSTALL_COPY or IDC_INSTALL_NOCOPY */
extern int installScope;         /* IDC_SCOPE_SELECTED, _STYLES or _DIRECTORY */
/* Why the last InstallFont failed; the caller empties it before each call. */
extern char installMessage[300];
/* 1 when the last CopyFontFile refused because the target was already there. */
extern int targetExists;
/* 1 when the last CopyFontFile failed because the target's folder refused the write
 * for lack of rights (access denied). */
extern int targetRefused;
/* The Catalogue entry ForEachCatalogueFont is visiting. */
extern int cataloguePos;

/* The options' start-up defaults (copy, selected font). */
void ResetInstallOptions(void);
/* Installs one font read from a file, after installMode; 1, or 0 with the reason in
 * installMessage.  Machine-wide first; when that is refused for lack of rights, for
 * the current user (%LOCALAPPDATA%\Microsoft\Windows\Fonts and HKEY_CURRENT_USER).
 * A failure leaves the Fonts folders and the registry as they were.  On success
 * every top-level window hears WM_FONTCHANGE. */
int InstallFont(const FontRecord *record);
/* The name of the record's value in the system's font list: "<full name>
 * (TrueType)", "(OpenType)" for PostScript outlines, and for a collection the full
 * names of all its faces joined by " & ". */
void FontListValueName(const FontRecord *record, char *valueName, size_t size);
/* Copies a file whole; 1, or 0 (targetExists tells whether the target was there,
 * targetRefused whether its folder refused the write).
 * The target name appears only with the complete copy behind it. */
int CopyFontFile(const char *source, const char *target);
/* 1 when the system lists a font with exactly this full name (case matters). */
int IsFontInstalled(HDC dc, const char *fullName);
int CALLBACK FontInstalledProc(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                               DWORD fontType, LPARAM context);

/* Walks Catalogue entries first ... last (clipped) with cataloguePos, visiting those
 * whose face name equals faceName byte for byte (all when it is NULL) until the
 * visit returns 0; returns 1. */
int ForEachCatalogueFont(const char *faceName, FONTENUMPROCA visit, LPARAM userValue,
                         int first, int last);
/* The visit of the install walk: installs the entry at cataloguePos; after a
 * failure it asks whether to go on (OK, 1) or stop (Cancel, 0). */
int CALLBACK InstallCatalogueFont(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                                  DWORD fontType, LPARAM userValue);

INT_PTR CALLBACK InstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FontInfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
/* The seven lines of the information box (family, subfamily, full name, version,
 * identifier, copyright, trademark), each cut to 299 characters with its "\r\n". */
void FormatFontInfo(const FontRecord *record, char *text, size_t size);

#endif
