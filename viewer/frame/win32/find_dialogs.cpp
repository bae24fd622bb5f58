#include "viewer/frame/win32/find_dialogs.h"

#include <string>
#include <vector>

#include "common/notifier.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/search.h"
#include "viewer/frame/find_text.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/ansi_code_page.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/recent_lists.h"

namespace zorvo {

namespace {

struct FindDialog {
  bool hex;
  RecentSearchList& list;
  int combo;                        // IDC_FIND_TEXT or IDC_FIND_HEX
  std::vector<std::wstring> shown;  // the counted entries as the combo box shows them
};

CodeTable DisplayTable(Viewer& app) { return CodeTableFor(app.settings.options.CurrentOptions); }

std::wstring ItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void FocusCombo(HWND dialog, const FindDialog& find) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, find.combo)),
               TRUE);
}

int Selected(HWND dialog, const FindDialog& find) {
  return static_cast<int>(SendDlgItemMessageW(dialog, find.combo, CB_GETCURSEL, 0, 0));
}

int Picked(HWND dialog, const FindDialog& find, std::wstring_view typed) {
  return PickedEntry(find.shown, Selected(dialog, find), typed);
}

// The hex text to preview: the entry picked in the list or, when none is,
// the text typed.
std::wstring HexText(HWND dialog, const FindDialog& find, bool listClosed) {
  const int selected = Selected(dialog, find);
  if (listClosed && selected >= 0 && static_cast<size_t>(selected) < find.shown.size()) {
    return find.shown[static_cast<size_t>(selected)];
  }
  return ItemText(dialog, find.combo);
}

void Fill(HWND dialog, FindDialog& find) {
  Viewer& app = ViewerOf(dialog);
  RecentSearchList& list = find.list;
  if (list.count == -1) {
    if (app.settings.recentSwitches.MruSearch) {
      LoadRecentSearch(app.settings, list);
    } else {
      list.count = 0;
    }
  }
  // Text entries are kept in the file's code and shown as the window shows
  // them; hex entries are kept as typed.
  const CodeTable table = DisplayTable(app);
  HWND combo = GetDlgItem(dialog, find.combo);
  // The history keeps 255 bytes of each text, hex digits included: a
  // longer one would come back cut.
  SendMessageW(combo, CB_LIMITTEXT, kMaxSearchText, 0);
  for (int i = 0; i < list.count && i < kRecentSearches; ++i) {
    const std::string& entry = list.entries[static_cast<size_t>(i)];
    find.shown.push_back(find.hex ? WideFromNarrow(entry) : DisplayText(entry, table));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(find.shown.back().c_str()));
  }
  const SearchState& search = app.search;
  if (!find.shown.empty()) {
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
  } else if (!search.pattern.empty()) {
    const std::wstring current =
        find.hex ? HexDigitsOf(search.pattern) : DisplayText(search.pattern, table);
    SetWindowTextW(combo, current.c_str());
  }
  // The boxes show the last search's case and start; Mark All is a button,
  // an action of this search only.
  if (!find.hex) Check(dialog, IDC_FIND_CASE, search.flags & kSearchCaseSensitive);
  Check(dialog, IDC_FIND_FROM_TOP, search.flags & kSearchFromTop);
}

void BadLength(HWND dialog, const FindDialog& find, const std::wstring& message) {
  FrameNotifier().Message(message, kBadOptionsCaption, kIconHand,
                          reinterpret_cast<uintptr_t>(dialog));
  FocusCombo(dialog, find);
}

void FindText(HWND dialog, const FindDialog& find, bool markAll) {
  Viewer& app = ViewerOf(dialog);
  const std::wstring typed = ItemText(dialog, find.combo);
  if (!SearchTextLengthOk(typed)) {
    BadLength(dialog, find, SearchLengthMessage());
    FrameNotifier().Beep(kIconAsterisk);
    return;
  }
  StartTextSearch(app.settings.recentTexts, app.search, Picked(dialog, find, typed), typed,
                  app.settings.options.CurrentOptions, Checked(dialog, IDC_FIND_CASE),
                  Checked(dialog, IDC_FIND_FROM_TOP), markAll);
  EndDialog(dialog, 1);
}

// Checks the digits of `text` and shows their bytes as text; on a bad
// digit the error line names it and the edit field selects it, so typing
// replaces it.
bool PreviewHex(HWND dialog, const FindDialog& find, const std::wstring& text, int minimum,
                std::string& bytes) {
  Viewer& app = ViewerOf(dialog);
  SetDlgItemTextW(dialog, IDC_FIND_ERROR, L" ");
  HexTextCheck check = CheckHexText(text, minimum);
  switch (check.result) {
    case HexTextCheck::kBadLength:
      BadLength(dialog, find, HexLengthMessage());
      return false;
    case HexTextCheck::kBadDigit: {
      const int at = check.badIndex;
      SetDlgItemTextW(dialog, IDC_FIND_ERROR,
                      InvalidHexDigitMessage(text[static_cast<size_t>(at)]).c_str());
      FocusCombo(dialog, find);
      SendDlgItemMessageW(dialog, find.combo, CB_SETEDITSEL, 0, MAKELPARAM(at, at + 1));
      return false;
    }
    case HexTextCheck::kOk:
      break;
  }
  SetDlgItemTextW(dialog, IDC_FIND_SHOWN, DisplayText(check.bytes, DisplayTable(app)).c_str());
  bytes = std::move(check.bytes);
  return true;
}

// While typing and when the list closes; an information beep for a digit
// that is not one.
void PreviewWhileChoosing(HWND dialog, const FindDialog& find, bool listClosed) {
  std::string bytes;
  if (!PreviewHex(dialog, find, HexText(dialog, find, listClosed), 0, bytes)) {
    FrameNotifier().Beep(kIconAsterisk);
  }
}

void FindHex(HWND dialog, const FindDialog& find, bool markAll) {
  // A picked entry shows exactly as listed, so the field's text is it.
  const std::wstring typed = ItemText(dialog, find.combo);
  std::string bytes;
  if (!PreviewHex(dialog, find, typed, 1, bytes)) {
    FrameNotifier().Beep(kIconAsterisk);
    return;
  }
  StartHexSearch(ViewerOf(dialog).settings.recentHex, ViewerOf(dialog).search,
                 Picked(dialog, find, typed), typed, bytes, Checked(dialog, IDC_FIND_FROM_TOP),
                 markAll);
  EndDialog(dialog, 1);
}

// The first entry's bytes as text when the dialog opens; nothing when its
// digits do not parse.
void PreviewFirst(HWND dialog, const FindDialog& find) {
  Viewer& app = ViewerOf(dialog);
  const HexTextCheck check = CheckHexText(ItemText(dialog, find.combo), 0);
  if (check.result == HexTextCheck::kOk) {
    SetDlgItemTextW(dialog, IDC_FIND_SHOWN, DisplayText(check.bytes, DisplayTable(app)).c_str());
  }
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto& find = *reinterpret_cast<FindDialog*>(lParam);
    Fill(dialog, find);
    if (find.hex) PreviewFirst(dialog, find);
    FocusCombo(dialog, find);
    if (FindDialogHook()) FindDialogHook()(dialog);
    return FALSE;  // the focus is set
  }
  auto* find = reinterpret_cast<FindDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || !find) return FALSE;
  const int id = LOWORD(wParam);
  switch (id) {
    case IDOK:
    case IDC_FIND_MARK_ALL:
      find->hex ? FindHex(dialog, *find, id == IDC_FIND_MARK_ALL)
                : FindText(dialog, *find, id == IDC_FIND_MARK_ALL);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_FIND_HEX:
      if (HIWORD(wParam) == CBN_EDITCHANGE || HIWORD(wParam) == CBN_CLOSEUP) {
        PreviewWhileChoosing(dialog, *find, HIWORD(wParam) == CBN_CLOSEUP);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

int Run(HWND owner, const wchar_t* resource, FindDialog& find) {
  return RunDialog(owner, resource, &GuardedDialogProc<Handle>, &find);
}

}  // namespace

std::function<void(HWND)>& FindDialogHook() {
  static std::function<void(HWND)> hook;
  return hook;
}

int FindTextDialog(HWND owner) {
  Viewer& app = ViewerOf(owner);
  FindDialog find{false, app.settings.recentTexts, IDC_FIND_TEXT, {}};
  return Run(owner, L"FindTextOptions", find);
}

int FindHexDialog(HWND owner) {
  Viewer& app = ViewerOf(owner);
  FindDialog find{true, app.settings.recentHex, IDC_FIND_HEX, {}};
  return Run(owner, L"FindHexOptions", find);
}

}  // namespace zorvo
