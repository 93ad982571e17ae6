// Listing a very large file: the dialog shows 200,000 waypoints and scrolls
// to the end in well under a second.
#include <QElapsedTimer>
#include <QScrollBar>
#include <memory>

#include "tests/dialog_fixture.h"

using namespace ridloe;
using namespace ridloe::testing;

class DialogSpeedTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void largeFileListsInUnderASecond() {
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

    SettingsStore store(QSettings::IniFormat);
    ScriptedPrompts prompts;
    ConverterDialog dialog(store, prompts);
    dialog.OnInitDialog();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    Controls c(dialog);
    c.path->setText(path);

    QElapsedTimer timer;
    timer.start();
    c.list->click();
    QApplication::processEvents();
    c.lines->repaint();
    c.lines->verticalScrollBar()->setValue(c.lines->verticalScrollBar()->maximum());
    c.lines->repaint();
    QApplication::processEvents();
    const qint64 elapsed = timer.elapsed();

    qInfo("listed %d waypoints, shown and scrolled to the end in %lld ms", kWaypoints, elapsed);
    QCOMPARE(c.lines->model()->rowCount(), kWaypoints);
    QCOMPARE(c.waypointCount->text(), QString::number(kWaypoints));
    QCOMPARE(c.lines->model()->index(kWaypoints - 1, 0).data().toString(), QStringLiteral("航點199999 3999"));
    QVERIFY2(elapsed < 1000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
  }
};

QTEST_MAIN(DialogSpeedTest)
#include "dialog_speed_test.moc"
