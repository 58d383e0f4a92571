// The trend chart: series, axes and the redraw from the reduced data.
#include "monitor/trend_chart.hpp"

#include <QCategoryAxis>
#include <QDateTime>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QTimeZone>
#include <QTimer>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "common/qt_text.hpp"
#include "monitor/monitor_signals.hpp"
#include "monitor/monitor_texts.hpp"

namespace climate {

namespace {

constexpr std::int64_t MinuteMs = 60 * 1000;
// The narrowest view: a few samples of the fastest poll.
constexpr std::int64_t MinSpanMs = 10'000;
// Up to this many points of a measured series are each marked, so a few samples taken by hand
// are seen as samples rather than as a line that seems to hold between them.
constexpr qsizetype MarkedPoints = 40;

// Measured lines solid; each pair of set points shares a colour, dashed.
const QColor SeriesColours[TrendChart::SeriesCount] = {
    QColor(0xC0, 0x39, 0x2B), QColor(0x1F, 0x6F, 0xB2), QColor(0x27, 0xAE, 0x60),
    QColor(0x5D, 0xAD, 0xE2), QColor(0x5D, 0xAD, 0xE2), QColor(0xE6, 0x7E, 0x22),
    QColor(0xE6, 0x7E, 0x22), QColor(0x8E, 0x44, 0xAD), QColor(0x8E, 0x44, 0xAD),
};

// The chosen range ends at the newest sample; until the run is longer than the range it shows the
// whole run, so a fresh run fills the chart instead of sitting at its right edge.
std::int64_t RangeStart(const TrendStore& store, TrendRange range, std::int64_t to) {
  std::int64_t span = 0;
  switch (range) {
    case TrendRange::LastTenMinutes:
      span = 10 * MinuteMs;
      break;
    case TrendRange::LastHour:
      span = 60 * MinuteMs;
      break;
    case TrendRange::WholeRun:
      span = to - store.FirstMs();
      break;
  }
  return std::min(std::max(to - span, store.FirstMs()), to - MinSpanMs);
}

// Puts the points on a series and returns how many it holds. Temperatures within the range
// widen the span the temperature axis must show.
std::size_t ShowPoints(QLineSeries* series, const std::vector<TrendPoint>& points,
                       std::int64_t from, TrendChart::TemperatureSpan* temperatures) {
  QList<QPointF> list;
  list.reserve(static_cast<qsizetype>(points.size()));
  for (std::size_t i = 0; i < points.size(); ++i) {
    const TrendPoint& point = points[i];
    if (temperatures != nullptr && point.ms >= from) {
      temperatures->low = std::min(temperatures->low, point.value);
      temperatures->high = std::max(temperatures->high, point.value);
    }
    // The units report whole numbers, so long flat stretches are common: their inner points
    // add nothing to the line but drawing time.
    if (i > 0 && i + 1 < points.size() && points[i - 1].value == point.value &&
        points[i + 1].value == point.value) {
      continue;
    }
    list.append(QPointF(static_cast<double>(point.ms), point.value));
  }
  series->replace(list);
  // Counted before the flat stretches were thinned: a long flat run is many samples.
  series->setPointsVisible(series->pen().style() == Qt::SolidLine &&
                           points.size() <= static_cast<std::size_t>(MarkedPoints));
  return static_cast<std::size_t>(list.size());
}

}  // namespace

TrendChart::TrendChart(QWidget* parent)
    : QChartView(parent),
      chart_(new QChart),
      timeAxis_(new QCategoryAxis),
      temperatureAxis_(new QValueAxis),
      humidityAxis_(new QValueAxis),
      readout_(new QLabel(this)) {
  setObjectName("TrendChart");
  // The readout follows the pointer without a button held.
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
  readout_->setObjectName("TrendReadout");
  readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
  readout_->setStyleSheet(
      "QLabel { background: rgba(255, 255, 255, 230); border: 1px solid #888; padding: 3px; }");
  readout_->hide();
  // Without antialiasing a redraw costs a fraction; at a few points per pixel it looks the same.
  setRenderHint(QPainter::Antialiasing, false);
  chart_->setAnimationOptions(QChart::NoAnimation);
  chart_->setDropShadowEnabled(false);
  // Nine names do not fit in one row under the plot; a column beside it shows them whole.
  chart_->legend()->setAlignment(Qt::AlignRight);
  chart_->setMargins(QMargins(4, 4, 4, 4));

  timeAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // Ticks on round numbers whatever the range.
  temperatureAxis_->setTickType(QValueAxis::TicksDynamic);
  temperatureAxis_->setTickAnchor(0);
  temperatureAxis_->setTickInterval(5);
  temperatureAxis_->setRange(0, 40);
  temperatureAxis_->setLabelFormat("%d");
  humidityAxis_->setTickType(QValueAxis::TicksDynamic);
  humidityAxis_->setTickAnchor(0);
  humidityAxis_->setTickInterval(10);
  humidityAxis_->setRange(0, 100);
  humidityAxis_->setLabelFormat("%d");
  chart_->addAxis(timeAxis_, Qt::AlignBottom);
  chart_->addAxis(temperatureAxis_, Qt::AlignLeft);
  chart_->addAxis(humidityAxis_, Qt::AlignRight);

  for (std::size_t i = 0; i < SeriesCount; ++i) {
    auto* series = new QLineSeries;
    // One-pixel pens take the painter's fast path; wider ones go through the general stroker,
    // which costs several times as much per point.
    QPen pen(SeriesColours[i], 1);
    pen.setCosmetic(true);
    if (i >= MeasuredCount) pen.setStyle(Qt::DashLine);
    series->setPen(pen);
    chart_->addSeries(series);
    series->attachAxis(timeAxis_);
    series->attachAxis(i == TrendStore::IndoorHumidity ? humidityAxis_ : temperatureAxis_);
    series_[i] = series;
  }
  setChart(chart_);
  ApplyNames();
}

void TrendChart::SetLanguage(Language language) {
  language_ = language;
  ApplyNames();
}

void TrendChart::ApplyNames() {
  using namespace monitor_text;
  temperatureAxis_->setTitleText(Q(TemperatureAxis.In(language_)));
  humidityAxis_->setTitleText(Q(HumidityAxis.In(language_)));
  series_[TrendStore::IndoorTemperature]->setName(
      Q(ValueNameFor(kind_, IndoorTemperatureSlot).Name(language_)));
  series_[TrendStore::OutdoorTemperature]->setName(
      Q(ValueNameFor(kind_, OutdoorTemperatureSlot).Name(language_)));
  series_[TrendStore::IndoorHumidity]->setName(
      Q(ValueNameFor(kind_, IndoorHumiditySlot).Name(language_)));
  for (std::size_t i = 0; i < TrendStore::SetPointCount; ++i) {
    series_[MeasuredCount + i]->setName(
        Q(ValueNameFor(kind_, FirstSetPointSlot + i).Name(language_)));
  }
  ApplyLeastSize();
}

QSize TrendChart::LeastSize() const {
  // The legend beside the plot gets what its names need, but at most this share of the chart's
  // width; the names are measured here, since the legend knows its own size only once drawn.
  constexpr double LegendShare = 0.4;
  const QFontMetrics names(chart_->legend()->font());
  int widestName = 0;
  for (const QLineSeries* series : series_) {
    widestName = std::max(widestName, names.horizontalAdvance(series->name()));
  }
  // The marker, the gaps around it and the legend's own margins.
  const double legendWidth =
      std::max<double>(widestName + names.height() + 40,
                       chart_->legend()->effectiveSizeHint(Qt::PreferredSize).width());
  const double legendHeight = static_cast<double>(series_.size()) * (names.height() + 8) + 16;
  const QFontMetrics labels(temperatureAxis_->labelsFont());
  const QFontMetrics titles(temperatureAxis_->titleFont());
  // A value axis: its widest label, its title turned upright and the paddings around them.
  const int axis = labels.horizontalAdvance("-100") + titles.height() + 24;
  const QFontMetrics times(timeAxis_->labelsFont());
  // Room for two time labels of the widest format (TimeLabelRoom: a share more than labels).
  const int plot = 3 * (times.horizontalAdvance("88-88 88:88") + 2 * 4 + 2);
  const QMargins margins = chart_->margins();
  const int aroundX = margins.left() + margins.right() + 2 * frameWidth() + 12;
  const int aroundY = margins.top() + margins.bottom() + 2 * frameWidth() + 24;
  const int width = static_cast<int>(std::ceil(
                        std::max(legendWidth / LegendShare, legendWidth + 2 * axis + plot))) +
                    aroundX;
  // Each value axis label gets an equal share of the plot's height, less a padding above and
  // below; the axis' title stands upright beside it.
  const auto labelCount = [](const QValueAxis* axis) {
    return static_cast<int>(std::floor((axis->max() - axis->min()) / axis->tickInterval())) + 1;
  };
  const int rows = std::max(labelCount(temperatureAxis_), labelCount(humidityAxis_));
  const int titleLength = std::max(titles.horizontalAdvance(temperatureAxis_->titleText()),
                                   titles.horizontalAdvance(humidityAxis_->titleText()));
  const int plotHeight = std::max(rows * (labels.height() + 2 * 4 + 2), titleLength + 8);
  const int height =
      static_cast<int>(std::ceil(std::max<double>(legendHeight, plotHeight + 2 * times.height()))) +
      aroundY;
  return {width, height};
}

// Other names or another temperature span need another least size. The view takes its least
// size from the chart's.
void TrendChart::ApplyLeastSize() {
  const QSize least = LeastSize();
  if (least == minimumSize()) return;
  chart_->setMinimumSize(least - QSize(2 * frameWidth(), 2 * frameWidth()));
  setMinimumSize(least);
}

void TrendChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  if (store_ == nullptr) return;
  QTimer::singleShot(0, this, [this] {
    if (store_ != nullptr) Update(*store_, range_);
  });
}

std::size_t TrendChart::Update(const TrendStore& store, TrendRange range) {
  store_ = &store;
  range_ = range;
  const auto& latest = store.Latest();
  if (store.Empty() || !latest) {
    ShowNoData();
    return 0;
  }
  if (!chart_->title().isEmpty()) chart_->setTitle(QString());
  if (latest->kind != kind_) {
    kind_ = latest->kind;
    ApplyNames();
  }

  const std::int64_t to = view_ ? view_->second : store.LastMs();
  const std::int64_t from = view_ ? view_->first : RangeStart(store, range, to);
  // A lowest and a highest point for every two pixel columns: finer shows nothing more.
  const auto buckets = static_cast<std::size_t>(std::max(100.0, chart_->plotArea().width() / 2));

  Reduced reduced{};
  for (std::size_t s = 0; s < MeasuredCount; ++s) {
    reduced[s] =
        &reducers_[s].Reduce(store.Points(static_cast<TrendStore::Series>(s)), from, to, buckets);
  }
  // Nothing moves by a pixel column until the range has moved by a bucket or a bucket's lowest
  // or highest point has changed; until then the chart is left as it is.
  const DrawnState state = StateFor(store, range, from, to, reduced);
  if (drawn_ && state == *drawn_) return drawnPoints_;
  drawn_ = state;

  std::size_t total = 0;
  TemperatureSpan temperatures;
  for (std::size_t s = 0; s < MeasuredCount; ++s) {
    total += ShowPoints(series_[s], *reduced[s], from,
                        s != TrendStore::IndoorHumidity ? &temperatures : nullptr);
  }
  for (std::size_t i = 0; i < TrendStore::SetPointCount; ++i) {
    total += ShowPoints(series_[MeasuredCount + i], StepLine(store.SetPointChanges(i), from, to),
                        from, &temperatures);
  }
  SetAxes(store, from, to, temperatures);
  drawnPoints_ = total;
  return total;
}

void TrendChart::ShowNoData() {
  drawn_.reset();
  view_.reset();
  readout_->hide();
  for (QLineSeries* series : series_) series->clear();
  SetTimeLabels(nullptr, -10 * MinuteMs, 0);
  chart_->setTitle(Q(monitor_text::NoData.In(language_)));
}

TrendChart::DrawnState TrendChart::StateFor(const TrendStore& store, TrendRange range,
                                            std::int64_t from, std::int64_t to,
                                            const Reduced& reduced) const {
  DrawnState state;
  state.range = range;
  state.kind = kind_;
  state.wallSegments = store.WallSegments();
  state.timeLabelRoom = TimeLabelRoom(from, to);
  state.bucketMs = reducers_[0].BucketMs();
  state.step = state.bucketMs > 0 ? to / state.bucketMs : to;
  state.fromStep = state.bucketMs > 0 ? from / state.bucketMs : from;
  for (std::size_t s = 0; s < MeasuredCount; ++s) {
    // The newest point moves on with every sample; only its value can change the picture
    // within a bucket.
    const auto& points = *reduced[s];
    state.sizes[s] = points.size();
    if (!points.empty()) state.tails[s][0] = {0, points.back().value};
    if (points.size() > 1) state.tails[s][1] = points[points.size() - 2];
  }
  for (std::size_t i = 0; i < TrendStore::SetPointCount; ++i) {
    state.setPointChanges[i] = store.SetPointChanges(i).size();
  }
  return state;
}

QStringList TrendChart::TimeLabels() const {
  QStringList labels = timeAxis_->categoriesLabels();
  // Repeated times carry invisible marks to keep the axis' labels apart; they are no part of
  // the time.
  for (QString& label : labels) label.remove(QChar(0x200B));
  return labels;
}

namespace {

// The time labels' format for a span of time.
QString TimeFormat(std::int64_t from, std::int64_t to) {
  return to - from > 24 * 60 * MinuteMs ? "MM-dd HH:mm"
         : to - from > 15 * MinuteMs    ? "HH:mm"
                                        : "HH:mm:ss";
}

}  // namespace

// A tick on every round multiple of a step of wall time (a step from this ladder giving six or
// fewer ticks, and no more than room), within each stretch of one wall clock, and one where the
// clock was set to another time. The ticks stay where they are while the range slides, so the
// axis is rebuilt only when a tick enters or leaves it.
std::vector<std::pair<std::int64_t, QString>> TimeTicks(const TrendStore& store, std::int64_t from,
                                                        std::int64_t to, int room) {
  static constexpr std::int64_t Ladder[] = {
      10'000,     15'000,     30'000,     60'000,     120'000,     300'000,
      600'000,    900'000,    1'800'000,  3'600'000,  7'200'000,   10'800'000,
      14'400'000, 21'600'000, 43'200'000, 86'400'000, 172'800'000, 604'800'000};
  // Round multiples of a step within the span number at most span / step + 1.
  const std::int64_t span = to - from;
  std::int64_t step = Ladder[std::size(Ladder) - 1];
  for (std::int64_t rung : Ladder) {
    if (rung * 6 >= span && span / rung + 1 <= std::max(room, 1)) {
      step = rung;
      break;
    }
  }
  const QString format = TimeFormat(from, to);
  const auto label = [&](std::int64_t wallMs) {
    return QDateTime::fromMSecsSinceEpoch(wallMs, QTimeZone::utc()).toString(format);
  };
  std::vector<std::pair<std::int64_t, QString>> ticks;
  std::vector<bool> setting;  // per tick: where the clock was set, rather than a round time
  const auto ties = store.WallTies();
  for (std::size_t t = 0; t < ties.size(); ++t) {
    const std::int64_t begin = t == 0 ? from : std::max(from, ties[t].fromMs);
    const std::int64_t end = t + 1 < ties.size() ? std::min(to, ties[t + 1].fromMs - 1) : to;
    if (begin > end) continue;
    const std::int64_t offset = ties[t].offsetMs;
    if (t > 0 && ties[t].fromMs >= from) {
      // Where the clock was set: its new time, and no round tick crowding it from the left. A
      // clock set again and again keeps the first of its crowded settings only, so the ticks
      // stay few.
      const auto crowds = [&] {
        return !ticks.empty() && ticks.back().first > ties[t].fromMs - step / 3;
      };
      while (crowds() && !setting.empty() && !setting.back()) {
        ticks.pop_back();
        setting.pop_back();
      }
      if (!crowds()) {
        ticks.emplace_back(ties[t].fromMs, label(ties[t].fromMs + offset));
        setting.push_back(true);
      }
    }
    const std::int64_t firstWall = begin + offset;
    std::int64_t wall = (firstWall / step + (firstWall % step > 0 ? 1 : 0)) * step;
    for (; wall - offset <= end; wall += step) {
      const std::int64_t at = wall - offset;
      if (!ticks.empty() && at - ticks.back().first < step / 3) continue;
      ticks.emplace_back(at, label(wall));
      setting.push_back(false);
    }
  }
  // Where the clock was set, or on a run longer than the ladder reaches, there may be more
  // ticks than room: every other one goes until they fit.
  while (static_cast<int>(ticks.size()) > std::max(room, 1)) {
    std::vector<std::pair<std::int64_t, QString>> kept;
    for (std::size_t i = 0; i < ticks.size(); i += 2) kept.push_back(std::move(ticks[i]));
    ticks = std::move(kept);
  }
  return ticks;
}

int TrendChart::TimeLabelRoom(std::int64_t from, std::int64_t to) const {
  const double plot = chart_->plotArea().width();
  // Not laid out yet: the ladder alone decides, and the first layout redraws.
  if (plot <= 0) return 7;
  // Asked at every sample: measured again only for another width or format.
  const QString format = TimeFormat(from, to);
  if (labelRoom_.plot == plot && labelRoom_.format == format) return labelRoom_.room;
  // The axis gives every label an equal share of the plot, one share more than there are ticks,
  // less a padding either side; a label wider than its share is cut. Digits are as wide as
  // each other in the fonts in use, so a time of eights measures any time of the format.
  const QString widest =
      QDateTime(QDate(2088, 8, 28), QTime(18, 58, 58), QTimeZone::utc()).toString(format);
  const QFontMetrics metrics(timeAxis_->labelsFont());
  const int label =
      std::max(metrics.horizontalAdvance(widest), metrics.boundingRect(widest).width());
  constexpr int Padding = 4;
  constexpr int Gap = 2;  // so that neighbouring labels never touch
  labelRoom_ = {plot, format, static_cast<int>(plot / (label + 2 * Padding + Gap)) - 1};
  return labelRoom_.room;
}

void TrendChart::SetTimeLabels(const TrendStore* store, std::int64_t from, std::int64_t to) {
  if (to <= from) to = from + 1;
  auto ticks = store != nullptr ? TimeTicks(*store, from, to, TimeLabelRoom(from, to))
                                : std::vector<std::pair<std::int64_t, QString>>{};
  if (ticks != ticks_) {
    for (const QString& label : timeAxis_->categoriesLabels()) timeAxis_->remove(label);
    // A category ends at each tick, and its label stands on that end.
    timeAxis_->setStartValue(ticks.empty() ? static_cast<double>(from)
                                           : static_cast<double>(ticks.front().first) - 1);
    for (const auto& [at, text] : ticks) {
      QString label = text;
      // The axis keeps one category per label; a time shown twice (the clock was set back) is
      // told apart by marks nobody sees.
      while (timeAxis_->categoriesLabels().contains(label)) label += QChar(0x200B);
      timeAxis_->append(label, static_cast<double>(at));
    }
    ticks_ = std::move(ticks);
  }
  timeAxis_->setRange(static_cast<double>(from), static_cast<double>(to));
}

void TrendChart::SetAxes(const TrendStore& store, std::int64_t from, std::int64_t to,
                         const TemperatureSpan& temperatures) {
  SetTimeLabels(&store, from, to);
  if (temperatures.low <= temperatures.high) {
    const double bottom = std::floor((temperatures.low - 2) / 5) * 5;
    const double top = std::ceil((temperatures.high + 2) / 5) * 5;
    temperatureAxis_->setTickInterval(top - bottom > 40 ? 10 : 5);
    temperatureAxis_->setRange(bottom, top);
    ApplyLeastSize();
  }
}

std::pair<double, double> TrendChart::VisibleRange() const {
  return {timeAxis_->min(), timeAxis_->max()};
}

void TrendChart::SetView(double from, double to) {
  if (store_ == nullptr || store_->Empty()) return;
  const auto first = static_cast<double>(store_->FirstMs());
  const auto last = static_cast<double>(store_->LastMs());
  const double span = std::max(to - from, static_cast<double>(MinSpanMs));
  const bool wasZoomed = view_.has_value();
  if (span >= last - first) {
    // The whole run fits: nothing is hidden, so the view follows new samples again.
    view_.reset();
  } else {
    from = std::clamp(from, first, last - span);
    view_ = std::pair{static_cast<std::int64_t>(std::llround(from)),
                      static_cast<std::int64_t>(std::llround(from + span))};
  }
  Update(*store_, range_);
  if (wasZoomed || view_) emit viewChanged(view_.has_value());
}

void TrendChart::ZoomAt(double atMs, double factor) {
  if (!(factor > 0) || !std::isfinite(atMs)) return;
  const auto [from, to] = VisibleRange();
  SetView(atMs - (atMs - from) * factor, atMs + (to - atMs) * factor);
}

void TrendChart::PanBy(double ms) {
  if (!std::isfinite(ms)) return;
  const auto [from, to] = VisibleRange();
  SetView(from + ms, to + ms);
}

void TrendChart::ResetView() {
  const bool wasZoomed = view_.has_value();
  view_.reset();
  if (store_ != nullptr) Update(*store_, range_);
  if (wasZoomed) emit viewChanged(false);
}

std::optional<double> TrendChart::TimeAtPoint(const QPointF& point) const {
  const QPointF inChart = chart_->mapFromScene(mapToScene(point.toPoint()));
  if (!chart_->plotArea().contains(inChart)) return std::nullopt;
  return chart_->mapToValue(inChart, series_[0]).x();
}

void TrendChart::wheelEvent(QWheelEvent* event) {
  const std::optional<double> at = TimeAtPoint(event->position());
  const int steps = event->angleDelta().y();
  if (!at || steps == 0) {
    QChartView::wheelEvent(event);
    return;
  }
  // One notch (120) narrows the view by a fifth; away from the operator widens it again.
  ZoomAt(*at, std::pow(0.8, steps / 120.0));
  event->accept();
}

void TrendChart::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && TimeAtPoint(event->position())) {
    dragFrom_ = event->position();
    event->accept();
    return;
  }
  QChartView::mousePressEvent(event);
}

void TrendChart::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
    const auto [from, to] = VisibleRange();
    const double width = chart_->plotArea().width();
    if (width > 0) {
      // The time under the pointer stays under it: dragging right shows earlier samples.
      PanBy(-(event->position().x() - dragFrom_->x()) * (to - from) / width);
      dragFrom_ = event->position();
    }
    event->accept();
  }
  ShowReadout(event->position());
  QChartView::mouseMoveEvent(event);
}

void TrendChart::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_.reset();
  QChartView::mouseReleaseEvent(event);
}

void TrendChart::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    dragFrom_.reset();
    ResetView();
    event->accept();
    return;
  }
  QChartView::mouseDoubleClickEvent(event);
}

void TrendChart::leaveEvent(QEvent* event) {
  readout_->hide();
  QChartView::leaveEvent(event);
}

void TrendChart::ShowReadout(const QPointF& point) {
  const std::optional<double> at = TimeAtPoint(point);
  const QString text = at ? ReadoutAt(*at) : QString();
  if (text.isEmpty()) {
    readout_->hide();
    return;
  }
  readout_->setText(text);
  readout_->adjustSize();
  // Beside the pointer, on the side with room, never outside the chart.
  QPoint place = point.toPoint() + QPoint(14, 14);
  if (place.x() + readout_->width() > width())
    place.rx() = point.toPoint().x() - 14 - readout_->width();
  if (place.y() + readout_->height() > height()) place.ry() = height() - readout_->height();
  readout_->move(std::max(0, place.x()), std::max(0, place.y()));
  readout_->show();
  readout_->raise();
}

QString TrendChart::ReadoutAt(double atMs) const {
  if (store_ == nullptr || store_->Empty() || !std::isfinite(atMs)) return {};
  const std::span<const TrendPoint> first = store_->Points(TrendStore::IndoorTemperature);
  const auto at = static_cast<std::int64_t>(std::llround(atMs));
  auto it = std::lower_bound(first.begin(), first.end(), at,
                             [](const TrendPoint& p, std::int64_t ms) { return p.ms < ms; });
  if (it == first.end() || (it != first.begin() && at - std::prev(it)->ms < it->ms - at)) --it;
  const auto index = static_cast<std::size_t>(it - first.begin());
  const std::int64_t ms = it->ms;

  QStringList lines;
  lines << QDateTime::fromMSecsSinceEpoch(store_->WallMsAt(ms), QTimeZone::utc())
               .toString("yyyy-MM-dd HH:mm:ss");
  const auto number = [](float value) { return QString::number(static_cast<double>(value)); };
  for (std::size_t s = 0; s < MeasuredCount; ++s) {
    const auto series = static_cast<TrendStore::Series>(s);
    const QString unit = series == TrendStore::IndoorHumidity ? "%RH" : "℃";
    lines << series_[s]->name() + ": " + number(store_->Points(series)[index].value) + " " + unit;
  }
  for (std::size_t i = 0; i < TrendStore::SetPointCount; ++i) {
    const std::span<const TrendPoint> changes = store_->SetPointChanges(i);
    auto change = std::upper_bound(changes.begin(), changes.end(), ms,
                                   [](std::int64_t t, const TrendPoint& p) { return t < p.ms; });
    if (change == changes.begin()) continue;  // not known yet at that time
    lines << series_[MeasuredCount + i]->name() + ": " + number(std::prev(change)->value) + " ℃";
  }
  return lines.join('\n');
}

}  // namespace climate
