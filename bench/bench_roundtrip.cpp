// Round-trip latency of a real-time request over the Qt serial backend against climate-sim
// imitating a 9600 baud line: from the write of the request to the decoded reply. Prints the
// median and 95th percentile and their ratio to the wire time of the two frames.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/e2e/serial/sim_process.hpp"
#include "app/config/protocol_settings.hpp"
#include "bench_support.hpp"
#include "protocol/frame.hpp"
#include "protocol/framer.hpp"
#include "protocol/receive.hpp"
#include "serial/qt_serial_port.hpp"

namespace {

constexpr int Baud = 9600;
constexpr int Exchanges = 200;
constexpr int WarmUp = 5;
constexpr int ReplyTimeoutMs = 1000;

using climate::bench::Percentile;

}  // namespace

int main(int argc, char** argv) {
  using namespace climate;
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
  StreamFramer framer;
  int decoded = 0;
  qint64 decodedAtNs = 0;
  port.onReceive = [&] {
    for (const Bytes& frame : framer.Push(port.ReadAll(), clock.elapsed())) {
      const ReceiveOutcome outcome = ProcessReply(frame, context);
      if (outcome.kind == ReplyKind::AcRealTime && outcome.verdict == climate::ReceiveVerdict::Shown) {
        ++decoded;
        decodedAtNs = clock.nsecsElapsed();
      }
    }
  };
  port.Open();

  std::vector<double> latenciesMs;
  int lost = 0;
  for (int i = 0; i < WarmUp + Exchanges; ++i) {
    const int before = decoded;
    const qint64 sentAtNs = clock.nsecsElapsed();
    port.Write(request);
    QElapsedTimer wait;
    wait.start();
    while (decoded == before && wait.elapsed() < ReplyTimeoutMs) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    if (decoded == before) {
      ++lost;
      continue;
    }
    if (i >= WarmUp) latenciesMs.push_back(static_cast<double>(decodedAtNs - sentAtNs) / 1e6);
  }
  if (latenciesMs.empty()) {
    std::fprintf(stderr, "bench_roundtrip: no reply came back\n");
    return 1;
  }

  const double wireMs =
      static_cast<double>(request.size() + RealTimeFrameSize) * 10.0 * 1000.0 / Baud;
  const double median = Percentile(latenciesMs, 0.50);
  const double p95 = Percentile(latenciesMs, 0.95);
  std::printf("round trip at %d baud, %zu exchanges (%d without reply)\n", Baud, latenciesMs.size(),
              lost);
  std::printf("wire time of request and reply: %.1f ms\n", wireMs);
  std::printf("median %.1f ms (%.2f x wire time)\n", median, median / wireMs);
  std::printf("p95    %.1f ms (%.2f x wire time)\n", p95, p95 / wireMs);
  std::printf("min %.1f ms, max %.1f ms\n",
              *std::min_element(latenciesMs.begin(), latenciesMs.end()),
              *std::max_element(latenciesMs.begin(), latenciesMs.end()));
  std::printf("target median <= 1.2 x wire time: %s\n", median <= 1.2 * wireMs ? "met" : "missed");
  return 0;
}
