// Remote commands: what reaches the unit is byte for byte what the console's dialogs and buttons
// send, and everything the console would refuse is refused with the console's words.
#include "agent/remote_command.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "dialogs/parameter_model.hpp"
#include "protocol/frame.hpp"

namespace climate {
namespace {

const ProtocolSettings Protocol = DefaultProtocolSettings();
constexpr CommandPolicy Ac{DeviceKind::AirConditioner, false};
constexpr CommandPolicy AcFactory{DeviceKind::AirConditioner, true};
constexpr CommandPolicy Hx{DeviceKind::HeatExchanger, false};
constexpr CommandPolicy HxFactory{DeviceKind::HeatExchanger, true};

constexpr char AcDefaults[] =
    R"({"id":"7","command":"setParameters","values":{"coolingOffPoint":25,"coolingSensitivity":10,)"
    R"("heatingOnPoint":5,"heaterSensitivity":10,"highTemperatureAlarmPoint":55,)"
    R"("lowTemperatureAlarmPoint":0}})";

std::string Hex(const Bytes& bytes) {
  return bytes.empty() ? "" : HexDump(bytes);
}

TEST(RemoteCommand, AcceptedCommandsCarryTheConsolesFrames) {
  struct Case {
    const char* json;
    CommandPolicy policy;
    const char* frame;
    int pending;
  };
  const Case cases[] = {
      {AcDefaults, Ac,
       "7E017742"
       "2D1E191E4B14"
       "66FE0D",
       1},
      {R"({"command":"setParameters","values":{"externalFanAdjustPoint":"30",)"
       R"("externalFanAdjustBand":10,"heatingOnPoint":5,"heaterSensitivity":10,)"
       R"("highTemperatureAlarmPoint":55,"lowTemperatureAlarmPoint":" 0 "}})",
       Hx, "7E017742321E191E4B1461FE0D", 0},
      {R"({"command":"setFactoryParameters","values":{"internalFanAdjustPoint":25,)"
       R"("internalFanAdjustBand":10,"internalFanStopPoint":0,"externalFanStopBand":5,)"
       R"("lowestFanSpeed":30}})",
       HxFactory, "7E0166442D1E14191EC0FE0D", 5},
      {R"({"command":"remoteOff"})", Ac, "7E012243FF9CFE0D", 3},
      {R"({"command":"remoteOn"})", Hx, "7E012243009BFF0D", 2},
      {R"({"command":"setFanStopPoint","values":{"stopPoint":5}})", AcFactory,
       "7E012244"
       "1981FF0D",
       4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const RemoteCommand command = ParseRemoteCommand(c.json, Protocol, c.policy);
    ASSERT_TRUE(command.accepted) << command.refusal;
    EXPECT_EQ(Hex(command.frame), c.frame);
    EXPECT_EQ(static_cast<int>(command.pendingCode), c.pending);
  }
  EXPECT_EQ(ParseRemoteCommand(AcDefaults, Protocol, Ac).id, "\"7\"");
}

TEST(RemoteCommand, RefusalsSayWhyAndCarryNoFrame) {
  // The dialog's own range message for a value whose byte cannot hold it.
  ParameterModel model = ParameterModel::AirConditioner();
  model.SetText(5, "-21");
  const std::string rangeText = model.Encode(Language::English).message;

  nlohmann::json tooLow = nlohmann::json::parse(AcDefaults);
  tooLow["values"]["lowTemperatureAlarmPoint"] = -21;
  nlohmann::json extraField = nlohmann::json::parse(AcDefaults);
  extraField["values"]["fanSpeed"] = 3;
  nlohmann::json missing = nlohmann::json::parse(AcDefaults);
  missing["values"].erase("heatingOnPoint");
  nlohmann::json fraction = nlohmann::json::parse(AcDefaults);
  fraction["values"]["coolingOffPoint"] = 25.5;
  nlohmann::json letters = nlohmann::json::parse(AcDefaults);
  letters["values"]["coolingOffPoint"] = "2x";

  struct Case {
    std::string json;
    CommandPolicy policy;
    std::string refusal;
  };
  const Case cases[] = {
      {tooLow.dump(), Ac, "lowTemperatureAlarmPoint: " + rangeText},
      {extraField.dump(), Ac, "unknown field \"fanSpeed\" in \"values\""},
      {missing.dump(), Ac, "missing field \"heatingOnPoint\" in \"values\""},
      {fraction.dump(), Ac, "coolingOffPoint: '25.5' is not a valid integer value"},
      {letters.dump(), Ac, "coolingOffPoint: '2x' is not a valid integer value"},
      {"{\"command\":\"remoteOn\"", Ac, "the command is not a JSON object"},
      {"[1,2]", Ac, "the command is not a JSON object"},
      {R"({"command":"remoteOn","force":true})", Ac, "unknown field \"force\""},
      {R"({"command":"reboot"})", Ac, "unknown command \"reboot\""},
      {R"({"command":"setFanStopPoint","values":{"stopPoint":5}})", Ac,
       "factory commands are disabled on this agent"},
      {R"({"command":"setFanStopPoint","values":{"stopPoint":16}})", AcFactory,
       "stopPoint: Sorry,Input Numeric Exceed 0~15 ℃"},
      {R"({"command":"setFanStopPoint","values":{"stopPoint":-1}})", AcFactory,
       "stopPoint: Error,Numeric Only!"},
      {R"({"command":"setFactoryParameters","values":{}})", AcFactory,
       "\"setFactoryParameters\" does not apply to an air conditioner"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const RemoteCommand command = ParseRemoteCommand(c.json, Protocol, c.policy);
    EXPECT_FALSE(command.accepted);
    EXPECT_TRUE(command.frame.empty());
    EXPECT_EQ(command.refusal, c.refusal);
  }
}

TEST(RemoteCommand, ResultNamesTheUnitsAnswer) {
  const auto result = nlohmann::json::parse(
      CommandResultJson("9", "remoteOff", CommandStatus::NegativeAck,
                        AckMessage(CommandAck::Negative, CommandCode::RemoteOff), 0));
  EXPECT_EQ(result["status"], "negative");
  EXPECT_EQ(result["ok"], false);
  EXPECT_EQ(result["message"], "Remote off commad return error,please try again!");
  EXPECT_EQ(result["time"], "1970-01-01T00:00:00.000Z");
}

// The bounds hold before the parser runs: a message the parser would recurse on without limit
// is refused with the bound it breaks, and nesting inside a text does not count.
TEST(RemoteCommand, SizeAndNestingAreBoundedBeforeParsing) {
  const std::size_t deep = 100'000;
  const std::string hugeId =
      R"({"command":"remoteOff","id":)" + std::string(deep, '[') + std::string(deep, ']') + "}";
  const auto nested = [](int levels) {
    return R"({"command":"remoteOff","id":)" + std::string(levels - 1, '[') +
           std::string(levels - 1, ']') + "}";
  };
  struct Case {
    std::string json;
    bool accepted;
    std::string refusal;
  };
  const Case cases[] = {
      {hugeId, false, "the command is larger than 65536 bytes"},
      {nested(17), false, "the command is nested deeper than 16 levels"},
      {nested(16), true, ""},
      {R"({"command":"remoteOff","id":")" + std::string(40, '[') + R"("})", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json.substr(0, 60));
    const RemoteCommand command = ParseRemoteCommand(c.json, Protocol, Ac);
    EXPECT_EQ(command.accepted, c.accepted);
    EXPECT_EQ(command.refusal, c.refusal);
  }
}

// Whatever JSON value the id came as comes back as that value; without one the result has none.
TEST(RemoteCommand, ResultEchoesTheIdAsTheValueItCameAs) {
  const char* ids[] = {"44",   "null", R"({"ticket":"n-17","try":2})", R"("44")", "[1,\"a\"]",
                       "-0.5", "true", "\"\u00e9\\n\\u0001\""};
  for (const char* id : ids) {
    SCOPED_TRACE(id);
    const std::string json = std::string(R"({"command":"remoteOn","id":)") + id + "}";
    const RemoteCommand command = ParseRemoteCommand(json, Protocol, Ac);
    ASSERT_TRUE(command.accepted);
    for (const char c : *command.id) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << *command.id;
    const auto result = nlohmann::json::parse(
        CommandResultJson(command.id, command.command, CommandStatus::Acknowledged, "ok", 0));
    EXPECT_EQ(result.at("id"), nlohmann::json::parse(id));
  }
  for (const char* json : {R"({"command":"remoteOn"})", "{\"command\":", "[]"}) {
    SCOPED_TRACE(json);
    const RemoteCommand command = ParseRemoteCommand(json, Protocol, Ac);
    EXPECT_FALSE(command.id.has_value());
    const auto result = nlohmann::json::parse(
        CommandResultJson(command.id, command.command, CommandStatus::Refused, "x", 0));
    EXPECT_FALSE(result.contains("id"));
  }
}

TEST(RemoteCommand, ExpiresIsAUtcTimeOrEpochMilliseconds) {
  struct Case {
    const char* expires;
    std::optional<std::int64_t> epochMs;  // nullopt: refused
  };
  const Case cases[] = {
      {R"("2026-12-10T09:40:00Z")", 1796895600000},
      {R"("2026-12-10T09:40:00.250Z")", 1796895600250},
      {R"("1970-01-01T00:00:00Z")", 0},
      {R"("9999-12-31T23:59:59.999Z")", 253402300799999},
      {R"("2024-02-29T23:59:59.9Z")", 1709251199900},
      {"1796895600000", 1796895600000},
      {"253402300799999", 253402300799999},
      {"-1", std::nullopt},
      {"253402300800000", std::nullopt},
      {R"("1969-12-31T23:59:59Z")", std::nullopt},
      {R"("2026-12-10T09:40:00")", std::nullopt},        // no zone: local time is guesswork
      {R"("2026-12-10T09:40:00+01:00")", std::nullopt},  // UTC only
      {R"("2025-02-29T00:00:00Z")", std::nullopt},
      {R"("2026-13-01T00:00:00Z")", std::nullopt},
      {R"("2026-12-10 09:40:00Z")", std::nullopt},
      {R"("2026-12-10T09:40:00.Z")", std::nullopt},
      {"1.5e12", std::nullopt},
      {"18446744073709551615", std::nullopt},
      {"null", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expires);
    const std::string json =
        std::string(R"({"id":1,"command":"remoteOff","expires":)") + c.expires + "}";
    const RemoteCommand command = ParseRemoteCommand(json, Protocol, Ac);
    EXPECT_EQ(command.accepted, c.epochMs.has_value()) << command.refusal;
    EXPECT_EQ(command.expiresEpochMs, c.epochMs);
    if (!c.epochMs) {
      EXPECT_EQ(
          command.refusal,
          R"("expires" must be a UTC time like "2026-12-10T09:40:00Z" or epoch milliseconds)");
      EXPECT_EQ(command.id, "1");  // a refusal still names the command it answers
    }
  }
}

}  // namespace
}  // namespace climate
