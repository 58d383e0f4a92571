// The port settings text "9600,n,8,1": rate, parity n/o/e, data bits 5-8, stop bits 1 or 2.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace climate {

enum class Parity { None, Odd, Even };

struct PortSettings {
  int baudRate = 9600;
  Parity parity = Parity::None;
  int dataBits = 8;
  int stopBits = 1;
};

// nullopt for a text the port cannot apply. Parity letters are accepted in either case.
std::optional<PortSettings> ParsePortSettings(std::string_view text);
std::string FormatPortSettings(const PortSettings& settings);

}  // namespace climate
