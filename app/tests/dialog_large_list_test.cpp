// Listing a very large file: the dialog shows all 200,000 waypoints and
// scrolls to the end. How long it takes is measured in bench/.
#include <QScrollBar>
#include <memory>

#include "app/tests/dialog_fixture.h"

using namespace ridloe;
using namespace ridloe::testing;

class DialogLargeListTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void largeFileListsEveryWaypoint() {
    TemporarySettings settings;
    constexpr int kWaypoints = 200000;
    MpsBuilder b;
    b.Header();
    const std::string name = Cp950FromUtf8("航點");
    for (int i = 0; i < kWaypoints; ++i) {
      b.Waypoint({.name = name + std::to_string(i), .altitude = double(i % 4000), .symbol = 106});
    }
    b.End();
    const QString path = WriteMps(settings.dataPath("large.mps"), b);
    QVERIFY(!path.isEmpty());

    QtSettingsStore store(QSettings::IniFormat);
    ScriptedPrompts prompts;
    ConverterDialog dialog(store, prompts);
    dialog.OnInitDialog();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Controls c(dialog);
    c.path->setText(path);

    c.list->click();
    QApplication::processEvents();
    c.lines->repaint();
    c.lines->verticalScrollBar()->setValue(c.lines->verticalScrollBar()->maximum());
    c.lines->repaint();
    QApplication::processEvents();
    QCOMPARE(c.lines->model()->rowCount(), kWaypoints);
    QCOMPARE(c.waypointCount->text(), QString::number(kWaypoints));
    QCOMPARE(c.lines->model()->index(kWaypoints - 1, 0).data().toString(), QStringLiteral("航點199999 3999"));
    QCOMPARE(c.lines->indexAt(c.lines->viewport()->rect().bottomLeft() + QPoint(1, -1)).row(), kWaypoints - 1);
  }
};

QTEST_MAIN(DialogLargeListTest)
#include "dialog_large_list_test.moc"
