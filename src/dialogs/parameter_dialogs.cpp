// Texts and layouts of the three parameter dialogs. The Chinese labels are longer, so the
// heat-exchanger dialogs are wider in Chinese.
#include "dialogs/parameter_dialogs.hpp"

namespace climate {

namespace {

ParameterDialogLayout KtLayout(Language language) {
  const int labelWidth = language == Language::Chinese ? 150 : 186;
  return {.window = {421, 331},
          .fieldFrame = QRect(8, 8, 315, 336),
          .labelWidths = std::vector<int>(6, labelWidth),
          .labelLeft = 14,
          .fieldLeft = 204,
          .fieldWidth = 64,
          .unitLeft = 274,
          .rowTop = 32,
          .rowPitch = 50,
          .buttonFrame = QRect(),
          .buttonTop = 360,
          .buttonLefts = {16, 118, 220},
          .buttonWidth = 95};
}

ParameterDialogLayout RjhCjLayout(Language language) {
  const bool chinese = language == Language::Chinese;
  const int labelWidth = chinese ? 194 : 166;
  const int bandWidth = chinese ? 217 : 189;
  const int fieldLeft = 8 + bandWidth + 4;
  const int fieldWidth = 56;
  return {.window = {362, chinese ? 343 : 299},
          .fieldFrame = QRect(8, 8, chinese ? 324 : 282, 284),
          .labelWidths = {labelWidth, bandWidth, labelWidth, labelWidth, labelWidth, labelWidth},
          .labelLeft = 8,
          .fieldLeft = fieldLeft,
          .fieldWidth = fieldWidth,
          .unitLeft = fieldLeft + fieldWidth + 4,
          .unitWidth = 20,
          .rowTop = 28,
          .rowPitch = 42,
          .buttonFrame = QRect(),
          .buttonTop = 304,
          .buttonLefts = {5, chinese ? 113 : 88, chinese ? 218 : 186},
          .buttonWidth = chinese ? 100 : 80};
}

ParameterDialogLayout SetRjhLayout(Language language) {
  const bool chinese = language == Language::Chinese;
  const int frameWidth = chinese ? 326 : 266;
  const int fieldLeft = chinese ? 246 : 152;
  const int unitLeft = chinese ? 296 : 229;
  return {.window = {318, chinese ? 343 : 284},
          .fieldFrame = QRect(8, 8, frameWidth, 236),
          .labelWidths = chinese ? std::vector<int>{223, 242, 223, 242, 224}
                                 : std::vector<int>{131, 139, 131, 141, 132},
          .labelLeft = 4,
          .fieldLeft = fieldLeft,
          .fieldWidth = unitLeft - fieldLeft - 4,
          .unitLeft = unitLeft,
          .unitWidth = 24,
          .rowTop = 28,
          .rowPitch = 42,
          .buttonFrame = QRect(8, 252, frameWidth, 56),
          .buttonTop = 14,
          .buttonLefts = {7, chinese ? 114 : 88, chinese ? 222 : 176},
          .buttonWidth = chinese ? 97 : 78};
}

const ParameterDialogDesign KtDesign{
    "FrmSetKt",
    {"空调参数设置", "Air Conditioner Parameter Setting", "空调参数", "Parameter"},
    &KtLayout};
const ParameterDialogDesign RjhCjDesign{
    "FrmRjhCjSet",
    {"热交换器参数设定", "Heat Exchanger Parameters Setting", "热交换器参数", "Parameters Setting"},
    &RjhCjLayout};
const ParameterDialogDesign SetRjhDesign{
    "FrmSetRjh",
    {"厂家参数设置", "Factory Parameter Setting", "厂家参数设定", "Parameter Setting"},
    &SetRjhLayout};

}  // namespace

TFrmSetKt::TFrmSetKt(DialogHost& host, ParameterModel& model, QWidget* parent)
    : ParameterDialog(host, model, KtDesign, parent) {}

TFrmRjhCjSet::TFrmRjhCjSet(DialogHost& host, ParameterModel& model, QWidget* parent)
    : ParameterDialog(host, model, RjhCjDesign, parent) {}

TFrmSetRjh::TFrmSetRjh(DialogHost& host, ParameterModel& model, QWidget* parent)
    : ParameterDialog(host, model, SetRjhDesign, parent) {}

}  // namespace climate
