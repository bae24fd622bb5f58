#include "configtool/context_menu_settings.h"

#include "common/system_error_text.h"

namespace zorvo::vantric {

namespace {

constexpr size_t kMaxMessageLength = 4096;

// Reads `name` into `field` when a usable string is stored there.
void ReadInto(SettingsKey& key, const wchar_t* name, std::wstring& field) {
  if (std::optional<StoredValue> value = key.Read(name, kMaxSettingBytes)) {
    if (std::optional<std::wstring> text = TextOfStoredValue(*value)) field = std::move(*text);
  }
}

std::wstring Cut(const std::wstring& text) { return text.substr(0, kMaxSettingLength); }

SaveFailure CannotCreate(const wchar_t* path, uint32_t error) {
  return {L"Cannot create registry key: \"" + std::wstring(path) + L"\"", error};
}
SaveFailure CannotSet(const wchar_t* name, uint32_t error) {
  return {L"Cannot set registry value: \"" + std::wstring(name) + L"\"", error};
}

// Writes `Path` to the viewer key under `root`.
std::optional<SaveFailure> SavePath(SettingsRegistry& registry, RegistryRoot root,
                                    const std::wstring& path) {
  uint32_t error = 0;
  std::unique_ptr<SettingsKey> key = registry.Open(root, kViewerKeyPath, true, error);
  if (!key) return CannotCreate(kViewerKeyPath, error);
  if ((error = key->WriteText(kViewerPathValue, path)) != 0)
    return CannotSet(kViewerPathValue, error);
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> TextOfStoredValue(const StoredValue& value) {
  if (value.type != kTypeString && value.type != kTypeExpandString) return std::nullopt;
  const size_t size = value.bytes.size();
  if (size > kMaxSettingBytes || size % 2 != 0) return std::nullopt;
  if (size != 0 && (value.bytes[size - 2] != 0 || value.bytes[size - 1] != 0)) return std::nullopt;
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const wchar_t unit = static_cast<wchar_t>(value.bytes[i] | (value.bytes[i + 1] << 8));
    if (unit == L'\0') break;
    text.push_back(unit);
  }
  return text;
}

ContextMenuSettings LoadContextMenuSettings(SettingsRegistry& registry) {
  ContextMenuSettings settings;
  uint32_t error = 0;
  if (std::unique_ptr<SettingsKey> key =
          registry.Open(RegistryRoot::kCurrentUser, kMenuKeyPath, false, error)) {
    ReadInto(*key, kHelpTextValue, settings.helpText);
    ReadInto(*key, kMenuTextValue, settings.menuText);
  }
  if (std::unique_ptr<SettingsKey> key =
          registry.Open(RegistryRoot::kLocalMachine, kViewerKeyPath, false, error)) {
    ReadInto(*key, kViewerPathValue, settings.viewerPath);
  }
  return settings;
}

std::optional<SaveFailure> SaveContextMenuSettings(SettingsRegistry& registry,
                                                   const ContextMenuSettings& settings) {
  const std::wstring path = Cut(settings.viewerPath);
  {
    uint32_t error = 0;
    std::unique_ptr<SettingsKey> key =
        registry.Open(RegistryRoot::kCurrentUser, kMenuKeyPath, true, error);
    if (!key) return CannotCreate(kMenuKeyPath, error);
    if ((error = key->WriteText(kMenuTextValue, Cut(settings.menuText))) != 0)
      return CannotSet(kMenuTextValue, error);
    if ((error = key->WriteText(kHelpTextValue, Cut(settings.helpText))) != 0)
      return CannotSet(kHelpTextValue, error);
  }
  if (auto failure = SavePath(registry, RegistryRoot::kCurrentUser, path)) return failure;
  return SavePath(registry, RegistryRoot::kLocalMachine, path);
}

std::wstring ErrorReportText(const std::wstring& message, std::optional<uint32_t> systemError) {
  std::wstring text = message.substr(0, kMaxMessageLength);
  if (systemError) {
    const std::optional<std::wstring> system = SystemErrorText(*systemError);
    text += L"\n\nError " + std::to_wstring(*systemError) + L": " +
            (system ? *system : std::wstring(L"<unknown>"));
  }
  return text;
}

}  // namespace zorvo::vantric
