// Samples from decoded replies, and the time texts of files, tables and the report.
#include "monitor/realtime_sample.hpp"

#include <cstdio>

#include "common/text_rules.hpp"

namespace climate {

RealTimeSample SampleFromAc(const AcRealTimeData& data, std::optional<int> coolingOnPoint,
                            std::optional<int> heatingOffPoint, const LocalDateTime& time,
                            std::int64_t monotonicMs) {
  RealTimeSample sample;
  sample.kind = DeviceKind::AirConditioner;
  sample.time = time;
  sample.monotonicMs = monotonicMs;
  sample.values = {data.IndoorTemperature,
                   data.OutdoorTemperature,
                   static_cast<int>(data.IndoorHumidity),
                   static_cast<int>(data.SupplyVoltage),
                   data.CoolingOffPoint,
                   coolingOnPoint,
                   data.HeatingOnPoint,
                   heatingOffPoint,
                   data.HighTemperatureAlarmPoint,
                   data.LowTemperatureAlarmPoint};
  sample.statusByte = data.StatusByte;
  sample.alarmByte1 = data.AlarmByte1;
  sample.alarmByte2 = data.AlarmByte2;
  return sample;
}

RealTimeSample SampleFromHx(const HxRealTimeData& data, const LocalDateTime& time,
                            std::int64_t monotonicMs) {
  RealTimeSample sample;
  sample.kind = DeviceKind::HeatExchanger;
  sample.time = time;
  sample.monotonicMs = monotonicMs;
  sample.values = {data.IndoorTemperature,
                   data.OutdoorTemperature,
                   static_cast<int>(data.IndoorHumidity),
                   static_cast<int>(data.SupplyVoltage),
                   data.ExternalFanAdjustPoint,
                   data.ExternalFanFullSpeedPoint,
                   data.HeatingOnPoint,
                   data.HeatingOffPoint,
                   data.HighTemperatureAlarmPoint,
                   data.LowTemperatureAlarmPoint};
  sample.statusByte = data.StatusByte;
  sample.alarmByte1 = data.AlarmByte1;
  sample.alarmByte2 = data.AlarmByte2;
  return sample;
}

std::optional<int> ParseBoxValue(std::string_view text) {
  return ParseDecimal(text);
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
