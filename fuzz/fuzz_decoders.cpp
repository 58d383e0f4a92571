// Fuzzes ProcessReply with arbitrary settings and frame-shaped blocks, short length codes
// included, so every decoder meets frames shorter and longer than it expects.
//
// Input: 20 bytes of settings and context, then the block. Its length code and end byte are
// patched so that most blocks are plausible and reach classification.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "protocol/frame.hpp"
#include "protocol/receive.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Mostly low codes so that configured and received codes meet; now and then a wide value.
std::int16_t Code(std::uint8_t selector, std::uint8_t value) {
  switch (selector & 3) {
    case 0:
      return static_cast<std::int16_t>(value & 0x1F);
    case 1:
      return static_cast<std::int16_t>(value);
    case 2:
      return static_cast<std::int16_t>(value * 3 - 300);
    default:
      return static_cast<std::int16_t>(0xDD);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t HeaderSize = 20;
  if (size < HeaderSize) return 0;
  const std::uint8_t* h = data;

  climate::ProtocolSettings protocol = climate::DefaultProtocolSettings();
  protocol.Zqxy = Code(h[0], h[1]);
  protocol.Fdxy = Code(h[0] >> 2, h[2]);
  protocol.Kt.ZhsjxyCd = Code(h[3], h[4]);
  protocol.Rjh.ZhsjxyCd = Code(h[3] >> 2, h[5]);
  protocol.Rjh.HqcjsdcsxyCd = Code(h[3] >> 4, h[6]);
  protocol.Kt.SdcsxyCd = Code(h[7], h[8]);
  protocol.Rjh.SdcsxyCd = Code(h[7] >> 2, h[9]);
  protocol.Kt.YkgjxyCd = Code(h[7] >> 4, h[10]);
  protocol.Rjh.YkgjxyCd = Code(h[7] >> 6, h[11]);
  protocol.Kt.DtdszxyCD = Code(h[12], h[13]);
  protocol.Rjh.CjsdcsxyCd = Code(h[12] >> 2, h[14]);

  climate::ReceiveContext context;
  context.protocol = &protocol;
  context.kind =
      (h[15] & 1) ? climate::DeviceKind::HeatExchanger : climate::DeviceKind::AirConditioner;
  context.language = (h[15] & 2) ? climate::Language::Chinese : climate::Language::English;
  context.isShow = (h[15] & 4) != 0;
  context.maxLine = static_cast<std::int8_t>(h[16]);
  context.memoLineCount = h[17];
  context.pendingCommand = static_cast<climate::CommandCode>(static_cast<std::int8_t>(h[18]));
  static const char* const Sensitivities[] = {"10",         " -3 ",        "",           "x", "+7",
                                              "2147483647", "-2147483648", "99999999999"};
  context.coolingSensitivity = Sensitivities[h[19] & 7];
  context.heaterSensitivity = Sensitivities[(h[19] >> 3) & 7];

  climate::Bytes block(data + HeaderSize, data + size);
  const bool patch = (h[15] & 8) == 0;
  if (patch && block.size() >= 6) {
    // Make the block plausible by the nibble rule, keeping byte 2's high nibble.
    const std::size_t n = std::min<std::size_t>(block.size(), 21);
    block.resize(n);
    block[2] = static_cast<std::uint8_t>((block[2] & 0xF0) | (n - 6));
    block.back() = 13;
  }

  const climate::ReceiveOutcome outcome = climate::ProcessReply(block, context);
  Check(outcome.Accepted() == climate::IsPlausibleFrame(block));
  if (!outcome.Accepted()) {
    Check(outcome.lines.empty() && outcome.receptionLines.empty() && !outcome.RunsLogStep());
    return 0;
  }
  Check(outcome.receptionLines.size() == (context.isShow ? 2u : 1u));
  Check(climate::IsLongEnoughFor(outcome.kind, block.size()));
  if (outcome.realTime)
    Check(outcome.lines.size() == 30 && outcome.realTime->memoLines.size() == 30);
  return 0;
}
