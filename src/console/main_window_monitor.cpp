// The Monitor beside the main window: its menu item, its window (made on first use), the port
// text it reports, and the grey look of value boxes that have stopped being live.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>

#include "common/qt_text.hpp"
#include "console/main_window.hpp"
#include "monitor/monitor_texts.hpp"
#include "monitor/monitor_window.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

// The background of a box a set point check has just looked at.
constexpr char PlainBackground[] = "background: rgb(212,208,200);";
constexpr char ConfirmedBackground[] = "background: rgb(150,230,150);";
constexpr char MismatchBackground[] = "background: rgb(255,150,150);";
constexpr std::int64_t SetPointCueMs = 3000;

void SetBackground(QLineEdit* box, const char* background) {
  QString sheet = box->styleSheet();
  for (const char* any : {PlainBackground, ConfirmedBackground, MismatchBackground}) {
    sheet.replace(QLatin1String(any), QLatin1String(background));
  }
  box->setStyleSheet(sheet);
}

}  // namespace

void TFrmMain::BuildMonitorItem() {
  Monitor_ = suiPopupMenu2_->addAction(Q(monitor_text::MenuItem.In(CurrentLanguage())));
  Monitor_->setObjectName("Monitor");
  connect(Monitor_, &QAction::triggered, this, [this] { Guarded([this] { MonitorClick(); }); });
}

void TFrmMain::MonitorClick() {
  if (!monitorWindow_) {
    monitorWindow_ =
        std::make_unique<MonitorWindow>(monitor_, Q(ConfigPath()), Q(env_.logDir), this);
  }
  monitorWindow_->SetLanguage(CurrentLanguage());
  monitorWindow_->show();
  monitorWindow_->raise();
  monitorWindow_->activateWindow();
}

void TFrmMain::ApplyMonitorLanguage() {
  Monitor_->setText(Q(monitor_text::MenuItem.In(CurrentLanguage())));
  if (monitorWindow_) monitorWindow_->SetLanguage(CurrentLanguage());
}

// "COM1 9600,n,8,1": the port as the operator picked it and the line settings in use.
void TFrmMain::UpdateMonitorPort() {
  std::string text = PortText();
  // A line behind a device server is named by its address, so a report tells where it was.
  const std::string endpoint = port_.RemoteEndpoint();
  if (!endpoint.empty()) text += " (" + endpoint + ")";
  const std::string settings = port_.GetSettings();
  if (!settings.empty()) text += (text.empty() ? "" : " ") + settings;
  monitor_.SetPortDescription(std::move(text));
}

void TFrmMain::SetPendingCommand(CommandCode code) {
  pendingCommand_ = static_cast<std::int16_t>(code);
  monitor_.OnPendingCommand(code);
}

void TFrmMain::ShowSetPointCue() {
  EndSetPointCue();
  const SetPointCheck& check = monitor_.SetPoints();
  if (!check.LastSent()) return;
  for (const SetPointComparison& comparison : check.LastComparison()) {
    QLineEdit* box = suiEdit_.at(comparison.slot);
    box->setToolTip(
        Q(SetPointCheck::FormatLine(check.LastSent()->kind, comparison, CurrentLanguage())));
    SetBackground(box, comparison.Matches() ? ConfirmedBackground : MismatchBackground);
    cuedBoxes_.push_back(box);
  }
  cueEndsMs_ = clock_.MonotonicMs() + SetPointCueMs;
}

void TFrmMain::EndSetPointCue() {
  for (QLineEdit* box : cuedBoxes_) SetBackground(box, PlainBackground);
  cuedBoxes_.clear();
}

// Runs on every reply and every clock tick, so it also ends a set point cue whose time is up.
void TFrmMain::ApplyStaleLook() {
  if (!cuedBoxes_.empty() && clock_.MonotonicMs() >= cueEndsMs_) EndSetPointCue();
  const bool stale = monitor_.ValuesStale();
  if (stale == valuesStale_) return;
  valuesStale_ = stale;
  // The boxes' style sheet greys a box with the property set; a property change alone does not
  // make the style look again, so each box is polished anew.
  for (std::size_t i = 0; i < 10; ++i) {  // suiEdit1 .. suiEdit10
    QLineEdit* box = suiEdit_[i];
    box->setProperty("stale", stale);
    box->style()->unpolish(box);
    box->style()->polish(box);
  }
}

}  // namespace climate
