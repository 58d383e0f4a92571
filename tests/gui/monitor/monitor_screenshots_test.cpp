// Pictures of the Monitor for its documentation, written only when CLIMATE_DIALOG_SHOTS names a
// folder (run under a real display server to see the fonts an operator sees): every page in both
// languages at the size the window opens with on its screen; at twice the scale the names end in
// "-200".
#include <QApplication>
#include <QTabWidget>
#include <QTest>

#include "app/window_fit.hpp"
#include "monitor_on_screen.hpp"

namespace climate {
namespace {

using MonitorScreenshots = test::MonitorOnScreen;

TEST_F(MonitorScreenshots, EveryPageInBothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";
  Feed();
  PlaceBesideOwner(*window_);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  auto* tabs = window_->findChild<QTabWidget*>("MonitorTabs");
  ASSERT_NE(tabs, nullptr);
  const QString scale = window_->devicePixelRatio() >= 2 ? "-200" : "";
  const char* pages[] = {"trends", "records", "alarms", "link"};
  for (const auto& [language, suffix] :
       {std::pair{Language::English, "en"}, std::pair{Language::Chinese, "zh"}}) {
    window_->SetLanguage(language);
    for (int page = 0; page < tabs->count(); ++page) {
      tabs->setCurrentIndex(page);
      // The page's redraw waits on a short timer; the chart then lays itself out.
      QTest::qWait(200);
      const QString name =
          QString("%1/monitor-%2%3-%4.png").arg(folder, pages[page], scale, suffix);
      EXPECT_TRUE(window_->grab().save(name)) << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace climate
