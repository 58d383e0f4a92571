// The serial port as the operator sees it: the port list, the port lamp, panel 0 of the status
// bar and the error box of a failed open. A lost link is shown as such, and periodic requests
// reopen the port without piling up message boxes. What a device server did with the line
// settings stands in the lamp's tooltip and the Monitor's link health.
#include <QCheckBox>
#include <QComboBox>

#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/operator_checks.hpp"
#include "console/prompts.hpp"
#include "console/status_texts.hpp"
#include "console/ui_texts.hpp"
#include "monitor/monitor_model.hpp"
#include "serial/send_request.hpp"
#include "serial/open_failure.hpp"
#include "serial/port_entry.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

// The lamp's hint, for a line behind a device server the server's address under it, and what
// is wrong with the line settings there, if anything.
void ShowPortEndpoint(Lamp& lamp, const SerialPort& port, Language language) {
  std::string hint(Texts::PortLampHint);
  const std::string endpoint = port.RemoteEndpoint();
  if (!endpoint.empty()) hint += "\n" + endpoint;
  const std::string problem = LineSettingsProblemText(port.LineSettingsState(), language);
  if (!problem.empty()) hint += "\n" + problem;
  lamp.setToolTip(QString::fromStdString(hint));
}

// The box's details: which device or address, and why, in words the operator can act on.
std::string FailureDetails(const SerialError& error, const SerialPort& port, Language language) {
  if (const auto* device = dynamic_cast<const DeviceOpenError*>(&error)) {
    return OpenFailureDetails(ExamineOpenFailure(*device), language);
  }
  const int number = port.PortNumber();
  const std::string entry =
      number >= 1 && number <= 4 ? port.PortEntries()[static_cast<std::size_t>(number - 1)] : "";
  const PortEntryParse parsed = ParsePortEntry(entry);
  if (!parsed.entry) {
    const std::string reason =
        BadPortEntryText("COM" + std::to_string(number), entry, parsed.problem, language);
    return PortFailureDetails(entry, false, reason, language);
  }
  const bool network = parsed.entry->IsNetwork();
  return PortFailureDetails(network ? parsed.entry->Address() : entry, network, error.what(),
                            language);
}

}  // namespace

std::string TFrmMain::PortText() const {
  return suiComboBoxCOM_->currentText().toStdString();
}

// Closes the port, selects the listed one and opens it; a failure is reported with a message box,
// panel 0 and the maroon lamp, and goes no further. A list without a selection has no port number
// and raises the conversion error before anything is opened.
void TFrmMain::suiComboBoxCOMChange() {
  OpenSelectedPort(false);
}

// With quietForDeviceServer (the show handler in periodic mode), a device server line that does
// not open is the quiet lost link the periodic requests reconnect, not a box before the window.
void TFrmMain::OpenSelectedPort(bool quietForDeviceServer) {
  if (port_.IsOpen()) port_.Close();
  const std::string port = PortText();
  port_.SetPortNumber(PortNumberFromListText(port));
  const Language language = CurrentLanguage();
  SetStatusPanel(0, PortInUseText(port, language));
  UpdateMonitorPort();
  ShowPortEndpoint(*ShapeComLed_, port_, language);
  ShowPortDevice();
  port_.DiscardBuffers();
  framer_.Reset();
  ShapeComLed_->SetColour(Lamp::Lime);
  try {
    port_.Open();
    monitor_.OnLinkRestored();
  } catch (const SerialError& error) {
    if (quietForDeviceServer && !port_.RemoteEndpoint().empty()) {
      OnLinkLost(error.what());
    } else {
      prompts_.MessageWithDetails(std::string(PortOpenFailedMessage(language)),
                                  std::string(PortOpenFailedCaption(language)),
                                  FailureDetails(error, port_, language));
      SetStatusPanel(0, PortOpenFailedText(port, CurrentLanguage()));
      ShapeComLed_->SetColour(Lamp::Maroon);
    }
  }
  ShowLineSettingsState();
}

// The same open without the message box, for requests nobody is watching (the periodic timer):
// a missing unit must not stack a box every period. Success looks exactly like a normal open;
// failure (a missing device, or no port selected at all) leaves panel 0 and the lamp telling
// what went wrong before.
bool TFrmMain::ReopenQuietly() {
  if (port_.IsOpen()) return true;
  const std::string port = PortText();
  try {
    port_.SetPortNumber(PortNumberFromListText(port));
    port_.DiscardBuffers();
    framer_.Reset();
    port_.Open();
  } catch (const std::exception&) {
    return false;
  }
  SetStatusPanel(0, PortInUseText(port, CurrentLanguage()));
  ShapeComLed_->SetColour(Lamp::Lime);
  monitor_.OnLinkRestored();
  ShowLineSettingsState();
  return true;
}

bool TFrmMain::WriteRequest(const RequestFrame& frame) {
  // Nobody waits at the window for these: the periodic timer and the show handler send them, and
  // a device server line drops and comes back by itself. A box here would come every period, or
  // stand before the window at start-up.
  const bool quiet = suiCheckBoxTimer_->isChecked() && !port_.RemoteEndpoint().empty() &&
                     IsRealTimeRequest(frame, protocol_);
  if (!quiet) return SendRequest(port_, frame, [this] { suiComboBoxCOMChange(); });
  if (!port_.IsOpen() && !ReopenQuietly()) return false;
  try {
    port_.Write(frame);
  } catch (const SerialError& error) {
    if (port_.IsOpen()) port_.Close();
    OnLinkLost(error.what());
    return false;
  }
  return true;
}

void TFrmMain::ShowLineSettingsState() {
  ShowPortEndpoint(*ShapeComLed_, port_, CurrentLanguage());
  monitor_.SetLineSettings(port_.LineSettingsState());
}

// Right-click on the port lamp alternates between reopening and closing the port, whatever
// state the port is in.
void TFrmMain::ShapeComLedContextPopup() {
  const bool closeNow = lampToggle_;
  lampToggle_ = !lampToggle_;
  if (closeNow) {
    if (port_.IsOpen()) {
      if (suiCheckBoxTimer_->isChecked()) ApplyCollectionMode(false);
      port_.Close();
      SetStatusPanel(0, PortClosedText(PortText(), CurrentLanguage()));
    }
    ShapeComLed_->SetColour(Lamp::Maroon);
  } else {
    suiComboBoxCOMChange();
    if (port_.IsOpen()) ShapeComLed_->SetColour(Lamp::Lime);
  }
}

// The port closed itself (cable pulled, adapter gone): the lamp and panel 0 say so at once
// instead of showing a dead port as in use.
void TFrmMain::OnLinkLost(const std::string& reason) {
  monitor_.OnLinkLost(reason);
  framer_.Reset();
  ShapeComLed_->SetColour(Lamp::Maroon);
  SetStatusPanel(0, PortLostText(PortText(), CurrentLanguage()));
}

}  // namespace climate
