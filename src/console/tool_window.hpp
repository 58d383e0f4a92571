// The windows the main window opens beside itself (Monitor, fleet view, serial devices): made on
// first use, kept while the main window lives, shown in the current language and brought to the
// front. The first showing opens beside the main window, within the screen and never covering it
// wholly.
#pragma once

#include <QWidget>
#include <memory>
#include <utility>

#include "app/language.hpp"
#include "app/window_fit.hpp"
#include "console/tool_windows.hpp"

namespace climate {

inline QWidget& WidgetOf(QWidget& window) {
  return window;
}
inline QWidget& WidgetOf(ToolWindow& window) {
  return window.Widget();
}

template <class Window, class Make>
void ShowToolWindow(std::unique_ptr<Window>& window, Make&& make, Language language) {
  const bool made = !window;
  if (made) window = std::forward<Make>(make)();
  window->SetLanguage(language);
  QWidget& widget = WidgetOf(*window);
  if (made) PlaceBesideOwner(widget);
  widget.show();
  widget.raise();
  widget.activateWindow();
}

}  // namespace climate
