// The columns of the unit table of CABINET-CLIMATE-MIB, one entry each: its number under
// ccUnitEntry, the key the agent's JSON uses for the same thing, what it reads from and, for a
// writable column, the command it belongs to on each unit type. mibs/CABINET-CLIMATE-MIB.txt
// declares the same columns; a test compares the two.
#pragma once

#include <span>
#include <string_view>

#include "protocol/device_kind.hpp"

namespace climate {

enum class ColumnSource {
  Site,
  Unit,
  Kind,
  LineOpen,
  Answering,
  ReadingAge,
  RemoteSwitch,  // the running bit; writing sends remote on/off
  Value,         // a value of the real-time reply, by its key
  Parameter,     // a parameter the reply lacks: the value last acknowledged through the agent
  Bit,           // a status or alarm bit, by its key
  Link,          // a line counter, by its key
};

struct UnitColumn {
  int number = 0;
  std::string_view name;  // the MIB's object name
  std::string_view key;   // the JSON key (value, bit, counter or command field)
  ColumnSource source = ColumnSource::Value;
  // The remote command a set of this column belongs to, per unit type; empty: not writable.
  std::string_view acCommand;
  std::string_view hxCommand;

  std::string_view Command(DeviceKind kind) const {
    return kind == DeviceKind::HeatExchanger ? hxCommand : acCommand;
  }
};

// Every column in ascending number; the index column (1) is not listed.
std::span<const UnitColumn> UnitColumns();

// The column with this number, or nullptr.
const UnitColumn* FindUnitColumn(int number);

// The highest column number.
int LastUnitColumn();

}  // namespace climate
