// Conversion between the UTF-8 used in memory and the GBK code page of UserSet.INI.
#pragma once

#include <string>
#include <string_view>

namespace climate {

// Characters GBK cannot hold, and bytes that are not UTF-8, become '?'.
std::string Utf8ToGbk(std::string_view utf8);
// Byte sequences that are not GBK become U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace climate
