// The Monitor's own choices in UserSet.INI, section Monitor: whether real-time replies are
// recorded to CSV ("Record", 0 or 1), which span the trend page shows ("TrendRange": 0 the
// last 10 minutes, 1 the last hour, 2 the whole run), and the site and cabinet the service
// report names ("Site", "Cabinet": text, absent until the operator first gave them).
#pragma once

#include <optional>
#include <string>

namespace climate {

class IniFile;

inline constexpr char MonitorSection[] = "Monitor";

enum class TrendRange { LastTenMinutes = 0, LastHour = 1, WholeRun = 2 };

struct MonitorSettings {
  bool record = false;
  TrendRange trendRange = TrendRange::LastHour;
  // None until asked; an empty text is an answer (the operator chose to leave it blank).
  std::optional<std::string> site = std::nullopt;
  std::optional<std::string> cabinet = std::nullopt;

  bool SiteGiven() const { return site.has_value() && cabinet.has_value(); }
};

// Longest site or cabinet name kept, in characters.
inline constexpr int MaxSiteNameLength = 80;

// Absent or unreadable keys give the defaults above; an out-of-range TrendRange too.
MonitorSettings LoadMonitorSettings(const IniFile& ini);
// Site and cabinet are written only once given, so a file without them still asks.
void StoreMonitorSettings(IniFile& ini, const MonitorSettings& settings);

// Reads the file at configPath, writes the section and saves it at once, so the choice survives
// however the program ends. A missing file is not created here: a file holding nothing but this
// section would stop the main window from writing its full default set at the next start. False,
// with the reason in error, when nothing was saved.
bool SaveMonitorSettings(const std::string& configPath, const MonitorSettings& settings,
                         std::string& error);

}  // namespace climate
