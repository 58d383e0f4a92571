// The MQTT client against a broker that misbehaves: whatever ends an attempt, the client says why
// in words and connects again after the back-off; a refused subscription is reported; opening a
// connection never waits on the caller's thread.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <memory>
#include <thread>

#include "client_recorder.hpp"
#include "hostile_broker.hpp"
#include "support/loopback_listener.hpp"

namespace climate::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous on a loaded machine; the back-off itself is one or two seconds here.
constexpr int DeadlineMs = 15000;

MqttOptions OptionsFor(int port) {
  MqttOptions options;
  options.port = port;
  options.clientId = "fault-test";
  options.reconnectMinSeconds = 1;
  options.reconnectMaxSeconds = 2;
  return options;
}

struct FaultCase {
  const char* name;
  PeerStep fault;
  const char* reason;      // what the disconnected() reason must contain
  const char* stateAfter;  // the state while waiting for the next attempt
};

TEST(MqttClientFaults, EveryFailedAttemptIsNamedAndFollowedByAnotherAfterTheBackOff) {
  const FaultCase cases[] = {
      {"not authorised",
       {PeerAct::RefuseConnect, 5},
       "authentication refused: not authorised",
       "refused"},
      {"bad password",
       {PeerAct::RefuseConnect, 4},
       "authentication refused: bad user name or password",
       "refused"},
      {"malformed packet",
       {PeerAct::SendMalformed},
       "protocol error: the broker sent a packet MQTT does not allow",
       "backing off"},
      {"dropped", {PeerAct::DropAfterConnect}, "closed before the broker answered", "backing off"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    // The fault twice, so the second wait shows the doubling, then a broker that serves.
    HostileBroker peer({c.fault, c.fault, {PeerAct::Serve}});
    MqttClient client(OptionsFor(peer.Port()));
    ClientRecorder record(client);
    std::string error;
    ASSERT_TRUE(client.Start(error)) << error;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return record.Count(ClientEvent::Connected) == 1; }, DeadlineMs))
        << record.Transcript().toStdString();
    EXPECT_EQ(peer.Connects(), 3);
    ASSERT_EQ(record.Count(ClientEvent::Disconnected), 2) << record.Transcript().toStdString();
    for (int n = 0; n < 2; ++n) {
      EXPECT_TRUE(record.Nth(ClientEvent::Disconnected, n)->text.contains(c.reason))
          << record.Transcript().toStdString();
    }
    EXPECT_TRUE(record.SawState(c.stateAfter)) << record.Transcript().toStdString();
    EXPECT_TRUE(client.IsConnected());
    // 1 s after the first failure, 2 s after the second: never sooner, and not much later
    // (the upper bounds leave room for a loaded machine).
    const auto first = record.Nth(ClientEvent::Disconnected, 0)->at;
    const auto second = record.Nth(ClientEvent::Disconnected, 1)->at;
    const auto up = record.Nth(ClientEvent::Connected, 0)->at;
    EXPECT_GE(second - first, 800ms);
    EXPECT_LT(second - first, 5s);
    EXPECT_GE(up - second, 1700ms);
    EXPECT_LT(up - second, 6s);
    client.Stop();
    EXPECT_EQ(client.State(), MqttState::Stopped);
  }
}

TEST(MqttClientFaults, AnUntrustedCertificateOnceDoesNotEndTheTrying) {
  TempDir dir;
  const PeerCertificates certificates = PeerCertificates::Make(dir);
  PeerStep wrong{PeerAct::Serve};
  wrong.wrongCertificate = true;
  HostileBroker peer({wrong, {PeerAct::Serve}}, certificates);
  MqttOptions options = OptionsFor(peer.Port());
  options.caFile = certificates.caFile;
  MqttClient client(options);
  ClientRecorder record(client);
  std::string error;
  ASSERT_TRUE(client.Start(error)) << error;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return record.Count(ClientEvent::Connected) == 1; }, DeadlineMs))
      << record.Transcript().toStdString();
  ASSERT_EQ(record.Count(ClientEvent::Disconnected), 1) << record.Transcript().toStdString();
  EXPECT_EQ(record.Nth(ClientEvent::Disconnected, 0)->text, "TLS: certificate verify failed");
  EXPECT_EQ(peer.Connects(), 1) << "the untrusted peer never saw a CONNECT";
}

TEST(MqttClientFaults, ARefusedSubscriptionIsReportedNotPretended) {
  PeerStep refusing{PeerAct::Serve};
  refusing.refuseSubscriptions = true;
  HostileBroker peer({refusing});
  MqttClient client(OptionsFor(peer.Port()));
  ClientRecorder record(client);
  client.AddSubscription("climate/+/+/state", 0);
  std::string error;
  ASSERT_TRUE(client.Start(error)) << error;
  ASSERT_TRUE(QTest::qWaitFor([&] { return record.Count(ClientEvent::SubscriptionRefused) == 1; },
                              DeadlineMs))
      << record.Transcript().toStdString();
  EXPECT_EQ(record.Nth(ClientEvent::SubscriptionRefused, 0)->text,
            "climate/+/+/state: refused by the broker");
  // One added while the connection is up is sent, and checked, at once.
  client.AddSubscription("climate/+/+/online", 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return record.Count(ClientEvent::SubscriptionRefused) == 2; },
                              DeadlineMs))
      << record.Transcript().toStdString();
  EXPECT_EQ(record.Nth(ClientEvent::SubscriptionRefused, 1)->text,
            "climate/+/+/online: refused by the broker");
  EXPECT_TRUE(client.IsConnected());
}

TEST(MqttClientFaults, ALookupOrAConnectNeverHoldsUpTheCallersThread) {
  {
    SCOPED_TRACE("a name that does not resolve");
    MqttOptions options = OptionsFor(1883);
    options.host = "cabinet-broker.invalid";
    MqttClient client(options);
    ClientRecorder record(client);
    std::string error;
    const auto before = Clock::now();
    ASSERT_TRUE(client.Start(error)) << error;
    EXPECT_LT(Clock::now() - before, 500ms);
    // The lookup runs on the client's own thread: nothing was decided on the caller's.
    EXPECT_EQ(record.Count(ClientEvent::Disconnected), 0);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return record.Count(ClientEvent::Disconnected) == 2; }, DeadlineMs))
        << record.Transcript().toStdString();
    EXPECT_TRUE(record.Nth(ClientEvent::Disconnected, 0)
                    ->text.startsWith("cannot look up cabinet-broker.invalid: "))
        << record.Transcript().toStdString();
  }
  {
    SCOPED_TRACE("a connect that hangs");
    NeverAccepting listener;
    MqttOptions options = OptionsFor(listener.Port());
    options.keepAliveSeconds = 5;
    auto client = std::make_unique<MqttClient>(options);
    ClientRecorder record(*client);
    std::string error;
    auto before = Clock::now();
    ASSERT_TRUE(client->Start(error)) << error;
    EXPECT_LT(Clock::now() - before, 500ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return record.SawState("connecting"); }, DeadlineMs));
    EXPECT_EQ(record.Count(ClientEvent::Disconnected), 0) << record.Transcript().toStdString();
    // Closing (the fleet window going, say) does not wait for the connect to give up.
    before = Clock::now();
    client.reset();
    EXPECT_LT(Clock::now() - before, 500ms);
  }
}

}  // namespace
}  // namespace climate::test

namespace climate::test {
namespace {

TEST(MqttClientFaults, AFloodWaitsBoundedForTheOwnersThreadAndTheRestIsCounted) {
  PeerStep flooding{PeerAct::Serve};
  flooding.floodMessages = 2000;
  HostileBroker peer({flooding});
  MqttOptions options = OptionsFor(peer.Port());
  options.maxQueuedMessages = 50;
  MqttClient client(options);
  int arrived = 0;
  QObject::connect(&client, &MqttClient::messageArrived, &client, [&] { ++arrived; });
  client.AddSubscription("flood/#", 0);
  std::string error;
  ASSERT_TRUE(client.Start(error)) << error;
  // The owner's thread is busy elsewhere (it takes no events) while the peer floods.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DeadlineMs);
  while (client.MessagesDropped() < 2000 - 50 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(client.MessagesDropped(), 2000u - 50u);
  // What waited arrives in full once the thread gets to it, and the count makes room again.
  EXPECT_TRUE(QTest::qWaitFor([&] { return arrived == 50; }, DeadlineMs)) << arrived;
}

}  // namespace
}  // namespace climate::test
