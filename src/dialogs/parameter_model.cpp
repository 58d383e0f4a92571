// Field tables of the three parameter dialogs and the operations they share.
#include "dialogs/parameter_model.hpp"

#include <utility>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "common/text_rules.hpp"
#include "console/prompts.hpp"
#include "dialogs/dialog_host.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

constexpr std::string_view Celsius = "℃";

ParameterField Temperature(std::string control, std::string chinese, std::string english, int first,
                           int last, std::string defaultText, std::string key,
                           std::string fallback) {
  ParameterField field;
  field.control = std::move(control);
  field.chineseLabel = std::move(chinese);
  field.englishLabel = std::move(english);
  field.unit = std::string(Celsius);
  field.listFirst = first;
  field.listLast = last;
  field.listStep = 1;
  field.designText = defaultText;
  field.defaultText = std::move(defaultText);
  field.valueKey = std::move(key);
  field.fallback = std::move(fallback);
  field.addOffset = true;
  return field;
}

// Where a dialog's values live, what it sends and what its Default button asks follow from the
// unit type and the command; only the size keys differ between the dialogs.
ParameterDialogInfo DialogInfo(DeviceKind device, CommandKind command, std::string sizeSection,
                               std::optional<WindowSize> sizeFallback) {
  const bool ac = device == DeviceKind::AirConditioner;
  ParameterDialogInfo info;
  info.valueSection = ac ? "UserSetKt" : "UserSetRjh";
  info.sizeSection = std::move(sizeSection);
  info.sizeFallback = sizeFallback;
  info.command = command;
  info.device = device;
  info.pendingCode = command == CommandKind::SetFactoryParameters
                         ? CommandCode::HeatExchangerFactory
                     : ac ? CommandCode::AirConditionerParameters
                          : CommandCode::HeatExchangerParameters;
  info.confirmChinese =
      ac ? " 您确定要将空调参数还原为默认值?" : " 您确定要将热交换器参数还原为默认值?";
  info.confirmEnglish = "Are you sure set all parameters as default value?";
  info.confirmCaptionChinese = "确定还原!";
  info.confirmCaptionEnglish = "Config!";
  return info;
}

std::string OutOfRangeMessage(const ParameterField& field, long long value, Language language) {
  const int low = -field.Offset();
  const int high = 255 - field.Offset();
  if (language == Language::Chinese) {
    // The Chinese labels already end with a full-width colon.
    return field.chineseLabel + "数值 " + std::to_string(value) + " 超出范围，机组只接受 " +
           std::to_string(low) + " 到 " + std::to_string(high) + "。";
  }
  return field.englishLabel + ": value " + std::to_string(value) +
         " is out of range; the unit accepts " + std::to_string(low) + " to " +
         std::to_string(high) + ".";
}

}  // namespace

std::vector<std::string> ParameterField::ListEntries() const {
  std::vector<std::string> entries;
  for (int value = listFirst; value <= listLast; value += listStep) {
    entries.push_back(std::to_string(value));
  }
  return entries;
}

std::string NotAnIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

bool ParseFieldInteger(std::string_view text, long long& value) {
  // The operator's paste may bring a tab or a line end along.
  const auto parsed = ParseDecimal(TrimBlanks(text), PlusSign::Accepted);
  if (!parsed) return false;
  value = *parsed;
  return true;
}

ParameterModel::ParameterModel(ParameterDialogInfo info, std::vector<ParameterField> fields)
    : info_(std::move(info)), fields_(std::move(fields)) {
  for (const ParameterField& field : fields_) {
    texts_.push_back(field.designText);
    enabled_.push_back(1);
  }
}

ParameterModel ParameterModel::AirConditioner() {
  ParameterDialogInfo info =
      DialogInfo(DeviceKind::AirConditioner, CommandKind::SetParameters, "FrmSetKt",
                 WindowSize{ReadDefault::FrmSetKtHeight, ReadDefault::FrmSetKtWidth});
  return ParameterModel(
      std::move(info), {
                           Temperature("suiComboBox1", "设定制冷停止点：", "Cooling Off Point", 20,
                                       40, "25", "Zltzd", "25"),
                           Temperature("suiComboBox2", "设定制冷灵敏度：", "Cooling Sensitivity", 1,
                                       15, "10", "Zllmd", "0"),
                           Temperature("suiComboBox3", "设定加热开启点：", "Hearter On Point", -10,
                                       15, "5", "Jrkqd", "10"),
                           Temperature("suiComboBox4", "设定加热灵敏度：", "Heater Sensitivity", 1,
                                       10, "10", "Jrlmd", "0"),
                           Temperature("suiComboBox5", "设定高温报警点：",
                                       "High temperature Alarm Point", 30, 60, "55", "Gwgjd", "0"),
                           Temperature("suiComboBox6", "设定低温报警点：",
                                       "Low Temperature Alarm Point", -15, 10, "0", "Dwgjd", "5"),
                       });
}

ParameterModel ParameterModel::HeatExchanger() {
  ParameterDialogInfo info =
      DialogInfo(DeviceKind::HeatExchanger, CommandKind::SetParameters, "FrmRjhCjSet",
                 WindowSize{ReadDefault::FrmRjhCjSetHeight, ReadDefault::FrmRjhCjSetWidth});
  return ParameterModel(
      std::move(info),
      {
          Temperature("suiComboBox1", "外风机调速点：", "External Fan Min Speed T", 20, 40, "30",
                      "Wfjtsd", "30"),
          Temperature("suiComboBox5", "外风机全速点基于调速点的偏差：", "Adjust Band", 5, 15, "10",
                      "WfjqsdjyTsdpc", "10"),
          Temperature("suiComboBox6", "加热开启点：", "Heater On", -10, 10, "5", "Jrkqd", "5"),
          Temperature("suiComboBox4", "加热灵敏度：", "Heater Sensitivity", 1, 10, "10", "Jrlmd",
                      "10"),
          Temperature("suiComboBox3", "高温报警点：", "High Temperature Alarm Point", 30, 60, "55",
                      "Gwbjd", "55"),
          Temperature("suiComboBox2", "低温报警点：", "Low Temperature Alarm Point", -15, 10, "0",
                      "Dwbjd", "0"),
      });
}

ParameterModel ParameterModel::HeatExchangerFactory() {
  // Its size keys have no read default: a missing key keeps the size of the language layout.
  ParameterDialogInfo info = DialogInfo(
      DeviceKind::HeatExchanger, CommandKind::SetFactoryParameters, "FrmSetRjh", std::nullopt);
  ParameterField fanSpeed = Temperature("suiComboBox11", "风机最低转速：", "Lowest Fan speed", 30,
                                        100, "30", "Fjzdzs", "30");
  fanSpeed.unit = "%";
  fanSpeed.listStep = 5;
  fanSpeed.addOffset = false;  // a percentage, not a temperature
  return ParameterModel(
      std::move(info),
      {
          Temperature("suiComboBox7", "内风机开始调速点：", "Internal Fan Full Speed", 20, 40, "25",
                      "Nfjkstsd", "25"),
          Temperature("suiComboBox8", "内风机全速点基于内风机调速点偏差：",
                      "Internal Fan Adjust Band", 5, 15, "10", "Nfjqsdjynfjtsdpc", "10"),
          Temperature("suiComboBox9", "内风机停止点：", "Internal Fan Stop Point", 0, 18, "0",
                      "Nfjtzd", "0"),
          Temperature("suiComboBox10", "外风机停止点基于外风机调速点偏差：",
                      "External Fan Adjust Band", 0, 10, "5", "Wfjtzdjywfjtsdpc", "5"),
          std::move(fanSpeed),
      });
}

void ParameterModel::Load(const IniFile& ini) {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const ParameterField& field = fields_[i];
    texts_[i] = ini.ReadString(info_.valueSection, field.valueKey, field.fallback);
    enabled_[i] = ini.ReadBool(info_.valueSection, field.EnableKey(), false) ? 1 : 0;
  }
}

WindowSize ParameterModel::LoadSize(const IniFile& ini, WindowSize fallback) const {
  return {ini.ReadInteger(info_.sizeSection, "Height", fallback.height),
          ini.ReadInteger(info_.sizeSection, "Width", fallback.width)};
}

void ParameterModel::ApplyDefaults() {
  for (std::size_t i = 0; i < fields_.size(); ++i) texts_[i] = fields_[i].defaultText;
}

EncodeResult ParameterModel::Encode(Language language) const {
  EncodeResult result;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const ParameterField& field = fields_[i];
    long long value = 0;
    if (!ParseFieldInteger(texts_[i], value)) {
      result.failedField = i;
      result.message = NotAnIntegerMessage(TrimBlanks(texts_[i]));
      result.data.clear();
      return result;
    }
    const long long encoded = value + field.Offset();
    if (encoded < 0 || encoded > 255) {
      result.failedField = i;
      result.message = OutOfRangeMessage(field, value, language);
      result.data.clear();
      return result;
    }
    result.data.push_back(static_cast<std::uint8_t>(encoded));
  }
  result.ok = true;
  return result;
}

RequestFrame ParameterModel::BuildFrame(const ProtocolSettings& protocol,
                                        const std::vector<std::uint8_t>& data) const {
  const CommandCodes codes = CommandCodesFor(protocol, info_.command, info_.device);
  return BuildRequestFrame(protocol, codes.requestLength, codes.code, data);
}

bool ParameterModel::Submit(DialogHost& host) const {
  // Conversion comes before the port: a bad text never opens the port.
  const EncodeResult encoded = Encode(host.CurrentLanguage());
  if (!encoded.ok) {
    host.ShowError(encoded.message);
    return false;
  }
  const RequestFrame frame = BuildFrame(host.Protocol(), encoded.data);
  try {
    if (!host.Send(frame)) return false;  // the port routine has reported why
  } catch (const SerialError& error) {
    // The write itself failed: nothing reached the unit, so no acknowledgement is awaited.
    host.ShowError(error.what());
    return false;
  }
  host.SetPendingCommand(info_.pendingCode);
  return true;
}

bool ParameterModel::RestoreDefaults(DialogHost& host) {
  const Language language = host.CurrentLanguage();
  const bool chinese = language == Language::Chinese;
  if (!host.GetPrompts().Confirm(
          chinese ? info_.confirmChinese : info_.confirmEnglish,
          chinese ? info_.confirmCaptionChinese : info_.confirmCaptionEnglish)) {
    return false;
  }
  ApplyDefaults();
  return Submit(host);
}

void ParameterModel::Save(IniFile& ini, WindowSize size) const {
  ini.WriteInteger(info_.sizeSection, "Height", size.height);
  ini.WriteInteger(info_.sizeSection, "Width", size.width);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    ini.WriteString(info_.valueSection, fields_[i].valueKey, texts_[i]);
  }
}

}  // namespace climate
