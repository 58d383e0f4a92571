#include "serial/send_request.hpp"

namespace climate {

bool SendRequest(SerialPort& port, const RequestFrame& frame,
                 const std::function<void()>& openPort) {
  if (!port.IsOpen() && openPort) openPort();
  if (!port.IsOpen()) return false;
  port.Write(frame);
  return true;
}

}  // namespace climate
