// Stored window sizes are wishes: whatever UserSet.INI holds (nothing, a size from the other
// language, a size left from a larger layout, or absurd and negative numbers), every dialog and
// the About window open whole, on the screen, without an empty area beside their content, and
// the close stores the size that was shown. On a screen smaller than a dialog (the test programs
// also run these on a 1366x768 screen, on it at twice the scale and on 1920x1080 at twice the
// scale) the dialog is as large as the screen allows and its content scrolls, every control
// reachable. Every window is as wide as its title needs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <span>

#include "app/about.hpp"
#include "app/config/ini_file.hpp"
#include "console/ui_texts.hpp"
#include "dialogs/dialog_config.hpp"
#include "dialogs/parameter_dialogs.hpp"
#include "dialogs/port_settings_dialog.hpp"
#include "dialogs/serial_devices_dialog.hpp"
#include "gui_test_support.hpp"
#include "support/fake_devices.hpp"

namespace climate {
namespace {

using testing::TestDialogHost;

// More than this beside or below the content is empty space the layout cannot use.
constexpr int LargestMargin = 40;

std::string Describe(const QRect& rect) {
  return std::to_string(rect.width()) + "x" + std::to_string(rect.height()) + " at " +
         std::to_string(rect.x()) + "," + std::to_string(rect.y());
}

// The console's side of the serial devices window, with nothing behind it.
class QuietDevicesHost final : public SerialDevicesHost {
 public:
  std::array<std::string, 4> PortEntries() const override {
    return {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXYZ-if00-port0", "/dev/ttyUSB1",
            "tcp://127.0.0.1:4001", "rfc2217://127.0.0.1:4002"};
  }
  int SelectedPortNumber() const override { return 1; }
  std::string LineSettings() const override { return "9600,n,8,1"; }
  RequestFrame UnitRequest() const override { return {}; }
  bool UsableReply(std::span<const std::uint8_t>) const override { return false; }
  std::string OpenDevice() const override { return {}; }
  void ApplyPortEntry(int, const std::string&) override {}
};

bool IsControl(const QWidget* widget) {
  return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractItemView*>(widget) ||
         (qobject_cast<const QLabel*>(widget) && !widget->inherits("QTipLabel"));
}

// Scrolls the control into view where it sits in a scroll frame; then it must show wholly in the
// frame and in its window. Returns a description of the fault, or nothing.
std::string Unreachable(QWidget& window, QWidget* control) {
  for (QWidget* up = control->parentWidget(); up != &window; up = up->parentWidget()) {
    auto* frame = qobject_cast<QScrollArea*>(up);
    if (frame == nullptr || frame->widget() == nullptr) continue;
    const QPoint corner = control->mapTo(frame->widget(), QPoint(0, 0));
    frame->horizontalScrollBar()->setValue(corner.x());
    frame->verticalScrollBar()->setValue(corner.y());
    const QRect shown(frame->viewport()->mapTo(&window, QPoint(0, 0)), frame->viewport()->size());
    const QRect place(control->mapTo(&window, QPoint(0, 0)), control->size());
    if (!shown.contains(place)) {
      return control->objectName().toStdString() + " out of view: " + Describe(place) + " in " +
             Describe(shown);
    }
  }
  const QRect place(control->mapTo(&window, QPoint(0, 0)), control->size());
  if (!window.rect().contains(place)) {
    return control->objectName().toStdString() + " cut off: " + Describe(place);
  }
  return {};
}

std::string SizeSections(const std::string& width, const std::string& height) {
  std::string text;
  for (const char* section : {"FrmSetKt", "FrmRjhCjSet", "FrmSetRjh", "FrmComSet", "FrmAbout"}) {
    text += std::string("[") + section + "]\r\nWidth=" + width + "\r\nHeight=" + height + "\r\n";
  }
  return text;
}

// Whether the window's content scrolls in a direction in which the window could be larger on
// its screen; a description of the fault, or nothing. Sets whether it scrolls at all.
std::string ScrollsNeedlessly(QWidget& window, bool& scrollsAcross, bool& scrollsDown) {
  QCoreApplication::sendPostedEvents();
  const QRect area = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  scrollsAcross = false;
  scrollsDown = false;
  for (QScrollArea* scroller : window.findChildren<QScrollArea*>()) {
    if (scroller->widget() == nullptr || !scroller->isVisible()) continue;
    if (scroller->focusPolicy() != Qt::NoFocus) return "a scroll frame takes the focus";
    const QSize inside = scroller->widget()->size();
    const QSize shown = scroller->viewport()->size();
    scrollsAcross = scrollsAcross || inside.width() > shown.width();
    scrollsDown = scrollsDown || inside.height() > shown.height();
  }
  if ((scrollsAcross && frame.width() < area.width()) ||
      (scrollsDown && frame.height() < area.height())) {
    return "scrolls in a window smaller than the screen: " + Describe(frame);
  }
  return {};
}

// On the screen, every control reachable inside the window, a scrolled content only where the
// screen is too small for it (also once the window is made as small as it lets itself be);
// returns a description of the first fault.
std::string Misfit(QWidget& window, bool checkEmptyArea) {
  window.show();
  const QRect area = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  if (!area.contains(frame)) return "off the screen: " + Describe(frame);
  bool scrollsAcross = false;
  bool scrollsDown = false;
  const QSize chosen = window.size();
  window.resize(window.minimumSize());
  std::string fault = ScrollsNeedlessly(window, scrollsAcross, scrollsDown);
  if (!fault.empty()) return "at its least size " + fault;
  window.resize(chosen);
  fault = ScrollsNeedlessly(window, scrollsAcross, scrollsDown);
  if (!fault.empty()) return fault;
  QRect content;
  for (QWidget* control : window.findChildren<QWidget*>()) {
    if (!control->isVisible() || !IsControl(control) || IsControl(control->parentWidget())) {
      continue;
    }
    fault = Unreachable(window, control);
    if (!fault.empty()) return fault;
    content |= QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
  }
  // A window widened for its title has room beside its content.
  const bool titleWide = frame.width() <= testing::TitleBarWidth(window.windowTitle());
  if (checkEmptyArea &&
      ((!scrollsAcross && !titleWide && window.width() - content.right() > LargestMargin) ||
       (!scrollsDown && window.height() - content.bottom() > LargestMargin))) {
    return "empty area beside " + Describe(content) + " in " + Describe(window.rect());
  }
  return {};
}

TEST(WindowSizes, StoredSizesGiveWholeWindowsOnTheScreenInEitherLanguage) {
  TestDialogHost host;
  testing::ParameterDialogSet parameterDialogs(host);
  auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
  TFrmComSet comSet(host);
  const std::pair<QDialog*, std::string> dialogs[] = {{&setKt, "FrmSetKt"},
                                                      {&rjhCjSet, "FrmRjhCjSet"},
                                                      {&setRjh, "FrmSetRjh"},
                                                      {&comSet, "FrmComSet"}};
  const std::string stored[] = {"",
                                SizeSections("291", "362"),
                                SizeSections("566", "422"),
                                SizeSections("100000", "100000"),
                                SizeSections("2147483647", "32767"),
                                SizeSections("-5", "-2147483648")};
  for (const std::string& config : stored) {
    for (const Language first : {Language::English, Language::Chinese}) {
      host.WriteConfig(config);
      // The second showing reads what the first, in the other language, stored.
      for (const Language language :
           {first, first == Language::English ? Language::Chinese : Language::English}) {
        host.language = language;
        for (const auto& [dialog, section] : dialogs) {
          if (auto* parameters = dynamic_cast<ParameterDialog*>(dialog)) parameters->FormShow();
          if (dialog == &comSet) comSet.FormShow();
          EXPECT_EQ(Misfit(*dialog, true), "")
              << section << (language == Language::Chinese ? " zh " : " en ") << config;
          const QSize shown = dialog->size();
          dialog->reject();
          const IniFile ini = ReadDialogConfig(host);
          EXPECT_EQ(
              QSize(ini.ReadInteger(section, "Width", 0), ini.ReadInteger(section, "Height", 0)),
              shown)
              << section;
        }
      }
    }
    for (const Language language : {Language::English, Language::Chinese}) {
      host.WriteConfig(config);
      TFrmAbout about(host.configPath, language);
      EXPECT_EQ(Misfit(about, false), "") << "FrmAbout " << config;
      const QSize shown = about.size();
      about.reject();
      const IniFile ini = ReadDialogConfig(host);
      EXPECT_EQ(
          QSize(ini.ReadInteger("FrmAbout", "Width", 0), ini.ReadInteger("FrmAbout", "Height", 0)),
          shown);
    }
  }
  // The serial devices window keeps no size; it opens as the console opens it, beside a main
  // window as wide as the screen, which narrows it.
  QWidget mainWindow;
  mainWindow.setGeometry(mainWindow.screen()->availableGeometry());
  mainWindow.show();
  QuietDevicesHost devicesHost;
  test::FakeDevices devices;
  devices.devices = {{"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXYZ-if00-port0",
                      "/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10KXYZ", false},
                     {"/dev/ttyS0", "/dev/ttyS0", "", "", "", true}};
  for (const Language language : {Language::English, Language::Chinese}) {
    FrmSerialDevices serialDevices(devicesHost, devices, &mainWindow);
    serialDevices.SetLanguage(language);
    PlaceBesideOwner(serialDevices);
    EXPECT_EQ(Misfit(serialDevices, false), "") << "FrmSerialDevices";
    // All four ports show, also above the scroll bar of a table narrower than its columns.
    auto* ports = testing::Find<QAbstractItemView>(serialDevices, "PortTable");
    // The table lays its items out, and sets its scroll bars, on a zero timer.
    QCoreApplication::processEvents();
    EXPECT_LE(ports->visualRect(ports->model()->index(3, 1)).bottom(), ports->viewport()->height())
        << "COM4 hidden";
    serialDevices.reject();
  }
}

// Every caption of the settings dialogs shows whole on one line at the font it is drawn in.
TEST(WindowSizes, EveryDialogCaptionShowsWholeOnOneLineInEitherLanguage) {
  TestDialogHost host;
  testing::ParameterDialogSet parameterDialogs(host);
  auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
  TFrmComSet comSet(host);
  QDialog* const dialogs[] = {&setKt, &rjhCjSet, &setRjh, &comSet};
  for (const Language language : {Language::English, Language::Chinese}) {
    host.language = language;
    for (QDialog* dialog : dialogs) {
      if (auto* parameters = dynamic_cast<ParameterDialog*>(dialog)) parameters->FormShow();
      if (dialog == &comSet) comSet.FormShow();
      dialog->show();
      for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisible() || label->pixmap().isNull() == false) {
          continue;
        }
        QString text = label->text();
        text.remove('&');
        EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width())
            << dialog->objectName().toStdString() << " " << label->objectName().toStdString() << " "
            << text.toStdString();
      }
      dialog->reject();
    }
  }
}

// The window manager draws every title whole: each window is as wide as its title needs in the
// bold application font with the title bar's icon and buttons, within the screen. The About
// window carries the long titles of both unit types the device-type switch gives it.
TEST(WindowSizes, EveryWindowIsAsWideAsItsTitleNeedsInEitherLanguage) {
  const auto narrow = [](QWidget& window) -> std::string {
    window.show();
    const QRect frame = window.frameGeometry();
    const int needed = std::min(testing::TitleBarWidth(window.windowTitle()),
                                window.screen()->availableGeometry().width());
    if (frame.width() >= needed) return {};
    return window.objectName().toStdString() + " \"" + window.windowTitle().toStdString() + "\" " +
           std::to_string(frame.width()) + " < " + std::to_string(needed);
  };
  TestDialogHost host;
  testing::ParameterDialogSet parameterDialogs(host);
  auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
  TFrmComSet comSet(host);
  QuietDevicesHost devicesHost;
  test::FakeDevices devices;
  FrmSerialDevices serialDevices(devicesHost, devices);
  for (const std::string& config : {std::string(), SizeSections("1", "1")}) {
    for (const Language language : {Language::English, Language::Chinese}) {
      host.WriteConfig(config);
      host.language = language;
      for (ParameterDialog* dialog :
           {static_cast<ParameterDialog*>(&setKt), static_cast<ParameterDialog*>(&rjhCjSet),
            static_cast<ParameterDialog*>(&setRjh)}) {
        dialog->FormShow();
        EXPECT_EQ(narrow(*dialog), "");
        dialog->reject();
      }
      comSet.FormShow();
      EXPECT_EQ(narrow(comSet), "");
      comSet.reject();
      serialDevices.SetLanguage(language);
      PlaceBesideOwner(serialDevices);
      EXPECT_EQ(narrow(serialDevices), "");
      serialDevices.reject();
      for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
        host.WriteConfig(config);
        TFrmAbout about(host.configPath, language);
        EXPECT_EQ(narrow(about), "") << "as created";
        about.SetTitle(AboutCaption(kind, language), WindowTitle(kind, language));
        EXPECT_EQ(narrow(about), "") << "after the device-type switch";
        about.reject();
      }
    }
  }
}

}  // namespace
}  // namespace climate
