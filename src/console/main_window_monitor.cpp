// The Monitor beside the main window: its window (made on first use), its menu text, the port
// text it reports, and the looks its judgements give the window: stale value boxes and lamps
// with the silence mark, and the set point check's cue.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVariant>

#include "common/qt_text.hpp"
#include "console/drawn_pictures.hpp"
#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/silence_texts.hpp"
#include "console/tool_window.hpp"
#include "monitor/monitor_texts.hpp"
#include "protocol/reply_views.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

constexpr std::int64_t SetPointCueMs = 3000;

// The boxes' style sheet has a rule per look; a property change alone does not make the style
// look again, so the box is polished anew.
void SetLook(QLineEdit* box, const char* property, const QVariant& value) {
  box->setProperty(property, value);
  box->style()->unpolish(box);
  box->style()->polish(box);
}

}  // namespace

void TFrmMain::MonitorClick() {
  ToolWindowFactory* windows = monitorWindow_ ? nullptr : ToolWindows(monitor_text::WindowTitle);
  if (!monitorWindow_ && windows == nullptr) return;
  ShowToolWindow(
      monitorWindow_,
      [&] {
        return windows->MakeMonitor(monitor_, Q(ConfigPath()), Q(env_.logDir), &prompts_, this);
      },
      CurrentLanguage());
}

// The silence mark's tooltip follows the language with the Monitor's texts.
void TFrmMain::ApplyMonitorLanguage() {
  Monitor_->setText(Q(monitor_text::MenuItem.In(CurrentLanguage())));
  if (monitorWindow_) monitorWindow_->SetLanguage(CurrentLanguage());
  ShowSilence();
}

// "COM1 (/dev/ttyUSB0) 9600,n,8,1": the port as the operator picked it, where its line is and
// the line settings in use.
void TFrmMain::UpdateMonitorPort() {
  std::string text = PortText();
  // The device path, or for a line behind a device server its address, so a report tells where
  // the unit was reached.
  std::string line = port_.RemoteEndpoint();
  if (line.empty()) line = port_.DevicePath();
  if (!line.empty()) text += " (" + line + ")";
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
    // The comparison counts values in the reply's order; the boxes are laid out in another.
    const std::optional<std::size_t> shown = RealTimeValueBox(comparison.slot);
    if (!shown) continue;
    QLineEdit* box = suiEdit_.at(*shown);
    box->setToolTip(
        Q(SetPointCheck::FormatLine(check.LastSent()->kind, comparison, CurrentLanguage())));
    SetLook(box, "setPointCheck", comparison.Matches() ? "confirmed" : "mismatch");
    cuedBoxes_.push_back(box);
  }
  cueEndsMs_ = clock_.MonotonicMs() + SetPointCueMs;
}

void TFrmMain::EndSetPointCue() {
  for (QLineEdit* box : cuedBoxes_) SetLook(box, "setPointCheck", QString());
  cuedBoxes_.clear();
}

// Runs on every reply and every clock tick, so it also ends a set point cue whose time is up and
// keeps the silence mark's time current. The lamps show the last reply's bits as the boxes show
// its values: neither may look live once the unit has stopped reporting.
void TFrmMain::ApplyStaleLook() {
  if (!cuedBoxes_.empty() && clock_.MonotonicMs() >= cueEndsMs_) EndSetPointCue();
  const bool stale = monitor_.ValuesStale();
  if (stale != valuesStale_) {
    valuesStale_ = stale;
    for (std::size_t i = 0; i < 10; ++i) SetLook(suiEdit_[i], "stale", stale);  // suiEdit1..10
    for (Lamp* lamp : Shape_) lamp->SetStale(stale);                            // Shape1..19
  }
  ShowSilence();
}

void TFrmMain::ShowSilence() {
  QLabel* panel = statusPanels_[4];
  QString tip;
  if (valuesStale_) {
    const LinkStatistics& link = monitor_.LinkState();
    const std::int64_t now = clock_.MonotonicMs();
    tip = Q(UnitSilentText(link.SilentForMs(now), link.UnansweredSinceGoodReply(now),
                           CurrentLanguage()));
  }
  if (valuesStale_ != silenceShown_) {
    silenceShown_ = valuesStale_;
    panel->setPixmap(valuesStale_ ? DrawSilentPanelIcon() : DrawPanelIcon());
  }
  if (panel->toolTip() != tip) panel->setToolTip(tip);
}

}  // namespace climate
