// The agent end to end: publishing state and alarm events through broker restarts, and the
// commands that reach the unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "agent_fixture.hpp"

namespace climate::test {
namespace {

TEST_F(AgentOnBroker, PublishesStateAndAlarmsAndLosesNoEventWhileTheBrokerRestarts) {
  // A persistent session: the broker keeps what arrives for the watcher across its restart.
  Client watcher(broker_.Port(), "watcher", "watch-secret", "watcher-1", false);
  ASSERT_TRUE(watcher.WaitConnected());
  ASSERT_TRUE(watcher.Subscribe("climate/#"));
  // The agent starts while the broker is down: it polls, queues and keeps trying to connect.
  broker_.Stop();
  StartSim("ac", {"--alarm", "custom1"});
  StartAgent("ac");
  ASSERT_TRUE(AgentLogged("alarm raised: customAlarm1"));
  ASSERT_TRUE(AgentLogged("broker connection down"));
  broker_.Start();

  const std::string online = std::string(Base) + "/online";
  ASSERT_FALSE(watcher.WaitFor(online, [](auto& p) { return p == "true"; }).topic.empty());
  const Received state = watcher.WaitFor(std::string(Base) + "/state", [](const std::string& p) {
    return Json::parse(p).contains("values");
  });
  ASSERT_FALSE(state.topic.empty()) << ReadFile(dir_.File("agent.log"));
  const Json first = Json::parse(state.payload);
  EXPECT_EQ(first["alarms"]["customAlarm1"], true);
  EXPECT_GE(first["link"]["polls"].get<int>(), 1);
  ASSERT_TRUE(WaitUntil([&] { return DistinctAlarms(watcher).size() == 1; }, 10000));

  // The broker goes away again; meanwhile the unit clears one alarm and raises two others.
  ASSERT_TRUE(AgentLogged("broker connected"));
  EXPECT_EQ(ReadFile(dir_.File("agent.log")).find("agent-secret"), std::string::npos);
  WriteFile(dir_.File("agent.log"), "");
  broker_.Stop();
  ASSERT_TRUE(AgentLogged("broker connection down"));
  StartSim("ac", {"--alarm", "sensor", "--alarm", "custom3"});
  ASSERT_TRUE(AgentLogged("alarm raised: customAlarm3")) << ReadFile(dir_.File("agent.log"));
  broker_.Start();

  ASSERT_TRUE(WaitUntil([&] { return DistinctAlarms(watcher).size() >= 4; }, 20000))
      << ReadFile(dir_.File("agent.log"));
  ASSERT_TRUE(AgentLogged("broker connected", 1000));
  const std::vector<Json> events = DistinctAlarms(watcher);
  EXPECT_EQ(AlarmsPublishedByAgent(), 4u);
  ASSERT_EQ(events.size(), 4u) << ReadFile(dir_.File("agent.log"));  // none lost
  // Within one reading the transitions come in bit order.
  const std::pair<std::string, std::string> expected[] = {{"customAlarm1", "raised"},
                                                          {"sensorFault", "raised"},
                                                          {"customAlarm1", "cleared"},
                                                          {"customAlarm3", "raised"}};
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i]["alarm"].get<std::string>(), expected[i].first);
    EXPECT_EQ(events[i]["event"].get<std::string>(), expected[i].second);
    EXPECT_EQ(events[i]["seq"], i + 1);
  }

  // A killed agent leaves its last will behind, retained for whoever looks next.
  agent_->Stop(SIGKILL);
  Client late(broker_.Port(), "watcher", "watch-secret", "watcher-2");
  ASSERT_TRUE(late.WaitConnected() && late.Subscribe(online));
  const Received will = late.WaitFor(
      online, [](auto& p) { return p == "false"; }, 40000);
  EXPECT_TRUE(will.retained);
  EXPECT_EQ(will.payload, "false");
}

TEST_F(AgentOnBroker, OnlyValidAuthorisedCommandsReachTheUnitAndEachGetsAResult) {
  StartSim("hx");
  StartAgent("hx");
  Client op(broker_.Port(), "operator", "op-secret", "operator-1");
  ASSERT_TRUE(op.WaitConnected() && op.Subscribe(std::string(Base) + "/command/result"));
  Client watcher(broker_.Port(), "watcher", "watch-secret", "watcher-3");
  ASSERT_TRUE(watcher.WaitConnected() && watcher.Subscribe(std::string(Base) + "/online"));
  ASSERT_FALSE(watcher.WaitFor(std::string(Base) + "/online", [](auto& p) { return p == "true"; })
                   .topic.empty());

  const std::string topic = std::string(Base) + "/command";
  // Read-only users cannot command: the broker drops it before the agent sees it.
  ASSERT_TRUE(watcher.Publish(topic, R"({"id":"sneak","command":"remoteOff"})"));
  const std::string params =
      R"({"id":"p1","command":"setParameters","values":{"externalFanAdjustPoint":32,)"
      R"("externalFanAdjustBand":10,"heatingOnPoint":-10,"heaterSensitivity":10,)"
      R"("highTemperatureAlarmPoint":55,"lowTemperatureAlarmPoint":-15}})";
  struct Sent {
    std::string json;
    std::string id;
    std::string status;
    std::string message;
  };
  const Sent sent[] = {
      {R"({"id":"m1","command":"remoteOff",)", "", "refused", "the command is not a JSON object"},
      {R"({"id":"r1","command":"setParameters","values":{"externalFanAdjustPoint":300,)"
       R"("externalFanAdjustBand":10,"heatingOnPoint":5,"heaterSensitivity":10,)"
       R"("highTemperatureAlarmPoint":55,"lowTemperatureAlarmPoint":0}})",
       "r1", "refused",
       "externalFanAdjustPoint: External Fan Min Speed T: value 300 is out of range; the unit "
       "accepts -20 to 235."},
      {R"({"id":"u1","command":"remoteOff","delay":5})", "u1", "refused",
       "unknown field \"delay\""},
      {R"({"id":"f1","command":"setFactoryParameters","values":{}})", "f1", "refused",
       "factory commands are disabled on this agent"},
      {params, "p1", "acknowledged", "Heat exchanger parameter setting return success!"},
      {R"({"id":"o1","command":"remoteOff"})", "o1", "acknowledged",
       "Remote off commad return success!"},
  };
  for (const Sent& command : sent) ASSERT_TRUE(op.Publish(topic, command.json));
  ASSERT_TRUE(
      WaitUntil([&] { return op.Messages(topic + "/result").size() >= std::size(sent); }, 15000))
      << ReadFile(dir_.File("agent.log"));
  const std::vector<Received> results = op.Messages(topic + "/result");
  ASSERT_EQ(results.size(), std::size(sent));
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Json result = Json::parse(results[i].payload);
    // An unreadable message has no id to echo, so its result has none.
    if (sent[i].id.empty()) {
      EXPECT_FALSE(result.contains("id"));
    } else {
      EXPECT_EQ(result["id"], sent[i].id);
    }
    EXPECT_EQ(result["status"], sent[i].status);
    EXPECT_EQ(result["message"], sent[i].message);
  }

  // On the line: polls, then exactly the two accepted commands, byte for byte.
  std::vector<std::string> commands;
  for (const std::string& line : ReadLines(dir_.File("record.txt"))) {
    if (line != PollRequest) commands.push_back(line);
  }
  EXPECT_EQ(commands, (std::vector<std::string>{"7E017742341E0A1E4B057DFE0D", "7E012243FF9CFE0D"}));
}

}  // namespace
}  // namespace climate::test
