/* benchfiles.h - what several benchmarks under bench/ do alike on their own, as the
 * baselines the program is measured against: listing a font tree bare, and the
 * byte order of face names that std::stable_sort is given. */
#ifndef ZENVRIX_BENCHFILES_H
#define ZENVRIX_BENCHFILES_H

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "catalogue/fontfiles.h"
#include "catalogue/fontlist.h"

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

#endif
