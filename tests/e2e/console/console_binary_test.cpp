// The real climate-console program, copied into a folder of its own with a UserSet.INI that puts
// COM1 on the simulator: its start-up requests, and SIGTERM closing it the way the operator would,
// choices saved. Also the settings the launch script prepares for a run on the simulator.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "../serial/sim_process.hpp"
#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "console_e2e.hpp"

namespace climate::test {
namespace {

// Waits for the child with a deadline; its wait status, or -1 if it is still running.
int WaitForExit(pid_t pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

bool WaitForLines(const std::string& path, std::size_t count, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadLines(path).size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

pid_t SpawnConsole(const std::string& folder) {
  const std::string program = folder + "climate-console";
  std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen"};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("QT_QPA_PLATFORM=", 0) != 0) environment.emplace_back(*entry);
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};

  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  // Log files go to the working directory: keep them in the test folder.
  ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

// Runs the launch script's settings step for the simulated unit `unit` into folder, with COM1 on
// link; its wait status, or -1 when it did not end in time.
int RunConsoleScriptSettings(const std::string& unit, const std::string& folder,
                             const std::string& link) {
  const std::string bin = std::filesystem::path(CLIMATE_CONFIG_PATH).parent_path().string();
  std::vector<std::string> environment = {"UNIT=" + unit, "CLIMATE_BIN=" + bin};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (text.rfind("UNIT=", 0) != 0 && text.rfind("CLIMATE_BIN=", 0) != 0) {
      environment.push_back(text);
    }
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = {"bash", CLIMATE_SOURCE_DIR "/scripts/run-console.sh",
                                   "--settings-only", folder, link};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, "bash", nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  const int status = WaitForExit(pid, 10000);
  if (status == -1) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  return status;
}

// A first run of the launch script with UNIT=hx: the window it prepares selects the heat
// exchanger, so the simulated heat exchanger's replies are read as its own. A later run with the
// other unit switches the type back, whatever the file was left with.
TEST(ConsoleScript, FirstRunSelectsTheUnitTheSimulatorPlays) {
  TempDir dir;
  const std::string folder = dir.File("");
  const std::string link = dir.File("climate-com1");
  SimProcess sim({"--kind", "hx", "--link", link});
  ASSERT_EQ(RunConsoleScriptSettings("hx", folder, link), 0);
  {
    QtSerialPort port(ReadSerialPortPaths(IniFile::Load(folder + std::string(ConfigFileName))));
    RecordingPrompts prompts;
    SystemClock clock;
    TFrmMain window(ConsoleEnvironment{folder, folder, port, prompts, clock, {}});
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Counters().realTime >= 1; }, 5000));
    EXPECT_EQ(window.Kind(), DeviceKind::HeatExchanger);
    EXPECT_EQ(window.CurrentLanguage(), Language::English);
    const QString memo = window.findChild<QPlainTextEdit*>("suiMemoText")->toPlainText();
    EXPECT_TRUE(memo.contains("External Fan Adjust On Point:   ")) << memo.toStdString();
    EXPECT_TRUE(prompts.messages.empty());
  }

  ASSERT_EQ(RunConsoleScriptSettings("ac", folder, link), 0);
  const IniFile again = IniFile::Load(folder + std::string(ConfigFileName));
  EXPECT_EQ(again.ReadInteger("Device", "DeviceType", -1), 0);
  EXPECT_EQ(again.ReadString("SerialPorts", "COM1", "?"), link);
  EXPECT_NE(RunConsoleScriptSettings("heat-exchanger", folder, link), 0);
}

TEST(ConsoleBinary, StartsUpAgainstTheSimulatorAndSavesOnSigterm) {
  TempDir dir;
  const std::string folder = dir.File("");
  const std::string link = dir.File("ttyUSB0");
  const std::string record = dir.File("requests.txt");
  SimProcess sim({"--kind", "hx", "--link", link, "--record", record});

  std::filesystem::copy_file(CLIMATE_CONSOLE_PATH, folder + "climate-console");
  WriteConsoleConfig(folder, link, [](IniFile& ini) {
    ini.WriteString("UserSet", "Language", "English (&L)");
    ini.WriteInteger("UserSet", "Check", 1);
    ini.WriteInteger("UserSet", "Timer", 30000);
    ini.WriteInteger("Device", "DeviceType", 1);
    ini.WriteInteger("FrmMain", "Width", 760);
    ini.WriteInteger("FrmMain", "Height", 600);
  });

  const pid_t console = SpawnConsole(folder);
  ASSERT_GT(console, 0);
  // The unit selector's switch and the two language switches of the show handler. Once they are
  // in, the window is up and the signal closes it; the record is read again after the exit, so a
  // stray fourth request would still show.
  const bool requested = WaitForLines(record, 3, 15000);
  ::kill(console, SIGTERM);
  const int status = WaitForExit(console, 10000);
  if (status == -1) {
    ::kill(console, SIGKILL);
    ::waitpid(console, nullptr, 0);
  }
  ASSERT_TRUE(requested) << "the console sent fewer than three requests";
  EXPECT_EQ(ReadLines(record),
            (std::vector<std::string>{"7E011141AEFF0D", "7E011141AEFF0D", "7E011141AEFF0D"}));
  ASSERT_NE(status, -1) << "SIGTERM did not end the console";
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const IniFile saved = IniFile::Load(folder + std::string(ConfigFileName));
  EXPECT_EQ(saved.ReadString("UserSet", "Language", "?"), "English (&L)");
  EXPECT_EQ(saved.ReadInteger("UserSet", "Check", -1), 1);
  EXPECT_EQ(saved.ReadInteger("UserSet", "Timer", -1), 30000);
  EXPECT_EQ(saved.ReadInteger("Device", "DeviceType", -1), 1);
  EXPECT_EQ(saved.ReadInteger("UserSet", "ComNum", -1), 0);
  EXPECT_EQ(saved.ReadInteger("FrmMain", "Width", -1), 760);
  EXPECT_EQ(saved.ReadInteger("FrmMain", "Height", -1), 600);
  // The port section is the operator's own and is never written back differently.
  EXPECT_EQ(saved.ReadString("SerialPorts", "COM1", "?"), link);
}

}  // namespace
}  // namespace climate::test
