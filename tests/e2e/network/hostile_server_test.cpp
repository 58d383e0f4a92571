// Device servers that are not ser2net: one that refuses com-port control, answers late or never,
// or confirms other settings than asked for; one that sends a subnegotiation of 24 MiB before
// its replies; and one that drops every connection at once, under the console's window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QWindow>

#include "../console/console_e2e.hpp"
#include "console/lamp.hpp"
#include "console/qt_prompts.hpp"
#include "console/window_prompts.hpp"
#include "dialogs/port_settings_dialog.hpp"
#include "hostile_telnet_server.hpp"
#include "monitor/link_figure_rows.hpp"
#include "serial/mapped_serial_port.hpp"
#include "serial/network_serial_port.hpp"
#include "support/frames.hpp"

namespace climate::test {
namespace {

using Behaviour = HostileTelnetServer::Behaviour;

Behaviour With(const std::function<void(Behaviour&)>& set) {
  Behaviour behaviour;
  set(behaviour);
  return behaviour;
}

PortEntry Rfc2217Entry(int port) {
  return ParsePortEntry("rfc2217://127.0.0.1:" + std::to_string(port)).entry.value();
}

TEST(HostileDeviceServer, ComPortControlIsAgreedFirstAndEveryConfirmationCompared) {
  struct Case {
    const char* name;
    Behaviour behaviour;
    LineControl control;
    std::vector<LineSettingMismatch> mismatches;
    std::string problem;  // in English
  };
  const std::vector<std::uint8_t> noCommands;
  const Case cases[] = {
      {"late agreement",
       With([](Behaviour& b) { b.answerDelayMs = 150; }),
       LineControl::Agreed,
       {},
       ""},
      {"refusal",
       With([](Behaviour& b) { b.comPortAnswer = false; }),
       LineControl::Refused,
       {},
       "the device server refused com-port control (RFC 2217): the line settings were not "
       "applied"},
      {"silence",
       With([](Behaviour& b) { b.comPortAnswer = std::nullopt; }),
       LineControl::NotAnswered,
       {},
       "the device server did not answer com-port control (RFC 2217): the line settings were not "
       "applied"},
      {"other values",
       With([](Behaviour& b) {
         b.confirmWith = {{1, {0x00, 0x00, 0x4B, 0x00}}, {3, {1}}};
       }),
       LineControl::Agreed,
       {{LineSetting::Rate, 9600, 19200}, {LineSetting::Parity, 3, 1}},
       "the device server set rate 19200 instead of 9600, parity none instead of even"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostileTelnetServer server(c.behaviour);
    NetworkSerialPort port;
    port.SetEndpoint(Rfc2217Entry(server.Port()));
    port.SetAnswerTimeoutMs(400);
    port.SetSettings("9600,e,8,1");
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    EXPECT_TRUE(server.Last().offered);

    const LineSettingsReport report = port.LineSettingsState();
    EXPECT_EQ(report.control, c.control);
    EXPECT_EQ(report.mismatches, c.mismatches);
    EXPECT_TRUE(report.unconfirmed.empty());
    EXPECT_EQ(LineSettingsProblemText(report, Language::English), c.problem);
    // Not one com-port command before the server's yes, and none at all without it.
    EXPECT_EQ(server.Last().commandsBeforeAnswer, 0u);
    if (c.control == LineControl::Agreed) {
      EXPECT_EQ(server.Last().commandCodes, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 5, 5, 12}));
    } else {
      EXPECT_EQ(server.Last().commandCodes, noCommands);
    }

    // The data flows whatever the line runs at.
    port.Write(RealTimeRequest);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Last().data == RealTimeRequest; }, 5000));

    // A change while open: sent and confirmed again where the server agreed, kept only where not.
    port.SetSettings("19200,e,8,1");
    const LineSettingsReport changed = port.LineSettingsState();
    EXPECT_EQ(changed.control, c.control);
    if (!c.mismatches.empty()) {
      EXPECT_EQ(changed.mismatches,
                (std::vector<LineSettingMismatch>{{LineSetting::Parity, 3, 1}}));
    } else {
      EXPECT_EQ(changed.HasProblem(), !c.problem.empty());
    }
    EXPECT_EQ(port.GetSettings(), "19200,e,8,1");
    port.Close();
  }
}

// After IAC SB 44 101 and 24 MiB without its end, then the end and two replies: the overlong
// subnegotiation is dropped, is not read as a rate confirmation, and both replies arrive whole.
TEST(HostileDeviceServer, RepliesAfterA24MiBSubnegotiationArriveWhole) {
  HostileTelnetServer server(Behaviour{});
  NetworkSerialPort port;
  port.SetEndpoint(Rfc2217Entry(server.Port()));
  port.Open();
  ASSERT_EQ(port.LineSettingsState().control, LineControl::Agreed);
  port.Write(RealTimeRequest);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Last().data == RealTimeRequest; }, 5000));

  server.Send({telnet::Iac, telnet::Sb, telnet::OptionComPort, 101});
  // Frame-like bytes throughout (start and end bytes, FF doubled as inside any subnegotiation).
  Bytes filler(1 << 20);
  for (std::size_t i = 0; i < filler.size(); ++i) filler[i] = static_cast<std::uint8_t>(i * 7);
  for (std::size_t i = 0; i + 1 < filler.size(); ++i) {
    if (filler[i] == telnet::Iac) filler[++i] = telnet::Iac;
  }
  filler.back() = 0x7E;
  Bytes received;
  for (int mib = 0; mib < 24; ++mib) {
    server.Send(filler);
    QCoreApplication::processEvents();
    const Bytes got = port.ReadAll();
    received.insert(received.end(), got.begin(), got.end());
  }
  const Bytes replies = Concat({AcExample, PositiveAck});
  Bytes end = {telnet::Iac, telnet::Se};
  const Bytes escaped = telnet::EscapeData(replies);
  end.insert(end.end(), escaped.begin(), escaped.end());
  server.Send(end);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const Bytes got = port.ReadAll();
        received.insert(received.end(), got.begin(), got.end());
        return received.size() >= replies.size();
      },
      30000));
  EXPECT_EQ(received, replies);
  EXPECT_FALSE(port.LineSettingsState().HasProblem());
  EXPECT_TRUE(port.IsOpen());
}

// What the operator sees of a refusing or disagreeing server: the lamp's tooltip and the
// Monitor's link health name it from the open on, the settings dialog once per applied change,
// and the periodic requests add no box.
TEST(HostileDeviceServer, RefusalAndMismatchAreShownInTheLampLinkHealthAndOnceInTheDialog) {
  struct Case {
    const char* name;
    Behaviour behaviour;
    const char* problem;
  };
  const Case cases[] = {
      {"refusal", With([](Behaviour& b) { b.comPortAnswer = false; }),
       "the device server refused com-port control"},
      {"other rate", With([](Behaviour& b) {
         b.confirmWith = {{1, {0x00, 0x00, 0x4B, 0x00}}};
       }),
       "the device server set rate 19200 instead of 9600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostileTelnetServer server(c.behaviour);
    TempDir dir;
    WriteConsoleConfig(dir.File(""), "rfc2217://127.0.0.1:" + std::to_string(server.Port()),
                       [](IniFile& ini) {
                         ini.WriteInteger("UserSet", "Check", 1);
                         ini.WriteInteger("UserSet", "Timer", 1000);
                       });
    MappedSerialPort port(ReadSerialPortPaths(IniFile::Load(dir.File(ConfigFileName.data()))));
    RecordingPrompts prompts;
    SystemClock clock;
    TFrmMain window(ConsoleEnvironment{dir.File(""), dir.File(""), port, prompts, clock, {}});
    window.show();
    ASSERT_TRUE(port.IsOpen());

    auto* lamp = window.findChild<Lamp*>("ShapeComLed");
    EXPECT_EQ(lamp->Colour(), Lamp::Lime);  // open: the data flows
    EXPECT_NE(lamp->toolTip().toStdString().find(c.problem), std::string::npos)
        << lamp->toolTip().toStdString();
    std::string linkHealth;
    for (const LinkFigureRow& row : LinkFigureRows(window.Monitor().Link(), Language::English)) {
      if (std::string(row.key) == "LinkLineSettings") linkHealth = row.value.value_or("");
    }
    EXPECT_NE(linkHealth.find(c.problem), std::string::npos) << linkHealth;
    EXPECT_TRUE(prompts.messages.empty());

    // Applying the settings again: one box, naming the server and the problem.
    TFrmComSet dialog(window);
    dialog.FormShow();
    dialog.suiButtonOKClick();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].find("rfc2217://127.0.0.1:" + std::to_string(server.Port()) +
                                       ": " + c.problem),
              std::string::npos)
        << prompts.messages[0];
    ASSERT_TRUE(WaitForTicks(window, "Timer1", 1));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(lamp->toolTip().toStdString().find(c.problem), std::string::npos);
  }
}

// Every box that comes up, as the operator would find it, answered at once.
struct SeenBox {
  std::string text;
  QStringList buttons;
  bool windowOnScreen = false;
  std::string serialPortCaption;  // Label1 of the main window at that moment
};

class BoxWatcher {
 public:
  explicit BoxWatcher(const QWidget*& window) : window_(window) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start();
  }
  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  void Look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    SeenBox seen;
    seen.text = box->text().toStdString();
    // The answer buttons; "Show Details..." is Qt's own and follows Qt's translation.
    for (QAbstractButton* button : box->buttons()) {
      if (box->buttonRole(button) != QMessageBox::ActionRole) seen.buttons << button->text();
    }
    if (window_ != nullptr) {
      const QWindow* handle = window_->windowHandle();
      seen.windowOnScreen = handle != nullptr && handle->isExposed();
      if (const auto* label = window_->findChild<QLabel*>("Label1")) {
        seen.serialPortCaption = label->text().toStdString();
      }
    }
    seen_.push_back(seen);
    box->done(0);
  }

  const QWidget*& window_;
  QTimer timer_;
  std::vector<SeenBox> seen_;
};

// The console as climate-console builds it, with Qt's own boxes, on the given COM1 entry.
class ConsoleWithBoxes {
 public:
  ConsoleWithBoxes(const std::string& com1, const std::function<void(IniFile&)>& edit)
      : prompts_(nullptr, "Background Control System"), watcher_(shownWindow_) {
    WriteConsoleConfig(dir_.File(""), com1, edit);
    port_ = std::make_unique<MappedSerialPort>(
        ReadSerialPortPaths(IniFile::Load(dir_.File(ConfigFileName.data()))));
    window_ = std::make_unique<TFrmMain>(
        ConsoleEnvironment{dir_.File(""), dir_.File(""), *port_, prompts_, clock_, {}});
    AttachPrompts(prompts_, *window_);
    shownWindow_ = window_.get();
    window_->show();
  }
  ~ConsoleWithBoxes() {
    shownWindow_ = nullptr;
    window_.reset();
    port_.reset();
  }

  TFrmMain& Window() { return *window_; }
  MappedSerialPort& Port() { return *port_; }
  const std::vector<SeenBox>& Boxes() const { return watcher_.Seen(); }
  template <typename T>
  T* Find(const char* name) const {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }

 private:
  TempDir dir_;
  SystemClock clock_;
  QtPrompts prompts_;
  const QWidget* shownWindow_ = nullptr;
  BoxWatcher watcher_;
  std::unique_ptr<MappedSerialPort> port_;
  std::unique_ptr<TFrmMain> window_;
};

TEST(HostileDeviceServer, ServerDroppingEveryConnectionIsAQuietLostLinkInPeriodicMode) {
  DroppingServer server;
  ConsoleWithBoxes console("tcp://127.0.0.1:" + std::to_string(server.Port()), [](IniFile& ini) {
    ini.WriteInteger("UserSet", "Check", 1);
    ini.WriteInteger("UserSet", "Timer", 1000);
    ini.WriteString("UserSet", "Language", "中文(&L)");
  });
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitForTicks(window, "Timer1", 2));
  EXPECT_GE(server.Connections(), 2);
  EXPECT_TRUE(console.Boxes().empty()) << console.Boxes().front().text;
  EXPECT_TRUE(console.Find<QCheckBox>("suiCheckBoxTimer")->isChecked());
  // The show handler ran to its end: the stored language is shown.
  EXPECT_EQ(console.Find<QLabel>("Label1")->text().toStdString(), "Serial Port");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return console.Find<Lamp>("ShapeComLed")->Colour() == Lamp::Maroon; }, 5000));
}

TEST(HostileDeviceServer, BoxesComeAfterTheWindowWithButtonsInTheLanguageShown) {
  const std::string longHost = "tcp://" + std::string(300, 'h') + ":4001";
  struct Case {
    const char* name;
    std::string com1;
    int comNum;
    const char* serialPortCaption;  // the window's captions when the boxes are up
    const char* ok;
    std::size_t boxes;
  };
  const Case cases[] = {
      // The stored caption asks for Chinese, and the show handler gets there before the boxes.
      // The show handler's open, then the request of the unit selector and of each language
      // switch try again.
      {"host name too long", longHost, 0, "选择串口", "确定", 4},
      // The show handler stops at a port choice outside the list: the captions stay the
      // design's English, whatever the stored caption says.
      {"show handler stopped", longHost, 7, "Serial Port", "OK", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConsoleWithBoxes console(c.com1, [&](IniFile& ini) {
      ini.WriteString("UserSet", "Language", "English (&L)");
      ini.WriteInteger("UserSet", "ComNum", c.comNum);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return console.Boxes().size() >= c.boxes; }, 5000));
    for (const SeenBox& box : console.Boxes()) {
      SCOPED_TRACE(box.text);
      EXPECT_TRUE(box.windowOnScreen);
      EXPECT_EQ(box.serialPortCaption, c.serialPortCaption);
      EXPECT_EQ(box.buttons, QStringList{c.ok});
    }
  }
  // The entry is named with its reason, as every other bad entry is.
  const std::array<std::string, 4> entries = {longHost, "", "", ""};
  EXPECT_NE(BadPortEntriesText(entries, Language::English)
                .find("COM1=" + longHost + " cannot be used: the host name is too long"),
            std::string::npos);
}

}  // namespace
}  // namespace climate::test
