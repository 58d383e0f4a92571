// The operator's modal questions as Qt message boxes and a small text-input dialog. A message
// raised while its window is being shown for the first time (from the window's show handler,
// before the window system has it on screen) waits until the window is there: no box ever stands
// before the window it belongs to.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/language.hpp"
#include "console/prompts.hpp"

class QTranslator;
class QWidget;

namespace climate {

class QtPrompts final : public Prompts {
 public:
  // parent centres the boxes; applicationTitle is the caption of boxes given none.
  QtPrompts(QWidget* parent, std::string applicationTitle);
  ~QtPrompts() override;

  void SetParent(QWidget* parent) { parent_ = parent; }
  // The program is ending: from now on nothing is shown and every question is cancelled.
  void Dismiss() { dismissed_ = true; }
  // The language the console shows; the boxes' buttons speak it (English without one).
  void SetLanguageSource(std::function<Language()> language) { language_ = std::move(language); }
  // Qt's own texts (the standard buttons among them) in the language shown now: Qt's Chinese
  // translation is installed while Chinese is shown and removed while English is. Every box
  // applies it before it is built; a language switch may apply it at once.
  void ApplyLanguage();

  void Message(const std::string& text, const std::string& caption) override;
  void MessageWithDetails(const std::string& text, const std::string& caption,
                          const std::string& details) override;
  bool Confirm(const std::string& text, const std::string& caption) override;
  bool InputText(const std::string& caption, const std::string& prompt, std::string& value,
                 char mask, const std::string& okText, const std::string& cancelText) override;

 private:
  QString Caption(const std::string& caption) const;
  Language ShownLanguage() const;
  // True while the parent is shown but not yet on screen for the first time.
  bool ParentComing();
  struct WaitingMessage {
    std::string text;
    std::string caption;
    std::string details;  // empty: a box without "Show Details..."
  };
  void ShowMessage(const WaitingMessage& message);
  void ShowWaitingMessages();

  QWidget* parent_;
  std::string applicationTitle_;
  bool dismissed_ = false;
  std::function<Language()> language_;
  std::unique_ptr<QTranslator> qtChinese_;  // loaded at the first need; empty when missing
  bool qtChineseLoaded_ = false;
  bool qtChineseInstalled_ = false;
  bool parentSeen_ = false;
  bool showScheduled_ = false;
  std::deque<WaitingMessage> waiting_;
};

}  // namespace climate
