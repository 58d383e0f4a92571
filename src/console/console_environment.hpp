// What the main window needs from the world outside it, handed in so that tests can build the
// window with a fake port, scripted prompts, a fake clock and temporary folders.
#pragma once

#include <functional>
#include <string>

namespace climate {

class Clock;
class Prompts;
class SerialPort;

struct ConsoleEnvironment {
  std::string exeDir;  // the executable's folder, ending with '/': UserSet.INI and Help.txt
  std::string logDir;  // where log files go (the working directory in the real program)
  SerialPort& port;
  Prompts& prompts;
  const Clock& clock;
  // Opens a text file in the platform's editor; empty means the desktop's default handler. False
  // when nothing could open it (no desktop opener installed).
  std::function<bool(const std::string& path)> openHelp;
};

}  // namespace climate
