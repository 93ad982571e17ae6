// The dialog's commands, step by step, on real files and settings kept in a
// temporary folder; the file prompts answer from a script.
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "document/wtr_document.h"
#include "tests/dialog_fixture.h"

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

// Two waypoints (symbols 48 and 106), no tracks.
MpsBuilder Other() {
  MpsBuilder b;
  b.Header().Waypoint({.name = "A1", .altitude = 100, .symbol = 48}).Waypoint({.name = "B2", .altitude = 200, .symbol = 106}).End();
  return b;
}

// Two waypoints, then a track record whose name never ends: the load fails
// after the waypoints were read.
MpsBuilder BrokenAfterWaypoints() {
  MpsBuilder b;
  b.Header().Waypoint({.name = "P1", .altitude = 1, .symbol = 106}).Waypoint({.name = "P2", .altitude = 2}).Record('T', {'A', 'B'});
  return b;
}

std::vector<std::uint16_t> WtrSymbols(const QString& path) {
  WtrDocument wtr;
  if (!wtr.Load(QFile::encodeName(path).toStdString(), nullptr, nullptr)) return {};
  std::vector<std::uint16_t> symbols;
  for (std::int32_t i = 0; i < wtr.waypointCount; ++i) symbols.push_back(wtr.waypoints[i].symbol);
  return symbols;
}

using Symbols = std::vector<std::uint16_t>;

}  // namespace

class DialogCommandsTest : public QObject, private DialogUnderTest {
  Q_OBJECT

 private:
  QString trip_, other_, broken_;

  Controls Started() {
    dialog_->OnInitDialog();
    return Controls(*dialog_);
  }

 private Q_SLOTS:
  void init() {
    MakeDialog();
    trip_ = WriteMps(settings_->dataPath("trip.mps"), Trip());
    other_ = WriteMps(settings_->dataPath("other.mps"), Other());
    broken_ = WriteMps(settings_->dataPath("broken.mps"), BrokenAfterWaypoints());
    QVERIFY(!trip_.isEmpty() && !other_.isEmpty() && !broken_.isEmpty());
  }

  void cleanup() { EndDialog(); }

  void firstRunStartsEmptyAndConvertDoesNothing() {
    Controls c = Started();
    QCOMPARE(c.path->text(), QString());
    QCOMPARE(c.Lines(), QStringList());
    QCOMPARE(c.waypointCount->text(), QString());
    QCOMPARE(c.trackCount->text(), QString());
    QVERIFY(dialog_->document() == nullptr);
    QVERIFY(!QFile::exists(settings_->iniPath()));  // nothing was written either
    prompts_->saveAnswer = settings_->dataPath("out.wtr");
    c.convert->click();
    QCOMPARE(prompts_->saveCalls, 0);
    QVERIFY(!QFile::exists(settings_->dataPath("out.wtr")));
  }

  void firstSavePromptHasEmptyInitialFolder() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    c.convert->click();  // cancelled
    QCOMPARE(prompts_->saveCalls, 1);
    QCOMPARE(prompts_->saveInitial, QString());
    QCOMPARE(prompts_->saveProposed, QStringLiteral("trip"));
  }

  void storedPathIsListedAtStart() {
    settings_->Store("MPSFile", trip_);
    Controls c = Started();
    QCOMPARE(c.path->text(), trip_);
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(c.waypointCount->text(), QStringLiteral("3"));
    QCOMPARE(c.trackCount->text(), QStringLiteral("1"));
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
    QVERIFY(c.path->hasFocus() || !dialog_->isVisible());
  }

  void storedPathThatNoLongerLoadsIsKept() {
    const QString gone = settings_->dataPath("gone.mps");
    settings_->Store("MPSFile", gone);
    Controls c = Started();
    QCOMPARE(c.path->text(), gone);
    QCOMPARE(c.Lines(), QStringList());
    QCOMPARE(c.waypointCount->text(), QString());
    QCOMPARE(c.trackCount->text(), QString());
    QCOMPARE(settings_->Stored("MPSFile").toString(), gone);
    c.convert->click();
    QCOMPARE(prompts_->saveCalls, 0);
  }

  void listingTwiceShowsEachLineOnce() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    c.list->click();
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(c.waypointCount->text(), QStringLiteral("3"));
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
    c.path->setText(other_);
    c.list->click();
    QCOMPARE(c.Lines(), (QStringList{"A1 100", "B2 200"}));
    QCOMPARE(c.waypointCount->text(), QStringLiteral("2"));
    QCOMPARE(c.trackCount->text(), QStringLiteral("0"));
    QCOMPARE(settings_->Stored("MPSFile").toString(), other_);
  }

  // After a good listing, a file that fails once its waypoints are read:
  // its waypoints are listed, both counts are blanked rather than left with
  // the previous file's numbers, "MPSFile" keeps the good path, and those
  // waypoints still convert.
  void failedListingBlanksCountsKeepsLinesAndConverts() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    QCOMPARE(c.waypointCount->text(), QStringLiteral("3"));
    c.path->setText(broken_);
    c.list->click();
    QCOMPARE(c.Lines(), (QStringList{"P1   1", "P2   2"}));
    QCOMPARE(c.waypointCount->text(), QString());
    QCOMPARE(c.trackCount->text(), QString());
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);

    prompts_->saveAnswer = settings_->dataPath("broken.wtr");
    c.convert->click();
    QCOMPARE(WtrSymbols(settings_->dataPath("broken.wtr")), (Symbols{8246, 18}));
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
  }

  void pathOfSpacesReplacesTheDocumentAndFails() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    c.path->setText(QStringLiteral("   "));
    c.list->click();
    QCOMPARE(c.Lines(), QStringList());
    QVERIFY(dialog_->document() != nullptr);  // a fresh, empty one
    QCOMPARE(dialog_->document()->waypointCount, 0);
    QCOMPARE(c.waypointCount->text(), QString());
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
    c.convert->click();
    QCOMPARE(prompts_->saveCalls, 0);
  }

  void emptyPathLeavesEverythingAsItWas() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    const WtrDocument* before = dialog_->document();
    c.path->clear();
    c.list->click();
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(c.waypointCount->text(), QStringLiteral("3"));
    QCOMPARE(c.trackCount->text(), QStringLiteral("1"));
    QCOMPARE(dialog_->document(), before);
    // The document listed before still converts; an empty field proposes no name.
    prompts_->saveAnswer = settings_->dataPath("kept.wtr");
    c.convert->click();
    QCOMPARE(prompts_->saveProposed, QString());
    QCOMPARE(WtrSymbols(settings_->dataPath("kept.wtr")), (Symbols{8246, 161, 18}));
  }

  void fileWithoutWaypointsShowsZeroAndCannotConvert() {
    const QString empty = WriteMps(settings_->dataPath("empty.mps"), MpsBuilder().Header().End());
    Controls c = Started();
    c.path->setText(empty);
    c.list->click();
    QCOMPARE(c.Lines(), QStringList());
    QCOMPARE(c.waypointCount->text(), QStringLiteral("0"));
    QCOMPARE(c.trackCount->text(), QStringLiteral("0"));
    QCOMPARE(settings_->Stored("MPSFile").toString(), empty);
    prompts_->saveAnswer = settings_->dataPath("none.wtr");
    c.convert->click();
    QCOMPARE(prompts_->saveCalls, 0);
    QVERIFY(!QFile::exists(settings_->dataPath("none.wtr")));
    QVERIFY(!settings_->Stored("WTRFile").isValid());
  }

  void convertWritesTranslatedWaypointsAndEndsWithOk() {
    Controls c = Started();
    dialog_->show();
    c.path->setText(trip_);
    c.list->click();
    const QString out = settings_->dataPath("out.wtr");
    prompts_->saveAnswer = out;
    c.convert->click();
    QCOMPARE(prompts_->saveProposed, QStringLiteral("trip"));
    QCOMPARE(settings_->Stored("WTRFile").toString(), out);
    QCOMPARE(WtrSymbols(out), (Symbols{8246, 161, 18}));
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    QVERIFY(!dialog_->isVisible());
    QVERIFY(dialog_->document() == nullptr);  // ending the dialog deletes it
  }

  // "WTRFile" is stored before the write, so a write that fails keeps it; the
  // dialog stays open, and a second try writes the symbols as loaded would
  // translate, not a translation of the translation.
  void failedWriteKeepsWtrPathAndRetryTranslatesFromLoadedCodes() {
    Controls c = Started();
    dialog_->show();
    c.path->setText(trip_);
    c.list->click();
    const QString nowhere = settings_->dataPath("no-such-folder/out.wtr");
    prompts_->saveAnswer = nowhere;
    c.convert->click();
    QCOMPARE(settings_->Stored("WTRFile").toString(), nowhere);
    QVERIFY(dialog_->isVisible());
    QVERIFY(dialog_->document() != nullptr);
    QCOMPARE(dialog_->document()->waypoints[0].symbol, std::uint16_t{8246});

    const QString out = settings_->dataPath("retry.wtr");
    prompts_->saveAnswer = out;
    c.convert->click();
    QCOMPARE(prompts_->saveInitial, nowhere);  // the stored path opens the prompt
    QCOMPARE(WtrSymbols(out), (Symbols{8246, 161, 18}));
    QCOMPARE(settings_->Stored("WTRFile").toString(), out);
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
  }

  void cancelledSavePromptChangesNothing() {
    settings_->Store("WTRFile", QStringLiteral("/earlier/choice.wtr"));
    Controls c = Started();
    dialog_->show();
    c.path->setText(trip_);
    c.list->click();
    c.convert->click();
    QCOMPARE(prompts_->saveCalls, 1);
    QCOMPARE(prompts_->saveInitial, QStringLiteral("/earlier/choice.wtr"));
    QCOMPARE(settings_->Stored("WTRFile").toString(), QStringLiteral("/earlier/choice.wtr"));
    QVERIFY(dialog_->isVisible());
    QCOMPARE(dialog_->document()->waypoints[0].symbol, std::uint16_t{106});
    QCOMPARE(dialog_->document()->waypoints[1].symbol, std::uint16_t{48});
  }

  void proposedNames_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("drive and folders") << "C:\\gps\\trip.mps" << "trip";
    QTest::newRow("bare name") << "trip.mps" << "trip";
    QTest::newRow("two dots") << "a.b.mps" << "a.b";
    QTest::newRow("folder only") << "C:\\gps\\" << "";
    QTest::newRow("slashes") << "/home/u/gps/day 2.mps" << "day 2";
    QTest::newRow("dot in a folder") << "/home/u/v1.0/trip" << "trip";
    QTest::newRow("chinese") << "/資料/玉山.mps" << "玉山";
  }

  void proposedNames() {
    QFETCH(QString, field);
    QFETCH(QString, proposed);
    QCOMPARE(ProposedWtrName(field), proposed);
  }

  // The name comes from the field at the moment of the command, while the
  // document listed earlier is what gets written.
  void proposedNameFollowsTheEditedField() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    c.path->setText(QStringLiteral("C:\\gps\\renamed.mps"));
    const QString out = settings_->dataPath("renamed.wtr");
    prompts_->saveAnswer = out;
    c.convert->click();
    QCOMPARE(prompts_->saveProposed, QStringLiteral("renamed"));
    QCOMPARE(WtrSymbols(out).size(), std::size_t{3});
  }

  void browseCancelledChangesNothing() {
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    c.path->setText(other_);  // typed, not listed
    c.browse->click();
    QCOMPARE(prompts_->openCalls, 1);
    QCOMPARE(prompts_->openInitial, other_);
    QCOMPARE(c.path->text(), other_);
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
  }

  void browseConfirmedListsAndStores() {
    Controls c = Started();
    prompts_->openAnswer = trip_;
    c.browse->click();
    QCOMPARE(c.path->text(), trip_);
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(settings_->Stored("MPSFile").toString(), trip_);
    c.browse->click();  // the same file again: listed afresh
    QCOMPARE(c.Lines(), kTripLines);
    QCOMPARE(prompts_->openInitial, trip_);
  }

  // A failed write translates the codes of the first file; the second file,
  // with as many waypoints, must be translated from its own codes.
  void aNewDocumentIsTranslatedFromItsOwnCodes() {
    MpsBuilder b;
    b.Header()
        .Waypoint({.name = "X", .symbol = 48})
        .Waypoint({.name = "Y", .symbol = 48})
        .Waypoint({.name = "Z", .symbol = 106})
        .End();
    const QString second = WriteMps(settings_->dataPath("second.mps"), b);
    Controls c = Started();
    c.path->setText(trip_);
    c.list->click();
    prompts_->saveAnswer = settings_->dataPath("missing/out.wtr");
    c.convert->click();
    c.path->setText(second);
    c.list->click();
    prompts_->saveAnswer = settings_->dataPath("second.wtr");
    c.convert->click();
    QCOMPARE(WtrSymbols(settings_->dataPath("second.wtr")), (Symbols{161, 161, 8246}));
  }

  void cancelAndCloseDeleteTheDocument() {
    Controls c = Started();
    dialog_->show();
    c.path->setText(trip_);
    c.list->click();
    QVERIFY(dialog_->document() != nullptr);
    dialog_->close();
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    QVERIFY(dialog_->document() == nullptr);
  }

  void droppedMpsFileIsListedAsBrowseWould() {
    Controls c = Started();
    dialog_->show();
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

  void otherDropsAreRefused() {
    Controls c = Started();
    dialog_->show();
    c.path->setText(QStringLiteral("unchanged"));
    QFile::copy(trip_, settings_->dataPath("trip.txt"));
    QList<QList<QUrl>> refused = {
        {QUrl::fromLocalFile(trip_), QUrl::fromLocalFile(other_)},  // two files
        {QUrl::fromLocalFile(settings_->dataPath("trip.txt"))},      // not .mps
        {QUrl(QStringLiteral("https://example.invalid/trip.mps"))},  // not local
    };
    for (const QList<QUrl>& urls : refused) {
      QMimeData data;
      data.setUrls(urls);
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(dialog_.get(), &enter);
      QVERIFY(!enter.isAccepted());
      QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(dialog_.get(), &drop);
    }
    QCOMPARE(c.path->text(), QStringLiteral("unchanged"));
    QCOMPARE(c.Lines(), QStringList());
    QVERIFY(dialog_->document() == nullptr);
  }
};

QTEST_MAIN(DialogCommandsTest)
#include "dialog_commands_test.moc"
