/* settings.h - the view options the user changes (ViewSettings) and the shell's
 * run-time state shared by the window procedure, the drawing walk and the dialogs.
 *
 * Both are plain global records.  Nothing here is saved between runs: every run
 * starts from the defaults of ResetViewSettings.  Written by the command handlers
 * (mainwnd.cpp), the scroll and double-click handlers (scroll.cpp) and the option
 * dialogs; read by every subsystem. */
#ifndef ZENVRIX_SETTINGS_H
#define ZENVRIX_SETTINGS_H

#include <windows.h>

/* labelMode values: what the small label under each sample shows for file fonts. */
enum LabelMode {
    LABEL_FACE_NAME = 0,
    LABEL_FULL_NAME = 1,
    LABEL_FILE_NAME = 2,
    LABEL_FACE_AND_FILE = 3,
    LABEL_FULL_AND_FILE = 4,
    LABEL_FULL_PATH = 5
};

enum { NAME_SIZE = 300, SHORT_TEXT_SIZE = 256, CUSTOM_TEXT_SIZE = 512 };

struct ViewSettings {
    int columns;                 /* 1 ... 15 */
    int pointSize;               /* 5 ... 60 */
    int bold;
    int italic;
    int allStyles;
    char *sampleText;            /* shortText, fullText or customText */
    char shortText[SHORT_TEXT_SIZE];
    char fullText[SHORT_TEXT_SIZE];
    char customText[CUSTOM_TEXT_SIZE];
    int nationalCodepage;
    int ownScript;               /* faces lacking the example text show their own script */
    int labelMode;               /* LabelMode */
    float labelScale;            /* 1.0, 1.25, 1.5 */
    int separatorLines;
    int trueTypeOnly;
    int filterOn;
    char filterText[NAME_SIZE];
    int filterMode;              /* id of the radio button: 110, 107 or 108 */
    int filterCaseSensitive;
    int preview;
    int includeSubdirectories;
    int sourceIsDirectory;       /* 0 installed fonts, 1 currentDirectory */
    int directoryChosen;
    int allFontFiles;            /* the folder scan takes .otf, .ttc and .otc files too */
    char currentDirectory[NAME_SIZE];
    char previousDirectory[NAME_SIZE];
    float marginLeft;            /* tenths of an inch */
    float marginRight;
    float marginTop;
    float marginBottom;
};

struct ShellState {
    int topRow;                  /* first grid row shown */
    int lastStepDown;            /* 1 if the last one-row scroll went down */
    int ownFontChange;           /* 1 while we broadcast WM_FONTCHANGE ourselves */
    int hitTestMode;             /* 1 while UM_DRAWPAGE hit-tests a double-click */
    int clickX;
    int clickY;
    int hitFound;
    int selectedFont;            /* DisplayList index of the cell last hit-tested; -1 none */
    int drawingFirstRow;         /* 1 while UM_DRAWFIRSTROW draws */
    int cellColumn;              /* column of the next cell to draw */
    int cellRow;                 /* row of the next cell, from the first row drawn */
};

extern ViewSettings settings;
extern ShellState shell;

/* Puts every option and the shell state back to the start-up defaults; the three
 * sample texts and the filter text are left as loaded from the string table. */
void ResetViewSettings(void);

/* The style commands 125, 126, 127 and 144. */
void ToggleItalic(void);
void ToggleBold(void);
void SetNormalStyle(void);
void ToggleAllStyles(void);

/* Point size steps of toolbar commands 201 and 202; column steps of 203 and 204. */
int StepPointSize(int pointSize, int up);
int ClampInt(int value, int low, int high);

/* Toolbar check states, then menu check marks, in the order the refresh applies them. */
void SyncToolbarAndMenu(HWND mainWindow, HWND toolbar);

#endif
