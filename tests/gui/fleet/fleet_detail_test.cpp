// A cabinet's detail from the fleet view: opened by double-click or Enter on its row, it shows
// every value and bit of the last state, the active alarms and since when, the link figures, the
// agent's run and its last command results, fed through the model as the broker would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "fleet/fleet_detail_window.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"

namespace climate {
namespace {

QByteArray State(const char* time, const char* activeAlarms, bool highTemperature) {
  return QString(
             R"({"site":"north","unit":"cab7","kind":"heatExchanger","time":"%1",)"
             R"("readingTime":"%1","pollMs":2000,)"
             R"("values":{"indoorTemperature":{"value":30,"unit":"°C"},)"
             R"("outdoorTemperature":{"value":20,"unit":"°C"},)"
             R"("indoorHumidity":{"value":55,"unit":"%RH"},"supplyVoltage":{"value":222,"unit":"V"},)"
             R"("externalFanAdjustPoint":{"value":32,"unit":"°C"},)"
             R"("bad key\n":{"value":1,"unit":"x"}},)"
             R"("status":{"running":true,"internalFanRunning":false,"heaterRunning":false},)"
             R"("alarms":{"highTemperatureAlarm":%3,"sensorFault":true,"customAlarm5":false},)"
             R"("activeAlarms":[%2],)"
             R"("link":{"portOpen":true,"polls":5,"replies":4,"unanswered":1,"checksumErrors":0,)"
             R"("bytesDropped":7,"linkLosses":0,"alarmEventsDropped":0}})")
      .arg(time, activeAlarms, highTemperature ? "true" : "false")
      .toUtf8();
}

QByteArray Result(int id, const char* status, bool ok, const char* message) {
  return QString(R"({"id":"%1","command":"remoteOff","status":"%2","ok":%3,"message":"%4",)"
                 R"("time":"2026-12-09T09:39:3%5.000Z"})")
      .arg(id)
      .arg(status, ok ? "true" : "false", message)
      .arg(id % 10)
      .toUtf8();
}

// The rows of one section of the detail, as "name | value | key".
QStringList Section(const FleetDetailWindow& detail, const QString& title) {
  QStringList rows;
  const QTreeWidget* tree = detail.Tree();
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* group = tree->topLevelItem(i);
    if (group->text(0) != title) continue;
    for (int j = 0; j < group->childCount(); ++j) {
      const QTreeWidgetItem* item = group->child(j);
      rows << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
    }
  }
  return rows;
}

TEST(FleetDetail, DoubleClickOrEnterOpensEverythingTheCabinetLastReported) {
  FleetWindow window("does-not-exist.INI");
  window.resize(1000, 500);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  FleetTableModel& table = *window.Table();
  table.Ingest("climate/north/cab7/online", "true");
  table.Ingest("climate/north/cab7/state",
               State("2026-12-09T09:00:00.000Z", R"("sensorFault")", false));
  table.Ingest("climate/south/cab1/state",
               R"({"kind":"airConditioner","time":"2026-12-09T09:00:00.000Z","readingTime":null,)"
               R"("link":{"portOpen":false,"polls":3,"replies":0}})");
  // A result before the cabinet is listed makes no row.
  table.Ingest("climate/east/ghost/command/result", Result(1, "acknowledged", true, "x"));
  window.FlushNow();
  ASSERT_EQ(table.rowCount(), 2);
  // A minute later the high temperature alarm comes on; the sensor fault stays from before.
  table.Ingest("climate/north/cab7/state",
               State("2026-12-09T09:01:00.000Z", R"("sensorFault","highTemperatureAlarm")", true));
  for (int id = 1; id <= 7; ++id) {
    table.Ingest("climate/north/cab7/command/result",
                 id == 7 ? Result(id, "refused", false, "unknown field \\\"delay\\\"\\u001b[2J")
                         : Result(id, "acknowledged", true, "Remote off return success!"));
  }
  // A result that is not one is refused and counted, like any other message.
  const auto rejected = table.Model().Rejected();
  table.Ingest("climate/north/cab7/command/result", R"({"status":"acknowledged","ok":"yes"})");
  EXPECT_EQ(table.Model().Rejected(), rejected + 1);
  window.FlushNow();

  QTableView* view = window.View();
  int row = 0;
  while (view->model()->index(row, FleetTableModel::Unit).data().toString() != "cab7") ++row;
  const QModelIndex cell = view->model()->index(row, FleetTableModel::Site);
  // A double-click as the system delivers it: press, release, double-click, release.
  const QPoint at = view->visualRect(cell).center();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
  }
  FleetDetailWindow* detail = window.Detail();
  ASSERT_NE(detail, nullptr);
  ASSERT_TRUE(detail->isVisible());
  EXPECT_EQ(detail->windowTitle(), "Cabinet detail - north/cab7");

  const QStringList agent = Section(*detail, "Agent");
  EXPECT_TRUE(agent.contains("Agent online | yes | online"));
  EXPECT_TRUE(agent.contains("Message time | 2026-12-09 09:01:00 UTC | time"));
  EXPECT_TRUE(agent.contains("Poll period | 2000 ms | pollMs"));
  // Every value in the order the agent sent them; a key that is no identifier is not shown.
  EXPECT_EQ(Section(*detail, "Values"),
            (QStringList{"indoorTemperature | 30 °C | indoorTemperature",
                         "outdoorTemperature | 20 °C | outdoorTemperature",
                         "indoorHumidity | 55 %RH | indoorHumidity",
                         "supplyVoltage | 222 V | supplyVoltage",
                         "externalFanAdjustPoint | 32 °C | externalFanAdjustPoint"}));
  const QStringList status = Section(*detail, "Status");
  ASSERT_EQ(status.size(), 3);
  EXPECT_TRUE(status[0].endsWith(" | running")) << status[0].toStdString();
  EXPECT_NE(status[1].section(" | ", 1, 1), status[0].section(" | ", 1, 1));  // stopped: told apart
  const QStringList bits = Section(*detail, "Alarm bits");
  ASSERT_EQ(bits.size(), 3);
  EXPECT_TRUE(bits[0].endsWith(" | highTemperatureAlarm"));
  // The alarms with the time each was first seen active.
  const QStringList active = Section(*detail, "Active alarms");
  ASSERT_EQ(active.size(), 2);
  EXPECT_TRUE(active[0].endsWith(" | since 2026-12-09 09:00:00 UTC | sensorFault"))
      << active[0].toStdString();
  EXPECT_TRUE(active[1].endsWith(" | since 2026-12-09 09:01:00 UTC | highTemperatureAlarm"))
      << active[1].toStdString();
  EXPECT_EQ(Section(*detail, "Line and link"),
            (QStringList{"Port open | yes | portOpen", "polls | 5 | polls", "replies | 4 | replies",
                         "unanswered | 1 | unanswered", "checksumErrors | 0 | checksumErrors",
                         "bytesDropped | 7 | bytesDropped", "linkLosses | 0 | linkLosses",
                         "alarmEventsDropped | 0 | alarmEventsDropped"}));
  // The last five results, newest first; the agent's text is escaped before it is shown.
  const QStringList results = Section(*detail, "Last command results");
  ASSERT_EQ(results.size(), 5);
  EXPECT_EQ(results[0], R"(remoteOff id "7" | failed · refused · unknown field "delay"\x1b[2J | )"
                        "2026-12-09 09:39:37 UTC");
  EXPECT_TRUE(results[4].startsWith(R"(remoteOff id "3" | ok · acknowledged)"));

  // Enter on the other row shows that cabinet: no reading yet, its line closed.
  view->setFocus();
  view->setCurrentIndex(view->model()->index(row == 0 ? 1 : 0, FleetTableModel::Site));
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(detail->Key(), "south/cab1");
  EXPECT_TRUE(Section(*detail, "Agent")
                  .contains("Last reading | The unit has not answered yet: "
                            "no readings | readingTime"));
  EXPECT_TRUE(Section(*detail, "Line and link").contains("Port open | no | portOpen"));
  EXPECT_EQ(Section(*detail, "Last command results"), QStringList{"No command result yet |  | "});

  // A cabinet whose retained state was cleared is no longer shown as if it were there.
  table.Ingest("climate/south/cab1/state", "");
  window.FlushNow();
  EXPECT_EQ(detail->Tree()->topLevelItemCount(), 0);
  EXPECT_EQ(detail->findChild<QLabel*>("LabelFleetDetailNote")->text(),
            "This cabinet is no longer listed");
  window.SetLanguage(Language::Chinese);
  EXPECT_EQ(detail->windowTitle(), "机柜详情 - south/cab1");
}

}  // namespace
}  // namespace climate
