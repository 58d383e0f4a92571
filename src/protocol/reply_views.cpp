// Record to screen: memo lines, value boxes, lamps and the remote on/off caption of the
// real-time, factory and acknowledgement replies, in either language. The operator's texts sit
// in the tables below, Chinese and English side by side.
#include "protocol/reply_views.hpp"

#include <cstddef>
#include <iterator>

#include "common/text_rules.hpp"

namespace climate {

namespace {

constexpr std::string_view Celsius = " ℃";
constexpr std::string_view RelativeHumidity = " %RH";
constexpr std::string_view Volts = " V";
constexpr std::string_view Percent = " %";

// One value line: label, signed decimal, unit. box is the index into the view's boxes.
struct ValueRow {
  std::string_view chinese;
  std::string_view english;
  std::string_view unit;
  std::size_t box;
};

// One status or alarm bit, bit 0 first. lamp is the index into lamps (0 = Shape1).
struct BitRow {
  std::size_t lamp;
  std::string_view clearChinese;
  std::string_view clearEnglish;
  std::string_view setChinese;
  std::string_view setEnglish;
};

// Value rows in memo order; boxes 0..9 are suiEdit1..suiEdit10.
constexpr ValueRow AcValueRows[] = {
    {"室内温度:   ", "Indoor Temperature:   ", Celsius, 0},
    {"室外温度:   ", "Outdoor Temperature:   ", Celsius, 3},
    {"室内湿度:   ", "Indoor Humidity:   ", RelativeHumidity, 1},
    {"单相电压:   ", "Single Phase Voltage:   ", Volts, 4},
    {"当前制冷停止点:   ", "Cooling Off:   ", Celsius, 2},
    {"当前制冷开启点:   ", "Cooling On:   ", Celsius, 5},
    {"当前加热开启点:   ", "Heating On:   ", Celsius, 6},
    {"当前加热停止点:   ", "Heating Off:   ", Celsius, 8},
    {"当前高温告警点:   ", "High Temperature Alarm:   ", Celsius, 7},
    {"当前低温告警点:   ", "Low Temperature Alarm:   ", Celsius, 9},
};

constexpr ValueRow HxValueRows[] = {
    {"室内温度:   ", "Indoor Temperature:   ", Celsius, 0},
    {"室外温度:   ", "Outdoor Temperature:   ", Celsius, 3},
    {"室内湿度:   ", "Indoor Humidity:   ", RelativeHumidity, 1},
    {"单相电压:   ", "Single Phase Voltage:   ", Volts, 4},
    {"当前外风机调速点:   ", "External Fan Adjust On Point:   ", Celsius, 2},
    {"当前外风机全速点:   ", "External Fan Full Speed Point:   ", Celsius, 5},
    {"当前加热开启点:   ", "Heater On Point:   ", Celsius, 6},
    {"当前加热停止点:   ", "Heater Off Point:   ", Celsius, 8},
    {"当前高温告警点:   ", "High Temperature Alarm Point:   ", Celsius, 7},
    {"当前低温告警点:   ", "Low Temperature Alarm Point:   ", Celsius, 9},
};

// Boxes 0..4 are suiEdit11..suiEdit15.
constexpr ValueRow FactoryValueRows[] = {
    {"当前内风机调速点:   ", "Internal Fan Adjust On Point:   ", Celsius, 0},
    {"当前内风机全速点:   ", "Internal Fan Full Speed Point:   ", Celsius, 1},
    {"当前内风机停止点:   ", "Internal Fan Stop Point:   ", Celsius, 2},
    {"当前外风机停止点:   ", "External Fan Stop Point:   ", Celsius, 3},
    {"风机最低转速:   ", "Lowest Fan Speed:   ", Percent, 4},
};

// Status bits: set means running or normal.
constexpr BitRow AcStatusRows[] = {
    {0, "设备停止运行", "Device Stop", "设备运行正常", "Device Nomal"},
    {2, "室内风机停止运行", "Internal Fan Fault", "室内风机运行正常", "Internal Fan Normal"},
    {4, "室外风机停止运行", "External Fan Fault", "室外风机运行正常", "External Fan Normal"},
    {6, "压缩机停止运行", "Compressor Fault", "压缩机运行正常", "Compressor Normal"},
    {8, "电加热停止运行", "Heater Fault", "电加热运行正常", "Heater Normal"},
};

constexpr BitRow HxStatusRows[] = {
    {0, "设备停止运行", "Device Stop", "设备运行正常", "Device Running"},
    {2, "室内风机停止运行", "Internal Fan Fault", "室内风机运行正常", "Internal Fan Normal"},
    {4, "室外风机停止运行", "External Fan Fault", "室外风机运行正常", "External Fan Normal"},
    {6, "换热器停止运行", "Heat Exchanger Fault", "换热器运行正常", "Heat Exchanger Nomal"},
    {8, "电加热停止运行", "Heater Fault", "电加热运行正常", "Heater Nomal"},
};

// Alarm bits: set means alarm or fault. The trailing blank of some sensor fault texts is
// deliberate: those lines read exactly as operators have always seen them.
constexpr BitRow AcAlarm1Rows[] = {
    {1, "无高温告警", "No High Temperature Alarm", "高温告警", "High Temperature Alarm"},
    {3, "无低温告警", "No Low Temperature Alarm", "低温告警", "Low Temperature Alarm"},
    {5, "无高电压告警", "No High Pressure Alarm", "高电压告警", "High Pressure Alarm"},
    {7, "无低电压告警", "No Low Pressure Alarm", "低电压告警", "Low Pressure Alarm"},
    {9, "压缩机正常", "Compressor Nomal", "压缩机故障", "Compressor Fault"},
    {14, "室外风机正常", "External Fan Normal", "室外风机故障", "External Fan Fault"},
    {13, "电加热正常", "Heater Nomal", "电加热故障", "Heater Fault"},
    {12, "传感器正常", "Sensor Nomal", "传感器故障 ", "Sensor Fault"},
};

constexpr BitRow HxAlarm1Rows[] = {
    {1, "无高温告警", "No High Temperature Alarm", "高温告警", "High Temperature Alarm"},
    {3, "无低温告警", "No Low Temperature Alarm", "低温告警", "Low Temperature Alarm"},
    {5, "无高电压告警", "No High Pressure Alarm", "高电压告警", "High Pressure Alarm"},
    {7, "无低电压告警", "No Low Pressure Alarm", "低电压告警", "Low Pressure Alarm"},
    {9, "室内风机正常", "Internal Fan Nomal", "室内风机故障", "Internal Fan Fault"},
    {14, "室外风机正常", "External Fan Nomal", "室外风机故障", "External Fan Fault"},
    {13, "电加热正常", "Heater Nomal", "电加热故障", "Heater Fault"},
    {12, "传感器正常", "Sensor Nomal", "传感器故障 ", "Sensor Fault "},
};

constexpr BitRow AcAlarm2Rows[] = {
    {10, "远程开关机正常", "Remote On/Off Nomal", "远程开关机故障", "Remote On/Off Fault"},
    {11, "用户自定义1正常", "Custom Alarm #1 Nomal", "用户自定义1故障", "Custom Alarm #1 Fault"},
    {16, "用户自定义2正常", "Custom Alarm #2 Nomal", "用户自定义2故障", "Custom Alarm #2 Fault"},
    {15, "用户自定义3正常", "Custom Alarm #3 Nomal", "用户自定义3故障", "Custom Alarm #3 Fault"},
    {17, "系统无高压告警", "System No High Pressure Alarm", "系统高压告警",
     "System High Pressure Alarm"},
    {18, "系统无低压告警", "System No Low Pressure Alarm", "系统低压告警",
     "System Low Pressure Alarm"},
};

constexpr BitRow HxAlarm2Rows[] = {
    {10, "远程开关机正常", "Remote On/Off Nomal", "远程开关机故障", "Remote On/Off Fault"},
    {11, "用户自定义1正常", "Custom Alarm #1 Nomal", "用户自定义1故障", "Custom Alarm #1 Fault"},
    {16, "用户自定义2正常", "Custom Alarm #2 Nomal", "用户自定义2故障", "Custom Alarm #2 Fault"},
    {15, "用户自定义3正常", "Custom Alarm #3 Nomal", "用户自定义3故障", "Custom Alarm #3 Fault"},
    {17, "用户自定义4正常", "Custom Alarm #4 Nomal", "用户自定义4故障", "Custom Alarm #4 Fault"},
    {18, "用户自定义5正常", "Custom Alarm #5 Nomal", "用户自定义5故障", "Custom Alarm #5 Fault"},
};

// Acknowledgement lines by PendingCommand; the last row answers any other value.
struct AckRow {
  std::string_view failureChinese;
  std::string_view failureEnglish;
  std::string_view successChinese;
  std::string_view successEnglish;
};

constexpr AckRow AckRows[] = {
    {"热交换器参数设置命令下发失败,请重新下发!",
     "Heat exchanger parameter setting commad return error,please try again!",
     "热交换器参数设置命令下发成功!", "Heat exchanger parameter setting return success!"},
    {"机柜空调参数设置命令下发失败,请重新下发!",
     "Cabinet Air Conditioner parameter setting commad return error,please try again!",
     "机柜空调参数设置命令下发成功!", "Cabinet Air Conditioner parameter setting return success!"},
    {"开机命令下发失败,请重新下发!", "Remote on commad return error,please try again!",
     "开机命令下发成功!", "Remote on commad return success!"},
    {"关机命令下发失败,请重新下发!", "Remote off commad return error,please try again!",
     "关机命令下发成功!", "Remote off commad return success!"},
    {"室内风机停止点设置失败,请重新下发!",
     "Internal fan stop point setting commad return error,please try again!",
     "室内风机停止点设置成功!", "Internal fan stop point setting commad return success!"},
    {"热交换器厂家参数设置失败,请重新下发!",
     "Heat exchanger factory parameter setting setting commad return error,please try again!",
     "热交换器厂家参数设置成功!",
     "Heat exchanger factory parameter setting setting commad return success!"},
    {"命令下发失败,请重新下发!", "Commad return error,please try again!", "命令下发成功!",
     "Commad return success!"},
};

std::string ValueLine(const ValueRow& row, Language language, std::string_view value) {
  std::string line(Pick(language, row.chinese, row.english));
  line += value;
  line += row.unit;
  return line;
}

// Fills one value's box and memo line.
template <std::size_t BoxCount>
void AddValue(const ValueRow& row, long long value, Language language,
              std::array<std::string, BoxCount>& boxes, std::vector<std::string>& memo) {
  std::string text = std::to_string(value);
  memo.push_back(ValueLine(row, language, text));
  boxes[row.box] = std::move(text);
}

// Status bytes light green on a set bit, alarm bytes red.
enum class SetBitMeans { Good, Bad };

template <std::size_t RowCount>
void AddBits(std::uint8_t byte, const BitRow (&rows)[RowCount], SetBitMeans meaning,
             Language language, RealTimeView& view) {
  for (std::size_t bit = 0; bit < RowCount; ++bit) {
    const BitRow& row = rows[bit];
    const bool set = (byte >> bit) & 1u;
    const bool good = set == (meaning == SetBitMeans::Good);
    view.lamps[row.lamp] = good ? LampColour::Green : LampColour::Red;
    view.memoLines.emplace_back(set ? Pick(language, row.setChinese, row.setEnglish)
                                    : Pick(language, row.clearChinese, row.clearEnglish));
  }
}

template <typename Data>
void AddStatusAndAlarms(const Data& data, const BitRow (&status)[5], const BitRow (&alarm1)[8],
                        const BitRow (&alarm2)[6], Language language, RealTimeView& view) {
  AddBits(data.StatusByte, status, SetBitMeans::Good, language, view);
  // Status bit 0 is the unit's own on/off state; it decides what the remote button sends next.
  view.unitRunning = (data.StatusByte & 1u) != 0;
  view.openButtonCaption = OpenButtonCaption(view.unitRunning, language);
  AddBits(data.AlarmByte1, alarm1, SetBitMeans::Bad, language, view);
  // Bits 6 and 7 of the second alarm byte carry nothing.
  AddBits(data.AlarmByte2, alarm2, SetBitMeans::Bad, language, view);
  view.memoLines.emplace_back(ClosingLine);
}

// A sensitivity box holds the operator's text; a derived point is shown only when it is a
// whole number, so a half-typed value never stops the reply from being shown.
std::optional<long long> WholeNumber(std::string_view text) {
  return ParseDecimal(TrimBlanks(text), PlusSign::Accepted);
}

void AddDerivedValue(const ValueRow& row, long long base, std::string_view sensitivity,
                     Language language, RealTimeView& view) {
  if (const auto addend = WholeNumber(sensitivity)) {
    AddValue(row, base + *addend, language, view.boxes, view.memoLines);
  } else {
    view.memoLines.push_back(ValueLine(row, language, EmptyBoxText));
    view.boxes[row.box] = std::string(EmptyBoxText);
  }
}

}  // namespace

std::string_view OpenButtonCaption(bool unitRunning, Language language) {
  return unitRunning ? Pick(language, "遥控关机(&L)", "Remote Off (&L)")
                     : Pick(language, "遥控开机(&O)", "Remote On (&O)");
}

RealTimeView RenderAcRealTime(const AcRealTimeData& data, Language language,
                              std::string_view coolingSensitivity,
                              std::string_view heaterSensitivity) {
  RealTimeView view;
  view.memoLines.reserve(30);
  const auto& rows = AcValueRows;
  AddValue(rows[0], data.IndoorTemperature, language, view.boxes, view.memoLines);
  AddValue(rows[1], data.OutdoorTemperature, language, view.boxes, view.memoLines);
  AddValue(rows[2], data.IndoorHumidity, language, view.boxes, view.memoLines);
  AddValue(rows[3], data.SupplyVoltage, language, view.boxes, view.memoLines);
  AddValue(rows[4], data.CoolingOffPoint, language, view.boxes, view.memoLines);
  AddDerivedValue(rows[5], data.CoolingOffPoint, coolingSensitivity, language, view);
  AddValue(rows[6], data.HeatingOnPoint, language, view.boxes, view.memoLines);
  AddDerivedValue(rows[7], data.HeatingOnPoint, heaterSensitivity, language, view);
  AddValue(rows[8], data.HighTemperatureAlarmPoint, language, view.boxes, view.memoLines);
  AddValue(rows[9], data.LowTemperatureAlarmPoint, language, view.boxes, view.memoLines);
  AddStatusAndAlarms(data, AcStatusRows, AcAlarm1Rows, AcAlarm2Rows, language, view);
  return view;
}

RealTimeView RenderHxRealTime(const HxRealTimeData& data, Language language) {
  RealTimeView view;
  view.memoLines.reserve(30);
  const long long values[] = {
      data.IndoorTemperature,       data.OutdoorTemperature,     data.IndoorHumidity,
      data.SupplyVoltage,           data.ExternalFanAdjustPoint, data.ExternalFanFullSpeedPoint,
      data.HeatingOnPoint,          data.HeatingOffPoint,        data.HighTemperatureAlarmPoint,
      data.LowTemperatureAlarmPoint};
  for (std::size_t i = 0; i < std::size(values); ++i) {
    AddValue(HxValueRows[i], values[i], language, view.boxes, view.memoLines);
  }
  AddStatusAndAlarms(data, HxStatusRows, HxAlarm1Rows, HxAlarm2Rows, language, view);
  return view;
}

FactoryView RenderHxFactory(const HxFactoryParameters& data, Language language) {
  FactoryView view;
  const long long values[] = {data.InternalFanAdjustPoint, data.InternalFanFullSpeedPoint,
                              data.InternalFanStopPoint, data.ExternalFanStopPoint,
                              data.LowestFanSpeed};
  for (std::size_t i = 0; i < std::size(values); ++i) {
    AddValue(FactoryValueRows[i], values[i], language, view.boxes, view.memoLines);
  }
  view.memoLines.emplace_back(ClosingLine);
  return view;
}

std::optional<std::string> RenderAck(CommandAck ack, int pendingCommand, Language language) {
  if (ack == CommandAck::Other) return std::nullopt;
  constexpr int LastRow = static_cast<int>(std::size(AckRows)) - 1;
  const AckRow& row =
      AckRows[pendingCommand >= 0 && pendingCommand < LastRow ? pendingCommand : LastRow];
  if (ack == CommandAck::Negative) {
    return std::string(Pick(language, row.failureChinese, row.failureEnglish));
  }
  return std::string(Pick(language, row.successChinese, row.successEnglish));
}

}  // namespace climate
