// The Monitor and the fleet view linked into the binary that holds them: the windows' module,
// and the tests, which drive the windows directly.
#pragma once

#include "console/tool_windows.hpp"

namespace climate {

ToolWindowFactory& LinkedToolWindows();

}  // namespace climate
