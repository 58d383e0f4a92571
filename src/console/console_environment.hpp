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
  // The program's folder, ending with '/': Help.txt, the splash picture and, unless configDir
  // says otherwise, UserSet.INI.
  std::string exeDir;
  std::string logDir;  // where log files go (the working directory in the real program)
  SerialPort& port;
  Prompts& prompts;
  const Clock& clock;
  // Opens a text file in the platform's editor; empty means the desktop's default handler. False
  // when nothing could open it (no desktop opener installed).
  std::function<bool(const std::string& path)> openHelp;
  // Where UserSet.INI lives when it is not beside the program (an installed console), ending
  // with '/'; empty: exeDir.
  std::string configDir = {};
};

}  // namespace climate
