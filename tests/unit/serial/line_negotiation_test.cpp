// A device server's answers to the line settings: what counts as confirmed, what as missing or
// different, and the sentences the operator reads about it.
#include "serial/line_negotiation.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

telnet::ComPortMessage Confirmation(std::uint8_t code, telnet::Bytes value) {
  return {static_cast<std::uint8_t>(code + telnet::ServerReplyOffset), std::move(value)};
}

TEST(LineNegotiation, OnlyWellFormedConfirmationsCountAndTheRestIsNamedAsMissing) {
  LineNegotiation negotiation;
  negotiation.Begin();
  EXPECT_FALSE(negotiation.Settled());
  // Confirmations before the agreement answer nothing that was sent.
  negotiation.OnMessage(Confirmation(1, {0, 0, 0x25, 0x80}));
  negotiation.OnAnswer(true);
  PortSettings settings;
  settings.parity = Parity::Even;
  settings.stopBits = 2;
  negotiation.OnSent(settings);
  negotiation.OnMessage(Confirmation(1, {0, 0, 0x25}));  // a rate needs four bytes
  negotiation.OnMessage(Confirmation(2, {8}));
  negotiation.OnMessage(Confirmation(3, {5}));  // space parity instead of even
  negotiation.OnMessage({107, {0x30}});         // modem state: no confirmation
  EXPECT_TRUE(negotiation.Report().awaiting);
  EXPECT_FALSE(negotiation.Settled());

  negotiation.OnAnswerTimeUp();
  const LineSettingsReport report = negotiation.Report();
  EXPECT_TRUE(negotiation.Settled());
  EXPECT_TRUE(report.HasProblem());
  EXPECT_EQ(report.mismatches, (std::vector<LineSettingMismatch>{{LineSetting::Parity, 3, 5}}));
  EXPECT_EQ(report.unconfirmed,
            (std::vector<LineSetting>{LineSetting::Rate, LineSetting::StopBits}));
  EXPECT_EQ(LineSettingsProblemText(report, Language::English),
            "the device server set parity space instead of even; the device server did not "
            "confirm rate, stop bits");
  EXPECT_EQ(LineSettingsProblemText(report, Language::Chinese),
            "设备服务器实际设置：校验 空格（要求 偶）；设备服务器未确认：波特率、停止位");

  // A late confirmation still counts; a withdrawal of the agreement is a refusal.
  negotiation.OnMessage(Confirmation(1, {0, 0, 0x25, 0x80}));
  negotiation.OnMessage(Confirmation(4, {2}));
  EXPECT_EQ(negotiation.Report().unconfirmed, std::vector<LineSetting>{});
  negotiation.OnAnswer(false);
  EXPECT_EQ(negotiation.Report().control, LineControl::Refused);
  EXPECT_TRUE(negotiation.Report().mismatches.empty());

  // All confirmed as asked: nothing to say, and link health says so.
  LineNegotiation agreed;
  agreed.Begin();
  agreed.OnAnswer(true);
  agreed.OnSent(PortSettings{});
  for (const auto& [code, value] : {std::pair<std::uint8_t, telnet::Bytes>{1, {0, 0, 0x25, 0x80}},
                                    {2, {8}},
                                    {3, {1}},
                                    {4, {1}}}) {
    agreed.OnMessage(Confirmation(code, value));
  }
  EXPECT_TRUE(agreed.Settled());
  EXPECT_EQ(LineSettingsProblemText(agreed.Report(), Language::English), "");
  EXPECT_EQ(LineSettingsStateText(agreed.Report(), Language::English),
            "confirmed by the device server");
}

}  // namespace
}  // namespace climate
