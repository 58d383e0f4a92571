// The operator's boxes as Qt shows them: Qt's own button texts speak the console's language of
// the moment, and every box is as wide as its title needs.
#include "console/qt_prompts.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "console/status_texts.hpp"
#include "console/ui_texts.hpp"
#include "dialogs/dialog_fit.hpp"

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

// The window manager draws each box's title whole: every kind of box, in both languages, with
// each caption the console gives it (the long window titles of both unit types among them), is
// as wide as the title in the bold application font with the title bar's icon and buttons,
// within the screen.
TEST(QtPrompts, EveryBoxIsAsWideAsItsTitleNeeds) {
  const QString applicationTitle =
      QString::fromUtf8(Texts::ApplicationTitle.data(), Texts::ApplicationTitle.size());
  QtPrompts prompts(nullptr, applicationTitle.toStdString());
  Language language = Language::English;
  prompts.SetLanguageSource([&language] { return language; });
  QFont bold = QApplication::font();
  bold.setBold(true);
  // The width and title of the box that show opens; the box is then closed unanswered.
  const auto shownBox = [](const std::function<void()>& show) {
    std::pair<int, QString> shown{-1, QString()};
    QTimer::singleShot(0, [&shown] {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shown = {box->frameGeometry().width(), box->windowTitle()};
      box->done(0);
    });
    show();
    return shown;
  };
  const int screenWidth = QGuiApplication::primaryScreen()->availableGeometry().width();
  for (const Language shownLanguage : {Language::English, Language::Chinese}) {
    language = shownLanguage;
    std::vector<std::string> captions = {"", std::string(PortOpenFailedCaption(language)),
                                         std::string(Texts::StopPointCaption.In(language))};
    for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
      captions.push_back(WindowTitle(kind, language));
      captions.push_back(PasswordDialogCaption(kind, language));
      captions.push_back(AboutCaption(kind, language));
    }
    for (const std::string& caption : captions) {
      const QString title = caption.empty() ? applicationTitle : QString::fromStdString(caption);
      const int needed =
          std::min(QFontMetrics(bold).horizontalAdvance(title) + TitleBarAllowance, screenWidth);
      std::string entry = "1";
      const std::pair<const char*, std::function<void()>> boxes[] = {
          {"message", [&] { prompts.Message("OK", caption); }},
          {"details", [&] { prompts.MessageWithDetails("Fail", caption, "Reason: none"); }},
          {"confirm", [&] { prompts.Confirm("?", caption); }},
          {"input", [&] { prompts.InputText(caption, "#", entry, '#', "OK", "Cancel"); }},
      };
      for (const auto& [kind, show] : boxes) {
        const auto [width, shownTitle] = shownBox(show);
        EXPECT_EQ(shownTitle, title) << kind;
        EXPECT_GE(width, needed) << kind << " \"" << title.toStdString() << "\"";
      }
    }
  }
}

}  // namespace
}  // namespace climate::testing
