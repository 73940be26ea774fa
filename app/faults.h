/* faults.h - the few platform calls that tests must be able to make fail on demand.
 *
 * Heap allocation, the FileBuffer's global allocation, string loading, opening a
 * font-list key for writing and the registry write (a Wine registry has no rights
 * to refuse them), a font copy's read and write, AddFontResourceA and a printer driver's
 * answer to the page-size escape cannot be made to fail
 * from outside the process, so the program calls them through these wrappers.  In
 * normal runs every wrapper is the plain platform call; a test arms a fault point
 * with SetFault and the chosen calls then fail the way the platform would fail. */
#ifndef ZENVRIX_FAULTS_H
#define ZENVRIX_FAULTS_H

#include <windows.h>
#include <stddef.h>

enum FaultPoint {
    FAULT_HEAP = 0,          /* SeamMalloc, SeamRealloc: return NULL */
    FAULT_GLOBAL_ALLOC,      /* SeamGlobalAlloc: returns NULL */
    FAULT_LOAD_STRING,       /* SeamLoadStringA: returns 0 */
    FAULT_REG_SET_VALUE,     /* SeamRegSetValueExA: returns ERROR_ACCESS_DENIED */
    FAULT_REG_OPEN,          /* SeamRegOpenKeyExA, SeamRegCreateKeyExA: ERROR_ACCESS_DENIED */
    FAULT_FILE_READ,         /* SeamHRead: reads only half, or fails */
    FAULT_FILE_WRITE,        /* SeamHWrite: writes only half, or fails */
    FAULT_ADD_FONT_RESOURCE, /* SeamAddFontResourceA: returns 0 */
    FAULT_ESCAPE,            /* SeamEscape: returns SP_ERROR, output untouched */
    FAULT_POINT_COUNT
};

/* After `okCalls` further calls that succeed, the next `failCalls` calls of the point
 * fail (failCalls < 0: every later call fails).  SetFault(p, 0, 0) disarms it. */
void SetFault(FaultPoint point, int okCalls, int failCalls);
void ClearFaults(void);
/* How many calls went through the point since the last SetFault/ClearFaults. */
int FaultCalls(FaultPoint point);
/* 1 when this call of the point is to fail; counts the call. */
int FaultNow(FaultPoint point);

void *SeamMalloc(size_t size);
void *SeamRealloc(void *block, size_t size);
HGLOBAL SeamGlobalAlloc(UINT flags, SIZE_T size);
int SeamLoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
LONG SeamRegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access, HKEY *key);
/* Opens the key, creating it when it is missing; *created says whether it was. */
LONG SeamRegCreateKeyExA(HKEY root, LPCSTR path, REGSAM access, HKEY *key, int *created);
LONG SeamRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                        const BYTE *data, DWORD size);
long SeamHRead(HFILE file, void *buffer, long count);
long SeamHWrite(HFILE file, const void *buffer, long count);
int SeamAddFontResourceA(LPCSTR path);
int SeamEscape(HDC dc, int escape, int inputSize, LPCSTR input, LPVOID output);

#endif
