// The Qt dialog as a view: its buttons, drops and closing reach the presenter,
// and the controls show what it says. What the commands do is tested on the
// presenter itself (ui/tests); here the files and settings are real.
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "app/tests/dialog_fixture.h"
#include "formats/wtr/wtr_document.h"

using namespace ridloe;
using namespace ridloe::testing;

namespace {

// Three waypoints (symbols 106, 48 and 5) and one track of two points.
MpsBuilder Trip() {
  MpsBuilder b;
  b.Header()
      .Waypoint({.name = Cp950FromUtf8("玉山"), .latitude = 280000000, .longitude = 1440000000, .altitude = 3952.4, .symbol = 106})
      .Waypoint({.name = "WATER", .altitude = 12.6, .symbol = 48})
      .Waypoint({.name = "CAMP", .altitude = -3.6, .symbol = 5})
      .Track({.name = "DAY1", .points = {{.latitude = 1}, {.latitude = 2}}})
      .End();
  return b;
}
const QStringList kTripLines = {QStringLiteral("玉山 3952"), QStringLiteral("WATER  13"), QStringLiteral("CAMP  -4")};

}  // namespace

class DialogCommandsTest : public QObject, private DialogUnderTest {
  Q_OBJECT

 private:
  QString trip_;

 private Q_SLOTS:
  void init() {
    MakeDialog();
    trip_ = WriteMps(settings_->dataPath("trip.mps"), Trip());
    QVERIFY(!trip_.isEmpty());
  }

  void cleanup() { EndDialog(); }

  // The stored path is listed at start, decoded from code page 950, the
  // counts show, the value is written back to the file, and the path field
  // has the focus.
  void storedPathIsListedAtStartWithTheFocusOnThePath() {
    settings_->Store("MPSFile", trip_);
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
    dialog_->OnInitDialog();
    Controls c(*dialog_);
    QCOMPARE(c.path->text(), trip_);
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(c.waypointCount->text(), QStringLiteral("3"));
    QCOMPARE(c.trackCount->text(), QStringLiteral("1"));
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
    QTRY_VERIFY(c.path->hasFocus());
  }

  void buttonsRunTheCommandsAndConvertEndsTheDialog() {
    dialog_->OnInitDialog();
    dialog_->show();
    Controls c(*dialog_);
    prompts_->openAnswer = trip_.toStdString();
    c.browse->click();
    QCOMPARE(prompts_->openCalls, 1);
    QCOMPARE(c.Lines(), kTripLines);
    c.path->setText(QStringLiteral("   "));
    c.list->click();
    QCOMPARE(c.Lines(), QStringList());
    QCOMPARE(c.waypointCount->text(), QString());
    c.path->setText(trip_);
    c.list->click();
    QCOMPARE(c.Lines(), kTripLines);

    const QString out = settings_->dataPath("out.wtr");
    prompts_->saveAnswer = out.toStdString();
    c.convert->click();
    QCOMPARE(QString::fromStdString(prompts_->saveProposed), QStringLiteral("trip"));
    QCOMPARE(settings_->Stored("WTRFile").toString(), out);
    WtrDocument written;
    QVERIFY(written.Load(out.toStdString(), nullptr, nullptr));
    QCOMPARE(written.waypointCount, 3);
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    QVERIFY(!dialog_->isVisible());
    QVERIFY(dialog_->document() == nullptr);  // ending the dialog deletes it
  }

  void closeDeletesTheDocument() {
    dialog_->OnInitDialog();
    dialog_->show();
    Controls c(*dialog_);
    c.path->setText(trip_);
    c.list->click();
    QVERIFY(dialog_->document() != nullptr);
    dialog_->close();
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    QVERIFY(dialog_->document() == nullptr);
  }

  void droppedMpsFileIsListedAsBrowseWould() {
    dialog_->OnInitDialog();
    dialog_->show();
    Controls c(*dialog_);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(trip_)});
    for (QWidget* target : {static_cast<QWidget*>(dialog_.get()), static_cast<QWidget*>(c.path)}) {
      c.path->clear();
      const QPoint at = target->rect().center();
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &drop);
      QVERIFY(drop.isAccepted());
      QCOMPARE(c.path->text(), QDir::toNativeSeparators(trip_));
      QCOMPARE(c.Lines(), kTripLines);
    }
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
  }

  // Everywhere on the dialog, the path field included, which would otherwise
  // take a dropped URL or text into its text.
  void otherDropsAreRefused() {
    dialog_->OnInitDialog();
    dialog_->show();
    Controls c(*dialog_);
    c.path->setText(QStringLiteral("unchanged"));
    QFile::copy(trip_, settings_->dataPath("trip.txt"));
    const QList<QList<QUrl>> refused = {
        {QUrl::fromLocalFile(trip_), QUrl::fromLocalFile(trip_)},  // two files
        {QUrl::fromLocalFile(settings_->dataPath("trip.txt"))},    // not .mps
        {QUrl(QStringLiteral("https://example.invalid/trip.mps"))},  // not local
        {},                                                          // text alone
    };
    for (QWidget* target : {static_cast<QWidget*>(dialog_.get()), static_cast<QWidget*>(c.path)}) {
      for (const QList<QUrl>& urls : refused) {
        QMimeData data;
        data.setUrls(urls);
        data.setText(QStringLiteral("dropped text"));
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(!drop.isAccepted());
      }
    }
    QCOMPARE(c.path->text(), QStringLiteral("unchanged"));
    QCOMPARE(c.Lines(), QStringList());
    QVERIFY(dialog_->document() == nullptr);
  }
};

QTEST_MAIN(DialogCommandsTest)
#include "dialog_commands_test.moc"
