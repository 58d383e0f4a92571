// The texts of a cabinet's detail window, Chinese and English side by side.
#pragma once

#include "app/language.hpp"

namespace climate::fleet_detail_text {

inline constexpr TextPair WindowTitle{"机柜详情 - %1", "Cabinet detail - %1"};
inline constexpr TextPair Columns[] = {{"名称", "Name"}, {"值", "Value"}, {"键", "Key"}};
inline constexpr TextPair NotListed{"此机柜已不在总览中", "This cabinet is no longer listed"};
inline constexpr TextPair NoState{"尚未收到状态消息", "No state message yet"};
inline constexpr TextPair NoReading{"机组尚未应答, 无读数",
                                    "The unit has not answered yet: no readings"};

// Sections, in the order shown.
inline constexpr TextPair Agent{"代理", "Agent"};
inline constexpr TextPair Values{"数值", "Values"};
inline constexpr TextPair Status{"运行状态", "Status"};
inline constexpr TextPair Alarms{"告警位", "Alarm bits"};
inline constexpr TextPair ActiveAlarms{"当前告警", "Active alarms"};
inline constexpr TextPair Link{"线路统计", "Line and link"};
inline constexpr TextPair Results{"最近命令结果", "Last command results"};

// Agent rows.
inline constexpr TextPair Online{"代理在线", "Agent online"};
inline constexpr TextPair Yes{"是", "yes"};
inline constexpr TextPair No{"否", "no"};
inline constexpr TextPair Unknown{"未知", "unknown"};
inline constexpr TextPair MessageTime{"消息时间", "Message time"};
inline constexpr TextPair ReadingTime{"最近读数时间", "Last reading"};
inline constexpr TextPair PollPeriod{"轮询周期", "Poll period"};
inline constexpr TextPair NotPublished{"未发布", "not published"};
inline constexpr TextPair PortOpen{"串口打开", "Port open"};
inline constexpr TextPair Kind{"类型", "Kind"};

// An active alarm's time, and when the view was not listening when it was raised.
inline constexpr TextPair ActiveSince{"自 %1 起", "since %1"};
inline constexpr TextPair NoActiveAlarm{"无告警", "No alarm"};
inline constexpr TextPair NoResult{"尚无命令结果", "No command result yet"};
inline constexpr TextPair ResultOk{"成功", "ok"};
inline constexpr TextPair ResultFailed{"失败", "failed"};
inline constexpr TextPair NoId{"(无 id)", "(no id)"};

}  // namespace climate::fleet_detail_text
