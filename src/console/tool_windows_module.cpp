// The entry of the windows' module, the one symbol it exports. Everything else in the module,
// its own copy of the core included, stays hidden, so the program's copy and the module's never
// stand in for each other.
#include <cstring>

#include "console/linked_tool_windows.hpp"

extern "C" __attribute__((visibility("default"))) climate::ToolWindowFactory*
climate_console_windows(const char* version) {
  if (version == nullptr || std::strcmp(version, CLIMATE_VERSION) != 0) return nullptr;
  return &climate::LinkedToolWindows();
}

// The loader looks the entry up by this name.
static_assert(sizeof(climate::ToolWindowsEntry) == sizeof("climate_console_windows"));
