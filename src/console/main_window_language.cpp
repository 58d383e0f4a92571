// The language switch and the device-type switch: every caption of the window in the current
// language and for the selected unit type.
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "common/qt_text.hpp"
#include "console/dialog_launcher.hpp"
#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/radio_group.hpp"
#include "console/status_texts.hpp"
#include "console/ui_texts.hpp"

namespace climate {

// The Language item names the language a click switches to. Refilling the unit selector and
// selecting the remembered item again runs the device-type switch, which sets the captions that
// depend on the unit type and sends a real-time request.
void TFrmMain::LanguageClick() {
  const int index = RadioGroupType_->ItemIndex();
  const Language target =
      Language_->text() == Q(ChineseMenuCaption) ? Language::Chinese : Language::English;

  for (const ControlText& text : LanguageSwitchTexts()) {
    SetControlText(text.control, text.text.In(target));
  }
  shownLanguage_ = target;
  RadioGroupType_->SetItems(
      {Q(Texts::UnitSelectorItem0.In(target)), Q(Texts::UnitSelectorItem1.In(target))});
  for (int i = 0; i < 2; ++i) FitCaption(RadioGroupType_->Button(i));
  ApplyTabOrder();
  stopPointCaption_ = Texts::StopPointCaption.In(target);
  stopPointPrompt_ = Texts::StopPointPrompt.In(target);
  dialogOk_ = Texts::DialogOk.In(target);
  dialogCancel_ = Texts::DialogCancel.In(target);
  SetStatusPanel(0, PortInUseText(PortText(), target));

  RadioGroupType_->SetItemIndex(index);

  SetStatusPanel(2, CollectionModeText(suiCheckBoxTimer_->isChecked(), CurrentLanguage()));
  ApplyMonitorLanguage();
  ApplyFleetLanguage();
  ShowLineSettingsState();  // the port lamp's tooltip in the new language
  ApplySerialDevicesLanguage();
  ApplyAccessibleTexts(target);
}

void TFrmMain::RadioGroupTypeClick() {
  const DeviceKind kind = Kind();
  const Language language = CurrentLanguage();
  // Before the request below, so the Monitor reads that request as the new unit's.
  monitor_.OnDeviceSwitch(kind);
  for (const UnitTypeText& text : UnitTypeTexts()) {
    SetControlText(text.control, text.In(kind, language));
  }
  const std::string title = WindowTitle(kind, language);
  setWindowTitle(QString::fromStdString(title));
  if (launcher_ != nullptr) launcher_->SetAboutTitle(AboutCaption(kind, language), title);
  passwordCaption_ = PasswordDialogCaption(kind, language);

  if (kind == DeviceKind::AirConditioner) {
    suiButtonCjSet_->hide();
    SetFactoryView(false);
  } else {
    suiButtonCjSet_->setVisible(factorySettingsEnabled_);
    SetFactoryView(passwordAccepted_ && factorySettingsEnabled_);
  }

  for (Lamp* lamp : Shape_) lamp->SetColour(Lamp::Green);
  unitRunning_ = true;
  suiButtonOpen_->setText(Q(Texts::RemoteOffAfterSwitch.In(language)));
  FitCaption(suiButtonOpen_);

  RequestRealTimeData();
  ClearMessageMemo();
  if (suiCheckBoxTimer_->isChecked()) {
    TimerRsv_->stop();
    TimerRsv_->start();
  }
}

}  // namespace climate
