// Defaults and loading of the protocol constants. The same key tables, each key with its default,
// serve the loader and the writer of a new file, so a name or a default cannot differ between the
// two.
#include "app/config/protocol_settings.hpp"

#include <algorithm>
#include <array>

#include "app/config/ini_file.hpp"

namespace climate {
namespace {

using Set = DeviceCommandSet;

// The requests both units know, first in both sections, with the codes both units answer.
constexpr std::array<CommandSetKey, 9> CommonKeys = {{
    {"Zhsj", &Set::Zhsj, 0x41},
    {"ZhsjCd", &Set::ZhsjCd, 0x11},
    {"ZhsjxyCd", &Set::ZhsjxyCd, 0xDD},
    {"Sdcs", &Set::Sdcs, 0x42},
    {"SdcsCd", &Set::SdcsCd, 0x77},
    {"SdcsxyCd", &Set::SdcsxyCd, 0x11},
    {"Ykgj", &Set::Ykgj, 0x43},
    {"YkgjCd", &Set::YkgjCd, 0x22},
    {"YkgjxyCd", &Set::YkgjxyCd, 0x11},
}};

template <std::size_t N>
constexpr std::array<CommandSetKey, CommonKeys.size() + N> AfterCommonKeys(
    const std::array<CommandSetKey, N>& own) {
  std::array<CommandSetKey, CommonKeys.size() + N> keys{};
  std::copy(CommonKeys.begin(), CommonKeys.end(), keys.begin());
  std::copy(own.begin(), own.end(), keys.begin() + CommonKeys.size());
  return keys;
}

constexpr auto HeatExchangerKeys = AfterCommonKeys<6>({{
    {"Cjsdcs", &Set::Cjsdcs, 0x44},
    {"CjsdcsCd", &Set::CjsdcsCd, 0x66},
    {"CjsdcsxyCd", &Set::CjsdcsxyCd, 0x11},
    {"Hqcjsdcs", &Set::Hqcjsdcs, 0x45},
    {"HqcjsdcsCd", &Set::HqcjsdcsCd, 0x11},
    {"HqcjsdcsxyCd", &Set::HqcjsdcsxyCd, 0x55},
}});

constexpr auto AirConditionerKeys = AfterCommonKeys<3>({{
    {"Dtdsz", &Set::Dtdsz, 0x44},
    {"DtdszCd", &Set::DtdszCd, 0x22},
    {"DtdszxyCD", &Set::DtdszxyCD, 0x11},
}});
static_assert(HeatExchangerKeys.size() == 15 && AirConditionerKeys.size() == 12);

// Device-section fields in record order, with their defaults.
struct DeviceKey {
  std::string_view name;
  std::int16_t ProtocolSettings::*member;
  std::int16_t defaultValue;
};
constexpr std::array<DeviceKey, 7> DeviceKeys = {{
    {"Id", &ProtocolSettings::Id, 1},
    {"SOI", &ProtocolSettings::SOI, 0x7E},
    {"EOI", &ProtocolSettings::EOI, 0x0D},
    {"Zqxy", &ProtocolSettings::Zqxy, 0xA5},
    {"Fdxy", &ProtocolSettings::Fdxy, 0xFF},
    {"YkkjML", &ProtocolSettings::YkkjML, 0},
    {"YkgjML", &ProtocolSettings::YkgjML, 0xFF},
}};

DeviceCommandSet& CommandSetOf(ProtocolSettings& settings, DeviceKind kind) {
  return kind == DeviceKind::HeatExchanger ? settings.Rjh : settings.Kt;
}

constexpr DeviceKind BothKinds[] = {DeviceKind::HeatExchanger, DeviceKind::AirConditioner};

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
  for (const DeviceKey& key : DeviceKeys) settings.*key.member = key.defaultValue;
  for (const DeviceKind kind : BothKinds) {
    for (const CommandSetKey& key : CommandSetKeys(kind)) {
      CommandSetOf(settings, kind).*key.member = key.defaultValue;
    }
  }
  return settings;
}

ProtocolSettings LoadProtocolSettings(const IniFile& ini) {
  const ProtocolSettings defaults = DefaultProtocolSettings();
  ProtocolSettings settings = defaults;
  for (const DeviceKey& key : DeviceKeys) {
    settings.*key.member = ReadField(ini, "Device", key.name, defaults.*key.member);
  }
  for (const DeviceKind kind : BothKinds) {
    const DeviceCommandSet& fallback = defaults.For(kind);
    for (const CommandSetKey& key : CommandSetKeys(kind)) {
      CommandSetOf(settings, kind).*key.member =
          ReadField(ini, CommandSetSection(kind), key.name, fallback.*key.member);
    }
  }
  return settings;
}

}  // namespace climate
