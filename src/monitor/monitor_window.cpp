// The Monitor window's pages and their redraws.
#include "monitor/monitor_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "common/named_widget.hpp"
#include "common/qt_text.hpp"
#include "monitor/alarm_table_model.hpp"
#include "monitor/link_figure_rows.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_texts.hpp"
#include "monitor/service_report.hpp"
#include "monitor/trend_chart.hpp"

namespace climate {

namespace {

// Batches bursts of replies into one redraw.
constexpr int RefreshDelayMs = 50;

// Link page rows: object name of the value label and its caption; the two about the window's
// own state come first, the figures follow.
std::vector<std::pair<const char*, TextPair>> LinkRows() {
  std::vector<std::pair<const char*, TextPair>> rows = {{"LinkValues", monitor_text::ValuesState},
                                                        {"LinkMode", monitor_text::Mode}};
  for (const LinkFigureRow& row : LinkFigureRows(LinkFigures{})) {
    rows.emplace_back(row.key, row.caption);
  }
  return rows;
}

const TextPair* const RecordCaptions[] = {&monitor_text::RecordFolder, &monitor_text::RecordFile,
                                          &monitor_text::RecordRows, &monitor_text::RecordPending,
                                          &monitor_text::RecordError};
const char* const RecordValueNames[] = {"RecordFolder", "RecordFile", "RecordRows", "RecordPending",
                                        "RecordError"};

// The main widget of a page, and under it a line with a status text and the button it is about.
void StackOverStatusLine(QWidget* page, QWidget* main, QLabel* status, QPushButton* button) {
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status, 1);
  bottom->addWidget(button);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(main, 1);
  layout->addLayout(bottom);
}

}  // namespace

MonitorWindow::MonitorWindow(MonitorModel& model, QString configPath, QString reportDirectory,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      configPath_(std::move(configPath)),
      reportDirectory_(std::move(reportDirectory)) {
  setObjectName("MonitorWindow");
  resize(860, 600);

  refreshTimer_ = new QTimer(this);
  refreshTimer_->setSingleShot(true);
  refreshTimer_->setInterval(RefreshDelayMs);
  connect(refreshTimer_, &QTimer::timeout, this, &MonitorWindow::RefreshPending);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("MonitorTabs");
  BuildTrendsPage();
  BuildRecordsPage();
  BuildAlarmsPage();
  BuildLinkPage();
  connect(tabs_, &QTabWidget::currentChanged, this, &MonitorWindow::RefreshPending);

  report_ = NamedButton(this, "ServiceReportButton", this, &MonitorWindow::ReportClicked);
  reportStatus_ = Named<QLabel>(this, "ServiceReportStatus");
  reportStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  StackOverStatusLine(this, tabs_, reportStatus_, report_);

  chooseReportPath_ = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, Q(monitor_text::ReportSaveCaption.In(language_)),
                                        suggested, "PDF (*.pdf)");
  };

  model_.SetListener([this](unsigned changes) { OnModelChanged(changes); });
  ApplyTexts();
  Refresh(AllChanged);
}

MonitorWindow::~MonitorWindow() {
  model_.SetListener(nullptr);
}

void MonitorWindow::BuildTrendsPage() {
  auto* page = new QWidget;
  chart_ = new TrendChart(page);
  rangeLabel_ = new QLabel(page);
  range_ = new QComboBox(page);
  range_->setObjectName("TrendRange");
  range_->addItems({QString(), QString(), QString()});
  range_->setCurrentIndex(static_cast<int>(model_.Settings().trendRange));
  connect(range_, &QComboBox::currentIndexChanged, this, &MonitorWindow::RangeChanged);

  auto* top = new QHBoxLayout;
  top->addWidget(rangeLabel_);
  top->addWidget(range_);
  top->addStretch(1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(chart_, 1);
  tabs_->addTab(page, QString());
}

void MonitorWindow::BuildRecordsPage() {
  auto* page = new QWidget;
  recordSwitch_ = new QCheckBox(page);
  recordSwitch_->setObjectName("RecordSwitch");
  connect(recordSwitch_, &QCheckBox::toggled, this, &MonitorWindow::RecordSwitchToggled);

  auto* form = new QFormLayout;
  for (std::size_t i = 0; i < recordValues_.size(); ++i) {
    recordNames_[i] = new QLabel(page);
    recordValues_[i] = new QLabel(page);
    recordValues_[i]->setObjectName(RecordValueNames[i]);
    recordValues_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    recordValues_[i]->setWordWrap(true);
    form->addRow(recordNames_[i], recordValues_[i]);
  }
  settingsError_ = new QLabel(page);
  settingsError_->setObjectName("SettingsError");
  settingsError_->setStyleSheet("color: red");

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(recordSwitch_);
  layout->addLayout(form);
  layout->addWidget(settingsError_);
  layout->addStretch(1);
  tabs_->addTab(page, QString());
}

void MonitorWindow::BuildAlarmsPage() {
  auto* page = new QWidget;
  alarmTable_ = new AlarmTableModel(model_, this);
  alarmView_ = new QTableView(page);
  alarmView_->setObjectName("AlarmTable");
  alarmView_->setModel(alarmTable_);
  alarmView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  alarmView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  alarmView_->setWordWrap(false);
  alarmView_->verticalHeader()->hide();
  alarmView_->verticalHeader()->setDefaultSectionSize(alarmView_->fontMetrics().height() + 8);
  // Fixed widths: measuring thousands of rows for their contents would stall every redraw.
  QHeaderView* header = alarmView_->horizontalHeader();
  QFont bold = alarmView_->font();
  bold.setBold(true);  // unacknowledged active alarms are bold
  const QFontMetrics metrics(bold);
  const int timeWidth = metrics.horizontalAdvance("2024-05-01 00:00:00") + 16;
  header->setSectionResizeMode(AlarmTableModel::NameColumn, QHeaderView::Stretch);
  header->resizeSection(AlarmTableModel::UnitColumn,
                        metrics.horizontalAdvance("Air conditioner") + 16);
  header->resizeSection(AlarmTableModel::RaisedColumn, timeWidth);
  header->resizeSection(AlarmTableModel::ClearedColumn, timeWidth);
  header->resizeSection(AlarmTableModel::DurationColumn,
                        metrics.horizontalAdvance("00:00:00") + 24);
  header->resizeSection(AlarmTableModel::AckColumn, timeWidth);

  alarmSummary_ = Named<QLabel>(page, "AlarmSummary");
  acknowledge_ = NamedButton(page, "AcknowledgeButton", this, &MonitorWindow::AcknowledgeClicked);

  StackOverStatusLine(page, alarmView_, alarmSummary_, acknowledge_);
  tabs_->addTab(page, QString());
}

void MonitorWindow::BuildLinkPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  for (const auto& [key, caption] : LinkRows()) {
    auto* name = new QLabel(page);
    auto* value = new QLabel(page);
    value->setObjectName(key);
    form->addRow(name, value);
    linkRows_[key] = {name, value};
  }
  tabs_->addTab(page, QString());
}

void MonitorWindow::SetLanguage(Language language) {
  if (language == language_) return;
  language_ = language;
  ApplyTexts();
  Refresh(AllChanged);
}

void MonitorWindow::ApplyTexts() {
  using namespace monitor_text;
  setWindowTitle(Q(WindowTitle.In(language_)));
  tabs_->setTabText(0, Q(TrendsPage.In(language_)));
  tabs_->setTabText(1, Q(RecordsPage.In(language_)));
  tabs_->setTabText(2, Q(AlarmsPage.In(language_)));
  tabs_->setTabText(3, Q(LinkPage.In(language_)));
  report_->setText(Q(ReportButton.In(language_)));

  rangeLabel_->setText(Q(RangeLabel.In(language_)));
  range_->setItemText(0, Q(LastTenMinutes.In(language_)));
  range_->setItemText(1, Q(LastHour.In(language_)));
  range_->setItemText(2, Q(WholeRun.In(language_)));
  chart_->SetLanguage(language_);

  recordSwitch_->setText(Q(RecordSwitch.In(language_)));
  for (std::size_t i = 0; i < recordNames_.size(); ++i) {
    recordNames_[i]->setText(Q(RecordCaptions[i]->In(language_)));
  }
  alarmTable_->SetLanguage(language_);
  acknowledge_->setText(Q(AcknowledgeButton.In(language_)));
  for (const auto& [key, caption] : LinkRows()) {
    linkRows_[key].first->setText(Q(caption.In(language_)) + ":");
  }
}

void MonitorWindow::OnModelChanged(unsigned changes) {
  pendingChanges_ |= changes;
  if (isVisible() && !refreshTimer_->isActive()) refreshTimer_->start();
}

void MonitorWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  pendingChanges_ = 0;
  Refresh(AllChanged);
}

void MonitorWindow::RefreshPending() {
  // The changes each page shows, in tab order.
  static constexpr unsigned PageChanges[] = {TrendChanged, RecordsChanged, AlarmsChanged,
                                             LinkChanged};
  const int page = tabs_->currentIndex();
  if (page < 0 || page >= static_cast<int>(std::size(PageChanges))) return;
  const unsigned due = pendingChanges_ & PageChanges[page];
  pendingChanges_ &= ~PageChanges[page];
  Refresh(due);
}

void MonitorWindow::Refresh(unsigned changes) {
  if (changes & TrendChanged) RefreshTrend();
  if (changes & RecordsChanged) RefreshRecords();
  if (changes & AlarmsChanged) RefreshAlarms();
  if (changes & LinkChanged) RefreshLink();
}

void MonitorWindow::RefreshTrend() {
  const int range = static_cast<int>(model_.Settings().trendRange);
  if (range_->currentIndex() != range) {
    const QSignalBlocker block(range_);
    range_->setCurrentIndex(range);
  }
  chart_->Update(model_.Trends(), model_.Settings().trendRange);
}

void MonitorWindow::RefreshRecords() {
  const RecordWriter& records = model_.Records();
  {
    const QSignalBlocker block(recordSwitch_);
    recordSwitch_->setChecked(model_.Recording());
  }
  const QString none = Q(monitor_text::None.In(language_));
  recordValues_[0]->setText(QDir::toNativeSeparators(Q(records.Directory())));
  recordValues_[1]->setText(
      records.CurrentFile().empty() ? none : QDir::toNativeSeparators(Q(records.CurrentFile())));
  recordValues_[2]->setText(QString::number(records.RowsWritten()));
  recordValues_[3]->setText(QString::number(records.PendingRows()));
  // Rows given up while the disk refused them for very long are told, never hidden.
  QString error = records.LastError().empty() ? none : Q(records.LastError());
  if (records.RowsDropped() > 0) {
    error += Q(monitor_text::RowsGivenUp.In(language_)) + QString::number(records.RowsDropped());
  }
  recordValues_[4]->setText(error);
  const bool trouble = !records.LastError().empty() || records.RowsDropped() > 0;
  recordValues_[4]->setStyleSheet(trouble ? "color: red" : QString());
}

void MonitorWindow::RefreshAlarms() {
  alarmTable_->Refresh();
  const AlarmTracker& alarms = model_.Alarms();
  alarmSummary_->setText(Q(monitor_text::ActiveSummary.In(language_)) +
                         QString::number(alarms.ActiveCount()) +
                         Q(monitor_text::UnacknowledgedSummary.In(language_)) +
                         QString::number(alarms.UnacknowledgedActiveCount()));
}

void MonitorWindow::RefreshLink() {
  using namespace monitor_text;
  const LinkFigures link = model_.Link();
  const QString notYet = Q(NotYet.In(language_));
  auto set = [this](const char* key, const QString& text) { linkRows_[key].second->setText(text); };
  const bool stale = model_.ValuesStale();
  set("LinkValues", Q(stale ? ValuesStale.In(language_) : ValuesLive.In(language_)));
  linkRows_["LinkValues"].second->setStyleSheet(stale ? "color: grey" : "color: blue");
  const LinkStatistics& state = model_.LinkState();
  set("LinkMode", state.Periodic()
                      ? Q(PeriodicMode.In(language_)) + QString::number(state.PeriodMs()) + " ms"
                      : Q(ManualMode.In(language_)));
  for (const LinkFigureRow& row : LinkFigureRows(link, language_)) {
    set(row.key, row.value ? Q(*row.value) : notYet);
  }
  // A device server that refused or changed the line settings is a warning, not a figure.
  QLabel* lineSettings = linkRows_["LinkLineSettings"].second;
  lineSettings->setWordWrap(true);
  lineSettings->setStyleSheet(link.lineSettings.HasProblem() ? "color: red" : "");
}

void MonitorWindow::SaveSettings(const MonitorSettings& settings) {
  model_.SetSettings(settings);
  std::string error;
  if (SaveMonitorSettings(configPath_.toStdString(), settings, error)) {
    settingsError_->clear();
  } else {
    settingsError_->setText(Q(monitor_text::SettingsNotSaved.In(language_)) + Q(error));
  }
}

void MonitorWindow::RecordSwitchToggled(bool on) {
  MonitorSettings settings = model_.Settings();
  settings.record = on;
  SaveSettings(settings);
  RefreshRecords();
}

void MonitorWindow::RangeChanged(int index) {
  if (index < 0) return;
  MonitorSettings settings = model_.Settings();
  settings.trendRange = static_cast<TrendRange>(index);
  SaveSettings(settings);
  RefreshTrend();
}

// The selected rows, or every entry when nothing is selected.
void MonitorWindow::AcknowledgeClicked() {
  const QModelIndexList rows = alarmView_->selectionModel()->selectedRows();
  if (rows.isEmpty()) {
    model_.AcknowledgeAllAlarms();
  } else {
    std::vector<std::uint64_t> ids;
    for (const QModelIndex& row : rows) ids.push_back(alarmTable_->EntryId(row.row()));
    for (std::uint64_t id : ids) model_.AcknowledgeAlarm(id);
  }
  RefreshAlarms();
}

void MonitorWindow::ReportClicked() {
  const QString suggested = QDir(reportDirectory_).filePath(ServiceReportFileName(model_));
  const QString path = chooseReportPath_ ? chooseReportPath_(suggested) : suggested;
  if (path.isEmpty()) return;
  WriteReport(path);
}

bool MonitorWindow::WriteReport(const QString& path) {
  QString error;
  const bool ok = WriteServiceReport(model_, language_, path, error);
  reportStatus_->setStyleSheet(ok ? QString() : QStringLiteral("color: red"));
  reportStatus_->setText(ok ? Q(monitor_text::ReportWritten.In(language_)) +
                                  QDir::toNativeSeparators(path)
                            : Q(monitor_text::ReportFailed.In(language_)) + error);
  return ok;
}

}  // namespace climate
