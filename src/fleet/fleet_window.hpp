// The fleet view: a window beside the main one that connects to the broker given in the Fleet
// section of UserSet.INI and lists every cabinet whose agent reports there.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

#include "app/language.hpp"
#include "fleet/fleet_model.hpp"

class QLabel;
class QLineEdit;
class QTableView;

namespace climate {

class FleetDetailWindow;
class FleetSortProxy;
class FleetTableModel;
class MqttClient;

class FleetWindow final : public QWidget {
  Q_OBJECT

 public:
  // How often queued messages are applied and the status line redrawn.
  static constexpr int FlushIntervalMs = 500;

  FleetWindow(QString configPath, QWidget* parent = nullptr);
  ~FleetWindow() override;

  void SetLanguage(Language language);
  // Reads the Fleet section and connects (again); the client keeps reconnecting by itself. An
  // unusable Prefix is shown in the status line and nothing is subscribed.
  void Connect();

  FleetTableModel* Table() const { return table_; }
  FleetSortProxy* Proxy() const { return proxy_; }
  QTableView* View() const { return view_; }
  QLineEdit* Filter() const { return filter_; }
  QLabel* Status() const { return status_; }
  // Applies what has arrived at once (the flush timer does it otherwise).
  void FlushNow();
  // The detail of the cabinet a row was activated on (double-click or Enter); nullptr before.
  FleetDetailWindow* Detail() const { return detail_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildLayout();
  void FitColumns(bool growOnly = false);
  void UpdateStatus();
  void OpenDetail(const QModelIndex& index);

  QString configPath_;
  Language language_ = Language::English;
  FleetModel model_;
  FleetTableModel* table_ = nullptr;
  FleetSortProxy* proxy_ = nullptr;
  QTableView* view_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QLabel* status_ = nullptr;
  int fittedRows_ = -1;  // the rows the columns were last fitted to
  FleetDetailWindow* detail_ = nullptr;
  QTimer flushTimer_;
  QTimer ageTimer_;
  std::unique_ptr<MqttClient> client_;
  std::string endpoint_;
  enum class Link { Idle, Connecting, Up, Down } link_ = Link::Idle;
  QString linkReason_;
  QString refusedTopics_;                 // subscriptions the broker refused on this connection
  std::optional<QString> invalidPrefix_;  // the Prefix that could not be used, escaped
};

}  // namespace climate
