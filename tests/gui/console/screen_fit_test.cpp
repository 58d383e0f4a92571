// The windows on the screen they open on, whatever its size (the test programs also run these on
// a 1366x768 screen and at twice the scale): the main window and the Monitor stay within the
// available area with every control reachable, scrolling where the screen is smaller than the
// layout and only that way; the Monitor and the fleet view open beside the main window where
// there is room and never cover it wholly.
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>

#include "console_fixture.hpp"
#include "fleet/fleet_window.hpp"
#include "monitor/monitor_window.hpp"

namespace climate::testing {
namespace {

using ScreenFit = ConsoleTest;

std::string Describe(const QRect& rect) {
  return std::to_string(rect.width()) + "x" + std::to_string(rect.height()) + " at " +
         std::to_string(rect.x()) + "," + std::to_string(rect.y());
}

// Scrolls the control into view where it sits in a scroll area; then it must lie wholly inside
// its window. Returns a description of the fault, or nothing.
std::string Unreachable(QWidget* control) {
  if (control == nullptr) return "missing";
  QWidget* window = control->window();
  for (QWidget* up = control->parentWidget(); up != nullptr; up = up->parentWidget()) {
    if (auto* scroller = qobject_cast<QScrollArea*>(up)) {
      // Scrolled to the control's top left corner, as far as the scroll bars go.
      const QPoint corner = control->mapTo(scroller->widget(), QPoint(0, 0));
      scroller->horizontalScrollBar()->setValue(corner.x());
      scroller->verticalScrollBar()->setValue(corner.y());
      // Inside the scroll area, the part of it that shows.
      const QRect shown(scroller->viewport()->mapTo(window, QPoint(0, 0)),
                        scroller->viewport()->size());
      const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
      if (!shown.contains(place)) {
        return control->objectName().toStdString() + " out of view: " + Describe(place);
      }
    }
  }
  const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
  if (!window->rect().contains(place)) {
    return control->objectName().toStdString() + " cut off: " + Describe(place) + " in " +
           Describe(window->rect());
  }
  return {};
}

// The window within the available area of its screen.
std::string OffScreen(const QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  if (area.contains(frame)) return {};
  return window.objectName().toStdString() + " " + Describe(frame) + " on " + Describe(area);
}

// The main window's layout scrolls only the way the screen is too small for it: a scroll bar one
// way must not make the window scroll the other way too where the screen has room.
std::string NeedlessScrollBar(const QMainWindow& window) {
  const auto* scroller = window.findChild<QScrollArea*>("ClientScroller");
  if (scroller == nullptr || scroller->widget() == nullptr) return "no scroll area";
  const QSize layout = scroller->widget()->size();
  QSize room =
      window.screen()->availableGeometry().size() - (window.frameGeometry().size() - window.size());
  room.rheight() -= window.statusBar()->height();
  const int bar = scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
  const bool across = scroller->horizontalScrollBar()->isVisible();
  const bool down = scroller->verticalScrollBar()->isVisible();
  if (across && room.width() >= layout.width() + (down ? bar : 0)) {
    return "scrolls across though the screen is wide enough: " + Describe(window.geometry());
  }
  if (down && room.height() >= layout.height() + (across ? bar : 0)) {
    return "scrolls down though the screen is high enough: " + Describe(window.geometry());
  }
  return {};
}

// A tool window beside the main window: beside it where the area leaves room, and never over
// the whole of it.
std::string BadlyPlaced(const QWidget& tool, const QWidget& main) {
  const QRect area = main.screen()->availableGeometry();
  const QRect owner = main.frameGeometry();
  const QRect frame = tool.frameGeometry();
  if (frame.contains(owner)) return tool.objectName().toStdString() + " covers the main window";
  const bool room =
      area.right() - owner.right() >= frame.width() || owner.left() - area.left() >= frame.width();
  const bool beside = frame.left() == owner.right() + 1 || frame.right() + 1 == owner.left();
  if (room && (!beside || frame.intersects(owner))) {
    return tool.objectName().toStdString() + " " + Describe(frame) + " not beside the main " +
           "window " + Describe(owner) + " though there is room";
  }
  return {};
}

TEST_F(ScreenFit, WindowsFitTheScreenAndOpenBesideTheMainWindowInBothLanguages) {
  // The window's own size, and a stored size larger than any screen: a wish the screen bounds.
  const std::pair<const char*, int> starts[] = {{"中文(&L)", 0}, {"English (&L)", 5000}};
  for (const auto& [caption, stored] : starts) {
    WriteConfig([caption = caption, stored = stored](IniFile& ini) {
      ini.WriteString("UserSet", "Language", caption);
      if (stored != 0) {
        ini.WriteInteger("FrmMain", "Width", stored);
        ini.WriteInteger("FrmMain", "Height", stored);
      }
      ini.WriteString("Fleet", "Host", "127.0.0.1");
      ini.WriteInteger("Fleet", "Port", 1);
    });
    TFrmMain& window = Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    SCOPED_TRACE(caption);
    EXPECT_EQ(OffScreen(window), "");
    EXPECT_EQ(NeedlessScrollBar(window), "");
    for (const char* name :
         {"suiComboBoxCOM", "suiButtonComSet", "suiButtonSearch", "suiButtonSet", "suiButtonOpen",
          "suiCheckBoxTimer", "suiSpinEditTime", "RadioGroupType", "GroupBox3", "suiMemoText"}) {
      EXPECT_EQ(Unreachable(Find<QWidget>(name)), "") << name;
    }
    EXPECT_EQ(Unreachable(window.statusBar()), "");

    Trigger("Monitor");
    MonitorWindow* monitor = window.MonitorWin();
    ASSERT_NE(monitor, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(monitor));
    EXPECT_EQ(OffScreen(*monitor), "");
    EXPECT_EQ(BadlyPlaced(*monitor, window), "");
    for (const char* name :
         {"MonitorTabs", "TrendRange", "ServiceReportButton", "ReportSite", "ReportCabinet"}) {
      EXPECT_EQ(Unreachable(monitor->findChild<QWidget*>(name)), "") << name;
    }

    Trigger("Fleet");
    FleetWindow* fleet = window.FleetWin();
    ASSERT_NE(fleet, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fleet));
    EXPECT_EQ(OffScreen(*fleet), "");
    EXPECT_EQ(BadlyPlaced(*fleet, window), "");
    window.close();
    window_.reset();
  }
}

}  // namespace
}  // namespace climate::testing
