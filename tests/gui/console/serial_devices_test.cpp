// The serial devices window from the window menu: what COM1 to COM4 map to and whether it is
// there, the detected devices with their stable names, an entry checked as at start-up, and a
// choice stored in SerialPorts and used at once. Then the reasons a port did not open, on real
// devices: one that is missing, one another program holds, an entry that cannot be used.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QComboBox>
#include <QSerialPort>
#include <QTableWidget>

#include "console_fixture.hpp"
#include "dialogs/serial_devices_dialog.hpp"
#include "serial/mapped_serial_port.hpp"
#include "support/fake_devices.hpp"

namespace climate::testing {
namespace {

class SerialDevicesTest : public ConsoleTest {
 protected:
  std::string Cell(const char* table, int row, int column) const {
    const QTableWidgetItem* item = Find<QTableWidget>(table)->item(row, column);
    return item == nullptr ? std::string("(none)") : item->text().toStdString();
  }
  std::string Status() const { return Caption("StatusLabel"); }
  std::string Entry() const { return Caption("EntryEdit"); }
  void Type(const std::string& text) {
    Find<QLineEdit>("EntryEdit")->setText(QString::fromStdString(text));
  }

  test::FakeDevices devices_;
};

TEST_F(SerialDevicesTest, ShowsThePortsAndDevicesAndStoresTheChoice) {
  const std::string adapter = exeDir_ + "ttyUSB0";
  const std::string byId = exeDir_ + "usb-FTDI_FT232R_USB_UART_A10KXYZ-if00-port0";
  std::ofstream(adapter) << "";
  std::filesystem::create_symlink(adapter, byId);
  devices_.devices = {
      {byId, adapter, "FT232R USB UART", "FTDI", "A10KXYZ", false},
      {"/dev/ttyS0", "/dev/ttyS0", "", "", "", true},
  };
  WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
  const std::string fileBefore = ReadFile(ConfigPath());
  port_.SetPortEntries({adapter, exeDir_ + "ttyUSB9", "tcp://127.0.0.1:4001", "rfc2217://:7"});
  TFrmMain& window = Start();
  window.SetDeviceEnumerator(devices_);
  EXPECT_EQ(Find<QComboBox>("suiComboBoxCOM")->toolTip().toStdString(), "COM1: " + adapter);

  FrmSerialDevices* dialog =
      OpenFromWindowMenu("SerialDevices", "Serial Devices...", &TFrmMain::SerialDevicesWin);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->objectName().toStdString(), "FrmSerialDevices");
  EXPECT_EQ(dialog->windowTitle().toStdString(), "Serial Devices");
  const std::vector<std::vector<std::string>> ports = {
      {"COM1", adapter, "present"},
      {"COM2", exeDir_ + "ttyUSB9", "not present"},
      {"COM3", "tcp://127.0.0.1:4001", "device server"},
      {"COM4", "rfc2217://:7",
       "cannot be used: UserSet.INI: [SerialPorts] COM4=rfc2217://:7 cannot be used: the host "
       "name is missing. Write tcp://host:port or rfc2217://host:port."}};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 3; ++column) {
      EXPECT_EQ(Cell("PortTable", row, column), ports[row][column]) << row << "," << column;
    }
  }
  EXPECT_EQ(Find<QTableWidget>("PortTable")->item(1, 2)->foreground().color(), QColor(Qt::red));
  const std::vector<std::vector<std::string>> found = {
      {byId, adapter, "free", "FT232R USB UART", "FTDI", "A10KXYZ"},
      {"/dev/ttyS0", "/dev/ttyS0", "in use", "", "", ""}};
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 6; ++column) {
      EXPECT_EQ(Cell("DeviceTable", row, column), found[row][column]) << row << "," << column;
    }
  }
  // The selected port's row is chosen; its entry stands ready to be changed.
  EXPECT_EQ(Entry(), adapter);

  // A typed entry is judged as the start-up judges SerialPorts; nothing is stored meanwhile.
  Type("rfc2217://cabinet-7:99999");
  Click("ApplyButton");
  EXPECT_EQ(Status(),
            "UserSet.INI: [SerialPorts] COM1=rfc2217://cabinet-7:99999 cannot be used: the port "
            "number is missing or not within 1 to 65535. Write tcp://host:port or "
            "rfc2217://host:port.");
  // A path the GBK file would store with '?' in it would name another device.
  Type(exeDir_ + "tty\xF0\x9F\x98\x80");
  Click("ApplyButton");
  EXPECT_EQ(Status(), "Not saved: the path has characters UserSet.INI (GBK) cannot hold.");
  Type(adapter);
  Click("ApplyButton");
  EXPECT_EQ(ReadFile(ConfigPath()), fileBefore) << "no choice made, the file stays as it was";

  // Picking the adapter stores its stable name and reopens COM1 on it.
  const int opens = port_.openCount;
  Find<QTableWidget>("DeviceTable")->selectRow(0);
  EXPECT_EQ(Entry(), byId);
  Click("ApplyButton");
  EXPECT_EQ(Status(), "COM1 now uses " + byId);
  IniFile expected = IniFile::Parse(fileBefore);
  expected.WriteString("SerialPorts", "COM1", byId);
  EXPECT_EQ(ReadFile(ConfigPath()), expected.Serialize()) << "every other key kept, in order";
  EXPECT_EQ(port_.PortEntries()[0], byId);
  EXPECT_EQ(port_.openCount, opens + 1);
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(Cell("PortTable", 0, 1), byId);
  EXPECT_EQ(Find<QComboBox>("suiComboBoxCOM")->toolTip().toStdString(), "COM1: " + byId);

  // Another port's choice is stored without touching the open one.
  Find<QTableWidget>("PortTable")->selectRow(1);
  Type("tcp://127.0.0.1:4002");
  Click("ApplyButton");
  EXPECT_EQ(ReadConfig().ReadString("SerialPorts", "COM2", ""), "tcp://127.0.0.1:4002");
  EXPECT_EQ(port_.openCount, opens + 1);

  Trigger("Language");
  EXPECT_EQ(dialog->windowTitle().toStdString(), "串口设备");
  EXPECT_EQ(Caption("SerialDevices"), "串口设备...");
  EXPECT_EQ(Cell("DeviceTable", 1, 2), "已被占用");
  EXPECT_EQ(Cell("PortTable", 2, 2), "网络串口");
}

// A pseudo-terminal stands in for a serial device the test can hold.
class HeldDevice {
 public:
  HeldDevice() : master_(::posix_openpt(O_RDWR | O_NOCTTY)) {
    ::grantpt(master_);
    ::unlockpt(master_);
    path_ = ::ptsname(master_);
    holder_.setPortName(QString::fromStdString(path_));
    holder_.open(QIODevice::ReadWrite);
  }
  ~HeldDevice() {
    holder_.close();
    ::close(master_);
  }
  const std::string& Path() const { return path_; }
  bool Held() const { return holder_.isOpen(); }

 private:
  int master_;
  std::string path_;
  QSerialPort holder_;
};

TEST_F(SerialDevicesTest, OpenFailureBoxSaysWhichDeviceAndWhy) {
  HeldDevice held;
  ASSERT_TRUE(held.Held());
  const std::string missing = exeDir_ + "ttyUSB9";
  WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
  MappedSerialPort port({missing, held.Path(), "tcp://", "/dev/ttyS3"});
  auto window =
      std::make_unique<TFrmMain>(ConsoleEnvironment{exeDir_, logDir_, port, prompts_, clock_, {}});
  window->show();
  auto* list = window->findChild<QComboBox*>("suiComboBoxCOM");
  auto choose = [&](int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
  };
  const std::string process = "process " + std::to_string(::getpid()) + ")";
  prompts_.messages.clear();  // the start-up's own attempts on COM1
  choose(0);
  choose(1);
  choose(2);
  ASSERT_EQ(prompts_.messages.size(), 3u);
  for (const auto& message : prompts_.messages) {
    EXPECT_EQ(message.text, "Open Serial Port Fail");
    EXPECT_EQ(message.caption, "Error!");
  }
  EXPECT_EQ(prompts_.messages[0].details, "Device: " + missing + "\nReason: No such device");
  const std::string& busy = prompts_.messages[1].details;
  EXPECT_EQ(busy.rfind("Device: " + held.Path() +
                           "\nReason: Device or resource busy: used by another program (",
                       0),
            0u)
      << busy;
  EXPECT_NE(busy.find(process), std::string::npos) << busy;
  EXPECT_EQ(prompts_.messages[2].details,
            "Device: tcp://\nReason: UserSet.INI: [SerialPorts] COM3=tcp:// cannot be used: the "
            "host name is missing. Write tcp://host:port or rfc2217://host:port.");

  window->findChild<QAction*>("Language")->trigger();
  choose(0);
  EXPECT_EQ(prompts_.messages.back().text, "串口打开失败");
  EXPECT_EQ(prompts_.messages.back().details, "设备: " + missing + "\n原因: 设备不存在");
  choose(1);
  EXPECT_EQ(prompts_.messages.back().details.rfind(
                "设备: " + held.Path() + "\n原因: 设备正忙：已被其他程序占用（", 0),
            0u)
      << prompts_.messages.back().details;
  window.reset();
}

// Pictures of the window in both languages for the README, written only when
// CLIMATE_DIALOG_SHOTS names a folder.
TEST_F(SerialDevicesTest, Screenshots) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";
  const std::string ftdi = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXYZ1-if00-port0";
  devices_.devices = {
      {ftdi, "/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10KXYZ1", false},
      {"/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
       "/dev/ttyUSB1", "USB-Serial Controller", "Prolific Technology Inc.", "", true},
      {"/dev/ttyS0", "/dev/ttyS0", "", "", "", false},
  };
  const std::pair<const char*, const char*> languages[] = {{"中文(&L)", "en"},
                                                           {"English (&L)", "zh"}};
  for (const auto& [caption, suffix] : languages) {
    WriteConfig(
        [caption = caption](IniFile& ini) { ini.WriteString("UserSet", "Language", caption); });
    port_.SetPortEntries({ftdi, "/dev/ttyS0", "rfc2217://10.20.0.5:2217", "/dev/ttyS3"});
    TFrmMain& window = Start();
    window.SetDeviceEnumerator(devices_);
    Trigger("SerialDevices");
    FrmSerialDevices* dialog = window.SerialDevicesWin();
    ASSERT_NE(dialog, nullptr);
    Find<QTableWidget>("DeviceTable")->selectRow(0);
    QCoreApplication::processEvents();
    const QString name = folder + "/FrmSerialDevices_" + suffix + ".png";
    EXPECT_TRUE(dialog->grab().save(name)) << name.toStdString();
    window.close();
    window_.reset();
  }
}

}  // namespace
}  // namespace climate::testing
