// The Monitor's state and the feed through which the main window keeps it current. The main
// window makes a handful of calls (see docs/monitor/INTEGRATION.md); the Monitor window and the
// service report only read from here. Qt-free, so all of it is testable without a display.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "app/language.hpp"
#include "app/local_time.hpp"
#include "monitor/alarm_tracker.hpp"
#include "monitor/link_statistics.hpp"
#include "monitor/monitor_settings.hpp"
#include "monitor/record_writer.hpp"
#include "monitor/setpoint_check.hpp"
#include "monitor/trend_store.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/framer.hpp"
#include "protocol/receive.hpp"

namespace climate {

// What changed, so an observer redraws only that.
enum MonitorChange : unsigned {
  TrendChanged = 1U << 0,
  AlarmsChanged = 1U << 1,
  LinkChanged = 1U << 2,
  RecordsChanged = 1U << 3,
  SetPointsChanged = 1U << 4,
  AllChanged = 0x1FU,
};

class MonitorModel {
 public:
  static constexpr std::size_t MemoLinesKept = 200;

  // recordsDirectory is the "records" folder beside the log files.
  MonitorModel(const Clock& clock, std::string recordsDirectory);

  // ---- The feed: called by the main window. ----

  // Every request written to the port. The protocol tells real-time requests apart (manual mode
  // judges staleness by them) and lets a parameters request be read back.
  void OnRequestSent(std::span<const std::uint8_t> frame, const ProtocolSettings& protocol);
  // PendingCommand after a dialog's request was written: 0 or 1 mark the last request as the
  // heat exchanger's or the air conditioner's parameters.
  void OnPendingCommand(CommandCode code);
  // Every frame the receive path processed: its outcome (the decoded record included) and the
  // context it was processed in. Returns the set point confirmation's lines when this reply
  // completed a check; they are the Monitor's (history, report), not the memo's.
  std::vector<std::string> OnReply(const ReceiveOutcome& outcome, const ReceiveContext& context);
  void OnFramerCounters(const FramerCounters& counters);
  // A switch to another unit type ends the previous type's open alarms and states.
  void OnDeviceSwitch(DeviceKind kind);
  // The port closed itself (cable pulled, connection reset), and the next open that succeeded
  // after that. Both are events of the history; a return without a loss records nothing.
  void OnLinkLost(std::string_view reason);
  void OnLinkRestored();
  void SetPeriodic(bool periodic, int periodMs);
  // Every line the memo receives, for the service report.
  void OnMemoLine(std::string_view line);
  // "COM1 (/dev/ttyS0) 9600,n,8,1" or whatever the main window shows about its port.
  void SetPortDescription(std::string text);
  // What the port reports about its line settings (a device server's answers).
  void SetLineSettings(LineSettingsReport report);
  // Once a second: retries records that could not be written, refreshes the link figures, and
  // notes in the history when the unit has gone silent.
  void Tick();
  // Whether the main window's value boxes should stop looking live.
  bool ValuesStale() const;

  // ---- Finer pieces of the feed, for callers that hold decoded records. ----
  std::vector<std::string> OnRealTime(const RealTimeSample& sample, Language language);
  void OnAck(CommandAck ack, CommandCode pendingCommand);
  void OnSetParametersSent(DeviceKind kind, const ParameterValues& values);

  // ---- Operator actions from the Monitor window. ----
  void SetSettings(const MonitorSettings& settings);
  bool AcknowledgeAlarm(std::uint64_t id);
  std::size_t AcknowledgeAllAlarms();

  // ---- Reading. ----
  const MonitorSettings& Settings() const { return settings_; }
  bool Recording() const { return settings_.record; }
  const TrendStore& Trends() const { return trends_; }
  const AlarmTracker& Alarms() const { return alarms_; }
  LinkFigures Link() const { return link_.Figures(clock_.MonotonicMs()); }
  const ReceiveCounters& Received() const { return link_.Received(); }
  const LinkStatistics& LinkState() const { return link_; }
  const RecordWriter& Records() const { return records_; }
  const SetPointCheck& SetPoints() const { return setPoints_; }
  const std::deque<std::string>& MemoLines() const { return memoLines_; }
  DeviceKind Kind() const { return kind_; }
  const std::string& PortDescription() const { return portDescription_; }
  const Clock& GetClock() const { return clock_; }

  // One observer (the Monitor window); it is told what changed after each feed call.
  void SetListener(std::function<void(unsigned changes)> listener) {
    listener_ = std::move(listener);
  }

 private:
  void Notify(unsigned changes);
  void RecordEvent(const TextPair& text, std::string_view detail, std::int64_t atMs);

  // Since when the link has been lost or the unit silent; none while all is well.
  std::optional<std::int64_t> linkLostMs_;
  std::optional<std::int64_t> silentSinceMs_;
  const Clock& clock_;
  MonitorSettings settings_;
  TrendStore trends_;
  AlarmTracker alarms_;
  LinkStatistics link_;
  RecordWriter records_;
  SetPointCheck setPoints_;
  std::deque<std::string> memoLines_;
  std::vector<std::uint8_t> lastRequest_;
  DeviceKind kind_ = DeviceKind::AirConditioner;
  std::string portDescription_;
  std::function<void(unsigned)> listener_;
};

// Whether a request frame is the real-time data request of either unit type.
bool IsRealTimeRequest(std::span<const std::uint8_t> frame, const ProtocolSettings& protocol);

}  // namespace climate
