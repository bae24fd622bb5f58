// The menus and accelerators as the resources build them, trimming by the
// DeleteMenu keys, the menu state, and the accelerators as Windows
// translates them.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "viewer/frame/menu_rules.h"
#include "viewer/frame/win32/menus.h"
#include "window_fixture.h"

namespace zorvo {
namespace {

constexpr int kSeparator = 0;
constexpr int kSubmenu = -1;

struct Item {
  int id;  // kSeparator, kSubmenu or the command
  std::wstring text;
  HMENU submenu;
};

std::vector<Item> ItemsOf(HMENU menu) {
  std::vector<Item> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 128;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
    Item item{static_cast<int>(info.wID), text, info.hSubMenu};
    if (info.fType & MFT_SEPARATOR) item.id = kSeparator;
    if (info.hSubMenu) item.id = kSubmenu;
    items.push_back(item);
  }
  return items;
}

std::vector<int> IdsOf(HMENU menu) {
  std::vector<int> ids;
  for (const Item& item : ItemsOf(menu)) ids.push_back(item.id);
  return ids;
}

std::wstring TopNames(HMENU bar) {
  std::wstring names;
  for (const Item& item : ItemsOf(bar)) names += item.text + L"|";
  return names;
}

// The mnemonic letters of a popup, in order: what DeleteMenu values name.
std::wstring Letters(HMENU menu) {
  std::wstring letters;
  for (const Item& item : ItemsOf(menu)) {
    if (const wchar_t c = MenuMnemonic(item.text)) letters += static_cast<wchar_t>(towupper(c));
  }
  return letters;
}

// Every command item, submenus included.
void CollectCommands(HMENU menu, std::vector<Item>& out) {
  for (const Item& item : ItemsOf(menu)) {
    if (item.id == kSubmenu) {
      CollectCommands(item.submenu, out);
    } else if (item.id != kSeparator) {
      out.push_back(item);
    }
  }
}

bool Grayed(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
bool Checked(HMENU menu, UINT id) {
  return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

HMENU LoadResourceMenu(const wchar_t* name) { return LoadMenuW(GetModuleHandleW(nullptr), name); }

std::vector<ACCEL> AcceleratorTable() {
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"ZORVO");
  EXPECT_NE(table, nullptr);
  std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
  CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
  DestroyAcceleratorTable(table);
  return entries;
}

const std::vector<int> kEdit{171, 174, 0, 172, 173, 0, 151, 152, 153, 155};
const std::vector<int> kView{311, 312, 313, 0, 314, 315, 320, 0, 317, 318, 319};
const std::vector<int> kFormat{161, 162, 163, 168, 0, 164, 165, 166};
const std::vector<int> kMark{131, 132, 134, 135, 133, 0, 136, 137, 138, 139};
const std::vector<int> kHelp{141, 0, 144};

TEST(MenuResources, MainMenu) {
  HMENU bar = LoadResourceMenu(L"ZORVO");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(TopNames(bar), L"&File|&Edit|&View|F&ormat|&Mark|&Help|");
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 0)),
            (std::vector<int>{101, 112, 0, 103, 105, 104, 106, 110, 0, 107, 0, 108}));
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 1)), kEdit);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 2)), kView);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 3)), kFormat);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 4)), kMark);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 5)), kHelp);
  // The letters the help page lists for the DeleteMenu keys.
  EXPECT_EQ(Letters(GetSubMenu(bar, 0)), L"OCPTRGADX");
  EXPECT_EQ(Letters(GetSubMenu(bar, 1)), L"CTSUFHNG");
  EXPECT_EQ(Letters(GetSubMenu(bar, 2)), L"THRWYFIOR");
  EXPECT_EQ(Letters(GetSubMenu(bar, 3)), L"OFLAVD");
  EXPECT_EQ(Letters(GetSubMenu(bar, 4)), L"TNSRUFCEA");
  EXPECT_EQ(Letters(GetSubMenu(bar, 5)), L"CA");
  DestroyMenu(bar);
}

TEST(MenuResources, AlternativeMenuGathersPrinting) {
  HMENU bar = LoadResourceMenu(L"ALTZORVO");
  HMENU main = LoadResourceMenu(L"ZORVO");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(TopNames(bar), TopNames(main));
  HMENU file = GetSubMenu(bar, 0);
  EXPECT_EQ(IdsOf(file), (std::vector<int>{101, 112, 0, kSubmenu, 105, 104, 0, 107, 0, 108}));
  EXPECT_EQ(Letters(file), L"OCPTRDX");
  HMENU print = GetSubMenu(file, 3);
  EXPECT_EQ(IdsOf(print), (std::vector<int>{103, 106, 110, 113}));
  EXPECT_EQ(Letters(print), L"FGTS");
  // The other menus are the same, texts included.
  for (int i = 1; i < 6; ++i) {
    const std::vector<Item> a = ItemsOf(GetSubMenu(bar, i));
    const std::vector<Item> b = ItemsOf(GetSubMenu(main, i));
    ASSERT_EQ(a.size(), b.size()) << i;
    for (size_t k = 0; k < a.size(); ++k) {
      EXPECT_EQ(a[k].id, b[k].id) << i << "," << k;
      EXPECT_EQ(a[k].text, b[k].text) << i << "," << k;
    }
  }
  DestroyMenu(main);
  DestroyMenu(bar);
}

TEST(MenuResources, TheIconHasBothSizes) {
  for (int size : {16, 32}) {
    HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), L"ZORVO", IMAGE_ICON, size, size, 0);
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(static_cast<HICON>(icon));
  }
}

// The key a shortcut text such as "Ctrl+Shift+F2" names, as an entry of the
// accelerator table would hold it.
ACCEL ShortcutKey(const std::wstring& shortcut) {
  ACCEL key{FVIRTKEY, 0, 0};
  size_t start = 0;
  for (;;) {
    const size_t plus = shortcut.find(L'+', start);
    const std::wstring part = shortcut.substr(start, plus - start);
    if (plus == std::wstring::npos) {
      if (part.size() == 1) {
        key.key = part[0];
      } else if (part == L"Insert") {
        key.key = VK_INSERT;
      } else if (part[0] == L'F') {
        key.key = static_cast<WORD>(VK_F1 + std::stoi(part.substr(1)) - 1);
      }
      return key;
    }
    if (part == L"Ctrl") key.fVirt |= FCONTROL;
    if (part == L"Shift") key.fVirt |= FSHIFT;
    if (part == L"Alt") key.fVirt |= FALT;
    start = plus + 1;
  }
}

TEST(MenuResources, EveryShortcutShownIsAnAcceleratorOfItsCommand) {
  const std::vector<ACCEL> table = AcceleratorTable();
  for (const wchar_t* name : {L"ZORVO", L"ALTZORVO"}) {
    HMENU bar = LoadResourceMenu(name);
    std::vector<Item> commands;
    CollectCommands(bar, commands);
    int shown = 0;
    for (const Item& item : commands) {
      const size_t tab = item.text.find(L'\t');
      if (tab == std::wstring::npos) continue;
      ++shown;
      const ACCEL want = ShortcutKey(item.text.substr(tab + 1));
      const auto found = std::find_if(table.begin(), table.end(), [&want](const ACCEL& a) {
        return (a.fVirt & ~FNOINVERT) == want.fVirt && a.key == want.key;
      });
      ASSERT_NE(found, table.end()) << item.text;
      EXPECT_EQ(found->cmd, item.id) << item.text;
    }
    EXPECT_EQ(shown, 23) << name;
    // And every accelerator runs a command the menus have.
    for (const ACCEL& a : table) {
      EXPECT_TRUE(std::any_of(commands.begin(), commands.end(), [&a](const Item& item) {
        return item.id == a.cmd;
      })) << a.cmd;
    }
    DestroyMenu(bar);
  }
}

TEST(MenuResources, AcceleratorsTellTheZoomsApart) {
  const std::vector<ACCEL> table = AcceleratorTable();
  EXPECT_EQ(table.size(), 25u);
  std::vector<std::pair<int, WORD>> zooms;
  for (const ACCEL& a : table) {
    if (a.key == 'Z') zooms.push_back({a.fVirt & ~FNOINVERT, a.cmd});
  }
  std::sort(zooms.begin(), zooms.end());
  EXPECT_EQ(zooms,
            (std::vector<std::pair<int, WORD>>{{FVIRTKEY | FCONTROL, IDM_ZOOMOUT},
                                               {FVIRTKEY | FSHIFT | FCONTROL, IDM_ZOOMIN},
                                               {FVIRTKEY | FCONTROL | FALT, IDM_ZOOMRESET}}));
  // No entry matches a typed character, so Backspace (^H) is not Hex.
  for (const ACCEL& a : table) EXPECT_TRUE(a.fVirt & FVIRTKEY) << a.cmd;
}

// A bare window that records the commands it gets and keeps its menu's
// state as the viewer does.
std::vector<int> probeCommands;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    probeCommands.push_back(LOWORD(wParam));
    return 0;
  }
  if (message == WM_INITMENUPOPUP && !HIWORD(lParam)) {
    UpdateMenuState(window, reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class Accelerators : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZorvoAcceleratorProbe";
    RegisterClassW(&windowClass);
  }

  void SetUp() override {
    window = CreateWindowW(L"ZorvoAcceleratorProbe", L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    AttachViewer(window, viewer);
    table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"ZORVO");
    probeCommands.clear();
  }

  void TearDown() override {
    Press(0);  // all keys up again
    DestroyAcceleratorTable(table);
    DestroyWindow(window);
  }

  // Holds the modifiers in the thread's key state.
  static void Press(int modifiers) {
    BYTE keys[256] = {};
    if (modifiers & FCONTROL) keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
    if (modifiers & FSHIFT) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    if (modifiers & FALT) keys[VK_MENU] = keys[VK_LMENU] = 0x80;
    SetKeyboardState(keys);
  }

  // The command `key` with `modifiers` runs; 0 when none.
  int Translate(int modifiers, WPARAM key) {
    Press(modifiers);
    probeCommands.clear();
    MSG message{window, WM_KEYDOWN, key, 1, 0, {0, 0}};
    const bool translated = TranslateAcceleratorW(window, table, &message) != 0;
    Press(0);
    if (!translated) return 0;
    return probeCommands.size() == 1 ? probeCommands[0] : -1;
  }

  Viewer& app() { return viewer; }
  Viewer viewer;
  HWND window = nullptr;
  HACCEL table = nullptr;
};

TEST_F(Accelerators, KeysRunTheirCommands) {
  EXPECT_EQ(Translate(FCONTROL, 'Z'), IDM_ZOOMOUT);
  EXPECT_EQ(Translate(FCONTROL | FSHIFT, 'Z'), IDM_ZOOMIN);
  EXPECT_EQ(Translate(FCONTROL | FALT, 'Z'), IDM_ZOOMRESET);
  EXPECT_EQ(Translate(0, 'Z'), 0);
  EXPECT_EQ(Translate(FCONTROL, 'P'), IDM_PRINT);
  EXPECT_EQ(Translate(FCONTROL, 'H'), IDM_HEX);
  EXPECT_EQ(Translate(FCONTROL, 'L'), IDM_FOLLOWEND);
  EXPECT_EQ(Translate(0, VK_BACK), 0);
  EXPECT_EQ(Translate(FCONTROL, VK_INSERT), IDM_COPY);
  EXPECT_EQ(Translate(FCONTROL, 'C'), IDM_COPY);
  EXPECT_EQ(Translate(0, VK_F1), IDM_CONTENTS);
  EXPECT_EQ(Translate(0, VK_F2), IDM_NEXTMARK);
  EXPECT_EQ(Translate(FCONTROL, VK_F2), IDM_TOGGLE);
  EXPECT_EQ(Translate(FCONTROL | FSHIFT, VK_F2), IDM_UNMARKALL);
  EXPECT_EQ(Translate(0, VK_F11), IDM_TOGGLE);
  EXPECT_EQ(Translate(0, VK_F3), IDM_FINDNEXT);
  EXPECT_EQ(Translate(0, VK_F5), IDM_GOTO);
}

TEST_F(Accelerators, AGrayedCommandIsNotRun) {
  SetMenu(window, LoadResourceMenu(L"ZORVO"));
  EXPECT_EQ(Translate(FCONTROL, 'P'), -1) << "nothing to print without a file";
  EXPECT_TRUE(probeCommands.empty());
  app().doc.file.path = L"C:\\x.txt";
  EXPECT_EQ(Translate(FCONTROL, 'P'), IDM_PRINT);
}

// The accelerator announces only the Print submenu; its File menu must be
// brought up to date too, or Ctrl+P stays grayed from before the file.
TEST_F(Accelerators, ACommandInASubmenuFollowsTheState) {
  SetMenu(window, LoadResourceMenu(L"ALTZORVO"));
  EXPECT_EQ(Translate(FCONTROL, 'P'), -1);
  EXPECT_TRUE(probeCommands.empty());
  app().doc.file.path = L"C:\\x.txt";
  EXPECT_EQ(Translate(FCONTROL, 'P'), IDM_PRINT);
  EXPECT_EQ(Translate(FCONTROL, 'Q'), IDM_PRINTPAGE);
}

// As the help page says: a command trimmed from the menus keeps its keys,
// and with no item to gray it runs whatever the state.
TEST_F(Accelerators, ATrimmedCommandKeepsItsKeys) {
  HMENU bar = LoadResourceMenu(L"ZORVO");
  app().settings.profile().backend().Write(kGlobalSection, L"DeleteMenu1", L"p");
  TrimMenuBar(app(), bar);
  SetMenu(window, bar);
  EXPECT_EQ(Translate(FCONTROL, 'P'), IDM_PRINT);
  EXPECT_EQ(Translate(FCONTROL, 'Q'), -1) << "Print Page is still there, grayed";
}

class MenuBar : public testing::Test {
 protected:
  void TearDown() override {
    if (bar) DestroyMenu(bar);
  }
  void Load(const wchar_t* name) {
    bar = LoadResourceMenu(name);
    ASSERT_NE(bar, nullptr);
  }
  void Rule(int menu, const wchar_t* value) {
    app().settings.profile().backend().Write(kGlobalSection, DeleteMenuKey(menu - 1), value);
  }
  Viewer& app() { return viewer; }
  HMENU bar = nullptr;
  Viewer viewer;
};

TEST_F(MenuBar, NoKeysLeaveTheMenusAlone) {
  Load(L"ZORVO");
  TrimMenuBar(app(), bar);
  EXPECT_EQ(GetMenuItemCount(bar), 6);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 1)), kEdit);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(OwningMenu(bar, GetSubMenu(bar, i)), i);
}

TEST_F(MenuBar, TrimsItemsAndWholeMenus) {
  Load(L"ZORVO");
  Rule(1, L"xo");
  Rule(2, L"*");
  Rule(4, L"ZAV");  // Save Options, Save Setup; Fit Font Size has no letter
  Rule(6, L"c");
  TrimMenuBar(app(), bar);
  EXPECT_EQ(TopNames(bar), L"&File|&View|F&ormat|&Mark|&Help|");
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 0)), (std::vector<int>{112, 0, 103, 105, 104, 106, 110, 0, 107}));
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 2)), (std::vector<int>{161, 162, 163, 168, 0, 166}));
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 4)), (std::vector<int>{144}));
  // The menus know where they stood, and so whose state they show.
  EXPECT_EQ(OwningMenu(bar, GetSubMenu(bar, 0)), kMenuFile);
  EXPECT_EQ(OwningMenu(bar, GetSubMenu(bar, 1)), kMenuView);
  EXPECT_EQ(OwningMenu(bar, GetSubMenu(bar, 3)), kMenuMark);
  EXPECT_EQ(MenuPopup(bar, kMenuEdit), nullptr);
  EXPECT_EQ(MenuPopup(bar, kMenuMark), GetSubMenu(bar, 3));
}

TEST_F(MenuBar, TrimmingTwiceKeepsTheOriginalPositions) {
  // A second pass reads the same keys by the same resource positions.
  Load(L"ZORVO");
  Rule(1, L"*");
  TrimMenuBar(app(), bar);
  TrimMenuBar(app(), bar);
  EXPECT_EQ(TopNames(bar), L"&Edit|&View|F&ormat|&Mark|&Help|") << "the Edit menu is not taken";
  EXPECT_EQ(OwningMenu(bar, GetSubMenu(bar, 0)), kMenuEdit);
}

TEST_F(MenuBar, TheAlternativePrintSubmenuGoesByItsLetter) {
  Load(L"ALTZORVO");
  HMENU print = GetSubMenu(GetSubMenu(bar, 0), 3);
  EXPECT_EQ(OwningMenu(bar, print), kMenuFile) << "a submenu belongs to its menu";
  Rule(1, L"P");
  TrimMenuBar(app(), bar);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 0)), (std::vector<int>{101, 112, 0, 105, 104, 0, 107, 0, 108}));
}

TEST_F(MenuBar, OtherPopupsBelongToNoMenu) {
  Load(L"ZORVO");
  HMENU loose = CreatePopupMenu();
  EXPECT_EQ(OwningMenu(bar, loose), -1);
  EXPECT_EQ(OwningMenu(nullptr, loose), -1);
  DestroyMenu(loose);
}

// Which commands gray or check is MenuStateFor's (see the core tests); here
// that it reaches the real items, those of the Print submenu included.
TEST_F(MenuBar, StateReachesTheItems) {
  Load(L"ALTZORVO");
  HMENU file = GetSubMenu(bar, 0);
  UpdatePopupState(app(), file, kMenuFile);
  EXPECT_TRUE(Grayed(file, IDM_CLOSE));
  EXPECT_TRUE(Grayed(file, IDM_SIDES));
  EXPECT_FALSE(Grayed(file, IDM_OPEN));
  EXPECT_TRUE(Checked(file, IDM_IGNOREDDE));

  app().doc.file.path = L"C:\\data\\a.txt";
  app().doc.view.ddeState = kDdeServing;
  UpdatePopupState(app(), file, kMenuFile);
  EXPECT_FALSE(Grayed(file, IDM_CLOSE));
  EXPECT_FALSE(Grayed(file, IDM_SIDES));
  EXPECT_FALSE(Checked(file, IDM_IGNOREDDE));

  HMENU view = GetSubMenu(bar, 2);
  app().settings.options.Format = 1;
  UpdatePopupState(app(), view, kMenuView);
  EXPECT_TRUE(Checked(view, IDM_HEX));
  EXPECT_FALSE(Checked(view, IDM_TEXT));
}

TEST_F(MenuBar, RecentFilesFollowTheSeparator) {
  Load(L"ZORVO");
  app().settings.recentFiles.entries[0] = L"C:\\logs\\today.log";
  app().settings.recentFiles.entries[1] = L"D:\\old.txt";
  app().settings.recentFiles.count = 2;
  TrimMenuBar(app(), bar);
  AppendRecentSeparatorTo(app(), bar);
  HMENU file = GetSubMenu(bar, 0);
  UpdatePopupState(app(), file, kMenuFile);
  UpdatePopupState(app(), file, kMenuFile);  // each opening replaces the entries
  std::vector<Item> items = ItemsOf(file);
  ASSERT_EQ(items.size(), 15u);
  EXPECT_EQ(items[11].id, IDM_EXIT);
  EXPECT_EQ(items[12].id, kSeparator);
  EXPECT_EQ(items[13].id, IDM_RECENT);
  EXPECT_EQ(items[13].text, L"&1 today.log");
  EXPECT_EQ(items[14].id, IDM_RECENT + 1);
  EXPECT_EQ(items[14].text, L"&2 old.txt");

  app().settings.recentFiles.count = 1;
  UpdatePopupState(app(), file, kMenuFile);
  EXPECT_EQ(GetMenuItemCount(file), 14);
}

TEST_F(MenuBar, NoRecentFilesWhenTheListIsOffOrTheFileMenuIsGone) {
  Load(L"ZORVO");
  app().settings.recentSwitches.MruFiles = 0;
  app().settings.recentFiles.entries[0] = L"C:\\a.txt";
  app().settings.recentFiles.count = 1;
  AppendRecentSeparatorTo(app(), bar);
  UpdatePopupState(app(), GetSubMenu(bar, 0), kMenuFile);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 12);

  app().settings.recentSwitches.MruFiles = 1;
  Rule(1, L"*");
  TrimMenuBar(app(), bar);
  AppendRecentSeparatorTo(app(), bar);
  EXPECT_EQ(IdsOf(GetSubMenu(bar, 0)), kEdit);
}

// The real window: trimmed at creation, its popups' state by where they
// stood in the resources.
class MenusOfTheWindow : public WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    // The tests after these get a window with untrimmed menus.
    if (shared) DestroyWindow(shared);
    shared = nullptr;
    Pump();
  }
};

TEST_F(MenusOfTheWindow, TrimmedAtCreationAndStateByOriginalPosition) {
  Start("", {{{L"Zorvo Setup", L"DeleteMenu2", L"*"}}, {{L"Zorvo Setup", L"DeleteMenu1", L"x"}}},
        true);
  HMENU bar = GetMenu(window);
  EXPECT_EQ(TopNames(bar), L"&File|&View|F&ormat|&Mark|&Help|");
  // Exit went, the separator above it and the recent-file separator stay.
  const std::vector<int> file = IdsOf(GetSubMenu(bar, 0));
  EXPECT_EQ(file.back(), kSeparator);
  EXPECT_EQ(std::count(file.begin(), file.end(), IDM_EXIT), 0);

  HMENU mark = GetSubMenu(bar, 3);
  SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(mark), MAKELPARAM(3, FALSE));
  EXPECT_TRUE(Grayed(mark, IDM_TOGGLE));
  const std::wstring path = MakeFile(5);
  Open(path);
  SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(mark), MAKELPARAM(3, FALSE));
  EXPECT_FALSE(Grayed(mark, IDM_TOGGLE));

  HMENU fileMenu = GetSubMenu(bar, 0);
  SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(fileMenu), MAKELPARAM(0, FALSE));
  const std::vector<Item> items = ItemsOf(fileMenu);
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items.back().id, IDM_RECENT);
  EXPECT_EQ(items.back().text, L"&1 " + std::filesystem::path(path).filename().wstring());
}

// What a user finds grayed as each menu opens, by the items' texts: without
// a file the commands that need one (and Freeze and Clear Columns), but not
// Copy Tags, whose accelerator must reach it; with a file and a mark, nothing.
TEST_F(MenusOfTheWindow, WithoutAFileTheCommandsThatNeedOneAreGrayed) {
  const std::set<std::wstring> needFile{
      L"&Close",        L"&Print...",     L"Print Pa&ge",  L"Print T&ags...",
      L"&File...",      L"Pa&ge",         L"&Tags...",     L"&Sides...",
      L"&Copy",         L"&Select All",   L"&Unselect",    L"&Go To...",
      L"&Find Text...", L"Find &Hex...",  L"Find &Next",   L"Cle&ar Columns",
      L"&Toggle",       L"&Next",         L"&Set",         L"&Reset",
      L"&Unmark All",   L"&Freeze Title", L"&Clear Title", L"Fre&eze Columns..."};
  for (const wchar_t* name : {L"ZORVO", L"ALTZORVO"}) {
    SCOPED_TRACE(name);
    Start("", {}, true);
    HMENU bar = LoadResourceMenu(name);
    HMENU old = GetMenu(window);
    SetMenu(window, bar);
    DestroyMenu(old);
    TrimMenus(window);
    std::vector<Item> commands;
    CollectCommands(bar, commands);
    std::set<std::wstring> expected;
    for (const Item& item : commands) {
      const std::wstring text = item.text.substr(0, item.text.find(L'\t'));
      if (needFile.count(text)) expected.insert(text);
    }
    auto grayed = [&] {
      std::set<std::wstring> found;
      for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU popup = GetSubMenu(bar, i);
        SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(i, 0));
        std::vector<Item> items;
        CollectCommands(popup, items);
        for (const Item& item : items) {
          if (Grayed(popup, static_cast<UINT>(item.id))) {
            found.insert(item.text.substr(0, item.text.find(L'\t')));
          }
        }
      }
      return found;
    };
    EXPECT_EQ(grayed(), expected);
    Open(MakeFile(3));
    AddTag(app().doc.tags, 0, kUserMark);
    EXPECT_EQ(grayed(), std::set<std::wstring>{});
  }
}

}  // namespace
}  // namespace zorvo
