// Record to screen: memo lines, value boxes, lamps and the remote on/off caption of the
// real-time, factory and acknowledgement replies, in either language. The operator's texts sit
// in the tables below, Chinese and English side by side; the bits' texts are the bit table's.
#include "protocol/reply_views.hpp"

#include <cstddef>
#include <iterator>
#include <tuple>
#include <utility>

#include "common/text_rules.hpp"
#include "protocol/unit_bits.hpp"

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
  std::size_t box = 0;
};

// The real-time value rows in memo order; boxes 0..9 are suiEdit1..suiEdit10. Both unit types
// show their readings and set points in the same boxes.
constexpr ValueRow RealTimeValueRows[] = {
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

// The heat exchanger names the set points (rows 4 to 9) its own way.
constexpr std::size_t FirstSetPointRow = 4;
constexpr std::pair<std::string_view, std::string_view> HxSetPointNames[] = {
    {"当前外风机调速点:   ", "External Fan Adjust On Point:   "},
    {"当前外风机全速点:   ", "External Fan Full Speed Point:   "},
    {"当前加热开启点:   ", "Heater On Point:   "},
    {"当前加热停止点:   ", "Heater Off Point:   "},
    {"当前高温告警点:   ", "High Temperature Alarm Point:   "},
    {"当前低温告警点:   ", "Low Temperature Alarm Point:   "},
};

ValueRow RealTimeRow(DeviceKind kind, std::size_t index) {
  ValueRow row = RealTimeValueRows[index];
  if (kind == DeviceKind::HeatExchanger && index >= FirstSetPointRow) {
    std::tie(row.chinese, row.english) = HxSetPointNames[index - FirstSetPointRow];
  }
  return row;
}

// The factory value rows fill boxes 0..4 (suiEdit11..suiEdit15) in their order.
constexpr ValueRow FactoryValueRows[] = {
    {"当前内风机调速点:   ", "Internal Fan Adjust On Point:   ", Celsius},
    {"当前内风机全速点:   ", "Internal Fan Full Speed Point:   ", Celsius},
    {"当前内风机停止点:   ", "Internal Fan Stop Point:   ", Celsius},
    {"当前外风机停止点:   ", "External Fan Stop Point:   ", Celsius},
    {"风机最低转速:   ", "Lowest Fan Speed:   ", Percent},
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

// The lamps and memo lines of the status and alarm bits, in the bit table's order: a lamp is red
// on a fault, green otherwise. The closing line ends the reply's memo lines.
void AddStatusAndAlarms(const RealTimeReadings& data, DeviceKind kind, Language language,
                        RealTimeView& view) {
  for (const UnitBit& bit : UnitBits(kind)) {
    const bool set = bit.Value(data.StatusByte, data.AlarmByte1, data.AlarmByte2);
    view.lamps[bit.lamp] = set == bit.IsAlarm() ? LampColour::Red : LampColour::Green;
    view.memoLines.emplace_back(bit.MemoText(set, language));
  }
  // Status bit 0 is the unit's own on/off state; it decides what the remote button sends next.
  view.unitRunning = (data.StatusByte & 1u) != 0;
  view.openButtonCaption = OpenButtonCaption(view.unitRunning, language);
  view.memoLines.emplace_back(ClosingLine);
}

// A sensitivity box holds the operator's text; a derived point is shown only when it is a
// whole number, so a half-typed value never stops the reply from being shown.
std::optional<long long> WholeNumber(std::string_view text) {
  return ParseDecimal(TrimBlanks(text), PlusSign::Accepted);
}

void AddDerivedValue(const ValueRow& row, std::optional<long long> value, Language language,
                     RealTimeView& view) {
  if (value) {
    AddValue(row, *value, language, view.boxes, view.memoLines);
  } else {
    view.memoLines.push_back(ValueLine(row, language, EmptyBoxText));
    view.boxes[row.box] = std::string(EmptyBoxText);
  }
}

std::optional<long long> Plus(long long base, std::string_view sensitivity) {
  const auto addend = WholeNumber(sensitivity);
  return addend ? std::optional<long long>(base + *addend) : std::nullopt;
}

}  // namespace

std::string_view OpenButtonCaption(bool unitRunning, Language language) {
  return unitRunning ? Pick(language, "遥控关机(&L)", "Remote Off (&L)")
                     : Pick(language, "遥控开机(&O)", "Remote On (&O)");
}

std::optional<std::size_t> RealTimeValueBox(std::size_t valueIndex) {
  if (valueIndex >= std::size(RealTimeValueRows)) return std::nullopt;
  return RealTimeValueRows[valueIndex].box;
}

AcDerivedPoints DeriveAcPoints(const AcRealTimeData& data, std::string_view coolingSensitivity,
                               std::string_view heaterSensitivity) {
  return {Plus(data.CoolingOffPoint, coolingSensitivity),
          Plus(data.HeatingOnPoint, heaterSensitivity)};
}

RealTimeView RenderAcRealTime(const AcRealTimeData& data, const AcDerivedPoints& points,
                              Language language) {
  RealTimeView view;
  view.memoLines.reserve(30);
  const auto row = [](std::size_t i) { return RealTimeRow(DeviceKind::AirConditioner, i); };
  AddValue(row(0), data.IndoorTemperature, language, view.boxes, view.memoLines);
  AddValue(row(1), data.OutdoorTemperature, language, view.boxes, view.memoLines);
  AddValue(row(2), data.IndoorHumidity, language, view.boxes, view.memoLines);
  AddValue(row(3), data.SupplyVoltage, language, view.boxes, view.memoLines);
  AddValue(row(4), data.CoolingOffPoint, language, view.boxes, view.memoLines);
  AddDerivedValue(row(5), points.coolingOn, language, view);
  AddValue(row(6), data.HeatingOnPoint, language, view.boxes, view.memoLines);
  AddDerivedValue(row(7), points.heatingOff, language, view);
  AddValue(row(8), data.HighTemperatureAlarmPoint, language, view.boxes, view.memoLines);
  AddValue(row(9), data.LowTemperatureAlarmPoint, language, view.boxes, view.memoLines);
  AddStatusAndAlarms(data, DeviceKind::AirConditioner, language, view);
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
    AddValue(RealTimeRow(DeviceKind::HeatExchanger, i), values[i], language, view.boxes,
             view.memoLines);
  }
  AddStatusAndAlarms(data, DeviceKind::HeatExchanger, language, view);
  return view;
}

FactoryView RenderHxFactory(const HxFactoryParameters& data, Language language) {
  FactoryView view;
  const long long values[] = {data.InternalFanAdjustPoint, data.InternalFanFullSpeedPoint,
                              data.InternalFanStopPoint, data.ExternalFanStopPoint,
                              data.LowestFanSpeed};
  for (std::size_t i = 0; i < std::size(values); ++i) {
    ValueRow row = FactoryValueRows[i];
    row.box = i;
    AddValue(row, values[i], language, view.boxes, view.memoLines);
  }
  view.memoLines.emplace_back(ClosingLine);
  return view;
}

std::optional<std::string> RenderAck(CommandAck ack, CommandCode pendingCommand,
                                     Language language) {
  if (ack == CommandAck::Other) return std::nullopt;
  constexpr int LastRow = static_cast<int>(std::size(AckRows)) - 1;
  const int code = static_cast<int>(pendingCommand);
  const AckRow& row = AckRows[code >= 0 && code < LastRow ? code : LastRow];
  if (ack == CommandAck::Negative) {
    return std::string(Pick(language, row.failureChinese, row.failureEnglish));
  }
  return std::string(Pick(language, row.successChinese, row.successEnglish));
}

}  // namespace climate
