#include "unitsim/sim_server.hpp"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

#include "protocol/receive.hpp"

namespace climate::unitsim {

namespace {

std::uint8_t Low(std::int16_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

// The longest wait without a reason to wake: nothing happens without a request.
constexpr std::int64_t IdleWaitNs = 1'000'000'000;
// How often a partial request is checked for staleness.
constexpr std::int64_t StaleCheckNs = 20'000'000;

std::int64_t SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

SimServer::SimServer(const SimOptions& options, const ProtocolSettings& protocol,
                     PseudoTerminal& terminal, std::FILE* record)
    : options_(options),
      protocol_(protocol),
      terminal_(terminal),
      record_(record),
      model_(options.kind),
      handler_(protocol, model_, ReplyFaults{options.nak, options.silent, options.corruptEvery}),
      framer_(Low(protocol.SOI), Low(protocol.EOI)),
      receiveLine_(options.baud),
      startNs_(SteadyNs()) {
  model_.ForceAlarms(options.alarms);
  pacing_.baud = options.baud;
  pacing_.fragment = options.fragment;
}

std::int64_t SimServer::NowNs() const {
  return SteadyNs() - startNs_;
}

void SimServer::Run(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
  while (stop == 0) {
    const std::int64_t now = NowNs();
    while (!incoming_.empty() && incoming_.front().atNs <= now) {
      const TimedWrite arrived = std::move(incoming_.front());
      incoming_.pop_front();
      TakeBytes(arrived.bytes, arrived.atNs);
    }
    for (const Bytes& request : framer_.Expire(now / 1'000'000)) TakeRequest(request, now);
    WriteDue(now);

    std::int64_t wait = IdleWaitNs;
    if (!incoming_.empty()) wait = std::min(wait, incoming_.front().atNs - now);
    if (!outgoing_.empty()) wait = std::min(wait, outgoing_.front().atNs - now);
    if (framer_.Buffered() > 0) wait = std::min(wait, StaleCheckNs);
    wait = std::max<std::int64_t>(wait, 0);
    const timespec timeout{static_cast<time_t>(wait / 1'000'000'000),
                           static_cast<long>(wait % 1'000'000'000)};

    std::array<pollfd, 2> fds{};
    fds[0] = {terminal_.MasterFd(), POLLIN, 0};
    fds[1] = {terminal_.HolderFd(), 0, 0};  // only hang-ups are reported
    const int ready = ::ppoll(fds.data(), fds.size(), &timeout, &waitMask);
    if (ready < 0) continue;  // a signal: the loop condition decides
    if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) terminal_.RenewHolder();
    if ((fds[0].revents & POLLIN) != 0) ReadMaster(NowNs());
    if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
      // No slave descriptor is open (the holder was just hung up): take one and pause a moment
      // rather than spin on the master's hang-up.
      terminal_.RenewHolder();
      const timespec pause{0, 10'000'000};
      ::nanosleep(&pause, nullptr);
    }
  }
}

void SimServer::ReadMaster(std::int64_t nowNs) {
  std::array<std::uint8_t, 4096> buffer{};
  while (true) {
    const ssize_t count = ::read(terminal_.MasterFd(), buffer.data(), buffer.size());
    if (count <= 0) return;  // drained (EAGAIN), or no slave open at the moment (EIO)
    const std::span<const std::uint8_t> bytes(buffer.data(), static_cast<std::size_t>(count));
    if (options_.baud > 0) {
      incoming_.push_back(
          {receiveLine_.Arrival(bytes.size(), nowNs), Bytes(bytes.begin(), bytes.end())});
    } else {
      TakeBytes(bytes, nowNs);
    }
  }
}

void SimServer::TakeBytes(std::span<const std::uint8_t> bytes, std::int64_t atNs) {
  for (const Bytes& request : framer_.Push(bytes, atNs / 1'000'000)) TakeRequest(request, atNs);
}

void SimServer::TakeRequest(const Bytes& request, std::int64_t atNs) {
  if (record_ != nullptr) {
    std::fprintf(record_, "%s\n", HexDump(request).c_str());
    std::fflush(record_);
  }
  const auto reply = handler_.Handle(request, static_cast<double>(atNs) / 1e9);
  if (!reply) return;
  Bytes wire;
  if (options_.noise) {
    const std::array<std::uint8_t, 2> delimiters = {Low(protocol_.SOI), Low(protocol_.EOI)};
    wire = MakeNoise(random_, delimiters);
  }
  wire.insert(wire.end(), reply->begin(), reply->end());
  std::int64_t startNs = std::max(atNs, lineFreeNs_);
  // A slow unit: the acknowledgement comes late, and the unit answers nothing before it.
  if (options_.ackDelayMs > 0 &&
      ClassifyReply(*reply, protocol_, options_.kind) == ReplyKind::Acknowledgement) {
    startNs = std::max(atNs + std::int64_t{options_.ackDelayMs} * 1'000'000, lineFreeNs_);
  }
  auto writes = ScheduleReply(wire, startNs, pacing_);
  lineFreeNs_ = writes.back().atNs;
  for (TimedWrite& write : writes) outgoing_.push_back(std::move(write));
}

void SimServer::WriteDue(std::int64_t nowNs) {
  while (!outgoing_.empty() && outgoing_.front().atNs <= nowNs) {
    const Bytes& bytes = outgoing_.front().bytes;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t count = ::write(terminal_.MasterFd(), bytes.data() + done, bytes.size() - done);
      if (count <= 0) break;  // nobody reads and the terminal is full: the bytes are lost
      done += static_cast<std::size_t>(count);
    }
    outgoing_.pop_front();
  }
}

}  // namespace climate::unitsim
