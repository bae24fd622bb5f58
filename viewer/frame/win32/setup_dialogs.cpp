// Format > Save Options, Save Setup and Load Setup: the three dialogs and
// the commands around them. What is written and loaded is the settings'
// (setups.cpp); these choose the kinds and the names.
#include <windows.h>

#include <algorithm>
#include <string>

#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/setups.h"

namespace zorvo {

namespace {

constexpr DWORD kSaveOptionsHelp = 224;
constexpr DWORD kSetupHelp = 208;
constexpr int kSetupNameLimit = 504;  // with the prefix, within the 512 of the name entry

KindBoxes ReadBoxes(HWND dialog) {
  KindBoxes boxes{};
  for (int i = 0; i < kKindBoxCount; ++i) {
    boxes[i] = static_cast<int>(IsDlgButtonChecked(dialog, IDC_KIND_FORMAT + i));
  }
  return boxes;
}

void ShowBoxes(HWND dialog, const KindBoxes& boxes) {
  for (int i = 0; i < kKindBoxCount; ++i) {
    CheckDlgButton(dialog, IDC_KIND_FORMAT + i, static_cast<UINT>(boxes[i]));
  }
}

bool IsKindBox(int id) { return id >= IDC_KIND_FORMAT && id < IDC_KIND_FORMAT + kKindBoxCount; }

// The names of "Setup List"; sorted by the control.
void FillNames(Viewer& app, HWND control, UINT add) {
  for (const std::wstring& name : SetupList(app.settings)) {
    SendMessageW(control, add, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
}

// The current setup's name, without its prefix; empty when there is none.
std::wstring CurrentSetupName(Viewer& app) {
  const std::wstring& current = app.settings.setups.CurrentSetup;
  const std::wstring prefix = kSetupPrefix;
  return current.size() > prefix.size() ? current.substr(prefix.size()) : std::wstring();
}

void SetupMessage(HWND dialog, const std::wstring& text) {
  FrameNotifier().Message(text, kAppTitle, kIconHand, reinterpret_cast<uintptr_t>(dialog));
}

// --- Save Options ---

struct SaveOptionsState {
  BoxKinds chosen;
};

INT_PTR HandleSaveOptions(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      ShowBoxes(dialog, SaveOptionsBoxes());
      EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
      DialogReady(dialog);
      return TRUE;
    case WM_COMMAND: {
      auto* state = reinterpret_cast<SaveOptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      const int id = LOWORD(wParam);
      if (IsKindBox(id)) {
        EnableWindow(GetDlgItem(dialog, IDOK), !AllBoxesGrey(ReadBoxes(dialog)));
        return TRUE;
      }
      switch (id) {
        case IDOK: {
          const KindBoxes boxes = ReadBoxes(dialog);
          if (AllBoxesGrey(boxes) || !state) return TRUE;  // nothing to do: stay
          state->chosen = KindsFromBoxes(boxes);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_SETUP_HELP:
          ShowDialogHelp(dialog, kSaveOptionsHelp);
          return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// --- Save Setup As ---

std::wstring ComboText(HWND combo) {
  const auto selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (selected != CB_ERR) {
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length >= 0) {
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                   reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<size_t>(length));
      return text;
    }
  }
  const int length = GetWindowTextLengthW(combo);
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(combo, text.data(), length + 1)));
  return text;
}

void SaveSetupOk(HWND dialog) {
  Viewer& app = ViewerOf(dialog);
  HWND combo = GetDlgItem(dialog, IDC_SETUP_NAME);
  // The picked entry, or the text typed when none is picked.
  const std::wstring name = ComboText(combo);
  SetupState& setups = app.settings.setups;
  setups.SetupNameEntry = kSetupPrefix + name;
  const std::wstring message = CheckSetupName(name);
  if (!message.empty()) {
    SetupMessage(dialog, message);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
    return;
  }
  setups.SetupKinds = KindsFromBoxes(ReadBoxes(dialog)).kinds;
  if (setups.SetupKinds == 0) return;
  setups.CurrentSetup = setups.SetupNameEntry;
  EndDialog(dialog, 1);
}

INT_PTR HandleSaveSetup(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  Viewer& app = ViewerOf(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      HWND combo = GetDlgItem(dialog, IDC_SETUP_NAME);
      SendMessageW(combo, CB_LIMITTEXT, kSetupNameLimit, 0);
      FillNames(app, combo, CB_ADDSTRING);
      const std::wstring current = CurrentSetupName(app);
      if (!current.empty()) {
        const auto at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(current.c_str()));
        if (at != CB_ERR) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
      }
      ShowBoxes(dialog, SaveSetupBoxes(app.settings.setups.SetupKinds));
      EnableWindow(GetDlgItem(dialog, IDOK), KindsFromBoxes(ReadBoxes(dialog)).kinds != 0);
      DialogReady(dialog);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (IsKindBox(id)) {
        EnableWindow(GetDlgItem(dialog, IDOK), KindsFromBoxes(ReadBoxes(dialog)).kinds != 0);
        return TRUE;
      }
      if (id == IDC_SETUP_NAME && HIWORD(wParam) == CBN_EDITCHANGE) {
        // A name typed over a picked one is the typed name.
        SendDlgItemMessageW(dialog, IDC_SETUP_NAME, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return TRUE;
      }
      switch (id) {
        case IDOK:
          SaveSetupOk(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

// --- Load Setup ---

void LoadSetupOk(HWND dialog) {
  Viewer& app = ViewerOf(dialog);
  HWND list = GetDlgItem(dialog, IDC_SETUP_LIST);
  const auto selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) {
    FrameNotifier().Beep(kIconAsterisk);
    return;
  }
  const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
  std::wstring name(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(selected),
               reinterpret_cast<LPARAM>(name.data()));
  name.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
  SetupState& setups = app.settings.setups;
  setups.SetupNameEntry = kSetupPrefix + name;
  std::wstring message;
  const std::wstring section = LoadSetupSection(name, message);
  if (!message.empty()) {
    SetupMessage(dialog, message);
    FrameNotifier().Beep(kIconHand);
    return;
  }
  setups.CurrentSetup = section;
  EndDialog(dialog, 1);
}

INT_PTR HandleLoadSetup(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  Viewer& app = ViewerOf(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(dialog, IDC_SETUP_LIST);
      FillNames(app, list, LB_ADDSTRING);
      const std::wstring current = CurrentSetupName(app);
      if (!current.empty()) {
        const auto at = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(current.c_str()));
        if (at != LB_ERR) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
      }
      DialogReady(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SETUP_LIST:
          if (HIWORD(wParam) != LBN_DBLCLK) return FALSE;
          [[fallthrough]];
        case IDOK:
          LoadSetupOk(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

WindowRect RectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return WindowRect{rect.left, rect.top, rect.right, rect.bottom};
}

void SaveOptions(HWND window) {
  Viewer& app = ViewerOf(window);
  SaveOptionsState state;
  if (!RunDialog(window, L"SaveOptions", &GuardedDialogProc<HandleSaveOptions>, &state)) return;
  const WindowRect rect = RectOf(window);
  // Title lines when there are any; none are saved as an empty list.
  SaveOptionsCommand(app.settings, state.chosen.kinds, state.chosen.grey, &rect,
                     app.doc.titles.get());
}

void SaveSetup(HWND window) {
  Viewer& app = ViewerOf(window);
  if (!RunDialog(window, L"SaveSetup", &GuardedDialogProc<HandleSaveSetup>, nullptr)) return;
  const WindowRect rect = RectOf(window);
  SaveSetupSection(app.settings, &rect, CreateTitleBuffers(app.doc.titles, false, FrameNotifier()));
}

void LoadSetup(HWND window) {
  Viewer& app = ViewerOf(window);
  if (!RunDialog(window, L"LoadSetup", &GuardedDialogProc<HandleLoadSetup>, nullptr)) return;
  if (app.settings.setups.CurrentSetup.empty()) return;
  // As a setup named at start-up: its kinds, then the font, the layout and
  // the screen.
  SendMessageW(window, WM_COMMAND, IDM_APPLYSETUP, 0);
}

}  // namespace

bool SetupCommand(HWND window, int id) {
  switch (id) {
    case IDM_SAVEOPTIONS:
      SaveOptions(window);
      return true;
    case IDM_SAVESETUP:
      SaveSetup(window);
      return true;
    case IDM_LOADSETUP:
      LoadSetup(window);
      return true;
    default:
      return false;
  }
}

}  // namespace zorvo
