#include "unitsim/sim_options.hpp"

#include <array>

#include "common/text_rules.hpp"

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
  const auto value = ParseDecimal(text);
  if (!value || *value < minimum || *value > maximum) {
    throw OptionError("option " + std::string(option) + " needs a whole number from " +
                      std::to_string(minimum) + " to " + std::to_string(maximum) + ", not '" +
                      std::string(text) + "'");
  }
  return *value;
}

// Walks the words of a command line: "--name value", "--name=value" or a lone flag.
class OptionReader {
 public:
  explicit OptionReader(const std::vector<std::string>& args) : args_(args) {}

  bool Next() {
    if (++i_ >= args_.size()) return false;
    arg_ = args_[i_];
    name_ = arg_;
    inlineValue_ = {};
    hasInlineValue_ = false;
    if (const auto equals = arg_.find('='); arg_.rfind("--", 0) == 0 && equals != arg_.npos) {
      name_ = arg_.substr(0, equals);
      inlineValue_ = arg_.substr(equals + 1);
      hasInlineValue_ = true;
    }
    return true;
  }
  std::string_view Arg() const { return arg_; }
  std::string_view Name() const { return name_; }
  std::string_view Value() {
    if (hasInlineValue_) return inlineValue_;
    if (i_ + 1 >= args_.size()) {
      throw OptionError("option " + std::string(name_) + " needs a value");
    }
    return args_[++i_];
  }
  bool Flag() const {
    if (hasInlineValue_) throw OptionError("option " + std::string(name_) + " takes no value");
    return true;
  }
  int Count(int minimum, int maximum) { return ParseCount(name_, Value(), minimum, maximum); }

 private:
  const std::vector<std::string>& args_;
  std::size_t i_ = static_cast<std::size_t>(-1);
  std::string_view arg_;
  std::string_view name_;
  std::string_view inlineValue_;
  bool hasInlineValue_ = false;
};

DeviceKind ParseKind(std::string_view kind) {
  if (kind == "ac") return DeviceKind::AirConditioner;
  if (kind == "hx") return DeviceKind::HeatExchanger;
  throw OptionError("--kind is ac or hx, not '" + std::string(kind) + "'");
}

void ApplyOption(OptionReader& reader, SimOptions& options, bool& haveKind) {
  const std::string_view name = reader.Name();
  if (name == "--help" || name == "-h") {
    options.help = reader.Flag();
  } else if (name == "--kind") {
    options.kind = ParseKind(reader.Value());
    haveKind = true;
  } else if (name == "--link") {
    options.linkPath = reader.Value();
    if (options.linkPath.empty()) throw OptionError("--link needs a path");
  } else if (name == "--config") {
    options.configPath = reader.Value();
  } else if (name == "--fragment") {
    options.fragment = reader.Count(1, 4096);
  } else if (name == "--noise") {
    options.noise = reader.Flag();
  } else if (name == "--corrupt-every") {
    options.corruptEvery = reader.Count(1, 1000000);
  } else if (name == "--nak") {
    options.nak = reader.Flag();
  } else if (name == "--silent") {
    options.silent = reader.Flag();
  } else if (name == "--ack-delay") {
    options.ackDelayMs = reader.Count(1, 600000);
  } else if (name == "--baud") {
    options.baud = reader.Count(50, 4000000);
  } else if (name == "--alarm") {
    const std::string_view alarm = reader.Value();
    if (!ForceAlarm(alarm, options.alarms)) {
      throw OptionError("unknown alarm '" + std::string(alarm) + "' (see --help)");
    }
  } else if (name == "--record") {
    options.recordPath = reader.Value();
    if (options.recordPath.empty()) throw OptionError("--record needs a file name");
  } else {
    throw OptionError("unknown option '" + std::string(reader.Arg()) + "'");
  }
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
  OptionReader reader(args);
  while (reader.Next()) ApplyOption(reader, options, haveKind);
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
  --ack-delay MS       send every acknowledgement MS milliseconds after its request, as a unit
                       slow to act; replies to later requests wait behind it
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
