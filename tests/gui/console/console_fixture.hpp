// A main window in a temporary folder with a fake port, a fake clock and scripted answers to its
// questions, and helpers to look at it through the object names of its controls.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/local_time.hpp"
#include "console/dialog_launcher.hpp"
#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/prompts.hpp"
#include "serial/fake_serial_port.hpp"
#include "support/frames.hpp"

namespace climate::testing {

// Answers the window's questions from a script and records every one of them.
class ScriptedPrompts final : public Prompts {
 public:
  struct Message {
    std::string text;
    std::string caption;
    std::string details;  // the unfolding part of the box; empty when it has none
  };
  struct Input {
    std::string caption;
    std::string prompt;
    std::string initial;
    char mask = 0;
    std::string okText;
    std::string cancelText;
    bool operator==(const Input&) const = default;
    friend void PrintTo(const Input& input, std::ostream* out) {
      *out << "{caption \"" << input.caption << "\", prompt \"" << input.prompt << "\", initial \""
           << input.initial << "\", mask " << static_cast<int>(input.mask) << ", ok \""
           << input.okText << "\", cancel \"" << input.cancelText << "\"}";
    }
  };

  std::vector<Message> messages;
  std::vector<Input> inputs;
  // One entry per input dialog: the text confirmed with OK, or nullopt for Cancel. An empty
  // script cancels.
  std::deque<std::optional<std::string>> answers;

  void Message(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption, {}});
  }
  void MessageWithDetails(const std::string& text, const std::string& caption,
                          const std::string& details) override {
    messages.push_back({text, caption, details});
  }
  bool Confirm(const std::string&, const std::string&) override { return true; }
  bool InputText(const std::string& caption, const std::string& prompt, std::string& value,
                 char mask, const std::string& okText, const std::string& cancelText) override {
    inputs.push_back({caption, prompt, value, mask, okText, cancelText});
    if (answers.empty()) return false;
    const std::optional<std::string> answer = answers.front();
    answers.pop_front();
    if (!answer) return false;
    value = *answer;
    return true;
  }
};

// Records what the window asks of the dialogs.
class RecordingLauncher final : public DialogLauncher {
 public:
  std::vector<std::string> calls;
  std::string aboutCaption;
  std::string aboutLabel8;

  void ShowSetKt() override { calls.push_back("SetKt"); }
  void ShowRjhCjSet() override { calls.push_back("RjhCjSet"); }
  void ShowSetRjh() override { calls.push_back("SetRjh"); }
  void ShowComSet() override { calls.push_back("ComSet"); }
  void ShowAbout() override { calls.push_back("About"); }
  void SetAboutTitle(const std::string& caption, const std::string& label8) override {
    aboutCaption = caption;
    aboutLabel8 = label8;
  }
};

using test::Hex;
using test::RealTimeReply;
using test::RealTimeRequest;

// Frames of the reference examples.
inline const std::vector<std::uint8_t>& AcReply = test::AcExample;
inline const std::vector<std::uint8_t>& FactoryReply = test::FactoryExample;

inline std::vector<std::uint8_t> Ack(std::uint8_t code) {
  return {0x7E, 0x01, 0x11, code, 0x00, 0x00, 0x0D};
}

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() {
    char pattern[] = "/tmp/console-test-XXXXXX";
    root_ = ::mkdtemp(pattern);
    exeDir_ = root_ + "/";
    logDir_ = root_ + "/logs";
    std::filesystem::create_directory(logDir_);
    // 09:05:07 on Saturday 5 March 2011.
    clock_.Set(LocalDateTime{2011, 3, 5, 9, 5, 7, 6});
  }

  ~ConsoleTest() override {
    window_.reset();
    std::error_code error;
    std::filesystem::permissions(ConfigPath(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(root_, error);
  }

  std::string ConfigPath() const { return exeDir_ + "UserSet.INI"; }

  // A configuration file as a new start would write it, changed by edit.
  template <typename Edit>
  void WriteConfig(Edit edit) {
    IniFile ini;
    WriteDefaultConfiguration(ini, exeDir_);
    edit(ini);
    ini.Save(ConfigPath());
  }
  void WriteConfig() {
    WriteConfig([](IniFile&) {});
  }
  IniFile ReadConfig() const { return IniFile::Load(ConfigPath()); }

  TFrmMain& Create() {
    window_ = std::make_unique<TFrmMain>(ConsoleEnvironment{
        exeDir_, logDir_, port_, prompts_, clock_, [this](const std::string& path) {
          openedHelp_.push_back(path);
          return helpOpens_;
        }});
    window_->SetDialogLauncher(&launcher_);
    return *window_;
  }
  // Creates and shows the window; the show handler runs now.
  TFrmMain& Start() {
    Create();
    window_->show();
    return *window_;
  }

  template <typename T>
  T* Find(const char* name) const {
    T* child = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  std::string Caption(const char* name) const {
    QObject* object = window_->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* label = qobject_cast<QLabel*>(object)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(object)) return button->text().toStdString();
    if (auto* group = qobject_cast<QGroupBox*>(object)) return group->title().toStdString();
    if (auto* action = qobject_cast<QAction*>(object)) return action->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(object)) return edit->text().toStdString();
    ADD_FAILURE() << "no captioned control " << name;
    return {};
  }
  std::string Panel(int index) const {
    return Find<QLabel>(("StatusPanel" + std::to_string(index)).c_str())->text().toStdString();
  }
  QColor LampColour(const char* name) const { return Find<Lamp>(name)->Colour(); }
  std::vector<std::string> MemoLines() const {
    const QString text = Find<QPlainTextEdit>("suiMemoText")->toPlainText();
    std::vector<std::string> lines;
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split('\n')) lines.push_back(line.toStdString());
    return lines;
  }
  // An item of the window menu that opens a window of its own: it carries the caption, the
  // window is made on first use only, and the item opens and shows it. The window, or nullptr.
  template <typename Window>
  Window* OpenFromWindowMenu(const char* item, const std::string& caption,
                             Window* (TFrmMain::*opened)() const) {
    auto* action = Find<QAction>(item);
    if (action == nullptr) return nullptr;
    EXPECT_TRUE(Find<QMenu>("suiPopupMenu2")->actions().contains(action));
    EXPECT_EQ(action->text().toStdString(), caption);
    EXPECT_EQ((window_.get()->*opened)(), nullptr) << "made on first use only";
    action->trigger();
    Window* window = (window_.get()->*opened)();
    if (window == nullptr) {
      ADD_FAILURE() << item << " opened no window";
      return nullptr;
    }
    EXPECT_TRUE(window->isVisible());
    return window;
  }
  void Click(const char* name) { Find<QAbstractButton>(name)->click(); }
  void Trigger(const char* name) { Find<QAction>(name)->trigger(); }
  void ClearWritten() { port_.written.clear(); }

  std::string root_;
  std::string exeDir_;
  std::string logDir_;
  FakeSerialPort port_;
  ScriptedPrompts prompts_;
  FakeClock clock_;
  RecordingLauncher launcher_;
  std::vector<std::string> openedHelp_;
  bool helpOpens_ = true;  // whether the desktop has an opener for the help file
  std::unique_ptr<TFrmMain> window_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace climate::testing
