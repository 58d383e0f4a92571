// The fleet view's texts, Chinese and English side by side.
#pragma once

#include "app/language.hpp"

namespace climate::fleet_text {

// The main window's menu item that opens the fleet view.
inline constexpr TextPair MenuItem{"机柜总览(&F)", "Fleet (&F)"};
inline constexpr TextPair WindowTitle{"机柜总览", "Fleet"};
inline constexpr TextPair FilterPlaceholder{"筛选: 站点、机柜或告警",
                                            "Filter: site, unit or alarm"};

inline constexpr TextPair Columns[] = {
    {"站点", "Site"},
    {"机柜", "Unit"},
    {"类型", "Kind"},
    {"在线", "Online"},
    {"最严重告警", "Worst alarm"},
    {"室内温度(℃)", "Indoor (℃)"},
    {"室内湿度(%RH)", "Humidity (%RH)"},
    {"电压(V)", "Voltage (V)"},
    {"更新", "Age"},
};

inline constexpr TextPair AirConditioner{"空调", "Air conditioner"};
inline constexpr TextPair HeatExchanger{"热交换器", "Heat exchanger"};
inline constexpr TextPair Online{"在线", "Online"};
inline constexpr TextPair Offline{"离线", "Offline"};
inline constexpr TextPair NoAlarm{"无告警", "No alarm"};
inline constexpr TextPair Unreadable{"状态无法解析", "Unreadable state"};
// "12 s" ago; the number goes in front.
inline constexpr TextPair Seconds{" 秒", " s"};

inline constexpr TextPair Connecting{"正在连接 ", "Connecting to "};
inline constexpr TextPair Connected{"已连接 ", "Connected to "};
inline constexpr TextPair NotConnected{"未连接 ", "Not connected to "};
// After the broker's answer to a subscription, with the topic behind it.
inline constexpr TextPair SubscriptionRefused{"订阅被拒绝: ", "subscription refused: "};
inline constexpr TextPair CabinetCount{" 台机柜", " cabinets"};
inline constexpr TextPair AlarmCount{" 台告警", " in alarm"};

}  // namespace climate::fleet_text
