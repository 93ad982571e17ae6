#include "app/waypoint_list.h"

#include "core/text/cp950.h"

namespace ridloe {

int WaypointListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant WaypointListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= lines_.size()) return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    return line(index.row());
  }
  return {};
}

void WaypointListModel::Clear() {
  beginResetModel();
  lines_.clear();
  lines_.shrink_to_fit();
  endResetModel();
}

QString WaypointListModel::line(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= lines_.size()) return {};
  return QString::fromStdString(DecodeCp950(lines_[static_cast<std::size_t>(row)]));
}

void WaypointListModel::Append(std::vector<std::string> lines) {
  if (lines.empty()) return;
  const int first = static_cast<int>(lines_.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
  if (lines_.empty()) {
    lines_ = std::move(lines);
  } else {
    lines_.insert(lines_.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
  }
  endInsertRows();
}

}  // namespace ridloe
