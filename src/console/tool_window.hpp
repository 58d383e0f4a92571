// The windows the main window opens beside itself (Monitor, fleet view): made on first use, kept
// while the main window lives, shown in the current language and brought to the front.
#pragma once

#include <memory>
#include <utility>

#include "app/language.hpp"

namespace climate {

template <class Window, class Make>
void ShowToolWindow(std::unique_ptr<Window>& window, Make&& make, Language language) {
  if (!window) window = std::forward<Make>(make)();
  window->SetLanguage(language);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace climate
