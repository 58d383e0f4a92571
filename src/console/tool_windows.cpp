// Where the main windows of the program find the Monitor and the fleet view.
#include "console/tool_windows.hpp"

#include <utility>

namespace climate {

namespace {

struct Found {
  ToolWindowSource source;
  ToolWindowFactory* factory = nullptr;
};

Found& TheSource() {
  static Found found;
  return found;
}

}  // namespace

void SetToolWindowSource(ToolWindowSource source) {
  TheSource() = Found{std::move(source), nullptr};
}

ToolWindowFactory* FindToolWindows(std::string& error) {
  Found& found = TheSource();
  if (found.factory != nullptr) return found.factory;
  if (!found.source) {
    error = "no source of the Monitor and fleet windows is set";
    return nullptr;
  }
  found.factory = found.source(error);
  return found.factory;
}

}  // namespace climate
