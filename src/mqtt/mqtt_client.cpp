// libmosquitto driven by a worker thread of our own, behind Qt signals. The library's own loop
// thread (mosquitto_loop_start) stops for good after a TLS failure, a protocol error or a failed
// name lookup; here every way a connection or an attempt ends leads to the back-off and a new
// attempt, and the reason goes to the owner in words.
#include "mqtt/mqtt_client.hpp"

#include <mosquitto.h>
#include <netdb.h>

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

#include "common/peer_text.hpp"

namespace climate {

namespace {

using Clock = std::chrono::steady_clock;

// How long one turn of the network loop may sleep: the worker notices a stop request (and a
// subscription added meanwhile) within this time.
constexpr int LoopTurnMs = 100;
// How long a clean disconnect may take once the worker has been asked to stop.
constexpr auto DisconnectGrace = std::chrono::milliseconds(1000);
// How long the destructor waits for a worker that is not inside a name lookup or connect.
constexpr int DestructorWaitMs = 1000;

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

bool Readable(const std::string& path) {
  return std::ifstream(path).good();
}

// OpenSSL's error lines read "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify
// failed"; the words after the last colon are the part an operator can act on.
std::string TlsWords(const std::string& logLine) {
  const std::size_t colon = logLine.rfind(':');
  std::string words = colon == std::string::npos ? logLine : logLine.substr(colon + 1);
  while (!words.empty() && words.front() == ' ') words.erase(words.begin());
  return words.empty() ? logLine : words;
}

std::string ConnackText(int code) {
  switch (code) {
    case 1:
      return "refused by the broker: unacceptable protocol version";
    case 2:
      return "refused by the broker: client id rejected";
    case 3:
      return "refused by the broker: server unavailable";
    case 4:
      return "authentication refused: bad user name or password";
    case 5:
      return "authentication refused: not authorised";
    default:
      return "refused by the broker with code " + std::to_string(code);
  }
}

}  // namespace

std::string MqttErrorText(int rc, bool connack) {
  return connack ? mosquitto_connack_string(rc) : mosquitto_strerror(rc);
}

const char* MqttStateName(MqttState state) {
  switch (state) {
    case MqttState::Idle:
      return "idle";
    case MqttState::Connecting:
      return "connecting";
    case MqttState::Negotiating:
      return "negotiating";
    case MqttState::Up:
      return "up";
    case MqttState::BackingOff:
      return "backing off";
    case MqttState::Refused:
      return "refused";
    case MqttState::Stopped:
      return "stopped";
  }
  return "?";
}

// Everything the worker thread and the owner share. The worker alone talks to the network
// (connect, loop, subscribe, disconnect); the owner only publishes, which libmosquitto allows from
// another thread in threaded mode.
// Messages handed to the owner's thread and not yet taken, bounded in count and bytes.
class MessageBacklog {
 public:
  MessageBacklog(std::size_t maxCount, std::size_t maxBytes)
      : maxCount_(maxCount), maxBytes_(maxBytes) {}
  bool TryAdd(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    if (count_ >= maxCount_ || bytes_ + bytes > maxBytes_) {
      ++dropped_;
      return false;
    }
    ++count_;
    bytes_ += bytes;
    return true;
  }
  void Remove(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    --count_;
    bytes_ -= bytes;
  }
  std::uint64_t Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
  }

 private:
  const std::size_t maxCount_;
  const std::size_t maxBytes_;
  mutable std::mutex mutex_;
  std::size_t count_ = 0;
  std::size_t bytes_ = 0;
  std::uint64_t dropped_ = 0;
};

class MqttLink {
 public:
  explicit MqttLink(MqttOptions options) : options_(std::move(options)) {}
  ~MqttLink() {
    if (handle_ != nullptr) mosquitto_destroy(handle_);
  }
  MqttLink(const MqttLink&) = delete;
  MqttLink& operator=(const MqttLink&) = delete;

  bool Create(std::string& error);
  void Run();

  const MessageBacklog& Backlog() const { return *backlog_; }
  void SetOwner(MqttClient* owner) {
    std::lock_guard lock(ownerMutex_);
    owner_ = owner;
  }
  void RequestStop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
  }
  // True when the worker ended within waitMs.
  bool WaitFinished(int waitMs) {
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return finished_; });
  }
  void AddSubscription(const std::string& topic, int qos) {
    std::lock_guard lock(mutex_);
    subscriptions_.emplace_back(topic, qos);
  }
  int Publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
    {
      std::lock_guard lock(mutex_);
      if (state_ != MqttState::Up || stop_) return -1;
    }
    int mid = -1;
    const int rc = mosquitto_publish(handle_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                     payload.data(), qos, retain);
    return rc == MOSQ_ERR_SUCCESS ? mid : -1;
  }
  MqttState State() const {
    std::lock_guard lock(mutex_);
    return state_;
  }

 private:
  // Connects once and runs the network loop until the connection or the attempt ends; the
  // failure in words, or an empty text when a stop request ended it.
  std::string Attempt();
  // The network loop until it fails or a stop is asked for; libmosquitto's result.
  int Pump();
  void Disconnect();
  void SubscribePending();
  std::string EndReason(int rc);
  bool Stopping() const {
    std::lock_guard lock(mutex_);
    return stop_;
  }
  void SetState(MqttState state) {
    {
      std::lock_guard lock(mutex_);
      if (state_ == state) return;
      state_ = state;
    }
    Tell([state](MqttClient* owner) { emit owner->stateChanged(state); });
  }
  // Runs f with the owner while it exists. Signals are queued to the owner's thread, so holding
  // the lock while emitting costs no more than posting an event.
  template <typename F>
  void Tell(F f) {
    std::lock_guard lock(ownerMutex_);
    if (owner_ != nullptr) f(owner_);
  }

  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);
  static void OnLog(mosquitto*, void* self, int level, const char* text);

  const MqttOptions options_;
  mosquitto* handle_ = nullptr;

  std::mutex ownerMutex_;
  MqttClient* owner_ = nullptr;

  mutable std::mutex mutex_;  // guards the members below
  std::condition_variable wake_;
  bool stop_ = false;
  bool finished_ = false;
  MqttState state_ = MqttState::Idle;
  std::vector<std::pair<std::string, int>> subscriptions_;
  std::size_t subscribed_ = 0;  // how many of subscriptions_ went out on this connection
  std::string logError_;        // the library's first error line of this attempt
  // Shared with the queued deliveries, which may run after the worker has ended.
  const std::shared_ptr<MessageBacklog> backlog_ =
      std::make_shared<MessageBacklog>(options_.maxQueuedMessages, options_.maxQueuedBytes);

  // Worker thread only (the library's callbacks run inside Pump).
  std::map<int, std::string> awaitingSuback_;
  int connack_ = -1;  // this attempt's CONNACK code; -1 before one arrived
  int disconnectRc_ = MOSQ_ERR_SUCCESS;
};

bool MqttLink::Create(std::string& error) {
  const MqttOptions& o = options_;
  handle_ = mosquitto_new(o.clientId.empty() ? nullptr : o.clientId.c_str(), true, this);
  if (handle_ == nullptr) {
    error = "cannot create an MQTT client";
    return false;
  }
  mosquitto_threaded_set(handle_, true);
  mosquitto_int_option(handle_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_connect_callback_set(handle_, &MqttLink::OnConnect);
  mosquitto_disconnect_callback_set(handle_, &MqttLink::OnDisconnect);
  mosquitto_subscribe_callback_set(handle_, &MqttLink::OnSubscribe);
  mosquitto_publish_callback_set(handle_, &MqttLink::OnPublish);
  mosquitto_message_callback_set(handle_, &MqttLink::OnMessage);
  mosquitto_log_callback_set(handle_, &MqttLink::OnLog);
  int rc = MOSQ_ERR_SUCCESS;
  if (!o.user.empty()) {
    rc = mosquitto_username_pw_set(handle_, o.user.c_str(),
                                   o.password.empty() ? nullptr : o.password.c_str());
  }
  if (rc == MOSQ_ERR_SUCCESS && !o.willTopic.empty()) {
    rc = mosquitto_will_set(handle_, o.willTopic.c_str(), static_cast<int>(o.willPayload.size()),
                            o.willPayload.data(), o.willQos, o.willRetain);
  }
  if (rc != MOSQ_ERR_SUCCESS) {
    error = MqttErrorText(rc, false);
    return false;
  }
  if (!o.caFile.empty()) {
    for (const std::string* file : {&o.caFile, &o.certFile, &o.keyFile}) {
      if (!file->empty() && !Readable(*file)) {
        error = "cannot read " + *file;
        return false;
      }
    }
    rc = mosquitto_tls_set(handle_, o.caFile.c_str(), nullptr,
                           o.certFile.empty() ? nullptr : o.certFile.c_str(),
                           o.keyFile.empty() ? nullptr : o.keyFile.c_str(), nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      error = "TLS: " + MqttErrorText(rc, false);
      return false;
    }
  }
  return true;
}

void MqttLink::Run() {
  const int minMs = std::max(options_.reconnectMinSeconds, 0) * 1000;
  const int maxMs = std::max(options_.reconnectMaxSeconds * 1000, minMs);
  int delayMs = minMs;
  while (!Stopping()) {
    const std::string reason = Attempt();
    if (Stopping()) break;
    // A connection that was up starts the back-off afresh; failures in a row double it.
    if (connack_ == 0) delayMs = minMs;
    const bool refused = connack_ > 0;
    Tell(
        [&reason](MqttClient* owner) { emit owner->disconnected(QString::fromStdString(reason)); });
    SetState(refused ? MqttState::Refused : MqttState::BackingOff);
    {
      std::unique_lock lock(mutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return stop_; });
    }
    delayMs = std::min(delayMs * 2, maxMs);
  }
  SetState(MqttState::Stopped);
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  wake_.notify_all();
}

std::string MqttLink::Attempt() {
  {
    std::lock_guard lock(mutex_);
    logError_.clear();
    subscribed_ = 0;
  }
  awaitingSuback_.clear();
  connack_ = -1;
  disconnectRc_ = MOSQ_ERR_SUCCESS;
  SetState(MqttState::Connecting);
  // Blocking here is the point of the worker: the name lookup and the TCP connect happen on this
  // thread; the socket is non-blocking afterwards and the TLS handshake runs in the loop.
  errno = 0;
  const int rc =
      mosquitto_connect(handle_, options_.host.c_str(), options_.port, options_.keepAliveSeconds);
  const int connectErrno = errno;
  if (rc != MOSQ_ERR_SUCCESS) {
    if (Stopping()) return {};
    const std::string host = EscapeForLog(options_.host, 80);
    switch (rc) {
      case MOSQ_ERR_EAI:
        // libmosquitto leaves getaddrinfo's code in errno.
        return "cannot look up " + host + ": " + gai_strerror(connectErrno);
      case MOSQ_ERR_ERRNO:
        return "cannot connect to " + host + ":" + std::to_string(options_.port) + ": " +
               std::generic_category().message(connectErrno);
      default:
        return EndReason(rc);
    }
  }
  SetState(MqttState::Negotiating);
  const int loopRc = Pump();
  if (Stopping()) {
    Disconnect();
    return {};
  }
  return EndReason(loopRc);
}

int MqttLink::Pump() {
  while (!Stopping()) {
    SubscribePending();
    const int rc = mosquitto_loop(handle_, LoopTurnMs, 1);
    if (rc != MOSQ_ERR_SUCCESS) return rc;
  }
  return MOSQ_ERR_SUCCESS;
}

void MqttLink::Disconnect() {
  if (mosquitto_disconnect(handle_) != MOSQ_ERR_SUCCESS) return;
  // The DISCONNECT leaves in the loop; the library closes the socket once it is written.
  const auto deadline = Clock::now() + DisconnectGrace;
  while (Clock::now() < deadline && mosquitto_loop(handle_, LoopTurnMs, 1) == MOSQ_ERR_SUCCESS) {
  }
}

void MqttLink::SubscribePending() {
  std::vector<std::pair<std::string, int>> pending;
  {
    std::lock_guard lock(mutex_);
    if (state_ != MqttState::Up) return;
    pending.assign(subscriptions_.begin() + static_cast<std::ptrdiff_t>(subscribed_),
                   subscriptions_.end());
    subscribed_ = subscriptions_.size();
  }
  for (const auto& [topic, qos] : pending) {
    int mid = 0;
    const int rc = mosquitto_subscribe(handle_, &mid, topic.c_str(), qos);
    if (rc == MOSQ_ERR_SUCCESS) {
      awaitingSuback_[mid] = topic;
      continue;
    }
    const std::string why = "cannot subscribe: " + MqttErrorText(rc, false);
    Tell([&topic, &why](MqttClient* owner) {
      emit owner->subscriptionRefused(QString::fromStdString(topic), QString::fromStdString(why));
    });
  }
}

std::string MqttLink::EndReason(int rc) {
  if (connack_ > 0) return ConnackText(connack_);
  std::string logError;
  {
    std::lock_guard lock(mutex_);
    logError = logError_;
  }
  if (rc == MOSQ_ERR_TLS || logError.find("OpenSSL") != std::string::npos) {
    return "TLS: " + EscapeForLog(logError.empty() ? "handshake failed" : TlsWords(logError));
  }
  // The loop reports "no connection" once the library has closed the socket itself; the close
  // came with the real reason.
  if ((rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_SUCCESS) && disconnectRc_ != MOSQ_ERR_SUCCESS) {
    rc = disconnectRc_;
  }
  switch (rc) {
    case MOSQ_ERR_CONN_LOST:
      return connack_ == 0 ? "connection lost" : "connection closed before the broker answered";
    case MOSQ_ERR_PROTOCOL:
      return "protocol error: the broker sent a packet MQTT does not allow";
    case MOSQ_ERR_MALFORMED_PACKET:
      return "malformed packet from the broker";
    case MOSQ_ERR_KEEPALIVE:
      return connack_ == 0 ? "no answer from the broker within the keep-alive time"
                           : "no CONNACK from the broker within the keep-alive time";
    case MOSQ_ERR_ERRNO:
      return std::generic_category().message(errno);
    default:
      return EscapeForLog(MqttErrorText(rc, false));
  }
}

void MqttLink::OnConnect(mosquitto*, void* self, int rc) {
  auto* link = static_cast<MqttLink*>(self);
  link->connack_ = rc;
  if (rc != 0) return;  // the loop ends with the refusal; Attempt reports it
  link->SetState(MqttState::Up);
  link->SubscribePending();
  link->Tell([](MqttClient* owner) { emit owner->connected(); });
}

void MqttLink::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* link = static_cast<MqttLink*>(self);
  link->disconnectRc_ = rc;
  // Not Up any more from this moment, so Publish refuses at once instead of queueing for a
  // connection that is gone. A stop keeps Up until Stopped: Publish checks the stop itself.
  if (link->Stopping()) return;
  link->SetState(link->connack_ > 0 ? MqttState::Refused : MqttState::BackingOff);
}

void MqttLink::OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted) {
  auto* link = static_cast<MqttLink*>(self);
  const auto found = link->awaitingSuback_.find(mid);
  if (found == link->awaitingSuback_.end()) return;
  const std::string topic = found->second;
  link->awaitingSuback_.erase(found);
  // One topic per SUBSCRIBE: one return code, 0 to 2 the granted QoS, 0x80 a refusal.
  if (count == 1 && granted != nullptr && granted[0] >= 0 && granted[0] <= 2) return;
  const std::string why =
      count == 1 && granted != nullptr && granted[0] == 0x80
          ? std::string("refused by the broker")
          : "refused by the broker (return code " +
                std::to_string(count >= 1 && granted != nullptr ? granted[0] : -1) + ")";
  link->Tell([&topic, &why](MqttClient* owner) {
    emit owner->subscriptionRefused(QString::fromStdString(topic), QString::fromStdString(why));
  });
}

void MqttLink::OnPublish(mosquitto*, void* self, int mid) {
  static_cast<MqttLink*>(self)->Tell([mid](MqttClient* owner) { emit owner->published(mid); });
}

void MqttLink::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* link = static_cast<MqttLink*>(self);
  // Messages wait in the owner's event queue until its thread takes them. A broker (or a
  // publisher behind it) faster than the owner would grow that queue without end: past the
  // bounds a message is dropped and counted instead.
  const auto bytes = static_cast<std::size_t>(std::max(message->payloadlen, 0));
  const std::shared_ptr<MessageBacklog> backlog = link->backlog_;
  if (!backlog->TryAdd(bytes)) return;
  auto topic = QString::fromUtf8(message->topic);
  auto payload = QByteArray(static_cast<const char*>(message->payload), message->payloadlen);
  const bool retained = message->retain != 0;
  link->Tell([&](MqttClient* owner) {
    QMetaObject::invokeMethod(
        owner,
        [owner, backlog, bytes, topic = std::move(topic), payload = std::move(payload), retained] {
          backlog->Remove(bytes);
          emit owner->messageArrived(topic, payload, retained);
        },
        Qt::QueuedConnection);
  });
}

void MqttLink::OnLog(mosquitto*, void* self, int level, const char* text) {
  if ((level & MOSQ_LOG_ERR) == 0 || text == nullptr) return;
  auto* link = static_cast<MqttLink*>(self);
  std::lock_guard lock(link->mutex_);
  if (link->logError_.empty()) link->logError_ = text;
}

MqttClient::MqttClient(MqttOptions options, QObject* parent)
    : QObject(parent), link_(std::make_shared<MqttLink>(std::move(options))) {
  InitLibrary();
}

MqttClient::~MqttClient() {
  // A worker inside a name lookup or a TCP connect cannot be interrupted; it finishes on its
  // own and never reaches this object again.
  EndWorker(link_->State() == MqttState::Connecting ? 0 : DestructorWaitMs);
}

bool MqttClient::Start(std::string& error) {
  if (worker_.joinable() || link_->State() != MqttState::Idle) {
    error = "already started";
    return false;
  }
  if (!link_->Create(error)) return false;
  link_->SetOwner(this);
  worker_ = std::thread([link = link_] { link->Run(); });
  return true;
}

void MqttClient::AddSubscription(const std::string& topic, int qos) {
  link_->AddSubscription(topic, qos);
}

int MqttClient::Publish(const std::string& topic, const std::string& payload, int qos,
                        bool retain) {
  return link_->Publish(topic, payload, qos, retain);
}

void MqttClient::Stop(const std::string& topic, const std::string& payload, int timeoutMs) {
  if (!worker_.joinable()) return;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!topic.empty() && IsConnected()) {
    const int mid = Publish(topic, payload, 1, true);
    // Wait for the broker's acknowledgement so the goodbye is not lost in the disconnect.
    bool done = mid < 0;
    const auto connection =
        connect(this, &MqttClient::published, this, [&done, mid](int id) { done |= id == mid; });
    while (!done && IsConnected() && Clock::now() < deadline) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    disconnect(connection);
  }
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  EndWorker(static_cast<int>(std::max<long long>(left, LoopTurnMs * 3)));
}

void MqttClient::EndWorker(int waitMs) {
  if (!worker_.joinable()) return;
  link_->RequestStop();
  const bool finished = link_->WaitFinished(waitMs);
  // From here on nothing the worker does reaches this object.
  link_->SetOwner(nullptr);
  if (finished) {
    worker_.join();
  } else {
    worker_.detach();
  }
}

std::uint64_t MqttClient::MessagesDropped() const {
  return link_->Backlog().Dropped();
}

bool MqttClient::IsConnected() const {
  return link_->State() == MqttState::Up;
}

MqttState MqttClient::State() const {
  return link_->State();
}

}  // namespace climate
