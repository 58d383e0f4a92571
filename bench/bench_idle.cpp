// Idle cost on a laptop: the console polling the simulator every 2 s, offscreen, side by side with
// the smallest Qt Widgets program that updates a label every second, each in a process of its
// own, both running at the same time on the same machine, so that a shared machine's load weighs
// on both alike. Prints the processor share and resident memory of both and their ratio for each
// run, and the spread over the runs.
//   bench_idle [--console PATH] [seconds] [runs]   (default 60 s, 3 runs)
//   bench_idle [--console PATH] --maps [seconds]   one run, then the resident memory per mapping
//   bench_idle --minimal                           the minimal window itself (started by the bench)
// --console measures another build's console (its window module beside it, if it has one).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench_support.hpp"
#include "console/window_module.hpp"
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

// Processor time of every thread of a process in nanoseconds, by thread, from
// /proc/<pid>/task/<tid>/schedstat (exact, where /proc/<pid>/stat counts in 10 ms ticks, as coarse
// as the minimal window's whole minute).
std::map<std::string, double> ThreadCpuNs(pid_t pid) {
  std::map<std::string, double> threads;
  std::error_code error;
  const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream in(task.path() / "schedstat");
    double ns = 0;
    if (in >> ns) threads[task.path().filename().string()] = ns;
  }
  return threads;
}

// Follows the processor time of a process's threads, sampled every second so that a thread that
// ends (Qt's pooled painting threads expire when idle) loses at most its last second.
class CpuWatch {
 public:
  explicit CpuWatch(pid_t pid) : pid_(pid), start_(ThreadCpuNs(pid)), last_(start_) {}
  void Sample() {
    for (const auto& [tid, ns] : ThreadCpuNs(pid_)) last_[tid] = ns;
  }
  double Seconds() const {
    double ns = 0;
    for (const auto& [tid, now] : last_) {
      const auto first = start_.find(tid);
      ns += now - (first != start_.end() ? first->second : 0.0);
    }
    return ns / 1e9;
  }

 private:
  pid_t pid_;
  std::map<std::string, double> start_;
  std::map<std::string, double> last_;
};

struct Figures {
  double cpuPercent = 0;
  long rssKb = 0;
};

// Lets the started processes settle, then measures them together over the given time.
std::vector<Figures> Measure(const std::vector<pid_t>& pids, int seconds) {
  std::this_thread::sleep_for(std::chrono::seconds(5));
  std::vector<CpuWatch> watches;
  for (pid_t pid : pids) watches.emplace_back(pid);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < seconds; ++i) {
    std::this_thread::sleep_until(start + std::chrono::seconds(i + 1));
    for (CpuWatch& watch : watches) watch.Sample();
  }
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::vector<Figures> figures;
  for (std::size_t i = 0; i < pids.size(); ++i) {
    figures.push_back({100.0 * watches[i].Seconds() / elapsed, StatusKb(pids[i], "VmRSS")});
  }
  return figures;
}

// Resident kB per mapped file (anonymous mappings and the heap by their names) from smaps.
std::map<std::string, long> MappedRssKb(pid_t pid) {
  std::map<std::string, long> mapped;
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
  std::string name;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string first;
    fields >> first;
    if (first == "Rss:") {
      long kb = 0;
      fields >> kb;
      mapped[name] += kb;
    } else if (first.find('-') != std::string::npos && first.back() != ':') {
      std::string skip;
      for (int i = 0; i < 4 && fields >> skip; ++i) {
      }
      name.clear();
      std::getline(fields >> std::ws, name);
      if (name.empty()) name = "[anonymous]";
    }
  }
  return mapped;
}

void PrintMaps(pid_t reference, pid_t console, const std::string& consolePath) {
  const std::map<std::string, long> a = MappedRssKb(reference);
  std::map<std::string, long> b;
  for (const auto& [name, kb] : MappedRssKb(console)) {
    b[name == consolePath ? std::string("(console executable)") : name] += kb;
  }
  std::vector<std::tuple<long, std::string, long, long>> rows;
  std::set<std::string> names;
  for (const auto& [name, kb] : a) names.insert(name);
  for (const auto& [name, kb] : b) names.insert(name);
  for (const std::string& name : names) {
    const long ka = a.count(name) ? a.at(name) : 0;
    const long kb = b.count(name) ? b.at(name) : 0;
    if (std::max(ka, kb) >= 100) rows.emplace_back(kb - ka, name, ka, kb);
  }
  std::sort(rows.rbegin(), rows.rend());
  std::printf("\n%9s %9s %9s  resident kB per mapping (100 kB or more in either)\n", "minimal",
              "console", "diff");
  for (const auto& [diff, name, ka, kb] : rows) {
    std::printf("%9ld %9ld %+9ld  %s\n", ka, kb, diff, name.c_str());
  }
}

void Stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

void PrintRun(const Figures& reference, const Figures& measured) {
  std::printf("%-44s %8.3f %10.1f\n", "minimal Qt Widgets window, label every 1 s",
              reference.cpuPercent, static_cast<double>(reference.rssKb) / 1024.0);
  std::printf("%-44s %8.3f %10.1f\n", "console polling every 2 s", measured.cpuPercent,
              static_cast<double>(measured.rssKb) / 1024.0);
}

double CpuRatio(const Figures& reference, const Figures& measured) {
  return reference.cpuPercent > 0 ? measured.cpuPercent / reference.cpuPercent : 0.0;
}

double RssRatio(const Figures& reference, const Figures& measured) {
  return reference.rssKb > 0
             ? static_cast<double>(measured.rssKb) / static_cast<double>(reference.rssKb)
             : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--minimal") return MinimalWindow(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::filesystem::path built(CLIMATE_CONSOLE_PATH);
  if (args.size() >= 2 && args[0] == "--console") {
    built = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  const bool maps = !args.empty() && args[0] == "--maps";
  if (maps) args.erase(args.begin());
  const int seconds = !args.empty() ? std::max(5, std::atoi(args[0].c_str())) : 60;
  const int runs = maps ? 1 : (args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 3);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  climate::test::TempDir dir("climate-idle");
  const std::string folder = dir.File("");
  const std::string link = dir.File("com1");

  const pid_t sim = Spawn({CLIMATE_SIM_PATH, "--kind", "ac", "--link", link}, folder);
  for (int i = 0; i < 100 && ::access(link.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // A copy of the console with its window module in a folder of its own, polling COM1 every 2 s.
  const std::string console = dir.File("climate-console");
  std::filesystem::copy_file(built, console);
  std::error_code noModule;  // a console from before the module has none
  std::filesystem::copy_file(built.parent_path() / climate::WindowModuleName,
                             dir.File(climate::WindowModuleName), noModule);
  const std::string configure = std::string(CLIMATE_CONFIG_PATH) + " '" + dir.File("UserSet.INI") +
                                "' --defaults --set SerialPorts COM1 '" + link +
                                "' --set UserSet Check 1 --set UserSet Timer 2000 " +
                                "--set FrmFlash Time 0 >/dev/null";
  if (std::system(configure.c_str()) != 0) return 1;

  std::printf("bench_idle: %d run(s) of %d s after 5 s to settle, both at once, offscreen\n", runs,
              seconds);
  std::printf("%-44s %8s %10s\n", "", "CPU %", "RSS MB");
  std::fflush(stdout);
  std::vector<double> cpuRatios;
  std::vector<double> rssRatios;
  for (int run = 0; run < runs; ++run) {
    const pid_t minimal =
        Spawn({std::filesystem::read_symlink("/proc/self/exe").string(), "--minimal"}, folder);
    const pid_t window = Spawn({console}, folder);
    const std::vector<Figures> figures = Measure({minimal, window}, seconds);
    if (runs > 1) std::printf("run %d\n", run + 1);
    PrintRun(figures[0], figures[1]);
    cpuRatios.push_back(CpuRatio(figures[0], figures[1]));
    rssRatios.push_back(RssRatio(figures[0], figures[1]));
    std::printf("%-44s %8.2f %10.2f   (targets: CPU <= 2.00, RSS <= 1.35)\n", "ratio",
                cpuRatios.back(), rssRatios.back());
    std::fflush(stdout);
    if (maps) PrintMaps(minimal, window, console);
    Stop(minimal);
    Stop(window);
  }
  Stop(sim);
  if (runs > 1) {
    const auto [cpuLow, cpuHigh] = std::minmax_element(cpuRatios.begin(), cpuRatios.end());
    const auto [rssLow, rssHigh] = std::minmax_element(rssRatios.begin(), rssRatios.end());
    std::printf("%-44s %4.2f-%-4.2f %5.2f-%-4.2f\n", "ratio over the runs (lowest-highest)",
                *cpuLow, *cpuHigh, *rssLow, *rssHigh);
  }
  return 0;
}
