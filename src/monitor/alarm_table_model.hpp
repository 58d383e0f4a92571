// The alarm history as a table, newest first. Active alarms nobody has acknowledged are bold red.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "app/language.hpp"

namespace climate {

class MonitorModel;

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

  // The title of a column, in the window's table and in the service report's.
  static const TextPair& ColumnTitle(int column);

  explicit AlarmTableModel(const MonitorModel& model, QObject* parent = nullptr);

  void SetLanguage(Language language);
  // Follows the history: new rows are inserted at the top, so a selection stays where it was.
  void Refresh();
  std::uint64_t EntryId(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  const MonitorModel& model_;
  Language language_ = Language::English;
  int rows_ = 0;
  std::uint64_t newestId_ = 0;
};

}  // namespace climate
