// The [Snmp] section and an agent without a broker: what a site may write, and what would leave
// an agent publishing nowhere or registering under a broken OID.
#include <gtest/gtest.h>

#include "agent/agent_settings.hpp"
#include "app/config/ini_file.hpp"

namespace climate {
namespace {

AgentSettings Load(const std::string& extra, std::vector<std::string>& errors) {
  return LoadAgentSettings(IniFile::Parse("[Agent]\r\nSite=north\r\nUnit=cab7\r\n" + extra),
                           errors);
}

TEST(SnmpSettings, DefaultsAndSnmpOnlySitesAndRefusedValues) {
  std::vector<std::string> errors;
  const AgentSettings plain = Load("", errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(plain.broker.enabled);
  EXPECT_FALSE(plain.snmp.enabled);
  EXPECT_EQ(plain.snmp.agentxSocket, "/var/agentx/master");
  EXPECT_EQ(plain.snmp.root, "1.3.6.1.4.1.8072.9999.7");
  EXPECT_FALSE(plain.snmp.allowSet);

  const AgentSettings snmpOnly = Load(
      "[Broker]\r\nEnabled=0\r\n[Snmp]\r\nEnabled=1\r\nIndex=12\r\nAllowSet=1\r\n"
      "Root=.1.3.6.1.4.1.99999.1\r\nAgentX=tcp:127.0.0.1:705\r\n",
      errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_FALSE(snmpOnly.broker.enabled);
  EXPECT_EQ(snmpOnly.snmp.index, 12);
  EXPECT_TRUE(snmpOnly.snmp.allowSet);
  EXPECT_EQ(snmpOnly.snmp.root, "1.3.6.1.4.1.99999.1");  // the leading dot is optional
  EXPECT_EQ(snmpOnly.snmp.agentxSocket, "tcp:127.0.0.1:705");

  for (const char* bad :
       {"[Broker]\r\nEnabled=0\r\n", "[Snmp]\r\nEnabled=1\r\nIndex=0\r\n",
        "[Snmp]\r\nEnabled=1\r\nIndex=65536\r\n", "[Snmp]\r\nRoot=1.3.x.1\r\n",
        "[Snmp]\r\nRoot=1..3\r\n", "[Snmp]\r\nRoot=1.3.6.1.4294967296\r\n", "[Snmp]\r\nRoot=1\r\n",
        "[Snmp]\r\nPingSeconds=0\r\n", "[Snmp]\r\nAgentX=\r\n"}) {
    errors.clear();
    Load(bad, errors);
    EXPECT_EQ(errors.size(), 1u) << bad;
  }
}

}  // namespace
}  // namespace climate
