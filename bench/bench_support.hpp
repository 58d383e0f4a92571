// What the bench programs measure with: the process's memory and processor time, percentiles,
// and prompts that answer every box and count the messages.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "console/prompts.hpp"

namespace climate::bench {

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
