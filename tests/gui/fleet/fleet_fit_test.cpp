// The fleet view and a cabinet's detail on the screen they open on (the test programs also run
// this on a 1366x768 screen and on 1920x1080 at twice the scale): with a cabinet in every row
// state and a row selected, every label, header section (bold, as a selected column's is) and
// cell shows whole in both languages, the table needs no horizontal scroll bar at the window's
// own width while its columns fit, and the detail stays on the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimeZone>
#include <QTreeWidget>

#include "../monitor/text_fit_support.hpp"
#include "app/config/ini_file.hpp"
#include "app/window_fit.hpp"
#include "fleet/fleet_detail_window.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"
#include "support/temp_dir.hpp"

namespace climate::testing {
namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += "\n  " + line;
  return all;
}

// A state message published now whose reading is ageS seconds old.
QByteArray State(const char* kind, int ageS, bool portOpen, const char* alarms, int indoor) {
  const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
  const auto iso = [](std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc())
        .toString("yyyy-MM-dd'T'hh:mm:ss.zzz'Z'")
        .toStdString();
  };
  return QByteArray::fromStdString(
      std::string(R"({"kind":")") + kind + R"(","time":")" + iso(now) + R"(","readingTime":")" +
      iso(now - ageS * 1000LL) + R"(","pollMs":2000,"values":{"indoorTemperature":{"value":)" +
      std::to_string(indoor) +
      R"(,"unit":"°C"},"indoorHumidity":{"value":55,"unit":"%RH"},"supplyVoltage":{"value":221}},)" +
      R"("status":{"running":true,"internalFanRunning":true},)" +
      R"("alarms":{"highTemperatureAlarm":true,"systemHighPressureAlarm":true},"activeAlarms":[)" +
      alarms + R"(],"link":{"portOpen":)" + (portOpen ? "true" : "false") +
      R"(,"requestsSent":4410,"checksumErrors":2}})");
}

// The window within the available area of its screen.
std::string OffScreen(const QWidget& window) {
  const QRect area = window.screen()->availableGeometry();
  if (area.contains(window.frameGeometry())) return {};
  const QRect frame = window.frameGeometry();
  return window.objectName().toStdString() + " " + std::to_string(frame.width()) + "x" +
         std::to_string(frame.height()) + " at " + std::to_string(frame.x()) + "," +
         std::to_string(frame.y());
}

TEST(FleetTextFit, EveryTextOfTheViewAndTheDetailShowsWholeInBothLanguages) {
  // A broker nobody listens on: the view tries it and shows the refusal in its status line.
  test::TempDir folder("fleet-fit");
  IniFile ini;
  ini.WriteString("Fleet", "Host", "127.0.0.1");
  ini.WriteInteger("Fleet", "Port", 1);
  ini.Save(folder.File("UserSet.INI"));
  FleetWindow window(QString::fromStdString(folder.File("UserSet.INI")));
  PlaceBesideOwner(window);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // Once refused the status line keeps its text while the view tries again.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return window.Status()->text().contains("Not connected to 127.0.0.1:1 ("); }, 10000))
      << window.Status()->text().toStdString();
  FleetTableModel& table = *window.Table();
  const auto cabinet = [&](const char* name, const QByteArray& state, const char* online) {
    table.Ingest(QString("climate/%1/state").arg(name), state);
    table.Ingest(QString("climate/%1/online").arg(name), online);
  };
  cabinet("north/cab1", State("airConditioner", 1, true, "", 24), "true");
  cabinet("north/cab2",
          State("heatExchanger", 2, true, R"("sensorFault","highTemperatureAlarm")", 41), "true");
  cabinet("north/cab3", State("airConditioner", 45, true, R"("systemHighPressureAlarm")", 27),
          "true");
  cabinet("south/cab4", State("heatExchanger", 12 * 60, false, "", 29), "true");
  cabinet("south/cab5", State("airConditioner", 3 * 3600 + 5 * 60, true, "", 31), "false");
  cabinet("west/cab6", State("airConditioner", 2 * 86400, false, R"("customAlarm1")", 19), "false");
  table.Ingest("climate/x/y/state", R"({"kind":5})");
  table.SetBrokerUp(true);
  window.FlushNow();
  ASSERT_EQ(table.rowCount(), 6);
  QTableView* view = window.View();
  // A selected row draws every header bold.
  view->selectRow(0);
  // The detail of the cabinet with the long alarm names, opened as a double-click opens it.
  emit view->activated(view->model()->index(2, 0));
  FleetDetailWindow* detail = window.Detail();
  ASSERT_NE(detail, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(detail));

  const QSize screen = window.screen()->availableGeometry().size();
  SCOPED_TRACE("on " + std::to_string(screen.width()) + "x" + std::to_string(screen.height()));
  EXPECT_EQ(OffScreen(window), "");
  EXPECT_EQ(OffScreen(*detail), "");
  for (const Language language : {Language::English, Language::Chinese}) {
    window.SetLanguage(language);
    QApplication::processEvents();
    SCOPED_TRACE(language == Language::English ? "English" : "Chinese");
    EXPECT_EQ(Join(CutTexts(window)), "");
    EXPECT_EQ(Join(CutTexts(*detail)), "");

    // At the view's own width every column fits: no scroll bar for nothing.
    const QSize opened = window.size();
    window.resize(1040, window.height());
    QApplication::processEvents();
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible())
        << view->horizontalHeader()->length() << " in " << view->viewport()->width();
    EXPECT_EQ(Join(CutTexts(window)), "");
    window.resize(opened);
    QApplication::processEvents();
  }
}

}  // namespace
}  // namespace climate::testing
