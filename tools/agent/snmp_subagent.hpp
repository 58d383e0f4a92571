// The agent as an AgentX subagent of the host's master agent (net-snmp's snmpd): registers its
// row of the unit table (one registration a column instance), answers gets and walks from the row,
// sends the row's notifications through the master and, when sets are allowed, hands checked sets
// to the agent's command queue and answers them once the unit has. net-snmp keeps global state: one
// instance per process.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "agent/agent_settings.hpp"
#include "agent/remote_command.hpp"
#include "agent/unit_state.hpp"
#include "snmp/unit_row.hpp"
#include "snmp_loop.hpp"

struct netsnmp_mib_handler_s;
struct netsnmp_handler_registration_s;
struct netsnmp_agent_request_info_s;
struct netsnmp_request_info_s;
struct netsnmp_delegated_cache_s;

namespace climate {

class SnmpSubagent final : public QObject {
 public:
  using CommandDone = std::function<void(CommandStatus, const std::string&)>;
  // Queues a checked command behind the others; done runs when it has ended.
  using SubmitCommand = std::function<void(RemoteCommand, CommandDone)>;
  using LogLine = std::function<void(const std::string&)>;

  SnmpSubagent(const AgentSettings& settings, SubmitCommand submit, LogLine log,
               QObject* parent = nullptr);
  ~SnmpSubagent() override;

  // Connects to the master (or keeps trying in the background when it is not there yet).
  bool Start(std::string& error);

  // The agent's state after a poll; sends the notifications it calls for.
  void StateChanged(const std::optional<UnitReading>& reading, std::int64_t readingEpochMs,
                    const LinkCounters& link);

  // net-snmp's entry point, public for the C callback only.
  int Handle(netsnmp_handler_registration_s* registration, netsnmp_agent_request_info_s* info,
             netsnmp_request_info_s* requests);

 private:
  using Oid = std::vector<unsigned long>;

  Oid Instance(int column) const;
  void SetPingInterval() const;
  void HandleGet(netsnmp_request_info_s* request, bool next);
  void HandleSet(int mode, netsnmp_mib_handler_s* handler,
                 netsnmp_handler_registration_s* registration, netsnmp_agent_request_info_s* info,
                 netsnmp_request_info_s* requests);
  void FinishSet(netsnmp_delegated_cache_s* cache, const std::vector<std::pair<int, int>>& values,
                 CommandStatus status, const std::string& message);
  void Notify(const RowEvent& event);

  AgentSettings settings_;
  SubmitCommand submit_;
  LogLine log_;
  Oid root_;
  UnitRow row_;
  NetSnmpLoop loop_;
  std::vector<netsnmp_handler_registration_s*> registrations_;
  bool started_ = false;
};

}  // namespace climate
