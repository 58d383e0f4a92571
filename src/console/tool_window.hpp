// The windows the main window opens beside itself (Monitor, fleet view): made on first use, kept
// while the main window lives, shown in the current language and brought to the front. The first
// showing opens beside the main window, within the screen and never covering it wholly.
#pragma once

#include <memory>
#include <utility>

#include "app/language.hpp"
#include "app/window_fit.hpp"

namespace climate {

template <class Window, class Make>
void ShowToolWindow(std::unique_ptr<Window>& window, Make&& make, Language language) {
  const bool made = !window;
  if (made) window = std::forward<Make>(make)();
  window->SetLanguage(language);
  if (made) PlaceBesideOwner(*window);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace climate
