#include "configtool/win32/configure_dialog.h"

#include <algorithm>
#include <iterator>

#include "configtool/resource.h"
#include "configtool/win32/guarded_dialog.h"

namespace zorvo::vantric {

namespace {

constexpr wchar_t kUnloadableHelp[] = L"<unable to load the help string>";
constexpr int kHelpBuffer = 4096;  // characters, with the terminator

Notifier*& NotifierSlot() {
  static Notifier* notifier = nullptr;
  return notifier;
}
OpenFileDialog& FileDialogSlot() {
  static OpenFileDialog dialog;
  return dialog;
}
DialogHook& InitHook() {
  static DialogHook hook;
  return hook;
}

// What the dialog procedure works on, handed over with WM_INITDIALOG.
struct DialogState {
  SettingsRegistry* registry = nullptr;
  const HelpTexts* help = nullptr;
};

DialogState& State(HWND dialog) {
  return *reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

std::wstring LoadHelp(HINSTANCE instance, UINT id) {
  std::wstring text(kHelpBuffer, L'\0');
  const int length = LoadStringW(instance, id, text.data(), kHelpBuffer);
  if (length <= 0) return kUnloadableHelp;
  text.resize(static_cast<size_t>(length));
  return text;
}

// A field's text as it is stored: at most kMaxSettingLength characters.
std::wstring FieldText(HWND dialog, int id) {
  wchar_t text[kMaxSettingLength + 1] = {};
  GetDlgItemTextW(dialog, id, text, static_cast<int>(std::size(text)));
  return text;
}

constexpr int kFields[] = {IDC_MENU_TEXT, IDC_STATUS_TEXT, IDC_VIEWER_PATH};

void FillFields(HWND dialog, const ContextMenuSettings& settings) {
  // A field holds no more than is stored, so what is typed is what is kept.
  for (int id : kFields) SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, kMaxSettingLength, 0);
  SetDlgItemTextW(dialog, IDC_MENU_TEXT, settings.menuText.c_str());
  SetDlgItemTextW(dialog, IDC_STATUS_TEXT, settings.helpText.c_str());
  SetDlgItemTextW(dialog, IDC_VIEWER_PATH, settings.viewerPath.c_str());
}

void ShowFieldHelp(HWND dialog, int field) {
  const HelpTexts& help = *State(dialog).help;
  const std::wstring* text = field == IDC_MENU_TEXT     ? &help.menuText
                             : field == IDC_STATUS_TEXT ? &help.statusText
                             : field == IDC_VIEWER_PATH ? &help.viewerPath
                                                        : nullptr;
  SetDlgItemTextW(dialog, IDC_FIELD_HELP, text ? text->c_str() : L"");
}

// OK: written and closed, or the failure shown and the dialog left open
// with the user's input.
void SaveAndClose(HWND dialog) {
  ContextMenuSettings settings;
  settings.menuText = FieldText(dialog, IDC_MENU_TEXT);
  settings.helpText = FieldText(dialog, IDC_STATUS_TEXT);
  settings.viewerPath = FieldText(dialog, IDC_VIEWER_PATH);
  if (const auto failure = SaveContextMenuSettings(*State(dialog).registry, settings)) {
    ReportError(dialog, failure->message, failure->error);
    return;
  }
  EndDialog(dialog, IDOK);
}

INT_PTR HandleConfigure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      CentreDialog(dialog);
      FillFields(dialog, LoadContextMenuSettings(*State(dialog).registry));
      if (InitHook()) InitHook()(dialog);
      return TRUE;  // the focus goes to the menu text
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      switch (id) {
        case IDOK:
          SaveAndClose(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_BROWSE:
          if (code == BN_CLICKED) BrowseForViewer(dialog);
          return TRUE;
      }
      if (code == EN_SETFOCUS) {
        ShowFieldHelp(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

bool ShowOpenFile(OPENFILENAMEW& request, DWORD& error) {
  if (FileDialogSlot()) return FileDialogSlot()(request, error);
  if (GetOpenFileNameW(&request)) return true;
  error = CommDlgExtendedError();
  return false;
}

}  // namespace

Notifier& ToolNotifier() { return NotifierSlot() ? *NotifierSlot() : PlatformNotifier(); }
void SetToolNotifier(Notifier* notifier) { NotifierSlot() = notifier; }
void SetOpenFileDialog(OpenFileDialog dialog) { FileDialogSlot() = std::move(dialog); }
void SetDialogInitHook(DialogHook hook) { InitHook() = std::move(hook); }

HelpTexts LoadHelpTexts(HINSTANCE instance) {
  return {LoadHelp(instance, IDS_HELP_MENU_TEXT), LoadHelp(instance, IDS_HELP_STATUS_TEXT),
          LoadHelp(instance, IDS_HELP_VIEWER_PATH)};
}

INT_PTR RunConfigureDialog(HINSTANCE instance, HWND owner, SettingsRegistry& registry,
                           const HelpTexts& help) {
  DialogState state{&registry, &help};
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONFIGURE), owner,
                         &GuardedDialogProc<HandleConfigure>, reinterpret_cast<LPARAM>(&state));
}

void BrowseForViewer(HWND dialog) {
  HWND field = GetDlgItem(dialog, IDC_VIEWER_PATH);
  SetFocus(field);
  wchar_t file[MAX_PATH] = {};
  GetWindowTextW(field, file, MAX_PATH);
  const auto startOnDefault = [&file] {
    std::fill(std::begin(file), std::end(file), L'\0');
    std::copy(std::begin(kDefaultViewerPath), std::end(kDefaultViewerPath), file);
  };
  if (file[0] == L'\0') startOnDefault();

  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = dialog;
  request.lpstrFilter = L"Zorvo.exe\0Zorvo.exe\0";
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = MAX_PATH;
  request.lpstrTitle = L"Locate Zorvo.exe";
  request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOTESTFILECREATE;
  DWORD error = 0;
  bool chosen = ShowOpenFile(request, error);
  if (!chosen && error == FNERR_INVALIDFILENAME) {
    // The field holds no usable file name: start on the program's own.
    startOnDefault();
    error = 0;
    chosen = ShowOpenFile(request, error);
  }
  if (chosen) {
    SetWindowTextW(field, file);
  } else if (error != 0) {
    ReportError(dialog,
                L"Cannot display the \"Browse\" dialog.\n\nError " + std::to_wstring(error) + L".");
  }
}

void ReportError(HWND dialog, const std::wstring& message, std::optional<uint32_t> systemError) {
  ToolNotifier().Message(ErrorReportText(message, systemError), L"Error", kIconExclamation,
                         reinterpret_cast<uintptr_t>(dialog));
}

}  // namespace zorvo::vantric
