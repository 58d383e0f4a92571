// The fleet view's own connection: broker and credentials from the Fleet section of UserSet.INI,
// what agents published (retained) listed on connect, and a lost broker shown in the status line.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableView>
#include <QTest>

#include "../../e2e/fleet/fleet_e2e.hpp"
#include "app/config/ini_file.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"

namespace climate::test {
namespace {

TEST(FleetWindowOnBroker, ListsWhatAgentsPublishedAndShowsALostBroker) {
  TempDir dir;
  Broker broker(dir, {{"console", "console-secret", {"topic read climate/#"}},
                      {"agent", "agent-secret", {"topic write climate/#"}}});
  Client agent(broker.Port(), "agent", "agent-secret", "agent-1");
  ASSERT_TRUE(agent.WaitConnected());
  ASSERT_TRUE(agent.Publish("climate/north/cab7/online", "true", true));
  ASSERT_TRUE(agent.Publish(
      "climate/north/cab7/state",
      R"({"kind":"airConditioner","time":"2026-12-09T09:00:00.000Z",)"
      R"("readingTime":"2026-12-09T09:00:00.000Z",)"
      R"("values":{"indoorTemperature":{"value":31,"unit":"°C"}},)"
      R"("activeAlarms":["sensorFault","highTemperatureAlarm"],"link":{"portOpen":true}})",
      true));

  IniFile ini;
  ini.WriteString("Fleet", "Host", "127.0.0.1");
  ini.WriteInteger("Fleet", "Port", broker.Port());
  ini.WriteString("Fleet", "User", "console");
  ini.WriteString("Fleet", "Password", "console-secret");
  ini.Save(dir.File("UserSet.INI"));
  FleetWindow window(QString::fromStdString(dir.File("UserSet.INI")));
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.Table()->rowCount() == 1; }, 10000))
      << window.Status()->text().toStdString();
  const auto* rows = window.View()->model();
  EXPECT_EQ(rows->index(0, FleetTableModel::State).data().toString(), "In alarm");
  EXPECT_EQ(rows->index(0, FleetTableModel::WorstAlarm).data().toString(),
            "High Temperature Alarm (+1)");
  EXPECT_EQ(rows->index(0, FleetTableModel::Indoor).data().toString(), "31");
  const QString endpoint = "127.0.0.1:" + QString::number(broker.Port());
  EXPECT_TRUE(window.Status()->text().startsWith("Connected to " + endpoint));

  broker.Stop();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return window.Status()->text().startsWith("Not connected to " + endpoint); }, 10000))
      << window.Status()->text().toStdString();
  EXPECT_EQ(window.Table()->rowCount(), 1) << "what was seen stays listed";
  EXPECT_EQ(rows->index(0, FleetTableModel::State).data().toString(), "Broker unreachable");
}

}  // namespace
}  // namespace climate::test
