// Helpers shared by the dialog widget tests.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "../../unit/dialogs/test_dialog_host.hpp"

namespace climate::testing {

template <typename T>
T* Find(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

inline std::string Text(const QWidget& parent, const char* name) {
  if (auto* label = parent.findChild<QLabel*>(name)) return label->text().toStdString();
  if (auto* button = parent.findChild<QPushButton*>(name)) return button->text().toStdString();
  if (auto* box = parent.findChild<QComboBox*>(name)) return box->currentText().toStdString();
  ADD_FAILURE() << "no text control " << name;
  return {};
}

// Writes the configuration file of the host (CRLF lines are the file's own).
inline void WriteConfig(const TestDialogHost& host, const std::string& text) {
  WriteTextFile(host.configPath, text);
}

}  // namespace climate::testing
