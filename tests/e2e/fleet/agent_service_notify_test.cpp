// The agent as a systemd Type=notify service: it says READY once started, pings the watchdog
// from its event loop at half the period systemd gives it, and says STOPPING at a clean stop.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "fleet_e2e.hpp"
#include "support/temp_dir.hpp"

namespace climate::test {
namespace {

// A datagram socket standing in for systemd's notification socket.
class NotifySocket {
 public:
  explicit NotifySocket(const std::string& path) : path_(path) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
      throw std::runtime_error("cannot bind " + path);
    }
    timeval timeout{0, 200 * 1000};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
  }
  ~NotifySocket() { ::close(fd_); }

  // Collects messages until one equals `wanted` or the time is up.
  bool WaitFor(const std::string& wanted, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      char buffer[512];
      const ssize_t n = ::recv(fd_, buffer, sizeof(buffer), 0);
      if (n <= 0) continue;
      messages.emplace_back(buffer, static_cast<std::size_t>(n));
      if (messages.back() == wanted) return true;
    }
    return false;
  }

  std::vector<std::string> messages;

 private:
  std::string path_;
  int fd_ = -1;
};

TEST(AgentService, TellsSystemdItIsReadyFeedsTheWatchdogAndSaysWhenItStops) {
  TempDir dir("climate-notify");
  NotifySocket systemd(dir.File("notify"));
  WriteFile(dir.File("agent.ini"),
            "[Agent]\nSite=north\nUnit=cab7\nDevice=" + dir.File("no-such-device") +
                "\n[Broker]\nHost=127.0.0.1\nPort=" + std::to_string(FreeLoopbackPort()) + "\n");
  ::setenv("NOTIFY_SOCKET", dir.File("notify").c_str(), 1);
  ::setenv("WATCHDOG_USEC", "400000", 1);
  ChildProcess agent({CLIMATE_AGENT_PATH, dir.File("agent.ini")}, dir.File("agent.log"));
  ::unsetenv("NOTIFY_SOCKET");
  ::unsetenv("WATCHDOG_USEC");

  // Ready although neither the unit nor the broker is there: both are retried, not fatal.
  ASSERT_TRUE(systemd.WaitFor("READY=1", 10000)) << ReadFile(dir.File("agent.log"));
  int pings = 0;
  for (int i = 0; i < 3; ++i) pings += systemd.WaitFor("WATCHDOG=1", 2000) ? 1 : 0;
  EXPECT_EQ(pings, 3) << "the watchdog is pinged every 200 ms";
  agent.Stop(SIGTERM);
  EXPECT_TRUE(systemd.WaitFor("STOPPING=1", 1000));
}

}  // namespace
}  // namespace climate::test
