// A serial line behind a device server: SerialPort over a TCP connection, either raw (the
// server's "TCP server" mode, the line set on the server) or through Telnet Com Port Control,
// which carries the line settings, DTR/RTS and purges to the remote line.
//
// Com-port control is offered first and the line commands go out only once the server has agreed
// (its DO); each setting the server confirms is compared with the one asked for. A refusal, no
// answer within the answer time, or a different confirmed value is kept in LineSettingsState for
// the window to show; the data still flows, as the line is whatever the server made it.
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
#include <functional>
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
  // How long the server has to answer the com-port offer and to confirm settings.
  static constexpr int DefaultAnswerTimeoutMs = 2000;

  explicit NetworkSerialPort(QObject* parent = nullptr);
  ~NetworkSerialPort() override;

  // The device server of the current port; takes effect at the next Open.
  void SetEndpoint(const PortEntry& endpoint) { endpoint_ = endpoint; }
  void SetConnectTimeoutMs(int ms) { connectTimeoutMs_ = ms; }
  void SetAnswerTimeoutMs(int ms) { answerTimeoutMs_ = ms; }

  void SetPortNumber(int number) override { portNumber_ = number; }
  int PortNumber() const override { return portNumber_; }
  // On an open com-port line the new settings are sent and their confirmations awaited (event
  // loop running, user input held) for at most the answer time, so LineSettingsState tells the
  // outcome on return.
  void SetSettings(const std::string& settings) override;
  std::string GetSettings() const override { return settings_; }

  bool IsOpen() const override;
  // Connects without blocking the event loop: window paints, timers and port notifications go on
  // while it waits; only user input waits. A second Open meanwhile fails at once. A com-port line
  // is open once the server has answered the offer and confirmed the settings, or the answer
  // time is over.
  void Open() override;
  void Close() override;
  void DiscardBuffers() override;

  int BytesWaiting() const override;
  std::vector<std::uint8_t> ReadAll() override;
  void Write(const std::vector<std::uint8_t>& bytes) override;

  std::string RemoteEndpoint() const override { return endpoint_.Address(); }
  bool AppliesLineSettings() const override { return endpoint_.kind != LinkKind::RawTcp; }
  LineSettingsReport LineSettingsState() const override;

 private:
  enum class Outcome { Waiting, Connected, Failed };

  bool Rfc2217() const { return endpoint_.kind == LinkKind::Rfc2217; }
  void ConnectAndWait();
  void PrepareConnection();
  void AwaitNegotiation();
  // Runs the event loop (user input held) until done() or timeoutMs; false on the timeout or a
  // connection that is gone.
  bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
  void FollowComPortAnswer();
  void SendLineSetup(const PortSettings& settings);
  void OnAnswerTimeUp();
  void NotifyLineSettings();
  void SendRaw(const telnet::Bytes& bytes);
  void OnReadyRead();
  void OnSocketError();
  void BeginLinkLoss(const std::string& reason);
  std::string PortLabel() const;

  PortEntry endpoint_;
  int portNumber_ = 1;
  int connectTimeoutMs_ = DefaultConnectTimeoutMs;
  int answerTimeoutMs_ = DefaultAnswerTimeoutMs;
  std::string settings_ = "9600,n,8,1";
  QTcpSocket socket_;
  telnet::Decoder decoder_;
  LineNegotiation negotiation_;
  LineSettingsReport reported_;
  QTimer answerTimer_;
  std::vector<std::uint8_t> received_;
  bool open_ = false;
  bool connecting_ = false;
  bool negotiating_ = false;
  bool linkLost_ = false;
  std::string failure_;
  QEventLoop* waiting_ = nullptr;
  // Counts opens and closes, so a deferred close never hits a connection made after the failure.
  std::uint64_t generation_ = 0;
};

}  // namespace climate
