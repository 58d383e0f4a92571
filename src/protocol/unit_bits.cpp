// The bit tables of both unit types. The memo texts are the operator's, typos included: they read
// exactly as the main window writes them. The keys say plainly what a bit means, since some memo
// texts (an over-voltage reported as "High Pressure Alarm") would mislead a machine reader.
#include "protocol/unit_bits.hpp"

#include <array>

namespace climate {

namespace {

using enum BitByte;

constexpr std::array<UnitBit, UnitBitCount> AcBits = {{
    {Status, 0, "running", 0, "设备停止运行", "Device Stop", "设备运行正常", "Device Nomal",
     "Unit running", "设备停止运行", "Unit stopped", "设备状态", "Unit"},
    {Status, 1, "internalFanRunning", 2, "室内风机停止运行", "Internal Fan Fault",
     "室内风机运行正常", "Internal Fan Normal", "Internal fan running", "室内风机停止运行",
     "Internal fan stopped", "室内风机状态", "Internal fan"},
    {Status, 2, "externalFanRunning", 4, "室外风机停止运行", "External Fan Fault",
     "室外风机运行正常", "External Fan Normal", "External fan running", "室外风机停止运行",
     "External fan stopped", "室外风机状态", "External fan"},
    {Status, 3, "compressorRunning", 6, "压缩机停止运行", "Compressor Fault", "压缩机运行正常",
     "Compressor Normal", "Compressor running", "压缩机停止运行", "Compressor stopped",
     "压缩机状态", "Compressor"},
    {Status, 4, "heaterRunning", 8, "电加热停止运行", "Heater Fault", "电加热运行正常",
     "Heater Normal", "Heater running", "电加热停止运行", "Heater stopped", "加热状态", "Heater"},
    {Alarm1, 0, "highTemperatureAlarm", 1, "无高温告警", "No High Temperature Alarm", "高温告警",
     "High Temperature Alarm", "High temperature alarm", "高温告警", "High temperature alarm",
     "高温告警", "High temperature alarm"},
    {Alarm1, 1, "lowTemperatureAlarm", 3, "无低温告警", "No Low Temperature Alarm", "低温告警",
     "Low Temperature Alarm", "Low temperature alarm", "低温告警", "Low temperature alarm",
     "低温告警", "Low temperature alarm"},
    {Alarm1, 2, "overVoltageAlarm", 5, "无高电压告警", "No High Pressure Alarm", "高电压告警",
     "High Pressure Alarm", "Over voltage alarm", "高电压告警", "Over voltage alarm", "高电压告警",
     "Over voltage"},
    {Alarm1, 3, "underVoltageAlarm", 7, "无低电压告警", "No Low Pressure Alarm", "低电压告警",
     "Low Pressure Alarm", "Under voltage alarm", "低电压告警", "Under voltage alarm", "低电压告警",
     "Under voltage"},
    {Alarm1, 4, "compressorFault", 9, "压缩机正常", "Compressor Nomal", "压缩机故障",
     "Compressor Fault", "Compressor fault", "压缩机故障", "Compressor fault", "压缩机",
     "Compressor fault"},
    {Alarm1, 5, "externalFanFault", 14, "室外风机正常", "External Fan Normal", "室外风机故障",
     "External Fan Fault", "External fan fault", "室外风机故障", "External fan fault", "室外风机",
     "External fan fault"},
    {Alarm1, 6, "heaterFault", 13, "电加热正常", "Heater Nomal", "电加热故障", "Heater Fault",
     "Heater fault", "电加热故障", "Heater fault", "电加热", "Heater fault"},
    {Alarm1, 7, "sensorFault", 12, "传感器正常", "Sensor Nomal", "传感器故障 ", "Sensor Fault",
     "Sensor fault", "传感器故障", "Sensor fault", "传感器", "Sensor fault"},
    {Alarm2, 0, "remoteOnOffFault", 10, "远程开关机正常", "Remote On/Off Nomal", "远程开关机故障",
     "Remote On/Off Fault", "Remote on/off fault", "远程开关机故障", "Remote on/off fault",
     "远程开关机", "Remote on/off"},
    {Alarm2, 1, "customAlarm1", 11, "用户自定义1正常", "Custom Alarm #1 Nomal", "用户自定义1故障",
     "Custom Alarm #1 Fault", "Custom alarm 1", "用户自定义1故障", "Custom alarm #1", "用户自定义1",
     "Custom alarm #1"},
    {Alarm2, 2, "customAlarm2", 16, "用户自定义2正常", "Custom Alarm #2 Nomal", "用户自定义2故障",
     "Custom Alarm #2 Fault", "Custom alarm 2", "用户自定义2故障", "Custom alarm #2", "用户自定义2",
     "Custom alarm #2"},
    {Alarm2, 3, "customAlarm3", 15, "用户自定义3正常", "Custom Alarm #3 Nomal", "用户自定义3故障",
     "Custom Alarm #3 Fault", "Custom alarm 3", "用户自定义3故障", "Custom alarm #3", "用户自定义3",
     "Custom alarm #3"},
    {Alarm2, 4, "systemHighPressureAlarm", 17, "系统无高压告警", "System No High Pressure Alarm",
     "系统高压告警", "System High Pressure Alarm", "System high pressure alarm", "系统高压告警",
     "System high pressure alarm", "系统高压告警", "High pressure alarm"},
    {Alarm2, 5, "systemLowPressureAlarm", 18, "系统无低压告警", "System No Low Pressure Alarm",
     "系统低压告警", "System Low Pressure Alarm", "System low pressure alarm", "系统低压告警",
     "System low pressure alarm", "系统低压告警", "Low pressure alarm"},
}};

// The heat exchanger reports the same bits as the air conditioner but for these: its own
// devices, and memo texts spelt its own way.
constexpr UnitBit HxOwnBits[] = {
    {Status, 0, "running", 0, "设备停止运行", "Device Stop", "设备运行正常", "Device Running",
     "Unit running", "设备停止运行", "Unit stopped", "设备状态", "Unit"},
    {Status, 3, "heatExchangerRunning", 6, "换热器停止运行", "Heat Exchanger Fault",
     "换热器运行正常", "Heat Exchanger Nomal", "Heat exchanger running", "换热器停止运行",
     "Heat exchanger stopped", "换热状态", "Heat exchanger"},
    {Status, 4, "heaterRunning", 8, "电加热停止运行", "Heater Fault", "电加热运行正常",
     "Heater Nomal", "Heater running", "电加热停止运行", "Heater stopped", "加热状态", "Heater"},
    {Alarm1, 4, "internalFanFault", 9, "室内风机正常", "Internal Fan Nomal", "室内风机故障",
     "Internal Fan Fault", "Internal fan fault", "室内风机故障", "Internal fan fault", "室内风机",
     "Internal fan fault"},
    {Alarm1, 5, "externalFanFault", 14, "室外风机正常", "External Fan Nomal", "室外风机故障",
     "External Fan Fault", "External fan fault", "室外风机故障", "External fan fault", "室外风机",
     "External fan fault"},
    {Alarm1, 7, "sensorFault", 12, "传感器正常", "Sensor Nomal", "传感器故障 ", "Sensor Fault ",
     "Sensor fault", "传感器故障", "Sensor fault", "传感器", "Sensor fault"},
    {Alarm2, 4, "customAlarm4", 17, "用户自定义4正常", "Custom Alarm #4 Nomal", "用户自定义4故障",
     "Custom Alarm #4 Fault", "Custom alarm 4", "用户自定义4故障", "Custom alarm #4", "用户自定义4",
     "Custom alarm #4"},
    {Alarm2, 5, "customAlarm5", 18, "用户自定义5正常", "Custom Alarm #5 Nomal", "用户自定义5故障",
     "Custom Alarm #5 Fault", "Custom alarm 5", "用户自定义5故障", "Custom alarm #5", "用户自定义5",
     "Custom alarm #5"},
};

constexpr std::array<UnitBit, UnitBitCount> HxBits = [] {
  std::array<UnitBit, UnitBitCount> bits = AcBits;
  for (const UnitBit& own : HxOwnBits) {
    for (UnitBit& bit : bits) {
      if (bit.byte == own.byte && bit.bit == own.bit) bit = own;
    }
  }
  return bits;
}();

}  // namespace

bool UnitBit::Value(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const {
  const std::uint8_t bytes[] = {status, alarm1, alarm2};
  return ((bytes[static_cast<int>(byte)] >> bit) & 1u) != 0;
}

std::span<const UnitBit, UnitBitCount> UnitBits(DeviceKind kind) {
  return kind == DeviceKind::HeatExchanger ? std::span<const UnitBit, UnitBitCount>(HxBits)
                                           : std::span<const UnitBit, UnitBitCount>(AcBits);
}

const UnitBit* FindUnitBit(DeviceKind kind, std::string_view key) {
  for (const UnitBit& bit : UnitBits(kind)) {
    if (bit.key == key) return &bit;
  }
  return nullptr;
}

}  // namespace climate
