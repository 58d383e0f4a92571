// Names of the monitored bits and values. The Chinese names follow the lamp captions and memo
// texts operators know; the English ones say plainly what the bit means, since some memo texts
// of the units (an over-voltage reported as "High Pressure Alarm") would mislead in a history.
#include "monitor/monitor_signals.hpp"

namespace climate {

namespace {

using enum UnitScope;

constexpr std::array<NamedBit, NamedBitCount> Bits = {{
    {0, 0, Both, "Unit running", "设备停止运行", "Unit stopped", "设备状态", "Unit"},
    {0, 1, Both, "Internal fan running", "室内风机停止运行", "Internal fan stopped", "室内风机状态",
     "Internal fan"},
    {0, 2, Both, "External fan running", "室外风机停止运行", "External fan stopped", "室外风机状态",
     "External fan"},
    {0, 3, AirConditionerOnly, "Compressor running", "压缩机停止运行", "Compressor stopped",
     "压缩机状态", "Compressor"},
    {0, 3, HeatExchangerOnly, "Heat exchanger running", "换热器停止运行", "Heat exchanger stopped",
     "换热状态", "Heat exchanger"},
    {0, 4, Both, "Heater running", "电加热停止运行", "Heater stopped", "加热状态", "Heater"},
    {1, 0, Both, "High temperature alarm", "高温告警", "High temperature alarm", "高温告警",
     "High temperature alarm"},
    {1, 1, Both, "Low temperature alarm", "低温告警", "Low temperature alarm", "低温告警",
     "Low temperature alarm"},
    {1, 2, Both, "Over voltage alarm", "高电压告警", "Over voltage alarm", "高电压告警",
     "Over voltage"},
    {1, 3, Both, "Under voltage alarm", "低电压告警", "Under voltage alarm", "低电压告警",
     "Under voltage"},
    {1, 4, AirConditionerOnly, "Compressor fault", "压缩机故障", "Compressor fault", "压缩机",
     "Compressor fault"},
    {1, 4, HeatExchangerOnly, "Internal fan fault", "室内风机故障", "Internal fan fault",
     "室内风机", "Internal fan fault"},
    {1, 5, Both, "External fan fault", "室外风机故障", "External fan fault", "室外风机",
     "External fan fault"},
    {1, 6, Both, "Heater fault", "电加热故障", "Heater fault", "电加热", "Heater fault"},
    {1, 7, Both, "Sensor fault", "传感器故障", "Sensor fault", "传感器", "Sensor fault"},
    {2, 0, Both, "Remote on/off fault", "远程开关机故障", "Remote on/off fault", "远程开关机",
     "Remote on/off"},
    {2, 1, Both, "Custom alarm 1", "用户自定义1故障", "Custom alarm #1", "用户自定义1",
     "Custom alarm #1"},
    {2, 2, Both, "Custom alarm 2", "用户自定义2故障", "Custom alarm #2", "用户自定义2",
     "Custom alarm #2"},
    {2, 3, Both, "Custom alarm 3", "用户自定义3故障", "Custom alarm #3", "用户自定义3",
     "Custom alarm #3"},
    {2, 4, AirConditionerOnly, "System high pressure alarm", "系统高压告警",
     "System high pressure alarm", "系统高压告警", "High pressure alarm"},
    {2, 5, AirConditionerOnly, "System low pressure alarm", "系统低压告警",
     "System low pressure alarm", "系统低压告警", "Low pressure alarm"},
    {2, 4, HeatExchangerOnly, "Custom alarm 4", "用户自定义4故障", "Custom alarm #4", "用户自定义4",
     "Custom alarm #4"},
    {2, 5, HeatExchangerOnly, "Custom alarm 5", "用户自定义5故障", "Custom alarm #5", "用户自定义5",
     "Custom alarm #5"},
}};

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

constexpr std::array<ValueName, ValueCount> HxValues = {{
    {"室内温度", "Indoor temperature", Celsius},
    {"室外温度", "Outdoor temperature", Celsius},
    {"室内湿度", "Indoor humidity", "%RH"},
    {"单相电压", "Supply voltage", "V"},
    {"外风机调速点", "External fan adjust point", Celsius},
    {"外风机全速点", "External fan full speed point", Celsius},
    {"加热开启点", "Heating on point", Celsius},
    {"加热停止点", "Heating off point", Celsius},
    {"高温告警点", "High temperature alarm point", Celsius},
    {"低温告警点", "Low temperature alarm point", Celsius},
}};

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

bool NamedBit::Value(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const {
  const std::uint8_t byte = byteIndex == 0 ? status : byteIndex == 1 ? alarm1 : alarm2;
  return ((byte >> bit) & 1U) != 0;
}

std::span<const NamedBit, NamedBitCount> NamedBits() {
  return Bits;
}

const ValueName& ValueNameFor(DeviceKind kind, std::size_t slot) {
  return (kind == DeviceKind::HeatExchanger ? HxValues : AcValues).at(slot);
}

std::string_view UnitTypeName(DeviceKind kind, Language language) {
  return kind == DeviceKind::HeatExchanger ? Pick(language, "热交换器", "Heat exchanger")
                                           : Pick(language, "机柜空调", "Air conditioner");
}

}  // namespace climate
