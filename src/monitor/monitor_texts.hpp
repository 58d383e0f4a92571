// Every text of the Monitor window and the service report, both languages side by side.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

namespace monitor_text {

// The main window's menu item that opens the Monitor.
inline constexpr TextPair MenuItem{"监视(&M)", "Monitor (&M)"};

inline constexpr TextPair WindowTitle{"监视", "Monitor"};
inline constexpr TextPair TrendsPage{"趋势", "Trends"};
inline constexpr TextPair RecordsPage{"数据记录", "Recorded data"};
inline constexpr TextPair AlarmsPage{"告警历史", "Alarm history"};
inline constexpr TextPair LinkPage{"通信状况", "Link health"};
inline constexpr TextPair ReportButton{"服务报告(&R)", "Service Report (&R)"};
inline constexpr TextPair ReportWritten{"服务报告已保存: ", "Service report saved: "};
inline constexpr TextPair ReportFailed{"服务报告无法保存: ", "Service report could not be saved: "};
inline constexpr TextPair ReportSaveCaption{"保存服务报告", "Save Service Report"};
inline constexpr TextPair SiteLabel{"站点:", "Site:"};
inline constexpr TextPair CabinetLabel{"机柜:", "Cabinet:"};
inline constexpr TextPair SitePrompt{"服务报告中的站点名称:",
                                     "Site, as the service report names it:"};
inline constexpr TextPair CabinetPrompt{"服务报告中的机柜名称:",
                                        "Cabinet, as the service report names it:"};
inline constexpr TextPair PromptOk{"确定", "OK"};
inline constexpr TextPair PromptCancel{"取消", "Cancel"};

// Trends page.
inline constexpr TextPair RangeLabel{"显示范围:", "Show:"};
inline constexpr TextPair LastTenMinutes{"最近10分钟", "Last 10 minutes"};
inline constexpr TextPair LastHour{"最近1小时", "Last hour"};
inline constexpr TextPair WholeRun{"全部", "Whole run"};
inline constexpr TextPair TemperatureAxis{"温度 (℃)", "Temperature (℃)"};
inline constexpr TextPair HumidityAxis{"湿度 (%RH)", "Humidity (%RH)"};
inline constexpr TextPair TimeAxis{"时间", "Time"};
inline constexpr TextPair NoData{"尚无实时数据", "No real-time data yet"};
inline constexpr TextPair ResetView{"复位视图", "Reset view"};
inline constexpr TextPair ViewHint{"滚轮缩放时间轴, 拖动平移, 双击复位",
                                   "Wheel zooms the time axis, drag pans, double-click resets"};

// Recorded data page.
inline constexpr TextPair RecordSwitch{"记录实时数据 (CSV)", "Record real-time data (CSV)"};
inline constexpr TextPair RecordFolder{"记录文件夹:", "Folder:"};
inline constexpr TextPair RecordFile{"当前文件:", "Current file:"};
inline constexpr TextPair RecordRows{"已写入行数:", "Rows written:"};
inline constexpr TextPair RecordPending{"待写入行数:", "Rows waiting:"};
inline constexpr TextPair RecordError{"写入错误:", "Write error:"};
inline constexpr TextPair SettingsNotSaved{"设置无法保存: ", "Setting not saved: "};
inline constexpr TextPair RowsGivenUp{"; 已放弃的行: ", "; rows given up: "};
inline constexpr TextPair None{"无", "none"};

// Alarm history page.
inline constexpr TextPair AlarmName{"告警", "Alarm"};
inline constexpr TextPair AlarmUnit{"设备", "Unit"};
inline constexpr TextPair RaisedAt{"发生时间", "Raised at"};
inline constexpr TextPair ClearedAt{"恢复时间", "Cleared at"};
inline constexpr TextPair Duration{"持续时间", "Duration"};
inline constexpr TextPair AcknowledgedAt{"确认时间", "Acknowledged at"};
inline constexpr TextPair StillActive{"未恢复", "active"};
inline constexpr TextPair AcknowledgeButton{"确认(&K)", "Acknowledge (&K)"};
inline constexpr TextPair ActiveSummary{"未恢复告警: ", "Active alarms: "};
inline constexpr TextPair StateSummary{"运行状态变化 (不计入告警): ",
                                       "State changes (not alarms): "};
inline constexpr TextPair AlarmsAndEvents{"告警和事件", "Alarms and events"};
inline constexpr TextPair StateChanges{"运行状态变化", "State changes"};
inline constexpr TextPair StateName{"状态", "State"};
inline constexpr TextPair StateFrom{"开始时间", "From"};
inline constexpr TextPair StateUntil{"结束时间", "Until"};
inline constexpr TextPair EndedByUnitSwitch{"已结束: 设备类型切换", "ended: unit type changed"};

// Events of the history.
inline constexpr TextPair LinkLost{"通信链路中断", "Link lost"};
inline constexpr TextPair LinkBack{"通信链路恢复, 中断时长 ", "Link back after "};
inline constexpr TextPair UnitSilent{"设备无应答", "Unit silent"};
inline constexpr TextPair UnitAnswers{"设备恢复应答, 无应答时长 ", "Unit answers again after "};
inline constexpr TextPair UnacknowledgedSummary{", 其中未确认: ", ", unacknowledged: "};

// Link health page.
// (The captions of the figures stand with their rows, in LinkFigureRows.)
inline constexpr TextPair ValuesState{"数值状态", "Values"};
inline constexpr TextPair ValuesLive{"实时", "live"};
inline constexpr TextPair ValuesStale{"已过期 (灰色显示)", "stale (shown grey)"};
inline constexpr TextPair Mode{"采集方式", "Collection"};
inline constexpr TextPair PeriodicMode{"定时召唤, 周期 ", "periodic, every "};
inline constexpr TextPair ManualMode{"手动召唤", "manual"};
inline constexpr TextPair NotYet{"－－", "--"};

// Service report.
inline constexpr TextPair ReportTitle{"机柜温控设备服务报告",
                                      "Cabinet Climate Unit Service Report"};
inline constexpr TextPair ReportDate{"日期时间: ", "Date and time: "};
inline constexpr TextPair ReportUnit{"设备类型: ", "Unit type: "};
inline constexpr TextPair ReportSite{"站点: ", "Site: "};
inline constexpr TextPair ReportCabinet{"机柜: ", "Cabinet: "};
inline constexpr TextPair NotGiven{"(未填写)", "(not given)"};
inline constexpr TextPair ReportPort{"串口: ", "Port: "};
inline constexpr TextPair StateChangesLatest{"最近的运行状态变化", "Latest state changes"};
inline constexpr TextPair LatestValues{"最新数据", "Latest values"};
inline constexpr TextPair LatestAt{"接收时间: ", "Received at: "};
inline constexpr TextPair LampStates{"指示灯状态", "Lamp states"};
inline constexpr TextPair LampRunning{"运行", "running"};
inline constexpr TextPair LampStopped{"停止", "stopped"};
inline constexpr TextPair LampNormal{"正常", "normal"};
inline constexpr TextPair LampAlarm{"告警", "ALARM"};
inline constexpr TextPair SetPointsSent{"最近下发的设定值", "Set points last sent"};
inline constexpr TextPair SentAt{"下发时间: ", "Sent at: "};
inline constexpr TextPair NothingSent{"本次运行未下发设定值", "No set points sent in this run"};
inline constexpr TextPair LinkHealth{"通信状况", "Link health"};
inline constexpr TextPair TrendLastHour{"最近1小时趋势", "Trend of the last hour"};
inline constexpr TextPair AlarmHistory{"告警历史", "Alarm history"};
inline constexpr TextPair NoAlarms{"无告警记录", "No alarms recorded"};
inline constexpr TextPair MemoLines{"最近的信息行", "Latest memo lines"};
inline constexpr TextPair Page{"第 %1 页", "Page %1"};

// Set point check states.
inline constexpr TextPair AwaitingAck{"等待设备应答", "waiting for the acknowledgement"};
inline constexpr TextPair AwaitingReply{"设备已应答, 等待实时数据确认",
                                        "acknowledged, waiting for real-time data"};
inline constexpr TextPair Refused{"设备拒绝 (否定应答)", "refused by the unit"};
inline constexpr TextPair Confirmed{"设备上报值一致", "confirmed by the unit"};
inline constexpr TextPair Mismatch{"设备上报值不一致!", "MISMATCH with the unit's report!"};

}  // namespace monitor_text

// The six fields of the unit type's parameter dialog, in request order.
inline TextPair ParameterFieldName(DeviceKind kind, std::size_t index) {
  static constexpr TextPair Ac[] = {
      {"制冷停止点", "Cooling off point"},
      {"制冷灵敏度", "Cooling sensitivity"},
      {"加热开启点", "Heating on point"},
      {"加热灵敏度", "Heater sensitivity"},
      {"高温告警点", "High temperature alarm point"},
      {"低温告警点", "Low temperature alarm point"},
  };
  static constexpr TextPair Hx[] = {
      {"外风机调速点", "External fan adjust point"},
      {"外风机全速点偏差", "Adjust band"},
      {"加热开启点", "Heating on point"},
      {"加热灵敏度", "Heater sensitivity"},
      {"高温告警点", "High temperature alarm point"},
      {"低温告警点", "Low temperature alarm point"},
  };
  const TextPair* table = kind == DeviceKind::HeatExchanger ? Hx : Ac;
  return table[index < std::size(Ac) ? index : std::size(Ac) - 1];
}

}  // namespace climate
