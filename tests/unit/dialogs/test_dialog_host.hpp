// A DialogHost for tests: an in-memory port, scripted answers to confirmations, a private
// configuration folder, and a record of every error box and PendingCommand change.
#pragma once

#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/prompts.hpp"
#include "dialogs/dialog_host.hpp"
#include "serial/fake_serial_port.hpp"
#include "serial/send_request.hpp"
#include "support/temp_dir.hpp"

namespace climate::testing {

class ScriptedPrompts final : public Prompts {
 public:
  void Message(const std::string&, const std::string&) override {}
  bool Confirm(const std::string& text, const std::string& caption) override {
    confirms.push_back(text + "|" + caption);
    const bool answer = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  bool InputText(const std::string&, const std::string&, std::string&, char, const std::string&,
                 const std::string&) override {
    return false;
  }
  std::deque<bool> answers;           // unanswered questions are cancelled
  std::vector<std::string> confirms;  // "text|caption"
};

// A folder of its own under the system temp folder, removed with the object.
class TempFolder : public test::TempDir {
 public:
  TempFolder() : TempDir("dialogs"), path_(File("")) {}
  const std::string& Path() const { return path_; }  // ends with '/'

 private:
  std::string path_;
};

inline void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadTextFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

class TestDialogHost : public DialogHost {
 public:
  TestDialogHost() { port.Open(); }

  Language CurrentLanguage() const override { return language; }
  std::string ConfigPath() const override { return configPath; }
  const ProtocolSettings& Protocol() const override { return protocol; }
  // SendRequest with an open routine that reports its failure as the main window's does.
  bool Send(const RequestFrame& frame) override {
    return SendRequest(Port(), frame, [this] {
      ++openAttempts;
      try {
        Port().Open();
      } catch (const SerialError& error) {
        errors.emplace_back(error.what());
      }
    });
  }
  void SetPendingCommand(CommandCode code) override { pendingCommand = static_cast<int>(code); }
  SerialPort& Port() override { return port; }
  Prompts& GetPrompts() override { return prompts; }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  void WriteConfig(const std::string& text) const { WriteTextFile(configPath, text); }
  // Closes the line and makes it impossible to open again.
  void BreakPort() {
    port.Close();
    port.missingPorts.insert(port.PortNumber());
  }

  TempFolder folder;
  std::string configPath = folder.Path() + "UserSet.INI";
  Language language = Language::English;
  ProtocolSettings protocol = DefaultProtocolSettings();
  FakeSerialPort port;
  ScriptedPrompts prompts;
  std::vector<std::string> errors;
  int pendingCommand = -1;
  int openAttempts = 0;
};

inline Bytes B(std::initializer_list<int> values) {
  return Bytes(values.begin(), values.end());
}

}  // namespace climate::testing
