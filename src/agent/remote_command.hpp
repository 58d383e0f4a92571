// Commands that arrive on the command topic as JSON, checked exactly as the console checks the
// same input (the parameter dialogs' model for set points, the stop-point rule for the fan stop
// point) and turned into the request for the unit. A refused command never yields a frame.
//
//   {"id": "42", "command": "setParameters", "values": {"coolingOffPoint": 25, ...}}
//
// Commands: remoteOn, remoteOff, setParameters (the agent's unit type), setFactoryParameters
// (heat exchanger) and setFanStopPoint (air conditioner); the last two only when the agent's
// settings enable factory commands.
#pragma once

#include <cstdint>
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
  std::string id;       // echoed in the result; empty when the message had none
  std::string command;  // as given, empty when unreadable
  std::string refusal;  // why it was refused, for the result message
  RequestFrame frame;
  CommandCode pendingCode = CommandCode::HeatExchangerParameters;  // which ack texts answer it
};

struct CommandPolicy {
  DeviceKind kind = DeviceKind::AirConditioner;
  bool factoryCommands = false;
};

RemoteCommand ParseRemoteCommand(std::string_view payload, const ProtocolSettings& protocol,
                                 const CommandPolicy& policy);

// How a command ended.
enum class CommandStatus { Refused, Acknowledged, NegativeAck, NoAnswer, PortClosed, Busy };

// The result message: {"id", "command", "status", "ok", "message", "time"}.
std::string CommandResultJson(const std::string& id, const std::string& command,
                              CommandStatus status, const std::string& message,
                              std::int64_t epochMs);

// The unit's acknowledgement in words, as the console's memo would put it (English).
std::string AckMessage(CommandAck ack, CommandCode pendingCode);

}  // namespace climate
