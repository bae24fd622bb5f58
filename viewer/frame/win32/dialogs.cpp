// What every dialog shares: running it, the init hook of the window tests,
// the field checks and their messages, and help.
#include "viewer/frame/win32/dialogs.h"

#include <algorithm>
#include <utility>

#include "viewer/frame/win32/frame.h"
#include "viewer/settings/field_checks.h"
#include "viewer/settings/profile_store.h"

namespace zorvo {

namespace {

DialogHook& InitHook() {
  static DialogHook hook;
  return hook;
}

// A failed check: its message over the dialog, the focus on the field, and
// the information beep that says the dialog stays.
bool Refuse(HWND dialog, int field, const std::wstring& message) {
  FrameNotifier().Message(message, L"Bad Options", kIconHand, reinterpret_cast<uintptr_t>(dialog));
  // Through the dialog, so that the default button and the selection follow.
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, field)), TRUE);
  FrameNotifier().Beep(kIconAsterisk);
  return false;
}

std::wstring NameOf(const wchar_t* name) { return name ? name : L""; }

}  // namespace

void SetDialogInitHook(DialogHook hook) { InitHook() = std::move(hook); }

void DialogReady(HWND dialog) {
  if (InitHook()) InitHook()(dialog);
}

INT_PTR DialogFailed(HWND dialog) {
  FrameNotifier().Beep(kIconHand);
  EndDialog(dialog, 0);
  return TRUE;
}

int RunDialog(HWND owner, const wchar_t* name, DLGPROC procedure, void* state) {
  const INT_PTR result =
      DialogBoxParamW(Instance(), name, owner, procedure, reinterpret_cast<LPARAM>(state));
  if (result == -1) FrameNotifier().Beep(kIconExclamation);
  return result == 1 ? 1 : 0;
}

std::wstring DialogItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::wstring text(static_cast<size_t>(std::max(GetWindowTextLengthW(control), 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(
      std::max(GetWindowTextW(control, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

bool CheckIntField(HWND dialog, int field, int min, int max, const wchar_t* name, int& value) {
  const IntFieldCheck check = CheckIntText(DialogItemText(dialog, field), min, max, NameOf(name));
  if (!check.value) return Refuse(dialog, field, check.message);
  value = *check.value;
  return true;
}

bool CheckDecimalField(HWND dialog, int field, int decimals, int max, const wchar_t* name,
                       int& value) {
  const FieldCheck check = CheckDecimalText(DialogItemText(dialog, field), decimals, max,
                                            NameOf(name), ReadMeasurementSettings().decimal);
  if (!check.value) return Refuse(dialog, field, check.message);
  value = static_cast<int>(*check.value);
  return true;
}

bool CheckOffsetField(HWND dialog, int field, int64_t min, int64_t max, const wchar_t* name,
                      int64_t& value) {
  const FieldCheck check = CheckOffsetText(DialogItemText(dialog, field), min, max, NameOf(name));
  if (!check.value) return Refuse(dialog, field, check.message);
  value = *check.value;
  return true;
}

bool CheckChoice(HWND dialog, int list, const wchar_t* name, int& selection) {
  const auto chosen = static_cast<int>(SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0));
  if (chosen == CB_ERR) return Refuse(dialog, list, ChoiceMessage(NameOf(name)));
  selection = chosen;
  return true;
}

void ShowDialogHelp(HWND dialog, DWORD context) {
  if (!WinHelpW(dialog, L"ZORVO.HLP", HELP_CONTEXT, context)) {
    FrameNotifier().Beep(kIconExclamation);
  }
}

}  // namespace zorvo
