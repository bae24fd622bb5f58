// The names by which the system finds this library and its one class.
#pragma once

// The class identifier as text, also for tables built from literals.
#define PLIMBUS_CLASS_ID L"{5C8DABC4-0937-4662-9ED9-A5F99D2E9977}"

namespace zorvo {

inline constexpr wchar_t kClassIdText[] = PLIMBUS_CLASS_ID;
inline constexpr wchar_t kAppIdText[] = L"{5F9C3A32-130B-4128-9615-B7184DB31E83}";
inline constexpr wchar_t kTypeLibIdText[] = L"{988E318B-1E4D-47AB-956F-32E1C12175F8}";
inline constexpr wchar_t kProgId[] = L"Plimbus.QdContextMenu.1";
inline constexpr wchar_t kVersionIndependentProgId[] = L"Plimbus.QdContextMenu";
inline constexpr wchar_t kClassDescription[] = L"Tessalin Shell Context Menu Handler";
inline constexpr wchar_t kProjectName[] = L"Plimbus";

}  // namespace zorvo
