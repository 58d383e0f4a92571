// One connection to an MQTT broker over libmosquitto, for the agent and the fleet view. A worker
// thread of the client's own owns the connection as a small state machine: it connects (name
// lookup and TCP connect happen there, never on the owner's thread), drives the library's network
// loop, and after whatever ends a connection or an attempt (refused, lost, TLS or protocol error,
// name lookup failure) waits the back-off and tries again. Everything it reports reaches the owner
// as queued Qt signals on the owner's thread, so the owner stays single-threaded.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace climate {

class MqttLink;

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
  // The wait after a failed attempt or a lost connection: reconnectMinSeconds after a connection
  // that was up, then doubled after every further failure, up to reconnectMaxSeconds.
  int reconnectMinSeconds = 1;
  int reconnectMaxSeconds = 30;
  // Last will: published by the broker when the connection dies without a goodbye.
  std::string willTopic;
  std::string willPayload;
  bool willRetain = true;
  int willQos = 1;
  // Messages that have arrived and wait for the owner's thread; past either bound a message is
  // dropped and counted (MessagesDropped), so a flooding peer cannot grow the owner's queue.
  std::size_t maxQueuedMessages = 100000;
  std::size_t maxQueuedBytes = 64 * 1024 * 1024;
};

enum class MqttState {
  Idle,         // not started
  Connecting,   // looking the name up and opening the TCP connection
  Negotiating,  // TLS handshake and CONNECT sent, waiting for the broker's CONNACK
  Up,           // CONNACK accepted
  BackingOff,   // the last attempt failed or the connection went; waiting to try again
  Refused,      // the broker refused the CONNECT (credentials, client id); waiting to try again
  Stopped,
};

// "backing off", ... for logs and tests.
const char* MqttStateName(MqttState state);

class MqttClient final : public QObject {
  Q_OBJECT

 public:
  explicit MqttClient(MqttOptions options, QObject* parent = nullptr);
  // Ends the connection without waiting on a name lookup or a connect still under way.
  ~MqttClient() override;

  // Starts connecting in the background and returns at once; false with the reason in error when
  // the options cannot be applied (an unreadable certificate file, for example). A broker that is
  // not there yet is not an error: the client keeps trying.
  bool Start(std::string& error);
  // Topics to subscribe to on every connect (a broker restart forgets subscriptions). Every
  // subscription is checked: a refusal arrives as subscriptionRefused().
  void AddSubscription(const std::string& topic, int qos);
  // Queues a message; the message id (for published()) or -1 when the client is not connected.
  int Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
  // Publishes a goodbye (e.g. the retained "false" of the will) and disconnects cleanly, waiting
  // up to timeoutMs for it to leave.
  void Stop(const std::string& topic = {}, const std::string& payload = {}, int timeoutMs = 2000);

  bool IsConnected() const;
  MqttState State() const;
  // Messages given up because the owner's thread had too many waiting.
  std::uint64_t MessagesDropped() const;

 signals:
  void connected();
  // An attempt failed or the connection went; the client tries again after the back-off. reason
  // says why in words ("authentication refused: not authorised", "TLS: certificate verify
  // failed", "malformed packet from the broker", ...), fit for a log line.
  void disconnected(QString reason);
  void stateChanged(climate::MqttState state);
  // The broker refused a subscription (SUBACK 0x80) or it could not be sent; nothing arrives on
  // that topic on this connection.
  void subscriptionRefused(QString topic, QString reason);
  // The broker has the message (QoS 1: PUBACK received).
  void published(int messageId);
  void messageArrived(QString topic, QByteArray payload, bool retained);

 private:
  // Asks the worker to end and waits up to waitMs for it; a worker still busy then is left to
  // finish on its own.
  void EndWorker(int waitMs);

  // The connection's state, shared with the worker thread (which may outlive the client while a
  // name lookup finishes).
  std::shared_ptr<MqttLink> link_;
  std::thread worker_;
};

// Text of a libmosquitto connect or error code.
std::string MqttErrorText(int rc, bool connack);

}  // namespace climate
