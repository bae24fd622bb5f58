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
