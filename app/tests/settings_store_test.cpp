// The settings store on damaged files, and paths that must come back exactly.
// Every case keeps its file in a temporary folder.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <memory>
#include <unistd.h>

#include "app/tests/dialog_fixture.h"

using namespace ridloe;
using namespace ridloe::testing;

namespace {

const std::string kSection = "Dialog";
const std::string kMps = "MPSFile";
const std::string kWtr = "WTRFile";

void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Garbage(int size) {
  QByteArray bytes(size, '\0');
  QRandomGenerator random(20240517);
  for (char& b : bytes) b = static_cast<char>(random.bounded(256));
  return bytes;
}

}  // namespace

class SettingsStoreTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TemporarySettings> settings_;

  QString Read(const std::string& entry) const {
    return QString::fromStdString(QtSettingsStore(QSettings::IniFormat).GetProfileString(kSection, entry, ""));
  }

  // The dialog starts on the damaged store with an empty field and lists nothing.
  void DialogStartsEmpty() {
    QtSettingsStore store(QSettings::IniFormat);
    ScriptedPrompts prompts;
    ConverterDialog dialog(store, prompts);
    dialog.OnInitDialog();
    Controls c(dialog);
    QCOMPARE(c.path->text(), QString());
    QCOMPARE(c.Lines(), QStringList());
    QCOMPARE(c.waypointCount->text(), QString());
    QVERIFY(dialog.document() == nullptr);
  }

 private Q_SLOTS:
  void init() { settings_ = std::make_unique<TemporarySettings>(); }
  void cleanup() { settings_.reset(); }

  void missingStoreReadsAsDefault() {
    QtSettingsStore store(QSettings::IniFormat);
    QCOMPARE(store.GetProfileString(kSection, kMps, ""), std::string());
    QCOMPARE(store.GetProfileString(kSection, kWtr, "fallback"), std::string("fallback"));
    QCOMPARE(store.Location(), settings_->iniPath());
    QVERIFY(!QFile::exists(settings_->iniPath()));
  }

  void pathsRoundTripExactly_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("chinese") << QStringLiteral("/home/使用者/GPS資料/玉山 主峰.mps");
    QTest::newRow("spaces at both ends") << QStringLiteral("  /tmp/a b/c  ");
    QTest::newRow("windows path") << QStringLiteral("C:\\gps\\trip.mps");
    QTest::newRow("ini syntax") << QStringLiteral("/tmp/a, b; c=d [e] #f \"g\" 'h'.mps");
    QTest::newRow("leading at sign") << QStringLiteral("@ByteArray(x)");
    QTest::newRow("newline and tab") << QStringLiteral("/tmp/line\nbreak\ttab.mps");
    QString longPath = QStringLiteral("/tmp");
    while (longPath.size() < 4000) longPath += QStringLiteral("/很長的資料夾 name");
    QTest::newRow("4000 characters") << longPath + QStringLiteral("/trip.mps");
  }

  void pathsRoundTripExactly() {
    QFETCH(QString, path);
    QtSettingsStore store(QSettings::IniFormat);
    store.WriteProfileString(kSection, kMps, path.toStdString());
    store.WriteProfileString(kSection, kWtr, (path + QStringLiteral(".wtr")).toStdString());
    QCOMPARE(Read(kMps), path);
    QCOMPARE(Read(kWtr), path + QStringLiteral(".wtr"));
    // The file is what a later run reads: it ends whole, so it is not taken
    // for a cut one.
    QFile file(settings_->iniPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().endsWith('\n'));
  }

  void unreadableFileReadsAsEmpty() {
    // A link to itself cannot be opened, not even by root.
    QDir().mkpath(QFileInfo(settings_->iniPath()).absolutePath());
    QVERIFY(QFile::link(settings_->iniPath(), settings_->iniPath()));
    QCOMPARE(Read(kMps), QString());
    QCOMPARE(Read(kWtr), QString());
    DialogStartsEmpty();
  }

  void fileWithoutReadPermissionReadsAsEmpty() {
    Put(settings_->iniPath(), "[Dialog]\nMPSFile=/tmp/a.mps\nWTRFile=/tmp/a.wtr\n");
    QVERIFY(QFile::setPermissions(settings_->iniPath(), QFileDevice::WriteOwner));
    if (::geteuid() == 0) QSKIP("root reads files without read permission");
    QCOMPARE(Read(kMps), QString());
    QCOMPARE(Read(kWtr), QString());
    DialogStartsEmpty();
  }

  void truncatedFileReadsAsEmpty_data() {
    QTest::addColumn<int>("cut");
    const QByteArray whole = "[Dialog]\nMPSFile=/home/u/trip.mps\nWTRFile=/home/u/trip.wtr\n";
    QTest::newRow("empty") << 0;
    QTest::newRow("inside the section name") << 4;
    QTest::newRow("inside the first key") << 12;
    QTest::newRow("inside the first path") << int(whole.indexOf("trip.mps"));
    QTest::newRow("inside the second path") << int(whole.indexOf("trip.wtr") + 2);
    QTest::newRow("before the last newline") << int(whole.size() - 1);
  }

  void truncatedFileReadsAsEmpty() {
    QFETCH(int, cut);
    Put(settings_->iniPath(), QByteArray("[Dialog]\nMPSFile=/home/u/trip.mps\nWTRFile=/home/u/trip.wtr\n").left(cut));
    QCOMPARE(Read(kMps), QString());
    QCOMPARE(Read(kWtr), QString());
    DialogStartsEmpty();
    // A write starts the store afresh; the cut value does not come back as a
    // whole-looking one.
    QtSettingsStore(QSettings::IniFormat).WriteProfileString(kSection, kWtr, "/new.wtr");
    QCOMPARE(Read(kWtr), QStringLiteral("/new.wtr"));
    QCOMPARE(Read(kMps), QString());
  }

  void binaryGarbageReadsAsEmpty_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("random") << Garbage(4096);
    QTest::newRow("random with a newline at the end") << Garbage(4095) + '\n';
    QTest::newRow("zeros") << QByteArray(512, '\0');
    QTest::newRow("section among garbage") << Garbage(100) + "\n[Dialog]\n" + Garbage(100) + '\n';
  }

  void binaryGarbageReadsAsEmpty() {
    QFETCH(QByteArray, bytes);
    Put(settings_->iniPath(), bytes);
    QCOMPARE(Read(kMps), QString());
    QCOMPARE(Read(kWtr), QString());
    DialogStartsEmpty();
    QtSettingsStore(QSettings::IniFormat).WriteProfileString(kSection, kMps, "/after.mps");
    QCOMPARE(Read(kMps), QStringLiteral("/after.mps"));
  }

  void valuesThatAreNotPlainStringsReadAsEmpty() {
    // Written by hand or by another program: a list, and a byte array.
    Put(settings_->iniPath(), "[Dialog]\nMPSFile=a, b\nWTRFile=@ByteArray(/tmp/x.wtr)\n");
    QCOMPARE(Read(kMps), QString());
    QCOMPARE(Read(kWtr), QString());
  }

  void folderInPlaceOfTheFileReadsAsEmptyAndWritesAreIgnored() {
    QVERIFY(QDir().mkpath(settings_->iniPath()));
    QCOMPARE(Read(kMps), QString());
    QCOMPARE(Read(kWtr), QString());
    DialogStartsEmpty();
    QtSettingsStore store(QSettings::IniFormat);
    store.WriteProfileString(kSection, kMps, "/tmp/a.mps");  // fails quietly
    QVERIFY(QFileInfo(settings_->iniPath()).isDir());
    QCOMPARE(Read(kMps), QString());

    // The dialog lists a good file and carries on although nothing is stored.
    const QString mps = WriteMps(settings_->dataPath("a.mps"), MpsBuilder().Header().Waypoint({.name = "A"}).End());
    ScriptedPrompts prompts;
    ConverterDialog dialog(store, prompts);
    dialog.OnInitDialog();
    Controls c(dialog);
    c.path->setText(mps);
    c.list->click();
    QCOMPARE(c.Lines(), QStringList{"A   0"});
    QCOMPARE(c.waypointCount->text(), QStringLiteral("1"));
  }

  void goodFileStillReads() {
    Put(settings_->iniPath(), "[Dialog]\nMPSFile=/home/u/trip.mps\nWTRFile=/home/u/trip.wtr\n");
    QCOMPARE(Read(kMps), QStringLiteral("/home/u/trip.mps"));
    QCOMPARE(Read(kWtr), QStringLiteral("/home/u/trip.wtr"));
  }
};

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
