// Starts climate-sim as a child process for tests and benchmarks, waits for its ready line and
// stops it again. Free of the test framework so the benchmarks can use it too.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_dir.hpp"

extern char** environ;

namespace climate::test {

// The lines of a text file (the simulator's --record output).
inline std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Sends the signal to the child and reaps it; its wait status, or -1 when there is no child.
inline int SignalAndReap(pid_t& pid, int signal) {
  if (pid <= 0) return -1;
  ::kill(pid, signal);
  int status = 0;
  ::waitpid(pid, &status, 0);
  pid = -1;
  return status;
}

class SimProcess {
 public:
  static constexpr int ReadyTimeoutMs = 5000;

  explicit SimProcess(const std::vector<std::string>& args,
                      const std::string& binary = CLIMATE_SIM_PATH) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> all{binary};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
      ::close(out[0]);
      pid_ = -1;
      throw std::runtime_error("cannot start " + binary);
    }
    const bool ready = ReadReadyLine(out[0]);
    ::close(out[0]);
    if (!ready) {
      const int status = Kill(SIGKILL);
      throw std::runtime_error("climate-sim did not become ready (status " +
                               std::to_string(status) + "): " + readyLine_);
    }
  }

  ~SimProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      const timespec pause{0, 5'000'000};
      ::nanosleep(&pause, nullptr);
    }
    Kill(SIGKILL);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Sends the signal and reaps the process; returns its wait status.
  int Kill(int signal) { return SignalAndReap(pid_, signal); }

  pid_t Pid() const { return pid_; }
  const std::string& ReadyLine() const { return readyLine_; }
  std::string SlavePath() const {
    const auto arrow = readyLine_.rfind(" -> ");
    return arrow == std::string::npos ? std::string() : readyLine_.substr(arrow + 4);
  }

 private:
  bool ReadReadyLine(int fd) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ReadyTimeoutMs);
    while (true) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return false;
      pollfd entry{fd, POLLIN, 0};
      if (::poll(&entry, 1, static_cast<int>(left)) <= 0) continue;
      char c = 0;
      if (::read(fd, &c, 1) != 1) return false;  // exited before it was ready
      if (c == '\n') return readyLine_.rfind("climate-sim: serving ", 0) == 0;
      readyLine_ += c;
    }
  }

  pid_t pid_ = -1;
  std::string readyLine_;
};

}  // namespace climate::test
