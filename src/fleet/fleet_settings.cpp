// The Fleet section of UserSet.INI.
#include "fleet/fleet_settings.hpp"

#include "app/config/ini_file.hpp"

namespace climate {

FleetSettings LoadFleetSettings(const IniFile& ini) {
  FleetSettings s;
  s.host = ini.ReadString(FleetSection, "Host", s.host);
  const int port = ini.ReadInteger(FleetSection, "Port", s.port);
  if (port > 0 && port < 65536) s.port = port;
  s.prefix = ini.ReadString(FleetSection, "Prefix", s.prefix);
  s.user = ini.ReadString(FleetSection, "User", "");
  s.password = ini.ReadString(FleetSection, "Password", "");
  s.caFile = ini.ReadString(FleetSection, "CaFile", "");
  s.certFile = ini.ReadString(FleetSection, "CertFile", "");
  s.keyFile = ini.ReadString(FleetSection, "KeyFile", "");
  return s;
}

}  // namespace climate
