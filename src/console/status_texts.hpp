// Texts of the status bar (port state, collection mode, date and time) and the tray tooltip.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/language.hpp"
#include "app/local_time.hpp"

namespace climate {

// Panel 5: "9:5:7  " or "9时5分7秒  ".
std::string ClockTimeText(const LocalDateTime& time, Language language);
// Panel 3: "2011-3-5  Saturday" or "2011-3-5星期六".
std::string ClockDateText(const LocalDateTime& time, Language language);

// Panel 0.
std::string PortInUseText(std::string_view port, Language language);
std::string PortOpenFailedText(std::string_view port, Language language);
std::string PortClosedText(std::string_view port, Language language);
// The link of an open port failed (cable pulled, adapter gone).
std::string PortLostText(std::string_view port, Language language);

// The message box of a failed open.
std::string_view PortOpenFailedMessage(Language language);
std::string_view PortOpenFailedCaption(Language language);

// Panel 2.
std::string_view CollectionModeText(bool periodic, Language language);

// The tray tooltip of Timer2.
std::string TrayToolTipText(std::uint64_t freeKiB, Language language);
inline constexpr std::string_view InitialTrayToolTip = "Time Unknown";

// Free physical memory in KiB: MemAvailable of /proc/meminfo, else sysinfo.
std::optional<std::uint64_t> ReadFreeMemoryKiB();
// MemAvailable from the text of /proc/meminfo.
std::optional<std::uint64_t> ParseMemAvailableKiB(std::string_view meminfo);

}  // namespace climate
