// The console through Debian's ser2net in front of the simulator's pseudo-terminal, once as a
// Telnet com-port server and once as a raw TCP server: the start-up exchange, a command whose
// frame carries 0xFF, settings that reach the remote line, a server that goes away and comes
// back, a refused connection and a malformed entry.
#include <termios.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

#include "../console/console_e2e.hpp"
#include "console/lamp.hpp"
#include "dialogs/port_settings_dialog.hpp"
#include "ser2net_process.hpp"
#include "serial/mapped_serial_port.hpp"

namespace climate::test {
namespace {

constexpr const char* RealTimeHex = "7E011141AEFF0D";
constexpr const char* RemoteOffHex = "7E012243FF9CFE0D";  // checksum FF 9C

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  return QTest::qWaitFor(done, timeoutMs);
}

// The line as the simulator's terminal has it set.
termios RemoteLine(const std::string& link) {
  termios line{};
  const int fd = ::open(link.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  EXPECT_GE(fd, 0);
  if (fd >= 0) {
    ::tcgetattr(fd, &line);
    ::close(fd);
  }
  return line;
}

// The simulator behind a device server, and a shown window whose COM1 points at the server.
// COM2 names a port nobody listens on, COM3 a malformed address.
class ConsoleThroughServer {
 public:
  ConsoleThroughServer(Ser2netProcess::Mode mode, const std::function<void(IniFile&)>& edit = {})
      : link_(dir_.File("ttyS9")), record_(dir_.File("requests.txt")) {
    sim_ = std::make_unique<SimProcess>(
        std::vector<std::string>{"--kind", "ac", "--link", link_, "--record", record_});
    mode_ = mode;
    StartServer(FreeLoopbackPort());
    const std::string scheme = mode == Ser2netProcess::Mode::Rfc2217 ? "rfc2217" : "tcp";
    address_ = scheme + "://127.0.0.1:" + std::to_string(server_->Port());
    closedAddress_ = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    WriteConsoleConfig(dir_.File(""), address_, [&](IniFile& ini) {
      ini.WriteString("SerialPorts", "COM2", closedAddress_);
      ini.WriteString("SerialPorts", "COM3", "tcp://127.0.0.1");
      if (edit) edit(ini);
    });
    port_ = std::make_unique<MappedSerialPort>(
        ReadSerialPortPaths(IniFile::Load(dir_.File(ConfigFileName.data()))));
    window_ = std::make_unique<TFrmMain>(
        ConsoleEnvironment{dir_.File(""), dir_.File(""), *port_, prompts_, clock_, {}});
    window_->show();
  }
  ~ConsoleThroughServer() {
    window_.reset();
    port_.reset();
  }

  void StartServer(int port) {
    server_ = std::make_unique<Ser2netProcess>(mode_, link_, port, dir_.File(""));
  }
  void StopServer() { server_->Stop(); }

  TFrmMain& Window() { return *window_; }
  MappedSerialPort& Port() { return *port_; }
  RecordingPrompts& Prompts() { return prompts_; }
  const std::string& Address() const { return address_; }
  const std::string& Link() const { return link_; }
  int ServerPort() const { return server_->Port(); }
  std::vector<std::string> Requests() const { return ReadLines(record_); }
  template <typename T>
  T* Find(const char* name) const {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }
  void ChoosePort(const char* text) {
    auto* list = Find<QComboBox>("suiComboBoxCOM");
    list->setCurrentText(QString::fromLatin1(text));
    emit list->activated(list->currentIndex());
  }
  std::string Panel() const { return Find<QLabel>("StatusPanel0")->text().toStdString(); }

 private:
  TempDir dir_;
  std::string link_;
  std::string record_;
  Ser2netProcess::Mode mode_;
  std::string address_;
  std::string closedAddress_;
  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<Ser2netProcess> server_;
  RecordingPrompts prompts_;
  SystemClock clock_;
  std::unique_ptr<MappedSerialPort> port_;
  std::unique_ptr<TFrmMain> window_;
};

TEST(ConsoleThroughSer2net, ComPortControlCarriesFramesSettingsAndSurvivesARestart) {
  ConsoleThroughServer console(Ser2netProcess::Mode::Rfc2217, [](IniFile& ini) {
    ini.WriteInteger("UserSet", "Check", 1);
    ini.WriteInteger("UserSet", "Timer", 2000);
  });
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  EXPECT_TRUE(console.Prompts().messages.empty());
  EXPECT_EQ(console.Panel(), "Using Serial Port COM1");
  auto* lamp = console.Find<Lamp>("ShapeComLed");
  EXPECT_NE(lamp->toolTip().toStdString().find(console.Address()), std::string::npos);
  EXPECT_EQ(window.Monitor().PortDescription(), "COM1 (" + console.Address() + ") 9600,n,8,1");

  // Remote off carries FF in its checksum: the unit sees the frame byte for byte and answers.
  console.Find<QAbstractButton>("suiButtonOpen")->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().acknowledgements >= 1; }));
  EXPECT_EQ(window.Counters().checksumErrors, 0u);
  const std::vector<std::string> requests = console.Requests();
  ASSERT_GE(requests.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + 3),
            (std::vector<std::string>{RealTimeHex, RealTimeHex, RealTimeHex}));
  EXPECT_EQ(requests[3], RemoteOffHex);

  // The settings dialog sets the remote line at once (a terminal keeps 8 data bits, so rate and
  // stop bits show it).
  TFrmComSet dialog(window);
  dialog.FormShow();
  EXPECT_TRUE(dialog.findChild<QLabel*>("LabelLineNote")->isHidden());
  dialog.findChild<QComboBox*>("suiComboBoxBote")->setCurrentText("19200");
  dialog.findChild<QComboBox*>("suiComboBoxStop")->setCurrentText("2");
  dialog.suiButtonOKClick();
  const auto lineIs = [&](speed_t speed, bool twoStop) {
    const termios line = RemoteLine(console.Link());
    return cfgetospeed(&line) == speed && ((line.c_cflag & CSTOPB) != 0) == twoStop;
  };
  EXPECT_TRUE(WaitUntil([&] { return lineIs(B19200, true); }, 3000));

  // The server goes away: lost, quietly retried every period, and picked up again by itself
  // with the line set as before.
  console.StopServer();
  ASSERT_TRUE(WaitUntil([&] { return lamp->Colour() == Lamp::Maroon; }, 3000));
  EXPECT_EQ(console.Panel(), "Serial Port COM1 Lost");
  ASSERT_TRUE(WaitForTicks(window, "Timer1", 1));  // a periodic request without a server
  EXPECT_TRUE(console.Prompts().messages.empty());
  console.StartServer(console.ServerPort());
  const std::uint64_t shown = window.Counters().realTime;
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime > shown; }, 6000));
  EXPECT_EQ(lamp->Colour(), Lamp::Lime);
  EXPECT_EQ(console.Panel(), "Using Serial Port COM1");
  EXPECT_TRUE(lineIs(B19200, true));
  EXPECT_TRUE(console.Prompts().messages.empty());
}

TEST(ConsoleThroughSer2net, RawServerRefusedPortAndMalformedEntry) {
  ConsoleThroughServer console(Ser2netProcess::Mode::RawTcp);
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  EXPECT_TRUE(console.Prompts().messages.empty());
  console.Find<QAbstractButton>("suiButtonOpen")->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().acknowledgements >= 1; }));
  EXPECT_EQ(console.Requests().at(3), RemoteOffHex);

  // The line is set on the server: the dialog says so, and still takes and keeps the choice.
  TFrmComSet dialog(window);
  dialog.FormShow();
  EXPECT_FALSE(dialog.findChild<QLabel*>("LabelLineNote")->isHidden());
  dialog.findChild<QComboBox*>("suiComboBoxBote")->setCurrentText("19200");
  dialog.suiButtonOKClick();
  EXPECT_EQ(console.Port().GetSettings(), "19200,n,8,1");
  EXPECT_TRUE(console.Port().IsOpen());

  // A port nobody listens on, and an entry without a port number: the usual open failure, and
  // the error names the entry.
  auto* lamp = console.Find<Lamp>("ShapeComLed");
  for (const char* com : {"COM2", "COM3"}) {
    SCOPED_TRACE(com);
    console.Prompts().messages.clear();
    console.ChoosePort(com);
    EXPECT_EQ(console.Prompts().messages, std::vector<std::string>{"Open Serial Port Fail"});
    EXPECT_EQ(console.Panel(), std::string("Open Serial Port ") + com + "Fail!");
    EXPECT_EQ(lamp->Colour(), Lamp::Maroon);
    EXPECT_FALSE(console.Port().IsOpen());
  }
  try {
    console.Port().Open();
    ADD_FAILURE() << "opened";
  } catch (const SerialError& error) {
    EXPECT_NE(std::string(error.what()).find("COM3=tcp://127.0.0.1 cannot be used"),
              std::string::npos)
        << error.what();
  }

  console.ChoosePort("COM1");
  const std::uint64_t shown = window.Counters().realTime;
  console.Find<QAbstractButton>("suiButtonSearch")->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime > shown; }));
  EXPECT_EQ(lamp->Colour(), Lamp::Lime);
}

}  // namespace
}  // namespace climate::test
