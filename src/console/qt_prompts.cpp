#include "console/qt_prompts.hpp"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>
#include <QWindow>

#include "common/qt_text.hpp"
#include "dialogs/dialog_fit.hpp"

namespace climate {

namespace {

// How long a message waits for its window to come on screen before it is shown anyway.
constexpr int ParentExposeWaitMs = 1000;

// The standard buttons' texts from the console's own table: Qt's translation and the desktop's
// theme would otherwise pick them by the system's locale, not by the language shown.
constexpr TextPair OkText = {"确定", "OK"};
constexpr TextPair CancelText = {"取消", "Cancel"};

void NameButtons(QMessageBox& box, Language language) {
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(Q(OkText.In(language)));
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
    cancel->setText(Q(CancelText.In(language)));
  }
}

// A box is sized by Qt from its text and buttons, with only a little room for its title: a
// strut across the whole grid keeps it as wide as the title bar needs. Qt builds the grid anew
// when the icon or the informative text changes, so this comes last, just before the box shows.
void WidenForTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const QMargins margins = grid->contentsMargins();
  const int width = TitleFitWidth(box, box.windowTitle()) - margins.left() - margins.right();
  if (width <= 0) return;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

bool OnScreen(const QWidget& widget) {
  const QWindow* window = widget.windowHandle();
  return window != nullptr && window->isExposed();
}

}  // namespace

QtPrompts::QtPrompts(QWidget* parent, std::string applicationTitle)
    : parent_(parent), applicationTitle_(std::move(applicationTitle)) {}

QtPrompts::~QtPrompts() {
  if (qtChineseInstalled_ && QCoreApplication::instance() != nullptr) {
    QCoreApplication::removeTranslator(qtChinese_.get());
  }
}

Language QtPrompts::ShownLanguage() const {
  return language_ ? language_() : Language::English;
}

void QtPrompts::ApplyLanguage() {
  const bool chinese = ShownLanguage() == Language::Chinese;
  if (chinese == qtChineseInstalled_) return;
  if (chinese && !qtChineseLoaded_) {
    qtChineseLoaded_ = true;
    // Qt's own translation as the system installs it; without it the buttons stay English.
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      qtChinese_ = std::move(translator);
    }
  }
  if (!qtChinese_) return;
  if (chinese) {
    QCoreApplication::installTranslator(qtChinese_.get());
  } else {
    QCoreApplication::removeTranslator(qtChinese_.get());
  }
  qtChineseInstalled_ = chinese;
}

QString QtPrompts::Caption(const std::string& caption) const {
  return QString::fromStdString(caption.empty() ? applicationTitle_ : caption);
}

bool QtPrompts::ParentComing() {
  if (parentSeen_ || parent_ == nullptr || !parent_->isVisible()) return false;
  if (OnScreen(*parent_)) parentSeen_ = true;
  return !parentSeen_;
}

void QtPrompts::Message(const std::string& text, const std::string& caption) {
  MessageWithDetails(text, caption, {});
}

void QtPrompts::MessageWithDetails(const std::string& text, const std::string& caption,
                                   const std::string& details) {
  if (dismissed_) return;
  if (!ParentComing() && waiting_.empty()) {
    ShowMessage({text, caption, details});
    return;
  }
  // The show handler is still running and the window system has not even been asked to map the
  // window: the box follows once the event loop has put the window on screen.
  waiting_.push_back({text, caption, details});
  if (!showScheduled_) {
    showScheduled_ = true;
    QTimer::singleShot(0, parent_, [this] { ShowWaitingMessages(); });
  }
}

void QtPrompts::ShowWaitingMessages() {
  showScheduled_ = false;
  QElapsedTimer waited;
  waited.start();
  while (parent_ != nullptr && !OnScreen(*parent_) && waited.elapsed() < ParentExposeWaitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  parentSeen_ = true;
  if (parent_ != nullptr) parent_->repaint();
  while (!waiting_.empty() && !dismissed_) {
    const WaitingMessage message = waiting_.front();
    waiting_.pop_front();
    ShowMessage(message);
  }
  waiting_.clear();
}

void QtPrompts::ShowMessage(const WaitingMessage& message) {
  ApplyLanguage();
  QMessageBox box(QMessageBox::NoIcon, Caption(message.caption),
                  QString::fromStdString(message.text), QMessageBox::Ok, parent_);
  if (!message.details.empty()) box.setDetailedText(QString::fromStdString(message.details));
  NameButtons(box, ShownLanguage());
  WidenForTitle(box);
  box.exec();
}

bool QtPrompts::Confirm(const std::string& text, const std::string& caption) {
  if (dismissed_) return false;
  ApplyLanguage();
  QMessageBox box(QMessageBox::NoIcon, Caption(caption), QString::fromStdString(text),
                  QMessageBox::Ok | QMessageBox::Cancel, parent_);
  NameButtons(box, ShownLanguage());
  WidenForTitle(box);
  return box.exec() == QMessageBox::Ok;
}

bool QtPrompts::InputText(const std::string& caption, const std::string& prompt, std::string& value,
                          char mask, const std::string& okText, const std::string& cancelText) {
  ApplyLanguage();
  QDialog dialog(parent_);
  dialog.setObjectName("InputDialog");
  dialog.setWindowTitle(Caption(caption));
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(QString::fromStdString(prompt), &dialog);
  auto* entry = new QLineEdit(QString::fromStdString(value), &dialog);
  entry->setObjectName("InputDialogEntry");
  if (mask != 0) {
    // The mask character is a style property of the line edit; the echo mode hides the text.
    entry->setEchoMode(QLineEdit::Password);
    entry->setStyleSheet(QStringLiteral("lineedit-password-character: %1;")
                             .arg(static_cast<int>(static_cast<unsigned char>(mask))));
  }
  auto* buttons = new QDialogButtonBox(&dialog);
  buttons->addButton(QString::fromStdString(okText), QDialogButtonBox::AcceptRole);
  buttons->addButton(QString::fromStdString(cancelText), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(entry);
  layout->addWidget(buttons);
  entry->selectAll();
  // As wide as its title needs, within the screen.
  dialog.setMinimumWidth(TitleFitWidth(dialog, dialog.windowTitle()));
  if (dialog.exec() != QDialog::Accepted) return false;
  value = entry->text().toStdString();
  return true;
}

}  // namespace climate
