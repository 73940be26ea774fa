/* settings.cpp - the ViewSettings and shell-state records, their defaults, the
 * style and step rules of the view commands, and the check marks that mirror them
 * on the toolbar and in the menu (applied by UM_REFRESH in mainwnd.cpp). */
#include "settings.h"

#include <commctrl.h>

#include "../resources/resource.h"

ViewSettings settings;
ShellState shell;

void ResetViewSettings(void)
{
    settings.columns = 3;
    settings.pointSize = 15;
    settings.bold = 0;
    settings.italic = 0;
    settings.allStyles = 1;
    settings.sampleText = settings.shortText;
    settings.nationalCodepage = 0;
    settings.ownScript = 1;
    settings.labelMode = LABEL_FULL_NAME;
    settings.labelScale = 1.0f;
    settings.separatorLines = 0;
    settings.trueTypeOnly = 1;
    settings.filterOn = 0;
    settings.filterMode = IDC_FILTER_AT_END;
    settings.filterCaseSensitive = 0;
    settings.preview = 0;
    settings.includeSubdirectories = 0;
    settings.sourceIsDirectory = 0;
    settings.directoryChosen = 0;
    settings.allFontFiles = 0;
    settings.currentDirectory[0] = 0;
    settings.previousDirectory[0] = 0;
    settings.marginLeft = 4;
    settings.marginRight = 4;
    settings.marginTop = 2;
    settings.marginBottom = 10;

    ShellState fresh = {};
    fresh.lastStepDown = 1;
    fresh.selectedFont = -1; /* no cell selected yet */
    shell = fresh;
}

void ToggleItalic(void)
{
    settings.italic = !settings.italic;
}

void ToggleBold(void)
{
    settings.bold = !settings.bold;
}

void SetNormalStyle(void)
{
    settings.bold = 0;
    settings.italic = 0;
    settings.allStyles = 0;
}

/* All turns off only when it is the style in force (on, with Bold and Italic off);
 * otherwise it becomes the style in force.  Either way Bold and Italic go off. */
void ToggleAllStyles(void)
{
    if (settings.allStyles && !settings.bold && !settings.italic)
        settings.allStyles = 0;
    else
        settings.allStyles = 1;
    settings.bold = 0;
    settings.italic = 0;
}

int ClampInt(int value, int low, int high)
{
    if (value <= low)
        return low;
    if (value >= high)
        return high;
    return value;
}

/* The step is a tenth of the size before the change, at least one point. */
int StepPointSize(int pointSize, int up)
{
    int step = pointSize / 10;
    if (step < 1)
        step = 1;
    return ClampInt(up ? pointSize + step : pointSize - step, 5, 60);
}

static void CheckButton(HWND toolbar, int command, int pressed)
{
    SendMessageA(toolbar, TB_CHECKBUTTON, command, pressed ? 1 : 0);
}

static void Mark(HMENU menu, int command, int marked)
{
    CheckMenuItem(menu, command, MF_BYCOMMAND | (marked ? MF_CHECKED : MF_UNCHECKED));
}

void SyncToolbarAndMenu(HWND mainWindow, HWND toolbar)
{
    int allInForce = settings.allStyles && !settings.bold && !settings.italic;

    if (toolbar != NULL) {
        CheckButton(toolbar, CMD_SEPARATORS, settings.separatorLines);
        CheckButton(toolbar, CMD_ITALIC, settings.italic);
        CheckButton(toolbar, CMD_BOLD, settings.bold);
        CheckButton(toolbar, CMD_PREVIEW, settings.preview);
        CheckButton(toolbar, CMD_FILTER_ON, settings.filterOn);
        SendMessageA(toolbar, TB_SETSTATE, CMD_ALL_STYLES,
                     settings.sourceIsDirectory ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE);
        CheckButton(toolbar, CMD_ALL_STYLES, allInForce);
    }

    HMENU menu = GetMenu(mainWindow);
    if (menu == NULL)
        return;
    Mark(menu, CMD_NATIONAL_CODEPAGE, settings.nationalCodepage);
    Mark(menu, CMD_TRUETYPE_ONLY, settings.trueTypeOnly);
    Mark(menu, CMD_SEPARATORS, settings.separatorLines);
    Mark(menu, CMD_ITALIC, settings.italic);
    Mark(menu, CMD_BOLD, settings.bold);
    Mark(menu, CMD_ALL_STYLES, allInForce && settings.sourceIsDirectory);
    Mark(menu, CMD_LABEL_FACE, settings.labelMode == LABEL_FACE_NAME);
    Mark(menu, CMD_LABEL_FULLNAME, settings.labelMode == LABEL_FULL_NAME);
    Mark(menu, CMD_LABEL_FILE, settings.labelMode == LABEL_FILE_NAME);
    Mark(menu, CMD_LABEL_FACE_FILE, settings.labelMode == LABEL_FACE_AND_FILE);
    Mark(menu, CMD_LABEL_FULLNAME_FILE, settings.labelMode == LABEL_FULL_AND_FILE);
    Mark(menu, CMD_LABEL_PATH, settings.labelMode == LABEL_FULL_PATH);
    Mark(menu, CMD_NORMAL, !settings.italic && !settings.bold &&
                               (!settings.sourceIsDirectory || !settings.allStyles));
    Mark(menu, CMD_TEXT_SHORT, settings.sampleText == settings.shortText);
    Mark(menu, CMD_TEXT_FULL, settings.sampleText == settings.fullText);
    Mark(menu, CMD_TEXT_CUSTOM, settings.sampleText == settings.customText);
    Mark(menu, CMD_OWN_SCRIPT, settings.ownScript);
    Mark(menu, CMD_FILTER_ON, settings.filterOn);
    Mark(menu, CMD_INSTALLED_FONTS, !settings.sourceIsDirectory);
    Mark(menu, CMD_FROM_DIRECTORY, settings.sourceIsDirectory);
    Mark(menu, CMD_PREVIEW, settings.preview);
    Mark(menu, CMD_LABEL_SMALL, settings.labelScale == 1.0f);
    Mark(menu, CMD_LABEL_MEDIUM, settings.labelScale == 1.25f);
    Mark(menu, CMD_LABEL_LARGE, settings.labelScale == 1.5f);
    Mark(menu, CMD_INCLUDE_SUBDIRS, settings.includeSubdirectories);
}
