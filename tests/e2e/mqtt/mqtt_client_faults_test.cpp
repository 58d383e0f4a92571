// The MQTT client against a broker that misbehaves: whatever ends an attempt, the client says why
// in words and connects again after the back-off; a refused subscription is reported; opening a
// connection never waits on the caller's thread.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>

#include "client_recorder.hpp"
#include "hostile_broker.hpp"

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
      {"malformed packet", {PeerAct::SendMalformed}, "protocol error", "backing off"},
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
    // 1 s after the first failure, 2 s after the second: never sooner (the waits are lower
    // bounds; a loaded machine only makes them longer).
    const auto first = record.Nth(ClientEvent::Disconnected, 0)->at;
    const auto second = record.Nth(ClientEvent::Disconnected, 1)->at;
    const auto up = record.Nth(ClientEvent::Connected, 0)->at;
    EXPECT_GE(second - first, 900ms);
    EXPECT_GE(up - second, 1900ms);
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

TEST(MqttClientFaults, StartReturnsAtOnceAndALookupFailureArrivesAsASignal) {
  MqttOptions options = OptionsFor(1883);
  options.host = "cabinet-broker.invalid";
  MqttClient client(options);
  ClientRecorder record(client);
  std::string error;
  const auto before = Clock::now();
  ASSERT_TRUE(client.Start(error)) << error;
  EXPECT_LT(Clock::now() - before, 200ms);
  // The lookup runs on the client's own thread: nothing was decided on the caller's.
  EXPECT_EQ(record.Count(ClientEvent::Disconnected), 0);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return record.Count(ClientEvent::Disconnected) == 2; }, DeadlineMs))
      << record.Transcript().toStdString();
  EXPECT_TRUE(record.Nth(ClientEvent::Disconnected, 0)
                  ->text.startsWith("cannot look up cabinet-broker.invalid: "))
      << record.Transcript().toStdString();
  const auto closing = Clock::now();
  client.Stop();
  EXPECT_LT(Clock::now() - closing, 1000ms);
}

}  // namespace
}  // namespace climate::test
