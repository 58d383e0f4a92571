// Helpers shared by the dialog widget tests.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "../../unit/dialogs/test_dialog_host.hpp"
#include "dialogs/dialog_fit.hpp"
#include "dialogs/parameter_dialogs.hpp"
#include "dialogs/parameter_model.hpp"

namespace climate::testing {

template <typename T = QWidget>
T* Find(const QWidget& parent, const std::string& name) {
  T* child = parent.findChild<T*>(QString::fromStdString(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// The caption of a label or button, or the shown text of a list.
inline std::string Text(const QWidget& parent, const std::string& name) {
  const QString objectName = QString::fromStdString(name);
  if (auto* label = parent.findChild<QLabel*>(objectName)) return label->text().toStdString();
  if (auto* button = parent.findChild<QPushButton*>(objectName)) {
    return button->text().toStdString();
  }
  return Find<QComboBox>(parent, name)->currentText().toStdString();
}

// The width a title bar needs to draw title whole: the title in the bold application font, with
// the window manager's icon and buttons beside it.
inline int TitleBarWidth(const QString& title) {
  QFont bold = QApplication::font();
  bold.setBold(true);
  return QFontMetrics(bold).horizontalAdvance(title) + TitleBarAllowance;
}

// The three parameter dialogs, each on a model of its own, as the console creates them.
struct ParameterDialogSet {
  explicit ParameterDialogSet(DialogHost& host)
      : setKt(host, kt), rjhCjSet(host, rjh), setRjh(host, factory) {}

  ParameterModel kt = ParameterModel::AirConditioner();
  ParameterModel rjh = ParameterModel::HeatExchanger();
  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  TFrmSetKt setKt;
  TFrmRjhCjSet rjhCjSet;
  TFrmSetRjh setRjh;
};

}  // namespace climate::testing
