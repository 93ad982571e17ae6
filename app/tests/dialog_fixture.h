// Shared pieces of the dialog tests: prompts that answer from a script,
// settings kept in a temporary folder, MPS files made by the builder, and the
// dialog made afresh for each test function.
#pragma once

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "app/converter_dialog.h"
#include "app/file_prompts.h"
#include "app/settings_store.h"
#include "app/waypoint_list.h"
#include "testing/mps_builder.h"
#include "ui/tests/scripted_prompts.h"

namespace ridloe::testing {

// Points the settings store at a fresh temporary folder for one test.
class TemporarySettings {
 public:
  TemporarySettings() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path()); }

  QString iniPath() const { return folder.path() + "/Torva/Melsid.ini"; }
  QString dataPath(const QString& name) const { return folder.path() + "/" + name; }

  void Store(const char* entry, const QString& text) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Torva", "Melsid");
    settings.setValue(QStringLiteral("Dialog/") + entry, text);
  }
  // The raw value as the file holds it; an absent value is an invalid variant.
  QVariant Stored(const char* entry) const {
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Torva", "Melsid");
    return settings.value(QStringLiteral("Dialog/") + entry);
  }

  QTemporaryDir folder;
};

inline QString WriteMps(const QString& path, const MpsBuilder& builder) {
  if (!WriteBytes(QFile::encodeName(path).toStdString(), builder.bytes())) return {};
  return path;
}

// The dialog's controls, found by their identifiers.
struct Controls {
  explicit Controls(ConverterDialog& dialog)
      : path(dialog.findChild<QLineEdit*>("IDC_MPS_PATH")),
        browse(dialog.findChild<QPushButton*>("IDC_BROWSE_MPS")),
        list(dialog.findChild<QPushButton*>("IDC_LIST_WAYPOINTS")),
        lines(dialog.findChild<QListView*>("IDC_WAYPOINT_LIST")),
        waypointCount(dialog.findChild<QLabel*>("IDC_WAYPOINT_COUNT")),
        convert(dialog.findChild<QPushButton*>("IDC_CONVERT_WTR")),
        trackCount(dialog.findChild<QLabel*>("IDC_TRACK_COUNT")) {}

  QStringList Lines() const {
    QStringList out;
    const QAbstractItemModel* model = lines->model();
    for (int row = 0; row < model->rowCount(); ++row) out << model->index(row, 0).data().toString();
    return out;
  }

  QLineEdit* path;
  QPushButton* browse;
  QPushButton* list;
  QListView* lines;
  QLabel* waypointCount;
  QPushButton* convert;
  QLabel* trackCount;
};

// The dialog with its settings in a fresh temporary folder and prompts that
// answer from a script. A test class makes it in init() and ends it in
// cleanup(), so every test function starts from nothing.
class DialogUnderTest {
 protected:
  void MakeDialog() {
    settings_ = std::make_unique<TemporarySettings>();
    prompts_ = std::make_unique<ScriptedPrompts>();
    store_ = std::make_unique<QtSettingsStore>(QSettings::IniFormat);
    dialog_ = std::make_unique<ConverterDialog>(*store_, *prompts_);
  }
  void EndDialog() {
    dialog_.reset();
    settings_.reset();
  }

  std::unique_ptr<TemporarySettings> settings_;
  std::unique_ptr<ScriptedPrompts> prompts_;
  std::unique_ptr<QtSettingsStore> store_;
  std::unique_ptr<ConverterDialog> dialog_;
};

}  // namespace ridloe::testing
