// The fleet view's texts, Chinese and English side by side.
#pragma once

#include "app/language.hpp"

namespace climate::fleet_text {

// The main window's menu item that opens the fleet view.
inline constexpr TextPair MenuItem{"机柜总览(&F)", "Fleet (&F)"};
inline constexpr TextPair WindowTitle{"机柜总览", "Fleet"};
inline constexpr TextPair FilterPlaceholder{"筛选: 站点、机柜、状态或告警",
                                            "Filter: site, unit, state or alarm"};

inline constexpr TextPair Columns[] = {
    {"站点", "Site"},
    {"机柜", "Unit"},
    {"类型", "Kind"},
    {"状态", "State"},
    {"最严重告警", "Worst alarm"},
    {"室内温度(℃)", "Indoor (℃)"},
    {"室内湿度(%RH)", "Humidity (%RH)"},
    {"电压(V)", "Voltage (V)"},
    {"读数时间", "Age"},
};

inline constexpr TextPair AirConditioner{"空调", "Air conditioner"};
inline constexpr TextPair HeatExchanger{"热交换器", "Heat exchanger"};
inline constexpr TextPair NoAlarm{"无告警", "No alarm"};

// A row's state, in the order of RowState (worst first), as the State column shows it...
inline constexpr TextPair RowStates[] = {
    {"代理离线", "Agent offline"}, {"服务器不可达", "Broker unreachable"},
    {"串口断开", "Line down"},     {"机组无应答", "Unit not answering"},
    {"告警", "In alarm"},          {"正常", "Normal"},
};
// ...and as the status line counts it; %1 is the number.
inline constexpr TextPair RowStateCounts[] = {
    {"代理离线 %1", "%1 agent offline"}, {"服务器不可达 %1", "%1 broker unreachable"},
    {"串口断开 %1", "%1 line down"},     {"无应答 %1", "%1 not answering"},
    {"告警 %1", "%1 in alarm"},          {"正常 %1", "%1 normal"},
};

// The age of a reading: "45 s", "12 min", "3 h 5 min", "2 d".
inline constexpr TextPair Seconds{" 秒", " s"};
inline constexpr TextPair Minutes{" 分钟", " min"};
inline constexpr TextPair Hours{" 小时", " h"};
inline constexpr TextPair Days{" 天", " d"};

inline constexpr TextPair Connecting{"正在连接 ", "Connecting to "};
inline constexpr TextPair Connected{"已连接 ", "Connected to "};
inline constexpr TextPair NotConnected{"未连接 ", "Not connected to "};
// After the broker's answer to a subscription, with the topic behind it.
inline constexpr TextPair SubscriptionRefused{"订阅被拒绝: ", "subscription refused: "};
inline constexpr TextPair InvalidPrefix{
    "Fleet/Prefix 无效, 未订阅 (须为非空且不含 '/'、'+'、'#'): ",
    "Fleet/Prefix is not usable, nothing subscribed (it must be "
    "a non-empty name without '/', '+' or '#'): "};
inline constexpr TextPair CabinetCount{"共 %1 台机柜", "%1 cabinets"};
inline constexpr TextPair FilterShows{"筛选显示 %1 台", "the filter shows %1"};
inline constexpr TextPair CapReached{
    "已达机柜上限 %1, 拒绝 %2 条新机柜消息",
    "cabinet limit %1 reached: %2 messages of new cabinets refused"};
inline constexpr TextPair Rejected{"已拒绝 %1 条消息; 最近: ", "rejected %1 messages; last: "};
inline constexpr TextPair Dropped{"%1 条消息因来不及处理被丢弃",
                                  "%1 messages dropped: they came faster than the view could read"};

// Why a message was refused. Whole-message faults read alone; the others follow a field name.
inline constexpr TextPair TheMessage{"消息", "the message"};
inline constexpr TextPair LargerThan{"消息大于 ", "larger than "};
inline constexpr TextPair DeeperThan{"消息嵌套超过 ", "nested deeper than "};
inline constexpr TextPair Bytes{" 字节", " bytes"};
inline constexpr TextPair Levels{" 层", " levels"};
inline constexpr TextPair NotJson{"不是 JSON", "not JSON"};
inline constexpr TextPair NameTooLong{"长于 ", "is longer than "};
// In the order of FleetFault.
inline constexpr TextPair FaultTexts[] = {
    {"过大", "is too large"},
    {"嵌套过深", "is nested too deeply"},
    {"不是 JSON", "is not JSON"},
    {"缺失", "is missing"},
    {"不是对象", "is not an object"},
    {"不是数组", "is not an array"},
    {"不是字符串", "is not a string"},
    {"不是 true 或 false", "is not true or false"},
    {"不是整数", "is not a whole number"},
    {"超出范围", "is out of range"},
    {"不是 airConditioner 或 heatExchanger", "is not airConditioner or heatExchanger"},
    {"不是 UTC 时间 (如 2026-12-09T09:39:33.168Z)",
     "is not a UTC time like 2026-12-09T09:39:33.168Z"},
    {"不是 true 或 false", "is neither true nor false"},
    {"过长", "is too long"},
};

}  // namespace climate::fleet_text
