// The Trends page's chart: indoor and outdoor temperature and indoor humidity over time, the unit's
// set points as dashed steps. It draws a reduced copy of the store's data (a few points per pixel
// column), so a day of samples redraws as fast as ten minutes of them. The time axis runs in the
// order the samples came (monotonic time) and each label tells the wall time the samples there
// were taken at, so after the clock is set back the labels run back too instead of relabelling
// what came before.
// The wheel zooms the time axis around the pointer, a drag pans it and a double-click (or
// ResetView) returns to the chosen range, which follows the newest sample; a zoomed view stays
// where it was put. A label under the pointer reads the time and every series' value there.
#pragma once

#include <QChartView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/language.hpp"
#include "monitor/monitor_settings.hpp"
#include "monitor/trend_store.hpp"
#include "protocol/device_kind.hpp"

class QCategoryAxis;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace climate {

class TrendChart final : public QChartView {
  Q_OBJECT

 public:
  static constexpr std::size_t MeasuredCount = TrendStore::SeriesCount;
  static constexpr std::size_t SeriesCount = MeasuredCount + TrendStore::SetPointCount;

  explicit TrendChart(QWidget* parent = nullptr);

  void SetLanguage(Language language);
  // Redraws from the store when that changes the picture; returns how many points the chart
  // now holds in all its series.
  std::size_t Update(const TrendStore& store, TrendRange range);

  // 0 indoor temperature, 1 outdoor temperature, 2 indoor humidity, 3.. the six set points.
  QLineSeries* Series(std::size_t index) const { return series_.at(index); }
  QCategoryAxis* TimeAxis() const { return timeAxis_; }
  // The time axis' labels, left to right.
  QStringList TimeLabels() const;

  // The time range on screen, in monotonic ms.
  std::pair<double, double> VisibleRange() const;
  // Zooms the time axis by factor (below 1 zooms in) keeping the time atMs where it is; a view
  // that takes in the whole run again is the chosen range.
  void ZoomAt(double atMs, double factor);
  // Moves the view by ms, kept within the run.
  void PanBy(double ms);
  // Back to the chosen range, following the newest sample.
  void ResetView();
  bool Zoomed() const { return view_.has_value(); }
  // The time and each series' value of the sample nearest to atMs; empty without data.
  QString ReadoutAt(double atMs) const;
  // The label that follows the pointer.
  QLabel* Readout() const { return readout_; }

  // The lowest and highest temperature drawn, for the temperature axis.
  struct TemperatureSpan {
    float low = 1e9F;
    float high = -1e9F;
  };

 protected:
  // A new width needs another reduction; it is made once the layout has settled.
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 signals:
  void viewChanged(bool zoomed);

 private:
  void ApplyNames();
  // The least size that shows every name of the legend and every axis title and label whole;
  // where the page has less room it scrolls.
  QSize LeastSize() const;
  void ApplyLeastSize();
  void ShowNoData();
  // The monotonic time at a point of the view; nullopt outside the plot.
  std::optional<double> TimeAtPoint(const QPointF& point) const;
  void SetView(double from, double to);
  void ShowReadout(const QPointF& point);

  QChart* chart_;
  QCategoryAxis* timeAxis_;
  QValueAxis* temperatureAxis_;
  QValueAxis* humidityAxis_;
  std::array<QLineSeries*, SeriesCount> series_{};
  std::array<TrendReducer, MeasuredCount> reducers_;

  // What the chart shows now, to tell whether a new sample changes anything on screen.
  struct DrawnState {
    TrendRange range = TrendRange::LastHour;
    DeviceKind kind = DeviceKind::AirConditioner;
    std::size_t wallSegments = 0;
    int timeLabelRoom = 0;  // how many time labels the plot's width shows whole
    std::int64_t bucketMs = 0;
    std::int64_t step = 0;      // the range's end, in buckets
    std::int64_t fromStep = 0;  // the range's start, in buckets
    std::array<std::size_t, MeasuredCount> sizes{};
    std::array<std::array<TrendPoint, 2>, MeasuredCount> tails{};
    std::array<std::size_t, TrendStore::SetPointCount> setPointChanges{};
    bool operator==(const DrawnState&) const = default;
  };
  using Reduced = std::array<const std::vector<TrendPoint>*, MeasuredCount>;
  DrawnState StateFor(const TrendStore& store, TrendRange range, std::int64_t from, std::int64_t to,
                      const Reduced& reduced) const;
  void SetAxes(const TrendStore& store, std::int64_t from, std::int64_t to,
               const TemperatureSpan& temperatures);
  void SetTimeLabels(const TrendStore* store, std::int64_t from, std::int64_t to);
  // How many time labels of the range's format the plot shows side by side without cutting one.
  int TimeLabelRoom(std::int64_t from, std::int64_t to) const;

  std::optional<DrawnState> drawn_;
  const TrendStore* store_ = nullptr;  // what the last Update drew, for redraws on resizing
  TrendRange range_ = TrendRange::LastHour;
  std::size_t drawnPoints_ = 0;
  std::vector<std::pair<std::int64_t, QString>> ticks_;  // what the time axis shows now
  // The last answer of TimeLabelRoom, for the plot's width and the labels' format it was for.
  struct LabelRoom {
    double plot = 0;
    QString format;
    int room = 0;
  };
  mutable LabelRoom labelRoom_;
  Language language_ = Language::English;
  DeviceKind kind_ = DeviceKind::AirConditioner;
  std::optional<std::pair<std::int64_t, std::int64_t>> view_;  // zoomed or panned: from, to
  std::optional<QPointF> dragFrom_;                            // where the left button went down
  QLabel* readout_;
};

}  // namespace climate
