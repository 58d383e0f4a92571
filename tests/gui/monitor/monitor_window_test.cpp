// The Monitor window offscreen in both languages, fed with replies through the real receive path:
// the pages, the alarm table and its acknowledgement, the CSV switch and its INI key, the stale
// figure and the service report file.
#include "monitor/monitor_window.hpp"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "../../unit/monitor/monitor_test_support.hpp"
#include "app/config/ini_file.hpp"
#include "console/prompts.hpp"
#include "monitor/alarm_table_model.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/trend_chart.hpp"
#include "protocol/receive.hpp"
#include "protocol/unit_bits.hpp"
#include "support/frames.hpp"

namespace climate {
namespace {

template <typename T>
T* Find(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QString LabelText(const QWidget& parent, const char* name) {
  QLabel* label = Find<QLabel>(parent, name);
  return label ? label->text() : QString();
}

// Runs the event loop until no refresh of the window is waiting on its timer, so whatever a
// change was going to redraw has been redrawn.
::testing::AssertionResult RefreshesSettled(const QWidget& window) {
  const QList<QTimer*> timers = window.findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
  if (timers.isEmpty()) return ::testing::AssertionFailure() << "no refresh timer";
  const auto idle = [&] {
    return std::none_of(timers.begin(), timers.end(), [](QTimer* t) { return t->isActive(); });
  };
  if (QTest::qWaitFor(idle, 5000)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "a refresh is still waiting";
}

// Answers the text questions from a list, in order; a question beyond the list is cancelled.
class ScriptedPrompts final : public Prompts {
 public:
  std::vector<std::string> answers;
  std::vector<std::string> asked;  // the prompts, in order
  void Message(const std::string&, const std::string&) override {}
  bool Confirm(const std::string&, const std::string&) override { return true; }
  bool InputText(const std::string&, const std::string& prompt, std::string& value, char,
                 const std::string&, const std::string&) override {
    asked.push_back(prompt);
    if (asked.size() > answers.size()) return false;
    value = answers[asked.size() - 1];
    return true;
  }
};

// One word of a PDF page as a reader lays it out, in points.
struct PdfWord {
  QRectF box;
  QString text;
  int page = 0;
};

// Every word of the PDF with its box (pdftotext -bbox); empty when no reader is installed.
std::vector<PdfWord> PdfWords(const QString& path) {
  const QString reader = QStandardPaths::findExecutable("pdftotext");
  if (reader.isEmpty()) return {};
  QProcess process;
  process.start(reader, {"-bbox", path, "-"});
  if (!process.waitForFinished(30000)) return {};
  const QString html = QString::fromUtf8(process.readAllStandardOutput());
  std::vector<PdfWord> words;
  int page = 0;
  static const QRegularExpression item(
      R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (auto it = item.globalMatch(html); it.hasNext();) {
    const auto match = it.next();
    if (match.captured(0).startsWith("<page")) {
      ++page;
      continue;
    }
    const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
    const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
    words.push_back({QRectF(topLeft, bottomRight), match.captured(5), page});
  }
  return words;
}

// Pairs of words of one page whose boxes overlap: text drawn over text.
std::vector<std::string> Overlaps(const std::vector<PdfWord>& words) {
  std::vector<std::string> found;
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (std::size_t j = i + 1; j < words.size(); ++j) {
      if (words[i].page != words[j].page) continue;
      const QRectF common = words[i].box.intersected(words[j].box);
      if (common.width() > 0.5 && common.height() > 0.5) {
        found.push_back(words[i].text.toStdString() + " / " + words[j].text.toStdString());
      }
    }
  }
  return found;
}

bool HasWord(const std::vector<PdfWord>& words, const QString& text) {
  return std::any_of(words.begin(), words.end(), [&](const PdfWord& w) { return w.text == text; });
}

class MonitorWindowTest : public ::testing::Test {
 protected:
  MonitorWindowTest() : model_(clock_, folder_.Path("records")) {
    clock_.Set(test::At(2024, 5, 1, 10, 0, 0));
    std::ofstream(ConfigPath(), std::ios::binary) << "[UserSet]\r\nMaxLine=300\r\n";
    window_ = std::make_unique<MonitorWindow>(model_, QString::fromStdString(ConfigPath()),
                                              QString::fromStdString(folder_.Path("")));
  }

  std::string ConfigPath() const { return folder_.Path("UserSet.INI"); }

  // One reply through ProcessReply and into the Monitor, as the main window does it.
  void Receive(const Bytes& frame, DeviceKind kind = DeviceKind::AirConditioner) {
    ReceiveContext context;
    context.protocol = &protocol_;
    context.kind = kind;
    context.language = window_->CurrentLanguage();
    context.now = clock_.Now();
    model_.OnReply(ProcessReply(frame, context), context);
  }

  void Poll(std::uint8_t alarm1 = 0, std::uint8_t status = 0x1F) {
    model_.OnRequestSent(test::RealTimeRequest, protocol_);
    clock_.AdvanceMs(120);
    Receive(test::RealTimeReply(25, 31, 58, 221, {32, 0, 5, 0, 55, 0}, status, alarm1, 0));
  }

  void Advance(std::int64_t ms) {
    clock_.AdvanceMs(ms);
    LocalDateTime now = clock_.Now();
    const std::int64_t seconds = now.second + now.minute * 60 + now.hour * 3600 + ms / 1000;
    now.second = static_cast<int>(seconds % 60);
    now.minute = static_cast<int>(seconds / 60 % 60);
    now.hour = static_cast<int>(seconds / 3600 % 24);
    clock_.Set(now);
  }

  test::ScratchFolder folder_;
  FakeClock clock_;
  ProtocolSettings protocol_ = DefaultProtocolSettings();
  MonitorModel model_;
  std::unique_ptr<MonitorWindow> window_;
};

TEST_F(MonitorWindowTest, PagesAndTextsFollowTheLanguage) {
  auto* tabs = Find<QTabWidget>(*window_, "MonitorTabs");
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(window_->windowTitle(), "Monitor");
  EXPECT_EQ(tabs->tabText(0), "Trends");
  EXPECT_EQ(tabs->tabText(3), "Link health");
  EXPECT_EQ(Find<QPushButton>(*window_, "ServiceReportButton")->text(), "Service Report (&R)");
  EXPECT_EQ(window_->AlarmTable()->headerData(AlarmTableModel::RaisedColumn, Qt::Horizontal),
            "Raised at");

  Poll(0x01);
  window_->SetLanguage(Language::Chinese);
  EXPECT_EQ(window_->windowTitle(), "监视");
  EXPECT_EQ(tabs->tabText(0), "趋势");
  EXPECT_EQ(tabs->tabText(1), "数据记录");
  EXPECT_EQ(tabs->tabText(2), "告警历史");
  EXPECT_EQ(Find<QPushButton>(*window_, "AcknowledgeButton")->text(), "确认(&K)");
  EXPECT_EQ(Find<QComboBox>(*window_, "TrendRange")->itemText(0), "最近10分钟");
  EXPECT_EQ(window_->AlarmTable()->headerData(AlarmTableModel::RaisedColumn, Qt::Horizontal),
            "发生时间");
  EXPECT_EQ(window_->AlarmTable()->index(0, AlarmTableModel::NameColumn).data(), "高温告警");
  EXPECT_EQ(window_->Chart()->Series(0)->name(), "室内温度");
  EXPECT_EQ(LabelText(*window_, "LinkValues"), "实时");

  window_->SetLanguage(Language::English);
  EXPECT_EQ(window_->AlarmTable()->index(0, AlarmTableModel::NameColumn).data(),
            "High temperature alarm");
  EXPECT_EQ(window_->Chart()->Series(3)->name(), "Cooling off point");
}

TEST_F(MonitorWindowTest, AlarmTableShowsTransitionsAndAcknowledgementRemovesTheEmphasis) {
  Poll();
  Advance(2000);
  Poll(0x01);  // high temperature alarm
  Advance(2000);
  Poll(0x03);  // low temperature too
  Advance(5000);
  Poll(0x02);  // high temperature cleared after 7 seconds
  window_->Refresh(AllChanged);

  AlarmTableModel* table = window_->AlarmTable();
  ASSERT_EQ(table->rowCount(), 2);
  // Newest first.
  EXPECT_EQ(table->index(0, AlarmTableModel::NameColumn).data(), "Low temperature alarm");
  EXPECT_EQ(table->index(0, AlarmTableModel::ClearedColumn).data(), "active");
  EXPECT_EQ(table->index(1, AlarmTableModel::NameColumn).data(), "High temperature alarm");
  EXPECT_EQ(table->index(1, AlarmTableModel::RaisedColumn).data(), "2024-05-01 10:00:02");
  EXPECT_EQ(table->index(1, AlarmTableModel::ClearedColumn).data(), "2024-05-01 10:00:09");
  EXPECT_EQ(table->index(1, AlarmTableModel::DurationColumn).data(), "00:00:07");
  EXPECT_EQ(table->index(0, AlarmTableModel::UnitColumn).data(), "Air conditioner");

  // Only the unacknowledged active alarm is bold red.
  const QModelIndex active = table->index(0, AlarmTableModel::NameColumn);
  EXPECT_TRUE(active.data(Qt::FontRole).value<QFont>().bold());
  EXPECT_EQ(active.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
  EXPECT_FALSE(table->index(1, 0).data(Qt::FontRole).isValid());
  EXPECT_EQ(LabelText(*window_, "AlarmSummary"), "Active alarms: 1, unacknowledged: 1");

  Advance(1000);
  auto* view = Find<QTableView>(*window_, "AlarmTable");
  view->selectRow(0);
  QTest::mouseClick(Find<QPushButton>(*window_, "AcknowledgeButton"), Qt::LeftButton);
  EXPECT_EQ(table->index(0, AlarmTableModel::AckColumn).data(), "2024-05-01 10:00:10");
  EXPECT_FALSE(table->index(0, 0).data(Qt::FontRole).isValid());
  EXPECT_TRUE(table->index(1, AlarmTableModel::AckColumn).data().toString().isEmpty());
  EXPECT_EQ(LabelText(*window_, "AlarmSummary"), "Active alarms: 1, unacknowledged: 0");

  // A new alarm joins at the top; the selection stays with its row.
  Poll(0x82);
  window_->Refresh(AllChanged);
  ASSERT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->index(0, AlarmTableModel::NameColumn).data(), "Sensor fault");
  EXPECT_EQ(view->selectionModel()->selectedRows().value(0).row(), 1);

  // With nothing selected the button acknowledges everything.
  view->clearSelection();
  QTest::mouseClick(Find<QPushButton>(*window_, "AcknowledgeButton"), Qt::LeftButton);
  EXPECT_EQ(model_.Alarms().UnacknowledgedActiveCount(), 0u);
}

TEST_F(MonitorWindowTest, RecordSwitchWritesRowsAndRemembersItselfInTheIniFile) {
  Poll();  // before the switch: not recorded
  auto* record = Find<QCheckBox>(*window_, "RecordSwitch");
  ASSERT_NE(record, nullptr);
  EXPECT_FALSE(record->isChecked());
  record->setChecked(true);
  EXPECT_TRUE(IniFile::Load(ConfigPath()).ReadBool("Monitor", "Record", false));
  EXPECT_EQ(IniFile::Load(ConfigPath()).ReadInteger("UserSet", "MaxLine", 0), 300);

  Advance(2000);
  Poll();
  Advance(2000);
  Poll(0x01);
  window_->Refresh(AllChanged);
  const std::string csv = folder_.Path("records/2024-05-01.csv");
  const auto lines = test::CsvLines(csv);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].substr(0, 36), "2024-05-01T10:00:04,Air conditioner,");
  EXPECT_EQ(LabelText(*window_, "RecordRows"), "2");
  EXPECT_TRUE(LabelText(*window_, "RecordFile").endsWith("2024-05-01.csv"));
  EXPECT_EQ(LabelText(*window_, "RecordError"), "none");

  record->setChecked(false);
  Poll();
  EXPECT_EQ(test::CsvLines(csv).size(), 3u);
  EXPECT_FALSE(IniFile::Load(ConfigPath()).ReadBool("Monitor", "Record", true));
}

TEST_F(MonitorWindowTest, SettingThatCannotBeSavedIsShownNotLost) {
  std::filesystem::remove(ConfigPath());
  Find<QCheckBox>(*window_, "RecordSwitch")->setChecked(true);
  EXPECT_TRUE(model_.Recording());  // works for this run
  EXPECT_TRUE(LabelText(*window_, "SettingsError").startsWith("Setting not saved: "));
  EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
}

TEST_F(MonitorWindowTest, LinkPageShowsFiguresAndTheStaleDecision) {
  model_.SetPeriodic(true, 2000);
  Poll();
  Bytes damaged = test::RealTimeReply(25, 31, 58, 221, {32, 0, 5, 0, 55, 0}, 0x1F, 0, 0);
  damaged[4] ^= 0xFF;
  Receive(damaged);
  model_.OnFramerCounters({3, 11, 1});
  window_->Refresh(AllChanged);
  EXPECT_EQ(LabelText(*window_, "LinkValues"), "live");
  EXPECT_EQ(LabelText(*window_, "LinkMode"), "periodic, every 2000 ms");
  EXPECT_EQ(LabelText(*window_, "LinkRepliesReceived"), "2");
  EXPECT_EQ(LabelText(*window_, "LinkChecksumErrors"), "1");
  EXPECT_EQ(LabelText(*window_, "LinkFramerBytes"), "11");
  EXPECT_EQ(LabelText(*window_, "LinkLastLatency"), "120 ms");

  Advance(6100);
  window_->Refresh(LinkChanged);
  EXPECT_EQ(LabelText(*window_, "LinkValues"), "stale (shown grey)");
  EXPECT_EQ(LabelText(*window_, "LinkLastGoodAge"), "00:00:06");
  Poll();
  window_->Refresh(LinkChanged);
  EXPECT_EQ(LabelText(*window_, "LinkValues"), "live");
}

TEST_F(MonitorWindowTest, ThePageInViewFollowsTheFeedAndTheOthersCatchUpWhenTurnedTo) {
  auto* tabs = Find<QTabWidget>(*window_, "MonitorTabs");
  tabs->setCurrentIndex(2);  // alarm history
  window_->show();
  Poll(0x01);
  QTRY_COMPARE_WITH_TIMEOUT(window_->AlarmTable()->rowCount(), 1, 5000);
  // The link page was not in view: it is brought up to date when turned to.
  ASSERT_TRUE(RefreshesSettled(*window_));
  EXPECT_EQ(LabelText(*window_, "LinkGoodReplies"), "0");
  tabs->setCurrentIndex(3);
  EXPECT_EQ(LabelText(*window_, "LinkGoodReplies"), "1");

  window_->hide();
  Advance(2000);
  Poll(0x03);
  ASSERT_TRUE(RefreshesSettled(*window_));  // a hidden window does not redraw
  EXPECT_EQ(LabelText(*window_, "LinkGoodReplies"), "1");
  window_->show();
  EXPECT_EQ(LabelText(*window_, "LinkGoodReplies"), "2");
  EXPECT_EQ(window_->AlarmTable()->rowCount(), 2);
}

TEST_F(MonitorWindowTest, TrendRangesReduceADayToAFewPointsPerPixel) {
  window_->resize(900, 600);
  window_->show();
  // A day of 2-second samples, fed straight into the model.
  for (int i = 0; i < 43200; ++i) {
    RealTimeSample sample = test::Sample(DeviceKind::HeatExchanger, std::int64_t{i} * 2000);
    sample.time = test::At(2024, 5, 1, i * 2 / 3600, i * 2 / 60 % 60, i * 2 % 60);
    sample.values[IndoorTemperatureSlot] = 20 + (i / 100) % 15 + i % 2;
    model_.OnRealTime(sample, Language::English);
  }
  auto* range = Find<QComboBox>(*window_, "TrendRange");
  range->setCurrentIndex(static_cast<int>(TrendRange::WholeRun));
  TrendChart* chart = window_->Chart();
  const auto shown = chart->Series(0)->count();
  EXPECT_GT(shown, 200);
  EXPECT_LE(shown, 2 * 900 + 1);  // at most two points for every pixel column
  EXPECT_EQ(chart->TimeLabels(),
            (QStringList{"00:00", "04:00", "08:00", "12:00", "16:00", "20:00"}));
  EXPECT_EQ(chart->Series(3)->name(), "External fan adjust point");
  EXPECT_EQ(IniFile::Load(ConfigPath()).ReadInteger("Monitor", "TrendRange", -1), 2);

  range->setCurrentIndex(static_cast<int>(TrendRange::LastTenMinutes));
  // Ten minutes hold 301 samples, every one shown, with the one that leads the line in (and at
  // most one more where the first bucket reaches back past the range).
  EXPECT_GE(chart->Series(0)->count(), 302);
  EXPECT_LE(chart->Series(0)->count(), 303);
  EXPECT_EQ(chart->TimeLabels().front(), "23:50:00");
  EXPECT_EQ(chart->TimeLabels().back(), "23:58:00");
  EXPECT_EQ(model_.Trends().Size(), 43200u);  // the full data stays
}

TEST_F(MonitorWindowTest, WholeRunRedrawsOnlyForVisibleChangesButNeverMissesOne) {
  window_->resize(900, 600);
  window_->show();
  Find<QComboBox>(*window_, "TrendRange")->setCurrentIndex(static_cast<int>(TrendRange::WholeRun));
  auto feed = [this](int i, int indoor) {
    RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, std::int64_t{i} * 2000);
    sample.time = test::At(2024, 5, 1, i * 2 / 3600, i * 2 / 60 % 60, i * 2 % 60);
    sample.values[IndoorTemperatureSlot] = indoor;
    model_.OnRealTime(sample, Language::English);
    window_->Refresh(TrendChanged);
  };
  for (int i = 0; i < 20000; ++i) feed(i, 25);
  TrendChart* chart = window_->Chart();
  const QList<QPointF> before = chart->Series(0)->points();

  // A sample that changes nothing on screen leaves the chart alone...
  feed(20000, 25);
  EXPECT_EQ(chart->Series(0)->points(), before);
  // ...but a spike is there at once, and so is the end of the spike.
  feed(20001, 40);
  auto highest = [chart] {
    double value = 0;
    for (const QPointF& point : chart->Series(0)->points()) value = std::max(value, point.y());
    return value;
  };
  EXPECT_EQ(highest(), 40.0);
  feed(20002, 25);
  EXPECT_EQ(chart->Series(0)->points().back().y(), 25.0);
}

// The pointer on the trend: the wheel zooms the time axis around it, a drag pans, the button or a
// double-click goes back to the chosen range, and a label reads the sample under the pointer.
TEST_F(MonitorWindowTest, TrendZoomsPansResetsAndReadsTheSampleUnderThePointer) {
  window_->resize(900, 600);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  // Two hours of 2-second samples from 08:00:00; the indoor temperature counts the minutes.
  for (int i = 0; i < 3600; ++i) {
    RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, std::int64_t{i} * 2000);
    sample.time = test::At(2024, 5, 1, 8 + i * 2 / 3600, i * 2 / 60 % 60, i * 2 % 60);
    sample.values[IndoorTemperatureSlot] = 10 + i * 2 / 60 % 30;
    model_.OnRealTime(sample, Language::English);
  }
  Find<QComboBox>(*window_, "TrendRange")->setCurrentIndex(static_cast<int>(TrendRange::LastHour));
  window_->Refresh(TrendChanged);
  TrendChart* chart = window_->Chart();
  auto* reset = Find<QPushButton>(*window_, "TrendResetView");
  // The chosen range ends at the newest sample (within the bucket the chart redraws by).
  const auto showsLastHourTo = [chart](double last) {
    const auto [from, to] = chart->VisibleRange();
    return to - from == 3600000 && to <= last && to > last - 20000;
  };
  ASSERT_TRUE(showsLastHourTo(7198000));
  EXPECT_FALSE(reset->isEnabled());

  QWidget* viewport = chart->viewport();
  const QRectF plot = chart->chart()->plotArea();
  const QPoint centre = chart->mapFromScene(chart->chart()->mapToScene(plot.center()));
  const double underPointer = chart->chart()->mapToValue(plot.center(), chart->Series(0)).x();
  const auto wheel = [&](int delta) {
    QWheelEvent event(centre, viewport->mapToGlobal(centre), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
  };
  wheel(240);  // two notches in
  auto [from, to] = chart->VisibleRange();
  EXPECT_NEAR(to - from, 3600000 * 0.64, 2000);
  // The time under the pointer stays there.
  EXPECT_NEAR(chart->chart()->mapToValue(plot.center(), chart->Series(0)).x(), underPointer, 2000);
  EXPECT_TRUE(reset->isEnabled());
  // A zoomed view stays where it was put while samples come.
  RealTimeSample next = test::Sample(DeviceKind::AirConditioner, 7200000);
  next.time = test::At(2024, 5, 1, 10, 0, 0);
  model_.OnRealTime(next, Language::English);
  window_->Refresh(TrendChanged);
  EXPECT_EQ(chart->VisibleRange(), std::pair(from, to));

  // Dragged 200 pixels to the right: earlier samples come into view, the span stays.
  const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, viewport->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  };
  mouse(QEvent::MouseButtonPress, centre, Qt::LeftButton);
  mouse(QEvent::MouseMove, centre + QPoint(100, 0), Qt::LeftButton);
  mouse(QEvent::MouseMove, centre + QPoint(200, 0), Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, centre + QPoint(200, 0), Qt::NoButton);
  const auto [panFrom, panTo] = chart->VisibleRange();
  EXPECT_NEAR(panTo - panFrom, to - from, 1);
  EXPECT_NEAR(from - panFrom, 200 * (to - from) / plot.width(), 2000);

  // The button goes back to the chosen range, now ending at the newest sample.
  QTest::mouseClick(reset, Qt::LeftButton);
  EXPECT_TRUE(showsLastHourTo(7200000));
  EXPECT_FALSE(reset->isEnabled());
  // So does a double-click, and zooming out past the whole run.
  wheel(120);
  EXPECT_TRUE(chart->Zoomed());
  mouse(QEvent::MouseButtonDblClick, centre, Qt::LeftButton);
  EXPECT_FALSE(chart->Zoomed());
  wheel(120);
  wheel(-1200);
  EXPECT_FALSE(chart->Zoomed());
  EXPECT_TRUE(showsLastHourTo(7200000));

  // The readout: the time and every value of the sample nearest the pointer.
  mouse(QEvent::MouseMove, centre, Qt::NoButton);
  const QPointF inChart = chart->chart()->mapFromScene(chart->mapToScene(centre));
  const double at = chart->chart()->mapToValue(inChart, chart->Series(0)).x();
  const int i = static_cast<int>(std::lround(at / 2000));
  ASSERT_TRUE(chart->Readout()->isVisible());
  const QStringList lines = chart->Readout()->text().split('\n');
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0], QString("2024-05-01 %1:%2:%3")
                          .arg(8 + i * 2 / 3600, 2, 10, QChar('0'))
                          .arg(i * 2 / 60 % 60, 2, 10, QChar('0'))
                          .arg(i * 2 % 60, 2, 10, QChar('0')));
  EXPECT_EQ(lines[1], chart->Series(0)->name() + QString(": %1 ℃").arg(10 + i * 2 / 60 % 30));
  EXPECT_EQ(lines[2], chart->Series(1)->name() + ": 30 ℃");
  EXPECT_EQ(lines[3], chart->Series(2)->name() + ": 60 %RH");
  EXPECT_TRUE(lines.contains(chart->Series(3)->name() + ": 32 ℃"));
  // Outside the plot there is nothing to read.
  mouse(QEvent::MouseMove, QPoint(2, 2), Qt::NoButton);
  EXPECT_FALSE(chart->Readout()->isVisible());
  window_->SetLanguage(Language::Chinese);
  EXPECT_EQ(reset->text(), "复位视图");
}

// A fresh run fills the chart instead of sitting at its right edge, and a few samples taken by
// hand are marked one by one; a long run is a plain line over the chosen range.
TEST_F(MonitorWindowTest, FreshRunFillsTheChartAndAFewSamplesAreMarked) {
  window_->resize(900, 600);
  window_->show();
  Find<QComboBox>(*window_, "TrendRange")->setCurrentIndex(static_cast<int>(TrendRange::LastHour));
  const auto feed = [this](std::int64_t ms) {
    RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, ms);
    sample.time = test::At(2024, 5, 1, 9, static_cast<int>(ms / 60000 % 60),
                           static_cast<int>(ms / 1000 % 60));
    sample.values[IndoorTemperatureSlot] = 20 + static_cast<int>(ms / 90000 % 2);
    model_.OnRealTime(sample, Language::English);
    window_->Refresh(TrendChanged);
  };
  // Three readings asked for by hand, a minute and a half apart.
  for (std::int64_t ms : {0, 90000, 180000}) feed(ms);
  TrendChart* chart = window_->Chart();
  EXPECT_EQ(chart->VisibleRange(), std::pair(0.0, 180000.0));
  EXPECT_EQ(chart->Series(0)->count(), 3);
  EXPECT_TRUE(chart->Series(0)->pointsVisible());
  EXPECT_TRUE(chart->Series(2)->pointsVisible());
  EXPECT_FALSE(chart->Series(3)->pointsVisible());  // set points stay steps

  // Polled for two hours: the last hour, as a line.
  for (std::int64_t ms = 182000; ms <= 7380000; ms += 2000) feed(ms);
  const auto [from, to] = chart->VisibleRange();
  EXPECT_EQ(to - from, 3600000);
  EXPECT_GT(to, 7380000 - 20000);
  EXPECT_FALSE(chart->Series(0)->pointsVisible());
}

TEST_F(MonitorWindowTest, ServiceReportIsWrittenInBothLanguages) {
  Poll(0x01);
  model_.OnMemoLine("Receive Time----2024-05-01 10:00:00");
  model_.OnMemoLine("室内温度:   25 ℃");
  model_.OnRequestSent(
      Bytes{0x7E, 0x01, 0x77, 0x42, 0x34, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x5F, 0xFE, 0x0D},
      protocol_);
  model_.OnPendingCommand(CommandCode::AirConditionerParameters);
  model_.SetPortDescription("COM1 (/dev/ttyS0) 9600,n,8,1");

  for (Language language : {Language::English, Language::Chinese}) {
    window_->SetLanguage(language);
    const std::string path =
        folder_.Path(language == Language::English ? "report-en.pdf" : "report-zh.pdf");
    QString chosen;
    window_->SetReportPathChooser([&](const QString& suggested) {
      chosen = suggested;
      return QString::fromStdString(path);
    });
    QTest::mouseClick(Find<QPushButton>(*window_, "ServiceReportButton"), Qt::LeftButton);
    EXPECT_TRUE(chosen.endsWith("ServiceReport 2024-05-01 10-00-00.pdf")) << chosen.toStdString();
    QFile pdf(QString::fromStdString(path));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_GT(bytes.size(), 20000);  // text, fonts and the trend picture
    EXPECT_TRUE(LabelText(*window_, "ServiceReportStatus").contains(QString::fromStdString(path)));
  }

  // Cancelling the file choice writes nothing; an unwritable place is reported, not hidden.
  window_->SetReportPathChooser([](const QString&) { return QString(); });
  QTest::mouseClick(Find<QPushButton>(*window_, "ServiceReportButton"), Qt::LeftButton);
  window_->SetLanguage(Language::English);
  EXPECT_FALSE(window_->WriteReport(QString::fromStdString(folder_.Path("missing/dir/r.pdf"))));
  EXPECT_TRUE(LabelText(*window_, "ServiceReportStatus").startsWith("Service report could not"));
}

// The trend after the wall clock was set back by an hour: the samples taken before keep their
// times, the ones after show theirs, and the line still runs in the order the samples came.
TEST_F(MonitorWindowTest, ClockSetBackKeepsTheTimeEverySampleWasTakenAt) {
  window_->resize(900, 600);
  window_->show();
  const auto feed = [this](std::int64_t ms, int hour, int minute, int second) {
    RealTimeSample sample = test::Sample(DeviceKind::AirConditioner, ms);
    sample.time = test::At(2024, 5, 1, hour, minute, second);
    model_.OnRealTime(sample, Language::English);
  };
  for (int i = 0; i <= 1800; ++i) {  // 00:00:00 to 01:00:00
    feed(std::int64_t{i} * 2000, i * 2 / 3600, i * 2 / 60 % 60, i * 2 % 60);
  }
  // The clock is corrected by an hour back: the next sample is taken at 00:00:02 again.
  for (int i = 1; i <= 300; ++i) {
    feed(3600000 + std::int64_t{i} * 2000, 0, i * 2 / 60 % 60, i * 2 % 60);
  }
  Find<QComboBox>(*window_, "TrendRange")->setCurrentIndex(static_cast<int>(TrendRange::WholeRun));
  // Ticks every quarter of an hour of the first hour, and one where the clock was set back.
  EXPECT_EQ(window_->Chart()->TimeLabels(),
            (QStringList{"00:00", "00:15", "00:30", "00:45", "00:00"}));
  // The last ten minutes begin at 01:00:00, two seconds before the correction: the time after
  // it, on its own round minutes.
  Find<QComboBox>(*window_, "TrendRange")
      ->setCurrentIndex(static_cast<int>(TrendRange::LastTenMinutes));
  EXPECT_EQ(window_->Chart()->TimeLabels(),
            (QStringList{"00:00:02", "00:02:00", "00:04:00", "00:06:00", "00:08:00", "00:10:00"}));

  // A clock that jumps at every sample still gives an axis of a few labels.
  for (int i = 1; i <= 200; ++i) {
    feed(4200000 + std::int64_t{i} * 2000, i % 2 == 0 ? 5 : 17, i / 30, i * 2 % 60);
  }
  window_->Refresh(TrendChanged);
  EXPECT_LE(window_->Chart()->TimeLabels().size(), 20);
  // Points stay in the order they came.
  const QList<QPointF> points = window_->Chart()->Series(0)->points();
  EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                             [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
}

TEST_F(MonitorWindowTest, StatusLinesFollowALanguageSwitch) {
  window_->SetLanguage(Language::Chinese);
  const QString path = QString::fromStdString(folder_.Path("r.pdf"));
  ASSERT_TRUE(window_->WriteReport(path));
  EXPECT_TRUE(LabelText(*window_, "ServiceReportStatus").startsWith("服务报告已保存: "));
  window_->SetLanguage(Language::English);
  EXPECT_EQ(LabelText(*window_, "ServiceReportStatus"), "Service report saved: " + path);
  EXPECT_FALSE(window_->WriteReport(QString::fromStdString(folder_.Path("missing/r.pdf"))));
  window_->SetLanguage(Language::Chinese);
  EXPECT_TRUE(LabelText(*window_, "ServiceReportStatus").startsWith("服务报告无法保存: "));

  std::filesystem::remove(ConfigPath());
  Find<QCheckBox>(*window_, "RecordSwitch")->setChecked(true);
  EXPECT_TRUE(LabelText(*window_, "SettingsError").startsWith("设置无法保存: "));
  window_->SetLanguage(Language::English);
  EXPECT_TRUE(LabelText(*window_, "SettingsError").startsWith("Setting not saved: "));
}

TEST_F(MonitorWindowTest, SiteAndCabinetAreAskedOnceStoredAndEditable) {
  ScriptedPrompts prompts;
  window_->SetPrompts(&prompts);
  int written = 0;
  window_->SetReportPathChooser([&](const QString&) {
    ++written;
    return QString::fromStdString(folder_.Path("r" + std::to_string(written) + ".pdf"));
  });
  auto* button = Find<QPushButton>(*window_, "ServiceReportButton");

  // Cancelled: no report and nothing kept, so the next report asks again.
  prompts.answers = {"North hub"};
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_FALSE(IniFile::Load(ConfigPath()).HasKey("Monitor", "Site"));

  prompts.asked.clear();
  prompts.answers = {"  North hub ", "Cabinet 7"};
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(prompts.asked, (std::vector<std::string>{"Site, as the service report names it:",
                                                     "Cabinet, as the service report names it:"}));
  const IniFile saved = IniFile::Load(ConfigPath());
  EXPECT_EQ(saved.ReadString("Monitor", "Site", ""), "North hub");
  EXPECT_EQ(saved.ReadString("Monitor", "Cabinet", ""), "Cabinet 7");
  EXPECT_EQ(saved.ReadInteger("UserSet", "MaxLine", 0), 300);
  EXPECT_EQ(Find<QLineEdit>(*window_, "ReportSite")->text(), "North hub");

  // Asked once: the next report goes straight on, and the Monitor edits the names.
  prompts.asked.clear();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(written, 2);
  EXPECT_TRUE(prompts.asked.empty());
  auto* cabinet = Find<QLineEdit>(*window_, "ReportCabinet");
  cabinet->setText("Cabinet 8");
  emit cabinet->editingFinished();
  EXPECT_EQ(IniFile::Load(ConfigPath()).ReadString("Monitor", "Cabinet", ""), "Cabinet 8");
  EXPECT_EQ(model_.Settings().cabinet, "Cabinet 8");
}

// The report's alarm table as a reader lays it out: no cell over another, durations of days
// whole, long texts wrapped, ends by a unit type switch named, in both languages.
TEST_F(MonitorWindowTest, ServiceReportTableIsMeasuredFromItsContent) {
  MonitorSettings settings;
  settings.site = "North hub";
  settings.cabinet = "Cabinet 7";
  model_.SetSettings(settings);
  model_.SetPortDescription("COM1 (/dev/ttyUSB0) 9600,n,8,1");
  Poll(0x01, 0x0F);  // high temperature alarm, heater stopped
  Advance(2000);
  Poll(0x81, 0x0F);  // and a sensor fault
  model_.OnLinkLost("Resource error: the device server closed the connection unexpectedly");
  Advance(5000);
  model_.OnLinkRestored();
  model_.OnDeviceSwitch(DeviceKind::HeatExchanger);
  Advance(1000);
  model_.OnRequestSent(test::RealTimeRequest, protocol_);
  Receive(test::RealTimeReply(25, 31, 58, 221, {32, 0, 5, 0, 55, 0}, 0x1F, 0x01, 0),
          DeviceKind::HeatExchanger);
  Advance(87665000);  // 1 d 00:21:05 later
  model_.AcknowledgeAlarm(model_.Alarms().Entries().front().id);

  for (Language language : {Language::English, Language::Chinese}) {
    window_->SetLanguage(language);
    const QString path = QString::fromStdString(
        folder_.Path(language == Language::English ? "table-en.pdf" : "table-zh.pdf"));
    ASSERT_TRUE(window_->WriteReport(path));
    const std::vector<PdfWord> words = PdfWords(path);
    if (words.empty()) GTEST_SKIP() << "pdftotext not installed";
    EXPECT_EQ(Overlaps(words), std::vector<std::string>{});
    EXPECT_TRUE(HasWord(words, "1d")) << "a duration of days is shown whole";
    EXPECT_TRUE(HasWord(words, "00:21:05"));
    EXPECT_TRUE(HasWord(words, "North"));
    EXPECT_TRUE(HasWord(words, "(/dev/ttyUSB0)"));
    EXPECT_TRUE(HasWord(words, "unexpectedly"));  // the long event wraps, it is not cut
    if (language == Language::English) {
      for (const char* word : {"Duration", "Acknowledged", "active", "changed)", "silent"}) {
        EXPECT_TRUE(HasWord(words, word) || std::string(word) == "silent") << word;
      }
      EXPECT_TRUE(HasWord(words, "Heater")) << "the heater's stopped spell is a state change";
    }
  }
}

// At the size it opens with, the alarm table shows every column without a horizontal scroll bar
// and every alarm name whole, drawn bold as an unacknowledged one is, in either language.
TEST_F(MonitorWindowTest, AlarmTableShowsEveryNameWholeAtTheOpeningSize) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  auto* tabs = window_->findChild<QTabWidget*>("MonitorTabs");
  auto* view = window_->findChild<QTableView*>("AlarmTable");
  ASSERT_NE(view, nullptr);
  tabs->setCurrentIndex(tabs->indexOf(view->parentWidget()->parentWidget()));
  QCoreApplication::processEvents();
  QFont bold = view->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  for (const Language language : {Language::English, Language::Chinese}) {
    window_->SetLanguage(language);
    QCoreApplication::processEvents();
    for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
      for (const UnitBit& bit : UnitBits(kind)) {
        const QString name = QString::fromUtf8(bit.Name(language).data(),
                                               static_cast<int>(bit.Name(language).size()));
        EXPECT_LE(metrics.horizontalAdvance(name) + 8,
                  view->horizontalHeader()->sectionSize(AlarmTableModel::NameColumn))
            << name.toStdString();
      }
    }
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible())
        << view->horizontalHeader()->length() << " in " << view->viewport()->width();
  }
}

}  // namespace
}  // namespace climate
