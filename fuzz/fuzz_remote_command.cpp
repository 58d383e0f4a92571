// Fuzzes what any publisher on a broker can send an agent: the command reader, for both unit
// kinds with factory commands on. Whatever comes in, the reader returns without throwing, an
// accepted command carries a frame and a refused one a reason and no frame, an id reads back as
// JSON and is printable ASCII, and the result message built from the record is JSON again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "agent/remote_command.hpp"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const climate::ProtocolSettings Protocol = climate::DefaultProtocolSettings();
  const std::string_view payload(reinterpret_cast<const char*>(data), size);
  for (const climate::DeviceKind kind :
       {climate::DeviceKind::AirConditioner, climate::DeviceKind::HeatExchanger}) {
    const climate::RemoteCommand command =
        climate::ParseRemoteCommand(payload, Protocol, {kind, true});
    Check(command.accepted ? !command.frame.empty() && command.refusal.empty()
                           : command.frame.empty() && !command.refusal.empty());
    if (command.id) {
      Check(!nlohmann::json::parse(*command.id, nullptr, false).is_discarded());
      for (const char c : *command.id) Check(c >= 0x20 && c < 0x7f);  // fit for a log line
    }
    const std::string result = climate::CommandResultJson(
        command.id, command.command, climate::CommandStatus::Refused, command.refusal, 0);
    const nlohmann::json reread = nlohmann::json::parse(result, nullptr, false);
    Check(reread.is_object() && reread.contains("id") == command.id.has_value());
  }
  return 0;
}
