// Where an installed or a copied console finds its files. A copy in a folder of its own keeps
// UserSet.INI, Help.txt and the splash picture beside the executable. A console installed in a
// system folder (/usr/bin) may not write there: its settings live in the user's configuration
// folder and its read-only files in the package's data folder.
#pragma once

#include <string>

namespace climate {

inline constexpr char InstalledDataFolder[] = "share/cabinet-climate-console/";
inline constexpr char UserConfigFolder[] = "cabinet-climate-console/";

struct ConsoleFolders {
  std::string dataDir;    // Help.txt and FlashPictrue.jpg, ending with '/'
  std::string configDir;  // UserSet.INI, ending with '/'
};

struct FolderEnvironment {
  std::string xdgConfigHome;  // $XDG_CONFIG_HOME, may be empty
  std::string home;           // $HOME, may be empty
};

// exeDir ends with '/'. The console counts as installed when Help.txt and the picture are not
// beside the executable but in <exeDir>/../share/cabinet-climate-console/, which then is the data
// folder. The settings stay beside the executable when a UserSet.INI is there, or when a copied
// (not installed) console may write its folder; otherwise they go to
// $XDG_CONFIG_HOME/cabinet-climate-console/ (~/.config/... without it), which is created.
ConsoleFolders ChooseConsoleFolders(const std::string& exeDir, const FolderEnvironment& env);

}  // namespace climate
