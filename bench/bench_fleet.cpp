// Fleet figures against a real Mosquitto on loopback:
//  1. the fleet view with 1,000 cabinets publishing state every 2 s (a load generator in a child
//     process): the view's CPU share, resident memory and the longest event-loop stall;
//  2. climate-agent polling climate-sim every 2 s, several units at once: CPU and memory per agent.
// Usage: bench_fleet [seconds to measure, default 30] [agents, default 10]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include "../tests/e2e/fleet/fleet_e2e.hpp"
#include "agent/unit_state.hpp"
#include "app/config/ini_file.hpp"
#include "bench_support.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"

namespace {

using namespace climate;
using namespace climate::test;
using bench::CpuSeconds;
using bench::ProcessCpuSeconds;
using bench::StatusKb;

constexpr int Cabinets = 1000;
constexpr int PeriodMs = 2000;

// The child: 1,000 cabinets, each publishing its retained state every 2 s, spread evenly; about
// one in twenty in alarm, and a few alarms coming and going every round.
[[noreturn]] void RunLoadGenerator(int port) {
  mosquitto_lib_init();
  mosquitto* handle = mosquitto_new("bench-load", true, nullptr);
  mosquitto_username_pw_set(handle, "bench", "bench");
  mosquitto_max_inflight_messages_set(handle, 0);
  if (mosquitto_connect(handle, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS) std::_Exit(1);
  mosquitto_loop_start(handle);
  for (int i = 0; i < Cabinets; ++i) {
    // Retained, as agents publish it; one cabinet in a hundred has lost its agent.
    const std::string topic =
        "climate/site" + std::to_string(i / 20) + "/cab" + std::to_string(i) + "/online";
    const char* online = i % 100 == 7 ? "false" : "true";
    mosquitto_publish(handle, nullptr, topic.c_str(), static_cast<int>(std::strlen(online)), online,
                      1, true);
  }
  std::mt19937 random(7);
  LinkCounters link;
  link.portOpen = true;
  UnitReading reading;
  const auto start = std::chrono::steady_clock::now();
  for (long sent = 0;; ++sent) {
    const int i = static_cast<int>(sent % Cabinets);
    const Identity who{"site" + std::to_string(i / 20), "cab" + std::to_string(i),
                       i % 3 == 0 ? DeviceKind::HeatExchanger : DeviceKind::AirConditioner};
    reading.kind = who.kind;
    reading.values.assign(who.kind == DeviceKind::HeatExchanger ? 10 : 8, 0);
    reading.values[0] = 20 + static_cast<int>(random() % 15);
    reading.values[2] = 40 + static_cast<int>(random() % 30);
    reading.values[3] = 215 + static_cast<int>(random() % 10);
    reading.status = 0x1F;
    reading.alarm1 = (i % 20 == 0 || random() % 200 == 0) ? 0x01 : 0x00;
    reading.alarm2 = i % 50 == 0 ? 0x02 : 0x00;
    link.polls = link.replies = static_cast<std::uint64_t>(sent / Cabinets);
    const std::string payload = StateJson(who, reading, 0, link, 0);
    const std::string topic = "climate/" + who.site + "/" + who.unit + "/state";
    mosquitto_publish(handle, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), 0, true);
    std::this_thread::sleep_until(
        start + std::chrono::microseconds((sent + 1) * PeriodMs * 1000 / Cabinets));
  }
}

void MeasureFleetView(const TempDir& dir, int port, int seconds) {
  const std::string ini = dir.File("UserSet.INI");
  IniFile config;
  config.WriteString("Fleet", "Host", "127.0.0.1");
  config.WriteInteger("Fleet", "Port", port);
  config.WriteString("Fleet", "User", "bench");
  config.WriteString("Fleet", "Password", "bench");
  config.Save(ini);
  FleetWindow window(QString::fromStdString(ini));
  window.show();

  // A 20 ms tick that notes how late it comes: the view's longest stall.
  QElapsedTimer tick;
  tick.start();
  qint64 worstLateMs = 0;
  bool measuring = false;
  QTimer probe;
  probe.setInterval(20);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 late = tick.restart() - 20;
    if (measuring) worstLateMs = std::max(worstLateMs, late);
  });
  probe.start();

  // A real event loop, which sleeps between events as the console's does.
  const auto runFor = [](int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  };
  runFor(2 * PeriodMs + 1000);  // every cabinet seen at least once
  // Pictures for the documentation when CLIMATE_FLEET_SHOTS names a folder.
  if (const QString shots = qEnvironmentVariable("CLIMATE_FLEET_SHOTS"); !shots.isEmpty()) {
    window.resize(1040, 560);
    for (const auto& [language, name] : {std::pair{Language::English, "fleet-en.png"},
                                         std::pair{Language::Chinese, "fleet-zh.png"}}) {
      window.SetLanguage(language);
      window.grab().save(shots + "/" + name);
    }
    window.SetLanguage(Language::English);
  }
  const long rssBefore = StatusKb(::getpid(), "VmRSS");
  const double cpuBefore = CpuSeconds();
  QElapsedTimer wall;
  wall.start();
  measuring = true;
  runFor(seconds * 1000);
  const double cpu = CpuSeconds() - cpuBefore;
  const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
  std::printf("fleet view: %d cabinets listed (%d in alarm), %d messages/s offered\n",
              window.Table()->rowCount(), window.Table()->CabinetsInAlarm(),
              Cabinets * 1000 / PeriodMs);
  std::printf("fleet view: CPU %.1f %% of one core over %.0f s\n", 100.0 * cpu / elapsed, elapsed);
  std::printf("fleet view: resident memory %.1f MB at the end (%.1f MB after warm-up)\n",
              static_cast<double>(StatusKb(::getpid(), "VmRSS")) / 1024.0,
              static_cast<double>(rssBefore) / 1024.0);
  std::printf("fleet view: longest event-loop stall %lld ms (20 ms probe)\n",
              static_cast<long long>(worstLateMs));
}

void MeasureAgents(const TempDir& dir, int port, int seconds, int count) {
  std::vector<std::unique_ptr<SimProcess>> sims;
  std::vector<std::unique_ptr<ChildProcess>> agents;
  for (int i = 0; i < count; ++i) {
    const std::string link = dir.File("com" + std::to_string(i));
    sims.push_back(std::make_unique<SimProcess>(
        std::vector<std::string>{"--kind", i % 2 ? "hx" : "ac", "--link", link}));
    const std::string ini = dir.File("agent" + std::to_string(i) + ".ini");
    WriteFile(ini, "[Agent]\r\nSite=bench\r\nUnit=u" + std::to_string(i) +
                       "\r\nKind=" + (i % 2 ? "hx" : "ac") + "\r\nDevice=" + link +
                       "\r\nPollMs=2000\r\n[Broker]\r\nPort=" + std::to_string(port) +
                       "\r\nUser=bench\r\nPassword=bench\r\n");
    agents.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{CLIMATE_AGENT_PATH, ini}, dir.File("agent.log")));
  }
  std::this_thread::sleep_for(std::chrono::seconds(5));
  std::vector<double> before;
  for (const auto& agent : agents) before.push_back(ProcessCpuSeconds(agent->Pid()));
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpu = 0;
  long rss = 0;
  for (std::size_t i = 0; i < agents.size(); ++i) {
    cpu += ProcessCpuSeconds(agents[i]->Pid()) - before[i];
    rss += StatusKb(agents[i]->Pid(), "VmRSS");
  }
  std::printf("agent: %d units polled every 2 s for %.0f s\n", count, elapsed);
  std::printf("agent: CPU %.3f %% of one core per unit\n", 100.0 * cpu / elapsed / count);
  std::printf("agent: resident memory %.1f MB per unit\n",
              static_cast<double>(rss) / 1024.0 / count);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;
  const int agents = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  TempDir dir;
  Broker broker(dir, {{"bench", "bench", {"topic readwrite climate/#"}}});
  // The load generator is forked before any thread exists in this process.
  const pid_t generator = ::fork();
  if (generator == 0) RunLoadGenerator(broker.Port());
  {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MeasureFleetView(dir, broker.Port(), seconds);
  }
  ::kill(generator, SIGTERM);
  ::waitpid(generator, nullptr, 0);
  MeasureAgents(dir, broker.Port(), seconds, agents);
  return 0;
}
