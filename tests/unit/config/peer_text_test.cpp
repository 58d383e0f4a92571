#include "common/peer_text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace climate {
namespace {

TEST(PeerText, JsonBoundsRefuseSizeAndDepthButNotBracketsInStrings) {
  EXPECT_EQ(CheckJsonBounds(R"({"id":[1,{"a":[]}],"command":"remoteOn"})"), std::nullopt);
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(CheckJsonBounds(deep), "larger than 65536 bytes");
  EXPECT_EQ(CheckJsonBounds(std::string(17, '[') + std::string(17, ']')),
            "nested deeper than 16 levels");
  EXPECT_EQ(CheckJsonBounds(std::string(16, '{') + std::string(16, '}')), std::nullopt);
  // Brackets inside strings, also after an escaped quote, do not nest.
  EXPECT_EQ(CheckJsonBounds(R"({"id":"[[[[[[[[[[[[[[[[[[\"[[[[[["})"), std::nullopt);
  EXPECT_EQ(CheckJsonBounds(R"({"a":"x"})", {8, 16}), "larger than 8 bytes");
}

TEST(PeerText, LogEscapingKeepsOneLineAndBoundsLength) {
  EXPECT_EQ(EscapeForLog("cab7 (42)"), "cab7 (42)");
  EXPECT_EQ(EscapeForLog("x\n2026-12-09T09:22:44Z climate-agent: alarm cleared"),
            "x\\n2026-12-09T09:22:44Z climate-agent: alarm cleared");
  EXPECT_EQ(EscapeForLog(std::string("a\\b\r\t\x1b\0\xe2\x84\x83", 10)),
            "a\\\\b\\r\\t\\x1b\\x00\\xe2\\x84\\x83");
  EXPECT_EQ(EscapeForLog(std::string(500, 'z'), 10), "zzzzzzzzzz...");
  EXPECT_EQ(EscapeForLog("abcdefghi\n", 10), "abcdefghi...");
}

}  // namespace
}  // namespace climate
