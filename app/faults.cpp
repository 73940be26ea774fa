/* faults.cpp - pass-through wrappers with switchable failures (see faults.h). */
#include "faults.h"

#include <stdlib.h>

struct FaultPlan {
    int okCalls;
    int failCalls;
    int calls;
};

static FaultPlan faultPlans[FAULT_POINT_COUNT];

void SetFault(FaultPoint point, int okCalls, int failCalls)
{
    faultPlans[point].okCalls = okCalls;
    faultPlans[point].failCalls = failCalls;
    faultPlans[point].calls = 0;
}

void ClearFaults(void)
{
    for (int i = 0; i < FAULT_POINT_COUNT; i++)
        SetFault((FaultPoint)i, 0, 0);
}

int FaultCalls(FaultPoint point)
{
    return faultPlans[point].calls;
}

int FaultNow(FaultPoint point)
{
    FaultPlan *plan = &faultPlans[point];
    plan->calls++;
    if (plan->failCalls == 0)
        return 0;
    if (plan->okCalls > 0) {
        plan->okCalls--;
        return 0;
    }
    if (plan->failCalls > 0)
        plan->failCalls--;
    return 1;
}

void *SeamMalloc(size_t size)
{
    return FaultNow(FAULT_HEAP) ? NULL : malloc(size);
}

void *SeamRealloc(void *block, size_t size)
{
    return FaultNow(FAULT_HEAP) ? NULL : realloc(block, size);
}

HGLOBAL SeamGlobalAlloc(UINT flags, SIZE_T size)
{
    return FaultNow(FAULT_GLOBAL_ALLOC) ? NULL : GlobalAlloc(flags, size);
}

int SeamLoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size)
{
    if (FaultNow(FAULT_LOAD_STRING)) {
        if (size > 0)
            buffer[0] = 0;
        return 0;
    }
    return LoadStringA(instance, id, buffer, size);
}

LONG SeamRegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access, HKEY *key)
{
    if (FaultNow(FAULT_REG_OPEN))
        return ERROR_ACCESS_DENIED;
    return RegOpenKeyExA(root, path, options, access, key);
}

LONG SeamRegCreateKeyExA(HKEY root, LPCSTR path, REGSAM access, HKEY *key, int *created)
{
    *created = 0;
    if (FaultNow(FAULT_REG_OPEN))
        return ERROR_ACCESS_DENIED;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, access, NULL,
                                  key, &disposition);
    *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return status;
}

LONG SeamRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                        const BYTE *data, DWORD size)
{
    if (FaultNow(FAULT_REG_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    return RegSetValueExA(key, name, reserved, type, data, size);
}

/* A failing read or write first moves half of the bytes, like a disk that fills up
 * or a network share that drops, so callers must notice the short count. */
long SeamHRead(HFILE file, void *buffer, long count)
{
    if (FaultNow(FAULT_FILE_READ))
        return count > 1 ? _hread(file, buffer, count / 2) : -1;
    return _hread(file, buffer, count);
}

long SeamHWrite(HFILE file, const void *buffer, long count)
{
    if (FaultNow(FAULT_FILE_WRITE))
        return count > 1 ? _hwrite(file, (LPCCH)buffer, count / 2) : -1;
    return _hwrite(file, (LPCCH)buffer, count);
}

int SeamAddFontResourceA(LPCSTR path)
{
    return FaultNow(FAULT_ADD_FONT_RESOURCE) ? 0 : AddFontResourceA(path);
}

int SeamEscape(HDC dc, int escape, int inputSize, LPCSTR input, LPVOID output)
{
    return FaultNow(FAULT_ESCAPE) ? SP_ERROR : Escape(dc, escape, inputSize, input, output);
}
