// The feed: what each call of the main window changes in the Monitor's state.
#include "monitor/monitor_model.hpp"

#include "common/peer_text.hpp"
#include "monitor/monitor_texts.hpp"

namespace climate {

namespace {

bool Matches(std::span<const std::uint8_t> frame, std::int16_t lengthCode, std::int16_t code) {
  return frame.size() > 3 && frame[2] == static_cast<std::uint8_t>(lengthCode) &&
         frame[3] == static_cast<std::uint8_t>(code);
}

}  // namespace

bool IsRealTimeRequest(std::span<const std::uint8_t> frame, const ProtocolSettings& protocol) {
  return Matches(frame, protocol.Kt.ZhsjCd, protocol.Kt.Zhsj) ||
         Matches(frame, protocol.Rjh.ZhsjCd, protocol.Rjh.Zhsj);
}

MonitorModel::MonitorModel(const Clock& clock, std::string recordsDirectory)
    : clock_(clock), records_(std::move(recordsDirectory)) {}

void MonitorModel::OnRequestSent(std::span<const std::uint8_t> frame,
                                 const ProtocolSettings& protocol) {
  link_.OnRequestSent(clock_.MonotonicMs(), IsRealTimeRequest(frame, protocol));
  lastRequest_.assign(frame.begin(), frame.end());
  Notify(LinkChanged);
}

void MonitorModel::OnPendingCommand(CommandCode code) {
  if (code != SetPointCheck::HeatExchangerParametersCode &&
      code != SetPointCheck::AirConditionerParametersCode) {
    return;
  }
  const auto values = SetPointCheck::ValuesFromRequest(lastRequest_);
  if (!values) return;
  OnSetParametersSent(code == SetPointCheck::HeatExchangerParametersCode
                          ? DeviceKind::HeatExchanger
                          : DeviceKind::AirConditioner,
                      *values);
}

std::vector<std::string> MonitorModel::OnReply(const ReceiveOutcome& outcome,
                                               const ReceiveContext& context) {
  if (!outcome.Accepted()) return {};
  const std::int64_t now = clock_.MonotonicMs();
  link_.OnReply(now);
  if (outcome.clearMemo) link_.OnMemoClear();
  if (outcome.verdict == ReceiveVerdict::ChecksumError) {
    link_.OnChecksumError();
    Notify(LinkChanged);
    return {};
  }

  if (const auto* ac = std::get_if<AcRealTimeData>(&outcome.record)) {
    return OnRealTime(SampleFromAc(*ac, outcome.setPoints, context.now, now), context.language);
  }
  if (const auto* hx = std::get_if<HxRealTimeData>(&outcome.record)) {
    return OnRealTime(SampleFromHx(*hx, context.now, now), context.language);
  }
  if (const auto* ack = std::get_if<CommandAck>(&outcome.record)) {
    link_.OnAcknowledgement();
    OnAck(*ack, context.pendingCommand);
  } else if (std::holds_alternative<HxFactoryParameters>(outcome.record)) {
    link_.OnFactory();
  } else {
    link_.OnUnknown();
  }
  Notify(LinkChanged);
  return {};
}

std::vector<std::string> MonitorModel::OnRealTime(const RealTimeSample& sample, Language language) {
  unsigned changes = TrendChanged | LinkChanged;
  link_.OnGoodRealTime(sample.monotonicMs);
  if (silentSinceMs_) {
    RecordEvent(monitor_text::UnitAnswers, FormatDuration(sample.monotonicMs - *silentSinceMs_),
                sample.monotonicMs);
    silentSinceMs_.reset();
    changes |= AlarmsChanged;
  }
  trends_.Append(sample);
  if (alarms_.Observe(sample) > 0) changes |= AlarmsChanged;
  if (settings_.record) {
    records_.Record(sample);
    changes |= RecordsChanged;
  }
  std::vector<std::string> lines = setPoints_.OnRealTime(sample, language);
  if (!lines.empty()) {
    alarms_.RecordEvent(sample.kind, sample.time, sample.monotonicMs,
                        setPoints_.Summary(Language::Chinese),
                        setPoints_.Summary(Language::English));
    changes |= SetPointsChanged | AlarmsChanged;
  }
  Notify(changes);
  return lines;
}

void MonitorModel::OnAck(CommandAck ack, CommandCode pendingCommand) {
  setPoints_.OnAck(ack, pendingCommand);
  Notify(SetPointsChanged | LinkChanged);
}

void MonitorModel::OnSetParametersSent(DeviceKind kind, const ParameterValues& values) {
  setPoints_.OnSent(kind, values, clock_.Now());
  Notify(SetPointsChanged);
}

void MonitorModel::OnFramerCounters(const FramerCounters& counters) {
  link_.OnFramerCounters(counters);
}

void MonitorModel::OnDeviceSwitch(DeviceKind kind) {
  if (kind != kind_) alarms_.EndUnitType(kind_, clock_.Now(), clock_.MonotonicMs());
  kind_ = kind;
  Notify(AllChanged);
}

void MonitorModel::OnLinkLost(std::string_view reason) {
  if (linkLostMs_) return;
  const std::int64_t now = clock_.MonotonicMs();
  linkLostMs_ = now;
  // The reason may carry what a device server said; it is kept short and plain.
  RecordEvent(monitor_text::LinkLost, reason.empty() ? "" : ": " + EscapeForLog(reason, 120), now);
  Notify(AlarmsChanged);
}

void MonitorModel::OnLinkRestored() {
  if (!linkLostMs_) return;
  const std::int64_t now = clock_.MonotonicMs();
  RecordEvent(monitor_text::LinkBack, FormatDuration(now - *linkLostMs_), now);
  linkLostMs_.reset();
  Notify(AlarmsChanged);
}

void MonitorModel::RecordEvent(const TextPair& text, std::string_view detail, std::int64_t atMs) {
  alarms_.RecordEvent(kind_, clock_.Now(), atMs, std::string(text.chinese) + std::string(detail),
                      std::string(text.english) + std::string(detail));
}

void MonitorModel::SetPeriodic(bool periodic, int periodMs) {
  link_.SetPeriodic(periodic, periodMs, clock_.MonotonicMs());
  Notify(LinkChanged);
}

void MonitorModel::OnMemoLine(std::string_view line) {
  memoLines_.emplace_back(line);
  if (memoLines_.size() > MemoLinesKept) memoLines_.pop_front();
}

void MonitorModel::SetPortDescription(std::string text) {
  portDescription_ = std::move(text);
}

void MonitorModel::SetLineSettings(LineSettingsReport report) {
  link_.SetLineSettings(std::move(report));
  Notify(LinkChanged);
}

void MonitorModel::Tick() {
  unsigned changes = LinkChanged;
  if (records_.PendingRows() > 0) {
    records_.Flush();
    changes |= RecordsChanged;
  }
  // Active alarms and stopped spells grow longer by the second.
  if (alarms_.ActiveCount() > 0 || alarms_.AnyStateOpen()) changes |= AlarmsChanged;
  if (!silentSinceMs_ && ValuesStale()) {
    // The silence began with the last good reply; the event is noted when it is judged so.
    const std::int64_t now = clock_.MonotonicMs();
    silentSinceMs_ = now - link_.Figures(now).lastGoodReplyAgeMs.value_or(0);
    RecordEvent(monitor_text::UnitSilent, "", now);
    changes |= AlarmsChanged;
  }
  Notify(changes);
}

bool MonitorModel::ValuesStale() const {
  return link_.ValuesStale(clock_.MonotonicMs());
}

void MonitorModel::SetSettings(const MonitorSettings& settings) {
  const bool stopped = settings_.record && !settings.record;
  settings_ = settings;
  // Rows recorded while recording was on still go to the file.
  if (stopped && records_.PendingRows() > 0) records_.Flush();
  Notify(RecordsChanged | TrendChanged);
}

bool MonitorModel::AcknowledgeAlarm(std::uint64_t id) {
  const bool done = alarms_.Acknowledge(id, clock_.Now());
  if (done) Notify(AlarmsChanged);
  return done;
}

std::size_t MonitorModel::AcknowledgeAllAlarms() {
  const std::size_t count = alarms_.AcknowledgeAll(clock_.Now());
  if (count > 0) Notify(AlarmsChanged);
  return count;
}

void MonitorModel::Notify(unsigned changes) {
  if (listener_ && changes != 0) listener_(changes);
}

}  // namespace climate
