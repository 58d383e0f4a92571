// The two interface languages and the rule that picks one from the language menu caption.
#pragma once

#include <string_view>

namespace climate {

enum class Language { Chinese, English };

// The language menu item names the language a click switches to, so Chinese is shown exactly
// when its caption reads "English (&L)"; any other caption means English.
inline constexpr std::string_view EnglishMenuCaption = "English (&L)";
inline constexpr std::string_view ChineseMenuCaption = "中文(&L)";

inline Language LanguageFromMenuCaption(std::string_view caption) {
  return caption == EnglishMenuCaption ? Language::Chinese : Language::English;
}

// Picks the text of the current language from a pair written side by side.
inline std::string_view Pick(Language language, std::string_view chinese,
                             std::string_view english) {
  return language == Language::Chinese ? chinese : english;
}

// A text in both languages, side by side as the tables hold them.
struct TextPair {
  std::string_view chinese;
  std::string_view english;
  std::string_view In(Language language) const { return Pick(language, chinese, english); }
};

}  // namespace climate
