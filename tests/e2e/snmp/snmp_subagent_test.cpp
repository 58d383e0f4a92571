// climate-agent as an AgentX subagent of net-snmp's snmpd, end to end: the MIB module's lint, two
// agents sharing the unit table, notifications through the master to snmptrapd, sets that reach
// the simulator's line or are refused before it, and a master that restarts.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

#include "snmp_e2e.hpp"

namespace climate::test {
namespace {

constexpr char RemoteOffFrame[] = "7E012243FF9CFE0D";

TEST(CabinetClimateMib, PassesSmilintAndLoadsInSnmptranslate) {
  const std::string mib = std::string(CLIMATE_SOURCE_DIR) + "/mibs/CABINET-CLIMATE-MIB.txt";
  // The IETF base modules are not on a Debian system; minimal stand-ins take their place.
  const std::string path = std::string(CLIMATE_TEST_DATA_DIR) + "/mibs:/usr/share/snmp/mibs";
  const std::string lint = RunCommand("SMIPATH='" + path + "' smilint -l 6 -s '" + mib + "'");
  // Severities 0 to 3 are errors; the module has no warnings either today.
  EXPECT_FALSE(std::regex_search(lint, std::regex(R"(\[[0-3]\])"))) << lint;
  EXPECT_EQ(lint, "");
  std::string translated =
      RunCommand("MIBDIRS='" + path + "' snmptranslate -m '" + mib +
                 "' -On CABINET-CLIMATE-MIB::ccAlarmRaised CABINET-CLIMATE-MIB::ccUnitSite "
                 "CABINET-CLIMATE-MIB::ccEventTime");
  translated.erase(std::unique(translated.begin(), translated.end(),
                               [](char a, char b) { return a == '\n' && b == '\n'; }),
                   translated.end());
  EXPECT_EQ(translated, std::string(Root) + ".0.1\n" + Entry + ".2\n" + Root + ".1.2.2\n");
}

class SnmpAgents : public ::testing::Test {
 protected:
  void StartSim(std::unique_ptr<SimProcess>& sim, const std::string& kind, const std::string& name,
                const std::vector<std::string>& extra = {}) {
    sim.reset();
    std::vector<std::string> args{"--kind",        kind,       "--link",
                                  dir_.File(name), "--record", dir_.File(name + ".record")};
    args.insert(args.end(), extra.begin(), extra.end());
    sim = std::make_unique<SimProcess>(args);
  }
  std::unique_ptr<ChildProcess> StartAgent(const std::string& kind, const std::string& unit,
                                           int index, bool allowSet) {
    const std::string ini = dir_.File(unit + ".ini");
    WriteFile(ini, SnmpAgentIni(kind, unit, dir_.File(kind + "-line"), site_.AgentxSocket(), index,
                                allowSet));
    return std::make_unique<ChildProcess>(std::vector<std::string>{CLIMATE_AGENT_PATH, ini},
                                          dir_.File(unit + ".log"));
  }
  std::map<std::string, std::string> Walk(const std::string& tool = "snmpwalk") {
    std::map<std::string, std::string> values;
    std::istringstream out(site_.Client(tool, Reader, Root));
    for (std::string line; std::getline(out, line);) {
      const auto equals = line.find(" = ");
      if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 3);
    }
    return values;
  }
  // A notification of this number whose line holds every part.
  bool TrapArrived(int notification, const std::vector<std::string>& parts, int timeoutMs = 15000) {
    const std::string oid = "= OID: " + std::string(Root) + ".0." + std::to_string(notification);
    return WaitUntil(
        [&] {
          std::istringstream traps(site_.Traps());
          for (std::string line; std::getline(traps, line);) {
            if (line.find(oid) == std::string::npos) continue;
            if (std::all_of(parts.begin(), parts.end(), [&](const std::string& p) {
                  return line.find(p) != std::string::npos;
                })) {
              return true;
            }
          }
          return false;
        },
        timeoutMs);
  }
  std::size_t Recorded(const std::string& name, const std::string& prefix) {
    const std::vector<std::string> lines = ReadLines(dir_.File(name + ".record"));
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](auto& line) { return line.rfind(prefix, 0) == 0; }));
  }
  std::string Logs() {
    return ReadFile(dir_.File("cab7.log")) + ReadFile(dir_.File("cab9.log")) +
           ReadFile(dir_.File("snmpd.log"));
  }

  TempDir dir_{"climate-snmp"};
  SnmpSite site_{dir_};
  std::unique_ptr<SimProcess> ac_;
  std::unique_ptr<SimProcess> hx_;
};

TEST_F(SnmpAgents, ServeTheTableNotifyTakeSetsAndComeBackAfterTheMasterRestarts) {
  // One agent starts before the master and registers once it is there.
  site_.StopMaster();
  StartSim(hx_, "hx", "hx-line");
  const auto cab9 = StartAgent("hx", "cab9", 4, false);
  ASSERT_TRUE(WaitUntil(
      [&] { return ReadFile(dir_.File("cab9.log")).find("line open") != std::string::npos; },
      10000));
  site_.StartMaster();
  StartSim(ac_, "ac", "ac-line", {"--alarm", "custom1"});
  const auto cab7 = StartAgent("ac", "cab7", 3, true);

  // Both rows, each with the columns of its unit type, in one walk, once both lines are open
  // and both units answer (a loaded machine may drop a line for a poll and open it again).
  std::map<std::string, std::string> walk;
  ASSERT_TRUE(WaitUntil(
      [&] {
        walk = Walk();
        return walk.count(Column(10, 3)) && walk.count(Column(10, 4)) &&
               walk[Column(5, 3)] == "INTEGER: 1" && walk[Column(6, 3)] == "INTEGER: 1";
      },
      15000))
      << Logs();
  EXPECT_EQ(walk[Column(2, 3)], "STRING: \"north\"");
  EXPECT_EQ(walk[Column(3, 3)], "STRING: \"cab7\"");
  EXPECT_EQ(walk[Column(3, 4)], "STRING: \"cab9\"");
  EXPECT_EQ(walk[Column(4, 3)], "INTEGER: 1");
  EXPECT_EQ(walk[Column(4, 4)], "INTEGER: 2");
  // The simulator's set points as it reports them: cooling off, heating on, alarm points.
  EXPECT_EQ(walk[Column(20, 3)], "INTEGER: 25");
  EXPECT_EQ(walk[Column(21, 3)], "INTEGER: 5");
  EXPECT_EQ(walk[Column(22, 3)], "INTEGER: 55");
  EXPECT_EQ(walk[Column(23, 3)], "INTEGER: 0");
  EXPECT_EQ(walk[Column(60, 3)], "INTEGER: 1");  // customAlarm1, held by the simulator
  EXPECT_EQ(walk[Column(58, 3)], "INTEGER: 2");  // sensorFault
  EXPECT_EQ(walk[Column(24, 3)], "");            // an air conditioner has no external fan point
  EXPECT_NE(walk[Column(24, 4)], "");
  EXPECT_EQ(walk[Column(20, 4)], "");
  EXPECT_EQ(walk[Column(43, 4)], "");  // nor a heat exchanger a compressor
  EXPECT_NE(walk[Column(44, 4)], "");
  EXPECT_EQ(walk[Column(80, 3)].rfind("Counter32: ", 0), 0u);

  ASSERT_TRUE(TrapArrived(1, {Column(3, 3) + " = STRING: \"cab7\"", "STRING: \"customAlarm1\""}))
      << site_.Traps();

  // Remote off from the read-write user: the frame of the console's button on the line, and
  // the unit's running bit follows.
  const std::string off = site_.Client("snmpset", Admin, Column(8, 3) + " i 2");
  EXPECT_NE(off.find(Column(8, 3) + " = INTEGER: 2"), std::string::npos) << off << Logs();
  EXPECT_EQ(Recorded("ac-line", RemoteOffFrame), 1u);
  EXPECT_TRUE(WaitUntil(
      [&] {
        return site_.Client("snmpget", Reader, Column(8, 3)).find("INTEGER: 2") !=
               std::string::npos;
      },
      10000));

  // A cooling off point the dialog refuses, a read-only user, an agent without sets: refused,
  // and nothing more reaches either line.
  const std::string refused = site_.Client("snmpset", Admin,
                                           Column(20, 3) + " i 300 " + Column(30, 3) + " i 10 " +
                                               Column(21, 3) + " i 5 " + Column(31, 3) + " i 10 " +
                                               Column(22, 3) + " i 55 " + Column(23, 3) + " i 0");
  EXPECT_NE(refused.find("wrongValue"), std::string::npos) << refused;
  EXPECT_NE(refused.find("Failed object: " + Column(20, 3)), std::string::npos) << refused;
  const std::string reader = site_.Client("snmpset", Reader, Column(8, 3) + " i 1");
  EXPECT_NE(reader.find("Error in packet"), std::string::npos) << reader;
  const std::string notWritable = site_.Client("snmpset", Admin, Column(8, 4) + " i 2");
  EXPECT_NE(notWritable.find("notWritable"), std::string::npos) << notWritable;
  EXPECT_EQ(Recorded("ac-line", "7E0177"), 0u);
  EXPECT_EQ(Recorded("ac-line", "7E0122"), 1u);
  EXPECT_EQ(Recorded("hx-line", "7E0122"), 0u);

  // The whole parameter set, one varbind a column: one frame, the dialog's, and the sensitivity
  // the unit does not report reads as acknowledged.
  const std::string accepted = site_.Client("snmpset", Admin,
                                            Column(20, 3) + " i 26 " + Column(30, 3) + " i 10 " +
                                                Column(21, 3) + " i 5 " + Column(31, 3) + " i 10 " +
                                                Column(22, 3) + " i 55 " + Column(23, 3) + " i 0");
  EXPECT_EQ(accepted.find("Error"), std::string::npos) << accepted << Logs();
  EXPECT_EQ(Recorded("ac-line", "7E0177422E1E191E4B14"), 1u);
  EXPECT_NE(site_.Client("snmpget", Reader, Column(30, 3)).find("INTEGER: 10"), std::string::npos);

  // The unit comes back without the alarm: the line was lost and is back, the alarm cleared.
  StartSim(ac_, "ac", "ac-line");
  EXPECT_TRUE(TrapArrived(3, {"\"cab7\""})) << site_.Traps();
  EXPECT_TRUE(TrapArrived(4, {"\"cab7\""})) << site_.Traps();
  EXPECT_TRUE(TrapArrived(2, {"\"cab7\"", "STRING: \"customAlarm1\""})) << site_.Traps();

  // The master restarts: both rows come back by themselves (walked in bulk this time).
  site_.StopMaster();
  site_.StartMaster();
  ASSERT_TRUE(WaitUntil(
      [&] {
        walk = Walk("snmpbulkwalk");
        return walk.count(Column(10, 3)) && walk.count(Column(10, 4));
      },
      15000))
      << Logs();
  EXPECT_EQ(walk[Column(3, 4)], "STRING: \"cab9\"");
  EXPECT_EQ(walk[Column(60, 3)], "INTEGER: 2");  // the restarted unit holds no alarm

  // A negative acknowledgement from the unit fails the set's commit; the request did go out.
  StartSim(ac_, "ac", "ac-line", {"--nak"});
  ASSERT_TRUE(WaitUntil([&] { return Recorded("ac-line", "7E0111") > 0; }, 10000));
  const std::string nak = site_.Client("snmpset", Admin, Column(8, 3) + " i 1");
  EXPECT_NE(nak.find("commitFailed"), std::string::npos) << nak << Logs();
  EXPECT_EQ(Recorded("ac-line", "7E012243009BFF0D"), 1u);

  // A unit that stops answering is reported silent.
  StartSim(hx_, "hx", "hx-line", {"--silent"});
  EXPECT_TRUE(TrapArrived(5, {"\"cab9\""})) << site_.Traps();
}

}  // namespace
}  // namespace climate::test
