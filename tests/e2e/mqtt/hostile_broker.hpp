// A stand-in MQTT 3.1.1 broker on 127.0.0.1 that misbehaves on purpose, one scripted act per
// connection: refuse the CONNECT, answer it with a packet MQTT does not allow, drop the
// connection, present a certificate from the wrong CA, refuse subscriptions, or serve properly
// (CONNACK, SUBACK, PUBACK, PINGRESP). It counts connections and remembers what was published.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.hpp"

namespace climate::test {

enum class PeerAct {
  Serve,             // CONNACK accepted, then a broker's basic answers until the client goes
  RefuseConnect,     // CONNACK with the act's return code, then close
  SendMalformed,     // a packet of the reserved type 0 instead of the CONNACK
  DropAfterConnect,  // close as soon as the CONNECT has arrived
};

struct PeerStep {
  PeerAct act = PeerAct::Serve;
  int connackCode = 5;               // RefuseConnect: 4 bad user name or password, 5 not authorised
  bool refuseSubscriptions = false;  // Serve: every SUBSCRIBE answered with 0x80
  bool wrongCertificate = false;     // TLS: present the certificate of the other CA
  int floodMessages = 0;             // Serve: after the first SUBACK, this many QoS 0 PUBLISHes
};

struct PeerPublish {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// Certificates for a TLS peer at 127.0.0.1: one signed by the CA the client trusts (ca.crt) and
// one signed by another CA, made with the openssl command in dir.
struct PeerCertificates {
  std::string caFile, rightCert, rightKey, wrongCert, wrongKey;

  static PeerCertificates Make(const TempDir& dir) {
    const std::string d = dir.File("");
    {
      std::FILE* ext = std::fopen((d + "server.ext").c_str(), "w");
      if (ext == nullptr) throw std::runtime_error("cannot write server.ext");
      std::fputs("subjectAltName=IP:127.0.0.1\n", ext);
      std::fclose(ext);
    }
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes ";
    std::vector<std::string> commands;
    for (const std::string ca : {"ca", "other-ca"}) {
      commands.push_back("openssl req -x509" + key + "-keyout " + d + ca + ".key -out " + d + ca +
                         ".crt -days 2 -subj /CN=" + ca);
      commands.push_back("openssl req" + key + "-keyout " + d + ca + "-server.key -out " + d + ca +
                         "-server.csr -subj /CN=127.0.0.1");
      commands.push_back("openssl x509 -req -in " + d + ca + "-server.csr -CA " + d + ca +
                         ".crt -CAkey " + d + ca + ".key -CAcreateserial -out " + d + ca +
                         "-server.crt -days 2 -extfile " + d + "server.ext");
    }
    for (const std::string& command : commands) {
      if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
        throw std::runtime_error("failed: " + command);
      }
    }
    return {d + "ca.crt", d + "ca-server.crt", d + "ca-server.key", d + "other-ca-server.crt",
            d + "other-ca-server.key"};
  }
};

class HostileBroker {
 public:
  // The n-th connection (from 0) follows steps[n]; the last step holds for all later ones.
  explicit HostileBroker(std::vector<PeerStep> steps,
                         std::optional<PeerCertificates> tls = std::nullopt)
      : steps_(std::move(steps)), tls_(std::move(tls)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~HostileBroker() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  HostileBroker(const HostileBroker&) = delete;
  HostileBroker& operator=(const HostileBroker&) = delete;

  int Port() const { return port_; }
  // Connections whose CONNECT arrived.
  int Connects() const {
    std::lock_guard lock(mutex_);
    return connects_;
  }
  std::vector<PeerPublish> Published() const {
    std::lock_guard lock(mutex_);
    return published_;
  }

 private:
  // One accepted connection, plain or TLS.
  struct Connection {
    int fd = -1;
    SSL* ssl = nullptr;
    ~Connection() {
      if (ssl != nullptr) {
        SSL_shutdown(ssl);
        SSL_free(ssl);
      }
      if (fd >= 0) ::close(fd);
    }
  };

  void Serve() {
    int index = 0;
    while (!stop_) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 50) <= 0) continue;
      Connection connection;
      connection.fd = ::accept(listener_, nullptr, nullptr);
      if (connection.fd < 0) continue;
      const PeerStep step = steps_[std::min<std::size_t>(index++, steps_.size() - 1)];
      if (tls_ && !Handshake(connection, step)) continue;
      Handle(connection, step);
    }
  }

  bool Handshake(Connection& connection, const PeerStep& step) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    const std::string& cert = step.wrongCertificate ? tls_->wrongCert : tls_->rightCert;
    const std::string& key = step.wrongCertificate ? tls_->wrongKey : tls_->rightKey;
    SSL_CTX_use_certificate_file(context, cert.c_str(), SSL_FILETYPE_PEM);
    SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM);
    connection.ssl = SSL_new(context);
    SSL_CTX_free(context);  // the connection keeps its own reference
    SSL_set_fd(connection.ssl, connection.fd);
    timeval timeout{5, 0};
    ::setsockopt(connection.fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const bool ok = SSL_accept(connection.ssl) == 1;
    ERR_clear_error();
    return ok;
  }

  // Reads exactly n bytes; false when the client went or the test ends.
  bool Read(Connection& connection, std::uint8_t* data, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
      if (stop_) return false;
      if (connection.ssl == nullptr || SSL_pending(connection.ssl) == 0) {
        pollfd waiting{connection.fd, POLLIN, 0};
        if (::poll(&waiting, 1, 50) == 0) continue;
      }
      const int r = connection.ssl != nullptr
                        ? SSL_read(connection.ssl, data + got, static_cast<int>(n - got))
                        : static_cast<int>(::recv(connection.fd, data + got, n - got, 0));
      if (r <= 0) return false;
      got += static_cast<std::size_t>(r);
    }
    return true;
  }

  void Write(Connection& connection, const std::vector<std::uint8_t>& bytes) {
    if (connection.ssl != nullptr) {
      SSL_write(connection.ssl, bytes.data(), static_cast<int>(bytes.size()));
    } else {
      ::send(connection.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
  }

  // One packet: the first byte and the body; false when the connection ended. Bodies are bounded
  // like a broker's would be.
  bool ReadPacket(Connection& connection, std::uint8_t& type, std::vector<std::uint8_t>& body) {
    if (!Read(connection, &type, 1)) return false;
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
      std::uint8_t byte = 0;
      if (shift > 21 || !Read(connection, &byte, 1)) return false;
      length |= static_cast<std::size_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) break;
    }
    if (length > 1024 * 1024) return false;
    body.resize(length);
    return length == 0 || Read(connection, body.data(), length);
  }

  static std::string Text(const std::vector<std::uint8_t>& body, std::size_t& at) {
    if (at + 2 > body.size()) return {};
    const std::size_t n = static_cast<std::size_t>(body[at] << 8 | body[at + 1]);
    at += 2;
    if (at + n > body.size()) return {};
    std::string text(body.begin() + static_cast<std::ptrdiff_t>(at),
                     body.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    return text;
  }

  void Handle(Connection& connection, const PeerStep& step) {
    std::uint8_t type = 0;
    std::vector<std::uint8_t> body;
    if (!ReadPacket(connection, type, body) || (type >> 4) != 1) return;  // not a CONNECT
    {
      std::lock_guard lock(mutex_);
      ++connects_;
    }
    switch (step.act) {
      case PeerAct::RefuseConnect:
        Write(connection, {0x20, 0x02, 0x00, static_cast<std::uint8_t>(step.connackCode)});
        return;
      case PeerAct::SendMalformed:
        Write(connection, {0x00, 0x00});
        // Leave the closing to the client: it is the client that must see the fault.
        while (ReadPacket(connection, type, body)) {
        }
        return;
      case PeerAct::DropAfterConnect:
        return;
      case PeerAct::Serve:
        break;
    }
    Write(connection, {0x20, 0x02, 0x00, 0x00});
    while (ReadPacket(connection, type, body)) {
      switch (type >> 4) {
        case 3: {  // PUBLISH
          const int qos = (type >> 1) & 3;
          std::size_t at = 0;
          PeerPublish message;
          message.topic = Text(body, at);
          message.retained = (type & 1) != 0;
          if (qos > 0 && at + 2 <= body.size()) {
            Write(connection, {0x40, 0x02, body[at], body[at + 1]});
            at += 2;
          }
          message.payload.assign(body.begin() + static_cast<std::ptrdiff_t>(at), body.end());
          std::lock_guard lock(mutex_);
          published_.push_back(message);
          break;
        }
        case 8:  // SUBSCRIBE: one topic per packet, as our client sends them
          if (body.size() >= 2) {
            const std::uint8_t granted =
                step.refuseSubscriptions ? 0x80 : static_cast<std::uint8_t>(body.back() & 3);
            Write(connection, {0x90, 0x03, body[0], body[1], granted});
            if (step.floodMessages > 0 && !flooded_.exchange(true)) Flood(connection, step);
          }
          break;
        case 12:  // PINGREQ
          Write(connection, {0xD0, 0x00});
          break;
        case 14:  // DISCONNECT
          return;
        default:
          break;
      }
    }
  }

  // QoS 0 PUBLISHes on "flood/n", n from 0, as fast as the socket takes them.
  void Flood(Connection& connection, const PeerStep& step) {
    for (int i = 0; i < step.floodMessages; ++i) {
      const std::string topic = "flood/" + std::to_string(i);
      const std::string payload = "{}";
      std::vector<std::uint8_t> packet = {
          0x30, static_cast<std::uint8_t>(2 + topic.size() + payload.size()), 0,
          static_cast<std::uint8_t>(topic.size())};
      packet.insert(packet.end(), topic.begin(), topic.end());
      packet.insert(packet.end(), payload.begin(), payload.end());
      Write(connection, packet);
    }
  }

  const std::vector<PeerStep> steps_;
  const std::optional<PeerCertificates> tls_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> flooded_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  int connects_ = 0;
  std::vector<PeerPublish> published_;
};

}  // namespace climate::test
