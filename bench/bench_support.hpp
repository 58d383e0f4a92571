// What the bench programs measure with: the process's memory and processor time, percentiles, a
// wait on the event loop, the round trip of a real-time request, and prompts that answer every
// box and count the messages.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "console/prompts.hpp"
#include "protocol/framer.hpp"
#include "protocol/receive.hpp"
#include "serial/serial_port.hpp"

namespace climate::bench {

// User and system time of another process in seconds, from /proc/<pid>/stat.
inline double ProcessCpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// A status line of /proc/<pid>/status in kB ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long StatusKb(pid_t pid, const std::string& field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

inline long RssKiB() {
  return StatusKb(::getpid(), "VmRSS");
}

// User and system time of this process in seconds.
inline double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The value below which the given fraction of the values lies (the nearest rank).
inline double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto index =
      static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// Runs the event loop until done() or the deadline, waking at least every sliceMs; false when
// the deadline came first.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs, int sliceMs = 5) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, sliceMs);
  }
  return true;
}

// Takes what a port brings through the console's framer and receive path, counting the decoded
// real-time replies of an air conditioner, and times a request to its decoded reply.
class RealTimeRoundTrip {
 public:
  // The port, the context and the clock must outlive this.
  RealTimeRoundTrip(SerialPort& port, const ReceiveContext& context, const QElapsedTimer& clock)
      : port_(port), context_(context), clock_(clock) {
    port_.onReceive = [this] { Take(); };
  }
  ~RealTimeRoundTrip() { port_.onReceive = nullptr; }
  RealTimeRoundTrip(const RealTimeRoundTrip&) = delete;
  RealTimeRoundTrip& operator=(const RealTimeRoundTrip&) = delete;

  // Writes the request and waits for a reply to decode: the milliseconds from the write to the
  // decoded reply, or nothing when none came within the time.
  std::optional<double> Ask(const std::vector<std::uint8_t>& request, int timeoutMs,
                            int sliceMs = 50) {
    const int before = decoded_;
    const qint64 sentAtNs = clock_.nsecsElapsed();
    port_.Write(request);
    if (!WaitFor([&] { return decoded_ != before; }, timeoutMs, sliceMs)) return std::nullopt;
    return static_cast<double>(decodedAtNs_ - sentAtNs) / 1e6;
  }

 private:
  void Take() {
    for (const Bytes& frame : framer_.Push(port_.ReadAll(), clock_.elapsed())) {
      const ReceiveOutcome outcome = ProcessReply(frame, context_);
      if (outcome.kind == ReplyKind::AcRealTime && outcome.verdict == ReceiveVerdict::Shown) {
        ++decoded_;
        decodedAtNs_ = clock_.nsecsElapsed();
      }
    }
  }

  SerialPort& port_;
  const ReceiveContext& context_;
  const QElapsedTimer& clock_;
  StreamFramer framer_;
  int decoded_ = 0;
  qint64 decodedAtNs_ = 0;
};

// Confirms every question, cancels every input and counts the message boxes, naming them on
// stderr so a bench run shows what the window complained about.
class CountingPrompts final : public Prompts {
 public:
  int messages = 0;
  void Message(const std::string& text, const std::string&) override {
    ++messages;
    std::fprintf(stderr, "message box: %s\n", text.c_str());
  }
  bool Confirm(const std::string&, const std::string&) override { return true; }
  bool InputText(const std::string&, const std::string&, std::string&, char, const std::string&,
                 const std::string&) override {
    return false;
  }
};

}  // namespace climate::bench
