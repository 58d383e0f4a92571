// What a SerialPorts entry names: a local device path ("/dev/ttyUSB0"), or a serial line behind
// a device server, "tcp://host:port" (raw socket) or "rfc2217://host:port" (Telnet Com Port
// Control). An entry that looks like an address but is not a usable one is refused with a reason
// the operator can act on, so nothing is ever opened on a guess.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/language.hpp"

namespace climate {

enum class LinkKind { Device, RawTcp, Rfc2217 };

enum class EntryProblem {
  None,
  UnknownScheme,
  MissingHost,
  BadHost,
  HostTooLong,
  BadPortNumber,
  TrailingText
};

struct PortEntry {
  LinkKind kind = LinkKind::Device;
  std::string path;  // LinkKind::Device
  std::string host;  // network kinds; an IPv6 address without its brackets
  std::uint16_t port = 0;

  bool IsNetwork() const { return kind != LinkKind::Device; }
  // "rfc2217://[::1]:7000" for a network entry, the path for a device.
  std::string Address() const;
};

struct PortEntryParse {
  std::optional<PortEntry> entry;
  EntryProblem problem = EntryProblem::None;
};

PortEntryParse ParsePortEntry(std::string_view text);

// The message for an entry that cannot be used, naming it as it stands in the file:
// key "COM1", value as written.
std::string BadPortEntryText(std::string_view key, std::string_view value, EntryProblem problem,
                             Language language);

}  // namespace climate
