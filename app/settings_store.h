// The per-user settings store: organisation "Torva", application "Melsid",
// section "Dialog" with the string values "MPSFile" and "WTRFile". On Linux
// it is the INI file ~/.config/Torva/Melsid.ini; where Qt keeps settings in
// the registry, the key HKEY_CURRENT_USER\Software\Torva\Melsid.
#pragma once

#include <QSettings>
#include <QString>

namespace ridloe {

inline constexpr char kSettingsOrganization[] = "Torva";
inline constexpr char kSettingsApplication[] = "Melsid";
inline constexpr char kDialogSection[] = "Dialog";
inline constexpr char kMpsFileValue[] = "MPSFile";
inline constexpr char kWtrFileValue[] = "WTRFile";

class SettingsStore {
 public:
  // The platform's own form: the registry on Windows, an INI file elsewhere.
  SettingsStore();
  explicit SettingsStore(QSettings::Format format);

  // The stored text, or `defaultValue` when the value is missing, is not a
  // plain string, or the store cannot be read whole: an unreadable or
  // truncated file, one that does not parse, or a folder in its place.
  QString GetProfileString(const QString& section, const QString& entry, const QString& defaultValue) const;

  // Stores the text at once. A store that was found damaged is started
  // afresh, so nothing half-read survives the write. A write that fails
  // goes unnoticed.
  void WriteProfileString(const QString& section, const QString& entry, const QString& text);

  // Where the values live (a file path, or the registry key).
  QString Location() const;

 private:
  bool Damaged(const QSettings& settings) const;

  QSettings::Format format_;
};

}  // namespace ridloe
