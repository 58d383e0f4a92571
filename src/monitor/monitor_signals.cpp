// The monitored bits, merged from the unit tables, and the names of the values.
#include "monitor/monitor_signals.hpp"

namespace climate {

namespace {

using enum UnitScope;

NamedBit Named(const UnitBit& unit, UnitScope scope) {
  return {static_cast<int>(unit.byte), unit.bit, scope, &unit};
}

// Walks both tables side by side: a bit with the same key in both is one column; a run of bits
// that differ gives the air conditioner's run, then the heat exchanger's.
std::array<NamedBit, NamedBitCount> MergeUnitTables() {
  const auto ac = UnitBits(DeviceKind::AirConditioner);
  const auto hx = UnitBits(DeviceKind::HeatExchanger);
  std::array<NamedBit, NamedBitCount> bits{};
  std::size_t out = 0;
  for (std::size_t i = 0; i < UnitBitCount;) {
    if (ac[i].key == hx[i].key) {
      bits.at(out++) = Named(ac[i++], Both);
      continue;
    }
    std::size_t end = i;
    while (end < UnitBitCount && ac[end].key != hx[end].key) ++end;
    for (std::size_t j = i; j < end; ++j) bits.at(out++) = Named(ac[j], AirConditionerOnly);
    for (std::size_t j = i; j < end; ++j) bits.at(out++) = Named(hx[j], HeatExchangerOnly);
    i = end;
  }
  return bits;
}

constexpr std::string_view Celsius = "℃";

constexpr std::array<ValueName, ValueCount> AcValues = {{
    {"室内温度", "Indoor temperature", Celsius},
    {"室外温度", "Outdoor temperature", Celsius},
    {"室内湿度", "Indoor humidity", "%RH"},
    {"单相电压", "Supply voltage", "V"},
    {"制冷停止点", "Cooling off point", Celsius},
    {"制冷开启点", "Cooling on point", Celsius},
    {"加热开启点", "Heating on point", Celsius},
    {"加热停止点", "Heating off point", Celsius},
    {"高温告警点", "High temperature alarm point", Celsius},
    {"低温告警点", "Low temperature alarm point", Celsius},
}};

// The heat exchanger names its first two set points after its external fan.
constexpr std::array<ValueName, ValueCount> HxValues = [] {
  std::array<ValueName, ValueCount> values = AcValues;
  values[FirstSetPointSlot] = {"外风机调速点", "External fan adjust point", Celsius};
  values[FirstSetPointSlot + 1] = {"外风机全速点", "External fan full speed point", Celsius};
  return values;
}();

}  // namespace

bool NamedBit::AppliesTo(DeviceKind kind) const {
  switch (scope) {
    case Both:
      return true;
    case AirConditionerOnly:
      return kind == DeviceKind::AirConditioner;
    case HeatExchangerOnly:
      return kind == DeviceKind::HeatExchanger;
  }
  return false;
}

std::span<const NamedBit, NamedBitCount> NamedBits() {
  static const std::array<NamedBit, NamedBitCount> bits = MergeUnitTables();
  return bits;
}

const ValueName& ValueNameFor(DeviceKind kind, std::size_t slot) {
  return (kind == DeviceKind::HeatExchanger ? HxValues : AcValues).at(slot);
}

std::string_view UnitTypeName(DeviceKind kind, Language language) {
  return kind == DeviceKind::HeatExchanger ? Pick(language, "热交换器", "Heat exchanger")
                                           : Pick(language, "机柜空调", "Air conditioner");
}

}  // namespace climate
