// Vantric's real dialog, from the tool's own code and resources, on a
// registry sandbox of the test's own (two keys standing in for the per-user
// and machine-wide roots), driven by a timer inside its modal loop. Writes
// are read back with `reg query`.
#include "configtool/win32/configure_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/system_error_text.h"
#include "common/win32/registry_key.h"
#include "configtool/resource.h"
#include "configtool/win32/guarded_dialog.h"
#include "configtool/win32/windows_settings_registry.h"
#include "support/dialog_shown.h"

namespace zorvo::vantric {
namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}
std::wstring Item(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }
void Set(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
void Press(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
void Focus(HWND dialog, int id) {
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}
std::vector<BYTE> Sz(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  return {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)};
}

// The sandbox's registry, refusing one key when asked.
class TestRegistry : public SettingsRegistry {
 public:
  TestRegistry(HKEY user, HKEY machine) : inner_(user, machine) {}
  std::unique_ptr<SettingsKey> Open(RegistryRoot root, const std::wstring& path, bool create,
                                    uint32_t& error) override {
    if (root == refusedRoot && path == refusedPath) {
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    return inner_.Open(root, path, create, error);
  }
  RegistryRoot refusedRoot{};
  std::wstring refusedPath;

 private:
  WindowsSettingsRegistry inner_;
};

using Step = std::function<void(HWND dialog)>;

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    sandbox = L"Software\\ZorvoTests\\Vantric " + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, sandbox.c_str());
    ASSERT_EQ(user.Create(HKEY_CURRENT_USER, sandbox + L"\\user", KEY_ALL_ACCESS), 0);
    ASSERT_EQ(machine.Create(HKEY_CURRENT_USER, sandbox + L"\\machine", KEY_ALL_ACCESS), 0);
    registry = std::make_unique<TestRegistry>(user.get(), machine.get());
    help = LoadHelpTexts(GetModuleHandleW(nullptr));
    SetToolNotifier(&notifier);
  }
  void TearDown() override {
    SetToolNotifier(nullptr);
    SetOpenFileDialog({});
    user.Close();
    machine.Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, sandbox.c_str());
  }

  // Runs the dialog, one step per timer tick; a dialog the steps leave open
  // is cancelled, or ended with -2 if it will not go.
  INT_PTR Run(std::vector<Step> steps) {
    pending = std::move(steps);
    next = 0;
    hidden = 0;
    SetDialogInitHook([](HWND dialog) { SetTimer(dialog, 1, 5, Tick); });
    const INT_PTR result = RunConfigureDialog(GetModuleHandleW(nullptr), nullptr, *registry, help);
    SetDialogInitHook({});
    EXPECT_GE(next, pending.size()) << "the dialog closed too early";
    return result;
  }
  static void CALLBACK Tick(HWND dialog, UINT, UINT_PTR, DWORD) {
    if (WaitingToShow(dialog, hidden)) return;
    const size_t at = next++;
    if (at < pending.size()) {
      pending[at](dialog);
    } else if (at < pending.size() + 20) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
      EndDialog(dialog, -2);
    }
  }

  // "key\value TYPE data" lines of `reg query` over the sandbox, sorted.
  std::vector<std::string> RegQuery() const {
    const std::string root = "HKEY_CURRENT_USER\\" + std::string(sandbox.begin(), sandbox.end());
    std::vector<std::string> lines;
    FILE* pipe = _popen(("reg query \"" + root + "\" /s 2>nul").c_str(), "r");
    std::string key;
    char line[2048];
    while (pipe && fgets(line, sizeof line, pipe)) {
      std::string text(line, strcspn(line, "\r\n"));
      if (text.rfind(root, 0) == 0) {
        key = text.substr(root.size());
      } else if (size_t name = text.find_first_not_of(' '); name != std::string::npos) {
        const size_t type = text.find("    REG_", name);  // "    Name    REG_SZ    Data"
        const size_t data = text.find("    ", type + 4);
        lines.push_back(key + "\\" + text.substr(name, type - name) + " " +
                        text.substr(type + 4, data - type - 4) + " " + text.substr(data + 4));
      }
    }
    if (pipe) _pclose(pipe);
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  std::wstring sandbox;
  RegistryKey user, machine;
  std::unique_ptr<TestRegistry> registry;
  HelpTexts help;
  RecordingNotifier notifier;
  static inline std::vector<Step> pending;
  static inline size_t next = 0;
  static inline int hidden = 0;  // ticks that came before the dialog showed
};

TEST_F(DialogTest, AnEmptyRegistryShowsEmptyTextsAndZorvoExeInTheDesignedDialog) {
  const std::pair<int, const wchar_t*> controls[] = {{-1, L"&Menu Text:"},
                                                     {IDC_MENU_TEXT, L""},
                                                     {-1, L"&Status Text:"},
                                                     {IDC_STATUS_TEXT, L""},
                                                     {-1, L"&Zorvo Path:"},
                                                     {IDC_VIEWER_PATH, L"Zorvo.exe"},
                                                     {IDOK, L"OK"},
                                                     {IDCANCEL, L"Cancel"},
                                                     {IDC_BROWSE, L"&Browse..."},
                                                     {-1, L""},
                                                     {IDC_FIELD_HELP, help.menuText.c_str()}};
  Run({[&](HWND dialog) {
    EXPECT_EQ(TextOf(dialog), L"Configure Zorvo Context Menu");
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const auto& [id, text] : controls) {
      ASSERT_NE(child, nullptr);
      EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), id);
      EXPECT_EQ(TextOf(child), text) << id;
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  }});
}

TEST_F(DialogTest, StoredValuesFillTheFieldsAndUnusableOnesLeaveTheInitialText) {
  std::vector<BYTE> odd = Sz(L"odd"), unterminated = Sz(L"C:\\x.exe!");
  odd.push_back(0);
  // The registry completes a string followed by a terminator: end on "!".
  unterminated.resize(16);
  struct Case {
    HKEY root;
    const wchar_t* key;
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> bytes;
    int field;
    const wchar_t* expected;
  } const cases[] = {
      {user.get(), kMenuKeyPath, L"MenuText", REG_SZ, Sz(L"&Look"), IDC_MENU_TEXT, L"&Look"},
      {user.get(), kMenuKeyPath, L"MenuText", REG_DWORD, {1, 0, 0, 0}, IDC_MENU_TEXT, L""},
      {user.get(), kMenuKeyPath, L"HelpText", REG_SZ, odd, IDC_STATUS_TEXT, L""},
      {machine.get(), kViewerKeyPath, L"Path", REG_SZ, Sz(L"C:\\Z.exe"), IDC_VIEWER_PATH,
       L"C:\\Z.exe"},
      {machine.get(), kViewerKeyPath, L"Path", REG_SZ, unterminated, IDC_VIEWER_PATH, L"Zorvo.exe"},
      {user.get(), kViewerKeyPath, L"Path", REG_SZ, Sz(L"C:\\Z.exe"), IDC_VIEWER_PATH,
       L"Zorvo.exe"},  // the per-user path is not what the dialog shows
  };
  for (const Case& c : cases) {
    RegistryKey key;
    ASSERT_EQ(key.Create(c.root, c.key, KEY_SET_VALUE), 0);
    RegSetValueExW(key.get(), c.name, 0, c.type, c.bytes.data(), DWORD(c.bytes.size()));
    Run({[&](HWND dialog) { EXPECT_EQ(Item(dialog, c.field), c.expected) << c.name; }});
    RegDeleteValueW(key.get(), c.name);
  }
}

// OK writes in order and stops at the first key that refuses, reporting it
// with the system's text while the dialog stays open with the user's input.
TEST_F(DialogTest, OkWritesTheFourValuesOrStopsAtAKeyThatRefuses) {
  const std::string writes[] = {"\\machine\\SOFTWARE\\Korrin\\Zorvo\\Path REG_SZ C:\\Z\\Zorvo.exe",
                                "\\user\\SOFTWARE\\Korrin\\Plimbus\\HelpText REG_SZ Look at \"%s\"",
                                "\\user\\SOFTWARE\\Korrin\\Plimbus\\MenuText REG_SZ &Look",
                                "\\user\\SOFTWARE\\Korrin\\Zorvo\\Path REG_SZ C:\\Z\\Zorvo.exe"};
  struct Case {
    RegistryRoot root;
    const wchar_t* refused;
    std::vector<int> written;  // of `writes`
  } const cases[] = {{RegistryRoot::kLocalMachine, L"", {0, 1, 2, 3}},
                     {RegistryRoot::kLocalMachine, kViewerKeyPath, {1, 2, 3}},
                     {RegistryRoot::kCurrentUser, kViewerKeyPath, {1, 2}},
                     {RegistryRoot::kCurrentUser, kMenuKeyPath, {}}};
  for (const Case& c : cases) {
    std::vector<std::string> expected;
    for (int i : c.written) expected.push_back(writes[i]);
    registry->refusedRoot = c.root;
    registry->refusedPath = c.refused;
    notifier.shown.clear();
    std::vector<Step> steps = {[](HWND dialog) {
      Set(dialog, IDC_MENU_TEXT, L"&Look");
      Set(dialog, IDC_STATUS_TEXT, L"Look at \"%s\"");
      Set(dialog, IDC_VIEWER_PATH, L"C:\\Z\\Zorvo.exe");
      Press(dialog, IDOK);
    }};
    if (*c.refused) {
      steps.push_back([&](HWND dialog) {
        EXPECT_EQ(Item(dialog, IDC_VIEWER_PATH), L"C:\\Z\\Zorvo.exe");
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_EQ(notifier.shown[0].caption, L"Error");
        EXPECT_EQ(notifier.shown[0].style, 0x30u);
        EXPECT_EQ(notifier.shown[0].text, L"Cannot create registry key: \"" +
                                              std::wstring(c.refused) + L"\"\n\nError 5: " +
                                              SystemErrorText(5).value_or(L"?"));
      });
    }
    const INT_PTR result = Run(steps);
    EXPECT_EQ(result, *c.refused ? IDCANCEL : IDOK);
    EXPECT_EQ(RegQuery(), expected) << testing::PrintToString(std::wstring(c.refused));
    RegDeleteTreeW(user.get(), nullptr);
    RegDeleteTreeW(machine.get(), nullptr);
  }
}

TEST_F(DialogTest, TheTextUnderTheLineIsTheHelpOfTheFieldWithTheFocus) {
  const std::wstring menu =
      L"Enter the text you want displayed in the context menu. Use the ampersand (&) to underline "
      L"a menu letter. Use two consecutive ampersands to display an ampersand.\n\nExample:\t"
      L"&&Tessaro";
  const std::wstring status =
      L"Enter the text you want displayed in the status bar when this context menu item is "
      L"selected. You may use %s (percent-s) to indicate where in the message you want the "
      L"selected file name.\n\nExample:\tView \"%s\" with Zorvo";
  const std::wstring path =
      L"The Zorvo context menu must know where to find Zorvo.exe. If it is in your path, just "
      L"enter Zorvo.exe here. Otherwise type in  the full path or click \"Browse\" to locate the "
      L"program.\n\nExample:\tC:\\Program Files\\Korrin\\Zorvo\\Zorvo.exe";
  // A button keeps the help of the field before it.
  const std::pair<int, const std::wstring*> moves[] = {{IDC_STATUS_TEXT, &status},
                                                       {IDC_VIEWER_PATH, &path},
                                                       {IDOK, &path},
                                                       {IDC_MENU_TEXT, &menu},
                                                       {IDC_BROWSE, &menu}};
  std::vector<Step> steps;
  for (const auto& [id, text] : moves) {
    steps.push_back([id, text](HWND dialog) {
      Focus(dialog, id);
      EXPECT_EQ(Item(dialog, IDC_FIELD_HELP), *text) << id;
    });
  }
  Run(steps);
}

TEST_F(DialogTest, TextsWiderThanTheirFieldsCanBeTypedUpToWhatIsStored) {
  Run({[](HWND dialog) {
    for (int id : {IDC_MENU_TEXT, IDC_STATUS_TEXT, IDC_VIEWER_PATH}) {
      HWND field = GetDlgItem(dialog, id);
      SetWindowTextW(field, L"");
      for (int i = 0; i < 300; ++i) SendMessageW(field, WM_CHAR, L'a' + i % 26, 1);
      EXPECT_EQ(TextOf(field).size(), 259u) << id;
    }
  }});
}

// Browse through a stand-in for the system's open-file dialog.
TEST_F(DialogTest, BrowseAsksForZorvoExeAndStartsOverOnAnInvalidName) {
  struct Case {
    const wchar_t* field;
    std::vector<DWORD> errors;  // of each call; 0 after the last: chosen
    std::vector<std::wstring> startedOn;
    const wchar_t* after;
    const wchar_t* message;
  } const cases[] = {
      {L"", {}, {L"Zorvo.exe"}, L"C:\\T\\Zorvo.exe", nullptr},
      {L"a<b>|c", {FNERR_INVALIDFILENAME}, {L"a<b>|c", L"Zorvo.exe"}, L"C:\\T\\Zorvo.exe", nullptr},
      {L"D:\\old.exe", {0}, {L"D:\\old.exe"}, L"D:\\old.exe", nullptr},  // cancelled
      {L"x.exe",
       {CDERR_INITIALIZATION},
       {L"x.exe"},
       L"x.exe",
       L"Cannot display the \"Browse\" dialog.\n\nError 2."},
  };
  for (const Case& c : cases) {
    std::vector<std::wstring> startedOn;
    SetOpenFileDialog([&](OPENFILENAMEW& request, DWORD& error) {
      EXPECT_STREQ(request.lpstrTitle, L"Locate Zorvo.exe");
      EXPECT_EQ(std::wstring(request.lpstrFilter, 20), std::wstring(L"Zorvo.exe\0Zorvo.exe", 20));
      EXPECT_EQ(request.Flags, DWORD(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
                                     OFN_NOTESTFILECREATE));
      startedOn.push_back(request.lpstrFile);
      error = startedOn.size() <= c.errors.size() ? c.errors[startedOn.size() - 1] : 0;
      if (startedOn.size() > c.errors.size()) wcscpy(request.lpstrFile, L"C:\\T\\Zorvo.exe");
      return startedOn.size() > c.errors.size();
    });
    notifier.shown.clear();
    Run({[&](HWND dialog) {
      Set(dialog, IDC_VIEWER_PATH, c.field);
      Press(dialog, IDC_BROWSE);
      EXPECT_EQ(Item(dialog, IDC_VIEWER_PATH), c.after);
      EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_VIEWER_PATH));
    }});
    EXPECT_EQ(startedOn, c.startedOn);
    EXPECT_EQ(notifier.shown.empty() ? L"" : notifier.shown[0].text, c.message ? c.message : L"");
  }
}

}  // namespace
}  // namespace zorvo::vantric
