#include "app/settings_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QVariant>

namespace ridloe {
namespace {

QSettings::Format PlatformFormat() {
#ifdef Q_OS_WIN
  return QSettings::NativeFormat;
#else
  return QSettings::IniFormat;
#endif
}

// Where the settings are in the registry, the profile level (the program
// file's name without its extension, Qt's default application name) sits
// between the key and the section, as in ridloe.exe:
// HKEY_CURRENT_USER\Software\Torva\Melsid\ridloe\Dialog.
QString Key(const std::string& section, const std::string& entry) {
  QString key = QString::fromStdString(section + '/' + entry);
#ifdef Q_OS_WIN
  key.prepend(QCoreApplication::applicationName() + QLatin1Char('/'));
#endif
  return key;
}

// Every line the store writes ends with a newline, so a file whose last byte
// is something else was cut short (a full disk, a crash during a copy).
bool EndsCut(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) return false;  // the store then reads as empty anyway
  const qint64 size = file.size();
  if (size <= 0 || !file.seek(size - 1)) return false;
  char last = 0;
  return file.read(&last, 1) == 1 && last != '\n';
}

}  // namespace

QtSettingsStore::QtSettingsStore() : QtSettingsStore(PlatformFormat()) {}

QtSettingsStore::QtSettingsStore(QSettings::Format format) : format_(format) {}

bool QtSettingsStore::Damaged(const QSettings& settings) const {
  if (settings.status() != QSettings::NoError) return true;
  if (format_ != QSettings::IniFormat) return false;
  const QFileInfo info(settings.fileName());
  if (info.exists() && !info.isFile()) return true;  // a folder where the file belongs
  return EndsCut(settings.fileName());
}

std::string QtSettingsStore::GetProfileString(const std::string& section, const std::string& entry,
                                              const std::string& defaultValue) const {
  const QSettings settings(format_, QSettings::UserScope, kSettingsOrganization, kSettingsApplication);
  if (Damaged(settings)) return defaultValue;
  const QVariant value = settings.value(Key(section, entry));
  // Only a plain string is a path; a list or a byte array is someone else's.
  if (value.typeId() != QMetaType::QString) return defaultValue;
  return value.toString().toStdString();
}

void QtSettingsStore::WriteProfileString(const std::string& section, const std::string& entry,
                                         const std::string& text) {
  QSettings settings(format_, QSettings::UserScope, kSettingsOrganization, kSettingsApplication);
  if (Damaged(settings)) settings.clear();
  settings.setValue(Key(section, entry), QString::fromStdString(text));
  settings.sync();
}

QString QtSettingsStore::Location() const {
  const QSettings settings(format_, QSettings::UserScope, kSettingsOrganization, kSettingsApplication);
  return settings.fileName();
}

}  // namespace ridloe
