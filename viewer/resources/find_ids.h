// Control ids of the Find Text and Find Hex dialogs.
#pragma once

#define IDC_FIND_SHOWN 104  // Find Hex: the bytes as text, as the window shows them
#define IDC_FIND_TEXT 105   // Find Text: the combo box of remembered texts
#define IDC_FIND_HEX 106    // Find Hex: the combo box of remembered hex texts
#define IDC_FIND_CASE 111
#define IDC_FIND_FROM_TOP 112
#define IDC_FIND_ERROR 114     // Find Hex: what is wrong with the digits
#define IDC_FIND_MARK_ALL 131  // a button: mark every match instead of finding the next
