// Requests and replies over a real pseudo-terminal between QtSerialPort and climate-sim: every
// request reaches the unit byte for byte, every reply kind comes back and decodes, also when
// the line splits replies, adds noise or spoils checksums.
#include <gtest/gtest.h>

#include "app/config/ini_file.hpp"
#include "link_client.hpp"
#include "protocol/frame.hpp"
#include "sim_process.hpp"

namespace climate::test {
namespace {

const ProtocolSettings Protocol = DefaultProtocolSettings();

Bytes Request(CommandKind command, DeviceKind kind, const Bytes& data = {}) {
  return BuildRequest(Protocol, command, kind, data);
}

class SimulatorLink : public ::testing::Test {
 protected:
  // Starts the simulator with the given options and opens the console's port on it.
  void Start(const std::vector<std::string>& options) {
    std::vector<std::string> args = {"--link", link_, "--record", record_};
    args.insert(args.end(), options.begin(), options.end());
    sim_.emplace(args);
    client_.emplace(link_);
    client_->Open();
  }

  // One request, one reply, judged as the receive path would.
  ReceiveOutcome Ask(const Bytes& request, DeviceKind kind, int pendingCommand = 0) {
    const auto frames = client_->Exchange(request);
    EXPECT_EQ(frames.size(), 1u) << "no reply to " << HexDump(request);
    if (frames.empty()) return {};
    return Judge(frames.front(), Protocol, kind, pendingCommand);
  }

  // A request without data whose reply must come back whole and decode as the expected kind.
  ReceiveOutcome AskDecoded(CommandKind command, DeviceKind kind, ReplyKind expected) {
    const ReceiveOutcome outcome = Ask(Request(command, kind), kind);
    EXPECT_EQ(outcome.kind, expected);
    EXPECT_NE(outcome.verdict, ReceiveVerdict::ChecksumError);
    return outcome;
  }

  std::vector<std::string> Recorded() const { return ReadLines(record_); }

  TempDir dir_;
  std::string link_ = dir_.File("com1");
  std::string record_ = dir_.File("requests.txt");
  std::optional<SimProcess> sim_;
  std::optional<LinkClient> client_;
};

TEST_F(SimulatorLink, AirConditionerRequestsArriveExactlyAndEveryReplyDecodes) {
  Start({"--kind", "ac"});
  const DeviceKind ac = DeviceKind::AirConditioner;

  const ReceiveOutcome first = AskDecoded(CommandKind::RealTimeData, ac, ReplyKind::AcRealTime);
  ASSERT_TRUE(first.realTime.has_value());
  EXPECT_TRUE(first.realTime->unitRunning);
  EXPECT_EQ(first.realTime->boxes[2], "25");  // cooling off point as the unit holds it

  const ReceiveOutcome off = Ask(Request(CommandKind::RemoteOnOff, ac, {0xFF}), ac, 3);
  EXPECT_EQ(off.kind, ReplyKind::Acknowledgement);
  EXPECT_EQ(off.lines, std::vector<std::string>{"Remote off commad return success!"});
  const ReceiveOutcome stopped = AskDecoded(CommandKind::RealTimeData, ac, ReplyKind::AcRealTime);
  ASSERT_TRUE(stopped.realTime.has_value());
  EXPECT_FALSE(stopped.realTime->unitRunning);

  const ReceiveOutcome on = Ask(Request(CommandKind::RemoteOnOff, ac, {0x00}), ac, 2);
  EXPECT_EQ(on.lines, std::vector<std::string>{"Remote on commad return success!"});

  const ReceiveOutcome stopPoint = Ask(Request(CommandKind::SetFanStopPoint, ac, {5 + 20}), ac, 4);
  EXPECT_EQ(stopPoint.lines,
            std::vector<std::string>{"Internal fan stop point setting commad return success!"});

  const Bytes parameters = {0x2D, 0x1E, 0x19, 0x1E, 0x4B, 0x14};
  const ReceiveOutcome set = Ask(Request(CommandKind::SetParameters, ac, parameters), ac, 1);
  EXPECT_EQ(set.lines,
            std::vector<std::string>{"Cabinet Air Conditioner parameter setting return success!"});

  EXPECT_EQ(Recorded(), (std::vector<std::string>{
                            "7E011141AEFF0D", "7E012243FF9CFE0D", "7E011141AEFF0D",
                            "7E012243009BFF0D", "7E0122441981FF0D", "7E0177422D1E191E4B1466FE0D"}));
}

TEST_F(SimulatorLink, HeatExchangerRequestsArriveExactlyAndEveryReplyDecodes) {
  Start({"--kind", "hx"});
  const DeviceKind hx = DeviceKind::HeatExchanger;

  const ReceiveOutcome realTime = AskDecoded(CommandKind::RealTimeData, hx, ReplyKind::HxRealTime);
  ASSERT_TRUE(realTime.realTime.has_value());
  EXPECT_EQ(realTime.realTime->boxes[2], "30");  // external fan control point
  EXPECT_EQ(realTime.realTime->boxes[5], "40");  // and its full-speed point

  const ReceiveOutcome factory =
      AskDecoded(CommandKind::GetFactoryParameters, hx, ReplyKind::HxFactory);
  ASSERT_TRUE(factory.factory.has_value());
  EXPECT_EQ(factory.factory->boxes[4], "30");  // lowest fan speed, percent

  const Bytes parameters = {0x32, 0x1E, 0x19, 0x1E, 0x4B, 0x14};
  EXPECT_EQ(Ask(Request(CommandKind::SetParameters, hx, parameters), hx, 0).lines,
            std::vector<std::string>{"Heat exchanger parameter setting return success!"});
  const Bytes factorySet = {0x2D, 0x1E, 0x14, 0x19, 0x1E};
  EXPECT_EQ(Ask(Request(CommandKind::SetFactoryParameters, hx, factorySet), hx, 5).lines,
            std::vector<std::string>{
                "Heat exchanger factory parameter setting setting commad return success!"});
  EXPECT_EQ(Ask(Request(CommandKind::RemoteOnOff, hx, {0xFF}), hx, 3).kind,
            ReplyKind::Acknowledgement);
  EXPECT_EQ(Ask(Request(CommandKind::RemoteOnOff, hx, {0x00}), hx, 2).kind,
            ReplyKind::Acknowledgement);

  EXPECT_EQ(Recorded(), (std::vector<std::string>{
                            "7E011141AEFF0D", "7E011145AAFF0D", "7E017742321E191E4B1461FE0D",
                            "7E0166442D1E14191EC0FE0D", "7E012243FF9CFE0D", "7E012243009BFF0D"}));
}

TEST_F(SimulatorLink, RepliesWrittenByteByByteStillDecode) {
  Start({"--kind", "ac", "--fragment", "1"});
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    AskDecoded(CommandKind::RealTimeData, DeviceKind::AirConditioner, ReplyKind::AcRealTime);
  }
  // Nineteen bytes came in many pieces, not in one.
  EXPECT_GT(client_->ReceiveNotifications(), 5);
}

TEST_F(SimulatorLink, NoiseBeforeRepliesIsSkipped) {
  Start({"--kind", "hx", "--noise"});
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    AskDecoded(CommandKind::GetFactoryParameters, DeviceKind::HeatExchanger, ReplyKind::HxFactory);
  }
  EXPECT_GE(client_->Counters().bytesDropped, 5u);
}

TEST_F(SimulatorLink, SpoiltChecksumsShowAsChecksumErrorsAndGoodRepliesStillDecode) {
  Start({"--kind", "ac", "--corrupt-every", "2"});
  for (int i = 1; i <= 6; ++i) {
    SCOPED_TRACE(i);
    const ReceiveOutcome outcome = Ask(
        Request(CommandKind::RealTimeData, DeviceKind::AirConditioner), DeviceKind::AirConditioner);
    EXPECT_EQ(outcome.kind, ReplyKind::AcRealTime);
    if (i % 2 == 0) {
      EXPECT_EQ(outcome.verdict, ReceiveVerdict::ChecksumError);
      EXPECT_FALSE(outcome.realTime.has_value());
      EXPECT_EQ(outcome.lines, std::vector<std::string>{"Device return error,you can try again!"});
    } else {
      EXPECT_NE(outcome.verdict, ReceiveVerdict::ChecksumError);
      EXPECT_TRUE(outcome.realTime.has_value());
    }
  }
}

TEST_F(SimulatorLink, RefusingAndSilentUnits) {
  Start({"--kind", "ac", "--nak"});
  EXPECT_EQ(Ask(Request(CommandKind::RemoteOnOff, DeviceKind::AirConditioner, {0xFF}),
                DeviceKind::AirConditioner, 3)
                .lines,
            std::vector<std::string>{"Remote off commad return error,please try again!"});

  client_.reset();
  sim_.reset();
  Start({"--kind", "ac", "--silent"});
  const Bytes request = Request(CommandKind::RealTimeData, DeviceKind::AirConditioner);
  EXPECT_TRUE(client_->Exchange(request, 1, 400).empty());
  EXPECT_EQ(Recorded(), std::vector<std::string>{HexDump(request)});
}

TEST_F(SimulatorLink, BothSidesSpeakTheProtocolOfOneConfigurationFile) {
  // A site whose units use another address, start byte and real-time command code.
  IniFile ini;
  ini.WriteInteger("Device", "Id", 9);
  ini.WriteInteger("Device", "SOI", 0x7B);
  ini.WriteInteger("DeviceRjh", "Zhsj", 0x51);
  const std::string config = dir_.File("UserSet.INI");
  ini.Save(config);
  const ProtocolSettings site = LoadProtocolSettings(IniFile::Load(config));
  ASSERT_EQ(site.Rjh.Zhsj, 0x51);

  sim_.emplace(std::vector<std::string>{"--kind", "hx", "--link", link_, "--config", config,
                                        "--record", record_});
  client_.emplace(link_, 0x7B);
  client_->Open();
  const Bytes request = BuildRequest(site, CommandKind::RealTimeData, DeviceKind::HeatExchanger);
  const auto frames = client_->Exchange(request);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames.front()[0], 0x7B);
  EXPECT_EQ(frames.front()[1], 9);
  const ReceiveOutcome outcome = Judge(frames.front(), site, DeviceKind::HeatExchanger);
  EXPECT_EQ(outcome.kind, ReplyKind::HxRealTime);
  EXPECT_NE(outcome.verdict, ReceiveVerdict::ChecksumError);
  EXPECT_EQ(Recorded(), std::vector<std::string>{HexDump(request)});
}

}  // namespace
}  // namespace climate::test
