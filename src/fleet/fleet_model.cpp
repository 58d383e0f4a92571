// Reading agents' messages into cabinet rows.
#include "fleet/fleet_model.hpp"

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>

#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

constexpr std::string_view SeverityOrder[] = {
    "highTemperatureAlarm",
    "compressorFault",
    "systemHighPressureAlarm",
    "systemLowPressureAlarm",
    "internalFanFault",
    "externalFanFault",
    "sensorFault",
    "overVoltageAlarm",
    "underVoltageAlarm",
    "lowTemperatureAlarm",
    "heaterFault",
    "remoteOnOffFault",
    "customAlarm1",
    "customAlarm2",
    "customAlarm3",
    "customAlarm4",
    "customAlarm5",
};

// Splits "<prefix>/<site>/<unit>/<leaf>"; false for anything else.
bool SplitTopic(std::string_view topic, std::string_view prefix, std::string_view& site,
                std::string_view& unit, std::string_view& leaf) {
  if (topic.substr(0, prefix.size()) != prefix || topic.size() <= prefix.size() ||
      topic[prefix.size()] != '/') {
    return false;
  }
  std::string_view rest = topic.substr(prefix.size() + 1);
  std::string_view parts[3];
  for (int i = 0; i < 2; ++i) {
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos || slash == 0) return false;
    parts[i] = rest.substr(0, slash);
    rest.remove_prefix(slash + 1);
  }
  if (rest.empty() || rest.find('/') != std::string_view::npos) return false;
  site = parts[0];
  unit = parts[1];
  leaf = rest;
  return true;
}

std::optional<int> NumberAt(const nlohmann::json& values, const char* key) {
  const auto entry = values.find(key);
  if (entry == values.end() || !entry->is_object()) return std::nullopt;
  const auto value = entry->find("value");
  if (value == entry->end() || !value->is_number_integer()) return std::nullopt;
  return value->get<int>();
}

}  // namespace

int AlarmSeverityRank(std::string_view key) {
  const auto found = std::find(std::begin(SeverityOrder), std::end(SeverityOrder), key);
  return static_cast<int>(std::distance(std::begin(SeverityOrder), found));
}

std::string_view AlarmText(const UnitBit& bit, Language language) {
  return bit.MemoText(true, language);
}

FleetModel::Change FleetModel::Apply(std::string_view topic, std::string_view payload,
                                     std::int64_t nowMs, std::size_t& index) {
  std::string_view site, unit, leaf;
  if (!SplitTopic(topic, prefix_, site, unit, leaf)) return Change::None;
  if (leaf != "state" && leaf != "online") return Change::None;
  Change change = Change::Updated;
  Cabinet& cabinet = Find(site, unit, change, index);
  if (leaf == "online") {
    cabinet.online = payload == "true";
  } else {
    ApplyState(cabinet, payload, nowMs);
  }
  return change;
}

Cabinet& FleetModel::Find(std::string_view site, std::string_view unit, Change& change,
                          std::size_t& index) {
  std::string key(site);
  key += '/';
  key += unit;
  const auto [entry, added] = index_.try_emplace(std::move(key), cabinets_.size());
  if (added) {
    Cabinet cabinet;
    cabinet.site = std::string(site);
    cabinet.unit = std::string(unit);
    cabinets_.push_back(std::move(cabinet));
    change = Change::Added;
  }
  index = entry->second;
  return cabinets_[index];
}

void FleetModel::ApplyState(Cabinet& cabinet, std::string_view payload, std::int64_t nowMs) {
  const nlohmann::json state = nlohmann::json::parse(payload, nullptr, false);
  cabinet.malformed = state.is_discarded() || !state.is_object();
  if (cabinet.malformed) return;
  const std::string kind = state.value("kind", "");
  if (kind == "airConditioner") cabinet.kind = DeviceKind::AirConditioner;
  if (kind == "heatExchanger") cabinet.kind = DeviceKind::HeatExchanger;
  cabinet.lastStateMs = nowMs;
  const auto values = state.find("values");
  if (values != state.end() && values->is_object()) {
    cabinet.indoorTemperature = NumberAt(*values, "indoorTemperature");
    cabinet.indoorHumidity = NumberAt(*values, "indoorHumidity");
    cabinet.supplyVoltage = NumberAt(*values, "supplyVoltage");
  }
  cabinet.worstAlarm = nullptr;
  cabinet.activeAlarms = 0;
  const auto active = state.find("activeAlarms");
  if (!cabinet.kind || active == state.end() || !active->is_array()) return;
  for (const nlohmann::json& key : *active) {
    if (!key.is_string()) continue;
    const UnitBit* bit = FindUnitBit(*cabinet.kind, key.get<std::string>());
    if (bit == nullptr || !bit->IsAlarm()) continue;
    ++cabinet.activeAlarms;
    if (cabinet.worstAlarm == nullptr ||
        AlarmSeverityRank(bit->key) < AlarmSeverityRank(cabinet.worstAlarm->key)) {
      cabinet.worstAlarm = bit;
    }
  }
}

}  // namespace climate
