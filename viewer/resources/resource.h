// Identifiers shared by the viewer's resource script and its code.
#pragma once

// File
#define IDM_OPEN 101
#define IDM_PRINT 103
#define IDM_PRINTSETUP 104
#define IDM_PAGESETUP 105
#define IDM_PRINTPAGE 106
#define IDM_IGNOREDDE 107
#define IDM_EXIT 108
#define IDM_PRINTALL 109
#define IDM_PRINTTAGS 110
#define IDM_PRINTTAGSNOW 111
#define IDM_CLOSE 112
#define IDM_SIDES 113
// Mark
#define IDM_TOGGLE 131
#define IDM_NEXTMARK 132
#define IDM_UNMARKALL 133
#define IDM_SETMARKS 134
#define IDM_RESETMARKS 135
#define IDM_FREEZETITLE 136
#define IDM_CLEARTITLE 137
#define IDM_FREEZECOLUMNS 138
#define IDM_CLEARCOLUMNS 139
// Help
#define IDM_CONTENTS 141
#define IDM_ABOUT 144
// Search
#define IDM_FINDTEXT 151
#define IDM_FINDHEX 152
#define IDM_FINDNEXT 153
#define IDM_MARKALL 154
#define IDM_GOTO 155
// Format
#define IDM_OPTIONS 161
#define IDM_FONT 162
#define IDM_COLOR 163
#define IDM_SAVEOPTIONS 164
#define IDM_SAVESETUP 165
#define IDM_LOADSETUP 166
#define IDM_APPLYSETUP 167
#define IDM_FITFONT 168
// Edit
#define IDM_COPY 171
#define IDM_SELECTALL 172
#define IDM_UNSELECT 173
#define IDM_COPYTAGS 174
// Recent files 201-209
#define IDM_RECENT 201
// View
#define IDM_TEXT 311
#define IDM_HEX 312
#define IDM_RAW 313
#define IDM_WRAP 314
#define IDM_ONTOP 315
#define IDM_ONTOPON 316
#define IDM_ZOOMIN 317
#define IDM_ZOOMOUT 318
#define IDM_ZOOMRESET 319
#define IDM_FOLLOWEND 320
// Freeze Columns dialog
#define IDC_FREEZE_SCALE 231
#define IDC_FREEZE_EXAMPLE 232
#define IDC_FREEZE_COUNT 233
#define IDC_FREEZE_HELP 195
// Color Selection dialog; the samples are 160-171
#define IDC_COLOR_LIST 150
#define IDC_COLOR_CHANGE 151
#define IDC_COLOR_RESET 152
#define IDC_COLOR_RESETALL 153
#define IDC_COLOR_HELP 154
#define IDC_SAMPLE_TITLE 160
#define IDC_SAMPLE_TAGGED 161
#define IDC_SAMPLE_ERROR 162
#define IDC_SAMPLE_INFO 163
#define IDC_SAMPLE_TEXT1 164
#define IDC_SAMPLE_TEXT2 165
#define IDC_SAMPLE_TEXT3 166
#define IDC_SAMPLE_TEXT4 167
#define IDC_SAMPLE_TEXT5 168
#define IDC_SAMPLE_TEXT6 169
#define IDC_SAMPLE_SIDE 170
#define IDC_SAMPLE_BELOW 171
// Print Shade Selection dialog
#define IDC_SHADE_SAVE 191
#define IDC_SHADE_HELP 195
#define IDC_SHADE_RESETALL 196
#define IDC_SHADE_NORMAL 211
#define IDC_SHADE_TAGGED 212
#define IDC_SHADE_HEADING 213
#define IDC_SHADE_COMMENT 214
#define IDC_SHADE_NORMALB 215
#define IDC_SHADE_TAGGEDB 216
#define IDC_SHADE_HEADINGB 217
#define IDC_SHADE_COMMENTB 218
#define IDC_SHADE_PAPER 219
// Display Formatting dialog
#define IDC_FMT_FORMAT 101
#define IDC_FMT_LINELENGTH 102
#define IDC_FMT_TABLENGTH 103
#define IDC_FMT_CODE 104
#define IDC_FMT_CCCHAR 105
#define IDC_FMT_WRAP 111
#define IDC_FMT_BACKGROUND 113
#define IDC_FMT_FIXEDLENGTH 114
#define IDC_FMT_EXPANDTABS 115
#define IDC_FMT_HORZSCROLL 141
#define IDC_FMT_VERTSCROLL 142
#define IDC_FMT_SAVEPOS 143
#define IDC_FMT_ESCEXIT 144
#define IDC_FMT_CUA 145
#define IDC_FMT_MESSAGES 146
#define IDC_FMT_SAVE 191
#define IDC_FMT_FONT 192
#define IDC_FMT_COLOR 193
#define IDC_FMT_HELP 195
#define IDC_FMT_PROFILE 499
// Go To dialog
#define IDC_GOTO_TOP 191
#define IDC_GOTO_BOTTOM 192
#define IDC_GOTO_OFFSET 193
#define IDC_GOTO_PAGE 194
#define IDC_GOTO_ENTRY 195
#define IDC_GOTO_HINT 196
// Printing: the abort dialog and Page Setup
#define IDC_ABORT_FILE 101
#define IDC_ABORT_PRINTER 102
#define IDC_ABORT_PROGRESS 103
#define IDC_PAGE_FILENAME 121
#define IDC_PAGE_FULLPATH 122
#define IDC_PAGE_DATETIME 123
#define IDC_PAGE_NUMBER 124
#define IDC_PAGE_EJECT 125
#define IDC_PAGE_TITLES 126
#define IDC_PAGE_SHADE_TAGS 127
#define IDC_PAGE_SHADE_SELECTION 128
#define IDC_PAGE_EVEN_IF_TAGS 129
#define IDC_PAGE_MARGINS 130
#define IDC_PAGE_TOP 131
#define IDC_PAGE_LEFT 132
#define IDC_PAGE_RIGHT 133
#define IDC_PAGE_BOTTOM 134
#define IDC_PAGE_AUTOFONT 135
#define IDC_PAGE_MESSAGES 136
#define IDC_PAGE_SAVE 191
#define IDC_PAGE_SHADES 194
#define IDC_PAGE_HELP 195
// Save Options, Save Setup As and Load Setup; the About box
#define IDC_SETUP_NAME 181
#define IDC_SETUP_LIST 182
#define IDC_SETUP_HELP 195
#define IDC_KIND_FORMAT 241
#define IDC_KIND_TITLES 242
#define IDC_KIND_PAGESETUP 243
#define IDC_KIND_PRINTSETUP 244
#define IDC_KIND_COLORS 245
#define IDC_ABOUT_VERSION 101

// Find Text and Find Hex
#define IDC_FIND_SHOWN 104  // Find Hex: the bytes as text, as the window shows them
#define IDC_FIND_TEXT 105   // Find Text: the combo box of remembered texts
#define IDC_FIND_HEX 106    // Find Hex: the combo box of remembered hex texts
#define IDC_FIND_CASE 111
#define IDC_FIND_FROM_TOP 112
#define IDC_FIND_ERROR 114     // Find Hex: what is wrong with the digits
#define IDC_FIND_MARK_ALL 131  // a button: mark every match instead of finding the next
