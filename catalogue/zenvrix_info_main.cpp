/* zenvrix_info_main.cpp - zenvrix-info.exe, a console program that reads the font
 * files named on its command line (.ttf, .otf, .ttc, .otc) with the program's own
 * reader (ReadFontFileKinds and all it calls, taking every kind the "All fonts"
 * scan takes) and prints one line per record, that is per face, on standard
 * output:
 *
 *   path  face  subfamily  full name  identifier  version  copyright  trademark
 *   lfWeight  lfItalic  lfUnderline  lfStrikeOut  boldFlag
 *
 * separated by tabs; inside a field backslash, tab, CR and LF are written as \\,
 * \t, \r and \n.  Texts are written as the reader keeps them: in UTF-8 where the
 * program runs with UTF-8 as its code page (Windows 10 1903 and later), else in
 * the system code page.  A file that gives no record prints no line, and a short reason
 * on standard error.  The exit code is 0 when every file gave a record, 1 when some
 * did not, 2 on a start-up failure.
 *
 * Uses its own FileBuffer (allocated as the program allocates it) and a memory
 * device context for the metrics; records go into the Catalogue as in a scan. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "app/settings.h"
#include "app/shell.h"
#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"

static void PrintField(const char *text)
{
    for (const char *p = text; *p != 0; p++) {
        switch (*p) {
        case '\\': fputs("\\\\", stdout); break;
        case '\t': fputs("\\t", stdout); break;
        case '\r': fputs("\\r", stdout); break;
        case '\n': fputs("\\n", stdout); break;
        default: putchar(*p); break;
        }
    }
}

static void PrintRecord(const char *path, const FontRecord *record)
{
    const char *texts[] = {path, record->logFont.lfFaceName, record->fontSubfamily,
                           record->fullFontName, record->fontIdentifier, record->version,
                           record->copyright, record->trademark};
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; i++) {
        PrintField(texts[i]);
        putchar('\t');
    }
    printf("%ld\t%d\t%d\t%d\t%d\n", (long)record->logFont.lfWeight, record->logFont.lfItalic,
           record->logFont.lfUnderline, record->logFont.lfStrikeOut, record->boldFlag);
}

/* Splits a path at its last separator: directory (with the separator) and name.
 * A bare name is read from the current directory. */
static int SplitPath(const char *path, char *directory, const char **name)
{
    const char *slash = strrchr(path, '\\');
    const char *forward = strrchr(path, '/');
    if (forward != NULL && (slash == NULL || forward > slash))
        slash = forward;
    if (slash == NULL) {
        snprintf(directory, NAME_SIZE, ".\\");
        *name = path;
        return 1;
    }
    size_t length = (size_t)(slash - path) + 1;
    if (length >= NAME_SIZE)
        return 0;
    memcpy(directory, path, length);
    directory[length] = 0;
    *name = slash + 1;
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: zenvrix-info FONTFILE...\n"
                        "Names are written in %s.\n",
                AnsiIsUtf8() ? "UTF-8, the program's code page"
                             : "the system code page (UTF-8 from Windows 10 1903 on)");
        return 2;
    }
    /* A console shows the bytes in its own code page. */
    if (AnsiIsUtf8())
        SetConsoleOutputCP(CP_UTF8);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, FILE_BUFFER_SIZE);
    fileBuffer = block != NULL ? (unsigned char *)GlobalLock(block) : NULL;
    if (fileBuffer == NULL) {
        fprintf(stderr, "zenvrix-info: not enough memory\n");
        if (block != NULL)
            GlobalFree(block);
        return 2;
    }
    HDC dc = CreateCompatibleDC(NULL);
    if (dc == NULL) {
        fprintf(stderr, "zenvrix-info: no device context\n");
        GlobalUnlock(block);
        GlobalFree(block);
        return 2;
    }
    /* AppendFontRecord copies the file's record only while a folder is the source. */
    settings.sourceIsDirectory = 1;

    int status = 0;
    for (int i = 1; i < argc; i++) {
        char directory[NAME_SIZE];
        const char *name;
        int before = catalogue.count;
        if (!SplitPath(argv[i], directory, &name)) {
            lastFontFileResult = FONT_FILE_PATH_TOO_LONG;
        } else {
            ReadFontFileKinds(dc, directory, name, SFNT_KINDS_ALL);
        }
        for (int r = before; r < catalogue.count; r++)
            PrintRecord(argv[i], catalogue.records[r]);
        if (catalogue.count == before) {
            fprintf(stderr, "%s: %s\n", argv[i], FontFileResultText(lastFontFileResult));
            status = 1;
        }
        /* One file's records at a time are enough. */
        FreeFontList(&catalogue);
    }
    fflush(stdout);
    DeleteDC(dc);
    GlobalUnlock(block);
    GlobalFree(block);
    fileBuffer = NULL;
    return status;
}
