// The factory of the Monitor and the fleet view over their window classes, and the main window's
// accessors of the two windows for the binaries that link them in.
#include "console/linked_tool_windows.hpp"

#include "console/main_window.hpp"
#include "fleet/fleet_window.hpp"
#include "monitor/monitor_window.hpp"

namespace climate {

namespace {

template <class Window>
class Held final : public ToolWindow {
 public:
  explicit Held(std::unique_ptr<Window> window) : window_(std::move(window)) {}
  QWidget& Widget() override { return *window_; }
  void SetLanguage(Language language) override { window_->SetLanguage(language); }

 private:
  std::unique_ptr<Window> window_;
};

template <class Window>
Window* Shown(const std::unique_ptr<ToolWindow>& window) {
  return window ? qobject_cast<Window*>(&window->Widget()) : nullptr;
}

class Linked final : public ToolWindowFactory {
 public:
  std::unique_ptr<ToolWindow> MakeMonitor(MonitorModel& model, const QString& configPath,
                                          const QString& reportDirectory, Prompts* prompts,
                                          QWidget* parent) override {
    auto window = std::make_unique<MonitorWindow>(model, configPath, reportDirectory, parent);
    window->SetPrompts(prompts);
    return std::make_unique<Held<MonitorWindow>>(std::move(window));
  }

  std::unique_ptr<ToolWindow> MakeFleet(const QString& configPath, QWidget* parent) override {
    return std::make_unique<Held<FleetWindow>>(std::make_unique<FleetWindow>(configPath, parent));
  }
};

}  // namespace

ToolWindowFactory& LinkedToolWindows() {
  static Linked linked;
  return linked;
}

MonitorWindow* TFrmMain::MonitorWin() const {
  return Shown<MonitorWindow>(monitorWindow_);
}

FleetWindow* TFrmMain::FleetWin() const {
  return Shown<FleetWindow>(fleetWindow_);
}

}  // namespace climate
