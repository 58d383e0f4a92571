// The Monitor and the fleet view through their module: the operator's word when the module is
// missing, the module as built opening both windows over the window's own model, and the order in
// which the module's folders are tried.
#include "console/window_module.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <filesystem>
#include <fstream>

#include "console/linked_tool_windows.hpp"
#include "console_fixture.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_window.hpp"

namespace climate::testing {
namespace {

class WindowModuleTest : public ConsoleTest {
 protected:
  ~WindowModuleTest() override {
    SetToolWindowSource([](std::string&) { return &LinkedToolWindows(); });
  }

  static std::string BuiltModuleFolder() {
    return QCoreApplication::applicationDirPath().toStdString() + "/";
  }
};

// Without its module neither window opens and the operator is told why, in the window's
// language, once per try; the main window carries on, and a module found later opens them.
TEST_F(WindowModuleTest, MissingModuleIsToldAndLeavesTheMainWindowWorking) {
  int asked = 0;
  SetToolWindowSource([&](std::string& error) -> ToolWindowFactory* {
    ++asked;
    error = "/opt/console/climate-console-windows.so: not found";
    return nullptr;
  });
  WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
  TFrmMain& window = Start();

  Trigger("Monitor");
  EXPECT_EQ(window.MonitorWin(), nullptr);
  ASSERT_EQ(prompts_.messages.size(), 1u);
  const std::string& said = prompts_.messages[0].text;
  EXPECT_NE(said.find("The Monitor window cannot be opened"), std::string::npos) << said;
  EXPECT_NE(said.find("climate-console-windows.so"), std::string::npos) << said;
  EXPECT_NE(said.find("/opt/console/climate-console-windows.so: not found"), std::string::npos);

  Trigger("Language");
  Trigger("Fleet");
  EXPECT_EQ(window.FleetWin(), nullptr);
  ASSERT_EQ(prompts_.messages.size(), 2u);
  EXPECT_NE(prompts_.messages[1].text.find("无法打开“机柜总览”窗口"), std::string::npos)
      << prompts_.messages[1].text;
  EXPECT_EQ(asked, 2);

  // The main window still polls and shows replies.
  Find<QPushButton>("suiButtonSearch")->click();
  EXPECT_FALSE(port_.written.empty());

  SetToolWindowSource([](std::string&) { return &LinkedToolWindows(); });
  Trigger("Monitor");
  ASSERT_NE(window.MonitorWin(), nullptr);
  EXPECT_EQ(window.MonitorWin()->windowTitle(), "监视");
  EXPECT_EQ(prompts_.messages.size(), 2u);
}

// The module as built beside the tests: its windows take the language, show, follow the model
// the caller owns and go again, all through the factory while the test's own copies of the same
// classes are linked in beside it.
TEST_F(WindowModuleTest, BuiltModuleOpensBothWindows) {
  std::string error;
  ToolWindowFactory* windows = LoadWindowModule({BuiltModuleFolder()}, error);
  ASSERT_NE(windows, nullptr) << error;
  EXPECT_NE(windows, &LinkedToolWindows());

  WriteConfig();
  MonitorModel model(clock_, root_ + "/records");
  std::unique_ptr<ToolWindow> monitor =
      windows->MakeMonitor(model, QString::fromStdString(ConfigPath()),
                           QString::fromStdString(root_), &prompts_, nullptr);
  ASSERT_NE(monitor, nullptr);
  monitor->SetLanguage(Language::Chinese);
  EXPECT_EQ(monitor->Widget().windowTitle(), "监视");
  monitor->Widget().show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&monitor->Widget()));
  // The module's class is its own: the test's copy does not take it for one of its kind.
  EXPECT_EQ(qobject_cast<MonitorWindow*>(&monitor->Widget()), nullptr);
  model.SetPeriodic(true, 2000);
  model.Tick();
  QCoreApplication::processEvents();
  monitor->SetLanguage(Language::English);
  EXPECT_EQ(monitor->Widget().windowTitle(), "Monitor");
  monitor.reset();

  std::unique_ptr<ToolWindow> fleet =
      windows->MakeFleet(QString::fromStdString(ConfigPath()), nullptr);
  ASSERT_NE(fleet, nullptr);
  fleet->SetLanguage(Language::English);
  EXPECT_EQ(fleet->Widget().windowTitle(), "Fleet");
  fleet->Widget().show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&fleet->Widget()));
  fleet.reset();
}

// Folders are tried in order: one without the module, one whose module is damaged, then the
// good one; with none usable the error names each folder and what was wrong there.
TEST_F(WindowModuleTest, FoldersAreTriedInOrderAndEachFailureIsNamed) {
  const std::string empty = root_ + "/empty/";
  const std::string damaged = root_ + "/damaged/";
  std::filesystem::create_directories(empty);
  std::filesystem::create_directories(damaged);
  std::ofstream(damaged + WindowModuleName) << "not a shared object";

  std::string error;
  EXPECT_EQ(LoadWindowModule({empty, damaged}, error), nullptr);
  EXPECT_NE(error.find(empty + WindowModuleName + ": not found"), std::string::npos) << error;
  EXPECT_NE(error.find(damaged + WindowModuleName), std::string::npos) << error;

  error.clear();
  EXPECT_NE(LoadWindowModule({empty, damaged, BuiltModuleFolder()}, error), nullptr) << error;

  // The installed program looks beside itself first, then in its library folder; a copy
  // elsewhere also tries where the package puts the module.
  const std::vector<std::string> installed = WindowModuleFolders("/usr/bin/");
  ASSERT_EQ(installed.size(), 2u);
  EXPECT_EQ(installed[0], "/usr/bin/");
  EXPECT_EQ(installed[1].rfind("/usr/bin/../lib", 0), 0u) << installed[1];
  EXPECT_TRUE(installed[1].ends_with("/cabinet-climate-console/")) << installed[1];
  const std::vector<std::string> copied = WindowModuleFolders("/opt/console/");
  ASSERT_EQ(copied.size(), 3u);
  EXPECT_EQ(copied[0], "/opt/console/");
  EXPECT_EQ(copied[2].rfind("/usr/lib", 0), 0u) << copied[2];
  EXPECT_TRUE(copied[2].ends_with("/cabinet-climate-console/")) << copied[2];
}

}  // namespace
}  // namespace climate::testing
