// Device servers that do not behave like ser2net, on 127.0.0.1. HostileTelnetServer runs in the
// test's own event loop: it may refuse com-port control, answer late or never, confirm
// other settings than asked for, and send whatever the test queues. It records what the client
// sent, with the moment its com-port answer went out, so a test can tell what came before it.
#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "serial/telnet_codec.hpp"
#include "support/loopback_listener.hpp"

namespace climate::test {

// Resets every connection right after accepting it, from a thread of its own, so the reset
// reaches the client whatever its event loop is doing at the time, as from a remote server.
class DroppingServer {
 public:
  DroppingServer() {
    listener_ = ListenOnLoopback(16, port_);
    thread_ = std::thread([this] { Serve(); });
  }
  ~DroppingServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  int Port() const { return port_; }
  int Connections() const { return connections_; }

 private:
  void Serve() {
    while (!stop_) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 20) <= 0) continue;
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      ++connections_;
      const linger reset{1, 0};
      ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
      ::close(connection);
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

class HostileTelnetServer {
 public:
  using Bytes = telnet::Bytes;

  struct Behaviour {
    // DO (true) or DONT (false) to com-port control, after answerDelayMs; none: never a word.
    std::optional<bool> comPortAnswer = true;
    int answerDelayMs = 0;
    // Confirm the command of this code (1 rate, 2 data size, 3 parity, 4 stop size) with this
    // value instead of the one asked for.
    std::map<std::uint8_t, Bytes> confirmWith;
    // Bytes to send back for line data that has arrived, called with all of it so far.
    std::function<Bytes(const Bytes& data)> answerData;
  };

  // What arrived on a connection, read as a server reads it.
  struct Received {
    Bytes data;                              // line data, unescaped
    std::vector<std::uint8_t> commandCodes;  // com-port commands in order of arrival
    std::size_t commandsBeforeAnswer = 0;    // of them, those that came before our answer
    bool offered = false;                    // WILL COM-PORT-OPTION arrived
  };

  explicit HostileTelnetServer(Behaviour behaviour) : behaviour_(std::move(behaviour)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
  }
  ~HostileTelnetServer() {
    for (QTcpSocket* socket : sockets_) socket->abort();
  }

  int Port() const { return server_.serverPort(); }
  int Connections() const { return connections_; }
  // The last connection's record.
  const Received& Last() const { return received_; }
  // Sends raw bytes on the last connection.
  void Send(const Bytes& bytes) {
    if (sockets_.empty()) return;
    sockets_.back()->write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qint64>(bytes.size()));
  }

 private:
  void Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      ++connections_;
      sockets_.push_back(socket);
      received_ = Received{};
      answered_ = false;
      state_ = State::Data;
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(*socket); });
      if (behaviour_.comPortAnswer) {
        const bool agree = *behaviour_.comPortAnswer;
        QTimer::singleShot(behaviour_.answerDelayMs, socket, [this, socket, agree] {
          answered_ = true;
          received_.commandsBeforeAnswer = received_.commandCodes.size();
          const Bytes answer = {telnet::Iac, agree ? telnet::Do : telnet::Dont,
                                telnet::OptionComPort};
          socket->write(reinterpret_cast<const char*>(answer.data()), 3);
        });
      }
    }
  }

  void Read(QTcpSocket& socket) {
    const QByteArray chunk = socket.readAll();
    const std::size_t before = received_.data.size();
    for (const char c : chunk) Take(socket, static_cast<std::uint8_t>(c));
    if (received_.data.size() > before && behaviour_.answerData) {
      const Bytes reply = telnet::EscapeData(behaviour_.answerData(received_.data));
      socket.write(reinterpret_cast<const char*>(reply.data()), static_cast<qint64>(reply.size()));
    }
  }

  void Take(QTcpSocket& socket, std::uint8_t byte) {
    using namespace telnet;
    switch (state_) {
      case State::Data:
        if (byte == Iac) {
          state_ = State::Iac;
        } else {
          received_.data.push_back(byte);
        }
        break;
      case State::Iac:
        if (byte == Iac) {
          received_.data.push_back(Iac);
          state_ = State::Data;
        } else if (byte == Sb) {
          sub_.clear();
          state_ = State::Sub;
        } else if (byte >= Will) {
          verb_ = byte;
          state_ = State::Option;
        } else {
          state_ = State::Data;
        }
        break;
      case State::Option:
        if (verb_ == Will && byte == OptionComPort) received_.offered = true;
        state_ = State::Data;
        break;
      case State::Sub:
        if (byte == Iac) {
          state_ = State::SubIac;
        } else {
          sub_.push_back(byte);
        }
        break;
      case State::SubIac:
        if (byte == Iac) {
          sub_.push_back(Iac);
          state_ = State::Sub;
        } else {
          if (byte == Se) Command(socket);
          state_ = State::Data;
        }
        break;
    }
  }

  // Confirms a com-port command as a server does (code + 100), with the value asked for unless
  // the behaviour says otherwise.
  void Command(QTcpSocket& socket) {
    if (sub_.size() < 2 || sub_[0] != telnet::OptionComPort) return;
    const std::uint8_t code = sub_[1];
    received_.commandCodes.push_back(code);
    Bytes value(sub_.begin() + 2, sub_.end());
    if (const auto other = behaviour_.confirmWith.find(code);
        other != behaviour_.confirmWith.end()) {
      value = other->second;
    }
    if (code < 1 || code > 4) return;
    Bytes reply = {telnet::Iac, telnet::Sb, telnet::OptionComPort,
                   static_cast<std::uint8_t>(code + telnet::ServerReplyOffset)};
    const Bytes escaped = telnet::EscapeData(value);
    reply.insert(reply.end(), escaped.begin(), escaped.end());
    reply.insert(reply.end(), {telnet::Iac, telnet::Se});
    socket.write(reinterpret_cast<const char*>(reply.data()), static_cast<qint64>(reply.size()));
  }

  enum class State { Data, Iac, Option, Sub, SubIac };

  Behaviour behaviour_;
  QTcpServer server_;
  std::vector<QTcpSocket*> sockets_;
  int connections_ = 0;
  Received received_;
  bool answered_ = false;
  State state_ = State::Data;
  std::uint8_t verb_ = 0;
  Bytes sub_;
};

}  // namespace climate::test
