// What the window says about a log file that cannot be written: the tooltip of the log state
// indicator and the message at close when waiting lines could not be written.
#pragma once

#include <cstdint>
#include <string>

#include "app/language.hpp"

namespace climate {

inline std::string LogFailingText(const std::string& fileName, std::uint64_t waiting,
                                  std::uint64_t dropped, Language language) {
  const std::string w = std::to_string(waiting);
  const std::string d = std::to_string(dropped);
  if (language == Language::Chinese) {
    std::string text = "日志文件 " + fileName + " 无法写入: " + w + " 行等待写入";
    if (dropped > 0) text += ", " + d + " 行未能保留";
    return text;
  }
  std::string text = "The log file " + fileName + " cannot be written: " + w + " lines waiting";
  if (dropped > 0) text += ", " + d + " lines not kept";
  return text;
}

inline std::string LogLostAtCloseText(const std::string& path, std::uint64_t lines,
                                      Language language) {
  const std::string n = std::to_string(lines);
  if (language == Language::Chinese) {
    return "日志文件 " + path + " 无法写入, " + n + " 行信息未能记录!";
  }
  return "The log file " + path + " could not be written: " + n + " lines were not logged!";
}

}  // namespace climate
