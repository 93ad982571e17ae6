#include "app/waypoint_list.h"

#include "document/cp950.h"

namespace ridloe {

int WaypointListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant WaypointListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= lines_.size()) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) {
    return lines_[static_cast<std::size_t>(index.row())];
  }
  return {};
}

void WaypointListModel::Clear() {
  beginResetModel();
  lines_.clear();
  lines_.shrink_to_fit();
  endResetModel();
}

void WaypointListModel::Append(std::vector<QString> lines) {
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

void ModelListSink::FlushTo(WaypointListModel& model) {
  std::vector<QString> decoded;
  decoded.reserve(pending_.size());
  for (const std::string& line : pending_) decoded.push_back(QString::fromStdString(DecodeCp950(line)));
  pending_.clear();
  model.Append(std::move(decoded));
}

}  // namespace ridloe
