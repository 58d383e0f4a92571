// Holding the set points sent against the unit's next report, and the memo lines that say how
// it went.
#include "monitor/setpoint_check.hpp"

namespace climate {

namespace {

// Dialog field index and the reply's value slot it is compared with; the same for both types.
struct ComparedField {
  std::size_t field;
  std::size_t slot;
};
constexpr ComparedField ComparedFields[] = {{0, 4}, {2, 6}, {4, 8}, {5, 9}};

constexpr std::size_t SetParametersFrameSize = 13;
constexpr std::size_t FirstValueByte = 4;
constexpr int TemperatureOffset = 20;

CommandCode CodeFor(DeviceKind kind) {
  return kind == DeviceKind::HeatExchanger ? SetPointCheck::HeatExchangerParametersCode
                                           : SetPointCheck::AirConditionerParametersCode;
}

}  // namespace

std::optional<ParameterValues> SetPointCheck::ValuesFromRequest(
    std::span<const std::uint8_t> frame) {
  if (frame.size() != SetParametersFrameSize) return std::nullopt;
  ParameterValues values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<int>(frame[FirstValueByte + i]) - TemperatureOffset;
  }
  return values;
}

void SetPointCheck::OnSent(DeviceKind kind, const ParameterValues& values,
                           const LocalDateTime& at) {
  sent_ = SentSetPoints{kind, values, at};
  state_ = SetPointState::AwaitingAck;
  comparison_.clear();
}

void SetPointCheck::OnAck(CommandAck ack, CommandCode pendingCommand) {
  if (state_ != SetPointState::AwaitingAck || !sent_ || pendingCommand != CodeFor(sent_->kind)) {
    return;
  }
  if (ack == CommandAck::Positive) state_ = SetPointState::AwaitingReply;
  if (ack == CommandAck::Negative) state_ = SetPointState::Refused;
}

std::vector<std::string> SetPointCheck::OnRealTime(const RealTimeSample& sample,
                                                   Language language) {
  std::vector<std::string> lines;
  if (state_ != SetPointState::AwaitingReply || !sent_ || sample.kind != sent_->kind) return lines;

  comparison_.clear();
  bool allMatch = true;
  for (const ComparedField& field : ComparedFields) {
    const std::optional<int> reported = sample.values[field.slot];
    if (!reported) continue;
    const SetPointComparison comparison{field.slot, sent_->values[field.field], *reported};
    allMatch = allMatch && comparison.Matches();
    comparison_.push_back(comparison);
    lines.push_back(FormatLine(sample.kind, comparison, language));
  }
  state_ = allMatch ? SetPointState::Confirmed : SetPointState::Mismatch;
  return lines;
}

std::string SetPointCheck::Summary(Language language) const {
  if (!sent_ || comparison_.empty()) return {};
  const bool chinese = language == Language::Chinese;
  std::string text;
  for (const SetPointComparison& comparison : comparison_) {
    if (comparison.Matches()) continue;
    const ValueName& name = ValueNameFor(sent_->kind, comparison.slot);
    const std::string unit = " " + std::string(name.unit);
    text += text.empty() ? (chinese ? "设定值不一致: " : "Set point mismatch: ") : "; ";
    text += chinese ? std::string(name.chinese) + " 已下发 " + std::to_string(comparison.sent) +
                          unit + ", 设备上报 " + std::to_string(comparison.reported) + unit
                    : std::string(name.english) + " sent " + std::to_string(comparison.sent) +
                          unit + ", unit reports " + std::to_string(comparison.reported) + unit;
  }
  if (text.empty()) text = chinese ? "设定值已确认" : "Set points confirmed";
  return text;
}

std::string SetPointCheck::FormatLine(DeviceKind kind, const SetPointComparison& comparison,
                                      Language language) {
  const ValueName& name = ValueNameFor(kind, comparison.slot);
  const std::string sent = std::to_string(comparison.sent) + " " + std::string(name.unit);
  const std::string reported = std::to_string(comparison.reported) + " " + std::string(name.unit);
  std::string line;
  if (language == Language::Chinese) {
    line = "设定值确认:   " + std::string(name.chinese) + " 已下发 " + sent + ", 设备上报 " +
           reported + (comparison.Matches() ? ", 一致" : ", 不一致!");
  } else {
    line = "Setpoint check:   " + std::string(name.english) + " sent " + sent + ", unit reports " +
           reported + (comparison.Matches() ? ", confirmed" : ", MISMATCH!");
  }
  return line;
}

}  // namespace climate
