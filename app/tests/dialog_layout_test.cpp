// The dialog as the user meets it: controls, placement in dialog units of the
// Ming face, texts that fit, tab order, keys, the icon and the file prompts.
#include <QFileDialog>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>

#include "app/converter_app.h"
#include "app/dialog_units.h"
#include "app/tests/dialog_fixture.h"
#include "core/version.h"

using namespace ridloe;
using namespace ridloe::testing;

namespace {

// Pixels of the widget as drawn, inside its frame or bevel, that are darker
// than any background: the text.
int InkPixels(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  QRect inside = widget->contentsRect();
  if (qobject_cast<QPushButton*>(widget)) inside.adjust(3, 3, -3, -3);
  int ink = 0;
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 200) ++ink;
    }
  }
  return ink;
}

// Text is clipped when drawing the widget larger shows more of it. Glyphs
// may land on other subpixels when the text is centred in a larger box, so
// a few pixels of antialiasing may differ; a clipped row of glyphs costs
// far more.
int InkWhenRoomy(QWidget* widget) {
  const QRect placed = widget->geometry();
  widget->setGeometry(QRect(placed.topLeft(), placed.size() + QSize(80, 40)));
  const int ink = InkPixels(widget);
  widget->setGeometry(placed);
  return ink;
}

void SendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(to, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(to, &release);
}

}  // namespace

class DialogLayoutTest : public QObject, private DialogUnderTest {
  Q_OBJECT

 private:
  bool UsesUming() const { return QFontInfo(dialog_->font()).family() == QStringLiteral("AR PL UMing TW"); }

  // The dialog shown and active, with a file of one waypoint named in the
  // path field and not listed yet.
  Controls ShownWithOneWaypointFile() {
    const QString mps = WriteMps(settings_->dataPath("a.mps"), MpsBuilder().Header().Waypoint({.name = "A"}).End());
    Controls c(*dialog_);
    dialog_->OnInitDialog();
    dialog_->show();
    if (!QTest::qWaitForWindowActive(dialog_.get())) QTest::qFail("the dialog did not become active", __FILE__, __LINE__);
    c.path->setText(mps);
    return c;
  }

 private Q_SLOTS:
  void init() { MakeDialog(); }
  void cleanup() { EndDialog(); }

  void mulDivRoundsHalfAwayFromZero() {
    QCOMPARE(MulDiv(7, 6, 4), 11);     // 10.5
    QCOMPARE(MulDiv(-7, 6, 4), -11);
    QCOMPARE(MulDiv(9, 12, 8), 14);    // 13.5
    QCOMPARE(MulDiv(5, 3, 4), 4);      // 3.75
    QCOMPARE(MulDiv(5, 1, 4), 1);      // 1.25
    QCOMPARE(MulDiv(139, 12, 8), 209); // 208.5
  }

  void windowIsAFixedDialogWithCaptionAndCloseBox() {
    // The name and the major and minor version: "Ridloe 1.0".
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Ridloe %1.%2").arg(RIDLOE_VERSION_MAJOR).arg(RIDLOE_VERSION_MINOR));
    QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());
    const Qt::WindowFlags flags = dialog_->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QCOMPARE(dialog_->font().families().value(0), QStringLiteral("細明體"));
    QVERIFY(dialog_->font().families().contains(QStringLiteral("AR PL UMing TW")));
    QCOMPARE(dialog_->font().pointSize(), 9);
  }

  void controlsCarryTheirTexts() {
    Controls c(*dialog_);
    QVERIFY(c.path && c.browse && c.list && c.lines && c.waypointCount && c.convert && c.trackCount);
    QCOMPARE(c.browse->text(), QStringLiteral("選擇檔案..."));
    QCOMPARE(c.list->text(), QStringLiteral("列出航點"));
    QCOMPARE(c.convert->text(), QStringLiteral("轉成WTR檔..."));
    QCOMPARE(c.waypointCount->text(), QString());
    QCOMPARE(c.trackCount->text(), QString());
    QStringList statics;
    for (QLabel* label : dialog_->findChildren<QLabel*>(QStringLiteral("IDC_STATIC"))) statics << label->text();
    QCOMPARE(statics, (QStringList{"Garmin MPS檔案:", "航點列表:", "目前只轉航點！！"}));
    QCOMPARE(c.waypointCount->frameShadow(), QFrame::Sunken);
    QCOMPARE(c.trackCount->frameShadow(), QFrame::Sunken);
    QVERIFY(c.waypointCount->alignment().testFlag(Qt::AlignHCenter));
    QLabel* note = dialog_->findChildren<QLabel*>(QStringLiteral("IDC_STATIC")).value(2);
    QCOMPARE(note->frameShadow(), QFrame::Sunken);
    QCOMPARE(note->alignment() & Qt::AlignCenter, Qt::AlignCenter);
    QVERIFY(c.lines->uniformItemSizes());
  }

  // With the Ming face of Linux the base units are those of the Windows font,
  // 6 x 12, and the 262 x 139 template becomes 393 x 209 pixels.
  void placedFromDialogUnitsOfTheMingFace() {
    if (!UsesUming()) QSKIP("AR PL UMing TW is not installed (scripts/deps.sh installs it)");
    QCOMPARE(DialogBaseUnits(dialog_->font()), QSize(6, 12));
    QCOMPARE(dialog_->size(), QSize(393, 209));
    Controls c(*dialog_);
    const QList<QLabel*> statics = dialog_->findChildren<QLabel*>(QStringLiteral("IDC_STATIC"));
    QCOMPARE(statics.value(0)->geometry(), QRect(11, 11, 186, 12));
    QCOMPARE(c.path->geometry(), QRect(11, 30, 372, 20));
    QCOMPARE(c.browse->geometry(), QRect(227, 11, 75, 20));
    QCOMPARE(c.list->geometry(), QRect(308, 11, 75, 20));
    QCOMPARE(statics.value(1)->geometry(), QRect(11, 60, 102, 12));
    QCOMPARE(c.lines->geometry(), QRect(11, 77, 132, 122));
    QCOMPARE(c.waypointCount->geometry(), QRect(152, 183, 62, 14));
    QCOMPARE(c.convert->geometry(), QRect(152, 131, 173, 39));
    QCOMPARE(c.trackCount->geometry(), QRect(221, 183, 62, 14));
    QCOMPARE(statics.value(2)->geometry(), QRect(153, 80, 171, 42));
  }

  // Controls that touch in the template (the buttons end at y 20, where the
  // path field begins) may share the one pixel row that rounding gives them.
  void nothingOverlapsOrLeavesTheClientArea() {
    QList<QWidget*> controls;
    for (QWidget* child : dialog_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) controls << child;
    QCOMPARE(controls.size(), 10);
    for (int i = 0; i < controls.size(); ++i) {
      QVERIFY2(dialog_->rect().contains(controls[i]->geometry()), qPrintable(controls[i]->objectName()));
      for (int j = i + 1; j < controls.size(); ++j) {
        const QRect shared = controls[i]->geometry() & controls[j]->geometry();
        QVERIFY2(shared.isEmpty() || shared.width() == 1 || shared.height() == 1,
                 qPrintable(controls[i]->objectName() + " / " + controls[j]->objectName()));
      }
    }
  }

  void textsAreNotClipped() {
    Controls c(*dialog_);
    c.waypointCount->setText(QStringLiteral("200000"));
    c.trackCount->setText(QStringLiteral("9999"));
    dialog_->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    QList<QWidget*> texts;
    for (QLabel* label : dialog_->findChildren<QLabel*>()) texts << label;
    for (QPushButton* button : dialog_->findChildren<QPushButton*>()) texts << button;
    for (QWidget* widget : texts) {
      const int ink = InkPixels(widget);
      QVERIFY2(ink > 0, qPrintable(widget->objectName()));
      const int roomy = InkWhenRoomy(widget);
      QVERIFY2(ink * 100 >= roomy * 97, qPrintable(QStringLiteral("%1 is clipped: %2 of %3 pixels").arg(widget->objectName()).arg(ink).arg(roomy)));
    }
  }

  void tabOrderIsTemplateOrder() {
    Controls c(*dialog_);
    QList<QWidget*> order;
    QWidget* w = c.path;
    do {
      if (w->focusPolicy() & Qt::TabFocus) order << w;
      w = w->nextInFocusChain();
    } while (w != c.path);
    QCOMPARE(order, (QList<QWidget*>{c.path, c.browse, c.list, c.lines, c.convert}));
  }

  void iconHasThreeSizes() {
    dialog_->OnInitDialog();
    const QIcon icon = dialog_->windowIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{32, 32}, {48, 48}, {64, 64}}));
    for (int size : {32, 48, 64}) QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
  }

  // Enter anywhere but on a push button ends the dialog as OK and Escape as
  // Cancel; neither runs a command, although the path names a good file.
  void enterAndEscapeEndTheDialogWithoutCommands_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter in the path field") << "IDC_MPS_PATH" << int(Qt::Key_Return) << 0 << int(QDialog::Accepted);
    QTest::newRow("keypad Enter in the path field")
        << "IDC_MPS_PATH" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << int(QDialog::Accepted);
    QTest::newRow("Enter in the list") << "IDC_WAYPOINT_LIST" << int(Qt::Key_Return) << 0 << int(QDialog::Accepted);
    QTest::newRow("Escape in the path field") << "IDC_MPS_PATH" << int(Qt::Key_Escape) << 0 << int(QDialog::Rejected);
    QTest::newRow("Escape on a button") << "IDC_CONVERT_WTR" << int(Qt::Key_Escape) << 0 << int(QDialog::Rejected);
  }

  void enterAndEscapeEndTheDialogWithoutCommands() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, result);
    Controls c = ShownWithOneWaypointFile();
    QWidget* target = dialog_->findChild<QWidget*>(focus);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    dialog_->setResult(-1);
    SendKey(target, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(dialog_->result(), result);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(c.Lines(), QStringList());
    QCOMPARE(prompts_->openCalls + prompts_->saveCalls, 0);
    QVERIFY(!settings_->Stored("MPSFile").isValid());
  }

  void enterOnAFocusedButtonClicksIt() {
    Controls c = ShownWithOneWaypointFile();
    // Like the template, the dialog has no default button: none is drawn as one.
    for (QPushButton* button : dialog_->findChildren<QPushButton*>()) QVERIFY(!button->isDefault());
    c.list->setFocus();
    SendKey(c.list, Qt::Key_Return);
    QCOMPARE(c.Lines(), QStringList{"A   0"});
    QVERIFY(dialog_->isVisible());
    c.browse->setFocus();
    SendKey(c.browse, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(prompts_->openCalls, 1);
    c.convert->setFocus();
    SendKey(c.convert, Qt::Key_Return);
    QCOMPARE(prompts_->saveCalls, 1);
    QVERIFY(dialog_->isVisible());
  }

  void openPromptIsSetUpForMpsFiles() {
    const QString file = WriteMps(settings_->dataPath("trip.mps"), MpsBuilder().Header().End());
    OpenMpsPrompt prompt(nullptr, file);
    QCOMPARE(prompt.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(prompt.nameFilters(), QStringList{"Garmin MPS Files (*.mps)"});
    QCOMPARE(prompt.defaultSuffix(), QString());
    QCOMPARE(prompt.directory().absolutePath(), settings_->folder.path());
  }

  // A name typed in an existing folder is taken without a message, whether
  // or not the file exists; one in a missing folder keeps the prompt open.
  void openPromptTakesATypedNameInAnExistingFolder() {
    for (const QString& name : {QStringLiteral("typed.mps"), QStringLiteral("gone/typed.mps")}) {
      OpenMpsPrompt prompt(nullptr, settings_->folder.path());
      prompt.show();
      prompt.selectFile(name);
      prompt.accept();
      const bool taken = !name.contains('/');
      QCOMPARE(prompt.result(), taken ? int(QDialog::Accepted) : int(QDialog::Rejected));
      QCOMPARE(prompt.isVisible(), !taken);
      if (taken) QCOMPARE(prompt.selectedFiles(), QStringList{settings_->dataPath(name)});
    }
  }

  // Qt's own texts speak Traditional Chinese whatever the locale: the
  // prompts' titles come from qtbase_zh_TW.
  void promptsSpeakTraditionalChinese() {
    QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
    OpenMpsPrompt open(nullptr, QString());
    QCOMPARE(open.windowTitle(), QStringLiteral("開啟"));
    QFileDialog save;
    SetUpSaveWtrPrompt(save, QString(), QString());
    QCOMPARE(save.windowTitle(), QStringLiteral("另存新檔"));
  }

  void savePromptIsSetUpForWtrFiles() {
    QFileDialog prompt;
    SetUpSaveWtrPrompt(prompt, settings_->dataPath("last.wtr"), QStringLiteral("trip"));
    QCOMPARE(prompt.acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(prompt.nameFilters(), QStringList{"Garmin WTR Files (*.wtr)"});
    QCOMPARE(prompt.defaultSuffix(), QStringLiteral("wtr"));
    QVERIFY(prompt.testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(prompt.directory().absolutePath(), settings_->folder.path());
    // The proposed name without an extension is chosen as trip.wtr.
    QCOMPARE(prompt.selectedFiles(), QStringList{settings_->dataPath("trip.wtr")});
  }

  void initialFolderOfAFilePathIsItsFolder() {
    const QString folder = settings_->folder.path();
    QCOMPARE(InitialFolder(QString()), QString());
    QCOMPARE(InitialFolder(folder), folder);
    QCOMPARE(InitialFolder(folder + "/gone.wtr"), folder);
    const QString file = WriteMps(folder + "/here.mps", MpsBuilder().Header().End());
    QCOMPARE(InitialFolder(file), folder);
  }
};

QTEST_MAIN(DialogLayoutTest)
#include "dialog_layout_test.moc"
