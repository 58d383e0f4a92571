// Fuzzes what a device server entry and a device server can send: the SerialPorts entry parser
// and the com-port control decoder.
//
// Input: [piece size byte][rest]. The rest is read as an entry text (a parsed address must read
// back the same), fed to the decoder in pieces of the given size (any bytes, never more data out
// than in), and escaped and decoded again (the data must come back unchanged, with no answer).
// The escaped rest is also sent as the body of one subnegotiation, closed or cut short by a
// command, before a frame: none of the body may reach the data, and the frame must arrive whole.
// Every com-port message the server's bytes carry is also fed to a line negotiation as its
// answers: its report must stay consistent and its texts must be made for any values.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "serial/line_negotiation.hpp"
#include "serial/port_entry.hpp"
#include "serial/telnet_codec.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

climate::telnet::Decoder::Output Decode(std::span<const std::uint8_t> bytes, std::size_t piece) {
  climate::telnet::Decoder decoder;
  climate::telnet::Decoder::Output all;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    auto out = decoder.Push(bytes.subspan(at, std::min(piece, bytes.size() - at)));
    all.data.insert(all.data.end(), out.data.begin(), out.data.end());
    all.reply.insert(all.reply.end(), out.reply.begin(), out.reply.end());
    all.messages.insert(all.messages.end(), out.messages.begin(), out.messages.end());
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = static_cast<std::size_t>(data[0] % 32) + 1;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);

  const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
  const climate::PortEntryParse parsed = climate::ParsePortEntry(text);
  Check(parsed.entry.has_value() == (parsed.problem == climate::EntryProblem::None));
  if (parsed.entry && parsed.entry->IsNetwork()) {
    const climate::PortEntryParse again = climate::ParsePortEntry(parsed.entry->Address());
    Check(again.entry && again.entry->Address() == parsed.entry->Address());
  }

  const climate::telnet::Decoder::Output decoded = Decode(rest, piece);
  Check(decoded.data.size() <= rest.size());
  climate::LineNegotiation negotiation;
  negotiation.Begin();
  negotiation.OnAnswer(piece % 2 == 0);
  negotiation.OnSent(climate::PortSettings{});
  for (const climate::telnet::ComPortMessage& message : decoded.messages) {
    Check(message.value.size() <= 64);
    negotiation.OnMessage(message);
  }
  negotiation.OnAnswerTimeUp();
  const climate::LineSettingsReport report = negotiation.Report();
  Check(negotiation.Settled() && !report.awaiting);
  Check(report.mismatches.size() + report.unconfirmed.size() <= 4);
  Check(report.HasProblem() ==
        !climate::LineSettingsProblemText(report, climate::Language::English).empty());
  Check(!climate::LineSettingsStateText(report, climate::Language::Chinese).empty());
  const climate::telnet::Bytes escaped = climate::telnet::EscapeData(rest);
  const climate::telnet::Decoder::Output back = Decode(escaped, piece);
  Check(std::equal(back.data.begin(), back.data.end(), rest.begin(), rest.end()));
  Check(back.reply.empty());

  // A frame with FF in it, after a subnegotiation whose body is the input.
  using namespace climate::telnet;
  const Bytes frame = {0x7E, 0x01, 0x22, 0x43, 0xFF, 0x9C, 0xFE, 0x0D};
  const Bytes escapedFrame = EscapeData(frame);
  for (const std::uint8_t close : {Se, Nop, Dont}) {
    Bytes wrapped = {Iac, Sb, OptionComPort};
    wrapped.insert(wrapped.end(), escaped.begin(), escaped.end());
    wrapped.insert(wrapped.end(), {Iac, close});
    if (close == Dont) wrapped.push_back(OptionBinary);
    wrapped.insert(wrapped.end(), escapedFrame.begin(), escapedFrame.end());
    Check(Decode(wrapped, piece).data == frame);
  }
  return 0;
}
