// The byte logic of a serial line reached through a Telnet Com Port Control server (RFC 2217):
// data escaping, option negotiation and the com-port commands that set the remote line. No
// sockets here: the network port feeds received bytes in and writes out what comes back.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "serial/port_settings.hpp"

namespace climate::telnet {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t Se = 240;
inline constexpr std::uint8_t Nop = 241;
inline constexpr std::uint8_t Sb = 250;
inline constexpr std::uint8_t Will = 251;
inline constexpr std::uint8_t Wont = 252;
inline constexpr std::uint8_t Do = 253;
inline constexpr std::uint8_t Dont = 254;
inline constexpr std::uint8_t Iac = 255;

inline constexpr std::uint8_t OptionBinary = 0;
inline constexpr std::uint8_t OptionSuppressGoAhead = 3;
inline constexpr std::uint8_t OptionComPort = 44;

// Com-port command codes as the client sends them; the server answers with code + 100.
enum class ComPortCommand : std::uint8_t {
  SetBaudRate = 1,
  SetDataSize = 2,
  SetParity = 3,
  SetStopSize = 4,
  SetControl = 5,
  PurgeData = 12,
};
inline constexpr std::uint8_t ServerReplyOffset = 100;

// Data for the line: every 0xFF doubled, or the server would take it for a command (frames carry
// 0xFF, in checksums such as AE FF).
Bytes EscapeData(std::span<const std::uint8_t> data);

// What the client says first: binary both ways, and that it speaks com-port control.
Bytes OpeningNegotiation();
// Rate, data bits, parity and stop bits of the remote line.
Bytes LineSettingsCommands(const PortSettings& settings);
// No flow control, DTR and RTS asserted, as a local port is opened.
Bytes LineControlCommands();
// Drop what the server holds for the line in both directions.
Bytes PurgeCommand();

// One com-port message from the server (a confirmation of a command, or a notification).
struct ComPortMessage {
  std::uint8_t code = 0;
  Bytes value;
};

// Splits what the server sends into line data, answers to its negotiation and its com-port
// messages. Sequences may be cut anywhere between two reads. Inside a subnegotiation, IAC
// followed by anything but SE or IAC ends it unfinished and is read as the command it starts; a
// subnegotiation longer than any com-port message is dropped whole, never buffered.
class Decoder {
 public:
  struct Output {
    Bytes data;   // bytes from the line, unescaped
    Bytes reply;  // negotiation answers to send back at once
    std::vector<ComPortMessage> messages;
  };

  Output Push(std::span<const std::uint8_t> received);
  void Reset() { *this = Decoder(); }

  // Options the server has agreed to perform (its WILL) and that it asked us to perform and we
  // accepted (its DO).
  bool ServerWill(std::uint8_t option) const { return serverWill_[option]; }
  bool ClientWill(std::uint8_t option) const { return clientWill_[option]; }
  // Whether the server has said DO or DONT to the option at all: until then ClientWill only
  // repeats what the client offered.
  bool ClientAnswered(std::uint8_t option) const { return clientAnswered_[option]; }
  // Subnegotiations dropped for their length or left unfinished.
  std::uint64_t DroppedSubnegotiations() const { return droppedSubs_; }

 private:
  enum class State { Data, Iac, Option, Sub, SubIac };

  void Command(std::uint8_t byte);
  void AddToSub(std::uint8_t byte);
  void Negotiate(std::uint8_t verb, std::uint8_t option, Bytes& reply);
  void FinishSub(Output& out);

  State state_ = State::Data;
  std::uint8_t verb_ = 0;
  Bytes sub_;
  bool subTooLong_ = false;
  std::uint64_t droppedSubs_ = 0;
  // Starts as the opening negotiation asks, so the server's agreement needs no answer.
  bool clientWill_[256] = {};
  bool serverWill_[256] = {};
  bool clientAnswered_[256] = {};
  bool initialised_ = false;
};

}  // namespace climate::telnet
