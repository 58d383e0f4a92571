#include "serial/port_entry.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace climate {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsHostNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_';
}

// What the name system carries: 253 characters in all, 63 between two dots. A longer name can
// never be looked up, so it is refused here with its reason rather than failing at each open.
constexpr std::size_t MaxHostNameLength = 253;
constexpr std::size_t MaxHostLabelLength = 63;

bool HostNameTooLong(std::string_view host) {
  if (host.size() > MaxHostNameLength) return true;
  std::size_t label = 0;
  for (const char c : host) {
    label = c == '.' ? 0 : label + 1;
    if (label > MaxHostLabelLength) return true;
  }
  return false;
}

bool IsIpv6Char(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
}

// Splits "host:port" or "[v6]:port" into its parts; the problem names what is wrong.
EntryProblem SplitAuthority(std::string_view rest, PortEntry& entry) {
  std::string_view host;
  std::string_view port;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return EntryProblem::BadHost;
    host = rest.substr(1, close - 1);
    if (host.empty()) return EntryProblem::MissingHost;
    if (!std::all_of(host.begin(), host.end(), IsIpv6Char)) return EntryProblem::BadHost;
    if (host.size() > MaxHostNameLength) return EntryProblem::HostTooLong;
    rest.remove_prefix(close + 1);
    if (rest.empty() || rest.front() != ':') return EntryProblem::BadPortNumber;
    port = rest.substr(1);
  } else {
    const std::size_t colon = rest.find(':');
    host = rest.substr(0, colon);
    if (host.empty()) return EntryProblem::MissingHost;
    if (!std::all_of(host.begin(), host.end(), IsHostNameChar)) return EntryProblem::BadHost;
    if (HostNameTooLong(host)) return EntryProblem::HostTooLong;
    if (colon == std::string_view::npos) return EntryProblem::BadPortNumber;
    port = rest.substr(colon + 1);
  }
  // A single closing slash is what people type after an address; anything more is a path that a
  // device server does not have.
  if (!port.empty() && port.back() == '/') port.remove_suffix(1);
  const std::size_t digits = std::min(port.find_first_not_of("0123456789"), port.size());
  if (digits != port.size()) {
    return digits == 0 ? EntryProblem::BadPortNumber : EntryProblem::TrailingText;
  }
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || ec != std::errc() || value < 1 || value > 65535) {
    return EntryProblem::BadPortNumber;
  }
  entry.host = std::string(host);
  entry.port = static_cast<std::uint16_t>(value);
  return EntryProblem::None;
}

}  // namespace

std::string PortEntry::Address() const {
  if (kind == LinkKind::Device) return path;
  const std::string shownHost = host.find(':') == std::string::npos ? host : "[" + host + "]";
  return std::string(kind == LinkKind::RawTcp ? "tcp://" : "rfc2217://") + shownHost + ":" +
         std::to_string(port);
}

PortEntryParse ParsePortEntry(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  PortEntryParse result;
  const std::size_t separator = text.find("://");
  if (separator == std::string_view::npos) {
    result.entry = PortEntry{LinkKind::Device, std::string(text), {}, 0};
    return result;
  }
  const std::string scheme = Lower(text.substr(0, separator));
  PortEntry entry;
  if (scheme == "tcp") {
    entry.kind = LinkKind::RawTcp;
  } else if (scheme == "rfc2217") {
    entry.kind = LinkKind::Rfc2217;
  } else {
    result.problem = EntryProblem::UnknownScheme;
    return result;
  }
  result.problem = SplitAuthority(text.substr(separator + 3), entry);
  if (result.problem == EntryProblem::None) result.entry = std::move(entry);
  return result;
}

std::string BadPortEntryText(std::string_view key, std::string_view value, EntryProblem problem,
                             Language language) {
  struct Reason {
    EntryProblem problem;
    TextPair text;
  };
  static constexpr std::array<Reason, 6> Reasons = {{
      {EntryProblem::UnknownScheme,
       {"只支持 tcp:// 和 rfc2217:// 地址", "only tcp:// and rfc2217:// addresses are supported"}},
      {EntryProblem::MissingHost, {"缺少主机名", "the host name is missing"}},
      {EntryProblem::BadHost, {"主机名无效", "the host name is not valid"}},
      {EntryProblem::HostTooLong,
       {"主机名过长（最多 253 个字符，点之间最多 63 个）",
        "the host name is too long (253 characters at most, 63 between dots)"}},
      {EntryProblem::BadPortNumber,
       {"端口号缺失或不在 1 到 65535 之间", "the port number is missing or not within 1 to 65535"}},
      {EntryProblem::TrailingText,
       {"端口号后面有多余的内容", "there is more text after the port number"}},
  }};
  std::string_view reason;
  for (const Reason& r : Reasons) {
    if (r.problem == problem) reason = r.text.In(language);
  }
  const std::string entry = "[SerialPorts] " + std::string(key) + "=" + std::string(value);
  if (language == Language::Chinese) {
    return "UserSet.INI 中的 " + entry + " 无法使用：" + std::string(reason) +
           "。格式为 tcp://主机:端口 或 rfc2217://主机:端口。";
  }
  return "UserSet.INI: " + entry + " cannot be used: " + std::string(reason) +
         ". Write tcp://host:port or rfc2217://host:port.";
}

}  // namespace climate
