// Reading the agent's settings, with the checks that keep a bad file from producing topics that
// leak into other cabinets' names.
#include "agent/agent_settings.hpp"

#include <algorithm>

#include "app/config/ini_file.hpp"
#include "serial/port_settings.hpp"

namespace climate {

namespace {

constexpr char AgentSection[] = "Agent";
constexpr char BrokerSection[] = "Broker";
constexpr char SnmpSection[] = "Snmp";

// A topic level may not be empty or hold the separators and wildcards of MQTT.
bool IsTopicLevel(const std::string& text) {
  return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
    return c == '/' || c == '+' || c == '#' || c == '\0';
  });
}

int ReadBounded(const IniFile& ini, const char* section, const char* key, int fallback, int low,
                int high, std::vector<std::string>& errors) {
  const int value = ini.ReadInteger(section, key, fallback);
  if (value < low || value > high) {
    errors.push_back(std::string(section) + "/" + key + " must lie between " + std::to_string(low) +
                     " and " + std::to_string(high));
    return fallback;
  }
  return value;
}

// Dotted decimal sub-identifiers, at least two, each below 2^32, at most 64 of them (the row's
// OIDs add five more and must stay within what SNMP allows).
bool IsOid(const std::string& text) {
  std::size_t count = 0;
  std::size_t start = text.empty() || text[0] != '.' ? 0 : 1;
  while (start <= text.size()) {
    const std::size_t dot = std::min(text.find('.', start), text.size());
    const std::string part = text.substr(start, dot - start);
    if (part.empty() || part.size() > 10 ||
        !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoull(part) > 0xFFFFFFFFull) {
      return false;
    }
    ++count;
    start = dot + 1;
  }
  return count >= 2 && count <= 64;
}

void LoadSnmp(const IniFile& ini, SnmpSettings& s, std::vector<std::string>& errors) {
  s.enabled = ini.ReadBool(SnmpSection, "Enabled", false);
  s.agentxSocket = ini.ReadString(SnmpSection, "AgentX", s.agentxSocket);
  if (s.agentxSocket.empty()) errors.emplace_back("Snmp/AgentX must name the master's socket");
  s.index = ReadBounded(ini, SnmpSection, "Index", 1, 1, 65535, errors);
  s.allowSet = ini.ReadBool(SnmpSection, "AllowSet", false);
  s.root = ini.ReadString(SnmpSection, "Root", s.root);
  if (!IsOid(s.root)) errors.push_back("Snmp/Root '" + s.root + "' is not an OID like 1.3.6.1.4.1");
  if (!s.root.empty() && s.root[0] == '.') s.root.erase(0, 1);
  s.pingSeconds = ReadBounded(ini, SnmpSection, "PingSeconds", 15, 1, 3600, errors);
}

}  // namespace

const char* KindKey(DeviceKind kind) {
  return kind == DeviceKind::HeatExchanger ? "heatExchanger" : "airConditioner";
}

AgentSettings LoadAgentSettings(const IniFile& ini, std::vector<std::string>& errors) {
  AgentSettings s;
  s.site = ini.ReadString(AgentSection, "Site", "");
  s.unit = ini.ReadString(AgentSection, "Unit", "");
  s.prefix = ini.ReadString(AgentSection, "Prefix", "climate");
  for (const auto& [key, value] :
       {std::pair{"Site", s.site}, {"Unit", s.unit}, {"Prefix", s.prefix}}) {
    if (!IsTopicLevel(value)) {
      errors.push_back(std::string("Agent/") + key +
                       " must be a non-empty name without '/', '+' or '#'");
    }
  }
  const std::string kind = ini.ReadString(AgentSection, "Kind", "ac");
  if (kind == "hx") {
    s.kind = DeviceKind::HeatExchanger;
  } else if (kind != "ac") {
    errors.push_back("Agent/Kind must be ac or hx, not '" + kind + "'");
  }
  s.device = ini.ReadString(AgentSection, "Device", "/dev/ttyS0");
  s.portSettings = ini.ReadString(AgentSection, "PortSettings", s.portSettings);
  if (!ParsePortSettings(s.portSettings)) {
    errors.push_back("Agent/PortSettings '" + s.portSettings + "' is not like 9600,n,8,1");
  }
  s.pollMs = ReadBounded(ini, AgentSection, "PollMs", 5000, 500, 3'600'000, errors);
  s.replyTimeoutMs = ReadBounded(ini, AgentSection, "ReplyTimeoutMs", 3000, 100, 60'000, errors);
  s.factoryCommands = ini.ReadBool(AgentSection, "FactoryCommands", false);
  s.queueLimit = ReadBounded(ini, AgentSection, "QueueLimit", 1000, 1, 1'000'000, errors);

  BrokerSettings& b = s.broker;
  b.enabled = ini.ReadBool(BrokerSection, "Enabled", true);
  b.host = ini.ReadString(BrokerSection, "Host", b.host);
  b.port = ReadBounded(ini, BrokerSection, "Port", 1883, 1, 65535, errors);
  b.user = ini.ReadString(BrokerSection, "User", "");
  b.password = ini.ReadString(BrokerSection, "Password", "");
  b.caFile = ini.ReadString(BrokerSection, "CaFile", "");
  b.certFile = ini.ReadString(BrokerSection, "CertFile", "");
  b.keyFile = ini.ReadString(BrokerSection, "KeyFile", "");
  if (b.certFile.empty() != b.keyFile.empty()) {
    errors.emplace_back("Broker/CertFile and Broker/KeyFile go together");
  }
  if (!b.certFile.empty() && b.caFile.empty()) {
    errors.emplace_back("Broker/CertFile needs Broker/CaFile (TLS)");
  }
  b.keepAliveSeconds = ReadBounded(ini, BrokerSection, "KeepAlive", 30, 5, 3600, errors);
  b.reconnectMinSeconds = ReadBounded(ini, BrokerSection, "ReconnectMin", 1, 1, 3600, errors);
  b.reconnectMaxSeconds = ReadBounded(ini, BrokerSection, "ReconnectMax", 30, 1, 3600, errors);
  b.reconnectMaxSeconds = std::max(b.reconnectMaxSeconds, b.reconnectMinSeconds);

  LoadSnmp(ini, s.snmp, errors);
  if (!b.enabled && !s.snmp.enabled) {
    errors.emplace_back("Broker/Enabled=0 needs Snmp/Enabled=1: the agent would publish nowhere");
  }

  s.protocol = LoadProtocolSettings(ini);
  return s;
}

std::string TopicBase(const AgentSettings& settings) {
  return settings.prefix + "/" + settings.site + "/" + settings.unit;
}

}  // namespace climate
