// SendRequest over the in-memory port: the one retry of the open routine, the silent drop, and
// write failures that must reach the caller.
#include "serial/send_request.hpp"

#include <gtest/gtest.h>

#include "serial/fake_serial_port.hpp"
#include "support/frames.hpp"

namespace climate {
namespace {

using test::RealTimeRequest;

TEST(SendRequest, WritesTheWholeFrameInOneWriteWhenOpen) {
  FakeSerialPort port;
  port.Open();
  int opens = 0;
  EXPECT_TRUE(SendRequest(port, RealTimeRequest, [&] { ++opens; }));
  EXPECT_EQ(opens, 0);
  ASSERT_EQ(port.written.size(), 1u);
  EXPECT_EQ(port.written[0], RealTimeRequest);
}

TEST(SendRequest, ClosedPortRunsTheOpenRoutineOnceThenSends) {
  FakeSerialPort port;
  int opens = 0;
  EXPECT_TRUE(SendRequest(port, RealTimeRequest, [&] {
    ++opens;
    port.Open();
  }));
  EXPECT_EQ(opens, 1);
  ASSERT_EQ(port.written.size(), 1u);
  EXPECT_EQ(port.written[0], RealTimeRequest);
}

TEST(SendRequest, PortThatStaysClosedDropsTheRequestQuietly) {
  FakeSerialPort port;
  port.missingPorts = {1};
  int opens = 0;
  // The open routine reports its own failure; SendRequest adds nothing and does not retry.
  const auto openRoutine = [&] {
    ++opens;
    try {
      port.Open();
    } catch (const SerialError&) {
    }
  };
  EXPECT_FALSE(SendRequest(port, RealTimeRequest, openRoutine));
  EXPECT_EQ(opens, 1);
  EXPECT_TRUE(port.written.empty());

  EXPECT_FALSE(SendRequest(port, RealTimeRequest, nullptr));
  EXPECT_TRUE(port.written.empty());
}

TEST(SendRequest, WriteFailureReachesTheCaller) {
  FakeSerialPort port;
  port.Open();
  port.failWrites = true;
  EXPECT_THROW(SendRequest(port, RealTimeRequest, nullptr), SerialError);
}

}  // namespace
}  // namespace climate
