#include "serial/network_serial_port.hpp"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <algorithm>
#include <utility>

namespace climate {

NetworkSerialPort::NetworkSerialPort(QObject* parent) : QObject(parent), socket_(this) {
  connect(&socket_, &QTcpSocket::readyRead, this, &NetworkSerialPort::OnReadyRead);
  connect(&socket_, &QAbstractSocket::errorOccurred, this, &NetworkSerialPort::OnSocketError);
  connect(&socket_, &QAbstractSocket::disconnected, this, &NetworkSerialPort::OnSocketError);
  // Confirmations that never come after a late agreement or a settings change count as missing.
  answerTimer_.setSingleShot(true);
  connect(&answerTimer_, &QTimer::timeout, this, &NetworkSerialPort::OnAnswerTimeUp);
}

NetworkSerialPort::~NetworkSerialPort() {
  // The callbacks belong to the owner, which may already be half destroyed.
  onReceive = nullptr;
  onLinkLost = nullptr;
  onLineSettingsChange = nullptr;
  open_ = false;
  socket_.abort();
}

std::string NetworkSerialPort::PortLabel() const {
  return "COM" + std::to_string(portNumber_) + " (" + endpoint_.Address() + ")";
}

bool NetworkSerialPort::IsOpen() const {
  return open_ && !linkLost_;
}

void NetworkSerialPort::SetSettings(const std::string& settings) {
  const auto parsed = ParsePortSettings(settings);
  if (!parsed) throw SerialError("Invalid port settings '" + settings + "'");
  settings_ = settings;
  // Without the server's agreement nothing may be sent; the choice is kept for the next open.
  if (!IsOpen() || !Rfc2217() || negotiation_.Report().control != LineControl::Agreed) return;
  SendRaw(telnet::LineSettingsCommands(*parsed));
  negotiation_.OnSent(*parsed);
  answerTimer_.start(answerTimeoutMs_);
  if (!WaitUntil([this] { return negotiation_.Settled(); }, answerTimeoutMs_)) OnAnswerTimeUp();
  NotifyLineSettings();
}

LineSettingsReport NetworkSerialPort::LineSettingsState() const {
  if (!Rfc2217()) {
    LineSettingsReport report;
    report.control = endpoint_.IsNetwork() ? LineControl::OnServer : LineControl::Local;
    return report;
  }
  return negotiation_.Report();
}

void NetworkSerialPort::Open() {
  if (connecting_) throw SerialError(PortLabel() + ": a connection is already being made");
  if (socket_.state() != QAbstractSocket::UnconnectedState) Close();
  if (!endpoint_.IsNetwork()) throw SerialError(PortLabel() + ": no device server configured");
  const auto settings = ParsePortSettings(settings_);
  if (!settings) throw SerialError("Invalid port settings '" + settings_ + "'");
  ConnectAndWait();
  ++generation_;
  linkLost_ = false;
  PrepareConnection();
  if (Rfc2217()) AwaitNegotiation();
  open_ = true;
  NotifyLineSettings();
}

// The first request must find the line set: the port opens once the server has answered the
// offer and confirmed what it was sent, or the answer time is over. A connection that ends
// meanwhile is an open failure like a refused one.
void NetworkSerialPort::AwaitNegotiation() {
  connecting_ = true;
  negotiating_ = true;
  const bool settled = WaitUntil([this] { return negotiation_.Settled(); }, answerTimeoutMs_);
  negotiating_ = false;
  connecting_ = false;
  if (socket_.state() != QAbstractSocket::ConnectedState) {
    const bool plainClose = socket_.error() == QAbstractSocket::UnknownSocketError ||
                            socket_.error() == QAbstractSocket::RemoteHostClosedError;
    const std::string reason = plainClose ? std::string("the server closed the connection")
                                          : socket_.errorString().toStdString();
    socket_.abort();
    throw SerialError(PortLabel() + ": " + reason);
  }
  if (!settled) OnAnswerTimeUp();
}

bool NetworkSerialPort::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer waited;
  waited.start();
  QEventLoop* const outer = waiting_;
  while (!done()) {
    const qint64 left = timeoutMs - waited.elapsed();
    if (left <= 0 || socket_.state() != QAbstractSocket::ConnectedState || linkLost_) break;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(static_cast<int>(left));
    waiting_ = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    waiting_ = outer;
  }
  return done();
}

// Waits for the connection in a local event loop bounded by the connect timeout. Everything but
// user input keeps running meanwhile; Close ends the wait early.
void NetworkSerialPort::ConnectAndWait() {
  decoder_.Reset();
  received_.clear();
  failure_.clear();
  Outcome outcome = Outcome::Waiting;
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  connect(&socket_, &QTcpSocket::connected, &loop, [&] {
    outcome = Outcome::Connected;
    loop.quit();
  });
  connect(&socket_, &QAbstractSocket::errorOccurred, &loop, [&] {
    outcome = Outcome::Failed;
    failure_ = socket_.errorString().toStdString();
    loop.quit();
  });
  connecting_ = true;
  waiting_ = &loop;
  socket_.connectToHost(QString::fromStdString(endpoint_.host), endpoint_.port);
  if (outcome == Outcome::Waiting && socket_.state() != QAbstractSocket::ConnectedState) {
    deadline.start(connectTimeoutMs_);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  waiting_ = nullptr;
  connecting_ = false;
  if (socket_.state() == QAbstractSocket::ConnectedState) return;
  if (outcome == Outcome::Waiting) {
    failure_ = "no connection within " + std::to_string(connectTimeoutMs_) + " ms";
  }
  socket_.abort();
  throw SerialError(PortLabel() + ": " + failure_);
}

void NetworkSerialPort::PrepareConnection() {
  // Requests are a few bytes each: waiting to fill a segment would add a round trip to every one.
  socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
  socket_.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
  const int fd = static_cast<int>(socket_.socketDescriptor());
  const int idle = KeepAliveIdleS;
  const int interval = KeepAliveIntervalS;
  const int probes = KeepAliveProbes;
  const unsigned userTimeout = UnackedWriteTimeoutMs;
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
  ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout);
  if (!Rfc2217()) return;
  negotiation_.Begin();
  SendRaw(telnet::OpeningNegotiation());
}

// The line as a local port is opened: its settings, no flow control with DTR and RTS asserted,
// and the server's buffers cleared.
void NetworkSerialPort::SendLineSetup(const PortSettings& settings) {
  telnet::Bytes setup = telnet::LineSettingsCommands(settings);
  for (const telnet::Bytes& part : {telnet::LineControlCommands(), telnet::PurgeCommand()}) {
    setup.insert(setup.end(), part.begin(), part.end());
  }
  SendRaw(setup);
  negotiation_.OnSent(settings);
  answerTimer_.start(answerTimeoutMs_);
}

// The decoder keeps the server's last word on com-port control; only a change of it acts.
void NetworkSerialPort::FollowComPortAnswer() {
  if (!decoder_.ClientAnswered(telnet::OptionComPort)) return;
  const bool agreed = decoder_.ClientWill(telnet::OptionComPort);
  const LineControl now = negotiation_.Report().control;
  if (now == (agreed ? LineControl::Agreed : LineControl::Refused)) return;
  negotiation_.OnAnswer(agreed);
  if (agreed) SendLineSetup(*ParsePortSettings(settings_));
}

void NetworkSerialPort::OnAnswerTimeUp() {
  negotiation_.OnAnswerTimeUp();
  NotifyLineSettings();
}

void NetworkSerialPort::NotifyLineSettings() {
  if (negotiating_) return;  // Open reports once it is done
  const LineSettingsReport report = LineSettingsState();
  if (report == reported_) return;
  reported_ = report;
  if (onLineSettingsChange) onLineSettingsChange();
}

void NetworkSerialPort::SendRaw(const telnet::Bytes& bytes) {
  socket_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  socket_.flush();
}

void NetworkSerialPort::Close() {
  ++generation_;
  open_ = false;
  linkLost_ = false;
  answerTimer_.stop();
  if (waiting_ != nullptr) waiting_->quit();
  if (socket_.state() != QAbstractSocket::UnconnectedState) {
    socket_.flush();
    socket_.abort();
  }
  received_.clear();
  decoder_.Reset();
}

void NetworkSerialPort::DiscardBuffers() {
  received_.clear();
  if (IsOpen() && Rfc2217() && negotiation_.Report().control == LineControl::Agreed) {
    SendRaw(telnet::PurgeCommand());
  }
}

int NetworkSerialPort::BytesWaiting() const {
  return static_cast<int>(std::min<std::size_t>(received_.size(), 0x7FFF));
}

std::vector<std::uint8_t> NetworkSerialPort::ReadAll() {
  return std::exchange(received_, {});
}

void NetworkSerialPort::Write(const std::vector<std::uint8_t>& bytes) {
  if (!IsOpen()) throw SerialError(PortLabel() + ": write to a closed port");
  const telnet::Bytes wire = Rfc2217() ? telnet::EscapeData(bytes) : bytes;
  const auto size = static_cast<qint64>(wire.size());
  if (socket_.write(reinterpret_cast<const char*>(wire.data()), size) != size) {
    throw SerialError(PortLabel() + ": write failed: " + socket_.errorString().toStdString());
  }
  socket_.flush();
  if (linkLost_) throw SerialError(PortLabel() + ": write failed: the connection is lost");
}

void NetworkSerialPort::OnReadyRead() {
  // Servers that keep Nagle's algorithm on hold the rest of a reply until the first piece is
  // acknowledged; a delayed acknowledgement would add up to 40 ms to every reply. Quick
  // acknowledgement lapses by itself, so it is asked for again after every read.
  const int quickAck = 1;
  ::setsockopt(static_cast<int>(socket_.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &quickAck,
               sizeof quickAck);
  const QByteArray chunk = socket_.readAll();
  if (waiting_ != nullptr) waiting_->quit();  // a wait looks again at what has arrived
  if (!(IsOpen() || negotiating_) || chunk.isEmpty()) return;
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(chunk.data()),
                                            static_cast<std::size_t>(chunk.size()));
  std::size_t before = received_.size();
  if (Rfc2217()) {
    telnet::Decoder::Output out = decoder_.Push(bytes);
    if (!out.reply.empty()) SendRaw(out.reply);
    FollowComPortAnswer();
    for (const telnet::ComPortMessage& message : out.messages) negotiation_.OnMessage(message);
    received_.insert(received_.end(), out.data.begin(), out.data.end());
    NotifyLineSettings();
  } else {
    received_.insert(received_.end(), bytes.begin(), bytes.end());
  }
  // What arrives while the line is being negotiated waits for the first read after the open.
  if (received_.size() > before && !negotiating_ && onReceive) onReceive();
}

void NetworkSerialPort::OnSocketError() {
  if (waiting_ != nullptr) waiting_->quit();
  if (connecting_ || !IsOpen()) return;
  const bool plainClose = socket_.error() == QAbstractSocket::UnknownSocketError ||
                          socket_.error() == QAbstractSocket::RemoteHostClosedError;
  BeginLinkLoss(PortLabel() + ": " +
                (plainClose ? std::string("the server closed the connection")
                            : socket_.errorString().toStdString()));
}

// The error arrives from inside the socket's own notification, where closing it is not safe.
// From here on the port counts as closed; the real close and the notification follow on the next
// turn of the event loop.
void NetworkSerialPort::BeginLinkLoss(const std::string& reason) {
  linkLost_ = true;
  const std::uint64_t generation = generation_;
  QMetaObject::invokeMethod(
      this,
      [this, generation, reason] {
        if (generation != generation_) return;  // closed or reopened by the owner meanwhile
        Close();
        if (onLinkLost) onLinkLost(reason);
      },
      Qt::QueuedConnection);
}

}  // namespace climate
