// The Monitor: a non-modal window beside the main window with the trends, the recorded data
// switch, the alarm history, the link health figures and the service report button. It only
// reads the MonitorModel, which the main window feeds whether the Monitor is open or not.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "app/language.hpp"
#include "monitor/monitor_settings.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace climate {

class AlarmTableModel;
class MonitorModel;
class TrendChart;

class MonitorWindow final : public QWidget {
  Q_OBJECT

 public:
  // configPath is UserSet.INI (the Monitor section is saved there at each change of a switch);
  // reportDirectory is where the save dialog of the service report starts.
  MonitorWindow(MonitorModel& model, QString configPath, QString reportDirectory,
                QWidget* parent = nullptr);
  ~MonitorWindow() override;

  void SetLanguage(Language language);
  Language CurrentLanguage() const { return language_; }

  // Redraws the pages of the given changes at once.
  void Refresh(unsigned changes);
  // Redraws what the model changed since the last redraw, on the page in view; the other pages
  // catch up when they are turned to. The model's changes call this batched on the event loop
  // while the window is visible.
  void RefreshPending();

  // Writes the service report; the outcome is also shown under the button.
  bool WriteReport(const QString& path);
  // Picks the report's file; the default asks with a save dialog. An empty answer cancels.
  void SetReportPathChooser(std::function<QString(const QString& suggested)> chooser) {
    chooseReportPath_ = std::move(chooser);
  }

  TrendChart* Chart() const { return chart_; }
  AlarmTableModel* AlarmTable() const { return alarmTable_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildTrendsPage();
  void BuildRecordsPage();
  void BuildAlarmsPage();
  void BuildLinkPage();
  void ApplyTexts();
  void OnModelChanged(unsigned changes);
  void RefreshTrend();
  void RefreshRecords();
  void RefreshAlarms();
  void RefreshLink();
  void SaveSettings(const MonitorSettings& settings);
  void RecordSwitchToggled(bool on);
  void RangeChanged(int index);
  void AcknowledgeClicked();
  void ReportClicked();

  MonitorModel& model_;
  QString configPath_;
  QString reportDirectory_;
  Language language_ = Language::English;
  unsigned pendingChanges_ = 0;
  std::function<QString(const QString&)> chooseReportPath_;

  QTimer* refreshTimer_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  TrendChart* chart_ = nullptr;
  QLabel* rangeLabel_ = nullptr;
  QComboBox* range_ = nullptr;
  QCheckBox* recordSwitch_ = nullptr;
  std::array<QLabel*, 5> recordNames_{};
  std::array<QLabel*, 5> recordValues_{};
  QLabel* settingsError_ = nullptr;
  AlarmTableModel* alarmTable_ = nullptr;
  QTableView* alarmView_ = nullptr;
  QLabel* alarmSummary_ = nullptr;
  QPushButton* acknowledge_ = nullptr;
  std::map<std::string, std::pair<QLabel*, QLabel*>> linkRows_;
  QPushButton* report_ = nullptr;
  QLabel* reportStatus_ = nullptr;
};

}  // namespace climate
