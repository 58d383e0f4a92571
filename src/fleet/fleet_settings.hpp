// The fleet view's broker in UserSet.INI, section Fleet: Host, Port, Prefix, User, Password,
// CaFile, CertFile, KeyFile. The section is read when the window connects and never written by
// the console: it is set up once per laptop, by hand or with climate-config.
#pragma once

#include <string>

namespace climate {

class IniFile;

inline constexpr char FleetSection[] = "Fleet";

struct FleetSettings {
  std::string host = "127.0.0.1";
  int port = 1883;
  std::string prefix = "climate";
  std::string user;
  std::string password;
  std::string caFile;
  std::string certFile;
  std::string keyFile;
};

FleetSettings LoadFleetSettings(const IniFile& ini);

}  // namespace climate
