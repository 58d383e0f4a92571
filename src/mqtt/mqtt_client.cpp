// libmosquitto behind Qt signals.
#include "mqtt/mqtt_client.hpp"

#include <mosquitto.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

namespace climate {

namespace {

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

bool Readable(const std::string& path) {
  return std::ifstream(path).good();
}

}  // namespace

std::string MqttErrorText(int rc, bool connack) {
  return connack ? mosquitto_connack_string(rc) : mosquitto_strerror(rc);
}

MqttClient::MqttClient(MqttOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  InitLibrary();
}

MqttClient::~MqttClient() {
  if (handle_ == nullptr) return;
  if (started_) {
    mosquitto_disconnect(handle_);
    mosquitto_loop_stop(handle_, false);
  }
  mosquitto_destroy(handle_);
}

bool MqttClient::Start(std::string& error) {
  const MqttOptions& o = options_;
  handle_ = mosquitto_new(o.clientId.empty() ? nullptr : o.clientId.c_str(), true, this);
  if (handle_ == nullptr) {
    error = "cannot create an MQTT client";
    return false;
  }
  mosquitto_int_option(handle_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_connect_callback_set(handle_, &MqttClient::OnConnect);
  mosquitto_disconnect_callback_set(handle_, &MqttClient::OnDisconnect);
  mosquitto_publish_callback_set(handle_, &MqttClient::OnPublish);
  mosquitto_message_callback_set(handle_, &MqttClient::OnMessage);
  mosquitto_reconnect_delay_set(handle_, static_cast<unsigned>(o.reconnectMinSeconds),
                                static_cast<unsigned>(o.reconnectMaxSeconds), true);
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
  firstConnect_.setSingleShot(true);
  connect(&firstConnect_, &QTimer::timeout, this, [this] { TryFirstConnect(); });
  firstConnectDelayMs_ = o.reconnectMinSeconds * 1000;
  TryFirstConnect();
  return true;
}

void MqttClient::TryFirstConnect() {
  const MqttOptions& o = options_;
  const int rc = mosquitto_connect_async(handle_, o.host.c_str(), o.port, o.keepAliveSeconds);
  if (rc != MOSQ_ERR_SUCCESS) {
    // The network loop gives up on a client that never connected, so a broker that is not up
    // yet (or a name that does not resolve yet) is retried here, with the same back-off.
    emit disconnected(QString::fromStdString(MqttErrorText(rc, false)));
    firstConnect_.start(firstConnectDelayMs_);
    firstConnectDelayMs_ = std::min(firstConnectDelayMs_ * 2, o.reconnectMaxSeconds * 1000);
    return;
  }
  // From here on the loop reconnects by itself whenever the connection goes.
  if (mosquitto_loop_start(handle_) == MOSQ_ERR_SUCCESS) started_ = true;
}

void MqttClient::AddSubscription(const std::string& topic, int qos) {
  std::lock_guard lock(mutex_);
  subscriptions_.emplace_back(topic, qos);
  if (connected_) mosquitto_subscribe(handle_, nullptr, topic.c_str(), qos);
}

int MqttClient::Publish(const std::string& topic, const std::string& payload, int qos,
                        bool retain) {
  if (!IsConnected()) return -1;
  int mid = -1;
  const int rc = mosquitto_publish(handle_, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                   payload.data(), qos, retain);
  return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

void MqttClient::Stop(const std::string& topic, const std::string& payload, int timeoutMs) {
  firstConnect_.stop();
  if (!started_) return;
  if (!topic.empty() && IsConnected()) {
    const int mid = Publish(topic, payload, 1, true);
    // Wait for the broker's acknowledgement so the goodbye is not lost in the disconnect.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool done = mid < 0;
    const auto connection =
        connect(this, &MqttClient::published, this, [&done, mid](int id) { done |= id == mid; });
    while (!done && IsConnected() && std::chrono::steady_clock::now() < deadline) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    disconnect(connection);
  }
  mosquitto_disconnect(handle_);
  mosquitto_loop_stop(handle_, false);
  started_ = false;
}

bool MqttClient::IsConnected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

void MqttClient::OnConnect(mosquitto* handle, void* self, int rc) {
  auto* client = static_cast<MqttClient*>(self);
  if (rc != 0) {
    emit client->disconnected(QString::fromStdString(MqttErrorText(rc, true)));
    return;
  }
  {
    std::lock_guard lock(client->mutex_);
    client->connected_ = true;
    for (const auto& [topic, qos] : client->subscriptions_) {
      mosquitto_subscribe(handle, nullptr, topic.c_str(), qos);
    }
  }
  emit client->connected();
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* client = static_cast<MqttClient*>(self);
  {
    std::lock_guard lock(client->mutex_);
    client->connected_ = false;
  }
  emit client->disconnected(
      QString::fromStdString(rc == 0 ? std::string("closed") : MqttErrorText(rc, false)));
}

void MqttClient::OnPublish(mosquitto*, void* self, int mid) {
  emit static_cast<MqttClient*>(self)->published(mid);
}

void MqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  emit static_cast<MqttClient*>(self)->messageArrived(
      QString::fromUtf8(message->topic),
      QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
      message->retain != 0);
}

}  // namespace climate
