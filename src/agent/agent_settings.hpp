// The agent's settings file: the same INI module as UserSet.INI (GBK, Windows rules). Sections
// Agent (the unit and its line), Broker (where and how to publish) and, optionally, the protocol
// sections of UserSet.INI (Device, DeviceKt, DeviceRjh) when a site runs non-default codes.
#pragma once

#include <string>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

class IniFile;

struct BrokerSettings {
  bool enabled = true;  // false: no MQTT at all (a site without a broker runs SNMP only)
  std::string host = "127.0.0.1";
  int port = 1883;
  std::string user;      // empty: connect without a user name
  std::string password;  // never logged
  std::string caFile;    // set: TLS, with the broker's certificate checked against this CA
  std::string certFile;  // optional client certificate and its key
  std::string keyFile;
  int keepAliveSeconds = 30;
  int reconnectMinSeconds = 1;  // back-off doubles from here after every failed attempt
  int reconnectMaxSeconds = 30;
};

// The AgentX subagent: one row of the unit table of the host's SNMP master agent.
struct SnmpSettings {
  bool enabled = false;
  std::string agentxSocket = "/var/agentx/master";  // a path, or tcp:host:port
  int index = 1;                                 // the row, unique among the agents of one master
  bool allowSet = false;                         // remote on/off and parameter sets writable
  std::string root = "1.3.6.1.4.1.8072.9999.7";  // the module's root OID
  int pingSeconds = 15;  // how often the master is checked; a lost one is reconnected then
};

struct AgentSettings {
  std::string site;
  std::string unit;
  DeviceKind kind = DeviceKind::AirConditioner;
  std::string device;  // the line: /dev/ttyUSB0, a pseudo-terminal link, ...
  std::string portSettings = "9600,n,8,1";
  int pollMs = 5000;
  int replyTimeoutMs = 3000;  // a poll or command without an answer by then counts as unanswered
  bool factoryCommands = false;
  int queueLimit = 1000;  // alarm events kept while the broker is away
  std::string prefix = "climate";
  BrokerSettings broker;
  SnmpSettings snmp;
  ProtocolSettings protocol;
};

// Reads every key with its default. errors lists what makes the settings unusable (a missing
// site or unit, a name that would break a topic, an unknown kind, numbers out of range); each
// entry names the section and key.
AgentSettings LoadAgentSettings(const IniFile& ini, std::vector<std::string>& errors);

// "<prefix>/<site>/<unit>"
std::string TopicBase(const AgentSettings& settings);

// "airConditioner" or "heatExchanger", as the JSON messages name the unit type.
const char* KindKey(DeviceKind kind);

}  // namespace climate
