// Feeds arbitrary varbinds of an SNMP set (column numbers and INTEGER values, any number of
// them, in any order) to the set checks of both unit types, with and without factory commands,
// and checks the verdict's promises: a refusal carries no frame and names one of the varbinds,
// an accepted set carries a frame and remembers only values it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "snmp/unit_columns.hpp"
#include "snmp/unit_set.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace climate;
  static const ProtocolSettings protocol = DefaultProtocolSettings();
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  std::vector<SetItem> items;
  // Each varbind: one byte for the column (near the table's columns, and beyond), eight for the
  // value.
  for (std::size_t at = 1; at + 9 <= size && items.size() < 64; at += 9) {
    long long value = 0;
    std::memcpy(&value, data + at + 1, sizeof value);
    if (flags & 4) value = static_cast<std::int8_t>(value);  // mostly plausible values
    items.push_back({data[at] % 100, value});
  }
  const CommandPolicy policy{(flags & 1) ? DeviceKind::HeatExchanger : DeviceKind::AirConditioner,
                             (flags & 2) != 0};
  const SetVerdict verdict = CheckUnitSet(items, protocol, policy);
  if (verdict.refusal != SetRefusal::None) {
    Check(verdict.command.frame.empty());
    Check(items.empty() || verdict.failedItem < items.size());
    return 0;
  }
  Check(verdict.command.accepted && !verdict.command.frame.empty());
  for (const auto& [column, value] : verdict.values) {
    bool given = false;
    for (const SetItem& item : items) given |= item.column == column && item.value == value;
    Check(given && FindUnitColumn(column) != nullptr);
  }
  return 0;
}
