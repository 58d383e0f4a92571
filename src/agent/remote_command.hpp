// Commands that arrive on the command topic as JSON, checked exactly as the console checks the
// same input (the parameter dialogs' model for set points, the stop-point rule for the fan stop
// point) and turned into the request for the unit. A refused command never yields a frame.
//
//   {"id": "42", "command": "setParameters", "values": {"coolingOffPoint": 25, ...},
//    "expires": "2026-12-10T09:40:00Z"}
//
// The message is read once: its size and nesting are bounded before it is parsed, then every
// field is type-checked into a RemoteCommand or a refusal naming the field.
//
// Commands: remoteOn, remoteOff, setParameters (the agent's unit type), setFactoryParameters
// (heat exchanger) and setFanStopPoint (air conditioner); the last two only when the agent's
// settings enable factory commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/config/protocol_settings.hpp"
#include "protocol/command_code.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/frame.hpp"
#include "protocol/replies.hpp"

namespace climate {

struct RemoteCommand {
  bool accepted = false;
  // The id as the JSON text it came as (compact, printable ASCII with JSON escapes), echoed in
  // the result as that same value; nullopt when the message had none (or could not be read).
  std::optional<std::string> id;
  std::string command;  // as given, empty when unreadable
  std::string refusal;  // why it was refused, for the result message
  // When the sender stops wanting the command (epoch ms, UTC); nullopt: no limit.
  std::optional<std::int64_t> expiresEpochMs;
  RequestFrame frame;
  CommandCode pendingCode = CommandCode::HeatExchangerParameters;  // which ack texts answer it
};

struct CommandPolicy {
  DeviceKind kind = DeviceKind::AirConditioner;
  bool factoryCommands = false;
};

RemoteCommand ParseRemoteCommand(std::string_view payload, const ProtocolSettings& protocol,
                                 const CommandPolicy& policy);

// Reads an "expires" text: an ISO-8601 UTC time "YYYY-MM-DDTHH:MM:SS[.fff]Z". nullopt when it is
// not one.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

// How a command ended.
enum class CommandStatus { Refused, Acknowledged, NegativeAck, NoAnswer, PortClosed, Busy };
// The result's "status": "refused", "acknowledged", "negative", "noAnswer", "portClosed", "busy".
const char* CommandStatusName(CommandStatus status);

// The result message: {"id", "command", "status", "ok", "message", "time"}. id is the JSON text
// of the command's id and comes back as that value; without one the result has no "id".
std::string CommandResultJson(const std::optional<std::string>& id, const std::string& command,
                              CommandStatus status, const std::string& message,
                              std::int64_t epochMs);

// The unit's acknowledgement in words, as the console's memo would put it (English).
std::string AckMessage(CommandAck ack, CommandCode pendingCode);

}  // namespace climate
