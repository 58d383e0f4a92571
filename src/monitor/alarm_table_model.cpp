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

void AlarmTableModel::SetList(List list) {
  if (list == list_) return;
  beginResetModel();
  list_ = list;
  const auto& entries = Entries();
  rows_ = static_cast<int>(entries.size());
  newestId_ = entries.empty() ? 0 : entries.back().id;
  endResetModel();
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

const std::vector<AlarmEntry>& AlarmTableModel::Entries() const {
  return list_ == List::StateChanges ? model_.Alarms().StateChanges() : model_.Alarms().Entries();
}

const AlarmEntry* AlarmTableModel::EntryAt(int row) const {
  const auto& entries = Entries();
  if (row < 0 || row >= rows_ || row >= static_cast<int>(entries.size())) return nullptr;
  return &entries[entries.size() - 1 - static_cast<std::size_t>(row)];
}

void AlarmTableModel::Refresh() {
  const auto& entries = Entries();
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
  const AlarmEntry* entry = EntryAt(row);
  return entry ? entry->id : 0;
}

int AlarmTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int AlarmTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QString AlarmTableModel::CellText(const AlarmEntry& entry, int column, Language language,
                                  std::int64_t nowMs) {
  switch (column) {
    case NameColumn:
      return Q(entry.Name(language));
    case UnitColumn:
      return Q(UnitTypeName(entry.kind, language));
    case RaisedColumn:
      return Q(FormatDisplayTime(entry.raisedAt));
    case ClearedColumn:
      if (!entry.clearedAt) return Q(monitor_text::StillActive.In(language));
      // An end that was no clearing by the unit says so beside its time.
      if (entry.end == EntryEnd::UnitTypeChanged) {
        return Q(FormatDisplayTime(*entry.clearedAt)) + " (" +
               Q(monitor_text::EndedByUnitSwitch.In(language)) + ")";
      }
      return Q(FormatDisplayTime(*entry.clearedAt));
    case DurationColumn:
      return Q(FormatDuration(entry.DurationMs(nowMs)));
    case AckColumn:
      return entry.acknowledgedAt ? Q(FormatDisplayTime(*entry.acknowledgedAt)) : QString();
    default:
      return {};
  }
}

QVariant AlarmTableModel::data(const QModelIndex& index, int role) const {
  const AlarmEntry* entry = index.isValid() ? EntryAt(index.row()) : nullptr;
  if (entry == nullptr) return {};
  const bool urgent = list_ == List::AlarmsAndEvents && !entry->IsEvent() && entry->Active() &&
                      !entry->Acknowledged();

  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return CellText(*entry, index.column(), language_, model_.GetClock().MonotonicMs());
    case Qt::FontRole: {
      if (!urgent) return {};
      QFont font;
      font.setBold(true);
      return font;
    }
    case Qt::ForegroundRole:
      return urgent ? QVariant(QBrush(Qt::red)) : QVariant();
    case Qt::UserRole:
      return QVariant::fromValue<qulonglong>(entry->id);
    default:
      return {};
  }
}

const TextPair& AlarmTableModel::ColumnTitle(int column, List list) {
  using namespace monitor_text;
  static constexpr const TextPair* Titles[ColumnCount] = {&AlarmName, &AlarmUnit, &RaisedAt,
                                                          &ClearedAt, &Duration,  &AcknowledgedAt};
  static constexpr const TextPair* StateTitles[ColumnCount] = {
      &StateName, &AlarmUnit, &StateFrom, &StateUntil, &Duration, &AcknowledgedAt};
  return *(list == List::StateChanges ? StateTitles : Titles)[column];
}

QVariant AlarmTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= ColumnCount) return {};
  return Q(ColumnTitle(section, list_).In(language_));
}

}  // namespace climate
