// The agent's end-to-end fixture: the simulator on a pseudo-terminal, Mosquitto with passwords
// and an ACL that confines the agent to its own topics, and the agent between them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "fleet_e2e.hpp"

namespace climate::test {

using Json = nlohmann::json;

inline constexpr char Base[] = "climate/north/cab7";
inline constexpr char PollRequest[] = "7E011141AEFF0D";

inline std::vector<BrokerUser> Users() {
  return {
      {"agent-north-cab7",
       "agent-secret",
       {"topic write climate/north/cab7/state", "topic write climate/north/cab7/alarm",
        "topic write climate/north/cab7/online", "topic write climate/north/cab7/command/result",
        "topic read climate/north/cab7/command"}},
      {"watcher", "watch-secret", {"topic read climate/#"}},
      {"operator",
       "op-secret",
       {"topic write climate/+/+/command", "topic read climate/+/+/command/result"}},
  };
}

class AgentOnBroker : public ::testing::Test {
 protected:
  void StartSim(const std::string& kind, const std::vector<std::string>& extra = {}) {
    sim_.reset();
    std::vector<std::string> args{"--kind",          kind,       "--link",
                                  dir_.File("com1"), "--record", dir_.File("record.txt")};
    args.insert(args.end(), extra.begin(), extra.end());
    sim_ = std::make_unique<SimProcess>(args);
  }
  void StartAgent(const std::string& kind, bool factory = false, int replyTimeoutMs = 1000) {
    const std::string ini = dir_.File("agent.ini");
    WriteFile(ini, "[Agent]\r\nSite=north\r\nUnit=cab7\r\nKind=" + kind +
                       "\r\nDevice=" + dir_.File("com1") +
                       "\r\nPollMs=500\r\nReplyTimeoutMs=" + std::to_string(replyTimeoutMs) +
                       "\r\n" + "FactoryCommands=" + (factory ? "1" : "0") +
                       "\r\n[Broker]\r\nPort=" + std::to_string(broker_.Port()) +
                       "\r\nUser=agent-north-cab7\r\nPassword=agent-secret\r\n"
                       "ReconnectMin=1\r\nReconnectMax=2\r\n");
    agent_ = std::make_unique<ChildProcess>(std::vector<std::string>{CLIMATE_AGENT_PATH, ini},
                                            dir_.File("agent.log"));
  }
  bool AgentLogged(const std::string& text, int timeoutMs = 10000) {
    return WaitUntil(
        [&] { return ReadFile(dir_.File("agent.log")).find(text) != std::string::npos; },
        timeoutMs);
  }
  // A subscriber may see an event twice when the broker stopped before it took the subscriber's
  // acknowledgement (at least once); (run, seq) tells the copies apart.
  std::vector<Json> DistinctAlarms(const Client& client) {
    std::vector<Json> events;
    for (const Received& message : client.Messages(std::string(Base) + "/alarm")) {
      const Json event = Json::parse(message.payload);
      const bool copy = std::any_of(events.begin(), events.end(), [&](const Json& seen) {
        return seen["run"] == event["run"] && seen["seq"] == event["seq"];
      });
      if (!copy) events.push_back(event);
    }
    return events;
  }
  // What the agent itself published on its alarm topic, from the broker's log: a repeat by the
  // agent would show here even when a subscriber cannot tell it from a redelivery.
  std::size_t AlarmsPublishedByAgent() {
    std::size_t published = 0;
    std::istringstream log(ReadFile(dir_.File("mosquitto.log")));
    for (std::string line; std::getline(log, line);) {
      published +=
          line.find("Received PUBLISH from climate-agent/north/cab7") != std::string::npos &&
          line.find("'climate/north/cab7/alarm'") != std::string::npos;
    }
    return published;
  }

  TempDir dir_;
  Broker broker_{dir_, Users()};
  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<ChildProcess> agent_;
};

}  // namespace climate::test
