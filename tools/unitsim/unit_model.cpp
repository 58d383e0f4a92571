#include "unitsim/unit_model.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace climate::unitsim {

namespace {

struct Range {
  int low;
  int high;
};

constexpr std::array<Range, 6> AcParameterRanges = {
    {{20, 40}, {1, 15}, {-10, 15}, {1, 10}, {30, 60}, {-15, 10}}};
constexpr std::array<Range, 6> HxParameterRanges = {
    {{20, 40}, {5, 15}, {-10, 10}, {1, 10}, {30, 60}, {-15, 10}}};
constexpr std::array<Range, 5> FactoryRanges = {{{20, 40}, {5, 15}, {0, 18}, {0, 10}, {30, 100}}};

constexpr WorkingParameters AcDefaults = {25, 10, 5, 10, 55, 0};
constexpr WorkingParameters HxDefaults = {30, 10, 5, 10, 55, 0};

// The cabinet's equipment keeps it this much warmer than outdoors when nothing cools it.
constexpr double EquipmentHeat = 15.0;
// Fraction of the gap to that temperature closed per second.
constexpr double CabinetCoupling = 0.004;
// Degrees per second that the compressor removes and the heater adds.
constexpr double CompressorRate = 0.12;
constexpr double HeaterRate = 0.12;
// Heat exchanger at full fan speed: fraction of the indoor-outdoor gap removed per second.
constexpr double ExchangerRate = 0.01;
constexpr double StepSeconds = 0.5;
// A long pause (a suspended simulator) is not replayed beyond this much model time.
constexpr double MaxCatchUpSeconds = 7200.0;

template <std::size_t N>
bool InRanges(const std::array<int, N>& values, const std::array<Range, N>& ranges) {
  for (std::size_t i = 0; i < N; ++i) {
    if (values[i] < ranges[i].low || values[i] > ranges[i].high) return false;
  }
  return true;
}

double Wave(double seconds, double period) {
  return std::sin(2.0 * std::numbers::pi * seconds / period);
}

std::uint8_t Byte(long value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0L, 255L));
}

}  // namespace

std::uint8_t EncodeTemperature(double celsius) {
  return Byte(std::lround(celsius) + 20);
}

UnitModel::UnitModel(DeviceKind kind)
    : kind_(kind), parameters_(kind == DeviceKind::HeatExchanger ? HxDefaults : AcDefaults) {}

void UnitModel::SetRunning(bool running) {
  running_ = running;
  RunThermostat();
}

bool UnitModel::AcceptsParameters(const WorkingParameters& values) const {
  return InRanges(values,
                  kind_ == DeviceKind::HeatExchanger ? HxParameterRanges : AcParameterRanges);
}

bool UnitModel::AcceptsFactory(const FactoryParameters& values) const {
  return InRanges(values, FactoryRanges);
}

double UnitModel::OutdoorTemperature() const {
  const double base = kind_ == DeviceKind::HeatExchanger ? 20.0 : 30.0;
  return base + 3.0 * Wave(now_, 600.0);
}

int UnitModel::IndoorHumidity() const {
  const double humidity = 55.0 + 8.0 * Wave(now_, 900.0) - (compressor_ ? 8.0 : 0.0);
  return static_cast<int>(std::clamp(std::lround(humidity), 0L, 100L));
}

int UnitModel::SupplyVoltage() const {
  return 220 + static_cast<int>(std::lround(3.0 * Wave(now_, 47.0)));
}

bool UnitModel::InternalFanOn() const {
  const int stopPoint = kind_ == DeviceKind::HeatExchanger ? factory_[2] : fanStopPoint_;
  return running_ && indoor_ >= stopPoint;
}

double UnitModel::ExternalFanSpeed() const {
  if (!running_) return 0.0;
  if (kind_ == DeviceKind::AirConditioner) return compressor_ ? 1.0 : 0.0;
  const double adjust = parameters_[0];
  const double fullSpeed = adjust + parameters_[1];
  const double stop = adjust - factory_[3];
  const double lowest = std::clamp(factory_[4], 0, 100) / 100.0;
  if (indoor_ < stop) return 0.0;
  if (indoor_ < adjust) return lowest;
  if (indoor_ < fullSpeed)
    return lowest + (1.0 - lowest) * (indoor_ - adjust) / (fullSpeed - adjust);
  return 1.0;
}

void UnitModel::RunThermostat() {
  if (!running_) {
    compressor_ = false;
    heater_ = false;
    return;
  }
  const double heatingOn = parameters_[2];
  const double heatingOff = heatingOn + parameters_[3];
  if (kind_ == DeviceKind::AirConditioner) {
    const double coolingOff = parameters_[0];
    const double coolingOn = coolingOff + parameters_[1];
    if (indoor_ >= coolingOn) compressor_ = true;
    if (indoor_ <= coolingOff) compressor_ = false;
  }
  if (indoor_ <= heatingOn) heater_ = true;
  if (indoor_ >= heatingOff) heater_ = false;
  if (compressor_) heater_ = false;  // never both, whatever the set points say
}

void UnitModel::Step(double seconds) {
  RunThermostat();
  const double outdoor = OutdoorTemperature();
  double rate = CabinetCoupling * (outdoor + EquipmentHeat - indoor_);
  if (compressor_) rate -= CompressorRate;
  if (heater_) rate += HeaterRate;
  if (kind_ == DeviceKind::HeatExchanger && indoor_ > outdoor) {
    rate -= ExchangerRate * ExternalFanSpeed() * (indoor_ - outdoor);
  }
  indoor_ += rate * seconds;
  now_ += seconds;
  RunThermostat();
}

void UnitModel::AdvanceTo(double seconds) {
  if (seconds <= now_) return;
  if (seconds - now_ > MaxCatchUpSeconds) now_ = seconds - MaxCatchUpSeconds;
  while (now_ + StepSeconds <= seconds) Step(StepSeconds);
  if (seconds > now_) Step(seconds - now_);
}

std::uint8_t UnitModel::StatusByte() const {
  std::uint8_t status = 0;
  if (running_) status |= 0x01;
  if (InternalFanOn()) status |= 0x02;
  if (ExternalFanSpeed() > 0.0) status |= 0x04;
  // Bit 3 is the compressor of an air conditioner and the exchanger itself of a heat exchanger.
  if (kind_ == DeviceKind::AirConditioner ? compressor_ : running_) status |= 0x08;
  if (heater_) status |= 0x10;
  return status;
}

std::uint8_t UnitModel::AlarmByte1() const {
  std::uint8_t alarms = forced_.alarmByte1;
  const long indoor = std::lround(indoor_);
  if (indoor > parameters_[4]) alarms |= 0x01;
  if (indoor < parameters_[5]) alarms |= 0x02;
  const int voltage = SupplyVoltage();
  if (voltage > OverVoltage) alarms |= 0x04;
  if (voltage < UnderVoltage) alarms |= 0x08;
  return alarms;
}

std::uint8_t UnitModel::AlarmByte2() const {
  return forced_.alarmByte2;
}

std::array<std::uint8_t, 13> UnitModel::RealTimeData() const {
  const WorkingParameters& p = parameters_;
  std::array<std::uint8_t, 13> data{};
  data[0] = EncodeTemperature(indoor_);
  data[1] = EncodeTemperature(OutdoorTemperature());
  data[2] = Byte(IndoorHumidity());
  data[3] = Byte(SupplyVoltage());
  if (kind_ == DeviceKind::AirConditioner) {
    // The console derives the cooling on and heating off points itself; the unit reports its
    // sensitivities beside the points they belong to.
    data[4] = EncodeTemperature(p[0]);
    data[5] = EncodeTemperature(p[1]);
    data[6] = EncodeTemperature(p[2]);
    data[7] = EncodeTemperature(p[3]);
  } else {
    data[4] = EncodeTemperature(p[0]);
    data[5] = EncodeTemperature(p[0] + p[1]);
    data[6] = EncodeTemperature(p[2]);
    data[7] = EncodeTemperature(p[2] + p[3]);
  }
  data[8] = EncodeTemperature(p[4]);
  data[9] = EncodeTemperature(p[5]);
  data[10] = StatusByte();
  data[11] = AlarmByte1();
  data[12] = AlarmByte2();
  return data;
}

std::array<std::uint8_t, 5> UnitModel::FactoryData() const {
  const FactoryParameters& f = factory_;
  return {EncodeTemperature(f[0]), EncodeTemperature(f[0] + f[1]), EncodeTemperature(f[2]),
          EncodeTemperature(parameters_[0] - f[3]), Byte(f[4])};
}

}  // namespace climate::unitsim
