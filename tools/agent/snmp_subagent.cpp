// The AgentX subagent: registration of the row, gets and walks, sets through the command queue,
// notifications.
#include "snmp_subagent.hpp"

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
// clang-format on

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <sstream>
#include <type_traits>

#include "common/peer_text.hpp"
#include "snmp/unit_set.hpp"

namespace climate {

// The row's OIDs are kept as unsigned long, net-snmp's oid on this platform.
static_assert(std::is_same_v<oid, unsigned long>);

namespace {

// The unit table's entry and the notification objects, under the root.
constexpr unsigned long EntryPath[] = {1, 1, 1};
constexpr unsigned long EventAlarmPath[] = {1, 2, 1, 0};
constexpr unsigned long EventTimePath[] = {1, 2, 2, 0};
constexpr oid SnmpTrapOid[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};

SnmpSubagent* Running = nullptr;  // net-snmp is one per process
SnmpSubagent::LogLine* LogTarget = nullptr;

std::int64_t EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::vector<unsigned long> ParseOid(const std::string& text) {
  std::vector<unsigned long> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, '.');) {
    if (!part.empty()) parts.push_back(std::stoul(part));
  }
  return parts;
}

int Compare(const oid* a, std::size_t aLength, const std::vector<unsigned long>& b) {
  return snmp_oid_compare(a, aLength, reinterpret_cast<const oid*>(b.data()), b.size());
}

int HandleRequests(netsnmp_mib_handler* handler, netsnmp_handler_registration* registration,
                   netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
  auto* self = static_cast<SnmpSubagent*>(handler->myvoid);
  return self ? self->Handle(registration, info, requests) : SNMP_ERR_GENERR;
}

// net-snmp's own log lines go to the agent's log, one line each, peer-safe.
int LogCallback(int, int, void* serverArg, void*) {
  const auto* message = static_cast<const snmp_log_message*>(serverArg);
  if (!LogTarget || !message || !message->msg) return 0;
  std::string line(message->msg);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  // A master that stays away is retried at every ping: said once, until something else is said.
  static std::string last;
  if (line.empty() || line == last) return 0;
  last = line;
  (*LogTarget)("snmp: " + EscapeForLog(line));
  return 0;
}

}  // namespace

SnmpSubagent::SnmpSubagent(const AgentSettings& settings, SubmitCommand submit, LogLine log,
                           QObject* parent)
    : QObject(parent),
      settings_(settings),
      submit_(std::move(submit)),
      log_(std::move(log)),
      root_(ParseOid(settings.snmp.root)),
      row_({settings.site, settings.unit, settings.kind}) {}

SnmpSubagent::~SnmpSubagent() {
  for (netsnmp_handler_registration* registration : registrations_) {
    netsnmp_unregister_handler(registration);
  }
  if (started_) snmp_shutdown("climate-agent");
  if (Running == this) Running = nullptr;
  LogTarget = nullptr;
}

bool SnmpSubagent::Start(std::string& error) {
  if (Running) {
    error = "only one SNMP subagent a process";
    return false;
  }
  Running = this;
  LogTarget = &log_;
  snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, LogCallback, nullptr);
  netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_INFO);

  // The agent speaks numeric OIDs only: no MIB files are read (and none missing reported). Set
  // before the MQTT client starts its thread.
  ::setenv("MIBS", "", 1);
  // No configuration or persistent files: the agent runs unprivileged in a read-only system.
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_ALARM_DONT_USE_SIG, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 1);
  netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_X_SOCKET,
                        settings_.snmp.agentxSocket.c_str());
  SetPingInterval();
  // A set waits for the line: the exchange on it, then the command's own answer. The master
  // is told to wait that long for this subagent.
  const int setSeconds = 2 * settings_.replyTimeoutMs / 1000 + 2;
  netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_TIMEOUT,
                     setSeconds * 1000000);
  if (init_agent("climate-agent") != 0) {
    error = "net-snmp's agent library did not start";
    return false;
  }
  // init_agent sets the library's default interval; init_snmp schedules the ping (and, with no
  // master yet, the first reconnect) with whatever is set then.
  SetPingInterval();
  init_snmp("climate-agent");
  SetPingInterval();
  started_ = true;

  // One registration a column instance: the agents of one master share the table row by row,
  // and a reconnect registers each again without overlapping another.
  for (const UnitColumn& column : UnitColumns()) {
    const Oid name = Instance(column.number);
    netsnmp_handler_registration* registration = netsnmp_create_handler_registration(
        column.name.data(), HandleRequests, reinterpret_cast<const oid*>(name.data()), name.size(),
        settings_.snmp.allowSet ? HANDLER_CAN_RWRITE : HANDLER_CAN_RONLY);
    if (!registration) {
      error = "cannot register the unit table";
      return false;
    }
    registration->handler->myvoid = this;
    if (netsnmp_register_handler(registration) != MIB_REGISTERED_OK) {
      error = "cannot register the unit table under " + settings_.snmp.root;
      return false;  // net-snmp freed the registration
    }
    registrations_.push_back(registration);
  }
  log_("snmp: subagent for row " + std::to_string(settings_.snmp.index) + " under " +
       settings_.snmp.root + " via " + settings_.snmp.agentxSocket +
       (settings_.snmp.allowSet ? " (sets allowed)" : ""));
  loop_.Refresh();
  return true;
}

void SnmpSubagent::SetPingInterval() const {
  netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_PING_INTERVAL,
                     settings_.snmp.pingSeconds);
}

SnmpSubagent::Oid SnmpSubagent::Instance(int column) const {
  Oid name = root_;
  name.insert(name.end(), std::begin(EntryPath), std::end(EntryPath));
  name.push_back(static_cast<unsigned long>(column));
  name.push_back(static_cast<unsigned long>(settings_.snmp.index));
  return name;
}

void SnmpSubagent::StateChanged(const std::optional<UnitReading>& reading,
                                std::int64_t readingEpochMs, const LinkCounters& link) {
  for (const RowEvent& event : row_.Update(reading, readingEpochMs, link, EpochMs())) {
    Notify(event);
  }
}

void SnmpSubagent::Notify(const RowEvent& event) {
  if (!started_) return;
  netsnmp_variable_list* vars = nullptr;
  Oid trap = root_;
  trap.push_back(0);
  trap.push_back(static_cast<unsigned long>(event.type));
  snmp_varlist_add_variable(&vars, SnmpTrapOid, OID_LENGTH(SnmpTrapOid), ASN_OBJECT_ID,
                            reinterpret_cast<const u_char*>(trap.data()),
                            trap.size() * sizeof(oid));
  const auto addText = [&](const Oid& name, const std::string& text) {
    snmp_varlist_add_variable(&vars, reinterpret_cast<const oid*>(name.data()), name.size(),
                              ASN_OCTET_STR, reinterpret_cast<const u_char*>(text.data()),
                              text.size());
  };
  addText(Instance(2), settings_.site);
  addText(Instance(3), settings_.unit);
  const auto scalar = [&](const auto& path) {
    Oid name = root_;
    name.insert(name.end(), std::begin(path), std::end(path));
    return name;
  };
  if (event.type == RowEventType::AlarmRaised || event.type == RowEventType::AlarmCleared) {
    addText(scalar(EventAlarmPath), event.alarm);
  }
  addText(scalar(EventTimePath), IsoUtc(event.epochMs));
  send_v2trap(vars);
  snmp_free_varbind(vars);
  loop_.Refresh();
}

int SnmpSubagent::Handle(netsnmp_handler_registration* registration,
                         netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
  switch (info->mode) {
    case MODE_GET:
    case MODE_GETNEXT:
      for (netsnmp_request_info* request = requests; request; request = request->next) {
        HandleGet(request, info->mode == MODE_GETNEXT);
      }
      return SNMP_ERR_NOERROR;
    default:
      HandleSet(info->mode, registration->handler, registration, info, requests);
      return SNMP_ERR_NOERROR;
  }
}

void SnmpSubagent::HandleGet(netsnmp_request_info* request, bool next) {
  netsnmp_variable_list* vb = request->requestvb;
  const std::int64_t now = EpochMs();
  for (const UnitColumn& column : UnitColumns()) {
    const Oid name = Instance(column.number);
    const int order = Compare(vb->name, vb->name_length, name);
    if (next) {
      // The next instance after the asked name, inside the part of the tree this call is for;
      // none here sends net-snmp on to the next part (another column, another agent's row).
      if (order > 0 || (order == 0 && !request->inclusive)) continue;
      if (request->range_end && Compare(request->range_end, request->range_end_len, name) <= 0) {
        return;
      }
      if (request->subtree &&
          Compare(request->subtree->end_a, request->subtree->end_len, name) <= 0) {
        return;
      }
      const std::optional<SnmpValue> value = row_.Value(column, now);
      if (!value) continue;
      snmp_set_var_objid(vb, reinterpret_cast<const oid*>(name.data()), name.size());
    } else {
      if (order != 0) continue;
    }
    const std::optional<SnmpValue> value = row_.Value(column, now);
    if (!value) break;
    switch (value->type) {
      case SnmpValue::Type::Text:
        snmp_set_var_typed_value(vb, ASN_OCTET_STR,
                                 reinterpret_cast<const u_char*>(value->text.data()),
                                 value->text.size());
        break;
      case SnmpValue::Type::Counter: {
        const u_long counter = static_cast<u_long>(value->number);
        snmp_set_var_typed_value(vb, ASN_COUNTER, reinterpret_cast<const u_char*>(&counter),
                                 sizeof counter);
        break;
      }
      case SnmpValue::Type::Integer: {
        const long number = static_cast<long>(value->number);
        snmp_set_var_typed_value(vb, ASN_INTEGER, reinterpret_cast<const u_char*>(&number),
                                 sizeof number);
        break;
      }
    }
    return;
  }
  if (!next) netsnmp_set_request_error(request->agent_req_info, request, SNMP_NOSUCHINSTANCE);
}

void SnmpSubagent::HandleSet(int mode, netsnmp_mib_handler* handler,
                             netsnmp_handler_registration* registration,
                             netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
  // net-snmp calls this once a registration, that is once a column; a set is checked whole, from
  // every varbind of the message, in the test phase and again from the same varbinds when the
  // master commits (the phases of one set arrive as separate AgentX messages). Every call reaches
  // the same verdict; the call that holds the varbind concerned answers for it.
  if (mode != MODE_SET_RESERVE1 && mode != MODE_SET_ACTION) return;
  const auto held = [&](const netsnmp_variable_list* vb) -> netsnmp_request_info* {
    for (netsnmp_request_info* request = requests; request; request = request->next) {
      if (snmp_oid_compare(request->requestvb->name, request->requestvb->name_length, vb->name,
                           vb->name_length) == 0) {
        return request;
      }
    }
    return nullptr;
  };
  const netsnmp_variable_list* all =
      info->asp && info->asp->pdu ? info->asp->pdu->variables : requests->requestvb;
  std::vector<SetItem> items;
  std::vector<const netsnmp_variable_list*> bindings;
  for (const netsnmp_variable_list* vb = all; vb; vb = vb->next_variable) {
    int number = 0;
    for (const UnitColumn& column : UnitColumns()) {
      if (Compare(vb->name, vb->name_length, Instance(column.number)) == 0) number = column.number;
    }
    if (number == 0) continue;  // not this row's: not this agent's to judge
    if (vb->type != ASN_INTEGER || !vb->val.integer) {
      if (netsnmp_request_info* own = held(vb)) {
        netsnmp_set_request_error(info, own, SNMP_ERR_WRONGTYPE);
      }
      return;
    }
    items.push_back({number, *vb->val.integer});
    bindings.push_back(vb);
  }
  if (items.empty()) return;
  const SetVerdict verdict =
      CheckUnitSet(items, settings_.protocol, {settings_.kind, settings_.factoryCommands});
  if (verdict.refusal != SetRefusal::None) {
    static constexpr int Errors[] = {SNMP_ERR_NOERROR, SNMP_ERR_NOTWRITABLE, SNMP_ERR_WRONGVALUE,
                                     SNMP_ERR_INCONSISTENTVALUE};
    if (netsnmp_request_info* own = held(bindings.at(verdict.failedItem))) {
      if (mode == MODE_SET_RESERVE1) log_("snmp set refused: " + EscapeForLog(verdict.reason));
      netsnmp_set_request_error(info, own, Errors[static_cast<int>(verdict.refusal)]);
    }
    return;
  }
  if (mode != MODE_SET_ACTION || !held(bindings.front())) return;

  // The answer waits for the unit's: the requests stay with net-snmp, marked delegated, until
  // the command has ended.
  for (netsnmp_request_info* request = requests; request; request = request->next) {
    request->delegated = 1;
  }
  netsnmp_delegated_cache* cache =
      netsnmp_create_delegated_cache(handler, registration, info, requests, nullptr);
  const std::vector<std::pair<int, int>> values = verdict.values;
  submit_(verdict.command, [this, cache, values](CommandStatus status, const std::string& message) {
    // Possibly called from inside this handler (a line that cannot be opened): the answer goes
    // out from the event loop, outside net-snmp's call.
    QTimer::singleShot(0, this, [this, cache, values, status, message] {
      FinishSet(cache, values, status, message);
    });
  });
}

void SnmpSubagent::FinishSet(netsnmp_delegated_cache_s* cache,
                             const std::vector<std::pair<int, int>>& values, CommandStatus status,
                             const std::string& message) {
  const bool ok = status == CommandStatus::Acknowledged;
  log_("snmp set " + std::string(ok ? "done" : "failed") + ": " + message);
  if (ok) row_.Acknowledged(values);
  netsnmp_delegated_cache* live = netsnmp_handler_check_cache(cache);
  if (live) {
    // The unit refused, did not answer, or the line is down: nothing was changed. Too many
    // commands waiting: nothing was tried.
    if (!ok) {
      netsnmp_set_request_error(
          live->reqinfo, live->requests,
          status == CommandStatus::Busy ? SNMP_ERR_RESOURCEUNAVAILABLE : SNMP_ERR_COMMITFAILED);
    }
    for (netsnmp_request_info* request = live->requests; request; request = request->next) {
      request->delegated = 0;
    }
  } else {
    log_("snmp set: the master no longer waits for this answer");
  }
  netsnmp_free_delegated_cache(cache);
  netsnmp_check_outstanding_agent_requests();
  loop_.Refresh();
}

}  // namespace climate
