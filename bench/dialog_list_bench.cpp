// How long the dialog takes to list a large file: from the click on the list
// button to the filled list shown and scrolled to its end. Runs on Qt's
// offscreen platform with settings in a temporary folder.
// Usage: dialog_list_bench [WAYPOINTS]      (default 200,000; prints the median of 5)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/converter_dialog.h"
#include "app/settings_store.h"
#include "testing/mps_builder.h"

namespace {

class NoPrompts final : public ridloe::FilePrompts {
 public:
  bool OpenMps(const std::string&, std::string&) override { return false; }
  bool SaveWtr(const std::string&, const std::string&, std::string&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int waypoints = argc > 1 ? std::atoi(argv[1]) : 200000;
  QTemporaryDir folder;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
  ridloe::testing::MpsBuilder b;
  b.Header();
  const std::string name = ridloe::testing::Cp950FromUtf8("航點");
  for (int i = 0; i < waypoints; ++i) b.Waypoint({.name = name + std::to_string(i), .altitude = double(i % 4000)});
  b.End();
  const std::string path = (folder.path() + "/large.mps").toStdString();
  if (!ridloe::testing::WriteBytes(path, b.bytes())) return 1;

  std::vector<qint64> times;
  for (int run = 0; run < 5; ++run) {
    ridloe::QtSettingsStore store(QSettings::IniFormat);
    NoPrompts prompts;
    ridloe::ConverterDialog dialog(store, prompts);
    dialog.OnInitDialog();
    dialog.show();
    QApplication::processEvents();
    auto* list = dialog.findChild<QListView*>("IDC_WAYPOINT_LIST");
    dialog.findChild<QLineEdit*>("IDC_MPS_PATH")->setText(QString::fromStdString(path));
    QElapsedTimer timer;
    timer.start();
    dialog.findChild<QPushButton*>("IDC_LIST_WAYPOINTS")->click();
    QApplication::processEvents();
    list->repaint();
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    list->repaint();
    QApplication::processEvents();
    times.push_back(timer.elapsed());
    if (list->model()->rowCount() != waypoints) return 1;
  }
  std::sort(times.begin(), times.end());
  std::printf("dialog lists %d waypoints, shown and scrolled to the end: %lld ms (median of 5)\n", waypoints,
              static_cast<long long>(times[2]));
  return 0;
}
