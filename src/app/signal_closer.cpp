// A signal handler may do next to nothing; it writes one byte into a socket pair and the event
// loop, watching the other end, does the closing.
#include "app/signal_closer.hpp"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace climate {

namespace {

int wakeFds[2] = {-1, -1};
struct sigaction previousTerm {};
struct sigaction previousInt {};

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  (void)::write(wakeFds[0], &byte, 1);
  errno = saved;
}

}  // namespace

SignalCloser::SignalCloser(std::function<void()> onTermination)
    : onTermination_(std::move(onTermination)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeFds) != 0) {
    throw std::runtime_error("Cannot watch for termination signals");
  }
  ::fcntl(wakeFds[0], F_SETFL, O_NONBLOCK);
  notifier_ = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { OnSignal(); });

  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, &previousTerm);
  ::sigaction(SIGINT, &action, &previousInt);
}

SignalCloser::~SignalCloser() {
  ::sigaction(SIGTERM, &previousTerm, nullptr);
  ::sigaction(SIGINT, &previousInt, nullptr);
  delete notifier_;
  ::close(wakeFds[0]);
  ::close(wakeFds[1]);
  wakeFds[0] = wakeFds[1] = -1;
}

void SignalCloser::OnSignal() {
  char bytes[16];
  (void)::read(wakeFds[1], bytes, sizeof bytes);
  if (onTermination_) onTermination_();
}

}  // namespace climate
