// Helpers shared by the dialog widget tests.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "../../unit/dialogs/test_dialog_host.hpp"

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

}  // namespace climate::testing
