#include "unitsim/sim_options.hpp"

#include <array>
#include <charconv>

namespace climate::unitsim {

namespace {

struct AlarmName {
  std::string_view name;
  int byte;  // 1 or 2
  int bit;
};

// Where the names differ between the two units, both spellings address the same bit.
constexpr std::array<AlarmName, 17> AlarmNames = {{
    {"high-temp", 1, 0},
    {"low-temp", 1, 1},
    {"over-voltage", 1, 2},
    {"under-voltage", 1, 3},
    {"internal-fan", 1, 4},
    {"compressor", 1, 4},
    {"external-fan", 1, 5},
    {"heater", 1, 6},
    {"sensor", 1, 7},
    {"remote", 2, 0},
    {"custom1", 2, 1},
    {"custom2", 2, 2},
    {"custom3", 2, 3},
    {"custom4", 2, 4},
    {"high-pressure", 2, 4},
    {"custom5", 2, 5},
    {"low-pressure", 2, 5},
}};

int ParseCount(std::string_view option, std::string_view text, int minimum, int maximum) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < minimum ||
      value > maximum) {
    throw OptionError("option " + std::string(option) + " needs a whole number from " +
                      std::to_string(minimum) + " to " + std::to_string(maximum) + ", not '" +
                      std::string(text) + "'");
  }
  return value;
}

}  // namespace

bool ForceAlarm(std::string_view name, ForcedAlarms& alarms) {
  for (const AlarmName& alarm : AlarmNames) {
    if (alarm.name != name) continue;
    std::uint8_t& byte = alarm.byte == 1 ? alarms.alarmByte1 : alarms.alarmByte2;
    byte = static_cast<std::uint8_t>(byte | (1u << alarm.bit));
    return true;
  }
  return false;
}

std::string_view KindName(DeviceKind kind) {
  return kind == DeviceKind::HeatExchanger ? "hx" : "ac";
}

SimOptions ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions options;
  bool haveKind = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::string_view name = arg;
    std::string_view inlineValue;
    bool hasInlineValue = false;
    if (const auto equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != arg.npos) {
      name = arg.substr(0, equals);
      inlineValue = arg.substr(equals + 1);
      hasInlineValue = true;
    }
    const auto value = [&]() -> std::string_view {
      if (hasInlineValue) return inlineValue;
      if (i + 1 >= args.size()) throw OptionError("option " + std::string(name) + " needs a value");
      return args[++i];
    };
    const auto flag = [&] {
      if (hasInlineValue) throw OptionError("option " + std::string(name) + " takes no value");
      return true;
    };

    if (name == "--help" || name == "-h") {
      options.help = flag();
    } else if (name == "--kind") {
      const std::string_view kind = value();
      if (kind == "ac") {
        options.kind = DeviceKind::AirConditioner;
      } else if (kind == "hx") {
        options.kind = DeviceKind::HeatExchanger;
      } else {
        throw OptionError("--kind is ac or hx, not '" + std::string(kind) + "'");
      }
      haveKind = true;
    } else if (name == "--link") {
      options.linkPath = value();
      if (options.linkPath.empty()) throw OptionError("--link needs a path");
    } else if (name == "--config") {
      options.configPath = value();
    } else if (name == "--fragment") {
      options.fragment = ParseCount(name, value(), 1, 4096);
    } else if (name == "--noise") {
      options.noise = flag();
    } else if (name == "--corrupt-every") {
      options.corruptEvery = ParseCount(name, value(), 1, 1000000);
    } else if (name == "--nak") {
      options.nak = flag();
    } else if (name == "--silent") {
      options.silent = flag();
    } else if (name == "--baud") {
      options.baud = ParseCount(name, value(), 50, 4000000);
    } else if (name == "--alarm") {
      const std::string_view alarm = value();
      if (!ForceAlarm(alarm, options.alarms)) {
        throw OptionError("unknown alarm '" + std::string(alarm) + "' (see --help)");
      }
    } else if (name == "--record") {
      options.recordPath = value();
      if (options.recordPath.empty()) throw OptionError("--record needs a file name");
    } else {
      throw OptionError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (options.help) return options;
  if (!haveKind) throw OptionError("--kind ac|hx is required");
  if (options.linkPath.empty()) throw OptionError("--link PATH is required");
  return options;
}

std::string SimHelpText() {
  return R"(Usage: climate-sim --kind ac|hx --link PATH [options]

Plays a cabinet air conditioner (ac) or heat exchanger (hx) on a pseudo-terminal, so the console
(or a test) can talk to it as to a unit on a serial line. PATH becomes a symbolic link to the
terminal; an existing symbolic link there is replaced. Serves until SIGINT or SIGTERM, then
removes the link. Stopping the simulator looks to the console like a pulled cable.

Options:
  --kind ac|hx         the unit to play (required)
  --link PATH          where to put the link to the terminal (required)
  --config FILE        take the protocol values (delimiters, address, command and length codes,
                       acknowledgement bytes, on/off values) from this UserSet.INI; without it
                       the values a new UserSet.INI holds
  --fragment N         write every reply in pieces of N bytes, 2 ms apart
  --noise              write a few garbage bytes (never 0x7E or 0x0D) before every reply
  --corrupt-every K    give every K-th reply a wrong checksum
  --nak                answer every request with a negative acknowledgement
  --silent             never answer (requests are still recorded)
  --baud B             behave like a line at B baud, 8N1: a request counts only after its wire
                       time, and replies go out byte by byte at wire speed
  --alarm NAME         hold one alarm bit set; may be given more than once. Names:
                         high-temp, low-temp, over-voltage, under-voltage   (alarm byte 1, bits 0-3)
                         internal-fan (alias compressor), external-fan,
                         heater, sensor                                     (alarm byte 1, bits 4-7)
                         remote, custom1, custom2, custom3                  (alarm byte 2, bits 0-3)
                         custom4 (alias high-pressure),
                         custom5 (alias low-pressure)                       (alarm byte 2, bits 4-5)
  --record FILE        write every request received, framed, as upper-case hex without
                       separators, one line each, flushed at once (the file is started afresh)
  --help               show this text

Once serving it prints one line to standard output:
  climate-sim: serving <kind> on <PATH> -> <terminal>
)";
}

}  // namespace climate::unitsim
