// Set point confirmation: after the unit has acknowledged a set-parameters command, its next
// real-time reply is held against what was sent, and each compared set point gets a line saying
// whether the unit now reports it. The lines belong to the Monitor (its history and the service
// report); the memo and the log keep only what the unit answers.
//
// Only values the reply carries as they were sent are compared: the cooling off or external fan
// adjust point, the heating on point and the two alarm points. The sensitivities and the fan
// band are not in the reply; the air conditioner's cooling on and heating off points shown on
// screen are worked out by the console from its own dialog, and the heat exchanger's full speed
// and heating off points are worked out by the unit by its own rule, so neither proves anything.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/language.hpp"
#include "app/local_time.hpp"
#include "monitor/realtime_sample.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/replies.hpp"
#include "protocol/reply_views.hpp"

namespace climate {

// The six values of the parameter dialog in its field order.
using ParameterValues = std::array<int, 6>;

enum class SetPointState { None, AwaitingAck, AwaitingReply, Refused, Confirmed, Mismatch };

struct SentSetPoints {
  DeviceKind kind = DeviceKind::AirConditioner;
  ParameterValues values{};
  LocalDateTime sentAt;
};

struct SetPointComparison {
  std::size_t slot = 0;  // value slot of the reply
  int sent = 0;
  int reported = 0;
  bool Matches() const { return sent == reported; }
};

class SetPointCheck {
 public:
  // PendingCommand of a parameter dialog's request, per unit type.
  static constexpr CommandCode HeatExchangerParametersCode = CommandCode::HeatExchangerParameters;
  static constexpr CommandCode AirConditionerParametersCode = CommandCode::AirConditionerParameters;

  // The six values of a set-parameters request (13 bytes, values at 4 to 9, each sent as value
  // + 20); nothing for a frame of another shape.
  static std::optional<ParameterValues> ValuesFromRequest(std::span<const std::uint8_t> frame);

  void OnSent(DeviceKind kind, const ParameterValues& values, const LocalDateTime& at);
  // Only an acknowledgement of the parameters request of the same unit type moves the check on.
  void OnAck(CommandAck ack, CommandCode pendingCommand);
  // A real-time reply: compared when an acknowledged request waits and the unit type matches.
  // Returns the check's lines, one per compared set point.
  std::vector<std::string> OnRealTime(const RealTimeSample& sample, Language language);

  SetPointState State() const { return state_; }
  const std::optional<SentSetPoints>& LastSent() const { return sent_; }
  const std::vector<SetPointComparison>& LastComparison() const { return comparison_; }

  // The line of one comparison.
  static std::string FormatLine(DeviceKind kind, const SetPointComparison& comparison,
                                Language language);
  // The last check in one line for the history: confirmed, or which set points differ.
  std::string Summary(Language language) const;

 private:
  SetPointState state_ = SetPointState::None;
  std::optional<SentSetPoints> sent_;
  std::vector<SetPointComparison> comparison_;
};

}  // namespace climate
