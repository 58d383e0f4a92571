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
#include <QRegularExpression>

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

  struct TableRow {
    QStringList cells;
    bool urgent = false;  // bold red
  };

  // A table whose columns are as wide as their widest cell (the header's included, in the font
  // each is drawn in). Where the page is too narrow for that, the widest columns give way first
  // and their cells wrap over several lines; the header is repeated on every page the table
  // runs onto.
  void Table(const QStringList& titles, const std::vector<TableRow>& rows) {
    const std::vector<int> widths = ColumnWidths(titles, rows);
    const TableRow header{titles, false};
    const int headerHeight = RowHeight(header, widths, true);
    // The header never stands alone at the foot of a page.
    Ensure(headerHeight + (rows.empty() ? 0 : RowHeight(rows.front(), widths, false)));
    DrawRow(header, widths, true, headerHeight);
    for (const TableRow& row : rows) {
      const int height = RowHeight(row, widths, false);
      if (Ensure(height)) DrawRow(header, widths, true, headerHeight);
      DrawRow(row, widths, false, height);
    }
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

  // Wrapped between words; a word wider than its column (a long name without blanks) is broken
  // where it must be, never drawn over the next column.
  static int CellFlags(const QString& text, int width, const QFontMetrics& metrics) {
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
      if (metrics.horizontalAdvance(word) > width) return flags | Qt::TextWrapAnywhere;
    }
    return flags;
  }

  QFont TableFont(bool bold) const {
    QFont font = table_;
    font.setBold(bold);
    return font;
  }
  int CellGap() const { return QFontMetrics(table_, &writer_).horizontalAdvance("  "); }

  // The pieces a cell may not be broken inside: its words, a date with its time, a number of
  // days with its time.
  static QStringList Unbreakable(const QString& text) {
    static const QRegularExpression pieces(
        R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}|\d+d \d{2}:\d{2}:\d{2}|\S+)");
    QStringList list;
    for (auto it = pieces.globalMatch(text); it.hasNext();) list << it.next().captured(0);
    return list;
  }

  // Columns whose widest cell fits a fair share of the page get it; the others share what is
  // left in proportion to their widest cells, never narrower than their widest piece.
  std::vector<int> ColumnWidths(const QStringList& titles, const std::vector<TableRow>& rows) {
    const auto columns = static_cast<std::size_t>(titles.size());
    std::vector<int> natural(columns, 0);  // the widest cell on one line
    std::vector<int> least(columns, 0);    // the widest piece, below which a cell cannot wrap
    // Measured as the painter lays the text out, so that what fits here fits when drawn.
    painter_.save();
    const auto width = [this](const QString& text) {
      return painter_
          .boundingRect(QRect(0, 0, area_.width() * 8, area_.height()),
                        Qt::AlignLeft | Qt::AlignTop, text)
          .width();
    };
    const auto measure = [&](const QStringList& cells, bool bold) {
      painter_.setFont(TableFont(bold));
      for (std::size_t c = 0; c < columns && c < static_cast<std::size_t>(cells.size()); ++c) {
        const QString& text = cells[static_cast<qsizetype>(c)];
        natural[c] = std::max(natural[c], width(text));
        for (const QString& piece : Unbreakable(text)) least[c] = std::max(least[c], width(piece));
      }
    };
    measure(titles, true);
    for (const TableRow& row : rows) measure(row.cells, row.urgent);
    painter_.restore();
    const int gap = CellGap();
    // A little room beyond the text, so that rounding never pushes a last letter onto a new line.
    const int slack = gap / 4 + 2;
    for (std::size_t c = 0; c < columns; ++c) {
      natural[c] += gap + slack;
      // A piece wider than a third of the page (a long name without blanks) may break anywhere.
      least[c] = std::min(least[c], area_.width() / 3) + gap + slack;
    }

    std::vector<int> widths(columns, 0);
    std::vector<bool> settled(columns, false);
    int left = area_.width();
    for (bool changed = true; changed;) {
      changed = false;
      std::size_t open = 0;
      for (std::size_t c = 0; c < columns; ++c) open += settled[c] ? 0 : 1;
      if (open == 0) break;
      const int share = left / static_cast<int>(open);
      for (std::size_t c = 0; c < columns; ++c) {
        if (settled[c] || natural[c] > share) continue;
        widths[c] = natural[c];
        left -= natural[c];
        settled[c] = true;
        changed = true;
      }
    }
    long long wide = 0;
    for (std::size_t c = 0; c < columns; ++c) wide += settled[c] ? 0 : natural[c];
    for (std::size_t c = 0; c < columns; ++c) {
      if (settled[c]) continue;
      widths[c] = std::max(least[c], static_cast<int>(natural[c] * left / std::max(1LL, wide)));
    }
    // The wide columns' pieces may not fit what was left: columns with room above their widest
    // piece give way in proportion to that room; only when none has room does every column
    // shrink, and its pieces break.
    int total = 0;
    for (int w : widths) total += w;
    long long room = 0;
    for (std::size_t c = 0; c < columns; ++c) room += std::max(0, widths[c] - least[c]);
    if (total > area_.width() && room > 0) {
      const long long excess = std::min<long long>(total - area_.width(), room);
      for (std::size_t c = 0; c < columns; ++c) {
        const long long spare = std::max(0, widths[c] - least[c]);
        const int cut = static_cast<int>((spare * excess + room - 1) / room);
        widths[c] -= std::min<int>(cut, static_cast<int>(spare));
        total -= std::min<int>(cut, static_cast<int>(spare));
      }
    }
    if (total > area_.width()) {
      for (int& w : widths) w = static_cast<int>(static_cast<long long>(w) * area_.width() / total);
    } else {
      widths[0] += area_.width() - total;  // the first column (the name) takes what is left
    }
    return widths;
  }

  // As high as the row's tallest cell.
  int RowHeight(const TableRow& row, const std::vector<int>& widths, bool header) {
    const QFont font = TableFont(header || row.urgent);
    painter_.save();
    painter_.setFont(font);
    const int gap = CellGap();
    int height = LineHeight(font);
    for (std::size_t c = 0; c < widths.size() && c < static_cast<std::size_t>(row.cells.size());
         ++c) {
      const QString& text = row.cells[static_cast<qsizetype>(c)];
      const QRect box(0, 0, std::max(1, widths[c] - gap), area_.height());
      const QRect needed =
          painter_.boundingRect(box, CellFlags(text, box.width(), painter_.fontMetrics()), text);
      height =
          std::max(height, needed.height() + LineHeight(font) - painter_.fontMetrics().height());
    }
    painter_.restore();
    return height;
  }

  void DrawRow(const TableRow& row, const std::vector<int>& widths, bool header, int height) {
    painter_.save();
    painter_.setFont(TableFont(header || row.urgent));
    const int gap = CellGap();
    if (row.urgent) painter_.setPen(Qt::red);
    int left = 0;
    for (std::size_t c = 0; c < widths.size() && c < static_cast<std::size_t>(row.cells.size());
         ++c) {
      const QString& text = row.cells[static_cast<qsizetype>(c)];
      const QRect box(left, y_, std::max(1, widths[c] - gap), height);
      painter_.drawText(box, CellFlags(text, box.width(), painter_.fontMetrics()), text);
      left += widths[c];
    }
    if (header) {
      painter_.setPen(QPen(Qt::black, 0));
      painter_.drawLine(0, y_ + height - 1, area_.width(), y_ + height - 1);
    }
    painter_.restore();
    y_ += height;
  }

  void Text(const QString& text, const QFont& font, int after) {
    const int height = LineHeight(font);
    Ensure(height);
    painter_.setFont(font);
    painter_.drawText(QRect(0, y_, area_.width(), height), Qt::AlignLeft | Qt::AlignVCenter, text);
    y_ += height + after;
  }

  // True when the block did not fit and a new page began.
  bool Ensure(int height) {
    if (y_ + height <= area_.height() - LineHeight(body_) * 2) return false;
    writer_.newPage();
    ++page_;
    y_ = 0;
    DrawFooter();
    return true;
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

constexpr std::size_t StateChangesInReport = 50;

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
  const MonitorSettings& settings = model.Settings();
  const auto given = [language](const std::optional<std::string>& text) {
    return text && !text->empty() ? Q(*text) : Q(NotGiven.In(language));
  };
  page.Line(Q(ReportSite.In(language)) + given(settings.site));
  page.Line(Q(ReportCabinet.In(language)) + given(settings.cabinet));
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

// The history's rows, newest first, with the columns of the Monitor's table; at most `limit`.
std::vector<ReportPage::TableRow> HistoryRows(const std::vector<AlarmEntry>& entries, bool alarms,
                                              Language language, std::int64_t nowMs,
                                              std::size_t limit) {
  std::vector<ReportPage::TableRow> rows;
  const int columns = alarms ? AlarmTableModel::ColumnCount : AlarmTableModel::AckColumn;
  for (auto it = entries.rbegin(); it != entries.rend() && rows.size() < limit; ++it) {
    ReportPage::TableRow row;
    for (int column = 0; column < columns; ++column) {
      row.cells << AlarmTableModel::CellText(*it, column, language, nowMs);
    }
    row.urgent = alarms && !it->IsEvent() && it->Active() && !it->Acknowledged();
    rows.push_back(std::move(row));
  }
  return rows;
}

QStringList HistoryTitles(AlarmTableModel::List list, int columns, Language language) {
  QStringList titles;
  for (int column = 0; column < columns; ++column) {
    titles << Q(AlarmTableModel::ColumnTitle(column, list).In(language));
  }
  return titles;
}

void WriteAlarmHistory(ReportPage& page, const MonitorModel& model, Language language) {
  using namespace monitor_text;
  const std::int64_t nowMs = model.GetClock().MonotonicMs();
  page.Heading(Q(AlarmHistory.In(language)));
  const auto& alarms = model.Alarms().Entries();
  if (alarms.empty()) {
    page.Line(Q(NoAlarms.In(language)));
  } else {
    page.Table(HistoryTitles(AlarmTableModel::List::AlarmsAndEvents, AlarmTableModel::ColumnCount,
                             language),
               HistoryRows(alarms, true, language, nowMs, alarms.size()));
  }
  // The running states are no alarms; the latest of their changes follow, plain.
  const auto& states = model.Alarms().StateChanges();
  if (states.empty()) return;
  page.Heading(Q(StateChangesLatest.In(language)));
  page.Table(
      HistoryTitles(AlarmTableModel::List::StateChanges, AlarmTableModel::AckColumn, language),
      HistoryRows(states, false, language, nowMs, StateChangesInReport));
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
