// The main window's life: creation (tray icon, default configuration), the show handler that
// loads everything the operator chose last time, the close handler that saves it, and the glue
// between Qt's events and the handlers.
#include "console/main_window.hpp"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/config/save_temporary.hpp"
#include "app/window_fit.hpp"
#include "console/dialog_launcher.hpp"
#include "console/lamp.hpp"
#include "console/prompts.hpp"
#include "console/radio_group.hpp"
#include "console/status_texts.hpp"
#include "console/tool_window_texts.hpp"
#include "console/ui_texts.hpp"
#include "dialogs/parameter_model.hpp"
#include "monitor/monitor_settings.hpp"
#include "serial/send_request.hpp"
#include "serial/serial_devices.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

// Typed input stops growing the memo beyond this many characters.
constexpr int MemoInputLimit = 2000;

std::string Text(std::string_view text) {
  return std::string(text);
}

QTimer* MakeTimer(QObject* parent, const char* name, int intervalMs) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QString::fromLatin1(name));
  timer->setInterval(intervalMs);
  return timer;
}

}  // namespace

TFrmMain::TFrmMain(ConsoleEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      env_(std::move(environment)),
      port_(env_.port),
      prompts_(env_.prompts),
      clock_(env_.clock),
      ktParameters_(std::make_unique<ParameterModel>(ParameterModel::AirConditioner())),
      passwordPrompt_(Texts::InitialPasswordPrompt),
      stopPointValue_(Texts::InitialStopPoint),
      dialogOk_(Texts::DialogOk.english),
      dialogCancel_(Texts::DialogCancel.english),
      stopPointCaption_(Texts::StopPointCaption.english),
      stopPointPrompt_(Texts::StopPointPrompt.english),
      log_(env_.logDir, env_.clock),
      monitor_(clock_, env_.logDir + "/records") {
  setObjectName("TFrmMain");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  BuildLayout();
  BuildKeyboardAccess();
  ApplyMonitorLanguage();
  ApplyFleetLanguage();
  ApplySerialDevicesLanguage();
  // The framer weighs a suspect frame against one that starts inside it by the settings and
  // unit type in force when the bytes arrive.
  framer_.SetJudge([this](std::span<const std::uint8_t> frame) {
    return IsUsableReply(frame, protocol_, Kind());
  });
  setMinimumSize(DesignWidth, DesignHeight);
  resize(DesignWidth, DesignHeight);
  passwordCaption_ = PasswordDialogCaption(DeviceKind::AirConditioner, Language::English);

  Timer1_ = MakeTimer(this, "Timer1", suiSpinEditTime_->value());
  Timer2_ = MakeTimer(this, "Timer2", 1000);
  Timer3_ = MakeTimer(this, "Timer3", 1000);
  TimerRsv_ = MakeTimer(this, "TimerRsv", 300);
  ConnectHandlers();
  Timer3_->start();
  TimerRsv_->start();

  // A creation handler that throws leaves no window behind, so the port hears of the window
  // only once it stands.
  FormCreate();
  // The tray icon's tooltip is all Timer2 keeps current; without a tray (a desktop without a
  // notification area) it would wake the program every second for nothing.
  if (tray_ != nullptr) Timer2_->start();
  port_.onReceive = [this] { Guarded([this] { MSComm1Comm(); }); };
  port_.onLinkLost = [this](const std::string& reason) {
    Guarded([this, reason] { OnLinkLost(reason); });
  };
  port_.onLineSettingsChange = [this] { ShowLineSettingsState(); };
}

TFrmMain::~TFrmMain() {
  // The port may outlive the window; it must not call into a window that is gone.
  port_.onReceive = nullptr;
  port_.onLinkLost = nullptr;
  port_.onLineSettingsChange = nullptr;
}

void TFrmMain::ConnectHandlers() {
  auto on = [this](auto* sender, auto signal, void (TFrmMain::*handler)()) {
    connect(sender, signal, this,
            [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  on(suiComboBoxCOM_, &QComboBox::activated, &TFrmMain::suiComboBoxCOMChange);
  on(ShapeComLed_, &Lamp::ContextRequested, &TFrmMain::ShapeComLedContextPopup);
  on(suiButtonSearch_, &QPushButton::clicked, &TFrmMain::RequestRealTimeData);
  on(suiButtonOpen_, &QPushButton::clicked, &TFrmMain::suiButtonOpenClick);
  on(suiButtonStop_, &QPushButton::clicked, &TFrmMain::suiButtonStopClick);
  on(suiButtonCjSet_, &QPushButton::clicked, &TFrmMain::suiButtonCjSetClick);
  on(suiButtonSet_, &QPushButton::clicked, &TFrmMain::suiButtonSetClick);
  on(suiButtonComSet_, &QPushButton::clicked, &TFrmMain::suiButtonComSetClick);
  on(suiCheckBoxTimer_, &QCheckBox::clicked, &TFrmMain::suiCheckBoxTimerClick);
  on(suiSpinEditTime_, &QSpinBox::valueChanged, &TFrmMain::suiSpinEditTimeChange);
  on(RadioGroupType_, &RadioGroup::ItemIndexChanged, &TFrmMain::RadioGroupTypeClick);
  on(suiMemoText_, &QPlainTextEdit::textChanged, &TFrmMain::suiMemoTextChange);
  on(Clear_, &QAction::triggered, &TFrmMain::ClearClick);
  on(Log_, &QAction::triggered, &TFrmMain::LogClick);
  on(Stop_, &QAction::triggered, &TFrmMain::StopClick);
  on(About_, &QAction::triggered, &TFrmMain::AboutClick);
  on(NAbout_, &QAction::triggered, &TFrmMain::AboutClick);
  on(Language_, &QAction::triggered, &TFrmMain::LanguageClick);
  on(Help_, &QAction::triggered, &TFrmMain::HelpClick);
  on(Monitor_, &QAction::triggered, &TFrmMain::MonitorClick);
  on(Fleet_, &QAction::triggered, &TFrmMain::FleetClick);
  on(SerialDevices_, &QAction::triggered, &TFrmMain::SerialDevicesClick);
  on(Timer1_, &QTimer::timeout, &TFrmMain::Timer1Timer);
  on(Timer2_, &QTimer::timeout, &TFrmMain::Timer2Timer);
  on(Timer3_, &QTimer::timeout, &TFrmMain::Timer3Timer);
  on(TimerRsv_, &QTimer::timeout, &TFrmMain::TimerRsvTimer);
  connect(suiMemoText_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { suiPopupMenu1_->popup(suiMemoText_->mapToGlobal(at)); });
  suiMemoText_->installEventFilter(this);
}

void TFrmMain::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(error.what());
  }
}

void TFrmMain::SetDialogLauncher(DialogLauncher* launcher) {
  launcher_ = launcher;
  if (launcher_ != nullptr) {
    launcher_->SetAboutTitle(AboutCaption(Kind(), CurrentLanguage()),
                             WindowTitle(Kind(), CurrentLanguage()));
  }
}

Language TFrmMain::CurrentLanguage() const {
  return LanguageFromMenuCaption(Language_->text().toStdString());
}

std::string TFrmMain::ConfigPath() const {
  return (env_.configDir.empty() ? env_.exeDir : env_.configDir) + Text(ConfigFileName);
}

bool TFrmMain::SendFrame(const RequestFrame& frame) {
  const bool written = WriteRequest(frame);
  if (written) monitor_.OnRequestSent(frame, protocol_);
  return written;
}

// The dialogs send from inside their own event handling, where an error must not escape: it is
// shown in the error box here and the frame counts as not sent.
bool TFrmMain::Send(const RequestFrame& frame) {
  try {
    return SendFrame(frame);
  } catch (const std::exception& error) {
    ShowError(error.what());
    return false;
  }
}

void TFrmMain::ShowError(const std::string& text) {
  prompts_.Message(text, "");
}

ToolWindowFactory* TFrmMain::ToolWindows(const TextPair& windowName) {
  std::string error;
  ToolWindowFactory* windows = FindToolWindows(error);
  if (windows == nullptr) {
    ShowError(ToolWindowsMissingText(windowName.In(CurrentLanguage()), error, CurrentLanguage()));
  }
  return windows;
}

DeviceKind TFrmMain::Kind() const {
  return RadioGroupType_->ItemIndex() == 1 ? DeviceKind::HeatExchanger : DeviceKind::AirConditioner;
}

// Creation: the tray icon, then UserSet.INI: its language caption when the file exists, else the
// full default set. A folder that refuses the new file costs the operator one box, not the
// program: everything is then read from the read defaults.
void TFrmMain::FormCreate() {
  trayToolTip_ = Text(InitialTrayToolTip);
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setObjectName("TrayIcon");
    tray_->setToolTip(QString::fromStdString(trayToolTip_));
    tray_->show();
  }
  RemoveStaleSaveTemporaries(ConfigPath());
  IniFile ini = IniFile::Load(ConfigPath());
  if (ini.Existed()) {
    Language_->setText(
        QString::fromStdString(ini.ReadString("UserSet", "Language", ReadDefault::Language)));
    return;
  }
  WriteDefaultConfiguration(ini, env_.exeDir);
  try {
    ini.Save(ConfigPath());
  } catch (const IniWriteError& error) {
    ShowError(error.what());
  }
}

void TFrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  Guarded([this] { FormShow(); });
}

// Everything the operator chose last time, in the order the handlers depend on. An error ends
// the sequence where it happens (the error box shows it); the window stays as far as it got.
void TFrmMain::FormShow() {
  const IniFile ini = IniFile::Load(ConfigPath());
  const Language language = CurrentLanguage();

  // A stored size smaller than the layout would cut off the alarm lamps, one larger than the
  // screen would leave the window unusable: the minimum size keeps the whole layout, the screen
  // bounds the rest.
  // The window may be smaller than the layout only where the screen is: the layout then
  // scrolls inside it, the window keeping room for that scroll bar.
  const QSize screen = AvailableArea(*this).size() - Decoration(*this);
  if (!screen.isEmpty()) setMinimumSize(LeastSize(screen));
  RestoreWindowSize(*this,
                    QSize(ini.ReadInteger("FrmMain", "Width", ReadDefault::FrmMainWidth),
                          ini.ReadInteger("FrmMain", "Height", ReadDefault::FrmMainHeight)),
                    minimumSize());
  PlaceOnScreen(*this);

  maxLine_ = static_cast<std::int16_t>(ini.ReadInteger("UserSet", "MaxLine", ReadDefault::MaxLine));
  protocol_ = LoadProtocolSettings(ini);
  framer_.SetStartByte(static_cast<std::uint8_t>(protocol_.SOI));
  monitor_.SetSettings(LoadMonitorSettings(ini));

  fanStopPointEnabled_ = ini.ReadBool("Debug", "FjtzdE", false);
  suiButtonStop_->setVisible(fanStopPointEnabled_);

  if (RadioGroupType_->ItemIndex() != 0) {
    factorySettingsEnabled_ = ini.ReadBool("Debug", "CjCsSetE", false);
    suiButtonCjSet_->setVisible(factorySettingsEnabled_);
    SetControlText("suiButtonStop", Texts::FactorySettings.In(language));
  } else {
    SetControlText("suiButtonStop", Texts::FanStopPointSettings.In(language));
  }

  suiMemoText_->clear();

  port_.SetSettings(ReadPortSettingsString(ini));

  const int comNum = ini.ReadInteger("UserSet", "ComNum", ReadDefault::ComNum);
  suiComboBoxCOM_->setCurrentIndex(comNum >= 0 && comNum < suiComboBoxCOM_->count() ? comNum : -1);
  // In periodic mode a device server that cannot be reached yet is a lost link the periodic
  // requests reconnect quietly, as it is later on.
  const bool periodic = ini.ReadBool("UserSet", "Check", ReadDefault::Check);
  OpenSelectedPort(periodic);

  if (port_.IsOpen() || (periodic && !port_.RemoteEndpoint().empty())) {
    suiCheckBoxTimer_->setChecked(periodic);
    suiSpinEditTime_->setValue(ini.ReadInteger("UserSet", "Timer", ReadDefault::Timer));
    suiCheckBoxTimerClick();
  }

  debugIsShow_ = ini.ReadBool("Debug", "IsShow", false);
  factorySettingsEnabled_ = ini.ReadBool("Debug", "CjCsSetE", false);
  userPassword_ = ini.ReadString("UserSet", "UserPwd", DefaultScrambledPassword);

  // The selector has two items: a larger stored index selects the last, a negative one the
  // first, so a unit type is always selected.
  const int deviceType =
      std::max(0, ini.ReadInteger("Device", "DeviceType", ReadDefault::DeviceType));
  RadioGroupType_->SetItemIndex(deviceType);
  if (RadioGroupType_->ItemIndex() == 0) RadioGroupTypeClick();

  SetFactoryView(false);

  LanguageClick();
  LanguageClick();
}

void TFrmMain::closeEvent(QCloseEvent* event) {
  // A visible Monitor would keep the application running after the main window is gone.
  if (monitorWindow_) monitorWindow_->Widget().close();
  if (fleetWindow_) fleetWindow_->Widget().close();
  if (serialDevicesWindow_) serialDevicesWindow_->close();
  if (!closed_) {
    closed_ = true;
    Guarded([this] { FormClose(); });
  }
  event->accept();
}

// Saves the operator's choices in this order; a refused write is shown and the window still
// closes, so a read-only folder never traps the operator.
void TFrmMain::FormClose() {
  FlushLogOnClose();
  IniFile ini = IniFile::Load(ConfigPath());
  ini.WriteInteger("FrmMain", "Height", height());
  ini.WriteInteger("FrmMain", "Width", width());
  ini.WriteInteger("UserSet", "Check", suiCheckBoxTimer_->isChecked() ? 1 : 0);
  ini.WriteInteger("UserSet", "Timer", suiSpinEditTime_->value());
  ini.WriteInteger("Device", "DeviceType", RadioGroupType_->ItemIndex());
  ini.WriteInteger("UserSet", "ComNum", suiComboBoxCOM_->currentIndex());
  ini.WriteString("UserSet", "Language", Language_->text().toStdString());
  ini.Save(ConfigPath());
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == suiMemoText_) {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      // Tab and Shift+Tab move the focus on and add nothing, however full the memo is.
      const bool adds = !key->text().isEmpty() && key->text() != QStringLiteral("\b") &&
                        key->key() != Qt::Key_Delete && key->key() != Qt::Key_Backspace &&
                        key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab;
      if (adds && suiMemoText_->document()->characterCount() - 1 >= MemoInputLimit) return true;
    }
    return QMainWindow::eventFilter(watched, event);
  }
  if (event->type() == QEvent::ContextMenu) {
    suiPopupMenu2_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFrmMain::Timer2Timer() {
  trayToolTip_ = TrayToolTipText(ReadFreeMemoryKiB().value_or(0), CurrentLanguage());
  if (tray_ != nullptr) tray_->setToolTip(QString::fromStdString(trayToolTip_));
}

void TFrmMain::Timer3Timer() {
  const LocalDateTime now = clock_.Now();
  const Language language = CurrentLanguage();
  SetStatusPanel(5, ClockTimeText(now, language));
  SetStatusPanel(3, ClockDateText(now, language));
  monitor_.Tick();
  ApplyStaleLook();
}

void TFrmMain::SetStatusPanel(int index, std::string_view text) {
  statusPanels_.at(static_cast<std::size_t>(index))
      ->setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

}  // namespace climate
