// The one way every sender writes a request.
#pragma once

#include <functional>

#include "protocol/frame.hpp"
#include "serial/serial_port.hpp"

namespace climate {

// If the port is closed, runs openPort once (the port change routine, which reports its own
// failure). Still closed: returns false and writes nothing. Otherwise writes the whole frame in
// one write and returns true. A write error propagates as SerialError for the caller to show.
bool SendRequest(SerialPort& port, const RequestFrame& frame,
                 const std::function<void()>& openPort);

}  // namespace climate
