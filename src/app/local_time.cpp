#include "app/local_time.hpp"

#include <chrono>
#include <ctime>

namespace climate {

LocalDateTime SystemClock::Now() const {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                       tm.tm_min,         tm.tm_sec,     tm.tm_wday};
}

std::int64_t SystemClock::MonotonicMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace climate
