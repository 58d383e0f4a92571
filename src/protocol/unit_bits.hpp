// The status and alarm bits of a real-time reply, one table per unit type, each bit named once:
// its stable English key (the name machines use: JSON, topics, dashboards), the lamp it drives,
// its memo texts in both languages as the main window writes them, and the names the Monitor
// gives it (record column, alarm history, report lamp). Every other list of bits is a view of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

// Which byte of the reply carries the bit.
enum class BitByte { Status = 0, Alarm1 = 1, Alarm2 = 2 };

struct UnitBit {
  BitByte byte = BitByte::Status;
  int bit = 0;
  std::string_view key;  // camelCase, never changes once published
  std::size_t lamp = 0;  // 0 = Shape1
  std::string_view clearChinese;
  std::string_view clearEnglish;
  std::string_view setChinese;
  std::string_view setEnglish;
  std::string_view csvColumn;    // what a 1 in the record column means
  std::string_view nameChinese;  // the fault, as the alarm history names it
  std::string_view nameEnglish;
  std::string_view lampChinese;  // the lamp, as the service report names it
  std::string_view lampEnglish;

  // The status byte reports running or normal with a set bit; the alarm bytes report a fault.
  bool IsAlarm() const { return byte != BitByte::Status; }
  bool Value(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const;
  // A fault: a set alarm bit or a clear status bit.
  bool IsFault(std::uint8_t status, std::uint8_t alarm1, std::uint8_t alarm2) const {
    return Value(status, alarm1, alarm2) == IsAlarm();
  }
  std::string_view MemoText(bool set, Language language) const {
    return set ? Pick(language, setChinese, setEnglish)
               : Pick(language, clearChinese, clearEnglish);
  }
  std::string_view Name(Language language) const {
    return Pick(language, nameChinese, nameEnglish);
  }
  std::string_view LampName(Language language) const {
    return Pick(language, lampChinese, lampEnglish);
  }
};

// 5 status bits, 8 bits of the first alarm byte and 6 of the second, in memo order (byte by byte,
// bit 0 first). Bits the unit type does not use are not listed.
inline constexpr std::size_t UnitBitCount = 19;
std::span<const UnitBit, UnitBitCount> UnitBits(DeviceKind kind);

// The bit with this key for the unit type, or nullptr.
const UnitBit* FindUnitBit(DeviceKind kind, std::string_view key);

}  // namespace climate
