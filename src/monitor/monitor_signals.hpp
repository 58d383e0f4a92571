// The bits of a real-time reply's status and alarm bytes as the Monitor tracks them, and the names
// of its ten values, for both unit types. The monitor records, tracks and reports by these tables,
// so a CSV column, an alarm history row and a report line always mean the same thing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

enum class UnitScope { Both, AirConditionerOnly, HeatExchangerOnly };

// One bit as the Monitor tracks it: a bit of the unit tables (protocol/unit_bits.hpp) with the
// unit types it applies to. Bits both types share are tracked once.
struct NamedBit {
  int byteIndex = 0;  // 0 status, 1 and 2 the alarm bytes
  int bit = 0;
  UnitScope scope = UnitScope::Both;
  const UnitBit* unit = nullptr;

  bool FaultWhenSet() const { return unit->IsAlarm(); }
  bool AppliesTo(DeviceKind kind) const;
  bool Value(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const {
    return unit->Value(status, alarm1, alarm2);
  }
  bool IsFault(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const {
    return unit->IsFault(status, alarm1, alarm2);
  }
  std::string_view CsvColumn() const { return unit->csvColumn; }
  std::string_view Name(Language language) const { return unit->Name(language); }
  std::string_view LampName(Language language) const { return unit->LampName(language); }
};

// Every bit of either unit type in record column order: byte and bit order, where the types
// differ the air conditioner's run of bits before the heat exchanger's. 19 apply to each type.
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
