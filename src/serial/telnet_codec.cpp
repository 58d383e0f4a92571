#include "serial/telnet_codec.hpp"

namespace climate::telnet {

namespace {

// Com-port messages carry four value bytes at most; anything longer is not one of them.
constexpr std::size_t MaxSubLength = 64;

bool ClientMayPerform(std::uint8_t option) {
  return option == OptionBinary || option == OptionComPort;
}

bool ServerMayPerform(std::uint8_t option) {
  return option == OptionBinary || option == OptionSuppressGoAhead || option == OptionComPort;
}

void AppendCommand(Bytes& out, ComPortCommand command, std::span<const std::uint8_t> value) {
  out.insert(out.end(), {Iac, Sb, OptionComPort, static_cast<std::uint8_t>(command)});
  const Bytes escaped = EscapeData(value);
  out.insert(out.end(), escaped.begin(), escaped.end());
  out.insert(out.end(), {Iac, Se});
}

void AppendCommand(Bytes& out, ComPortCommand command, std::uint8_t value) {
  AppendCommand(out, command, std::span<const std::uint8_t>(&value, 1));
}

}  // namespace

Bytes EscapeData(std::span<const std::uint8_t> data) {
  Bytes out;
  out.reserve(data.size() + 4);
  for (const std::uint8_t byte : data) {
    out.push_back(byte);
    if (byte == Iac) out.push_back(Iac);
  }
  return out;
}

Bytes OpeningNegotiation() {
  return {Iac, Will, OptionBinary, Iac, Do, OptionBinary, Iac, Will, OptionComPort};
}

Bytes LineSettingsCommands(const PortSettings& settings) {
  Bytes out;
  const auto rate = static_cast<std::uint32_t>(settings.baudRate);
  const std::uint8_t rateBytes[4] = {
      static_cast<std::uint8_t>(rate >> 24), static_cast<std::uint8_t>(rate >> 16),
      static_cast<std::uint8_t>(rate >> 8), static_cast<std::uint8_t>(rate)};
  AppendCommand(out, ComPortCommand::SetBaudRate, rateBytes);
  AppendCommand(out, ComPortCommand::SetDataSize, static_cast<std::uint8_t>(settings.dataBits));
  const std::uint8_t parity = settings.parity == Parity::Odd    ? 2
                              : settings.parity == Parity::Even ? 3
                                                                : 1;
  AppendCommand(out, ComPortCommand::SetParity, parity);
  AppendCommand(out, ComPortCommand::SetStopSize, settings.stopBits == 2 ? 2 : 1);
  return out;
}

Bytes LineControlCommands() {
  constexpr std::uint8_t NoFlowControl = 1;
  constexpr std::uint8_t DtrOn = 8;
  constexpr std::uint8_t RtsOn = 11;
  Bytes out;
  AppendCommand(out, ComPortCommand::SetControl, NoFlowControl);
  AppendCommand(out, ComPortCommand::SetControl, DtrOn);
  AppendCommand(out, ComPortCommand::SetControl, RtsOn);
  return out;
}

Bytes PurgeCommand() {
  constexpr std::uint8_t BothDirections = 3;
  Bytes out;
  AppendCommand(out, ComPortCommand::PurgeData, BothDirections);
  return out;
}

Decoder::Output Decoder::Push(std::span<const std::uint8_t> received) {
  if (!initialised_) {
    // What OpeningNegotiation asked for counts as agreed, so the server's yes is not answered
    // again (answering an agreement starts a negotiation loop).
    clientWill_[OptionBinary] = clientWill_[OptionComPort] = true;
    serverWill_[OptionBinary] = true;
    initialised_ = true;
  }
  Output out;
  out.data.reserve(received.size());
  for (const std::uint8_t byte : received) {
    switch (state_) {
      case State::Data:
        if (byte == Iac) {
          state_ = State::Iac;
        } else {
          out.data.push_back(byte);
        }
        break;
      case State::Iac:
        if (byte == Iac) {
          out.data.push_back(Iac);
          state_ = State::Data;
        } else {
          Command(byte);
        }
        break;
      case State::Option:
        Negotiate(verb_, byte, out.reply);
        state_ = State::Data;
        break;
      case State::Sub:
        if (byte == Iac) {
          state_ = State::SubIac;
        } else {
          AddToSub(byte);
        }
        break;
      case State::SubIac:
        if (byte == Se) {
          FinishSub(out);
          state_ = State::Data;
        } else if (byte == Iac) {
          AddToSub(Iac);
          state_ = State::Sub;
        } else {
          // The server has moved on without closing: what it started is dropped and this byte is
          // the command it is (an option, a new subnegotiation), never line data.
          ++droppedSubs_;
          Command(byte);
        }
        break;
    }
  }
  return out;
}

// The byte after an IAC that is neither a doubled IAC nor inside a subnegotiation.
void Decoder::Command(std::uint8_t byte) {
  if (byte >= Will) {
    verb_ = byte;
    state_ = State::Option;
  } else if (byte == Sb) {
    sub_.clear();
    subTooLong_ = false;
    state_ = State::Sub;
  } else {
    state_ = State::Data;  // NOP, go-ahead, data mark and the like carry nothing for us
  }
}

void Decoder::AddToSub(std::uint8_t byte) {
  if (sub_.size() < MaxSubLength) {
    sub_.push_back(byte);
  } else {
    subTooLong_ = true;
  }
}

// Answers only a change of state, and every refusal: the rule that keeps two peers from
// negotiating forever.
void Decoder::Negotiate(std::uint8_t verb, std::uint8_t option, Bytes& reply) {
  const auto answer = [&reply, option](std::uint8_t answerVerb) {
    reply.insert(reply.end(), {Iac, answerVerb, option});
  };
  // A request to switch on is refused when the option may not be used; otherwise only a change
  // is acknowledged. The client side answers Will/Wont, the server side Do/Dont.
  const auto settle = [&answer](bool on, bool allowed, bool& state, std::uint8_t agree,
                                std::uint8_t refuse) {
    if (on && !allowed) {
      answer(refuse);
    } else if (state != on) {
      state = on;
      answer(on ? agree : refuse);
    }
  };
  const bool on = verb == Do || verb == Will;
  if (verb == Do || verb == Dont) {
    clientAnswered_[option] = true;
    settle(on, ClientMayPerform(option), clientWill_[option], Will, Wont);
  } else if (verb == Will || verb == Wont) {
    settle(on, ServerMayPerform(option), serverWill_[option], Do, Dont);
  }
}

void Decoder::FinishSub(Output& out) {
  if (subTooLong_) {
    // A cut message would read as a value the server never sent.
    ++droppedSubs_;
    return;
  }
  if (sub_.size() < 2 || sub_[0] != OptionComPort) return;
  out.messages.push_back(ComPortMessage{sub_[1], Bytes(sub_.begin() + 2, sub_.end())});
}

}  // namespace climate::telnet
