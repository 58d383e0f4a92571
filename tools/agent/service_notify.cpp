// systemd's readiness and watchdog notifications.
#include "service_notify.hpp"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cstdint>

namespace climate {

ServiceNotifier::ServiceNotifier(QObject* parent) : QObject(parent) {
  std::uint64_t usec = 0;
  if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
    const auto ms = static_cast<int>(std::min<std::uint64_t>(usec / 2000, 3600 * 1000));
    watchdog_.setInterval(std::max(ms, 1));
    connect(&watchdog_, &QTimer::timeout, this, [] { sd_notify(0, "WATCHDOG=1"); });
  } else {
    watchdog_.setInterval(0);
  }
}

void ServiceNotifier::Ready() {
  sd_notify(0, "READY=1");
  if (watchdog_.interval() > 0) watchdog_.start();
}

void ServiceNotifier::Stopping() {
  watchdog_.stop();
  sd_notify(0, "STOPPING=1");
}

}  // namespace climate
