#include "app/converter_dialog.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <utility>

#include "app/dialog_units.h"
#include "app/main_icon.h"
#include "app/waypoint_list.h"
#include "core/version.h"

namespace ridloe {
namespace {

QLabel* MakeStatic(QWidget* parent, const QString& text, Qt::Alignment alignment, bool sunken) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QStringLiteral("IDC_STATIC"));
  label->setAlignment(alignment);
  label->setTextFormat(Qt::PlainText);
  label->setMargin(0);
  label->setIndent(0);  // a framed label would otherwise push its text off the edges it is aligned to
  if (sunken) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
  }
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* id, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(id));
  // No button is the default one: QDialog would otherwise make the first
  // button default on show, and Enter in the path field would click it.
  // Enter on a focused button reaches keyPressEvent, which clicks it.
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

}  // namespace

QFont DialogFont() {
  QFont font;
  font.setFamilies({QStringLiteral("細明體"), QStringLiteral("MingLiU"), QStringLiteral("PMingLiU"),
                    QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Serif CJK TC"),
                    QStringLiteral("Noto Sans CJK TC")});
  font.setPointSize(9);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

QString DraggedMpsFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  std::vector<std::string> files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    files.push_back(QDir::toNativeSeparators(url.toLocalFile()).toStdString());
  }
  return QString::fromStdString(ConverterPresenter::DroppedMpsFile(files));
}

ConverterDialog::ConverterDialog(SettingsStore& settings, FilePrompts& prompts, QWidget* parent)
    : QDialog(parent), icon_(LoadMainIcon()), presenter_(*this, settings, prompts) {
  setObjectName(QStringLiteral("IDD_CONVERTER"));
  // Title bar with system menu and close box; no minimise or maximise box.
  // A window of its own, not a dialog type: a dialog without an owner would
  // be made transient for the whole program, and task bars leave such
  // windows out; this one gets its button there, as the Windows dialog does
  // (WS_EX_APPWINDOW). exec() still runs it modally.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(QStringLiteral(RIDLOE_TITLE));
  setFont(DialogFont());
  setAcceptDrops(true);
  BuildControls();
}

ConverterDialog::~ConverterDialog() = default;

void ConverterDialog::BuildControls() {
  const QSize base = DialogBaseUnits(font());
  setFixedSize(MapDialogSize(QSize(kDialogWidthUnits, kDialogHeightUnits), base));
  auto place = [&](QWidget* control, int x, int y, int w, int h) {
    control->setGeometry(MapDialogRect(QRect(x, y, w, h), base));
  };

  // Template order, which is also the tab order.
  place(MakeStatic(this, QStringLiteral("Garmin MPS檔案:"), Qt::AlignLeft | Qt::AlignTop, false), 7, 7, 124, 8);

  pathEdit_ = new QLineEdit(this);
  pathEdit_->setObjectName(QStringLiteral("IDC_MPS_PATH"));
  pathEdit_->installEventFilter(this);
  place(pathEdit_, 7, 20, 248, 13);

  browseButton_ = MakeButton(this, "IDC_BROWSE_MPS", QStringLiteral("選擇檔案..."));
  place(browseButton_, 151, 7, 50, 13);
  listButton_ = MakeButton(this, "IDC_LIST_WAYPOINTS", QStringLiteral("列出航點"));
  place(listButton_, 205, 7, 50, 13);

  place(MakeStatic(this, QStringLiteral("航點列表:"), Qt::AlignLeft | Qt::AlignTop, false), 7, 40, 68, 8);

  listModel_ = new WaypointListModel(this);
  listView_ = new QListView(this);
  listView_->setObjectName(QStringLiteral("IDC_WAYPOINT_LIST"));
  listView_->setModel(listModel_);
  listView_->setUniformItemSizes(true);  // keeps a hundred thousand lines quick to show
  listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  listView_->setSelectionMode(QAbstractItemView::SingleSelection);
  listView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  listView_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  listView_->setFocusPolicy(Qt::StrongFocus);
  place(listView_, 7, 51, 88, 81);

  waypointCount_ = MakeStatic(this, QString(), Qt::AlignHCenter | Qt::AlignTop, true);
  waypointCount_->setObjectName(QStringLiteral("IDC_WAYPOINT_COUNT"));
  place(waypointCount_, 101, 122, 41, 9);

  convertButton_ = MakeButton(this, "IDC_CONVERT_WTR", QStringLiteral("轉成WTR檔..."));
  place(convertButton_, 101, 87, 115, 26);

  trackCount_ = MakeStatic(this, QString(), Qt::AlignHCenter | Qt::AlignTop, true);
  trackCount_->setObjectName(QStringLiteral("IDC_TRACK_COUNT"));
  place(trackCount_, 147, 122, 41, 9);

  place(MakeStatic(this, QStringLiteral("目前只轉航點！！"), Qt::AlignCenter, true), 102, 53, 114, 28);

  setTabOrder(pathEdit_, browseButton_);
  setTabOrder(browseButton_, listButton_);
  setTabOrder(listButton_, listView_);
  setTabOrder(listView_, convertButton_);

  connect(listButton_, &QPushButton::clicked, this, [this] { presenter_.OnListWaypoints(); });
  connect(browseButton_, &QPushButton::clicked, this, [this] { presenter_.OnBrowseMps(); });
  connect(convertButton_, &QPushButton::clicked, this, [this] { presenter_.OnConvertToWtr(); });
}

int ConverterDialog::DoModal() {
  OnInitDialog();
  return exec();
}

void ConverterDialog::OnInitDialog() {
  // One icon serves as the big and the small one; the toolkit picks the size.
  setWindowIcon(icon_);
  presenter_.OnInitDialog(startFile_);
  pathEdit_->setFocus(Qt::OtherFocusReason);
}

std::string ConverterDialog::PathText() const { return pathEdit_->text().toStdString(); }

void ConverterDialog::SetPathText(const std::string& text) { pathEdit_->setText(QString::fromStdString(text)); }

void ConverterDialog::ClearList() { listModel_->Clear(); }

void ConverterDialog::AppendLines(std::vector<std::string> lines) { listModel_->Append(std::move(lines)); }

void ConverterDialog::ShowCounts(const std::string& waypoints, const std::string& tracks) {
  waypointCount_->setText(QString::fromStdString(waypoints));
  trackCount_->setText(QString::fromStdString(tracks));
}

void ConverterDialog::EndDialog() { accept(); }

void ConverterDialog::done(int result) {
  QDialog::done(result);
  presenter_.DestroyWindow();
}

void ConverterDialog::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (enter && modifiers == Qt::NoModifier) {
    // Enter clicks the push button that has the focus; anywhere else it ends
    // the dialog as OK, and no command runs.
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      button->click();
    } else {
      accept();
    }
    return;
  }
  QDialog::keyPressEvent(event);  // Escape ends the dialog as Cancel
}

bool ConverterDialog::HandleFileDrag(QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DraggedMpsFile(drag->mimeData()).isEmpty()) return false;
      drag->setDropAction(Qt::CopyAction);
      drag->accept();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const QString file = DraggedMpsFile(drop->mimeData());
      if (file.isEmpty()) return false;
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      presenter_.OnDropMps(file.toStdString());
      return true;
    }
    default:
      return false;
  }
}

void ConverterDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (!HandleFileDrag(event)) event->ignore();
}

void ConverterDialog::dragMoveEvent(QDragMoveEvent* event) {
  if (!HandleFileDrag(event)) event->ignore();
}

void ConverterDialog::dropEvent(QDropEvent* event) {
  if (!HandleFileDrag(event)) event->ignore();
}

bool ConverterDialog::eventFilter(QObject* watched, QEvent* event) {
  // The path field would take any dropped text or URL into its text: it
  // takes one .mps file as the dialog does, and refuses everything else.
  const QEvent::Type type = event->type();
  if (watched == pathEdit_ && (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
    if (!HandleFileDrag(event)) event->ignore();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace ridloe
