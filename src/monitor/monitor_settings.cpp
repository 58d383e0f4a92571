// The Monitor section of UserSet.INI.
#include "monitor/monitor_settings.hpp"

#include "app/config/ini_file.hpp"

namespace climate {

MonitorSettings LoadMonitorSettings(const IniFile& ini) {
  MonitorSettings settings;
  settings.record = ini.ReadBool(MonitorSection, "Record", false);
  const std::int32_t range = ini.ReadInteger(MonitorSection, "TrendRange", 1);
  if (range >= 0 && range <= 2) settings.trendRange = static_cast<TrendRange>(range);
  if (ini.HasKey(MonitorSection, "Site"))
    settings.site = ini.ReadString(MonitorSection, "Site", "");
  if (ini.HasKey(MonitorSection, "Cabinet")) {
    settings.cabinet = ini.ReadString(MonitorSection, "Cabinet", "");
  }
  return settings;
}

void StoreMonitorSettings(IniFile& ini, const MonitorSettings& settings) {
  ini.WriteInteger(MonitorSection, "Record", settings.record ? 1 : 0);
  ini.WriteInteger(MonitorSection, "TrendRange", static_cast<std::int32_t>(settings.trendRange));
  if (settings.site) ini.WriteString(MonitorSection, "Site", *settings.site);
  if (settings.cabinet) ini.WriteString(MonitorSection, "Cabinet", *settings.cabinet);
}

bool SaveMonitorSettings(const std::string& configPath, const MonitorSettings& settings,
                         std::string& error) {
  IniFile ini = IniFile::Load(configPath);
  if (!ini.Existed()) {
    error = "Unable to write to " + configPath;
    return false;
  }
  StoreMonitorSettings(ini, settings);
  try {
    ini.Save(configPath);
  } catch (const std::exception& failure) {
    error = failure.what();
    return false;
  }
  error.clear();
  return true;
}

}  // namespace climate
