#include "serial/qt_serial_port.hpp"

#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <QMetaObject>
#include <utility>

namespace climate {

class QtSerialPort::ConfigureScope {
 public:
  explicit ConfigureScope(QtSerialPort& port) : port_(port) { ++port_.configuring_; }
  ~ConfigureScope() {
    port_.serial_.clearError();
    --port_.configuring_;
  }
  ConfigureScope(const ConfigureScope&) = delete;
  ConfigureScope& operator=(const ConfigureScope&) = delete;

 private:
  QtSerialPort& port_;
};

namespace {

QSerialPort::Parity ToQt(Parity parity) {
  switch (parity) {
    case Parity::Odd:
      return QSerialPort::OddParity;
    case Parity::Even:
      return QSerialPort::EvenParity;
    case Parity::None:
      break;
  }
  return QSerialPort::NoParity;
}

QSerialPort::DataBits ToQtDataBits(int bits) {
  switch (bits) {
    case 5:
      return QSerialPort::Data5;
    case 6:
      return QSerialPort::Data6;
    case 7:
      return QSerialPort::Data7;
    default:
      return QSerialPort::Data8;
  }
}

}  // namespace

QtSerialPort::QtSerialPort(std::array<std::string, 4> devicePaths, QObject* parent)
    : QObject(parent), devicePaths_(std::move(devicePaths)), serial_(this), lineCheck_(this) {
  connect(&serial_, &QSerialPort::readyRead, this, [this] {
    if (!linkLost_ && onReceive) onReceive();
  });
  connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
  clock_.start();
  lineCheck_.setInterval(LineCheckIntervalMs);
  connect(&lineCheck_, &QTimer::timeout, this, &QtSerialPort::CheckLine);
}

QtSerialPort::~QtSerialPort() {
  // The callbacks belong to the owner, which may already be half destroyed.
  onReceive = nullptr;
  onLinkLost = nullptr;
  if (serial_.isOpen()) serial_.close();
}

std::string QtSerialPort::DevicePath() const {
  if (portNumber_ < 1 || portNumber_ > 4) return {};
  return devicePaths_[static_cast<std::size_t>(portNumber_ - 1)];
}

std::string QtSerialPort::PortLabel() const {
  return "COM" + std::to_string(portNumber_) + " (" + DevicePath() + ")";
}

qintptr QtSerialPort::NativeHandle() const {
  return serial_.isOpen() ? serial_.handle() : -1;
}

bool QtSerialPort::IsOpen() const {
  return serial_.isOpen() && !linkLost_;
}

void QtSerialPort::SetSettings(const std::string& settings) {
  const auto parsed = ParsePortSettings(settings);
  if (!parsed) throw SerialError("Invalid port settings '" + settings + "'");
  if (IsOpen()) {
    try {
      ApplySettings(*parsed);
    } catch (const SerialError&) {
      // Leave the line as it was rather than half reconfigured.
      if (const auto previous = ParsePortSettings(settings_)) {
        try {
          ApplySettings(*previous);
        } catch (const SerialError&) {
        }
      }
      throw;
    }
  }
  settings_ = settings;
}

void QtSerialPort::ApplySettings(const PortSettings& settings) {
  ConfigureScope scope(*this);
  const bool ok =
      serial_.setBaudRate(settings.baudRate) && serial_.setParity(ToQt(settings.parity)) &&
      serial_.setDataBits(ToQtDataBits(settings.dataBits)) &&
      serial_.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
      serial_.setFlowControl(QSerialPort::NoFlowControl);
  if (!ok) {
    throw SerialError(PortLabel() + ": cannot apply settings '" + FormatPortSettings(settings) +
                      "': " + serial_.errorString().toStdString());
  }
}

void QtSerialPort::Open() {
  if (serial_.isOpen()) Close();
  const std::string path = DevicePath();
  if (path.empty()) {
    throw SerialError("COM" + std::to_string(portNumber_) + ": no device path configured");
  }
  const auto settings = ParsePortSettings(settings_);
  if (!settings) throw SerialError("Invalid port settings '" + settings_ + "'");

  ConfigureScope scope(*this);
  serial_.setPortName(QString::fromStdString(path));
  if (!serial_.open(QIODevice::ReadWrite)) {
    const std::string systemText = serial_.errorString().toStdString();
    DeviceOpenError::Cause cause = DeviceOpenError::Cause::Other;
    if (serial_.error() == QSerialPort::DeviceNotFoundError) {
      cause = DeviceOpenError::Cause::Missing;
    } else if (serial_.error() == QSerialPort::PermissionError) {
      // Qt says this for a denied device, a busy one and one locked by another program alike.
      cause = DeviceOpenError::Cause::Refused;
    }
    throw DeviceOpenError(PortLabel() + ": " + systemText, path, cause, systemText);
  }
  ++generation_;
  linkLost_ = false;
  drain_.Reset();
  try {
    ApplySettings(*settings);
  } catch (const SerialError&) {
    serial_.close();
    throw;
  }
  // Lines without modem control (pseudo-terminals, some adapters) refuse these; that is no
  // reason to refuse the port.
  serial_.setDataTerminalReady(true);
  serial_.setRequestToSend(true);
  RequestLowLatency();
  // Bytes that waited in the driver belong to nobody: the console starts from a clean line.
  serial_.clear(QSerialPort::AllDirections);
  lineCheck_.start();
}

// USB adapters otherwise hold a partial buffer for their latency timer (16 ms by default), which
// would add that much to every reply. Pseudo-terminals and plain UARTs refuse; that is fine.
void QtSerialPort::RequestLowLatency() {
  const int fd = static_cast<int>(serial_.handle());
  serial_struct info{};
  if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return;
  if ((info.flags & ASYNC_LOW_LATENCY) != 0) return;
  info.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &info);
}

void QtSerialPort::Close() {
  lineCheck_.stop();
  drain_.Reset();
  ++generation_;
  linkLost_ = false;
  if (serial_.isOpen()) {
    ConfigureScope scope(*this);
    serial_.close();
  }
}

void QtSerialPort::DiscardBuffers() {
  if (serial_.isOpen() && !linkLost_) {
    ConfigureScope scope(*this);
    serial_.clear(QSerialPort::AllDirections);
  }
}

int QtSerialPort::BytesWaiting() const {
  if (!serial_.isOpen()) return 0;
  const qint64 waiting = serial_.bytesAvailable();
  return waiting > 0x7FFF ? 0x7FFF : static_cast<int>(waiting);
}

std::vector<std::uint8_t> QtSerialPort::ReadAll() {
  if (!serial_.isOpen()) return {};
  const QByteArray data = serial_.readAll();
  return std::vector<std::uint8_t>(data.begin(), data.end());
}

void QtSerialPort::Write(const std::vector<std::uint8_t>& bytes) {
  if (!IsOpen()) throw SerialError(PortLabel() + ": write to a closed port");
  const auto size = static_cast<qint64>(bytes.size());
  const qint64 written = serial_.write(reinterpret_cast<const char*>(bytes.data()), size);
  if (written != size) {
    throw SerialError(PortLabel() + ": write failed: " + serial_.errorString().toStdString());
  }
  // Hand the frame to the driver now rather than on the next turn of the event loop. A line
  // that fails here has not carried the frame: say so instead of reporting it as sent.
  serial_.flush();
  if (linkLost_) throw SerialError(PortLabel() + ": write failed: the line is lost");
  drain_.Written(bytes.size(), BytesNotSent(), clock_.elapsed(),
                 ParsePortSettings(settings_).value_or(PortSettings{}));
}

qint64 QtSerialPort::BytesNotSent() const {
  if (!serial_.isOpen()) return 0;
  int queued = 0;
  if (::ioctl(static_cast<int>(serial_.handle()), TIOCOUTQ, &queued) != 0 || queued < 0) queued = 0;
  return serial_.bytesToWrite() + queued;
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
  if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) return;
  if (configuring_ > 0 || linkLost_ || !serial_.isOpen()) return;
  BeginLinkLoss(PortLabel() + ": " + serial_.errorString().toStdString());
}

// Qt does not report every hang-up: a hung-up terminal reads as end of file, which it may
// never turn into an error. A zero-timeout poll every LineCheckIntervalMs costs nothing.
void QtSerialPort::CheckLine() {
  if (linkLost_ || !serial_.isOpen()) return;
  pollfd entry{};
  entry.fd = static_cast<int>(serial_.handle());
  entry.events = POLLIN;
  if (::poll(&entry, 1, 0) < 0) return;
  if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    BeginLinkLoss(PortLabel() + ": the device hung up");
    return;
  }
  const qint64 pending = drain_.Watching() ? BytesNotSent() : 0;
  if (drain_.Stalled(pending, clock_.elapsed(),
                     ParsePortSettings(settings_).value_or(PortSettings{}))) {
    BeginLinkLoss(PortLabel() + ": " + std::to_string(pending) +
                  " bytes not sent in time; the adapter stopped taking bytes");
  }
}

// The error arrives from inside QSerialPort's own read or write notification, where closing the
// device is not safe. From here on the port counts as closed and every further error is ignored;
// the real close and the notification follow on the next turn of the event loop.
void QtSerialPort::BeginLinkLoss(const std::string& reason) {
  linkLost_ = true;
  lineCheck_.stop();
  const std::uint64_t generation = generation_;
  QMetaObject::invokeMethod(
      this, [this, generation, reason] { FinishLinkLoss(generation, reason); },
      Qt::QueuedConnection);
}

void QtSerialPort::FinishLinkLoss(std::uint64_t generation, const std::string& reason) {
  if (generation != generation_) return;  // closed or reopened by the owner meanwhile
  Close();
  if (onLinkLost) onLinkLost(reason);
}

}  // namespace climate
