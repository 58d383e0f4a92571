// The windows' module through QLibrary.
#include "console/window_module.hpp"

#include <QFileInfo>
#include <QLibrary>
#include <filesystem>

namespace climate {

std::vector<std::string> WindowModuleFolders(const std::string& exeDir) {
  // CLIMATE_INSTALLED_MODULE_DIR is the installed module folder relative to the installed
  // program's folder ("../lib/x86_64-linux-gnu/cabinet-climate-console/");
  // CLIMATE_PACKAGED_MODULE_DIR is where the package puts it, for a copy of the console without its
  // module (the version check refuses the package's module if it belongs to another version).
  std::vector<std::string> folders{exeDir, exeDir + CLIMATE_INSTALLED_MODULE_DIR};
  if (std::filesystem::weakly_canonical(folders[1]) !=
      std::filesystem::weakly_canonical(CLIMATE_PACKAGED_MODULE_DIR)) {
    folders.emplace_back(CLIMATE_PACKAGED_MODULE_DIR);
  }
  return folders;
}

ToolWindowFactory* LoadWindowModule(const std::vector<std::string>& folders, std::string& error) {
  std::string reasons;
  const auto note = [&reasons](const std::string& reason) {
    reasons += (reasons.empty() ? "" : "\n") + reason;
  };
  for (const std::string& folder : folders) {
    const QString path = QString::fromStdString(folder + WindowModuleName);
    if (!QFileInfo::exists(path)) {
      note(path.toStdString() + ": not found");
      continue;
    }
    QLibrary library(path);
    if (!library.load()) {
      note(library.errorString().toStdString());
      continue;
    }
    const auto entry =
        reinterpret_cast<ToolWindowsEntryFunction>(library.resolve(ToolWindowsEntry));
    ToolWindowFactory* factory = entry != nullptr ? entry(CLIMATE_VERSION) : nullptr;
    if (factory != nullptr) return factory;
    note(path.toStdString() + (entry != nullptr ? ": made for another version of the console"
                                                : ": not a module of the console"));
    library.unload();
  }
  error = reasons;
  return nullptr;
}

}  // namespace climate
