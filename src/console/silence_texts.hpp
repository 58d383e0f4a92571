// What the window says about a unit that has stopped answering: the tooltip of the silence mark
// in the status bar.
#pragma once

#include <cstdint>
#include <string>

#include "app/language.hpp"
#include "monitor/realtime_sample.hpp"

namespace climate {

// "The unit has not answered for 00:00:07; requests unanswered: 5".
inline std::string UnitSilentText(std::int64_t silentMs, std::uint64_t unanswered,
                                  Language language) {
  const std::string duration = FormatDuration(silentMs);
  const std::string count = std::to_string(unanswered);
  if (language == Language::Chinese) {
    return "设备已 " + duration + " 无应答; 未获应答的请求: " + count;
  }
  return "The unit has not answered for " + duration + "; requests unanswered: " + count;
}

}  // namespace climate
