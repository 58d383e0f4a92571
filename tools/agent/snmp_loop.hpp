// Drives net-snmp's sessions from the Qt event loop: one QSocketNotifier per descriptor the
// library wants read, a single-shot timer for its time-outs and alarms (the AgentX ping that
// reconnects to a restarted master is one). The descriptor set is taken afresh after every call
// into the library, since a lost or reopened master session changes it.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <map>
#include <memory>

namespace climate {

class NetSnmpLoop final : public QObject {
 public:
  explicit NetSnmpLoop(QObject* parent = nullptr);
  ~NetSnmpLoop() override;

  // Takes the library's descriptors and time-out again; call after anything that may have
  // changed them (start, a notification sent, a delegated request finished).
  void Refresh();

 private:
  void OnReadable(int fd);
  void OnTimeout();

  QTimer timer_;
  std::map<int, std::unique_ptr<QSocketNotifier>> notifiers_;
};

}  // namespace climate
