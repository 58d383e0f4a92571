// Every main window a test program builds gets the Monitor and the fleet view linked into the
// test program, so the tests reach the windows' own classes.
#include <string>

#include "console/linked_tool_windows.hpp"

namespace {

const bool linkedWindows = [] {
  climate::SetToolWindowSource([](std::string&) { return &climate::LinkedToolWindows(); });
  return true;
}();

}  // namespace
