// The cabinet detail window: one tree of sections, rebuilt only when what it shows changed.
#include "fleet/fleet_detail_window.hpp"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "app/window_fit.hpp"
#include "common/qt_text.hpp"
#include "fleet/fleet_detail_texts.hpp"
#include "fleet/fleet_model.hpp"
#include "fleet/fleet_texts.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

using Row = std::array<QString, 3>;  // name, value, key
struct Section {
  QString title;
  std::vector<Row> rows;
  bool operator==(const Section&) const = default;
};

QString UtcText(std::int64_t ms) {
  return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()).toString("yyyy-MM-dd HH:mm:ss") +
         " UTC";
}

// Text from an agent, made safe to show: invalid UTF-8 replaced, control and format characters
// (line ends, escapes, direction overrides) written as \xHH or \uHHHH, the length bounded.
QString Peer(const std::string& text) {
  const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  QString shown;
  for (const QChar c : decoded) {
    if (shown.size() >= 200) {
      shown += QChar(0x2026);
      break;
    }
    const QChar::Category category = c.category();
    if (category == QChar::Other_Control || category == QChar::Other_Format ||
        category == QChar::Separator_Line || category == QChar::Separator_Paragraph) {
      shown += c.unicode() < 0x100 ? QString("\\x%1").arg(c.unicode(), 2, 16, QChar('0'))
                                   : QString("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
    } else {
      shown += c;
    }
  }
  return shown;
}

// A bit the unit's tables know by its lamp's name and the meaning of its state; another one by
// its key and its raw value.
Row BitRow(DeviceKind kind, const StateEntry& entry, Language language) {
  const QString key = Peer(entry.key);
  const UnitBit* bit = FindUnitBit(kind, entry.key);
  if (bit == nullptr) return {key, entry.value != 0 ? "true" : "false", key};
  const std::string_view name = Pick(language, bit->lampChinese, bit->lampEnglish);
  return {name.empty() ? key : Q(name), Q(bit->MemoText(entry.value != 0, language)), key};
}

std::vector<Section> Describe(const Cabinet& cabinet, Language l) {
  using namespace fleet_detail_text;
  std::vector<Section> sections;
  const CabinetState* state = cabinet.state ? &*cabinet.state : nullptr;
  const auto yesNo = [l](bool yes) { return Q((yes ? Yes : No).In(l)); };

  Section agent{Q(Agent.In(l)), {}};
  agent.rows.push_back(
      {Q(Online.In(l)), cabinet.online ? yesNo(*cabinet.online) : Q(Unknown.In(l)), "online"});
  if (state != nullptr) {
    agent.rows.push_back({Q(Kind.In(l)),
                          Q((state->kind == DeviceKind::AirConditioner ? fleet_text::AirConditioner
                                                                       : fleet_text::HeatExchanger)
                                .In(l)),
                          "kind"});
    agent.rows.push_back({Q(MessageTime.In(l)), UtcText(state->timeMs), "time"});
    agent.rows.push_back(
        {Q(ReadingTime.In(l)),
         state->readingTimeMs ? UtcText(*state->readingTimeMs) : Q(NoReading.In(l)),
         "readingTime"});
    agent.rows.push_back(
        {Q(PollPeriod.In(l)),
         state->pollMs ? QString("%1 ms").arg(*state->pollMs) : Q(NotPublished.In(l)), "pollMs"});
  }
  sections.push_back(std::move(agent));
  if (state == nullptr) return sections;

  Section values{Q(Values.In(l)), {}};
  for (const StateEntry& entry : state->values) {
    const QString unit = Peer(entry.unit);
    values.rows.push_back({Peer(entry.key),
                           QString::number(entry.value) + (unit.isEmpty() ? "" : " " + unit),
                           Peer(entry.key)});
  }
  if (!state->values.empty()) sections.push_back(std::move(values));
  Section status{Q(Status.In(l)), {}};
  for (const StateEntry& entry : state->status)
    status.rows.push_back(BitRow(state->kind, entry, l));
  if (!state->status.empty()) sections.push_back(std::move(status));
  Section alarms{Q(Alarms.In(l)), {}};
  for (const StateEntry& entry : state->alarms)
    alarms.rows.push_back(BitRow(state->kind, entry, l));
  if (!state->alarms.empty()) sections.push_back(std::move(alarms));

  Section active{Q(ActiveAlarms.In(l)), {}};
  for (const ActiveAlarm& alarm : cabinet.activeAlarms) {
    const UnitBit* bit = FindUnitBit(state->kind, alarm.key);
    active.rows.push_back({bit != nullptr ? Q(AlarmText(*bit, l)) : Peer(alarm.key),
                           Q(ActiveSince.In(l)).arg(UtcText(alarm.sinceMs)), Peer(alarm.key)});
  }
  if (active.rows.empty()) active.rows.push_back({Q(NoActiveAlarm.In(l)), QString(), QString()});
  sections.push_back(std::move(active));

  Section link{Q(Link.In(l)), {}};
  link.rows.push_back({Q(PortOpen.In(l)), yesNo(state->portOpen), "portOpen"});
  for (const StateEntry& entry : state->link) {
    link.rows.push_back({Peer(entry.key), QString::number(entry.value), Peer(entry.key)});
  }
  sections.push_back(std::move(link));

  Section results{Q(Results.In(l)), {}};
  // Newest first.
  for (auto it = cabinet.results.rbegin(); it != cabinet.results.rend(); ++it) {
    const CommandResult& result = *it;
    QString value = Q((result.ok ? ResultOk : ResultFailed).In(l)) + " · " + Peer(result.status);
    if (!result.message.empty()) value += " · " + Peer(result.message);
    results.rows.push_back(
        {Peer(result.command) + " " + (result.id.empty() ? Q(NoId.In(l)) : "id " + Peer(result.id)),
         value, result.timeMs ? UtcText(*result.timeMs) : QString()});
  }
  if (results.rows.empty()) results.rows.push_back({Q(NoResult.In(l)), QString(), QString()});
  sections.push_back(std::move(results));
  return sections;
}

}  // namespace

FleetDetailWindow::FleetDetailWindow(const FleetModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      note_(new QLabel(this)),
      tree_(new QTreeWidget(this)) {
  setObjectName("FrmFleetDetail");
  resize(720, 640);
  note_->setObjectName("LabelFleetDetailNote");
  note_->hide();
  tree_->setObjectName("TreeFleetDetail");
  tree_->setColumnCount(3);
  tree_->setRootIsDecorated(false);
  tree_->setUniformRowHeights(true);
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(note_);
  layout->addWidget(tree_, 1);
  SetLanguage(language_);
}

void FleetDetailWindow::Show(std::string key) {
  key_ = std::move(key);
  tree_->clear();
  Refresh();
  // The first showing opens beside the fleet view within its screen; later ones keep where the
  // operator put it.
  if (!placed_) {
    PlaceBesideOwner(*this);
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
}

void FleetDetailWindow::SetLanguage(Language language) {
  using namespace fleet_detail_text;
  language_ = language;
  QStringList headers;
  for (const TextPair& column : Columns) headers << Q(column.In(language));
  tree_->setHeaderLabels(headers);
  tree_->clear();
  Refresh();
}

void FleetDetailWindow::Refresh() {
  using namespace fleet_detail_text;
  setWindowTitle(Q(WindowTitle.In(language_)).arg(Peer(key_)));
  const std::optional<std::size_t> row = model_.IndexOf(key_);
  std::vector<Section> sections;
  if (row) sections = Describe(model_.Cabinets()[*row], language_);
  // What a cabinet no longer listed showed is not left standing as if it were current.
  const QString note = !row                             ? Q(NotListed.In(language_))
                       : !model_.Cabinets()[*row].state ? Q(NoState.In(language_))
                                                        : QString();
  note_->setText(note);
  note_->setVisible(!note.isEmpty());

  // Rebuilt only when something changed, so the operator's place in the list stays.
  std::vector<Section> shown;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* group = tree_->topLevelItem(i);
    Section section{group->text(0), {}};
    for (int j = 0; j < group->childCount(); ++j) {
      const QTreeWidgetItem* item = group->child(j);
      section.rows.push_back({item->text(0), item->text(1), item->text(2)});
    }
    shown.push_back(std::move(section));
  }
  if (shown == sections) return;
  const int scrolled = tree_->verticalScrollBar()->value();
  tree_->clear();
  for (const Section& section : sections) {
    auto* group = new QTreeWidgetItem(tree_, QStringList{section.title});
    group->setFirstColumnSpanned(true);
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    for (const Row& values : section.rows) {
      new QTreeWidgetItem(group, QStringList{values[0], values[1], values[2]});
    }
  }
  tree_->expandAll();
  tree_->verticalScrollBar()->setValue(scrolled);
}

}  // namespace climate
