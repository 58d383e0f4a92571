// The one way the windows turn the core's UTF-8 text into Qt's strings.
#pragma once

#include <QString>
#include <string_view>

namespace climate {

inline QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace climate
