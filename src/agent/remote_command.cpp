// Parsing and checking remote commands.
#include "agent/remote_command.hpp"

#include <limits>
#include <nlohmann/json.hpp>
#include <utility>

#include "agent/unit_state.hpp"
#include "common/peer_text.hpp"
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

// "expires": an ISO-8601 UTC time or epoch milliseconds.
bool ReadExpiry(const Json& message, RemoteCommand& command) {
  const auto expires = message.find("expires");
  if (expires == message.end()) return true;
  if (expires->is_number_integer() && !expires->is_number_unsigned()) {
    command.expiresEpochMs = expires->get<std::int64_t>();
  } else if (expires->is_number_unsigned() &&
             expires->get<std::uint64_t>() <=
                 static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    command.expiresEpochMs = static_cast<std::int64_t>(expires->get<std::uint64_t>());
  } else if (expires->is_string()) {
    command.expiresEpochMs = ParseUtcTime(expires->get<std::string>());
  }
  // 1970 to the end of 9999: what a UTC time above can say, and what the log can show.
  constexpr std::int64_t LastMs = 253402300799999;
  if (command.expiresEpochMs && (*command.expiresEpochMs < 0 || *command.expiresEpochMs > LastMs)) {
    command.expiresEpochMs.reset();
  }
  if (!command.expiresEpochMs) {
    command.refusal =
        "\"expires\" must be a UTC time like \"2026-12-10T09:40:00Z\" or epoch milliseconds";
    return false;
  }
  return true;
}

}  // namespace

RemoteCommand ParseRemoteCommand(std::string_view payload, const ProtocolSettings& protocol,
                                 const CommandPolicy& policy) {
  RemoteCommand command;
  // Before the parser sees anything: its recursion and allocations follow the message.
  if (const auto broken = CheckJsonBounds(payload)) {
    command.refusal = "the command is " + *broken;
    return command;
  }
  const Json message = Json::parse(payload, nullptr, false);
  if (message.is_discarded() || !message.is_object()) {
    command.refusal = "the command is not a JSON object";
    return command;
  }
  // ASCII only: control characters and everything beyond come out as JSON escapes, so the text
  // is fit for a log line as it stands.
  if (const auto id = message.find("id"); id != message.end()) command.id = id->dump(-1, ' ', true);
  for (const auto& [key, value] : message.items()) {
    if (key != "id" && key != "command" && key != "values" && key != "expires") {
      command.refusal = "unknown field \"" + key + "\"";
      return command;
    }
  }
  if (!ReadExpiry(message, command)) return command;
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

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS, then an optional fraction, then Z.
  static constexpr std::string_view Shape = "dddd-dd-ddTdd:dd:dd";
  if (text.size() < Shape.size() + 1 || text.back() != 'Z') return std::nullopt;
  for (std::size_t i = 0; i < Shape.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (Shape[i] == 'd' ? !digit : text[i] != Shape[i]) return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  int millis = 0;
  const std::string_view fraction = text.substr(Shape.size(), text.size() - Shape.size() - 1);
  if (!fraction.empty()) {
    if (fraction[0] != '.' || fraction.size() < 2 || fraction.size() > 10) return std::nullopt;
    int scale = 100;
    for (std::size_t i = 1; i < fraction.size(); ++i) {
      if (fraction[i] < '0' || fraction[i] > '9') return std::nullopt;
      millis += (fraction[i] - '0') * scale;
      scale /= 10;
    }
  }
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
  static constexpr int MonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month < 1 || month > 12 || day < 1 || day > MonthDays[month - 1] || year < 1 ||
      (month == 2 && day == 29 && !leap) || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  // Days since 1970-01-01 of a proleptic Gregorian date (March-based years).
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
  return ((days * 24 + hour) * 60 + minute) * 60'000 + second * 1000 + millis;
}

const char* CommandStatusName(CommandStatus status) {
  static constexpr const char* Names[] = {"refused",  "acknowledged", "negative",
                                          "noAnswer", "portClosed",   "busy"};
  return Names[static_cast<int>(status)];
}

std::string CommandResultJson(const std::optional<std::string>& id, const std::string& command,
                              CommandStatus status, const std::string& message,
                              std::int64_t epochMs) {
  nlohmann::ordered_json result;
  if (id) {
    // The id's own text was produced by the parser, so it reads back; the check only keeps a
    // caller's mistake from costing the result.
    const Json value = Json::parse(*id, nullptr, false);
    result["id"] = value.is_discarded() ? Json(*id) : value;
  }
  result["command"] = command;
  result["status"] = CommandStatusName(status);
  result["ok"] = status == CommandStatus::Acknowledged;
  result["message"] = message;
  result["time"] = IsoUtc(epochMs);
  // Texts echoed from a command were valid UTF-8 when parsed; a cut elsewhere must not throw.
  return result.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string AckMessage(CommandAck ack, CommandCode pendingCode) {
  return RenderAck(ack, pendingCode, Language::English)
      .value_or("the unit answered neither yes nor no");
}

}  // namespace climate
