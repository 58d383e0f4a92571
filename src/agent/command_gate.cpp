// Retained and expired commands, and repeats of a recent id.
#include "agent/command_gate.hpp"

#include <algorithm>
#include <utility>

#include "agent/unit_state.hpp"

namespace climate {

CommandGate::Decision CommandGate::Admit(const RemoteCommand& command, bool retained,
                                         std::int64_t epochMs, std::int64_t monotonicMs) {
  Decision decision;
  if (retained) {
    // The broker hands a retained command to every new subscription: at each start of the agent
    // and each reconnect. Carrying it out would repeat an old wish again and again.
    decision.verdict = Verdict::Refuse;
    decision.reason =
        "the command arrived as a retained message; retained commands are never carried out "
        "(clear it by publishing an empty retained message on the command topic)";
    return decision;
  }
  if (command.expiresEpochMs && *command.expiresEpochMs <= epochMs) {
    decision.verdict = Verdict::Refuse;
    decision.reason = "the command expired at " + IsoUtc(*command.expiresEpochMs) +
                      " (agent time " + IsoUtc(epochMs) + ")";
    return decision;
  }
  while (!seen_.empty() && monotonicMs - seen_.front().atMs > RepeatWindowMs) seen_.pop_front();
  if (!command.id) return decision;  // nothing to recognise a repeat by
  const auto found = std::find_if(seen_.begin(), seen_.end(),
                                  [&](const Seen& seen) { return seen.id == *command.id; });
  if (found != seen_.end()) {
    if (found->result) {
      decision.verdict = Verdict::Repeat;
      decision.firstResult = *found->result;
    } else {
      decision.verdict = Verdict::RepeatLater;
      found->waiting = std::min(found->waiting + 1, WaitingRepeatLimit);
    }
    return decision;
  }
  if (seen_.size() >= RememberedIds) seen_.pop_front();
  seen_.push_back({*command.id, monotonicMs, std::nullopt, 0});
  return decision;
}

int CommandGate::Finished(const std::optional<std::string>& id, const std::string& resultJson,
                          bool reachedUnit) {
  if (!id) return 0;
  const auto found =
      std::find_if(seen_.begin(), seen_.end(), [&](const Seen& seen) { return seen.id == *id; });
  if (found == seen_.end() || found->result) return 0;
  const int waiting = found->waiting;
  if (reachedUnit) {
    found->result = resultJson;
    found->waiting = 0;
  } else {
    seen_.erase(found);
  }
  return waiting;
}

}  // namespace climate
