// Which set command an acknowledgement answers. The unit's acknowledgement does not say, so the
// console remembers the last command it sent (PendingCommand) and names the reply after it.
#pragma once

#include <cstdint>

namespace climate {

// PendingCommand's values, stored and compared as these numbers.
enum class CommandCode : std::int16_t {
  HeatExchangerParameters = 0,
  AirConditionerParameters = 1,
  RemoteOn = 2,
  RemoteOff = 3,
  InternalFanStopPoint = 4,
  HeatExchangerFactory = 5,
};

}  // namespace climate
