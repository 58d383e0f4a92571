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
using bench::WaitFor;

constexpr const char* Closing = "*************************************";
constexpr const char* ChecksumError = "Device return error,you can try again!";

// What the memo showed after each request, and how the run went.
struct Shown {
  int good = 0;  // the closing line
  int corrupt = 0;
  int timeouts = 0;
  int duplicates = 0;
  int wrongLastLine = 0;
  long rssMiddle = -1;
  double seconds = 0;
};

// What the log file holds of the soak.
struct Logged {
  int closings = 0;
  int errors = 0;
  int receptions = 0;
};

// The settings file of the run: English, COM1 on the simulator's link.
void WriteConfiguration(const std::string& folder, const std::string& link) {
  IniFile ini;
  WriteDefaultConfiguration(ini, folder);
  ini.WriteString("UserSet", "Language", "中文(&L)");
  ini.WriteString("SerialPorts", "COM1", link);
  ini.Save(folder + std::string(ConfigFileName));
}

std::string LastMemoLine(const QPlainTextEdit& memo) {
  return memo.document()->lastBlock().text().toStdString();
}

// One request at a time by the Search button; each must bring exactly one reply, which leaves
// the closing line or the checksum error last in the memo.
Shown AskOneByOne(TFrmMain& window, int replies) {
  auto* memo = window.findChild<QPlainTextEdit*>("suiMemoText");
  auto* search = window.findChild<QAbstractButton*>("suiButtonSearch");
  Shown shown;
  QElapsedTimer elapsed;
  elapsed.start();
  for (int i = 0; i < replies; ++i) {
    const std::uint64_t before = window.Counters().frames;
    search->click();
    if (!WaitFor([&] { return window.Counters().frames > before; }, 3000)) {
      ++shown.timeouts;
      continue;
    }
    if (window.Counters().frames != before + 1) ++shown.duplicates;
    const std::string last = LastMemoLine(*memo);
    if (last == Closing) {
      ++shown.good;
    } else if (last == ChecksumError) {
      ++shown.corrupt;
    } else {
      ++shown.wrongLastLine;
    }
    if (i == replies / 2) shown.rssMiddle = RssKiB();
  }
  shown.seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
  // A stray second copy of the last reply would arrive within this wait.
  const std::uint64_t framesAtEnd = window.Counters().frames;
  WaitFor([] { return false; }, 500);
  if (window.Counters().frames != framesAtEnd) ++shown.duplicates;
  return shown;
}

Logged CountLogLines(const std::string& path) {
  Logged logged;
  std::ifstream log(path, std::ios::binary);
  for (std::string line; std::getline(log, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    logged.closings += line == Closing ? 1 : 0;
    logged.errors += line == ChecksumError ? 1 : 0;
    logged.receptions += line.rfind("Receive Time----", 0) == 0 ? 1 : 0;
  }
  return logged;
}

unsigned long long Since(std::uint64_t now, std::uint64_t base) {
  return static_cast<unsigned long long>(now - base);
}

void PrintCounters(const ReceiveCounters& c, const ReceiveCounters& base,
                   const FramerCounters& framer) {
  std::printf(
      "  counters: frames %llu, real-time %llu, checksum errors %llu, unknown %llu, "
      "memo clears %llu\n",
      Since(c.frames, base.frames), Since(c.realTime, base.realTime),
      Since(c.checksumErrors, base.checksumErrors), Since(c.unknown, base.unknown),
      Since(c.memoClears, base.memoClears));
  std::printf("  framer: %llu frames out, %llu bytes dropped (noise), %llu partials expired\n",
              static_cast<unsigned long long>(framer.framesOut),
              static_cast<unsigned long long>(framer.bytesDropped),
              static_cast<unsigned long long>(framer.partialsExpired));
}

// Every good reply shown once, every tenth reported as damaged, the log holding them all and
// no message box.
bool Passed(int replies, const Shown& shown, const Logged& logged, int messages) {
  const int expectedCorrupt = replies / 10;
  return shown.timeouts == 0 && shown.duplicates == 0 && shown.wrongLastLine == 0 &&
         shown.corrupt == expectedCorrupt && shown.good == replies - expectedCorrupt &&
         logged.closings == shown.good && logged.errors == shown.corrupt &&
         logged.receptions == replies && messages == 0;
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
  WriteConfiguration(folder, link);

  CountingPrompts prompts;
  SystemClock clock;
  QtSerialPort port(ReadSerialPortPaths(IniFile::Load(folder + std::string(ConfigFileName))));
  TFrmMain window(ConsoleEnvironment{folder, folder, port, prompts, clock, {}});
  window.show();

  // The three start-up replies first, then logging on, so the log holds exactly the soak.
  if (!WaitFor([&] { return window.Counters().frames >= 3; }, 5000)) {
    std::fprintf(stderr, "no start-up replies\n");
    return 1;
  }
  WaitFor([] { return false; }, 300);
  window.findChild<QAction*>("Log")->trigger();
  const ReceiveCounters base = window.Counters();
  const long rssStart = RssKiB();
  const Shown shown = AskOneByOne(window, replies);
  window.findChild<QAction*>("Stop")->trigger();
  const long rssEnd = RssKiB();
  const Logged logged = CountLogLines(window.Log().Path());

  std::printf("soak: %d requests in %.1f s (%.2f ms per exchange)\n", replies, shown.seconds,
              shown.seconds * 1000.0 / replies);
  std::printf(
      "  shown: %d good (closing line), %d checksum errors, %d timeouts, %d duplicates, "
      "%d other\n",
      shown.good, shown.corrupt, shown.timeouts, shown.duplicates, shown.wrongLastLine);
  PrintCounters(window.Counters(), base, window.Framer().Counters());
  std::printf("  log file: %d reception lines, %d closing lines, %d checksum error lines\n",
              logged.receptions, logged.closings, logged.errors);
  std::printf("  RSS: start %ld KiB, middle %ld KiB, end %ld KiB\n", rssStart, shown.rssMiddle,
              rssEnd);
  std::printf("  message boxes: %d\n", prompts.messages);

  const bool ok = Passed(replies, shown, logged, prompts.messages);
  std::printf("soak: %s\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
