// The stalled-write watch: bytes that stop leaving are a lost link after a bound that follows
// the baud rate, never before it, and a slow line that still moves is never called stalled.
#include "serial/drain_watch.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

TEST(DrainWatch, BoundFollowsTheBaudRateAndTheFrameFormat) {
  // 13 bytes of 10 bits at 9600 baud take 13.5 ms on the wire.
  EXPECT_EQ(DrainBoundMs(13, PortSettings{}), 1000 + 41);
  // 300 baud, 7 data bits, even parity, 2 stop bits: 11 bits a byte, 13 bytes 476.7 ms.
  EXPECT_EQ(DrainBoundMs(13, *ParsePortSettings("300,e,7,2")), 1000 + 1430);
  EXPECT_EQ(DrainBoundMs(0, PortSettings{}), 1000);
}

TEST(DrainWatch, StuckBytesAreStalledAfterTheBoundAndMovingOnesNever) {
  const PortSettings line = *ParsePortSettings("1200,n,8,1");  // 13 bytes: 325 ms of bound
  DrainWatch watch;
  EXPECT_FALSE(watch.Stalled(13, 0, line)) << "nothing written, nothing watched";

  watch.Written(13, 13, 0, line);
  EXPECT_TRUE(watch.Watching());
  EXPECT_FALSE(watch.Stalled(13, 1324, line));
  // A second frame while the first still waits adds its own wire time, not a fresh second.
  watch.Written(13, 26, 1200, line);
  EXPECT_FALSE(watch.Stalled(26, 1649, line));
  EXPECT_TRUE(watch.Stalled(26, 1650, line));

  // Progress starts the clock again for what is left; an empty queue ends the watch.
  DrainWatch slow;
  slow.Written(26, 26, 0, line);
  EXPECT_FALSE(slow.Stalled(20, 1300, line));  // 20 bytes: 500 ms of bound from here
  EXPECT_FALSE(slow.Stalled(20, 2799, line));
  EXPECT_TRUE(slow.Stalled(20, 2800, line));
  EXPECT_FALSE(slow.Stalled(0, 2900, line));
  EXPECT_FALSE(slow.Watching());

  // Bytes the driver took at once are never watched.
  DrainWatch quick;
  quick.Written(13, 0, 0, line);
  EXPECT_FALSE(quick.Watching());
  EXPECT_FALSE(quick.Stalled(13, 100000, line));
}

}  // namespace
}  // namespace climate
