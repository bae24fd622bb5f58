// What registering the library writes under HKEY_CLASSES_ROOT and what
// unregistering removes, as one table in the order of writing. The steps are
// decided here; the Windows side only carries them out.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvo {

enum class RowKind {
  kKeptKey,   // created when missing, never removed (shared keys such as CLSID)
  kKey,       // created; removed again unless other keys were put below it
  kFreshKey,  // deleted with everything below it, then created; removed whole
  kValue,     // a named string value of the key of the row
  kStaleKey,  // deleted with everything below it when registering; not restored
};

struct RegistryRow {
  RowKind kind;
  std::wstring_view key;   // path below HKEY_CLASSES_ROOT
  std::wstring_view name;  // kValue: the value's name
  std::wstring_view data;  // kKey, kFreshKey: the default value (empty: none); kValue: the text
};

enum class StepKind {
  kCreateKey,       // create the key when missing
  kSetValue,        // set a string value (empty name: the default value)
  kDeleteTree,      // delete the key with everything below it; a missing key is fine
  kDeleteEmptyKey,  // delete the key unless it has subkeys; a missing key is fine
};

struct RegistryStep {
  StepKind kind;
  std::wstring key;
  std::wstring name;
  std::wstring data;
  bool operator==(const RegistryStep&) const = default;
};

// The module's rows (application identifier) and the class's rows, in order.
std::span<const RegistryRow> ModuleRows();
std::span<const RegistryRow> ClassRows();

// Replaces %MODULE% and %APPID% in `text`; anything else, other percent
// signs included, is copied as it stands.
std::wstring ExpandRegistryText(std::wstring_view text, std::wstring_view modulePath);

// The steps that write `rows`, in their order, and those that undo them, in
// the reverse order (children before their parents).
std::vector<RegistryStep> RegisterSteps(std::span<const RegistryRow> rows,
                                        std::wstring_view modulePath);
std::vector<RegistryStep> UnregisterSteps(std::span<const RegistryRow> rows,
                                          std::wstring_view modulePath);

}  // namespace zorvo
