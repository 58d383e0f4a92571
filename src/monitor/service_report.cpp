// Lays the service report out on A4 pages with QPdfWriter, breaking pages where a block would
// not fit.
#include "monitor/service_report.hpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineSeries>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>

#include "common/qt_text.hpp"
#include "console/log_file.hpp"
#include "monitor/alarm_table_model.hpp"
#include "monitor/link_figure_rows.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_texts.hpp"
#include "monitor/trend_chart.hpp"

namespace climate {

namespace {

// Lays text out top to bottom and starts a new page when the next block would not fit.
class ReportPage {
 public:
  ReportPage(QPdfWriter& writer, QPainter& painter, Language language)
      : writer_(writer), painter_(painter), language_(language) {
    area_ = painter_.viewport();
    const int dpi = writer_.resolution();
    body_ = QFont(painter_.font());
    body_.setPointSizeF(9);
    heading_ = body_;
    heading_.setPointSizeF(12);
    heading_.setBold(true);
    title_ = body_;
    title_.setPointSizeF(16);
    title_.setBold(true);
    table_ = body_;
    table_.setPointSizeF(7.5);
    mono_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono_.setPointSizeF(7.5);
    gap_ = dpi / 10;
    DrawFooter();
  }

  // The share of the line width that text takes in the table font.
  double Fraction(const QString& text) const {
    return static_cast<double>(QFontMetrics(table_, &writer_).horizontalAdvance(text)) /
           static_cast<double>(area_.width());
  }

  void Title(const QString& text) { Text(text, title_, gap_); }
  // keepWith: the height of what must follow on the same page (a heading is never left alone at
  // the foot of a page).
  void Heading(const QString& text, int keepWith = 0) {
    y_ += gap_;
    Ensure(LineHeight(heading_) + gap_ / 2 + std::max(keepWith, LineHeight(body_) * 2));
    Text(text, heading_, gap_ / 2);
  }
  int PictureHeight(const QPixmap& pixmap) const {
    return area_.width() * pixmap.height() / std::max(1, pixmap.width());
  }
  void Line(const QString& text, bool alarm = false) {
    painter_.save();
    if (alarm) painter_.setPen(Qt::red);
    Text(text, body_, 0);
    painter_.restore();
  }
  void MonoLine(const QString& text) { Text(text, mono_, 0); }

  // A row of cells at fixed fractions of the width, in the body font or the smaller table font.
  void Row(const QStringList& cells, const std::vector<double>& stops, bool bold = false,
           bool red = false, bool table = false) {
    QFont font = table ? table_ : body_;
    font.setBold(bold);
    const int height = LineHeight(font);
    Ensure(height);
    painter_.save();
    painter_.setFont(font);
    if (red) painter_.setPen(Qt::red);
    for (int i = 0; i < cells.size(); ++i) {
      const int left = static_cast<int>(stops[static_cast<std::size_t>(i)] * area_.width());
      const int right =
          i + 1 < cells.size()
              ? static_cast<int>(stops[static_cast<std::size_t>(i) + 1] * area_.width())
              : area_.width();
      painter_.drawText(QRect(left, y_, right - left, height), Qt::AlignLeft | Qt::AlignVCenter,
                        cells[i]);
    }
    painter_.restore();
    y_ += height;
  }

  // A coloured circle and a text, as the main window draws its lamps.
  void Lamp(const QString& text, bool fault) {
    const int height = LineHeight(body_);
    Ensure(height);
    painter_.save();
    painter_.setBrush(fault ? QColor(255, 0, 0) : QColor(0, 255, 0));
    painter_.setPen(Qt::black);
    const int d = height * 6 / 10;
    painter_.drawEllipse(QRect(0, y_ + (height - d) / 2, d, d));
    painter_.setFont(body_);
    if (fault) painter_.setPen(Qt::red);
    painter_.drawText(QRect(d * 2, y_, area_.width() - d * 2, height),
                      Qt::AlignLeft | Qt::AlignVCenter, text);
    painter_.restore();
    y_ += height;
  }

  void Picture(const QPixmap& pixmap) {
    const int width = area_.width();
    const int height = PictureHeight(pixmap);
    Ensure(height);
    painter_.drawPixmap(QRect(0, y_, width, height), pixmap);
    y_ += height + gap_;
  }

 private:
  int LineHeight(const QFont& font) const {
    return QFontMetrics(font, &writer_).height() * 115 / 100;
  }

  void Text(const QString& text, const QFont& font, int after) {
    const int height = LineHeight(font);
    Ensure(height);
    painter_.setFont(font);
    painter_.drawText(QRect(0, y_, area_.width(), height), Qt::AlignLeft | Qt::AlignVCenter, text);
    y_ += height + after;
  }

  void Ensure(int height) {
    if (y_ + height <= area_.height() - LineHeight(body_) * 2) return;
    writer_.newPage();
    ++page_;
    y_ = 0;
    DrawFooter();
  }

  void DrawFooter() {
    painter_.save();
    painter_.setFont(body_);
    const int height = LineHeight(body_);
    painter_.drawText(QRect(0, area_.height() - height, area_.width(), height), Qt::AlignRight,
                      Q(monitor_text::Page.In(language_)).arg(page_));
    painter_.restore();
  }

  QPdfWriter& writer_;
  QPainter& painter_;
  Language language_;
  QRect area_;
  QFont body_;
  QFont heading_;
  QFont title_;
  QFont table_;
  QFont mono_;
  int gap_ = 0;
  int y_ = 0;
  int page_ = 1;
};

QString SetPointStateText(SetPointState state, Language language) {
  using namespace monitor_text;
  switch (state) {
    case SetPointState::AwaitingAck:
      return Q(AwaitingAck.In(language));
    case SetPointState::AwaitingReply:
      return Q(AwaitingReply.In(language));
    case SetPointState::Refused:
      return Q(Refused.In(language));
    case SetPointState::Confirmed:
      return Q(Confirmed.In(language));
    case SetPointState::Mismatch:
      return Q(Mismatch.In(language));
    case SetPointState::None:
      break;
  }
  return {};
}

QPixmap TrendPicture(const MonitorModel& model, Language language) {
  TrendChart chart;
  chart.SetLanguage(language);
  chart.resize(1100, 560);
  // The chart lays itself out through posted events, which no event loop delivers here.
  QCoreApplication::sendPostedEvents();
  chart.grab();  // so the reduction knows the plot's real width
  chart.Update(model.Trends(), TrendRange::LastHour);
  QCoreApplication::sendPostedEvents();
  return chart.grab();
}

void WriteHeading(ReportPage& page, const MonitorModel& model, Language language) {
  using namespace monitor_text;
  const LocalDateTime now = model.GetClock().Now();
  page.Title(Q(ReportTitle.In(language)));
  page.Line(Q(ReportDate.In(language)) + Q(FormatDisplayTime(now)));
  page.Line(Q(ReportUnit.In(language)) + Q(UnitTypeName(model.Kind(), language)));
  page.Line(Q(ReportPort.In(language)) + Q(model.PortDescription()));
}

void WriteLatestValues(ReportPage& page, const MonitorModel& model, Language language) {
  using namespace monitor_text;
  const auto& latest = model.Trends().Latest();
  page.Heading(Q(LatestValues.In(language)));
  if (!latest) {
    page.Line(Q(NoData.In(language)));
  } else {
    page.Line(Q(LatestAt.In(language)) + Q(FormatDisplayTime(latest->time)) + "  (" +
              Q(UnitTypeName(latest->kind, language)) + ")");
    for (std::size_t slot = 0; slot < ValueCount; ++slot) {
      const ValueName& name = ValueNameFor(latest->kind, slot);
      const auto& value = latest->values[slot];
      page.Row({Q(name.Name(language)),
                value ? QString::number(*value) + " " + Q(name.unit) : QStringLiteral("--")},
               {0.0, 0.45});
    }
    page.Heading(Q(LampStates.In(language)));
    for (const NamedBit& bit : NamedBits()) {
      if (!bit.AppliesTo(latest->kind)) continue;
      const bool fault = bit.IsFault(latest->statusByte, latest->alarmByte1, latest->alarmByte2);
      const TextPair& state = bit.FaultWhenSet() ? (fault ? LampAlarm : LampNormal)
                                                 : (fault ? LampStopped : LampRunning);
      page.Lamp(Q(bit.LampName(language)) + ": " + Q(state.In(language)), fault);
    }
  }
}

void WriteSetPoints(ReportPage& page, const MonitorModel& model, Language language) {
  using namespace monitor_text;
  page.Heading(Q(SetPointsSent.In(language)));
  const SetPointCheck& setPoints = model.SetPoints();
  if (!setPoints.LastSent()) {
    page.Line(Q(NothingSent.In(language)));
  } else {
    const SentSetPoints& sent = *setPoints.LastSent();
    page.Line(Q(UnitTypeName(sent.kind, language)) + ", " + Q(SentAt.In(language)) +
                  Q(FormatDisplayTime(sent.sentAt)) + ", " +
                  SetPointStateText(setPoints.State(), language),
              setPoints.State() == SetPointState::Mismatch ||
                  setPoints.State() == SetPointState::Refused);
    for (std::size_t i = 0; i < sent.values.size(); ++i) {
      page.Row({Q(ParameterFieldName(sent.kind, i).In(language)), QString::number(sent.values[i])},
               {0.0, 0.45});
    }
    for (const SetPointComparison& comparison : setPoints.LastComparison()) {
      page.Line(Q(SetPointCheck::FormatLine(sent.kind, comparison, language)),
                !comparison.Matches());
    }
  }
}

void WriteLinkHealth(ReportPage& page, const MonitorModel& model, Language language) {
  using namespace monitor_text;
  page.Heading(Q(LinkHealth.In(language)));
  const LinkFigures link = model.Link();
  for (const LinkFigureRow& row : LinkFigureRows(link, language)) {
    page.Row({Q(row.caption.In(language)), row.value ? Q(*row.value) : QStringLiteral("--")},
             {0.0, 0.45});
  }
}

void WriteAlarmHistory(ReportPage& page, const MonitorModel& model, Language language) {
  using namespace monitor_text;
  page.Heading(Q(AlarmHistory.In(language)));
  const auto& alarms = model.Alarms().Entries();
  if (alarms.empty()) {
    page.Line(Q(NoAlarms.In(language)));
  } else {
    // Columns as wide as their widest text; the alarm name takes what is left.
    const double unit = page.Fraction(Q(UnitTypeName(DeviceKind::AirConditioner, language)) + "  ");
    const double time = page.Fraction("2024-05-01 00:00:00  ");
    const double duration = page.Fraction("00:00:00  ");
    const double name = 1.0 - unit - 3 * time - duration;
    const std::vector<double> stops = {0.0,
                                       name,
                                       name + unit,
                                       name + unit + time,
                                       name + unit + 2 * time,
                                       name + unit + 2 * time + duration};
    QStringList titles;
    for (int column = 0; column < AlarmTableModel::ColumnCount; ++column) {
      titles << Q(AlarmTableModel::ColumnTitle(column).In(language));
    }
    page.Row(titles, stops, true, false, true);
    const std::int64_t nowMs = model.GetClock().MonotonicMs();
    for (auto it = alarms.rbegin(); it != alarms.rend(); ++it) {
      const bool urgent = it->Active() && !it->Acknowledged();
      page.Row({Q(it->Name(language)), Q(UnitTypeName(it->kind, language)),
                Q(FormatDisplayTime(it->raisedAt)),
                it->clearedAt ? Q(FormatDisplayTime(*it->clearedAt)) : Q(StillActive.In(language)),
                Q(FormatDuration(it->DurationMs(nowMs))),
                it->acknowledgedAt ? Q(FormatDisplayTime(*it->acknowledgedAt)) : QString()},
               stops, urgent, urgent, true);
    }
  }
}

}  // namespace

QString ServiceReportFileName(const MonitorModel& model) {
  return "ServiceReport " + Q(FormatLogFileStem(model.GetClock().Now())) + ".pdf";
}

bool WriteServiceReport(const MonitorModel& model, Language language, const QString& path,
                        QString& error) {
  using namespace monitor_text;
  const QPixmap trend = TrendPicture(model, language);

  QPdfWriter writer(path);
  writer.setTitle(Q(ReportTitle.In(language)));
  writer.setCreator("Cabinet Climate Console");
  writer.setResolution(200);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
  QPainter painter;
  if (!painter.begin(&writer)) {
    error = QStringLiteral("Unable to write to ") + path;
    return false;
  }
  ReportPage page(writer, painter, language);
  WriteHeading(page, model, language);
  WriteLatestValues(page, model, language);
  WriteSetPoints(page, model, language);
  WriteLinkHealth(page, model, language);
  page.Heading(Q(TrendLastHour.In(language)), page.PictureHeight(trend));
  page.Picture(trend);
  WriteAlarmHistory(page, model, language);
  page.Heading(Q(MemoLines.In(language)));
  for (const std::string& line : model.MemoLines()) page.MonoLine(Q(line));

  if (!painter.end()) {
    error = QStringLiteral("Unable to write to ") + path;
    return false;
  }
  const QFileInfo written(path);
  if (!written.exists() || written.size() == 0) {
    error = QStringLiteral("Unable to write to ") + path;
    return false;
  }
  error.clear();
  return true;
}

}  // namespace climate
