// The toolkit-independent side of the three parameter dialogs: a table of ParameterField
// descriptors and the current text of every field, which lives for the whole run.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace climate {

struct ParameterField {
  std::string control;       // combo box object name, e.g. "suiComboBox1"
  std::string chineseLabel;
  std::string englishLabel;
  std::string unit;
  int listFirst = 0;
  int listLast = 0;
  int listStep = 1;
  std::string defaultText;   // what Default puts in
  std::string valueKey;      // enable key is valueKey + "E"
  std::string fallback;      // shown when the value key is missing
  bool addOffset = true;     // sent as value + 20, else unchanged
  std::string designText;    // the text before the first showing
};

class ParameterModel {
 public:
  // The air conditioner's fields; indexes 1 and 3 are the cooling and heater sensitivities.
  static ParameterModel AirConditioner();
  static ParameterModel HeatExchanger();
  static ParameterModel HeatExchangerFactory();

  const std::vector<ParameterField>& Fields() const { return fields_; }
  std::size_t Size() const { return fields_.size(); }
  const std::string& Text(std::size_t index) const { return texts_.at(index); }
  void SetText(std::size_t index, std::string text) { texts_.at(index) = std::move(text); }
  bool Enabled(std::size_t index) const { return enabled_.at(index) != 0; }
  void SetEnabled(std::size_t index, bool enabled) { enabled_.at(index) = enabled ? 1 : 0; }

 protected:
  explicit ParameterModel(std::vector<ParameterField> fields);

  std::vector<ParameterField> fields_;
  std::vector<std::string> texts_;
  std::vector<char> enabled_;
};

}  // namespace climate
