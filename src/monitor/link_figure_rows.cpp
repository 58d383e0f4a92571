#include "monitor/link_figure_rows.hpp"

#include "monitor/realtime_sample.hpp"

namespace climate {

namespace {

std::optional<std::string> Count(std::uint64_t value) {
  return std::to_string(value);
}

std::optional<std::string> Milliseconds(const std::optional<std::int64_t>& value) {
  if (!value) return std::nullopt;
  return std::to_string(*value) + " ms";
}

}  // namespace

std::vector<LinkFigureRow> LinkFigureRows(const LinkFigures& link, Language language) {
  std::optional<std::string> age;
  if (link.lastGoodReplyAgeMs) age = FormatDuration(*link.lastGoodReplyAgeMs);
  return {
      {"LinkRequestsSent", {"已发送请求", "Requests sent"}, Count(link.requestsSent)},
      {"LinkRepliesReceived", {"已收到回复", "Replies received"}, Count(link.repliesReceived)},
      {"LinkGoodReplies", {"有效实时数据", "Good real-time replies"}, Count(link.goodReplies)},
      {"LinkChecksumErrors", {"校验错误", "Checksum errors"}, Count(link.checksumErrors)},
      {"LinkUnknownMessages", {"未知消息", "Unknown messages"}, Count(link.unknownMessages)},
      {"LinkFramerBytes",
       {"分帧丢弃字节", "Bytes dropped by the framer"},
       Count(link.framerBytesDropped)},
      {"LinkFramerPartials",
       {"分帧丢弃残帧", "Partial frames dropped"},
       Count(link.framerPartialsExpired)},
      {"LinkUnanswered",
       {"2秒内无回复的请求", "Requests without reply within 2 s"},
       Count(link.requestsUnanswered)},
      {"LinkLastLatency", {"最近响应时间", "Last latency"}, Milliseconds(link.lastLatencyMs)},
      {"LinkMedianLatency",
       {"响应时间中位数", "Median latency"},
       Milliseconds(link.medianLatencyMs)},
      {"LinkLastGoodAge", {"距最近有效数据", "Age of last good reply"}, age},
      {"LinkLineSettings",
       {"线路设置", "Line settings"},
       LineSettingsStateText(link.lineSettings, language)},
  };
}

}  // namespace climate
