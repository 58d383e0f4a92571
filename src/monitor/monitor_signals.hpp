// The named bits of a real-time reply's status and alarm bytes and the names of its ten values,
// for both unit types. The monitor records, tracks and reports by these tables, so a CSV column,
// an alarm history row and a report line always mean the same thing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

enum class UnitScope { Both, AirConditionerOnly, HeatExchangerOnly };

// One bit of the status byte (index 0) or an alarm byte (1, 2). The status byte reports running
// or normal with a set bit, so its fault is a clear bit; the alarm bytes report a fault when set.
struct NamedBit {
  int byteIndex = 0;
  int bit = 0;
  UnitScope scope = UnitScope::Both;
  std::string_view csvColumn;    // what a 1 in the column means
  std::string_view chineseName;  // the fault, as the alarm history names it
  std::string_view englishName;
  std::string_view chineseLamp;  // the lamp, as its caption names it
  std::string_view englishLamp;

  bool FaultWhenSet() const { return byteIndex != 0; }
  bool AppliesTo(DeviceKind kind) const;
  bool Value(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const;
  bool IsFault(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const {
    return Value(status, alarm1, alarm2) == FaultWhenSet();
  }
  std::string_view Name(Language language) const {
    return Pick(language, chineseName, englishName);
  }
  std::string_view LampName(Language language) const {
    return Pick(language, chineseLamp, englishLamp);
  }
};

// Every named bit of either unit type, in byte and bit order; 19 of them apply to each type.
inline constexpr std::size_t NamedBitCount = 23;
std::span<const NamedBit, NamedBitCount> NamedBits();

// The ten values in the order the unit sends them: indoor and outdoor temperature, humidity,
// voltage, then the six set points.
inline constexpr std::size_t ValueCount = 10;

enum ValueSlot : std::size_t {
  IndoorTemperatureSlot = 0,
  OutdoorTemperatureSlot = 1,
  IndoorHumiditySlot = 2,
  SupplyVoltageSlot = 3,
  FirstSetPointSlot = 4,  // cooling off (AC) or external fan adjust (HX)
};

struct ValueName {
  std::string_view chinese;
  std::string_view english;
  std::string_view unit;  // "℃", "%RH" or "V"
  std::string_view Name(Language language) const { return Pick(language, chinese, english); }
};

const ValueName& ValueNameFor(DeviceKind kind, std::size_t slot);

// The name of the unit type in reports and tables.
std::string_view UnitTypeName(DeviceKind kind, Language language);

}  // namespace climate
