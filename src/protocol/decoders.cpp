// Frame to record: the fixed byte positions of the real-time, factory and acknowledgement
// replies. Temperatures travel as the value plus 20.
#include "protocol/replies.hpp"

namespace climate {

namespace {

constexpr int TemperatureOffset = 20;

// A frame shorter than its layout only happens with odd configured length codes; reading 0
// there keeps a decoder from ever touching memory past the frame.
std::uint8_t At(std::span<const std::uint8_t> frame, std::size_t offset) {
  return offset < frame.size() ? frame[offset] : 0;
}

int Temperature(std::span<const std::uint8_t> frame, std::size_t offset) {
  return static_cast<int>(At(frame, offset)) - TemperatureOffset;
}

// The positions both unit types share.
void DecodeReadings(std::span<const std::uint8_t> frame, RealTimeReadings& data) {
  data.IndoorTemperature = Temperature(frame, 3);
  data.OutdoorTemperature = Temperature(frame, 4);
  data.IndoorHumidity = At(frame, 5);
  data.SupplyVoltage = At(frame, 6);
  data.HeatingOnPoint = Temperature(frame, 9);
  data.HighTemperatureAlarmPoint = Temperature(frame, 11);
  data.LowTemperatureAlarmPoint = Temperature(frame, 12);
  data.StatusByte = At(frame, 13);
  data.AlarmByte1 = At(frame, 14);
  data.AlarmByte2 = At(frame, 15);
}

}  // namespace

AcRealTimeData DecodeAcRealTime(std::span<const std::uint8_t> frame) {
  AcRealTimeData data;
  DecodeReadings(frame, data);
  data.CoolingOffPoint = Temperature(frame, 7);
  // Offsets 8 and 10 carry nothing the air conditioner's window uses: its cooling on and heating
  // off points are derived from the dialog's sensitivities instead.
  return data;
}

HxRealTimeData DecodeHxRealTime(std::span<const std::uint8_t> frame) {
  HxRealTimeData data;
  DecodeReadings(frame, data);
  data.ExternalFanAdjustPoint = Temperature(frame, 7);
  data.ExternalFanFullSpeedPoint = Temperature(frame, 8);
  data.HeatingOffPoint = Temperature(frame, 10);
  return data;
}

HxFactoryParameters DecodeHxFactory(std::span<const std::uint8_t> frame) {
  HxFactoryParameters data;
  data.InternalFanAdjustPoint = Temperature(frame, 3);
  data.InternalFanFullSpeedPoint = Temperature(frame, 4);
  data.InternalFanStopPoint = Temperature(frame, 5);
  data.ExternalFanStopPoint = Temperature(frame, 6);
  data.LowestFanSpeed = At(frame, 7);
  return data;
}

CommandAck DecodeAck(std::span<const std::uint8_t> frame, std::int16_t zqxy, std::int16_t fdxy) {
  if (frame.size() <= 3) return CommandAck::Other;
  // Compared as integers: a configured code outside 0..255 never matches a byte.
  const int code = frame[3];
  if (code == fdxy) return CommandAck::Negative;
  if (code == zqxy) return CommandAck::Positive;
  return CommandAck::Other;
}

}  // namespace climate
