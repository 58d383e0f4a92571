// Fuzzes the stream framer and everything after it: the input is cut into reads and pauses by
// its own control bytes, and every emitted frame goes through ProcessReply for both unit types
// and both languages. The framer judges suspect frames as the air-conditioner window does.
//
// Input: a sequence of [control byte][up to 31 bytes]. Control bits 0-4 give the read size, bits
// 5-7 the pause before it in steps of 100 ms; 7 means the backstop timer runs instead of a pause.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "protocol/framer.hpp"
#include "protocol/receive.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void ProcessEverywhere(const climate::Bytes& frame, const climate::ProtocolSettings& protocol) {
  Check(climate::IsPlausibleFrame(frame));
  for (auto kind : {climate::DeviceKind::AirConditioner, climate::DeviceKind::HeatExchanger}) {
    for (auto language : {climate::Language::English, climate::Language::Chinese}) {
      climate::ReceiveContext context;
      context.protocol = &protocol;
      context.kind = kind;
      context.language = language;
      context.isShow = true;
      const climate::ReceiveOutcome outcome = climate::ProcessReply(frame, context);
      Check(outcome.Accepted());
      Check(!outcome.receptionLines.empty());
      if (outcome.realTime) Check(outcome.lines.size() == 30);
      if (outcome.factory) Check(outcome.lines.size() == 6);
      if (outcome.verdict == climate::ReceiveVerdict::ChecksumError) {
        Check(!outcome.RunsLogStep() && outcome.lines.size() == 1);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const climate::ProtocolSettings protocol = climate::DefaultProtocolSettings();
  climate::StreamFramer framer;
  framer.SetJudge([](std::span<const std::uint8_t> frame) {
    return climate::IsUsableReply(frame, protocol, climate::DeviceKind::AirConditioner);
  });
  std::span<const std::uint8_t> input(data, size);
  std::int64_t now = 0;
  std::uint64_t emitted = 0;
  while (!input.empty()) {
    const std::uint8_t control = input[0];
    input = input.subspan(1);
    const std::size_t length = std::min<std::size_t>(control & 0x1F, input.size());
    const int pause = control >> 5;
    std::vector<climate::Bytes> frames;
    if (pause == 7) {
      now += climate::StreamFramer::StaleAfterMs;
      frames = framer.Expire(now);
    } else {
      now += pause * 100;
    }
    for (auto& frame : framer.Push(input.first(length), now)) frames.push_back(std::move(frame));
    input = input.subspan(length);
    for (const auto& frame : frames) ProcessEverywhere(frame, protocol);
    emitted += frames.size();
    // A partial frame, or a rejected frame and the partial one starting inside it.
    Check(framer.Buffered() < climate::StreamFramer::LongestFrame + 21);
  }
  Check(framer.Counters().framesOut == emitted);
  return 0;
}
