// The unit table without net-snmp: the column table against the MIB file, what a row reads and
// which notifications a run of polls calls for, and how a set request is checked.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "snmp/unit_columns.hpp"
#include "snmp/unit_row.hpp"
#include "snmp/unit_set.hpp"

namespace climate {
namespace {

const ProtocolSettings Protocol = DefaultProtocolSettings();

TEST(UnitColumns, MatchTheMibModuleInNumberNameAndAccess) {
  std::ifstream in(CLIMATE_MIB_FILE);
  std::stringstream text;
  text << in.rdbuf();
  const std::string mib = text.str();
  const std::regex object(
      R"((cc\w+) OBJECT-TYPE\s+SYNTAX[^]*?MAX-ACCESS\s+([\w-]+)[^]*?::= \{ ccUnitEntry (\d+) \})");
  std::size_t found = 0;
  for (std::sregex_iterator it(mib.begin(), mib.end(), object), end; it != end; ++it) {
    const int number = std::stoi((*it)[3]);
    if (number == 1) continue;  // the index
    const UnitColumn* column = FindUnitColumn(number);
    ASSERT_NE(column, nullptr) << "column " << number << " of the MIB is not served";
    EXPECT_EQ(column->name, (*it)[1].str());
    const bool writable = !column->acCommand.empty() || !column->hxCommand.empty();
    EXPECT_EQ((*it)[2].str(), writable ? "read-write" : "read-only") << column->name;
    ++found;
  }
  EXPECT_EQ(found, UnitColumns().size());
}

std::optional<SnmpValue> Read(const UnitRow& row, std::string_view name, std::int64_t now) {
  for (const UnitColumn& column : UnitColumns()) {
    if (column.name == name) return row.Value(column, now);
  }
  ADD_FAILURE() << "no column " << name;
  return std::nullopt;
}

std::vector<RowEventType> Types(const std::vector<RowEvent>& events) {
  std::vector<RowEventType> types;
  for (const RowEvent& event : events) types.push_back(event.type);
  return types;
}

TEST(UnitRow, ReadsTheLatestStateAndRaisesEachNotificationOnce) {
  using enum RowEventType;
  UnitRow row({"north", "cab7", DeviceKind::AirConditioner});
  LinkCounters link;
  // The line cannot be opened at start: said once, not at every poll.
  EXPECT_EQ(Types(row.Update(std::nullopt, 0, link, 1000)), std::vector{LineLost});
  EXPECT_TRUE(row.Update(std::nullopt, 0, link, 2000).empty());
  EXPECT_EQ(Read(row, "ccReadingAge", 2000)->number, -1);
  EXPECT_FALSE(Read(row, "ccIndoorTemperature", 2000));
  EXPECT_EQ(Read(row, "ccUnitSite", 2000)->text, "north");

  UnitReading reading{DeviceKind::AirConditioner, {30, 20, 55, 222, 25, 5, 55, 0}, 0x01, 0x01, 0};
  link.portOpen = true;
  link.polls = link.replies = 1;
  const std::vector<RowEvent> first = row.Update(reading, 3000, link, 3000);
  ASSERT_EQ(Types(first), (std::vector{LineRestored, AlarmRaised}));
  EXPECT_EQ(first[1].alarm, "highTemperatureAlarm");
  EXPECT_EQ(Read(row, "ccIndoorTemperature", 5500)->number, 30);
  EXPECT_EQ(Read(row, "ccCoolingOffPoint", 5500)->number, 25);
  EXPECT_EQ(Read(row, "ccReadingAge", 5500)->number, 2);
  EXPECT_EQ(Read(row, "ccHighTemperatureAlarm", 5500)->number, 1);
  EXPECT_EQ(Read(row, "ccLowTemperatureAlarm", 5500)->number, 2);
  EXPECT_EQ(Read(row, "ccRemoteSwitch", 5500)->number, 1);
  EXPECT_EQ(Read(row, "ccUnitAnswering", 5500)->number, 1);
  // The other unit type's columns, and parameters never acknowledged, have no instance.
  EXPECT_FALSE(Read(row, "ccExternalFanAdjustPoint", 5500));
  EXPECT_FALSE(Read(row, "ccHeatExchangerRunning", 5500));
  EXPECT_FALSE(Read(row, "ccCoolingSensitivity", 5500));
  row.Acknowledged({{30, 10}});
  EXPECT_EQ(Read(row, "ccCoolingSensitivity", 5500)->number, 10);

  // The same reading again (a state published for another reason) raises nothing again; two
  // unanswered polls are not yet silence, the third is.
  EXPECT_TRUE(row.Update(reading, 3000, link, 4000).empty());
  for (int i = 1; i <= 2; ++i) {
    link.polls++;
    link.unanswered++;
    EXPECT_TRUE(row.Update(reading, 3000, link, 4000 + i).empty());
  }
  link.polls++;
  link.unanswered++;
  EXPECT_EQ(Types(row.Update(reading, 3000, link, 5000)), std::vector{UnitSilent});
  EXPECT_EQ(Read(row, "ccUnitAnswering", 5000)->number, 2);
  link.unanswered++;
  EXPECT_TRUE(row.Update(reading, 3000, link, 6000).empty());

  reading.alarm1 = 0;
  link.replies++;
  link.polls = 0x1'0000'0005ull;  // Counter32 shows the low 32 bits
  EXPECT_EQ(Types(row.Update(reading, 7000, link, 7000)),
            (std::vector{AlarmCleared, UnitResponding}));
  EXPECT_EQ(*Read(row, "ccPolls", 7000), (SnmpValue{SnmpValue::Type::Counter, 5, {}}));

  link.portOpen = false;
  EXPECT_EQ(Types(row.Update(reading, 7000, link, 8000)), std::vector{LineLost});
  EXPECT_EQ(Read(row, "ccUnitAnswering", 8000)->number, 2);
}

int Column(std::string_view name) {
  for (const UnitColumn& column : UnitColumns()) {
    if (column.name == name) return column.number;
  }
  return 0;
}

std::vector<SetItem> AcParameters(long long coolingOffPoint) {
  return {{Column("ccCoolingOffPoint"), coolingOffPoint},
          {Column("ccCoolingSensitivity"), 10},
          {Column("ccHeatingOnPoint"), 5},
          {Column("ccHeaterSensitivity"), 10},
          {Column("ccHighTemperatureAlarmPoint"), 55},
          {Column("ccLowTemperatureAlarmPoint"), 0}};
}

TEST(UnitSet, ChecksAsTheCommandReaderDoesAndNamesTheOffendingVarbind) {
  const CommandPolicy ac{DeviceKind::AirConditioner, false};
  // Accepted sets carry the frame the MQTT command of the same meaning carries.
  const SetVerdict off = CheckUnitSet({{Column("ccRemoteSwitch"), 2}}, Protocol, ac);
  ASSERT_EQ(off.refusal, SetRefusal::None) << off.reason;
  EXPECT_EQ(off.command.frame,
            ParseRemoteCommand(R"({"command":"remoteOff"})", Protocol, ac).frame);
  const SetVerdict params = CheckUnitSet(AcParameters(25), Protocol, ac);
  ASSERT_EQ(params.refusal, SetRefusal::None) << params.reason;
  EXPECT_EQ(
      params.command.frame,
      ParseRemoteCommand(R"({"command":"setParameters","values":{"coolingOffPoint":25,)"
                         R"("coolingSensitivity":10,"heatingOnPoint":5,"heaterSensitivity":10,)"
                         R"("highTemperatureAlarmPoint":55,"lowTemperatureAlarmPoint":0}})",
                         Protocol, ac)
          .frame);
  EXPECT_EQ(params.values.size(), 6u);

  struct Case {
    std::vector<SetItem> items;
    CommandPolicy policy;
    SetRefusal refusal;
    std::size_t item;
  };
  std::vector<SetItem> reordered = AcParameters(25);
  std::swap(reordered[0], reordered[4]);
  reordered[4].value = 300;  // the cooling off point, now fifth: out of the byte's range
  std::vector<SetItem> incomplete = AcParameters(25);
  incomplete.pop_back();
  const Case cases[] = {
      {{{Column("ccRemoteSwitch"), 3}}, ac, SetRefusal::WrongValue, 0},
      {reordered, ac, SetRefusal::WrongValue, 4},
      {incomplete, ac, SetRefusal::InconsistentValue, 0},
      {{{Column("ccRemoteSwitch"), 1}, {Column("ccCoolingOffPoint"), 25}},
       ac,
       SetRefusal::InconsistentValue,
       1},
      {{{Column("ccRemoteSwitch"), 1}, {Column("ccRemoteSwitch"), 1}},
       ac,
       SetRefusal::InconsistentValue,
       1},
      {{{Column("ccFanStopPoint"), 5}}, ac, SetRefusal::NotWritable, 0},
      {{{Column("ccFanStopPoint"), 16}},
       {DeviceKind::AirConditioner, true},
       SetRefusal::WrongValue,
       0},
      {{{Column("ccExternalFanAdjustPoint"), 30}}, ac, SetRefusal::NotWritable, 0},
      {{{Column("ccIndoorTemperature"), 30}}, ac, SetRefusal::NotWritable, 0},
      {{{Column("ccCoolingSensitivity"), 10}},
       {DeviceKind::HeatExchanger, true},
       SetRefusal::NotWritable,
       0},
  };
  for (const Case& c : cases) {
    const SetVerdict verdict = CheckUnitSet(c.items, Protocol, c.policy);
    EXPECT_EQ(verdict.refusal, c.refusal) << verdict.reason;
    EXPECT_EQ(verdict.failedItem, c.item) << verdict.reason;
    EXPECT_TRUE(verdict.command.frame.empty());
  }
  const SetVerdict stop =
      CheckUnitSet({{Column("ccFanStopPoint"), 5}}, Protocol, {DeviceKind::AirConditioner, true});
  EXPECT_EQ(stop.refusal, SetRefusal::None) << stop.reason;
}

}  // namespace
}  // namespace climate
