// Parsing and checking remote commands.
#include "agent/remote_command.hpp"

#include <nlohmann/json.hpp>
#include <utility>

#include "agent/unit_state.hpp"
#include "console/operator_checks.hpp"
#include "console/ui_texts.hpp"
#include "dialogs/parameter_model.hpp"
#include "protocol/reply_views.hpp"

namespace climate {

namespace {

using Json = nlohmann::json;

// The JSON name of every field of a parameter model, by the field's configuration key. The
// checking itself stays with the model.
struct FieldName {
  const char* json;
  const char* valueKey;
};

constexpr FieldName FieldNames[] = {
    {"coolingOffPoint", "Zltzd"},
    {"coolingSensitivity", "Zllmd"},
    {"heatingOnPoint", "Jrkqd"},
    {"heaterSensitivity", "Jrlmd"},
    {"highTemperatureAlarmPoint", "Gwgjd"},
    {"lowTemperatureAlarmPoint", "Dwgjd"},
    {"externalFanAdjustPoint", "Wfjtsd"},
    {"externalFanAdjustBand", "WfjqsdjyTsdpc"},
    {"highTemperatureAlarmPoint", "Gwbjd"},
    {"lowTemperatureAlarmPoint", "Dwbjd"},
    {"internalFanAdjustPoint", "Nfjkstsd"},
    {"internalFanAdjustBand", "Nfjqsdjynfjtsdpc"},
    {"internalFanStopPoint", "Nfjtzd"},
    {"externalFanStopBand", "Wfjtzdjywfjtsdpc"},
    {"lowestFanSpeed", "Fjzdzs"},
};

std::string JsonName(const ParameterField& field) {
  for (const FieldName& name : FieldNames) {
    if (field.valueKey == name.valueKey) return name.json;
  }
  return field.valueKey;
}

// A value as the text an operator would have typed: a whole number as its digits, a text as it
// stands. Anything else is refused here with a message in the dialogs' words where they fit.
bool FieldText(const Json& value, const std::string& name, std::string& text,
               std::string& refusal) {
  if (value.is_number_integer()) {
    text = value.dump();
  } else if (value.is_number_float()) {
    refusal = name + ": " + NotAnIntegerMessage(value.dump());
    return false;
  } else if (value.is_string()) {
    text = value.get<std::string>();
  } else {
    refusal = name + ": expected a whole number, got " + std::string(value.type_name());
    return false;
  }
  return true;
}

void ParseParameters(const Json& message, ParameterModel model, const ProtocolSettings& protocol,
                     RemoteCommand& command) {
  const auto values = message.find("values");
  if (values == message.end() || !values->is_object()) {
    command.refusal = "\"values\" must be an object with every field of the command";
    return;
  }
  for (const auto& [name, value] : values->items()) {
    bool known = false;
    for (std::size_t i = 0; i < model.Size(); ++i) known |= JsonName(model.Field(i)) == name;
    if (!known) {
      command.refusal = "unknown field \"" + name + "\" in \"values\"";
      return;
    }
  }
  for (std::size_t i = 0; i < model.Size(); ++i) {
    const std::string name = JsonName(model.Field(i));
    const auto value = values->find(name);
    if (value == values->end()) {
      command.refusal = "missing field \"" + name + "\" in \"values\"";
      return;
    }
    std::string text;
    if (!FieldText(*value, name, text, command.refusal)) return;
    model.SetText(i, std::move(text));
  }
  const EncodeResult encoded = model.Encode(Language::English);
  if (!encoded.ok) {
    command.refusal = JsonName(model.Field(encoded.failedField)) + ": " + encoded.message;
    return;
  }
  command.frame = model.BuildFrame(protocol, encoded.data);
  command.pendingCode = model.Info().pendingCode;
  command.accepted = true;
}

void ParseFanStopPoint(const Json& message, const ProtocolSettings& protocol,
                       RemoteCommand& command) {
  const auto values = message.find("values");
  if (values == message.end() || !values->is_object() || values->size() != 1 ||
      !values->contains("stopPoint")) {
    command.refusal = "\"values\" must be {\"stopPoint\": <0 to 15>}";
    return;
  }
  std::string text;
  if (!FieldText(values->at("stopPoint"), "stopPoint", text, command.refusal)) return;
  const StopPointResult checked = ValidateStopPoint(text);
  if (checked.check == StopPointCheck::NotDigits) {
    command.refusal = "stopPoint: " + std::string(Texts::StopPointNotDigits.english);
    return;
  }
  if (checked.check == StopPointCheck::OutOfRange) {
    command.refusal = "stopPoint: " + std::string(Texts::StopPointOutOfRange.english);
    return;
  }
  const std::uint8_t data[] = {static_cast<std::uint8_t>(checked.degrees + 20)};
  command.frame =
      BuildRequest(protocol, CommandKind::SetFanStopPoint, DeviceKind::AirConditioner, data);
  command.pendingCode = CommandCode::InternalFanStopPoint;
  command.accepted = true;
}

void ParseRemote(const Json& message, bool on, const ProtocolSettings& protocol, DeviceKind kind,
                 RemoteCommand& command) {
  if (message.contains("values")) {
    command.refusal = "\"" + command.command + "\" takes no \"values\"";
    return;
  }
  const std::uint8_t data[] = {static_cast<std::uint8_t>(on ? protocol.YkkjML : protocol.YkgjML)};
  command.frame = BuildRequest(protocol, CommandKind::RemoteOnOff, kind, data);
  command.pendingCode = on ? CommandCode::RemoteOn : CommandCode::RemoteOff;
  command.accepted = true;
}

void Dispatch(const Json& message, const ProtocolSettings& protocol, const CommandPolicy& policy,
              RemoteCommand& command) {
  const std::string& name = command.command;
  const bool hx = policy.kind == DeviceKind::HeatExchanger;
  if (name == "remoteOn" || name == "remoteOff") {
    ParseRemote(message, name == "remoteOn", protocol, policy.kind, command);
  } else if (name == "setParameters") {
    ParseParameters(message,
                    hx ? ParameterModel::HeatExchanger() : ParameterModel::AirConditioner(),
                    protocol, command);
  } else if (name == "setFactoryParameters" || name == "setFanStopPoint") {
    const bool fits = (name == "setFactoryParameters") == hx;
    if (!fits) {
      command.refusal =
          "\"" + name + "\" does not apply to a" + (hx ? " heat exchanger" : "n air conditioner");
    } else if (!policy.factoryCommands) {
      command.refusal = "factory commands are disabled on this agent";
    } else if (hx) {
      ParseParameters(message, ParameterModel::HeatExchangerFactory(), protocol, command);
    } else {
      ParseFanStopPoint(message, protocol, command);
    }
  } else {
    command.refusal = "unknown command \"" + name + "\"";
  }
}

}  // namespace

RemoteCommand ParseRemoteCommand(std::string_view payload, const ProtocolSettings& protocol,
                                 const CommandPolicy& policy) {
  RemoteCommand command;
  const Json message = Json::parse(payload, nullptr, false);
  if (message.is_discarded() || !message.is_object()) {
    command.refusal = "the command is not a JSON object";
    return command;
  }
  if (const auto id = message.find("id"); id != message.end()) {
    command.id = id->is_string() ? id->get<std::string>() : id->dump();
  }
  for (const auto& [key, value] : message.items()) {
    if (key != "id" && key != "command" && key != "values") {
      command.refusal = "unknown field \"" + key + "\"";
      return command;
    }
  }
  const auto name = message.find("command");
  if (name == message.end() || !name->is_string()) {
    command.refusal = "\"command\" must be a text";
    return command;
  }
  command.command = name->get<std::string>();
  Dispatch(message, protocol, policy, command);
  if (!command.accepted) command.frame.clear();
  return command;
}

std::string CommandResultJson(const std::string& id, const std::string& command,
                              CommandStatus status, const std::string& message,
                              std::int64_t epochMs) {
  static constexpr const char* Names[] = {"refused",  "acknowledged", "negative",
                                          "noAnswer", "portClosed",   "busy"};
  nlohmann::ordered_json result;
  result["id"] = id;
  result["command"] = command;
  result["status"] = Names[static_cast<int>(status)];
  result["ok"] = status == CommandStatus::Acknowledged;
  result["message"] = message;
  result["time"] = IsoUtc(epochMs);
  return result.dump();
}

std::string AckMessage(CommandAck ack, CommandCode pendingCode) {
  return RenderAck(ack, pendingCode, Language::English)
      .value_or("the unit answered neither yes nor no");
}

}  // namespace climate
