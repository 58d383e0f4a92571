// Samples from decoded replies, and the time texts of files, tables and the report.
#include "monitor/realtime_sample.hpp"

#include <cstdio>
#include <limits>

namespace climate {

namespace {

std::optional<int> AsInt(std::optional<long long> value) {
  if (!value || *value < std::numeric_limits<int>::min() ||
      *value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

// The parts both unit types send alike; the six set points are the caller's.
RealTimeSample CommonPart(const RealTimeReadings& data, DeviceKind kind, const LocalDateTime& time,
                          std::int64_t monotonicMs) {
  RealTimeSample sample;
  sample.kind = kind;
  sample.time = time;
  sample.monotonicMs = monotonicMs;
  sample.values[IndoorTemperatureSlot] = data.IndoorTemperature;
  sample.values[OutdoorTemperatureSlot] = data.OutdoorTemperature;
  sample.values[IndoorHumiditySlot] = static_cast<int>(data.IndoorHumidity);
  sample.values[SupplyVoltageSlot] = static_cast<int>(data.SupplyVoltage);
  sample.values[FirstSetPointSlot + 2] = data.HeatingOnPoint;
  sample.values[FirstSetPointSlot + 4] = data.HighTemperatureAlarmPoint;
  sample.values[FirstSetPointSlot + 5] = data.LowTemperatureAlarmPoint;
  sample.statusByte = data.StatusByte;
  sample.alarmByte1 = data.AlarmByte1;
  sample.alarmByte2 = data.AlarmByte2;
  return sample;
}

}  // namespace

RealTimeSample SampleFromAc(const AcRealTimeData& data, const AcDerivedPoints& points,
                            const LocalDateTime& time, std::int64_t monotonicMs) {
  RealTimeSample sample = CommonPart(data, DeviceKind::AirConditioner, time, monotonicMs);
  sample.values[FirstSetPointSlot] = data.CoolingOffPoint;
  sample.values[FirstSetPointSlot + 1] = AsInt(points.coolingOn);
  sample.values[FirstSetPointSlot + 3] = AsInt(points.heatingOff);
  return sample;
}

RealTimeSample SampleFromHx(const HxRealTimeData& data, const LocalDateTime& time,
                            std::int64_t monotonicMs) {
  RealTimeSample sample = CommonPart(data, DeviceKind::HeatExchanger, time, monotonicMs);
  sample.values[FirstSetPointSlot] = data.ExternalFanAdjustPoint;
  sample.values[FirstSetPointSlot + 1] = data.ExternalFanFullSpeedPoint;
  sample.values[FirstSetPointSlot + 3] = data.HeatingOffPoint;
  return sample;
}

std::string FormatIsoLocal(const LocalDateTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

std::string FormatDisplayTime(const LocalDateTime& time) {
  std::string text = FormatIsoLocal(time);
  text[10] = ' ';
  return text;
}

std::string FormatDuration(std::int64_t ms) {
  const std::int64_t seconds = ms > 0 ? ms / 1000 : 0;
  const std::int64_t days = seconds / 86400;
  char text[48];
  const int h = static_cast<int>(seconds / 3600 % 24);
  const int m = static_cast<int>(seconds / 60 % 60);
  const int s = static_cast<int>(seconds % 60);
  if (days > 0) {
    std::snprintf(text, sizeof text, "%lldd %02d:%02d:%02d", static_cast<long long>(days), h, m, s);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", h, m, s);
  }
  return text;
}

}  // namespace climate
