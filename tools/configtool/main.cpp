// climate-config: prepares a UserSet.INI from scripts, e.g. to point COM1 at a simulator.
//
//   climate-config FILE [--defaults] [--set SECTION KEY VALUE]...
//
// --defaults writes the full default set first when FILE does not exist yet (the folder of FILE
// is taken as the executable's folder); --set writes one value. The file is written once.
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"

namespace {

int Usage() {
  std::cerr << "usage: climate-config FILE [--defaults] [--set SECTION KEY VALUE]...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0) return Usage();
  const std::string path = argv[1];
  climate::IniFile ini = climate::IniFile::Load(path);
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--defaults") {
      if (!ini.Existed()) {
        std::string dir = std::filesystem::absolute(path).parent_path().string();
        if (dir.empty() || dir.back() != '/') dir += '/';
        climate::WriteDefaultConfiguration(ini, dir);
      }
    } else if (option == "--set" && i + 3 < argc) {
      ini.WriteString(argv[i + 1], argv[i + 2], argv[i + 3]);
      i += 3;
    } else {
      return Usage();
    }
  }
  try {
    ini.Save(path);
  } catch (const std::exception& error) {
    std::cerr << "climate-config: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
