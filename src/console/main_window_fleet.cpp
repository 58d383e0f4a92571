// The fleet view beside the main window: its window (made on first use) and its menu text.
#include <QAction>

#include "common/qt_text.hpp"
#include "console/main_window.hpp"
#include "console/tool_window.hpp"
#include "fleet/fleet_texts.hpp"
#include "fleet/fleet_window.hpp"

namespace climate {

void TFrmMain::FleetClick() {
  ShowToolWindow(
      fleetWindow_, [this] { return std::make_unique<FleetWindow>(Q(ConfigPath()), this); },
      CurrentLanguage());
}

void TFrmMain::ApplyFleetLanguage() {
  Fleet_->setText(Q(fleet_text::MenuItem.In(CurrentLanguage())));
  if (fleetWindow_) fleetWindow_->SetLanguage(CurrentLanguage());
}

}  // namespace climate
