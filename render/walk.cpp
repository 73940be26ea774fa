/* walk.cpp - walking a range of DisplayList entries with temporary font registration. */
#include "draw.h"

int displayPos;

int ForEachDisplayFont(FONTENUMPROCA, LPARAM, int, int) { return 1; }
int CALLBACK DrawFontCell(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM) { return 1; }
int CALLBACK LoadFontCallback(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM) { return 1; }
int CALLBACK UnloadFontCallback(const LOGFONTA *, const TEXTMETRICA *, DWORD, LPARAM) { return 1; }
