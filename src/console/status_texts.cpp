// Status bar and tray texts, both languages side by side.
#include "console/status_texts.hpp"

#include <sys/sysinfo.h>

#include <array>
#include <charconv>
#include <fstream>
#include <sstream>

namespace climate {

namespace {

constexpr std::array<std::string_view, 7> ChineseWeekdays = {"星期日", "星期一", "星期二", "星期三",
                                                             "星期四", "星期五", "星期六"};
constexpr std::array<std::string_view, 7> EnglishWeekdays = {
    "  Sunday", "  Monday", "  Tuesday", "  Wednesday", "  Thursday", "  Friday", "  Saturday"};

std::string Str(std::string_view text) {
  return std::string(text);
}

}  // namespace

std::string ClockTimeText(const LocalDateTime& time, Language language) {
  const std::string h = std::to_string(time.hour);
  const std::string m = std::to_string(time.minute);
  const std::string s = std::to_string(time.second);
  if (language == Language::Chinese) return h + "时" + m + "分" + s + "秒  ";
  return h + ":" + m + ":" + s + "  ";
}

std::string ClockDateText(const LocalDateTime& time, Language language) {
  std::string text =
      std::to_string(time.year) + "-" + std::to_string(time.month) + "-" + std::to_string(time.day);
  const std::size_t weekday = static_cast<std::size_t>(time.weekday) % 7;
  text += language == Language::Chinese ? ChineseWeekdays[weekday] : EnglishWeekdays[weekday];
  return text;
}

std::string PortInUseText(std::string_view port, Language language) {
  return Str(Pick(language, "使用串口为", "Using Serial Port ")) + Str(port);
}

std::string PortOpenFailedText(std::string_view port, Language language) {
  return Str(Pick(language, "打开串口", "Open Serial Port ")) + Str(port) +
         Str(Pick(language, "失败!", "Fail!"));
}

std::string PortClosedText(std::string_view port, Language language) {
  return Str(Pick(language, "串口", "Serial Port")) + Str(port) +
         Str(Pick(language, "已经关闭", "Closed"));
}

std::string PortLostText(std::string_view port, Language language) {
  return Str(Pick(language, "串口", "Serial Port ")) + Str(port) +
         Str(Pick(language, "连接中断", " Lost"));
}

std::string_view PortOpenFailedMessage(Language language) {
  return Pick(language, "串口打开失败", "Open Serial Port Fail");
}

std::string_view PortOpenFailedCaption(Language language) {
  return Pick(language, "错误！", "Error!");
}

std::string_view CollectionModeText(bool periodic, Language language) {
  return periodic ? Pick(language, "定时方式召唤数据", "Periodical Report")
                  : Pick(language, "手动方式召唤数据", "Manual");
}

std::string TrayToolTipText(std::uint64_t freeKiB, Language language) {
  const std::string number = std::to_string(freeKiB);
  if (language == Language::Chinese) return std::string(30, ' ') + number + " K";
  return "Monitoring System Running!Free Memory " + number + " K";
}

std::optional<std::uint64_t> ParseMemAvailableKiB(std::string_view meminfo) {
  constexpr std::string_view Key = "MemAvailable:";
  const std::size_t at = meminfo.find(Key);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t pos = at + Key.size();
  while (pos < meminfo.size() && meminfo[pos] == ' ') ++pos;
  std::uint64_t value = 0;
  const char* first = meminfo.data() + pos;
  const char* last = meminfo.data() + meminfo.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end == first) return std::nullopt;
  return value;  // the kernel states it in kB already
}

std::optional<std::uint64_t> ReadFreeMemoryKiB() {
  std::ifstream file("/proc/meminfo");
  if (file) {
    std::ostringstream text;
    text << file.rdbuf();
    if (auto kib = ParseMemAvailableKiB(text.str())) return kib;
  }
  struct sysinfo info {};
  if (::sysinfo(&info) != 0) return std::nullopt;
  return (static_cast<std::uint64_t>(info.freeram) * info.mem_unit) >> 10;
}

}  // namespace climate
