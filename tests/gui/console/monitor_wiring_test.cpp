// The Monitor as the main window carries it: the menu item and its window, the grey value boxes
// after silence, and the set point check after an acknowledged parameters request.
#include <algorithm>
#include <utility>

#include "console_fixture.hpp"
#include "monitor/monitor_window.hpp"
#include "protocol/frame.hpp"

namespace climate::testing {
namespace {

class MonitorWiringTest : public ConsoleTest {
 protected:
  TFrmMain& StartIn(const char* languageCaption, bool periodic = false) {
    WriteConfig([&](IniFile& ini) {
      ini.WriteString("UserSet", "Language", languageCaption);
      ini.WriteInteger("UserSet", "Check", periodic ? 1 : 0);
      ini.WriteInteger("UserSet", "Timer", 2000);
    });
    return Start();
  }
  TFrmMain& StartEnglish(bool periodic = false) { return StartIn("中文(&L)", periodic); }

  bool BoxesGrey() const {
    int grey = 0;
    for (int i = 1; i <= 10; ++i) {
      // The colour the box draws its text in, whatever way its style arrives at it.
      const QColor text =
          Find<QLineEdit>(("suiEdit" + std::to_string(i)).c_str())->palette().color(QPalette::Text);
      if (text == QColor(128, 128, 128))
        ++grey;
      else
        EXPECT_EQ(text, QColor(0, 0, 255)) << i;
    }
    EXPECT_TRUE(grey == 0 || grey == 10) << "the ten boxes change together";
    return grey == 10;
  }

  // The background the box draws, as the operator sees it.
  static QColor Background(const QLineEdit* box) { return box->palette().color(QPalette::Base); }
  const QColor Plain{212, 208, 200};
  const QColor Confirmed{150, 230, 150};
  const QColor Mismatch{255, 150, 150};

  // The air conditioner dialog's way of sending: the request, then PendingCommand 1.
  void SendAcParameters(TFrmMain& window, std::uint8_t coolingOff) {
    const std::vector<std::uint8_t> data{coolingOff, 0x1E, 0x19, 0x1E, 0x4B, 0x14};
    ASSERT_TRUE(window.Send(BuildRequest(window.Protocol(), CommandKind::SetParameters,
                                         DeviceKind::AirConditioner, data)));
    window.SetPendingCommand(CommandCode::AirConditionerParameters);
  }
};

TEST_F(MonitorWiringTest, MenuItemFollowsTheLanguageAndOpensTheMonitor) {
  TFrmMain& window = StartEnglish();
  ASSERT_NE(OpenFromWindowMenu("Monitor", "Monitor (&M)", &TFrmMain::MonitorWin), nullptr);
  auto* item = Find<QAction>("Monitor");
  EXPECT_TRUE(window.MonitorWin()->isWindow());
  EXPECT_EQ(window.MonitorWin()->CurrentLanguage(), Language::English);

  Trigger("Language");
  EXPECT_EQ(item->text().toStdString(), "监视(&M)");
  EXPECT_EQ(window.MonitorWin()->CurrentLanguage(), Language::Chinese);

  // Opening again reuses the window; closing the main window closes it too.
  MonitorWindow* first = window.MonitorWin();
  item->trigger();
  EXPECT_EQ(window.MonitorWin(), first);
  window.close();
  EXPECT_FALSE(first->isVisible());
}

TEST_F(MonitorWiringTest, ChineseStartShowsTheChineseItem) {
  StartIn("English(&L)");
  EXPECT_EQ(Caption("Monitor"), "监视(&M)");
}

TEST_F(MonitorWiringTest, ValuesTurnGreyAfterSilenceInPeriodicModeAndBlueOnTheNextGoodReply) {
  TFrmMain& window = StartEnglish(/*periodic=*/true);
  port_.Inject(AcReply);
  window.Timer3Timer();
  EXPECT_FALSE(BoxesGrey());

  clock_.AdvanceMs(5000);  // under three periods of 2000 ms
  window.Timer3Timer();
  EXPECT_FALSE(BoxesGrey());

  clock_.AdvanceMs(2000);
  window.Timer3Timer();
  EXPECT_TRUE(window.ValuesStale());
  EXPECT_TRUE(BoxesGrey());
  EXPECT_EQ(Caption("suiEdit1"), "25") << "the values stay, only their colour changes";

  // Neither an acknowledgement nor a damaged reply counts as live data.
  port_.Inject(Ack(0xA5));
  std::vector<std::uint8_t> damaged = AcReply;
  damaged[4] ^= 0x01;
  port_.Inject(damaged);
  EXPECT_TRUE(BoxesGrey());

  port_.Inject(AcReply);
  EXPECT_FALSE(window.ValuesStale());
  EXPECT_FALSE(BoxesGrey());
}

// A request by hand that the unit leaves unanswered for 10 s: the lamps turn grey with the value
// boxes (keeping their colours for its return), the drawn status panel carries the silence mark
// in the window's language, the status texts stay; the unit's first reply ends all of it.
TEST_F(MonitorWiringTest, SilenceGreysTheLampsAndMarksThePanelUntilTheFirstReply) {
  TFrmMain& window = StartEnglish();
  for (int i = 0; i < 3; ++i) port_.Inject(AcReply);  // the start-up requests' replies
  auto* panel = Find<QLabel>("StatusPanel4");
  const QImage plainIcon = panel->pixmap().toImage();
  const auto drawn = [](Lamp* lamp) {
    return lamp->grab().toImage().pixelColor(lamp->width() / 2, lamp->height() / 2);
  };
  std::vector<Lamp*> lamps;
  for (int i = 1; i <= 19; ++i) lamps.push_back(Find<Lamp>(("Shape" + std::to_string(i)).c_str()));
  std::vector<QColor> colours;
  for (Lamp* lamp : lamps) colours.push_back(lamp->Colour());
  ASSERT_EQ(drawn(lamps[0]), colours[0]);

  clock_.AdvanceMs(1000);
  Click("suiButtonSearch");
  clock_.AdvanceMs(10000);
  window.Timer3Timer();
  EXPECT_FALSE(window.ValuesStale());
  EXPECT_TRUE(panel->toolTip().isEmpty());

  clock_.AdvanceMs(1000);
  window.Timer3Timer();
  ASSERT_TRUE(window.ValuesStale());
  EXPECT_TRUE(BoxesGrey());
  for (std::size_t i = 0; i < lamps.size(); ++i) {
    EXPECT_EQ(drawn(lamps[i]), Lamp::StaleGrey) << "Shape" << i + 1;
    EXPECT_EQ(lamps[i]->Colour(), colours[i]) << "Shape" << i + 1;
  }
  EXPECT_EQ(drawn(Find<Lamp>("ShapeComLed")), Lamp::Lime) << "the port is still open";
  EXPECT_NE(panel->pixmap().toImage(), plainIcon);
  EXPECT_EQ(panel->toolTip().toStdString(),
            "The unit has not answered for 00:00:12; requests unanswered: 1");
  EXPECT_EQ(Panel(0), "Using Serial Port COM1");

  clock_.AdvanceMs(2000);
  window.Timer3Timer();
  Trigger("Language");
  EXPECT_EQ(panel->toolTip().toStdString(), "设备已 00:00:14 无应答; 未获应答的请求: 1");
  EXPECT_EQ(Panel(0), "使用串口为COM1");
  // The switch runs the unit type switch, which turns the lamps green: they still look stale.
  EXPECT_EQ(lamps[0]->Colour(), Lamp::Green);
  EXPECT_EQ(drawn(lamps[0]), Lamp::StaleGrey);

  Click("suiButtonSearch");
  port_.Inject(AcReply);
  EXPECT_FALSE(window.ValuesStale());
  EXPECT_FALSE(BoxesGrey());
  for (std::size_t i = 0; i < lamps.size(); ++i) {
    EXPECT_EQ(drawn(lamps[i]), colours[i]) << "Shape" << i + 1;
  }
  EXPECT_EQ(panel->pixmap().toImage(), plainIcon);
  EXPECT_TRUE(panel->toolTip().isEmpty());
}

TEST_F(MonitorWiringTest, AcknowledgedParametersAreConfirmedByTheNextRealTimeReply) {
  TFrmMain& window = StartEnglish();
  Trigger("Log");
  SendAcParameters(window, 0x34);  // what the reply below reports
  port_.Inject(Ack(0xA5));
  const std::size_t before = MemoLines().size();
  port_.Inject(AcReply);
  // The memo and the log hold the reply's own lines and nothing else.
  const std::vector<std::string> lines = MemoLines();
  ASSERT_EQ(lines.size(), before + 31);
  EXPECT_EQ(lines.back(), "*************************************");
  const std::string file = ReadFile(window.Log().Path());
  EXPECT_EQ(file.find("Setpoint"), std::string::npos);
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), static_cast<long>(lines.size()));

  // The boxes checked say so in their tooltips and are tinted for a moment, the rest are not:
  // each line on the box that shows its value.
  const std::pair<const char*, const char*> checked[] = {
      {"suiEdit3", "Setpoint check:   Cooling off point sent 32 ℃, unit reports 32 ℃, confirmed"},
      {"suiEdit7", "Setpoint check:   Heating on point sent 5 ℃, unit reports 5 ℃, confirmed"},
      {"suiEdit8",
       "Setpoint check:   High temperature alarm point sent 55 ℃, unit reports 55 ℃, confirmed"},
      {"suiEdit10",
       "Setpoint check:   Low temperature alarm point sent 0 ℃, unit reports 0 ℃, confirmed"},
  };
  for (const auto& [name, tip] : checked) {
    EXPECT_EQ(Find<QLineEdit>(name)->toolTip().toStdString(), tip) << name;
    EXPECT_EQ(Background(Find<QLineEdit>(name)), Confirmed) << name;
  }
  for (const char* name :
       {"suiEdit1", "suiEdit2", "suiEdit4", "suiEdit5", "suiEdit6", "suiEdit9"}) {
    EXPECT_TRUE(Find<QLineEdit>(name)->toolTip().isEmpty()) << name;
    EXPECT_EQ(Background(Find<QLineEdit>(name)), Plain) << name;
  }
  auto* box = Find<QLineEdit>("suiEdit3");
  clock_.AdvanceMs(3000);
  window.Timer3Timer();
  EXPECT_EQ(Background(box), Plain);
  EXPECT_FALSE(box->toolTip().isEmpty());

  // The Monitor's history has the confirmation.
  const auto& history = window.Monitor().Alarms().Entries();
  ASSERT_FALSE(history.empty());
  EXPECT_EQ(history.back().Name(Language::English), "Set points confirmed");
  EXPECT_EQ(history.back().Name(Language::Chinese), "设定值已确认");

  // Only the first reply after the acknowledgement is compared.
  port_.Inject(AcReply);
  EXPECT_EQ(MemoLines().size(), lines.size() + 31);
  EXPECT_EQ(Background(box), Plain);
}

TEST_F(MonitorWiringTest, MismatchIsNamedAndRefusedCommandIsNotChecked) {
  TFrmMain& window = StartEnglish();
  SendAcParameters(window, 0x36);
  port_.Inject(Ack(0xA5));
  const std::size_t before = MemoLines().size();
  port_.Inject(AcReply);
  EXPECT_EQ(MemoLines().size(), before + 31);
  auto* box = Find<QLineEdit>("suiEdit3");
  EXPECT_EQ(box->toolTip().toStdString(),
            "Setpoint check:   Cooling off point sent 34 ℃, unit reports 32 ℃, MISMATCH!");
  EXPECT_EQ(Background(box), Mismatch);
  EXPECT_EQ(Background(Find<QLineEdit>("suiEdit7")), Confirmed);
  EXPECT_EQ(window.Monitor().Alarms().Entries().back().Name(Language::English),
            "Set point mismatch: Cooling off point sent 34 ℃, unit reports 32 ℃");
  const std::size_t events = window.Monitor().Alarms().Entries().size();

  SendAcParameters(window, 0x36);
  port_.Inject(Ack(0xFF));
  port_.Inject(AcReply);
  EXPECT_EQ(window.Monitor().Alarms().Entries().size(), events);
  EXPECT_EQ(window.Monitor().SetPoints().State(), SetPointState::Refused);
}

}  // namespace
}  // namespace climate::testing
