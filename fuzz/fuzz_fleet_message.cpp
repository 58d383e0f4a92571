// Feeds arbitrary topics and payloads to the fleet view's message reader and cabinet model: the
// input is a topic, a line break and the payload. Whatever arrives, the reader returns a verdict
// without throwing, an accepted state keeps the ranges it promises, and the model stays bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fleet/fleet_message.hpp"
#include "fleet/fleet_model.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = bytes.find('\n');
  const std::string_view topic =
      newline == std::string_view::npos ? "climate/north/cab7/state" : bytes.substr(0, newline);
  const std::string_view payload =
      newline == std::string_view::npos ? bytes : bytes.substr(newline + 1);

  const climate::FleetVerdict verdict = climate::ReadFleetMessage("climate", topic, payload);
  for (const climate::Language language :
       {climate::Language::English, climate::Language::Chinese}) {
    if (verdict.kind == climate::FleetVerdict::Kind::Refused) {
      Check(!climate::RefusalText(verdict.refusal, language).empty());
    }
  }
  if (verdict.kind == climate::FleetVerdict::Kind::Accepted && verdict.message.state) {
    const climate::CabinetState& state = *verdict.message.state;
    Check(verdict.message.site.size() <= climate::MaxNameBytes);
    Check(!state.pollMs ||
          (*state.pollMs >= climate::MinPollMs && *state.pollMs <= climate::MaxPollMs));
    Check(state.timeMs >= 0);
    Check((state.worstAlarm == nullptr) == (state.activeAlarms == 0));
    for (const auto* entries : {&state.values, &state.status, &state.alarms, &state.link}) {
      Check(entries->size() <= climate::MaxStateEntries);
      for (const climate::StateEntry& entry : *entries) Check(!entry.key.empty());
    }
  }
  if (verdict.kind == climate::FleetVerdict::Kind::Accepted && verdict.message.result) {
    Check(verdict.message.result->message.size() <= climate::MaxResultTextBytes);
  }

  // The same message through the model, twice over a cap of one cabinet, then cleared.
  climate::FleetModel model("climate", 1);
  model.Ingest(topic, payload);
  model.Ingest("climate/other/cabinet/online", "true");
  model.Ingest(topic, payload);
  Check(model.Pending() <= 1);
  const climate::FleetModel::Batch batch = model.Flush(0);
  Check(model.Size() <= 1 && batch.added <= 1);
  for (const climate::Cabinet& cabinet : model.Cabinets()) {
    for (const bool brokerUp : {true, false}) {
      (void)climate::StateOf(cabinet, brokerUp, 1'000'000);
    }
    if (const auto age = climate::ReadingAgeMs(cabinet, 1'000'000)) {
      Check(*age >= 0);
      Check(!climate::AgeText(*age, climate::Language::Chinese).empty());
    }
  }
  model.Ingest(topic, "");
  for (const std::string& key : model.Flush(1).removals) {
    if (const auto row = model.IndexOf(key)) model.RemoveAt(*row);
  }
  return 0;
}
