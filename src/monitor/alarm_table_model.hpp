// The alarm history as a table, newest first: the alarms and events, or the state changes.
// Active alarms nobody has acknowledged are bold red; state changes are always plain.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "app/language.hpp"

namespace climate {

class MonitorModel;
struct AlarmEntry;

class AlarmTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    NameColumn,
    UnitColumn,
    RaisedColumn,
    ClearedColumn,
    DurationColumn,
    AckColumn,
    ColumnCount
  };
  // Which of the history's lists the table shows.
  enum class List { AlarmsAndEvents, StateChanges };

  // The title of a column, in the window's table and in the service report's.
  static const TextPair& ColumnTitle(int column, List list = List::AlarmsAndEvents);
  // The text of one cell, in the window's table and in the service report's; nowMs is the
  // monotonic time active entries last up to.
  static QString CellText(const AlarmEntry& entry, int column, Language language,
                          std::int64_t nowMs);

  explicit AlarmTableModel(const MonitorModel& model, QObject* parent = nullptr);

  void SetLanguage(Language language);
  void SetList(List list);
  List CurrentList() const { return list_; }
  // Follows the history: new rows are inserted at the top, so a selection stays where it was.
  void Refresh();
  std::uint64_t EntryId(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  const std::vector<AlarmEntry>& Entries() const;
  const AlarmEntry* EntryAt(int row) const;

  const MonitorModel& model_;
  Language language_ = Language::English;
  List list_ = List::AlarmsAndEvents;
  int rows_ = 0;
  std::uint64_t newestId_ = 0;
};

}  // namespace climate
