// The serial devices window beside the main window: its window (made on first use), its menu
// text, what it needs from the console, and the port list's tooltip naming the device behind the
// selected port.
#include <QAction>
#include <QComboBox>

#include "common/qt_text.hpp"
#include "console/main_window.hpp"
#include "console/tool_window.hpp"
#include "dialogs/serial_devices_texts.hpp"
#include "protocol/receive.hpp"
#include "serial/port_entry.hpp"
#include "serial/port_map.hpp"
#include "serial/qt_device_enumerator.hpp"
#include "serial/serial_port.hpp"

namespace climate {

void TFrmMain::SerialDevicesClick() {
  if (devices_ == nullptr) {
    ownDevices_ = std::make_unique<QtDeviceEnumerator>();
    devices_ = ownDevices_.get();
  }
  ShowToolWindow(
      serialDevicesWindow_,
      [this] {
        SerialDevicesHost& host = *this;
        return std::make_unique<FrmSerialDevices>(host, *devices_, this);
      },
      CurrentLanguage());
}

void TFrmMain::ApplySerialDevicesLanguage() {
  SerialDevices_->setText(Q(serial_devices_text::MenuItem.In(CurrentLanguage())));
  if (serialDevicesWindow_) serialDevicesWindow_->SetLanguage(CurrentLanguage());
}

// "COM1: /dev/serial/by-id/usb-..." so the operator sees what the short name stands for.
void TFrmMain::ShowPortDevice() {
  const int number = SelectedPortNumber();
  if (number == 0) {
    suiComboBoxCOM_->setToolTip({});
    return;
  }
  const std::string entry = port_.PortEntries()[static_cast<std::size_t>(number - 1)];
  suiComboBoxCOM_->setToolTip(Q("COM" + std::to_string(number) + ": " + entry));
}

std::array<std::string, 4> TFrmMain::PortEntries() const {
  return port_.PortEntries();
}

int TFrmMain::SelectedPortNumber() const {
  const int index = suiComboBoxCOM_->currentIndex();
  return index >= 0 && index < 4 ? index + 1 : 0;
}

std::string TFrmMain::LineSettings() const {
  return port_.GetSettings();
}

RequestFrame TFrmMain::UnitRequest() const {
  return BuildRequest(protocol_, CommandKind::RealTimeData, Kind());
}

bool TFrmMain::UsableReply(std::span<const std::uint8_t> frame) const {
  return IsUsableReply(frame, protocol_, Kind());
}

std::string TFrmMain::OpenDevice() const {
  if (!port_.IsOpen()) return {};
  const int number = port_.PortNumber();
  if (number < 1 || number > 4) return {};
  const PortEntryParse parsed =
      ParsePortEntry(port_.PortEntries()[static_cast<std::size_t>(number - 1)]);
  return parsed.entry && !parsed.entry->IsNetwork() ? parsed.entry->path : std::string();
}

// Stored first, so the mapping in use is always the one on file; the selected port then opens
// on it at once, with the usual box should that fail.
void TFrmMain::ApplyPortEntry(int number, const std::string& entry) {
  SavePortEntry(ConfigPath(), number, entry);
  std::array<std::string, 4> entries = port_.PortEntries();
  entries[static_cast<std::size_t>(number - 1)] = entry;
  port_.SetPortEntries(entries);
  ShowPortDevice();
  if (number == SelectedPortNumber()) Guarded([this] { suiComboBoxCOMChange(); });
}

}  // namespace climate
