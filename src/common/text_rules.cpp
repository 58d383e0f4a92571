#include "common/text_rules.hpp"

#include <charconv>

namespace climate {

namespace {

bool IsBlank(char c, Blanks blanks) {
  switch (blanks) {
    case Blanks::Spaces:
      return c == ' ';
    case Blanks::SpacesAndTabs:
      return c == ' ' || c == '\t';
    case Blanks::AllControls:
      break;
  }
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string_view TrimBlanks(std::string_view text, Blanks blanks) {
  while (!text.empty() && IsBlank(text.front(), blanks)) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back(), blanks)) text.remove_suffix(1);
  return text;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text, PlusSign plus) {
  // from_chars takes a minus itself but no plus, and "+-5" must not pass as -5.
  if (plus == PlusSign::Accepted && !text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace climate
