/* dialogs.cpp - the small option dialogs of the shell: one number (DIALOG_VALUE),
 * the custom sample text (DIALOG_BOX) and the figures of the current grid
 * (DIALOG_O).  Opened by the command handlers in mainwnd.cpp. */
#include "appwindows.h"

#include <stdio.h>
#include <string.h>

#include "../catalogue/fontfiles.h"
#include "../render/layout.h"
#include "../resources/resource.h"
#include "settings.h"

/* Ends with the number entered, or 0 for Cancel; a non-number keeps it open. */
INT_PTR CALLBACK ValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemInt(dialog, IDC_VALUE_EDIT, (UINT)lParam, FALSE);
    } else if (message == WM_COMMAND && wParam == IDOK) {
        BOOL valid = FALSE;
        UINT value = GetDlgItemInt(dialog, IDC_VALUE_EDIT, &valid, FALSE);
        if (valid)
            EndDialog(dialog, (INT_PTR)(int)value);
    } else if (message == WM_COMMAND && wParam == IDCANCEL) {
        EndDialog(dialog, 0);
    }
    return 0;
}

int TakeDialogText(HWND dialog, int control, char *text, int size)
{
    /* Read whole first: a conversion into too short a buffer may stop in the
     * middle of a character. */
    static char typed[4 * CUSTOM_TEXT_SIZE];
    int length = GetDlgItemTextA(dialog, control, typed, (int)sizeof typed);
    length = TextCutLength(typed, length, size - 1, AnsiIsUtf8());
    memcpy(text, typed, (size_t)length);
    text[length] = 0;
    return length;
}

/* Ends with 1 after taking the text (an empty one becomes "-"), 0 on Cancel. */
INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_TEXT_EDIT, settings.customText);
    } else if (message == WM_COMMAND && wParam == IDOK) {
        TakeDialogText(dialog, IDC_TEXT_EDIT, settings.customText, CUSTOM_TEXT_SIZE);
        if (settings.customText[0] == 0)
            strcpy(settings.customText, "-");
        EndDialog(dialog, 1);
    } else if (message == WM_COMMAND && wParam == IDCANCEL) {
        EndDialog(dialog, 0);
    }
    return 0;
}

static void SetNumber(HWND dialog, int id, const char *format, long value)
{
    char text[32];
    snprintf(text, sizeof text, format, value);
    SetDlgItemTextA(dialog, id, text);
}

/* The page figures describe the printed pages, so they are computed with the
 * preview layout and the screen layout is put back afterwards. */
static void FillInfo(HWND dialog)
{
    int savedPreview = settings.preview;
    settings.preview = 1;
    ComputeLayout(&pageLayout);

    SetNumber(dialog, IDC_INFO_FONTS, "%ld", (long)displayList.count);
    SetNumber(dialog, IDC_INFO_PAGES, "%ld", (long)pageLayout.pageCount);
    SetNumber(dialog, IDC_INFO_FILL, "%ld %%", (long)pageLayout.lastPageFill);

    int perPage = pageLayout.sheetRowsPerPage > 0 ? pageLayout.sheetRowsPerPage : 1;
    long first = shell.topRow / perPage + 1;
    long last = (shell.topRow + pageLayout.visibleRows) / perPage + 1;
    if (last > pageLayout.pageCount)
        last = pageLayout.pageCount;
    char text[48];
    if (first == last)
        snprintf(text, sizeof text, "%ld", first);
    else
        snprintf(text, sizeof text, "%ld-%ld", first, last);
    SetDlgItemTextA(dialog, IDC_INFO_VISIBLE, text);

    settings.preview = savedPreview;
    ComputeLayout(&pageLayout);
}

INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        FillInfo(dialog);
    else if ((message == WM_COMMAND && wParam == IDOK) || message == WM_CLOSE)
        EndDialog(dialog, 1);
    return 0;
}
