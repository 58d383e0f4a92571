// A small model of one cabinet unit: the cabinet warms toward the outdoor temperature plus the
// heat of the equipment, the unit's thermostat cools or heats it back into the band between its
// set points, and the real-time reply reports values, running states and alarms from that.
// Time is model time in seconds, given by the caller, so tests can run it without waiting.
#pragma once

#include <array>
#include <cstdint>

#include "protocol/device_kind.hpp"
#include "unitsim/sim_options.hpp"

namespace climate::unitsim {

// The six working parameters in request order, in degrees Celsius.
// Air conditioner: cooling off point, cooling sensitivity, heating on point, heater sensitivity,
// high and low temperature alarm points.
// Heat exchanger: external fan speed-control point, its full-speed band, heating on point,
// heater sensitivity, high and low temperature alarm points.
using WorkingParameters = std::array<int, 6>;

// The heat exchanger's five factory parameters in request order: internal fan speed-control
// point, internal fan full-speed band, internal fan stop point (degrees), external fan stop band
// below its speed-control point (degrees), lowest fan speed (percent).
using FactoryParameters = std::array<int, 5>;

class UnitModel {
 public:
  // Supply alarm thresholds: 220 V plus or minus ten percent.
  static constexpr int OverVoltage = 242;
  static constexpr int UnderVoltage = 198;
  static constexpr double StartIndoorTemperature = 30.0;

  explicit UnitModel(DeviceKind kind);

  DeviceKind Kind() const { return kind_; }

  // Runs the cabinet and the thermostat forward to model time `seconds` (never backwards).
  void AdvanceTo(double seconds);
  double Now() const { return now_; }

  bool Running() const { return running_; }
  void SetRunning(bool running);

  // What the unit accepts: the ranges its operator panel offers.
  bool AcceptsParameters(const WorkingParameters& values) const;
  bool AcceptsFactory(const FactoryParameters& values) const;
  static bool AcceptsFanStopPoint(int celsius) { return celsius >= 0 && celsius <= 15; }

  void SetParameters(const WorkingParameters& values) { parameters_ = values; }
  const WorkingParameters& Parameters() const { return parameters_; }
  void SetFactory(const FactoryParameters& values) { factory_ = values; }
  const FactoryParameters& Factory() const { return factory_; }
  void SetFanStopPoint(int celsius) { fanStopPoint_ = celsius; }
  int FanStopPoint() const { return fanStopPoint_; }
  void ForceAlarms(const ForcedAlarms& alarms) { forced_ = alarms; }

  double IndoorTemperature() const { return indoor_; }
  void SetIndoorTemperature(double celsius) { indoor_ = celsius; }
  double OutdoorTemperature() const;
  int IndoorHumidity() const;
  int SupplyVoltage() const;
  bool CompressorOn() const { return compressor_; }
  bool HeaterOn() const { return heater_; }
  // 0 (stopped) to 1 (full speed); the air conditioner's external fan runs with the compressor.
  double ExternalFanSpeed() const;
  bool InternalFanOn() const;

  std::uint8_t StatusByte() const;
  std::uint8_t AlarmByte1() const;
  std::uint8_t AlarmByte2() const;

  // The 13 data bytes of the real-time reply (frame offsets 3 to 15).
  std::array<std::uint8_t, 13> RealTimeData() const;
  // The 5 data bytes of the factory-parameters reply (frame offsets 3 to 7).
  std::array<std::uint8_t, 5> FactoryData() const;

 private:
  void Step(double seconds);
  void RunThermostat();

  DeviceKind kind_;
  double now_ = 0.0;
  double indoor_ = StartIndoorTemperature;
  bool running_ = true;
  bool compressor_ = false;
  bool heater_ = false;
  WorkingParameters parameters_;
  FactoryParameters factory_ = {25, 10, 0, 5, 30};
  int fanStopPoint_ = 0;
  ForcedAlarms forced_;
};

// A temperature as it travels: the value plus 20 in one byte, limited to 0..255.
std::uint8_t EncodeTemperature(double celsius);

}  // namespace climate::unitsim
