// The fleet view against a real agent polling the simulator through Mosquitto: each row state an
// operator must be able to tell apart, brought about the way it happens in the field.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "../../e2e/fleet/fleet_e2e.hpp"
#include "app/config/ini_file.hpp"
#include "fleet/fleet_detail_window.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"

namespace climate::test {
namespace {

#ifdef CLIMATE_AGENT_PATH

class FleetWithAgent : public ::testing::Test {
 protected:
  void StartSim(const std::vector<std::string>& extra = {}) {
    sim_.reset();
    std::vector<std::string> args{"--kind", "ac", "--link", dir_.File("com1")};
    args.insert(args.end(), extra.begin(), extra.end());
    sim_ = std::make_unique<SimProcess>(args);
  }
  void StartAgent() {
    const std::string ini = dir_.File("agent.ini");
    WriteFile(ini, "[Agent]\r\nSite=north\r\nUnit=cab7\r\nKind=ac\r\nDevice=" + dir_.File("com1") +
                       "\r\nPollMs=500\r\nReplyTimeoutMs=300\r\n[Broker]\r\nPort=" +
                       std::to_string(broker_.Port()) +
                       "\r\nUser=agent\r\nPassword=agent-secret\r\nReconnectMin=1\r\n"
                       "ReconnectMax=2\r\n");
    agent_ = std::make_unique<ChildProcess>(std::vector<std::string>{CLIMATE_AGENT_PATH, ini},
                                            dir_.File("agent.log"));
  }
  QString Cell(const FleetWindow& window, int column) const {
    return window.View()->model()->index(0, column).data().toString();
  }
  // Waits until the one row shows the state; the message says what it showed instead.
  ::testing::AssertionResult Shows(const FleetWindow& window, const QString& state,
                                   int timeoutMs = 20000) {
    if (QTest::qWaitFor([&] { return Cell(window, FleetTableModel::State) == state; }, timeoutMs)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "wanted " << state.toStdString() << ", shows "
           << Cell(window, FleetTableModel::State).toStdString() << "; status "
           << window.Status()->text().toStdString() << "\n"
           << ReadFile(dir_.File("agent.log"));
  }

  // The console's settings for the test broker; returns the file's path.
  QString WriteFleetConfig() {
    IniFile ini;
    ini.WriteString("Fleet", "Host", "127.0.0.1");
    ini.WriteInteger("Fleet", "Port", broker_.Port());
    ini.WriteString("Fleet", "User", "console");
    ini.WriteString("Fleet", "Password", "console-secret");
    ini.Save(dir_.File("UserSet.INI"));
    return QString::fromStdString(dir_.File("UserSet.INI"));
  }

  TempDir dir_;
  Broker broker_{dir_,
                 {{"console", "console-secret", {"topic read climate/#"}},
                  {"agent", "agent-secret", {"topic readwrite climate/#"}}}};
  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<ChildProcess> agent_;
};

TEST_F(FleetWithAgent, EachRowStateFollowsWhatHappensToTheCabinet) {
  StartSim();
  StartAgent();
  FleetWindow window(WriteFleetConfig());
  window.show();

  // The agent publishes its poll period, by which "not answering" is judged.
  Client watcher(broker_.Port(), "console", "console-secret", "watcher-1");
  ASSERT_TRUE(watcher.WaitConnected());
  ASSERT_TRUE(watcher.Subscribe("climate/north/cab7/state"));
  EXPECT_FALSE(watcher
                   .WaitFor("climate/north/cab7/state",
                            [](const std::string& p) {
                              return p.find(R"("pollMs":500)") != std::string::npos;
                            })
                   .topic.empty());

  ASSERT_TRUE(Shows(window, "Normal"));
  EXPECT_EQ(Cell(window, FleetTableModel::WorstAlarm), "No alarm");
  EXPECT_TRUE(window.Status()->text().contains("1 cabinets: 1 normal"))
      << window.Status()->text().toStdString();

  // The unit stops answering: the agent keeps publishing, with the last reading growing old.
  StartSim({"--silent"});
  ASSERT_TRUE(Shows(window, "Unit not answering"));
  EXPECT_EQ(window.View()
                ->model()
                ->index(0, FleetTableModel::Indoor)
                .data(Qt::ForegroundRole)
                .value<QBrush>()
                .color(),
            QColor(128, 128, 128))
      << "stale values are grey";

  // The line goes: nothing at the other end of the serial path.
  sim_.reset();
  ASSERT_TRUE(Shows(window, "Line down"));
  EXPECT_TRUE(Cell(window, FleetTableModel::Age).endsWith(" s"))
      << Cell(window, FleetTableModel::Age).toStdString();

  StartSim({"--alarm", "custom1"});
  ASSERT_TRUE(Shows(window, "In alarm"));
  EXPECT_EQ(Cell(window, FleetTableModel::WorstAlarm), "Custom Alarm #1 Fault");

  // The fleet view's own broker goes: no row can be current, whatever it last said.
  broker_.Stop();
  ASSERT_TRUE(Shows(window, "Broker unreachable"));
  EXPECT_TRUE(window.Status()->text().startsWith("Not connected to"));
  EXPECT_TRUE(window.Status()->text().contains("1 broker unreachable"));
  broker_.Start();
  ASSERT_TRUE(Shows(window, "In alarm", 30000));

  // The agent stops cleanly and says so; its last state stays retained.
  agent_->Stop(SIGTERM);
  ASSERT_TRUE(Shows(window, "Agent offline"));
  EXPECT_TRUE(window.Status()->text().contains("1 cabinets: 1 agent offline"));
}

// A command sent to the agent, and its result in the cabinet's detail opened with Enter.
TEST_F(FleetWithAgent, DetailShowsTheRealAgentsStateAndCommandResult) {
  StartSim();
  StartAgent();
  FleetWindow window(WriteFleetConfig());
  window.show();
  ASSERT_TRUE(Shows(window, "Normal"));

  QTableView* view = window.View();
  view->setFocus();
  view->setCurrentIndex(view->model()->index(0, FleetTableModel::Site));
  QTest::keyClick(view, Qt::Key_Return);
  FleetDetailWindow* detail = window.Detail();
  ASSERT_NE(detail, nullptr);
  const auto lines = [detail] {
    QStringList rows;
    const QTreeWidget* tree = detail->Tree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
      for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j) {
        const QTreeWidgetItem* item = tree->topLevelItem(i)->child(j);
        rows << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
      }
    }
    return rows;
  };
  EXPECT_TRUE(lines().contains("Poll period | 500 ms | pollMs"));
  EXPECT_TRUE(lines().contains("Port open | yes | portOpen"));

  // The subscription of the fleet view may come up after the agent's; the command waits for it.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return window.Status()->text().startsWith("Connected"); }, 20000));
  Client sender(broker_.Port(), "agent", "agent-secret", "sender-1");
  ASSERT_TRUE(sender.WaitConnected());
  ASSERT_TRUE(
      sender.Publish("climate/north/cab7/command", R"({"id":"e2e-1","command":"remoteOff"})"));
  const auto answered = [&] {
    const QStringList rows = lines();
    return std::any_of(rows.begin(), rows.end(), [](const QString& row) {
      return row.startsWith(R"(remoteOff id "e2e-1" | )");
    });
  };
  EXPECT_TRUE(QTest::qWaitFor(answered, 20000)) << lines().join("\n").toStdString() << "\n"
                                                << ReadFile(dir_.File("agent.log"));
}

#endif

}  // namespace
}  // namespace climate::test
