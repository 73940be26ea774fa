/* install.cpp - installing one font file into the running system: the test whether
 * the system already lists the font, the copy into the Fonts folder, the font
 * resource, the value in the system's font list and the WM_FONTCHANGE broadcast.
 * A face of a collection installs its whole file, once, under a value naming all
 * its faces.
 *
 * Touches the Fonts folder (or the System folder), the HKEY_LOCAL_MACHINE font
 * list and the graphics system's font table, and nothing of the program's own
 * lists.  When the machine-wide install is refused for lack of rights (a standard
 * user on Windows Vista and later), the same font is installed for the current
 * user instead: into the user's own Fonts folder and HKEY_CURRENT_USER font list,
 * as Windows 10 (1809) and later install fonts without elevation.
 * Never shows a message: a failure leaves its reason in installMessage for the
 * caller, the install dialog (installdlg.cpp).  A failed call undoes what it did
 * itself, so the Fonts folders and the registry are left as they were. */
#include "install.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "../app/faults.h"
#include "../app/settings.h"
#include "../app/shell.h"
#include "../catalogue/fontfiles.h"
#include "../resources/resource.h"

int installMode;
int installScope;
char installMessage[300];
int targetExists;
int targetRefused;
int cataloguePos;

/* What FontInstalledProc looks for, and whether it found it. */
struct FontSearch {
    const char *fullName;
    int found;
};

void ResetInstallOptions(void)
{
    installMode = IDC_INSTALL_COPY;
    installScope = IDC_SCOPE_SELECTED;
    installMessage[0] = 0;
    targetExists = 0;
    targetRefused = 0;
    cataloguePos = 0;
}

static void SetInstallMessage(const char *text)
{
    snprintf(installMessage, sizeof installMessage, "%s", text);
}

int CALLBACK FontInstalledProc(const LOGFONTA *logFont, const TEXTMETRICA *metrics,
                               DWORD fontType, LPARAM context)
{
    const ENUMLOGFONTA *font = (const ENUMLOGFONTA *)logFont;
    FontSearch *search = (FontSearch *)context;
    /* Byte for byte: upper and lower case matter. */
    if (strcmp((const char *)font->elfFullName, search->fullName) == 0) {
        search->found = 1;
        return 0;
    }
    return 1;
}

/* Enumerates the family named like the full name; the font counts as listed when
 * one of the fonts enumerated carries exactly that full name. */
int IsFontInstalled(HDC dc, const char *fullName)
{
    FontSearch search;
    search.fullName = fullName;
    search.found = 0;
    EnumFontFamiliesA(dc, fullName, (FONTENUMPROCA)FontInstalledProc, (LPARAM)&search);
    return search.found;
}

static int PathExists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static int DirectoryExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* Opens the source of the copy for reading, or the temporary file for writing, as
 * a handle of the _hread/_hwrite family.  OpenFile would refuse paths of 128
 * characters or more, which a folder scan easily produces.  The temporary file is
 * made here if it is missing: Wine's GetTempFileNameA gives a name without having
 * made the file when the folder refuses it. */
static HFILE OpenForCopy(const char *path, int writing)
{
    HANDLE file = CreateFileA(path, writing ? GENERIC_WRITE : GENERIC_READ,
                              writing ? 0 : FILE_SHARE_READ, NULL,
                              writing ? OPEN_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    return file == INVALID_HANDLE_VALUE ? HFILE_ERROR : (HFILE)(INT_PTR)file;
}

/* Notes whether the failure just met was a refusal for lack of rights; 0. */
static int NoteRefusal(void)
{
    targetRefused = GetLastError() == ERROR_ACCESS_DENIED;
    return 0;
}

/* Writes the bytes under a fresh temporary name in the target's folder and only
 * then renames that file to the target, so the target name never shows a partial
 * file; the rename never replaces a file that appeared meanwhile.  On any failure
 * the temporary file is removed again. */
static int WriteFileWhole(const char *target, const void *bytes, long size)
{
    char folder[300];
    snprintf(folder, sizeof folder, "%s", target);
    char *slash = strrchr(folder, '\\');
    if (slash == NULL)
        return 0;
    slash[1] = 0;

    char partial[MAX_PATH];
    if (GetTempFileNameA(folder, "zvx", 0, partial) == 0)
        return NoteRefusal();
    HFILE file = OpenForCopy(partial, 1);
    if (file == HFILE_ERROR) {
        NoteRefusal();
        DeleteFileA(partial);
        return 0;
    }
    int ok = SeamHWrite(file, bytes, size) == size;
    if (_lclose(file) == HFILE_ERROR)
        ok = 0;
    if (ok && !MoveFileA(partial, target))
        ok = NoteRefusal();
    if (!ok)
        DeleteFileA(partial);
    return ok;
}

/* Reads the whole source into one global block and writes it out under the
 * target's name.  A file already there is never overwritten: targetExists says so.
 * A short read or write counts as a failure and leaves no target behind. */
int CopyFontFile(const char *source, const char *target)
{
    targetExists = 0;
    targetRefused = 0;
    if (PathExists(target)) {
        targetExists = 1;
        return 0;
    }
    HFILE file = OpenForCopy(source, 0);
    if (file == HFILE_ERROR)
        return 0;

    int ok = 0;
    HGLOBAL block = NULL;
    void *bytes = NULL;
    DWORD size = GetFileSize((HANDLE)(INT_PTR)file, NULL);
    if (size != INVALID_FILE_SIZE && size <= 0x7FFFFFFF) {
        block = SeamGlobalAlloc(GMEM_FIXED, size > 0 ? size : 1);
        bytes = block != NULL ? GlobalLock(block) : NULL;
        if (bytes != NULL)
            ok = SeamHRead(file, bytes, (long)size) == (long)size;
    }
    _lclose(file);

    if (ok)
        ok = WriteFileWhole(target, bytes, (long)size);
    if (block != NULL) {
        if (bytes != NULL)
            GlobalUnlock(block);
        GlobalFree(block);
    }
    return ok;
}

/* The first font-list key of the string table that opens for reading, or NULL. */
static const char *FindFontListKey(void)
{
    const char *candidates[2] = {fontKeyNt, fontKey};
    for (int i = 0; i < 2; i++) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, candidates[i], 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            RegCloseKey(key);
            return candidates[i];
        }
    }
    return NULL;
}

/* The full name of face `face` of the record's file: the record's own, or read
 * from the file; 0 when that face has none. */
static int FaceFullName(const FontRecord *record, int face, char *name, size_t size)
{
    if (face == record->faceIndex) {
        snprintf(name, size, "%s", record->fullFontName);
        return 1;
    }
    return ReadFaceFullName(record->filePath, face, name, size);
}

/* The value name of the system's font list, as the system names its own fonts:
 * the full name, or for a collection the full names of its faces joined by
 * " & ", then " (OpenType)" for PostScript outlines and " (TrueType)" otherwise. */
void FontListValueName(const FontRecord *record, char *valueName, size_t size)
{
    const char *kind = record->postScriptOutlines ? " (OpenType)" : " (TrueType)";
    size_t room = size > strlen(kind) ? size - strlen(kind) : 1;
    snprintf(valueName, room, "%s", record->fullFontName);
    if (record->faceCount > 0) {
        valueName[0] = 0;
        for (int face = 0; face < record->faceCount; face++) {
            char name[300];
            if (!FaceFullName(record, face, name, sizeof name))
                continue;
            size_t used = strlen(valueName);
            snprintf(valueName + used, room - used, "%s%s", used > 0 ? " & " : "", name);
        }
    }
    EndOnCharacter(valueName);
    size_t used = strlen(valueName);
    snprintf(valueName + used, size - used, "%s", kind);
}

/* Sets the record's value in the font list of `root` to the file's name or path: 1
 * when it was written, -1 when opening or writing the key was refused for lack of
 * rights, else 0.  The machine's key is only opened; the user's is made when it is
 * missing, and removed again when the value could not be set. */
static int WriteFontListValue(HKEY root, const char *keyPath, const FontRecord *record,
                              const char *data)
{
    HKEY key;
    int created = 0;
    LONG status = root == HKEY_LOCAL_MACHINE
                      ? SeamRegOpenKeyExA(root, keyPath, 0, KEY_SET_VALUE, &key)
                      : SeamRegCreateKeyExA(root, keyPath, KEY_SET_VALUE, &key, &created);
    if (status == ERROR_SUCCESS) {
        char valueName[2048];
        FontListValueName(record, valueName, sizeof valueName);
        status = SeamRegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)data,
                                    (DWORD)strlen(data) + 1);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS && created)
            RegDeleteKeyA(root, keyPath);
    }
    if (status == ERROR_SUCCESS)
        return 1;
    return status == ERROR_ACCESS_DENIED ? -1 : 0;
}

/* Install without copy: the font stays where it is and the font list of `root`
 * records its full path.  1, 0, or -1 when the key refused the write for lack of
 * rights; on failure the font resource is removed again. */
static int InstallInPlace(const FontRecord *record, HKEY root, const char *keyPath)
{
    if (keyPath == NULL)
        return 0;
    if (SeamAddFontResourceA(record->filePath) == 0) {
        SetInstallMessage(textNotInstalled);
        return 0;
    }
    int written = WriteFontListValue(root, keyPath, record, record->filePath);
    if (written != 1) {
        RemoveFontResourceA(record->filePath);
        SetInstallMessage(textNotInstalled);
    }
    return written;
}

/* The folder a machine-wide copy goes to: the Fonts folder under the Windows folder,
 * or the System folder when there is none. */
static void MachineFontsFolder(char *folder, size_t size)
{
    snprintf(folder, size, "%s\\Fonts", windowsDirectory);
    if (!DirectoryExists(folder))
        snprintf(folder, size, "%s", systemDirectory);
}

/* Install with copy into `folder`: the machine's font list records the file's name
 * alone, a user's the full path of the copy.  1, 0, or -1 when the folder or the key
 * refused the write for lack of rights; a failure takes back the copy and the font
 * resource. */
static int InstallCopy(const FontRecord *record, HKEY root, const char *keyPath,
                       const char *folder)
{
    char target[300];
    int length = snprintf(target, sizeof target, "%s\\%s", folder, record->fileName);
    if (keyPath == NULL)
        return 0;
    /* A cut path would install the file under another name than the one recorded. */
    if (length < 0 || length >= (int)sizeof target || record->fileName[0] == 0) {
        SetInstallMessage(textCantCopy);
        return 0;
    }
    if (!CopyFontFile(record->filePath, target)) {
        SetInstallMessage(targetExists ? textFileExist : textCantCopy);
        return targetRefused ? -1 : 0;
    }
    if (scratchFotPath[0] != 0) {
        OFSTRUCT place;
        OpenFile(scratchFotPath, &place, OF_DELETE);
    }
    if (SeamAddFontResourceA(target) == 0) {
        DeleteFileA(target);
        SetInstallMessage(textNotInstalled);
        return 0;
    }
    int written = WriteFontListValue(root, keyPath, record,
                                     root == HKEY_LOCAL_MACHINE ? record->fileName : target);
    if (written != 1) {
        /* The target did not exist before CopyFontFile: it is this call's own file. */
        RemoveFontResourceA(target);
        DeleteFileA(target);
        SetInstallMessage(textNotInstalled);
    }
    return written;
}

/* The current user's Fonts folder, %LOCALAPPDATA%\Microsoft\Windows\Fonts, and which
 * of its last three folders an install made (and so takes back when it fails). */
static const char *const kUserFontsFolders[3] = {"Microsoft", "Windows", "Fonts"};
struct UserFontsFolder {
    char path[300];
    int made[3];
};

/* Makes the folders of the user's Fonts folder that are missing; 0 when the
 * local application data folder is unknown. */
static int MakeUserFontsFolder(UserFontsFolder *folder)
{
    ZeroMemory(folder, sizeof *folder);
    if (SHGetFolderPathA(NULL, CSIDL_LOCAL_APPDATA, NULL, SHGFP_TYPE_CURRENT, folder->path) !=
        S_OK)
        return 0;
    for (int i = 0; i < 3; i++) {
        size_t used = strlen(folder->path);
        snprintf(folder->path + used, sizeof folder->path - used, "\\%s", kUserFontsFolders[i]);
        folder->made[i] = CreateDirectoryA(folder->path, NULL) != 0;
    }
    return 1;
}

/* Removes the folders MakeUserFontsFolder made, the deepest first. */
static void RemoveMadeFolders(UserFontsFolder *folder)
{
    for (int i = 2; i >= 0; i--) {
        if (folder->made[i])
            RemoveDirectoryA(folder->path);
        char *slash = strrchr(folder->path, '\\');
        if (slash == NULL)
            return;
        *slash = 0;
    }
}

/* The machine-wide install was refused for lack of rights: the same install for the
 * current user alone.  A failure is reported as the machine-wide one would be, and
 * leaves the user's folders as they were. */
static int InstallForUser(const FontRecord *record)
{
    if (installMode == IDC_INSTALL_NOCOPY)
        return InstallInPlace(record, HKEY_CURRENT_USER, fontKeyNt);
    UserFontsFolder folder;
    int result = 0;
    if (MakeUserFontsFolder(&folder))
        result = InstallCopy(record, HKEY_CURRENT_USER, fontKeyNt, folder.path);
    else
        SetInstallMessage(textCantCopy);
    if (result != 1)
        RemoveMadeFolders(&folder);
    return result;
}

/* Tells every top-level window that the fonts changed.  Windows of this thread, the
 * main window among them, get the message at once, while ownFontChange keeps the
 * main window from rescanning; windows of other threads and programs get it queued,
 * so a hung one cannot hold up the program. */
static void BroadcastFontChange(void)
{
    shell.ownFontChange = 1;
    SendNotifyMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    shell.ownFontChange = 0;
}

/* The full name under which the system lists the record's font, or a face of its
 * collection (all faces come with the file); 0 when it lists none of them. */
static int FindListedName(const FontRecord *record, char *listed, size_t size)
{
    HDC dc = GetDC(mainWindow);
    int found = IsFontInstalled(dc, record->fullFontName);
    snprintf(listed, size, "%s", record->fullFontName);
    for (int face = 0; !found && face < record->faceCount; face++)
        found = face != record->faceIndex && FaceFullName(record, face, listed, size) &&
                IsFontInstalled(dc, listed);
    ReleaseDC(mainWindow, dc);
    return found;
}

int InstallFont(const FontRecord *record)
{
    char listed[300];
    if (FindListedName(record, listed, sizeof listed)) {
        snprintf(installMessage, sizeof installMessage, "Font '%s' %s!", listed,
                 textAlreadyInstalled);
        EndOnCharacter(installMessage);
        return 0;
    }

    const char *keyPath = FindFontListKey();
    if (keyPath == NULL)
        SetInstallMessage(textNotInstalled);

    int result;
    char folder[300];
    if (installMode == IDC_INSTALL_NOCOPY) {
        result = InstallInPlace(record, HKEY_LOCAL_MACHINE, keyPath);
    } else {
        MachineFontsFolder(folder, sizeof folder);
        result = InstallCopy(record, HKEY_LOCAL_MACHINE, keyPath, folder);
    }
    if (result < 0) {
        installMessage[0] = 0;
        result = InstallForUser(record);
    }
    if (result < 0)
        result = 0;
    if (result == 1)
        BroadcastFontChange();
    return result;
}
