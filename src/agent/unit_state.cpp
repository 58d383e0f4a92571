// Building the state message from a decoded reply.
#include "agent/unit_state.hpp"

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "agent/agent_settings.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

constexpr char Celsius[] = "°C";

constexpr ValueKey CommonKeys[] = {
    {"indoorTemperature", Celsius},
    {"outdoorTemperature", Celsius},
    {"indoorHumidity", "%RH"},
    {"supplyVoltage", "V"},
};

constexpr ValueKey AcSetPoints[] = {
    {"coolingOffPoint", Celsius},
    {"heatingOnPoint", Celsius},
    {"highTemperatureAlarmPoint", Celsius},
    {"lowTemperatureAlarmPoint", Celsius},
};

constexpr ValueKey HxSetPoints[] = {
    {"externalFanAdjustPoint", Celsius},
    {"externalFanFullSpeedPoint", Celsius},
    {"heatingOnPoint", Celsius},
    {"heatingOffPoint", Celsius},
    {"highTemperatureAlarmPoint", Celsius},
    {"lowTemperatureAlarmPoint", Celsius},
};

}  // namespace

UnitReading ReadingFrom(const AcRealTimeData& d) {
  return {DeviceKind::AirConditioner,
          {d.IndoorTemperature, d.OutdoorTemperature, static_cast<int>(d.IndoorHumidity),
           static_cast<int>(d.SupplyVoltage), d.CoolingOffPoint, d.HeatingOnPoint,
           d.HighTemperatureAlarmPoint, d.LowTemperatureAlarmPoint},
          d.StatusByte,
          d.AlarmByte1,
          d.AlarmByte2};
}

UnitReading ReadingFrom(const HxRealTimeData& d) {
  return {DeviceKind::HeatExchanger,
          {d.IndoorTemperature, d.OutdoorTemperature, static_cast<int>(d.IndoorHumidity),
           static_cast<int>(d.SupplyVoltage), d.ExternalFanAdjustPoint, d.ExternalFanFullSpeedPoint,
           d.HeatingOnPoint, d.HeatingOffPoint, d.HighTemperatureAlarmPoint,
           d.LowTemperatureAlarmPoint},
          d.StatusByte,
          d.AlarmByte1,
          d.AlarmByte2};
}

std::vector<ValueKey> ReadingValueKeys(DeviceKind kind) {
  std::vector<ValueKey> keys(std::begin(CommonKeys), std::end(CommonKeys));
  if (kind == DeviceKind::HeatExchanger) {
    keys.insert(keys.end(), std::begin(HxSetPoints), std::end(HxSetPoints));
  } else {
    keys.insert(keys.end(), std::begin(AcSetPoints), std::end(AcSetPoints));
  }
  return keys;
}

std::string IsoUtc(std::int64_t epochMs) {
  const std::time_t seconds = static_cast<std::time_t>(epochMs / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(epochMs % 1000));
  return text;
}

std::string StateJson(const Identity& who, const std::optional<UnitReading>& reading,
                      std::int64_t readingEpochMs, const LinkCounters& link,
                      std::int64_t nowEpochMs) {
  nlohmann::ordered_json state;
  state["site"] = who.site;
  state["unit"] = who.unit;
  state["kind"] = KindKey(who.kind);
  state["time"] = IsoUtc(nowEpochMs);
  if (reading) {
    state["readingTime"] = IsoUtc(readingEpochMs);
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    const std::vector<ValueKey> keys = ReadingValueKeys(reading->kind);
    for (std::size_t i = 0; i < keys.size() && i < reading->values.size(); ++i) {
      values[keys[i].key] = {{"value", reading->values[i]}, {"unit", keys[i].unit}};
    }
    state["values"] = std::move(values);
    nlohmann::ordered_json status = nlohmann::ordered_json::object();
    nlohmann::ordered_json alarms = nlohmann::ordered_json::object();
    nlohmann::ordered_json active = nlohmann::ordered_json::array();
    for (const UnitBit& bit : UnitBits(reading->kind)) {
      const bool value = bit.Value(reading->status, reading->alarm1, reading->alarm2);
      (bit.IsAlarm() ? alarms : status)[bit.key] = value;
      if (bit.IsAlarm() && value) active.push_back(bit.key);
    }
    state["status"] = std::move(status);
    state["alarms"] = std::move(alarms);
    state["activeAlarms"] = std::move(active);
  } else {
    state["readingTime"] = nullptr;
  }
  if (who.pollMs > 0) state["pollMs"] = who.pollMs;
  state["link"] = {{"portOpen", link.portOpen},
                   {"polls", link.polls},
                   {"replies", link.replies},
                   {"unanswered", link.unanswered},
                   {"checksumErrors", link.checksumErrors},
                   {"bytesDropped", link.bytesDropped},
                   {"linkLosses", link.linkLosses},
                   {"alarmEventsDropped", link.alarmEventsDropped}};
  return state.dump();
}

}  // namespace climate
