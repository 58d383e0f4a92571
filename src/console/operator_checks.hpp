// Checks of what the operator types or picks: the fan stop point, the operator password and the
// port list text. Plain logic, so every rule can be tested without a window.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace climate {

// A text that should have been a whole number; shown in the general error box.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class StopPointCheck { Ok, NotDigits, OutOfRange };

struct StopPointResult {
  StopPointCheck check = StopPointCheck::Ok;
  int degrees = 0;  // valid only for Ok
};

inline constexpr int MaxStopPoint = 15;

// The trimmed entry must be decimal digits (none at all means 0) and at most 15.
StopPointResult ValidateStopPoint(std::string_view entry);

// Longer entries are refused: the scrambling key covers 15 characters.
inline constexpr std::size_t MaxPasswordLength = 15;

// The trimmed entry, scrambled, equals the stored scrambled password byte for byte.
bool PasswordMatches(std::string_view entry, std::string_view scrambledPassword);

// "COM3" -> 3: the fourth character of the port list text. Anything else, the empty text of a
// list without a selection included, throws ConversionError "'<char>' is not a valid integer
// value".
int PortNumberFromListText(std::string_view text);

}  // namespace climate
