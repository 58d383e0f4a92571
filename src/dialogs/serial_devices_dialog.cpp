#include "dialogs/serial_devices_dialog.hpp"

#include <QBrush>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "common/qt_text.hpp"
#include "dialogs/dialog_fit.hpp"
#include "dialogs/serial_devices_texts.hpp"
#include "serial/port_map.hpp"
#include "serial/unit_finder.hpp"

namespace climate {

namespace T = serial_devices_text;

namespace {

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QTableWidget* MakeTable(QWidget* parent, const char* name, int columns) {
  auto* table = Named(new QTableWidget(0, columns, parent), name);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  // Long by-id names stay on one line; their ends are what tell adapters apart.
  table->setWordWrap(false);
  table->setTextElideMode(Qt::ElideMiddle);
  return table;
}

void SetCell(QTableWidget* table, int row, int column, const std::string& text,
             bool problem = false) {
  auto* item = new QTableWidgetItem(Q(text));
  item->setToolTip(item->text());
  if (problem) item->setForeground(QBrush(Qt::red));
  table->setItem(row, column, item);
}

std::string Canonical(const std::string& path) {
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::canonical(path, error);
  return error ? path : canonical.string();
}

}  // namespace

FrmSerialDevices::FrmSerialDevices(SerialDevicesHost& host, DeviceEnumerator& devices,
                                   QWidget* parent)
    : QDialog(parent), host_(host), enumerator_(devices) {
  setObjectName("FrmSerialDevices");
  // Everything above the buttons scrolls where the screen is smaller than it; the buttons stay
  // in view below.
  auto* content = Named(new QWidget, "SerialDevicesContent");
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(0, 0, 0, 0);
  scroller_ = NewScrollFrame(this, "SerialDevicesScroller", content);
  scroller_->setWidgetResizable(true);
  portsLabel_ = Named(new QLabel(content), "PortsLabel");
  ports_ = MakeTable(content, "PortTable", 3);
  ports_->setRowCount(4);
  ports_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // In a narrow window the table scrolls across; its height then makes room for the bar.
  ports_->horizontalScrollBar()->installEventFilter(this);
  devicesLabel_ = Named(new QLabel(content), "DevicesLabel");
  deviceTable_ = MakeTable(content, "DeviceTable", 6);
  entryLabel_ = Named(new QLabel(content), "EntryLabel");
  entry_ = Named(new QLineEdit(content), "EntryEdit");
  // Each caption names its field for a screen reader (and leads Linux screen readers to it).
  portsLabel_->setBuddy(ports_);
  devicesLabel_->setBuddy(deviceTable_);
  entryLabel_->setBuddy(entry_);
  status_ = Named(new QLabel(content), "StatusLabel");
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QHBoxLayout;
  refresh_ = Named(new QPushButton(this), "RefreshButton");
  find_ = Named(new QPushButton(this), "FindUnitButton");
  apply_ = Named(new QPushButton(this), "ApplyButton");
  close_ = Named(new QPushButton(this), "CloseButton");
  buttons->addWidget(refresh_);
  buttons->addWidget(find_);
  buttons->addStretch(1);
  buttons->addWidget(apply_);
  buttons->addWidget(close_);
  apply_->setDefault(true);

  layout->addWidget(portsLabel_);
  layout->addWidget(ports_);
  layout->addWidget(devicesLabel_);
  layout->addWidget(deviceTable_, 1);
  layout->addWidget(entryLabel_);
  layout->addWidget(entry_);
  layout->addWidget(status_);
  auto* whole = new QVBoxLayout(this);
  whole->addWidget(scroller_, 1);
  whole->addLayout(buttons);
  // Small enough for a 1366x768 screen; the device table takes what height there is.
  resize(860, 440);

  finder_ = new UnitFinder(this);
  finder_->onTrying = [this](const std::string& device) {
    SetStatus(std::string(T::Trying.In(language_)) + device + " ...");
  };
  // A device that could not even be opened is named with the reason: a refused line setting
  // or a permission problem is worth knowing while looking for the unit.
  finder_->onNoAnswer = [this](const std::string& device, const std::string& problem) {
    silent_.push_back(problem.empty() ? device : device + " (" + problem + ")");
  };
  finder_->onFinished = [this](const std::optional<std::string>& device) { SearchEnded(device); };

  connect(refresh_, &QPushButton::clicked, this, &FrmSerialDevices::Refresh);
  connect(find_, &QPushButton::clicked, this, &FrmSerialDevices::FindClick);
  connect(apply_, &QPushButton::clicked, this, &FrmSerialDevices::ApplyClick);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(ports_, &QTableWidget::itemSelectionChanged, this, &FrmSerialDevices::PortRowChosen);
  connect(deviceTable_, &QTableWidget::itemSelectionChanged, this,
          &FrmSerialDevices::DeviceRowChosen);
  ApplyTexts();
  FitToScreen();
}

FrmSerialDevices::~FrmSerialDevices() = default;

void FrmSerialDevices::SetLanguage(Language language) {
  language_ = language;
  ApplyTexts();
  FillPorts();
  FillDevices();
  FitToScreen();
}

// Whole on the screen and wide enough for the title; on a small screen the tables scroll.
void FrmSerialDevices::FitToScreen() {
  fitting_ = true;
  const QSize least = FitLayoutToScreen(*this, *scroller_, windowTitle());
  resize(size().boundedTo(ScreenRoom(*this)).expandedTo(least));
  fitting_ = false;
}

void FrmSerialDevices::ApplyTexts() {
  setWindowTitle(Q(T::WindowTitle.In(language_)));
  portsLabel_->setText(Q(T::PortsLabel.In(language_)));
  // A table takes no name from its caption by itself.
  ports_->setAccessibleName(portsLabel_->text());
  ports_->setHorizontalHeaderLabels({Q(T::PortColumn.In(language_)),
                                     Q(T::EntryColumn.In(language_)),
                                     Q(T::StateColumn.In(language_))});
  devicesLabel_->setText(Q(T::DevicesLabel.In(language_)));
  deviceTable_->setAccessibleName(devicesLabel_->text());
  deviceTable_->setHorizontalHeaderLabels(
      {Q(T::DeviceColumn.In(language_)), Q(T::SystemColumn.In(language_)),
       Q(T::StateColumn.In(language_)), Q(T::DescriptionColumn.In(language_)),
       Q(T::MakerColumn.In(language_)), Q(T::SerialColumn.In(language_))});
  entryLabel_->setText(Q(T::EntryLabel.In(language_)));
  refresh_->setText(Q(T::RefreshButton.In(language_)));
  find_->setText(Q((Searching() ? T::StopFindButton : T::FindButton).In(language_)));
  apply_->setText(Q(T::ApplyButton.In(language_)));
  close_->setText(Q(T::CloseButton.In(language_)));
}

void FrmSerialDevices::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Refresh();
}

// A search must not go on probing devices behind a closed window.
void FrmSerialDevices::done(int result) {
  if (Searching()) {
    finder_->Stop();
    ApplyTexts();
  }
  QDialog::done(result);
}

void FrmSerialDevices::Refresh() {
  entries_ = host_.PortEntries();
  devices_ = enumerator_.Devices();
  FillPorts();
  FillDevices();
  if (devices_.empty()) SetStatus(std::string(T::NoDevices.In(language_)));
  const int selected = host_.SelectedPortNumber();
  if (selected >= 1 && selected <= 4 && ports_->currentRow() < 0) ports_->selectRow(selected - 1);
  // The port table's height follows its rows.
  FitToScreen();
}

void FrmSerialDevices::FillPorts() {
  for (int row = 0; row < 4; ++row) {
    const std::string& entry = entries_[static_cast<std::size_t>(row)];
    const EntryCheck check = CheckPortEntry(row + 1, entry, language_);
    std::string state;
    switch (check.state) {
      case EntryState::Present:
        state = T::Present.In(language_);
        break;
      case EntryState::NotPresent:
        state = T::NotPresent.In(language_);
        break;
      case EntryState::Network:
        state = T::Network.In(language_);
        break;
      case EntryState::Unusable:
        state = std::string(T::Unusable.In(language_)) + ": " + check.problem;
        break;
    }
    const bool problem =
        check.state == EntryState::NotPresent || check.state == EntryState::Unusable;
    SetCell(ports_, row, 0, "COM" + std::to_string(row + 1));
    SetCell(ports_, row, 1, entry);
    SetCell(ports_, row, 2, state, problem);
  }
  ports_->resizeColumnToContents(0);
  ports_->setColumnWidth(1, 420);
  FitPortTableHeight();
}

// The header and all four rows, and the horizontal scroll bar where there is one: it must not
// cover COM4.
bool FrmSerialDevices::FitPortTableHeight() {
  const QScrollBar* across = ports_->horizontalScrollBar();
  const int bar = across->isVisibleTo(ports_) ? across->sizeHint().height() : 0;
  const int height = ports_->horizontalHeader()->height() + 4 * ports_->rowHeight(0) +
                     2 * ports_->frameWidth() + bar;
  if (ports_->minimumHeight() == height && ports_->maximumHeight() == height) return false;
  ports_->setFixedHeight(height);
  return true;
}

bool FrmSerialDevices::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ports_->horizontalScrollBar() &&
      (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    // The window's least height follows the table's.
    if (FitPortTableHeight() && !fitting_) FitToScreen();
  }
  return QDialog::eventFilter(watched, event);
}

void FrmSerialDevices::FillDevices() {
  deviceTable_->setRowCount(static_cast<int>(devices_.size()));
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    const DetectedDevice& device = devices_[i];
    const int row = static_cast<int>(i);
    SetCell(deviceTable_, row, 0, device.path);
    SetCell(deviceTable_, row, 1, device.systemPath);
    // Whether it is free comes before the details: it is what decides the choice.
    SetCell(deviceTable_, row, 2, std::string((device.inUse ? T::InUse : T::Free).In(language_)),
            device.inUse);
    SetCell(deviceTable_, row, 3, device.description);
    SetCell(deviceTable_, row, 4, device.manufacturer);
    SetCell(deviceTable_, row, 5, device.serialNumber);
  }
  deviceTable_->resizeColumnsToContents();
  deviceTable_->setColumnWidth(0, std::min(deviceTable_->columnWidth(0), 420));
}

int FrmSerialDevices::ChosenPort() const {
  const int row = ports_->currentRow();
  return row >= 0 && row < 4 ? row + 1 : 0;
}

void FrmSerialDevices::PortRowChosen() {
  const int port = ChosenPort();
  if (port != 0) entry_->setText(Q(entries_[static_cast<std::size_t>(port - 1)]));
}

void FrmSerialDevices::DeviceRowChosen() {
  const int row = deviceTable_->currentRow();
  if (row >= 0 && row < static_cast<int>(devices_.size())) {
    entry_->setText(Q(devices_[static_cast<std::size_t>(row)].path));
  }
}

bool FrmSerialDevices::Searching() const {
  return finder_ != nullptr && finder_->Running();
}

// Every detected device that no program holds, except the one the console itself has open (its
// replies belong to the console).
void FrmSerialDevices::FindClick() {
  if (Searching()) {
    finder_->Stop();
    ApplyTexts();
    SetStatus({});
    return;
  }
  devices_ = enumerator_.Devices();
  FillDevices();
  const std::string own =
      host_.OpenDevice().empty() ? std::string() : Canonical(host_.OpenDevice());
  std::vector<std::string> candidates;
  for (const DetectedDevice& device : devices_) {
    if (device.inUse) continue;
    if (!own.empty() && (Canonical(device.path) == own || Canonical(device.systemPath) == own)) {
      continue;
    }
    candidates.push_back(device.path);
  }
  if (candidates.empty()) {
    SetStatus(std::string(T::NothingToTry.In(language_)), true);
    return;
  }
  silent_.clear();
  finder_->Start(
      std::move(candidates), host_.LineSettings(), host_.UnitRequest(),
      [this](std::span<const std::uint8_t> frame) { return host_.UsableReply(frame); },
      replyTimeoutMs_);
  ApplyTexts();
}

void FrmSerialDevices::SearchEnded(const std::optional<std::string>& device) {
  ApplyTexts();
  if (!device) {
    std::string tried;
    for (const std::string& path : silent_) tried += (tried.empty() ? "" : ", ") + path;
    SetStatus(std::string(T::NoAnswer.In(language_)) + tried, true);
    return;
  }
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    if (devices_[i].path == *device) deviceTable_->selectRow(static_cast<int>(i));
  }
  entry_->setText(Q(*device));
  SetStatus(std::string(T::Answered.In(language_)) + *device +
            std::string(T::AnsweredHint.In(language_)));
}

void FrmSerialDevices::ApplyClick() {
  const int port = ChosenPort();
  if (port == 0) {
    SetStatus(std::string(T::NoPortChosen.In(language_)), true);
    return;
  }
  const std::string entry = entry_->text().trimmed().toStdString();
  if (entry.empty()) {
    SetStatus(std::string(T::EmptyEntry.In(language_)), true);
    return;
  }
  const std::string key = "COM" + std::to_string(port);
  const EntryCheck check = CheckPortEntry(port, entry, language_);
  if (check.state == EntryState::Unusable) {
    SetStatus(check.problem, true);
    return;
  }
  if (!FitsSettingsFile(entry)) {
    SetStatus(std::string(T::NotStorable.In(language_)), true);
    return;
  }
  // Choosing what a port already uses writes nothing: a file without the section stays as it is.
  if (entry == entries_[static_cast<std::size_t>(port - 1)]) {
    SetStatus(key + std::string(T::Unchanged.In(language_)) + entry);
    return;
  }
  try {
    host_.ApplyPortEntry(port, entry);
  } catch (const std::exception& error) {
    SetStatus(std::string(T::NotSaved.In(language_)) + error.what(), true);
    return;
  }
  entries_ = host_.PortEntries();
  FillPorts();
  SetStatus(key + std::string(T::NowUses.In(language_)) + entry);
}

void FrmSerialDevices::SetStatus(const std::string& text, bool problem) {
  status_->setText(Q(text));
  status_->setProperty("problem", problem);
  status_->setStyleSheet(problem ? "color: #b00000;" : "");
}

}  // namespace climate
