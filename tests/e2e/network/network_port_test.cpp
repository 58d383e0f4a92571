// The network port on its own: a server that never accepts makes Open give up after the connect
// timeout while the event loop keeps running, and a second Open meanwhile fails at once.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>

#include "serial/network_serial_port.hpp"
#include "support/loopback_listener.hpp"

namespace climate::test {
namespace {

TEST(NetworkPort, ConnectingIsBoundedAndLeavesTheEventLoopRunning) {
  NeverAccepting server;
  NetworkSerialPort port;
  port.SetEndpoint(
      ParsePortEntry("tcp://127.0.0.1:" + std::to_string(server.Port())).entry.value());
  port.SetConnectTimeoutMs(400);

  int ticks = 0;
  std::string secondOpen;
  QTimer ticker;
  ticker.setInterval(50);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++ticks;
    if (ticks != 2) return;
    try {
      port.Open();
    } catch (const SerialError& error) {
      secondOpen = error.what();
    }
  });
  ticker.start();
  try {
    port.Open();
    ADD_FAILURE() << "opened";
  } catch (const SerialError& error) {
    EXPECT_NE(std::string(error.what()).find("no connection within 400 ms"), std::string::npos)
        << error.what();
  }
  EXPECT_GE(ticks, 3);
  EXPECT_NE(secondOpen.find("already being made"), std::string::npos) << secondOpen;
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THROW(port.Write({0x7E}), SerialError);
}

}  // namespace
}  // namespace climate::test
