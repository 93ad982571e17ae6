// The settings store in the registry, as the dialog has always kept it:
// HKEY_CURRENT_USER\Software\Torva\Melsid\<profile>\<section>, string values.
#pragma once

#include <string>

#include "ui/converter_view.h"

namespace ridloe {

// The profile every setting sits under: the program file's name without its
// extension ("ridloe" for C:\Tools\ridloe.exe).
std::string ProgramProfileName();

class RegistrySettingsStore final : public SettingsStore {
 public:
  explicit RegistrySettingsStore(std::string profile);

  // The key below HKEY_CURRENT_USER that holds `section`.
  std::string KeyOf(const std::string& section) const;

  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue) const override;
  void WriteProfileString(const std::string& section, const std::string& entry, const std::string& text) override;

 private:
  std::string profile_;
};

}  // namespace ridloe
