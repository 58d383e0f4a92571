// The agent against a broker that misbehaves: a malformed packet, a refused login and a refused
// subscription each end up in the agent's log in words, and the agent keeps coming back until
// the broker serves it.
#include <gtest/gtest.h>

#include "../mqtt/hostile_broker.hpp"
#include "fleet_e2e.hpp"

namespace climate::test {
namespace {

TEST(AgentOnAHostileBroker, LogsWhyEachAttemptFailedAndComesBackUntilServed) {
  TempDir dir;
  PeerStep deaf{PeerAct::Serve};
  deaf.refuseSubscriptions = true;
  HostileBroker peer({{PeerAct::SendMalformed}, {PeerAct::RefuseConnect, 5}, deaf});
  SimProcess sim({"--kind", "ac", "--link", dir.File("com1")});
  const std::string ini = dir.File("agent.ini");
  WriteFile(ini, "[Agent]\nSite=north\nUnit=cab7\nKind=ac\nDevice=" + dir.File("com1") +
                     "\nPollMs=500\n[Broker]\nPort=" + std::to_string(peer.Port()) +
                     "\nUser=agent\nPassword=wrong\nReconnectMin=1\nReconnectMax=2\n");
  ChildProcess agent({CLIMATE_AGENT_PATH, ini}, dir.File("agent.log"));
  const auto logged = [&](const std::string& text) {
    return WaitUntil(
        [&] { return ReadFile(dir.File("agent.log")).find(text) != std::string::npos; }, 15000);
  };

  EXPECT_TRUE(logged("broker connection down: protocol error")) << ReadFile(dir.File("agent.log"));
  EXPECT_TRUE(logged("broker connection down: authentication refused: not authorised"))
      << ReadFile(dir.File("agent.log"));
  ASSERT_TRUE(logged("broker connected")) << ReadFile(dir.File("agent.log"));
  EXPECT_TRUE(logged("broker subscription to climate/north/cab7/command refused by the broker"))
      << ReadFile(dir.File("agent.log"));
  EXPECT_EQ(peer.Connects(), 3);
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const PeerPublish& message : peer.Published()) {
          if (message.topic == "climate/north/cab7/online" && message.payload == "true" &&
              message.retained) {
            return true;
          }
        }
        return false;
      },
      10000));
}

}  // namespace
}  // namespace climate::test
