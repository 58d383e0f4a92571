// A serial line behind a device server: SerialPort over a TCP connection, either raw (the
// server's "TCP server" mode, the line set on the server) or through Telnet Com Port Control,
// which carries the line settings, DTR/RTS and purges to the remote line.
//
// The link behaves as a local adapter does: Open fails when the server cannot be reached within
// ConnectTimeoutMs (refused, unreachable, no answer), and a connection that is reset, closed by
// the server or silently dead (keep-alive probes and unacknowledged writes time out) becomes one
// onLinkLost and a closed port.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>
#include <string>

#include "serial/port_entry.hpp"
#include "serial/serial_port.hpp"
#include "serial/telnet_codec.hpp"

namespace climate {

class NetworkSerialPort final : public QObject, public SerialPort {
  Q_OBJECT

 public:
  static constexpr int DefaultConnectTimeoutMs = 3000;
  // A connection without traffic is probed after KeepAliveIdleS, then every KeepAliveIntervalS,
  // and given up after KeepAliveProbes unanswered probes; written data unacknowledged for
  // UnackedWriteTimeoutMs also ends it.
  static constexpr int KeepAliveIdleS = 5;
  static constexpr int KeepAliveIntervalS = 2;
  static constexpr int KeepAliveProbes = 3;
  static constexpr int UnackedWriteTimeoutMs = 10000;

  explicit NetworkSerialPort(QObject* parent = nullptr);
  ~NetworkSerialPort() override;

  // The device server of the current port; takes effect at the next Open.
  void SetEndpoint(const PortEntry& endpoint) { endpoint_ = endpoint; }
  void SetConnectTimeoutMs(int ms) { connectTimeoutMs_ = ms; }

  void SetPortNumber(int number) override { portNumber_ = number; }
  int PortNumber() const override { return portNumber_; }
  void SetSettings(const std::string& settings) override;
  std::string GetSettings() const override { return settings_; }

  bool IsOpen() const override;
  // Connects without blocking the event loop: window paints, timers and port notifications go on
  // while it waits; only user input waits. A second Open meanwhile fails at once.
  void Open() override;
  void Close() override;
  void DiscardBuffers() override;

  int BytesWaiting() const override;
  std::vector<std::uint8_t> ReadAll() override;
  void Write(const std::vector<std::uint8_t>& bytes) override;

  std::string RemoteEndpoint() const override { return endpoint_.Address(); }
  bool AppliesLineSettings() const override { return endpoint_.kind != LinkKind::RawTcp; }

 private:
  enum class Outcome { Waiting, Connected, Failed };

  bool Rfc2217() const { return endpoint_.kind == LinkKind::Rfc2217; }
  void ConnectAndWait();
  void PrepareConnection();
  void SendRaw(const telnet::Bytes& bytes);
  void OnReadyRead();
  void OnSocketError();
  void BeginLinkLoss(const std::string& reason);
  std::string PortLabel() const;

  PortEntry endpoint_;
  int portNumber_ = 1;
  int connectTimeoutMs_ = DefaultConnectTimeoutMs;
  std::string settings_ = "9600,n,8,1";
  QTcpSocket socket_;
  telnet::Decoder decoder_;
  std::vector<std::uint8_t> received_;
  bool open_ = false;
  bool connecting_ = false;
  bool linkLost_ = false;
  std::string failure_;
  QEventLoop* waiting_ = nullptr;
  // Counts opens and closes, so a deferred close never hits a connection made after the failure.
  std::uint64_t generation_ = 0;
};

}  // namespace climate
