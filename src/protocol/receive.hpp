// What happens to one received frame: the reception line, the memo limit, classification,
// checksum check, decoding and the log step, as a plain operation the window applies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "app/language.hpp"
#include "app/local_time.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/reply_views.hpp"

namespace climate {

enum class ReplyKind { AcRealTime, HxRealTime, HxFactory, Acknowledgement, Unknown };

// At least 6 bytes, n - 6 equal to the low nibble or the whole of byte 2, last byte 13.
bool IsPlausibleFrame(std::span<const std::uint8_t> block);
ReplyKind ClassifyReply(std::span<const std::uint8_t> block, const ProtocolSettings& protocol,
                        DeviceKind kind);
// The sum of bytes 2 to n - 4, negated as a 16-bit value, against the received low and high byte.
bool VerifyReplyChecksum(std::span<const std::uint8_t> block);
// Whether a frame holds every byte the decoder of its kind reads (19 for real-time data, 11 for
// factory parameters, 7 for an acknowledgement). Odd configured length codes can admit shorter
// frames of a recognised kind; those are shown as unknown messages.
bool IsLongEnoughFor(ReplyKind kind, std::size_t size);
// A frame the receive path can fully use: recognised for the selected kind, long enough for its
// decoder and with a matching checksum (acknowledgements included, although their checksum is
// never held against them when they are shown). The framer prefers such a frame to a false start.
bool IsUsableReply(std::span<const std::uint8_t> frame, const ProtocolSettings& protocol,
                   DeviceKind kind);

struct ReceiveContext {
  const ProtocolSettings* protocol = nullptr;  // without settings nothing is recognised
  DeviceKind kind = DeviceKind::AirConditioner;
  Language language = Language::English;
  bool isShow = false;    // Debug/IsShow: echo the frame in hexadecimal
  int maxLine = 300;      // memo line limit
  int memoLineCount = 0;  // lines in the memo before this frame
  CommandCode pendingCommand = CommandCode::HeatExchangerParameters;
  std::string coolingSensitivity = "10";
  std::string heaterSensitivity = "10";
  LocalDateTime now;
};

// What became of a frame.
enum class ReceiveVerdict {
  Shown,          // decoded (or named unknown) and shown; the log step runs
  Implausible,    // not a frame at all: nothing is shown or logged
  ChecksumError,  // a damaged reply: only its error line is shown, and the log step waits
};

// "shown", "implausible", "checksum error": for counters, traces and test messages.
std::string_view VerdictText(ReceiveVerdict verdict);

// The record a frame decoded to; empty for an unknown message or a damaged reply.
using ReplyRecord =
    std::variant<std::monostate, AcRealTimeData, HxRealTimeData, HxFactoryParameters, CommandAck>;

// Applied in this order: append receptionLines; if clearMemo, clear the memo (and reset the log
// start); apply realTime or factory (boxes, lamps, UnitRunning, caption); append lines; if the
// verdict is Shown, run the log step. lines holds every memo line after the clear, the decoded
// ones included (the views carry the same lines in memoLines). Lines carry no line end. The views
// are rendered from record and setPoints; whoever needs the numbers reads them there.
struct ReceiveOutcome {
  ReceiveVerdict verdict = ReceiveVerdict::Shown;
  ReplyKind kind = ReplyKind::Unknown;
  std::vector<std::string> receptionLines;
  bool clearMemo = false;
  ReplyRecord record;
  AcDerivedPoints setPoints;  // the air conditioner's derived points; empty for other kinds
  std::optional<RealTimeView> realTime;
  std::optional<FactoryView> factory;
  std::vector<std::string> lines;

  bool Accepted() const { return verdict != ReceiveVerdict::Implausible; }
  bool RunsLogStep() const { return verdict == ReceiveVerdict::Shown; }
};

// How many received frames took which road: the window's soak run and tests read them, the
// Monitor's link figures and the report show them.
struct ReceiveCounters {
  std::uint64_t frames = 0;    // every frame the receive path accepted
  std::uint64_t realTime = 0;  // real-time replies that passed the checksum
  std::uint64_t factory = 0;
  std::uint64_t acknowledgements = 0;
  std::uint64_t unknown = 0;
  std::uint64_t checksumErrors = 0;
  std::uint64_t memoClears = 0;
};

// For a frame that passed IsPlausibleFrame (the framer only emits such frames); any other block
// comes back not accepted.
ReceiveOutcome ProcessReply(std::span<const std::uint8_t> frame, const ReceiveContext& context);

// "yyyy-mm-dd hh:nn:ss"
std::string FormatReceiveTime(const LocalDateTime& time);

}  // namespace climate
