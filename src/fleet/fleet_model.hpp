// What the fleet view knows about every cabinet it has heard of, built from the agents' state
// and online messages. Qt-free: the table model only shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

struct UnitBit;

struct Cabinet {
  std::string site;
  std::string unit;
  std::optional<DeviceKind> kind;  // unknown until the first state message
  std::optional<bool> online;      // unknown until the first online message
  // The most severe active alarm and how many are active; nullptr when none.
  const UnitBit* worstAlarm = nullptr;
  int activeAlarms = 0;
  std::optional<int> indoorTemperature;
  std::optional<int> indoorHumidity;
  std::optional<int> supplyVoltage;
  std::optional<std::int64_t> lastStateMs;  // monotonic time of the last state message
  bool malformed = false;                   // the last state message could not be read
};

// Alarms from the most to the least severe: what threatens the equipment in the cabinet first
// (heat, a cooling path that stopped, a blind controller), then supply problems, then the rest.
// An alarm missing here ranks after all listed ones.
int AlarmSeverityRank(std::string_view key);

class FleetModel {
 public:
  explicit FleetModel(std::string prefix = "climate") : prefix_(std::move(prefix)) {}

  enum class Change { None, Updated, Added };
  // Applies one message from <prefix>/<site>/<unit>/state or .../online; other topics and
  // unreadable payloads change nothing but the cabinet's malformed flag. index receives the row.
  Change Apply(std::string_view topic, std::string_view payload, std::int64_t nowMs,
               std::size_t& index);

  const std::vector<Cabinet>& Cabinets() const { return cabinets_; }
  std::size_t Size() const { return cabinets_.size(); }
  const std::string& Prefix() const { return prefix_; }

 private:
  Cabinet& Find(std::string_view site, std::string_view unit, Change& change, std::size_t& index);
  void ApplyState(Cabinet& cabinet, std::string_view payload, std::int64_t nowMs);

  std::string prefix_;
  std::vector<Cabinet> cabinets_;
  std::unordered_map<std::string, std::size_t> index_;  // "site/unit" -> row
};

// The alarm's text in the operator's language, as the lamp's memo line names it when set.
std::string_view AlarmText(const UnitBit& bit, Language language);

}  // namespace climate
