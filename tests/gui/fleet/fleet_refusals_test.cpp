// What the fleet view does with messages it must not believe: wrong types, too large, too deep,
// too many cabinets, a cleared retained state, a prefix with wildcards. None of them may end the
// console; each is dropped, counted and shown.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTableView>

#include "../console/console_fixture.hpp"
#include "app/config/ini_file.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"
#include "support/temp_dir.hpp"

namespace climate::testing {
namespace {

constexpr char Good[] =
    R"({"kind":"airConditioner","time":"2026-12-09T09:00:05.000Z",)"
    R"("readingTime":"2026-12-09T09:00:05.000Z","pollMs":2000,)"
    R"("values":{"indoorTemperature":{"value":25,"unit":"°C"}},"activeAlarms":[],)"
    R"("link":{"portOpen":true}})";

// Good, with one part replaced: the text from `from` to `to` (exclusive) becomes `with`.
std::string Spoil(std::string_view from, std::string_view to, std::string_view with) {
  std::string text = Good;
  const std::size_t start = text.find(from);
  const std::size_t end = text.find(to, start);
  return text.replace(start, end - start, with);
}

TEST(FleetRefusals, MessagesOfWrongShapeAreDroppedCountedAndTheLastReasonShown) {
  FleetWindow window("does-not-exist.INI");
  FleetTableModel& table = *window.Table();
  table.Ingest("climate/north/a/state", Good);
  window.FlushNow();
  ASSERT_EQ(table.rowCount(), 1);

  const std::pair<std::string, const char*> bad[] = {
      {R"({"kind":5})", "kind is not a string"},
      {R"({"kind":"airConditioner"})", "time is missing"},
      {R"({"kind":"fridge"})", "kind is not airConditioner or heatExchanger"},
      {Spoil("\"time\"", ",", R"("time":"yesterday")"),
       "time is not a UTC time like 2026-12-09T09:39:33.168Z"},
      {Spoil("\"readingTime\"", ",", R"("readingTime":1796808164415)"),
       "readingTime is not a string"},
      {Spoil("\"pollMs\"", ",", R"("pollMs":"2000")"), "pollMs is not a whole number"},
      {Spoil("\"pollMs\"", ",", R"("pollMs":-1)"), "pollMs is out of range"},
      {Spoil("\"values\"", ",\"activeAlarms\"", R"("values":[25])"), "values is not an object"},
      {Spoil("\"values\"", ",\"activeAlarms\"", R"("values":{"indoorTemperature":25})"),
       "values.indoorTemperature is not an object"},
      {Spoil("\"values\"", ",\"activeAlarms\"", R"("values":{"indoorTemperature":{"value":"25"}})"),
       "values.indoorTemperature.value is not a whole number"},
      {Spoil("\"values\"", ",\"activeAlarms\"", R"("values":{"indoorTemperature":{"value":25.5}})"),
       "values.indoorTemperature.value is not a whole number"},
      {Spoil("\"values\"", ",\"activeAlarms\"",
             R"("values":{"indoorTemperature":{"value":18446744073709551615}})"),
       "values.indoorTemperature.value is out of range"},
      {Spoil("\"activeAlarms\"", ",\"link\"", R"("activeAlarms":{"sensorFault":true})"),
       "activeAlarms is not an array"},
      {Spoil("\"activeAlarms\"", ",\"link\"", R"("activeAlarms":[7])"),
       "activeAlarms[] is not a string"},
      {Spoil("\"link\"", "}}", R"("link":{"portOpen":1)"), "link.portOpen is not true or false"},
      {R"({"kind":"heatExchanger","time":"2026-12-09T09:00:05Z","readingTime":null,"link":[]})",
       "link is not an object"},
      {"[1,2,3]", "the message is not an object"},
      {"null", "the message is not an object"},
      {"{\"kind\":\"airConditioner\",\"x\":\"\xff\"}", "not JSON"},
      {std::string(70'000, ' '), "larger than 65536 bytes"},
      {std::string(17, '[') + std::string(17, ']'), "nested deeper than 16 levels"},
  };
  int rejected = 0;
  for (const auto& [payload, reason] : bad) {
    table.Ingest("climate/north/a/state", QByteArray::fromStdString(payload));
    table.Ingest("climate/east/new/state", QByteArray::fromStdString(payload));
    rejected += 2;
    window.FlushNow();
    const QString expected =
        QString("rejected %1 messages; last: east/new: %2").arg(rejected).arg(reason);
    EXPECT_TRUE(window.Status()->text().contains(expected))
        << payload.substr(0, 80) << "\n  shows: " << window.Status()->text().toStdString();
    // The cabinet keeps its last good reading; no row is made from a refused message.
    ASSERT_EQ(table.rowCount(), 1);
    EXPECT_EQ(window.View()->model()->index(0, 5).data().toString(), "25");
  }

  table.Ingest("climate/north/a/online", "yes");
  window.FlushNow();
  EXPECT_TRUE(window.Status()->text().contains("last: north/a: online is neither true nor false"));
  // Peer text reaches the status line escaped and cut short.
  table.Ingest(QString("climate/") + QString(200, 'x') + "/a/state", Good);
  window.FlushNow();
  EXPECT_TRUE(window.Status()->text().contains("site is longer than 128 bytes"));
  table.Ingest("climate/we\tst/a/state", "{");
  window.FlushNow();
  EXPECT_TRUE(window.Status()->text().contains("last: we\\tst/a: not JSON"));

  window.SetLanguage(Language::Chinese);
  table.Ingest("climate/north/a/state", R"({"kind":5})");
  window.FlushNow();
  EXPECT_TRUE(window.Status()->text().contains("kind 不是字符串"))
      << window.Status()->text().toStdString();
}

class FleetBounds : public ::testing::Test {
 protected:
  QString Config(const std::function<void(IniFile&)>& fill) {
    IniFile ini;
    ini.WriteString("Fleet", "Host", "127.0.0.1");
    // Nobody listens there: the window stays disconnected and shows it.
    ini.WriteInteger("Fleet", "Port", 9);
    fill(ini);
    const std::string path = dir_.File("UserSet.INI");
    ini.Save(path);
    return QString::fromStdString(path);
  }
  test::TempDir dir_;
};

TEST_F(FleetBounds, CapsCabinetsKeepsTheNewestMessageAndDropsClearedStates) {
  FleetWindow window(Config([](IniFile& ini) { ini.WriteInteger("Fleet", "MaxCabinets", 3); }));
  window.Connect();
  FleetTableModel& table = *window.Table();
  for (int i = 0; i < 5; ++i) {
    table.Ingest(QString("climate/north/cab%1/state").arg(i), Good);
  }
  window.FlushNow();
  EXPECT_EQ(table.rowCount(), 3);
  EXPECT_TRUE(window.Status()->text().contains(
      "cabinet limit 3 reached: 2 messages of new cabinets refused"))
      << window.Status()->text().toStdString();

  // Between batches only the newest message of each topic waits.
  for (int indoor = 0; indoor < 1000; ++indoor) {
    table.Ingest("climate/north/cab1/state",
                 QByteArray::fromStdString(Spoil("\"values\"", ",\"activeAlarms\"",
                                                 "\"values\":{\"indoorTemperature\":{\"value\":" +
                                                     std::to_string(indoor) + "}}")));
    table.Ingest("climate/north/cab1/online", indoor % 2 ? "true" : "false");
  }
  EXPECT_EQ(table.Model().Pending(), 1u);
  window.FlushNow();
  const auto* rows = window.View()->model();
  const auto find = [&](const QString& unit) {
    for (int row = 0; row < rows->rowCount(); ++row) {
      if (rows->index(row, FleetTableModel::Unit).data().toString() == unit) return row;
    }
    return -1;
  };
  ASSERT_GE(find("cab1"), 0);
  EXPECT_EQ(rows->index(find("cab1"), FleetTableModel::Indoor).data().toString(), "999");

  // An empty retained state clears the cabinet: its row goes, and the room it leaves is free.
  table.Ingest("climate/north/cab1/state", "");
  table.Ingest("climate/north/never-seen/state", "");
  window.FlushNow();
  EXPECT_EQ(table.rowCount(), 2);
  EXPECT_EQ(find("cab1"), -1);
  table.Ingest("climate/north/cab4/state", Good);
  window.FlushNow();
  EXPECT_EQ(table.rowCount(), 3);
  EXPECT_GE(find("cab4"), 0);
  // Without the broker no row can be current.
  EXPECT_EQ(rows->index(0, FleetTableModel::State).data().toString(), "Broker unreachable");
}

TEST_F(FleetBounds, APrefixWithWildcardsIsShownAndNothingIsSubscribed) {
  for (const char* prefix : {"climate/#", "+", "a/b", ""}) {
    FleetWindow window(Config([&](IniFile& ini) { ini.WriteString("Fleet", "Prefix", prefix); }));
    window.Connect();
    const QString status = window.Status()->text();
    EXPECT_TRUE(status.startsWith("Fleet/Prefix is not usable, nothing subscribed"))
        << status.toStdString();
    EXPECT_TRUE(status.contains(QString("'") + prefix + "'")) << status.toStdString();
    EXPECT_FALSE(status.contains("Connecting")) << status.toStdString();
  }
}

}  // namespace
}  // namespace climate::testing
