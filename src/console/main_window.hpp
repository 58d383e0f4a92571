// TFrmMain, the operator's window: port, values, lamps, memo, commands and status bar. Its
// handlers are thin: they call the plain operations of the core and show the results.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/config/protocol_settings.hpp"
#include "app/language.hpp"
#include "console/console_environment.hpp"
#include "console/log_file.hpp"
#include "console/tool_windows.hpp"
#include "dialogs/dialog_host.hpp"
#include "dialogs/serial_devices_dialog.hpp"
#include "monitor/monitor_model.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/framer.hpp"
#include "protocol/receive.hpp"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QSystemTrayIcon;
class QTimer;

namespace climate {

class DeviceEnumerator;
class DialogLauncher;
class FleetWindow;
class Lamp;
class MonitorWindow;
class ParameterModel;
class RadioGroup;

class TFrmMain final : public QMainWindow, public DialogHost, private SerialDevicesHost {
  Q_OBJECT

 public:
  static constexpr int DesignWidth = 735;
  static constexpr int DesignHeight = 582;

  // Runs the creation handler: tray icon, and UserSet.INI either read for the language caption or
  // created with the full default set. A new file that cannot be written is reported through the
  // prompts; the window then runs on the read defaults.
  explicit TFrmMain(ConsoleEnvironment environment, QWidget* parent = nullptr);
  ~TFrmMain() override;

  // The settings dialogs and the About window, once they exist; may stay null.
  void SetDialogLauncher(DialogLauncher* launcher);
  // The air-conditioner parameter model; its sensitivity texts feed the shown set points.
  ParameterModel& KtParameters() { return *ktParameters_; }

  // DialogHost
  Language CurrentLanguage() const override;
  std::string ConfigPath() const override;
  const ProtocolSettings& Protocol() const override { return protocol_; }
  bool Send(const RequestFrame& frame) override;
  void SetPendingCommand(CommandCode code) override;
  SerialPort& Port() override { return port_; }
  Prompts& GetPrompts() override { return prompts_; }
  void ShowError(const std::string& text) override;

  // State beside the controls.
  DeviceKind Kind() const;
  bool UnitRunning() const { return unitRunning_; }
  int PendingCommand() const { return pendingCommand_; }
  bool PasswordAccepted() const { return passwordAccepted_; }
  bool LoggingOn() const { return loggingOn_; }
  int LogStartLine() const { return logStartLine_; }
  int MaxLine() const { return maxLine_; }
  bool FactoryViewOpen() const;
  int MemoLineCount() const;
  // The language the window's captions are in: the design's English until the show handler's
  // language switch has run, whatever the stored language caption says meanwhile.
  Language ShownLanguage() const { return shownLanguage_; }
  // The close handler has run (the operator, or a termination signal, closed the window).
  bool Closed() const { return closed_; }
  const LogFile& Log() const { return log_; }
  const std::string& TrayToolTip() const { return trayToolTip_; }
  const ReceiveCounters& Counters() const { return monitor_.Received(); }
  const StreamFramer& Framer() const { return framer_; }
  // The Monitor's state, fed whether its window is open or not; the window exists once opened.
  MonitorModel& Monitor() { return monitor_; }
  // The Monitor and the fleet view exist once opened from the window menu. These two are for
  // binaries with the windows linked in (linked_tool_windows.cpp): the program never asks, its
  // windows come from their module.
  MonitorWindow* MonitorWin() const;
  FleetWindow* FleetWin() const;
  // The serial devices window exists once opened from the window menu.
  FrmSerialDevices* SerialDevicesWin() const { return serialDevicesWindow_.get(); }
  // Where that window finds the serial devices; QSerialPortInfo unless set (tests).
  void SetDeviceEnumerator(DeviceEnumerator& devices) { devices_ = &devices; }
  // Whether the ten value boxes and the status and alarm lamps show their values as stale (grey).
  bool ValuesStale() const { return valuesStale_; }

  // Timer handlers, public so that tests can tick them without waiting.
  void Timer1Timer();    // periodic real-time request
  void Timer2Timer();    // tray tooltip
  void Timer3Timer();    // clock
  void TimerRsvTimer();  // receive backstop

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // main_window_layout.cpp
  void BuildLayout();
  QWidget* BuildClientArea();
  void BuildPortGroup(QWidget* client);
  QWidget* BuildLegend(QWidget* client);
  QWidget* BuildMeasurements(QWidget* client);
  void BuildMemo(QWidget* client);
  void BuildCommandControls(QWidget* client);
  void BuildMenus();
  void BuildStatusBar();
  void ConnectHandlers();
  void SetControlText(std::string_view control, std::string_view text);
  // The layout gives every caption its room at the caption size; a text that still does not fit
  // (a wider face on this desktop) has its font shrunk, down to a readable minimum, rather than
  // being cut.
  static void FitCaption(QWidget* widget);
  void SetFactoryView(bool open);
  // The least window size on a screen area of this size: the whole layout where the area has
  // room for it, else the area, with room for the scroll bar along the side the area cuts.
  QSize LeastSize(QSize screen) const;

  // main_window_access.cpp: keyboard and screen reader access
  // Tab leaves the memo, Shift+F10 and the Menu key open the pop-up menus.
  void BuildKeyboardAccess();
  // Tab and Shift+Tab go through the controls as they stand on the screen, row by row.
  void ApplyTabOrder();
  // The words the lamps and the interval box say to a screen reader, in the given language.
  void ApplyAccessibleTexts(Language language);
  // The menu of the focused control as the keyboard asks for it: the memo's own, else the
  // window's.
  void OpenMenuFromKeyboard();

  // main_window.cpp: lifecycle
  // The factory of the Monitor and the fleet view; without one the operator is told why the
  // named window cannot be opened, and nullptr.
  ToolWindowFactory* ToolWindows(const TextPair& windowName);
  void FormCreate();
  void FormShow();
  void FormClose();
  // Runs a handler the way the application's error box would: an error ends the handler and its
  // text is shown to the operator.
  void Guarded(const std::function<void()>& handler);

  // main_window_port.cpp: port selection, lamp, lost link
  void suiComboBoxCOMChange();
  void OpenSelectedPort(bool quietForDeviceServer);
  bool ReopenQuietly();
  void ShapeComLedContextPopup();
  void OnLinkLost(const std::string& reason);
  // The port lamp's tooltip and the Monitor's line settings row, from what the port reports.
  void ShowLineSettingsState();
  // SendRequest, except for a real-time request on a device server line in periodic mode: its
  // failure is the quiet lost link, never a box.
  bool WriteRequest(const RequestFrame& frame);
  std::string PortText() const;
  void SetStatusPanel(int index, std::string_view text);

  // main_window_commands.cpp: operator commands
  // SendRequest with the port change handler; errors reach the caller.
  bool SendFrame(const RequestFrame& frame);
  void RequestRealTimeData();
  void suiButtonOpenClick();
  void suiButtonStopClick();
  void suiButtonCjSetClick();
  void suiButtonSetClick();
  void suiButtonComSetClick();
  void AboutClick();
  void HelpClick();
  bool CheckOperatorPassword(const std::string* prompt, bool opensFactoryView);
  void ApplyCollectionMode(bool periodic);
  void suiCheckBoxTimerClick();
  void suiSpinEditTimeChange();

  // main_window_language.cpp: language and unit type
  void LanguageClick();
  void RadioGroupTypeClick();

  // main_window_receive.cpp: receive path, memo and log
  void MSComm1Comm();
  void ShowReply(const Bytes& frame);
  void ApplyRealTime(const RealTimeView& view);
  void ApplyFactory(const FactoryView& view);
  void AppendMemoLines(const std::vector<std::string>& lines);
  void HandMemoToLog();
  void WriteLogFile();
  void FlushLogOnClose();
  void ShowLogState();
  void ClearMessageMemo();
  void ClearClick();
  void LogClick();
  void StopClick();
  void SetLogMenuState();
  void suiMemoTextChange();
  // Greys the ten value boxes and the status and alarm lamps while the Monitor judges the values
  // stale, and shows the silence mark meanwhile; all live again with the next good reply.
  void ApplyStaleLook();
  // The mark in the drawn status panel while the values are stale, its tooltip saying for how
  // long the unit has been silent and how many requests it left unanswered.
  void ShowSilence();
  // Shows the outcome of a set point check on the value boxes it concerns: their tooltips say
  // what was sent and reported, and their background is tinted for a moment.
  void ShowSetPointCue();
  void EndSetPointCue();

  // main_window_monitor.cpp: the Monitor window and its menu item's text
  void MonitorClick();
  void UpdateMonitorPort();
  void ApplyMonitorLanguage();

  // main_window_fleet.cpp: the fleet view and its menu item's text
  void FleetClick();
  void ApplyFleetLanguage();

  // main_window_devices.cpp: the serial devices window, its menu item and the port list's
  // tooltip
  void SerialDevicesClick();
  void ApplySerialDevicesLanguage();
  void ShowPortDevice();
  std::array<std::string, 4> PortEntries() const override;
  int SelectedPortNumber() const override;
  std::string LineSettings() const override;
  RequestFrame UnitRequest() const override;
  bool UsableReply(std::span<const std::uint8_t> frame) const override;
  std::string OpenDevice() const override;
  void ApplyPortEntry(int number, const std::string& entry) override;

  ConsoleEnvironment env_;
  SerialPort& port_;
  Prompts& prompts_;
  const Clock& clock_;
  DialogLauncher* launcher_ = nullptr;
  std::unique_ptr<ParameterModel> ktParameters_;

  // State shared by the handlers.
  bool unitRunning_ = true;
  bool loggingOn_ = false;
  int logStartLine_ = 0;
  bool debugIsShow_ = false;
  bool lampToggle_ = false;
  bool fanStopPointEnabled_ = false;
  std::int16_t maxLine_ = 300;
  std::string userPassword_;
  bool passwordAccepted_ = false;
  bool factorySettingsEnabled_ = false;
  std::int16_t pendingCommand_ = 0;
  ProtocolSettings protocol_{};
  bool shown_ = false;
  bool closed_ = false;
  Language shownLanguage_ = Language::English;

  // The two input dialogs keep their texts and last entries between showings.
  std::string passwordCaption_;
  std::string passwordPrompt_;
  std::string passwordEntry_;
  std::string stopPointValue_;
  std::string dialogOk_;
  std::string dialogCancel_;
  std::string stopPointCaption_;
  std::string stopPointPrompt_;

  StreamFramer framer_;
  LogFile log_;
  std::string trayToolTip_;

  MonitorModel monitor_;
  // Declared after monitor_ so it is destroyed first: the window unhooks itself from the model
  // as it goes. Left to Qt's child clean-up it would outlive the model.
  std::unique_ptr<ToolWindow> monitorWindow_;
  bool valuesStale_ = false;
  bool silenceShown_ = false;
  bool logFailingShown_ = false;
  std::vector<QLineEdit*> cuedBoxes_;
  std::int64_t cueEndsMs_ = 0;
  std::unique_ptr<ToolWindow> fleetWindow_;
  std::unique_ptr<DeviceEnumerator> ownDevices_;
  DeviceEnumerator* devices_ = nullptr;
  std::unique_ptr<FrmSerialDevices> serialDevicesWindow_;

  // Controls the handlers use often; every control also carries its object name.
  QComboBox* suiComboBoxCOM_ = nullptr;
  Lamp* ShapeComLed_ = nullptr;
  std::array<QLineEdit*, 15> suiEdit_{};
  std::array<Lamp*, 19> Shape_{};
  QPlainTextEdit* suiMemoText_ = nullptr;
  QGroupBox* GroupBoxCjSet_ = nullptr;
  RadioGroup* RadioGroupType_ = nullptr;
  QPushButton* suiButtonSearch_ = nullptr;
  QPushButton* suiButtonSet_ = nullptr;
  QPushButton* suiButtonOpen_ = nullptr;
  QPushButton* suiButtonStop_ = nullptr;
  QPushButton* suiButtonCjSet_ = nullptr;
  QPushButton* suiButtonComSet_ = nullptr;
  QCheckBox* suiCheckBoxTimer_ = nullptr;
  QSpinBox* suiSpinEditTime_ = nullptr;
  QLabel* LabelTime_ = nullptr;
  std::array<QLabel*, 6> statusPanels_{};
  QMenu* suiPopupMenu1_ = nullptr;
  QMenu* suiPopupMenu2_ = nullptr;
  QAction* Clear_ = nullptr;
  QAction* Log_ = nullptr;
  QAction* Stop_ = nullptr;
  QAction* About_ = nullptr;
  QAction* Language_ = nullptr;
  QAction* Help_ = nullptr;
  QAction* NAbout_ = nullptr;
  QAction* Monitor_ = nullptr;
  QAction* Fleet_ = nullptr;
  QAction* SerialDevices_ = nullptr;
  QTimer* Timer1_ = nullptr;
  QTimer* Timer2_ = nullptr;
  QTimer* Timer3_ = nullptr;
  QTimer* TimerRsv_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace climate
