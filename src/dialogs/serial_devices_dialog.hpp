// FrmSerialDevices: what COM1 to COM4 map to, the serial devices of this machine, a typed path
// or device server address, and "Find Unit", which looks for the unit among the free devices.
// A choice is stored in the SerialPorts section and takes effect at once.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/language.hpp"
#include "protocol/frame.hpp"
#include "serial/serial_devices.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace climate {

class UnitFinder;

// What the window needs from the console.
class SerialDevicesHost {
 public:
  virtual ~SerialDevicesHost() = default;
  virtual std::array<std::string, 4> PortEntries() const = 0;
  // The port the port list selects, 1 to 4; 0 when none is selected.
  virtual int SelectedPortNumber() const = 0;
  virtual std::string LineSettings() const = 0;
  // The real-time request of the selected unit type, and whether a frame answers it usably.
  virtual RequestFrame UnitRequest() const = 0;
  virtual bool UsableReply(std::span<const std::uint8_t> frame) const = 0;
  // The local device the console has open now; empty when none.
  virtual std::string OpenDevice() const = 0;
  // Stores COM<number>=entry and applies it; throws with the reason when it cannot be stored.
  virtual void ApplyPortEntry(int number, const std::string& entry) = 0;
};

class FrmSerialDevices final : public QDialog {
  Q_OBJECT

 public:
  // How long each device has to answer.
  static constexpr int DefaultReplyTimeoutMs = 2000;

  FrmSerialDevices(SerialDevicesHost& host, DeviceEnumerator& devices, QWidget* parent = nullptr);
  ~FrmSerialDevices() override;

  void SetLanguage(Language language);
  // Reads the mapping and the devices anew.
  void Refresh();
  void SetReplyTimeoutMs(int ms) { replyTimeoutMs_ = ms; }
  bool Searching() const;

  // Button handlers, public so that tests can drive them.
  void FindClick();
  void ApplyClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  void ApplyTexts();
  void FitToScreen();
  bool FitPortTableHeight();  // true when the height changed
  void FillPorts();
  void FillDevices();
  void PortRowChosen();
  void DeviceRowChosen();
  void SearchEnded(const std::optional<std::string>& device);
  void SetStatus(const std::string& text, bool problem = false);
  int ChosenPort() const;

  SerialDevicesHost& host_;
  DeviceEnumerator& enumerator_;
  Language language_ = Language::English;
  int replyTimeoutMs_ = DefaultReplyTimeoutMs;
  std::array<std::string, 4> entries_;
  std::vector<DetectedDevice> devices_;
  std::vector<std::string> silent_;
  UnitFinder* finder_ = nullptr;
  bool fitting_ = false;

  QScrollArea* scroller_ = nullptr;  // everything above the buttons
  QLabel* portsLabel_ = nullptr;
  QTableWidget* ports_ = nullptr;
  QLabel* devicesLabel_ = nullptr;
  QTableWidget* deviceTable_ = nullptr;
  QLabel* entryLabel_ = nullptr;
  QLineEdit* entry_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* find_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* close_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace climate
