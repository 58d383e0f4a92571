// Defaults and loading of the protocol constants. The same key tables serve the loader and the
// writer of a new file, so a key name cannot differ between the two.
#include "app/config/protocol_settings.hpp"

#include <array>

#include "app/config/ini_file.hpp"

namespace climate {
namespace {

using Set = DeviceCommandSet;

constexpr std::array<CommandSetKey, 15> HeatExchangerKeys = {{
    {"Zhsj", &Set::Zhsj},
    {"ZhsjCd", &Set::ZhsjCd},
    {"ZhsjxyCd", &Set::ZhsjxyCd},
    {"Sdcs", &Set::Sdcs},
    {"SdcsCd", &Set::SdcsCd},
    {"SdcsxyCd", &Set::SdcsxyCd},
    {"Ykgj", &Set::Ykgj},
    {"YkgjCd", &Set::YkgjCd},
    {"YkgjxyCd", &Set::YkgjxyCd},
    {"Cjsdcs", &Set::Cjsdcs},
    {"CjsdcsCd", &Set::CjsdcsCd},
    {"CjsdcsxyCd", &Set::CjsdcsxyCd},
    {"Hqcjsdcs", &Set::Hqcjsdcs},
    {"HqcjsdcsCd", &Set::HqcjsdcsCd},
    {"HqcjsdcsxyCd", &Set::HqcjsdcsxyCd},
}};

constexpr std::array<CommandSetKey, 12> AirConditionerKeys = {{
    {"Zhsj", &Set::Zhsj},
    {"ZhsjCd", &Set::ZhsjCd},
    {"ZhsjxyCd", &Set::ZhsjxyCd},
    {"Sdcs", &Set::Sdcs},
    {"SdcsCd", &Set::SdcsCd},
    {"SdcsxyCd", &Set::SdcsxyCd},
    {"Ykgj", &Set::Ykgj},
    {"YkgjCd", &Set::YkgjCd},
    {"YkgjxyCd", &Set::YkgjxyCd},
    {"Dtdsz", &Set::Dtdsz},
    {"DtdszCd", &Set::DtdszCd},
    {"DtdszxyCD", &Set::DtdszxyCD},
}};

// Device-section fields in record order.
struct DeviceKey {
  std::string_view name;
  std::int16_t ProtocolSettings::*member;
};
constexpr std::array<DeviceKey, 7> DeviceKeys = {{
    {"Id", &ProtocolSettings::Id},
    {"SOI", &ProtocolSettings::SOI},
    {"EOI", &ProtocolSettings::EOI},
    {"Zqxy", &ProtocolSettings::Zqxy},
    {"Fdxy", &ProtocolSettings::Fdxy},
    {"YkkjML", &ProtocolSettings::YkkjML},
    {"YkgjML", &ProtocolSettings::YkgjML},
}};

// Both units answer the common requests with the same codes.
DeviceCommandSet CommonCommands() {
  DeviceCommandSet set;
  set.Zhsj = 0x41;
  set.ZhsjCd = 0x11;
  set.ZhsjxyCd = 0xDD;
  set.Sdcs = 0x42;
  set.SdcsCd = 0x77;
  set.SdcsxyCd = 0x11;
  set.Ykgj = 0x43;
  set.YkgjCd = 0x22;
  set.YkgjxyCd = 0x11;
  return set;
}

// Values beyond 16 bits keep their low half, as the 16-bit fields always have.
std::int16_t ReadField(const IniFile& ini, std::string_view section, std::string_view key,
                       std::int16_t fallback) {
  return static_cast<std::int16_t>(ini.ReadInteger(section, key, fallback));
}

}  // namespace

std::span<const CommandSetKey> CommandSetKeys(DeviceKind kind) {
  if (kind == DeviceKind::HeatExchanger) return HeatExchangerKeys;
  return AirConditionerKeys;
}

std::string_view CommandSetSection(DeviceKind kind) {
  return kind == DeviceKind::HeatExchanger ? "DeviceRjh" : "DeviceKt";
}

ProtocolSettings DefaultProtocolSettings() {
  ProtocolSettings settings;
  settings.Id = 1;
  settings.SOI = 0x7E;
  settings.EOI = 0x0D;
  settings.Zqxy = 0xA5;
  settings.Fdxy = 0xFF;
  settings.YkkjML = 0;
  settings.YkgjML = 0xFF;

  settings.Rjh = CommonCommands();
  settings.Rjh.Cjsdcs = 0x44;
  settings.Rjh.CjsdcsCd = 0x66;
  settings.Rjh.CjsdcsxyCd = 0x11;
  settings.Rjh.Hqcjsdcs = 0x45;
  settings.Rjh.HqcjsdcsCd = 0x11;
  settings.Rjh.HqcjsdcsxyCd = 0x55;

  settings.Kt = CommonCommands();
  settings.Kt.Dtdsz = 0x44;
  settings.Kt.DtdszCd = 0x22;
  settings.Kt.DtdszxyCD = 0x11;
  return settings;
}

ProtocolSettings LoadProtocolSettings(const IniFile& ini) {
  const ProtocolSettings defaults = DefaultProtocolSettings();
  ProtocolSettings settings = defaults;
  for (const DeviceKey& key : DeviceKeys) {
    settings.*key.member = ReadField(ini, "Device", key.name, defaults.*key.member);
  }
  for (const DeviceKind kind : {DeviceKind::HeatExchanger, DeviceKind::AirConditioner}) {
    const DeviceCommandSet& fallback = defaults.For(kind);
    DeviceCommandSet& set = kind == DeviceKind::HeatExchanger ? settings.Rjh : settings.Kt;
    for (const CommandSetKey& key : CommandSetKeys(kind)) {
      set.*key.member = ReadField(ini, CommandSetSection(kind), key.name, fallback.*key.member);
    }
  }
  return settings;
}

}  // namespace climate
