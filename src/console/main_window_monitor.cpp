// The Monitor beside the main window: its menu item, its window (made on first use), the port
// text it reports, and the grey look of value boxes that have stopped being live.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

#include "console/main_window.hpp"
#include "monitor/monitor_texts.hpp"
#include "monitor/monitor_window.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// The value boxes draw their text colour from their style sheet, so the colour is swapped there.
constexpr char LiveColour[] = "color: rgb(0,0,255);";
constexpr char StaleColour[] = "color: rgb(128,128,128);";

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

void TFrmMain::SetPendingCommand(int code) {
  pendingCommand_ = static_cast<std::int16_t>(code);
  monitor_.OnPendingCommand(code);
}

void TFrmMain::ApplyStaleLook() {
  const bool stale = monitor_.ValuesStale();
  if (stale == valuesStale_) return;
  valuesStale_ = stale;
  for (std::size_t i = 0; i < 10; ++i) {  // suiEdit1 .. suiEdit10
    QString sheet = suiEdit_[i]->styleSheet();
    sheet.replace(QLatin1String(stale ? LiveColour : StaleColour),
                  QLatin1String(stale ? StaleColour : LiveColour));
    suiEdit_[i]->setStyleSheet(sheet);
  }
}

}  // namespace climate
