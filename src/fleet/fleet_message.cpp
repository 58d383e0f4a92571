// Reading agents' state and online messages, bounds first, into checked records.
#include "fleet/fleet_message.hpp"

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/peer_text.hpp"
#include "fleet/fleet_model.hpp"
#include "fleet/fleet_texts.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

// Objects keep the order the agent wrote them in, which is the order the unit sends its values.
using Json = nlohmann::ordered_json;

static_assert(std::size(fleet_text::FaultTexts) ==
              static_cast<std::size_t>(FleetFault::NameTooLong) + 1);

// What a two-byte protocol field can carry; anything else did not come from a unit.
constexpr std::int64_t MinReading = -32768;
constexpr std::int64_t MaxReading = 65535;

// Splits "<prefix>/<site>/<unit>/<leaf>"; false for anything else.
bool SplitTopic(std::string_view topic, std::string_view prefix, std::string_view& site,
                std::string_view& unit, std::string_view& leaf) {
  if (topic.size() <= prefix.size() || topic.substr(0, prefix.size()) != prefix ||
      topic[prefix.size()] != '/') {
    return false;
  }
  std::string_view rest = topic.substr(prefix.size() + 1);
  std::string_view parts[2];
  for (std::string_view& part : parts) {
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos || slash == 0) return false;
    part = rest.substr(0, slash);
    rest.remove_prefix(slash + 1);
  }
  if (rest.empty() || (rest.find('/') != std::string_view::npos && rest != "command/result")) {
    return false;
  }
  site = parts[0];
  unit = parts[1];
  leaf = rest;
  return true;
}

// Thrown only inside this file, and caught by ReadFleetMessage: the first bad field ends the read.
struct Refused {
  FleetRefusal refusal;
};

[[noreturn]] void Refuse(std::string field, FleetFault fault) {
  throw Refused{{std::move(field), fault}};
}

const Json& Member(const Json& object, const char* key, const std::string& field) {
  const auto found = object.find(key);
  if (found == object.end()) Refuse(field, FleetFault::Missing);
  return *found;
}

const Json& ObjectAt(const Json& value, const std::string& field) {
  if (!value.is_object()) Refuse(field, FleetFault::NotAnObject);
  return value;
}

const std::string& StringAt(const Json& value, const std::string& field) {
  if (!value.is_string()) Refuse(field, FleetFault::NotAString);
  return value.get_ref<const std::string&>();
}

std::int64_t WholeNumberAt(const Json& value, const std::string& field, std::int64_t low,
                           std::int64_t high) {
  if (value.is_number_unsigned()) {
    const auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(high)) Refuse(field, FleetFault::OutOfRange);
    return static_cast<std::int64_t>(number);
  }
  if (!value.is_number_integer()) Refuse(field, FleetFault::NotAWholeNumber);
  const auto number = value.get<std::int64_t>();
  if (number < low || number > high) Refuse(field, FleetFault::OutOfRange);
  return number;
}

std::int64_t TimeAt(const Json& value, const std::string& field) {
  const std::optional<std::int64_t> ms = ParseUtcTime(StringAt(value, field));
  if (!ms) Refuse(field, FleetFault::NotATime);
  return *ms;
}

// values.<key>.value when values has the key; the reading is optional, its type is not.
std::optional<int> ReadingAt(const Json& values, const char* key) {
  const auto entry = values.find(key);
  if (entry == values.end()) return std::nullopt;
  const std::string field = std::string("values.") + key;
  ObjectAt(*entry, field);
  return static_cast<int>(WholeNumberAt(Member(*entry, "value", field + ".value"), field + ".value",
                                        MinReading, MaxReading));
}

void ReadAlarms(const Json& active, CabinetState& state) {
  if (!active.is_array()) Refuse("activeAlarms", FleetFault::NotAnArray);
  std::vector<const UnitBit*> seen;
  for (const Json& key : active) {
    // A key this console does not know may come from a newer agent: skipped, not refused.
    const UnitBit* bit = FindUnitBit(state.kind, StringAt(key, "activeAlarms[]"));
    if (bit == nullptr || !bit->IsAlarm()) continue;
    if (std::find(seen.begin(), seen.end(), bit) != seen.end()) continue;
    seen.push_back(bit);
    state.activeAlarmKeys.emplace_back(bit->key);
    if (state.worstAlarm == nullptr ||
        AlarmSeverityRank(bit->key) < AlarmSeverityRank(state.worstAlarm->key)) {
      state.worstAlarm = bit;
    }
  }
  state.activeAlarms = static_cast<int>(seen.size());
}

// A key as agents write them: a short camelCase identifier. Anything else is not shown.
bool IsEntryKey(const std::string& key) {
  return !key.empty() && key.size() <= 40 && std::all_of(key.begin(), key.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

// The entries of values, status, alarms or link: each one's type is checked; keys that are not
// identifiers and entries past the bound are skipped, since a newer agent may send more.
std::vector<StateEntry> ReadEntries(const Json& object, const std::string& name, bool readings,
                                    bool bits) {
  ObjectAt(object, name);
  std::vector<StateEntry> entries;
  for (const auto& [key, item] : object.items()) {
    const std::string field = name + "." + key;
    StateEntry entry;
    if (readings) {
      ObjectAt(item, field);
      entry.value = WholeNumberAt(Member(item, "value", field + ".value"), field + ".value",
                                  MinReading, MaxReading);
      if (const auto unit = item.find("unit"); unit != item.end()) {
        entry.unit = StringAt(*unit, field + ".unit").substr(0, 16);
      }
    } else if (bits) {
      if (!item.is_boolean()) Refuse(field, FleetFault::NotABoolean);
      entry.value = item.get<bool>() ? 1 : 0;
    } else {
      if (item.is_boolean()) continue;  // portOpen, read on its own
      entry.value = WholeNumberAt(item, field, 0, std::int64_t{1} << 53);
    }
    if (!IsEntryKey(key) || entries.size() >= MaxStateEntries) continue;
    entry.key = key;
    entries.push_back(std::move(entry));
  }
  return entries;
}

CabinetState ReadState(const Json& root) {
  ObjectAt(root, "");
  CabinetState state;
  const std::string& kind = StringAt(Member(root, "kind", "kind"), "kind");
  if (kind == "airConditioner") {
    state.kind = DeviceKind::AirConditioner;
  } else if (kind == "heatExchanger") {
    state.kind = DeviceKind::HeatExchanger;
  } else {
    Refuse("kind", FleetFault::UnknownKind);
  }
  state.timeMs = TimeAt(Member(root, "time", "time"), "time");
  const Json& readingTime = Member(root, "readingTime", "readingTime");
  if (!readingTime.is_null()) state.readingTimeMs = TimeAt(readingTime, "readingTime");
  if (const auto poll = root.find("pollMs"); poll != root.end()) {
    state.pollMs = static_cast<int>(WholeNumberAt(*poll, "pollMs", MinPollMs, MaxPollMs));
  }
  const Json& link = ObjectAt(Member(root, "link", "link"), "link");
  const Json& portOpen = Member(link, "portOpen", "link.portOpen");
  if (!portOpen.is_boolean()) Refuse("link.portOpen", FleetFault::NotABoolean);
  state.portOpen = portOpen.get<bool>();
  state.link = ReadEntries(link, "link", false, false);
  if (const auto status = root.find("status"); status != root.end()) {
    state.status = ReadEntries(*status, "status", false, true);
  }
  if (const auto alarms = root.find("alarms"); alarms != root.end()) {
    state.alarms = ReadEntries(*alarms, "alarms", false, true);
  }
  if (const auto values = root.find("values"); values != root.end()) {
    state.values = ReadEntries(*values, "values", true, false);
    state.indoorTemperature = ReadingAt(*values, "indoorTemperature");
    state.indoorHumidity = ReadingAt(*values, "indoorHumidity");
    state.supplyVoltage = ReadingAt(*values, "supplyVoltage");
  }
  if (const auto active = root.find("activeAlarms"); active != root.end()) {
    ReadAlarms(*active, state);
  }
  return state;
}

// A text field cut to its bound: the detail shows it, escaped, and nothing more.
std::string TextAt(const Json& value, const std::string& field, std::size_t bound) {
  return StringAt(value, field).substr(0, bound);
}

CommandResult ReadResult(const Json& root) {
  ObjectAt(root, "");
  CommandResult result;
  if (const auto id = root.find("id"); id != root.end()) {
    // Any JSON value; the bounds checked before parsing keep its text small.
    result.id = id->dump().substr(0, 64);
  }
  if (const auto command = root.find("command"); command != root.end()) {
    result.command = TextAt(*command, "command", 64);
  }
  result.status = TextAt(Member(root, "status", "status"), "status", 64);
  const Json& ok = Member(root, "ok", "ok");
  if (!ok.is_boolean()) Refuse("ok", FleetFault::NotABoolean);
  result.ok = ok.get<bool>();
  if (const auto message = root.find("message"); message != root.end()) {
    result.message = TextAt(*message, "message", MaxResultTextBytes);
  }
  if (const auto time = root.find("time"); time != root.end())
    result.timeMs = TimeAt(*time, "time");
  return result;
}

// Two digits of text at [at, at + count) as a number; -1 when they are not all digits.
int Digits(std::string_view text, std::size_t at, std::size_t count) {
  int number = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
    number = number * 10 + (text[i] - '0');
  }
  return number;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const int era = year / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

bool LeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS[.fraction]Z
  if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text.back() != 'Z') {
    return std::nullopt;
  }
  const int year = Digits(text, 0, 4);
  const int month = Digits(text, 5, 2);
  const int day = Digits(text, 8, 2);
  const int hour = Digits(text, 11, 2);
  const int minute = Digits(text, 14, 2);
  const int second = Digits(text, 17, 2);
  static constexpr int MonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1970 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  if (day > MonthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0)) return std::nullopt;
  int ms = 0;
  const std::string_view fraction = text.substr(19, text.size() - 20);
  if (!fraction.empty()) {
    if (fraction.size() < 2 || fraction.size() > 10 || fraction[0] != '.') return std::nullopt;
    for (std::size_t i = 1; i < fraction.size(); ++i) {
      if (fraction[i] < '0' || fraction[i] > '9') return std::nullopt;
      if (i <= 3) ms += (fraction[i] - '0') * (i == 1 ? 100 : i == 2 ? 10 : 1);
    }
  }
  const std::int64_t seconds =
      DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  return seconds * 1000 + ms;
}

std::string RefusalText(const FleetRefusal& refusal, Language language) {
  using namespace fleet_text;
  const JsonBounds bounds;
  std::string text;
  if (!refusal.field.empty()) text = refusal.field + " ";
  switch (refusal.fault) {
    case FleetFault::TooLarge:
      return std::string(LargerThan.In(language)) + std::to_string(bounds.maxBytes) +
             std::string(Bytes.In(language));
    case FleetFault::TooDeep:
      return std::string(DeeperThan.In(language)) + std::to_string(bounds.maxDepth) +
             std::string(Levels.In(language));
    case FleetFault::NotJson:
      return std::string(NotJson.In(language));
    case FleetFault::NameTooLong:
      return text + std::string(NameTooLong.In(language)) + std::to_string(MaxNameBytes) +
             std::string(Bytes.In(language));
    default:
      break;
  }
  if (text.empty()) text = std::string(TheMessage.In(language)) + " ";
  return text + std::string(FaultTexts[static_cast<int>(refusal.fault)].In(language));
}

FleetVerdict ReadFleetMessage(std::string_view prefix, std::string_view topic,
                              std::string_view payload) {
  FleetVerdict verdict;
  std::string_view site, unit, leaf;
  if (!SplitTopic(topic, prefix, site, unit, leaf)) return verdict;
  FleetMessage& message = verdict.message;
  if (leaf == "state") {
    message.leaf = FleetMessage::Leaf::State;
  } else if (leaf == "online") {
    message.leaf = FleetMessage::Leaf::Online;
  } else if (leaf == "command/result") {
    message.leaf = FleetMessage::Leaf::CommandResult;
  } else {
    return verdict;
  }
  message.site = std::string(site.substr(0, MaxNameBytes));
  message.unit = std::string(unit.substr(0, MaxNameBytes));
  const auto refuse = [&verdict](std::string field, FleetFault fault) {
    verdict.kind = FleetVerdict::Kind::Refused;
    verdict.refusal = {std::move(field), fault};
    return verdict;
  };
  if (site.size() > MaxNameBytes) return refuse("site", FleetFault::NameTooLong);
  if (unit.size() > MaxNameBytes) return refuse("unit", FleetFault::NameTooLong);
  verdict.kind = FleetVerdict::Kind::Accepted;
  // An empty payload is how a retained message is cleared.
  if (payload.empty()) return verdict;
  if (message.leaf == FleetMessage::Leaf::Online) {
    if (payload == "true" || payload == "false") {
      message.online = payload == "true";
      return verdict;
    }
    return refuse("online", FleetFault::NotOnlineValue);
  }
  if (const auto broken = CheckJsonBounds(payload)) {
    return refuse(
        "", payload.size() > JsonBounds{}.maxBytes ? FleetFault::TooLarge : FleetFault::TooDeep);
  }
  const Json root = Json::parse(payload, nullptr, false);
  if (root.is_discarded()) return refuse("", FleetFault::NotJson);
  try {
    if (message.leaf == FleetMessage::Leaf::State) {
      message.state = ReadState(root);
    } else {
      message.result = ReadResult(root);
    }
  } catch (const Refused& refused) {
    return refuse(refused.refusal.field, refused.refusal.fault);
  } catch (const Json::exception&) {
    // Every accessor above is guarded by a type check; this only keeps a slip from escaping.
    return refuse("", FleetFault::NotJson);
  }
  return verdict;
}

}  // namespace climate
