// The com-port control codec: frames that carry 0xFF cross the link unchanged in both directions,
// the server's real opening is answered without a negotiation loop, and the commands that set the
// remote line have the exact bytes a server expects.
#include "serial/telnet_codec.hpp"

#include <gtest/gtest.h>

namespace climate::telnet {
namespace {

// Remote off, whose checksum is FF 9C.
const Bytes RemoteOff = {0x7E, 0x01, 0x22, 0x43, 0xFF, 0x9C, 0xFE, 0x0D};

// Feeds the bytes to a decoder in pieces of `piece` bytes and collects everything it gives back.
Decoder::Output PushInPieces(Decoder& decoder, const Bytes& bytes, std::size_t piece) {
  Decoder::Output all;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    const std::size_t size = std::min(piece, bytes.size() - at);
    Decoder::Output out = decoder.Push(std::span(bytes).subspan(at, size));
    all.data.insert(all.data.end(), out.data.begin(), out.data.end());
    all.reply.insert(all.reply.end(), out.reply.begin(), out.reply.end());
    all.messages.insert(all.messages.end(), out.messages.begin(), out.messages.end());
  }
  return all;
}

TEST(TelnetCodec, FramesWithFfCrossUnchangedWhereverTheReadsSplitThem) {
  const Bytes escaped = EscapeData(RemoteOff);
  EXPECT_EQ(escaped, (Bytes{0x7E, 0x01, 0x22, 0x43, 0xFF, 0xFF, 0x9C, 0xFE, 0x0D}));
  EXPECT_EQ(EscapeData(Bytes{0xFF, 0xFF}), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

  // Two frames back to back with a com-port message between them, cut at every possible size.
  Bytes stream = escaped;
  const Bytes notify = {Iac, Sb, OptionComPort, 107, 0xFF, 0xFF, Iac, Se};  // modem state FF
  stream.insert(stream.end(), notify.begin(), notify.end());
  stream.insert(stream.end(), escaped.begin(), escaped.end());
  Bytes twice = RemoteOff;
  twice.insert(twice.end(), RemoteOff.begin(), RemoteOff.end());
  for (std::size_t piece = 1; piece <= stream.size(); ++piece) {
    SCOPED_TRACE(piece);
    Decoder decoder;
    const Decoder::Output out = PushInPieces(decoder, stream, piece);
    EXPECT_EQ(out.data, twice);
    EXPECT_TRUE(out.reply.empty());
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].code, 107);
    EXPECT_EQ(out.messages[0].value, Bytes{0xFF});
  }
}

TEST(TelnetCodec, ServerOpeningIsAnsweredWithoutANegotiationLoop) {
  // What ser2net sends on a new connection: WILL SGA, DO SGA, WILL ECHO, DONT ECHO, DO BINARY,
  // WILL BINARY, DO COM-PORT, then confirmations of rate and stop size.
  // clang-format off
  const Bytes opening = {Iac, Will, 3,  Iac, Do, 3,  Iac, Will, 1,  Iac, Dont, 1,
                         Iac, Do, 0,  Iac, Will, 0,  Iac, Do, 44,
                         Iac, Sb, 44, 101, 0, 0, 0x4B, 0x00, Iac, Se,
                         Iac, Sb, 44, 104, 2, Iac, Se};
  // clang-format on
  Decoder decoder;
  const Decoder::Output out = decoder.Push(opening);
  // Suppress-go-ahead from the server is welcome; we do not offer it, nor echo.
  EXPECT_EQ(out.reply, (Bytes{Iac, Do, 3, Iac, Wont, 3, Iac, Dont, 1}));
  EXPECT_TRUE(out.data.empty());
  ASSERT_EQ(out.messages.size(), 2u);
  EXPECT_EQ(out.messages[0].code, 101);
  EXPECT_EQ(out.messages[0].value, (Bytes{0, 0, 0x4B, 0}));
  EXPECT_EQ(out.messages[1].value, Bytes{2});
  EXPECT_TRUE(decoder.ClientWill(OptionComPort));
  EXPECT_TRUE(decoder.ServerWill(OptionBinary));

  // The same requests again: agreements are not answered twice (that is how loops start), the
  // refusals are repeated; a withdrawal is acknowledged once.
  EXPECT_EQ(decoder.Push(opening).reply, (Bytes{Iac, Wont, 3, Iac, Dont, 1}));
  EXPECT_EQ(decoder.Push(Bytes{Iac, Wont, 0, Iac, Wont, 0}).reply, (Bytes{Iac, Dont, 0}));
  EXPECT_FALSE(decoder.ServerWill(OptionBinary));
}

// A server that leaves a subnegotiation open or overlong: the command that follows is read as a
// command, what it cut short is dropped, and none of it reaches the line data.
TEST(TelnetCodec, UnfinishedAndOverlongSubnegotiationsNeverLeakIntoTheData) {
  // clang-format off
  const Bytes stream = {
      Iac, Sb, OptionComPort, 101, 0, 0, Iac, Dont, OptionComPort,  // cut short by a refusal
      0x7E, 0x01,
      Iac, Sb, OptionComPort, 103, Iac, Sb, OptionComPort, 107, 0x30, Iac, Se,  // one restarts
      0x0D,
      Iac, Sb, OptionComPort, 104, Iac, 0x7E,  // an IAC before a plain byte ends it as well
      0x22, Iac, Iac};
  // clang-format on
  for (std::size_t piece = 1; piece <= stream.size(); ++piece) {
    SCOPED_TRACE(piece);
    Decoder decoder;
    const Decoder::Output out = PushInPieces(decoder, stream, piece);
    EXPECT_EQ(out.data, (Bytes{0x7E, 0x01, 0x0D, 0x22, 0xFF}));
    EXPECT_EQ(out.reply, (Bytes{Iac, Wont, OptionComPort}));
    EXPECT_FALSE(decoder.ClientWill(OptionComPort));
    EXPECT_TRUE(decoder.ClientAnswered(OptionComPort));
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].code, 107);
    EXPECT_EQ(out.messages[0].value, Bytes{0x30});
    EXPECT_EQ(decoder.DroppedSubnegotiations(), 3u);
  }

  // 24 MiB inside one subnegotiation (doubled IACs among it), then its end and two frames: the
  // cut message is not delivered as a confirmation, and the frames arrive whole.
  Decoder decoder;
  const Bytes opening = {Iac, Sb, OptionComPort, 101};
  EXPECT_TRUE(decoder.Push(opening).data.empty());
  Bytes filler(1 << 20);
  for (std::size_t i = 0; i < filler.size(); ++i) filler[i] = static_cast<std::uint8_t>(i * 7);
  for (std::size_t i = 0; i + 1 < filler.size(); ++i) {
    if (filler[i] == Iac) filler[++i] = Iac;
  }
  filler.back() = 0x7E;
  for (int mib = 0; mib < 24; ++mib) {
    const Decoder::Output out = decoder.Push(filler);
    ASSERT_TRUE(out.data.empty() && out.messages.empty() && out.reply.empty()) << mib;
  }
  Bytes twice = RemoteOff;
  twice.insert(twice.end(), RemoteOff.begin(), RemoteOff.end());
  Bytes end = {Iac, Se};
  const Bytes escaped = EscapeData(twice);
  end.insert(end.end(), escaped.begin(), escaped.end());
  const Decoder::Output out = decoder.Push(end);
  EXPECT_EQ(out.data, twice);
  EXPECT_TRUE(out.messages.empty());
  EXPECT_EQ(decoder.DroppedSubnegotiations(), 1u);
}

TEST(TelnetCodec, LineCommandsCarryTheSettingsAndEscapeTheirValues) {
  PortSettings settings;
  settings.baudRate = 19200;
  settings.parity = Parity::Even;
  settings.dataBits = 7;
  settings.stopBits = 2;
  // clang-format off
  EXPECT_EQ(LineSettingsCommands(settings),
            (Bytes{Iac, Sb, 44, 1, 0x00, 0x00, 0x4B, 0x00, Iac, Se,
                   Iac, Sb, 44, 2, 7, Iac, Se,
                   Iac, Sb, 44, 3, 3, Iac, Se,
                   Iac, Sb, 44, 4, 2, Iac, Se}));
  settings.baudRate = 0xFFFF;  // not a rate anyone uses, but a value byte 0xFF must be doubled
  settings.parity = Parity::Odd;
  EXPECT_EQ(LineSettingsCommands(settings),
            (Bytes{Iac, Sb, 44, 1, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, Iac, Se,
                   Iac, Sb, 44, 2, 7, Iac, Se,
                   Iac, Sb, 44, 3, 2, Iac, Se,
                   Iac, Sb, 44, 4, 2, Iac, Se}));
  EXPECT_EQ(LineControlCommands(), (Bytes{Iac, Sb, 44, 5, 1, Iac, Se,
                                          Iac, Sb, 44, 5, 8, Iac, Se,
                                          Iac, Sb, 44, 5, 11, Iac, Se}));
  // clang-format on
  EXPECT_EQ(PurgeCommand(), (Bytes{Iac, Sb, 44, 12, 3, Iac, Se}));
  EXPECT_EQ(OpeningNegotiation(), (Bytes{Iac, Will, 0, Iac, Do, 0, Iac, Will, 44}));
}

}  // namespace
}  // namespace climate::telnet
