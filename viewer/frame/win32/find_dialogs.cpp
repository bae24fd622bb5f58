#include "viewer/frame/win32/find_dialogs.h"

#include <string>
#include <vector>

#include "common/notifier.h"
#include "viewer/file/code_tables.h"
#include "viewer/file/search.h"
#include "viewer/frame/find_text.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/find_ids.h"
#include "viewer/settings/ansi_code_page.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/recent_lists.h"

namespace zorvo {

namespace {

struct FindDialog {
  bool hex;
  RecentSearchList& list;
  DWORD helpContext;
  std::vector<std::wstring> shown;  // the counted entries as the combo box shows them
};

CodeTable DisplayTable() { return CodeTableFor(ViewOptions().CurrentOptions); }

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

void FocusCombo(HWND dialog) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_FIND_WHAT)),
               TRUE);
}

int Picked(HWND dialog, const FindDialog& find, std::wstring_view typed) {
  const auto selection =
      static_cast<int>(SendDlgItemMessageW(dialog, IDC_FIND_WHAT, CB_GETCURSEL, 0, 0));
  return PickedEntry(find.shown, selection, typed);
}

void Fill(HWND dialog, FindDialog& find) {
  RecentSearchList& list = find.list;
  if (list.count == -1) {
    if (RecentListSwitches().MruSearch) {
      LoadRecentSearch(list);
    } else {
      list.count = 0;
    }
  }
  // Text entries are kept in the file's code and shown as the window shows
  // them; hex entries are kept as typed.
  const CodeTable table = DisplayTable();
  HWND combo = GetDlgItem(dialog, IDC_FIND_WHAT);
  // The history keeps 255 bytes of each text, hex digits included: a
  // longer one would come back cut.
  SendMessageW(combo, CB_LIMITTEXT, kMaxSearchText, 0);
  for (int i = 0; i < list.count && i < kRecentSearches; ++i) {
    const std::string& entry = list.entries[static_cast<size_t>(i)];
    find.shown.push_back(find.hex ? WideFromNarrow(entry) : DisplayText(entry, table));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(find.shown.back().c_str()));
  }
  const SearchState& search = Search();
  if (!find.shown.empty()) {
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
  } else if (!search.pattern.empty()) {
    const std::wstring current =
        find.hex ? HexDigitsOf(search.pattern) : DisplayText(search.pattern, table);
    SetWindowTextW(combo, current.c_str());
  }
  if (!find.hex) Check(dialog, IDC_FIND_CASE, search.flags & kSearchCaseSensitive);
  Check(dialog, IDC_FIND_FROM_TOP, search.flags & kSearchFromTop);
  Check(dialog, IDC_FIND_MARK_ALL, search.flags & kSearchMarkAll);
}

void BadLength(HWND dialog, const std::wstring& message) {
  FrameNotifier().Message(message, kBadOptionsCaption, kIconHand,
                          reinterpret_cast<uintptr_t>(dialog));
  FocusCombo(dialog);
}

void FindText(HWND dialog, const FindDialog& find) {
  const std::wstring typed = ItemText(dialog, IDC_FIND_WHAT);
  if (!SearchTextLengthOk(typed)) {
    BadLength(dialog, SearchLengthMessage());
    FrameNotifier().Beep(kIconAsterisk);
    return;
  }
  StartTextSearch(Picked(dialog, find, typed), typed, ViewOptions().CurrentOptions,
                  Checked(dialog, IDC_FIND_CASE), Checked(dialog, IDC_FIND_FROM_TOP),
                  Checked(dialog, IDC_FIND_MARK_ALL));
  EndDialog(dialog, 1);
}

// Checks the digits and shows their bytes; on a bad digit the error line
// names it and the edit field selects it, so typing replaces it.
bool PreviewHex(HWND dialog, int minimum, std::string& bytes) {
  SetDlgItemTextW(dialog, IDC_FIND_ERROR, L" ");
  // A picked entry shows exactly as listed, so the field's text is it.
  const std::wstring text = ItemText(dialog, IDC_FIND_WHAT);
  HexTextCheck check = CheckHexText(text, minimum);
  switch (check.result) {
    case HexTextCheck::kBadLength:
      BadLength(dialog, HexLengthMessage());
      return false;
    case HexTextCheck::kBadDigit: {
      const int at = check.badIndex;
      SetDlgItemTextW(dialog, IDC_FIND_ERROR,
                      InvalidHexDigitMessage(text[static_cast<size_t>(at)]).c_str());
      FocusCombo(dialog);
      SendDlgItemMessageW(dialog, IDC_FIND_WHAT, CB_SETEDITSEL, 0, MAKELPARAM(at, at + 1));
      return false;
    }
    case HexTextCheck::kOk:
      break;
  }
  SetDlgItemTextW(dialog, IDC_FIND_SHOWN, DisplayText(check.bytes, DisplayTable()).c_str());
  bytes = std::move(check.bytes);
  return true;
}

void FindHex(HWND dialog, const FindDialog& find) {
  std::string bytes;
  if (!PreviewHex(dialog, 1, bytes)) return;
  const std::wstring typed = ItemText(dialog, IDC_FIND_WHAT);
  StartHexSearch(Picked(dialog, find, typed), typed, bytes, Checked(dialog, IDC_FIND_FROM_TOP),
                 Checked(dialog, IDC_FIND_MARK_ALL));
  EndDialog(dialog, 1);
}

INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    Fill(dialog, *reinterpret_cast<FindDialog*>(lParam));
    if (FindDialogHook()) FindDialogHook()(dialog);
    return TRUE;
  }
  auto* find = reinterpret_cast<FindDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || !find) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      find->hex ? FindHex(dialog, *find) : FindText(dialog, *find);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_FIND_PREVIEW:
      if (find->hex) {
        std::string bytes;
        PreviewHex(dialog, 0, bytes);
      }
      return TRUE;
    case IDC_FIND_HELP:
      ShowDialogHelp(dialog, find->helpContext);
      return TRUE;
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
  FindDialog find{false, RecentTexts(), 160, {}};
  return Run(owner, L"FindTextOptions", find);
}

int FindHexDialog(HWND owner) {
  FindDialog find{true, RecentHex(), 170, {}};
  return Run(owner, L"FindHexOptions", find);
}

}  // namespace zorvo
