// A broken-down local date and time, and the clocks that supply it.
#pragma once

#include <cstdint>

namespace climate {

struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;
  int weekday = 6;  // 0 = Sunday .. 6 = Saturday
};

// Time source for everything that stamps or names things; tests substitute a fake.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  // Milliseconds on a monotonic scale, for time-outs such as the stale partial frame.
  virtual std::int64_t MonotonicMs() const = 0;
};

class SystemClock final : public Clock {
 public:
  LocalDateTime Now() const override;
  std::int64_t MonotonicMs() const override;
};

// A clock that only moves when told to.
class FakeClock final : public Clock {
 public:
  LocalDateTime Now() const override { return now_; }
  std::int64_t MonotonicMs() const override { return monotonicMs_; }
  void Set(const LocalDateTime& now) { now_ = now; }
  void AdvanceMs(std::int64_t ms) { monotonicMs_ += ms; }

 private:
  LocalDateTime now_{};
  std::int64_t monotonicMs_ = 0;
};

}  // namespace climate
