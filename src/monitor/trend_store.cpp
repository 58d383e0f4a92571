// Trend series, their reduction for display and the step lines of the set points.
#include "monitor/trend_store.hpp"

#include <algorithm>
#include <cstdlib>

namespace climate {

namespace {

bool EarlierThan(const TrendPoint& point, std::int64_t ms) {
  return point.ms < ms;
}

}  // namespace

namespace {

// Floor division, so that times before 0 still fall into the right bucket.
std::int64_t BucketOf(std::int64_t ms, std::int64_t width) {
  return ms >= 0 ? ms / width : -((-ms + width - 1) / width);
}

}  // namespace

void TrendReducer::Reset(std::span<const TrendPoint> points, std::int64_t fromMs) {
  buckets_.clear();
  dropped_ = 0;
  coveredFrom_ = BucketOf(fromMs, bucketMs_);
  firstMs_ = points.empty() ? 0 : points.front().ms;
  const std::int64_t start = BucketOf(fromMs, bucketMs_) * bucketMs_;
  consumed_ = static_cast<std::size_t>(
      std::lower_bound(points.begin(), points.end(), start, EarlierThan) - points.begin());
}

namespace {

// Widths come from a fixed ladder a fifth apart, so a growing range keeps its width (and its
// buckets) until it has grown by a fifth, and never gets more than a fifth fewer buckets.
std::int64_t LadderWidth(std::int64_t fromMs, std::int64_t toMs, std::size_t buckets) {
  const std::int64_t wanted = (toMs - fromMs) / static_cast<std::int64_t>(buckets) + 1;
  std::int64_t width = 1;
  while (width < wanted) width = std::max(width + 1, width * 6 / 5);
  return width;
}

}  // namespace

const std::vector<TrendPoint>& TrendReducer::Reduce(std::span<const TrendPoint> points,
                                                    std::int64_t fromMs, std::int64_t toMs,
                                                    std::size_t buckets) {
  out_.clear();
  if (toMs < fromMs || buckets == 0 || points.empty()) {
    bucketMs_ = 0;
    return out_;
  }
  const std::int64_t width = LadderWidth(fromMs, toMs, buckets);
  const std::int64_t fromBucket = BucketOf(fromMs, width);
  // The buckets hold every point from coveredFrom_ on; a range reaching further left, another
  // width, or a series that lost its first points needs them made again.
  const bool trimmed = points.front().ms != firstMs_ || points.size() < consumed_;
  if (width != bucketMs_ || trimmed || fromBucket < coveredFrom_) {
    bucketMs_ = width;
    Reset(points, fromMs);
  }
  AddNewPoints(points);
  DropBucketsLeftOf(fromBucket);
  Emit(points, toMs);
  return out_;
}

void TrendReducer::AddNewPoints(std::span<const TrendPoint> points) {
  for (std::size_t i = consumed_; i < points.size(); ++i) {
    const std::int64_t index = BucketOf(points[i].ms, bucketMs_);
    if (buckets_.empty() || buckets_.back().index != index) {
      buckets_.push_back({index, i, i, i});
      continue;
    }
    Bucket& bucket = buckets_.back();
    if (points[i].value < points[bucket.low].value) bucket.low = i;
    if (points[i].value > points[bucket.high].value) bucket.high = i;
  }
  consumed_ = points.size();
}

// Buckets that slid out of the range stay until they are a good share of the list.
void TrendReducer::DropBucketsLeftOf(std::int64_t fromBucket) {
  dropped_ = static_cast<std::size_t>(
      std::lower_bound(buckets_.begin(), buckets_.end(), fromBucket,
                       [](const Bucket& b, std::int64_t index) { return b.index < index; }) -
      buckets_.begin());
  if (dropped_ > 64 && dropped_ * 2 > buckets_.size()) {
    buckets_.erase(buckets_.begin(), buckets_.begin() + static_cast<std::ptrdiff_t>(dropped_));
    dropped_ = 0;
    coveredFrom_ = fromBucket;
  }
}

void TrendReducer::Emit(std::span<const TrendPoint> points, std::int64_t toMs) {
  out_.reserve(2 * (buckets_.size() - dropped_) + 1);
  bool first = true;
  for (std::size_t b = dropped_; b < buckets_.size(); ++b) {
    const Bucket& bucket = buckets_[b];
    if (points[bucket.first].ms > toMs) break;
    if (first && bucket.first > 0) out_.push_back(points[bucket.first - 1]);
    first = false;
    const std::size_t a = std::min(bucket.low, bucket.high);
    const std::size_t c = std::max(bucket.low, bucket.high);
    out_.push_back(points[a]);
    if (c != a) out_.push_back(points[c]);
  }
  // The line ends at the newest value, whatever the newest bucket's extremes are.
  if (!out_.empty() && out_.back().ms < points.back().ms && points.back().ms <= toMs) {
    out_.push_back(points.back());
  }
}

std::vector<TrendPoint> StepLine(std::span<const TrendPoint> changes, std::int64_t fromMs,
                                 std::int64_t toMs) {
  std::vector<TrendPoint> out;
  if (changes.empty() || toMs < fromMs) return out;
  auto it = std::upper_bound(changes.begin(), changes.end(), fromMs,
                             [](std::int64_t ms, const TrendPoint& p) { return ms < p.ms; });
  float value = 0;
  if (it == changes.begin()) {
    // Nothing known before the range: the line starts at the first change.
    if (it->ms > toMs) return out;
    value = it->value;
    out.push_back(*it);
    ++it;
  } else {
    value = (it - 1)->value;
    out.push_back({fromMs, value});
  }
  for (; it != changes.end() && it->ms <= toMs; ++it) {
    out.push_back({it->ms, value});
    value = it->value;
    out.push_back({it->ms, value});
  }
  out.push_back({toMs, value});
  return out;
}

void TrendStore::Append(const RealTimeSample& sample) {
  const std::int64_t ms = sample.monotonicMs;
  // The monotonic clock never runs back; a sample that seems to is kept in order all the same.
  const std::int64_t at = Empty() ? ms : std::max(ms, LastMs());
  if (series_[IndoorTemperature].size() >= MaxPoints) TrimOldest();

  const std::size_t sources[SeriesCount] = {IndoorTemperatureSlot, OutdoorTemperatureSlot,
                                            IndoorHumiditySlot};
  for (std::size_t s = 0; s < SeriesCount; ++s) {
    series_[s].push_back({at, static_cast<float>(sample.values[sources[s]].value_or(0))});
  }
  for (std::size_t i = 0; i < SetPointCount; ++i) {
    const std::optional<int> value = sample.values[FirstSetPointSlot + i];
    if (!value) continue;  // unknown: the step keeps its last value
    auto& changes = setPoints_[i];
    if (changes.empty() || changes.back().value != static_cast<float>(*value)) {
      changes.push_back({at, static_cast<float>(*value)});
    }
  }
  latest_ = sample;
  latest_->monotonicMs = at;
  TieWallClock(sample, at);
}

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, int month, int day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return std::int64_t{era} * 146097 + doe - 719468;
}

std::int64_t CivilMs(const LocalDateTime& time) {
  const std::int64_t days = DaysFromCivil(time.year, time.month, time.day);
  return ((days * 24 + time.hour) * 60 + time.minute) * 60000 + std::int64_t{time.second} * 1000;
}

// Wall times have whole seconds only, so ties within this much of each other are the same clock.
constexpr std::int64_t SameClockMs = 2000;

}  // namespace

void TrendStore::TieWallClock(const RealTimeSample& sample, std::int64_t at) {
  const std::int64_t offset = CivilMs(sample.time) - at;
  if (!ties_.empty() && std::abs(offset - ties_.back().offsetMs) <= SameClockMs) return;
  ties_.push_back({at, offset});
}

std::int64_t TrendStore::WallMsAt(std::int64_t ms) const {
  if (ties_.empty()) return ms;
  auto it = std::upper_bound(ties_.begin(), ties_.end(), ms,
                             [](std::int64_t value, const WallTie& t) { return value < t.fromMs; });
  if (it != ties_.begin()) --it;
  return ms + it->offsetMs;
}

std::int64_t TrendStore::FirstMs() const {
  return Empty() ? 0 : series_[IndoorTemperature].front().ms;
}

std::int64_t TrendStore::LastMs() const {
  return Empty() ? 0 : series_[IndoorTemperature].back().ms;
}

void TrendStore::TrimOldest() {
  const std::size_t drop = MaxPoints / 10;
  for (auto& series : series_) {
    series.erase(series.begin(), series.begin() + static_cast<std::ptrdiff_t>(drop));
  }
  // Keep the change in force at the new start so the step line still begins there.
  const std::int64_t start = FirstMs();
  for (auto& changes : setPoints_) {
    auto it = std::upper_bound(changes.begin(), changes.end(), start,
                               [](std::int64_t ms, const TrendPoint& p) { return ms < p.ms; });
    if (it != changes.begin()) changes.erase(changes.begin(), it - 1);
  }
  // Likewise the wall clock tie in force at the new start.
  auto tie = std::upper_bound(ties_.begin(), ties_.end(), start,
                              [](std::int64_t ms, const WallTie& t) { return ms < t.fromMs; });
  if (tie != ties_.begin()) ties_.erase(ties_.begin(), tie - 1);
}

}  // namespace climate
