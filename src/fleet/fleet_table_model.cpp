// The fleet table.
#include "fleet/fleet_table_model.hpp"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>
#include <limits>

#include "common/qt_text.hpp"
#include "fleet/fleet_texts.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

QVariant Number(const std::optional<int>& value) {
  return value ? QVariant(*value) : QVariant();
}

// The reading a value column shows.
std::optional<int> CabinetState::*ReadingOf(int column) {
  switch (column) {
    case FleetTableModel::Humidity:
      return &CabinetState::indoorHumidity;
    case FleetTableModel::Voltage:
      return &CabinetState::supplyVoltage;
    default:
      return &CabinetState::indoorTemperature;
  }
}

}  // namespace

FleetTableModel::FleetTableModel(FleetModel& model, std::function<std::int64_t()> nowMs,
                                 QObject* parent)
    : QAbstractTableModel(parent), model_(model), nowMs_(std::move(nowMs)) {}

void FleetTableModel::SetLanguage(Language language) {
  language_ = language;
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
  RefreshAll(0, ColumnCount - 1);
}

void FleetTableModel::Reset(const std::string& prefix, std::size_t maxCabinets) {
  beginResetModel();
  model_ = FleetModel(prefix, maxCabinets);
  shownRows_ = 0;
  endResetModel();
}

void FleetTableModel::Ingest(const QString& topic, const QByteArray& payload) {
  const QByteArray topicText = topic.toUtf8();
  model_.Ingest(std::string_view(topicText.constData(), static_cast<std::size_t>(topicText.size())),
                std::string_view(payload.constData(), static_cast<std::size_t>(payload.size())));
}

void FleetTableModel::Flush() {
  if (model_.Pending() == 0) return;
  const FleetModel::Batch batch = model_.Flush(nowMs_());
  // Rows that existed before the batch change in place; new ones are inserted after them.
  if (batch.firstUpdated) {
    emit dataChanged(index(static_cast<int>(*batch.firstUpdated), 0),
                     index(static_cast<int>(batch.lastUpdated), ColumnCount - 1));
  }
  const int total = static_cast<int>(model_.Size());
  if (total > shownRows_) {
    beginInsertRows({}, shownRows_, total - 1);
    shownRows_ = total;
    endInsertRows();
  }
  for (const std::string& key : batch.removals) {
    const std::optional<std::size_t> row = model_.IndexOf(key);
    if (!row) continue;
    const int at = static_cast<int>(*row);
    beginRemoveRows({}, at, at);
    model_.RemoveAt(*row);
    shownRows_ = static_cast<int>(model_.Size());
    endRemoveRows();
  }
}

void FleetTableModel::SetBrokerUp(bool up) {
  if (up == brokerUp_) return;
  brokerUp_ = up;
  RefreshAll(0, ColumnCount - 1);
}

void FleetTableModel::RefreshAges() {
  RefreshAll(State, Age);
}

void FleetTableModel::RefreshAll(int firstColumn, int lastColumn) {
  if (shownRows_ > 0) {
    emit dataChanged(index(0, firstColumn), index(shownRows_ - 1, lastColumn));
  }
}

int FleetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int FleetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

int FleetTableModel::CabinetsInAlarm() const {
  return CountByState()[static_cast<std::size_t>(RowState::InAlarm)];
}

std::array<int, RowStateCount> FleetTableModel::CountByState() const {
  std::array<int, RowStateCount> counts{};
  const std::int64_t now = nowMs_();
  for (const Cabinet& cabinet : model_.Cabinets()) {
    ++counts[static_cast<std::size_t>(StateOf(cabinet, brokerUp_, now))];
  }
  return counts;
}

QVariant FleetTableModel::Display(const Cabinet& c, int column) const {
  using namespace fleet_text;
  const CabinetState* state = c.state ? &*c.state : nullptr;
  const bool hasReading = state != nullptr && state->readingTimeMs.has_value();
  switch (column) {
    case Site:
      return Q(c.site);
    case Unit:
      return Q(c.unit);
    case Kind:
      if (state == nullptr) return QString();
      return Q((state->kind == DeviceKind::HeatExchanger ? HeatExchanger : AirConditioner)
                   .In(language_));
    case State:
      return Q(RowStates[static_cast<std::size_t>(StateOf(c, brokerUp_, nowMs_()))].In(language_));
    case WorstAlarm: {
      // Without a reading nothing is known about alarms, not even that there are none.
      if (!hasReading) return QString();
      if (state->worstAlarm == nullptr) return Q(NoAlarm.In(language_));
      QString text = Q(AlarmText(*state->worstAlarm, language_)).trimmed();
      if (state->activeAlarms > 1) text += QStringLiteral(" (+%1)").arg(state->activeAlarms - 1);
      return text;
    }
    case Indoor:
    case Humidity:
    case Voltage:
      return state != nullptr ? Number(state->*ReadingOf(column)) : QVariant();
    case Age: {
      const std::optional<std::int64_t> age = ReadingAgeMs(c, nowMs_());
      return age ? Q(AgeText(*age, language_)) : QString();
    }
    default:
      return {};
  }
}

QVariant FleetTableModel::SortKey(const Cabinet& c, int column) const {
  switch (column) {
    case State:
      return static_cast<int>(StateOf(c, brokerUp_, nowMs_()));
    case WorstAlarm:
      return c.state && c.state->worstAlarm ? AlarmSeverityRank(c.state->worstAlarm->key) : 1000;
    case Indoor:
    case Humidity:
    case Voltage: {
      const QVariant value = Display(c, column);
      return value.isValid() ? value : QVariant(-1000);
    }
    case Age: {
      const std::optional<std::int64_t> age = ReadingAgeMs(c, nowMs_());
      return QVariant::fromValue(age ? *age : std::numeric_limits<qint64>::max());
    }
    default:
      return Display(c, column);
  }
}

QVariant FleetTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shownRows_) return {};
  const Cabinet& c = model_.Cabinets()[static_cast<std::size_t>(index.row())];
  const bool hasAlarm = c.state && c.state->worstAlarm != nullptr;
  switch (role) {
    case Qt::DisplayRole:
      return Display(c, index.column());
    case SortRole:
      return SortKey(c, index.column());
    case HasAlarmRole:
      return hasAlarm;
    case Qt::ForegroundRole: {
      const RowState state = StateOf(c, brokerUp_, nowMs_());
      const bool live = state == RowState::InAlarm || state == RowState::Normal;
      if (index.column() == State) {
        if (state == RowState::InAlarm) return QBrush(QColor(255, 0, 0));
        if (!live) return QBrush(QColor(192, 96, 0));
        return {};
      }
      // Values no longer live are grey, as the main window greys its value boxes.
      if (!live && index.column() >= WorstAlarm && index.column() <= Voltage) {
        return QBrush(QColor(128, 128, 128));
      }
      if (index.column() == WorstAlarm && hasAlarm) return QBrush(QColor(255, 0, 0));
      return {};
    }
    case Qt::FontRole: {
      const RowState state = StateOf(c, brokerUp_, nowMs_());
      if ((index.column() == WorstAlarm && hasAlarm) ||
          (index.column() == State && state != RowState::Normal)) {
        QFont font;
        font.setBold(true);
        return font;
      }
      return {};
    }
    default:
      return {};
  }
}

QVariant FleetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= ColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return Q(fleet_text::Columns[section].In(language_));
}

bool FleetSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const bool leftAlarm = left.sibling(left.row(), 0).data(FleetTableModel::HasAlarmRole).toBool();
  const bool rightAlarm =
      right.sibling(right.row(), 0).data(FleetTableModel::HasAlarmRole).toBool();
  // Alarm rows lead whichever way the column is sorted: Qt reverses the comparison for a
  // descending sort, so the rule is turned round with it.
  if (leftAlarm != rightAlarm) return sortOrder() == Qt::AscendingOrder ? leftAlarm : rightAlarm;
  const QVariant a = left.data(FleetTableModel::SortRole);
  const QVariant b = right.data(FleetTableModel::SortRole);
  const int order = QVariant::compare(a, b) == QPartialOrdering::Less      ? -1
                    : QVariant::compare(a, b) == QPartialOrdering::Greater ? 1
                                                                           : 0;
  if (order != 0) return order < 0;
  // Equal keys: site and unit keep the order stable between batches.
  const auto name = [](const QModelIndex& i) {
    return i.sibling(i.row(), 0).data().toString() + '/' + i.sibling(i.row(), 1).data().toString();
  };
  return name(left) < name(right);
}

}  // namespace climate
