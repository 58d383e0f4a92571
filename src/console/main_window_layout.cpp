// The main window's controls at their design rectangles (client area 735 x 582, status bar at
// the bottom), their menus and status panels.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <span>

#include "console/drawn_pictures.hpp"
#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/radio_group.hpp"
#include "console/ui_texts.hpp"
#include "protocol/reply_views.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

constexpr int StatusBarHeight = 20;
constexpr int CaptionPixelSize = 12;
constexpr int SmallestCaptionPixelSize = 9;
constexpr std::array<int, 6> StatusPanelWidths = {150, 10, 120, 140, 30, 50};

// The columns, wide enough for the longest caption of either language at the caption size: the
// measurements and the memo on the left, the legend and the lamps on the right, and along the
// bottom the unit selector with the request buttons, then the periodic report controls.
constexpr int LeftColumnWidth = 557;
constexpr int RightColumnLeft = 564;
constexpr int RightColumnWidth = 168;
constexpr int LampCaptionWidth = RightColumnWidth - 32;
constexpr int CommandGroupWidth = 428;
constexpr int TimerLeft = 4 + CommandGroupWidth + 4;
// A measurement row: caption, value box, unit; the right column starts past the bevel.
constexpr int ValueCaptionWidth = 182;
constexpr int ValueRightColumnLeft = 284;

template <typename Widget>
Widget* Place(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* PlaceLabel(QWidget* parent, const char* name, std::string_view text, int left, int top,
                   int width, int height = 16) {
  auto* label = Place<QLabel>(parent, name, left, top, width, height);
  label->setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  return label;
}

QLineEdit* PlaceValueBox(QWidget* parent, int number, int left, int top) {
  const QByteArray name = "suiEdit" + QByteArray::number(number);
  auto* box = Place<QLineEdit>(parent, name.constData(), left, top, 56, 22);
  box->setReadOnly(true);
  box->setAlignment(Qt::AlignCenter);
  box->setText(QString::fromUtf8(EmptyBoxText.data(), static_cast<int>(EmptyBoxText.size())));
  // A box whose value has stopped being live carries the property stale and turns grey; one a
  // set point check has just looked at carries setPointCheck and is tinted for a moment.
  box->setStyleSheet(
      "QLineEdit { color: rgb(0,0,255); background: rgb(212,208,200); font-size: 13px; }"
      " QLineEdit[stale=\"true\"] { color: rgb(128,128,128); }"
      " QLineEdit[setPointCheck=\"confirmed\"] { background: rgb(150,230,150); }"
      " QLineEdit[setPointCheck=\"mismatch\"] { background: rgb(255,150,150); }");
  return box;
}

// A measurement row: caption, value box and unit, placed down a column.
struct ValueRowPlace {
  const char* label;
  std::string_view text;
  int box;
  const char* unit;
};

void PlaceValueRows(QWidget* group, std::span<const ValueRowPlace> rows, int left, int top,
                    int step, std::array<QLineEdit*, 15>& boxes) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int y = top + static_cast<int>(i) * step;
    QLabel* caption =
        PlaceLabel(group, rows[i].label, rows[i].text, left, y + 3, ValueCaptionWidth);
    boxes[rows[i].box - 1] = PlaceValueBox(group, rows[i].box, left + ValueCaptionWidth, y);
    caption->setBuddy(boxes[rows[i].box - 1]);  // the box's name for a screen reader
    const QByteArray unitName = "LabelUnit" + QByteArray::number(rows[i].box);
    PlaceLabel(group, unitName.constData(), rows[i].unit, left + ValueCaptionWidth + 60, y + 3, 28);
  }
}

}  // namespace

void TFrmMain::BuildLayout() {
  QWidget* client = BuildClientArea();
  BuildPortGroup(client);
  QWidget* legend = BuildLegend(client);
  QWidget* measurements = BuildMeasurements(client);

  BuildMemo(client);

  // Status lamps and alarm lamps, each with its caption on the right. The bit table says which
  // lamps are status lamps and in what order they stand; the captions are the window's, by lamp.
  struct LampCaption {
    const char* label;
    std::string_view text;
  };
  static constexpr LampCaption LampCaptions[UnitBitCount] = {{"Label2", "Unit Status"},
                                                             {"Label7", "High Temperature Alarm"},
                                                             {"Label3", "Internal Fan"},
                                                             {"Label8", "Low Temperature Alarm"},
                                                             {"Label4", "External Fan"},
                                                             {"Label9", "Over Voltage "},
                                                             {"Label5", "Compressor"},
                                                             {"Label10", "Under Voltage "},
                                                             {"Label6", "Heater"},
                                                             {"Label11", "Internal Fan Fault"},
                                                             {"Label19", "Remote On/Off"},
                                                             {"Label18", "Custom  Alarm #1"},
                                                             {"Label14", "Sensor Fault"},
                                                             {"Label13", "Heater Fault"},
                                                             {"Label12", "External Fan Fault"},
                                                             {"Label16", "Custom  Alarm #3"},
                                                             {"Label15", "Custom  Alarm #2"},
                                                             {"Label17", "High Pressure Alarm"},
                                                             {"Label20", "Low Pressure Alarm"}};
  auto* group2 = Place<QGroupBox>(client, "GroupBox2", RightColumnLeft, 78, RightColumnWidth, 129);
  group2->setTitle("System Status");
  auto* group3 = Place<QGroupBox>(client, "GroupBox3", RightColumnLeft, 207, RightColumnWidth, 318);
  group3->setTitle("Alarm Output");
  int rows[2] = {0, 0};  // status, alarm
  for (const UnitBit& bit : UnitBits(DeviceKind::AirConditioner)) {
    QWidget* group = bit.IsAlarm() ? group3 : group2;
    const int y = 20 + rows[bit.IsAlarm() ? 1 : 0]++ * 21;
    const QByteArray name = "Shape" + QByteArray::number(static_cast<int>(bit.lamp) + 1);
    Shape_[bit.lamp] = Place<Lamp>(group, name.constData(), 8, y, 14, 14);
    PlaceLabel(group, LampCaptions[bit.lamp].label, LampCaptions[bit.lamp].text, 27, y - 1,
               LampCaptionWidth)
        ->setBuddy(Shape_[bit.lamp]);
  }

  BuildCommandControls(client);
  BuildMenus();
  BuildStatusBar();
  for (const ControlText& text : DesignTexts()) SetControlText(text.control, text.text.english);
  for (QWidget* widget : client->findChildren<QWidget*>()) FitCaption(widget);
  setWindowTitle(
      QString::fromStdString(WindowTitle(DeviceKind::AirConditioner, Language::English)));

  // The window's menu opens on the client area and on these groups; the memo has its own.
  for (QWidget* widget : {client, static_cast<QWidget*>(group2), static_cast<QWidget*>(group3),
                          legend, measurements, static_cast<QWidget*>(GroupBoxCjSet_)}) {
    widget->installEventFilter(this);
  }
}

QWidget* TFrmMain::BuildClientArea() {
  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  // A narrow face keeps the English captions inside their design rectangles; Chinese glyphs come
  // from the CJK face.
  QFont font = client->font();
  font.setFamilies({"DejaVu Sans Condensed", "WenQuanYi Micro Hei"});
  font.setPixelSize(CaptionPixelSize);
  client->setFont(font);
  client->setFixedSize(DesignWidth, DesignHeight - StatusBarHeight);
  // The fixed layout keeps its design size; on a screen smaller than it the window is smaller
  // and the layout scrolls inside it, the status bar staying in view below.
  auto* scroller = new QScrollArea(this);
  scroller->setObjectName("ClientScroller");
  // The frame only scrolls; Tab goes to the controls in it, never to the frame itself.
  scroller->setFocusPolicy(Qt::NoFocus);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidget(client);
  setCentralWidget(scroller);

  auto* band = Place<TitleBand>(client, "TitleBand", 0, 0, DesignWidth, 27);
  connect(this, &QWidget::windowTitleChanged, band, qOverload<>(&QWidget::update));
  return client;
}

// The port selector with its lamp and settings button, and the logo beside them.
void TFrmMain::BuildPortGroup(QWidget* client) {
  auto* group1 = Place<QGroupBox>(client, "GroupBox1", 5, 29, 442, 48);
  QLabel* portCaption = PlaceLabel(group1, "Label1", "Serial Port", 8, 17, 72);
  suiComboBoxCOM_ = Place<QComboBox>(group1, "suiComboBoxCOM", 82, 13, 104, 24);
  portCaption->setBuddy(suiComboBoxCOM_);
  suiComboBoxCOM_->addItems({"COM1", "COM2", "COM3", "COM4"});
  ShapeComLed_ = Place<Lamp>(group1, "ShapeComLed", 194, 16, 18, 18);
  ShapeComLed_->SetColour(Lamp::Maroon);
  ShapeComLed_->SetReportsContextMenu(true);
  ShapeComLed_->setToolTip(QString::fromUtf8(Texts::PortLampHint.data()));
  suiButtonComSet_ = Place<QPushButton>(group1, "suiButtonComSet", 220, 11, 214, 28);
  suiButtonComSet_->setText("Serial Port Settings (&E)");

  auto* image = Place<QLabel>(client, "Image1", 451, 31, 108, 49);
  image->setScaledContents(true);
  image->setPixmap(DrawLogo(QSize(216, 98)));
  setWindowIcon(QIcon(DrawLogo(QSize(64, 64))));
}

QWidget* TFrmMain::BuildLegend(QWidget* client) {
  auto* group4 =
      Place<QGroupBox>(client, "GroupBox4", RightColumnLeft - 3, 28, RightColumnWidth + 3, 50);
  PlaceLabel(group4, "Label22", "Normal/On", 8, 8, 110);
  PlaceLabel(group4, "Label21", "Fault/Off", 8, 28, 110);
  auto* green = Place<QLabel>(group4, "Label23", 122, 10, 40, 12);
  green->setStyleSheet("background: rgb(0,255,0);");
  auto* red = Place<QLabel>(group4, "Label24", 122, 30, 40, 12);
  red->setStyleSheet("background: rgb(255,0,0);");
  return group4;
}

// The measurement boxes, and below them the factory boxes that stay hidden until the factory
// view opens.
QWidget* TFrmMain::BuildMeasurements(QWidget* client) {
  auto* group5 = Place<QGroupBox>(client, "GroupBox5", 4, 76, LeftColumnWidth, 140);
  const ValueRowPlace leftRows[] = {{"Label25", "Indoor Temperature", 1, "℃"},
                                    {"Label26", "Indoor Humidity", 2, "%RH"},
                                    {"Label27", "Cooling Off", 3, "℃"},
                                    {"Label31", "Heater On", 7, "℃"},
                                    {"Label32", "High Temperature Alarm", 8, "℃"}};
  const ValueRowPlace rightRows[] = {{"Label28", "Outdoor Temperature", 4, "℃"},
                                     {"Label29", "Voltage", 5, "V"},
                                     {"Label30", "Cooling On", 6, "℃"},
                                     {"Label33", "Heater Off", 9, "℃"},
                                     {"Label34", "Low Temperature Alarm", 10, "℃"}};
  PlaceValueRows(group5, leftRows, 6, 10, 26, suiEdit_);
  PlaceValueRows(group5, rightRows, ValueRightColumnLeft, 10, 26, suiEdit_);
  auto* bevel = Place<QFrame>(group5, "Bevel1", ValueRightColumnLeft - 6, 8, 2, 126);
  bevel->setFrameShape(QFrame::VLine);
  bevel->setFrameShadow(QFrame::Sunken);

  GroupBoxCjSet_ = Place<QGroupBox>(client, "GroupBoxCjSet", 4, 216, LeftColumnWidth, 129);
  GroupBoxCjSet_->setTitle("Factory Setting");
  const ValueRowPlace factoryLeft[] = {{"Label47", "External Fan Min Speed T", 11, "℃"},
                                       {"Label45", "External Fan Max Speed T", 12, "℃"},
                                       {"Label49", "Internal Fan Stop Point", 13, "℃"}};
  const ValueRowPlace factoryRight[] = {{"Label51", "External Fan Stop Point", 14, "℃"},
                                        {"Label53", "Lowest Fan Speed", 15, "%"}};
  PlaceValueRows(GroupBoxCjSet_, factoryLeft, 6, 24, 32, suiEdit_);
  PlaceValueRows(GroupBoxCjSet_, factoryRight, ValueRightColumnLeft, 24, 32, suiEdit_);
  GroupBoxCjSet_->hide();
  return group5;
}

void TFrmMain::BuildMemo(QWidget* client) {
  suiMemoText_ = Place<QPlainTextEdit>(client, "suiMemoText", 4, 224, LeftColumnWidth - 1, 249);
  suiMemoText_->setLineWrapMode(QPlainTextEdit::NoWrap);
  suiMemoText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  suiMemoText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  suiMemoText_->setStyleSheet("QPlainTextEdit { font-size: 13px; }");
  suiMemoText_->setContextMenuPolicy(Qt::CustomContextMenu);
}

// The unit selector, the request buttons and the periodic report controls along the bottom.
void TFrmMain::BuildCommandControls(QWidget* client) {
  RadioGroupType_ = Place<RadioGroup>(client, "RadioGroupType", 4, 474, CommandGroupWidth, 41);
  RadioGroupType_->setTitle("Unit Selection");
  RadioGroupType_->SetItems({QString::fromUtf8(Texts::UnitSelectorItem0.english.data()),
                             QString::fromUtf8(Texts::UnitSelectorItem1.english.data())});
  RadioGroupType_->SetItemIndex(0);

  auto* group6 = Place<QGroupBox>(client, "GroupBox6", 4, 514, CommandGroupWidth, 47);
  suiButtonSearch_ = Place<QPushButton>(group6, "suiButtonSearch", 5, 9, 158, 30);
  suiButtonSet_ = Place<QPushButton>(group6, "suiButtonSet", 165, 9, 162, 30);
  suiButtonOpen_ = Place<QPushButton>(group6, "suiButtonOpen", 329, 9, 94, 30);

  suiCheckBoxTimer_ = Place<QCheckBox>(client, "suiCheckBoxTimer", TimerLeft, 480, 124, 18);
  suiCheckBoxTimer_->setText("Periodical Report");
  suiSpinEditTime_ = Place<QSpinBox>(client, "suiSpinEditTime", TimerLeft, 501, 56, 22);
  suiSpinEditTime_->setRange(2000, 30000);
  suiSpinEditTime_->setSingleStep(500);
  suiSpinEditTime_->setValue(5000);
  suiSpinEditTime_->setKeyboardTracking(false);
  suiSpinEditTime_->setEnabled(false);
  LabelTime_ = PlaceLabel(client, "LabelTime", "ms", TimerLeft + 59, 504, 42);
  LabelTime_->setEnabled(false);

  // The protected buttons below the alarm lamps, reaching to the right column's edge. The fan
  // stop button also carries the longer caption the show handler gives it first.
  const int rightEdge = RightColumnLeft + RightColumnWidth;
  suiButtonStop_ = Place<QPushButton>(client, "suiButtonStop", TimerLeft + 2, 528, 152, 30);
  suiButtonStop_->hide();
  suiButtonCjSet_ = Place<QPushButton>(client, "suiButtonCjSet", rightEdge - 140, 528, 140, 30);
  suiButtonCjSet_->setText("Get Factory Settings (&G)");
  suiButtonCjSet_->hide();
}

void TFrmMain::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name) {
    auto* item = menu->addAction(QString());
    item->setObjectName(QString::fromLatin1(name));
    return item;
  };
  suiPopupMenu1_ = new QMenu(this);
  suiPopupMenu1_->setObjectName("suiPopupMenu1");
  Clear_ = action(suiPopupMenu1_, "Clear");
  Log_ = action(suiPopupMenu1_, "Log");
  Stop_ = action(suiPopupMenu1_, "Stop");
  About_ = action(suiPopupMenu1_, "About");
  Log_->setCheckable(true);
  Stop_->setCheckable(true);

  suiPopupMenu2_ = new QMenu(this);
  suiPopupMenu2_->setObjectName("suiPopupMenu2");
  Language_ = action(suiPopupMenu2_, "Language");
  Language_->setToolTip(QString::fromUtf8(Texts::LanguageHint.data()));
  Language_->setStatusTip(Language_->toolTip());
  Help_ = action(suiPopupMenu2_, "Help");
  NAbout_ = action(suiPopupMenu2_, "NAbout");
  Monitor_ = action(suiPopupMenu2_, "Monitor");
  Fleet_ = action(suiPopupMenu2_, "Fleet");
  SerialDevices_ = action(suiPopupMenu2_, "SerialDevices");
  SetLogMenuState();
}

void TFrmMain::BuildStatusBar() {
  auto* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(StatusBarHeight);
  for (std::size_t i = 0; i < statusPanels_.size(); ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    // The design widths are the least a panel takes; a longer text (the English port failure,
    // "Wednesday") widens its panel rather than losing its end. As in the status bars operators
    // know, the last panel runs on to the right edge.
    const bool last = i + 1 == statusPanels_.size();
    panel->setMinimumWidth(StatusPanelWidths[i]);
    panel->setSizePolicy(last ? QSizePolicy::Preferred : QSizePolicy::Fixed,
                         QSizePolicy::Preferred);
    bar->addWidget(panel, last ? 1 : 0);
    statusPanels_[i] = panel;
  }
  statusPanels_[4]->setPixmap(DrawPanelIcon());
  statusPanels_[4]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TFrmMain::SetControlText(std::string_view control, std::string_view text) {
  const QString name = QString::fromUtf8(control.data(), static_cast<int>(control.size()));
  const QString value = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  QObject* object = findChild<QObject*>(name);
  if (auto* label = qobject_cast<QLabel*>(object)) {
    label->setText(value);
    FitCaption(label);
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    button->setText(value);
    FitCaption(button);
  } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
    group->setTitle(value);
  } else if (auto* item = qobject_cast<QAction*>(object)) {
    item->setText(value);
  }
}

void TFrmMain::FitCaption(QWidget* widget) {
  QString text;
  int reserved = 0;
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    text = label->text();
    reserved = 2;
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    text = button->text();
    reserved = 10;
  } else if (auto* box = qobject_cast<QAbstractButton*>(widget)) {
    text = box->text();
    reserved = 22;  // the check mark or radio indicator
  } else {
    return;
  }
  if (text.isEmpty()) return;
  text.remove('&');
  QFont font = widget->font();
  font.setPixelSize(CaptionPixelSize);
  while (font.pixelSize() > SmallestCaptionPixelSize &&
         QFontMetrics(font).horizontalAdvance(text) > widget->width() - reserved) {
    font.setPixelSize(font.pixelSize() - 1);
  }
  widget->setFont(font);
}

// A layout cut by the screen scrolls that way, and its scroll bar takes room from the other
// way: without that room the window would scroll both ways where only one is short.
QSize TFrmMain::LeastSize(QSize screen) const {
  const QSize layout(DesignWidth, DesignHeight);
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, centralWidget());
  QSize least = layout;
  if (layout.height() > screen.height()) least.rwidth() += bar;
  if (layout.width() > screen.width()) least.rheight() += bar;
  return least.boundedTo(screen);
}

// The factory view moves the memo down below the factory group.
void TFrmMain::SetFactoryView(bool open) {
  if (open) {
    suiMemoText_->setGeometry(4, 346, LeftColumnWidth - 1, 128);
  } else {
    suiMemoText_->setGeometry(4, 224, LeftColumnWidth - 1, 249);
  }
  GroupBoxCjSet_->setVisible(open);
}

bool TFrmMain::FactoryViewOpen() const {
  return GroupBoxCjSet_->isVisibleTo(centralWidget()) && suiMemoText_->geometry().top() == 346;
}

}  // namespace climate
