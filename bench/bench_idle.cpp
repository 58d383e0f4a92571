// Idle cost on a laptop: the console polling the simulator every 2 s, offscreen, side by side with
// the smallest Qt Widgets program that updates a label every second, each in a process of its
// own, for the same time on the same machine. Prints the processor share and resident memory of
// both and their ratio.
//   bench_idle [seconds]       (default 60)
//   bench_idle --minimal       the minimal window itself (started by the bench)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.hpp"
#include "support/temp_dir.hpp"

extern char** environ;

namespace {

using climate::bench::StatusKb;

int MinimalWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel label;
  label.resize(320, 80);
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &label,
                   [&label] { label.setText(QDateTime::currentDateTime().toString()); });
  timer.start(1000);
  label.show();
  return app.exec();
}

pid_t Spawn(std::vector<std::string> argv, const std::string& folder) {
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ) != 0) {
    std::fprintf(stderr, "bench_idle: cannot start %s\n", argv[0].c_str());
    std::exit(1);
  }
  ::posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// User plus system time of a process in seconds, from /proc/<pid>/stat.
double ProcessCpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);
  }
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct Figures {
  double cpuPercent = 0;
  long rssKb = 0;
};

// Lets a started process settle, then measures it over the given time.
Figures Measure(pid_t pid, int seconds) {
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const double before = ProcessCpuSeconds(pid);
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Figures figures;
  figures.cpuPercent = 100.0 * (ProcessCpuSeconds(pid) - before) / elapsed;
  figures.rssKb = StatusKb(pid, "VmRSS");
  return figures;
}

void Stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--minimal") return MinimalWindow(argc, argv);
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  climate::test::TempDir dir("climate-idle");
  const std::string folder = dir.File("");
  const std::string link = dir.File("com1");

  const pid_t sim = Spawn({CLIMATE_SIM_PATH, "--kind", "ac", "--link", link}, folder);
  for (int i = 0; i < 100 && ::access(link.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // A copy of the console in a folder of its own, polling COM1 every 2 s.
  const std::string console = dir.File("climate-console");
  std::system(("cp '" + std::string(CLIMATE_CONSOLE_PATH) + "' '" + console + "'").c_str());
  const std::string configure = std::string(CLIMATE_CONFIG_PATH) + " '" + dir.File("UserSet.INI") +
                                "' --defaults --set SerialPorts COM1 '" + link +
                                "' --set UserSet Check 1 --set UserSet Timer 2000 " +
                                "--set FrmFlash Time 0 >/dev/null";
  if (std::system(configure.c_str()) != 0) return 1;

  std::printf("bench_idle: %d s each after 5 s to settle, offscreen\n", seconds);
  std::fflush(stdout);
  const pid_t minimal =
      Spawn({std::filesystem::read_symlink("/proc/self/exe").string(), "--minimal"}, folder);
  const Figures reference = Measure(minimal, seconds);
  Stop(minimal);
  const pid_t window = Spawn({console}, folder);
  const Figures measured = Measure(window, seconds);
  Stop(window);
  Stop(sim);

  std::printf("%-44s %8s %10s\n", "", "CPU %", "RSS MB");
  std::printf("%-44s %8.2f %10.1f\n", "minimal Qt Widgets window, label every 1 s",
              reference.cpuPercent, static_cast<double>(reference.rssKb) / 1024.0);
  std::printf("%-44s %8.2f %10.1f\n", "console polling every 2 s", measured.cpuPercent,
              static_cast<double>(measured.rssKb) / 1024.0);
  std::printf("%-44s %8.2f %10.2f   (targets: CPU <= 2.00, RSS <= 1.35)\n", "ratio",
              reference.cpuPercent > 0 ? measured.cpuPercent / reference.cpuPercent : 0.0,
              reference.rssKb > 0
                  ? static_cast<double>(measured.rssKb) / static_cast<double>(reference.rssKb)
                  : 0.0);
  return 0;
}
