// The bit tables against what the main window writes: every bit's memo texts and lamp must be the
// ones the reply renderer produces, or the fleet and the console would name a fault differently.
#include "protocol/unit_bits.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "protocol/reply_views.hpp"

namespace climate {
namespace {

RealTimeView Render(DeviceKind kind, std::uint8_t status, std::uint8_t a1, std::uint8_t a2,
                    Language language) {
  if (kind == DeviceKind::HeatExchanger) {
    HxRealTimeData data;
    data.StatusByte = status;
    data.AlarmByte1 = a1;
    data.AlarmByte2 = a2;
    return RenderHxRealTime(data, language);
  }
  AcRealTimeData data;
  data.StatusByte = status;
  data.AlarmByte1 = a1;
  data.AlarmByte2 = a2;
  return RenderAcRealTime(data, language, "10", "10");
}

TEST(UnitBits, MatchTheMemoLinesAndLampsOfEveryBitInBothLanguages) {
  for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
    std::set<std::string_view> keys;
    for (const Language language : {Language::Chinese, Language::English}) {
      for (const bool set : {false, true}) {
        const std::uint8_t fill = set ? 0xFF : 0x00;
        const RealTimeView view = Render(kind, fill, fill, fill, language);
        std::size_t row = 10;  // the bit lines follow the ten value lines
        for (const UnitBit& bit : UnitBits(kind)) {
          SCOPED_TRACE(std::string(bit.key));
          EXPECT_EQ(view.memoLines.at(row++), bit.MemoText(set, language));
          EXPECT_EQ(bit.Value(fill, fill, fill), set);
          const bool fault = bit.IsFault(fill, fill, fill);
          EXPECT_EQ(view.lamps.at(bit.lamp), fault ? LampColour::Red : LampColour::Green);
          keys.insert(bit.key);
        }
      }
    }
    EXPECT_EQ(keys.size(), UnitBitCount) << "every key names one bit";
  }
  // One bit alone: the table finds exactly the bit the unit set.
  const UnitBit* sensor = FindUnitBit(DeviceKind::HeatExchanger, "sensorFault");
  ASSERT_NE(sensor, nullptr);
  EXPECT_TRUE(sensor->IsFault(0x1F, 0x80, 0x00));
  EXPECT_FALSE(sensor->IsFault(0x1F, 0x7F, 0xFF));
  EXPECT_EQ(FindUnitBit(DeviceKind::AirConditioner, "customAlarm5"), nullptr);
}

}  // namespace
}  // namespace climate
