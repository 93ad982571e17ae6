// The converter dialog on Qt: the controls of template IDD_CONVERTER, laid
// out in dialog units. It forwards its commands to the presenter, which
// holds the document, and shows what the presenter tells it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/converter_presenter.h"
#include "ui/converter_view.h"

class QLabel;
class QLineEdit;
class QListView;
class QMimeData;
class QPushButton;

namespace ridloe {

class WaypointListModel;

// Template IDD_CONVERTER, in dialog units.
inline constexpr int kDialogWidthUnits = 262;
inline constexpr int kDialogHeightUnits = 139;

class ConverterDialog : public QDialog, private ConverterView {
  Q_OBJECT

 public:
  ConverterDialog(SettingsStore& settings, FilePrompts& prompts, QWidget* parent = nullptr);
  ~ConverterDialog() override;

  // Initialises and runs the dialog modally; the result of exec().
  int DoModal();
  // Sets the icon, then lets the presenter list the stored MPS path (or the
  // file the program was started on); the path field then has the focus.
  void OnInitDialog();
  // The file the program was started on, listed at start instead of the
  // stored path.
  void SetStartFile(std::string path) { startFile_ = std::move(path); }

  const WtrDocument* document() const { return presenter_.document(); }

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // ConverterView
  std::string PathText() const override;
  void SetPathText(const std::string& text) override;
  void ClearList() override;
  void AppendLines(std::vector<std::string> lines) override;
  void ShowCounts(const std::string& waypoints, const std::string& tracks) override;
  void EndDialog() override;

  void BuildControls();
  // Handles a drag or drop event that carries one .mps file; false otherwise.
  bool HandleFileDrag(QEvent* event);

  QIcon icon_;
  ConverterPresenter presenter_;
  std::optional<std::string> startFile_;

  QLineEdit* pathEdit_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* listButton_ = nullptr;
  QListView* listView_ = nullptr;
  WaypointListModel* listModel_ = nullptr;
  QLabel* waypointCount_ = nullptr;
  QPushButton* convertButton_ = nullptr;
  QLabel* trackCount_ = nullptr;
};

// The single local .mps file a drag carries, or an empty string.
QString DraggedMpsFile(const QMimeData* data);

// The dialog font: 9 points of the first Ming face the system has.
QFont DialogFont();

}  // namespace ridloe
