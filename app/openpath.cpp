/* openpath.cpp - folders and font files named from outside the program: the path
 * on the command line (zenvrix.exe PATH, as "Open with", a shortcut's target or a
 * script start it) and the first item dropped on the main window from Explorer.
 *
 * A folder is shown as if it had been chosen with Define directory; a font file
 * (.ttf, .otf, .ttc, .otc) shows its folder, read with a file type that takes the
 * file, scrolled so that the file's entry is on the top row.  A path that cannot be
 * shown gets a warning that names it and says why, and nothing changes.  Paths come
 * in UTF-16 and are spelled in the program's code page: UTF-8 under its manifest;
 * in a system code page a path it cannot spell is taken by its short (8.3) form,
 * as the folder scan takes such file names. */
#include "appwindows.h"

#include <stdio.h>
#include <string.h>

#include "../catalogue/fontfiles.h"
#include "../print/printer.h"
#include "settings.h"
#include "shell.h"

/* The longest path Windows knows, with its NUL. */
enum { LONGEST_PATH = 32768 };

static wchar_t fullPath[LONGEST_PATH];
static wchar_t shortPath[LONGEST_PATH];
static wchar_t droppedPath[LONGEST_PATH];
/* The font file named, as the scan will read it. */
static FontRecord fileRecord;

/* The warning about a path: format, a text of the string table, with the path as
 * the program's code page spells it (a very long one cut).  Returns 0. */
static int WarnAbout(const char *format, const wchar_t *path)
{
    char shown[1024];
    int units = lstrlenW(path);
    if (units > 300)
        units = 300;
    int length = WideCharToMultiByte(CP_ACP, 0, path, units, shown, (int)sizeof shown - 1,
                                     NULL, NULL);
    shown[length > 0 ? length : 0] = 0;
    char text[STRING_SIZE + sizeof shown];
    snprintf(text, sizeof text, format, shown);
    ShowWarning(text, NULL);
    return 0;
}

/* wide in the program's code page into path[NAME_SIZE]: 1; 0 when it does not fit;
 * -1 when it holds a character the code page cannot spell and its short form does
 * too (or it has none). */
static int SpellPath(const wchar_t *wide, char *path)
{
    if (AnsiIsUtf8())
        return WideCharToMultiByte(CP_ACP, 0, wide, -1, path, NAME_SIZE, NULL, NULL) != 0;
    BOOL lost = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, path, NAME_SIZE, NULL,
                            &lost) == 0)
        return 0;
    if (!lost)
        return 1;
    DWORD length = GetShortPathNameW(wide, shortPath, LONGEST_PATH);
    if (length == 0 || length >= LONGEST_PATH)
        return -1;
    lost = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortPath, -1, path, NAME_SIZE,
                            NULL, &lost) == 0)
        return 0;
    return lost ? -1 : 1;
}

/* The folder (ending with a backslash) becomes the one shown and is read; the
 * caller refreshes.  0 after the warning when it cannot be listed. */
static int ReadFolder(const char *folder, int allKinds, const wchar_t *path)
{
    char pattern[NAME_SIZE];
    int length = snprintf(pattern, sizeof pattern, "%s%s", folder, "*.*");
    if (length < 0 || length >= (int)sizeof pattern)
        return WarnAbout(textPathTooLong, path);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND)
        return WarnAbout(textPathUnreadable, path);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    TakeOutsideFolder(folder, allKinds);
    SendMessageA(mainWindow, UM_RESCAN, 0, 0);
    return 1;
}

/* The grid row of the entry that stands for the file: its own (its first face),
 * or, when the style in force shows another file of its family, the family's;
 * row 0 when neither is shown (the filter hides them). */
static int RowOfFile(const FontRecord *file)
{
    int family = -1;
    for (int i = 0; i < displayList.count; i++) {
        const FontRecord *entry = displayList.records[i];
        if (entry->faceIndex == 0 && strcmp(entry->filePath, file->filePath) == 0)
            return i / settings.columns;
        if (family < 0 &&
            strncmp(entry->logFont.lfFaceName, file->logFont.lfFaceName, LF_FACESIZE) == 0)
            family = i;
    }
    return family < 0 ? 0 : family / settings.columns;
}

/* The file is read first, as the scan will read it, so that a file that is no
 * font changes nothing.  A .ttf file is read as TrueType, unless the file type in
 * force takes every kind or the file holds another kind of font. */
static int OpenFontFile(const char *filePath, const wchar_t *path)
{
    const char *slash = strrchr(filePath, '\\');
    if (slash == NULL || !IsFontFileNameOfKinds(slash + 1, SFNT_KINDS_ALL))
        return WarnAbout(textPathNotFont, path);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(filePath, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return WarnAbout(textPathUnreadable, path);
    FindClose(find);
    /* The name the folder's listing gives the file, as the scan records it. */
    const char *name = OpenableFileName(&entry);
    if (name == NULL)
        return WarnAbout(textPathUnreadable, path);
    char folder[NAME_SIZE];
    int folderLength = (int)(slash + 1 - filePath);
    memcpy(folder, filePath, (size_t)folderLength);
    folder[folderLength] = 0;

    int kinds = settings.allFontFiles || !IsFontFileName(name) ? SFNT_KINDS_ALL
                                                                : SFNT_KIND_TRUETYPE;
    HDC dc = GetDC(clientWindow);
    int faces = 0;
    FontFileResult result = ReadFontFace(dc, folder, name, 0, kinds, 0, &fileRecord, &faces);
    if (result == FONT_FILE_NOT_TRUETYPE && kinds != SFNT_KINDS_ALL) {
        kinds = SFNT_KINDS_ALL;
        result = ReadFontFace(dc, folder, name, 0, kinds, 0, &fileRecord, &faces);
    }
    ReleaseDC(clientWindow, dc);
    if (result == FONT_FILE_PATH_TOO_LONG)
        return WarnAbout(textPathTooLong, path);
    if (result == FONT_FILE_CANT_OPEN || result == FONT_FILE_CANT_READ ||
        result == FONT_FILE_NO_METRICS || result == FONT_FILE_NO_MEMORY)
        return WarnAbout(textPathUnreadable, path);
    if (result != FONT_FILE_OK)
        return WarnAbout(textPathNotFont, path);

    if (!ReadFolder(folder, kinds == SFNT_KINDS_ALL, path))
        return 0;
    shell.topRow = RowOfFile(&fileRecord);
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    return 1;
}

int OpenOutsidePath(const wchar_t *path)
{
    DWORD length = GetFullPathNameW(path, LONGEST_PATH - 1, fullPath, NULL);
    if (length == 0 || length >= LONGEST_PATH - 1)
        return WarnAbout(length == 0 ? textPathMissing : textPathTooLong, path);
    DWORD attributes = GetFileAttributesW(fullPath);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        return WarnAbout(error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
                             ? textPathUnreadable
                             : textPathMissing,
                         fullPath);
    }
    int folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder && fullPath[length - 1] != L'\\') {
        fullPath[length] = L'\\';
        fullPath[length + 1] = 0;
    }
    char spelled[NAME_SIZE];
    int spelling = SpellPath(fullPath, spelled);
    if (spelling != 1)
        return WarnAbout(spelling == 0 ? textPathTooLong : textPathUnreadable, fullPath);
    if (!folder)
        return OpenFontFile(spelled, fullPath);
    if (!ReadFolder(spelled, settings.allFontFiles, fullPath))
        return 0;
    SendMessageA(mainWindow, UM_REFRESH, 0, 0);
    return 1;
}

int OpenCommandLinePath(const wchar_t *commandLine)
{
    if (commandLine == NULL)
        return 0;
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(commandLine, &count);
    if (arguments == NULL)
        return 0;
    int shown = 0;
    if (count >= 2) {
        /* A quoted folder that ends with a backslash ("D:\Fonts\", "D:\") arrives
         * with a quote in its place, since \" stands for a quote; no name holds one. */
        wchar_t *path = arguments[1];
        size_t length = wcslen(path);
        if (length > 0 && path[length - 1] == L'"')
            path[length - 1] = L'\\';
        shown = OpenOutsidePath(path);
    }
    LocalFree(arguments);
    return shown;
}

/* While a dialog or a message box is open the main window is disabled, and a print
 * job holds the fonts of the list shown: a drop then changes nothing.  The drop's
 * memory is given back in every case. */
LRESULT OnDropFiles(HDROP drop)
{
    UINT length = 0;
    if (IsWindowEnabled(mainWindow) && !printing)
        length = DragQueryFileW(drop, 0, droppedPath, LONGEST_PATH);
    DragFinish(drop);
    if (length > 0)
        OpenOutsidePath(droppedPath);
    return 0;
}
