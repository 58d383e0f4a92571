// Feeds arbitrary bytes to the UserSet.INI reader and checks that what it writes reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/config/config_keys.hpp"
#include "app/config/gbk.hpp"
#include "app/config/ini_file.hpp"
#include "app/config/protocol_settings.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// A name of letters and digits taken from the input, so it is always a valid key.
std::string NameFrom(std::string_view bytes, const char* fallback) {
  std::string name;
  for (char c : bytes) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      name.push_back(c);
    }
  }
  return name.empty() ? fallback : name;
}

// Values the file keeps exactly: no surrounding blanks, no line break, text GBK can hold.
bool Storable(const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos) return false;
  if (!value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                         value.back() == '\t')) {
    return false;
  }
  return climate::GbkToUtf8(climate::Utf8ToGbk(value)) == value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  climate::IniFile ini = climate::IniFile::Parse(bytes);

  // Reading anything from any document is safe.
  (void)climate::LoadProtocolSettings(ini);
  (void)climate::ReadPortSettingsString(ini);
  (void)climate::ReadSerialPortPaths(ini);
  for (const std::string& section : ini.Sections()) {
    for (const std::string& key : ini.Keys(section)) {
      Check(ini.HasKey(section, key));
      (void)ini.ReadBool(section, key, false);
    }
  }
  std::int32_t ignored = 0;
  (void)climate::ParseIniInteger(bytes, ignored);

  // A saved document reads back as itself.
  const std::string saved = ini.Serialize();
  Check(climate::IniFile::Parse(saved).Serialize() == saved);

  // Writes into the parsed document survive a save and a reread, whatever the document held.
  const std::size_t third = size / 3;
  const std::string section = NameFrom(bytes.substr(0, third), "S");
  const std::string key = NameFrom(bytes.substr(third, third), "K");
  const std::string value = climate::GbkToUtf8(bytes.substr(2 * third));
  std::int32_t number = 0;
  for (std::size_t i = 0; i < size && i < 4; ++i) {
    number = static_cast<std::int32_t>(static_cast<std::uint32_t>(number) << 8 | data[i]);
  }
  ini.WriteInteger(section, key + "N", number);
  if (Storable(value)) ini.WriteString(section, key, value);

  const climate::IniFile reread = climate::IniFile::Parse(ini.Serialize());
  Check(reread.ReadInteger(section, key + "N", number ^ 1) == number);
  if (Storable(value)) Check(reread.ReadString(section, key, "\x01") == value);
  return 0;
}
