// How the main window opens the settings dialogs and the About window without knowing them.
#pragma once

#include <string>

namespace climate {

class DialogLauncher {
 public:
  virtual ~DialogLauncher() = default;
  virtual void ShowSetKt() = 0;     // air-conditioner parameters (modal)
  virtual void ShowRjhCjSet() = 0;  // heat-exchanger parameters (modal)
  virtual void ShowSetRjh() = 0;    // heat-exchanger factory parameters (modal)
  virtual void ShowComSet() = 0;    // serial port settings (modal)
  virtual void ShowAbout() = 0;     // About window (modal)
  // The device-type switch retitles the About window: its title-bar caption and Label8.
  virtual void SetAboutTitle(const std::string& caption, const std::string& label8) = 0;
};

}  // namespace climate
