// The fleet view's window: filter line, table and status line.
#include "fleet/fleet_window.hpp"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "app/config/ini_file.hpp"
#include "common/qt_text.hpp"
#include "fleet/fleet_settings.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_texts.hpp"
#include "mqtt/mqtt_client.hpp"

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
  connect(&ageTimer_, &QTimer::timeout, this, [this] { table_->RefreshAges(); });
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
  connect(filter_, &QLineEdit::textChanged, proxy_,
          [this](const QString& text) { proxy_->setFilterFixedString(text.trimmed()); });
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
  view_->setColumnWidth(FleetTableModel::Kind, 120);
  view_->setColumnWidth(FleetTableModel::Online, 70);
  view_->setColumnWidth(FleetTableModel::WorstAlarm, 240);
  status_ = new QLabel(this);
  status_->setObjectName("LabelFleetStatus");
  layout->addWidget(filter_);
  layout->addWidget(view_, 1);
  layout->addWidget(status_);
}

void FleetWindow::SetLanguage(Language language) {
  language_ = language;
  setWindowTitle(Q(fleet_text::WindowTitle.In(language)));
  filter_->setPlaceholderText(Q(fleet_text::FilterPlaceholder.In(language)));
  table_->SetLanguage(language);
  UpdateStatus();
}

void FleetWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!client_) Connect();
}

void FleetWindow::Connect() {
  const FleetSettings settings = LoadFleetSettings(IniFile::Load(configPath_.toStdString()));
  client_.reset();
  table_->Reset(settings.prefix);
  MqttOptions options;
  options.host = settings.host;
  options.port = settings.port;
  options.user = settings.user;
  options.password = settings.password;
  options.caFile = settings.caFile;
  options.certFile = settings.certFile;
  options.keyFile = settings.keyFile;
  options.reconnectMaxSeconds = 10;
  endpoint_ = settings.host + ":" + std::to_string(settings.port);
  client_ = std::make_unique<MqttClient>(options);
  connect(client_.get(), &MqttClient::connected, this, [this] {
    link_ = Link::Up;
    refusedTopics_.clear();
    UpdateStatus();
  });
  connect(client_.get(), &MqttClient::subscriptionRefused, this, [this](const QString& topic) {
    refusedTopics_ += (refusedTopics_.isEmpty() ? "" : ", ") + topic;
    UpdateStatus();
  });
  connect(client_.get(), &MqttClient::disconnected, this, [this](const QString& reason) {
    link_ = Link::Down;
    linkReason_ = reason;
    UpdateStatus();
  });
  connect(client_.get(), &MqttClient::messageArrived, table_, &FleetTableModel::Ingest);
  // State at QoS 0: the next one is two seconds away, so a lost one is not worth a round trip.
  client_->AddSubscription(settings.prefix + "/+/+/state", 0);
  client_->AddSubscription(settings.prefix + "/+/+/online", 1);
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
  UpdateStatus();
}

void FleetWindow::UpdateStatus() {
  using namespace fleet_text;
  QString text;
  const QString where = QString::fromStdString(endpoint_);
  switch (link_) {
    case Link::Idle:
      break;
    case Link::Connecting:
      text = Q(Connecting.In(language_)) + where;
      break;
    case Link::Up:
      text = Q(Connected.In(language_)) + where;
      // Connected but deaf to a topic is not a healthy picture.
      if (!refusedTopics_.isEmpty()) {
        text += " (" + Q(SubscriptionRefused.In(language_)) + refusedTopics_ + ")";
      }
      break;
    case Link::Down:
      text = Q(NotConnected.In(language_)) + where + " (" + linkReason_ + ")";
      break;
  }
  if (!text.isEmpty()) text += "  ·  ";
  text += QString::number(table_->rowCount()) + Q(CabinetCount.In(language_)) + ", " +
          QString::number(table_->CabinetsInAlarm()) + Q(AlarmCount.In(language_));
  status_->setText(text);
}

}  // namespace climate
