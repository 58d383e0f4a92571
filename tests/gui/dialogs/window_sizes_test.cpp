// Stored window sizes are wishes: whatever UserSet.INI holds (nothing, a size from the other
// language, a size left from a larger layout, or absurd and negative numbers), every dialog and
// the About window open whole, on the screen, without an empty area beside their content, and
// the close stores the size that was shown.
#include <gtest/gtest.h>

#include <QLabel>
#include <QScreen>

#include "app/about.hpp"
#include "app/config/ini_file.hpp"
#include "dialogs/dialog_config.hpp"
#include "dialogs/parameter_dialogs.hpp"
#include "dialogs/port_settings_dialog.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

using testing::TestDialogHost;

// More than this beside or below the content is empty space the layout cannot use.
constexpr int LargestMargin = 40;

std::string SizeSections(const std::string& width, const std::string& height) {
  std::string text;
  for (const char* section : {"FrmSetKt", "FrmRjhCjSet", "FrmSetRjh", "FrmComSet", "FrmAbout"}) {
    text += std::string("[") + section + "]\r\nWidth=" + width + "\r\nHeight=" + height + "\r\n";
  }
  return text;
}

// On the screen, every control inside the window; returns a description of the first fault.
std::string Misfit(QWidget& window, bool checkEmptyArea) {
  window.show();
  const QRect area = window.screen()->availableGeometry();
  const QRect frame = window.frameGeometry();
  if (!area.contains(frame)) {
    return "off the screen: " + std::to_string(frame.width()) + "x" +
           std::to_string(frame.height()) + " at " + std::to_string(frame.x()) + "," +
           std::to_string(frame.y());
  }
  QRect content;
  for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!child->isVisible()) continue;
    if (!window.rect().contains(child->geometry())) {
      return child->objectName().toStdString() + " cut off";
    }
    content |= child->geometry();
  }
  if (checkEmptyArea && (window.width() - content.right() > LargestMargin ||
                         window.height() - content.bottom() > LargestMargin)) {
    return "empty area";
  }
  return {};
}

TEST(WindowSizes, StoredSizesGiveWholeWindowsOnTheScreenInEitherLanguage) {
  TestDialogHost host;
  testing::ParameterDialogSet parameterDialogs(host);
  auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
  TFrmComSet comSet(host);
  const std::pair<QDialog*, std::string> dialogs[] = {{&setKt, "FrmSetKt"},
                                                      {&rjhCjSet, "FrmRjhCjSet"},
                                                      {&setRjh, "FrmSetRjh"},
                                                      {&comSet, "FrmComSet"}};
  const std::string stored[] = {"",
                                SizeSections("291", "362"),
                                SizeSections("566", "422"),
                                SizeSections("100000", "100000"),
                                SizeSections("2147483647", "32767"),
                                SizeSections("-5", "-2147483648")};
  for (const std::string& config : stored) {
    for (const Language first : {Language::English, Language::Chinese}) {
      host.WriteConfig(config);
      // The second showing reads what the first, in the other language, stored.
      for (const Language language :
           {first, first == Language::English ? Language::Chinese : Language::English}) {
        host.language = language;
        for (const auto& [dialog, section] : dialogs) {
          if (auto* parameters = dynamic_cast<ParameterDialog*>(dialog)) parameters->FormShow();
          if (dialog == &comSet) comSet.FormShow();
          EXPECT_EQ(Misfit(*dialog, true), "")
              << section << (language == Language::Chinese ? " zh " : " en ") << config;
          const QSize shown = dialog->size();
          dialog->reject();
          const IniFile ini = ReadDialogConfig(host);
          EXPECT_EQ(
              QSize(ini.ReadInteger(section, "Width", 0), ini.ReadInteger(section, "Height", 0)),
              shown)
              << section;
        }
      }
    }
    for (const Language language : {Language::English, Language::Chinese}) {
      host.WriteConfig(config);
      TFrmAbout about(host.configPath, language);
      EXPECT_EQ(Misfit(about, false), "") << "FrmAbout " << config;
      const QSize shown = about.size();
      about.reject();
      const IniFile ini = ReadDialogConfig(host);
      EXPECT_EQ(
          QSize(ini.ReadInteger("FrmAbout", "Width", 0), ini.ReadInteger("FrmAbout", "Height", 0)),
          shown);
    }
  }
}

// Every caption of the settings dialogs shows whole on one line at the font it is drawn in.
TEST(WindowSizes, EveryDialogCaptionShowsWholeOnOneLineInEitherLanguage) {
  TestDialogHost host;
  testing::ParameterDialogSet parameterDialogs(host);
  auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
  TFrmComSet comSet(host);
  QDialog* const dialogs[] = {&setKt, &rjhCjSet, &setRjh, &comSet};
  for (const Language language : {Language::English, Language::Chinese}) {
    host.language = language;
    for (QDialog* dialog : dialogs) {
      if (auto* parameters = dynamic_cast<ParameterDialog*>(dialog)) parameters->FormShow();
      if (dialog == &comSet) comSet.FormShow();
      dialog->show();
      for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisible() || label->pixmap().isNull() == false) {
          continue;
        }
        QString text = label->text();
        text.remove('&');
        EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width())
            << dialog->objectName().toStdString() << " " << label->objectName().toStdString() << " "
            << text.toStdString();
      }
      dialog->reject();
    }
  }
}

}  // namespace
}  // namespace climate
