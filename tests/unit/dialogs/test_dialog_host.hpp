// A DialogHost for tests: an in-memory port, scripted answers to confirmations, a private
// configuration folder, and a record of every error box and PendingCommand change.
#pragma once

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "console/prompts.hpp"
#include "dialogs/dialog_host.hpp"
#include "serial/fake_serial_port.hpp"
#include "serial/send_request.hpp"

namespace climate::testing {

class ScriptedPrompts final : public Prompts {
 public:
  void Message(const std::string& text, const std::string& caption) override {
    messages.emplace_back(text, caption);
  }
  bool Confirm(const std::string& text, const std::string& caption) override {
    confirms.emplace_back(text, caption);
    if (confirmAnswers.empty()) return false;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
  }
  bool InputText(const std::string&, const std::string&, std::string&, char, const std::string&,
                 const std::string&) override {
    return false;
  }

  std::deque<bool> confirmAnswers;                            // unanswered questions are cancelled
  std::vector<std::pair<std::string, std::string>> confirms;  // text, caption
  std::vector<std::pair<std::string, std::string>> messages;
};

// A folder of its own under the system temp folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dialogs-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // With a trailing '/'.
  std::string Path() const { return path_ + "/"; }

 private:
  std::string path_;
};

inline void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TestDialogHost : public DialogHost {
 public:
  TestDialogHost() : configPath(folder.Path() + "UserSet.INI") {
    port.Open();  // most tests start with a working line
    port.openCount = 0;
  }

  Language CurrentLanguage() const override { return language; }
  std::string ConfigPath() const override { return configPath; }
  const ProtocolSettings& Protocol() const override { return protocol; }
  bool Send(const RequestFrame& frame) override {
    ++sendCalls;
    return SendRequest(Port(), frame, [this] {
      ++openAttempts;
      try {
        Port().Open();
      } catch (const SerialError& error) {
        errors.emplace_back(error.what());
      }
    });
  }
  void SetPendingCommand(int code) override { pendingCommand = code; }
  SerialPort& Port() override { return port; }
  Prompts& GetPrompts() override { return prompts; }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  // Closes the line and makes it impossible to open again.
  void BreakPort() {
    port.Close();
    port.missingPorts.insert(port.PortNumber());
  }

  TempFolder folder;
  Language language = Language::English;
  std::string configPath;
  ProtocolSettings protocol = DefaultProtocolSettings();
  FakeSerialPort port;
  ScriptedPrompts prompts;
  std::vector<std::string> errors;
  int pendingCommand = -1;
  int sendCalls = 0;
  int openAttempts = 0;
};

}  // namespace climate::testing
