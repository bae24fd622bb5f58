// The names by which the programs find each other: the viewer's DDE service
// and topic, its window class and program file, the registry keys and values
// that Vantric writes, Plimbus reads and the installer creates and removes,
// and the profile's setup sections, which the installer writes too. Each is
// written here once; renaming one here renames it for every program.
//
// The installer reads this file when it is built (cmake/shared_names.cmake
// makes an NSIS `!define` of every name below, under the same name), so each
// name is a line of its own in one of two forms:
//   inline constexpr wchar_t kName[] = L"text";   (only \\ and \" as escapes)
//   inline constexpr const auto& kName = kOther;
#pragma once

namespace zorvo {

// True when two names are the same registry key or file: the system ignores
// the case of ASCII letters in both.
constexpr bool SameNameIgnoringCase(const wchar_t* a, const wchar_t* b) {
  const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c; };
  for (; *a != L'\0' && upper(*a) == upper(*b); ++a, ++b) {
  }
  return upper(*a) == upper(*b);
}

// --- The viewer --------------------------------------------------------------

// Its name as the user sees it: the window title (with a file open, "name -
// Tessary") and the caption of its messages. Its DDE service has the same
// name.
inline constexpr wchar_t kViewerTitle[] = L"Tessary";
inline constexpr const auto& kDdeService = kViewerTitle;
inline constexpr wchar_t kDdeTopic[] = L"System";
// The class of its main window.
inline constexpr wchar_t kViewerWindowClass[] = L"ZORVO";
// Its program file, which is also how it is started when no path is known.
inline constexpr wchar_t kViewerProgram[] = L"Zorvo.exe";

// --- Registry keys and values --------------------------------------------------
//
// Keys below HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE. The same key is spelt
// "Software" by some programs and "SOFTWARE" by others, and Vantric shows its
// spelling in its messages; each spelling is kept, and the pairs are checked
// to name the same key.

// The viewer's profile (HKEY_CURRENT_USER): one subkey per section.
inline constexpr wchar_t kProfileKey[] = L"Software\\Korrin\\Zorvo";
// Where the viewer is (value kViewerPathValue): machine-wide, written by the
// installer and Vantric and read by Plimbus; per user, written by Vantric
// into the profile's key.
inline constexpr wchar_t kViewerKey[] = L"SOFTWARE\\Korrin\\Zorvo";
inline constexpr wchar_t kViewerPathValue[] = L"Path";
static_assert(SameNameIgnoringCase(kViewerKey, kProfileKey));

// The context-menu entry's settings (HKEY_CURRENT_USER), as Plimbus reads
// them and as Vantric writes them.
inline constexpr wchar_t kPlimbusKey[] = L"Software\\Korrin\\Plimbus";
inline constexpr wchar_t kPlimbusKeyAsWritten[] = L"SOFTWARE\\Korrin\\Plimbus";
static_assert(SameNameIgnoringCase(kPlimbusKey, kPlimbusKeyAsWritten));
inline constexpr wchar_t kMenuTextValue[] = L"MenuText";
inline constexpr wchar_t kHelpTextValue[] = L"HelpText";
inline constexpr wchar_t kPlimbusViewerValue[] = L"ZorvoPath";

// Another program's command line naming the viewer (HKEY_CURRENT_USER),
// which Plimbus reads last.
inline constexpr wchar_t kOtherViewerKey[] = L"Software\\Korrin\\Zorvo\\ZorvoDLL";
inline constexpr wchar_t kOtherCommandLineValue[] = L"GrellCmdLine";

// The publisher's keys, which the uninstaller removes when nothing else is in
// them.
inline constexpr wchar_t kPublisherKey[] = L"Software\\Korrin";
inline constexpr wchar_t kPublisherMachineKey[] = L"SOFTWARE\\Korrin";
static_assert(SameNameIgnoringCase(kPublisherKey, kPublisherMachineKey));

// --- The profile's setups, which the installer also writes -----------------------

// A setup is the section kSetupPrefix + its name; its key kSetupKindsKey says
// which kinds of options it holds. Section kSetupListSection lists the names
// as kSetupListKey + 1, 2, ..., up to the first empty one.
inline constexpr wchar_t kSetupPrefix[] = L"Setup: ";
inline constexpr wchar_t kSetupKindsKey[] = L"SaveOptions";
inline constexpr wchar_t kSetupListSection[] = L"Setup List";
inline constexpr wchar_t kSetupListKey[] = L"Setup";

}  // namespace zorvo
