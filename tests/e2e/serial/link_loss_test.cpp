// A line that goes away while open: the simulator killed (a pulled adapter) and a hang-up
// forced on the port. The port must close within one receive period, stay quiet while the
// device is absent, and work again once the device is back under the same path.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <filesystem>
#include <memory>

#include "link_client.hpp"
#include "sim_process.hpp"
#include "support/frames.hpp"

namespace climate::test {
namespace {

// The window polls every 300 ms; the loss must be known by the poll after next at the latest.
constexpr int LossDeadlineMs = 500;
// While nothing is there the console must not burn the processor: under 1 % of one second.
constexpr int IdleWindowMs = 1000;
constexpr double IdleCpuLimitMs = 10.0;

void ExpectLossReportedPromptly(LinkClient& client, qint64 cutAtMs) {
  ASSERT_TRUE(WaitFor([&] { return client.LostReason().has_value(); }, 2000))
      << "onLinkLost never fired";
  const qint64 lossMs = client.LostAtMs() - cutAtMs;
  ::testing::Test::RecordProperty("lossMs", static_cast<int>(lossMs));
  EXPECT_LE(lossMs, LossDeadlineMs);
  EXPECT_FALSE(client.LostReason()->empty());
  EXPECT_FALSE(client.Port().IsOpen());
  EXPECT_EQ(client.Port().NativeHandle(), -1);
  EXPECT_THROW(client.Port().Write(RealTimeRequest), SerialError);
}

TEST(LinkLoss, KilledSimulatorClosesThePortAndARestartedOneIsPickedUp) {
  TempDir dir;
  const std::string link = dir.File("ttyUSB0");
  auto sim = std::make_unique<SimProcess>(std::vector<std::string>{"--kind", "ac", "--link", link});
  LinkClient client(link);
  client.Open();
  ASSERT_EQ(client.Exchange(RealTimeRequest).size(), 1u);

  const qint64 cutAt = client.NowMs();
  sim->Kill(SIGKILL);
  // The device node of a pulled adapter disappears. The killed simulator could not remove its
  // link, and the terminal number it points at may already serve another program.
  std::filesystem::remove(link);
  ExpectLossReportedPromptly(client, cutAt);

  const double cpuMs = CpuMsWhileRunning(IdleWindowMs);
  ::testing::Test::RecordProperty("idleCpuUs", static_cast<int>(cpuMs * 1000));
  EXPECT_LT(cpuMs, IdleCpuLimitMs) << "busy while the device is absent";
  EXPECT_THROW(client.Open(), SerialError);
  EXPECT_FALSE(client.Port().IsOpen());

  sim = std::make_unique<SimProcess>(std::vector<std::string>{"--kind", "ac", "--link", link});
  client.Open();
  EXPECT_TRUE(client.Port().IsOpen());
  EXPECT_EQ(client.Exchange(RealTimeRequest).size(), 1u);
  EXPECT_FALSE(client.LostReason().has_value());
}

TEST(LinkLoss, StoppedSimulatorIsALostLinkToo) {
  OpenLink line("hx", "ttyUSB1");
  LinkClient& client = line.client;
  const qint64 cutAt = client.NowMs();
  line.sim.Kill(SIGTERM);  // orderly end: the link is removed as well
  ExpectLossReportedPromptly(client, cutAt);
  EXPECT_THROW(client.Open(), SerialError);
  // One loss, one report, however long the dead line is left alone.
  ASSERT_TRUE(RunLineChecks(2));
  EXPECT_EQ(client.LossReports(), 1);
}

TEST(LinkLoss, ForcedHangUpClosesThePortAndTheLineCanBeReopened) {
  OpenLink line("hx", "ttyUSB2");
  LinkClient& client = line.client;
  ASSERT_EQ(client.Exchange(RealTimeRequest).size(), 1u);

  const qint64 cutAt = client.NowMs();
  ASSERT_EQ(::ioctl(static_cast<int>(client.Port().NativeHandle()), TIOCVHANGUP), 0);
  ExpectLossReportedPromptly(client, cutAt);
  const double cpuMs = CpuMsWhileRunning(IdleWindowMs);
  ::testing::Test::RecordProperty("idleCpuUs", static_cast<int>(cpuMs * 1000));
  EXPECT_LT(cpuMs, IdleCpuLimitMs) << "busy after the hang-up";

  client.Open();
  EXPECT_EQ(client.Exchange(RealTimeRequest).size(), 1u);
}

TEST(LinkLoss, WriteToALineThatJustHungUpFailsInsteadOfPassingForSent) {
  OpenLink line("ac", "ttyUSB4");
  LinkClient& client = line.client;
  // No event has run since the hang-up, so the port does not know yet.
  ASSERT_EQ(::ioctl(static_cast<int>(client.Port().NativeHandle()), TIOCVHANGUP), 0);
  EXPECT_THROW(client.Port().Write(RealTimeRequest), SerialError);
  EXPECT_FALSE(client.Port().IsOpen());
  EXPECT_TRUE(WaitFor([&] { return client.LostReason().has_value(); }, LossDeadlineMs));
}

// Output suspended on the line: the frame cannot leave. Whether the driver refuses it at once or
// holds it, the port must end up closed with one loss report, never looking sent and alive.
TEST(LinkLoss, LineThatStopsTakingBytesIsALostLink) {
  OpenLink line("ac", "ttyUSB5");
  LinkClient& client = line.client;
  ASSERT_EQ(client.Exchange(RealTimeRequest).size(), 1u);

  ASSERT_EQ(::tcflow(static_cast<int>(client.Port().NativeHandle()), TCOOFF), 0);
  bool refused = false;
  try {
    client.Port().Write(RealTimeRequest);
  } catch (const SerialError&) {
    refused = true;
  }
  const int boundMs = static_cast<int>(DrainBoundMs(RealTimeRequest.size(), PortSettings{}));
  ASSERT_TRUE(WaitFor([&] { return client.LostReason().has_value(); }, 3 * boundMs))
      << "a write that cannot leave was never noticed";
  EXPECT_TRUE(refused || client.LostReason()->find("not sent") != std::string::npos);
  EXPECT_FALSE(client.Port().IsOpen());
  ASSERT_TRUE(RunLineChecks(2));
  EXPECT_EQ(client.LossReports(), 1);
}

}  // namespace
}  // namespace climate::test
