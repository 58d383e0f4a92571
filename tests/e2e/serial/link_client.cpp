#include "link_client.hpp"

#include <time.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace climate::test {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    const qint64 left = timeoutMs - timer.elapsed();
    if (left <= 0) return done();
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                    static_cast<int>(std::min<qint64>(left, 20)));
  }
  return true;
}

bool RunLineChecks(int checks) {
  QTimer ticker;
  int ticks = 0;
  QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
  ticker.start(QtSerialPort::LineCheckIntervalMs);
  constexpr int GenerousMs = 20000;
  return WaitFor([&] { return ticks >= checks; }, GenerousMs);
}

double CpuMsWhileRunning(int wallMs) {
  const auto cpuMs = [] {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
  };
  const double before = cpuMs();
  QEventLoop loop;
  QTimer::singleShot(wallMs, &loop, &QEventLoop::quit);
  loop.exec();
  return cpuMs() - before;
}

LinkClient::LinkClient(const std::string& devicePath, std::uint8_t startByte)
    : port_({devicePath, "", "", ""}), framer_(startByte) {
  clock_.start();
  port_.onReceive = [this] {
    ++notifications_;
    Collect();
  };
  port_.onLinkLost = [this](const std::string& reason) {
    lostReason_ = reason;
    lostAtMs_ = clock_.elapsed();
    ++lossReports_;
  };
}

void LinkClient::Open() {
  port_.Open();
  framer_.Reset();
  frames_.clear();
  lostReason_.reset();
  lostAtMs_ = -1;
}

void LinkClient::Collect() {
  const Bytes bytes = port_.ReadAll();
  for (Bytes& frame : framer_.Push(bytes, clock_.elapsed())) frames_.push_back(std::move(frame));
}

bool LinkClient::WaitForFrames(std::size_t count, int timeoutMs) {
  return WaitFor([&] { return frames_.size() >= count; }, timeoutMs);
}

std::vector<Bytes> LinkClient::TakeFrames() {
  std::vector<Bytes> taken;
  taken.swap(frames_);
  return taken;
}

std::vector<Bytes> LinkClient::Exchange(const Bytes& request, std::size_t count, int timeoutMs) {
  frames_.clear();
  port_.Write(request);
  WaitForFrames(count, timeoutMs);
  return TakeFrames();
}

ReceiveOutcome Judge(const Bytes& frame, const ProtocolSettings& protocol, DeviceKind kind,
                     int pendingCommand) {
  ReceiveContext context;
  context.protocol = &protocol;
  context.kind = kind;
  context.language = Language::English;
  context.pendingCommand = static_cast<CommandCode>(pendingCommand);
  return ProcessReply(frame, context);
}

}  // namespace climate::test
