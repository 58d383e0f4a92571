// The fleet view beside the main window: its window (made on first use) and its menu text.
#include <QAction>

#include "common/qt_text.hpp"
#include "console/main_window.hpp"
#include "console/tool_window.hpp"
#include "fleet/fleet_texts.hpp"

namespace climate {

void TFrmMain::FleetClick() {
  ToolWindowFactory* windows = fleetWindow_ ? nullptr : ToolWindows(fleet_text::WindowTitle);
  if (!fleetWindow_ && windows == nullptr) return;
  ShowToolWindow(
      fleetWindow_, [&] { return windows->MakeFleet(Q(ConfigPath()), this); }, CurrentLanguage());
}

void TFrmMain::ApplyFleetLanguage() {
  Fleet_->setText(Q(fleet_text::MenuItem.In(CurrentLanguage())));
  if (fleetWindow_) fleetWindow_->SetLanguage(CurrentLanguage());
}

}  // namespace climate
