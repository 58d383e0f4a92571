// Reading one message of an agent's state or online topic into a typed record, or a refusal that
// names what is wrong with it. Size and nesting are bounded before parsing, then every field the
// fleet view uses is checked for its type and range; nothing a peer sends makes this throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

struct UnitBit;

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
};

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
  enum class Leaf { State, Online } leaf = Leaf::State;
  std::string site;
  std::string unit;
  // State: the record; nullopt for an empty payload, which clears a retained state.
  std::optional<CabinetState> state;
  // Online: the agent's flag; nullopt for an empty payload, which clears it.
  std::optional<bool> online;
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

// Reads a message from <prefix>/<site>/<unit>/state or .../online. Any other topic is Ignored.
FleetVerdict ReadFleetMessage(std::string_view prefix, std::string_view topic,
                              std::string_view payload);

// "2026-12-09T09:39:33.168Z" (fraction optional) as ms since 1970; nullopt for anything else.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

}  // namespace climate
