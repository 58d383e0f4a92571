// The simulator's request framer against the ways requests reach it: whole, in pieces, several
// at once, behind garbage, damaged, or cut short.
#include "unitsim/request_framer.hpp"

#include <gtest/gtest.h>

#include "unitsim_test_support.hpp"

namespace climate::unitsim {
namespace {

using test::Hex;

const Bytes RealTime = climate::test::RealTimeRequest;
const Bytes AcParameters = Hex("7E 01 77 42 2D 1E 19 1E 4B 14 66 FE 0D");
const Bytes RemoteOff = Hex("7E 01 22 43 FF 9C FE 0D");

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(RequestFramer, CutsRequestsWhetherTheyArriveWholeTogetherOrByteByByte) {
  RequestFramer framer(0x7E, 0x0D);
  EXPECT_EQ(framer.Push(RealTime, 0), std::vector<Bytes>{RealTime});

  const auto three = framer.Push(Join({AcParameters, RemoteOff, RealTime}), 1);
  EXPECT_EQ(three, (std::vector<Bytes>{AcParameters, RemoteOff, RealTime}));

  std::vector<Bytes> frames;
  for (std::uint8_t byte : AcParameters) {
    for (Bytes& frame : framer.Push(std::span(&byte, 1), 2)) frames.push_back(frame);
  }
  EXPECT_EQ(frames, std::vector<Bytes>{AcParameters});
  EXPECT_EQ(framer.Buffered(), 0u);
  EXPECT_EQ(framer.BytesDropped(), 0u);
}

TEST(RequestFramer, ResynchronisesAfterGarbageAndDamage) {
  RequestFramer framer(0x7E, 0x0D);
  // Garbage before a request, and a start byte whose frame ends in the wrong byte: the next
  // real request must still come out, and nothing of the garbage.
  const Bytes garbage = Hex("00 FF 13 7E 01 22 43 00");
  const auto frames = framer.Push(Join({garbage, RemoteOff, RealTime}), 0);
  EXPECT_EQ(frames, (std::vector<Bytes>{RemoteOff, RealTime}));
  EXPECT_EQ(framer.BytesDropped(), garbage.size());

  // A length code of 0 cannot be a request (it has no command code).
  EXPECT_EQ(framer.Push(Join({Hex("7E 01 00 0D"), RealTime}), 1), std::vector<Bytes>{RealTime});
}

TEST(RequestFramer, StalePartialRequestIsGivenUpSoTheNextOneIsHeard) {
  RequestFramer framer(0x7E, 0x0D);
  // A parameters request cut after four bytes, then a whole real-time request: together they
  // are shorter than the 13 bytes the first length code promises.
  EXPECT_TRUE(framer.Push(Hex("7E 01 77 42"), 0).empty());
  EXPECT_TRUE(framer.Push(RealTime, 10).empty());
  EXPECT_TRUE(framer.Expire(10 + RequestFramer::StaleAfterMs - 1).empty());
  EXPECT_EQ(framer.Expire(10 + RequestFramer::StaleAfterMs), std::vector<Bytes>{RealTime});
  EXPECT_EQ(framer.Buffered(), 0u);
}

TEST(RequestFramer, UsesTheConfiguredDelimiters) {
  RequestFramer framer(0xAA, 0x55);
  const Bytes request = Hex("AA 05 11 41 AE FF 55");
  EXPECT_EQ(framer.Push(Join({RealTime, request}), 0), std::vector<Bytes>{request});
}

}  // namespace
}  // namespace climate::unitsim
