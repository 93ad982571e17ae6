// The converter dialog: names an MPS file, lists its waypoints with their
// altitudes, shows the waypoint and track counts, and converts the waypoints
// into a WTR file. It holds at most one document.
#pragma once

#include <QDialog>
#include <QIcon>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/wtr_document.h"

class QLabel;
class QLineEdit;
class QListView;
class QMimeData;
class QPushButton;

namespace ridloe {

class FilePrompts;
class SettingsStore;
class WaypointListModel;

// Template IDD_CONVERTER, in dialog units.
inline constexpr int kDialogWidthUnits = 262;
inline constexpr int kDialogHeightUnits = 139;

class ConverterDialog : public QDialog {
  Q_OBJECT

 public:
  ConverterDialog(SettingsStore& settings, FilePrompts& prompts, QWidget* parent = nullptr);
  ~ConverterDialog() override;

  // Initialises and runs the dialog modally; the result of exec().
  int DoModal();

  // Sets the icon, puts the stored MPS path into the path field and lists it.
  bool OnInitDialog();
  // The three commands, bound to the three buttons.
  void OnListWaypoints();
  void OnBrowseMps();
  void OnConvertToWtr();
  // The WTR save prompt; on true `path` holds the chosen path.
  bool PromptWtrPath(QString& path);
  // Translates the document's symbol codes into WTR codes, always from the
  // codes as loaded; false only when memory is short (nothing is changed).
  bool MapSymbolsForWtr();
  // Deletes the document; runs whenever the dialog ends.
  bool DestroyWindow();

  // The current document, if any (for inspection).
  const WtrDocument* document() const { return document_.get(); }

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ReplaceDocument(std::unique_ptr<WtrDocument> document);
  // Handles a drag or drop event that carries one .mps file; false otherwise.
  bool HandleFileDrag(QEvent* event);

  SettingsStore& settings_;
  FilePrompts& prompts_;
  QIcon icon_;
  std::unique_ptr<WtrDocument> document_;

  QLineEdit* pathEdit_ = nullptr;
  QPushButton* browseButton_ = nullptr;
  QPushButton* listButton_ = nullptr;
  QListView* listView_ = nullptr;
  WaypointListModel* listModel_ = nullptr;
  QLabel* waypointCount_ = nullptr;
  QPushButton* convertButton_ = nullptr;
  QLabel* trackCount_ = nullptr;
};

// The name the save prompt proposes for a path field's text: its file name
// without drive, folders and extension ("C:\gps\trip.mps" gives "trip").
QString ProposedWtrName(const QString& pathField);

// The single local .mps file a drag carries, or an empty string.
QString DraggedMpsFile(const QMimeData* data);

// The dialog font: 9 points of the first Ming face the system has.
QFont DialogFont();

}  // namespace ridloe
