// The operator's commands: the frames they send, the password and the stop point with their
// messages, the factory view, the collection mode and the buttons that open other windows.
#include <QCheckBox>
#include <QSpinBox>
#include <QTimer>

#include "console/radio_group.hpp"
#include "console_fixture.hpp"

namespace climate::testing {
namespace {

class CommandsTest : public ConsoleTest {
 protected:
  TFrmMain& StartWith(bool fanStop, bool factory, int deviceType = 0) {
    WriteConfig([&](IniFile& ini) {
      ini.WriteInteger("Debug", "FjtzdE", fanStop ? 1 : 0);
      ini.WriteInteger("Debug", "CjCsSetE", factory ? 1 : 0);
      ini.WriteInteger("Device", "DeviceType", deviceType);
      ini.WriteString("UserSet", "Language", "中文(&L)");
    });
    TFrmMain& window = Start();
    ClearWritten();
    return window;
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : prompts_.messages) texts.push_back(message.text);
    return texts;
  }
};

TEST_F(CommandsTest, RealTimeRequestIsTheSameFrameForBothUnits) {
  TFrmMain& window = StartWith(false, false);
  Click("suiButtonSearch");
  Find<RadioGroup>("RadioGroupType")->Button(1)->click();
  Click("suiButtonSearch");
  ASSERT_EQ(port_.written.size(), 3u);
  for (const auto& frame : port_.written) EXPECT_EQ(frame, RealTimeRequest);
  EXPECT_EQ(window.PendingCommand(), 0);
}

TEST_F(CommandsTest, RemoteButtonFollowsTheReportedRunningState) {
  TFrmMain& window = StartWith(false, false);
  Click("suiButtonOpen");
  EXPECT_EQ(port_.written.back(), Hex("7E 01 22 43 FF 9C FE 0D"));
  EXPECT_EQ(window.PendingCommand(), 3);

  port_.Inject(RealTimeReply(0x00));
  EXPECT_EQ(Caption("suiButtonOpen"), "Remote On (&O)");
  Click("suiButtonOpen");
  EXPECT_EQ(port_.written.back(), Hex("7E 01 22 43 00 9B FF 0D"));
  EXPECT_EQ(window.PendingCommand(), 2);

  // The acknowledgement names the command sent last.
  port_.Inject(Ack(0xA5));
  EXPECT_EQ(MemoLines().back(), "Remote on commad return success!");
  port_.Inject(RealTimeReply(0x1F));
  EXPECT_EQ(Caption("suiButtonOpen"), "Remote Off (&L)");
  Click("suiButtonOpen");
  port_.Inject(Ack(0xFF));
  EXPECT_EQ(MemoLines().back(), "Remote off commad return error,please try again!");

  // The pending command is set before sending, even when nothing can be sent.
  port_.Inject(RealTimeReply(0x00));
  port_.missingPorts = {1};
  port_.Close();
  const std::size_t sent = port_.written.size();
  Click("suiButtonOpen");
  EXPECT_EQ(window.PendingCommand(), 2);
  EXPECT_EQ(port_.written.size(), sent);
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Open Serial Port Fail");
}

TEST_F(CommandsTest, PasswordGuardsTheStopPointOnceAccepted) {
  TFrmMain& window = StartWith(true, false);
  ASSERT_TRUE(Find<QPushButton>("suiButtonStop")->isVisibleTo(&window));

  prompts_.answers = {std::string("wrong")};
  Click("suiButtonStop");
  EXPECT_EQ(prompts_.inputs, (std::vector<ScriptedPrompts::Input>{
                                 {.caption = "Cabinet Air Conditioner Background Control System",
                                  .prompt = "Please Input Password:     ",
                                  .initial = "",
                                  .mask = '#',
                                  .okText = "OK(&O)",
                                  .cancelText = "Cancel(&C)"}}));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Sorry,Password Is Incorrect!"});
  EXPECT_FALSE(window.PasswordAccepted());
  EXPECT_TRUE(port_.written.empty());

  // The entry starts with the last one confirmed; blanks around the password do not count.
  prompts_.answers = {"  " + std::string(FactoryPassword) + " ", std::string("5")};
  Click("suiButtonStop");
  ASSERT_EQ(prompts_.inputs.size(), 3u);
  EXPECT_EQ(prompts_.inputs[1].initial, "wrong");
  EXPECT_TRUE(window.PasswordAccepted());
  ASSERT_EQ(port_.written.size(), 1u);
  EXPECT_EQ(port_.written[0], Hex("7E 01 22 44 19 81 FF 0D"));
  EXPECT_EQ(window.PendingCommand(), 4);
  EXPECT_FALSE(window.FactoryViewOpen());

  // No second password question, in this or the other protected button.
  prompts_.answers = {std::string("15")};
  Click("suiButtonStop");
  ASSERT_EQ(prompts_.inputs.size(), 4u);
  EXPECT_EQ(prompts_.inputs[3].initial, "5");
  EXPECT_EQ(port_.written.back(), Hex("7E 01 22 44 23 77 FF 0D"));
}

TEST_F(CommandsTest, CancelledPasswordDoesNothing) {
  TFrmMain& window = StartWith(true, false);
  prompts_.answers = {std::nullopt};
  Click("suiButtonStop");
  EXPECT_EQ(prompts_.inputs.size(), 1u);
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_FALSE(window.PasswordAccepted());
  EXPECT_TRUE(port_.written.empty());
}

TEST_F(CommandsTest, StopPointEntriesAreCheckedEvenAfterCancel) {
  TFrmMain& window = StartWith(true, false);
  prompts_.answers = {std::string(FactoryPassword), std::nullopt};
  Click("suiButtonStop");  // accepted; stop point cancelled with the valid "0"
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_TRUE(port_.written.empty());

  struct Case {
    std::optional<std::string> answer;
    const char* message;  // nullptr: sent
    int sentByte;
  };
  const Case cases[] = {
      {std::string(" 7 "), nullptr, 27},
      {std::string("16"), "Sorry,Input Numeric Exceed 0~15 ℃", 0},
      {std::string("-1"), "Error,Numeric Only!", 0},
      {std::string("1.5"), "Error,Numeric Only!", 0},
      {std::string("99999999999999999999"), "Sorry,Input Numeric Exceed 0~15 ℃", 0},
      {std::string(""), nullptr, 20},
      {std::string("1a"), "Error,Numeric Only!", 0},
      // The refused entry is the dialog's value now: cancelling checks it again.
      {std::nullopt, "Error,Numeric Only!", 0},
      {std::string("3"), nullptr, 23},
      {std::nullopt, nullptr, -1},  // valid value, cancelled: nothing at all
  };
  for (const Case& c : cases) {
    prompts_.messages.clear();
    ClearWritten();
    window.SetPendingCommand(static_cast<CommandCode>(9));
    const std::string initialBefore = prompts_.inputs.empty() ? "" : prompts_.inputs.back().initial;
    prompts_.answers = {c.answer};
    Click("suiButtonStop");
    const std::string label = c.answer ? "'" + *c.answer + "'" : "cancel";
    if (c.message != nullptr) {
      EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message}) << label;
      EXPECT_TRUE(port_.written.empty()) << label;
      EXPECT_EQ(window.PendingCommand(), 9) << label;
    } else if (c.sentByte < 0) {
      EXPECT_TRUE(prompts_.messages.empty()) << label;
      EXPECT_TRUE(port_.written.empty()) << label;
    } else {
      EXPECT_TRUE(prompts_.messages.empty()) << label;
      ASSERT_EQ(port_.written.size(), 1u) << label;
      EXPECT_EQ(port_.written[0][4], c.sentByte) << label;
      EXPECT_EQ(window.PendingCommand(), 4) << label;
    }
  }
  // After "1a" was confirmed, the next dialog offered it again.
  EXPECT_EQ(prompts_.inputs[prompts_.inputs.size() - 3].initial, "1a");
}

TEST_F(CommandsTest, FactorySettingsOpenTheFactoryViewAndFillIt) {
  TFrmMain& window = StartWith(false, true, 1);
  ASSERT_TRUE(Find<QPushButton>("suiButtonCjSet")->isVisibleTo(&window));
  EXPECT_FALSE(window.FactoryViewOpen());

  prompts_.answers = {std::string(FactoryPassword)};
  Click("suiButtonCjSet");
  ASSERT_EQ(prompts_.inputs.size(), 1u);
  // Without a prompt of its own the dialog shows the one it was created with.
  EXPECT_EQ(prompts_.inputs[0].prompt, "Please Input Password           ");
  EXPECT_EQ(prompts_.inputs[0].caption, "Heat Exchanger Background Control System");
  ASSERT_EQ(port_.written.size(), 1u);
  EXPECT_EQ(port_.written[0], Hex("7E 01 11 45 AA FF 0D"));
  EXPECT_TRUE(window.FactoryViewOpen());
  EXPECT_EQ(Find<QWidget>("suiMemoText")->geometry(), QRect(4, 346, 556, 128));

  port_.Inject(FactoryReply);
  const char* expected[] = {"15", "25", "-5", "5", "30"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Caption(("suiEdit" + std::to_string(11 + i)).c_str()), expected[i]);
  }
  EXPECT_EQ(MemoLines().back(), "*************************************");
  EXPECT_EQ(Caption("suiEdit1"), "－－");  // the real-time boxes are untouched

  // Switching away closes the view, switching back reopens it without a question.
  auto* selector = Find<RadioGroup>("RadioGroupType");
  selector->Button(0)->click();
  EXPECT_FALSE(window.FactoryViewOpen());
  EXPECT_FALSE(Find<QPushButton>("suiButtonCjSet")->isVisibleTo(&window));
  selector->Button(1)->click();
  EXPECT_TRUE(window.FactoryViewOpen());
  EXPECT_EQ(prompts_.inputs.size(), 1u);
  Trigger("Language");
  EXPECT_TRUE(window.FactoryViewOpen());
}

TEST_F(CommandsTest, FactoryViewStaysClosedWhenFactorySettingsAreDisabled) {
  TFrmMain& window = StartWith(true, false);
  prompts_.answers = {std::string(FactoryPassword), std::nullopt};
  Click("suiButtonStop");
  ASSERT_TRUE(window.PasswordAccepted());
  Find<RadioGroup>("RadioGroupType")->Button(1)->click();
  EXPECT_FALSE(Find<QPushButton>("suiButtonCjSet")->isVisibleTo(&window));
  EXPECT_FALSE(window.FactoryViewOpen());
  EXPECT_EQ(Find<QWidget>("suiMemoText")->geometry(), QRect(4, 224, 556, 249));
}

TEST_F(CommandsTest, HeatExchangerStopButtonOpensTheFactoryDialog) {
  TFrmMain& window = StartWith(true, false, 1);
  prompts_.answers = {std::string(FactoryPassword)};
  Click("suiButtonStop");
  ASSERT_EQ(prompts_.inputs.size(), 1u);
  EXPECT_EQ(prompts_.inputs[0].prompt, "Please Input Password:      ");
  EXPECT_EQ(launcher_.calls, std::vector<std::string>{"SetRjh"});
  EXPECT_TRUE(window.FactoryViewOpen());
  EXPECT_TRUE(port_.written.empty());
}

TEST_F(CommandsTest, PeriodicModeSendsFromTheTimerOnly) {
  TFrmMain& window = StartWith(false, false);
  auto* timer = Find<QTimer>("Timer1");
  auto* interval = Find<QSpinBox>("suiSpinEditTime");

  Click("suiCheckBoxTimer");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 5000);
  EXPECT_TRUE(interval->isEnabled());
  EXPECT_TRUE(Find<QLabel>("LabelTime")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("suiButtonSearch")->isEnabled());
  EXPECT_EQ(Panel(2), "Periodical Report");
  EXPECT_TRUE(port_.written.empty());  // nothing at once

  interval->setValue(2000);
  EXPECT_EQ(timer->interval(), 2000);
  EXPECT_TRUE(timer->isActive());
  window.Timer1Timer();
  window.Timer1Timer();
  ASSERT_EQ(port_.written.size(), 2u);
  EXPECT_EQ(port_.written[1], RealTimeRequest);

  Click("suiCheckBoxTimer");
  EXPECT_FALSE(timer->isActive());
  EXPECT_FALSE(interval->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("suiButtonSearch")->isEnabled());
  EXPECT_EQ(Panel(2), "Manual");

  // The timer really fires on the event loop.
  Click("suiCheckBoxTimer");
  timer->setInterval(10);
  ClearWritten();
  EXPECT_TRUE(QTest::qWaitFor([this] { return !port_.written.empty(); }, 5000));
}

TEST_F(CommandsTest, ButtonsOpenTheWindowsOfTheSelectedUnit) {
  WriteConfig();
  Start();
  Click("suiButtonSet");
  Click("suiButtonComSet");
  Trigger("About");
  Trigger("NAbout");
  Find<RadioGroup>("RadioGroupType")->Button(1)->click();
  Click("suiButtonSet");
  EXPECT_EQ(launcher_.calls,
            (std::vector<std::string>{"SetKt", "ComSet", "About", "About", "RjhCjSet"}));
}

TEST_F(CommandsTest, HelpOpensTheFileBesideTheProgramOrSaysItIsMissing) {
  TFrmMain& window = StartWith(false, false);
  Trigger("Help");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Help File --'Help.txt' Do Not Exist!"});
  Trigger("Language");
  Trigger("Help");
  EXPECT_EQ(prompts_.messages.back().text, "帮助文件 --'Help.txt'不存在!");
  EXPECT_TRUE(openedHelp_.empty());

  std::ofstream(exeDir_ + "Help.txt") << "help";
  Trigger("Help");
  EXPECT_EQ(openedHelp_, std::vector<std::string>{exeDir_ + "Help.txt"});
  EXPECT_EQ(prompts_.messages.size(), 2u);

  // A bare system without a desktop opener: the box names the file instead of nothing happening.
  helpOpens_ = false;
  Trigger("Help");
  ASSERT_EQ(prompts_.messages.size(), 3u);
  EXPECT_EQ(
      prompts_.messages.back().text,
      "没有可以打开帮助文件的程序（如 xdg-open）。请自行打开帮助文件：" + exeDir_ + "Help.txt");
  Trigger("Language");
  Trigger("Help");
  EXPECT_EQ(prompts_.messages.back().text,
            "No program to open the help file was found (such as xdg-open). Open it yourself: " +
                exeDir_ + "Help.txt");
  (void)window;
}

}  // namespace
}  // namespace climate::testing
