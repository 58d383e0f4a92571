// The unit model: reported set points, the thermostat keeping the cabinet in its band, on/off,
// alarms crossing their points, and the heat exchanger's fan points.
#include "unitsim/unit_model.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace climate::unitsim {
namespace {

TEST(UnitModel, AirConditionerReportsItsSetPointsAndPlausibleReadings) {
  const UnitModel model(DeviceKind::AirConditioner);
  const auto data = model.RealTimeData();
  EXPECT_EQ(data[0], 30 + 20);  // indoor temperature at start
  EXPECT_NEAR(data[3], 220, 3);
  EXPECT_LE(data[2], 100);
  // Cooling off 25, cooling sensitivity 10, heating on 5, heater sensitivity 10, alarms 55 and 0.
  const std::array<std::uint8_t, 6> points = {0x2D, 0x1E, 0x19, 0x1E, 0x4B, 0x14};
  EXPECT_TRUE(std::equal(points.begin(), points.end(), data.begin() + 4));
  EXPECT_EQ(data[10] & 0x01, 0x01);  // running
  EXPECT_EQ(data[11], 0);
  EXPECT_EQ(data[12], 0);
}

TEST(UnitModel, ThermostatHoldsTheCabinetBetweenCoolingPoints) {
  UnitModel model(DeviceKind::AirConditioner);
  bool sawCompressorOn = false;
  bool sawCompressorOffAfterOn = false;
  for (int second = 1; second <= 1800; ++second) {
    model.AdvanceTo(second);
    const std::uint8_t status = model.StatusByte();
    EXPECT_EQ((status & 0x08) != 0, model.CompressorOn());
    EXPECT_EQ((status & 0x04) != 0, model.CompressorOn());  // external fan runs with it
    if (model.CompressorOn()) sawCompressorOn = true;
    if (sawCompressorOn && !model.CompressorOn()) sawCompressorOffAfterOn = true;
    if (second > 300) {
      ASSERT_GE(model.IndoorTemperature(), 24.0) << "at " << second << " s";
      ASSERT_LE(model.IndoorTemperature(), 36.0) << "at " << second << " s";
    }
  }
  EXPECT_TRUE(sawCompressorOn);
  EXPECT_TRUE(sawCompressorOffAfterOn);
}

TEST(UnitModel, SwitchedOffUnitStopsAndTheCabinetWarms) {
  UnitModel model(DeviceKind::AirConditioner);
  model.SetIndoorTemperature(36.0);
  model.AdvanceTo(1);
  ASSERT_TRUE(model.CompressorOn());

  model.SetRunning(false);
  EXPECT_EQ(model.StatusByte(), 0);
  model.AdvanceTo(1800);
  EXPECT_GT(model.IndoorTemperature(), 38.0);
  EXPECT_EQ(model.StatusByte(), 0);

  model.SetRunning(true);
  model.AdvanceTo(2400);
  EXPECT_EQ(model.StatusByte() & 0x01, 0x01);
  EXPECT_LE(model.IndoorTemperature(), 36.0);
}

TEST(UnitModel, HeaterWarmsAColdCabinetUpToItsOffPoint) {
  UnitModel model(DeviceKind::AirConditioner);
  model.SetIndoorTemperature(-5.0);
  model.AdvanceTo(1);
  EXPECT_TRUE(model.HeaterOn());
  EXPECT_EQ(model.StatusByte() & 0x10, 0x10);
  model.AdvanceTo(600);
  EXPECT_GE(model.IndoorTemperature(), 5.0);
  EXPECT_FALSE(model.HeaterOn());  // off again once 5 + 10 was reached
}

TEST(UnitModel, AlarmsFollowTheirPointsAndForcedBitsStay) {
  UnitModel model(DeviceKind::AirConditioner);
  model.SetParameters({25, 10, 5, 10, 30, 0});
  model.SetIndoorTemperature(31.0);
  EXPECT_EQ(model.AlarmByte1(), 0x01);
  model.SetIndoorTemperature(30.0);
  EXPECT_EQ(model.AlarmByte1(), 0x00);
  model.SetIndoorTemperature(-1.0);
  EXPECT_EQ(model.AlarmByte1(), 0x02);

  model.ForceAlarms({0x80, 0x21});
  EXPECT_EQ(model.AlarmByte1(), 0x82);
  EXPECT_EQ(model.AlarmByte2(), 0x21);
  const auto data = model.RealTimeData();
  EXPECT_EQ(data[11], 0x82);
  EXPECT_EQ(data[12], 0x21);
}

TEST(UnitModel, HeatExchangerReportsItsFanPointsAndFactoryValues) {
  UnitModel model(DeviceKind::HeatExchanger);
  const auto data = model.RealTimeData();
  // Fan speed-control point 30 and full speed 30 + 10; heating on 5 and off 5 + 10.
  EXPECT_EQ(data[4], 50);
  EXPECT_EQ(data[5], 60);
  EXPECT_EQ(data[6], 25);
  EXPECT_EQ(data[7], 35);
  EXPECT_EQ(data[8], 75);
  EXPECT_EQ(data[9], 20);
  EXPECT_EQ(data[10] & 0x09, 0x09);  // running, exchanger normal

  // Internal fan: control point 25, full speed 25 + 10, stop 0; external fan stops 5 below its
  // control point 30; lowest speed 30 %.
  const std::array<std::uint8_t, 5> factory = {45, 55, 20, 45, 30};
  EXPECT_EQ(model.FactoryData(), factory);

  model.SetRunning(false);
  EXPECT_EQ(model.StatusByte(), 0);
}

TEST(UnitModel, HeatExchangerFanSpeedsUpWithTheTemperatureAndCools) {
  UnitModel model(DeviceKind::HeatExchanger);
  model.SetIndoorTemperature(24.0);
  EXPECT_EQ(model.ExternalFanSpeed(), 0.0);
  EXPECT_EQ(model.StatusByte() & 0x04, 0);
  model.SetIndoorTemperature(27.0);
  EXPECT_DOUBLE_EQ(model.ExternalFanSpeed(), 0.30);
  EXPECT_EQ(model.StatusByte() & 0x04, 0x04);
  model.SetIndoorTemperature(35.0);
  EXPECT_DOUBLE_EQ(model.ExternalFanSpeed(), 0.65);
  model.SetIndoorTemperature(45.0);
  EXPECT_DOUBLE_EQ(model.ExternalFanSpeed(), 1.0);

  model.AdvanceTo(120);
  EXPECT_LT(model.IndoorTemperature(), 44.0);
}

}  // namespace
}  // namespace climate::unitsim
