// The default set of a new UserSet.INI and the readers of the port keys. The order of the writes
// is the order of the file, which operators and service staff know by heart.
#include "app/config/config_keys.hpp"

#include "app/config/ini_file.hpp"
#include "app/config/protocol_settings.hpp"

namespace climate {
namespace {

constexpr std::array<ParameterKey, 6> KtKeys = {{
    {"Zltzd", "ZltzdE", 32, "25"},
    {"Zllmd", "ZllmdE", 10, "0"},
    {"Jrkqd", "JrkqdE", 5, "10"},
    {"Jrlmd", "JrlmdE", 10, "0"},
    {"Gwgjd", "GwgjdE", 55, "0"},
    {"Dwgjd", "DwgjdE", 0, "5"},
}};

constexpr std::array<ParameterKey, 11> RjhKeys = {{
    {"Wfjtsd", "WfjtsdE", 30, "30"},
    {"WfjqsdjyTsdpc", "WfjqsdjyTsdpcE", 10, "10"},
    {"Jrkqd", "JrkqdE", 5, "5"},
    {"Jrlmd", "JrlmdE", 10, "10"},
    {"Gwbjd", "GwbjdE", 55, "55"},
    {"Dwbjd", "DwbjdE", 0, "0"},
    {"Nfjkstsd", "NfjkstsdE", 25, "25"},
    {"Nfjqsdjynfjtsdpc", "NfjqsdjynfjtsdpcE", 10, "10"},
    {"Nfjtzd", "NfjtzdE", 0, "0"},
    {"Wfjtzdjywfjtsdpc", "WfjtzdjywfjtsdpcE", 5, "5"},
    {"Fjzdzs", "FjzdzsE", 30, "30"},
}};

constexpr std::array<std::string_view, 4> DefaultPortPaths = {"/dev/ttyS0", "/dev/ttyS1",
                                                              "/dev/ttyS2", "/dev/ttyS3"};

void WriteWindow(IniFile& ini, const WindowKeys& window) {
  ini.WriteInteger(window.section, "Height", window.height);
  ini.WriteInteger(window.section, "Width", window.width);
  ini.WriteInteger(window.section, "Color", window.color);
}

void WriteParameters(IniFile& ini, std::string_view section, std::span<const ParameterKey> keys) {
  for (const ParameterKey& key : keys) {
    ini.WriteInteger(section, key.key, key.creationDefault);
    ini.WriteInteger(section, key.enableKey, CreationDefault::ParameterEnabled ? 1 : 0);
  }
}

void WriteCommandSet(IniFile& ini, const ProtocolSettings& protocol, DeviceKind kind) {
  for (const CommandSetKey& key : CommandSetKeys(kind)) {
    ini.WriteInteger(CommandSetSection(kind), key.name, protocol.For(kind).*key.member);
  }
}

}  // namespace

std::span<const ParameterKey> UserSetKtKeys() {
  return KtKeys;
}
std::span<const ParameterKey> UserSetRjhKeys() {
  return RjhKeys;
}

std::string DefaultFlashPicture(const std::string& exeDir) {
  return exeDir + "FlashPictrue.jpg";
}

void WriteDefaultConfiguration(IniFile& ini, const std::string& exeDir) {
  namespace C = CreationDefault;
  for (const WindowKeys& window : C::Windows) WriteWindow(ini, window);

  ini.WriteInteger("FrmFlash", "Time", C::FlashTime);
  ini.WriteString("FrmFlash", "FlashPictrue", DefaultFlashPicture(exeDir));
  ini.WriteInteger("FrmFlash", "Color", C::SkyBlue);

  ini.WriteInteger("UserSet", "Check", C::Check ? 1 : 0);
  ini.WriteInteger("UserSet", "Timer", C::Timer);
  ini.WriteInteger("UserSet", "MaxLine", C::MaxLine);
  ini.WriteInteger("UserSet", "ComNum", C::ComNum);
  ini.WriteString("UserSet", "UserPwd", DefaultScrambledPassword);
  ini.WriteString("UserSet", "Language", C::Language);

  // The unit selector's initial index opens the Device section here; the protocol keys join it
  // further down.
  ini.WriteInteger("Device", "DeviceType", C::DeviceType);

  WriteParameters(ini, "UserSetRjh", RjhKeys);
  WriteParameters(ini, "UserSetKt", KtKeys);

  ini.WriteInteger("ComSet", "Bote", C::Bote);
  ini.WriteInteger("ComSet", "Data", C::Data);
  ini.WriteInteger("ComSet", "Om", C::Om);
  ini.WriteInteger("ComSet", "Stop", C::Stop);

  const ProtocolSettings protocol = DefaultProtocolSettings();
  ini.WriteInteger("Device", "DeviceType", C::DeviceType);
  ini.WriteInteger("Device", "Id", protocol.Id);
  ini.WriteInteger("Device", "SOI", protocol.SOI);
  ini.WriteInteger("Device", "EOI", protocol.EOI);
  ini.WriteInteger("Device", "YkkjML", protocol.YkkjML);
  ini.WriteInteger("Device", "YkgjML", protocol.YkgjML);
  ini.WriteInteger("Device", "Zqxy", protocol.Zqxy);
  ini.WriteInteger("Device", "Fdxy", protocol.Fdxy);
  WriteCommandSet(ini, protocol, DeviceKind::HeatExchanger);
  WriteCommandSet(ini, protocol, DeviceKind::AirConditioner);

  ini.WriteInteger("Debug", "IsShow", C::DebugIsShow ? 1 : 0);
  ini.WriteInteger("Debug", "FjtzdE", C::DebugFjtzdE ? 1 : 0);
  ini.WriteInteger("Debug", "CjCsSetE", C::DebugCjCsSetE ? 1 : 0);
}

std::array<std::string, 4> ReadSerialPortPaths(const IniFile& ini) {
  std::array<std::string, 4> paths;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string key = "COM" + std::to_string(i + 1);
    paths[i] = ini.ReadString("SerialPorts", key, DefaultPortPaths[i]);
    // "COM1=" names no device at all; the default is the only path that could open.
    if (paths[i].empty()) paths[i] = DefaultPortPaths[i];
  }
  return paths;
}

std::string ReadPortSettingsString(const IniFile& ini) {
  std::string parity = "n";
  switch (ini.ReadInteger("ComSet", "Om", ReadDefault::Om)) {
    case 1:
      parity = "o";
      break;
    case 2:
      parity = "e";
      break;
    default:
      break;
  }
  return ini.ReadString("ComSet", "Bote", ReadDefault::Bote) + "," + parity + "," +
         ini.ReadString("ComSet", "Data", ReadDefault::Data) + "," +
         ini.ReadString("ComSet", "Stop", ReadDefault::Stop);
}

}  // namespace climate
