// Modal questions to the operator, behind an interface so tests can answer them.
#pragma once

#include <string>

namespace climate {

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A message box with only an OK button. An empty caption means the application title.
  virtual void Message(const std::string& text, const std::string& caption) = 0;
  // The same box with details the operator can unfold ("Show Details...").
  virtual void MessageWithDetails(const std::string& text, const std::string& caption,
                                  const std::string& details) {
    (void)details;
    Message(text, caption);
  }
  // OK/Cancel without an icon; true for OK.
  virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
  // A text-input dialog. value holds the initial entry and receives the entry on OK. mask is 0
  // for plain entry or the character shown in place of each typed one. Returns true for OK.
  virtual bool InputText(const std::string& caption, const std::string& prompt, std::string& value,
                         char mask, const std::string& okText, const std::string& cancelText) = 0;
};

}  // namespace climate
