// Reading text that people or files hand over: trimming and whole numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace climate {

// Which characters count as blanks around a value.
enum class Blanks {
  Spaces,         // only ' ' (the port line settings)
  SpacesAndTabs,  // ' ' and '\t' (the settings file)
  AllControls,    // everything up to ' ', so a pasted tab or line end goes too (operator entries)
};

std::string_view TrimBlanks(std::string_view text, Blanks blanks = Blanks::AllControls);

// Whether a leading '+' is taken; a '-' always is.
enum class PlusSign { Rejected, Accepted };

// A signed decimal 32-bit integer that fills the whole text (trim it first). Nothing else is
// taken: no blanks, no second sign, no digits beyond the range.
std::optional<std::int32_t> ParseDecimal(std::string_view text, PlusSign plus = PlusSign::Rejected);

}  // namespace climate
