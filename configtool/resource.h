// Resource ids of Vantric, shared by vantric.rc and the code.
#pragma once

// The configuration dialog and its controls.
#define IDD_CONFIGURE 200
#define IDC_MENU_TEXT 201
#define IDC_STATUS_TEXT 202
#define IDC_VIEWER_PATH 203
#define IDC_BROWSE 204
#define IDC_FIELD_HELP 205

// Help texts shown under the line for the field that has the focus.
#define IDS_HELP_MENU_TEXT 132
#define IDS_HELP_STATUS_TEXT 133
#define IDS_HELP_VIEWER_PATH 134
