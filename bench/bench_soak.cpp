// Soak run: 10,000 replies through the real window on a real port against the simulator, which
// cuts every reply into 3-byte pieces, puts noise in front of each and damages every tenth.
// Every good reply must be shown exactly once, every damaged one reported, the log must hold
// them all, and memory must stay flat. Prints the figures.
//
//   bench_soak [replies]      (default 10000; runs offscreen)
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "../tests/e2e/serial/sim_process.hpp"
#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/local_time.hpp"
#include "bench_support.hpp"
#include "console/main_window.hpp"
#include "console/prompts.hpp"
#include "serial/qt_serial_port.hpp"

namespace {

using namespace climate;
using bench::CountingPrompts;
using bench::RssKiB;

constexpr const char* Closing = "*************************************";
constexpr const char* ChecksumError = "Device return error,you can try again!";

// Runs the event loop until done() or the deadline.
bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}

std::string LastMemoLine(const QPlainTextEdit& memo) {
  return memo.document()->lastBlock().text().toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int replies = argc > 1 ? std::atoi(argv[1]) : 10000;

  test::TempDir dir;
  const std::string folder = dir.File("");
  const std::string link = dir.File("ttyUSB0");
  test::SimProcess sim(
      {"--kind", "ac", "--link", link, "--fragment", "3", "--noise", "--corrupt-every", "10"});
  {
    IniFile ini;
    WriteDefaultConfiguration(ini, folder);
    ini.WriteString("UserSet", "Language", "中文(&L)");
    ini.WriteString("SerialPorts", "COM1", link);
    ini.Save(folder + std::string(ConfigFileName));
  }

  CountingPrompts prompts;
  SystemClock clock;
  QtSerialPort port(ReadSerialPortPaths(IniFile::Load(folder + std::string(ConfigFileName))));
  TFrmMain window(ConsoleEnvironment{folder, folder, port, prompts, clock, {}});
  window.show();
  auto* memo = window.findChild<QPlainTextEdit*>("suiMemoText");
  auto* search = window.findChild<QAbstractButton*>("suiButtonSearch");

  // The three start-up replies first, then logging on, so the log holds exactly the soak.
  if (!WaitFor([&] { return window.Counters().frames >= 3; }, 5000)) {
    std::fprintf(stderr, "no start-up replies\n");
    return 1;
  }
  WaitFor([] { return false; }, 300);
  window.findChild<QAction*>("Log")->trigger();
  const ReceiveCounters base = window.Counters();
  const long rssStart = RssKiB();
  long rssMiddle = -1;

  int shownGood = 0;
  int shownCorrupt = 0;
  int timeouts = 0;
  int duplicates = 0;
  int wrongLastLine = 0;
  QElapsedTimer elapsed;
  elapsed.start();
  for (int i = 0; i < replies; ++i) {
    const std::uint64_t before = window.Counters().frames;
    search->click();
    if (!WaitFor([&] { return window.Counters().frames > before; }, 3000)) {
      ++timeouts;
      continue;
    }
    if (window.Counters().frames != before + 1) ++duplicates;
    const std::string last = LastMemoLine(*memo);
    if (last == Closing) {
      ++shownGood;
    } else if (last == ChecksumError) {
      ++shownCorrupt;
    } else {
      ++wrongLastLine;
    }
    if (i == replies / 2) rssMiddle = RssKiB();
  }
  const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
  // A stray second copy of the last reply would arrive within this wait.
  const std::uint64_t framesAtEnd = window.Counters().frames;
  WaitFor([] { return false; }, 500);
  if (window.Counters().frames != framesAtEnd) ++duplicates;
  window.findChild<QAction*>("Stop")->trigger();
  const long rssEnd = RssKiB();

  const ReceiveCounters& c = window.Counters();
  int logClosings = 0;
  int logErrors = 0;
  int logReceptions = 0;
  {
    std::ifstream log(window.Log().Path(), std::ios::binary);
    for (std::string line; std::getline(log, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      logClosings += line == Closing ? 1 : 0;
      logErrors += line == ChecksumError ? 1 : 0;
      logReceptions += line.rfind("Receive Time----", 0) == 0 ? 1 : 0;
    }
  }
  const auto& framer = window.Framer().Counters();

  std::printf("soak: %d requests in %.1f s (%.2f ms per exchange)\n", replies, seconds,
              seconds * 1000.0 / replies);
  std::printf(
      "  shown: %d good (closing line), %d checksum errors, %d timeouts, %d duplicates, "
      "%d other\n",
      shownGood, shownCorrupt, timeouts, duplicates, wrongLastLine);
  std::printf(
      "  counters: frames %llu, real-time %llu, checksum errors %llu, unknown %llu, "
      "memo clears %llu\n",
      static_cast<unsigned long long>(c.frames - base.frames),
      static_cast<unsigned long long>(c.realTime - base.realTime),
      static_cast<unsigned long long>(c.checksumErrors - base.checksumErrors),
      static_cast<unsigned long long>(c.unknown - base.unknown),
      static_cast<unsigned long long>(c.memoClears - base.memoClears));
  std::printf("  framer: %llu frames out, %llu bytes dropped (noise), %llu partials expired\n",
              static_cast<unsigned long long>(framer.framesOut),
              static_cast<unsigned long long>(framer.bytesDropped),
              static_cast<unsigned long long>(framer.partialsExpired));
  std::printf("  log file: %d reception lines, %d closing lines, %d checksum error lines\n",
              logReceptions, logClosings, logErrors);
  std::printf("  RSS: start %ld KiB, middle %ld KiB, end %ld KiB\n", rssStart, rssMiddle, rssEnd);
  std::printf("  message boxes: %d\n", prompts.messages);

  const int expectedCorrupt = replies / 10;
  const bool ok = timeouts == 0 && duplicates == 0 && wrongLastLine == 0 &&
                  shownCorrupt == expectedCorrupt && shownGood == replies - expectedCorrupt &&
                  logClosings == shownGood && logErrors == shownCorrupt &&
                  logReceptions == replies && prompts.messages == 0;
  std::printf("soak: %s\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
