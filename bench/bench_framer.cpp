// Throughput of the receive path: the stream framer alone, and the framer with ProcessReply on
// every frame, over a stream of real-time replies, factory replies, acknowledgements and noise
// cut into reads of random size. Prints MB/s of received bytes.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "protocol/frame.hpp"
#include "protocol/framer.hpp"
#include "protocol/receive.hpp"
#include "support/frames.hpp"

namespace {

using climate::Bytes;

using climate::test::Reply;

Bytes MakeStream(std::size_t targetBytes, std::mt19937& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> pick(0, 99);
  Bytes stream;
  while (stream.size() < targetBytes) {
    const int kind = pick(random);
    Bytes data;
    std::uint8_t code = 0xDD;
    if (kind < 70) {  // real-time data, either unit type: plausible values and flag bytes
      data = {45, 50, 60, 220, 52, 62, 25, 35, 75, 20};
      for (auto& b : data) b = static_cast<std::uint8_t>(b + byte(random) % 5);
      for (int i = 0; i < 3; ++i) data.push_back(static_cast<std::uint8_t>(byte(random)));
    } else if (kind < 80) {
      code = 0x55;
      data = {45, 55, 15, 25, 30};
    } else {
      code = 0x11;
      data = {static_cast<std::uint8_t>(kind < 90 ? 0xA5 : 0xFF)};
    }
    const Bytes frame = Reply(code, data);
    stream.insert(stream.end(), frame.begin(), frame.end());
    if (pick(random) < 5) {  // line noise now and then
      for (int n = 1 + pick(random) % 8; n > 0; --n) {
        stream.push_back(static_cast<std::uint8_t>(byte(random)));
      }
    }
  }
  return stream;
}

struct Result {
  double seconds = 0;
  std::size_t frames = 0;
  std::size_t lines = 0;
};

Result Run(const Bytes& stream, const std::vector<std::size_t>& reads, bool process,
           climate::DeviceKind kind) {
  const climate::ProtocolSettings protocol = climate::DefaultProtocolSettings();
  climate::ReceiveContext context;
  context.protocol = &protocol;
  context.kind = kind;
  context.language = climate::Language::Chinese;
  climate::StreamFramer framer;
  Result result;
  const auto start = std::chrono::steady_clock::now();
  std::size_t at = 0;
  std::int64_t now = 0;
  for (std::size_t size : reads) {
    const auto frames = framer.Push(std::span<const std::uint8_t>(stream).subspan(at, size), ++now);
    at += size;
    result.frames += frames.size();
    if (!process) continue;
    for (const Bytes& frame : frames) {
      const climate::ReceiveOutcome outcome = climate::ProcessReply(frame, context);
      result.lines += outcome.lines.size() + outcome.receptionLines.size();
    }
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace

int main() {
  std::mt19937 random(42);
  const Bytes stream = MakeStream(32u << 20, random);
  std::uniform_int_distribution<std::size_t> readSize(1, 64);
  std::vector<std::size_t> reads;
  for (std::size_t left = stream.size(); left > 0;) {
    const std::size_t size = std::min(left, readSize(random));
    reads.push_back(size);
    left -= size;
  }
  const double megabytes = static_cast<double>(stream.size()) / (1024.0 * 1024.0);
  std::printf("stream: %.1f MB in %zu reads of 1..64 bytes\n", megabytes, reads.size());

  const Result framing = Run(stream, reads, false, climate::DeviceKind::AirConditioner);
  std::printf("framer only:                 %8.1f MB/s  (%zu frames)\n",
              megabytes / framing.seconds, framing.frames);
  for (auto kind : {climate::DeviceKind::AirConditioner, climate::DeviceKind::HeatExchanger}) {
    const Result full = Run(stream, reads, true, kind);
    std::printf("framer + ProcessReply (%s): %8.1f MB/s  (%zu frames, %.0f frames/s, %zu lines)\n",
                kind == climate::DeviceKind::AirConditioner ? "AC" : "HX", megabytes / full.seconds,
                full.frames, full.frames / full.seconds, full.lines);
  }
  return 0;
}
