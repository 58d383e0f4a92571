// The Monitor on the screen it opens on (the test programs also run this on a 1366x768 screen and
// on 1920x1080 at twice the scale): on every page, in both languages, every label, button, tab,
// header section, cell, axis label and legend entry shows whole, and the time axis never holds
// more labels than its width can show.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QComboBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "app/window_fit.hpp"
#include "monitor/trend_chart.hpp"
#include "monitor_on_screen.hpp"
#include "text_fit_support.hpp"

namespace climate {
namespace {

using testing::CutTexts;

std::string Join(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += "\n  " + line;
  return all;
}

// Time axis labels the chart would draw cut: the axis gives each of its ticks (and the stretch
// before the first) an equal share of the plot's width, less padding either side.
std::string CrowdedTimeAxis(TrendChart& chart) {
  const QStringList labels = chart.TimeLabels();
  if (labels.isEmpty()) return {};
  const QFontMetrics metrics(chart.TimeAxis()->labelsFont());
  int widest = 0;
  for (const QString& label : labels) widest = std::max(widest, testing::TextWidth(metrics, label));
  const double share = chart.chart()->plotArea().width() / (labels.size() + 1) - 2 * 4;
  if (widest <= share) return {};
  return std::to_string(labels.size()) + " time labels of " + std::to_string(widest) +
         " px in a plot " + std::to_string(chart.chart()->plotArea().width()) +
         " px wide: " + labels.join(' ').toStdString();
}

using MonitorTextFit = test::MonitorOnScreen;

TEST_F(MonitorTextFit, EveryTextOfEveryPageShowsWholeInBothLanguages) {
  Feed();
  // Opened as the main window opens it, on a screen of its own here: within the screen.
  PlaceBesideOwner(*window_);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  auto* tabs = window_->findChild<QTabWidget*>("MonitorTabs");
  ASSERT_NE(tabs, nullptr);
  // At the size it opens with, and at the least it can be given (beside a main window that
  // leaves it little room, where the pages scroll instead).
  const QSize screen = window_->screen()->availableGeometry().size();
  const QSize sizes[] = {window_->size(), window_->minimumSizeHint().expandedTo({1, 1})};
  for (const QSize& size : sizes) {
    window_->resize(size);
    for (const Language language : {Language::English, Language::Chinese}) {
      window_->SetLanguage(language);
      for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        // The page's redraw waits on the window's refresh timer; the chart then lays itself out.
        const QList<QTimer*> timers = window_->findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
              return std::none_of(timers.begin(), timers.end(),
                                  [](QTimer* t) { return t->isActive(); });
            },
            5000));
        QApplication::processEvents();
        SCOPED_TRACE(tabs->tabText(page).toStdString() + " in " + std::to_string(window_->width()) +
                     "x" + std::to_string(window_->height()) + " on " +
                     std::to_string(screen.width()) + "x" + std::to_string(screen.height()));
        EXPECT_EQ(Join(CutTexts(*window_)), "");
        if (page != 0) continue;
        // Each range has labels of its own format: seconds over ten minutes, minutes over the
        // hour, the date and the time over the whole run.
        auto* range = window_->findChild<QComboBox*>("TrendRange");
        ASSERT_NE(range, nullptr);
        for (int choice = 0; choice < range->count(); ++choice) {
          range->setCurrentIndex(choice);
          QApplication::processEvents();
          SCOPED_TRACE(range->currentText().toStdString());
          EXPECT_EQ(Join(CutTexts(*window_)), "");
          EXPECT_EQ(CrowdedTimeAxis(*window_->Chart()), "");
        }
        range->setCurrentIndex(1);
      }
    }
  }
}

}  // namespace
}  // namespace climate
