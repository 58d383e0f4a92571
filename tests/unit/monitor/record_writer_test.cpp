// The CSV records: what a row holds for each unit type, one file per day, appending, and what a
// failed write does with its rows.
#include "monitor/record_writer.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitor_test_support.hpp"

namespace climate {
namespace {

using test::CsvLines;
using test::SplitCsv;

constexpr char Bom[] = "\xEF\xBB\xBF";

// The bit columns in the order files already on disk hold them: where the unit types differ, the
// air conditioner's bits come first.
const std::vector<std::string> BitColumns = {"Unit running",
                                             "Internal fan running",
                                             "External fan running",
                                             "Compressor running",
                                             "Heat exchanger running",
                                             "Heater running",
                                             "High temperature alarm",
                                             "Low temperature alarm",
                                             "Over voltage alarm",
                                             "Under voltage alarm",
                                             "Compressor fault",
                                             "Internal fan fault",
                                             "External fan fault",
                                             "Heater fault",
                                             "Sensor fault",
                                             "Remote on/off fault",
                                             "Custom alarm 1",
                                             "Custom alarm 2",
                                             "Custom alarm 3",
                                             "System high pressure alarm",
                                             "System low pressure alarm",
                                             "Custom alarm 4",
                                             "Custom alarm 5"};

// The cell of a row under the named column of the header.
std::string CellNamed(const std::vector<std::string>& header, const std::vector<std::string>& cells,
                      std::string_view name) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return cells.at(i);
  }
  ADD_FAILURE() << "no column " << name;
  return std::string();
}

TEST(RecordRows, EveryRowHasTheHeaderColumnsAndEachColumnOneMeaning) {
  const auto header = SplitCsv(RecordWriter::HeaderRow());
  // Time, unit, 12 value columns, 3 bytes, 23 named bits.
  ASSERT_EQ(header.size(), 2u + 12u + 3u + 23u);
  EXPECT_EQ(header[0], "Time");
  EXPECT_EQ(header[6], "Cooling off point (℃)");
  EXPECT_EQ(header[8], "External fan adjust point (℃)");
  // Files already on disk fix the bit columns' order.
  EXPECT_EQ(std::vector<std::string>(header.begin() + 17, header.end()), BitColumns);

  RealTimeSample ac = test::Sample(DeviceKind::AirConditioner, 0, 0x1E, 0x81, 0x30);
  ac.time = test::At(2024, 5, 1, 9, 5, 7);
  const auto acCells = SplitCsv(RecordWriter::FormatRow(ac));
  ASSERT_EQ(acCells.size(), header.size());
  EXPECT_EQ(acCells[0], "2024-05-01T09:05:07");
  EXPECT_EQ(acCells[1], "Air conditioner");
  EXPECT_EQ(acCells[2], "25");
  EXPECT_EQ(acCells[6], "32");  // cooling off
  EXPECT_EQ(acCells[7], "42");  // cooling on
  EXPECT_EQ(acCells[8], "");    // fan points belong to the heat exchanger
  EXPECT_EQ(acCells[9], "");
  EXPECT_EQ(acCells[10], "5");
  EXPECT_EQ(acCells[14], "0x1E");
  EXPECT_EQ(acCells[15], "0x81");
  EXPECT_EQ(acCells[16], "0x30");

  RealTimeSample hx = test::Sample(DeviceKind::HeatExchanger, 0);
  const auto hxCells = SplitCsv(RecordWriter::FormatRow(hx));
  ASSERT_EQ(hxCells.size(), header.size());
  EXPECT_EQ(hxCells[1], "Heat exchanger");
  EXPECT_EQ(hxCells[6], "");
  EXPECT_EQ(hxCells[8], "32");
  EXPECT_EQ(hxCells[9], "42");

  // Bits by column name; columns of the other unit type stay empty.
  const auto cell = [&header](const std::vector<std::string>& cells, std::string_view name) {
    return CellNamed(header, cells, name);
  };
  EXPECT_EQ(cell(acCells, "Unit running"), "0");
  EXPECT_EQ(cell(acCells, "Internal fan running"), "1");
  EXPECT_EQ(cell(acCells, "High temperature alarm"), "1");
  EXPECT_EQ(cell(acCells, "Sensor fault"), "1");
  EXPECT_EQ(cell(acCells, "Compressor fault"), "0");
  EXPECT_EQ(cell(acCells, "Internal fan fault"), "");
  EXPECT_EQ(cell(acCells, "System high pressure alarm"), "1");
  EXPECT_EQ(cell(acCells, "System low pressure alarm"), "1");
  EXPECT_EQ(cell(acCells, "Custom alarm 4"), "");
  EXPECT_EQ(cell(hxCells, "Heat exchanger running"), "1");
  EXPECT_EQ(cell(hxCells, "Compressor running"), "");
}

TEST(RecordRows, UnknownDerivedPointsStayEmpty) {
  RealTimeSample ac = test::Sample(DeviceKind::AirConditioner, 0);
  ac.values[5].reset();
  ac.values[7].reset();
  const auto cells = SplitCsv(RecordWriter::FormatRow(ac));
  EXPECT_EQ(cells[7], "");
  EXPECT_EQ(cells[11], "");
  EXPECT_EQ(cells[10], "5");
}

TEST(RecordFiles, OneFilePerDayWithOneHeaderAndAppending) {
  test::ScratchFolder folder;
  const std::string records = folder.Path("records");
  {
    RecordWriter writer(records);
    RealTimeSample first = test::Sample(DeviceKind::AirConditioner, 0);
    first.time = test::At(2024, 5, 1, 23, 59, 58);
    RealTimeSample second = first;
    second.time = test::At(2024, 5, 2, 0, 0, 0);
    EXPECT_TRUE(writer.Record(first));
    EXPECT_TRUE(writer.Record(second));
    EXPECT_EQ(writer.RowsWritten(), 2u);
    EXPECT_EQ(writer.CurrentFile(), records + "/2024-05-02.csv");
  }
  // A second run on the same day appends without another header.
  RecordWriter later(records);
  RealTimeSample third = test::Sample(DeviceKind::HeatExchanger, 0);
  third.time = test::At(2024, 5, 2, 8, 0, 0);
  EXPECT_TRUE(later.Record(third));

  const auto mayFirst = CsvLines(records + "/2024-05-01.csv");
  ASSERT_EQ(mayFirst.size(), 2u);
  EXPECT_EQ(mayFirst[0], Bom + RecordWriter::HeaderRow());
  EXPECT_EQ(mayFirst[1].substr(0, 19), "2024-05-01T23:59:58");

  const auto maySecond = CsvLines(records + "/2024-05-02.csv");
  ASSERT_EQ(maySecond.size(), 3u);
  EXPECT_EQ(maySecond[0], Bom + RecordWriter::HeaderRow());
  EXPECT_EQ(maySecond[1].substr(0, 19), "2024-05-02T00:00:00");
  EXPECT_EQ(maySecond[2].substr(0, 35), "2024-05-02T08:00:00,Heat exchanger,");
}

TEST(RecordFiles, FailedWriteKeepsRowsAndRetriesInOrderWithoutThrowing) {
  test::ScratchFolder folder;
  const std::string records = folder.Path("records");
  // A file where the folder should be: neither the folder nor the CSV can be made.
  { std::ofstream(records) << "in the way"; }

  RecordWriter writer(records);
  RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, 0);
  for (int second = 0; second < 3; ++second) {
    sample.time.second = second;
    EXPECT_FALSE(writer.Record(sample));
  }
  EXPECT_EQ(writer.PendingRows(), 3u);
  EXPECT_EQ(writer.RowsWritten(), 0u);
  EXPECT_FALSE(writer.LastError().empty());

  std::filesystem::remove(records);
  EXPECT_TRUE(writer.Flush());
  EXPECT_EQ(writer.PendingRows(), 0u);
  EXPECT_EQ(writer.RowsWritten(), 3u);
  EXPECT_TRUE(writer.LastError().empty());

  const auto lines = CsvLines(records + "/2024-05-01.csv");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1].substr(17, 2), "00");
  EXPECT_EQ(lines[2].substr(17, 2), "01");
  EXPECT_EQ(lines[3].substr(17, 2), "02");
}

TEST(RecordFiles, ADayThatCannotBeWrittenHoldsBackLaterDaysToKeepOrder) {
  test::ScratchFolder folder;
  const std::string records = folder.Path("records");
  std::filesystem::create_directories(records + "/2024-05-01.csv");  // a folder by that name

  RecordWriter writer(records);
  RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, 0);
  EXPECT_FALSE(writer.Record(sample));
  sample.time.day = 2;
  EXPECT_FALSE(writer.Record(sample));
  EXPECT_EQ(writer.PendingRows(), 2u);
  EXPECT_FALSE(std::filesystem::exists(records + "/2024-05-02.csv"));

  std::filesystem::remove(records + "/2024-05-01.csv");
  EXPECT_TRUE(writer.Flush());
  EXPECT_EQ(CsvLines(records + "/2024-05-01.csv").size(), 2u);
  EXPECT_EQ(CsvLines(records + "/2024-05-02.csv").size(), 2u);
}

}  // namespace
}  // namespace climate
