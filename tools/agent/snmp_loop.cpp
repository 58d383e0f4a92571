// net-snmp on the Qt event loop.
#include "snmp_loop.hpp"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
#include <net-snmp/library/large_fd_set.h>
// clang-format on

#include <algorithm>
#include <vector>

namespace climate {

namespace {

// The library's time-outs and alarms are checked at least this often, so that a missed
// wake-up costs a second, never a lost master.
constexpr int LongestWaitMs = 1000;

}  // namespace

NetSnmpLoop::NetSnmpLoop(QObject* parent) : QObject(parent) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { OnTimeout(); });
}

NetSnmpLoop::~NetSnmpLoop() = default;

void NetSnmpLoop::Refresh() {
  netsnmp_large_fd_set fds;
  netsnmp_large_fd_set_init(&fds, FD_SETSIZE);
  int maxFd = 0;
  int block = 1;
  timeval wait{};
  snmp_select_info2(&maxFd, &fds, &wait, &block);
  std::vector<int> wanted;
  for (int fd = 0; fd < maxFd; ++fd) {
    if (NETSNMP_LARGE_FD_ISSET(fd, &fds)) wanted.push_back(fd);
  }
  netsnmp_large_fd_set_cleanup(&fds);

  for (auto it = notifiers_.begin(); it != notifiers_.end();) {
    if (std::find(wanted.begin(), wanted.end(), it->first) == wanted.end()) {
      // Possibly the notifier whose signal is running now: let Qt delete it afterwards.
      it->second->setEnabled(false);
      it->second.release()->deleteLater();
      it = notifiers_.erase(it);
    } else {
      ++it;
    }
  }
  for (const int fd : wanted) {
    if (notifiers_.count(fd) != 0) continue;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this, fd] { OnReadable(fd); });
    notifiers_.emplace(fd, std::move(notifier));
  }

  int waitMs = LongestWaitMs;
  if (!block) {
    const long long ms = static_cast<long long>(wait.tv_sec) * 1000 + (wait.tv_usec + 999) / 1000;
    waitMs = static_cast<int>(std::clamp<long long>(ms, 0, LongestWaitMs));
  }
  timer_.start(waitMs);
}

void NetSnmpLoop::OnReadable(int fd) {
  netsnmp_large_fd_set fds;
  netsnmp_large_fd_set_init(&fds, FD_SETSIZE);
  NETSNMP_LARGE_FD_SET(fd, &fds);
  snmp_read2(&fds);
  netsnmp_large_fd_set_cleanup(&fds);
  netsnmp_check_outstanding_agent_requests();
  Refresh();
}

void NetSnmpLoop::OnTimeout() {
  snmp_timeout();
  run_alarms();
  netsnmp_check_outstanding_agent_requests();
  Refresh();
}

}  // namespace climate
