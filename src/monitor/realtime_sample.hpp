// One decoded real-time reply as the monitor keeps it: when it came, from which unit type, the
// ten values and the three status and alarm bytes. Also the time texts the monitor writes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/local_time.hpp"
#include "monitor/monitor_signals.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/replies.hpp"
#include "protocol/reply_views.hpp"

namespace climate {

struct RealTimeSample {
  DeviceKind kind = DeviceKind::AirConditioner;
  LocalDateTime time;
  std::int64_t monotonicMs = 0;
  // Slot order of monitor_signals.hpp. The air conditioner does not send its cooling on and
  // heating off points; the console derives them from the dialog's sensitivities, and when a
  // sensitivity is not a number the value is unknown.
  std::array<std::optional<int>, ValueCount> values{};
  std::uint8_t statusByte = 0;
  std::uint8_t alarmByte1 = 0;
  std::uint8_t alarmByte2 = 0;
};

// A derived point beyond int is unknown, as a sensitivity that is not a number.
RealTimeSample SampleFromAc(const AcRealTimeData& data, const AcDerivedPoints& points,
                            const LocalDateTime& time, std::int64_t monotonicMs);
RealTimeSample SampleFromHx(const HxRealTimeData& data, const LocalDateTime& time,
                            std::int64_t monotonicMs);

// "2024-05-01T14:03:22", local time without an offset, for files.
std::string FormatIsoLocal(const LocalDateTime& time);
// "2024-05-01 14:03:22", for tables and the report.
std::string FormatDisplayTime(const LocalDateTime& time);
// "00:05:12", or "3d 02:00:00" past a day; negative spans count as zero.
std::string FormatDuration(std::int64_t ms);

}  // namespace climate
