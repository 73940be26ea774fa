/* dirscan.cpp - scanning a folder (and its subfolders) for .ttf files. */
#include "fontlist.h"

int ScanDirectoryFonts(HDC) { return -1; }
int CountFontFiles(const char *, int *) { return -1; }
int ScanDirectory(HDC, const char *, HWND, int *) { return -1; }
void ReadFontFile(HDC, const char *, const char *) {}
