// The real serial line: SerialPort over QSerialPort. Port numbers 1 to 4 map to the device paths
// given at construction (the SerialPorts section of UserSet.INI). Everything runs on the Qt
// event loop of the thread that owns the object.
//
// A failing device (adapter pulled, peer hung up) is turned into one onLinkLost and a closed
// port, never into a stream of errors: QSerialPort keeps raising ReadError at full speed after a
// hang-up while it still reports itself open. An adapter that stops taking bytes raises no error
// at all, so bytes that have not left within a bound derived from the baud rate count as a lost
// link too.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <array>
#include <cstdint>
#include <string>

#include "serial/drain_watch.hpp"
#include "serial/port_settings.hpp"
#include "serial/serial_port.hpp"

namespace climate {

class QtSerialPort final : public QObject, public SerialPort {
  Q_OBJECT

 public:
  // How often an open port is checked for a hang-up that QSerialPort does not report.
  static constexpr int LineCheckIntervalMs = 200;

  explicit QtSerialPort(std::array<std::string, 4> devicePaths, QObject* parent = nullptr);
  ~QtSerialPort() override;

  void SetPortNumber(int number) override { portNumber_ = number; }
  int PortNumber() const override { return portNumber_; }
  void SetSettings(const std::string& settings) override;
  std::string GetSettings() const override { return settings_; }

  bool IsOpen() const override;
  void Open() override;
  void Close() override;
  void DiscardBuffers() override;

  int BytesWaiting() const override;
  std::vector<std::uint8_t> ReadAll() override;
  void Write(const std::vector<std::uint8_t>& bytes) override;

  std::array<std::string, 4> PortEntries() const override { return devicePaths_; }
  void SetPortEntries(const std::array<std::string, 4>& entries) override {
    devicePaths_ = entries;
  }

  // The device path of the current port number ("" when the number is outside 1 to 4).
  std::string DevicePath() const override;
  // The operating-system handle of the open port, -1 when closed (diagnostics and tests).
  qintptr NativeHandle() const;

 private:
  // Setting up or reconfiguring the device makes QSerialPort report errors that are not a lost
  // link (a pseudo-terminal has no modem lines, for example); they are ignored meanwhile.
  class ConfigureScope;

  void ApplySettings(const PortSettings& settings);
  void RequestLowLatency();
  void OnError(QSerialPort::SerialPortError error);
  void CheckLine();
  // Bytes handed to Write that have not left yet: Qt's buffer and the driver's output queue.
  qint64 BytesNotSent() const;
  void BeginLinkLoss(const std::string& reason);
  void FinishLinkLoss(std::uint64_t generation, const std::string& reason);
  std::string PortLabel() const;

  std::array<std::string, 4> devicePaths_;
  int portNumber_ = 1;
  std::string settings_ = "9600,n,8,1";
  QSerialPort serial_;
  QTimer lineCheck_;
  int configuring_ = 0;
  bool linkLost_ = false;
  QElapsedTimer clock_;
  DrainWatch drain_;
  // Counts opens and closes, so a deferred close never hits a port opened after the failure.
  std::uint64_t generation_ = 0;
};

}  // namespace climate
