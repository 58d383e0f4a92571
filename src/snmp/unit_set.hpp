// Checking an SNMP set request on the unit table before anything is sent. The varbinds of one
// request are turned into the command message the MQTT command reader takes, so a set is checked
// by exactly the same code as a remote command (the parameter dialogs' model, the stop-point
// rule) and yields the same request frame. One request carries one command: remote on/off, or
// every field of one parameter set.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "agent/remote_command.hpp"

namespace climate {

struct SetItem {
  int column = 0;
  long long value = 0;  // the INTEGER as it came
};

// The SNMP error a refused set gets.
enum class SetRefusal { None, NotWritable, WrongValue, InconsistentValue };

struct SetVerdict {
  SetRefusal refusal = SetRefusal::None;
  std::size_t failedItem = 0;  // which varbind the error names
  std::string reason;          // for the agent's log
  RemoteCommand command;       // accepted: the request for the unit
  // Parameter columns and values to remember once the unit acknowledges them.
  std::vector<std::pair<int, int>> values;
};

SetVerdict CheckUnitSet(const std::vector<SetItem>& items, const ProtocolSettings& protocol,
                        const CommandPolicy& policy);

}  // namespace climate
