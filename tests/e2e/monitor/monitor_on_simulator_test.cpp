// The Monitor fed by a main window on a real serial port, with climate-sim on the other end:
// alarms raised by the unit and told apart from its running states, a unit type switch, lost
// links and silence as events, recorded rows for good replies only, grey values while the unit
// says nothing, and a service report that a PDF reader can render and read.
#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>

#include "../console/console_e2e.hpp"
#include "console/radio_group.hpp"
#include "monitor/alarm_table_model.hpp"
#include "monitor/monitor_window.hpp"

namespace climate::test {
namespace {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  return QTest::qWaitFor(done, timeoutMs);
}

constexpr int PeriodMs = 2000;

void Periodic(IniFile& ini) {
  ini.WriteInteger("UserSet", "Check", 1);
  ini.WriteInteger("UserSet", "Timer", PeriodMs);
}

// Data rows of every CSV file in the records folder (each file starts with its header row).
std::size_t RecordedRows(const std::string& directory) {
  std::size_t rows = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    if (entry.path().extension() != ".csv") continue;
    std::ifstream file(entry.path());
    std::string line;
    bool header = true;
    while (std::getline(file, line)) {
      if (header) {
        header = false;
        continue;
      }
      if (!line.empty()) ++rows;
    }
  }
  return rows;
}

// Asks for real-time data n times, each time waiting for the unit's answer, good or damaged.
void AskTimes(ConsoleOnSimulator& console, int n) {
  TFrmMain& window = console.Window();
  for (int i = 0; i < n; ++i) {
    const std::uint64_t frames = window.Counters().frames;
    console.Find<QAbstractButton>("suiButtonSearch")->click();
    ASSERT_TRUE(WaitUntil([&] { return window.Counters().frames > frames; }));
  }
}

TEST(MonitorOnSimulator, ForcedAlarmAppearsInTheHistory) {
  ConsoleOnSimulator console({"--alarm", "high-temp"});
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 1; }));
  const AlarmTracker& alarms = window.Monitor().Alarms();
  ASSERT_FALSE(alarms.Entries().empty());
  bool highTemperature = false;
  for (const AlarmEntry& entry : alarms.Entries()) {
    EXPECT_TRUE(entry.Active());
    EXPECT_FALSE(entry.Acknowledged());
    highTemperature |= entry.Bit().byteIndex == 1 && entry.Bit().bit == 0;
  }
  EXPECT_TRUE(highTemperature);

  // Later replies with the same alarm do not add entries (the lost link of the restart below is
  // an event of its own).
  const auto alarmEntries = [&] {
    return std::count_if(alarms.Entries().begin(), alarms.Entries().end(),
                         [](const AlarmEntry& entry) { return !entry.IsEvent(); });
  };
  const auto entries = alarmEntries();
  AskTimes(console, 2);
  EXPECT_EQ(alarmEntries(), entries);

  // The same unit without the alarm: the entry gets its clearing time and stays in the history.
  console.StopSim();
  console.RestartSim();
  const std::uint64_t shown = window.Counters().realTime;
  ASSERT_TRUE(WaitUntil(
      [&] {
        console.Find<QAbstractButton>("suiButtonSearch")->click();
        return QTest::qWaitFor([&] { return window.Counters().realTime > shown; }, 500);
      },
      6000));
  ASSERT_EQ(alarmEntries(), entries);
  for (const AlarmEntry& entry : alarms.Entries()) {
    if (entry.IsEvent()) continue;
    if (entry.Bit().byteIndex != 1 || entry.Bit().bit != 0) continue;  // states the unit keeps
    ASSERT_TRUE(entry.clearedAt.has_value());
    EXPECT_GE(entry.clearedMs, entry.raisedMs);
  }
}

TEST(MonitorOnSimulator, EveryGoodReplyIsOneRecordedRow) {
  ConsoleOnSimulator console({}, [](IniFile& ini) { ini.WriteInteger("Monitor", "Record", 1); });
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  AskTimes(console, 4);
  window.Monitor().Tick();  // writes what is still waiting
  const MonitorModel& monitor = window.Monitor();
  EXPECT_EQ(monitor.Records().PendingRows(), 0u);
  EXPECT_EQ(monitor.Records().RowsWritten(), window.Counters().realTime);
  EXPECT_EQ(RecordedRows(monitor.Records().Directory()), window.Counters().realTime);
}

TEST(MonitorOnSimulator, DamagedRepliesLeaveNoRow) {
  ConsoleOnSimulator console({"--corrupt-every", "2"},
                             [](IniFile& ini) { ini.WriteInteger("Monitor", "Record", 1); });
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().frames >= 3; }));
  AskTimes(console, 4);
  window.Monitor().Tick();
  ASSERT_GT(window.Counters().checksumErrors, 0u);
  ASSERT_GT(window.Counters().realTime, 0u);
  EXPECT_EQ(RecordedRows(window.Monitor().Records().Directory()), window.Counters().realTime);
  EXPECT_EQ(window.Monitor().Link().checksumErrors, window.Counters().checksumErrors);
}

TEST(MonitorOnSimulator, SilentUnitGreysTheValuesUntilItAnswersAgain) {
  // The stale judgement reads the window's clock: three polling periods pass at a word.
  FakeClock clock;
  ConsoleOnSimulator console({"--silent"}, Periodic, &clock);
  TFrmMain& window = console.Window();
  auto* box = console.Find<QLineEdit>("suiEdit1");
  const auto judged = [&] { return WaitForTicks(window, "Timer3", 1); };  // once a second
  clock.AdvanceMs(3 * PeriodMs);
  ASSERT_TRUE(judged());
  EXPECT_FALSE(window.ValuesStale()) << "stale after exactly three periods";
  clock.AdvanceMs(1);
  ASSERT_TRUE(judged());
  EXPECT_TRUE(window.ValuesStale());
  EXPECT_TRUE(box->styleSheet().contains("rgb(128,128,128)"));

  // Back again: the next periodic request reopens the line and its good reply makes the values
  // live.
  console.StopSim();
  console.RestartSim();
  ASSERT_TRUE(WaitUntil([&] { return !window.ValuesStale(); }, 6000));
  EXPECT_GT(window.Counters().realTime, 0u);
  EXPECT_TRUE(box->styleSheet().contains("rgb(0,0,255)"));
}

TEST(MonitorOnSimulator, ServiceReportIsWrittenAndRenders) {
  ConsoleOnSimulator console({"--alarm", "high-temp"});
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  console.Find<QAction>("Monitor")->trigger();
  ASSERT_NE(window.MonitorWin(), nullptr);

  const QString path = QString::fromStdString(console.Dir() + "report.pdf");
  ASSERT_TRUE(window.MonitorWin()->WriteReport(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
  EXPECT_GT(file.size(), 1000);

  // The first page renders to an image, where a reader is installed.
  const QString renderer = QStandardPaths::findExecutable("pdftoppm");
  if (renderer.isEmpty()) GTEST_SKIP() << "pdftoppm not installed";
  const QString image = QString::fromStdString(console.Dir() + "page");
  EXPECT_EQ(QProcess::execute(
                renderer, {"-png", "-r", "40", "-f", "1", "-l", "1", "-singlefile", path, image}),
            0);
  EXPECT_GT(QFile(image + ".png").size(), 0);
}

std::vector<std::string> EventNames(const AlarmTracker& alarms) {
  std::vector<std::string> names;
  for (const AlarmEntry& entry : alarms.Entries()) {
    if (entry.IsEvent()) names.emplace_back(entry.Name(Language::English));
  }
  return names;
}

bool HasEventStarting(const AlarmTracker& alarms, const std::string& start) {
  for (const std::string& name : EventNames(alarms)) {
    if (name.rfind(start, 0) == 0) return true;
  }
  return false;
}

// The text of a PDF as a reader lays it out; empty when no reader is installed.
QString PdfText(const QString& path) {
  const QString reader = QStandardPaths::findExecutable("pdftotext");
  if (reader.isEmpty()) return {};
  QProcess process;
  process.start(reader, {"-layout", path, "-"});
  if (!process.waitForFinished(30000)) return {};
  return QString::fromUtf8(process.readAllStandardOutput());
}

// Three alarms forced on a unit whose heater (and, as the thermostat wants, its compressor) is
// off: three active alarms, and the stopped states in their own plain list.
TEST(MonitorOnSimulator, RunningStatesAreStateChangesAndASwitchEndsThePreviousTypesAlarms) {
  ConsoleOnSimulator console({"--alarm", "high-temp", "--alarm", "sensor", "--alarm", "custom1"});
  TFrmMain& window = console.Window();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 1; }));
  AskTimes(console, 2);
  const AlarmTracker& alarms = window.Monitor().Alarms();
  EXPECT_EQ(alarms.ActiveCount(), 3u);
  for (const AlarmEntry& entry : alarms.Entries()) EXPECT_TRUE(entry.Bit().FaultWhenSet());
  ASSERT_FALSE(alarms.StateChanges().empty()) << "the heater is off at the simulator's start";
  for (const AlarmEntry& entry : alarms.StateChanges()) EXPECT_FALSE(entry.Bit().FaultWhenSet());

  console.Find<QAction>("Monitor")->trigger();
  MonitorWindow* monitor = window.MonitorWin();
  ASSERT_NE(monitor, nullptr);
  monitor->Refresh(AllChanged);
  EXPECT_EQ(monitor->findChild<QLabel*>("AlarmSummary")->text(),
            "Active alarms: 3, unacknowledged: 3");

  // The operator selects the heat exchanger: the air conditioner's alarms end there.
  console.Find<RadioGroup>("RadioGroupType")->Button(1)->click();
  ASSERT_EQ(window.Kind(), DeviceKind::HeatExchanger);
  std::size_t ended = 0;
  for (const AlarmEntry& entry : alarms.Entries()) {
    if (entry.IsEvent() || entry.kind != DeviceKind::AirConditioner) continue;
    EXPECT_FALSE(entry.Active());
    EXPECT_EQ(entry.end, EntryEnd::UnitTypeChanged);
    ++ended;
  }
  EXPECT_EQ(ended, 3u);
  monitor->Refresh(AllChanged);
  const QString cleared =
      AlarmTableModel::CellText(alarms.Entries().front(), AlarmTableModel::ClearedColumn,
                                Language::English, window.Monitor().GetClock().MonotonicMs());
  EXPECT_TRUE(cleared.endsWith(" (ended: unit type changed)")) << cleared.toStdString();
}

// A pulled line, the line back, a unit gone silent and its first answer: events in the history
// and in the report, which also names site, cabinet, the line's device and the unit type.
TEST(MonitorOnSimulator, LostLinkAndSilenceAreEventsInTheHistoryAndTheReport) {
  FakeClock clock;  // the stale judgement reads it: periods pass at a word
  ConsoleOnSimulator console(
      {},
      [](IniFile& ini) {
        Periodic(ini);
        ini.WriteString("Monitor", "Site", "North hub");
        ini.WriteString("Monitor", "Cabinet", "Cabinet 7");
      },
      &clock);
  TFrmMain& window = console.Window();
  const AlarmTracker& alarms = window.Monitor().Alarms();
  ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 1; }));

  console.StopSim();
  ASSERT_TRUE(WaitUntil([&] { return HasEventStarting(alarms, "Link lost"); }));
  console.RestartSim({"--silent"});
  ASSERT_TRUE(WaitUntil([&] { return HasEventStarting(alarms, "Link back after"); }, 8000));

  clock.AdvanceMs(3 * PeriodMs + 1);
  ASSERT_TRUE(WaitUntil([&] { return HasEventStarting(alarms, "Unit silent"); }));
  EXPECT_EQ(alarms.ActiveCount(), 0u) << "events are no alarms";

  console.StopSim();
  console.RestartSim();
  ASSERT_TRUE(
      WaitUntil([&] { return HasEventStarting(alarms, "Unit answers again after"); }, 10000));
  const std::vector<std::string> events = EventNames(alarms);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events[2], "Unit silent");

  console.Find<QAction>("Monitor")->trigger();
  const QString path = QString::fromStdString(console.Dir() + "report.pdf");
  ASSERT_TRUE(window.MonitorWin()->WriteReport(path));
  const QString text = PdfText(path);
  if (text.isEmpty()) GTEST_SKIP() << "pdftotext not installed";
  for (const QString& expected :
       {QString("Site: North hub"), QString("Cabinet: Cabinet 7"),
        QString("Unit type: Air conditioner"),
        QString::fromStdString("(" + console.Dir() + "ttyUSB0)"), QString("Link lost"),
        QString("Link back after"), QString("Unit silent"), QString("Unit answers again after")}) {
    EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
  }
}

}  // namespace
}  // namespace climate::test
