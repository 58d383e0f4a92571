// What an MqttClient said, in order and with the time it arrived on the test's thread.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <vector>

#include "mqtt/mqtt_client.hpp"

namespace climate::test {

struct ClientEvent {
  enum Kind { Connected, Disconnected, State, SubscriptionRefused } kind;
  QString text;  // the reason, the state's name or "topic: reason"
  std::chrono::steady_clock::time_point at;
};

class ClientRecorder : public QObject {
 public:
  explicit ClientRecorder(MqttClient& client) {
    connect(&client, &MqttClient::connected, this, [this] { Add(ClientEvent::Connected, {}); });
    connect(&client, &MqttClient::disconnected, this,
            [this](const QString& reason) { Add(ClientEvent::Disconnected, reason); });
    connect(&client, &MqttClient::stateChanged, this, [this](MqttState state) {
      Add(ClientEvent::State, QString::fromUtf8(MqttStateName(state)));
    });
    connect(&client, &MqttClient::subscriptionRefused, this,
            [this](const QString& topic, const QString& reason) {
              Add(ClientEvent::SubscriptionRefused, topic + ": " + reason);
            });
  }

  int Count(ClientEvent::Kind kind) const {
    int n = 0;
    for (const ClientEvent& event : events_) n += event.kind == kind ? 1 : 0;
    return n;
  }
  // The n-th event of a kind (from 0); nullptr when there is none.
  const ClientEvent* Nth(ClientEvent::Kind kind, int n) const {
    for (const ClientEvent& event : events_) {
      if (event.kind == kind && n-- == 0) return &event;
    }
    return nullptr;
  }
  bool SawState(const char* name) const {
    for (const ClientEvent& event : events_) {
      if (event.kind == ClientEvent::State && event.text == name) return true;
    }
    return false;
  }
  QString Transcript() const {
    static const char* const names[] = {"connected", "disconnected", "state", "refused"};
    QString text;
    for (const ClientEvent& event : events_)
      text += QString(names[event.kind]) + " " + event.text + "\n";
    return text;
  }

 private:
  void Add(ClientEvent::Kind kind, const QString& text) {
    events_.push_back({kind, text, std::chrono::steady_clock::now()});
  }

  std::vector<ClientEvent> events_;
};

}  // namespace climate::test
