// Link health figures and the stale decision behind the grey value boxes.
#include "monitor/link_statistics.hpp"

#include <gtest/gtest.h>

namespace climate {
namespace {

TEST(LinkStatistics, LatencyLastAndMedianOfMatchedReplies) {
  LinkStatistics link;
  const std::int64_t latencies[] = {120, 80, 400, 100};
  std::int64_t t = 0;
  for (std::int64_t latency : latencies) {
    link.OnRequestSent(t, true);
    link.OnReply(t + latency);
    t += 5000;
  }
  const LinkFigures figures = link.Figures(t);
  EXPECT_EQ(figures.requestsSent, 4u);
  EXPECT_EQ(figures.repliesReceived, 4u);
  EXPECT_EQ(figures.lastLatencyMs, 100);
  EXPECT_EQ(figures.medianLatencyMs, 110);  // between 100 and 120
  EXPECT_EQ(figures.requestsUnanswered, 0u);
}

TEST(LinkStatistics, RequestsWithoutReplyWithinTwoSecondsAndLateReplies) {
  LinkStatistics link;
  link.OnRequestSent(0, true);
  EXPECT_EQ(link.Figures(2000).requestsUnanswered, 0u);  // two seconds is still in time
  EXPECT_EQ(link.Figures(2001).requestsUnanswered, 1u);

  // A reply after the deadline answers nothing and gives no latency.
  link.OnReply(2500);
  LinkFigures figures = link.Figures(2500);
  EXPECT_EQ(figures.requestsUnanswered, 1u);
  EXPECT_FALSE(figures.lastLatencyMs.has_value());
  EXPECT_EQ(figures.repliesReceived, 1u);

  // The next request is matched with its own reply, not charged the old one's wait.
  link.OnRequestSent(5000, true);
  link.OnReply(5150);
  figures = link.Figures(6000);
  EXPECT_EQ(figures.lastLatencyMs, 150);
  EXPECT_EQ(figures.requestsUnanswered, 1u);
}

TEST(LinkStatistics, CountersAndAgeOfLastGoodReply) {
  LinkStatistics link;
  EXPECT_FALSE(link.Figures(0).lastGoodReplyAgeMs.has_value());
  link.OnChecksumError();
  link.OnChecksumError();
  link.OnUnknown();
  link.OnFramerCounters({10, 7, 2});
  link.OnGoodRealTime(1000);
  const LinkFigures figures = link.Figures(4500);
  EXPECT_EQ(figures.checksumErrors, 2u);
  EXPECT_EQ(figures.unknownMessages, 1u);
  EXPECT_EQ(figures.framerBytesDropped, 7u);
  EXPECT_EQ(figures.framerPartialsExpired, 2u);
  EXPECT_EQ(figures.goodReplies, 1u);
  EXPECT_EQ(figures.lastGoodReplyAgeMs, 3500);
}

TEST(LinkStatistics, PeriodicModeGoesStaleAfterThreePeriodsAndRecovers) {
  LinkStatistics link;
  link.SetPeriodic(true, 2000, 0);
  EXPECT_FALSE(link.ValuesStale(6000));
  EXPECT_TRUE(link.ValuesStale(6001));  // not even a first reply within three periods

  link.OnGoodRealTime(7000);
  EXPECT_FALSE(link.ValuesStale(7000));
  EXPECT_FALSE(link.ValuesStale(13000));
  EXPECT_TRUE(link.ValuesStale(13001));

  // A checksum error or an unrelated reply does not make the values live.
  link.OnChecksumError();
  link.OnReply(14000);
  EXPECT_TRUE(link.ValuesStale(14000));
  link.OnGoodRealTime(15000);
  EXPECT_FALSE(link.ValuesStale(15000));

  // A longer period stretches the limit.
  link.SetPeriodic(true, 10000, 16000);
  EXPECT_FALSE(link.ValuesStale(44000));
  EXPECT_TRUE(link.ValuesStale(45001));
}

TEST(LinkStatistics, ManualModeGoesStaleTenSecondsAfterAnUnansweredRealTimeRequest) {
  LinkStatistics link;
  link.OnGoodRealTime(0);
  // No request, no judgement: the operator sees what he asked for last.
  EXPECT_FALSE(link.ValuesStale(600000));

  // A set command that only gets an acknowledgement is no reason either.
  link.OnRequestSent(600000, false);
  EXPECT_FALSE(link.ValuesStale(700000));

  link.OnRequestSent(700000, true);
  link.OnRequestSent(705000, true);  // measured from the first unanswered request
  EXPECT_FALSE(link.ValuesStale(710000));
  EXPECT_TRUE(link.ValuesStale(710001));
  link.OnGoodRealTime(711000);
  EXPECT_FALSE(link.ValuesStale(800000));
}

}  // namespace
}  // namespace climate
