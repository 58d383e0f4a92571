// The agent over TLS: the broker's certificate checked against the configured CA, and the agent
// known to the broker by its own client certificate as well as its password.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "fleet_e2e.hpp"

namespace climate::test {
namespace {

// A CA, a certificate for the broker at 127.0.0.1 and one for the agent, all signed by the CA.
void MakeCertificates(const TempDir& dir) {
  const std::string d = dir.File("");
  WriteFile(dir.File("server.ext"), "subjectAltName=IP:127.0.0.1\n");
  const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes ";
  const std::string commands[] = {
      "openssl req -x509" + key + "-keyout " + d + "ca.key -out " + d +
          "ca.crt -days 2 -subj /CN=ca",
      "openssl req" + key + "-keyout " + d + "server.key -out " + d +
          "server.csr -subj /CN=127.0.0.1",
      "openssl x509 -req -in " + d + "server.csr -CA " + d + "ca.crt -CAkey " + d +
          "ca.key -CAcreateserial -out " + d + "server.crt -days 2 -extfile " + d + "server.ext",
      "openssl req" + key + "-keyout " + d + "agent.key -out " + d + "agent.csr -subj /CN=agent",
      "openssl x509 -req -in " + d + "agent.csr -CA " + d + "ca.crt -CAkey " + d +
          "ca.key -CAcreateserial -out " + d + "agent.crt -days 2",
  };
  for (const std::string& command : commands) {
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
  }
}

TEST(AgentOverTls, PublishesToABrokerItVerifiedWithItsClientCertificate) {
  TempDir dir;
  MakeCertificates(dir);
  ASSERT_FALSE(::testing::Test::HasFatalFailure());
  Broker broker(dir,
                {{"agent", "agent-secret", {"topic write climate/#", "topic read climate/#"}},
                 {"watcher", "watch-secret", {"topic read climate/#"}}},
                "cafile " + dir.File("ca.crt") + "\ncertfile " + dir.File("server.crt") +
                    "\nkeyfile " + dir.File("server.key") + "\nrequire_certificate true\n");
  SimProcess sim({"--kind", "hx", "--link", dir.File("com1")});
  const std::string ini = dir.File("agent.ini");
  WriteFile(ini, "[Agent]\nSite=south\nUnit=cab1\nKind=hx\nDevice=" + dir.File("com1") +
                     "\nPollMs=500\n[Broker]\nPort=" + std::to_string(broker.Port()) +
                     "\nUser=agent\nPassword=agent-secret\nCaFile=" + dir.File("ca.crt") +
                     "\nCertFile=" + dir.File("agent.crt") + "\nKeyFile=" + dir.File("agent.key") +
                     "\n");
  ChildProcess agent({CLIMATE_AGENT_PATH, ini}, dir.File("agent.log"));

  Client watcher(broker.Port(), "watcher", "watch-secret", "watcher", true,
                 {dir.File("ca.crt"), dir.File("agent.crt"), dir.File("agent.key")});
  ASSERT_TRUE(watcher.WaitConnected());
  ASSERT_TRUE(watcher.Subscribe("climate/#"));
  const Received state = watcher.WaitFor("climate/south/cab1/state", [](const std::string& p) {
    return nlohmann::json::parse(p).contains("values");
  });
  ASSERT_FALSE(state.topic.empty())
      << ReadFile(dir.File("agent.log")) << ReadFile(dir.File("mosquitto.log"));
  EXPECT_EQ(nlohmann::json::parse(state.payload)["kind"], "heatExchanger");
  EXPECT_NE(ReadFile(dir.File("agent.log")).find("(TLS)"), std::string::npos);
}

}  // namespace
}  // namespace climate::test
