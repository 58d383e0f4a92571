// Bounds of peer JSON and escaping of peer text for logs.
#include "common/peer_text.hpp"

namespace climate {

std::optional<std::string> CheckJsonBounds(std::string_view text, const JsonBounds& bounds) {
  if (text.size() > bounds.maxBytes) {
    return "larger than " + std::to_string(bounds.maxBytes) + " bytes";
  }
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > bounds.maxDepth) {
        return "nested deeper than " + std::to_string(bounds.maxDepth) + " levels";
      }
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::nullopt;
}

std::string EscapeForLog(std::string_view text, std::size_t maxChars) {
  static constexpr char Hex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    std::string piece;
    if (c == '\\') {
      piece = "\\\\";
    } else if (c == '\n') {
      piece = "\\n";
    } else if (c == '\r') {
      piece = "\\r";
    } else if (c == '\t') {
      piece = "\\t";
    } else if (byte < 0x20 || byte >= 0x7f) {
      piece = {'\\', 'x', Hex[byte >> 4], Hex[byte & 0xf]};
    } else {
      piece = std::string(1, c);
    }
    if (out.size() + piece.size() > maxChars) {
      out += "...";
      break;
    }
    out += piece;
  }
  return out;
}

}  // namespace climate
