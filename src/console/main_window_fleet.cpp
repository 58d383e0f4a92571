// The fleet view beside the main window: its menu item and its window (made on first use).
#include <QAction>
#include <QMenu>

#include "common/qt_text.hpp"
#include "console/main_window.hpp"
#include "fleet/fleet_texts.hpp"
#include "fleet/fleet_window.hpp"

namespace climate {

void TFrmMain::BuildFleetItem() {
  Fleet_ = suiPopupMenu2_->addAction(Q(fleet_text::MenuItem.In(CurrentLanguage())));
  Fleet_->setObjectName("Fleet");
  connect(Fleet_, &QAction::triggered, this, [this] { Guarded([this] { FleetClick(); }); });
}

void TFrmMain::FleetClick() {
  if (!fleetWindow_) fleetWindow_ = std::make_unique<FleetWindow>(Q(ConfigPath()), this);
  fleetWindow_->SetLanguage(CurrentLanguage());
  fleetWindow_->show();
  fleetWindow_->raise();
  fleetWindow_->activateWindow();
}

void TFrmMain::ApplyFleetLanguage() {
  Fleet_->setText(Q(fleet_text::MenuItem.In(CurrentLanguage())));
  if (fleetWindow_) fleetWindow_->SetLanguage(CurrentLanguage());
}

}  // namespace climate
