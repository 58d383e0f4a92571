// Command line of climate-sim: which unit it plays, where it serves, and the faults it scripts.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/device_kind.hpp"

namespace climate::unitsim {

class OptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Alarm bits held set whatever the model says, as they appear in the real-time reply.
struct ForcedAlarms {
  std::uint8_t alarmByte1 = 0;
  std::uint8_t alarmByte2 = 0;
};

struct SimOptions {
  DeviceKind kind = DeviceKind::AirConditioner;
  std::string linkPath;
  std::string configPath;  // empty: the protocol values a new UserSet.INI holds
  int fragment = 0;        // bytes per write of a reply; 0 writes each reply at once
  bool noise = false;      // garbage before every reply
  int corruptEvery = 0;    // every K-th reply with a bad checksum; 0 never
  bool nak = false;        // every request answered with a negative acknowledgement
  bool silent = false;     // requests are received and recorded, never answered
  int ackDelayMs = 0;      // acknowledgements go out this late, and every reply behind them
  int baud = 0;            // line speed to imitate (8N1); 0 delivers at once
  ForcedAlarms alarms;
  std::string recordPath;  // every received request as a hex line; empty: none
  bool help = false;
};

// args excludes the program name. Accepts "--name value" and "--name=value".
// Throws OptionError with a text for the operator.
SimOptions ParseSimOptions(const std::vector<std::string>& args);

// Sets the bit of a named alarm; false for an unknown name.
bool ForceAlarm(std::string_view name, ForcedAlarms& alarms);

std::string SimHelpText();

// "ac" or "hx".
std::string_view KindName(DeviceKind kind);

}  // namespace climate::unitsim
