// A main window in this process on a real serial port, talking to climate-sim over a
// pseudo-terminal: the whole road from button to memo and log, with real bytes and real timing.
#pragma once

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "../serial/sim_process.hpp"
#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/local_time.hpp"
#include "console/main_window.hpp"
#include "console/prompts.hpp"
#include "serial/qt_serial_port.hpp"

namespace climate::test {

// Runs the event loop until the window's timer of that name has fired `ticks` times from now, so
// its handler has run that often; false when the timer is missing or the deadline passes first.
inline bool WaitForTicks(const QObject& window, const char* timerName, int ticks,
                         int timeoutMs = 10000) {
  auto* timer = window.findChild<QTimer*>(QString::fromLatin1(timerName));
  if (timer == nullptr) return false;
  QSignalSpy spy(timer, &QTimer::timeout);
  return QTest::qWaitFor([&] { return spy.count() >= ticks; }, timeoutMs);
}

// Records the boxes the window raises; input dialogs are cancelled.
class RecordingPrompts final : public Prompts {
 public:
  std::vector<std::string> messages;
  void Message(const std::string& text, const std::string&) override { messages.push_back(text); }
  bool Confirm(const std::string&, const std::string&) override { return true; }
  bool InputText(const std::string&, const std::string&, std::string&, char, const std::string&,
                 const std::string&) override {
    return false;
  }
};

// The configuration a test starts from: defaults, COM1 on the simulator's link.
inline void WriteConsoleConfig(const std::string& exeDir, const std::string& link,
                               const std::function<void(IniFile&)>& edit = {}) {
  IniFile ini;
  WriteDefaultConfiguration(ini, exeDir);
  ini.WriteInteger("FrmFlash", "Time", 0);
  ini.WriteString("UserSet", "Language", "中文(&L)");
  ini.WriteString("SerialPorts", "COM1", link);
  if (edit) edit(ini);
  ini.Save(exeDir + std::string(ConfigFileName));
}

class ConsoleOnSimulator {
 public:
  // Starts the simulator with simArgs (kind and link are added) and a shown window on it. The
  // window reads the time from `clock` where one is given, the system's otherwise.
  explicit ConsoleOnSimulator(std::vector<std::string> simArgs,
                              const std::function<void(IniFile&)>& edit = {},
                              const Clock* clock = nullptr)
      : exeDir_(dir_.File("")),
        link_(dir_.File("ttyUSB0")),
        record_(dir_.File("requests.txt")),
        clock_(clock != nullptr ? *clock : systemClock_) {
    std::vector<std::string> args = {"--kind", "ac", "--link", link_, "--record", record_};
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    sim_ = std::make_unique<SimProcess>(args);
    WriteConsoleConfig(exeDir_, link_, edit);
    port_ = std::make_unique<QtSerialPort>(
        ReadSerialPortPaths(IniFile::Load(exeDir_ + std::string(ConfigFileName))));
    window_ = std::make_unique<TFrmMain>(
        ConsoleEnvironment{exeDir_, dir_.File(""), *port_, prompts_, clock_, {}});
    window_->show();
  }
  ~ConsoleOnSimulator() {
    window_.reset();
    port_.reset();
  }

  TFrmMain& Window() { return *window_; }
  SimProcess& Sim() { return *sim_; }
  void RestartSim(std::vector<std::string> simArgs = {}) {
    std::vector<std::string> args = {"--kind", "ac", "--link", link_};
    args.insert(args.end(), simArgs.begin(), simArgs.end());
    sim_ = std::make_unique<SimProcess>(args);
  }
  void StopSim() { sim_.reset(); }
  RecordingPrompts& Prompts() { return prompts_; }
  std::vector<std::string> Requests() const { return ReadLines(record_); }
  std::string Dir() const { return dir_.File(""); }

  template <typename T>
  T* Find(const char* name) const {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }
  std::vector<std::string> MemoLines() const {
    const QString text = Find<QPlainTextEdit>("suiMemoText")->toPlainText();
    std::vector<std::string> lines;
    if (!text.isEmpty()) {
      for (const QString& line : text.split('\n')) lines.push_back(line.toStdString());
    }
    return lines;
  }
  int MemoCount(const std::string& line) const {
    int count = 0;
    for (const std::string& l : MemoLines()) count += l == line ? 1 : 0;
    return count;
  }

 private:
  TempDir dir_;
  std::string exeDir_;
  std::string link_;
  std::string record_;
  std::unique_ptr<SimProcess> sim_;
  RecordingPrompts prompts_;
  SystemClock systemClock_;
  const Clock& clock_;
  std::unique_ptr<QtSerialPort> port_;
  std::unique_ptr<TFrmMain> window_;
};

}  // namespace climate::test
