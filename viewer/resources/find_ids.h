// Control ids of the Find Text and Find Hex dialogs.
#pragma once

#define IDC_FIND_WHAT 101      // the combo box of remembered searches
#define IDC_FIND_CASE 103
#define IDC_FIND_SHOWN 104     // Find Hex: the bytes as the window shows them
#define IDC_FIND_FROM_TOP 105
#define IDC_FIND_MARK_ALL 106
#define IDC_FIND_ERROR 107     // Find Hex: what is wrong with the digits
#define IDC_FIND_PREVIEW 108
#define IDC_FIND_HELP 195
