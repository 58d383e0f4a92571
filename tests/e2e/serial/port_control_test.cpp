// The port operations on a real terminal: opening what is not there, settings applied to an
// open line, receiving without reading, discarding, and closing and reopening.
#include <gtest/gtest.h>
#include <termios.h>

#include <fstream>

#include "link_client.hpp"
#include "sim_process.hpp"
#include "support/frames.hpp"

namespace climate::test {
namespace {

termios LineSettings(QtSerialPort& port) {
  termios settings{};
  EXPECT_EQ(::tcgetattr(static_cast<int>(port.NativeHandle()), &settings), 0);
  return settings;
}

TEST(PortControl, OpeningWhatIsNotThereFailsCleanly) {
  TempDir dir;
  const std::string regularFile = dir.File("not-a-terminal");
  std::ofstream(regularFile) << "x";
  QtSerialPort port({dir.File("missing"), regularFile, "", ""});
  int lost = 0;
  port.onLinkLost = [&](const std::string&) { ++lost; };

  for (int number : {1, 2, 3, 0, 5}) {
    SCOPED_TRACE(number);
    port.SetPortNumber(number);
    try {
      port.Open();
      ADD_FAILURE() << "opened";
    } catch (const SerialError& error) {
      EXPECT_NE(std::string(error.what()).find("COM" + std::to_string(number)), std::string::npos)
          << error.what();
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.NativeHandle(), -1);
  }
  EXPECT_THROW(port.Write(RealTimeRequest), SerialError);
  EXPECT_TRUE(port.ReadAll().empty());
  EXPECT_EQ(port.BytesWaiting(), 0);
  ASSERT_TRUE(RunLineChecks(2));
  EXPECT_EQ(lost, 0);
}

// A pseudo-terminal carries eight data bits whatever it is told (the kernel resets them and
// QSerialPort reports the refusal), so here rate and stop bits show the settings taking effect,
// and seven data bits show a refusal.
TEST(PortControl, SettingsApplyAtOnceToTheOpenLine) {
  TempDir dir;
  SimProcess sim({"--kind", "ac", "--link", dir.File("com2")});
  LinkClient client(dir.File("com2"));
  client.Port().SetSettings("19200,n,8,2");  // while closed: used by the next open
  client.Open();
  termios line = LineSettings(client.Port());
  EXPECT_EQ(cfgetospeed(&line), B19200);
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_NE(line.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(line.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);

  client.Port().SetSettings("115200,n,8,1");
  line = LineSettings(client.Port());
  EXPECT_EQ(cfgetospeed(&line), B115200);
  EXPECT_EQ(line.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(client.Port().GetSettings(), "115200,n,8,1");

  // A text that is not a setting, or one the line refuses: an error, and the port stays open
  // with the settings it had.
  for (const char* refused : {"9600,n,8,1.5", "abc", "9600,n,,1", "9600,e,7,2"}) {
    SCOPED_TRACE(refused);
    EXPECT_THROW(client.Port().SetSettings(refused), SerialError);
    EXPECT_TRUE(client.Port().IsOpen());
    EXPECT_EQ(client.Port().GetSettings(), "115200,n,8,1");
    line = LineSettings(client.Port());
    EXPECT_EQ(cfgetospeed(&line), B115200);
    EXPECT_EQ(line.c_cflag & CSTOPB, 0u);
  }
  EXPECT_EQ(client.Exchange(RealTimeRequest).size(), 1u);
  EXPECT_FALSE(client.LostReason().has_value());
}

TEST(PortControl, OpenWithSettingsTheLineRefusesFails) {
  TempDir dir;
  SimProcess sim({"--kind", "ac", "--link", dir.File("com2")});
  QtSerialPort port({dir.File("com2"), "", "", ""});
  port.SetSettings("9600,n,7,1");
  EXPECT_THROW(port.Open(), SerialError);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.NativeHandle(), -1);
  port.SetSettings("9600,n,8,1");
  port.Open();
  EXPECT_TRUE(port.IsOpen());
}

TEST(PortControl, BytesWaitUntilReadAndDiscardDropsThem) {
  TempDir dir;
  SimProcess sim({"--kind", "ac", "--link", dir.File("com3")});
  QtSerialPort port({dir.File("com3"), "", "", ""});
  int notifications = 0;
  port.onReceive = [&] { ++notifications; };
  port.Open();

  port.Write(RealTimeRequest);
  ASSERT_TRUE(WaitFor([&] { return port.BytesWaiting() >= 19; }, 2000));
  EXPECT_GE(notifications, 1);
  const Bytes reply = port.ReadAll();
  EXPECT_EQ(reply.size(), 19u);
  EXPECT_EQ(port.BytesWaiting(), 0);

  port.Write(RealTimeRequest);
  ASSERT_TRUE(WaitFor([&] { return port.BytesWaiting() >= 19; }, 2000));
  port.DiscardBuffers();
  EXPECT_EQ(port.BytesWaiting(), 0);
  EXPECT_TRUE(port.ReadAll().empty());
}

TEST(PortControl, ClosingAndReopeningKeepsTheLineUp) {
  TempDir dir;
  SimProcess sim({"--kind", "hx", "--link", dir.File("com4")});
  LinkClient client(dir.File("com4"));
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    client.Open();
    EXPECT_TRUE(client.Port().IsOpen());
    EXPECT_EQ(client.Exchange(RealTimeRequest).size(), 1u);
    client.Port().Close();
    EXPECT_FALSE(client.Port().IsOpen());
  }
  // Closing is the owner's doing, not a lost link.
  ASSERT_TRUE(RunLineChecks(2));
  EXPECT_FALSE(client.LostReason().has_value());
}

}  // namespace
}  // namespace climate::test
