// Every caption of the main window in both languages, side by side so each pair reads at a
// glance. Blanks inside the texts are deliberate: they are what operators have always seen.
#include "console/ui_texts.hpp"

#include <array>

namespace climate {

namespace {

constexpr std::array<ControlText, 46> LanguageTable = {{
    {"Label1", {"选择串口", "Serial Port"}},
    {"Label25", {"室内温度", "Indoor Temperature"}},
    {"Label28", {"室外温度", "Outdoor Temperature"}},
    {"Label26", {"室内湿度", "Indoor Humidity"}},
    {"Label29", {"单相电压", "Voltage"}},
    {"Label31", {"当前加热开启点", "Heater On"}},
    {"Label32", {"当前高温告警点", "High Temperature Alarm"}},
    {"Label34", {"当前低温告警点", "Low Temperature Alarm"}},
    {"GroupBoxCjSet", {"厂家参数", "Factory Setting"}},
    {"Label47", {"内风机调速点", "External Fan Min Speed T"}},
    {"Label45", {"内风机全速点", "External Fan Max Speed T"}},
    {"Label49", {"内风机停止点", "Internal Fan Stop Point"}},
    {"Label51", {"外风机停止点", "External Fan Stop Point"}},
    {"Label53", {"风机最低转速", "Lowest Fan Speed"}},
    {"RadioGroupType", {"系统类别", "Unit Selection"}},
    {"suiCheckBoxTimer", {"手动召唤数据", "Periodical Report"}},
    {"LabelTime", {"毫秒", "ms"}},
    {"Label22", {"正常/运行", "Normal/On"}},
    {"Label21", {"故障/停止", "Fault/Off"}},
    {"GroupBox2", {"系统状态", "System Status"}},
    {"Label2", {"设备状态", "Unit Status"}},
    {"Label3", {"室内风机状态", "Internal Fan"}},
    {"Label4", {"室外风机状态", "External Fan"}},
    {"Label6", {"加热状态", "Heater"}},
    {"GroupBox3", {"告警状态", "Alarm Output"}},
    {"Label7", {"高温告警", "High Temperature Alarm"}},
    {"Label8", {"低温告警", "Low Temperature Alarm"}},
    {"Label9", {"高电压告警", "Over Voltage "}},
    {"Label10", {"低电压告警", "Under Voltage "}},
    {"Label11", {"室内风机", "Internal Fan Fault"}},
    {"Label12", {"室外风机", "External Fan Fault"}},
    {"Label13", {"电加热", "Heater Fault"}},
    {"Label14", {"传感器", "Sensor Fault"}},
    {"Label19", {"远程开关机", "Remote On/Off"}},
    {"Label18", {"用户自定义1", "Custom  Alarm #1"}},
    {"Label15", {"用户自定义2", "Custom  Alarm #2"}},
    {"Label16", {"用户自定义3", "Custom  Alarm #3"}},
    {"suiButtonComSet", {"串口设置(&E)", "Serial Port Settings (&E)"}},
    {"suiButtonCjSet", {"获取厂家设定(&G)", "Get Factory Settings (&G)"}},
    {"Clear", {"清除(&E)", "Clear (&E)"}},
    {"Log", {"记录(&L)", "Log (&L)"}},
    {"Stop", {"停止记录(&S)", "Stop Log (&S)"}},
    {"About", {"关于(&A)", "About (&A)"}},
    {"NAbout", {"关于(&A)", "About (&A)"}},
    {"Language", {"English (&L)", "中文(&L)"}},
    {"Help", {"帮助(&H)", "Help (&H)"}},
}};

constexpr std::array<UnitTypeText, 9> UnitTypeTable = {{
    {"Label27",
     {"当前制冷停止点", "Cooling Off"},
     {"当前外风机调速点", "External Fan Min Speed T"}},
    {"Label30", {"当前制冷开启点", "Cooling On"}, {"当前外风机全速点", "External Fan Max Speed T"}},
    {"Label33", {"当前加热停止点", "Heater Off"}, {"当前加热停止点", "Heater Off"}},
    {"Label5", {"压缩机状态", "Compressor"}, {"换热状态", "Exchanger"}},
    {"Label17", {"系统高压告警", "High Pressure Alarm"}, {"用户自定义4", "Custom Alarm #4"}},
    {"Label20", {"系统低压告警", "Low Pressure Alarm"}, {"用户自定义5", "Custom Alarm #5"}},
    {"suiButtonStop",
     {"室内风机停止点(&T)", "Internal Fan Stop (&T)"},
     {"厂家设定参数(&J)", "Factory Settings (&J)"}},
    {"suiButtonSearch",
     {"空调状态召唤(&W)", "Real-Time Data Report (&W)"},
     {"热交换器状态召唤(&W)", "Status Report (&W)"}},
    {"suiButtonSet",
     {"空调器参数设置(&S)", "Air Conditioner Settings (&S)"},
     {"热交换器参数设置(&S)", "Setpoints (&S)"}},
}};

// What the window shows before its show handler has switched the language: the English captions
// of the air conditioner, and the menu items as designed.
constexpr std::array<ControlText, 17> DesignTable = {{
    {"Label27", {"Cooling Off", "Cooling Off"}},
    {"Label30", {"Cooling On", "Cooling On"}},
    {"Label33", {"Heater Off", "Heater Off"}},
    {"Label5", {"Compressor", "Compressor"}},
    {"Label17", {"High Pressure Alarm", "High Pressure Alarm"}},
    {"Label20", {"Low Pressure Alarm", "Low Pressure Alarm"}},
    {"suiButtonStop", {"Internal Fan Stop (&T)", "Internal Fan Stop (&T)"}},
    {"suiButtonSearch", {"Real-Time Data Report (&W)", "Real-Time Data Report (&W)"}},
    {"suiButtonSet", {"Air Conditioner Settings (&S)", "Air Conditioner Settings (&S)"}},
    {"suiButtonOpen", {"Remote Off (&O)", "Remote Off (&O)"}},
    {"Clear", {"Clear (&E)", "Clear (&E)"}},
    {"Log", {"Log (&L)", "Log (&L)"}},
    {"Stop", {"Stop Log (&S)", "Stop Log (&S)"}},
    {"About", {"About (&A)", "About (&A)"}},
    {"NAbout", {"关于(&A)", "关于(&A)"}},
    {"Language", {"中文(&L)", "中文(&L)"}},
    {"Help", {"Help (&H)", "Help (&H)"}},
}};

std::string Blanks(std::size_t count) {
  return std::string(count, ' ');
}

}  // namespace

std::span<const ControlText> LanguageSwitchTexts() {
  return LanguageTable;
}
std::span<const UnitTypeText> UnitTypeTexts() {
  return UnitTypeTable;
}
std::span<const ControlText> DesignTexts() {
  return DesignTable;
}

std::string WindowTitle(DeviceKind kind, Language language) {
  const bool hx = kind == DeviceKind::HeatExchanger;
  if (language == Language::Chinese) return "Korvane LCD" + Blanks(hx ? 17 : 13);
  return hx ? "Heat Exchanger Background Control System"
            : "Cabinet Air Conditioner Background Control System";
}

std::string AboutCaption(DeviceKind kind, Language language) {
  const bool hx = kind == DeviceKind::HeatExchanger;
  if (language == Language::Chinese) return Blanks(hx ? 26 : 22) + "(REV 101)";
  return hx ? "Heat Exchanger Background Control System(REV 101)"
            : "Cabinet Air Conditioner Background Control System(REV 101)";
}

std::string PasswordDialogCaption(DeviceKind kind, Language language) {
  if (language == Language::Chinese) return "Korvane LCD" + Blanks(17);
  return kind == DeviceKind::HeatExchanger ? "Heat Exchanger Background Control System"
                                           : "Cabinet Air Conditioner Background Control System";
}

}  // namespace climate
