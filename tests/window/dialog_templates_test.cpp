// Every dialog template of the built Zorvo.exe, read from its resources,
// against the table of what each dialog holds: control ids, kinds and
// texts, and the caption. Scripts, tests and users' habits rely on them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "viewer/resources/resource.h"

namespace zorvo {
namespace {

struct Control {
  int id;
  std::wstring kind;
  std::wstring text;
  bool operator==(const Control&) const = default;
  bool operator<(const Control& other) const {
    return std::tie(id, kind, text) < std::tie(other.id, other.kind, other.text);
  }
};

std::ostream& operator<<(std::ostream& os, const Control& c) {
  return os << "{" << c.id << ", " << std::string(c.kind.begin(), c.kind.end()) << ", \""
            << std::string(c.text.begin(), c.text.end()) << "\"}";
}

struct Template {
  std::wstring caption;
  std::vector<Control> controls;
};

// Reads the fields of an extended dialog template.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : p_(data) {}
  WORD Word() {
    WORD w;
    memcpy(&w, p_, 2);
    p_ += 2;
    return w;
  }
  DWORD Dword() {
    DWORD d;
    memcpy(&d, p_, 4);
    p_ += 4;
    return d;
  }
  // A name or an ordinal: the ordinal as "#n".
  std::wstring NameOrOrdinal() {
    const WORD first = Word();
    if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
    std::wstring text;
    for (WORD c = first; c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  void AlignDword(const BYTE* start) {
    while ((p_ - start) % 4) ++p_;
  }
  void Skip(size_t bytes) { p_ += bytes; }

 private:
  const BYTE* p_;
};

// What a control is, from its class and style, as the dialogs' descriptions
// name it.
std::wstring KindOf(std::wstring windowClass, DWORD style) {
  // Class names compare without regard to case.
  for (wchar_t& c : windowClass) c = static_cast<wchar_t>(towupper(c));
  std::wstring kind;
  if (windowClass == L"#128" || windowClass == L"BUTTON") {
    switch (style & 0xF) {
      case BS_PUSHBUTTON:
        kind = L"button";
        break;
      case BS_DEFPUSHBUTTON:
        kind = L"default button";
        break;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
        kind = L"check box";
        break;
      case BS_3STATE:
      case BS_AUTO3STATE:
        kind = L"three-state box";
        break;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        kind = L"radio button";
        break;
      case BS_GROUPBOX:
        kind = L"group";
        break;
      case BS_OWNERDRAW:
        kind = L"owner-drawn";
        break;
      default:
        kind = L"button " + std::to_wstring(style & 0xF);
    }
  } else if (windowClass == L"#129" || windowClass == L"EDIT") {
    kind = style & ES_READONLY ? L"read-only field" : L"field";
  } else if (windowClass == L"#130" || windowClass == L"STATIC") {
    kind = (style & SS_TYPEMASK) == SS_ICON ? L"icon" : L"text";
  } else if (windowClass == L"#131" || windowClass == L"LISTBOX") {
    kind = style & LBS_SORT ? L"sorted list" : L"list";
  } else if (windowClass == L"#133" || windowClass == L"COMBOBOX") {
    kind = (style & 3) == CBS_DROPDOWNLIST ? L"drop-down list" : L"combo box";
    if (style & CBS_SORT) kind = L"sorted " + kind;
  } else {
    kind = windowClass;
  }
  if (style & WS_DISABLED) kind += L", disabled";
  if (!(style & WS_VISIBLE)) kind += L", hidden";
  return kind;
}

bool ReadTemplate(HMODULE module, const wchar_t* name, Template& out) {
  HRSRC found = FindResourceW(module, name, RT_DIALOG);
  if (!found) return false;
  const auto* start = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (!start) return false;
  TemplateReader r(start);
  if (r.Word() != 1 || r.Word() != 0xFFFF) return false;  // DLGTEMPLATEEX only
  r.Dword();                                              // help id
  r.Dword();                                              // extended style
  const DWORD style = r.Dword();
  const WORD count = r.Word();
  r.Skip(8);          // x, y, cx, cy
  r.NameOrOrdinal();  // menu
  r.NameOrOrdinal();  // class
  out.caption = r.NameOrOrdinal();
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    r.Skip(6);  // point size, weight, italic, character set
    r.NameOrOrdinal();
  }
  for (WORD i = 0; i < count; ++i) {
    r.AlignDword(start);
    r.Dword();  // help id
    r.Dword();  // extended style
    const DWORD itemStyle = r.Dword();
    r.Skip(8);
    const int id = static_cast<int>(static_cast<int16_t>(r.Dword()));
    const std::wstring windowClass = r.NameOrOrdinal();
    std::wstring text = r.NameOrOrdinal();
    r.Skip(r.Word());  // creation data
    const std::wstring kind = KindOf(windowClass, itemStyle);
    // An icon's text names a resource, which compares without regard to case.
    if (kind == L"icon") {
      for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
    }
    out.controls.push_back({id, kind, text});
  }
  return true;
}

const std::wstring kText = L"text", kField = L"field", kReadOnly = L"read-only field",
                   kButton = L"button", kDefault = L"default button", kCheck = L"check box",
                   kThree = L"three-state box", kGroup = L"group", kCombo = L"combo box",
                   kOwner = L"owner-drawn";

struct Expected {
  const wchar_t* name;
  const wchar_t* caption;
  std::vector<Control> controls;
};

std::vector<Control> SampleButtons() {
  std::vector<Control> samples;
  for (int id = IDC_SAMPLE_TITLE; id <= IDC_SAMPLE_BELOW; ++id)
    samples.push_back({id, kOwner, L""});
  return samples;
}

std::vector<Control> With(std::vector<Control> a, const std::vector<Control>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<Control> KindBoxes(const std::wstring& kind) {
  return {{IDC_KIND_FORMAT, kind, L"Format"},
          {IDC_KIND_TITLES, kind, L"Titles"},
          {IDC_KIND_PAGESETUP, kind, L"Page Setup"},
          {IDC_KIND_PRINTSETUP, kind, L"Print Setup"},
          {IDC_KIND_COLORS, kind, L"Colors"}};
}

TEST(DialogTemplates, EachDialogHoldsTheControlsItsDescriptionNames) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program = path;
  program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"Zorvo.exe";
  HMODULE zorvo = LoadLibraryExW(program.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(zorvo, nullptr) << "Zorvo.exe beside the tests";

  const Expected expected[] = {
      {L"FindTextOptions",
       L"Find Text",
       {{-1, kText, L"Fi&nd What"},
        {IDC_FIND_TEXT, kCombo, L""},
        {IDC_FIND_CASE, kCheck, L"&Case Sensitive"},
        {IDC_FIND_FROM_TOP, kCheck, L"Start from &Top"},
        {IDOK, kDefault, L"Find"},
        {IDC_FIND_MARK_ALL, kButton, L"&Mark All"},
        {IDCANCEL, kButton, L"Cancel"}}},
      {L"FindHexOptions",
       L"Find Hex",
       {{IDC_FIND_ERROR, kText, L" "},
        {-1, kText, L"Fi&nd What"},
        {IDC_FIND_HEX, kCombo, L""},
        {-1, kText, L"Text"},
        {IDC_FIND_SHOWN, kField + L", disabled", L""},
        {IDC_FIND_FROM_TOP, kCheck, L"Start from &Top"},
        {IDOK, kDefault, L"Find"},
        {IDC_FIND_MARK_ALL, kButton, L"&Mark All"},
        {IDCANCEL, kButton, L"Cancel"}}},
      {L"FreezeColumns",
       L"Freeze Columns",
       {{-1, kText, L"How many columns would you like to &freeze:"},
        {IDC_FREEZE_COUNT, kField, L""},
        {-1, kText, L"This is an example line from your current file and a scale:"},
        {IDC_FREEZE_EXAMPLE, kReadOnly, L""},
        {IDC_FREEZE_SCALE, kReadOnly, L""},
        {IDOK, kDefault, L"OK"},
        {IDCANCEL, kButton, L"Cancel"},
        {IDC_FREEZE_HELP, kButton, L"&Help"}}},
      {L"FormatColors", L"Color Selection",
       With({{IDC_COLOR_LIST, L"drop-down list", L""},
             {-1, kGroup, L"Sample"},
             {IDOK, kDefault, L"OK"},
             {IDCANCEL, kButton, L"Cancel"},
             {IDC_COLOR_CHANGE, kButton, L"&Change"},
             {IDC_COLOR_RESET, kButton, L"&Reset"},
             {IDC_COLOR_RESETALL, kButton, L"Reset &All"},
             {IDC_COLOR_HELP, kButton, L"&Help"}},
            SampleButtons())},
      {L"FormatShades",
       L"Print Shade Selection",
       {{-1, kGroup, L"Print Shades"},
        {-1, kText, L"Text"},
        {-1, kText, L"Bgnd"},
        {-1, kText, L"&Normal line"},
        {IDC_SHADE_NORMAL, kField, L""},
        {IDC_SHADE_NORMALB, kField, L""},
        {-1, kText, L"&Tagged line"},
        {IDC_SHADE_TAGGED, kField, L""},
        {IDC_SHADE_TAGGEDB, kField, L""},
        {-1, kText, L"H&eading"},
        {IDC_SHADE_HEADING, kField, L""},
        {IDC_SHADE_HEADINGB, kField, L""},
        {-1, kText, L"C&omment"},
        {IDC_SHADE_COMMENT, kField, L""},
        {IDC_SHADE_COMMENTB, kField, L""},
        {IDC_SHADE_PAPER, kField + L", hidden", L""},
        {-1, kText, L"Type in numbers between"},
        {-1, kText, L"0 (white) and 8 (black)."},
        {IDOK, kDefault, L"OK"},
        {IDCANCEL, kButton, L"Cancel"},
        {IDC_SHADE_SAVE, kButton, L"&Save"},
        {IDC_SHADE_RESETALL, kButton, L"&Reset All"},
        {IDC_SHADE_HELP, kButton, L"&Help"}}},
      {L"SaveOptions", L"Save Options",
       With({{-1, kGroup, L"Save &What"},
             {-1, kText,
              L"Check the kinds of options you want to save. Uncheck those you want to reset to "
              L"default. Make gray those you want to keep unchanged."},
             {IDOK, kDefault, L"Save"},
             {IDCANCEL, kButton, L"Cancel"},
             {IDC_SETUP_HELP, kButton, L"&Help"}},
            KindBoxes(kThree))},
      {L"SaveSetup", L"Save Setup As...",
       With({{-1, kText, L"&Setup Name"},
             {IDC_SETUP_NAME, L"sorted " + kCombo, L""},
             {-1, kGroup, L"Save &What"},
             {IDOK, kDefault, L"Save"},
             {IDCANCEL, kButton, L"Cancel"}},
            KindBoxes(kCheck))},
      {L"LoadSetup",
       L"Load Setup...",
       {{-1, kText, L"&Setup Name"},
        {IDC_SETUP_LIST, L"sorted list", L""},
        {IDOK, kDefault, L"OK"},
        {IDCANCEL, kButton, L"Cancel"}}},
      {L"DialogAbout",
       L"About Zorvo",
       {{-1, L"icon", L"zorvo"},
        {-1, kText, L"Tessary for Windows"},
        {IDC_ABOUT_VERSION, kText, L"Version: "},
        {-1, kText, L"Copyright \u00A9 2026 Korrin"},
        {IDOK, kDefault, L"OK"}}},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(std::string(e.name, e.name + wcslen(e.name)));
    Template found;
    ASSERT_TRUE(ReadTemplate(zorvo, e.name, found));
    EXPECT_EQ(found.caption, e.caption);
    std::vector<Control> want = e.controls, got = found.controls;
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want);
  }
  FreeLibrary(zorvo);
}

}  // namespace
}  // namespace zorvo
