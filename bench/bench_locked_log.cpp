// The log folder locked against every write (chattr +i, which even root cannot get past), then
// unlocked: the real window, logging on, takes 50 air-conditioner replies a second from an
// in-memory port (the whole receive path: framer, memo, log) for a period in each state. Prints
// CPU (share of one core) and resident memory for each period, the lines waiting and left out,
// and checks that every line of every reply reached the file once and in order.
//
//   bench_locked_log [seconds locked [seconds unlocked]]   (default 60 and 60; runs offscreen;
//                                  needs root and a file system with chattr, such as ext4)
// A locked period of three minutes or more fills the bound on waiting lines, so the file then
// shows the note where lines were left out.
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/config/config_keys.hpp"
#include "app/config/gbk.hpp"
#include "app/config/ini_file.hpp"
#include "app/local_time.hpp"
#include "bench_support.hpp"
#include "console/main_window.hpp"
#include "console/prompts.hpp"
#include "protocol/frame.hpp"
#include "serial/fake_serial_port.hpp"
#include "support/frames.hpp"

namespace {

using namespace climate;
using bench::CountingPrompts;
using bench::CpuSeconds;
using bench::RssKiB;

constexpr int RepliesPerSecond = 50;
constexpr int LinesPerReply = 31;  // the reception line and thirty decoded lines
constexpr int TemperatureCycle = 80;

// A good real-time reply, the example's values with everything running, whose indoor
// temperature tells the replies apart in the file.
Bytes NumberedReply(int number) {
  return test::RealTimeReply(number % TemperatureCycle, 30, 60, 220, {32, 10, 5, 10, 55, 0}, 0x1F,
                             0x00, 0x00);
}

bool Lock(const std::string& folder, bool locked) {
  const std::string command = std::string("chattr ") + (locked ? "+i" : "-i") + " '" + folder + "'";
  return std::system(command.c_str()) == 0;
}

struct Period {
  double cpuShare = 0;
  long rssStartKiB = 0;
  long rssEndKiB = 0;
  long rssPeakKiB = 0;
  int replies = 0;
};

// Feeds replies at the bench rate for the given time, sampling memory once a second.
Period Run(QApplication& app, FakeSerialPort& port, int seconds, int& number) {
  Period period;
  period.rssStartKiB = period.rssPeakKiB = RssKiB();
  const double cpuStart = CpuSeconds();
  QElapsedTimer wall;
  wall.start();
  QTimer feed;
  feed.setTimerType(Qt::PreciseTimer);
  feed.setInterval(1000 / RepliesPerSecond);
  QObject::connect(&feed, &QTimer::timeout, [&] {
    port.Inject(NumberedReply(number++));
    ++period.replies;
    if (period.replies % RepliesPerSecond == 0) {
      period.rssPeakKiB = std::max(period.rssPeakKiB, RssKiB());
    }
  });
  QTimer stop;
  stop.setSingleShot(true);
  QObject::connect(&stop, &QTimer::timeout, &app, [&] { app.exit(0); });
  feed.start();
  stop.start(seconds * 1000);
  app.exec();
  feed.stop();
  period.cpuShare = (CpuSeconds() - cpuStart) / (static_cast<double>(wall.elapsed()) / 1000.0);
  period.rssEndKiB = RssKiB();
  return period;
}

// Every reply's 31 lines, in order, each reply told by its indoor temperature. Lines the bound
// left out must be exactly where the note says, and as many as it says.
int CheckFile(const std::string& path, int replies) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(GbkToUtf8(line));
  }
  std::size_t noteAt = lines.size();
  std::size_t missing = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("*** ", 0) == 0 && lines[i].find("not logged") != std::string::npos) {
      noteAt = i;
      missing = std::stoul(lines[i].substr(4));
      std::printf("note in the file after line %zu: %s\n", i, lines[i].c_str());
      break;
    }
  }
  const std::size_t expected = static_cast<std::size_t>(replies) * LinesPerReply;
  const std::size_t written = lines.size() - (noteAt < lines.size() ? 1 : 0);
  int faults = 0;
  if (written + missing != expected) {
    std::printf("file holds %zu lines and names %zu missing, expected %zu in all\n", written,
                missing, expected);
    ++faults;
  }
  for (std::size_t i = 0; i < lines.size() && faults < 5; ++i) {
    if (i == noteAt) continue;
    const std::size_t at = i < noteAt ? i : i - 1 + missing;
    const std::size_t reply = at / LinesPerReply;
    const std::size_t offset = at % LinesPerReply;
    const std::string temperature =
        "Indoor Temperature:   " + std::to_string(reply % TemperatureCycle) + " ℃";
    const bool ok = offset == 0   ? lines[i].rfind("Receive Time----", 0) == 0
                    : offset == 1 ? lines[i] == temperature
                    : offset == LinesPerReply - 1
                        ? lines[i] == "*************************************"
                        : true;
    if (!ok) {
      std::printf("line %zu is not where it belongs: \"%s\"\n", i, lines[i].c_str());
      ++faults;
    }
  }
  return faults;
}

void Print(const char* name, const Period& period) {
  std::printf("%-10s %6d replies  CPU %5.1f%% of a core  RSS %6ld -> %6ld KiB (peak %ld)\n", name,
              period.replies, 100.0 * period.cpuShare, period.rssStartKiB, period.rssEndKiB,
              period.rssPeakKiB);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int lockedSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;

  char pattern[] = "/tmp/bench-locked-log-XXXXXX";
  const std::string root = ::mkdtemp(pattern);
  const std::string logDir = root + "/logs";
  std::filesystem::create_directory(logDir);
  {
    IniFile ini;
    WriteDefaultConfiguration(ini, root + "/");
    ini.WriteString("UserSet", "Language", "中文(&L)");  // the caption that means English
    ini.Save(root + "/" + std::string(ConfigFileName));
  }
  if (!Lock(logDir, true) || std::ofstream(logDir + "/probe").is_open()) {
    std::fprintf(stderr, "chattr +i does not lock %s here; nothing measured\n", logDir.c_str());
    Lock(logDir, false);
    std::filesystem::remove_all(root);
    return 2;
  }

  FakeSerialPort port;
  CountingPrompts prompts;
  SystemClock clock;
  int faults = 0;
  {
    TFrmMain window(ConsoleEnvironment{root + "/", logDir, port, prompts, clock, {}});
    window.show();
    window.findChild<QAction*>("Log")->trigger();

    int number = 0;
    const Period locked = Run(app, port, lockedSeconds, number);
    const std::size_t waiting = window.Log().PendingLines();
    const std::size_t waitingBytes = window.Log().PendingBytes();
    const std::uint64_t dropped = window.Log().DroppedLines();
    Lock(logDir, false);
    const Period unlocked = Run(app, port, seconds, number);
    window.findChild<QAction*>("Stop")->trigger();

    std::printf(
        "%d replies a second, logging on, the whole window (offscreen) on an in-memory "
        "port\n",
        RepliesPerSecond);
    Print("locked", locked);
    std::printf("           at unlock: %zu lines (%zu KiB) waiting, %llu left out\n", waiting,
                waitingBytes / 1024, static_cast<unsigned long long>(dropped));
    Print("unlocked", unlocked);
    faults += CheckFile(window.Log().Path(), number);
    if (window.Log().Failing() || window.Log().PendingLines() != 0) ++faults;
    if (prompts.messages != 0) ++faults;
    std::printf("file: %s\n", faults == 0 ? "every line once and in order" : "FAULTS");
  }
  Lock(logDir, false);
  std::filesystem::remove_all(root);
  return faults == 0 ? 0 : 1;
}
