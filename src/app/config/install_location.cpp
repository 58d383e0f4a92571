// Choosing the console's folders for a copied or an installed executable.
#include "app/config/install_location.hpp"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "app/config/config_keys.hpp"

namespace climate {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(path, error);
}

std::string UserConfigDir(const FolderEnvironment& env) {
  std::string base = env.xdgConfigHome;
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
  if (base.empty() || base.front() != '/') {
    if (env.home.empty()) return {};
    base = env.home + "/.config";
  }
  if (base.back() != '/') base += '/';
  return base + UserConfigFolder;
}

}  // namespace

ConsoleFolders ChooseConsoleFolders(const std::string& exeDir, const FolderEnvironment& env) {
  ConsoleFolders folders{exeDir, exeDir};
  const std::string installedData = exeDir + "../" + InstalledDataFolder;
  const bool installed =
      !Exists(exeDir + "Help.txt") && !Exists(exeDir + "FlashPictrue.jpg") && Exists(installedData);
  if (installed) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(installedData, error);
    folders.dataDir = error ? installedData : canonical.string() + "/";
  }
  // An installed console never writes into the system's program folder, even when it could
  // (started by root); a copy keeps its settings beside itself wherever it may.
  if (Exists(exeDir + std::string(ConfigFileName))) return folders;
  if (!installed && ::access(exeDir.c_str(), W_OK) == 0) return folders;
  const std::string userDir = UserConfigDir(env);
  if (userDir.empty()) return folders;
  std::error_code error;
  fs::create_directories(userDir, error);
  // A folder that cannot be made leaves the settings where they were: the window then says once
  // that it cannot write them, as it does in any read-only folder.
  if (!error) folders.configDir = userDir;
  return folders;
}

}  // namespace climate
