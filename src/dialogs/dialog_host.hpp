// What the settings dialogs need from the main window.
#pragma once

#include <string>

#include "app/config/protocol_settings.hpp"
#include "app/language.hpp"
#include "protocol/command_code.hpp"
#include "protocol/frame.hpp"

namespace climate {

class Prompts;
class SerialPort;

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual Language CurrentLanguage() const = 0;
  // Full path of UserSet.INI.
  virtual std::string ConfigPath() const = 0;
  virtual const ProtocolSettings& Protocol() const = 0;
  // SendRequest with the main window's port open routine; true when the frame was written.
  virtual bool Send(const RequestFrame& frame) = 0;
  virtual void SetPendingCommand(CommandCode code) = 0;
  virtual SerialPort& Port() = 0;
  virtual Prompts& GetPrompts() = 0;
  // The application's general error box (conversion errors, a refused port setting).
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace climate
