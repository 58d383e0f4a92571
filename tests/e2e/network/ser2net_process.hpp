// Debian's ser2net as a device server on loopback for tests and benchmarks: a generated
// configuration in front of one serial device, a free port chosen here, started and waited for
// until it listens, stopped again. Free of the test framework so the benchmarks can use it too.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace climate::test {

// A loopback TCP port nobody listens on at the moment of asking.
inline int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) ::close(fd);
    throw std::runtime_error("no free loopback port");
  }
  ::close(fd);
  return ntohs(address.sin_port);
}

// True once something listens on 127.0.0.1:port (read from the kernel's table, so waiting does
// not itself connect and make the server open its device).
inline bool ListensOnLoopback(int port) {
  std::ifstream table("/proc/net/tcp");
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
  for (std::string line; std::getline(table, line);) {
    if (line.find(wanted) != std::string::npos && line.find(" 0A ") != std::string::npos) {
      return true;
    }
  }
  return false;
}

class Ser2netProcess {
 public:
  enum class Mode { RawTcp, Rfc2217 };
  static constexpr int ListenTimeoutMs = 5000;

  // ser2net as installed, or set for the least delay: no Nagle on its socket, and what the line
  // brings forwarded at once instead of after waiting two character times for more.
  enum class Tuning { Defaults, LowLatency };

  // Serves device on 127.0.0.1:port; files go to folder (config and pid file).
  Ser2netProcess(Mode mode, const std::string& device, int port, const std::string& folder,
                 Tuning tuning = Tuning::Defaults)
      : port_(port) {
    const std::string config = folder + "/ser2net-" + std::to_string(port) + ".yaml";
    {
      const bool lowLatency = tuning == Tuning::LowLatency;
      std::ofstream out(config);
      out << "connection: &line\n"
          << "  accepter: " << (mode == Mode::Rfc2217 ? "telnet(rfc2217)," : "")
          << (lowLatency ? "tcp(nodelay)" : "tcp") << ",127.0.0.1," << port << "\n"
          << "  connector: serialdev," << device << ",9600n81,local\n"
          << "  options:\n    kickolduser: true\n";
      if (lowLatency) out << "    chardelay: false\n";
    }
    std::vector<std::string> all = {"ser2net",
                                    "-n",
                                    "-u",
                                    "-c",
                                    config,
                                    "-P",
                                    folder + "/ser2net-" + std::to_string(port) + ".pid"};
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    // It reports an unavailable mDNS service on every start; that is no concern here.
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Debian installs it in /usr/sbin, which is not on an ordinary user's PATH.
    const char* binary = ::access("/usr/sbin/ser2net", X_OK) == 0 ? "/usr/sbin/ser2net" : "ser2net";
    const int spawned = ::posix_spawnp(&pid_, binary, &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      pid_ = -1;
      throw std::runtime_error("cannot start ser2net (is the ser2net package installed?)");
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ListenTimeoutMs);
    while (!ListensOnLoopback(port_)) {
      if (std::chrono::steady_clock::now() > deadline ||
          ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        Stop();
        throw std::runtime_error("ser2net does not listen on port " + std::to_string(port_));
      }
      const timespec pause{0, 5'000'000};
      ::nanosleep(&pause, nullptr);
    }
  }

  ~Ser2netProcess() { Stop(); }
  Ser2netProcess(const Ser2netProcess&) = delete;
  Ser2netProcess& operator=(const Ser2netProcess&) = delete;

  int Port() const { return port_; }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      const timespec pause{0, 5'000'000};
      ::nanosleep(&pause, nullptr);
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  int port_;
  pid_t pid_ = -1;
};

}  // namespace climate::test
