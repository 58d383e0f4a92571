#include "console/qt_prompts.hpp"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QVBoxLayout>

namespace climate {

QtPrompts::QtPrompts(QWidget* parent, std::string applicationTitle)
    : parent_(parent), applicationTitle_(std::move(applicationTitle)) {}

QtPrompts::~QtPrompts() {
  if (qtChineseInstalled_ && QCoreApplication::instance() != nullptr) {
    QCoreApplication::removeTranslator(qtChinese_.get());
  }
}

void QtPrompts::ApplyLanguage() {
  const bool chinese = language_ && language_() == Language::Chinese;
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

void QtPrompts::Message(const std::string& text, const std::string& caption) {
  if (dismissed_) return;
  ApplyLanguage();
  QMessageBox box(QMessageBox::NoIcon, Caption(caption), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  box.exec();
}

void QtPrompts::MessageWithDetails(const std::string& text, const std::string& caption,
                                   const std::string& details) {
  if (dismissed_) return;
  ApplyLanguage();
  QMessageBox box(QMessageBox::NoIcon, Caption(caption), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  box.setDetailedText(QString::fromStdString(details));
  box.exec();
}

bool QtPrompts::Confirm(const std::string& text, const std::string& caption) {
  if (dismissed_) return false;
  ApplyLanguage();
  QMessageBox box(QMessageBox::NoIcon, Caption(caption), QString::fromStdString(text),
                  QMessageBox::Ok | QMessageBox::Cancel, parent_);
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
  if (dialog.exec() != QDialog::Accepted) return false;
  value = entry->text().toStdString();
  return true;
}

}  // namespace climate
