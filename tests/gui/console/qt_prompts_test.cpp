// The operator's boxes as Qt shows them: Qt's own button texts speak the console's language of
// the moment.
#include "console/qt_prompts.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace climate::testing {
namespace {

// The button texts of the box that show opens; the box is then closed unanswered.
QStringList ButtonsOfTheBox(const std::function<void()>& show) {
  QStringList texts;
  QTimer::singleShot(0, [&texts] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    for (const QAbstractButton* button : box->findChildren<QAbstractButton*>()) {
      texts << button->text();
    }
    box->done(0);
  });
  show();
  texts.sort();
  return texts;
}

TEST(QtPrompts, StandardButtonsSpeakTheLanguageShownAtTheTime) {
  Language language = Language::Chinese;
  QtPrompts prompts(nullptr, "Background Control System");
  prompts.SetLanguageSource([&language] { return language; });
  const auto confirm = [&prompts] { EXPECT_FALSE(prompts.Confirm("确定还原!", "")); };
  const auto message = [&prompts] { prompts.Message("Unable to write to UserSet.INI", ""); };

  EXPECT_EQ(ButtonsOfTheBox(confirm), (QStringList{"取消", "确定"}));
  EXPECT_EQ(ButtonsOfTheBox(message), QStringList{"确定"});
  language = Language::English;
  EXPECT_EQ(ButtonsOfTheBox(confirm), (QStringList{"Cancel", "OK"}));
  EXPECT_EQ(ButtonsOfTheBox(message), QStringList{"OK"});
  language = Language::Chinese;
  EXPECT_EQ(ButtonsOfTheBox(confirm), (QStringList{"取消", "确定"}));
}

// The failed open's box keeps its text and caption and carries the reason as Qt's details.
TEST(QtPrompts, MessageWithDetailsUnfoldsTheDetails) {
  QtPrompts prompts(nullptr, "Background Control System");
  QString text;
  QString caption;
  QString details;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    text = box->text();
    caption = box->windowTitle();
    details = box->detailedText();
    box->done(0);
  });
  prompts.MessageWithDetails("Open Serial Port Fail", "Error!",
                             "Device: /dev/ttyUSB0\nReason: No such device");
  EXPECT_EQ(text.toStdString(), "Open Serial Port Fail");
  EXPECT_EQ(caption.toStdString(), "Error!");
  EXPECT_EQ(details.toStdString(), "Device: /dev/ttyUSB0\nReason: No such device");
}

}  // namespace
}  // namespace climate::testing
