// Listening sockets on 127.0.0.1 for the network tests: a listener on a free port, and one whose
// accept queue is full, so the kernel drops further connection requests and a connect to it
// neither succeeds nor fails until the client gives up.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace climate::test {

// A listening socket on 127.0.0.1 at a free port; the port is returned in port.
inline int ListenOnLoopback(int backlog, int& port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 ||
      ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, backlog) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener >= 0) ::close(listener);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return listener;
}

class NeverAccepting {
 public:
  NeverAccepting() {
    listener_ = ListenOnLoopback(0, port_);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    // Fill the queue (a backlog of 0 still takes one).
    for (int& filler : fillers_) {
      filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
  }
  ~NeverAccepting() {
    for (int filler : fillers_) ::close(filler);
    ::close(listener_);
  }
  NeverAccepting(const NeverAccepting&) = delete;
  NeverAccepting& operator=(const NeverAccepting&) = delete;
  int Port() const { return port_; }

 private:
  int listener_ = -1;
  int fillers_[2] = {-1, -1};
  int port_ = 0;
};

}  // namespace climate::test
