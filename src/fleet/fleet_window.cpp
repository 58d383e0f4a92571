// The fleet view's window: filter line, table and status line.
#include "fleet/fleet_window.hpp"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "app/config/ini_file.hpp"
#include "common/peer_text.hpp"
#include "common/qt_text.hpp"
#include "fleet/fleet_detail_window.hpp"
#include "fleet/fleet_settings.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_texts.hpp"
#include "mqtt/mqtt_client.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

std::int64_t MonotonicMs() {
  static QElapsedTimer clock = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return clock.elapsed();
}

}  // namespace

FleetWindow::FleetWindow(QString configPath, QWidget* parent)
    : QWidget(parent, Qt::Window), configPath_(std::move(configPath)) {
  setObjectName("FrmFleet");
  table_ = new FleetTableModel(model_, &MonotonicMs, this);
  proxy_ = new FleetSortProxy(this);
  proxy_->setSourceModel(table_);
  proxy_->setFilterKeyColumn(-1);
  proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
  proxy_->setSortRole(FleetTableModel::SortRole);
  BuildLayout();
  flushTimer_.setInterval(FlushIntervalMs);
  connect(&flushTimer_, &QTimer::timeout, this, [this] { FlushNow(); });
  ageTimer_.setInterval(1000);
  connect(&ageTimer_, &QTimer::timeout, this, [this] {
    table_->RefreshAges();
    UpdateStatus();
  });
  flushTimer_.start();
  ageTimer_.start();
  SetLanguage(language_);
}

FleetWindow::~FleetWindow() = default;

void FleetWindow::BuildLayout() {
  resize(1040, 560);
  auto* layout = new QVBoxLayout(this);
  filter_ = new QLineEdit(this);
  filter_->setObjectName("EditFleetFilter");
  filter_->setClearButtonEnabled(true);
  connect(filter_, &QLineEdit::textChanged, proxy_, [this](const QString& text) {
    proxy_->setFilterFixedString(text.trimmed());
    UpdateStatus();
  });
  view_ = new QTableView(this);
  view_->setObjectName("TableFleet");
  view_->setModel(proxy_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(FleetTableModel::Site, Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->hide();
  // Fixed row heights and no per-row measuring keep a thousand rows cheap to redraw.
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->setWordWrap(false);
  view_->horizontalHeader()->setStretchLastSection(true);
  // Double-click or Enter on a row opens the cabinet's detail.
  connect(view_, &QTableView::activated, this, &FleetWindow::OpenDetail);
  status_ = new QLabel(this);
  status_->setObjectName("LabelFleetStatus");
  // A long line (a broker's refusal, the counts of every state) wraps rather than widening the
  // window past a small screen or being cut at its edge.
  status_->setWordWrap(true);
  layout->addWidget(filter_);
  layout->addWidget(view_, 1);
  layout->addWidget(status_);
}

void FleetWindow::SetLanguage(Language language) {
  language_ = language;
  setWindowTitle(Q(fleet_text::WindowTitle.In(language)));
  filter_->setPlaceholderText(Q(fleet_text::FilterPlaceholder.In(language)));
  table_->SetLanguage(language);
  FitColumns();
  if (detail_ != nullptr) detail_->SetLanguage(language);
  UpdateStatus();
}

// Each column as wide as its header needs in the language shown (Qt measures the header bold,
// as it draws the sorted one, with room for the sort mark) and as its cells need: the kind,
// state, alarm and age columns their longest cell in that language (state and alarm drawn
// bold, as a row in trouble draws them), the site and unit columns the names listed, up to a
// bound so that one agent's very long name does not push the others out of view. The last
// column takes what is left. Growing only, a width the operator gave a column stays unless the
// column needs more.
void FleetWindow::FitColumns(bool growOnly) {
  QFont bold = view_->font();
  bold.setBold(true);
  const QFontMetrics boldMetrics(bold);
  const QFontMetrics metrics(view_->font());
  // The item's text margin on either side, and a little air.
  const int margin =
      2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1) + 2;
  const auto widest = [&](const QFontMetrics& font, const std::vector<QString>& texts) {
    int width = 0;
    for (const QString& text : texts) width = std::max(width, font.horizontalAdvance(text));
    return width + margin;
  };
  const Language language = language_;
  const auto shown = [language](std::span<const TextPair> texts) {
    std::vector<QString> all;
    for (const TextPair& text : texts) all.push_back(Q(text.In(language)));
    return all;
  };
  const TextPair kinds[] = {fleet_text::AirConditioner, fleet_text::HeatExchanger};
  // The worst alarm of either unit type, with the count of the others after it.
  std::vector<QString> alarms = shown(std::span(&fleet_text::NoAlarm, 1));
  for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
    for (const UnitBit& bit : UnitBits(kind)) {
      alarms.push_back(Q(AlarmText(bit, language)).trimmed() + " (+99)");
    }
  }
  // The longest ages: hours and minutes, and days.
  std::vector<QString> ages;
  for (const std::int64_t ageMs : {(23 * 3600 + 58 * 60) * 1000LL, 9999 * 86'400'000LL}) {
    ages.push_back(Q(AgeText(ageMs, language)));
  }
  // The names listed, at most this many average characters wide.
  const int nameBound = 40 * metrics.averageCharWidth() + margin;
  std::vector<QString> sites;
  std::vector<QString> units;
  for (const Cabinet& cabinet : table_->Model().Cabinets()) {
    sites.push_back(Q(cabinet.site));
    units.push_back(Q(cabinet.unit));
  }
  const std::pair<int, int> cellWidths[] = {
      {FleetTableModel::Site, std::min(widest(metrics, sites), nameBound)},
      {FleetTableModel::Unit, std::min(widest(metrics, units), nameBound)},
      {FleetTableModel::Kind, widest(metrics, shown(kinds))},
      {FleetTableModel::State, widest(boldMetrics, shown(fleet_text::RowStates))},
      {FleetTableModel::WorstAlarm, widest(boldMetrics, alarms)},
      {FleetTableModel::Age, widest(metrics, ages)}};
  QHeaderView* header = view_->horizontalHeader();
  for (int column = 0; column < FleetTableModel::ColumnCount; ++column) {
    int width = header->sectionSizeHint(column);
    for (const auto& [cells, least] : cellWidths) {
      if (cells == column) width = std::max(width, least);
    }
    if (growOnly && width <= header->sectionSize(column)) continue;
    header->resizeSection(column, width);
  }
  fittedRows_ = table_->rowCount();
}

void FleetWindow::OpenDetail(const QModelIndex& index) {
  const int row = proxy_->mapToSource(index).row();
  const FleetModel& model = table_->Model();
  if (row < 0 || static_cast<std::size_t>(row) >= model.Size()) return;
  const Cabinet& cabinet = model.Cabinets()[static_cast<std::size_t>(row)];
  if (detail_ == nullptr) {
    detail_ = new FleetDetailWindow(model, this);
    detail_->SetLanguage(language_);
  }
  detail_->Show(cabinet.site + "/" + cabinet.unit);
}

void FleetWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!client_) Connect();
}

void FleetWindow::Connect() {
  const FleetSettings settings = LoadFleetSettings(IniFile::Load(configPath_.toStdString()));
  client_.reset();
  table_->Reset(settings.prefix, settings.maxCabinets);
  table_->SetBrokerUp(false);
  endpoint_ = settings.host + ":" + std::to_string(settings.port);
  invalidPrefix_.reset();
  if (!settings.prefixValid) {
    // A wildcard or separator in the prefix would subscribe to other topics or to none.
    invalidPrefix_ = Q(EscapeForLog(settings.prefix, 80));
    link_ = Link::Idle;
    UpdateStatus();
    return;
  }
  MqttOptions options;
  options.host = settings.host;
  options.port = settings.port;
  options.user = settings.user;
  options.password = settings.password;
  options.caFile = settings.caFile;
  options.certFile = settings.certFile;
  options.keyFile = settings.keyFile;
  options.reconnectMaxSeconds = 10;
  client_ = std::make_unique<MqttClient>(options);
  connect(client_.get(), &MqttClient::connected, this, [this] {
    link_ = Link::Up;
    refusedTopics_.clear();
    table_->SetBrokerUp(true);
    UpdateStatus();
  });
  connect(client_.get(), &MqttClient::subscriptionRefused, this, [this](const QString& topic) {
    refusedTopics_ += (refusedTopics_.isEmpty() ? "" : ", ") + topic;
    UpdateStatus();
  });
  connect(client_.get(), &MqttClient::disconnected, this, [this](const QString& reason) {
    link_ = Link::Down;
    linkReason_ = reason;
    table_->SetBrokerUp(false);
    UpdateStatus();
  });
  // A lambda of topic and payload, so that the signal may carry more after them.
  connect(
      client_.get(), &MqttClient::messageArrived, table_,
      [this](const QString& topic, const QByteArray& payload) { table_->Ingest(topic, payload); });
  // State at QoS 0: the next one is two seconds away, so a lost one is not worth a round trip.
  client_->AddSubscription(settings.prefix + "/+/+/state", 0);
  client_->AddSubscription(settings.prefix + "/+/+/online", 1);
  // A cabinet's detail shows its agent's last few command results.
  client_->AddSubscription(settings.prefix + "/+/+/command/result", 1);
  std::string error;
  link_ = Link::Connecting;
  if (!client_->Start(error)) {
    link_ = Link::Down;
    linkReason_ = QString::fromStdString(error);
  }
  UpdateStatus();
}

void FleetWindow::FlushNow() {
  table_->Flush();
  // New cabinets may need wider name columns.
  if (table_->rowCount() != fittedRows_) FitColumns(true);
  if (detail_ != nullptr && detail_->isVisible()) detail_->Refresh();
  UpdateStatus();
}

void FleetWindow::UpdateStatus() {
  using namespace fleet_text;
  const Language l = language_;
  QStringList parts;
  const QString where = QString::fromStdString(endpoint_);
  if (invalidPrefix_) parts << Q(InvalidPrefix.In(l)) + "'" + *invalidPrefix_ + "'";
  switch (link_) {
    case Link::Idle:
      break;
    case Link::Connecting:
      parts << Q(Connecting.In(l)) + where;
      break;
    case Link::Up:
      parts << Q(Connected.In(l)) + where +
                   // Connected but deaf to a topic is not a healthy picture.
                   (refusedTopics_.isEmpty()
                        ? QString()
                        : " (" + Q(SubscriptionRefused.In(l)) + refusedTopics_ + ")");
      break;
    case Link::Down:
      parts << Q(NotConnected.In(l)) + where + " (" + linkReason_ + ")";
      break;
  }
  const int rows = table_->rowCount();
  QString counts = Q(CabinetCount.In(l)).arg(rows);
  QStringList byState;
  const std::array<int, RowStateCount> perState = table_->CountByState();
  for (std::size_t i = 0; i < RowStateCount; ++i) {
    if (perState[i] > 0) byState << Q(RowStateCounts[i].In(l)).arg(perState[i]);
  }
  if (!byState.isEmpty()) counts += ": " + byState.join(", ");
  parts << counts;
  if (proxy_->rowCount() != rows || !filter_->text().trimmed().isEmpty()) {
    parts << Q(FilterShows.In(l)).arg(proxy_->rowCount());
  }
  if (client_ && client_->MessagesDropped() > 0) {
    parts << Q(Dropped.In(l)).arg(static_cast<qulonglong>(client_->MessagesDropped()));
  }
  const FleetModel& model = table_->Model();
  if (model.CapRefused() > 0) {
    parts << Q(CapReached.In(l))
                 .arg(static_cast<qulonglong>(model.MaxCabinets()))
                 .arg(static_cast<qulonglong>(model.CapRefused()));
  }
  QString rejected;
  if (model.Rejected() > 0) {
    rejected = Q(Rejected.In(l)).arg(static_cast<qulonglong>(model.Rejected())) +
               Q(model.LastRejectedCabinet()) + ": " + Q(RefusalText(model.LastRefusal(), l));
    parts << rejected;
  }
  status_->setText(parts.join(QStringLiteral("  ·  ")));
  // The reason of the last refusal, also where the line is long.
  status_->setToolTip(rejected);
}

}  // namespace climate
