// The agent's commands from senders it cannot trust: hostile and forged messages, retained and
// repeated commands, a unit that acknowledges too late, and a clean stop.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "agent_fixture.hpp"

namespace climate::test {
namespace {

constexpr char RemoteOff[] = "7E012243FF9CFE0D";
constexpr char RemoteOn[] = "7E012243009BFF0D";

class AgentCommands : public AgentOnBroker {
 protected:
  // The agent is subscribed once its online flag is seen: the broker handles its subscription
  // before the publication that follows it.
  void StartAndWaitOnline(const std::string& kind, bool factory = false,
                          int replyTimeoutMs = 1000) {
    const std::string online = std::string(Base) + "/online";
    const std::size_t before = watcher_.Messages(online).size();
    StartAgent(kind, factory, replyTimeoutMs);
    ASSERT_TRUE(WaitUntil(
        [&] {
          const auto messages = watcher_.Messages(online);
          return messages.size() > before && messages.back().payload == "true";
        },
        10000))
        << ReadFile(dir_.File("agent.log"));
  }
  std::vector<Json> Results(std::size_t atLeast, int timeoutMs = 15000) {
    WaitUntil([&] { return op_.Messages(topic_ + "/result").size() >= atLeast; }, timeoutMs);
    std::vector<Json> results;
    for (const Received& message : op_.Messages(topic_ + "/result")) {
      results.push_back(Json::parse(message.payload));
    }
    return results;
  }
  // What reached the unit besides the polls.
  std::vector<std::string> CommandsOnTheLine() {
    std::vector<std::string> commands;
    for (const std::string& line : ReadLines(dir_.File("record.txt"))) {
      if (line != PollRequest) commands.push_back(line);
    }
    return commands;
  }
  void SetUp() override {
    ASSERT_TRUE(op_.WaitConnected() && op_.Subscribe(topic_ + "/result"));
    ASSERT_TRUE(watcher_.WaitConnected() && watcher_.Subscribe(std::string(Base) + "/online"));
  }

  const std::string topic_ = std::string(Base) + "/command";
  Client op_{broker_.Port(), "operator", "op-secret", "operator-1"};
  Client watcher_{broker_.Port(), "watcher", "watch-secret", "watcher-1"};
};

TEST_F(AgentCommands, HostileMessagesAreRefusedEscapedInTheLogAndTheAgentLivesOn) {
  StartSim("ac");
  StartAndWaitOnline("ac");
  // 200 kB: an id nested 100,000 deep, which a recursive parser or dump would not survive.
  const std::string deepId = std::string(100'000, '[') + std::string(100'000, ']');
  const std::string forged = "x\n2026-12-10T09:40:00.000Z climate-agent: alarm cleared: hi\r";
  const std::string sent[] = {
      R"({"command":"remoteOff","id":)" + deepId + "}",
      Json{{"id", forged}, {"command", "remoteOn\ncommand sent: remoteOff"}}.dump(),
      Json{{"id", "e1"}, {"command", "remoteOff"}, {"expires", "2020-01-01T00:00:00Z"}}.dump(),
      R"({"id":44,"command":"remoteOn"})",
      R"({"command":"remoteOn"})",
  };
  for (const std::string& json : sent) ASSERT_TRUE(op_.Publish(topic_, json));
  const std::vector<Json> results = Results(std::size(sent));
  ASSERT_EQ(results.size(), std::size(sent)) << ReadFile(dir_.File("agent.log"));

  EXPECT_FALSE(results[0].contains("id"));
  EXPECT_EQ(results[0]["status"], "refused");
  EXPECT_EQ(results[0]["message"], "the command is larger than 65536 bytes");
  EXPECT_EQ(results[1]["id"], forged);
  EXPECT_EQ(results[1]["status"], "refused");
  EXPECT_EQ(results[2]["id"], "e1");
  EXPECT_EQ(results[2]["status"], "refused");
  EXPECT_EQ(results[2]["message"].get<std::string>().rfind(
                "the command expired at 2020-01-01T00:00:00.000Z", 0),
            0u);
  // Ids come back as the JSON value they were sent as; none when there was none.
  EXPECT_EQ(results[3]["id"], 44);
  EXPECT_EQ(results[3]["status"], "acknowledged");
  EXPECT_FALSE(results[4].contains("id"));
  EXPECT_EQ(results[4]["status"], "acknowledged");
  EXPECT_EQ(CommandsOnTheLine(), (std::vector<std::string>{RemoteOn, RemoteOn}));

  // A command that cannot reach the unit is answered and logged as well.
  sim_.reset();
  ASSERT_TRUE(AgentLogged("line lost"));
  ASSERT_TRUE(op_.Publish(topic_, R"({"id":"pc","command":"remoteOff"})"));
  const std::vector<Json> closed = Results(std::size(sent) + 1);
  ASSERT_EQ(closed.size(), std::size(sent) + 1);
  EXPECT_EQ(closed.back()["status"], "portClosed");
  EXPECT_TRUE(AgentLogged(R"(command portClosed: remoteOff id "pc")"));

  // Every log line is the agent's own: time, name, one event. Peer text cannot start a line.
  const std::vector<std::string> lines = ReadLines(dir_.File("agent.log"));
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find(" climate-agent: "), 24u) << line;
    EXPECT_NE(line.find(" climate-agent: alarm cleared"), 24u) << line;
    EXPECT_LT(line.size(), 1000u);
  }
  EXPECT_TRUE(
      AgentLogged(R"(id "x\n2026-12-10T09:40:00.000Z climate-agent: alarm cleared: hi\r")", 0));
}

TEST_F(AgentCommands, RetainedCommandNeverReachesTheUnitAtAnyStartAndAStopIsClean) {
  StartSim("ac");
  ASSERT_TRUE(op_.Publish(topic_, R"({"id":"kept","command":"remoteOff"})", true));
  StartAndWaitOnline("ac");
  std::vector<Json> results = Results(1);
  ASSERT_EQ(results.size(), 1u) << ReadFile(dir_.File("agent.log"));
  EXPECT_EQ(results[0]["id"], "kept");
  EXPECT_EQ(results[0]["status"], "refused");
  EXPECT_NE(results[0]["message"].get<std::string>().find("retained"), std::string::npos);

  // A clean stop, with the line open and the broker there, logs a clean stop and nothing else.
  ASSERT_TRUE(AgentLogged("line open"));
  ASSERT_TRUE(WaitUntil([&] { return !ReadLines(dir_.File("record.txt")).empty(); }, 5000));
  const int status = agent_->Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::string log = ReadFile(dir_.File("agent.log"));
  EXPECT_NE(log.find("climate-agent: stopped cleanly"), std::string::npos) << log;
  EXPECT_EQ(log.find("line lost"), std::string::npos) << log;
  EXPECT_EQ(log.find("connection down"), std::string::npos) << log;

  // The broker hands the retained command to the new subscription: refused again.
  StartAndWaitOnline("ac");
  results = Results(2);
  ASSERT_EQ(results.size(), 2u) << ReadFile(dir_.File("agent.log"));
  EXPECT_EQ(results[1]["id"], "kept");
  EXPECT_EQ(results[1]["status"], "refused");
  EXPECT_TRUE(CommandsOnTheLine().empty());
}

TEST_F(AgentCommands, RepeatedIdIsAnsweredFromTheFirstResultAndReachesTheUnitOnce) {
  StartSim("ac");
  StartAndWaitOnline("ac");
  const std::string command = R"({"id":"twice","command":"remoteOff"})";
  // The second copy comes while the first is waiting or on the line, the third after its result.
  ASSERT_TRUE(op_.Publish(topic_, command));
  ASSERT_TRUE(op_.Publish(topic_, command));
  ASSERT_EQ(Results(2).size(), 2u) << ReadFile(dir_.File("agent.log"));
  ASSERT_TRUE(op_.Publish(topic_, command));
  ASSERT_EQ(Results(3).size(), 3u);

  const std::vector<Received> results = op_.Messages(topic_ + "/result");
  EXPECT_EQ(Json::parse(results[0].payload)["status"], "acknowledged");
  EXPECT_EQ(results[1].payload, results[0].payload);  // the first result, time and all
  EXPECT_EQ(results[2].payload, results[0].payload);
  EXPECT_EQ(CommandsOnTheLine(), std::vector<std::string>{RemoteOff});
}

TEST_F(AgentCommands, LateAcknowledgementIsCreditedToNoCommand) {
  // The unit acknowledges 3 s after a request; the agent waits 2 s. The first command's
  // acknowledgement arrives while the second one would be waiting.
  StartSim("ac", {"--ack-delay", "3000"});
  StartAndWaitOnline("ac", false, 2000);
  ASSERT_TRUE(op_.Publish(topic_, R"({"id":"a","command":"remoteOff"})"));
  ASSERT_TRUE(op_.Publish(topic_, R"({"id":"b","command":"remoteOn"})"));
  const std::vector<Json> results = Results(2, 30000);
  ASSERT_EQ(results.size(), 2u) << ReadFile(dir_.File("agent.log"));
  for (const Json& result : results) {
    EXPECT_EQ(result["status"], "noAnswer") << result.dump();
    EXPECT_NE(result["message"].get<std::string>().find("may have been carried out"),
              std::string::npos);
  }
  EXPECT_EQ(results[0]["id"], "a");
  EXPECT_EQ(results[1]["id"], "b");
  EXPECT_TRUE(AgentLogged("late acknowledgement from the unit (positive), credited to no command"));
  EXPECT_EQ(CommandsOnTheLine(), (std::vector<std::string>{RemoteOff, RemoteOn}));
}

}  // namespace
}  // namespace climate::test
