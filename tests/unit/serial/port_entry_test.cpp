// SerialPorts entries: device paths stay paths, device server addresses are read exactly, and
// every malformed address is refused with a message that names the entry.
#include "serial/port_entry.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

TEST(PortEntry, ReadsPathsAndDeviceServerAddresses) {
  struct Case {
    const char* text;
    LinkKind kind;
    const char* hostOrPath;
    int port;
    const char* address;
  };
  const Case cases[] = {
      {"/dev/ttyUSB0", LinkKind::Device, "/dev/ttyUSB0", 0, "/dev/ttyUSB0"},
      {" /dev/serial/by-id/usb-x ", LinkKind::Device, "/dev/serial/by-id/usb-x", 0,
       "/dev/serial/by-id/usb-x"},
      {"tcp://10.0.0.7:4001", LinkKind::RawTcp, "10.0.0.7", 4001, "tcp://10.0.0.7:4001"},
      {"RFC2217://cabinet-12.site.example:2217/", LinkKind::Rfc2217, "cabinet-12.site.example",
       2217, "rfc2217://cabinet-12.site.example:2217"},
      {"rfc2217://[::1]:7000", LinkKind::Rfc2217, "::1", 7000, "rfc2217://[::1]:7000"},
      {"tcp://h:65535", LinkKind::RawTcp, "h", 65535, "tcp://h:65535"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const PortEntryParse parsed = ParsePortEntry(c.text);
    ASSERT_TRUE(parsed.entry.has_value());
    EXPECT_EQ(parsed.entry->kind, c.kind);
    EXPECT_EQ(c.kind == LinkKind::Device ? parsed.entry->path : parsed.entry->host, c.hostOrPath);
    EXPECT_EQ(parsed.entry->port, c.port);
    EXPECT_EQ(parsed.entry->Address(), c.address);
  }
}

TEST(PortEntry, RefusesMalformedAddressesWithAMessageNamingTheEntry) {
  struct Case {
    const char* text;
    EntryProblem problem;
  };
  const std::string longName = "tcp://" + std::string(300, 'a') + ":4001";
  const std::string longLabel = "rfc2217://site." + std::string(64, 'b') + ".example:2217";
  const std::string longV6 = "rfc2217://[" + std::string(254, ':') + "]:2217";
  const Case cases[] = {
      {longName.c_str(), EntryProblem::HostTooLong},
      {longLabel.c_str(), EntryProblem::HostTooLong},
      {longV6.c_str(), EntryProblem::HostTooLong},
      {"telnet://h:23", EntryProblem::UnknownScheme},
      {"tcp://", EntryProblem::MissingHost},
      {"tcp://:4001", EntryProblem::MissingHost},
      {"tcp://h", EntryProblem::BadPortNumber},
      {"tcp://h:", EntryProblem::BadPortNumber},
      {"tcp://h:0", EntryProblem::BadPortNumber},
      {"tcp://h:65536", EntryProblem::BadPortNumber},
      {"tcp://h:-1", EntryProblem::BadPortNumber},
      {"tcp://h:99999999999", EntryProblem::BadPortNumber},
      {"tcp://h:4001/x", EntryProblem::TrailingText},
      {"tcp://a b:1", EntryProblem::BadHost},
      {"tcp://user@h:1", EntryProblem::BadHost},
      {"rfc2217://[::1:7000", EntryProblem::BadHost},
      {"rfc2217://[::1]7000", EntryProblem::BadPortNumber},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const PortEntryParse parsed = ParsePortEntry(c.text);
    EXPECT_FALSE(parsed.entry.has_value());
    EXPECT_EQ(parsed.problem, c.problem);
  }
  EXPECT_EQ(BadPortEntryText("COM2", "tcp://h", EntryProblem::BadPortNumber, Language::English),
            "UserSet.INI: [SerialPorts] COM2=tcp://h cannot be used: the port number is missing "
            "or not within 1 to 65535. Write tcp://host:port or rfc2217://host:port.");
  EXPECT_NE(BadPortEntryText("COM1", longName, EntryProblem::HostTooLong, Language::English)
                .find("COM1=" + longName + " cannot be used: the host name is too long"),
            std::string::npos);
  EXPECT_NE(BadPortEntryText("COM2", "tcp://h", EntryProblem::BadPortNumber, Language::Chinese)
                .find("[SerialPorts] COM2=tcp://h"),
            std::string::npos);
}

}  // namespace
}  // namespace climate
