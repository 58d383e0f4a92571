// The cabinets as a table, and the proxy that sorts alarm rows first and filters. Messages are
// read as they come and applied in batches, so a thousand agents reporting every two seconds
// cost one re-sort per batch, not one per message.
#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QSortFilterProxyModel>
#include <QString>
#include <array>
#include <functional>

#include "app/language.hpp"
#include "fleet/fleet_model.hpp"

namespace climate {

class FleetTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Site, Unit, Kind, State, WorstAlarm, Indoor, Humidity, Voltage, Age, ColumnCount };
  // The value a column sorts by (numbers as numbers, an alarm by its severity).
  static constexpr int SortRole = Qt::UserRole;
  static constexpr int HasAlarmRole = Qt::UserRole + 1;

  // nowMs is the monotonic clock the ages are measured with.
  FleetTableModel(FleetModel& model, std::function<std::int64_t()> nowMs,
                  QObject* parent = nullptr);

  void SetLanguage(Language language);
  // Forgets every cabinet (a new broker or prefix).
  void Reset(const std::string& prefix, std::size_t maxCabinets = DefaultMaxCabinets);
  // Reads a message; Flush applies what waits.
  void Ingest(const QString& topic, const QByteArray& payload);
  void Flush();
  // Whether the fleet view's own broker connection is up: while it is not, no row can be known
  // to be current.
  void SetBrokerUp(bool up);
  bool BrokerUp() const { return brokerUp_; }
  // The age column and the states judged by age move on without messages.
  void RefreshAges();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  int CabinetsInAlarm() const;
  std::array<int, RowStateCount> CountByState() const;
  const FleetModel& Model() const { return model_; }

 private:
  QVariant Display(const Cabinet& cabinet, int column) const;
  QVariant SortKey(const Cabinet& cabinet, int column) const;
  void RefreshAll(int firstColumn, int lastColumn);

  FleetModel& model_;
  std::function<std::int64_t()> nowMs_;
  Language language_ = Language::English;
  bool brokerUp_ = true;
  int shownRows_ = 0;
};

class FleetSortProxy final : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace climate
