// CSV rows and their daily files. A write appends to the file and cuts a failed append back
// off, so whatever happens to a write the file holds whole rows only.
#include "monitor/record_writer.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace climate {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view LineEnd = "\r\n";

// One column per meaning: the two unit types put their fan points and their cooling points in
// separate columns, and a row leaves the other type's columns empty.
constexpr std::string_view ValueColumns[] = {
    "Indoor temperature (℃)",
    "Outdoor temperature (℃)",
    "Indoor humidity (%RH)",
    "Supply voltage (V)",
    "Cooling off point (℃)",
    "Cooling on point (℃)",
    "External fan adjust point (℃)",
    "External fan full speed point (℃)",
    "Heating on point (℃)",
    "Heating off point (℃)",
    "High temperature alarm point (℃)",
    "Low temperature alarm point (℃)",
};
constexpr std::size_t ValueColumnCount = std::size(ValueColumns);

std::size_t ColumnOfSlot(DeviceKind kind, std::size_t slot) {
  if (slot < FirstSetPointSlot) return slot;
  if (slot < FirstSetPointSlot + 2) {
    return slot + (kind == DeviceKind::HeatExchanger ? 2 : 0);
  }
  return slot + 2;
}

std::string HexByte(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace

std::string RecordWriter::HeaderRow() {
  std::string row = "Time,Unit";
  for (std::string_view column : ValueColumns) row.append(",").append(column);
  row += ",Status byte,Alarm byte 1,Alarm byte 2";
  for (const NamedBit& bit : NamedBits()) row.append(",").append(bit.CsvColumn());
  return row;
}

std::string RecordWriter::FormatRow(const RealTimeSample& sample) {
  std::string row = FormatIsoLocal(sample.time);
  row.append(",").append(UnitTypeName(sample.kind, Language::English));

  std::string cells[ValueColumnCount];
  for (std::size_t slot = 0; slot < ValueCount; ++slot) {
    if (sample.values[slot])
      cells[ColumnOfSlot(sample.kind, slot)] = std::to_string(*sample.values[slot]);
  }
  for (const std::string& cell : cells) row.append(",").append(cell);

  row.append(",").append(HexByte(sample.statusByte));
  row.append(",").append(HexByte(sample.alarmByte1));
  row.append(",").append(HexByte(sample.alarmByte2));
  for (const NamedBit& bit : NamedBits()) {
    row += ',';
    if (bit.AppliesTo(sample.kind)) {
      row += bit.Value(sample.statusByte, sample.alarmByte1, sample.alarmByte2) ? '1' : '0';
    }
  }
  return row;
}

std::string RecordWriter::FileNameFor(const LocalDateTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d.csv", time.year, time.month, time.day);
  return text;
}

bool RecordWriter::Record(const RealTimeSample& sample) {
  if (pending_.size() >= MaxPendingRows) {
    const std::size_t excess = pending_.size() - MaxPendingRows + 1;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(excess));
    rowsDropped_ += excess;
  }
  pending_.push_back({FileNameFor(sample.time), FormatRow(sample)});
  return Flush();
}

bool RecordWriter::Flush() {
  std::size_t first = 0;
  while (first < pending_.size()) {
    std::size_t last = first + 1;
    while (last < pending_.size() && pending_[last].fileName == pending_[first].fileName) ++last;
    if (!WriteGroup(first, last)) {
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(first));
      return false;
    }
    first = last;
  }
  pending_.clear();
  lastError_.clear();
  return true;
}

bool RecordWriter::WriteGroup(std::size_t first, std::size_t last) {
  const fs::path path = fs::path(directory_) / pending_[first].fileName;
  std::error_code error;
  fs::create_directories(directory_, error);

  // A file that already has content gets no second header; the size lets a failed write be
  // cut back off, so a retry never leaves half a row in the middle of the file.
  std::error_code sizeError;
  const bool existed = fs::exists(path, sizeError);
  const std::uintmax_t sizeBefore = existed ? fs::file_size(path, sizeError) : 0;
  if (sizeError) {
    lastError_ = path.string() + ": " + sizeError.message();
    return false;
  }

  std::string bytes;
  if (sizeBefore == 0) bytes.append(ByteOrderMark).append(HeaderRow()).append(LineEnd);
  for (std::size_t i = first; i < last; ++i) bytes.append(pending_[i].text).append(LineEnd);

  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    lastError_ = path.string() + ": " + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    lastError_ = path.string() + ": " + std::strerror(written ? errno : writeErrno);
    std::error_code ignored;
    if (existed) {
      fs::resize_file(path, sizeBefore, ignored);
    } else {
      fs::remove(path, ignored);
    }
    return false;
  }
  rowsWritten_ += last - first;
  currentFile_ = path.string();
  return true;
}

}  // namespace climate
