#include "serial/port_map.hpp"

#include <filesystem>

#include "app/config/gbk.hpp"
#include "app/config/ini_file.hpp"
#include "serial/port_entry.hpp"

namespace climate {

namespace {

std::string Key(int number) {
  return "COM" + std::to_string(number);
}

}  // namespace

EntryCheck CheckPortEntry(int number, const std::string& entry, Language language) {
  const PortEntryParse parsed = ParsePortEntry(entry);
  if (!parsed.entry) {
    return {EntryState::Unusable, BadPortEntryText(Key(number), entry, parsed.problem, language)};
  }
  if (parsed.entry->IsNetwork()) return {EntryState::Network, {}};
  std::error_code error;
  // A link that leads nowhere (an adapter's by-id name while it is unplugged) is not there.
  const bool there =
      !parsed.entry->path.empty() && std::filesystem::exists(parsed.entry->path, error);
  return {there ? EntryState::Present : EntryState::NotPresent, {}};
}

bool FitsSettingsFile(const std::string& entry) {
  return GbkToUtf8(Utf8ToGbk(entry)) == entry;
}

void SavePortEntry(const std::string& configPath, int number, const std::string& entry) {
  IniFile ini = IniFile::Load(configPath);
  ini.WriteString("SerialPorts", Key(number), entry);
  ini.Save(configPath);
}

}  // namespace climate
