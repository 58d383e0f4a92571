// From varbinds to a checked remote command.
#include "snmp/unit_set.hpp"

#include <limits>
#include <nlohmann/json.hpp>

#include "snmp/unit_columns.hpp"

namespace climate {

namespace {

SetVerdict Refuse(SetRefusal refusal, std::size_t item, std::string reason) {
  SetVerdict verdict;
  verdict.refusal = refusal;
  verdict.failedItem = item;
  verdict.reason = std::move(reason);
  return verdict;
}

// The varbind whose field the command reader's refusal names ("coolingOffPoint: ..."); the first
// one when it names none.
std::size_t ItemNamedBy(const std::string& refusal, const std::vector<SetItem>& items) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string key(FindUnitColumn(items[i].column)->key);
    if (refusal.rfind(key + ":", 0) == 0) return i;
  }
  return 0;
}

}  // namespace

SetVerdict CheckUnitSet(const std::vector<SetItem>& items, const ProtocolSettings& protocol,
                        const CommandPolicy& policy) {
  if (items.empty()) return Refuse(SetRefusal::InconsistentValue, 0, "nothing to set");
  std::string command;
  nlohmann::json values = nlohmann::json::object();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const UnitColumn* column = FindUnitColumn(items[i].column);
    const std::string_view belongs = column ? column->Command(policy.kind) : std::string_view{};
    if (belongs.empty()) {
      return Refuse(SetRefusal::NotWritable, i,
                    "column " + std::to_string(items[i].column) + " is not writable on this unit");
    }
    if ((belongs == "setFactoryParameters" || belongs == "setFanStopPoint") &&
        !policy.factoryCommands) {
      return Refuse(SetRefusal::NotWritable, i, "factory commands are disabled on this agent");
    }
    if (!command.empty() && command != belongs) {
      return Refuse(SetRefusal::InconsistentValue, i, "one command a request");
    }
    command = belongs;
    const std::string key(column->key);
    if (values.contains(key)) {
      return Refuse(SetRefusal::InconsistentValue, i, key + " appears twice");
    }
    values[key] = items[i].value;
  }

  nlohmann::json message = nlohmann::json::object();
  if (command == "remote") {
    const long long value = items[0].value;
    if (items.size() != 1 || (value != 1 && value != 2)) {
      return Refuse(SetRefusal::WrongValue, 0, "ccRemoteSwitch takes on(1) or off(2)");
    }
    message["command"] = value == 1 ? "remoteOn" : "remoteOff";
  } else {
    message["command"] = command;
    message["values"] = values;
  }
  SetVerdict verdict;
  verdict.command = ParseRemoteCommand(message.dump(), protocol, policy);
  if (!verdict.command.accepted) {
    const std::string& refusal = verdict.command.refusal;
    const bool missing = refusal.rfind("missing field", 0) == 0;
    return Refuse(missing ? SetRefusal::InconsistentValue : SetRefusal::WrongValue,
                  missing ? 0 : ItemNamedBy(refusal, items), refusal);
  }
  if (command != "remote") {
    for (const SetItem& item : items) {
      verdict.values.emplace_back(item.column, static_cast<int>(item.value));
    }
  }
  return verdict;
}

}  // namespace climate
