// The simulator's end of the line: a pseudo-terminal whose slave side the console opens through
// a symbolic link, as it would open /dev/ttyUSB0.
//
// The simulator keeps a descriptor of the slave open itself ("holder"), so the console closing
// and reopening the port never makes the master see a hang-up. When the simulator ends, the
// master closes and the console sees the line hang up, like a pulled cable.
#pragma once

#include <string>

namespace climate::unitsim {

class PseudoTerminal {
 public:
  // Opens the master, unlocks the slave, puts it in raw mode and points linkPath at it. An
  // existing symbolic link at linkPath is replaced; anything else there is left alone and
  // reported. Throws std::runtime_error.
  explicit PseudoTerminal(const std::string& linkPath);
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  int MasterFd() const { return master_; }  // non-blocking
  int HolderFd() const { return holder_; }
  const std::string& SlavePath() const { return slavePath_; }
  const std::string& LinkPath() const { return linkPath_; }

  // A hang-up forced on the console's descriptor (TIOCVHANGUP) hangs up every open descriptor
  // of the slave, the holder's too: take a fresh one so the line stays up for the next open.
  void RenewHolder();

 private:
  static int OpenRawSlave(const std::string& path);

  std::string linkPath_;
  std::string slavePath_;
  int master_ = -1;
  int holder_ = -1;
};

}  // namespace climate::unitsim
