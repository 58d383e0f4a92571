// Texts and layouts of the three parameter dialogs. The Chinese labels are longer, so the
// heat-exchanger dialogs are wider in Chinese.
#include "dialogs/parameter_dialogs.hpp"

namespace climate {

namespace {

ParameterDialogLayout KtLayout(Language language) {
  ParameterDialogLayout layout;
  layout.window = {421, 331};
  layout.fieldFrame = QRect(8, 8, 315, 336);
  const int labelWidth = language == Language::Chinese ? 150 : 186;
  layout.labelWidths.assign(6, labelWidth);
  layout.labelLeft = 14;
  layout.fieldLeft = 204;
  layout.fieldWidth = 64;
  layout.unitLeft = 274;
  layout.rowTop = 32;
  layout.rowPitch = 50;
  layout.buttonTop = 360;
  layout.buttonLefts[0] = 16;
  layout.buttonLefts[1] = 118;
  layout.buttonLefts[2] = 220;
  layout.buttonWidth = 95;
  return layout;
}

ParameterDialogLayout RjhCjLayout(Language language) {
  const bool chinese = language == Language::Chinese;
  ParameterDialogLayout layout;
  layout.window = {362, chinese ? 343 : 299};
  layout.fieldFrame = QRect(8, 8, chinese ? 324 : 282, 284);
  const int labelWidth = chinese ? 194 : 166;
  const int bandWidth = chinese ? 217 : 189;
  layout.labelWidths = {labelWidth, bandWidth, labelWidth, labelWidth, labelWidth, labelWidth};
  layout.labelLeft = 8;
  layout.fieldLeft = 8 + bandWidth + 4;
  layout.fieldWidth = 56;
  layout.unitLeft = layout.fieldLeft + layout.fieldWidth + 4;
  layout.unitWidth = 20;
  layout.rowTop = 28;
  layout.rowPitch = 42;
  layout.buttonTop = 304;
  if (chinese) {
    layout.buttonLefts[0] = 5;
    layout.buttonLefts[1] = 113;
    layout.buttonLefts[2] = 218;
    layout.buttonWidth = 100;
  } else {
    layout.buttonLefts[0] = 5;
    layout.buttonLefts[1] = 88;
    layout.buttonLefts[2] = 186;
    layout.buttonWidth = 80;
  }
  return layout;
}

ParameterDialogLayout SetRjhLayout(Language language) {
  const bool chinese = language == Language::Chinese;
  ParameterDialogLayout layout;
  const int frameWidth = chinese ? 326 : 266;
  layout.window = {318, chinese ? 343 : 284};
  layout.fieldFrame = QRect(8, 8, frameWidth, 236);
  layout.labelWidths = chinese ? std::vector<int>{223, 242, 223, 242, 224}
                               : std::vector<int>{131, 139, 131, 141, 132};
  layout.labelLeft = 4;
  layout.fieldLeft = chinese ? 246 : 152;
  layout.unitLeft = chinese ? 296 : 229;
  layout.fieldWidth = layout.unitLeft - layout.fieldLeft - 4;
  layout.unitWidth = 24;
  layout.rowTop = 28;
  layout.rowPitch = 42;
  layout.buttonFrame = QRect(8, 252, frameWidth, 56);
  layout.buttonTop = 14;
  if (chinese) {
    layout.buttonLefts[0] = 7;
    layout.buttonLefts[1] = 114;
    layout.buttonLefts[2] = 222;
    layout.buttonWidth = 97;
  } else {
    layout.buttonLefts[0] = 7;
    layout.buttonLefts[1] = 88;
    layout.buttonLefts[2] = 176;
    layout.buttonWidth = 78;
  }
  return layout;
}

}  // namespace

TFrmSetKt::TFrmSetKt(DialogHost& host, ParameterModel& model, QWidget* parent)
    : ParameterDialog(
          host, model,
          {"空调参数设置", "Air Conditioner Parameter Setting", "空调参数", "Parameter"},
          KtLayout(Language::Chinese), KtLayout(Language::English), parent) {
  setObjectName("FrmSetKt");
}

TFrmRjhCjSet::TFrmRjhCjSet(DialogHost& host, ParameterModel& model, QWidget* parent)
    : ParameterDialog(host, model,
                      {"热交换器参数设定", "Heat Exchanger Parameters Setting", "热交换器参数",
                       "Parameters Setting"},
                      RjhCjLayout(Language::Chinese), RjhCjLayout(Language::English), parent) {
  setObjectName("FrmRjhCjSet");
}

TFrmSetRjh::TFrmSetRjh(DialogHost& host, ParameterModel& model, QWidget* parent)
    : ParameterDialog(
          host, model,
          {"厂家参数设置", "Factory Parameter Setting", "厂家参数设定", "Parameter Setting"},
          SetRjhLayout(Language::Chinese), SetRjhLayout(Language::English), parent) {
  setObjectName("FrmSetRjh");
}

}  // namespace climate
