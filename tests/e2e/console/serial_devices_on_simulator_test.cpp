// The serial devices window against simulators on pseudo-terminals: "Find Unit" passes over the
// console's own port and a silent device and offers the one that answers, without stopping the
// window; a device picked in the window is stored and polled at once.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "console/lamp.hpp"
#include "console_e2e.hpp"
#include "dialogs/serial_devices_dialog.hpp"
#include "support/fake_devices.hpp"

namespace climate::test {
namespace {

constexpr const char* RealTimeHex = "7E011141AEFF0D";

DetectedDevice Terminal(const std::string& link, bool inUse = false) {
  return {link, link, "pseudo-terminal", "", "", inUse};
}

template <typename T>
T* InDialog(FrmSerialDevices& dialog, const char* name) {
  T* child = dialog.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

FrmSerialDevices* OpenDialog(ConsoleOnSimulator& console, FakeDevices& devices) {
  console.Window().SetDeviceEnumerator(devices);
  console.Find<QAction>("SerialDevices")->trigger();
  return console.Window().SerialDevicesWin();
}

TEST(SerialDevicesOnSimulator, FindUnitSkipsTheOpenPortAndSilentDevices) {
  ConsoleOnSimulator console({});
  TFrmMain& window = console.Window();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.Counters().realTime >= 3; }, 5000));
  const std::size_t ownRequests = console.Requests().size();

  TempDir dir("climate-find");
  const std::string silent = dir.File("silent");
  const std::string answering = dir.File("answering");
  SimProcess quiet({"--kind", "ac", "--silent", "--link", silent, "--record", dir.File("q.txt")});
  SimProcess unit({"--kind", "ac", "--link", answering, "--record", dir.File("a.txt")});
  FakeDevices devices;
  devices.devices = {Terminal(console.Dir() + "ttyUSB0"), Terminal(silent),
                     Terminal(dir.File("held"), true), Terminal(answering)};

  FrmSerialDevices* dialog = OpenDialog(console, devices);
  ASSERT_NE(dialog, nullptr);
  InDialog<QAbstractButton>(*dialog, "FindUnitButton")->click();
  // The click returns at once: the search runs on the event loop, the window stays live.
  EXPECT_TRUE(dialog->Searching());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Searching(); }, 15000));

  EXPECT_EQ(InDialog<QLineEdit>(*dialog, "EntryEdit")->text().toStdString(), answering);
  EXPECT_EQ(InDialog<QLabel>(*dialog, "StatusLabel")->text().toStdString(),
            "The unit answered on " + answering + ". Press \"Use for Selected Port\" to use it.");
  EXPECT_EQ(InDialog<QTableWidget>(*dialog, "DeviceTable")->currentRow(), 3);
  EXPECT_EQ(ReadLines(dir.File("q.txt")), std::vector<std::string>{RealTimeHex});
  EXPECT_EQ(ReadLines(dir.File("a.txt")), std::vector<std::string>{RealTimeHex});
  EXPECT_EQ(console.Requests().size(), ownRequests) << "the console's own unit was not asked";
  EXPECT_EQ(console.Find<Lamp>("ShapeComLed")->Colour(), Lamp::Lime);

  // Nothing answers: the status names what was tried, and why a device could not be opened.
  const std::string gone = dir.File("gone");
  devices.devices = {Terminal(silent), Terminal(gone)};
  dialog->SetReplyTimeoutMs(300);
  InDialog<QAbstractButton>(*dialog, "FindUnitButton")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Searching(); }, 5000));
  const std::string status = InDialog<QLabel>(*dialog, "StatusLabel")->text().toStdString();
  EXPECT_EQ(status.rfind("No unit answered. Tried: " + silent + ", " + gone + " (", 0), 0u)
      << status;
}

TEST(SerialDevicesOnSimulator, PickedDeviceIsStoredAndPolled) {
  TempDir elsewhere("climate-pick");
  const std::string missing = elsewhere.File("ttyUSB0");
  ConsoleOnSimulator console(
      {}, [&](IniFile& ini) { ini.WriteString("SerialPorts", "COM1", missing); });
  TFrmMain& window = console.Window();
  ASSERT_FALSE(console.Prompts().messages.empty());
  EXPECT_EQ(console.Prompts().messages.front(), "Open Serial Port Fail");
  auto* lamp = console.Find<Lamp>("ShapeComLed");
  EXPECT_EQ(lamp->Colour(), Lamp::Maroon);

  const std::string link = console.Dir() + "ttyUSB0";
  FakeDevices devices;
  devices.devices = {Terminal(link)};
  FrmSerialDevices* dialog = OpenDialog(console, devices);
  ASSERT_NE(dialog, nullptr);
  auto* ports = InDialog<QTableWidget>(*dialog, "PortTable");
  EXPECT_EQ(ports->item(0, 2)->text().toStdString(), "not present");
  InDialog<QTableWidget>(*dialog, "DeviceTable")->selectRow(0);
  InDialog<QAbstractButton>(*dialog, "ApplyButton")->click();

  EXPECT_EQ(ports->item(0, 1)->text().toStdString(), link);
  EXPECT_EQ(ports->item(0, 2)->text().toStdString(), "present");
  EXPECT_EQ(IniFile::Load(console.Dir() + std::string(ConfigFileName))
                .ReadString("SerialPorts", "COM1", ""),
            link);
  EXPECT_EQ(lamp->Colour(), Lamp::Lime);
  EXPECT_EQ(console.Find<QLabel>("StatusPanel0")->text().toStdString(), "Using Serial Port COM1");

  const std::uint64_t shown = window.Counters().realTime;
  console.Find<QAbstractButton>("suiButtonSearch")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.Counters().realTime > shown; }, 5000));
  EXPECT_EQ(console.Requests().back(), RealTimeHex);
}

}  // namespace
}  // namespace climate::test
