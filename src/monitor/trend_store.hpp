// The full trend data of the run and the reduction that keeps its display quick: a day of
// 2-second samples is 43,200 points per series, far more than a chart has pixels, so the chart
// gets the lowest and highest point of each pixel column or two instead.
// Times are monotonic milliseconds, so the lines run in the order the samples came whatever the
// wall clock does; each sample's wall time is kept beside them (WallMsAt), so a clock set back or
// forward never relabels what was taken before.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "monitor/realtime_sample.hpp"

namespace climate {

struct TrendPoint {
  std::int64_t ms = 0;
  float value = 0;
  bool operator==(const TrendPoint&) const = default;
};

// Reduces the points of [fromMs, toMs] to at most two per bucket: the lowest and the highest, in
// time order, so every peak stays visible. Also kept: the last point before the range, so the line
// enters the view from its left edge, and the newest point, so the line ends at the current value.
// Points must be in time order.
//
// The reduction is kept up to date as points arrive, for a chart that redraws with every sample.
// Buckets lie on a fixed time grid whose width comes from a fixed ladder, so a new point only
// touches the newest bucket and a moving range only drops buckets at its left edge; all the work
// is redone only when the range needs another width or the series lost its first points. The
// first bucket may reach a little before fromMs, and there may be up to a sixth fewer buckets
// than asked for.
class TrendReducer {
 public:
  const std::vector<TrendPoint>& Reduce(std::span<const TrendPoint> points, std::int64_t fromMs,
                                        std::int64_t toMs, std::size_t buckets);
  // The bucket width in use, for tests.
  std::int64_t BucketMs() const { return bucketMs_; }

 private:
  struct Bucket {
    std::int64_t index = 0;  // ms / bucketMs_
    std::size_t first = 0;   // position of the bucket's first point in the series
    std::size_t low = 0;
    std::size_t high = 0;
  };
  void Reset(std::span<const TrendPoint> points, std::int64_t fromMs);
  // The steps of Reduce: points not yet in the buckets into them, buckets that slid out of the
  // range dropped, the kept points of the range into out_.
  void AddNewPoints(std::span<const TrendPoint> points);
  void DropBucketsLeftOf(std::int64_t fromBucket);
  void Emit(std::span<const TrendPoint> points, std::int64_t toMs);

  std::int64_t bucketMs_ = 0;
  std::int64_t firstMs_ = 0;      // the series' first point when the buckets were made
  std::int64_t coveredFrom_ = 0;  // first bucket index whose points are all in buckets_
  std::size_t consumed_ = 0;      // points already in the buckets
  std::vector<Bucket> buckets_;
  std::size_t dropped_ = 0;  // buckets at the front of buckets_ that lie left of the range
  std::vector<TrendPoint> out_;
};

// A set point kept as its changes, drawn as steps over [fromMs, toMs]: the value in force at
// fromMs, a vertical step at each change, and a flat end at toMs.
std::vector<TrendPoint> StepLine(std::span<const TrendPoint> changes, std::int64_t fromMs,
                                 std::int64_t toMs);

class TrendStore {
 public:
  enum Series : std::size_t { IndoorTemperature, OutdoorTemperature, IndoorHumidity, SeriesCount };
  static constexpr std::size_t SetPointCount = 6;  // value slots 4 to 9
  // Memory bound for very long runs (about 23 days of 2-second samples); past it the oldest
  // tenth is dropped. The CSV records keep everything.
  static constexpr std::size_t MaxPoints = 1'000'000;

  void Append(const RealTimeSample& sample);

  std::span<const TrendPoint> Points(Series series) const { return series_[series]; }
  // Changes of the set point of value slot 4 + index.
  std::span<const TrendPoint> SetPointChanges(std::size_t index) const {
    return setPoints_.at(index);
  }
  bool Empty() const { return series_[IndoorTemperature].empty(); }
  std::size_t Size() const { return series_[IndoorTemperature].size(); }
  std::int64_t FirstMs() const;
  std::int64_t LastMs() const;
  // The newest sample: its unit type, values and times.
  const std::optional<RealTimeSample>& Latest() const { return latest_; }

  // The local wall time (milliseconds of the civil calendar, as if the local time were UTC) at a
  // monotonic time: the wall time of the samples around it, as they were taken. Before the first
  // sample, reckoned back from it.
  std::int64_t WallMsAt(std::int64_t ms) const;
  // How often the wall clock was found set to another time during the run (1 for none).
  std::size_t WallSegments() const { return ties_.size(); }
  // From fromMs on (monotonic), wall time = monotonic + offsetMs; a new tie starts where the wall
  // clock was stepped.
  struct WallTie {
    std::int64_t fromMs = 0;
    std::int64_t offsetMs = 0;
  };
  // Oldest first; the first one also holds before its fromMs.
  std::span<const WallTie> WallTies() const { return ties_; }

 private:
  void TrimOldest();
  void TieWallClock(const RealTimeSample& sample, std::int64_t at);

  std::vector<WallTie> ties_;

  std::array<std::vector<TrendPoint>, SeriesCount> series_;
  std::array<std::vector<TrendPoint>, SetPointCount> setPoints_;
  std::optional<RealTimeSample> latest_;
};

}  // namespace climate
