// The console program from start to end: application, main window, splash, dialogs, message
// loop.
#pragma once

namespace climate {

int RunConsole(int argc, char** argv);

}  // namespace climate
