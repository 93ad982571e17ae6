// The per-user settings store: organisation "Torva", application "Melsid",
// section "Dialog" with the string values "MPSFile" and "WTRFile". On Linux
// it is the INI file ~/.config/Torva/Melsid.ini; where Qt keeps settings in
// the registry, the key HKEY_CURRENT_USER\Software\Torva\Melsid\<program name>.
#pragma once

#include <QSettings>
#include <QString>

#include "ui/converter_view.h"

namespace ridloe {

inline constexpr char kSettingsOrganization[] = "Torva";
inline constexpr char kSettingsApplication[] = "Melsid";

class QtSettingsStore final : public SettingsStore {
 public:
  // The platform's own form: the registry on Windows, an INI file elsewhere.
  QtSettingsStore();
  explicit QtSettingsStore(QSettings::Format format);

  // The stored text, or `defaultValue` when the value is missing, is not a
  // plain string, or the store cannot be read whole: an unreadable or
  // truncated file, one that does not parse, or a folder in its place.
  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue) const override;

  // Stores the text at once. A store that was found damaged is started
  // afresh, so nothing half-read survives the write. A write that fails
  // goes unnoticed.
  void WriteProfileString(const std::string& section, const std::string& entry, const std::string& text) override;

  // Where the values live (a file path, or the registry key).
  QString Location() const;

 private:
  bool Damaged(const QSettings& settings) const;

  QSettings::Format format_;
};

}  // namespace ridloe
