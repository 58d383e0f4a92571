// climate-agent: a headless service that watches one unit on its serial line and publishes it to
// an MQTT broker, to the host's SNMP master agent, or both. Usage: climate-agent SETTINGS.INI
#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "agent/agent_settings.hpp"
#include "agent_service.hpp"
#include "app/config/ini_file.hpp"
#include "app/signal_closer.hpp"
#include "serial/qt_serial_port.hpp"
#include "service_notify.hpp"

namespace {

constexpr char Usage[] =
    "usage: climate-agent SETTINGS.INI\n"
    "Polls one cabinet climate unit on its serial line and publishes its state, alarm events and\n"
    "online flag to an MQTT broker; takes remote commands on <prefix>/<site>/<unit>/command.\n"
    "With [Snmp] Enabled=1 it also serves the unit as an AgentX subagent of the host's snmpd.\n"
    "Every settings key is described in the README (section \"Fleet\").\n";

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 2 || args[1] == "--help" || args[1] == "-h") {
    std::fputs(Usage, args.size() == 2 ? stdout : stderr);
    return args.size() == 2 ? 0 : 2;
  }
  const std::string path = args[1].toStdString();
  const climate::IniFile ini = climate::IniFile::Load(path);
  if (!ini.Existed()) {
    std::fprintf(stderr, "climate-agent: no settings file %s\n", path.c_str());
    return 2;
  }
  std::vector<std::string> errors;
  climate::AgentSettings settings = climate::LoadAgentSettings(ini, errors);
  for (const std::string& error : errors) {
    std::fprintf(stderr, "climate-agent: %s: %s\n", path.c_str(), error.c_str());
  }
  if (!errors.empty()) return 2;

  auto port = std::make_unique<climate::QtSerialPort>(
      std::array<std::string, 4>{settings.device, "", "", ""});
  climate::AgentService service(std::move(settings), std::move(port));
  std::string error;
  if (!service.Start(error)) {
    std::fprintf(stderr, "climate-agent: %s\n", error.c_str());
    return 1;
  }
  climate::ServiceNotifier notifier;
  notifier.Ready();
  climate::SignalCloser closer([&] {
    notifier.Stopping();
    service.Shutdown();
    app.quit();
  });
  return app.exec();
}
