// Reading one message of an agent's state or online topic into a typed record, or a refusal that
// names what is wrong with it. Size and nesting are bounded before parsing, then every field the
// fleet view uses is checked for its type and range; nothing a peer sends makes this throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

struct UnitBit;

// One entry of a state message's values, status, alarms or link figures, as the agent named it.
// Keys are checked to be short identifiers; a unit text is cut to a few bytes.
struct StateEntry {
  std::string key;
  std::int64_t value = 0;  // a reading or counter; for a bit, 1 when true
  std::string unit;        // values only: "°C", "%RH", "V"
};

// What one state message says about a cabinet, every field checked.
struct CabinetState {
  DeviceKind kind = DeviceKind::AirConditioner;
  std::int64_t timeMs = 0;                    // when the agent made the message (its clock, UTC)
  std::optional<std::int64_t> readingTimeMs;  // the last good reply; absent until the unit answers
  std::optional<int> pollMs;                  // the agent's poll period; older agents omit it
  bool portOpen = false;
  std::optional<int> indoorTemperature;
  std::optional<int> indoorHumidity;
  std::optional<int> supplyVoltage;
  // The most severe active alarm and how many distinct ones are active; nullptr when none.
  const UnitBit* worstAlarm = nullptr;
  int activeAlarms = 0;
  // Everything else the message carried, for the cabinet's detail; at most MaxStateEntries each,
  // in the order the agent sent them.
  std::vector<StateEntry> values;
  std::vector<StateEntry> status;
  std::vector<StateEntry> alarms;
  std::vector<std::string> activeAlarmKeys;  // the known alarm keys of activeAlarms
  std::vector<StateEntry> link;              // the counters; portOpen is above
};

// One result of a command the agent received, every field checked and cut to a bound.
struct CommandResult {
  std::string id;  // the id's JSON text; empty when the command had none
  std::string command;
  std::string status;  // "acknowledged", "refused", "busy", ...
  bool ok = false;
  std::string message;
  std::optional<std::int64_t> timeMs;
};

inline constexpr std::size_t MaxStateEntries = 24;
inline constexpr std::size_t MaxResultTextBytes = 512;

enum class FleetFault {
  TooLarge,
  TooDeep,
  NotJson,
  Missing,
  NotAnObject,
  NotAnArray,
  NotAString,
  NotABoolean,
  NotAWholeNumber,
  OutOfRange,
  UnknownKind,
  NotATime,
  NotOnlineValue,
  NameTooLong,
};

struct FleetRefusal {
  std::string field;  // "kind", "values.indoorTemperature.value"; empty: the message as a whole
  FleetFault fault = FleetFault::NotJson;
};

// "kind is not a string", "larger than 65536 bytes", in the operator's language.
std::string RefusalText(const FleetRefusal& refusal, Language language);

struct FleetMessage {
  enum class Leaf { State, Online, CommandResult } leaf = Leaf::State;
  std::string site;
  std::string unit;
  // State: the record; nullopt for an empty payload, which clears a retained state.
  std::optional<CabinetState> state;
  // Online: the agent's flag; nullopt for an empty payload, which clears it.
  std::optional<bool> online;
  // CommandResult: the result; nullopt for an empty payload.
  std::optional<CommandResult> result;
};

struct FleetVerdict {
  enum class Kind { Ignored, Accepted, Refused } kind = Kind::Ignored;
  FleetMessage message;  // site and unit are set for Accepted and Refused
  FleetRefusal refusal;  // set for Refused
};

// Site and unit longer than this are refused: a row shows them whole.
inline constexpr std::size_t MaxNameBytes = 128;
// The poll periods an agent accepts; a pollMs outside them is refused.
inline constexpr int MinPollMs = 500;
inline constexpr int MaxPollMs = 3'600'000;

// Reads a message from <prefix>/<site>/<unit>/state, .../online or .../command/result. Any other
// topic is Ignored.
FleetVerdict ReadFleetMessage(std::string_view prefix, std::string_view topic,
                              std::string_view payload);

// "2026-12-09T09:39:33.168Z" (fraction optional) as ms since 1970; nullopt for anything else.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

}  // namespace climate
