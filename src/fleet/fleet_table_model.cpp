// The fleet table.
#include "fleet/fleet_table_model.hpp"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>

#include "common/qt_text.hpp"
#include "fleet/fleet_texts.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

QVariant Number(const std::optional<int>& value) {
  return value ? QVariant(*value) : QVariant();
}

// The reading a value column shows.
std::optional<int> Cabinet::*ReadingOf(int column) {
  switch (column) {
    case FleetTableModel::Humidity:
      return &Cabinet::indoorHumidity;
    case FleetTableModel::Voltage:
      return &Cabinet::supplyVoltage;
    default:
      return &Cabinet::indoorTemperature;
  }
}

}  // namespace

FleetTableModel::FleetTableModel(FleetModel& model, std::function<std::int64_t()> nowMs,
                                 QObject* parent)
    : QAbstractTableModel(parent), model_(model), nowMs_(std::move(nowMs)) {}

void FleetTableModel::SetLanguage(Language language) {
  language_ = language;
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
  if (shownRows_ > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, ColumnCount - 1));
}

void FleetTableModel::Reset(const std::string& prefix) {
  beginResetModel();
  model_ = FleetModel(prefix);
  pending_.clear();
  shownRows_ = 0;
  endResetModel();
}

void FleetTableModel::Ingest(const QString& topic, const QByteArray& payload) {
  pending_.emplace_back(topic, payload);
}

void FleetTableModel::Flush() {
  if (pending_.empty()) return;
  const std::int64_t now = nowMs_();
  std::size_t first = model_.Size();
  std::size_t last = 0;
  for (const auto& [topic, payload] : pending_) {
    const QByteArray topicText = topic.toUtf8();
    std::size_t row = 0;
    const FleetModel::Change change = model_.Apply(
        std::string_view(topicText.constData(), static_cast<std::size_t>(topicText.size())),
        std::string_view(payload.constData(), static_cast<std::size_t>(payload.size())), now, row);
    if (change == FleetModel::Change::Updated) {
      first = std::min(first, row);
      last = std::max(last, row);
    }
  }
  pending_.clear();
  // Rows that existed before the batch change in place; new ones are inserted after them.
  if (first < static_cast<std::size_t>(shownRows_)) {
    last = std::min(last, static_cast<std::size_t>(shownRows_ - 1));
    emit dataChanged(index(static_cast<int>(first), 0),
                     index(static_cast<int>(last), ColumnCount - 1));
  }
  const int total = static_cast<int>(model_.Size());
  if (total > shownRows_) {
    beginInsertRows({}, shownRows_, total - 1);
    shownRows_ = total;
    endInsertRows();
  }
}

void FleetTableModel::RefreshAges() {
  if (shownRows_ > 0) emit dataChanged(index(0, Age), index(shownRows_ - 1, Age));
}

int FleetTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int FleetTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

int FleetTableModel::CabinetsInAlarm() const {
  return static_cast<int>(std::count_if(model_.Cabinets().begin(), model_.Cabinets().end(),
                                        [](const Cabinet& c) { return c.worstAlarm != nullptr; }));
}

QVariant FleetTableModel::Display(const Cabinet& c, int column) const {
  using namespace fleet_text;
  switch (column) {
    case Site:
      return Q(c.site);
    case Unit:
      return Q(c.unit);
    case Kind:
      if (!c.kind) return QString();
      return Q(
          (*c.kind == DeviceKind::HeatExchanger ? HeatExchanger : AirConditioner).In(language_));
    case Online:
      if (!c.online) return QString();
      return Q((*c.online ? fleet_text::Online : Offline).In(language_));
    case WorstAlarm: {
      if (c.malformed) return Q(Unreadable.In(language_));
      if (c.worstAlarm == nullptr) return c.lastStateMs ? Q(NoAlarm.In(language_)) : QString();
      QString text = Q(AlarmText(*c.worstAlarm, language_)).trimmed();
      if (c.activeAlarms > 1) text += QStringLiteral(" (+%1)").arg(c.activeAlarms - 1);
      return text;
    }
    case Indoor:
    case Humidity:
    case Voltage:
      return Number(c.*ReadingOf(column));
    case Age:
      if (!c.lastStateMs) return QString();
      return QString::number(std::max<std::int64_t>(0, (nowMs_() - *c.lastStateMs) / 1000)) +
             Q(Seconds.In(language_));
    default:
      return {};
  }
}

QVariant FleetTableModel::SortKey(const Cabinet& c, int column) const {
  switch (column) {
    case WorstAlarm:
      return c.worstAlarm ? AlarmSeverityRank(c.worstAlarm->key) : 1000;
    case Indoor:
    case Humidity:
    case Voltage: {
      const QVariant value = Display(c, column);
      return value.isValid() ? value : QVariant(-1000);
    }
    case Age:
      return c.lastStateMs ? QVariant::fromValue(nowMs_() - *c.lastStateMs)
                           : QVariant::fromValue(std::numeric_limits<qint64>::max());
    default:
      return Display(c, column);
  }
}

QVariant FleetTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shownRows_) return {};
  const Cabinet& c = model_.Cabinets()[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return Display(c, index.column());
    case SortRole:
      return SortKey(c, index.column());
    case HasAlarmRole:
      return c.worstAlarm != nullptr;
    case Qt::ForegroundRole:
      if (index.column() == WorstAlarm && (c.worstAlarm != nullptr || c.malformed)) {
        return QBrush(QColor(255, 0, 0));
      }
      if (c.online && !*c.online) return QBrush(QColor(128, 128, 128));
      return {};
    case Qt::FontRole:
      if (index.column() == WorstAlarm && c.worstAlarm != nullptr) {
        QFont font;
        font.setBold(true);
        return font;
      }
      return {};
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
