// What the simulated unit does with one framed request: check it, act on the model and build
// the reply frame a real unit would send, with the scripted faults applied.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "app/config/protocol_settings.hpp"
#include "protocol/frame.hpp"
#include "unitsim/unit_model.hpp"

namespace climate::unitsim {

struct ReplyFaults {
  bool nak = false;      // refuse everything
  bool silent = false;   // answer nothing
  int corruptEvery = 0;  // spoil the checksum of every K-th reply
};

struct HandlerCounters {
  std::uint64_t requests = 0;
  std::uint64_t ignored = 0;  // addressed to another unit, or the unit is silent
  std::uint64_t replies = 0;
  std::uint64_t refused = 0;  // negative acknowledgements
  std::uint64_t corrupted = 0;
};

class RequestHandler {
 public:
  RequestHandler(const ProtocolSettings& protocol, UnitModel& model, ReplyFaults faults);

  // The reply to one request cut by RequestFramer, or nothing. nowSeconds is model time.
  // A request for another address gets no reply, as on a shared line. A wrong checksum, an
  // unknown command, a length that does not fit the command or a value the unit does not accept
  // gets the negative acknowledgement.
  std::optional<Bytes> Handle(std::span<const std::uint8_t> request, double nowSeconds);

  const HandlerCounters& Counters() const { return counters_; }

 private:
  struct Command {
    CommandKind kind;
    CommandCodes codes;
    std::size_t dataBytes;
  };
  std::optional<Command> FindCommand(std::uint8_t code) const;
  Bytes Reply(std::int16_t lengthCode, std::span<const std::uint8_t> data);
  Bytes Acknowledge(std::int16_t lengthCode, bool positive);
  Bytes Execute(const Command& command, std::span<const std::uint8_t> data);
  std::int16_t PlainAckLength() const;
  std::int16_t AckLength(const Command& command) const;

  ProtocolSettings protocol_;
  UnitModel& model_;
  ReplyFaults faults_;
  HandlerCounters counters_;
};

}  // namespace climate::unitsim
