// What happens to one received frame: the reception line, the memo limit, classification,
// checksum check, decoding and the log step, as a plain operation the window applies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
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
  int pendingCommand = 0;
  std::string coolingSensitivity = "10";
  std::string heaterSensitivity = "10";
  LocalDateTime now;
};

// Applied in this order: append receptionLines; if clearMemo, clear the memo (and reset the log
// start); apply realTime or factory (boxes, lamps, UnitRunning, caption); append lines; if
// runLogStep, run the log step. lines holds every memo line after the clear, the decoded ones
// included (the views carry the same lines in memoLines). Lines carry no line end.
struct ReceiveOutcome {
  bool accepted = true;  // false for an implausible block: nothing at all is shown or logged
  ReplyKind kind = ReplyKind::Unknown;
  bool checksumOk = true;
  std::vector<std::string> receptionLines;
  bool clearMemo = false;
  std::optional<RealTimeView> realTime;
  std::optional<FactoryView> factory;
  std::vector<std::string> lines;
  bool runLogStep = true;
};

// For a frame that passed IsPlausibleFrame (the framer only emits such frames); any other block
// comes back not accepted.
ReceiveOutcome ProcessReply(std::span<const std::uint8_t> frame, const ReceiveContext& context);

// "yyyy-mm-dd hh:nn:ss"
std::string FormatReceiveTime(const LocalDateTime& time);

}  // namespace climate
