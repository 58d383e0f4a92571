// What a well-formed command must pass before it may reach the unit: a copy the broker kept
// (retained) or one past its "expires" time is refused, and a command whose id was seen lately
// (a QoS 1 redelivery, or a sender's retry) is answered again from the first result instead of
// being carried out twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "agent/remote_command.hpp"

namespace climate {

class CommandGate {
 public:
  // Ids remembered: the last RememberedIds, each for RepeatWindowMs after it arrived.
  static constexpr std::size_t RememberedIds = 64;
  static constexpr std::int64_t RepeatWindowMs = 10 * 60 * 1000;
  // Repeats that arrive while the first is still waiting or on the line, answered when it ends.
  static constexpr int WaitingRepeatLimit = 8;

  enum class Verdict {
    Pass,         // carry it out; its id is remembered from now on
    Refuse,       // reason says why
    Repeat,       // answer with firstResult, send nothing
    RepeatLater,  // the first is not finished; its result answers this one too (Finished)
  };
  struct Decision {
    Verdict verdict = Verdict::Pass;
    std::string reason;       // Refuse
    std::string firstResult;  // Repeat
  };

  // epochMs is the wall clock the expiry time is read against; monotonicMs times the window.
  Decision Admit(const RemoteCommand& command, bool retained, std::int64_t epochMs,
                 std::int64_t monotonicMs);
  // The result of a command that passed. Returns how many repeats of it wait for this result.
  // A command that never reached the unit (busy, line closed) is forgotten instead: sending it
  // again is a fresh try, not a repeat.
  int Finished(const std::optional<std::string>& id, const std::string& resultJson,
               bool reachedUnit = true);

 private:
  struct Seen {
    std::string id;
    std::int64_t atMs = 0;
    std::optional<std::string> result;
    int waiting = 0;
  };
  std::deque<Seen> seen_;  // oldest first
};

}  // namespace climate
