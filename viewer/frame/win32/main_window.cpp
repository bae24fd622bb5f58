// The main window's procedure: creation and destruction, the private
// messages, opening and closing files, and the command table.
#include <windows.h>
// windows.h first: the others build on it.
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <list>
#include <memory>
#include <new>
#include <string>

#include "common/exception_guard.h"
#include "common/notifier.h"
#include "common/program_path.h"
#include "viewer/file/search.h"
#include "viewer/frame/error_report.h"
#include "viewer/frame/view_state.h"
#include "viewer/frame/win32/dialogs.h"
#include "viewer/frame/win32/find_dialogs.h"
#include "viewer/frame/win32/frame.h"
#include "viewer/frame/win32/frame_parts.h"
#include "viewer/frame/win32/startup.h"
#include "viewer/resources/resource.h"
#include "viewer/settings/format_options.h"
#include "viewer/settings/recent_lists.h"
#include "viewer/settings/setups.h"
#include "viewer/settings/user_skip_counts.h"

namespace zorvo {

namespace {

HINSTANCE instance = nullptr;
constexpr wchar_t kHelpFile[] = L"ZORVO.HLP";
Notifier* frameNotifier = nullptr;

// Hands every message to the frame's notifier of the moment.
class FrameMessages : public Notifier {
 public:
  int Message(const std::wstring& text, const std::wstring& caption, uint32_t style,
              uintptr_t owner) override {
    return FrameNotifier().Message(text, caption, style, owner);
  }
  void Beep(uint32_t style) override { FrameNotifier().Beep(style); }
};

RebuildContext& Rebuilder(Viewer& app) {
  static FrameMessages messages;
  if (!app.doc.rebuild) {
    app.doc.rebuild = std::make_unique<RebuildContext>(app.doc.file, messages, &app.doc.marker);
  }
  return *app.doc.rebuild;
}

// The name part of a path: the text after its last backslash.
std::wstring NamePart(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

void Repaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void Warn() { FrameNotifier().Beep(kIconExclamation); }

// The names posted with UM_OPEN_FILE, held here from the post until the
// message is handled; a list, so that each keeps its characters in place.
std::list<std::wstring>& PostedNames() {
  static std::list<std::wstring> names;
  return names;
}

// The name a UM_OPEN_FILE message carries, copied; when it was posted, the
// held one is let go.
std::wstring TakeName(LPARAM lParam) {
  const auto* name = reinterpret_cast<const wchar_t*>(lParam);
  std::wstring copy(name);
  PostedNames().remove_if([name](const std::wstring& held) { return held.c_str() == name; });
  return copy;
}

void ClearTags(TagList& tags) { tags.count = 0; }

// The display bytes of the line at the top of the window, cut to `limit`.
std::string TopLineText(Viewer& app, int32_t limit) {
  const LineTable& table = app.doc.screen;
  if (app.doc.file.path.empty() || table.Acur >= table.Alast) return {};
  const int32_t length = std::clamp(table[table.Acur].length, 0, limit);
  return std::string(table.TextOf(table.Acur), static_cast<size_t>(length));
}

void ResetTable(LineTable& table) {
  table.Acur = table.Afirst = table.Alast = 0;
  table.Tend = 0;
  table[0] = LineEntry{0, 0, -1, 0, 0};
}

// The Open dialog: returns 1 when a file was chosen (UM_OPEN_FILE posted).
LRESULT OpenDialog(HWND window) {
  Viewer& app = ViewerOf(window);
  std::wstring& startup = app.startup.commandLine.startupFile;
  std::wstring name = NamePart(startup);
  const size_t cut = startup.find_last_of(L"\\/");
  std::wstring directory;
  if (cut != std::wstring::npos) {
    directory = startup.substr(0, cut);
    startup = name;  // later dialogs start in the dialog's own current folder
  }
  // "Any File (*.*)" and a "Default (name)" entry whose pattern is the name.
  std::wstring filter = L"Any File (*.*)";
  filter.push_back(L'\0');
  filter += L"*.*";
  filter.push_back(L'\0');
  filter += L"Default (" + name + L")";
  filter.push_back(L'\0');
  filter += name;
  filter.push_back(L'\0');
  wchar_t file[MAX_PATH] = {};
  name.copy(file, MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = name.find_first_of(L"*?") != std::wstring::npos ? 2 : 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetOpenFileNameW(&dialog)) return 0;
  PostOpenFile(window, file);
  return 1;
}

void OpenFileNamed(HWND window, const std::wstring& name) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  FileRecord& file = app.doc.file;
  SendMessageW(window, PG_CANCEL, 0, 0);
  file.path = name.substr(0, 261);
  view.horizontalOffset = 0;
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  AddRecentFile(app.settings, file.path);  // may take the listed spelling
  // Only the length: the reader opens the file again for every block.
  file.Flen = 0;
  file.Fcur = 0;
  HANDLE handle = CreateFileW(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER size;
    if (GetFileSizeEx(handle, &size)) file.Flen = size.QuadPart;
    CloseHandle(handle);
  }
  ClearTags(app.doc.tags);
  ResetTable(app.doc.screen);
  view.caption = NamePart(file.path) + L" - " + kAppTitle;
  SetWindowTextW(window, view.caption.c_str());
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  InvalidateRect(window, nullptr, FALSE);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetFocus(window);
  PostMessageW(window, UM_RELOAD, 0, 0);
  PostMessageW(window, PG_START, 0, 0);
}

void CloseFile(HWND window) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  view.horizontalOffset = 0;
  SendMessageW(window, PG_CANCEL, 0, 0);
  SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
  view.caption = kAppTitle;
  SetWindowTextW(window, kAppTitle);
  app.doc.file.path.clear();
  app.doc.file.Flen = 0;
  ClearTags(app.doc.tags);
  ResetTable(app.doc.screen);
  InvalidateRect(window, nullptr, TRUE);
}

LRESULT OpenIfExists(HWND window, WPARAM offerDialog, const wchar_t* name) {
  if (name) {
    HANDLE handle =
        CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      CloseHandle(handle);
      std::wstring copy = std::wstring(name).substr(0, MAX_PATH - 1);
      SendMessageW(window, UM_OPEN_FILE, 0, reinterpret_cast<LPARAM>(copy.c_str()));
      return 1;
    }
  }
  return offerDialog == 1 ? OpenDialog(window) : 0;
}

LRESULT OpenPath(HWND window, WPARAM offerDialog, const wchar_t* path) {
  if (!path) return 0;
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::wstring copy = std::wstring(path).substr(0, MAX_PATH - 1);
    SendMessageW(window, UM_OPEN_FILE2, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    return 1;
  }
  return offerDialog == 1 ? OpenDialog(window) : 0;
}

// Switching format keeps each format's own options word.
void SetDisplayFormat(HWND window, int format) {
  Viewer& app = ViewerOf(window);
  FormatOptions& options = app.settings.options;
  options.Options[std::clamp<int32_t>(options.Format, kFormatText, kFormatRaw)] =
      options.CurrentOptions;
  options.Format = format;
  options.CurrentOptions = options.Options[format];
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
}

void ToggleWrap(HWND window) {
  Viewer& app = ViewerOf(window);
  FormatOptions& options = app.settings.options;
  options.CurrentOptions ^= kOptWrap;
  options.Options[std::clamp<int32_t>(options.Format, kFormatText, kFormatRaw)] =
      options.CurrentOptions;
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
}

void SetAlwaysOnTop(HWND window, bool on) {
  Viewer& app = ViewerOf(window);
  app.doc.view.alwaysOnTop = on;
  if (!SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                    SWP_NOMOVE | SWP_NOSIZE)) {
    Warn();
  }
}

void Zoom(HWND window, int steps, bool reset) {
  Viewer& app = ViewerOf(window);
  app.doc.view.zoomSteps = reset ? 0 : app.doc.view.zoomSteps + steps;
  SendMessageW(window, UM_FONT, 0, 0);
  app.doc.view.layoutWidth = -1;
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
  Repaint(window);
}

// Command 167: the setup named by CurrentSetup, and what it changes.
void ApplySetup(HWND window) {
  Viewer& app = ViewerOf(window);
  ReloadSetup(app.settings, CreateTitleBuffers(app.doc.titles, false, FrameNotifier()));
  SyncFollowTimer(window);
  SendMessageW(window, UM_FONT, 0, 0);
  SendMessageW(window, UM_LAYOUT, 0, kLayoutRebuild);
  Repaint(window);
}

// After the options or the font changed: a new font, and a layout that
// rebuilds the lines.
void RemakeFont(HWND window) {
  Viewer& app = ViewerOf(window);
  app.doc.view.layoutWidth = -1;
  SendMessageW(window, UM_FONT, 0, 0);
  PostMessageW(window, UM_LAYOUT, 0, -2);
}

void ShowHelp(HWND window) {
  std::wstring path = ProgramPath();
  const size_t dot = path.find_last_of(L'.');
  if (dot != std::wstring::npos) path.resize(dot);
  path += L".htm";
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(window, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result < 32) Warn();
}

// The commands that do nothing without an open file.
bool NeedsFile(int id) {
  static constexpr int kNeedFile[] = {
      IDM_PRINT,     IDM_PRINTPAGE,  IDM_PRINTALL,    IDM_PRINTTAGS,  IDM_PRINTTAGSNOW,
      IDM_CLOSE,     IDM_SIDES,      IDM_TOGGLE,      IDM_NEXTMARK,   IDM_UNMARKALL,
      IDM_SETMARKS,  IDM_RESETMARKS, IDM_FREEZETITLE, IDM_CLEARTITLE, IDM_FINDTEXT,
      IDM_FINDHEX,   IDM_FINDNEXT,   IDM_MARKALL,     IDM_GOTO,       IDM_COPY,
      IDM_SELECTALL, IDM_UNSELECT,   IDM_COPYTAGS};
  return std::find(std::begin(kNeedFile), std::end(kNeedFile), id) != std::end(kNeedFile);
}

void Command(HWND window, int id, LPARAM lParam) {
  Viewer& app = ViewerOf(window);
  if (PartCommandDone(window, id, lParam)) return;
  const bool file = !app.doc.file.path.empty();
  if (!file && NeedsFile(id)) return;
  switch (id) {
    case IDM_OPEN:
      OpenDialog(window);
      return;
    case IDM_EXIT:
      SendMessageW(window, WM_CLOSE, 0, 0);
      return;
    case IDM_CLOSE:
      if (file) CloseFile(window);
      return;
    case IDM_CONTENTS:
      ShowHelp(window);
      return;
    case IDM_ABOUT:
      AboutDialog(window);
      return;
    case IDM_APPLYSETUP:
      ApplySetup(window);
      return;
    case IDM_FINDTEXT:
    case IDM_FINDHEX:
      if (!file) return;
      if (id == IDM_FINDTEXT ? FindTextDialog(window) : FindHexDialog(window)) {
        if (app.search.pattern.empty()) {
          Warn();  // hex digits that make no byte
          return;
        }
        if (app.search.flags & kSearchFromTop) app.doc.view.searchPosition = 0;
        PostMessageW(window, WM_COMMAND,
                     (app.search.flags & kSearchMarkAll) ? IDM_MARKALL : IDM_FINDNEXT, 0);
      }
      return;
    case IDM_FITFONT:
      FitFontSize(window);
      return;
    case IDM_SELECTALL:
      if (file) SelectAll(window);
      return;
    case IDM_UNSELECT:
      if (file) {
        SendMessageW(window, UM_SELECT_CLEAR, 0, 0);
        Repaint(window);
      }
      return;
    case IDM_TEXT:
    case IDM_HEX:
    case IDM_RAW:
      SetDisplayFormat(window, id - IDM_TEXT);
      return;
    case IDM_WRAP:
      ToggleWrap(window);
      return;
    case IDM_ONTOP:
      SetAlwaysOnTop(window, !app.doc.view.alwaysOnTop);
      return;
    case IDM_ONTOPON:
      SetAlwaysOnTop(window, true);
      return;
    case IDM_FOLLOWEND:
      ToggleFollowEnd(window);
      return;
    case IDM_ZOOMIN:
      Zoom(window, 1, false);
      return;
    case IDM_ZOOMOUT:
      Zoom(window, -1, false);
      return;
    case IDM_ZOOMRESET:
      Zoom(window, 0, true);
      return;
    case IDM_FREEZECOLUMNS:
      if (FreezeColumnsDialog(window, TopLineText(app, 511))) Repaint(window);
      return;
    case IDM_CLEARCOLUMNS:
      app.settings.options.FreezeColumns = 0;
      Repaint(window);
      return;
    case IDM_COLOR:
      ColorDialog(window);
      Repaint(window);
      return;
    case IDM_OPTIONS:
      DisplayFormattingDialog(window);
      RemakeFont(window);
      return;
    case IDM_FONT:
      if (ChooseScreenFont(window)) RemakeFont(window);
      return;
    case IDM_GOTO:
      if (file) GoToCommand(window);
      return;
    default:
      break;
  }
  if (MarkCommand(window, id)) return;
  if (SearchCommand(window, id)) return;
  if (CopyCommand(window, id)) return;
  if (SetupCommand(window, id)) return;
  if (id >= IDM_RECENT && id < IDM_RECENT + kRecentFiles) {
    const RecentFileList& recent = app.settings.recentFiles;
    const int index = id - IDM_RECENT;
    if (index < recent.count) PostOpenFile(window, recent.entries[index]);
    return;
  }
}

bool Create(HWND window) {
  Viewer& app = ViewerOf(window);
  const Startup& startup = app.startup;
  // Title lines from the profile, then from the setup named at start-up.
  if (startup.commandLine.Switch('V') != 'V') {
    LoadTitles(app.settings, kTitlesSection,
               CreateTitleBuffers(app.doc.titles, false, FrameNotifier()));
  }
  const std::wstring& setup = app.settings.setups.CurrentSetup;
  if (!setup.empty() && (SetupKindsOf(app.settings, setup) & kKindTitles)) {
    LoadTitles(app.settings, setup, CreateTitleBuffers(app.doc.titles, false, FrameNotifier()));
  }
  TrimMenus(window);
  SendMessageW(window, UM_FONT, 0, 0);
  ResetTable(app.doc.screen);
  ClearTags(app.doc.tags);
  SyncFollowTimer(window);
  DragAcceptFiles(window, TRUE);
  AppendRecentSeparator(window);
  if (!setup.empty()) {
    SendMessageW(window, WM_COMMAND, IDM_APPLYSETUP, 0);
    // Applying the setup reads its options again; the switches typed on the
    // command line still win over them.
    ApplySwitchOverrides(app.settings, startup.commandLine);
  }
  return true;
}

void Destroy(HWND window) {
  Viewer& app = ViewerOf(window);
  // No command may reach the window once it is gone.
  StopServing();
  app.doc.view.ddeState = 2;
  SendMessageW(window, PG_END, 0, 0);
  SaveRecentSearch(app.settings);
  SaveRecentFiles(app.settings);
  WinHelpW(window, kHelpFile, HELP_QUIT, 0);  // the dialogs' help is no longer needed
  DragAcceptFiles(window, FALSE);
  DestroyScreenFont();
  PostedNames().clear();  // names posted to a window that is gone
  PostQuitMessage(0);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// An exception that reached the window procedure's edge: the view shows the
// program-error report in place of the file (Home goes back to the file),
// with a stop beep; without a file the beep alone.
LRESULT ReportFailure(HWND window, UINT message) {
  Viewer& app = ViewerOf(window);
  switch (message) {
    case WM_CREATE:
      return -1;  // no window, which start-up reports
    case WM_DESTROY:
      PostQuitMessage(0);  // the program still ends
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);  // else the same paint comes back at once
      break;
    default:
      break;
  }
  LineTable& table = app.doc.screen;
  // A report already shown stays: painting it cannot fail again and again.
  if (!app.doc.file.path.empty() && !HoldsProgramError(table)) {
    ShowProgramError(kStatusFailed, app.doc.file, table);
    InvalidateRect(window, nullptr, FALSE);
  }
  FrameNotifier().Beep(kIconHand);
  return 0;
}

}  // namespace

void PostOpenFile(HWND window, const std::wstring& name) {
  std::list<std::wstring>& held = PostedNames();
  held.push_back(name.substr(0, MAX_PATH - 1));
  if (!PostMessageW(window, UM_OPEN_FILE2, 0, reinterpret_cast<LPARAM>(held.back().c_str()))) {
    held.pop_back();
  }
}

Notifier& FrameNotifier() { return frameNotifier ? *frameNotifier : PlatformNotifier(); }
void SetFrameNotifier(Notifier* notifier) { frameNotifier = notifier; }

HINSTANCE Instance() { return instance; }
void SetInstance(HINSTANCE value) { instance = value; }

WaitCursor::WaitCursor(HWND window) : window_(window) {
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  if (window_) {
    previousClass_ = SetClassLongPtrW(window_, GCLP_HCURSOR,
                                      static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(wait)));
  }
  previous_ = SetCursor(wait);
}
WaitCursor::~WaitCursor() {
  if (window_) SetClassLongPtrW(window_, GCLP_HCURSOR, static_cast<LONG_PTR>(previousClass_));
  SetCursor(previous_);
}

FormatParams CurrentParams(Viewer& app) {
  const FormatOptions& options = app.settings.options;
  FormatParams params;
  params.options = options.CurrentOptions;
  if (app.settings.globals.ShowPageGap) params.options |= kOptPageGaps;
  if (app.settings.globals.PadPageLength > 0) params.options |= kOptPagePadding;
  params.lineLength =
      app.doc.view.layoutWidth > 0 ? app.doc.view.layoutWidth : options.MaxLineLength;
  params.tabLength = options.TabLength;
  params.skipCounts = &ProfileSkipCounts(app.settings, params.options, options.CCName);
  return params;
}

PositionOutcome PositionView(HWND window, PositionKind kind, int64_t value) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  RECT pending;
  // Every rebuild reads the file: the wait cursor shows meanwhile.
  std::unique_ptr<WaitCursor> wait;
  ViewPosition position{Rebuilder(app),
                        app.doc.screen,
                        app.settings.options.Format,
                        CurrentParams(app),
                        LinesPerPage(view, TitleCount(app.doc.titles)),
                        app.settings.globals.PadPageLength,
                        GetUpdateRect(window, &pending, FALSE) != FALSE};
  auto busy = [&wait, window](bool on) {
    if (on) {
      wait = std::make_unique<WaitCursor>(window);
    } else {
      wait.reset();
    }
  };
  const PositionOutcome outcome = Position(position, PositionMessage{kind, value}, busy);
  KeepPageIndexCurrent(window, outcome.rebuilt);
  if (outcome.repaint == Repaint::kNone) return outcome;
  RECT area = TextArea(window);
  if (outcome.repaint == Repaint::kScrollUp || outcome.repaint == Repaint::kScrollDown) {
    const int dy = outcome.repaint == Repaint::kScrollUp ? -view.lineHeight : view.lineHeight;
    ScrollWindowEx(window, 0, dy, &area, &area, nullptr, nullptr, SW_INVALIDATE);
    UpdateWindow(window);
  } else {
    InvalidateRect(window, nullptr, FALSE);
  }
  return outcome;
}

Viewer& ViewerOf(HWND window) {
  // Dialogs find it through the window that owns them.
  HWND main = GetAncestor(window, GA_ROOTOWNER);
  return *reinterpret_cast<Viewer*>(GetWindowLongPtrW(main ? main : window, GWLP_USERDATA));
}

void AttachViewer(HWND window, Viewer& app) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&app));
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The viewer comes with the first message of the window's own; the few
  // before it (the size limits) go to the default procedure.
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    AttachViewer(window, *static_cast<Viewer*>(create->lpCreateParams));
  }
  if (GetWindowLongPtrW(window, GWLP_USERDATA) == 0) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return Guarded([&] { return HandleMessage(window, message, wParam, lParam); },
                 [&](GuardFailure) { return ReportFailure(window, message); });
}

namespace {

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Viewer& app = ViewerOf(window);
  ViewState& view = app.doc.view;
  switch (message) {
    case WM_CREATE:
      if (!Create(window)) return 0;
      break;
    case WM_DESTROY:
      Destroy(window);
      return 0;
    case WM_SIZE:
      view.clientWidth = LOWORD(lParam);
      view.clientHeight = HIWORD(lParam);
      if (wParam != SIZE_MINIMIZED) {
        OnLayout(window, false, true);
        return 0;
      }
      break;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_ERASEBKGND:
      if (!app.doc.file.path.empty()) return 1;  // the paint covers the client area
      break;
    case WM_KEYDOWN:
      if (OnKeyDown(window, wParam)) return 0;
      break;
    case WM_COMMAND:
      Command(window, LOWORD(wParam), lParam);
      return 0;
    case WM_CLOSE:
      if (HoldCloseForPart(window)) return 0;  // closed when the job ends
      break;
    case WM_TIMER:
      if (wParam == kTimerAbove || wParam == kTimerBelow) {
        OnDragTimer(window, wParam);
      } else if (wParam == kTimerPageIndex) {
        PostMessageW(window, PG_CONT, 0, 0);
      } else if (wParam == kTimerPageIndexResume) {
        OnPageIndexResume(window);
      } else if (wParam == kTimerFollow) {
        OnFollowTimer(window);
      }
      return 0;
    case WM_VSCROLL:
      if (OnVScroll(window, wParam)) return 0;
      break;
    case WM_HSCROLL:
      OnHScroll(window, wParam);
      return 0;
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam)) {
        UpdateMenuState(window, reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_CAPTURECHANGED:
      if (OnMouse(window, message, wParam, lParam)) return 0;
      break;
    case WM_DROPFILES: {
      auto drop = reinterpret_cast<HDROP>(wParam);
      wchar_t name[MAX_PATH] = {};
      const UINT length = DragQueryFileW(drop, 0, name, MAX_PATH);
      DragFinish(drop);
      if (length > 0) PostOpenFile(window, name);
      return 0;
    }
    case UM_RELOAD:
      PositionView(window, PositionKind::kReload, lParam);
      return 0;
    case UM_GOTO_OFFSET_RELOAD:
      PositionView(window, PositionKind::kGotoOffsetReload, OffsetOf(wParam, lParam));
      return 0;
    case UM_SCROLL_LINES:
      PositionView(window, PositionKind::kScrollLines,
                   static_cast<int32_t>(static_cast<uint32_t>(wParam)));
      return 0;
    case UM_GOTO_OFFSET:
      PositionView(window, PositionKind::kGotoOffset, OffsetOf(wParam, lParam));
      return 0;
    case UM_LAYOUT:
      OnLayout(window, lParam == kLayoutRebuild, false);
      return 0;
    case UM_FONT:
      OnFont(window);
      return 0;
    case UM_OPEN_IF_EXISTS:
      return OpenIfExists(window, wParam, reinterpret_cast<const wchar_t*>(lParam));
    case UM_OPEN_PATH:
      return OpenPath(window, wParam, reinterpret_cast<const wchar_t*>(lParam));
    case UM_OPEN_FILE:
    case UM_OPEN_FILE2:
      if (lParam) OpenFileNamed(window, TakeName(lParam));
      return 0;
    case UM_STARTUP_OPEN:
      if (SendMessageW(window, UM_OPEN_IF_EXISTS, 1, lParam) == 0) {
        PostMessageW(window, WM_CLOSE, 0, 0);
      }
      return 0;
    case UM_SELECT_START:
    case UM_SELECT_EXTEND:
      OnSelect(window, message, wParam, lParam);
      return 0;
    case UM_SELECT_CLEAR:
      view.selection.Clear();
      return 0;
    case PG_START:
    case PG_CONT:
    case PG_CANCEL:
    case PG_END:
      OnPageIndexMessage(window, message);
      return 0;
    case WM_ENDSESSION:
      // The session ends without destroying the window: delete the index now.
      if (wParam) SendMessageW(window, PG_END, 0, 0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

}  // namespace zorvo
