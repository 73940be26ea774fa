/* shell.h - the application shell: windows, private messages, string texts, the
 * FileBuffer and the start-up / shutdown steps of WinMain.
 *
 * main.cpp holds only WinMain; AppStartup, AppRunMessageLoop and AppShutdown are
 * split out so the tests can start the real windows inside their own process. */
#ifndef ZENVRIX_SHELL_H
#define ZENVRIX_SHELL_H

#include <windows.h>
#include <stddef.h>

/* Private messages of the main window.  wParam of UM_RESCAN, UM_REBUILD and
 * UM_REFRESH is a device context or 0 (0: the client window's own, fetched and
 * released by the handler); the drawing messages require a device context. */
#define UM_RESCAN       (WM_USER + 1)
#define UM_REBUILD      (WM_USER + 2)
#define UM_SETSCROLL    (WM_USER + 3)
#define UM_DRAWPAGE     (WM_USER + 4)
#define UM_DRAWLASTROW  (WM_USER + 5)
#define UM_DRAWFIRSTROW (WM_USER + 6)
#define UM_REFRESH      (WM_USER + 7)
#define UM_LOADALL      (WM_USER + 9)
#define UM_UNLOADALL    (WM_USER + 10)

/* The main window's title names the build: the 32-bit program, or the same sources
 * built for 64-bit Windows. */
#ifdef _WIN64
#define MAIN_WINDOW_TITLE "Zenvrix - 64 bit ver."
#else
#define MAIN_WINDOW_TITLE "Zenvrix - 32 bit ver."
/* The blocks handed to the system have the sizes of the 32-bit structures. */
static_assert(sizeof(PRINTDLGA) == 66, "print-dialog block");
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "pre-2000 open-file block (OPENFILENAME_SIZE_VERSION_400A)");
static_assert(sizeof(DOCINFOA) == 20, "document description");
#endif

enum { FILE_BUFFER_SIZE = 100000000, STRING_SIZE = 256 };

extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HWND clientWindow;
extern HWND toolbar;

/* Texts of the string table, loaded once at start-up. */
extern char labelFaceName[STRING_SIZE];     /* 104 */
extern char directoryTitle[STRING_SIZE];    /* 105 */
extern char scratchFotName[STRING_SIZE];    /* 106 */
extern char fontKeyNt[STRING_SIZE];         /* 108 */
extern char fontKey[STRING_SIZE];           /* 109 */
extern char textCantCopy[STRING_SIZE];      /* 110 */
extern char textInformation[STRING_SIZE];   /* 112 */
extern char textAlreadyInstalled[STRING_SIZE]; /* 113 */
extern char textHowToInstall[STRING_SIZE];  /* 115 */
extern char textFileExist[STRING_SIZE];     /* 116 */
extern char textNotInstalled[STRING_SIZE];  /* 117 */
extern char textPrinterHdcError[STRING_SIZE]; /* 118 */
extern char textNoMemory[STRING_SIZE];      /* 121 */
/* Formats of the warnings about a path from outside that cannot be shown (130-133). */
extern char textPathMissing[STRING_SIZE];
extern char textPathUnreadable[STRING_SIZE];
extern char textPathNotFont[STRING_SIZE];
extern char textPathTooLong[STRING_SIZE];
/* The character map window's (140 ...). */
extern char textCharMapTitle[STRING_SIZE];  /* 140 */
extern char textCharMapCount[STRING_SIZE];  /* 141 */
extern char textNoCmapTable[STRING_SIZE];   /* 142 */
extern char textNoCmapSubtable[STRING_SIZE]; /* 143 */
extern char textNoCmapMemory[STRING_SIZE];  /* 144 */
extern char textOtherFace[STRING_SIZE];     /* 145 */
extern char textNoBlock[STRING_SIZE];       /* 146 */
extern char textGlyph[STRING_SIZE];         /* 147 */
extern char textNotAdded[STRING_SIZE];      /* 148 */

extern char windowsDirectory[300];
extern char systemDirectory[300];
extern char tempDirectory[300];
extern char scratchFotPath[300];

/* The FileBuffer: FILE_BUFFER_SIZE zero-filled bytes held for the whole run. */
extern unsigned char *fileBuffer;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/* Start-up up to and including the first refresh and the one-pixel nudge.
 * commandLine is the program's command line in its W form (NULL: none); a folder
 * or font file it names is shown instead of the installed fonts.  Returns 1, or -1
 * after a fatal failure (its message already shown). */
int AppStartup(HINSTANCE instance, const wchar_t *commandLine = NULL);
/* The message loop; returns when WM_QUIT arrives. */
void AppRunMessageLoop(void);
/* Frees the FileBuffer, the printer objects and both font lists. */
void AppShutdown(void);

/* Registers a window class of the program, with its icon and the window colour. */
int RegisterWindowClass(const char *name, UINT style, WNDPROC procedure, const char *menu,
                        const char *cursor);

/* Places the client window under the toolbar (start-up and WM_SIZE). */
void PlaceClientWindow(int repaint);

/* The warning box every failure uses: no owner, task-modal, warning icon, OK.
 * caption NULL gives the system's default caption. */
int ShowWarning(const char *text, const char *caption);

/* Takes a dialog control's text into text[size]: its first size - 1 bytes, with
 * UTF-8 as the code page cut between characters.  Returns its length. */
int TakeDialogText(HWND dialog, int control, char *text, int size);

/* Command 157: notepad on the Readme.txt that lies beside the program. */
void OpenReadme(void);
/* The quoted command line that OpenReadme starts. */
void ReadmeCommandLine(char *line, int size);

#endif
