// Text that arrives from a peer (a broker, a device server, a command sender): the bounds a JSON
// message must keep before it is parsed, and the form peer text takes in a log line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace climate {

struct JsonBounds {
  std::size_t maxBytes = 64 * 1024;
  int maxDepth = 16;
};

// Checks size and nesting of a JSON text without parsing it, so that a hostile message never
// reaches the parser's recursion or allocations. Nesting counts '[' and '{' outside strings.
// nullopt when the text keeps the bounds; otherwise the bound it breaks, in words
// ("larger than 65536 bytes", "nested deeper than 16 levels").
std::optional<std::string> CheckJsonBounds(std::string_view text, const JsonBounds& bounds = {});

// Peer text fit for one log line: printable ASCII as it stands, a backslash as "\\", line ends
// and tabs as "\n", "\r", "\t", every other control or non-ASCII byte as "\xHH". Cut to
// maxChars of output with "..." after it, so one peer cannot fill the log.
std::string EscapeForLog(std::string_view text, std::size_t maxChars = 200);

}  // namespace climate
