// The fleet view: cabinets from agents' messages, alarm rows first whichever way a column sorts,
// the filter, both languages, the table's fit to the window, and the window menu item of the
// main window that opens it.
#include "fleet/fleet_window.hpp"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include "../console/console_fixture.hpp"
#include "fleet/fleet_table_model.hpp"

namespace climate::testing {
namespace {

// A state message as an agent publishes it, reading just taken.
QString State(const char* kind, const char* alarms, int indoor) {
  return QString(R"({"kind":"%1","time":"2026-12-09T09:00:00.000Z",)"
                 R"("readingTime":"2026-12-09T09:00:00.000Z",)"
                 R"("values":{"indoorTemperature":{"value":%3,"unit":"°C"},)"
                 R"("supplyVoltage":{"value":220,"unit":"V"}},"activeAlarms":[%2],)"
                 R"("link":{"portOpen":true}})")
      .arg(kind, alarms)
      .arg(indoor);
}

QStringList Rows(const FleetWindow& window) {
  QStringList rows;
  const auto* proxy = window.View()->model();
  for (int row = 0; row < proxy->rowCount(); ++row) {
    rows << proxy->index(row, FleetTableModel::Site).data().toString() + "/" +
                proxy->index(row, FleetTableModel::Unit).data().toString();
  }
  return rows;
}

QString Cell(const FleetWindow& window, int row, int column) {
  return window.View()->model()->index(row, column).data().toString();
}

TEST(FleetWindow, ListsCabinetsWithAlarmRowsFirstAndFilters) {
  FleetWindow window("does-not-exist.INI");
  FleetTableModel& table = *window.Table();
  table.Ingest("climate/north/a/state", State("airConditioner", "", 25).toUtf8());
  table.Ingest("climate/north/a/online", "true");
  table.Ingest("climate/north/b/state",
               State("heatExchanger", R"("customAlarm1","highTemperatureAlarm")", 41).toUtf8());
  table.Ingest("climate/south/c/state", State("airConditioner", R"("sensorFault")", 30).toUtf8());
  table.Ingest("climate/south/c/online", "false");
  table.Ingest("climate/west/d/state", "{not json");
  table.Ingest("other/east/e/state", State("airConditioner", "", 20).toUtf8());  // not ours
  table.Ingest("climate/east/f/command", "{}");                                  // not a cabinet
  window.FlushNow();

  // An unreadable message lists nothing; it is counted in the status line.
  EXPECT_EQ(Rows(window), (QStringList{"north/b", "south/c", "north/a"}));
  EXPECT_EQ(Cell(window, 0, FleetTableModel::WorstAlarm), "High Temperature Alarm (+1)");
  EXPECT_EQ(window.View()
                ->model()
                ->index(0, FleetTableModel::WorstAlarm)
                .data(Qt::ForegroundRole)
                .value<QBrush>()
                .color(),
            QColor(255, 0, 0));
  EXPECT_EQ(Cell(window, 0, FleetTableModel::Kind), "Heat exchanger");
  EXPECT_EQ(Cell(window, 0, FleetTableModel::State), "In alarm");
  EXPECT_EQ(Cell(window, 1, FleetTableModel::State), "Agent offline");
  EXPECT_EQ(Cell(window, 2, FleetTableModel::WorstAlarm), "No alarm");
  EXPECT_EQ(Cell(window, 2, FleetTableModel::Indoor), "25");
  EXPECT_EQ(Cell(window, 2, FleetTableModel::State), "Normal");
  EXPECT_TRUE(window.Status()->text().contains(
      "3 cabinets: 1 agent offline, 1 in alarm, 1 normal  ·  rejected 1 messages; last: west/d: "
      "not JSON"))
      << window.Status()->text().toStdString();

  // Descending by indoor temperature: the alarm rows still lead.
  window.View()->sortByColumn(FleetTableModel::Indoor, Qt::DescendingOrder);
  EXPECT_EQ(Rows(window), (QStringList{"north/b", "south/c", "north/a"}));
  window.View()->sortByColumn(FleetTableModel::Site, Qt::DescendingOrder);
  EXPECT_EQ(Rows(window), (QStringList{"south/c", "north/b", "north/a"}));

  // A cleared alarm moves its row back among the others at the next batch.
  table.Ingest("climate/north/b/state", State("heatExchanger", "", 24).toUtf8());
  window.FlushNow();
  EXPECT_EQ(Rows(window), (QStringList{"south/c", "north/b", "north/a"}));

  window.Filter()->setText("SENSOR");
  EXPECT_EQ(Rows(window), (QStringList{"south/c"}));
  window.Filter()->setText("north");
  EXPECT_EQ(Rows(window), (QStringList{"north/b", "north/a"}));
  EXPECT_TRUE(
      window.Status()->text().contains("3 cabinets: 1 agent offline, 2 normal  ·  "
                                       "the filter shows 2"))
      << window.Status()->text().toStdString();

  window.SetLanguage(Language::Chinese);
  window.Filter()->clear();
  EXPECT_EQ(window.windowTitle(), "机柜总览");
  EXPECT_EQ(window.View()->model()->headerData(0, Qt::Horizontal).toString(), "站点");
  EXPECT_EQ(Cell(window, 0, FleetTableModel::WorstAlarm), "传感器故障");
  EXPECT_EQ(Cell(window, 0, FleetTableModel::State), "代理离线");
}

// At its own width of 1040 the table shows every column without a horizontal scroll bar, and
// every header whole even drawn bold as the sorted one is, in either language.
TEST(FleetWindow, TableFitsTheWindowWithEveryHeaderWhole) {
  FleetWindow window("does-not-exist.INI");
  window.Table()->Ingest("climate/north/a/state", State("airConditioner", "", 25).toUtf8());
  window.FlushNow();
  window.resize(1040, 560);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (const Language language : {Language::English, Language::Chinese}) {
    window.SetLanguage(language);
    QCoreApplication::processEvents();
    const QHeaderView* header = window.View()->horizontalHeader();
    for (int column = 0; column < FleetTableModel::ColumnCount; ++column) {
      EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column))
          << window.View()->model()->headerData(column, Qt::Horizontal).toString().toStdString();
    }
    EXPECT_FALSE(window.View()->horizontalScrollBar()->isVisible())
        << header->length() << " in " << window.View()->viewport()->width();
  }
}

TEST_F(ConsoleTest, FleetMenuItemFollowsTheLanguageAndOpensTheFleetView) {
  WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
  TFrmMain& window = Start();
  ASSERT_NE(OpenFromWindowMenu("Fleet", "Fleet (&F)", &TFrmMain::FleetWin), nullptr);
  auto* item = Find<QAction>("Fleet");
  EXPECT_EQ(window.FleetWin()->windowTitle(), "Fleet");

  Trigger("Language");
  EXPECT_EQ(item->text().toStdString(), "机柜总览(&F)");
  EXPECT_EQ(window.FleetWin()->windowTitle(), "机柜总览");
  FleetWindow* first = window.FleetWin();
  window.close();
  EXPECT_FALSE(first->isVisible());
}

}  // namespace
}  // namespace climate::testing
