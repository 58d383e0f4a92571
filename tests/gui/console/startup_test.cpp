// The window's creation, show and close handlers: what a first start, a stored language, a port
// that will not open and a damaged port choice leave on screen, and what a close saves.
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScreen>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/config/save_temporary.hpp"
#include "console/radio_group.hpp"
#include "console_fixture.hpp"

namespace climate::testing {
namespace {

using StartupTest = ConsoleTest;

TEST_F(StartupTest, FirstStartWritesDefaultsAndComesUpEnglishManualOnCom1) {
  TFrmMain& window = Create();
  // The creation handler has written the whole default set, language "0" included.
  ASSERT_TRUE(std::filesystem::exists(ConfigPath()));
  EXPECT_EQ(ReadConfig().ReadString("UserSet", "Language", "?"), "0");
  EXPECT_EQ(ReadConfig().ReadInteger("FrmFlash", "Time", -1), 1000);

  window.show();
  EXPECT_EQ(window.CurrentLanguage(), Language::English);
  EXPECT_EQ(Caption("Language"), "中文(&L)");
  EXPECT_EQ(window.windowTitle().toStdString(),
            "Cabinet Air Conditioner Background Control System");
  EXPECT_EQ(window.Kind(), DeviceKind::AirConditioner);
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(port_.PortNumber(), 1);
  EXPECT_EQ(port_.GetSettings(), "9600,n,8,1");
  EXPECT_EQ(Panel(0), "Using Serial Port COM1");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Lime);

  EXPECT_FALSE(Find<QCheckBox>("suiCheckBoxTimer")->isChecked());
  EXPECT_FALSE(Find<QTimer>("Timer1")->isActive());
  EXPECT_EQ(Panel(2), "Manual");
  EXPECT_TRUE(Find<QPushButton>("suiButtonSearch")->isEnabled());
  EXPECT_FALSE(Find<QSpinBox>("suiSpinEditTime")->isEnabled());

  // One request from the unit selector, one from each of the two language switches.
  ASSERT_EQ(port_.written.size(), 3u);
  for (const auto& frame : port_.written) EXPECT_EQ(frame, RealTimeRequest);

  EXPECT_TRUE(MemoLines().empty());
  EXPECT_FALSE(window.FactoryViewOpen());
  EXPECT_FALSE(Find<QPushButton>("suiButtonStop")->isVisibleTo(&window));
  EXPECT_FALSE(Find<QPushButton>("suiButtonCjSet")->isVisibleTo(&window));
  for (int i = 1; i <= 19; ++i) {
    EXPECT_EQ(LampColour(("Shape" + std::to_string(i)).c_str()), Lamp::Green) << i;
  }
  for (int i = 1; i <= 15; ++i) {
    EXPECT_EQ(Caption(("suiEdit" + std::to_string(i)).c_str()), "－－") << i;
  }
  // The tray tooltip's timer runs where there is a tray to show it.
  EXPECT_EQ(Find<QTimer>("Timer2")->isActive(), QSystemTrayIcon::isSystemTrayAvailable());
  EXPECT_TRUE(Find<QTimer>("Timer3")->isActive());
  EXPECT_EQ(Find<QTimer>("TimerRsv")->interval(), 300);
  EXPECT_TRUE(prompts_.messages.empty());

  window.close();
  const IniFile saved = ReadConfig();
  EXPECT_EQ(saved.ReadString("UserSet", "Language", "?"), "中文(&L)");
  EXPECT_EQ(saved.ReadInteger("UserSet", "Check", -1), 0);
  EXPECT_EQ(saved.ReadInteger("UserSet", "Timer", -1), 5000);
  EXPECT_EQ(saved.ReadInteger("UserSet", "ComNum", -1), 0);
  EXPECT_EQ(saved.ReadInteger("Device", "DeviceType", -1), 0);
  EXPECT_EQ(saved.ReadInteger("FrmMain", "Width", -1), window.width());
  EXPECT_EQ(saved.ReadInteger("FrmMain", "Height", -1), window.height());
}

TEST_F(StartupTest, StoredLanguageCaptionPicksTheLanguage) {
  const struct {
    const char* stored;
    Language shown;
    const char* label1;
  } cases[] = {{"English (&L)", Language::Chinese, "选择串口"},
               {"中文(&L)", Language::English, "Serial Port"},
               {"0", Language::Chinese, "选择串口"}};
  for (const auto& c : cases) {
    WriteConfig([&](IniFile& ini) { ini.WriteString("UserSet", "Language", c.stored); });
    TFrmMain& window = Start();
    EXPECT_EQ(window.CurrentLanguage(), c.shown) << c.stored;
    EXPECT_EQ(Caption("Label1"), c.label1) << c.stored;
    window.close();
    EXPECT_EQ(ReadConfig().ReadString("UserSet", "Language", "?"),
              c.shown == Language::Chinese ? "English (&L)" : "中文(&L)");
  }
}

TEST_F(StartupTest, StoredChoicesComeBack) {
  WriteConfig([](IniFile& ini) {
    ini.WriteInteger("UserSet", "Check", 1);
    ini.WriteInteger("UserSet", "Timer", 2000);
    ini.WriteInteger("UserSet", "ComNum", 2);
    ini.WriteInteger("Device", "DeviceType", 1);
    ini.WriteInteger("ComSet", "Bote", 19200);
    ini.WriteInteger("ComSet", "Om", 2);
    ini.WriteInteger("ComSet", "Data", 7);
    ini.WriteInteger("ComSet", "Stop", 2);
    ini.WriteInteger("Debug", "FjtzdE", 1);
    ini.WriteString("UserSet", "Language", "中文(&L)");
  });
  TFrmMain& window = Start();
  EXPECT_EQ(port_.PortNumber(), 3);
  EXPECT_EQ(port_.GetSettings(), "19200,e,7,2");
  EXPECT_EQ(Panel(0), "Using Serial Port COM3");
  EXPECT_TRUE(Find<QCheckBox>("suiCheckBoxTimer")->isChecked());
  EXPECT_TRUE(Find<QTimer>("Timer1")->isActive());
  EXPECT_EQ(Find<QTimer>("Timer1")->interval(), 2000);
  EXPECT_EQ(Panel(2), "Periodical Report");
  EXPECT_FALSE(Find<QPushButton>("suiButtonSearch")->isEnabled());
  EXPECT_EQ(window.Kind(), DeviceKind::HeatExchanger);
  EXPECT_EQ(window.windowTitle().toStdString(), "Heat Exchanger Background Control System");
  EXPECT_TRUE(Find<QPushButton>("suiButtonStop")->isVisibleTo(&window));
  EXPECT_EQ(Caption("suiButtonStop"), "Factory Settings (&J)");
  // Stored size smaller than the layout: the layout stays whole.
  EXPECT_GE(window.width(), TFrmMain::DesignWidth);
}

TEST_F(StartupTest, AbsurdStoredSizesGiveAWholeWindowOnTheScreen) {
  const std::pair<int, int> sizes[] = {
      {100000, 100000}, {2147483647, 32767}, {32767, 2147483647}, {-5, -2147483647 - 1}};
  for (const auto& [width, height] : sizes) {
    WriteConfig([&](IniFile& ini) {
      ini.WriteInteger("FrmMain", "Width", width);
      ini.WriteInteger("FrmMain", "Height", height);
    });
    TFrmMain& window = Start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry())) << width;
    EXPECT_GE(window.width(), TFrmMain::DesignWidth);
    EXPECT_GE(window.height(), TFrmMain::DesignHeight);
    const QSize shown = window.size();
    window.close();
    EXPECT_EQ(QSize(ReadConfig().ReadInteger("FrmMain", "Width", -1),
                    ReadConfig().ReadInteger("FrmMain", "Height", -1)),
              shown);
  }
}

TEST_F(StartupTest, PortThatWillNotOpenLeavesManualModeAndSaysSo) {
  WriteConfig([](IniFile& ini) {
    ini.WriteInteger("UserSet", "Check", 1);
    ini.WriteString("UserSet", "Language", "中文(&L)");
  });
  port_.missingPorts = {1};
  TFrmMain& window = Start();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_TRUE(port_.written.empty());
  // The show handler's open, then the request of the unit selector and of each language switch
  // try again, each with its box in the language of that moment (the first switch shows
  // Chinese, the second English again).
  ASSERT_EQ(prompts_.messages.size(), 4u);
  const char* texts[] = {"Open Serial Port Fail", "Open Serial Port Fail", "串口打开失败",
                         "Open Serial Port Fail"};
  const char* captions[] = {"Error!", "Error!", "错误！", "Error!"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(prompts_.messages[i].text, texts[i]) << i;
    EXPECT_EQ(prompts_.messages[i].caption, captions[i]) << i;
  }
  EXPECT_EQ(Panel(0), "Open Serial Port COM1Fail!");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Maroon);
  EXPECT_FALSE(Find<QCheckBox>("suiCheckBoxTimer")->isChecked());
  EXPECT_FALSE(Find<QTimer>("Timer1")->isActive());
  EXPECT_EQ(Panel(2), "Manual");
}

TEST_F(StartupTest, PortChoiceOutsideTheListStopsTheShowHandler) {
  WriteConfig([](IniFile& ini) {
    ini.WriteInteger("UserSet", "ComNum", 7);
    ini.WriteString("UserSet", "Language", "English (&L)");
    ini.WriteInteger("UserSet", "Check", 1);
  });
  TFrmMain& window = Start();
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "'' is not a valid integer value");
  EXPECT_EQ(prompts_.messages[0].caption, "");
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(port_.openCount, 0);
  EXPECT_TRUE(port_.written.empty());
  EXPECT_EQ(Find<QComboBox>("suiComboBoxCOM")->currentIndex(), -1);
  // The language switches never ran: the captions are still the design ones.
  EXPECT_EQ(Caption("Label1"), "Serial Port");
  EXPECT_FALSE(Find<QCheckBox>("suiCheckBoxTimer")->isChecked());
  EXPECT_TRUE(window.isVisible());
}

TEST_F(StartupTest, RefusedSaveIsReportedAndTheWindowStillCloses) {
  WriteConfig();
  TFrmMain& window = Start();
  std::filesystem::permissions(ConfigPath(), std::filesystem::perms::none);
  window.close();
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Unable to write to " + ConfigPath());
  EXPECT_FALSE(window.isVisible());
}

TEST_F(StartupTest, FolderThatRefusesTheNewFileCostsOneBoxAndTheWindowRunsOnReadDefaults) {
  // Permissions do not stop root; a folder that is a plain file refuses everyone.
  std::ofstream(root_ + "/locked") << "a file, not a folder";
  exeDir_ = root_ + "/locked/";
  TFrmMain& window = Start();
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Unable to write to " + ConfigPath());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.CurrentLanguage(), Language::English);
  EXPECT_EQ(window.Kind(), DeviceKind::AirConditioner);
  EXPECT_EQ(port_.PortNumber(), 1);
  EXPECT_EQ(port_.GetSettings(), "9600,n,8,1");
  EXPECT_EQ(Panel(2), "Manual");
  EXPECT_EQ(port_.written.size(), 3u);

  // The close is a batch of its own: one box again, and the window still closes.
  window.close();
  ASSERT_EQ(prompts_.messages.size(), 2u);
  EXPECT_EQ(prompts_.messages[1].text, "Unable to write to " + ConfigPath());
  EXPECT_FALSE(window.isVisible());
}

TEST_F(StartupTest, StartClearsAwayWhatAKilledSaveLeftBehind) {
  WriteConfig();
  const SaveTemporary killed = CreateSaveTemporary(ConfigPath());
  ASSERT_GE(killed.fd, 0);
  ::close(killed.fd);  // ended before its rename
  const std::string backup = ConfigPath() + ".backup";
  std::ofstream(backup) << "the operator's copy";
  Create();
  EXPECT_FALSE(std::filesystem::exists(killed.path));
  EXPECT_TRUE(std::filesystem::exists(backup));
}

TEST_F(StartupTest, MenusOpenWhereTheOperatorRightClicks) {
  WriteConfig();
  Start();
  auto rightClick = [this](const char* name) {
    auto* widget = Find<QWidget>(name);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            widget->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(widget, &event);
  };
  auto* windowMenu = Find<QMenu>("suiPopupMenu2");
  auto* memoMenu = Find<QMenu>("suiPopupMenu1");
  for (const char* group : {"GroupBox2", "GroupBox3", "GroupBox4", "GroupBox5", "ClientArea"}) {
    rightClick(group);
    EXPECT_TRUE(windowMenu->isVisible()) << group;
    windowMenu->hide();
  }
  emit Find<QPlainTextEdit>("suiMemoText")->customContextMenuRequested(QPoint(2, 2));
  EXPECT_TRUE(memoMenu->isVisible());
  memoMenu->hide();
  rightClick("ShapeComLed");  // the port lamp keeps its right-click for the port
  EXPECT_FALSE(windowMenu->isVisible());
}

TEST_F(StartupTest, DialogSendsNeverThrow) {
  WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
  TFrmMain& window = Start();
  DialogHost& host = window;
  port_.failWrites = true;
  EXPECT_FALSE(host.Send(RealTimeRequest));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "write failed");
  port_.failWrites = false;
  EXPECT_TRUE(host.Send(RealTimeRequest));
}

}  // namespace
}  // namespace climate::testing
