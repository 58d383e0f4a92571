// Trend data: the reduction for display keeps every extreme, stays within its bound and leaves
// small ranges whole; set points draw as steps; the store keeps the full run.
#include "monitor/trend_store.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "monitor_test_support.hpp"

namespace climate {
namespace {

std::vector<TrendPoint> Wave(std::size_t count) {
  std::vector<TrendPoint> points;
  for (std::size_t i = 0; i < count; ++i) {
    points.push_back({static_cast<std::int64_t>(i) * 2000,
                      static_cast<float>(25.0 + 10.0 * std::sin(static_cast<double>(i) / 500.0))});
  }
  return points;
}

TEST(TrendReducer, ADayOfSamplesFitsTheBucketsKeepsEverySpikeAndEndsAtTheNewestValue) {
  std::vector<TrendPoint> points = Wave(43200);
  points[12345].value = 99;  // a single spike must survive
  points[30000].value = -40;
  points.back().value = 7;  // the current value, though not the extreme of its bucket
  points[points.size() - 2].value = 50;
  TrendReducer reducer;
  const auto shown = reducer.Reduce(points, 0, points.back().ms, 800);
  EXPECT_LE(shown.size(), 2u * 800u + 1u);
  EXPECT_GE(shown.size(), 600u);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(),
                             [](const TrendPoint& a, const TrendPoint& b) { return a.ms < b.ms; }));
  EXPECT_NE(std::find(shown.begin(), shown.end(), points[12345]), shown.end());
  EXPECT_NE(std::find(shown.begin(), shown.end(), points[30000]), shown.end());
  EXPECT_EQ(shown.back(), points.back());
}

TEST(TrendReducer, SmallRangesComeBackWholeWithTheLeadInPoint) {
  const std::vector<TrendPoint> points = Wave(1000);
  // Ten minutes of 2-second samples at 800 pixels: 301 points, all kept.
  TrendReducer reducer;
  const auto shown = reducer.Reduce(points, 400000, 1000000, 800);
  ASSERT_EQ(shown.size(), 301u + 1u);
  EXPECT_EQ(shown.front(), points[199]);  // the point before the range, for the line's entry
  EXPECT_EQ(shown[1], points[200]);
  EXPECT_EQ(shown.back(), points[500]);

  EXPECT_TRUE(reducer.Reduce({}, 0, 100, 10).empty());
  EXPECT_TRUE(reducer.Reduce(points, 100, 0, 10).empty());
  EXPECT_TRUE(reducer.Reduce(points, 0, 100, 0).empty());
}

TEST(TrendReducer, FollowingTheDataGivesWhatAFreshReductionGives) {
  std::vector<TrendPoint> points = Wave(43200);
  points[20000].value = 99;
  TrendReducer following;
  // Fed a sample at a time over the last stretch, with the range moving along (last hour) or
  // growing (whole run), it must keep agreeing with a reducer that starts from nothing.
  for (std::int64_t span : {std::int64_t{3600000}, std::int64_t{-1}}) {
    for (std::size_t size = 40000; size <= points.size(); size += 97) {
      const std::span<const TrendPoint> now(points.data(), size);
      const std::int64_t to = now.back().ms;
      const std::int64_t from = span < 0 ? 0 : to - span;
      TrendReducer fresh;
      const std::vector<TrendPoint> expected = fresh.Reduce(now, from, to, 800);
      ASSERT_EQ(following.Reduce(now, from, to, 800), expected) << size;
      EXPECT_LE(expected.size(), 2u * 800u + 1u);
      EXPECT_GE(expected.size(), 400u);
    }
  }
  const auto& whole = following.Reduce(points, 0, points.back().ms, 800);
  EXPECT_NE(std::find(whole.begin(), whole.end(), points[20000]), whole.end());
}

TEST(TrendReducer, StartsOverWhenTheSeriesLostItsOldestPoints) {
  std::vector<TrendPoint> points = Wave(5000);
  TrendReducer reducer;
  const auto before = reducer.Reduce(points, 0, points.back().ms, 100);
  ASSERT_FALSE(before.empty());
  points.erase(points.begin(), points.begin() + 500);
  const auto after = reducer.Reduce(points, points.front().ms, points.back().ms, 100);
  TrendReducer fresh;
  EXPECT_EQ(after, fresh.Reduce(points, points.front().ms, points.back().ms, 100));
  EXPECT_EQ(after.front(), points.front());
}

TEST(StepLine, HoldsEachValueUntilTheNextChange) {
  const std::vector<TrendPoint> changes = {{1000, 30}, {5000, 32}, {9000, 28}};
  EXPECT_EQ(StepLine(changes, 2000, 7000),
            (std::vector<TrendPoint>{{2000, 30}, {5000, 30}, {5000, 32}, {7000, 32}}));
  // A range starting before the first known value starts at that value.
  EXPECT_EQ(StepLine(changes, 0, 3000), (std::vector<TrendPoint>{{1000, 30}, {3000, 30}}));
  EXPECT_TRUE(StepLine(changes, 0, 500).empty());
  EXPECT_EQ(StepLine(changes, 10000, 12000), (std::vector<TrendPoint>{{10000, 28}, {12000, 28}}));
}

TEST(TrendStore, KeepsEverySampleAndOnlySetPointChanges) {
  TrendStore store;
  for (int i = 0; i < 100; ++i) {
    RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, i * 2000);
    sample.values[IndoorTemperatureSlot] = 20 + i % 7;
    if (i >= 50) sample.values[FirstSetPointSlot] = 30;
    if (i == 70) sample.values[FirstSetPointSlot + 1].reset();  // unknown keeps the last value
    store.Append(sample);
  }
  EXPECT_EQ(store.Size(), 100u);
  EXPECT_EQ(store.Points(TrendStore::IndoorTemperature)[9].value, 22.0F);
  EXPECT_EQ(store.Points(TrendStore::IndoorHumidity)[0].value, 60.0F);
  EXPECT_EQ(store.SetPointChanges(0).size(), 2u);
  EXPECT_EQ(store.SetPointChanges(0)[1], (TrendPoint{100000, 30}));
  EXPECT_EQ(store.SetPointChanges(1).size(), 1u);
  EXPECT_EQ(store.FirstMs(), 0);
  EXPECT_EQ(store.LastMs(), 198000);
  ASSERT_TRUE(store.Latest().has_value());
  EXPECT_EQ(store.Latest()->monotonicMs, 198000);
}

}  // namespace
}  // namespace climate
