// Edit > Go To: the top, the bottom, a byte position or a page number.
#include <windows.h>

#include "viewer/frame/go_to.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"

namespace zorvo {

namespace {

constexpr int kChoices[] = {IDC_GOTO_TOP, IDC_GOTO_BOTTOM, IDC_GOTO_OFFSET, IDC_GOTO_PAGE};
constexpr int kEntryLimit = 16;

struct GoToState {
  GoToRequest& request;
};

// Kept from one use to the next, for a caller that gives none.
GoToLimits& Limits() {
  static GoToLimits limits;
  return limits;
}

HWND openDialog = nullptr;  // while it is shown

int32_t ModeOf(int button) { return button - IDC_GOTO_TOP + kGoToTop; }

int32_t ChosenMode(HWND dialog) {
  for (const int button : kChoices) {
    if (IsDlgButtonChecked(dialog, button) == BST_CHECKED) return ModeOf(button);
  }
  return kGoToNone;
}

void ShowChoice(HWND dialog, int32_t mode) {
  const GoToFieldTexts texts = GoToFields(mode, Limits());
  HWND entry = GetDlgItem(dialog, IDC_GOTO_ENTRY);
  SetWindowTextW(entry, texts.entry.c_str());
  SetDlgItemTextW(dialog, IDC_GOTO_HINT, texts.hint.c_str());
  EnableWindow(entry, texts.enabled);
  if (texts.enabled) {
    // Focused through the dialog, which selects all of its text.
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(entry), TRUE);
    SendMessageW(entry, EM_SETSEL, 0, -1);
  }
}

void Init(HWND dialog) {
  SendDlgItemMessageW(dialog, IDC_GOTO_ENTRY, EM_LIMITTEXT, kEntryLimit, 0);
  CheckRadioButton(dialog, IDC_GOTO_TOP, IDC_GOTO_PAGE, IDC_GOTO_TOP);
  ShowChoice(dialog, kGoToTop);
  EnableWindow(GetDlgItem(dialog, IDC_GOTO_PAGE), Limits().pages >= 1);
  SetFocus(GetDlgItem(dialog, IDC_GOTO_TOP));
}

void Accept(HWND dialog, GoToState& state) {
  const int32_t mode = ChosenMode(dialog);
  int64_t value = 0;
  switch (mode) {
    case kGoToNone:
      FrameNotifier().Beep(kIconAsterisk);
      return;
    case kGoToOffset:
      if (!CheckOffsetField(dialog, IDC_GOTO_ENTRY, 0, Limits().fileLength, L"File Offset",
                            value)) {
        return;
      }
      break;
    case kGoToPage:
      if (!CheckOffsetField(dialog, IDC_GOTO_ENTRY, 1, Limits().pages, L"Page Number", value)) {
        return;
      }
      break;
    default:
      break;
  }
  state.request = MakeGoToRequest(mode, value);
  EndDialog(dialog, 1);
}

INT_PTR HandleGoTo(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    openDialog = dialog;
    Init(dialog);
    DialogReady(dialog);
    return FALSE;  // the focus is set: on the first choice
  }
  if (message == WM_DESTROY && dialog == openDialog) openDialog = nullptr;
  auto* state = reinterpret_cast<GoToState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || !state) return FALSE;
  const int id = LOWORD(wParam);
  switch (id) {
    case IDC_GOTO_TOP:
    case IDC_GOTO_BOTTOM:
    case IDC_GOTO_OFFSET:
    case IDC_GOTO_PAGE:
      if (HIWORD(wParam) == BN_CLICKED && IsDlgButtonChecked(dialog, id) == BST_CHECKED) {
        ShowChoice(dialog, ModeOf(id));
      }
      return TRUE;
    case IDOK:
      Accept(dialog, *state);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void GoToPagesKnown(int32_t pages) {
  // Only more: an index that went meanwhile leaves the range as it was, and
  // the page is then reported as not found.
  if (!openDialog || pages <= Limits().pages) return;
  Limits().pages = pages;
  EnableWindow(GetDlgItem(openDialog, IDC_GOTO_PAGE), TRUE);
  if (ChosenMode(openDialog) != kGoToPage) return;
  HWND hint = GetDlgItem(openDialog, IDC_GOTO_HINT);
  SetWindowTextW(hint, GoToFields(kGoToPage, Limits()).hint.c_str());
  // Painted now: a paint left waiting would hold up the indexing that
  // follows when the window is idle.
  UpdateWindow(hint);
}

int GoToDialog(HWND owner, const GoToLimits* limits, GoToRequest& request) {
  if (limits) Limits() = *limits;
  GoToState state{request};
  return RunDialog(owner, L"GoToDlg", &GuardedDialogProc<HandleGoTo>, &state);
}

}  // namespace zorvo
