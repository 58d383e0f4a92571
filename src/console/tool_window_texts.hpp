// What the operator is told when the Monitor or the fleet view cannot be opened because their
// module is missing or unusable, Chinese and English side by side.
#pragma once

#include <string>
#include <string_view>

#include "app/language.hpp"

namespace climate {

// %1 is the window's name.
inline constexpr TextPair ToolWindowsMissing{
    "无法打开“%1”窗口：程序的窗口模块 climate-console-windows.so 缺失或无法加载，"
    "请重新安装本程序。主窗口照常工作。",
    "The %1 window cannot be opened: the console's window module climate-console-windows.so "
    "is missing or cannot be loaded. Reinstall the console; the main window works as before."};

// The text with the window's name, and under it what was found where.
inline std::string ToolWindowsMissingText(std::string_view windowName, const std::string& detail,
                                          Language language) {
  std::string text(ToolWindowsMissing.In(language));
  const std::string::size_type at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, windowName);
  if (!detail.empty()) text += "\n\n" + detail;
  return text;
}

}  // namespace climate
