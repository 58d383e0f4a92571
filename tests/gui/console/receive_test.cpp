// Replies on their way to the screen and the log: pieces and bundles of frames, checksum errors,
// the memo's line limit, acknowledgements, the log file across memo clears, and the clock.
#include <QLabel>
#include <QPlainTextEdit>

#include "app/config/gbk.hpp"
#include "console_fixture.hpp"
#include "dialogs/parameter_model.hpp"

namespace climate::testing {
namespace {

constexpr const char* Closing = "*************************************";

class ReceiveTest : public ConsoleTest {
 protected:
  TFrmMain& StartEnglish(int maxLine = 300, bool isShow = false) {
    WriteConfig([&](IniFile& ini) {
      ini.WriteString("UserSet", "Language", "中文(&L)");
      ini.WriteInteger("UserSet", "MaxLine", maxLine);
      ini.WriteInteger("Debug", "IsShow", isShow ? 1 : 0);
    });
    return Start();
  }
  int Count(const std::string& line) const {
    int count = 0;
    for (const std::string& l : MemoLines()) count += l == line ? 1 : 0;
    return count;
  }
  std::vector<std::string> LogLines(const TFrmMain& window) const {
    const std::string bytes = ReadFile(window.Log().Path());
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(GbkToUtf8(bytes.substr(start, end - start)));
    }
    EXPECT_EQ(start, bytes.size()) << "the file ends with a complete line";
    return lines;
  }
};

TEST_F(ReceiveTest, AirConditionerReplyFillsBoxesLampsAndMemo) {
  TFrmMain& window = StartEnglish();
  port_.Inject(AcReply);
  const char* values[] = {"25", "60", "32", "30", "220", "42", "5", "55", "15", "0"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Caption(("suiEdit" + std::to_string(i + 1)).c_str()), values[i]) << i + 1;
  }
  const std::vector<std::string> lines = MemoLines();
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[0], "Receive Time----2011-03-05 09:05:07");
  EXPECT_EQ(lines[1], "Indoor Temperature:   25 ℃");
  EXPECT_EQ(lines.back(), Closing);
  for (int i = 1; i <= 19; ++i) {
    EXPECT_EQ(LampColour(("Shape" + std::to_string(i)).c_str()), Lamp::Green) << i;
  }
  EXPECT_TRUE(window.UnitRunning());
  EXPECT_EQ(Caption("suiButtonOpen"), "Remote Off (&L)");

  // The derived set points follow the parameter dialog's sensitivities at once.
  window.KtParameters().SetText(1, " 5 ");
  window.KtParameters().SetText(3, "2");
  port_.Inject(AcReply);
  EXPECT_EQ(Caption("suiEdit6"), "37");
  EXPECT_EQ(Caption("suiEdit9"), "7");

  port_.Inject(RealTimeReply(0x00, 0xFF, 0x3F));
  EXPECT_EQ(LampColour("Shape1"), Lamp::Red);
  EXPECT_EQ(LampColour("Shape19"), Lamp::Red);
  EXPECT_FALSE(window.UnitRunning());
  EXPECT_EQ(Caption("suiButtonOpen"), "Remote On (&O)");
}

TEST_F(ReceiveTest, ReplyInPiecesIsShownOnceAndBundledRepliesEachOnce) {
  TFrmMain& window = StartEnglish();
  port_.Inject({AcReply.begin(), AcReply.begin() + 5});
  clock_.AdvanceMs(40);
  port_.Inject({AcReply.begin() + 5, AcReply.begin() + 12});
  window.TimerRsvTimer();
  EXPECT_EQ(window.Counters().frames, 0u);
  clock_.AdvanceMs(40);
  port_.Inject({AcReply.begin() + 12, AcReply.end()});
  EXPECT_EQ(window.Counters().realTime, 1u);
  EXPECT_EQ(Count(Closing), 1);

  // Two replies and an acknowledgement in one read, with noise in front.
  std::vector<std::uint8_t> bundle = {0x00, 0x13, 0x7E};
  bundle.insert(bundle.end(), AcReply.begin(), AcReply.end());
  const auto ack = Ack(0xA5);
  bundle.insert(bundle.end(), ack.begin(), ack.end());
  bundle.insert(bundle.end(), AcReply.begin(), AcReply.end());
  port_.Inject(bundle);
  EXPECT_EQ(window.Counters().realTime, 3u);
  EXPECT_EQ(window.Counters().acknowledgements, 1u);
  EXPECT_EQ(Count(Closing), 3);
  EXPECT_EQ(Count("Heat exchanger parameter setting return success!"), 1);

  // A partial frame that never completes is given up by the backstop, not held for ever.
  port_.Inject({AcReply.begin(), AcReply.begin() + 8});
  clock_.AdvanceMs(1000);
  window.TimerRsvTimer();
  EXPECT_EQ(window.Framer().Buffered(), 0u);
  port_.Inject(AcReply);
  EXPECT_EQ(window.Counters().realTime, 4u);
}

TEST_F(ReceiveTest, ChecksumErrorKeepsTheShownValues) {
  TFrmMain& window = StartEnglish();
  port_.Inject(AcReply);
  std::vector<std::uint8_t> damaged = RealTimeReply(0x00, 0xFF);
  damaged[16] ^= 0x01;
  port_.Inject(damaged);
  EXPECT_EQ(window.Counters().checksumErrors, 1u);
  EXPECT_EQ(MemoLines().back(), "Device return error,you can try again!");
  EXPECT_EQ(LampColour("Shape1"), Lamp::Green);
  EXPECT_TRUE(window.UnitRunning());
}

TEST_F(ReceiveTest, DebugEchoShowsTheFrameInHex) {
  StartEnglish(300, true);
  port_.Inject(Ack(0x42));
  const std::vector<std::string> lines = MemoLines();
  ASSERT_EQ(lines.size(), 2u);  // an unrecognised code: only the reception shows
  EXPECT_EQ(lines[1],
            "7E0111420000"
            "0D");
}

TEST_F(ReceiveTest, FullMemoIsClearedBeforeTheNextReply) {
  TFrmMain& window = StartEnglish(40);
  port_.Inject(AcReply);  // 31 lines
  port_.Inject(AcReply);  // 62 lines: the limit is checked before this reply
  EXPECT_EQ(MemoLines().size(), 62u);
  port_.Inject(AcReply);
  const std::vector<std::string> lines = MemoLines();
  ASSERT_EQ(lines.size(), 30u);  // its reception line went with the rest
  EXPECT_EQ(lines[0], "Indoor Temperature:   25 ℃");
  EXPECT_EQ(window.Counters().memoClears, 1u);
}

TEST_F(ReceiveTest, AcknowledgementsNameThePendingCommand) {
  TFrmMain& window = StartEnglish();
  port_.Inject(Ack(0xA5));
  EXPECT_EQ(MemoLines().back(), "Heat exchanger parameter setting return success!");
  window.SetPendingCommand(CommandCode::HeatExchangerFactory);
  port_.Inject(Ack(0xFF));
  EXPECT_EQ(MemoLines().back(),
            "Heat exchanger factory parameter setting setting commad return error,please try "
            "again!");
  // Factory replies are unknown messages while the air conditioner is selected.
  port_.Inject(FactoryReply);
  EXPECT_EQ(MemoLines().back(), "Receive Device Unknow Messge：7E0155232D0F191E15FF0D");
  EXPECT_EQ(Caption("suiEdit11"), "－－");
}

TEST_F(ReceiveTest, LogFileKeepsEveryLineAcrossClearsAndRestarts) {
  TFrmMain& window = StartEnglish(40);
  port_.Inject(AcReply);  // before logging: not in the file

  Trigger("Log");
  EXPECT_TRUE(window.LoggingOn());
  EXPECT_EQ(window.LogStartLine(), 31);
  EXPECT_FALSE(Find<QAction>("Log")->isEnabled());
  EXPECT_TRUE(Find<QAction>("Stop")->isEnabled());
  EXPECT_TRUE(Find<QAction>("Stop")->isChecked());

  std::vector<std::string> expected;

  clock_.Set(LocalDateTime{2011, 3, 5, 14, 7, 9, 6});
  port_.Inject(AcReply);  // 31 + 31 lines
  std::vector<std::string> memo = MemoLines();
  expected.insert(expected.end(), memo.begin() + 31, memo.end());
  EXPECT_EQ(window.Log().FileName(), "2011-03-05 14-07-09.txt");
  EXPECT_EQ(LogLines(window), expected);

  port_.Inject(AcReply);  // the line limit clears the memo first
  memo = MemoLines();
  ASSERT_EQ(memo.size(), 30u);
  expected.push_back("Receive Time----2011-03-05 14:07:09");
  expected.insert(expected.end(), memo.begin(), memo.end());
  EXPECT_EQ(LogLines(window), expected);

  Trigger("Clear");
  EXPECT_TRUE(MemoLines().empty());
  EXPECT_EQ(LogLines(window), expected);  // clearing the memo takes nothing from the file

  // A damaged reply does not run the log step; its lines follow with the next good reply.
  std::vector<std::uint8_t> damaged = AcReply;
  damaged[16] ^= 0x01;
  port_.Inject(damaged);
  EXPECT_EQ(LogLines(window), expected);
  Trigger("Language");  // Chinese from now on; the switch clears the memo
  port_.Inject(Ack(0xA5));
  expected.push_back("Receive Time----2011-03-05 14:07:09");
  expected.push_back("Device return error,you can try again!");
  expected.push_back("Receive Time----2011-03-05 14:07:09");
  expected.push_back("热交换器参数设置命令下发成功!");
  EXPECT_EQ(LogLines(window), expected);

  Trigger("Stop");
  EXPECT_FALSE(window.LoggingOn());
  port_.Inject(Ack(0xA5));  // not logged
  clock_.Set(LocalDateTime{2011, 3, 5, 15, 0, 0, 6});
  Trigger("Log");
  port_.Inject(Ack(0xFF));
  expected.push_back("Receive Time----2011-03-05 15:00:00");
  expected.push_back("热交换器参数设置命令下发失败,请重新下发!");
  EXPECT_EQ(window.Log().FileName(), "2011-03-05 14-07-09.txt");  // one file per run
  EXPECT_EQ(LogLines(window), expected);
  // Chinese lines are GBK on disk.
  EXPECT_NE(ReadFile(window.Log().Path()).find(Utf8ToGbk("热交换器参数设置命令下发失败")),
            std::string::npos);
}

TEST_F(ReceiveTest, LogWriteThatFailsIsRetriedWithoutLosingLines) {
  TFrmMain& window = StartEnglish();
  std::filesystem::remove_all(logDir_);
  Trigger("Log");
  port_.Inject(Ack(0xA5));
  EXPECT_EQ(window.Log().PendingLines(), 2u);
  std::filesystem::create_directory(logDir_);
  port_.Inject(Ack(0xA5));
  EXPECT_EQ(window.Log().PendingLines(), 0u);
  EXPECT_EQ(LogLines(window).size(), 4u);
}

TEST_F(ReceiveTest, TypedLinesReachTheLogOnceAndInMemoOrder) {
  TFrmMain& window = StartEnglish(34);
  auto* edit = Find<QPlainTextEdit>("suiMemoText");
  auto type = [&](const char* text) {
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, text);
  };
  const std::vector<std::string> ack = {"Receive Time----2011-03-05 09:05:07",
                                        "Heat exchanger parameter setting return success!"};
  std::vector<std::string> expected;
  auto expect = [&](const std::vector<std::string>& part) {
    expected.insert(expected.end(), part.begin(), part.end());
  };

  type("before logging");  // in the memo before the log start: never logged
  Trigger("Log");
  port_.Inject(Ack(0xA5));
  type("operator note");
  port_.Inject(Ack(0xA5));
  expect(ack);
  expect({"operator note"});
  expect(ack);
  EXPECT_EQ(LogLines(window), expected);

  // Typed after the last log step, then cleared: the clear hands it over first.
  type("cleared note");
  Trigger("Clear");
  port_.Inject(Ack(0xA5));
  expect({"cleared note"});
  expect(ack);
  EXPECT_EQ(LogLines(window), expected);

  // A line typed just before the line limit clears the memo, and one still open at the stop.
  port_.Inject(AcReply);
  std::vector<std::string> memo = MemoLines();
  ASSERT_EQ(memo.size(), 33u);
  expect(std::vector<std::string>(memo.begin() + 2, memo.end()));
  type("half a no");
  port_.Inject(AcReply);  // the limit clears the memo before this reply's lines
  memo = MemoLines();
  ASSERT_EQ(memo.size(), 30u);
  expect({"half a no", "Receive Time----2011-03-05 09:05:07"});
  expect(memo);
  EXPECT_EQ(LogLines(window), expected);
  type("last words");
  Trigger("Stop");
  expect({"last words"});
  EXPECT_EQ(LogLines(window), expected);
}

TEST_F(ReceiveTest, UnwritableLogIsShownAndACloseThatCannotWriteSaysSo) {
  TFrmMain& window = StartEnglish();
  auto* indicator = Find<QLabel>("StatusPanel1");
  const QString panelText = indicator->text();
  std::filesystem::remove_all(logDir_);
  Trigger("Log");
  port_.Inject(Ack(0xA5));
  port_.Inject(Ack(0xA5));
  EXPECT_TRUE(window.Log().Failing());
  EXPECT_FALSE(indicator->pixmap().isNull());
  EXPECT_NE(indicator->toolTip().toStdString().find("cannot be written: 4 lines waiting"),
            std::string::npos)
      << indicator->toolTip().toStdString();
  EXPECT_EQ(Find<QAction>("Stop")->toolTip(), indicator->toolTip());
  EXPECT_EQ(indicator->text(), panelText);
  EXPECT_TRUE(prompts_.messages.empty()) << "no box per reply";

  std::filesystem::create_directory(logDir_);
  port_.Inject(Ack(0xA5));
  EXPECT_EQ(LogLines(window).size(), 6u);
  EXPECT_TRUE(indicator->pixmap().isNull());
  EXPECT_TRUE(indicator->toolTip().isEmpty());

  std::filesystem::remove_all(logDir_);
  port_.Inject(Ack(0xA5));
  window.close();
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "The log file " + window.Log().Path() +
                                           " could not be written: 2 lines were not logged!");
}

TEST_F(ReceiveTest, ClockAndTrayTextsFollowTheLanguage) {
  TFrmMain& window = StartEnglish();
  window.Timer3Timer();
  EXPECT_EQ(Panel(5), "9:5:7  ");
  EXPECT_EQ(Panel(3), "2011-3-5  Saturday");
  window.Timer2Timer();
  const std::string english = window.TrayToolTip();
  EXPECT_EQ(english.rfind("Monitoring System Running!Free Memory ", 0), 0u) << english;
  EXPECT_EQ(english.substr(english.size() - 2), " K");

  Trigger("Language");
  window.Timer3Timer();
  EXPECT_EQ(Panel(5), "9时5分7秒  ");
  EXPECT_EQ(Panel(3), "2011-3-5星期六");
  window.Timer2Timer();
  const std::string chinese = window.TrayToolTip();
  EXPECT_EQ(chinese.substr(0, 31), std::string(30, ' ') + chinese[30]);
  EXPECT_NE(chinese[30], ' ');
}

TEST_F(ReceiveTest, TypingStopsAtTwoThousandCharacters) {
  StartEnglish();
  auto* memo = Find<QPlainTextEdit>("suiMemoText");
  QTest::keyClicks(memo, "note");
  EXPECT_TRUE(memo->toPlainText().endsWith("note"));
  for (int i = 0; i < 4; ++i) port_.Inject(AcReply);  // well over 2000 characters
  const QString full = memo->toPlainText();
  ASSERT_GT(full.size(), 2000);
  QTest::keyClicks(memo, "more");
  EXPECT_EQ(memo->toPlainText(), full);
}

}  // namespace
}  // namespace climate::testing
