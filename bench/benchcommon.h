/* benchcommon.h - what several benchmarks under bench/ do alike: the baselines the
 * program is measured against (listing a font tree bare, the byte order of face
 * names that std::stable_sort is given) and the window the drawing figures are
 * taken in. */
#ifndef ZENVRIX_BENCHCOMMON_H
#define ZENVRIX_BENCHCOMMON_H

#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"
#include "harness.h"

struct FontFile {
    std::string directory;
    std::string name;
};

/* Every font file below folder (ending in a backslash), depth first. */
inline void ListTree(const std::string &folder, std::vector<FontFile> *files)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
                ListTree(folder + entry.cFileName + "\\", files);
        } else if (IsFontFileName(entry.cFileName)) {
            files->push_back(FontFile{folder, entry.cFileName});
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

/* Face names in byte order, as the Catalogue is sorted. */
inline bool FaceLess(const FontRecord *a, const FontRecord *b)
{
    const unsigned char *x = (const unsigned char *)a->logFont.lfFaceName;
    const unsigned char *y = (const unsigned char *)b->logFont.lfFaceName;
    for (int i = 0; i < LF_FACESIZE; i++) {
        if (x[i] != y[i])
            return x[i] < y[i];
        if (x[i] == 0)
            return false;
    }
    return false;
}

/* Starts the program with its client window at 800 x 600, where every drawing
 * figure is taken; returns the client window's context, or NULL (said on standard
 * output) when the program did not start. */
inline HDC StartAtBenchSize(void)
{
    if (StartZenvrix() != 1) {
        printf("the program did not start\n");
        return NULL;
    }
    MoveWindow(mainWindow, 0, 0, 1000, 900, TRUE);
    RECT outer, inner;
    GetWindowRect(clientWindow, &outer);
    GetClientRect(clientWindow, &inner);
    POINT place = {outer.left, outer.top};
    ScreenToClient(mainWindow, &place);
    MoveWindow(clientWindow, place.x, place.y, 800 + (outer.right - outer.left) - inner.right,
               600 + (outer.bottom - outer.top) - inner.bottom, TRUE);
    PumpMessages();
    return GetDC(clientWindow);
}

/* The process's private bytes as the system charges them: every committed page
 * that belongs to this process alone (Wine's own counter of them stays 0). */
inline double PrivateBytes(void)
{
    double total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char *at = NULL;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += (double)region.RegionSize;
        const char *next = (const char *)region.BaseAddress + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

#endif
