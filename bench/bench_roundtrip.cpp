// Round-trip latency of a real-time request over the Qt serial backend against climate-sim
// imitating a 9600 baud line: from the write of the request to the decoded reply. Prints the
// median and 95th percentile and their ratio to the wire time of the two frames.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../tests/e2e/serial/sim_process.hpp"
#include "app/config/protocol_settings.hpp"
#include "bench_support.hpp"
#include "protocol/frame.hpp"
#include "protocol/receive.hpp"
#include "serial/qt_serial_port.hpp"

namespace {

using namespace climate;

constexpr int Baud = 9600;
constexpr int Exchanges = 200;
constexpr int WarmUp = 5;
constexpr int ReplyTimeoutMs = 1000;

using bench::Percentile;

struct Latencies {
  std::vector<double> ms;  // after the warm-up
  int lost = 0;
};

Latencies Measure(bench::RealTimeRoundTrip& roundTrip, const Bytes& request) {
  Latencies latencies;
  for (int i = 0; i < WarmUp + Exchanges; ++i) {
    const std::optional<double> ms = roundTrip.Ask(request, ReplyTimeoutMs);
    if (!ms) {
      ++latencies.lost;
      continue;
    }
    if (i >= WarmUp) latencies.ms.push_back(*ms);
  }
  return latencies;
}

void Report(const Latencies& latencies, std::size_t requestSize) {
  const double wireMs = static_cast<double>(requestSize + RealTimeFrameSize) * 10.0 * 1000.0 / Baud;
  const double median = Percentile(latencies.ms, 0.50);
  const double p95 = Percentile(latencies.ms, 0.95);
  std::printf("round trip at %d baud, %zu exchanges (%d without reply)\n", Baud,
              latencies.ms.size(), latencies.lost);
  std::printf("wire time of request and reply: %.1f ms\n", wireMs);
  std::printf("median %.1f ms (%.2f x wire time)\n", median, median / wireMs);
  std::printf("p95    %.1f ms (%.2f x wire time)\n", p95, p95 / wireMs);
  std::printf("min %.1f ms, max %.1f ms\n",
              *std::min_element(latencies.ms.begin(), latencies.ms.end()),
              *std::max_element(latencies.ms.begin(), latencies.ms.end()));
  std::printf("target median <= 1.2 x wire time: %s\n", median <= 1.2 * wireMs ? "met" : "missed");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);

  test::TempDir dir;
  const std::string link = dir.File("com1");
  test::SimProcess sim({"--kind", "ac", "--baud", std::to_string(Baud), "--link", link});

  const ProtocolSettings protocol = DefaultProtocolSettings();
  const Bytes request =
      BuildRequest(protocol, CommandKind::RealTimeData, DeviceKind::AirConditioner);
  ReceiveContext context;
  context.protocol = &protocol;
  context.kind = DeviceKind::AirConditioner;

  QElapsedTimer clock;
  clock.start();
  QtSerialPort port({link, "", "", ""});
  port.SetSettings(std::to_string(Baud) + ",n,8,1");
  bench::RealTimeRoundTrip roundTrip(port, context, clock);
  port.Open();

  const Latencies latencies = Measure(roundTrip, request);
  if (latencies.ms.empty()) {
    std::fprintf(stderr, "bench_roundtrip: no reply came back\n");
    return 1;
  }
  Report(latencies, request.size());
  return 0;
}
