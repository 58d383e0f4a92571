// The window against the simulator: start-up requests, a reply in one-byte pieces, the
// acknowledgements of remote on/off, the log after memo clears, and a unit that goes away and
// comes back while the console polls.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <vector>

#include "console/lamp.hpp"
#include "console_e2e.hpp"

namespace climate::test {
namespace {

constexpr const char* RealTimeHex = "7E011141AEFF0D";
constexpr const char* Closing = "*************************************";

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  return QTest::qWaitFor(done, timeoutMs);
}

TEST(WindowOnSimulator, StartUpSendsThreeRequestsAndShowsTheirReplies) {
  ConsoleOnSimulator console({});
  EXPECT_TRUE(console.Prompts().messages.empty());
  ASSERT_TRUE(WaitUntil([&] { return console.Window().Counters().realTime >= 3; }));
  EXPECT_EQ(console.Requests(), (std::vector<std::string>{RealTimeHex, RealTimeHex, RealTimeHex}));
  EXPECT_EQ(console.MemoCount(Closing), 3);
  EXPECT_NE(console.Find<QLineEdit>("suiEdit1")->text().toStdString(), "－－");
  EXPECT_EQ(console.Find<QLabel>("StatusPanel0")->text().toStdString(), "Using Serial Port COM1");
}

TEST(WindowOnSimulator, ReplyInOneBytePiecesIsShownOnce) {
  ConsoleOnSimulator console({"--fragment", "1", "--noise"});
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  console.Find<QAbstractButton>("suiButtonSearch")->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 4; }));
  // The second receive backstop comes a whole stale period after the reply: a stray second copy
  // has been shown and a stale partial frame given up by then.
  ASSERT_TRUE(WaitForTicks(window, "TimerRsv", 2));
  EXPECT_EQ(window.Counters().realTime, 4u);
  EXPECT_EQ(window.Counters().frames, 4u);
  EXPECT_EQ(console.MemoCount(Closing), 4);
  EXPECT_EQ(window.Counters().checksumErrors, 0u);
}

TEST(WindowOnSimulator, AcknowledgementsNameTheRemoteCommand) {
  ConsoleOnSimulator console({});
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  auto* remote = console.Find<QAbstractButton>("suiButtonOpen");
  remote->click();  // the unit runs: remote off
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().acknowledgements >= 1; }));
  EXPECT_EQ(window.PendingCommand(), 3);
  EXPECT_EQ(console.MemoLines().back(), "Remote off commad return success!");

  console.Find<QAbstractButton>("suiButtonSearch")->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 4; }));
  EXPECT_FALSE(window.UnitRunning());
  EXPECT_EQ(remote->text().toStdString(), "Remote On (&O)");
  remote->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().acknowledgements >= 2; }));
  EXPECT_EQ(console.MemoLines().back(), "Remote on commad return success!");
  const std::vector<std::string> requests = console.Requests();
  ASSERT_GE(requests.size(), 6u);
  EXPECT_EQ(requests[3], "7E012243FF9CFE0D");
  EXPECT_EQ(requests[5], "7E012243009BFF0D");
}

TEST(WindowOnSimulator, RefusedCommandIsReportedAsSuch) {
  ConsoleOnSimulator console({"--nak"});
  TFrmMain& window = console.Window();
  console.Find<QAbstractButton>("suiButtonOpen")->click();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().acknowledgements >= 4; }));
  EXPECT_EQ(console.MemoLines().back(), "Remote off commad return error,please try again!");
}

TEST(WindowOnSimulator, LogFileHoldsEveryLineAcrossMemoClears) {
  ConsoleOnSimulator console({"--corrupt-every", "3"},
                             [](IniFile& ini) { ini.WriteInteger("UserSet", "MaxLine", 40); });
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().frames >= 3; }));
  console.Find<QAction>("Log")->trigger();
  const auto before = window.Counters();
  constexpr int Replies = 7;
  for (int i = 0; i < Replies; ++i) {
    const std::uint64_t frames = window.Counters().frames;
    console.Find<QAbstractButton>("suiButtonSearch")->click();
    ASSERT_TRUE(WaitUntil([&] { return window.Counters().frames > frames; }));
  }
  console.Find<QAction>("Stop")->trigger();
  const auto after = window.Counters();
  ASSERT_GT(after.memoClears, before.memoClears);
  ASSERT_GT(after.checksumErrors, before.checksumErrors);

  const std::vector<std::string> lines = ReadLines(window.Log().Path());
  int receptions = 0;
  int closings = 0;
  int errors = 0;
  for (std::string line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    receptions += line.rfind("Receive Time----", 0) == 0 ? 1 : 0;
    closings += line == Closing ? 1 : 0;
    errors += line == "Device return error,you can try again!" ? 1 : 0;
  }
  EXPECT_EQ(receptions, Replies);
  EXPECT_EQ(closings, static_cast<int>(after.realTime - before.realTime));
  EXPECT_EQ(errors, static_cast<int>(after.checksumErrors - before.checksumErrors));
  EXPECT_EQ(lines.size(), static_cast<std::size_t>(Replies + 30 * closings + errors));
}

TEST(WindowOnSimulator, UnitThatGoesAwayIsShownLostAndPickedUpAgain) {
  ConsoleOnSimulator console({}, [](IniFile& ini) {
    ini.WriteInteger("UserSet", "Check", 1);
    ini.WriteInteger("UserSet", "Timer", 2000);
  });
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  auto* lamp = console.Find<Lamp>("ShapeComLed");
  auto* panel = console.Find<QLabel>("StatusPanel0");

  console.StopSim();
  ASSERT_TRUE(WaitUntil([&] { return lamp->Colour() == Lamp::Maroon; }, 3000));
  EXPECT_EQ(panel->text().toStdString(), "Serial Port COM1 Lost");
  ASSERT_TRUE(WaitForTicks(window, "Timer1", 1));  // a periodic request with the unit absent
  EXPECT_TRUE(console.Prompts().messages.empty());

  console.RestartSim();
  const std::uint64_t shown = window.Counters().realTime;
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime > shown; }, 6000));
  EXPECT_EQ(lamp->Colour(), Lamp::Lime);
  EXPECT_EQ(panel->text().toStdString(), "Using Serial Port COM1");
  EXPECT_TRUE(console.Prompts().messages.empty());
}

// A unit that never answers, as a port open on nothing does: after three polling periods the
// status and alarm lamps turn grey with the value boxes and the drawn status panel carries the
// silence mark, while the port lamp and the status texts stay; the first reply ends it. The
// window's clock is a fake one moved by hand, the period long enough not to poll meanwhile.
TEST(WindowOnSimulator, SilentUnitIsShownSilentAfterThreePeriodsUntilItsFirstReply) {
  FakeClock clock;
  clock.Set(LocalDateTime{2026, 12, 10, 9, 0, 0, 4});
  ConsoleOnSimulator console(
      {"--silent"},
      [](IniFile& ini) {
        ini.WriteInteger("UserSet", "Check", 1);
        ini.WriteInteger("UserSet", "Timer", 30000);
      },
      &clock);
  TFrmMain& window = console.Window();
  auto* panel = console.Find<QLabel>("StatusPanel4");
  std::vector<Lamp*> lamps;
  for (int i = 1; i <= 19; ++i) {
    lamps.push_back(console.Find<Lamp>(("Shape" + std::to_string(i)).c_str()));
  }
  const auto drawn = [](Lamp* lamp) {
    return lamp->grab().toImage().pixelColor(lamp->width() / 2, lamp->height() / 2);
  };
  const auto allDrawn = [&](const std::function<bool(Lamp*, const QColor&)>& check) {
    return std::all_of(lamps.begin(), lamps.end(),
                       [&](Lamp* lamp) { return check(lamp, drawn(lamp)); });
  };
  // The start-up requests reach the unit, which stays silent.
  ASSERT_TRUE(WaitUntil([&] { return console.Requests().size() >= 3; }));
  ASSERT_TRUE(WaitForTicks(window, "TimerRsv", 1));
  EXPECT_EQ(window.Counters().frames, 0u);

  clock.AdvanceMs(3 * 30000);
  window.Timer3Timer();
  EXPECT_FALSE(window.ValuesStale());
  EXPECT_TRUE(panel->toolTip().isEmpty());
  EXPECT_TRUE(allDrawn([](Lamp*, const QColor& colour) { return colour != Lamp::StaleGrey; }));

  clock.AdvanceMs(1000);
  window.Timer3Timer();
  ASSERT_TRUE(window.ValuesStale());
  EXPECT_TRUE(allDrawn([](Lamp*, const QColor& colour) { return colour == Lamp::StaleGrey; }));
  EXPECT_EQ(panel->toolTip().toStdString(),
            "The unit has not answered for 00:01:31; requests unanswered: 3");
  EXPECT_EQ(console.Find<Lamp>("ShapeComLed")->Colour(), Lamp::Lime);
  EXPECT_EQ(console.Find<QLabel>("StatusPanel0")->text().toStdString(), "Using Serial Port COM1");

  // The unit comes back answering; the next poll opens the line again and is answered.
  console.StopSim();
  ASSERT_TRUE(
      WaitUntil([&] { return console.Find<Lamp>("ShapeComLed")->Colour() == Lamp::Maroon; }));
  console.RestartSim();
  EXPECT_TRUE(window.ValuesStale());
  window.Timer1Timer();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 1; }));
  EXPECT_FALSE(window.ValuesStale());
  EXPECT_TRUE(allDrawn([](Lamp* lamp, const QColor& colour) { return colour == lamp->Colour(); }));
  EXPECT_TRUE(panel->toolTip().isEmpty());
}

}  // namespace
}  // namespace climate::test
