// Start-up order: application and title, main window (creation handler), splash painted and kept
// on screen for FrmFlash/Time, the settings dialogs and the About window, splash gone, main
// window shown (show handler), message loop. An error that escapes is shown and ends the program.
#include "app/console_app.hpp"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QWindow>
#include <memory>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/config/install_location.hpp"
#include "app/local_time.hpp"
#include "app/signal_closer.hpp"
#include "console/main_window.hpp"
#include "console/qt_prompts.hpp"
#include "console/tool_windows.hpp"
#include "console/ui_texts.hpp"
#include "console/window_module.hpp"
#include "console/window_prompts.hpp"
#include "dialogs/settings_dialogs.hpp"
#include "serial/mapped_serial_port.hpp"

namespace climate {

namespace {

// The splash is painted once and then the program blocks; the window system has to have mapped
// it first, or the wait would show an empty frame.
void PaintAtOnce(QWidget& splash) {
  splash.show();
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QWindow* window = splash.windowHandle();
    if (window != nullptr && window->isExposed()) break;
  }
  splash.repaint();
  QCoreApplication::processEvents();
}

int Run(QApplication& app) {
  const std::string title(Texts::ApplicationTitle);
  QtPrompts prompts(nullptr, title);
  SystemClock clock;
  const ConsoleFolders folders = ChooseConsoleFolders(
      QCoreApplication::applicationDirPath().toStdString() + "/",
      {qEnvironmentVariable("XDG_CONFIG_HOME").toStdString(), QDir::homePath().toStdString()});
  const std::string& exeDir = folders.dataDir;
  const std::string configPath = folders.configDir + std::string(ConfigFileName);
  // The Monitor and the fleet view load with their module when first opened.
  SetToolWindowSource([programDir = QCoreApplication::applicationDirPath().toStdString() +
                                    "/"](std::string& error) {
    return LoadWindowModule(WindowModuleFolders(programDir), error);
  });

  const std::array<std::string, 4> portEntries = ReadSerialPortPaths(IniFile::Load(configPath));
  MappedSerialPort port(portEntries);
  TFrmMain window(ConsoleEnvironment{
      exeDir, QDir::currentPath().toStdString(), port, prompts, clock, {}, folders.configDir});
  AttachPrompts(prompts, window);
  // A termination signal closes the window as the operator would, so the choices are saved. No
  // box may wait for an answer afterwards, and leaving every event loop ends a modal dialog that is
  // open.
  SignalCloser closer([&] {
    prompts.Dismiss();
    window.close();
    QCoreApplication::exit(0);
  });

  std::unique_ptr<DialogLauncher> launcher;
  {
    std::unique_ptr<QWidget> splash = CreateSplash(configPath, exeDir, window.CurrentLanguage());
    PaintAtOnce(*splash);
    const int waitMs =
        IniFile::Load(configPath).ReadInteger("FrmFlash", "Time", ReadDefault::FlashTime);
    if (waitMs > 0) QThread::msleep(static_cast<unsigned long>(waitMs));
    launcher = CreateSettingsDialogs(window, &window, window.KtParameters());
    window.SetDialogLauncher(launcher.get());
    splash->close();
  }

  // Boxes the show handler raises wait until the window is on screen, and this one after them.
  window.show();
  // The open in the show handler has failed on such an entry already; this says why.
  if (const std::string bad = BadPortEntriesText(portEntries, window.CurrentLanguage());
      !bad.empty() && !window.Closed()) {
    prompts.Message(bad, title);
  }
  // A termination signal that came while the show handler had a message box open has closed
  // the window already; there is no loop left to run.
  const int result = window.Closed() ? 0 : app.exec();
  window.SetDialogLauncher(nullptr);
  launcher.reset();
  return result;
}

}  // namespace

int RunConsole(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("climate-console");
  try {
    return Run(app);
  } catch (const std::exception& error) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(Texts::ApplicationTitle.data()),
                    QString::fromUtf8(error.what()), QMessageBox::Ok);
    box.exec();
    return 1;
  }
}

}  // namespace climate
