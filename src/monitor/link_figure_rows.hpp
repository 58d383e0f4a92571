// The link health figures as the Monitor's page and the service report list them: one row per
// figure, in the same order, under the same caption, in the same format.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/language.hpp"
#include "monitor/link_statistics.hpp"

namespace climate {

struct LinkFigureRow {
  const char* key;  // the object name of the row's value on the Monitor's page
  TextPair caption;
  std::optional<std::string> value;  // none: not known yet
};

// Counts in decimal, latencies as "N ms", the age of the last good reply as a duration, the line
// settings' state as a sentence in the language given.
std::vector<LinkFigureRow> LinkFigureRows(const LinkFigures& link,
                                          Language language = Language::English);

}  // namespace climate
