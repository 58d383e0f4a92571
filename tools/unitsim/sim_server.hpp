// The simulator's loop: reads what the console writes, frames requests, lets the unit answer,
// and writes the replies with the scripted timing and faults. Single-threaded around ppoll.
#pragma once

#include <csignal>
#include <cstdio>
#include <deque>
#include <random>

#include "app/config/protocol_settings.hpp"
#include "unitsim/line_timing.hpp"
#include "unitsim/pseudo_terminal.hpp"
#include "unitsim/request_framer.hpp"
#include "unitsim/request_handler.hpp"
#include "unitsim/sim_options.hpp"
#include "unitsim/unit_model.hpp"

namespace climate::unitsim {

class SimServer {
 public:
  // record may be null. The terminal must outlive the server.
  SimServer(const SimOptions& options, const ProtocolSettings& protocol, PseudoTerminal& terminal,
            std::FILE* record);

  // Serves until stop becomes non-zero. The stop signals must be blocked by the caller; they
  // are let through only while waiting, with waitMask.
  void Run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

  const HandlerCounters& Counters() const { return handler_.Counters(); }

 private:
  std::int64_t NowNs() const;
  void ReadMaster(std::int64_t nowNs);
  void TakeBytes(std::span<const std::uint8_t> bytes, std::int64_t atNs);
  void TakeRequest(const Bytes& request, std::int64_t atNs);
  void WriteDue(std::int64_t nowNs);

  SimOptions options_;
  ProtocolSettings protocol_;
  PseudoTerminal& terminal_;
  std::FILE* record_;
  UnitModel model_;
  RequestHandler handler_;
  RequestFramer framer_;
  ReceiveLine receiveLine_;
  ReplyPacing pacing_;
  std::minstd_rand random_{20240611};
  std::deque<TimedWrite> incoming_;  // bytes still crossing the imitated line
  std::deque<TimedWrite> outgoing_;  // reply pieces waiting for their time
  std::int64_t lineFreeNs_ = 0;
  std::int64_t startNs_ = 0;
};

}  // namespace climate::unitsim
