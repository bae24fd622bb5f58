// Find Text and Find Hex on the real dialogs, driven from inside their modal
// loops: the checks of the typed text, the history, the flags, and texts of
// an EBCDIC file.
#include "window_fixture.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "viewer/file/search.h"
#include "viewer/frame/find_text.h"
#include "viewer/frame/win32/find_dialogs.h"
#include "viewer/resources/resource.h"

namespace zorvo {
namespace {

class FindDialogs : public WindowTest {
 protected:
  using Step = std::function<void(HWND dialog)>;

  void TearDown() override {
    FindDialogHook() = nullptr;
    WindowTest::TearDown();
  }

  // Runs `steps` on the next dialog, one per timer tick once it is up, so
  // each sees what the one before did. A dialog the steps leave open is
  // ended with 99, failing the test instead of hanging it.
  void Drive(std::vector<Step> steps) {
    pending = std::move(steps);
    next = 0;
    idle = 0;
    hidden = 0;
    FindDialogHook() = [&](HWND dialog) { SetTimer(dialog, 1, 10, Tick); };
  }
  static void CALLBACK Tick(HWND dialog, UINT, UINT_PTR, DWORD) {
    // The dialog shows when its modal loop first finds nothing else to do;
    // on a busy machine the first tick can come before that.
    if (!IsWindowVisible(dialog) && ++hidden < 200) return;
    if (next < pending.size()) {
      pending[next++](dialog);
    } else if (++idle > 200) {
      ADD_FAILURE() << "the dialog stayed open";
      EndDialog(dialog, 99);
    }
  }

  // As a mouse click would, the button takes the focus first.
  static void Click(HWND dialog, int id) {
    SetFocus(GetDlgItem(dialog, id));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  // The combo box of either dialog.
  static int ComboId(HWND dialog) {
    return GetDlgItem(dialog, IDC_FIND_TEXT) ? IDC_FIND_TEXT : IDC_FIND_HEX;
  }
  // As typing does: the text, then the change reported to the dialog.
  static void Type(HWND dialog, const wchar_t* text) {
    HWND combo = GetDlgItem(dialog, ComboId(dialog));
    SetWindowTextW(combo, text);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(ComboId(dialog), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  }
  static std::wstring Text(HWND dialog, int id) {
    wchar_t text[600] = {};
    GetDlgItemTextW(dialog, id, text, 600);
    return text;
  }
  static std::vector<std::wstring> Listed(HWND dialog) {
    std::vector<std::wstring> entries;
    const auto count = SendDlgItemMessageW(dialog, ComboId(dialog), CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t text[600] = {};
      SendDlgItemMessageW(dialog, ComboId(dialog), CB_GETLBTEXT, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(text));
      entries.emplace_back(text);
    }
    return entries;
  }
  static bool ComboHasFocus(HWND dialog) {
    HWND combo = GetDlgItem(dialog, ComboId(dialog));
    HWND focus = GetFocus();
    return focus == combo || IsChild(combo, focus);
  }
  static std::vector<std::string> Counted(const RecentSearchList& list) {
    return {list.entries.begin(), list.entries.begin() + std::max(list.count, 0)};
  }

  static inline std::vector<Step> pending;
  static inline size_t next = 0;
  static inline int idle = 0;
  static inline int hidden = 0;
};

TEST_F(FindDialogs, AnEmptyTextIsRefusedAndTheDialogStaysOpen) {
  Start();
  bool stayedOpen = false;
  Drive({
      [&](HWND dialog) {
        Type(dialog, L"");
        Click(dialog, IDOK);
      },
      [&](HWND dialog) {
        stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        EXPECT_TRUE(ComboHasFocus(dialog));
        Click(dialog, IDCANCEL);
      },
  });
  EXPECT_EQ(FindTextDialog(window), 0);
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, L"Search text length must be a number between 1 and 255!");
  EXPECT_EQ(notifier.shown[0].caption, L"Bad Options");
  EXPECT_EQ(notifier.shown[0].style, kIconHand);
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconHand, kIconAsterisk}));
  EXPECT_EQ(app().search.flags, 0) << "no search was set up";
  EXPECT_EQ(app().settings.recentTexts.count, 0);
}

// The bytes show as text while the digits are typed; a bad digit is named
// on the error line and selected, with an information beep, while typing
// and when Find is pressed.
TEST_F(FindDialogs, ABadHexDigitIsNamedAndSelected) {
  Start();
  DWORD start = 0, end = 0;
  std::wstring error, shown, errorAfter;
  std::vector<uint32_t> typing;
  Drive({
      [&](HWND dialog) {
        Type(dialog, L"41 4g 43");
        error = Text(dialog, IDC_FIND_ERROR);
        SendDlgItemMessageW(dialog, IDC_FIND_HEX, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                            reinterpret_cast<LPARAM>(&end));
        typing = notifier.beeps;
        Click(dialog, IDOK);  // the same text cannot be searched for either
      },
      [&](HWND dialog) {
        Type(dialog, L"41 42 3");
        errorAfter = Text(dialog, IDC_FIND_ERROR);
        shown = Text(dialog, IDC_FIND_SHOWN);
        Click(dialog, IDCANCEL);
      },
  });
  EXPECT_EQ(FindHexDialog(window), 0);
  EXPECT_EQ(error, L"Invalid hex digit \"g\"!");
  EXPECT_EQ(start, 4u);
  EXPECT_EQ(end, 5u) << "exactly the bad character";
  EXPECT_EQ(typing, (std::vector<uint32_t>{kIconAsterisk}));
  EXPECT_EQ(notifier.beeps, (std::vector<uint32_t>{kIconAsterisk, kIconAsterisk}))
      << "and again for Find";
  EXPECT_TRUE(notifier.shown.empty()) << "a bad digit shows on the error line only";
  EXPECT_EQ(errorAfter, L" ");
  EXPECT_EQ(shown, L"AB0");
  EXPECT_EQ(app().search.flags, 0);
}

// Entry 0 shows as text when the dialog opens, and a picked entry when the
// list closes.
TEST_F(FindDialogs, TheFindHexPreviewOfListedEntries) {
  Start("", {{L"MRU Search", L"Hexs", L"2"},
             {L"MRU Search", L"Hex1", L"41 42"},
             {L"MRU Search", L"Hex2", L"7A 7a"}});
  std::wstring opened, closed;
  Drive({[&](HWND dialog) {
    opened = Text(dialog, IDC_FIND_SHOWN);
    HWND combo = GetDlgItem(dialog, IDC_FIND_HEX);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FIND_HEX, CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(combo));
    closed = Text(dialog, IDC_FIND_SHOWN);
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(FindHexDialog(window), 0);
  EXPECT_EQ(opened, L"AB");
  EXPECT_EQ(closed, L"zz");
  EXPECT_TRUE(notifier.beeps.empty());
}

TEST_F(FindDialogs, HexDigitsAreCheckedForLengthAndSearchedWithCase) {
  Start();
  Drive({
      [&](HWND dialog) {
        Type(dialog, L"");  // nothing to preview is fine
        Click(dialog, IDOK);
      },
      [&](HWND dialog) {
        EXPECT_TRUE(ComboHasFocus(dialog));
        Type(dialog, L"6c 69 6E 65");
        CheckDlgButton(dialog, IDC_FIND_FROM_TOP, BST_CHECKED);
        Click(dialog, IDOK);
      },
  });
  EXPECT_EQ(FindHexDialog(window), 1);
  ASSERT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(notifier.shown[0].text, L"Number of hex digits must be between 1 and 510!");
  EXPECT_EQ(notifier.shown[0].caption, L"Bad Options");
  EXPECT_EQ(app().search.pattern, "line");
  EXPECT_EQ(app().search.flags, kSearchDefined | kSearchCaseSensitive | kSearchFromTop);
  EXPECT_EQ(Counted(app().settings.recentHex), (std::vector<std::string>{"6c 69 6E 65"}))
      << "as typed";
  EXPECT_EQ(app().settings.recentTexts.count, -1) << "the text list is not touched";
}

// The history keeps 255 characters of a search text; the field takes no
// more, so what is searched for is what is remembered.
TEST_F(FindDialogs, TypingStopsAt255CharactersSoTheHistoryKeepsTheWholeText) {
  Start();
  for (const bool hex : {true, false}) {
    SCOPED_TRACE(hex ? "Find Hex" : "Find Text");
    std::wstring typed;
    Drive({[&](HWND dialog) {
      HWND edit = FindWindowExW(GetDlgItem(dialog, ComboId(dialog)), nullptr, L"Edit", nullptr);
      ASSERT_NE(edit, nullptr);
      std::wstring text;
      while (text.size() < 300) text += L"41 ";
      SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
      typed = Text(dialog, ComboId(dialog));
      Click(dialog, IDOK);
    }});
    EXPECT_EQ(hex ? FindHexDialog(window) : FindTextDialog(window), 1);
    EXPECT_EQ(typed.size(), 255u);
    const RecentSearchList& list = hex ? app().settings.recentHex : app().settings.recentTexts;
    ASSERT_GE(list.count, 1);
    EXPECT_EQ(list.entries[0], std::string(typed.begin(), typed.end()));
  }
}

TEST_F(FindDialogs, PickingTheThirdEntryMovesItToTheFront) {
  Start("", {{L"MRU Search", L"Texts", L"3"},
             {L"MRU Search", L"Text1", L"first"},
             {L"MRU Search", L"Text2", L"second"},
             {L"MRU Search", L"Text3", L"tab\there"}});
  std::vector<std::wstring> listed;
  std::wstring initial;
  Drive({[&](HWND dialog) {
    listed = Listed(dialog);
    initial = Text(dialog, IDC_FIND_TEXT);
    SendDlgItemMessageW(dialog, IDC_FIND_TEXT, CB_SETCURSEL, 2, 0);
    Click(dialog, IDOK);
  }});
  EXPECT_EQ(FindTextDialog(window), 1);
  // The tab shows as its display glyph; typed back, that glyph would be
  // another byte, so the picked entry must be searched for as kept.
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"first", L"second", L"tab\u00A4here"}));
  EXPECT_EQ(initial, L"first");
  EXPECT_EQ(app().search.pattern, "tab\there");
  EXPECT_EQ(Counted(app().settings.recentTexts),
            (std::vector<std::string>{"tab\there", "first", "second"}))
      << "moved, not added";
}

TEST_F(FindDialogs, WithTheSearchListOffTheProfileIsNotRead) {
  Start("", {{L"Zorvo Setup", L"MruSearch", L"0"},
             {L"MRU Search", L"Texts", L"1"},
             {L"MRU Search", L"Text1", L"saved"}});
  app().search.pattern = "current";
  size_t count = 99;
  std::wstring initial;
  Drive({[&](HWND dialog) {
    count = Listed(dialog).size();
    initial = Text(dialog, IDC_FIND_TEXT);
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(FindTextDialog(window), 0);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(initial, L"current") << "an empty list offers the current search";
  EXPECT_EQ(app().settings.recentTexts.count, 0);
}

// The boxes show the last search's case and start. Mark All is a button:
// it closes the dialog and marks this search only, never the next.
TEST_F(FindDialogs, CheckBoxesFollowTheSearchAndMarkAllIsAnAction) {
  Start();
  app().search.flags = kSearchDefined | kSearchCaseSensitive | kSearchFromTop | kSearchMarkAll;
  std::vector<UINT> initial;
  Drive({[&](HWND dialog) {
    for (int id : {IDC_FIND_CASE, IDC_FIND_FROM_TOP})
      initial.push_back(IsDlgButtonChecked(dialog, id));
    Type(dialog, L"line");
    CheckDlgButton(dialog, IDC_FIND_CASE, BST_UNCHECKED);
    Click(dialog, IDC_FIND_MARK_ALL);
  }});
  EXPECT_EQ(FindTextDialog(window), 1);
  EXPECT_EQ(initial, (std::vector<UINT>{BST_CHECKED, BST_CHECKED}));
  EXPECT_EQ(app().search.pattern, "line");
  EXPECT_EQ(app().search.flags, kSearchDefined | kSearchFromTop | kSearchMarkAll);
  EXPECT_EQ(Counted(app().settings.recentTexts), (std::vector<std::string>{"line"}));
  for (const bool hex : {false, true}) {
    Drive({[hex](HWND dialog) {
      Type(dialog, hex ? L"6C" : L"line");
      Click(dialog, IDOK);
    }});
    EXPECT_EQ(hex ? FindHexDialog(window) : FindTextDialog(window), 1);
    EXPECT_FALSE(app().search.flags & kSearchMarkAll) << "Find finds the next match";
  }
}

TEST_F(FindDialogs, AnEbcdicFileKeepsTypedTextInItsOwnCode) {
  Start();
  app().settings.options.CharCode = kEbcdic;
  DeriveCodeBits(app().settings);
  ASSERT_TRUE(app().settings.options.CurrentOptions & kOptEbcdic);
  Drive({[&](HWND dialog) {
    Type(dialog, L"ABC");
    Click(dialog, IDOK);
  }});
  ASSERT_EQ(FindTextDialog(window), 1);
  EXPECT_EQ(app().search.pattern, "\xC1\xC2\xC3");
  EXPECT_EQ(Counted(app().settings.recentTexts), (std::vector<std::string>{"\xC1\xC2\xC3"}));

  std::vector<std::wstring> listed;
  std::wstring initial;
  Drive({[&](HWND dialog) {
    listed = Listed(dialog);
    initial = Text(dialog, IDC_FIND_TEXT);
    Click(dialog, IDOK);  // the entry as listed, not converted a second time
  }});
  EXPECT_EQ(FindTextDialog(window), 1);
  EXPECT_EQ(listed, (std::vector<std::wstring>{L"ABC"}));
  EXPECT_EQ(initial, L"ABC");
  EXPECT_EQ(app().search.pattern, "\xC1\xC2\xC3");
  EXPECT_EQ(app().settings.recentTexts.count, 1);
}

}  // namespace
}  // namespace zorvo
