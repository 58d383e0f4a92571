// The protocol constants read from UserSet.INI: delimiters, address, acknowledgement codes and
// one command set per unit type. Every field is a 16-bit signed integer; frames carry its low byte.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "protocol/device_kind.hpp"

namespace climate {

class IniFile;

// Command codes and length codes of one unit type. The heat exchanger uses the first fifteen
// members, the air conditioner the first nine and the last three; the others stay 0.
struct DeviceCommandSet {
  std::int16_t Zhsj = 0;      // real-time data request: command code
  std::int16_t ZhsjCd = 0;    //   request length code
  std::int16_t ZhsjxyCd = 0;  //   reply length code
  std::int16_t Sdcs = 0;      // set working parameters
  std::int16_t SdcsCd = 0;
  std::int16_t SdcsxyCd = 0;
  std::int16_t Ykgj = 0;  // remote switch on/off
  std::int16_t YkgjCd = 0;
  std::int16_t YkgjxyCd = 0;
  std::int16_t Cjsdcs = 0;  // heat exchanger: set factory parameters
  std::int16_t CjsdcsCd = 0;
  std::int16_t CjsdcsxyCd = 0;
  std::int16_t Hqcjsdcs = 0;  // heat exchanger: get factory parameters
  std::int16_t HqcjsdcsCd = 0;
  std::int16_t HqcjsdcsxyCd = 0;
  std::int16_t Dtdsz = 0;  // air conditioner: set the indoor-fan stop point
  std::int16_t DtdszCd = 0;
  std::int16_t DtdszxyCD = 0;

  bool operator==(const DeviceCommandSet&) const = default;
};

struct ProtocolSettings {
  std::int16_t Id = 0;
  std::int16_t SOI = 0;
  std::int16_t EOI = 0;
  std::int16_t Zqxy = 0;
  std::int16_t Fdxy = 0;
  std::int16_t YkkjML = 0;
  std::int16_t YkgjML = 0;
  DeviceCommandSet Rjh;  // section DeviceRjh
  DeviceCommandSet Kt;   // section DeviceKt

  const DeviceCommandSet& For(DeviceKind kind) const {
    return kind == DeviceKind::HeatExchanger ? Rjh : Kt;
  }

  bool operator==(const ProtocolSettings&) const = default;
};

// One member of a command set, its key name in DeviceRjh or DeviceKt and its default.
struct CommandSetKey {
  std::string_view name;
  std::int16_t DeviceCommandSet::*member;
  std::int16_t defaultValue;
};

// The keys of one unit type's section in member order: 15 for the heat exchanger, 12 for the
// air conditioner.
std::span<const CommandSetKey> CommandSetKeys(DeviceKind kind);

// The section holding one unit type's command set: "DeviceRjh" or "DeviceKt".
std::string_view CommandSetSection(DeviceKind kind);

// The settings a new UserSet.INI holds (read defaults are the same values).
ProtocolSettings DefaultProtocolSettings();

// Reads the 34 protocol keys in record order, each with its read default.
ProtocolSettings LoadProtocolSettings(const IniFile& ini);

}  // namespace climate
