#include "serial/drain_watch.hpp"

namespace climate {

std::int64_t DrainBoundMs(std::size_t bytes, const PortSettings& settings) {
  constexpr std::int64_t SlackMs = 1000;
  const std::int64_t baud = settings.baudRate > 0 ? settings.baudRate : 1;
  const auto bits = static_cast<std::int64_t>(bytes) * BitsPerCharacter(settings);
  return SlackMs + (3 * 1000 * bits + baud - 1) / baud;
}

void DrainWatch::Written(std::size_t written, std::int64_t pending, std::int64_t nowMs,
                         const PortSettings& settings) {
  if (pending <= 0) {
    deadlineMs_ = -1;
    return;
  }
  if (deadlineMs_ < 0) {
    deadlineMs_ = nowMs + DrainBoundMs(static_cast<std::size_t>(pending), settings);
  } else {
    deadlineMs_ += DrainBoundMs(written, settings) - DrainBoundMs(0, settings);
  }
  pending_ = pending;
}

bool DrainWatch::Stalled(std::int64_t pending, std::int64_t nowMs, const PortSettings& settings) {
  if (deadlineMs_ < 0) return false;
  if (pending <= 0) {
    deadlineMs_ = -1;
    return false;
  }
  if (pending < pending_) {
    deadlineMs_ = nowMs + DrainBoundMs(static_cast<std::size_t>(pending), settings);
    pending_ = pending;
    return false;
  }
  return nowMs >= deadlineMs_;
}

}  // namespace climate
