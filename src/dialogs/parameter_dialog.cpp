// The shared parameter dialog window.
#include "dialogs/parameter_dialog.hpp"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "app/config/ini_file.hpp"
#include "app/window_fit.hpp"
#include "common/named_widget.hpp"
#include "common/qt_text.hpp"
#include "dialogs/dialog_config.hpp"
#include "dialogs/dialog_fit.hpp"
#include "dialogs/dialog_host.hpp"

namespace climate {

namespace {

// Typing is limited to three characters: enough for every value the unit takes.
constexpr int TypedCharacters = 3;

// Everything a layout places: the field frame and the buttons with their frame.
QRect ContentRect(const ParameterDialogLayout& layout) {
  QRect content = layout.fieldFrame;
  if (!layout.buttonFrame.isEmpty()) return content.united(layout.buttonFrame);
  for (const int left : layout.buttonLefts) {
    content =
        content.united(QRect(left, layout.buttonTop, layout.buttonWidth, layout.buttonHeight));
  }
  return content;
}

// The layout with room for captions longer than their design widths (English ones in some
// fonts): the widest shortfall widens the labels and moves the fields, units and frames right
// with the window, so that no caption wraps onto a second line.
ParameterDialogLayout WidenedForCaptions(ParameterDialogLayout layout,
                                         const std::vector<QLabel*>& labels) {
  int extra = 0;
  for (std::size_t i = 0; i < labels.size() && i < layout.labelWidths.size(); ++i) {
    const int needed = labels[i]->fontMetrics().horizontalAdvance(labels[i]->text()) + 2;
    extra = std::max(extra, needed - layout.labelWidths[i]);
  }
  if (extra == 0) return layout;
  for (int& width : layout.labelWidths) width += extra;
  layout.fieldLeft += extra;
  layout.unitLeft += extra;
  layout.fieldFrame.setWidth(layout.fieldFrame.width() + extra);
  if (!layout.buttonFrame.isEmpty()) {
    layout.buttonFrame.setWidth(layout.buttonFrame.width() + extra);
  }
  layout.window.width += extra;
  return layout;
}

}  // namespace

ParameterDialog::ParameterDialog(DialogHost& host, ParameterModel& model,
                                 const ParameterDialogDesign& design, QWidget* parent)
    : FormDialog(parent),
      host_(host),
      model_(model),
      texts_(design.texts),
      chinese_(design.layout(Language::Chinese)),
      english_(design.layout(Language::English)) {
  setObjectName(design.objectName);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  content_ = new QWidget;
  content_->setObjectName("ParameterContent");
  scroller_ = NewScrollFrame(this, "ParameterScroller", content_);
  // A window widened for its title keeps the layout in the middle, not beside an empty strip.
  scroller_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  auto* whole = new QVBoxLayout(this);
  whole->setContentsMargins(0, 0, 0, 0);
  whole->addWidget(scroller_);
  fieldFrame_ = new QGroupBox(content_);
  fieldFrame_->setObjectName("GroupBox1");
  buttonFrame_ = new QGroupBox(content_);
  buttonFrame_->setObjectName("GroupBox2");

  const std::size_t count = model_.Size();
  for (std::size_t i = 0; i < count; ++i) AddFieldRow(i, count);

  ok_ = NamedButton(content_, "suiButtonOK", this, &ParameterDialog::suiButtonOKClick);
  cancel_ = NamedButton(content_, "suiButtonCacel", this, &ParameterDialog::suiButtonCacelClick);
  default_ =
      NamedButton(content_, "suiButtonDefault", this, &ParameterDialog::suiButtonDefaultClick);
  // Enter presses OK unless another button has the focus; Esc rejects through QDialog.
  ok_->setDefault(true);

  QWidget* previous = nullptr;
  for (QWidget* next : boxes_) {
    if (previous) setTabOrder(previous, next);
    previous = next;
  }
  for (QWidget* next : {static_cast<QWidget*>(ok_), static_cast<QWidget*>(cancel_),
                        static_cast<QWidget*>(default_)}) {
    setTabOrder(previous, next);
    previous = next;
  }

  ShowModelTexts();
  ApplyLayout(english_);
}

// A field's caption, its editable list and its unit; the unit labels are numbered after all the
// captions.
void ParameterDialog::AddFieldRow(std::size_t i, std::size_t count) {
  const ParameterField& field = model_.Field(i);
  auto* label = new QLabel(fieldFrame_);
  label->setObjectName(QString("Label%1").arg(i + 1));
  auto* box = new QComboBox(fieldFrame_);
  box->setObjectName(Q(field.control));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);  // a typed value never joins the list
  // What the operator types is what is sent: the list's completer would turn "-1" into "-10"
  // as it is typed, and Enter would then send the completion.
  box->setCompleter(nullptr);
  for (const std::string& entry : field.ListEntries()) box->addItem(Q(entry));
  box->lineEdit()->setMaxLength(TypedCharacters);
  label->setBuddy(box);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto* unit = new QLabel(Q(field.unit), fieldFrame_);
  unit->setObjectName(QString("Label%1").arg(count + i + 1));
  connect(box, &QComboBox::editTextChanged, this, [this, i](const QString& text) {
    if (!showingModel_) model_.SetText(i, text.toStdString());
  });
  labels_.push_back(label);
  boxes_.push_back(box);
  units_.push_back(unit);
}

int ParameterDialog::Run() {
  FormShow();
  return exec();
}

void ParameterDialog::ApplyLayout(const ParameterDialogLayout& design) {
  const ParameterDialogLayout layout = WidenedForCaptions(design, labels_);
  // The window holds the whole layout of the language and gains nothing beyond its design size
  // but empty space. Where the screen is smaller than the layout, the window is as large as the
  // screen allows and the layout scrolls inside it. The window is never narrower than its title.
  const QSize needed = ContentSize(ContentRect(layout));
  content_->setFixedSize(needed);
  QSize least = ScrolledLeast(needed, ScreenRoom(*this), ScrollBarBreadth(*this));
  least.setWidth(std::max(least.width(), TitleFitWidth(*this, windowTitle())));
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setMinimumSize(least);
  setMaximumSize(
      QSize(layout.window.width, layout.window.height).expandedTo(needed).expandedTo(least));
  resize(layout.window.width, layout.window.height);
  fieldFrame_->setGeometry(layout.fieldFrame);
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const int top = layout.rowTop + static_cast<int>(i) * layout.rowPitch;
    const int width = i < layout.labelWidths.size() ? layout.labelWidths[i] : 0;
    // A label longer than its width wraps onto a second line beside its field.
    const int labelHeight = std::max(layout.rowHeight, layout.rowPitch - 4);
    labels_[i]->setGeometry(layout.labelLeft, top + (layout.rowHeight - labelHeight) / 2, width,
                            labelHeight);
    boxes_[i]->setGeometry(layout.fieldLeft, top, layout.fieldWidth, layout.rowHeight);
    units_[i]->setGeometry(layout.unitLeft, top, layout.unitWidth, layout.rowHeight);
  }
  QWidget* buttonParent = content_;
  if (layout.buttonFrame.isEmpty()) {
    buttonFrame_->hide();
  } else {
    buttonFrame_->setGeometry(layout.buttonFrame);
    buttonFrame_->show();
    buttonParent = buttonFrame_;
  }
  QPushButton* buttons[] = {ok_, cancel_, default_};
  for (int i = 0; i < 3; ++i) {
    if (buttons[i]->parentWidget() != buttonParent) {
      buttons[i]->setParent(buttonParent);
      buttons[i]->show();
    }
    buttons[i]->setGeometry(layout.buttonLefts[i], layout.buttonTop, layout.buttonWidth,
                            layout.buttonHeight);
  }
}

void ParameterDialog::ShowModelTexts() {
  showingModel_ = true;
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    QComboBox* box = boxes_[i];
    const QString text = Q(model_.Text(i));
    // A stored text longer than the typing limit is shown whole, never cut to the limit.
    box->lineEdit()->setMaxLength(std::max(TypedCharacters, static_cast<int>(text.size())));
    const int entry = box->findText(text);
    box->setCurrentIndex(entry);
    box->setEditText(text);
    box->setEnabled(model_.Enabled(i));
  }
  showingModel_ = false;
}

void ParameterDialog::FormShow() {
  const Language language = host_.CurrentLanguage();
  const bool chinese = language == Language::Chinese;
  const QString title = Q(chinese ? texts_.titleChinese : texts_.titleEnglish);
  setWindowTitle(title);
  fieldFrame_->setTitle(Q(chinese ? texts_.frameChinese : texts_.frameEnglish));
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    labels_[i]->setText(Q(model_.Field(i).Label(language)));
  }
  ok_->setText(chinese ? "确定(&C)" : "OK (&C)");
  cancel_->setText(chinese ? "取消(&D)" : "Cancel (&D)");
  default_->setText(chinese ? "默认值(&F)" : "Default (&F)");

  // The language layout first, then the stored size, which wins within what the layout needs
  // and can use.
  const ParameterDialogLayout& layout = chinese ? chinese_ : english_;
  ApplyLayout(layout);
  const IniFile ini = ReadDialogConfig(host_);
  const WindowSize size = model_.LoadSize(ini, model_.Info().sizeFallback.value_or(layout.window));
  RestoreWindowSize(*this, QSize(size.width, size.height), minimumSize(), maximumSize());
  PlaceOnScreen(*this);

  model_.Load(ini);
  ShowModelTexts();
  const auto first =
      std::find_if(boxes_.begin(), boxes_.end(), [](QComboBox* box) { return box->isEnabled(); });
  if (first != boxes_.end()) {
    (*first)->setFocus();
  } else {
    ok_->setFocus();
  }
}

void ParameterDialog::suiButtonOKClick() {
  if (model_.Submit(host_)) accept();
}

void ParameterDialog::suiButtonDefaultClick() {
  const bool sent = model_.RestoreDefaults(host_);
  ShowModelTexts();
  if (sent) accept();
}

void ParameterDialog::suiButtonCacelClick() {
  reject();
}

void ParameterDialog::FormClose() {
  const WindowSize size{height(), width()};
  WriteDialogConfig(host_, [&](IniFile& ini) { model_.Save(ini, size); });
}

}  // namespace climate
