// One connection to an MQTT broker over libmosquitto, for the agent and the fleet view. The
// library's network thread does the talking and reconnects with back-off by itself; everything it
// reports reaches the owner as Qt signals on the owner's thread, so the owner stays
// single-threaded.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace climate {

struct MqttOptions {
  std::string host = "127.0.0.1";
  int port = 1883;
  std::string clientId;  // empty: the library makes one up
  std::string user;
  std::string password;
  std::string caFile;  // set: TLS
  std::string certFile;
  std::string keyFile;
  int keepAliveSeconds = 30;
  int reconnectMinSeconds = 1;
  int reconnectMaxSeconds = 30;
  // Last will: published by the broker when the connection dies without a goodbye.
  std::string willTopic;
  std::string willPayload;
  bool willRetain = true;
  int willQos = 1;
};

class MqttClient final : public QObject {
  Q_OBJECT

 public:
  explicit MqttClient(MqttOptions options, QObject* parent = nullptr);
  ~MqttClient() override;

  // Starts connecting in the background; false with the reason in error when the options cannot
  // be applied (an unreadable certificate file, for example). A broker that is not there yet is
  // not an error: the client keeps trying.
  bool Start(std::string& error);
  // Topics to subscribe to on every connect (a broker restart forgets subscriptions).
  void AddSubscription(const std::string& topic, int qos);
  // Queues a message; the message id (for published()) or -1 when the client is not connected.
  int Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
  // Publishes a goodbye (e.g. the retained "false" of the will) and disconnects cleanly, waiting
  // up to timeoutMs for it to leave.
  void Stop(const std::string& topic = {}, const std::string& payload = {}, int timeoutMs = 2000);

  bool IsConnected() const;

 signals:
  void connected();
  // The connection went; the client is already trying again. reason is for the log.
  void disconnected(QString reason);
  // The broker has the message (QoS 1: PUBACK received).
  void published(int messageId);
  void messageArrived(QString topic, QByteArray payload, bool retained);

 private:
  // The first connection: until it is under way the network loop cannot retry by itself.
  void TryFirstConnect();

  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

  MqttOptions options_;
  mosquitto* handle_ = nullptr;
  bool started_ = false;
  QTimer firstConnect_;
  int firstConnectDelayMs_ = 0;
  mutable std::mutex mutex_;
  bool connected_ = false;
  std::vector<std::pair<std::string, int>> subscriptions_;
};

// Text of a libmosquitto connect or error code.
std::string MqttErrorText(int rc, bool connack);

}  // namespace climate
