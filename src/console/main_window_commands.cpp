// The operator's requests: real-time data, remote on/off, the fan stop point and the factory
// settings behind the password, the collection mode, and the buttons that open other windows.
#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "console/dialog_launcher.hpp"
#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/operator_checks.hpp"
#include "console/prompts.hpp"
#include "console/status_texts.hpp"
#include "console/ui_texts.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

std::string Text(std::string_view text) {
  return std::string(text);
}

std::uint8_t LowByte(std::int16_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

void TFrmMain::RequestRealTimeData() {
  SendFrame(BuildRequest(protocol_, CommandKind::RealTimeData, Kind()));
}

// The periodic request reopens a closed port without a message box, and a port that fails
// while writing is shown as lost rather than raising a box every period.
void TFrmMain::Timer1Timer() {
  if (!port_.IsOpen() && !ReopenQuietly()) return;
  try {
    RequestRealTimeData();
  } catch (const SerialError& error) {
    if (port_.IsOpen()) port_.Close();
    OnLinkLost(error.what());
  }
}

// Switch-off while the unit reports itself running, switch-on otherwise. The pending command is
// recorded first, so the acknowledgement is named even if the port turns out closed.
void TFrmMain::suiButtonOpenClick() {
  const std::uint8_t data = LowByte(unitRunning_ ? protocol_.YkgjML : protocol_.YkkjML);
  pendingCommand_ =
      static_cast<std::int16_t>(unitRunning_ ? CommandCode::RemoteOff : CommandCode::RemoteOn);
  SendFrame(BuildRequest(protocol_, CommandKind::RemoteOnOff, Kind(), {&data, 1}));
}

bool TFrmMain::CheckOperatorPassword(const std::string* prompt, bool opensFactoryView) {
  if (passwordAccepted_) return true;
  if (prompt != nullptr) passwordPrompt_ = *prompt;
  std::string entry = passwordEntry_;
  if (!prompts_.InputText(passwordCaption_, passwordPrompt_, entry, '#', dialogOk_,
                          dialogCancel_)) {
    return false;
  }
  passwordEntry_ = entry;
  if (!PasswordMatches(entry, userPassword_)) {
    prompts_.Message(Text(Texts::WrongPassword.In(CurrentLanguage())), "");
    passwordAccepted_ = false;
    return false;
  }
  passwordAccepted_ = true;
  if (opensFactoryView) SetFactoryView(true);
  return true;
}

// Air conditioner: the indoor-fan stop point. Heat exchanger: the factory parameter dialog.
void TFrmMain::suiButtonStopClick() {
  const DeviceKind kind = Kind();
  const bool heatExchanger = kind == DeviceKind::HeatExchanger;
  const Language language = CurrentLanguage();
  const std::string prompt =
      Text((heatExchanger ? Texts::HxPasswordPrompt : Texts::AcPasswordPrompt).In(language));
  if (!CheckOperatorPassword(&prompt, heatExchanger)) return;
  if (heatExchanger) {
    if (launcher_ != nullptr) launcher_->ShowSetRjh();
    return;
  }

  std::string entry = stopPointValue_;
  const bool confirmed =
      prompts_.InputText(stopPointCaption_, stopPointPrompt_, entry, 0, dialogOk_, dialogCancel_);
  if (confirmed) stopPointValue_ = entry;
  // The value is checked even after a cancel: it is the one confirmed last.
  const StopPointResult result = ValidateStopPoint(stopPointValue_);
  if (result.check == StopPointCheck::NotDigits) {
    prompts_.Message(Text(Texts::StopPointNotDigits.In(CurrentLanguage())), "");
    return;
  }
  if (result.check == StopPointCheck::OutOfRange) {
    prompts_.Message(Text(Texts::StopPointOutOfRange.In(CurrentLanguage())), "");
    return;
  }
  if (!confirmed) return;
  const std::uint8_t data = static_cast<std::uint8_t>(result.degrees + 20);
  if (SendFrame(BuildRequest(protocol_, CommandKind::SetFanStopPoint, kind, {&data, 1}))) {
    pendingCommand_ = static_cast<std::int16_t>(CommandCode::InternalFanStopPoint);
  }
}

void TFrmMain::suiButtonCjSetClick() {
  if (!CheckOperatorPassword(nullptr, true)) return;
  SendFrame(BuildRequest(protocol_, CommandKind::GetFactoryParameters, DeviceKind::HeatExchanger));
}

void TFrmMain::suiButtonSetClick() {
  if (launcher_ == nullptr) return;
  if (Kind() == DeviceKind::HeatExchanger) {
    launcher_->ShowRjhCjSet();
  } else {
    launcher_->ShowSetKt();
  }
}

void TFrmMain::suiButtonComSetClick() {
  if (launcher_ == nullptr) return;
  launcher_->ShowComSet();
  UpdateMonitorPort();
}

void TFrmMain::AboutClick() {
  if (launcher_ != nullptr) launcher_->ShowAbout();
}

void TFrmMain::HelpClick() {
  const std::string path = env_.exeDir + Text(Texts::HelpFileName);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    prompts_.Message(Text(Texts::HelpMissing.In(CurrentLanguage())), "");
    return;
  }
  // A bare system has no desktop opener (xdg-open); the operator is told where the file is
  // rather than left with a menu item that does nothing.
  const bool opened =
      env_.openHelp ? env_.openHelp(path)
                    : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
  if (!opened) prompts_.Message(Text(Texts::HelpNotOpened.In(CurrentLanguage())) + path, "");
}

// Periodic or manual collection; the check box is the one record of which it is.
void TFrmMain::ApplyCollectionMode(bool periodic) {
  suiSpinEditTime_->setEnabled(periodic);
  LabelTime_->setEnabled(periodic);
  if (periodic) {
    Timer1_->setInterval(suiSpinEditTime_->value());
    Timer1_->start();
  } else {
    Timer1_->stop();
  }
  SetStatusPanel(2, CollectionModeText(periodic, CurrentLanguage()));
  suiCheckBoxTimer_->setChecked(periodic);
  suiButtonSearch_->setEnabled(!periodic);
  monitor_.SetPeriodic(periodic, suiSpinEditTime_->value());
}

void TFrmMain::suiCheckBoxTimerClick() {
  ApplyCollectionMode(suiCheckBoxTimer_->isChecked());
}

// A new period restarts the count; in manual mode the timer stays stopped.
void TFrmMain::suiSpinEditTimeChange() {
  Timer1_->stop();
  Timer1_->setInterval(suiSpinEditTime_->value());
  if (suiCheckBoxTimer_->isChecked()) Timer1_->start();
  monitor_.SetPeriodic(suiCheckBoxTimer_->isChecked(), suiSpinEditTime_->value());
}

}  // namespace climate
