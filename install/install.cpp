/* install.cpp - installing a font file into the system. */
#include "install.h"

int installMode;
int installScope;
char installMessage[300];
int targetExists;
int cataloguePos;

void ResetInstallOptions(void) {}
int InstallFont(const FontRecord *) { return 0; }
int CopyFontFile(const char *, const char *) { return 0; }
int IsFontInstalled(HDC, const char *) { return 0; }
int CALLBACK FontInstalledProc(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM) { return 0; }
int ForEachCatalogueFont(const char *, FONTENUMPROCA, LPARAM, int, int) { return 1; }
int CALLBACK InstallCatalogueFont(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM) { return 1; }
INT_PTR CALLBACK InstallDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR CALLBACK FontInfoDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
