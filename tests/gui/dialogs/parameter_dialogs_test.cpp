// The three parameter dialogs as the operator meets them: texts and layout by language, enable
// state, focus, tab order and typing, and what OK, Cancel, Esc and the title bar leave behind.
#include "dialogs/parameter_dialogs.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "dialogs/dialog_config.hpp"
#include "dialogs/settings_dialogs.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

using testing::B;
using testing::Find;
using testing::TestDialogHost;
using testing::Text;

int X(const QWidget& dialog, const std::string& name) {
  return Find(dialog, name)->x();
}
int Width(const QWidget& dialog, const std::string& name) {
  return Find(dialog, name)->width();
}

TEST(ParameterDialogs, TextsInBothLanguages) {
  TestDialogHost host;
  testing::ParameterDialogSet parameterDialogs(host);
  auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
  // title, frame, label 3, buttons
  const std::tuple<ParameterDialog*, Language, std::string, std::string, std::string> cases[] = {
      {&setKt, Language::English, "Air Conditioner Parameter Setting", "Parameter",
       "Hearter On Point"},
      {&setKt, Language::Chinese, "空调参数设置", "空调参数", "设定加热开启点："},
      {&rjhCjSet, Language::English, "Heat Exchanger Parameters Setting", "Parameters Setting",
       "Heater On"},
      {&rjhCjSet, Language::Chinese, "热交换器参数设定", "热交换器参数", "加热开启点："},
      {&setRjh, Language::English, "Factory Parameter Setting", "Parameter Setting",
       "Internal Fan Stop Point"},
      {&setRjh, Language::Chinese, "厂家参数设置", "厂家参数设定", "内风机停止点："},
  };
  for (const auto& [dialog, language, title, frame, label3] : cases) {
    host.language = language;
    dialog->FormShow();
    EXPECT_EQ(dialog->windowTitle().toStdString(), title);
    EXPECT_EQ(Find<QGroupBox>(*dialog, "GroupBox1")->title().toStdString(), frame);
    EXPECT_EQ(Text(*dialog, "Label3"), label3);
    const bool chinese = language == Language::Chinese;
    EXPECT_EQ(Text(*dialog, "suiButtonOK"), chinese ? "确定(&C)" : "OK (&C)");
    EXPECT_EQ(Text(*dialog, "suiButtonCacel"), chinese ? "取消(&D)" : "Cancel (&D)");
    EXPECT_EQ(Text(*dialog, "suiButtonDefault"), chinese ? "默认值(&F)" : "Default (&F)");
  }
  EXPECT_EQ(Text(setRjh, "Label10"), "%");
  EXPECT_EQ(Text(setKt, "Label12"), "℃");
}

TEST(ParameterDialogs, HeatExchangerLayoutsByLanguageThenTheStoredSize) {
  TestDialogHost host;
  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet dialog(host, rjh);
  // window width and height, frame, labels 1 and 2, Cancel, Default
  const auto layout = [&dialog] {
    return std::vector<int>{dialog.width(),
                            dialog.height(),
                            Width(dialog, "GroupBox1"),
                            Width(dialog, "Label1"),
                            Width(dialog, "Label2"),
                            X(dialog, "suiButtonCacel"),
                            X(dialog, "suiButtonDefault")};
  };
  host.language = Language::Chinese;
  host.WriteConfig("[FrmRjhCjSet]\r\nHeight=362\r\nWidth=291\r\n");
  dialog.FormShow();
  // The stored height wins; the stored width gives way to what the Chinese layout needs.
  EXPECT_EQ(layout(), (std::vector<int>{337, 362, 324, 194, 217, 113, 218}));
  host.language = Language::English;
  host.WriteConfig("");
  dialog.FormShow();
  // Read defaults, down to what the layout can use. Captions longer than their design widths in
  // the font shown widen the labels, and the frame and window with them; the buttons stay. The
  // window is never narrower than its title needs.
  const int wider = Width(dialog, "Label1") - 166;
  EXPECT_GE(wider, 0);
  const int titleWidth = testing::TitleBarWidth("Heat Exchanger Parameters Setting");
  EXPECT_EQ(layout(), (std::vector<int>{std::max(299 + wider, titleWidth), 362, 282 + wider,
                                        166 + wider, 189 + wider, 88, 186}));

  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  TFrmSetRjh setRjh(host, factory);
  // window, frames, field, unit, label 2 and 4, Cancel, Default
  const std::pair<Language, std::vector<int>> layouts[] = {
      {Language::Chinese, {343, 326, 246, 296, 242, 242, 114, 222}},
      {Language::English, {284, 266, 152, 229, 139, 141, 88, 176}},
  };
  int factoryWider = 0;
  for (auto [language, e] : layouts) {
    host.language = language;
    setRjh.FormShow();  // no stored size: the language layout stays
    if (language == Language::English) {
      factoryWider = Width(setRjh, "Label2") - 139;
      EXPECT_GE(factoryWider, 0);
      for (const int i : {1, 2, 3, 4, 5}) e[i] += factoryWider;
      // The read default width gives way to what the wider layout and the title need.
      e[0] =
          std::max({e[0], 282 + factoryWider, testing::TitleBarWidth("Factory Parameter Setting")});
    }
    EXPECT_EQ(
        (std::vector<int>{setRjh.width(), Width(setRjh, "GroupBox1"), X(setRjh, "suiComboBox10"),
                          X(setRjh, "Label7"), Width(setRjh, "Label2"), Width(setRjh, "Label4"),
                          X(setRjh, "suiButtonCacel"), X(setRjh, "suiButtonDefault")}),
        e);
    EXPECT_EQ(Width(setRjh, "GroupBox2"), e[1]);
  }
  host.WriteConfig("[FrmSetRjh]\r\nHeight=317\r\nWidth=566\r\n");
  setRjh.FormShow();
  // The new file's 566 only widens the frame's margin.
  EXPECT_EQ(setRjh.size(),
            QSize(std::max(284 + factoryWider, testing::TitleBarWidth("Factory Parameter Setting")),
                  317));
}

TEST(ParameterDialogs, FieldsEnableStateFocusTabOrderAndTyping) {
  TestDialogHost host;
  host.WriteConfig(
      "[UserSetRjh]\r\nWfjtsd=1000\r\nWfjtsdE=1\r\nWfjqsdjyTsdpcE=0\r\nJrkqdE=1\r\nJrlmdE=1\r\n");
  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet dialog(host, rjh);
  dialog.FormShow();
  const bool enabled[] = {true, false, true, true, false, false};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(dialog.FieldBox(i)->isEnabled(), enabled[i]);
  EXPECT_EQ(dialog.FieldBox(0)->currentText(), "1000");  // a longer stored text is shown whole
  EXPECT_EQ(dialog.focusWidget(), dialog.FieldBox(0));

  QLineEdit* heater = dialog.FieldBox(2)->lineEdit();
  heater->clear();
  QTest::keyClicks(heater, "-1234");
  EXPECT_EQ(rjh.Text(2), "-12");               // three typed characters, straight into the model
  EXPECT_EQ(dialog.FieldBox(2)->count(), 21);  // nothing typed joins the list

  std::string order;
  QWidget* widget = dialog.FieldBox(0);
  for (int i = 0; i < 8; ++i) {
    do {
      widget = widget->nextInFocusChain();
    } while (widget->objectName().isEmpty() || widget->focusPolicy() == Qt::NoFocus);
    order += widget->objectName().toStdString().substr(3) + " ";
  }
  EXPECT_EQ(order,
            "ComboBox5 ComboBox6 ComboBox4 ComboBox3 ComboBox2 ButtonOK ButtonCacel "
            "ButtonDefault ");
}

TEST(ParameterDialogs, EnterSendsWhatIsShown) {
  TestDialogHost host;
  host.WriteConfig("[UserSetKt]\r\nZllmd=10\r\nJrkqd=5\r\nJrlmd=10\r\nGwgjd=55\r\nDwgjdE=1\r\n");
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt dialog(host, kt);
  dialog.FormShow();
  dialog.show();
  QLineEdit* low = dialog.FieldBox(5)->lineEdit();
  low->clear();
  QTest::keyClicks(low, "-15");
  QTest::keyClick(low, Qt::Key_Return);  // Enter presses OK
  EXPECT_EQ(host.port.written, std::vector<Bytes>{B({0x7E, 0x01, 0x77, 0x42, 0x2D, 0x1E, 0x19, 0x1E,
                                                     0x4B, 0x05, 0x75, 0xFE, 0x0D})});
  EXPECT_EQ(host.pendingCommand, 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(ReadDialogConfig(host).ReadString("UserSetKt", "Dwgjd", ""), "-15");
}

TEST(ParameterDialogs, TypedValuesAreSentAsTypedNeverCompletedFromTheList) {
  TestDialogHost host;
  IniFile ini;
  WriteDefaultConfiguration(ini, host.folder.Path());
  ini.Save(host.configPath);
  const auto type = [](ParameterDialog& dialog, std::size_t field, const char* text) {
    QLineEdit* edit = dialog.FieldBox(field)->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    return edit;
  };
  // The list completes only what the operator types into a focused field of the active window.
  const auto open = [](ParameterDialog& dialog) {
    dialog.FormShow();
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
  };
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt setKt(host, kt);
  ASSERT_TRUE(open(setKt));
  type(setKt, 2, "-1");  // the list offers -10 and -15 first
  QTest::keyClick(type(setKt, 5, "-1"), Qt::Key_Return);
  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  TFrmSetRjh setRjh(host, factory);
  ASSERT_TRUE(open(setRjh));
  QTest::keyClick(type(setRjh, 4, "10"), Qt::Key_Return);  // not 100
  EXPECT_EQ(host.port.written,
            (std::vector<Bytes>{
                B({0x7E, 0x01, 0x77, 0x42, 0x34, 0x1E, 0x13, 0x1E, 0x4B, 0x13, 0x66, 0xFE, 0x0D}),
                B({0x7E, 0x01, 0x66, 0x44, 0x2D, 0x1E, 0x14, 0x19, 0x0A, 0xD4, 0xFE, 0x0D})}));
  EXPECT_EQ(ReadDialogConfig(host).ReadString("UserSetKt", "Jrkqd", ""), "-1");
}

TEST(ParameterDialogs, DefaultShowsTheDefaultsEvenWhenNothingIsSent) {
  TestDialogHost host;
  host.WriteConfig("[UserSetRjh]\r\nWfjtsd=22\r\n");
  host.BreakPort();
  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet dialog(host, rjh);
  dialog.FormShow();
  dialog.show();
  host.prompts.answers = {true};
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonDefault"), Qt::LeftButton);
  EXPECT_EQ(dialog.FieldBox(0)->currentText(), "30");  // a disabled field too
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(host.port.written.empty());
}

TEST(ParameterDialogs, EveryCloseStoresSizeAndTexts) {
  TestDialogHost host;
  host.WriteConfig("[UserSetKt]\r\nZltzdE=1\r\n");
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt dialog(host, kt);
  const std::pair<std::function<void()>, std::string> closes[] = {
      {[&] { QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonCacel"), Qt::LeftButton); },
       "31"},
      {[&] { QTest::keyClick(&dialog, Qt::Key_Escape); }, "32"},
      {[&] { dialog.close(); }, "ab"},
  };
  for (const auto& [close, text] : closes) {
    dialog.FormShow();
    dialog.show();
    // The design width, or the title's where that is wider.
    const QSize shown(std::max(331, dialog.minimumWidth()), 400);
    dialog.resize(shown);
    dialog.FieldBox(0)->setEditText(QString::fromStdString(text));
    close();
    EXPECT_FALSE(dialog.isVisible());
    dialog.FormShow();  // shown again next time
    EXPECT_EQ(dialog.FieldBox(0)->currentText().toStdString(), text);
    EXPECT_EQ(dialog.size(), shown);
  }
  EXPECT_TRUE(host.port.written.empty());

  host.configPath = host.folder.Path() + "gone/UserSet.INI";
  dialog.reject();
  EXPECT_EQ(host.errors, std::vector<std::string>{"Unable to write to " + host.configPath});
}

// Presses a button of a dialog once exec() has shown it.
void PressWhenShown(const QString& dialog, const QString& button) {
  QTimer::singleShot(0, [dialog, button] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->objectName() == dialog && window->isVisible()) {
        window->findChild<QPushButton*>(button)->click();
      }
    }
  });
}

TEST(ParameterDialogs, LauncherRunsTheDialogsModally) {
  TestDialogHost host;
  ParameterModel kt = ParameterModel::AirConditioner();
  std::unique_ptr<DialogLauncher> launcher = CreateSettingsDialogs(host, nullptr, kt);
  PressWhenShown("FrmSetKt", "suiButtonOK");
  launcher->ShowSetKt();
  PressWhenShown("FrmSetRjh", "suiButtonOK");
  launcher->ShowSetRjh();
  PressWhenShown("FrmRjhCjSet", "suiButtonCacel");
  launcher->ShowRjhCjSet();
  PressWhenShown("FrmComSet", "suiButtonCancel");
  launcher->ShowComSet();
  EXPECT_EQ(host.port.written,
            (std::vector<Bytes>{
                B({0x7E, 0x01, 0x77, 0x42, 0x2D, 0x14, 0x1E, 0x14, 0x14, 0x19, 0xA7, 0xFE, 0x0D}),
                B({0x7E, 0x01, 0x66, 0x44, 0x2D, 0x1E, 0x14, 0x19, 0x1E, 0xC0, 0xFE, 0x0D})}));
  EXPECT_EQ(host.pendingCommand, 5);
  const IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.Sections(),
            (std::vector<std::string>{"FrmSetKt", "UserSetKt", "FrmSetRjh", "UserSetRjh",
                                      "FrmRjhCjSet", "FrmComSet", "ComSet"}));
}

}  // namespace
}  // namespace climate
