// The fleet view's broker in UserSet.INI, section Fleet: Host, Port, Prefix, User, Password,
// CaFile, CertFile, KeyFile, MaxCabinets. The section is read when the window connects and never
// written by the console: it is set up once per laptop, by hand or with climate-config.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace climate {

class IniFile;

inline constexpr char FleetSection[] = "Fleet";

struct FleetSettings {
  std::string host = "127.0.0.1";
  int port = 1883;
  std::string prefix = "climate";
  // false when Prefix cannot be one topic level: subscribing with it would show other topics
  // or none, so the window subscribes to nothing and says why.
  bool prefixValid = true;
  std::string user;
  std::string password;
  std::string caFile;
  std::string certFile;
  std::string keyFile;
  // The most cabinets the view keeps; an out-of-range value falls back to the default.
  std::size_t maxCabinets = 20'000;
};

// A topic level may not be empty or hold the separators and wildcards of MQTT (as the agent
// checks its own prefix).
bool IsTopicLevel(std::string_view text);

FleetSettings LoadFleetSettings(const IniFile& ini);

}  // namespace climate
