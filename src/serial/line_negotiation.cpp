#include "serial/line_negotiation.hpp"

#include <array>

namespace climate {

namespace {

constexpr std::uint8_t FirstConfirmation =
    static_cast<std::uint8_t>(telnet::ComPortCommand::SetBaudRate) + telnet::ServerReplyOffset;

struct ControlText {
  LineControl control;
  TextPair text;
};

constexpr std::array<ControlText, 5> ControlTexts = {{
    {LineControl::Local, {"由本机串口设置", "set by this computer's port"}},
    {LineControl::OnServer,
     {"在设备服务器上设置（原始 TCP）", "set on the device server (raw TCP)"}},
    {LineControl::Asking,
     {"等待设备服务器应答串口控制", "waiting for the device server to answer com-port control"}},
    {LineControl::Refused,
     {"设备服务器拒绝串口控制（RFC 2217），线路参数未设置",
      "the device server refused com-port control (RFC 2217): the line settings were not "
      "applied"}},
    {LineControl::NotAnswered,
     {"设备服务器未应答串口控制（RFC 2217），线路参数未设置",
      "the device server did not answer com-port control (RFC 2217): the line settings were not "
      "applied"}},
}};

constexpr TextPair Confirmed = {"设备服务器已确认", "confirmed by the device server"};
constexpr TextPair Awaiting = {"已发送，等待设备服务器确认",
                               "sent, awaiting the device server's confirmation"};
constexpr TextPair MismatchLead = {"设备服务器实际设置：", "the device server set "};
constexpr TextPair Requested = {"（要求 ", " instead of "};
constexpr TextPair RequestedEnd = {"）", ""};
constexpr TextPair UnconfirmedLead = {"设备服务器未确认：", "the device server did not confirm "};
constexpr TextPair ListSeparator = {"、", ", "};
constexpr TextPair PartSeparator = {"；", "; "};

constexpr std::array<TextPair, 4> SettingNames = {{
    {"波特率", "rate"},
    {"数据位", "data bits"},
    {"校验", "parity"},
    {"停止位", "stop bits"},
}};

// Parity and stop size as the commands code them.
constexpr std::array<TextPair, 5> ParityNames = {{
    {"无", "none"},
    {"奇", "odd"},
    {"偶", "even"},
    {"标记", "mark"},
    {"空格", "space"},
}};
constexpr std::array<const char*, 3> StopSizeNames = {"1", "2", "1.5"};

std::string ValueText(LineSetting setting, std::uint32_t value, Language language) {
  if (setting == LineSetting::Parity && value >= 1 && value <= ParityNames.size()) {
    return std::string(ParityNames[value - 1].In(language));
  }
  if (setting == LineSetting::StopBits && value >= 1 && value <= StopSizeNames.size()) {
    return StopSizeNames[value - 1];
  }
  return std::to_string(value);
}

std::string_view Name(LineSetting setting, Language language) {
  return SettingNames[static_cast<std::size_t>(setting)].In(language);
}

std::string ControlStateText(LineControl control, Language language) {
  for (const ControlText& entry : ControlTexts) {
    if (entry.control == control) return std::string(entry.text.In(language));
  }
  return {};
}

}  // namespace

std::string LineSettingsProblemText(const LineSettingsReport& report, Language language) {
  if (report.control == LineControl::Refused || report.control == LineControl::NotAnswered) {
    return ControlStateText(report.control, language);
  }
  std::string text;
  if (!report.mismatches.empty()) {
    text += MismatchLead.In(language);
    for (std::size_t i = 0; i < report.mismatches.size(); ++i) {
      const LineSettingMismatch& m = report.mismatches[i];
      if (i > 0) text += ListSeparator.In(language);
      text += std::string(Name(m.setting, language)) + " " +
              ValueText(m.setting, m.confirmed, language) + std::string(Requested.In(language)) +
              ValueText(m.setting, m.requested, language) + std::string(RequestedEnd.In(language));
    }
  }
  if (!report.unconfirmed.empty()) {
    if (!text.empty()) text += PartSeparator.In(language);
    text += UnconfirmedLead.In(language);
    for (std::size_t i = 0; i < report.unconfirmed.size(); ++i) {
      if (i > 0) text += ListSeparator.In(language);
      text += Name(report.unconfirmed[i], language);
    }
  }
  return text;
}

std::string LineSettingsStateText(const LineSettingsReport& report, Language language) {
  if (report.HasProblem()) return LineSettingsProblemText(report, language);
  if (report.control != LineControl::Agreed) return ControlStateText(report.control, language);
  return std::string(report.awaiting ? Awaiting.In(language) : Confirmed.In(language));
}

void LineNegotiation::Reset(LineControl control) {
  *this = LineNegotiation();
  control_ = control;
}

void LineNegotiation::Begin() {
  Reset(LineControl::Asking);
}

void LineNegotiation::OnAnswer(bool agreed) {
  if (!agreed) {
    // A withdrawal later on leaves the line as it is, but no longer under control from here.
    Reset(LineControl::Refused);
  } else if (control_ != LineControl::Agreed) {
    control_ = LineControl::Agreed;  // late, or after a refusal taken back
  }
}

void LineNegotiation::OnSent(const PortSettings& settings) {
  const std::uint32_t parity = settings.parity == Parity::Odd    ? 2
                               : settings.parity == Parity::Even ? 3
                                                                 : 1;
  const std::uint32_t values[4] = {static_cast<std::uint32_t>(settings.baudRate),
                                   static_cast<std::uint32_t>(settings.dataBits), parity,
                                   settings.stopBits == 2 ? 2u : 1u};
  for (std::size_t i = 0; i < 4; ++i) {
    slots_[i] = Slot{};
    slots_[i].requested = values[i];
    slots_[i].sent = true;
    slots_[i].awaiting = true;
  }
}

void LineNegotiation::OnMessage(const telnet::ComPortMessage& message) {
  if (control_ != LineControl::Agreed) return;
  if (message.code < FirstConfirmation || message.code >= FirstConfirmation + 4) return;
  const std::size_t index = message.code - FirstConfirmation;
  // The rate takes four bytes, most significant first, the others one; anything else is not a
  // confirmation and leaves the setting unconfirmed.
  const std::size_t length = index == 0 ? 4 : 1;
  if (message.value.size() != length || !slots_[index].sent) return;
  std::uint32_t value = 0;
  for (const std::uint8_t byte : message.value) value = (value << 8) | byte;
  Slot& slot = slots_[index];
  slot.awaiting = false;
  slot.timedOut = false;
  slot.confirmed = true;
  slot.value = value;
}

void LineNegotiation::OnAnswerTimeUp() {
  if (control_ == LineControl::Asking) control_ = LineControl::NotAnswered;
  for (Slot& slot : slots_) {
    if (slot.awaiting) {
      slot.awaiting = false;
      slot.timedOut = true;
    }
  }
}

bool LineNegotiation::Settled() const {
  if (control_ == LineControl::Asking) return false;
  for (const Slot& slot : slots_) {
    if (slot.awaiting) return false;
  }
  return true;
}

LineSettingsReport LineNegotiation::Report() const {
  LineSettingsReport report;
  report.control = control_;
  for (std::size_t i = 0; i < 4; ++i) {
    const Slot& slot = slots_[i];
    const auto setting = static_cast<LineSetting>(i);
    if (slot.confirmed && slot.value != slot.requested) {
      report.mismatches.push_back({setting, slot.requested, slot.value});
    }
    if (slot.timedOut) report.unconfirmed.push_back(setting);
    report.awaiting = report.awaiting || slot.awaiting;
  }
  return report;
}

}  // namespace climate
