#include "serial/port_settings.hpp"

#include <vector>

#include "common/text_rules.hpp"

namespace climate {

namespace {

std::vector<std::string_view> SplitCommas(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return parts;
}

bool ParseInt(std::string_view text, int& value) {
  const auto parsed = ParseDecimal(TrimBlanks(text, Blanks::Spaces));
  if (parsed) value = *parsed;
  return parsed.has_value();
}

}  // namespace

std::optional<PortSettings> ParsePortSettings(std::string_view text) {
  const auto parts = SplitCommas(text);
  if (parts.size() != 4) return std::nullopt;
  PortSettings settings;
  if (!ParseInt(parts[0], settings.baudRate) || settings.baudRate < 50 ||
      settings.baudRate > 4000000) {
    return std::nullopt;
  }
  const std::string_view parity = TrimBlanks(parts[1], Blanks::Spaces);
  if (parity == "n" || parity == "N") {
    settings.parity = Parity::None;
  } else if (parity == "o" || parity == "O") {
    settings.parity = Parity::Odd;
  } else if (parity == "e" || parity == "E") {
    settings.parity = Parity::Even;
  } else {
    return std::nullopt;
  }
  if (!ParseInt(parts[2], settings.dataBits) || settings.dataBits < 5 || settings.dataBits > 8) {
    return std::nullopt;
  }
  if (!ParseInt(parts[3], settings.stopBits) ||
      (settings.stopBits != 1 && settings.stopBits != 2)) {
    return std::nullopt;
  }
  return settings;
}

std::string FormatPortSettings(const PortSettings& settings) {
  const char parity = settings.parity == Parity::Odd    ? 'o'
                      : settings.parity == Parity::Even ? 'e'
                                                        : 'n';
  return std::to_string(settings.baudRate) + "," + parity + "," +
         std::to_string(settings.dataBits) + "," + std::to_string(settings.stopBits);
}

int BitsPerCharacter(const PortSettings& settings) {
  return 1 + settings.dataBits + (settings.parity == Parity::None ? 0 : 1) + settings.stopBits;
}

}  // namespace climate
