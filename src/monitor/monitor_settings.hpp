// The Monitor's own choices in UserSet.INI, section Monitor: whether real-time replies are
// recorded to CSV ("Record", 0 or 1) and which span the trend page shows ("TrendRange": 0 the
// last 10 minutes, 1 the last hour, 2 the whole run).
#pragma once

#include <string>

namespace climate {

class IniFile;

inline constexpr char MonitorSection[] = "Monitor";

enum class TrendRange { LastTenMinutes = 0, LastHour = 1, WholeRun = 2 };

struct MonitorSettings {
  bool record = false;
  TrendRange trendRange = TrendRange::LastHour;
};

// Absent or unreadable keys give the defaults above; an out-of-range TrendRange too.
MonitorSettings LoadMonitorSettings(const IniFile& ini);
void StoreMonitorSettings(IniFile& ini, const MonitorSettings& settings);

// Reads the file at configPath, writes the section and saves it at once, so the choice survives
// however the program ends. A missing file is not created here: a file holding nothing but this
// section would stop the main window from writing its full default set at the next start. False,
// with the reason in error, when nothing was saved.
bool SaveMonitorSettings(const std::string& configPath, const MonitorSettings& settings,
                         std::string& error);

}  // namespace climate
