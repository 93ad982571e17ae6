// The waypoint list: a model of display lines for a QListView, and the
// ListSink a load reports into.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <string>
#include <string_view>
#include <vector>


namespace ridloe {

// Lines in the order added, never sorted; read-only. The lines are kept as
// the bytes the document holds (code page 950) and decoded when a row is
// shown, so a list of a hundred thousand lines costs only the rows in view.
class WaypointListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // Empties the list.
  void Clear();
  // Adds lines at the end, in one insertion.
  void Append(std::vector<std::string> lines);

  // The display form of a row.
  QString line(int row) const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace ridloe
