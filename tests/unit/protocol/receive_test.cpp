// One received frame through plausibility, classification, checksum check and dispatch.
#include "protocol/receive.hpp"

#include <gtest/gtest.h>

#include "protocol_test_support.hpp"

namespace climate {
namespace {

using test::AcExample;
using test::Defaults;
using test::FactoryExample;
using test::Hex;
using test::NegativeAck;
using test::PositiveAck;
using test::Reply;

Bytes WithCode(std::uint8_t lengthCode) {
  return Bytes{0x7E, 0x01, lengthCode, 0, 0, 0, 0x0D};
}

TEST(Plausibility, LengthByNibbleOrWholeByteAndAFixedEndByte) {
  EXPECT_TRUE(IsPlausibleFrame(Hex("7E 01 11 A5 00 00 0D")));
  EXPECT_TRUE(IsPlausibleFrame(AcExample));
  EXPECT_TRUE(IsPlausibleFrame(Hex("00 00 00 00 00 0D")));  // start and address are not checked
  Bytes whole(227, 0x00);
  whole[2] = 0xDD;
  whole.back() = 0x0D;
  EXPECT_TRUE(IsPlausibleFrame(whole));

  EXPECT_FALSE(IsPlausibleFrame({}));
  EXPECT_FALSE(IsPlausibleFrame(Hex("7E 01 00 00 0D")));
  EXPECT_FALSE(IsPlausibleFrame(Hex("7E 01 12 A5 00 00 0D")));  // ends in 13, wrong length
  EXPECT_FALSE(IsPlausibleFrame(Hex("7E 01 11 A5 00 00 0E")));
}

TEST(Classification, DefaultCodesAndTheSelectedKind) {
  const ProtocolSettings p = Defaults();
  const auto ac = DeviceKind::AirConditioner;
  const auto hx = DeviceKind::HeatExchanger;
  EXPECT_EQ(ClassifyReply(WithCode(0xDD), p, ac), ReplyKind::AcRealTime);
  EXPECT_EQ(ClassifyReply(WithCode(0xDD), p, hx), ReplyKind::HxRealTime);
  EXPECT_EQ(ClassifyReply(WithCode(0x55), p, hx), ReplyKind::HxFactory);
  EXPECT_EQ(ClassifyReply(WithCode(0x55), p, ac), ReplyKind::Unknown);
  EXPECT_EQ(ClassifyReply(WithCode(0x11), p, ac), ReplyKind::Acknowledgement);
  EXPECT_EQ(ClassifyReply(WithCode(0x11), p, hx), ReplyKind::Acknowledgement);
  EXPECT_EQ(ClassifyReply(WithCode(0x12), p, hx), ReplyKind::Unknown);
}

TEST(Classification, OrderDecidesSharedCodesAndEveryAckCodeCounts) {
  ProtocolSettings p = Defaults();
  p.Rjh.HqcjsdcsxyCd = 0xDD;  // real-time is tested before factory
  p.Kt.ZhsjxyCd = 0x11;       // and before acknowledgements, for the selected kind only
  EXPECT_EQ(ClassifyReply(WithCode(0xDD), p, DeviceKind::HeatExchanger), ReplyKind::HxRealTime);
  EXPECT_EQ(ClassifyReply(WithCode(0x11), p, DeviceKind::AirConditioner), ReplyKind::AcRealTime);
  EXPECT_EQ(ClassifyReply(WithCode(0x11), p, DeviceKind::HeatExchanger),
            ReplyKind::Acknowledgement);

  p = Defaults();
  std::int16_t* ackCodes[] = {&p.Rjh.SdcsxyCd, &p.Kt.SdcsxyCd,  &p.Kt.YkgjxyCd,
                              &p.Rjh.YkgjxyCd, &p.Kt.DtdszxyCD, &p.Rjh.CjsdcsxyCd};
  for (std::size_t i = 0; i < std::size(ackCodes); ++i) *ackCodes[i] = 0x21 + static_cast<int>(i);
  for (std::uint8_t code = 0x21; code < 0x27; ++code) {
    EXPECT_EQ(ClassifyReply(WithCode(code), p, DeviceKind::AirConditioner),
              ReplyKind::Acknowledgement)
        << int{code};
  }
  EXPECT_EQ(ClassifyReply(WithCode(0x11), p, DeviceKind::AirConditioner), ReplyKind::Unknown);

  p.Kt.ZhsjxyCd = 0x1DD;  // outside a byte: never matches
  EXPECT_EQ(ClassifyReply(WithCode(0xDD), p, DeviceKind::AirConditioner), ReplyKind::Unknown);
}

TEST(Checksum, ReceivedChecksumMustMatch) {
  EXPECT_TRUE(VerifyReplyChecksum(AcExample));
  EXPECT_TRUE(VerifyReplyChecksum(FactoryExample));
  for (std::size_t i : {2u, 3u, 15u, 16u, 17u}) {
    Bytes damaged = AcExample;
    damaged[i] ^= 0x01;
    EXPECT_FALSE(VerifyReplyChecksum(damaged)) << i;
  }
  EXPECT_FALSE(VerifyReplyChecksum(Hex("7E 01 0D")));
}

class Dispatch : public ::testing::Test {
 protected:
  ReceiveOutcome Process(const Bytes& frame) { return ProcessReply(frame, context); }

  ProtocolSettings protocol = Defaults();
  ReceiveContext context{
      .protocol = &protocol,
      .now = {.year = 2024, .month = 3, .day = 7, .hour = 9, .minute = 5, .second = 4}};
};

TEST_F(Dispatch, ReceptionLineAndHexEcho) {
  ReceiveOutcome outcome = Process(PositiveAck);
  EXPECT_TRUE(outcome.Accepted());
  EXPECT_EQ(outcome.receptionLines,
            std::vector<std::string>{"Receive Time----2024-03-07 09:05:04"});

  context.isShow = true;
  context.language = Language::Chinese;  // the reception line has one form only
  outcome = Process(PositiveAck);
  EXPECT_EQ(outcome.receptionLines,
            (std::vector<std::string>{"Receive Time----2024-03-07 09:05:04", "7E0111A54AFF0D"}));
}

TEST_F(Dispatch, ImplausibleBlockLeavesNoTrace) {
  context.isShow = true;
  const ReceiveOutcome outcome = Process(Hex("7E 01 12 A5 00 00 0D"));
  EXPECT_EQ(outcome.verdict, ReceiveVerdict::Implausible);
  EXPECT_TRUE(outcome.receptionLines.empty());
  EXPECT_TRUE(outcome.lines.empty());
  EXPECT_FALSE(outcome.clearMemo);
  EXPECT_FALSE(outcome.RunsLogStep());
}

TEST_F(Dispatch, MemoLimitCountsTheReceptionLines) {
  context.maxLine = 300;
  context.memoLineCount = 298;
  EXPECT_FALSE(Process(AcExample).clearMemo);
  context.memoLineCount = 299;
  EXPECT_TRUE(Process(AcExample).clearMemo);
  context.isShow = true;
  context.memoLineCount = 298;
  const ReceiveOutcome outcome = Process(AcExample);
  EXPECT_TRUE(outcome.clearMemo);
  EXPECT_EQ(outcome.lines.size(), 30u);  // the decoded lines stay after the clear
}

TEST_F(Dispatch, ChecksumFailureShowsOneLineAndSkipsDecodingAndLog) {
  struct Case {
    DeviceKind kind;
    Bytes frame;
    ReplyKind replyKind;
    const char* english;
  };
  Bytes ac = AcExample;
  ac[16] ^= 0xFF;
  Bytes factory = FactoryExample;
  factory[3] += 1;
  const Case cases[] = {
      {DeviceKind::AirConditioner, ac, ReplyKind::AcRealTime,
       "Device return error,you can try again!"},
      {DeviceKind::HeatExchanger, ac, ReplyKind::HxRealTime,
       "Device Return Error,you can try again!"},
      {DeviceKind::HeatExchanger, factory, ReplyKind::HxFactory,
       "Device return error,you can try again!"},
  };
  for (const Case& c : cases) {
    context.kind = c.kind;
    for (Language language : {Language::English, Language::Chinese}) {
      context.language = language;
      const ReceiveOutcome outcome = Process(c.frame);
      EXPECT_EQ(outcome.kind, c.replyKind);
      EXPECT_EQ(outcome.verdict, ReceiveVerdict::ChecksumError);
      EXPECT_FALSE(outcome.RunsLogStep());
      EXPECT_FALSE(outcome.realTime.has_value());
      EXPECT_FALSE(outcome.factory.has_value());
      EXPECT_EQ(outcome.receptionLines.size(), 1u);
      EXPECT_EQ(outcome.lines,
                std::vector<std::string>{language == Language::English
                                             ? c.english
                                             : "设备返回数据异常,可以尝试重新下发命令!"});
    }
  }
}

TEST_F(Dispatch, AcknowledgementsAreNeverChecksumCheckedAndNameThePendingCommand) {
  context.pendingCommand = CommandCode::RemoteOff;
  ReceiveOutcome outcome = Process(NegativeAck);
  EXPECT_EQ(outcome.kind, ReplyKind::Acknowledgement);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{"Remote off commad return error,please try again!"});
  EXPECT_TRUE(outcome.RunsLogStep());

  context.kind = DeviceKind::HeatExchanger;
  context.pendingCommand = CommandCode::HeatExchangerParameters;
  outcome = Process(PositiveAck);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{"Heat exchanger parameter setting return success!"});

  outcome = Process(Hex("7E 01 11 00 00 00 0D"));  // neither code: only the reception line
  EXPECT_EQ(outcome.kind, ReplyKind::Acknowledgement);
  EXPECT_TRUE(outcome.lines.empty());
  EXPECT_EQ(outcome.receptionLines.size(), 1u);
  EXPECT_TRUE(outcome.RunsLogStep());
}

TEST_F(Dispatch, UnknownMessagesAreDumpedOnOneLine) {
  ReceiveOutcome outcome = Process(FactoryExample);  // a factory reply while the AC is selected
  EXPECT_EQ(outcome.kind, ReplyKind::Unknown);
  EXPECT_EQ(outcome.lines,
            std::vector<std::string>{"Receive Device Unknow Messge：7E0155232D0F191E15FF0D"});
  EXPECT_TRUE(outcome.RunsLogStep());

  context.language = Language::Chinese;
  outcome = Process(Hex("7E 01 12 00 00 00 00 0D"));  // shown whatever its checksum
  EXPECT_EQ(outcome.lines, std::vector<std::string>{"收到设备不可识别的消息：7E0112000000000D"});

  context.protocol = nullptr;
  EXPECT_EQ(Process(AcExample).kind, ReplyKind::Unknown);
}

TEST_F(Dispatch, RecognisedFramesTooShortForTheirDecoderAreUnknown) {
  protocol.Kt.ZhsjxyCd = 0x0C;       // 18 bytes, one short of a real-time reply
  protocol.Rjh.HqcjsdcsxyCd = 0x04;  // 10 bytes, one short of a factory reply
  protocol.Rjh.SdcsxyCd = 0x00;      // 6 bytes: no data byte for an acknowledgement
  const Bytes shortRealTime = Reply(0x0C, Bytes(12, 0x2D));
  const Bytes shortFactory = Reply(0x04, Bytes(4, 0x2D));
  const Bytes emptyAck = Reply(0x00, {});
  for (const Bytes* frame : {&shortRealTime, &emptyAck}) {
    const ReceiveOutcome outcome = Process(*frame);
    EXPECT_EQ(outcome.kind, ReplyKind::Unknown);
    EXPECT_EQ(outcome.lines.size(), 1u);
  }
  context.kind = DeviceKind::HeatExchanger;
  EXPECT_EQ(Process(shortFactory).kind, ReplyKind::Unknown);

  context.kind = DeviceKind::AirConditioner;
  protocol.Kt.ZhsjxyCd = 0x0D;  // 19 bytes is enough
  EXPECT_EQ(Process(Reply(0x0D, Bytes(13, 0x2D))).kind, ReplyKind::AcRealTime);
}

TEST_F(Dispatch, RealTimeReplyTakesTheLayoutOfTheSelectedKind) {
  ReceiveOutcome outcome = Process(AcExample);
  ASSERT_TRUE(outcome.realTime.has_value());
  EXPECT_EQ(outcome.kind, ReplyKind::AcRealTime);
  EXPECT_EQ(outcome.realTime->boxes[5], "42");  // cooling off 32 + sensitivity 10
  EXPECT_EQ(outcome.lines, outcome.realTime->memoLines);
  EXPECT_TRUE(outcome.RunsLogStep());

  context.kind = DeviceKind::HeatExchanger;
  outcome = Process(AcExample);
  ASSERT_TRUE(outcome.realTime.has_value());
  EXPECT_EQ(outcome.realTime->boxes[5], "10");  // offset 8 read as the full-speed point
  EXPECT_EQ(outcome.realTime->boxes[8], "10");  // offset 10 as the heating off point

  outcome = Process(FactoryExample);
  ASSERT_TRUE(outcome.factory.has_value());
  EXPECT_EQ(outcome.lines.size(), 6u);
  EXPECT_FALSE(outcome.realTime.has_value());
}

}  // namespace
}  // namespace climate
