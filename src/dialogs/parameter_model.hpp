// The toolkit-independent side of the three parameter dialogs: a table of ParameterField
// descriptors, the current text and enable state of every field (kept for the whole run), and the
// dialog operations that do not need a window: load, encode, send, Default and save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/language.hpp"
#include "protocol/command_code.hpp"
#include "protocol/device_kind.hpp"
#include "protocol/frame.hpp"

namespace climate {

class DialogHost;
class IniFile;

struct ParameterField {
  std::string control;  // combo box object name, e.g. "suiComboBox1"
  std::string chineseLabel;
  std::string englishLabel;
  std::string unit;
  int listFirst = 0;
  int listLast = 0;
  int listStep = 1;
  std::string defaultText;  // what Default puts in
  std::string valueKey;     // enable key is valueKey + "E"
  std::string fallback;     // shown when the value key is missing
  bool addOffset = true;    // sent as value + 20, else unchanged
  std::string designText;   // the text before the first showing

  std::string EnableKey() const { return valueKey + "E"; }
  const std::string& Label(Language language) const {
    return language == Language::Chinese ? chineseLabel : englishLabel;
  }
  // The drop-down entries as decimal texts.
  std::vector<std::string> ListEntries() const;
  int Offset() const { return addOffset ? TemperatureOffset : 0; }

  static constexpr int TemperatureOffset = 20;
};

// Window size in pixels as stored under Height and Width.
struct WindowSize {
  int height = 0;
  int width = 0;
};

// The dialog-wide facts: where the values live, how they travel and what Default asks.
struct ParameterDialogInfo {
  std::string valueSection;  // UserSetKt or UserSetRjh
  std::string sizeSection;   // FrmSetKt, FrmRjhCjSet, FrmSetRjh
  // Read default of the size keys; none means the window keeps the size of its layout.
  std::optional<WindowSize> sizeFallback;
  CommandKind command = CommandKind::SetParameters;
  DeviceKind device = DeviceKind::AirConditioner;
  CommandCode pendingCode = CommandCode::HeatExchangerParameters;  // after a written request
  std::string confirmChinese;
  std::string confirmEnglish;
  std::string confirmCaptionChinese;
  std::string confirmCaptionEnglish;
};

// What Encode found: the data bytes, or the message that stopped it at a field.
struct EncodeResult {
  bool ok = false;
  std::vector<std::uint8_t> data;
  std::size_t failedField = 0;  // index of the offending field when !ok
  std::string message;
};

// "'abc' is not a valid integer value"
std::string NotAnIntegerMessage(std::string_view text);

// Trims blanks and parses a signed decimal integer; false when the text is not one.
bool ParseFieldInteger(std::string_view text, long long& value);

class ParameterModel {
 public:
  // The air conditioner's fields; indexes 1 and 3 are the cooling and heater sensitivities.
  static ParameterModel AirConditioner();
  static ParameterModel HeatExchanger();
  static ParameterModel HeatExchangerFactory();

  static constexpr std::size_t CoolingSensitivityIndex = 1;
  static constexpr std::size_t HeaterSensitivityIndex = 3;

  const std::vector<ParameterField>& Fields() const { return fields_; }
  const ParameterField& Field(std::size_t index) const { return fields_.at(index); }
  const ParameterDialogInfo& Info() const { return info_; }
  std::size_t Size() const { return fields_.size(); }
  const std::string& Text(std::size_t index) const { return texts_.at(index); }
  void SetText(std::size_t index, std::string text) { texts_.at(index) = std::move(text); }
  bool Enabled(std::size_t index) const { return enabled_.at(index) != 0; }
  void SetEnabled(std::size_t index, bool enabled) { enabled_.at(index) = enabled ? 1 : 0; }

  // Show: every value key as text (fallback when missing) and every enable key (missing means
  // disabled).
  void Load(const IniFile& ini);
  // The stored window size, each key falling back on its own.
  WindowSize LoadSize(const IniFile& ini, WindowSize fallback) const;

  // Puts every field's default text in, disabled fields included.
  void ApplyDefaults();

  // Each field in table order: trimmed, parsed as a signed decimal and offset. Stops at the first
  // text that is not an integer, or whose byte would not hold the value (it would reach the unit
  // as a different set point).
  EncodeResult Encode(Language language) const;
  // The request with the encoded values, using the dialog's command and length codes.
  RequestFrame BuildFrame(const ProtocolSettings& protocol,
                          const std::vector<std::uint8_t>& data) const;

  // OK: encode, send through the host, record PendingCommand. True when the request was written
  // and the dialog should close; every failure has been shown by then.
  bool Submit(DialogHost& host) const;
  // Default: confirm, put the defaults in, then run Submit. False when the operator declined or
  // the request was not written.
  bool RestoreDefaults(DialogHost& host);

  // Close: the window size and every field text as shown, untrimmed.
  void Save(IniFile& ini, WindowSize size) const;

 protected:
  ParameterModel(ParameterDialogInfo info, std::vector<ParameterField> fields);

  ParameterDialogInfo info_;
  std::vector<ParameterField> fields_;
  std::vector<std::string> texts_;
  std::vector<char> enabled_;
};

}  // namespace climate
