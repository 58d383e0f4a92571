// Finding and loading the windows' module (the Monitor and the fleet view): beside the program,
// as a build or a copied console has it, else in the installed library folder beside the
// program's bin folder, else where the package installs it.
#pragma once

#include <string>
#include <vector>

#include "console/tool_windows.hpp"

namespace climate {

inline constexpr char WindowModuleName[] = "climate-console-windows.so";

// The folders to look in, each ending with '/', for a program in exeDir (ending with '/').
std::vector<std::string> WindowModuleFolders(const std::string& exeDir);

// Loads the first usable module in the folders and returns its factory; the module stays loaded
// for the rest of the program. Without one, nullptr and in `error` what was found where.
ToolWindowFactory* LoadWindowModule(const std::vector<std::string>& folders, std::string& error);

}  // namespace climate
