// Watches the bytes handed to a line for sending. An adapter that stops taking bytes raises no
// error anywhere: the bytes just stay queued. When what waits has not moved within a bound
// derived from the baud rate, the line is stalled, and the owner treats it as a lost link.
#pragma once

#include <cstddef>
#include <cstdint>

#include "serial/port_settings.hpp"

namespace climate {

// How long `bytes` queued for sending may take to leave: three times their time on the wire,
// plus a second for an adapter's own buffering and a busy host.
std::int64_t DrainBoundMs(std::size_t bytes, const PortSettings& settings);

class DrainWatch {
 public:
  // `written` bytes were just handed over; `pending` bytes (them included) still wait. The first
  // bytes to wait start the clock; later ones add their own wire time to it.
  void Written(std::size_t written, std::int64_t pending, std::int64_t nowMs,
               const PortSettings& settings);
  // A look at the line. Progress (fewer bytes waiting than at the last look) starts the clock
  // again for what is left. True when the bytes have not moved within the bound.
  bool Stalled(std::int64_t pending, std::int64_t nowMs, const PortSettings& settings);
  void Reset() { deadlineMs_ = -1; }
  bool Watching() const { return deadlineMs_ >= 0; }

 private:
  std::int64_t deadlineMs_ = -1;
  std::int64_t pending_ = 0;
};

}  // namespace climate
