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

// Bits on the wire for one character: start bit, data bits, parity bit if any, stop bits.
int BitsPerCharacter(const PortSettings& settings);
// How long `bytes` queued for sending may take to leave before the line counts as stalled: three
// times their time on the wire, plus a second for an adapter's own buffering and a busy host.
std::int64_t DrainBoundMs(std::size_t bytes, const PortSettings& settings);

}  // namespace climate
