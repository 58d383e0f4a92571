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
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace climate {

class AlarmTableModel;
class MonitorModel;
class Prompts;
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
  // Where the site and cabinet are asked before the first report; without prompts the report
  // goes without asking.
  void SetPrompts(Prompts* prompts) { prompts_ = prompts; }
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
  void AlarmListChanged(int index);
  void ReportClicked();
  // Asks for site and cabinet once, before the first report; false when the operator cancelled.
  bool AskSiteOnce();
  void SiteEdited();
  void ShowSite();
  void ShowStatusLines();

  MonitorModel& model_;
  QString configPath_;
  QString reportDirectory_;
  Language language_ = Language::English;
  unsigned pendingChanges_ = 0;
  std::function<QString(const QString&)> chooseReportPath_;
  Prompts* prompts_ = nullptr;
  // The outcome of the last report and of the last save of a setting, kept so that their lines
  // are told again in the language shown.
  enum class ReportOutcome { None, Written, Failed };
  ReportOutcome reportOutcome_ = ReportOutcome::None;
  QString reportPath_;
  QString settingsError_;

  QTimer* refreshTimer_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  TrendChart* chart_ = nullptr;
  QLabel* rangeLabel_ = nullptr;
  QPushButton* resetView_ = nullptr;
  QComboBox* range_ = nullptr;
  QCheckBox* recordSwitch_ = nullptr;
  std::array<QLabel*, 5> recordNames_{};
  std::array<QLabel*, 5> recordValues_{};
  QLabel* settingsErrorLabel_ = nullptr;
  AlarmTableModel* alarmTable_ = nullptr;
  QTableView* alarmView_ = nullptr;
  QComboBox* alarmList_ = nullptr;
  QLabel* alarmSummary_ = nullptr;
  QPushButton* acknowledge_ = nullptr;
  std::map<std::string, std::pair<QLabel*, QLabel*>> linkRows_;
  QLabel* siteLabel_ = nullptr;
  QLineEdit* site_ = nullptr;
  QLabel* cabinetLabel_ = nullptr;
  QLineEdit* cabinet_ = nullptr;
  QPushButton* report_ = nullptr;
  QLabel* reportStatus_ = nullptr;
};

}  // namespace climate
