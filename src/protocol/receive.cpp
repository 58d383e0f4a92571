// One received frame, start to end: plausibility, reception line, memo limit, classification,
// checksum, decoding and the log step. The window applies the outcome; nothing here touches it.
#include "protocol/receive.hpp"

#include <cstdio>

#include "protocol/frame.hpp"
#include "protocol/frame_layout.hpp"

namespace climate {

namespace {

namespace layout = frame_layout;

constexpr std::string_view ReceptionPrefix = "Receive Time----";

struct ChecksumErrorText {
  ReplyKind kind;
  std::string_view chinese;
  std::string_view english;
};

// The heat exchanger's real-time text is capitalised differently from the other two; operators
// have always seen it that way, so it stays.
constexpr ChecksumErrorText ChecksumErrorTexts[] = {
    {ReplyKind::AcRealTime, "设备返回数据异常,可以尝试重新下发命令!",
     "Device return error,you can try again!"},
    {ReplyKind::HxRealTime, "设备返回数据异常,可以尝试重新下发命令!",
     "Device Return Error,you can try again!"},
    {ReplyKind::HxFactory, "设备返回数据异常,可以尝试重新下发命令!",
     "Device return error,you can try again!"},
};

constexpr std::string_view UnknownMessageChinese = "收到设备不可识别的消息：";
constexpr std::string_view UnknownMessageEnglish = "Receive Device Unknow Messge：";

// Configured codes are 16-bit integers; one outside 0..255 simply never equals a byte.
bool Matches(std::uint8_t byte, std::int16_t code) {
  return static_cast<int>(byte) == code;
}

std::string_view ChecksumErrorLine(ReplyKind kind, Language language) {
  for (const ChecksumErrorText& text : ChecksumErrorTexts) {
    if (text.kind == kind) return Pick(language, text.chinese, text.english);
  }
  return {};
}

void Decode(std::span<const std::uint8_t> frame, const ReceiveContext& context,
            ReceiveOutcome& outcome) {
  switch (outcome.kind) {
    case ReplyKind::AcRealTime: {
      const AcRealTimeData& data = outcome.record.emplace<AcRealTimeData>(DecodeAcRealTime(frame));
      outcome.setPoints =
          DeriveAcPoints(data, context.coolingSensitivity, context.heaterSensitivity);
      outcome.realTime = RenderAcRealTime(data, outcome.setPoints, context.language);
      outcome.lines = outcome.realTime->memoLines;
      break;
    }
    case ReplyKind::HxRealTime:
      outcome.realTime = RenderHxRealTime(
          outcome.record.emplace<HxRealTimeData>(DecodeHxRealTime(frame)), context.language);
      outcome.lines = outcome.realTime->memoLines;
      break;
    case ReplyKind::HxFactory:
      outcome.factory = RenderHxFactory(
          outcome.record.emplace<HxFactoryParameters>(DecodeHxFactory(frame)), context.language);
      outcome.lines = outcome.factory->memoLines;
      break;
    case ReplyKind::Acknowledgement: {
      const CommandAck ack = outcome.record.emplace<CommandAck>(
          DecodeAck(frame, context.protocol->Zqxy, context.protocol->Fdxy));
      if (auto line = RenderAck(ack, context.pendingCommand, context.language)) {
        outcome.lines.push_back(std::move(*line));
      }
      break;
    }
    case ReplyKind::Unknown: {
      std::string line(Pick(context.language, UnknownMessageChinese, UnknownMessageEnglish));
      line += HexDump(frame);
      outcome.lines.push_back(std::move(line));
      break;
    }
  }
}

}  // namespace

bool IsPlausibleFrame(std::span<const std::uint8_t> block) {
  const std::size_t n = block.size();
  if (n < layout::Overhead || block.back() != layout::ReplyEndByte) return false;
  const std::size_t information = n - layout::Overhead;
  const std::uint8_t lengthCode = block[layout::LengthCodeOffset];
  return information == layout::InformationSize(lengthCode) || information == lengthCode;
}

ReplyKind ClassifyReply(std::span<const std::uint8_t> block, const ProtocolSettings& protocol,
                        DeviceKind kind) {
  if (block.size() < layout::HeaderSize) return ReplyKind::Unknown;
  const std::uint8_t t = block[layout::LengthCodeOffset];
  const bool airConditioner = kind == DeviceKind::AirConditioner;
  const bool heatExchanger = kind == DeviceKind::HeatExchanger;
  if (airConditioner && Matches(t, protocol.Kt.ZhsjxyCd)) return ReplyKind::AcRealTime;
  if (heatExchanger && Matches(t, protocol.Rjh.ZhsjxyCd)) return ReplyKind::HxRealTime;
  if (heatExchanger && Matches(t, protocol.Rjh.HqcjsdcsxyCd)) return ReplyKind::HxFactory;
  // Acknowledgements do not say which command they answer, so every set command's code counts
  // whichever unit is selected.
  for (std::int16_t code :
       {protocol.Rjh.SdcsxyCd, protocol.Kt.SdcsxyCd, protocol.Kt.YkgjxyCd, protocol.Rjh.YkgjxyCd,
        protocol.Kt.DtdszxyCD, protocol.Rjh.CjsdcsxyCd}) {
    if (Matches(t, code)) return ReplyKind::Acknowledgement;
  }
  return ReplyKind::Unknown;
}

bool VerifyReplyChecksum(std::span<const std::uint8_t> block) {
  const std::size_t n = block.size();
  if (n < layout::Overhead) return false;
  const std::uint16_t expected =
      FrameChecksum(block[layout::LengthCodeOffset],
                    block.subspan(layout::InformationOffset, n - layout::Overhead));
  const unsigned received =
      block[layout::ChecksumLowOffset(n)] + 256u * block[layout::ChecksumHighOffset(n)];
  return expected == received;
}

bool IsLongEnoughFor(ReplyKind kind, std::size_t size) {
  switch (kind) {
    case ReplyKind::AcRealTime:
    case ReplyKind::HxRealTime:
      return size >= RealTimeFrameSize;
    case ReplyKind::HxFactory:
      return size >= FactoryFrameSize;
    case ReplyKind::Acknowledgement:
      return size >= AckFrameSize;
    case ReplyKind::Unknown:
      return true;
  }
  return false;
}

bool IsUsableReply(std::span<const std::uint8_t> frame, const ProtocolSettings& protocol,
                   DeviceKind kind) {
  if (!IsPlausibleFrame(frame)) return false;
  const ReplyKind reply = ClassifyReply(frame, protocol, kind);
  return reply != ReplyKind::Unknown && IsLongEnoughFor(reply, frame.size()) &&
         VerifyReplyChecksum(frame);
}

std::string_view VerdictText(ReceiveVerdict verdict) {
  switch (verdict) {
    case ReceiveVerdict::Shown:
      return "shown";
    case ReceiveVerdict::Implausible:
      return "implausible";
    case ReceiveVerdict::ChecksumError:
      return "checksum error";
  }
  return "unknown verdict";
}

std::string FormatReceiveTime(const LocalDateTime& time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

ReceiveOutcome ProcessReply(std::span<const std::uint8_t> frame, const ReceiveContext& context) {
  ReceiveOutcome outcome;
  if (!IsPlausibleFrame(frame)) {
    // An implausible block leaves no trace, not even a reception line.
    outcome.verdict = ReceiveVerdict::Implausible;
    return outcome;
  }

  outcome.receptionLines.push_back(std::string(ReceptionPrefix) + FormatReceiveTime(context.now));
  if (context.isShow) outcome.receptionLines.push_back(HexDump(frame));
  // The limit is checked after the reception lines are in the memo, so they go with the rest.
  outcome.clearMemo = static_cast<long long>(context.memoLineCount) +
                          static_cast<long long>(outcome.receptionLines.size()) >=
                      context.maxLine;

  if (context.protocol != nullptr) {
    outcome.kind = ClassifyReply(frame, *context.protocol, context.kind);
  }
  if (!IsLongEnoughFor(outcome.kind, frame.size())) outcome.kind = ReplyKind::Unknown;

  const bool checked = outcome.kind == ReplyKind::AcRealTime ||
                       outcome.kind == ReplyKind::HxRealTime ||
                       outcome.kind == ReplyKind::HxFactory;
  if (checked && !VerifyReplyChecksum(frame)) {
    // A damaged reply must not overwrite what the last good one showed, nor reach the log.
    outcome.verdict = ReceiveVerdict::ChecksumError;
    outcome.lines.emplace_back(ChecksumErrorLine(outcome.kind, context.language));
    return outcome;
  }

  Decode(frame, context, outcome);
  return outcome;
}

}  // namespace climate
