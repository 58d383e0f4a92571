#include "console/window_prompts.hpp"

#include <QAction>

#include "console/main_window.hpp"
#include "console/qt_prompts.hpp"

namespace climate {

void AttachPrompts(QtPrompts& prompts, TFrmMain& window) {
  prompts.SetParent(&window);
  // The captions' language, not the stored language caption: until the show handler's language
  // switch has run the window shows its design texts, whatever the caption says.
  prompts.SetLanguageSource([&window] { return window.ShownLanguage(); });
  // Qt's own texts follow the language from the moment it is switched, not only in the boxes.
  if (auto* language = window.findChild<QAction*>(QStringLiteral("Language"))) {
    QObject::connect(language, &QAction::changed, &window, [&prompts] { prompts.ApplyLanguage(); });
  }
  prompts.ApplyLanguage();
}

}  // namespace climate
