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
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "common/named_widget.hpp"
#include "common/qt_text.hpp"
#include "console/prompts.hpp"
#include "monitor/alarm_table_model.hpp"
#include "monitor/link_figure_rows.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/monitor_texts.hpp"
#include "monitor/realtime_sample.hpp"
#include "monitor/service_report.hpp"
#include "monitor/trend_chart.hpp"
#include "protocol/unit_bits.hpp"

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
  reportStatus_->setWordWrap(true);
  // The site and cabinet the report names, asked before the first report and editable here.
  siteLabel_ = new QLabel(this);
  cabinetLabel_ = new QLabel(this);
  site_ = Named<QLineEdit>(this, "ReportSite");
  cabinet_ = Named<QLineEdit>(this, "ReportCabinet");
  for (QLineEdit* edit : {site_, cabinet_}) {
    edit->setMaxLength(MaxSiteNameLength);
    edit->setFixedWidth(fontMetrics().horizontalAdvance(QString(14, 'M')));
    connect(edit, &QLineEdit::editingFinished, this, &MonitorWindow::SiteEdited);
  }

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(reportStatus_, 1);
  bottom->addWidget(siteLabel_);
  bottom->addWidget(site_);
  bottom->addWidget(cabinetLabel_);
  bottom->addWidget(cabinet_);
  bottom->addWidget(report_);
  // The pages and the report line sit in a scroll area: on a screen smaller than they need the
  // window stays on the screen and they scroll inside it.
  auto* content = new QWidget;
  content->setObjectName("MonitorContent");
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(tabs_, 1);
  layout->addLayout(bottom);
  auto* scroller = new QScrollArea(this);
  scroller->setObjectName("MonitorScroller");
  // The frame only scrolls; Tab goes to the controls in it, never to the frame itself.
  scroller->setFocusPolicy(Qt::NoFocus);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidgetResizable(true);
  scroller->setWidget(content);
  auto* outer = new QVBoxLayout(this);
  // The content keeps the margins of a window's own layout.
  layout->setContentsMargins(outer->contentsMargins());
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroller);

  chooseReportPath_ = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, Q(monitor_text::ReportSaveCaption.In(language_)),
                                        suggested, "PDF (*.pdf)");
  };

  // The window opens wide enough for the alarm table's columns: the window's, the tab pane's
  // and the page's margins around the table's frame, columns and scroll bar.
  int columns = 0;
  for (int column = 0; column < AlarmTableModel::ColumnCount; ++column) {
    columns += alarmView_->horizontalHeader()->sectionSize(column);
  }
  const int openingWidth = columns + 2 * alarmView_->frameWidth() +
                           alarmView_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 64;
  resize(std::max(width(), openingWidth), height());
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
  resetView_ = new QPushButton(page);
  resetView_->setObjectName("TrendResetView");
  resetView_->setEnabled(false);
  connect(resetView_, &QPushButton::clicked, chart_, &TrendChart::ResetView);
  connect(chart_, &TrendChart::viewChanged, resetView_, &QPushButton::setEnabled);

  auto* top = new QHBoxLayout;
  top->addWidget(rangeLabel_);
  top->addWidget(range_);
  top->addWidget(resetView_);
  top->addStretch(1);
  // The chart never gets smaller than its names and labels need; where the page is smaller
  // than that it scrolls inside the page, so the tabs and the rest of the window stay in view.
  auto* chartScroller = new QScrollArea(page);
  chartScroller->setObjectName("TrendScroller");
  chartScroller->setFocusPolicy(Qt::NoFocus);
  chartScroller->setFrameShape(QFrame::NoFrame);
  chartScroller->setWidgetResizable(true);
  chartScroller->setWidget(chart_);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(chartScroller, 1);
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
  settingsErrorLabel_ = new QLabel(page);
  settingsErrorLabel_->setObjectName("SettingsError");
  settingsErrorLabel_->setStyleSheet("color: red");

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(recordSwitch_);
  layout->addLayout(form);
  layout->addWidget(settingsErrorLabel_);
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
  // The name column holds the longest alarm name of either unit type in either language, and
  // the events of the link and of a silent unit with the hours they lasted; the last column
  // takes what is left. (A reason a device server gave for a lost line is free text: what the
  // column cuts of it the cell's tooltip shows.)
  int nameWidth = 0;
  for (const Language language : {Language::English, Language::Chinese}) {
    for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
      for (const UnitBit& bit : UnitBits(kind)) {
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(Q(bit.Name(language))));
      }
    }
    const QString hours = Q(FormatDuration(23 * 3'600'000 + 59 * 60'000 + 59'000));
    for (const QString& event :
         {Q(monitor_text::LinkLost.In(language)), Q(monitor_text::UnitSilent.In(language)),
          Q(monitor_text::LinkBack.In(language)) + hours,
          Q(monitor_text::UnitAnswers.In(language)) + hours}) {
      nameWidth = std::max(nameWidth, metrics.horizontalAdvance(event));
    }
  }
  header->resizeSection(AlarmTableModel::NameColumn, nameWidth + 16);
  header->setStretchLastSection(true);
  header->resizeSection(AlarmTableModel::UnitColumn,
                        metrics.horizontalAdvance("Air conditioner") + 16);
  header->resizeSection(AlarmTableModel::RaisedColumn, timeWidth);
  header->resizeSection(AlarmTableModel::ClearedColumn, timeWidth);
  // Room for a spell of many days: a duration is never cut.
  header->resizeSection(AlarmTableModel::DurationColumn,
                        metrics.horizontalAdvance("9999d 00:00:00") + 16);
  header->resizeSection(AlarmTableModel::AckColumn, timeWidth);
  alarmList_ = new QComboBox(page);
  alarmList_->setObjectName("AlarmList");
  alarmList_->addItems({QString(), QString()});
  connect(alarmList_, &QComboBox::currentIndexChanged, this, &MonitorWindow::AlarmListChanged);
  alarmSummary_ = Named<QLabel>(page, "AlarmSummary");
  acknowledge_ = NamedButton(page, "AcknowledgeButton", this, &MonitorWindow::AcknowledgeClicked);

  auto* inner = new QWidget(page);
  auto* innerLayout = new QVBoxLayout(inner);
  innerLayout->setContentsMargins(0, 0, 0, 0);
  auto* top = new QHBoxLayout;
  top->addWidget(alarmList_);
  top->addStretch(1);
  innerLayout->addLayout(top);
  innerLayout->addWidget(alarmView_, 1);
  StackOverStatusLine(page, inner, alarmSummary_, acknowledge_);
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
  resetView_->setText(Q(ResetView.In(language_)));
  resetView_->setToolTip(Q(ViewHint.In(language_)));
  range_->setItemText(0, Q(LastTenMinutes.In(language_)));
  range_->setItemText(1, Q(LastHour.In(language_)));
  range_->setItemText(2, Q(WholeRun.In(language_)));
  chart_->SetLanguage(language_);

  recordSwitch_->setText(Q(RecordSwitch.In(language_)));
  for (std::size_t i = 0; i < recordNames_.size(); ++i) {
    recordNames_[i]->setText(Q(RecordCaptions[i]->In(language_)));
  }
  alarmTable_->SetLanguage(language_);
  alarmList_->setItemText(0, Q(AlarmsAndEvents.In(language_)));
  alarmList_->setItemText(1, Q(StateChanges.In(language_)));
  acknowledge_->setText(Q(AcknowledgeButton.In(language_)));
  siteLabel_->setText(Q(SiteLabel.In(language_)));
  cabinetLabel_->setText(Q(CabinetLabel.In(language_)));
  ShowSite();
  ShowStatusLines();
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
  // The scroll area sized its content just now; laying the content out at once gives the chart
  // its width before the redraw below fits the trends to it.
  if (auto* content = findChild<QWidget*>("MonitorContent"); content && content->layout()) {
    content->layout()->activate();
  }
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
  using namespace monitor_text;
  alarmTable_->Refresh();
  const AlarmTracker& alarms = model_.Alarms();
  const bool states = alarmTable_->CurrentList() == AlarmTableModel::List::StateChanges;
  alarmSummary_->setText(
      states ? Q(StateSummary.In(language_)) + QString::number(alarms.StateChanges().size())
             : Q(ActiveSummary.In(language_)) + QString::number(alarms.ActiveCount()) +
                   Q(UnacknowledgedSummary.In(language_)) +
                   QString::number(alarms.UnacknowledgedActiveCount()));
  // An end by a unit type switch says so beside its time; the column widens to show it whole.
  const auto& entries = states ? alarms.StateChanges() : alarms.Entries();
  const bool endedBySwitch = std::any_of(entries.begin(), entries.end(), [](const AlarmEntry& e) {
    return e.end == EntryEnd::UnitTypeChanged;
  });
  QFont bold = alarmView_->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  QString widest = "2024-05-01 00:00:00";
  if (endedBySwitch) widest += " (" + Q(EndedByUnitSwitch.In(language_)) + ")";
  const int width = metrics.horizontalAdvance(widest) + 16;
  QHeaderView* header = alarmView_->horizontalHeader();
  if (header->sectionSize(AlarmTableModel::ClearedColumn) < width) {
    header->resizeSection(AlarmTableModel::ClearedColumn, width);
  }
}

void MonitorWindow::AlarmListChanged(int index) {
  const bool states = index == 1;
  alarmTable_->SetList(states ? AlarmTableModel::List::StateChanges
                              : AlarmTableModel::List::AlarmsAndEvents);
  // State changes are no alarms: nothing to acknowledge.
  alarmView_->setColumnHidden(AlarmTableModel::AckColumn, states);
  acknowledge_->setEnabled(!states);
  RefreshAlarms();
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
  settingsError_ =
      SaveMonitorSettings(configPath_.toStdString(), settings, error) ? QString() : Q(error);
  ShowStatusLines();
}

// The lines that tell the outcome of an action, in the language shown now.
void MonitorWindow::ShowStatusLines() {
  using namespace monitor_text;
  settingsErrorLabel_->setText(
      settingsError_.isEmpty() ? QString() : Q(SettingsNotSaved.In(language_)) + settingsError_);
  const QString path = QDir::toNativeSeparators(reportPath_);
  switch (reportOutcome_) {
    case ReportOutcome::None:
      reportStatus_->clear();
      break;
    case ReportOutcome::Written:
      reportStatus_->setText(Q(ReportWritten.In(language_)) + path);
      break;
    case ReportOutcome::Failed:
      reportStatus_->setText(Q(ReportFailed.In(language_)) + path);
      break;
  }
  reportStatus_->setStyleSheet(
      reportOutcome_ == ReportOutcome::Failed ? QStringLiteral("color: red") : QString());
}

void MonitorWindow::ShowSite() {
  const MonitorSettings& settings = model_.Settings();
  const QString site = Q(settings.site.value_or(""));
  const QString cabinet = Q(settings.cabinet.value_or(""));
  if (site_->text() != site) site_->setText(site);
  if (cabinet_->text() != cabinet) cabinet_->setText(cabinet);
}

// An edit is an answer, even an empty one: the report no longer asks.
void MonitorWindow::SiteEdited() {
  MonitorSettings settings = model_.Settings();
  const std::string site = site_->text().trimmed().toStdString();
  const std::string cabinet = cabinet_->text().trimmed().toStdString();
  if (settings.site == site && settings.cabinet == cabinet) return;
  settings.site = site;
  settings.cabinet = cabinet;
  SaveSettings(settings);
}

bool MonitorWindow::AskSiteOnce() {
  using namespace monitor_text;
  MonitorSettings settings = model_.Settings();
  if (settings.SiteGiven() || prompts_ == nullptr) return true;
  const std::string caption(ReportSaveCaption.In(language_));
  const std::string ok(PromptOk.In(language_));
  const std::string cancel(PromptCancel.In(language_));
  const auto ask = [&](const TextPair& prompt, std::optional<std::string>& value) {
    std::string text = value.value_or("");
    if (!prompts_->InputText(caption, std::string(prompt.In(language_)), text, 0, ok, cancel)) {
      return false;
    }
    value = Q(text).trimmed().left(MaxSiteNameLength).toStdString();
    return true;
  };
  // Nothing is kept from a cancelled question, so the next report asks again.
  if (!ask(SitePrompt, settings.site) || !ask(CabinetPrompt, settings.cabinet)) return false;
  SaveSettings(settings);
  ShowSite();
  return true;
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
  // Another range is a fresh look at the newest samples.
  chart_->ResetView();
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
  if (!AskSiteOnce()) return;
  const QString suggested = QDir(reportDirectory_).filePath(ServiceReportFileName(model_));
  const QString path = chooseReportPath_ ? chooseReportPath_(suggested) : suggested;
  if (path.isEmpty()) return;
  WriteReport(path);
}

bool MonitorWindow::WriteReport(const QString& path) {
  QString error;
  const bool ok = WriteServiceReport(model_, language_, path, error);
  // The only failure is a file that could not be written; the line names it.
  reportOutcome_ = ok ? ReportOutcome::Written : ReportOutcome::Failed;
  reportPath_ = path;
  ShowStatusLines();
  return ok;
}

}  // namespace climate
