// The stream framer against the ways replies really arrive: split, merged, behind noise, cut
// short, or never finished.
#include "protocol/framer.hpp"

#include <gtest/gtest.h>

#include <random>

#include "protocol/receive.hpp"
#include "protocol_test_support.hpp"

namespace climate {
namespace {

using test::AcExample;
using test::Concat;
using test::FactoryExample;
using test::Hex;
using test::NegativeAck;
using test::PositiveAck;
using test::Reply;

using Frames = std::vector<Bytes>;

void Append(Frames& all, Frames more) {
  for (Bytes& frame : more) all.push_back(std::move(frame));
}

// Feeds pieces at increasing times well inside the stale limit.
Frames Feed(StreamFramer& framer, const std::vector<Bytes>& pieces) {
  Frames out;
  std::int64_t now = 1000;
  for (const Bytes& piece : pieces) Append(out, framer.Push(piece, now += 10));
  return out;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

const Frames Replies = {
    AcExample,   FactoryExample,  PositiveAck,
    NegativeAck, Reply(0x00, {}), Reply(0xDD, Hex("7E 0D 7E 0D 7E 0D 7E 0D 7E 0D 7E 0D 7E"))};

TEST(Framer, EveryReplySplitAtEveryByteBoundary) {
  for (const Bytes& reply : Replies) {
    for (std::size_t cut = 0; cut <= reply.size(); ++cut) {
      StreamFramer framer;
      EXPECT_EQ(Feed(framer, {Slice(reply, 0, cut), Slice(reply, cut, reply.size())}),
                Frames{reply})
          << "cut at " << cut;
      EXPECT_EQ(framer.Buffered(), 0u);
    }
    StreamFramer framer;
    std::vector<Bytes> singles;
    for (std::uint8_t b : reply) singles.push_back({b});
    EXPECT_EQ(Feed(framer, singles), Frames{reply});
  }
}

TEST(Framer, SeveralRepliesInTwoAndThreeWaySplits) {
  const Bytes stream = Concat({AcExample, PositiveAck, FactoryExample});
  const Frames expected = {AcExample, PositiveAck, FactoryExample};
  for (std::size_t a = 0; a <= stream.size(); ++a) {
    for (std::size_t b = a; b <= stream.size(); ++b) {
      StreamFramer framer;
      ASSERT_EQ(
          Feed(framer, {Slice(stream, 0, a), Slice(stream, a, b), Slice(stream, b, stream.size())}),
          expected)
          << a << ' ' << b;
    }
  }
  StreamFramer framer;
  EXPECT_EQ(
      Feed(framer,
           {Concat({Replies[0], Replies[1], Replies[2], Replies[3], Replies[4], Replies[5]})}),
      Replies);
  EXPECT_EQ(framer.Counters().framesOut, Replies.size());
  EXPECT_EQ(framer.Counters().bytesDropped, 0u);
}

TEST(Framer, ResynchronisesAfterGarbageFalseStartsAndTruncatedFrames) {
  StreamFramer framer;
  EXPECT_EQ(Feed(framer, {Concat({Hex("00 0D 13 FF 01"), AcExample})}), Frames{AcExample});
  EXPECT_EQ(framer.Counters().bytesDropped, 5u);

  // A start byte that is noise, then a frame: only the false start is lost.
  EXPECT_EQ(Feed(framer, {Concat({Hex("7E 01"), AcExample, Hex("7E"), PositiveAck})}),
            (Frames{AcExample, PositiveAck}));

  // A reply cut short is followed by complete ones, in the same read or in later reads.
  const Bytes truncated = Slice(AcExample, 0, 10);
  EXPECT_EQ(Feed(framer, {Concat({truncated, NegativeAck, AcExample})}),
            (Frames{NegativeAck, AcExample}));
  EXPECT_EQ(Feed(framer, {truncated, NegativeAck, AcExample}), (Frames{NegativeAck, AcExample}));
  EXPECT_EQ(framer.Buffered(), 0u);
}

TEST(Framer, WholeByteLengthIsTakenWhenCompleteButNeverWaitedFor) {
  // Length code 0x12: 8 bytes by its nibble, 24 by the whole byte.
  Bytes wholeByte(24, 0x55);
  wholeByte[0] = 0x7E;
  wholeByte[2] = 0x12;
  wholeByte[23] = 0x0D;
  ASSERT_TRUE(IsPlausibleFrame(wholeByte));

  StreamFramer framer;
  EXPECT_EQ(Feed(framer, {Concat({wholeByte, PositiveAck})}), (Frames{wholeByte, PositiveAck}));

  // Split, it is given up at once and the acknowledgement behind it is not held back.
  EXPECT_EQ(
      Feed(framer, {Slice(wholeByte, 0, 10), Concat({Slice(wholeByte, 10, 24), PositiveAck})}),
      Frames{PositiveAck});
  // Nor behind a false start whose whole-byte length runs far past what has arrived.
  EXPECT_EQ(Feed(framer, {Concat({Hex("7E 00 F1"), PositiveAck, NegativeAck})}),
            (Frames{PositiveAck, NegativeAck}));
}

TEST(Framer, StalePartialFrameIsGivenUpAndUncoversFramesBehindIt) {
  StreamFramer framer;
  EXPECT_TRUE(framer.Push(Slice(AcExample, 0, 12), 0).empty());
  EXPECT_TRUE(framer.Expire(StreamFramer::StaleAfterMs - 1).empty());
  EXPECT_EQ(framer.Buffered(), 12u);
  EXPECT_TRUE(framer.Push(Slice(AcExample, 12, 18), 250).empty());  // still alive: a new byte came
  EXPECT_TRUE(framer.Expire(500).empty());
  EXPECT_EQ(framer.Push(Slice(AcExample, 18, 19), 540), Frames{AcExample});

  // A false start that waits for 21 bytes holds a whole acknowledgement until it expires.
  EXPECT_TRUE(framer.Push(Concat({Hex("7E 01 0F"), PositiveAck}), 1000).empty());
  EXPECT_EQ(framer.Expire(1300), Frames{PositiveAck});
  EXPECT_EQ(framer.Buffered(), 0u);
  EXPECT_EQ(framer.Counters().partialsExpired, 1u);

  // Fresh traffic after a long silence is not glued onto the stale remains.
  EXPECT_TRUE(framer.Push(Slice(AcExample, 0, 10), 2000).empty());
  EXPECT_EQ(framer.Push(NegativeAck, 2400), Frames{NegativeAck});
  EXPECT_EQ(framer.Counters().partialsExpired, 2u);

  framer.Push(Slice(AcExample, 0, 10), 3000);
  framer.Reset();
  EXPECT_EQ(framer.Buffered(), 0u);
  EXPECT_EQ(framer.Push(Slice(AcExample, 10, 19), 3010), Frames{});
}

TEST(Framer, ConfiguredStartByte) {
  Bytes other = PositiveAck;
  other[0] = 0x68;
  StreamFramer framer(0x68);
  EXPECT_EQ(Feed(framer, {Concat({PositiveAck, other})}), Frames{other});
  framer.SetStartByte(0x7E);
  EXPECT_EQ(Feed(framer, {Concat({other, PositiveAck})}), Frames{PositiveAck});
}

// Blocks that a reader taking one read as one reply would decode, and that the framer must
// therefore decode too, however the bytes are split. Each example goes in as one read and split
// in two at every byte, 30 ms apart; then the line goes quiet.
struct ReceiveExample {
  const char* name;
  Bytes stream;
  Frames expected;
};

Bytes WholeByteExample() {
  Bytes data(0xDD - 0x00, 0x20);  // 221 data bytes: 6 + 0xDD in all
  data[0] = 0x2D;
  return Reply(0xDD, data);
}

std::vector<ReceiveExample> ReceiveExamples() {
  const Bytes falseStart = Hex("7E 01 DD 2D 32 3C");
  // A good reply whose 13th byte is 13: the false start's declared length ends on it.
  const Bytes reply = Hex("7E 01 DD 2D 32 3C DC 34 1E 19 1E 4B 0D 1F 00 00 AC FC 0D");
  const Bytes foreignStart = Hex("7F 01 DD 2D 32 3C DC 34 1E 19 1E 4B 14 1F 00 00 A5 FC 0D");
  const Bytes cutShort = Concat({falseStart, Slice(reply, 0, 13)});
  return {
      {"false start swallowing a reply", Concat({falseStart, reply}), {reply}},
      {"and the frames behind it", Concat({falseStart, reply, PositiveAck}), {reply, PositiveAck}},
      {"unknown code around an acknowledgement",
       Hex("7E 00 04 7E 01 11 A5 4A FF 0D"),
       {PositiveAck}},
      {"false start whose reply never comes", cutShort, {cutShort}},
      {"damaged reply is still shown", Concat({NegativeAck, AcExample}), {NegativeAck, AcExample}},
      {"another start byte", foreignStart, {foreignStart}},
      {"whole-byte length", WholeByteExample(), {WholeByteExample()}},
  };
}

TEST(Framer, BlocksOneReadWouldDecodeAreDecodedHoweverTheyArrive) {
  const ProtocolSettings protocol = test::Defaults();
  for (const ReceiveExample& example : ReceiveExamples()) {
    for (std::size_t cut = 0; cut <= example.stream.size(); ++cut) {
      StreamFramer framer;
      framer.SetJudge([&](std::span<const std::uint8_t> frame) {
        return IsUsableReply(frame, protocol, DeviceKind::AirConditioner);
      });
      Frames out = framer.Push(Slice(example.stream, 0, cut), 1000);
      Append(out, framer.Push(Slice(example.stream, cut, example.stream.size()), 1030));
      Append(out, framer.Expire(1030 + StreamFramer::StaleAfterMs - 1));
      Append(out, framer.Expire(1030 + StreamFramer::StaleAfterMs));
      EXPECT_EQ(out, example.expected) << example.name << ", cut at " << cut;
      EXPECT_EQ(framer.Buffered(), 0u);
      EXPECT_EQ(framer.Counters().framesOut, example.expected.size());
      EXPECT_TRUE(framer.Expire(5000).empty());
    }
  }
}

TEST(Framer, RejectedFrameNeverHoldsBackTheGoodOnesAroundIt) {
  const ProtocolSettings protocol = test::Defaults();
  StreamFramer framer;
  framer.SetJudge([&](std::span<const std::uint8_t> frame) {
    return IsUsableReply(frame, protocol, DeviceKind::AirConditioner);
  });
  // Good frames come out at once; a damaged one with nothing inside it is not held either.
  EXPECT_EQ(framer.Push(Concat({AcExample, NegativeAck, PositiveAck}), 0),
            (Frames{AcExample, NegativeAck, PositiveAck}));
  // A frame that arrives whole after a quiet line is not glued to stale garbage in front of it.
  EXPECT_TRUE(framer.Push(Hex("7E 01 DD 2D 32"), 1000).empty());
  EXPECT_EQ(framer.Push(AcExample, 2000), Frames{AcExample});
  EXPECT_EQ(framer.Counters().bytesDropped, 5u);
}

// Random frames with data that never holds the start or end value, so noise ahead of a frame is
// the only thing that can confuse the framer.
Bytes RandomFrame(std::mt19937& random) {
  std::uniform_int_distribution<int> nibble(0, 15);
  std::uniform_int_distribution<int> byte(0, 255);
  for (;;) {
    const auto length = static_cast<std::uint8_t>(nibble(random) | (nibble(random) << 4));
    Bytes data(length & 0x0F);
    for (auto& b : data) {
      do b = static_cast<std::uint8_t>(byte(random));
      while (b == 0x7E || b == 0x0D);
    }
    Bytes frame = Reply(length, data);
    if (frame[frame.size() - 3] != 0x7E && frame[frame.size() - 2] != 0x7E &&
        frame[frame.size() - 3] != 0x0D && frame[frame.size() - 2] != 0x0D && length != 0x7E &&
        length != 0x0D) {
      return frame;
    }
  }
}

TEST(Framer, RandomStreamWithNoiseKeepsEveryFrameInOrder) {
  std::mt19937 random(20240307);
  std::uniform_int_distribution<int> noiseLength(0, 6);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> readSize(1, 64);
  Frames sent;
  Bytes stream;
  for (int i = 0; i < 5000; ++i) {
    for (int n = noiseLength(random); n > 0; --n) {
      std::uint8_t b;
      do b = static_cast<std::uint8_t>(byte(random));
      while (b == 0x7E);
      stream.push_back(b);
    }
    sent.push_back(RandomFrame(random));
    stream.insert(stream.end(), sent.back().begin(), sent.back().end());
  }
  StreamFramer framer;
  Frames received;
  std::int64_t now = 0;
  for (std::size_t at = 0; at < stream.size();) {
    const std::size_t to = std::min(stream.size(), at + static_cast<std::size_t>(readSize(random)));
    Append(received, framer.Push(Slice(stream, at, to), now += 5));
    ASSERT_LT(framer.Buffered(), 21u);
    at = to;
  }
  EXPECT_EQ(received, sent);
  EXPECT_EQ(framer.Counters().framesOut, sent.size());
}

TEST(Framer, NoiseWithStartBytesCostsOnlyTheTrafficRightBehindIt) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 200; ++round) {
    Bytes stream(12);
    for (auto& b : stream) {
      do b = static_cast<std::uint8_t>(byte(random));
      while (b == 0x7E);
    }
    stream[0] = stream[5] = 0x7E;
    stream[2] |= 0xF0;  // long whole-byte lengths
    stream[7] |= 0xF0;
    // A false start reaches at most 6 + 255 bytes; frames that begin after that must survive.
    const std::size_t safeFrom = 5 + 6 + 255;
    Frames safe;
    while (stream.size() < safeFrom + 400) {
      const Bytes frame = RandomFrame(random);
      if (stream.size() >= safeFrom) safe.push_back(frame);
      stream.insert(stream.end(), frame.begin(), frame.end());
    }
    StreamFramer framer;
    Frames received = Feed(framer, {stream});
    for (const Bytes& frame : received) EXPECT_TRUE(IsPlausibleFrame(frame));
    ASSERT_GE(received.size(), safe.size());
    EXPECT_EQ(Frames(received.end() - static_cast<std::ptrdiff_t>(safe.size()), received.end()),
              safe)
        << "round " << round;
  }
}

}  // namespace
}  // namespace climate
