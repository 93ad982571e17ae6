#include "winapp/registry_settings.h"

#include "winapp/windows_api.h"

#include <utility>

#include "core/platform/paths.h"
#include "core/platform/windows/unicode.h"

namespace ridloe {

std::string ProgramProfileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return SplitPath(Utf8FromWide(path)).baseName;
}

RegistrySettingsStore::RegistrySettingsStore(std::string profile) : profile_(std::move(profile)) {}

std::string RegistrySettingsStore::KeyOf(const std::string& section) const {
  return "Software\\Torva\\Melsid\\" + profile_ + "\\" + section;
}

// A value that is missing, is not a string or cannot be read gives the default.
std::string RegistrySettingsStore::GetProfileString(const std::string& section, const std::string& entry,
                                                    const std::string& defaultValue) const {
  const std::wstring key = WideFromUtf8(KeyOf(section));
  const std::wstring name = WideFromUtf8(entry);
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS) {
      return defaultValue;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
    if (status == ERROR_MORE_DATA) continue;  // it grew in between
    if (status != ERROR_SUCCESS) return defaultValue;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return Utf8FromWide(text);
  }
  return defaultValue;
}

// A failed write goes unnoticed, as the dialog has no way to show it.
void RegistrySettingsStore::WriteProfileString(const std::string& section, const std::string& entry,
                                               const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, WideFromUtf8(KeyOf(section)).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring value = WideFromUtf8(text);
  RegSetValueExW(key, WideFromUtf8(entry).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

}  // namespace ridloe
