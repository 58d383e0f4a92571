// The operator's modal questions as Qt message boxes and a small text-input dialog.
#pragma once

#include <QString>
#include <string>

#include "console/prompts.hpp"

class QWidget;

namespace climate {

class QtPrompts final : public Prompts {
 public:
  // parent centres the boxes; applicationTitle is the caption of boxes given none.
  QtPrompts(QWidget* parent, std::string applicationTitle);

  void SetParent(QWidget* parent) { parent_ = parent; }
  // The program is ending: from now on nothing is shown and every question is cancelled.
  void Dismiss() { dismissed_ = true; }

  void Message(const std::string& text, const std::string& caption) override;
  bool Confirm(const std::string& text, const std::string& caption) override;
  bool InputText(const std::string& caption, const std::string& prompt, std::string& value,
                 char mask, const std::string& okText, const std::string& cancelText) override;

 private:
  QString Caption(const std::string& caption) const;

  QWidget* parent_;
  std::string applicationTitle_;
  bool dismissed_ = false;
};

}  // namespace climate
