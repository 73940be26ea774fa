/* draw.h - drawing one cell of the grid (or hit-testing it, cell.cpp) and walking a
 * range of DisplayList entries with the temporary registration of font files
 * (walk.cpp), and the outline drawing of PostScript faces on a printer (outline.cpp).
 *
 * The walk is driven by the drawing messages of the main window (app/mainwnd.cpp),
 * the double-click (app/scroll.cpp) and the print job (print/). */
#ifndef ZENVRIX_DRAW_H
#define ZENVRIX_DRAW_H

#include <windows.h>

/* DisplayList index that the walk is visiting; read by the callbacks. */
extern int displayPos;

/* Calls callback for DisplayList entries first ... last (clipped), registering each
 * entry's font file around the call when fonts come from a directory and nothing
 * is being printed.  userValue is handed on (a pointer to the target HDC). */
int ForEachDisplayFont(FONTENUMPROCA callback, LPARAM userValue, int first, int last);

/* Per-entry callbacks, shaped as font-enumeration procedures. */
int CALLBACK DrawFontCell(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                          DWORD fontType, LPARAM userValue);
int CALLBACK LoadFontCallback(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                              DWORD fontType, LPARAM userValue);
int CALLBACK UnloadFontCallback(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                                DWORD fontType, LPARAM userValue);

/* A face with PostScript outlines on a printer (outline.cpp): its text drawn as
 * the glyph outlines of face, read on a memory context of the screen and filled
 * in target's text colour.  OutlineTextOut places its text as TextOutA would; 
 * EndOutlineText deletes what BeginOutlineText made (0: nothing could be made). */
int BeginOutlineText(HDC target, const LOGFONTA *face);
void OutlineTextOut(int x, int y, const char *text, int count);
void OutlineTextOutW(int x, int y, const WCHAR *text, int count);
void OutlineGlyphsOut(int x, int y, const WORD *glyphs, int count);
void EndOutlineText(void);

/* The label of a cell by labelMode (always the face name for installed fonts),
 * formatted into label and cut to size - 1 characters. */
struct FontRecord;
void FormatCellLabel(const FontRecord *record, char *label, int size);

#endif
