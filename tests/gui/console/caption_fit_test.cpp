// Every caption of the main window shows whole at the window's caption size, in both languages,
// for both unit types and every state of the remote button, with the fan stop and factory
// buttons shown: no font is shrunk to make a text fit, every label and button is as wide as its
// text needs, every group as wide as its title and holds its controls, and the title band runs
// across the whole window.
#include <QFontMetrics>
#include <QScrollArea>
#include <set>

#include "console/radio_group.hpp"
#include "console_fixture.hpp"

namespace climate::testing {
namespace {

constexpr int CaptionPixelSize = 12;

using CaptionFit = ConsoleTest;

// What is wrong with the captions of the client area: one line per fault.
std::vector<std::string> CutCaptions(QWidget* client) {
  std::vector<std::string> faults;
  for (QWidget* widget : client->findChildren<QWidget*>()) {
    QString text;
    int needed = 0;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
      needed = label->sizeHint().width();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      text = button->text();
      needed = button->sizeHint().width();  // the text with the style's padding or indicator
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      text = group->title();
      needed = group->minimumSizeHint().width();  // the title with the style's margins
    } else {
      continue;
    }
    if (text.isEmpty()) continue;  // the logo and the legend's colour fields
    const std::string what = widget->objectName().toStdString() + " \"" + text.toStdString() + "\"";
    if (widget->font().pixelSize() != CaptionPixelSize) {
      faults.push_back(what + " shrunk to " + std::to_string(widget->font().pixelSize()) + " px");
    }
    if (needed > widget->width()) {
      faults.push_back(what + " needs " + std::to_string(needed) + " px, has " +
                       std::to_string(widget->width()));
    }
    QWidget* parent = widget->parentWidget();
    if (parent != client && !parent->rect().contains(widget->geometry())) {
      faults.push_back(what + " reaches out of " + parent->objectName().toStdString());
    }
  }
  return faults;
}

TEST_F(CaptionFit, EveryCaptionShowsWholeAtItsNormalSize) {
  WriteConfig([](IniFile& ini) {
    ini.WriteString("UserSet", "Language", "中文(&L)");  // the window starts in English
    ini.WriteInteger("Debug", "FjtzdE", 1);
    ini.WriteInteger("Debug", "CjCsSetE", 1);
  });
  TFrmMain& window = Start();
  auto* client = Find<QWidget>("ClientArea");
  auto* band = Find<QWidget>("TitleBand");
  ASSERT_TRUE(client != nullptr && band != nullptr);
  ASSERT_TRUE(Find<QWidget>("suiButtonStop")->isVisibleTo(&window));

  std::set<std::string> remoteCaptions;
  for (const Language language : {Language::English, Language::Chinese}) {
    ASSERT_EQ(window.CurrentLanguage(), language);
    for (const int unit : {0, 1}) {
      Find<RadioGroup>("RadioGroupType")->Button(unit)->click();
      ASSERT_EQ(window.Kind(), unit == 0 ? DeviceKind::AirConditioner : DeviceKind::HeatExchanger);
      EXPECT_EQ(Find<QWidget>("suiButtonCjSet")->isVisibleTo(&window), unit == 1);
      // After the switch, with the unit running, and with it stopped.
      for (const int step : {0, 1, 2}) {
        if (step == 1) port_.Inject(RealTimeReply(0x13, 0x00, 0x40));
        if (step == 2) port_.Inject(RealTimeReply(0x00, 0x00, 0x40));
        remoteCaptions.insert(Caption("suiButtonOpen"));
        const std::string state = std::string(language == Language::English ? "en" : "zh") +
                                  " unit " + std::to_string(unit) + " step " + std::to_string(step);
        for (const std::string& fault : CutCaptions(client)) {
          ADD_FAILURE() << state << ": " << fault;
        }

        EXPECT_EQ(band->geometry(), QRect(0, 0, client->width(), band->height())) << state;
        QFont title = band->font();
        title.setPixelSize(13);
        title.setBold(true);
        EXPECT_LE(QFontMetrics(title).horizontalAdvance(window.windowTitle()) + 20, band->width())
            << state;
      }
    }
    Trigger("Language");
  }
  // Both languages' running and stopped captions, and the one a switch leaves.
  EXPECT_EQ(remoteCaptions,
            (std::set<std::string>{"Remote Off (&O)", "Remote Off (&L)", "Remote On (&O)",
                                   "遥控关机(&O)", "遥控关机(&L)", "遥控开机(&O)"}));
}

}  // namespace
}  // namespace climate::testing
