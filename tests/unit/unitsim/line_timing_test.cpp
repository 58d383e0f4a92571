// Wire timing of the imitated line, reply pieces and noise.
#include "unitsim/line_timing.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace climate::unitsim {
namespace {

Bytes Sequence(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

Bytes Reassemble(const std::vector<TimedWrite>& writes) {
  Bytes all;
  for (const TimedWrite& write : writes)
    all.insert(all.end(), write.bytes.begin(), write.bytes.end());
  return all;
}

TEST(LineTiming, ReplyPiecesKeepTheBytesInOrderAtTheirTimes) {
  const Bytes reply = Sequence(19);
  const std::int64_t start = 5'000'000;

  const auto whole = ScheduleReply(reply, start, {});
  ASSERT_EQ(whole.size(), 1u);
  EXPECT_EQ(whole[0].atNs, start);
  EXPECT_EQ(whole[0].bytes, reply);

  ReplyPacing fragments;
  fragments.fragment = 4;
  const auto pieces = ScheduleReply(reply, start, fragments);
  ASSERT_EQ(pieces.size(), 5u);
  EXPECT_EQ(Reassemble(pieces), reply);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_EQ(pieces[i].atNs, start + static_cast<std::int64_t>(i) * fragments.fragmentPauseNs);
  }
  EXPECT_EQ(pieces.back().bytes.size(), 3u);

  // At 9600 baud each byte goes out when it has crossed the wire: the last one after 19 byte
  // times, 19.8 ms.
  ReplyPacing line;
  line.baud = 9600;
  const auto paced = ScheduleReply(reply, start, line);
  ASSERT_EQ(paced.size(), reply.size());
  EXPECT_EQ(Reassemble(paced), reply);
  EXPECT_EQ(ByteTimeNs(9600), 1'041'666);
  EXPECT_EQ(paced.front().atNs, start + ByteTimeNs(9600));
  EXPECT_EQ(paced.back().atNs, start + 19 * ByteTimeNs(9600));

  // Both: pieces wait for their wire time and keep at least the pause between them.
  line.fragment = 1;
  line.fragmentPauseNs = 2'000'000;
  const auto both = ScheduleReply(reply, start, line);
  ASSERT_EQ(both.size(), reply.size());
  for (std::size_t i = 1; i < both.size(); ++i) {
    EXPECT_GE(both[i].atNs - both[i - 1].atNs, 2'000'000);
  }
}

TEST(LineTiming, RequestsArriveAfterTheirWireTime) {
  ReceiveLine line(9600);
  const std::int64_t byte = ByteTimeNs(9600);
  EXPECT_EQ(line.Arrival(7, 0), 7 * byte);
  // Bytes written while the line is still busy queue behind the earlier ones.
  EXPECT_EQ(line.Arrival(8, byte), 15 * byte);
  // After a quiet spell the line starts afresh.
  EXPECT_EQ(line.Arrival(1, 1'000'000'000), 1'000'000'000 + byte);

  ReceiveLine instant(0);
  EXPECT_EQ(instant.Arrival(100, 42), 42);
}

TEST(LineTiming, NoiseNeverHoldsAFrameDelimiter) {
  std::minstd_rand random(7);
  const Bytes forbidden = {0xAA, 0x55};
  for (int i = 0; i < 2000; ++i) {
    const Bytes noise = MakeNoise(random, forbidden);
    ASSERT_GE(noise.size(), 1u);
    ASSERT_LE(noise.size(), 6u);
    for (std::uint8_t byte : {0x7E, 0x0D, 0xAA, 0x55}) {
      ASSERT_EQ(std::count(noise.begin(), noise.end(), byte), 0);
    }
  }
}

}  // namespace
}  // namespace climate::unitsim
