/* charmap.h - the character map window: every character a face maps, in code point
 * order, in a scrolled grid drawn in the face itself, with a status bar naming the
 * count and the character under the mouse or selected; and the clipboard helper
 * that it and the cell's "Copy name" share.
 *
 * Opened by the cell's context menu (cellmenu.cpp); the main window closes every
 * one of them when it is destroyed (mainwnd.cpp). */
#ifndef ZENVRIX_CHARMAP_H
#define ZENVRIX_CHARMAP_H

#include <windows.h>

#include <stdint.h>

struct FontRecord;

/* The window class of the character map windows. */
extern const char kCharMapClass[];

/* Registers the window class (start-up); 1 on success or when it is already. */
int RegisterCharMapClass(void);

/* Opens a character map window of the face GDI makes of record's logFont.  With
 * fromFile 1 the record's file is registered while the window is open.  Returns
 * the window, or NULL when it could not be made. */
HWND OpenCharacterMap(const FontRecord *record, int fromFile);

/* Destroys every character map window of this thread. */
void CloseCharacterMaps(void);

/* Puts length UTF-16 units (a face name or a character: the first kCopyLimit) on
 * the clipboard as Unicode text and, in the ANSI code page, as text.  Returns 1,
 * or 0 when the clipboard could not be had. */
enum { kCopyLimit = 64 };
int CopyUnicodeText(HWND owner, const WCHAR *text, int length);

/* The cell of the index-th character of window in its client coordinates; 1 when
 * any of it is in view, 0 otherwise (or when there is no such character). */
int CharMapCellRect(HWND window, uint32_t index, RECT *rect);

/* The code point and UTF-16 form (one unit or a surrogate pair) of a character;
 * returns the number of units. */
int CodePointToUtf16(uint32_t codePoint, WCHAR *units);

#endif
