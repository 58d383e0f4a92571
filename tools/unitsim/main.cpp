// climate-sim: a cabinet air conditioner or heat exchanger on a pseudo-terminal, for demos,
// end-to-end tests and benchmarks of the console. See --help.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/config/ini_file.hpp"
#include "app/config/protocol_settings.hpp"
#include "unitsim/pseudo_terminal.hpp"
#include "unitsim/sim_options.hpp"
#include "unitsim/sim_server.hpp"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
  stopRequested = 1;
}

int Usage(const std::string& message) {
  std::cerr << "climate-sim: " << message << "\nTry 'climate-sim --help'.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace climate;
  using namespace climate::unitsim;

  SimOptions options;
  try {
    options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const OptionError& error) {
    return Usage(error.what());
  }
  if (options.help) {
    std::cout << SimHelpText();
    return 0;
  }

  ProtocolSettings protocol = DefaultProtocolSettings();
  if (!options.configPath.empty()) {
    const IniFile ini = IniFile::Load(options.configPath);
    if (!ini.Existed()) return Usage("cannot read " + options.configPath);
    protocol = LoadProtocolSettings(ini);
  }

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> record(nullptr, &std::fclose);
  if (!options.recordPath.empty()) {
    record.reset(std::fopen(options.recordPath.c_str(), "w"));
    if (!record) return Usage("cannot write " + options.recordPath);
  }

  // The stop signals stay blocked except while the server waits, so none is lost between a
  // check of the flag and the wait.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    PseudoTerminal terminal(options.linkPath);
    SimServer server(options, protocol, terminal, record.get());
    std::cout << "climate-sim: serving " << KindName(options.kind) << " on " << terminal.LinkPath()
              << " -> " << terminal.SlavePath() << std::endl;
    server.Run(stopRequested, waitMask);
    const HandlerCounters& counters = server.Counters();
    std::cerr << "climate-sim: stopped after " << counters.requests << " requests, "
              << counters.replies << " replies\n";
  } catch (const std::exception& error) {
    std::cerr << "climate-sim: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
