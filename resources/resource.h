/* resource.h - every resource id of Zenvrix, named once.
 * Included by zenvrix.rc (through windres) and by the C++ code, so the
 * menu, dialog templates, string table and the handlers agree on numbers. */
#ifndef ZENVRIX_RESOURCE_H
#define ZENVRIX_RESOURCE_H

/* Named resources */
#define MENU_NAME              "MENU"
#define ICON_IKONKA            1
#define DIALOG_VALUE           301
#define DIALOG_BOX             302
#define DIALOG_O               303
#define DIALOG_SPECENDS        304
#define DIALOG_PROGRESSBAR     305
#define DIALOG_MARGINS         306
#define DIALOG_INSTALL         307
#define DIALOG_FONTINFO        308
#define IDB_TOOLBAR            99
#define IDB_INFO               102
#define ID_TOOLBAR             98

/* String table */
#define IDS_SHORT_TEXT         101
#define IDS_FULL_TEXT          102
#define IDS_CUSTOM_TEXT        103
#define IDS_LABEL_FACE         104
#define IDS_DIRECTORY_TITLE    105
#define IDS_SCRATCH_FOT        106
#define IDS_FILTER_TEXT        107
#define IDS_FONT_KEY_NT        108
#define IDS_FONT_KEY           109
#define IDS_CANT_COPY          110
#define IDS_INFORMATION        112
#define IDS_ALREADY_INSTALLED  113
#define IDS_HOW_TO_INSTALL     115
#define IDS_FILE_EXIST         116
#define IDS_NOT_INSTALLED      117
#define IDS_PRINTER_HDC_ERROR  118
#define IDS_NO_MEMORY          121

/* Strings: a path named on the command line or dropped on the window that cannot
 * be shown (each a format taking the path) */
#define IDS_PATH_MISSING       130
#define IDS_PATH_UNREADABLE    131
#define IDS_PATH_NOT_FONT      132
#define IDS_PATH_TOO_LONG      133

/* Menu and toolbar commands: File */
#define CMD_DEFINE_DIRECTORY   133
#define CMD_PREVIOUS_DIRECTORY 146
#define CMD_INCLUDE_SUBDIRS    154
#define CMD_FROM_DIRECTORY     134
#define CMD_INSTALLED_FONTS    135
#define CMD_PRINT              121
#define CMD_PRINT_DEFAULT      155
#define CMD_PRINTER_SETUP      128
#define CMD_MARGINS            132
#define CMD_PREVIEW            131
#define CMD_EXIT               138
/* Columns */
#define CMD_COLUMNS_1          107
#define CMD_COLUMNS_2          103
#define CMD_COLUMNS_3          104
#define CMD_COLUMNS_4          105
#define CMD_COLUMNS_5          106
#define CMD_COLUMNS_6          102
#define CMD_COLUMNS_7          101
#define CMD_COLUMNS_CUSTOM     129
/* Size */
#define CMD_SIZE_6             108
#define CMD_SIZE_8             109
#define CMD_SIZE_10            110
#define CMD_SIZE_12            111
#define CMD_SIZE_14            112
#define CMD_SIZE_15            113
#define CMD_SIZE_18            114
#define CMD_SIZE_22            115
#define CMD_SIZE_27            116
#define CMD_SIZE_33            117
#define CMD_SIZE_41            118
#define CMD_SIZE_CUSTOM        130
/* Style */
#define CMD_ITALIC             125
#define CMD_BOLD               127
#define CMD_NORMAL             126
#define CMD_ALL_STYLES         144
/* Text */
#define CMD_TEXT_SHORT         120
#define CMD_TEXT_FULL          119
#define CMD_TEXT_CUSTOM        122
#define CMD_TEXT_DEFINE        123
#define CMD_NATIONAL_CODEPAGE  153
#define CMD_OWN_SCRIPT         158
/* Font name (labels) */
#define CMD_LABEL_SMALL        143
#define CMD_LABEL_MEDIUM       142
#define CMD_LABEL_LARGE        151
#define CMD_LABEL_FACE         152
#define CMD_LABEL_FULLNAME     148
#define CMD_LABEL_FILE         145
#define CMD_LABEL_PATH         156
#define CMD_LABEL_FACE_FILE    149
#define CMD_LABEL_FULLNAME_FILE 150
/* Options */
#define CMD_TRUETYPE_ONLY      140
#define CMD_SEPARATORS         139
#define CMD_FILTER_DEFINE      136
#define CMD_FILTER_ON          137
#define CMD_INSTALL_INFO       141
/* Info */
#define CMD_INFO               124
#define CMD_README             157
/* Toolbar only */
#define CMD_SIZE_UP            201
#define CMD_SIZE_DOWN          202
#define CMD_COLUMNS_UP         203
#define CMD_COLUMNS_DOWN       204

/* DIALOG_VALUE */
#define IDC_VALUE_EDIT         111
/* DIALOG_BOX */
#define IDC_TEXT_EDIT          112
/* DIALOG_O */
#define IDC_INFO_FONTS         130
#define IDC_INFO_PAGES         114
#define IDC_INFO_FILL          113
#define IDC_INFO_VISIBLE       115
/* DIALOG_SPECENDS */
#define IDC_FILTER_TEXT        106
#define IDC_FILTER_ANYWHERE    107
#define IDC_FILTER_BEGIN       108
#define IDC_FILTER_CASE        109
#define IDC_FILTER_AT_END      110
/* DIALOG_MARGINS */
#define IDC_MARGIN_LEFT        102
#define IDC_MARGIN_BOTTOM      103
#define IDC_MARGIN_TOP         104
#define IDC_MARGIN_RIGHT       105
/* DIALOG_INSTALL */
#define IDC_INSTALL_COPY       116
#define IDC_INSTALL_NOCOPY     117
#define IDC_INSTALL_PATH       118
#define IDC_INSTALL_NAME       119
#define IDC_SCOPE_SELECTED     120
#define IDC_SCOPE_DIRECTORY    121
#define IDC_FONT_INFO          122
#define IDC_SCOPE_STYLES       123
/* DIALOG_FONTINFO */
#define IDC_FONTINFO_TEXT      129

/* The cell's context menu and the character map window */
#define CELL_MENU_NAME         "CELLMENU"
#define CMD_CELL_INSTALL       170
#define CMD_CELL_CHARACTERS    171
#define CMD_CELL_COPY_NAME     172
#define IDC_CHARMAP_STATUS     1701
#define IDS_CHARMAP_TITLE      140
#define IDS_CHARMAP_COUNT      141
#define IDS_CHARMAP_NO_TABLE   142
#define IDS_CHARMAP_NO_SUBTABLE 143
#define IDS_CHARMAP_NO_MEMORY  144
#define IDS_CHARMAP_OTHER_FACE 145
#define IDS_CHARMAP_NO_BLOCK   146
#define IDS_CHARMAP_GLYPH      147
#define IDS_CHARMAP_NOT_ADDED  148

#endif
