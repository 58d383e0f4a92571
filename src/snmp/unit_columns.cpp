// The unit table's columns.
#include "snmp/unit_columns.hpp"

#include <array>

namespace climate {

namespace {

using enum ColumnSource;

constexpr char Params[] = "setParameters";
constexpr char Factory[] = "setFactoryParameters";
constexpr char FanStop[] = "setFanStopPoint";
constexpr char Remote[] = "remote";

constexpr UnitColumn Columns[] = {
    {2, "ccUnitSite", "site", Site, {}, {}},
    {3, "ccUnitName", "unit", Unit, {}, {}},
    {4, "ccUnitKind", "kind", Kind, {}, {}},
    {5, "ccLineOpen", "portOpen", LineOpen, {}, {}},
    {6, "ccUnitAnswering", "answering", Answering, {}, {}},
    {7, "ccReadingAge", "readingAge", ReadingAge, {}, {}},
    {8, "ccRemoteSwitch", "running", RemoteSwitch, Remote, Remote},
    {10, "ccIndoorTemperature", "indoorTemperature", Value, {}, {}},
    {11, "ccOutdoorTemperature", "outdoorTemperature", Value, {}, {}},
    {12, "ccIndoorHumidity", "indoorHumidity", Value, {}, {}},
    {13, "ccSupplyVoltage", "supplyVoltage", Value, {}, {}},
    {20, "ccCoolingOffPoint", "coolingOffPoint", Value, Params, {}},
    {21, "ccHeatingOnPoint", "heatingOnPoint", Value, Params, Params},
    {22, "ccHighTemperatureAlarmPoint", "highTemperatureAlarmPoint", Value, Params, Params},
    {23, "ccLowTemperatureAlarmPoint", "lowTemperatureAlarmPoint", Value, Params, Params},
    {24, "ccExternalFanAdjustPoint", "externalFanAdjustPoint", Value, {}, Params},
    {25, "ccExternalFanFullSpeedPoint", "externalFanFullSpeedPoint", Value, {}, {}},
    {26, "ccHeatingOffPoint", "heatingOffPoint", Value, {}, {}},
    {30, "ccCoolingSensitivity", "coolingSensitivity", Parameter, Params, {}},
    {31, "ccHeaterSensitivity", "heaterSensitivity", Parameter, Params, Params},
    {32, "ccExternalFanAdjustBand", "externalFanAdjustBand", Parameter, {}, Params},
    {33, "ccInternalFanAdjustPoint", "internalFanAdjustPoint", Parameter, {}, Factory},
    {34, "ccInternalFanAdjustBand", "internalFanAdjustBand", Parameter, {}, Factory},
    {35, "ccInternalFanStopPoint", "internalFanStopPoint", Parameter, {}, Factory},
    {36, "ccExternalFanStopBand", "externalFanStopBand", Parameter, {}, Factory},
    {37, "ccLowestFanSpeed", "lowestFanSpeed", Parameter, {}, Factory},
    {38, "ccFanStopPoint", "stopPoint", Parameter, FanStop, {}},
    {40, "ccRunning", "running", Bit, {}, {}},
    {41, "ccInternalFanRunning", "internalFanRunning", Bit, {}, {}},
    {42, "ccExternalFanRunning", "externalFanRunning", Bit, {}, {}},
    {43, "ccCompressorRunning", "compressorRunning", Bit, {}, {}},
    {44, "ccHeatExchangerRunning", "heatExchangerRunning", Bit, {}, {}},
    {45, "ccHeaterRunning", "heaterRunning", Bit, {}, {}},
    {50, "ccHighTemperatureAlarm", "highTemperatureAlarm", Bit, {}, {}},
    {51, "ccLowTemperatureAlarm", "lowTemperatureAlarm", Bit, {}, {}},
    {52, "ccOverVoltageAlarm", "overVoltageAlarm", Bit, {}, {}},
    {53, "ccUnderVoltageAlarm", "underVoltageAlarm", Bit, {}, {}},
    {54, "ccCompressorFault", "compressorFault", Bit, {}, {}},
    {55, "ccInternalFanFault", "internalFanFault", Bit, {}, {}},
    {56, "ccExternalFanFault", "externalFanFault", Bit, {}, {}},
    {57, "ccHeaterFault", "heaterFault", Bit, {}, {}},
    {58, "ccSensorFault", "sensorFault", Bit, {}, {}},
    {59, "ccRemoteOnOffFault", "remoteOnOffFault", Bit, {}, {}},
    {60, "ccCustomAlarm1", "customAlarm1", Bit, {}, {}},
    {61, "ccCustomAlarm2", "customAlarm2", Bit, {}, {}},
    {62, "ccCustomAlarm3", "customAlarm3", Bit, {}, {}},
    {63, "ccCustomAlarm4", "customAlarm4", Bit, {}, {}},
    {64, "ccCustomAlarm5", "customAlarm5", Bit, {}, {}},
    {65, "ccSystemHighPressureAlarm", "systemHighPressureAlarm", Bit, {}, {}},
    {66, "ccSystemLowPressureAlarm", "systemLowPressureAlarm", Bit, {}, {}},
    {80, "ccPolls", "polls", Link, {}, {}},
    {81, "ccReplies", "replies", Link, {}, {}},
    {82, "ccUnanswered", "unanswered", Link, {}, {}},
    {83, "ccChecksumErrors", "checksumErrors", Link, {}, {}},
    {84, "ccBytesDropped", "bytesDropped", Link, {}, {}},
    {85, "ccLinkLosses", "linkLosses", Link, {}, {}},
    {86, "ccAlarmEventsDropped", "alarmEventsDropped", Link, {}, {}},
};

}  // namespace

std::span<const UnitColumn> UnitColumns() {
  return Columns;
}

const UnitColumn* FindUnitColumn(int number) {
  for (const UnitColumn& column : Columns) {
    if (column.number == number) return &column;
  }
  return nullptr;
}

int LastUnitColumn() {
  return std::end(Columns)[-1].number;
}

}  // namespace climate
