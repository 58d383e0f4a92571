// Operator input rules: the stop point, the password and the port number.
#include "console/operator_checks.hpp"

#include "common/text_rules.hpp"
#include "protocol/frame.hpp"

namespace climate {

StopPointResult ValidateStopPoint(std::string_view entry) {
  const std::string_view digits = TrimBlanks(entry);
  for (char c : digits) {
    if (c < '0' || c > '9') return {StopPointCheck::NotDigits, 0};
  }
  // Accumulating with a cap keeps a long run of digits from overflowing.
  int value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > MaxStopPoint) return {StopPointCheck::OutOfRange, 0};
  }
  return {StopPointCheck::Ok, value};
}

bool PasswordMatches(std::string_view entry, std::string_view scrambledPassword) {
  const std::string_view trimmed = TrimBlanks(entry);
  if (trimmed.size() > MaxPasswordLength) return false;
  return ScramblePassword(trimmed) == scrambledPassword;
}

int PortNumberFromListText(std::string_view text) {
  const std::string_view digit = text.size() >= 4 ? text.substr(3, 1) : std::string_view{};
  if (digit.empty() || digit[0] < '0' || digit[0] > '9') {
    throw ConversionError("'" + std::string(digit) + "' is not a valid integer value");
  }
  return digit[0] - '0';
}

}  // namespace climate
