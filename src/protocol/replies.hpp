// Reply records and their decoders. Decoders read fixed positions and have no side effects.
// Callers make sure the frame is long enough (IsLongEnoughFor in receive.hpp); a byte past the
// end of a shorter frame still never gets read, it decodes as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace climate {

// What both unit types send alike in a real-time reply.
struct RealTimeReadings {
  int IndoorTemperature = 0;
  int OutdoorTemperature = 0;
  unsigned IndoorHumidity = 0;
  unsigned SupplyVoltage = 0;
  int HeatingOnPoint = 0;
  int HighTemperatureAlarmPoint = 0;
  int LowTemperatureAlarmPoint = 0;
  std::uint8_t StatusByte = 0;
  std::uint8_t AlarmByte1 = 0;
  std::uint8_t AlarmByte2 = 0;
};

struct AcRealTimeData : RealTimeReadings {
  int CoolingOffPoint = 0;
};

struct HxRealTimeData : RealTimeReadings {
  int ExternalFanAdjustPoint = 0;
  int ExternalFanFullSpeedPoint = 0;
  int HeatingOffPoint = 0;
};

struct HxFactoryParameters {
  int InternalFanAdjustPoint = 0;
  int InternalFanFullSpeedPoint = 0;
  int InternalFanStopPoint = 0;
  int ExternalFanStopPoint = 0;
  unsigned LowestFanSpeed = 0;
};

enum class CommandAck { Positive, Negative, Other };

// Frame sizes the decoders need.
inline constexpr std::size_t RealTimeFrameSize = 19;
inline constexpr std::size_t FactoryFrameSize = 11;
inline constexpr std::size_t AckFrameSize = 7;

AcRealTimeData DecodeAcRealTime(std::span<const std::uint8_t> frame);
HxRealTimeData DecodeHxRealTime(std::span<const std::uint8_t> frame);
HxFactoryParameters DecodeHxFactory(std::span<const std::uint8_t> frame);
// Negative is tested first, so equal codes count as negative.
CommandAck DecodeAck(std::span<const std::uint8_t> frame, std::int16_t zqxy, std::int16_t fdxy);

}  // namespace climate
