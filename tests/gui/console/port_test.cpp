// The port as the operator handles it: the port list, the lamp's right-clicks, failed opens, and
// a link that dies under a running console and comes back.
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QTimer>

#include "console_fixture.hpp"

namespace climate::testing {
namespace {

class PortTest : public ConsoleTest {
 protected:
  TFrmMain& StartEnglish() {
    WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
    TFrmMain& window = Start();
    ClearWritten();
    return window;
  }
  void RightClickLamp() {
    auto* lamp = Find<Lamp>("ShapeComLed");
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                            lamp->mapToGlobal(QPoint(4, 4)));
    QCoreApplication::sendEvent(lamp, &event);
  }
  void ChoosePort(int index) {
    auto* list = Find<QComboBox>("suiComboBoxCOM");
    list->setCurrentIndex(index);
    emit list->activated(index);
  }
};

TEST_F(PortTest, ChoosingAnotherPortReopens) {
  StartEnglish();
  ChoosePort(2);
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(port_.PortNumber(), 3);
  EXPECT_EQ(Panel(0), "Using Serial Port COM3");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Lime);

  port_.missingPorts = {4};
  ChoosePort(3);
  EXPECT_FALSE(port_.IsOpen());
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Open Serial Port Fail");
  EXPECT_EQ(prompts_.messages[0].caption, "Error!");
  EXPECT_EQ(Panel(0), "Open Serial Port COM4Fail!");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Maroon);

  // Every request to the missing port tries again and says so again; nothing is written.
  Click("suiButtonSearch");
  EXPECT_EQ(prompts_.messages.size(), 2u);
  EXPECT_TRUE(port_.written.empty());
}

TEST_F(PortTest, LampRightClicksAlternateReopenAndClose) {
  StartEnglish();
  const int opens = port_.openCount;
  RightClickLamp();
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(port_.openCount, opens + 1);
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Lime);

  Click("suiCheckBoxTimer");
  ASSERT_TRUE(Find<QTimer>("Timer1")->isActive());
  RightClickLamp();
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(Panel(0), "Serial PortCOM1Closed");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Maroon);
  EXPECT_FALSE(Find<QCheckBox>("suiCheckBoxTimer")->isChecked());
  EXPECT_FALSE(Find<QTimer>("Timer1")->isActive());
  EXPECT_EQ(Panel(2), "Manual");

  RightClickLamp();
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Lime);
  EXPECT_EQ(Panel(0), "Using Serial Port COM1");
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(PortTest, ClosingRightClickOnAPortThatNeverOpenedOnlyColoursTheLamp) {
  port_.missingPorts = {1};
  StartEnglish();
  prompts_.messages.clear();
  RightClickLamp();  // reopen attempt fails with its box
  EXPECT_EQ(prompts_.messages.size(), 1u);
  RightClickLamp();  // would close: the port is closed already
  EXPECT_EQ(Panel(0), "Open Serial Port COM1Fail!");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Maroon);
  EXPECT_EQ(prompts_.messages.size(), 1u);
}

TEST_F(PortTest, LostLinkIsShownAndPeriodicRequestsReconnectQuietly) {
  TFrmMain& window = StartEnglish();
  Click("suiCheckBoxTimer");
  port_.missingPorts = {1};
  port_.LoseLink("device unplugged");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Maroon);
  EXPECT_EQ(Panel(0), "Serial Port COM1 Lost");

  // Periods pass while the unit is gone: no box, nothing written, the lamp stays maroon.
  for (int i = 0; i < 5; ++i) window.Timer1Timer();
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_TRUE(port_.written.empty());
  EXPECT_EQ(Panel(0), "Serial Port COM1 Lost");
  EXPECT_TRUE(Find<QTimer>("Timer1")->isActive());

  // The backstop timer finds nothing to read and does nothing.
  window.TimerRsvTimer();
  EXPECT_TRUE(MemoLines().empty());

  // The unit is back: the next period reopens and sends.
  port_.missingPorts.clear();
  window.Timer1Timer();
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Lime);
  EXPECT_EQ(Panel(0), "Using Serial Port COM1");
  ASSERT_EQ(port_.written.size(), 1u);
  EXPECT_EQ(port_.written[0], RealTimeRequest);
  port_.Inject(AcReply);
  EXPECT_EQ(Caption("suiEdit1"), "25");
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(PortTest, OperatorRequestAfterALostLinkRetriesWithItsBox) {
  TFrmMain& window = StartEnglish();
  Trigger("Language");
  port_.missingPorts = {1};
  port_.LoseLink("device unplugged");
  EXPECT_EQ(Panel(0), "串口COM1连接中断");
  ClearWritten();
  Click("suiButtonSearch");
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "串口打开失败");
  EXPECT_EQ(Panel(0), "打开串口COM1失败!");
  EXPECT_TRUE(port_.written.empty());
  (void)window;
}

TEST_F(PortTest, FailedWriteInPeriodicModeIsALostLinkNotABox) {
  TFrmMain& window = StartEnglish();
  Click("suiCheckBoxTimer");
  port_.failWrites = true;
  window.Timer1Timer();
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(Panel(0), "Serial Port COM1 Lost");
  EXPECT_EQ(LampColour("ShapeComLed"), Lamp::Maroon);
  port_.failWrites = false;
  window.Timer1Timer();
  EXPECT_EQ(Panel(0), "Using Serial Port COM1");
  EXPECT_EQ(port_.written.size(), 1u);

  // By hand the same failure reaches the error box.
  port_.failWrites = true;
  Click("suiCheckBoxTimer");
  Click("suiButtonSearch");
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "write failed");
}

}  // namespace
}  // namespace climate::testing
