#include "monitor/trend_store.hpp"

#include <algorithm>

namespace climate {

namespace {

bool EarlierThan(const TrendPoint& point, std::int64_t ms) { return point.ms < ms; }

}  // namespace

std::vector<TrendPoint> DecimateMinMax(std::span<const TrendPoint> points, std::int64_t fromMs,
                                       std::int64_t toMs, std::size_t buckets) {
  std::vector<TrendPoint> out;
  if (toMs < fromMs || buckets == 0) return out;
  const auto begin = std::lower_bound(points.begin(), points.end(), fromMs, EarlierThan);
  const auto end = std::upper_bound(points.begin(), points.end(), toMs,
                                    [](std::int64_t ms, const TrendPoint& p) { return ms < p.ms; });
  if (begin != points.begin()) out.push_back(*(begin - 1));
  const auto count = static_cast<std::size_t>(end - begin);
  if (count <= 2 * buckets) {
    out.insert(out.end(), begin, end);
    return out;
  }

  out.reserve(out.size() + 2 * buckets);
  const double span = static_cast<double>(toMs - fromMs) + 1.0;
  auto first = begin;
  while (first != end) {
    const auto bucket = static_cast<std::size_t>(static_cast<double>(first->ms - fromMs) /
                                                 span * static_cast<double>(buckets));
    auto low = first;
    auto high = first;
    auto it = first + 1;
    for (; it != end; ++it) {
      const auto itBucket = static_cast<std::size_t>(static_cast<double>(it->ms - fromMs) /
                                                     span * static_cast<double>(buckets));
      if (itBucket != bucket) break;
      if (it->value < low->value) low = it;
      if (it->value > high->value) high = it;
    }
    if (low == high) {
      out.push_back(*low);
    } else if (low < high) {
      out.push_back(*low);
      out.push_back(*high);
    } else {
      out.push_back(*high);
      out.push_back(*low);
    }
    first = it;
  }
  return out;
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
}

}  // namespace climate
