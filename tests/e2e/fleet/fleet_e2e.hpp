// What the fleet tests run against: Mosquitto on a loopback port with a generated password file
// and ACL, child processes (the simulator, the agent) with their output kept in a file, and a
// subscriber that collects what the broker delivers.
#pragma once

#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "../serial/sim_process.hpp"

namespace climate::test {

// A child process with stdout and stderr in a file; SIGTERM and reaped on destruction.
class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> argv, const std::string& outputFile) {
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                       O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + argv[0]);
  }
  ~ChildProcess() { Stop(SIGTERM); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Sends the signal and waits for the process to end; returns its wait status.
  int Stop(int signal) { return SignalAndReap(pid_, signal); }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// Polls a condition until it holds or the deadline passes.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    const timespec pause{0, 20'000'000};
    ::nanosleep(&pause, nullptr);
  }
  return true;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

inline int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

inline bool PortAccepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

struct BrokerUser {
  std::string name;
  std::string password;
  std::vector<std::string> aclLines;  // "topic read climate/#", ...
};

// Mosquitto on 127.0.0.1 with users, passwords and an ACL; persistent, so a restart keeps the
// retained messages and the sessions of subscribers that asked to be remembered.
class Broker {
 public:
  // listenerLines go right under the listener (TLS files, for example).
  Broker(const TempDir& dir, const std::vector<BrokerUser>& users,
         const std::string& listenerLines = {})
      : dir_(dir), port_(FreeLoopbackPort()) {
    const std::string passwd = dir.File("passwd");
    WriteFile(passwd, "");
    std::string acl;
    for (const BrokerUser& user : users) {
      const std::string command = "mosquitto_passwd -b '" + passwd + "' '" + user.name + "' '" +
                                  user.password + "' 2>/dev/null";
      if (std::system(command.c_str()) != 0) throw std::runtime_error("mosquitto_passwd failed");
      acl += "user " + user.name + "\n";
      for (const std::string& line : user.aclLines) acl += line + "\n";
      acl += "\n";
    }
    WriteFile(dir.File("acl"), acl);
    std::string conf = "listener " + std::to_string(port_) + " 127.0.0.1\n" + listenerLines +
                       "allow_anonymous false\n"
                       "password_file " +
                       passwd + "\n" + "acl_file " + dir.File("acl") + "\n" +
                       "persistence true\n"
                       "persistence_location " +
                       dir.File("") + "\n" +
                       // Every packet in the log: tests count what the agent published.
                       "log_dest stderr\nlog_type all\n";
    // Started as root, Mosquitto would otherwise drop to a user that cannot read these files.
    if (::geteuid() == 0) conf += "user root\n";
    WriteFile(dir.File("mosquitto.conf"), conf);
    Start();
  }

  void Start() {
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{MosquittoPath(), "-c", dir_.File("mosquitto.conf")},
        dir_.File("mosquitto.log"));
    if (!WaitUntil([this] { return PortAccepts(port_); }, 10000)) {
      throw std::runtime_error("mosquitto did not start: " + ReadFile(dir_.File("mosquitto.log")));
    }
  }
  void Stop() { process_.reset(); }
  int Port() const { return port_; }

  static std::string MosquittoPath() {
    for (const char* path : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto"}) {
      if (::access(path, X_OK) == 0) return path;
    }
    return "mosquitto";
  }

 private:
  const TempDir& dir_;
  int port_;
  std::unique_ptr<ChildProcess> process_;
};

// TLS files: the client takes the CA file and, when given, a certificate and key.
struct ClientTls {
  std::string caFile;
  std::string certFile;
  std::string keyFile;
};

struct Received {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// An MQTT client for the test's side: collects every message, publishes and waits for PUBACK.
class Client {
 public:
  Client(int port, const std::string& user, const std::string& password, const std::string& id,
         bool cleanSession = true, const ClientTls& tls = {}) {
    mosquitto_lib_init();
    handle_ = mosquitto_new(id.c_str(), cleanSession, this);
    if (!tls.caFile.empty()) {
      mosquitto_tls_set(handle_, tls.caFile.c_str(), nullptr,
                        tls.certFile.empty() ? nullptr : tls.certFile.c_str(),
                        tls.keyFile.empty() ? nullptr : tls.keyFile.c_str(), nullptr);
    }
    mosquitto_username_pw_set(handle_, user.c_str(), password.c_str());
    mosquitto_reconnect_delay_set(handle_, 1, 1, false);
    mosquitto_connect_callback_set(handle_, [](mosquitto* m, void* self, int rc) {
      auto* client = static_cast<Client*>(self);
      std::lock_guard lock(client->mutex_);
      client->connects_ += rc == 0 ? 1 : 0;
      for (const std::string& topic : client->subscriptions_) {
        mosquitto_subscribe(m, nullptr, topic.c_str(), 1);
      }
    });
    mosquitto_message_callback_set(
        handle_, [](mosquitto*, void* self, const mosquitto_message* message) {
          auto* client = static_cast<Client*>(self);
          std::lock_guard lock(client->mutex_);
          client->messages_.push_back({message->topic,
                                       std::string(static_cast<const char*>(message->payload),
                                                   static_cast<std::size_t>(message->payloadlen)),
                                       message->retain});
        });
    mosquitto_subscribe_callback_set(handle_, [](mosquitto*, void* self, int, int, const int*) {
      auto* client = static_cast<Client*>(self);
      std::lock_guard lock(client->mutex_);
      ++client->subacks_;
    });
    mosquitto_publish_callback_set(handle_, [](mosquitto*, void* self, int mid) {
      auto* client = static_cast<Client*>(self);
      std::lock_guard lock(client->mutex_);
      client->acked_.push_back(mid);
    });
    mosquitto_connect_async(handle_, "127.0.0.1", port, 10);
    mosquitto_loop_start(handle_);
  }
  ~Client() {
    mosquitto_disconnect(handle_);
    mosquitto_loop_stop(handle_, false);
    mosquitto_destroy(handle_);
  }

  bool WaitConnected(int count = 1, int timeoutMs = 10000) {
    return WaitUntil(
        [&] {
          std::lock_guard lock(mutex_);
          return connects_ >= count;
        },
        timeoutMs);
  }
  // Subscribes (again after every reconnect) and waits for the broker's acknowledgement.
  bool Subscribe(const std::string& topic) {
    int before = 0;
    {
      std::lock_guard lock(mutex_);
      subscriptions_.push_back(topic);
      before = subacks_;
      mosquitto_subscribe(handle_, nullptr, topic.c_str(), 1);
    }
    return WaitUntil(
        [&] {
          std::lock_guard lock(mutex_);
          return subacks_ > before;
        },
        5000);
  }
  // Publishes with QoS 1 and waits until the broker has it (an ACL refusal still acknowledges).
  bool Publish(const std::string& topic, const std::string& payload, bool retain = false) {
    int mid = 0;
    if (mosquitto_publish(handle_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, retain) != MOSQ_ERR_SUCCESS) {
      return false;
    }
    return WaitUntil(
        [&] {
          std::lock_guard lock(mutex_);
          return std::find(acked_.begin(), acked_.end(), mid) != acked_.end();
        },
        5000);
  }
  std::vector<Received> Messages(const std::string& topic) const {
    std::lock_guard lock(mutex_);
    std::vector<Received> found;
    for (const Received& message : messages_) {
      if (message.topic == topic) found.push_back(message);
    }
    return found;
  }
  // Waits for a message on topic whose payload satisfies match; returns it (empty topic if none).
  Received WaitFor(const std::string& topic, const std::function<bool(const std::string&)>& match,
                   int timeoutMs = 10000) const {
    Received found;
    WaitUntil(
        [&] {
          for (const Received& message : Messages(topic)) {
            if (match(message.payload)) {
              found = message;
              return true;
            }
          }
          return false;
        },
        timeoutMs);
    return found;
  }

 private:
  mosquitto* handle_ = nullptr;
  mutable std::mutex mutex_;
  int connects_ = 0;
  int subacks_ = 0;
  std::vector<std::string> subscriptions_;
  std::vector<Received> messages_;
  std::vector<int> acked_;
};

}  // namespace climate::test
