// The Fleet section of UserSet.INI.
#include "fleet/fleet_settings.hpp"

#include <algorithm>

#include "app/config/ini_file.hpp"

namespace climate {

namespace {

constexpr int MaxCabinetsLimit = 1'000'000;

}  // namespace

bool IsTopicLevel(std::string_view text) {
  return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
    return c == '/' || c == '+' || c == '#' || c == '\0';
  });
}

FleetSettings LoadFleetSettings(const IniFile& ini) {
  FleetSettings s;
  s.host = ini.ReadString(FleetSection, "Host", s.host);
  const int port = ini.ReadInteger(FleetSection, "Port", s.port);
  if (port > 0 && port < 65536) s.port = port;
  s.prefix = ini.ReadString(FleetSection, "Prefix", s.prefix);
  s.prefixValid = IsTopicLevel(s.prefix);
  s.user = ini.ReadString(FleetSection, "User", "");
  s.password = ini.ReadString(FleetSection, "Password", "");
  s.caFile = ini.ReadString(FleetSection, "CaFile", "");
  s.certFile = ini.ReadString(FleetSection, "CertFile", "");
  s.keyFile = ini.ReadString(FleetSection, "KeyFile", "");
  const int maxCabinets =
      ini.ReadInteger(FleetSection, "MaxCabinets", static_cast<int>(s.maxCabinets));
  if (maxCabinets > 0 && maxCabinets <= MaxCabinetsLimit) {
    s.maxCabinets = static_cast<std::size_t>(maxCabinets);
  }
  return s;
}

}  // namespace climate
