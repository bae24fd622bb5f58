// The three settings of the file manager's context-menu entry, as this tool
// reads and writes them: the menu text and the status-bar text per user, the
// viewer's path per user and machine-wide. The shell extension reads the same
// values each time it builds its menu, so the keys, the value names and the
// order of writing are shared with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/shared_names.h"

namespace zorvo::vantric {

inline constexpr const auto& kMenuKeyPath = kPlimbusKeyAsWritten;
inline constexpr const auto& kViewerKeyPath = kViewerKey;
inline constexpr const auto& kDefaultViewerPath = kViewerProgram;

// Characters of a field that are read and written, without the terminator.
inline constexpr size_t kMaxSettingLength = 259;
// The longest stored value that is shown: a full field and its terminator.
inline constexpr size_t kMaxSettingBytes = (kMaxSettingLength + 1) * 2;

// The platform's codes of the two string types.
inline constexpr uint32_t kTypeString = 1;
inline constexpr uint32_t kTypeExpandString = 2;

// What the dialog edits.
struct ContextMenuSettings {
  std::wstring menuText;
  std::wstring helpText;
  std::wstring viewerPath = kDefaultViewerPath;
  bool operator==(const ContextMenuSettings&) const = default;
};

enum class RegistryRoot { kCurrentUser, kLocalMachine };

// A stored value as the registry hands it over: its type and raw bytes
// (strings in UTF-16, low byte first).
struct StoredValue {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
};

// One open key. Errors are the system's codes; 0 is success.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;
  // Value `name` when it is at most `maxBytes` long; nothing when it is
  // missing, longer or cannot be read.
  virtual std::optional<StoredValue> Read(const std::wstring& name, size_t maxBytes) = 0;
  // Stores `text` as a string value with its terminator.
  virtual uint32_t WriteText(const std::wstring& name, const std::wstring& text) = 0;
};

// The registry as the tool sees it: the Windows one, or, in tests, one that
// lives in memory or refuses chosen keys.
class SettingsRegistry {
 public:
  virtual ~SettingsRegistry() = default;
  // Opens `path` under `root` for reading and writing, creating it first
  // when `create`. Null with `error` set when that fails.
  virtual std::unique_ptr<SettingsKey> Open(RegistryRoot root, const std::wstring& path,
                                            bool create, uint32_t& error) = 0;
};

// The text of a stored value when it is one that can be shown: a string
// (plain or expandable, not expanded) of at most kMaxSettingBytes, of an even
// byte count, empty or ending with its terminator. Text after an embedded
// terminator is not part of it.
std::optional<std::wstring> TextOfStoredValue(const StoredValue& value);

// The fields as the dialog starts: empty texts and "Zorvo.exe", then the
// menu and help texts of the per-user key and the path of the machine-wide
// key, each where a usable value is stored. A key that does not open for
// reading and writing leaves its fields as they are.
ContextMenuSettings LoadContextMenuSettings(SettingsRegistry& registry);

// Why saving stopped: the message for the user and the system's error code.
struct SaveFailure {
  std::wstring message;
  uint32_t error = 0;
  bool operator==(const SaveFailure&) const = default;
};

// Writes the menu text and help text to the per-user key, then the path to
// the per-user and then to the machine-wide viewer key, each cut to
// kMaxSettingLength characters. Stops at the first failure; what was written
// before it stays written.
std::optional<SaveFailure> SaveContextMenuSettings(SettingsRegistry& registry,
                                                   const ContextMenuSettings& settings);

// The text of an error message: `message` (at most 4096 characters), then,
// when a system error code is given, "\n\nError <code>: <the system's text>"
// or "<unknown>" when the system has none.
std::wstring ErrorReportText(const std::wstring& message, std::optional<uint32_t> systemError);

}  // namespace zorvo::vantric
