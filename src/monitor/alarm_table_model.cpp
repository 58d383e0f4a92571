// Alarm history rows for the table view; only the rows in view are ever formatted.
#include "monitor/alarm_table_model.hpp"

#include <QBrush>
#include <QFont>

#include "common/qt_text.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_texts.hpp"

namespace climate {

AlarmTableModel::AlarmTableModel(const MonitorModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {
  Refresh();
}

void AlarmTableModel::SetLanguage(Language language) {
  language_ = language;
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
}

void AlarmTableModel::Refresh() {
  const auto& entries = model_.Alarms().Entries();
  const int count = static_cast<int>(entries.size());
  const std::uint64_t newest = entries.empty() ? 0 : entries.back().id;
  // Entries only ever join at the end (our top); anything else (old ones trimmed) is a reset.
  int added = 0;
  for (auto it = entries.rbegin(); it != entries.rend() && it->id > newestId_; ++it) ++added;
  if (count == rows_ + added) {
    if (added > 0) {
      beginInsertRows(QModelIndex(), 0, added - 1);
      rows_ = count;
      newestId_ = newest;
      endInsertRows();
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
    return;
  }
  beginResetModel();
  rows_ = count;
  newestId_ = newest;
  endResetModel();
}

std::uint64_t AlarmTableModel::EntryId(int row) const {
  const auto& entries = model_.Alarms().Entries();
  if (row < 0 || row >= rows_ || row >= static_cast<int>(entries.size())) return 0;
  return entries[entries.size() - 1 - static_cast<std::size_t>(row)].id;
}

int AlarmTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int AlarmTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant AlarmTableModel::data(const QModelIndex& index, int role) const {
  const auto& entries = model_.Alarms().Entries();
  const int row = index.row();
  if (!index.isValid() || row >= rows_ || row >= static_cast<int>(entries.size())) return {};
  const AlarmEntry& entry = entries[entries.size() - 1 - static_cast<std::size_t>(row)];
  const bool urgent = entry.Active() && !entry.Acknowledged();

  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case NameColumn:
          return Q(entry.Name(language_));
        case UnitColumn:
          return Q(UnitTypeName(entry.kind, language_));
        case RaisedColumn:
          return Q(FormatDisplayTime(entry.raisedAt));
        case ClearedColumn:
          return entry.clearedAt ? Q(FormatDisplayTime(*entry.clearedAt))
                                 : Q(monitor_text::StillActive.In(language_));
        case DurationColumn:
          return Q(FormatDuration(entry.DurationMs(model_.GetClock().MonotonicMs())));
        case AckColumn:
          return entry.acknowledgedAt ? Q(FormatDisplayTime(*entry.acknowledgedAt)) : QString();
        default:
          return {};
      }
    case Qt::FontRole: {
      if (!urgent) return {};
      QFont font;
      font.setBold(true);
      return font;
    }
    case Qt::ForegroundRole:
      return urgent ? QVariant(QBrush(Qt::red)) : QVariant();
    case Qt::UserRole:
      return QVariant::fromValue<qulonglong>(entry.id);
    default:
      return {};
  }
}

const TextPair& AlarmTableModel::ColumnTitle(int column) {
  using namespace monitor_text;
  static constexpr const TextPair* Titles[ColumnCount] = {&AlarmName, &AlarmUnit, &RaisedAt,
                                                          &ClearedAt, &Duration,  &AcknowledgedAt};
  return *Titles[column];
}

QVariant AlarmTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= ColumnCount) return {};
  return Q(ColumnTitle(section).In(language_));
}

}  // namespace climate
