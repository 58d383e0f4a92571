// The serial port settings dialog.
#include "dialogs/port_settings_dialog.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/window_fit.hpp"
#include "common/named_widget.hpp"
#include "dialogs/dialog_config.hpp"
#include "dialogs/dialog_fit.hpp"
#include "dialogs/dialog_host.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

constexpr int FallbackHeight = ReadDefault::FrmComSetHeight;
constexpr int FallbackWidth = ReadDefault::FrmComSetWidth;
constexpr const char* DefaultSettings = "9600,n,8,1";

QComboBox* FixedList(QWidget* parent, const char* name, const QStringList& entries) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(false);
  box->addItems(entries);
  return box;
}

// Selects the entry equal to text; no entry fits: no selection rather than a wrong one.
void SelectEqual(QComboBox* box, const std::string& text) {
  box->setCurrentIndex(
      box->findText(QString::fromStdString(text), Qt::MatchFixedString | Qt::MatchCaseSensitive));
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

std::string ChosenText(const QComboBox* box) {
  return box->currentIndex() < 0 ? std::string() : box->currentText().toStdString();
}

}  // namespace

TFrmComSet::TFrmComSet(DialogHost& host, QWidget* parent) : FormDialog(parent), host_(host) {
  setObjectName("FrmComSet");
  // System menu and close button only.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);

  QWidget* page = BuildLinePage();
  BuildButtons(page);

  // Default belongs to the page: it resets the lists, and applies them to the port at once.
  auto* grid = static_cast<QGridLayout*>(page->layout());
  const int row = grid->rowCount();
  grid->setRowStretch(row, 1);
  grid->addWidget(default_, row + 1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  // The page and the note scroll where the screen is smaller than they are; OK and Cancel stay
  // in view below them.
  auto* content = Named<QWidget>(nullptr, "ComSetContent");
  auto* lines = new QVBoxLayout(content);
  lines->setContentsMargins(0, 0, 0, 0);
  lines->addWidget(pages_, 1);
  lines->addWidget(Named<QLabel>(content, "LabelLineNote"));
  scroller_ = NewScrollFrame(this, "ComSetScroller", content);
  scroller_->setWidgetResizable(true);
  auto* column = new QVBoxLayout(this);
  column->addWidget(scroller_, 1);
  column->addLayout(buttons);

  setTabOrder(rate_, data_);
  setTabOrder(data_, parity_);
  setTabOrder(parity_, stop_);
  setTabOrder(stop_, default_);
  setTabOrder(default_, ok_);
  setTabOrder(ok_, cancel_);
  resize(FallbackWidth, FallbackHeight);
}

// The tab with the four line lists, each beside its caption.
QWidget* TFrmComSet::BuildLinePage() {
  pages_ = new QTabWidget(this);
  pages_->setObjectName("suiPageControl1");
  auto* page = new QWidget;
  page->setObjectName("suiTabSheet1");
  pages_->addTab(page, QString());

  rateLabel_ = Named<QLabel>(page, "Label1");
  dataLabel_ = Named<QLabel>(page, "Label2");
  parityLabel_ = Named<QLabel>(page, "Label3");
  stopLabel_ = Named<QLabel>(page, "Label4");
  rate_ = FixedList(page, "suiComboBoxBote",
                    {"115200", "57600", "38400", "19200", "14400", "9600", "4800"});
  data_ = FixedList(page, "suiComboBoxData", {"5", "6", "7", "8"});
  parity_ = FixedList(page, "suiComboBoxOP", {});
  stop_ = FixedList(page, "suiComboBoxStop", {"1", "2"});

  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(24, 24, 24, 24);
  grid->setHorizontalSpacing(16);
  grid->setVerticalSpacing(18);
  const std::pair<QLabel*, QComboBox*> rows[] = {
      {rateLabel_, rate_}, {dataLabel_, data_}, {parityLabel_, parity_}, {stopLabel_, stop_}};
  int row = 0;
  for (const auto& [label, box] : rows) {
    label->setBuddy(box);
    box->setMinimumWidth(110);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row, 1);
    ++row;
  }
  return page;
}

void TFrmComSet::BuildButtons(QWidget* page) {
  default_ = NamedButton(page, "suiButtonDefault", this, &TFrmComSet::suiButtonDefaultClick);
  ok_ = NamedButton(this, "suiButtonOK", this, &TFrmComSet::suiButtonOKClick);
  cancel_ = NamedButton(this, "suiButtonCancel", this, &TFrmComSet::suiButtonCancelClick);
  ok_->setDefault(true);
}

int TFrmComSet::Run() {
  FormShow();
  return exec();
}

void TFrmComSet::FormShow() {
  const bool chinese = host_.CurrentLanguage() == Language::Chinese;
  setWindowTitle(chinese ? "串口属性设置" : "Serial Port Setting");
  pages_->setTabText(0, chinese ? "端口设置" : "Port Setting");
  rateLabel_->setText(chinese ? "波特率" : "Baud Rate");
  dataLabel_->setText(chinese ? "数据位" : "Data Bits");
  parityLabel_->setText(chinese ? "奇偶检验" : "Parity");
  stopLabel_->setText(chinese ? "停止位" : "Stop Bits");
  default_->setText(chinese ? "还原默认值(&D)" : "Default Settings (&D)");
  ok_->setText(chinese ? "确定(&A)" : "OK (&A)");
  cancel_->setText(chinese ? "取消(&C)" : "Cancel (&C)");

  // A raw TCP device server sets its line itself; the choice is still kept for the next start.
  auto* note = findChild<QLabel*>("LabelLineNote");
  note->setWordWrap(true);
  note->setText(
      chinese ? "此串口是设备服务器的原始 TCP 连接：线路参数在设备服务器上设置，这里的选择只保存。"
              : "This port is a raw TCP connection to a device server: the line is set "
                "on the device server, the choice here is only stored.");
  note->setVisible(!host_.Port().AppliesLineSettings());

  parity_->clear();
  if (chinese) {
    parity_->addItems({"无", "奇校验", "偶校验"});
  } else {
    parity_->addItems({"None", "Odd", "Even"});
  }
  parity_->setCurrentIndex(0);

  // The stored size wins, but the texts of the language stay whole (the title too) and the lists
  // do not float in a window larger than the design; on a screen smaller than the dialog it is
  // as large as the screen allows and its page scrolls.
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const QSize needed = FitLayoutToScreen(*this, *scroller_, windowTitle());
  setMaximumSize(QSize(FallbackWidth, FallbackHeight).expandedTo(needed));
  const IniFile ini = ReadDialogConfig(host_);
  RestoreWindowSize(*this,
                    QSize(ini.ReadInteger("FrmComSet", "Width", FallbackWidth),
                          ini.ReadInteger("FrmComSet", "Height", FallbackHeight)),
                    needed, maximumSize());
  PlaceOnScreen(*this);

  std::string settings;
  try {
    settings = host_.Port().GetSettings();
  } catch (const SerialError& error) {
    host_.ShowError(error.what());
  }
  std::vector<std::string> fields = SplitAtCommas(settings);
  fields.resize(std::max<std::size_t>(fields.size(), 4));
  SelectEqual(rate_, fields[0]);
  SelectEqual(data_, fields[2]);
  SelectEqual(stop_, fields[3]);
  const char parity = fields[1].empty() ? '\0' : fields[1][0];
  parity_->setCurrentIndex(parity == 'o' || parity == 'O'   ? 1
                           : parity == 'e' || parity == 'E' ? 2
                                                            : 0);
  rate_->setFocus();
}

std::string TFrmComSet::ComposeSettings(std::string* missingField) const {
  const std::pair<const QComboBox*, const QLabel*> lists[] = {
      {rate_, rateLabel_}, {data_, dataLabel_}, {stop_, stopLabel_}};
  for (const auto& [box, label] : lists) {
    if (box->currentIndex() < 0) {
      if (missingField) *missingField = label->text().toStdString();
      return std::string();
    }
  }
  const int parity = parity_->currentIndex();
  const char letter = parity == 1 ? 'o' : parity == 2 ? 'e' : 'n';
  return ChosenText(rate_) + "," + letter + "," + ChosenText(data_) + "," + ChosenText(stop_);
}

void TFrmComSet::suiButtonOKClick() {
  std::string missing;
  const std::string settings = ComposeSettings(&missing);
  if (settings.empty()) {
    // The port shows a value the lists do not offer and the operator has not chosen another:
    // a text with an empty field would fail on the port and at the next start.
    const bool chinese = host_.CurrentLanguage() == Language::Chinese;
    host_.ShowError(chinese ? missing + "：请从列表中选择一个值。"
                            : missing + ": please choose a value from the list.");
    return;
  }
  if (!ApplyToPort(settings)) return;
  accept();
}

// Applies the settings to the port. A device server that refused, did not answer or set other
// values is named once here, for the change the operator just made; the choice is kept anyway,
// as the lamp and the Monitor go on saying what the line runs at.
bool TFrmComSet::ApplyToPort(const std::string& settings) {
  try {
    host_.Port().SetSettings(settings);
  } catch (const SerialError& error) {
    host_.ShowError(error.what());
    return false;
  }
  const std::string problem =
      LineSettingsProblemText(host_.Port().LineSettingsState(), host_.CurrentLanguage());
  if (!problem.empty()) host_.ShowError(host_.Port().RemoteEndpoint() + ": " + problem);
  return true;
}

void TFrmComSet::SelectDefaults() {
  SelectEqual(rate_, "9600");
  SelectEqual(data_, "8");
  parity_->setCurrentIndex(0);
  SelectEqual(stop_, "1");
}

void TFrmComSet::suiButtonDefaultClick() {
  SelectDefaults();
  ApplyToPort(std::string(DefaultSettings));
}

void TFrmComSet::suiButtonCancelClick() {
  reject();
}

void TFrmComSet::FormClose() {
  const int height = this->height();
  const int width = this->width();
  WriteDialogConfig(host_, [&](IniFile& ini) {
    ini.WriteInteger("FrmComSet", "Height", height);
    ini.WriteInteger("FrmComSet", "Width", width);
    // A list without a selection keeps its stored value: an empty one would give the next start
    // a settings text the port refuses.
    if (rate_->currentIndex() >= 0) ini.WriteString("ComSet", "Bote", ChosenText(rate_));
    ini.WriteInteger("ComSet", "Om", parity_->currentIndex() < 0 ? 0 : parity_->currentIndex());
    if (data_->currentIndex() >= 0) ini.WriteString("ComSet", "Data", ChosenText(data_));
    if (stop_->currentIndex() >= 0) ini.WriteString("ComSet", "Stop", ChosenText(stop_));
  });
}

}  // namespace climate
