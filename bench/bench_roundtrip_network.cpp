// Request-to-reply latency at 9600 baud through Debian's ser2net (raw TCP and Telnet com-port
// control, on loopback) against the same through a local pseudo-terminal, in one run. Each round
// asks all three lines in turn, so a busy machine slows them alike; the figures are the medians
// and 95th percentiles and the ratio of each network median to the local one.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../tests/e2e/network/ser2net_process.hpp"
#include "../tests/e2e/serial/sim_process.hpp"
#include "app/config/protocol_settings.hpp"
#include "bench_support.hpp"
#include "protocol/frame.hpp"
#include "protocol/receive.hpp"
#include "serial/mapped_serial_port.hpp"

namespace {

constexpr int Baud = 9600;
constexpr int Rounds = 150;
constexpr int WarmUp = 5;
constexpr int ReplyTimeoutMs = 1000;
constexpr double Target = 1.05;

using climate::bench::Percentile;

// One line to measure: a port on COMn of the shared entries, with its own framer.
struct Line {
  explicit Line(const char* lineName) : name(lineName) {}
  const char* name;
  std::unique_ptr<climate::MappedSerialPort> port;
  std::unique_ptr<climate::bench::RealTimeRoundTrip> roundTrip;
  std::vector<double> latenciesMs;
  int lost = 0;
};

// Asks every line in turn, Rounds times after a warm-up, each time until its reply is decoded.
void Measure(std::array<Line, 3>& lines, const climate::Bytes& request) {
  for (int round = 0; round < WarmUp + Rounds; ++round) {
    for (Line& line : lines) {
      const std::optional<double> ms = line.roundTrip->Ask(request, ReplyTimeoutMs);
      if (!ms) {
        ++line.lost;
      } else if (round >= WarmUp) {
        line.latenciesMs.push_back(*ms);
      }
    }
  }
}

void Report(const std::array<Line, 3>& lines, bool lowLatency) {
  std::printf("round trip of a real-time request at %d baud, %d rounds, ser2net %s\n", Baud, Rounds,
              lowLatency ? "with nodelay and chardelay off" : "as installed");
  const double localMedian =
      lines[0].latenciesMs.empty() ? 0 : Percentile(lines[0].latenciesMs, 0.5);
  bool met = localMedian > 0;
  for (const Line& line : lines) {
    if (line.latenciesMs.empty()) {
      std::printf("%-22s no reply came back\n", line.name);
      met = false;
      continue;
    }
    const double median = Percentile(line.latenciesMs, 0.50);
    std::printf("%-22s median %6.2f ms  p95 %6.2f ms  without reply %d  ratio %.3f\n", line.name,
                median, Percentile(line.latenciesMs, 0.95), line.lost,
                localMedian > 0 ? median / localMedian : 0.0);
    if (localMedian > 0 && median / localMedian > Target) met = false;
  }
  std::printf("target: network medians within %.2f x local: %s\n", Target, met ? "met" : "missed");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace climate;
  QCoreApplication app(argc, argv);

  test::TempDir dir;
  std::vector<std::unique_ptr<test::SimProcess>> sims;
  for (const char* link : {"local", "raw", "telnet"}) {
    sims.push_back(std::make_unique<test::SimProcess>(std::vector<std::string>{
        "--kind", "ac", "--baud", std::to_string(Baud), "--link", dir.File(link)}));
  }
  // By default ser2net runs as installed; --low-latency sets it for the least delay.
  const bool lowLatency = argc > 1 && std::string(argv[1]) == "--low-latency";
  const auto tuning = lowLatency ? test::Ser2netProcess::Tuning::LowLatency
                                 : test::Ser2netProcess::Tuning::Defaults;
  test::Ser2netProcess raw(test::Ser2netProcess::Mode::RawTcp, dir.File("raw"),
                           test::FreeLoopbackPort(), dir.File(""), tuning);
  test::Ser2netProcess telnet(test::Ser2netProcess::Mode::Rfc2217, dir.File("telnet"),
                              test::FreeLoopbackPort(), dir.File(""), tuning);
  const std::array<std::string, 4> entries = {
      dir.File("local"), "tcp://127.0.0.1:" + std::to_string(raw.Port()),
      "rfc2217://127.0.0.1:" + std::to_string(telnet.Port()), ""};

  const ProtocolSettings protocol = DefaultProtocolSettings();
  ReceiveContext context;
  context.protocol = &protocol;
  context.kind = DeviceKind::AirConditioner;
  QElapsedTimer clock;
  clock.start();

  std::array<Line, 3> lines = {Line("local pseudo-terminal"), Line("ser2net raw TCP"),
                               Line("ser2net RFC 2217")};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Line& line = lines[i];
    line.port = std::make_unique<MappedSerialPort>(entries);
    line.port->SetPortNumber(static_cast<int>(i) + 1);
    line.port->SetSettings(std::to_string(Baud) + ",n,8,1");
    line.roundTrip = std::make_unique<bench::RealTimeRoundTrip>(*line.port, context, clock);
    line.port->Open();
  }
  Measure(lines, BuildRequest(protocol, CommandKind::RealTimeData, DeviceKind::AirConditioner));
  Report(lines, lowLatency);
  return 0;
}
