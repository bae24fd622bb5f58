#include "shellext/registration_table.h"

#include "shellext/identifiers.h"

namespace zorvo {

namespace {

using enum RowKind;

// Module rows: the application identifier.
constexpr RegistryRow kModuleRows[] = {
    {kKeptKey, L"AppID", L"", L""},
    {kKey, L"AppID\\%APPID%", L"", kProjectName},
    {kKey, L"AppID\\Plimbus.DLL", L"", L""},
    {kValue, L"AppID\\Plimbus.DLL", L"AppID", L"%APPID%"},
};

#define ZORVO_CLASS_KEY L"CLSID\\" PLIMBUS_CLASS_ID
#define ZORVO_HANDLERS L"*\\shellex\\ContextMenuHandlers"

// Class rows: the two program identifiers, the class key, the handler of all
// file types, and the removal of the plain verb earlier versions used.
constexpr RegistryRow kClassRows[] = {
    {kKey, L"Plimbus.QdContextMenu.1", L"", kClassDescription},
    {kKey, L"Plimbus.QdContextMenu.1\\CLSID", L"", PLIMBUS_CLASS_ID},
    {kKey, L"Plimbus.QdContextMenu", L"", kClassDescription},
    {kKey, L"Plimbus.QdContextMenu\\CLSID", L"", PLIMBUS_CLASS_ID},
    {kKey, L"Plimbus.QdContextMenu\\CurVer", L"", kProgId},
    {kKeptKey, L"CLSID", L"", L""},
    {kFreshKey, ZORVO_CLASS_KEY, L"", kClassDescription},
    {kKey, ZORVO_CLASS_KEY L"\\ProgID", L"", kProgId},
    {kKey, ZORVO_CLASS_KEY L"\\VersionIndependentProgID", L"", kVersionIndependentProgId},
    {kKey, ZORVO_CLASS_KEY L"\\InprocServer32", L"", L"%MODULE%"},
    {kValue, ZORVO_CLASS_KEY L"\\InprocServer32", L"ThreadingModel", L"Both"},
    {kKey, ZORVO_CLASS_KEY L"\\TypeLib", L"", kTypeLibIdText},
    {kValue, ZORVO_CLASS_KEY, L"AppID", L"%APPID%"},
    {kKeptKey, L"*", L"", L""},
    {kKeptKey, L"*\\shell", L"", L""},
    {kStaleKey, L"*\\shell\\Zorvo", L"", L""},
    {kKeptKey, L"*\\shellex", L"", L""},
    {kKeptKey, ZORVO_HANDLERS, L"", L""},
    {kFreshKey, ZORVO_HANDLERS L"\\QdContextMenu", L"", PLIMBUS_CLASS_ID},
};

#undef ZORVO_HANDLERS
#undef ZORVO_CLASS_KEY

}  // namespace

std::span<const RegistryRow> ModuleRows() { return kModuleRows; }
std::span<const RegistryRow> ClassRows() { return kClassRows; }

std::wstring ExpandRegistryText(std::wstring_view text, std::wstring_view modulePath) {
  static constexpr std::wstring_view kModule = L"%MODULE%";
  static constexpr std::wstring_view kAppId = L"%APPID%";
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    const std::wstring_view rest = text.substr(i);
    if (rest.starts_with(kModule)) {
      out += modulePath;
      i += kModule.size();
    } else if (rest.starts_with(kAppId)) {
      out += kAppIdText;
      i += kAppId.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

std::vector<RegistryStep> RegisterSteps(std::span<const RegistryRow> rows,
                                        std::wstring_view modulePath) {
  std::vector<RegistryStep> steps;
  for (const RegistryRow& row : rows) {
    const std::wstring key = ExpandRegistryText(row.key, modulePath);
    const std::wstring data = ExpandRegistryText(row.data, modulePath);
    switch (row.kind) {
      case kFreshKey:
        steps.push_back({StepKind::kDeleteTree, key, L"", L""});
        [[fallthrough]];
      case kKey:
      case kKeptKey:
        steps.push_back({StepKind::kCreateKey, key, L"", L""});
        if (!data.empty()) steps.push_back({StepKind::kSetValue, key, L"", data});
        break;
      case kValue:
        steps.push_back({StepKind::kSetValue, key, std::wstring(row.name), data});
        break;
      case kStaleKey:
        steps.push_back({StepKind::kDeleteTree, key, L"", L""});
        break;
    }
  }
  return steps;
}

std::vector<RegistryStep> UnregisterSteps(std::span<const RegistryRow> rows,
                                          std::wstring_view modulePath) {
  std::vector<RegistryStep> steps;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    const std::wstring key = ExpandRegistryText(row->key, modulePath);
    if (row->kind == kKey) steps.push_back({StepKind::kDeleteEmptyKey, key, L"", L""});
    if (row->kind == kFreshKey) steps.push_back({StepKind::kDeleteTree, key, L"", L""});
  }
  return steps;
}

}  // namespace zorvo
