// The feed as the main window drives it: frames through the real receive path into the model,
// and what the Monitor then knows, records and answers.
#include "monitor/monitor_model.hpp"

#include <gtest/gtest.h>

#include "app/config/ini_file.hpp"
#include "monitor_test_support.hpp"
#include "protocol/receive.hpp"

namespace climate {
namespace {

class MonitorFeed : public ::testing::Test {
 protected:
  MonitorFeed() : model_(clock_, folder_.Path("records")) {
    clock_.Set(test::At(2024, 5, 1, 10, 0, 0));
    model_.SetListener([this](unsigned changes) { changes_ |= changes; });
  }

  // What TFrmMain::ShowReply does with a frame, plus the Monitor call.
  std::vector<std::string> Receive(const Bytes& frame, DeviceKind kind = DeviceKind::AirConditioner,
                                   Language language = Language::English) {
    ReceiveContext context;
    context.protocol = &protocol_;
    context.kind = kind;
    context.language = language;
    context.pendingCommand = pendingCommand_;
    context.now = clock_.Now();
    const ReceiveOutcome outcome = ProcessReply(frame, context);
    return model_.OnReply(outcome, context);
  }

  void Send(const Bytes& frame) { model_.OnRequestSent(frame, protocol_); }

  void Advance(std::int64_t ms) {
    clock_.AdvanceMs(ms);
    LocalDateTime now = clock_.Now();
    const std::int64_t seconds = now.second + now.minute * 60 + ms / 1000;
    now.second = static_cast<int>(seconds % 60);
    now.minute = static_cast<int>(seconds / 60 % 60);
    clock_.Set(now);
  }

  test::ScratchFolder folder_;
  FakeClock clock_;
  ProtocolSettings protocol_ = DefaultProtocolSettings();
  CommandCode pendingCommand_ = CommandCode::HeatExchangerParameters;
  MonitorModel model_;
  unsigned changes_ = 0;
};

using test::RealTimeRequest;
const Bytes RemoteOffRequest = {0x7E, 0x01, 0x12, 0x45, 0x00, 0xA9, 0xFF, 0x0D};

Bytes AcReply(int indoor, std::uint8_t alarm1 = 0) {
  return test::RealTimeReply(indoor, 30, 60, 220, {32, 0, 5, 0, 55, 0}, 0x1F, alarm1, 0);
}

TEST_F(MonitorFeed, RealTimeRepliesFeedTrendsAlarmsAndTheRecordsWhenSwitchedOn) {
  model_.SetSettings({.record = true});
  Send(RealTimeRequest);
  Advance(150);
  EXPECT_TRUE(Receive(AcReply(25)).empty());
  Advance(1850);
  Send(RealTimeRequest);
  Advance(100);
  Receive(AcReply(26, 0x01));

  EXPECT_EQ(model_.Trends().Size(), 2u);
  EXPECT_EQ(model_.Trends().Points(TrendStore::IndoorTemperature)[1].value, 26.0F);
  // The cooling on point is the one the console derived (dialog sensitivity 10).
  EXPECT_EQ(model_.Trends().SetPointChanges(1)[0].value, 42.0F);
  ASSERT_EQ(model_.Alarms().Entries().size(), 1u);
  EXPECT_EQ(model_.Alarms().Entries()[0].Bit().Name(Language::English), "High temperature alarm");
  EXPECT_EQ(model_.Records().RowsWritten(), 2u);
  EXPECT_EQ(test::CsvLines(folder_.Path("records/2024-05-01.csv")).size(), 3u);
  const LinkFigures link = model_.Link();
  EXPECT_EQ(link.goodReplies, 2u);
  EXPECT_EQ(link.lastLatencyMs, 100);
  EXPECT_EQ(link.medianLatencyMs, 125);
  EXPECT_EQ(changes_ & (TrendChanged | AlarmsChanged | RecordsChanged),
            TrendChanged | AlarmsChanged | RecordsChanged);

  // Switched off: trends go on, the file does not grow.
  model_.SetSettings({.record = false});
  Receive(AcReply(27));
  EXPECT_EQ(model_.Trends().Size(), 3u);
  EXPECT_EQ(model_.Records().RowsWritten(), 2u);
}

TEST_F(MonitorFeed, DamagedAndUnknownFramesAreCountedAndChangeNoValues) {
  Bytes damaged = AcReply(25);
  damaged[3] ^= 0x01;
  Receive(damaged);
  Receive(test::Reply(0x33, {1, 2, 3}));  // no command has this reply length
  Receive(test::RealTimeReply(25, 30, 60, 220, {30, 40, 5, 10, 55, 0}, 0x1F, 0, 0),
          DeviceKind::HeatExchanger);
  const LinkFigures link = model_.Link();
  EXPECT_EQ(link.repliesReceived, 3u);
  EXPECT_EQ(link.checksumErrors, 1u);
  EXPECT_EQ(link.unknownMessages, 1u);
  EXPECT_EQ(link.goodReplies, 1u);
  EXPECT_EQ(model_.Trends().Size(), 1u);
  EXPECT_EQ(model_.Trends().Latest()->kind, DeviceKind::HeatExchanger);
}

TEST_F(MonitorFeed, ParametersRequestAcknowledgedThenConfirmedInTheMemo) {
  // The air conditioner dialog writes its request, then sets PendingCommand 1.
  Send({0x7E, 0x01, 0x77, 0x42, 0x34, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x5F, 0xFE, 0x0D});  // 32 ...
  pendingCommand_ = CommandCode::AirConditionerParameters;
  model_.OnPendingCommand(CommandCode::AirConditionerParameters);
  ASSERT_TRUE(model_.SetPoints().LastSent().has_value());
  EXPECT_EQ(model_.SetPoints().LastSent()->values[0], 32);

  EXPECT_TRUE(Receive(test::Reply(0x11, {0xA5})).empty());  // positive acknowledgement
  EXPECT_EQ(model_.SetPoints().State(), SetPointState::AwaitingReply);
  const auto lines = Receive(AcReply(25), DeviceKind::AirConditioner, Language::Chinese);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "设定值确认:   制冷停止点 已下发 32 ℃, 设备上报 32 ℃, 一致");
  EXPECT_EQ(model_.SetPoints().State(), SetPointState::Confirmed);
}

TEST_F(MonitorFeed, OtherCommandsAreNotTakenForParameters) {
  Send(RemoteOffRequest);
  model_.OnPendingCommand(
      CommandCode::AirConditionerParameters);  // a stray code with a request of another shape
  EXPECT_FALSE(model_.SetPoints().LastSent().has_value());
  Send(RealTimeRequest);
  model_.OnPendingCommand(CommandCode::RemoteOff);
  EXPECT_FALSE(model_.SetPoints().LastSent().has_value());
}

TEST_F(MonitorFeed, ValuesGoStaleAfterSilenceAndComeBackWithTheNextGoodReply) {
  model_.SetPeriodic(true, 2000);
  Send(RealTimeRequest);
  Receive(AcReply(25));
  EXPECT_FALSE(model_.ValuesStale());
  for (int i = 0; i < 3; ++i) {
    Advance(2000);
    Send(RealTimeRequest);  // the unit stays silent
  }
  EXPECT_FALSE(model_.ValuesStale());
  Advance(1);
  EXPECT_TRUE(model_.ValuesStale());
  EXPECT_EQ(model_.Link().requestsUnanswered, 2u);
  Receive(AcReply(25));
  EXPECT_FALSE(model_.ValuesStale());

  // Manual mode: ten seconds after an unanswered real-time request.
  model_.SetPeriodic(false, 2000);
  Advance(60000);
  EXPECT_FALSE(model_.ValuesStale());
  Send(RealTimeRequest);
  Advance(10001);
  EXPECT_TRUE(model_.ValuesStale());
}

// What went wrong on the line is in the history as events, with how long it lasted, and never
// counted as an active alarm.
TEST_F(MonitorFeed, LostLinkAndSilentUnitAreEventsWithTheirReturn) {
  const auto names = [this] {
    std::vector<std::string> list;
    for (const AlarmEntry& entry : model_.Alarms().Entries()) {
      list.emplace_back(entry.Name(Language::English));
    }
    return list;
  };
  model_.SetPeriodic(true, 2000);
  Send(RealTimeRequest);
  Receive(AcReply(25));
  model_.Tick();
  EXPECT_TRUE(names().empty());

  // Three periods without a good reply, and the tick after them, make the unit silent once.
  Advance(6000);
  model_.Tick();
  EXPECT_TRUE(names().empty());
  Advance(1000);
  model_.Tick();
  model_.Tick();
  ASSERT_EQ(names(), (std::vector<std::string>{"Unit silent"}));
  EXPECT_EQ(model_.Alarms().Entries()[0].Name(Language::Chinese), "设备无应答");
  EXPECT_EQ(model_.Alarms().Entries()[0].raisedAt.second, 7);
  EXPECT_EQ(model_.Alarms().ActiveCount(), 0u);
  // A damaged reply is no answer; the first good one is, once.
  Bytes damaged = AcReply(25);
  damaged[4] ^= 0x01;
  Receive(damaged);
  Advance(2000);
  Receive(AcReply(25));
  Receive(AcReply(25));
  ASSERT_EQ(names().size(), 2u);
  EXPECT_EQ(names()[1], "Unit answers again after 00:00:09");

  // The cable is pulled and plugged in again.
  model_.OnLinkLost("Resource error\r\nfake line");
  model_.OnLinkLost("again");  // the same loss, told twice
  Advance(65000);
  model_.OnLinkRestored();
  model_.OnLinkRestored();  // an open without a loss before it
  ASSERT_EQ(names().size(), 4u);
  EXPECT_EQ(names()[2], "Link lost: Resource error\\r\\nfake line");
  EXPECT_EQ(names()[3], "Link back after 00:01:05");
  EXPECT_EQ(model_.Alarms().Entries()[3].Name(Language::Chinese),
            "通信链路恢复, 中断时长 00:01:05");
  EXPECT_EQ(model_.Alarms().ActiveCount(), 0u);
}

TEST_F(MonitorFeed, UnitTypeSwitchEndsThePreviousTypesAlarmsAtTheSwitch) {
  Receive(test::RealTimeReply(25, 30, 60, 220, {32, 0, 5, 0, 55, 0}, 0x0F, 0x81, 0));
  ASSERT_EQ(model_.Alarms().ActiveCount(), 2u);
  Advance(4000);
  model_.OnDeviceSwitch(DeviceKind::AirConditioner);  // no switch: nothing ends
  EXPECT_EQ(model_.Alarms().ActiveCount(), 2u);
  model_.OnDeviceSwitch(DeviceKind::HeatExchanger);
  EXPECT_EQ(model_.Alarms().ActiveCount(), 0u);
  for (const AlarmEntry& entry : model_.Alarms().Entries()) {
    EXPECT_EQ(entry.end, EntryEnd::UnitTypeChanged);
    EXPECT_EQ(entry.clearedAt->second, 4);
  }
  EXPECT_EQ(model_.Alarms().StateChanges().back().end, EntryEnd::UnitTypeChanged);
}

TEST_F(MonitorFeed, KeepsTheLastTwoHundredMemoLines) {
  for (int i = 0; i < 250; ++i) model_.OnMemoLine("line " + std::to_string(i));
  ASSERT_EQ(model_.MemoLines().size(), 200u);
  EXPECT_EQ(model_.MemoLines().front(), "line 50");
  EXPECT_EQ(model_.MemoLines().back(), "line 249");
}

TEST_F(MonitorFeed, RecordsThatCouldNotBeWrittenAreRetriedOnTheTick) {
  model_.SetSettings({.record = true});
  { std::ofstream(folder_.Path("records")) << "in the way"; }
  Receive(AcReply(25));
  EXPECT_EQ(model_.Records().PendingRows(), 1u);
  std::filesystem::remove(folder_.Path("records"));
  model_.Tick();
  EXPECT_EQ(model_.Records().PendingRows(), 0u);
  EXPECT_EQ(model_.Records().RowsWritten(), 1u);
}

TEST(MonitorSettingsFile, ReadsDefaultsWritesTheSectionAndNeverCreatesTheFile) {
  test::ScratchFolder folder;
  const std::string path = folder.Path("UserSet.INI");
  std::string error;
  EXPECT_FALSE(SaveMonitorSettings(path, {.record = true}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(path));

  { std::ofstream(path, std::ios::binary) << "[UserSet]\r\nMaxLine=300\r\n"; }
  EXPECT_FALSE(LoadMonitorSettings(IniFile::Load(path)).record);
  EXPECT_EQ(LoadMonitorSettings(IniFile::Load(path)).trendRange, TrendRange::LastHour);
  EXPECT_TRUE(
      SaveMonitorSettings(path, {.record = true, .trendRange = TrendRange::WholeRun}, error));
  const IniFile saved = IniFile::Load(path);
  EXPECT_EQ(saved.ReadInteger("UserSet", "MaxLine", 0), 300);
  EXPECT_EQ(saved.ReadInteger("Monitor", "Record", -1), 1);
  const MonitorSettings loaded = LoadMonitorSettings(saved);
  EXPECT_TRUE(loaded.record);
  EXPECT_EQ(loaded.trendRange, TrendRange::WholeRun);

  // Site and cabinet are absent until given, and follow the other keys once they are.
  EXPECT_FALSE(loaded.site.has_value());
  EXPECT_EQ(saved.Keys("Monitor"), (std::vector<std::string>{"Record", "TrendRange"}));
  MonitorSettings named = loaded;
  named.site = "北区 7";
  named.cabinet = "";
  EXPECT_TRUE(SaveMonitorSettings(path, named, error));
  const IniFile withSite = IniFile::Load(path);
  EXPECT_EQ(withSite.Keys("Monitor"),
            (std::vector<std::string>{"Record", "TrendRange", "Site", "Cabinet"}));
  EXPECT_NE(test::ReadFile(path).find("\xB1\xB1\xC7\xF8 7"), std::string::npos);  // GBK
  EXPECT_EQ(LoadMonitorSettings(withSite).site, "北区 7");
  EXPECT_EQ(LoadMonitorSettings(withSite).cabinet, "");
  EXPECT_TRUE(LoadMonitorSettings(withSite).SiteGiven());

  IniFile odd = IniFile::Parse("[Monitor]\r\nTrendRange=7\r\nRecord=x\r\n");
  EXPECT_EQ(LoadMonitorSettings(odd).trendRange, TrendRange::LastHour);
  EXPECT_FALSE(LoadMonitorSettings(odd).record);
}

}  // namespace
}  // namespace climate
