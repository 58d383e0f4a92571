#include "unitsim/request_handler.hpp"

#include <array>
#include <vector>

#include "protocol/frame_layout.hpp"

namespace climate::unitsim {

namespace {

std::uint8_t Low(std::int16_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

struct CommandShape {
  CommandKind kind;
  std::size_t dataBytes;
};

// The commands each unit understands, with the data bytes that follow the command code.
constexpr std::array<CommandShape, 4> AcCommands = {{{CommandKind::RealTimeData, 0},
                                                     {CommandKind::SetParameters, 6},
                                                     {CommandKind::RemoteOnOff, 1},
                                                     {CommandKind::SetFanStopPoint, 1}}};
constexpr std::array<CommandShape, 5> HxCommands = {{{CommandKind::RealTimeData, 0},
                                                     {CommandKind::SetParameters, 6},
                                                     {CommandKind::RemoteOnOff, 1},
                                                     {CommandKind::SetFactoryParameters, 5},
                                                     {CommandKind::GetFactoryParameters, 0}}};

bool RepliesWithData(CommandKind kind) {
  return kind == CommandKind::RealTimeData || kind == CommandKind::GetFactoryParameters;
}

int Temperature(std::uint8_t byte) {
  return static_cast<int>(byte) - 20;
}

}  // namespace

RequestHandler::RequestHandler(const ProtocolSettings& protocol, UnitModel& model,
                               ReplyFaults faults)
    : protocol_(protocol), model_(model), faults_(faults) {}

std::optional<RequestHandler::Command> RequestHandler::FindCommand(std::uint8_t code) const {
  const auto search = [&](const auto& table) -> std::optional<Command> {
    for (const CommandShape& shape : table) {
      const CommandCodes codes = CommandCodesFor(protocol_, shape.kind, model_.Kind());
      if (Low(codes.code) == code) return Command{shape.kind, codes, shape.dataBytes};
    }
    return std::nullopt;
  };
  return model_.Kind() == DeviceKind::HeatExchanger ? search(HxCommands) : search(AcCommands);
}

Bytes RequestHandler::Reply(std::int16_t lengthCode, std::span<const std::uint8_t> data) {
  Bytes frame = BuildReplyFrame(protocol_, lengthCode, data);
  ++counters_.replies;
  if (faults_.corruptEvery > 0 &&
      counters_.replies % static_cast<std::uint64_t>(faults_.corruptEvery) == 0) {
    frame[frame.size() - 3] ^= 0x5A;
    ++counters_.corrupted;
  }
  return frame;
}

Bytes RequestHandler::Acknowledge(std::int16_t lengthCode, bool positive) {
  if (!positive) ++counters_.refused;
  const std::array<std::uint8_t, 1> data = {Low(positive ? protocol_.Zqxy : protocol_.Fdxy)};
  return Reply(lengthCode, data);
}

// A refusal of something the unit could not make sense of goes out in the shape of the
// set-parameters acknowledgement.
std::int16_t RequestHandler::PlainAckLength() const {
  return protocol_.For(model_.Kind()).SdcsxyCd;
}

// Commands that reply with data acknowledge a refusal in that plain shape too.
std::int16_t RequestHandler::AckLength(const Command& command) const {
  return RepliesWithData(command.kind) ? PlainAckLength() : command.codes.replyLength;
}

std::optional<Bytes> RequestHandler::Handle(std::span<const std::uint8_t> request,
                                            double nowSeconds) {
  ++counters_.requests;
  namespace layout = frame_layout;
  // A request carries at least its command code.
  if (request.size() < layout::FrameSize(1) ||
      request[layout::AddressOffset] != Low(protocol_.Id) || faults_.silent) {
    ++counters_.ignored;
    return std::nullopt;
  }
  model_.AdvanceTo(nowSeconds);

  const std::int16_t plainAck = PlainAckLength();
  const std::size_t size = request.size();
  const auto information = request.subspan(layout::InformationOffset, size - layout::Overhead);
  const unsigned received =
      request[layout::ChecksumLowOffset(size)] | (request[layout::ChecksumHighOffset(size)] << 8);
  const std::uint8_t lengthCode = request[layout::LengthCodeOffset];
  if (FrameChecksum(lengthCode, information) != received) return Acknowledge(plainAck, false);

  const auto command = FindCommand(information[0]);
  if (!command) return Acknowledge(plainAck, false);
  if (lengthCode != Low(command->codes.requestLength) ||
      information.size() - 1 != command->dataBytes || faults_.nak) {
    return Acknowledge(AckLength(*command), false);
  }
  return Execute(*command, information.subspan(1));
}

// Acts on a request that fits its command and answers as the unit would.
Bytes RequestHandler::Execute(const Command& command, std::span<const std::uint8_t> data) {
  const std::int16_t ackLength = AckLength(command);
  switch (command.kind) {
    case CommandKind::RealTimeData:
      return Reply(command.codes.replyLength, model_.RealTimeData());
    case CommandKind::GetFactoryParameters:
      return Reply(command.codes.replyLength, model_.FactoryData());
    case CommandKind::SetParameters: {
      WorkingParameters values{};
      for (std::size_t i = 0; i < values.size(); ++i) values[i] = Temperature(data[i]);
      const bool accepted = model_.AcceptsParameters(values);
      if (accepted) model_.SetParameters(values);
      return Acknowledge(ackLength, accepted);
    }
    case CommandKind::RemoteOnOff: {
      // Checked in this order so that equal configured values mean "on", never a refusal.
      if (data[0] == Low(protocol_.YkkjML)) {
        model_.SetRunning(true);
      } else if (data[0] == Low(protocol_.YkgjML)) {
        model_.SetRunning(false);
      } else {
        return Acknowledge(ackLength, false);
      }
      return Acknowledge(ackLength, true);
    }
    case CommandKind::SetFanStopPoint: {
      const int stopPoint = Temperature(data[0]);
      const bool accepted = UnitModel::AcceptsFanStopPoint(stopPoint);
      if (accepted) model_.SetFanStopPoint(stopPoint);
      return Acknowledge(ackLength, accepted);
    }
    case CommandKind::SetFactoryParameters: {
      const FactoryParameters values = {Temperature(data[0]), Temperature(data[1]),
                                        Temperature(data[2]), Temperature(data[3]), data[4]};
      const bool accepted = model_.AcceptsFactory(values);
      if (accepted) model_.SetFactory(values);
      return Acknowledge(ackLength, accepted);
    }
  }
  return Acknowledge(PlainAckLength(), false);
}

}  // namespace climate::unitsim
