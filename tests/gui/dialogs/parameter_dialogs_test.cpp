// The three parameter dialogs as the operator meets them: texts and layout by language, enable
// state, focus and tab order, typing, and what OK, Default, Cancel and Esc leave behind.
#include "dialogs/parameter_dialogs.hpp"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/config/ini_file.hpp"
#include "dialogs/dialog_config.hpp"
#include "dialogs/settings_dialogs.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

using testing::Find;
using testing::TestDialogHost;
using testing::Text;
using testing::WriteConfig;

Bytes B(std::initializer_list<int> values) {
  Bytes bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

std::vector<std::string> BoxTexts(ParameterDialog& dialog) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < dialog.Model().Size(); ++i) {
    texts.push_back(dialog.FieldBox(i)->currentText().toStdString());
  }
  return texts;
}

// A file in which every field may be edited, as a new file has it.
constexpr const char* AllEnabled =
    "[UserSetKt]\r\nZltzdE=1\r\nZllmdE=1\r\nJrkqdE=1\r\nJrlmdE=1\r\nGwgjdE=1\r\nDwgjdE=1\r\n"
    "[UserSetRjh]\r\nWfjtsdE=1\r\nWfjqsdjyTsdpcE=1\r\nJrkqdE=1\r\nJrlmdE=1\r\nGwbjdE=1\r\n"
    "DwbjdE=1\r\nNfjkstsdE=1\r\nNfjqsdjynfjtsdpcE=1\r\nNfjtzdE=1\r\nWfjtzdjywfjtsdpcE=1\r\n"
    "FjzdzsE=1\r\n";

TEST(ParameterDialogTexts, EveryTextInBothLanguages) {
  TestDialogHost host;
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt dialog(host, kt);

  host.language = Language::Chinese;
  dialog.FormShow();
  EXPECT_EQ(dialog.windowTitle().toStdString(), "空调参数设置");
  EXPECT_EQ(Text(dialog, "suiButtonOK"), "确定(&C)");
  EXPECT_EQ(Text(dialog, "suiButtonCacel"), "取消(&D)");
  EXPECT_EQ(Text(dialog, "suiButtonDefault"), "默认值(&F)");
  EXPECT_EQ(Text(dialog, "Label3"), "设定加热开启点：");
  EXPECT_EQ(Text(dialog, "Label9"), "℃");

  host.language = Language::English;
  dialog.FormShow();
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Air Conditioner Parameter Setting");
  EXPECT_EQ(Find<QGroupBox>(dialog, "GroupBox1")->title().toStdString(), "Parameter");
  EXPECT_EQ(Text(dialog, "suiButtonOK"), "OK (&C)");
  EXPECT_EQ(Text(dialog, "suiButtonCacel"), "Cancel (&D)");
  EXPECT_EQ(Text(dialog, "suiButtonDefault"), "Default (&F)");
  const char* english[] = {
      "Cooling Off Point",  "Cooling Sensitivity",          "Hearter On Point",
      "Heater Sensitivity", "High temperature Alarm Point", "Low Temperature Alarm Point"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Text(dialog, QString("Label%1").arg(i + 1).toUtf8().constData()), english[i]);
  }

  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet rjhDialog(host, rjh);
  host.language = Language::Chinese;
  rjhDialog.FormShow();
  EXPECT_EQ(rjhDialog.windowTitle().toStdString(), "热交换器参数设定");
  EXPECT_EQ(Find<QGroupBox>(rjhDialog, "GroupBox1")->title().toStdString(), "热交换器参数");
  EXPECT_EQ(Text(rjhDialog, "Label2"), "外风机全速点基于调速点的偏差：");
  host.language = Language::English;
  rjhDialog.FormShow();
  EXPECT_EQ(rjhDialog.windowTitle().toStdString(), "Heat Exchanger Parameters Setting");
  EXPECT_EQ(Find<QGroupBox>(rjhDialog, "GroupBox1")->title().toStdString(), "Parameters Setting");

  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  TFrmSetRjh factoryDialog(host, factory);
  factoryDialog.FormShow();
  EXPECT_EQ(factoryDialog.windowTitle().toStdString(), "Factory Parameter Setting");
  EXPECT_EQ(Find<QGroupBox>(factoryDialog, "GroupBox1")->title().toStdString(),
            "Parameter Setting");
  EXPECT_EQ(Text(factoryDialog, "Label5"), "Lowest Fan speed");
  EXPECT_EQ(Text(factoryDialog, "Label10"), "%");
  host.language = Language::Chinese;
  factoryDialog.FormShow();
  EXPECT_EQ(factoryDialog.windowTitle().toStdString(), "厂家参数设置");
  EXPECT_EQ(Find<QGroupBox>(factoryDialog, "GroupBox1")->title().toStdString(), "厂家参数设定");
  EXPECT_EQ(Text(factoryDialog, "Label4"), "外风机停止点基于外风机调速点偏差：");
}

TEST(ParameterDialogLayout, HeatExchangerWidthsByLanguageThenTheStoredSize) {
  TestDialogHost host;
  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet dialog(host, rjh);
  auto* frame = Find<QGroupBox>(dialog, "GroupBox1");

  host.language = Language::Chinese;
  WriteConfig(host, "[FrmRjhCjSet]\r\nHeight=362\r\nWidth=291\r\n");
  dialog.FormShow();
  EXPECT_EQ(frame->width(), 324);
  EXPECT_EQ(Find<QLabel>(dialog, "Label1")->width(), 194);
  EXPECT_EQ(Find<QLabel>(dialog, "Label2")->width(), 217);
  EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonOK")->x(), 5);
  EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonCacel")->x(), 113);
  EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonDefault")->x(), 218);
  EXPECT_EQ(dialog.width(), 291);  // the stored width wins over the layout's 343
  EXPECT_EQ(dialog.height(), 362);

  host.language = Language::English;
  WriteConfig(host, "");
  dialog.FormShow();
  EXPECT_EQ(frame->width(), 282);
  EXPECT_EQ(Find<QLabel>(dialog, "Label1")->width(), 166);
  EXPECT_EQ(Find<QLabel>(dialog, "Label2")->width(), 189);
  EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonCacel")->x(), 88);
  EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonDefault")->x(), 186);
  EXPECT_EQ(dialog.width(), 324);  // read defaults
  EXPECT_EQ(dialog.height(), 424);
}

TEST(ParameterDialogLayout, FactoryDialogByLanguageAndItsRestoredSize) {
  struct Expected {
    Language language;
    int window, frame, fieldLeft, unitLeft;
    std::vector<int> labels;
    int buttons[3];
  };
  const Expected cases[] = {
      {Language::Chinese, 343, 326, 246, 296, {223, 242, 223, 242, 224}, {7, 114, 222}},
      {Language::English, 284, 266, 152, 229, {131, 139, 131, 141, 132}, {7, 88, 176}},
  };
  for (const Expected& e : cases) {
    TestDialogHost host;
    host.language = e.language;
    ParameterModel factory = ParameterModel::HeatExchangerFactory();
    TFrmSetRjh dialog(host, factory);
    dialog.FormShow();
    EXPECT_EQ(dialog.width(), e.window);  // no stored size: the language layout stays
    EXPECT_EQ(Find<QGroupBox>(dialog, "GroupBox1")->width(), e.frame);
    EXPECT_EQ(Find<QGroupBox>(dialog, "GroupBox2")->width(), e.frame);
    for (std::size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(dialog.FieldBox(i)->x(), e.fieldLeft);
      const std::string label = "Label" + std::to_string(i + 1);
      const std::string unit = "Label" + std::to_string(i + 6);
      EXPECT_EQ(Find<QLabel>(dialog, label.c_str())->width(), e.labels[i]);
      EXPECT_EQ(Find<QLabel>(dialog, unit.c_str())->x(), e.unitLeft);
    }
    EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonOK")->x(), e.buttons[0]);
    EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonCacel")->x(), e.buttons[1]);
    EXPECT_EQ(Find<QPushButton>(dialog, "suiButtonDefault")->x(), e.buttons[2]);

    WriteConfig(host, "[FrmSetRjh]\r\nHeight=422\r\nWidth=566\r\n");
    dialog.FormShow();
    EXPECT_EQ(dialog.width(), 566);
    EXPECT_EQ(dialog.height(), 422);
  }
}

TEST(ParameterDialogFields, ListsTypingLimitEnableStateFocusAndTabOrder) {
  TestDialogHost host;
  WriteConfig(host,
              "[UserSetRjh]\r\nWfjtsd=1000\r\nWfjtsdE=1\r\nWfjqsdjyTsdpc=12\r\n"
              "WfjqsdjyTsdpcE=0\r\nJrkqdE=1\r\nJrlmd=4\r\nJrlmdE=1\r\nGwbjdE=1\r\n");
  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet dialog(host, rjh);
  dialog.FormShow();

  EXPECT_EQ(BoxTexts(dialog), (std::vector<std::string>{"1000", "12", "5", "4", "55", "0"}));
  const bool enabled[] = {true, false, true, true, true, false};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(dialog.FieldBox(i)->isEnabled(), enabled[i]);
  EXPECT_EQ(dialog.focusWidget(), dialog.FieldBox(0));

  QComboBox* band = Find<QComboBox>(dialog, "suiComboBox4");
  EXPECT_TRUE(band->isEditable());
  EXPECT_EQ(band->count(), 10);
  EXPECT_EQ(band->itemText(0).toStdString(), "1");

  // Typing stops at three characters; the text read from the file was shown whole.
  QComboBox* heater = dialog.FieldBox(2);
  heater->lineEdit()->clear();
  QTest::keyClicks(heater->lineEdit(), "-1234");
  EXPECT_EQ(heater->currentText().toStdString(), "-12");
  EXPECT_EQ(rjh.Text(2), "-12");
  EXPECT_EQ(heater->count(), 21);  // nothing typed joins the list

  // Tab order follows the screen, not the control names.
  const char* order[] = {"suiComboBox1", "suiComboBox5",   "suiComboBox6",
                         "suiComboBox4", "suiComboBox3",   "suiComboBox2",
                         "suiButtonOK",  "suiButtonCacel", "suiButtonDefault"};
  QWidget* widget = Find<QWidget>(dialog, order[0]);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    do {
      widget = widget->nextInFocusChain();
    } while (widget->focusPolicy() == Qt::NoFocus || widget->parentWidget() == nullptr ||
             widget->objectName().isEmpty());
    EXPECT_EQ(widget->objectName().toStdString(), order[i]);
  }
}

TEST(ParameterDialogButtons, OkSendsWhatIsShownAndCloses) {
  TestDialogHost host;
  WriteConfig(host, AllEnabled);
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt dialog(host, kt);
  dialog.FormShow();
  EXPECT_EQ(kt.Text(ParameterModel::CoolingSensitivityIndex), "0");  // the fallback, now shown
  dialog.show();

  dialog.FieldBox(0)->setCurrentIndex(dialog.FieldBox(0)->findText("25"));
  dialog.FieldBox(1)->setEditText("10");
  dialog.FieldBox(2)->setEditText("5");
  dialog.FieldBox(3)->setEditText("10");
  dialog.FieldBox(4)->setEditText("55");
  QLineEdit* low = dialog.FieldBox(5)->lineEdit();
  low->clear();
  QTest::keyClicks(low, "-15");
  QTest::keyClick(low, Qt::Key_Return);  // Enter presses OK

  ASSERT_EQ(host.port.written.size(), 1u);
  EXPECT_EQ(host.port.written[0],
            B({0x7E, 0x01, 0x77, 0x42, 0x2D, 0x1E, 0x19, 0x1E, 0x4B, 0x05, 0x75, 0xFE, 0x0D}));
  EXPECT_EQ(host.pendingCommand, 1);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.ReadString("UserSetKt", "Dwgjd", ""), "-15");
  EXPECT_EQ(kt.Text(5), "-15");  // the display reads the model between showings
}

TEST(ParameterDialogButtons, FailuresKeepTheDialogOpen) {
  TestDialogHost host;
  WriteConfig(host, AllEnabled);
  ParameterModel factory = ParameterModel::HeatExchangerFactory();
  TFrmSetRjh dialog(host, factory);
  dialog.FormShow();
  dialog.show();

  dialog.FieldBox(4)->setEditText("1x");
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_EQ(host.errors, std::vector<std::string>{"'1x' is not a valid integer value"});
  EXPECT_TRUE(dialog.isVisible());

  host.errors.clear();
  dialog.FieldBox(4)->setEditText("300");
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_EQ(host.errors, std::vector<std::string>{
                             "Lowest Fan speed: value 300 is out of range; the unit accepts 0 "
                             "to 255."});
  EXPECT_TRUE(dialog.isVisible());

  host.errors.clear();
  host.BreakPort();
  dialog.FieldBox(4)->setEditText("100");
  dialog.FieldBox(2)->setEditText("18");
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(host.port.written.empty());
  EXPECT_EQ(host.pendingCommand, -1);

  host.port.missingPorts.clear();  // the cable is back: the port opens and the frame goes
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  ASSERT_EQ(host.port.written.size(), 1u);
  EXPECT_EQ(host.port.written[0][6], 0x26);
  EXPECT_EQ(host.port.written[0][8], 0x64);
  EXPECT_EQ(host.pendingCommand, 5);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(ParameterDialogButtons, DefaultAnsweredBothWays) {
  TestDialogHost host;
  WriteConfig(host, "[UserSetRjh]\r\nWfjtsd=22\r\nWfjtsdE=0\r\n");
  ParameterModel rjh = ParameterModel::HeatExchanger();
  TFrmRjhCjSet dialog(host, rjh);
  dialog.FormShow();
  dialog.show();
  QPushButton* defaults = Find<QPushButton>(dialog, "suiButtonDefault");

  host.prompts.confirmAnswers = {false};
  QTest::mouseClick(defaults, Qt::LeftButton);
  EXPECT_EQ(dialog.FieldBox(0)->currentText().toStdString(), "22");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(host.port.written.empty());

  host.BreakPort();
  host.prompts.confirmAnswers = {true};
  QTest::mouseClick(defaults, Qt::LeftButton);
  EXPECT_EQ(BoxTexts(dialog), (std::vector<std::string>{"30", "10", "5", "10", "55", "0"}));
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(host.port.written.empty());

  host.port.missingPorts.clear();
  host.prompts.confirmAnswers = {true};
  QTest::mouseClick(defaults, Qt::LeftButton);
  ASSERT_EQ(host.port.written.size(), 1u);
  EXPECT_EQ(host.port.written[0],
            B({0x7E, 0x01, 0x77, 0x42, 0x32, 0x1E, 0x19, 0x1E, 0x4B, 0x14, 0x61, 0xFE, 0x0D}));
  EXPECT_EQ(host.pendingCommand, 0);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(host.prompts.confirms.size(), 3u);
}

TEST(ParameterDialogClose, CancelEscAndTitleBarStoreSizeAndTexts) {
  TestDialogHost host;
  WriteConfig(host, AllEnabled);
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt dialog(host, kt);

  const auto editAndClose = [&](const std::function<void()>& close, const char* text) {
    dialog.FormShow();
    dialog.show();
    dialog.resize(360, 430);
    dialog.FieldBox(0)->setEditText(text);
    close();
    EXPECT_FALSE(dialog.isVisible());
    const IniFile ini = ReadDialogConfig(host);
    EXPECT_EQ(ini.ReadString("UserSetKt", "Zltzd", ""), text);
    EXPECT_EQ(ini.ReadInteger("FrmSetKt", "Height", 0), 430);
    EXPECT_EQ(ini.ReadInteger("FrmSetKt", "Width", 0), 360);
    dialog.FormShow();
    EXPECT_EQ(dialog.FieldBox(0)->currentText().toStdString(), text);  // shown again next time
    EXPECT_EQ(dialog.width(), 360);
  };
  editAndClose(
      [&] { QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonCacel"), Qt::LeftButton); },
      "31");
  editAndClose([&] { QTest::keyClick(&dialog, Qt::Key_Escape); }, "32");
  editAndClose([&] { dialog.close(); }, "ab");
  EXPECT_TRUE(host.port.written.empty());
  EXPECT_TRUE(host.errors.empty());
}

TEST(ParameterDialogClose, RefusedSaveIsReported) {
  TestDialogHost host;
  host.configPath = host.folder.Path() + "gone/UserSet.INI";
  ParameterModel kt = ParameterModel::AirConditioner();
  TFrmSetKt dialog(host, kt);
  dialog.FormShow();
  dialog.show();
  dialog.reject();
  EXPECT_EQ(host.errors, std::vector<std::string>{"Unable to write to " + host.configPath});
}

TEST(SettingsDialogs, LauncherRunsTheDialogsModally) {
  TestDialogHost host;
  WriteConfig(host, AllEnabled);
  ParameterModel kt = ParameterModel::AirConditioner();
  std::unique_ptr<DialogLauncher> launcher = CreateSettingsDialogs(host, nullptr, kt);

  // Each press happens while exec() runs, once the dialog is on screen.
  const auto pressWhenShown = [](const char* dialogName, const char* button) {
    QTimer::singleShot(0, [dialogName, button] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == dialogName && window->isVisible()) {
          if (auto* b = window->findChild<QPushButton*>(button)) b->click();
        }
      }
    });
  };
  pressWhenShown("FrmSetKt", "suiButtonOK");
  launcher->ShowSetKt();
  ASSERT_EQ(host.port.written.size(), 1u);
  EXPECT_EQ(host.port.written[0],
            B({0x7E, 0x01, 0x77, 0x42, 0x2D, 0x14, 0x1E, 0x14, 0x14, 0x19, 0xA7, 0xFE, 0x0D}));
  EXPECT_EQ(host.pendingCommand, 1);

  pressWhenShown("FrmSetRjh", "suiButtonOK");
  launcher->ShowSetRjh();
  EXPECT_EQ(host.port.written.back(),
            B({0x7E, 0x01, 0x66, 0x44, 0x2D, 0x1E, 0x14, 0x19, 0x1E, 0xC0, 0xFE, 0x0D}));
  EXPECT_EQ(host.pendingCommand, 5);

  pressWhenShown("FrmRjhCjSet", "suiButtonCacel");
  launcher->ShowRjhCjSet();
  EXPECT_EQ(host.port.written.size(), 2u);
  EXPECT_TRUE(ReadDialogConfig(host).HasKey("FrmRjhCjSet", "Height"));

  pressWhenShown("FrmComSet", "suiButtonCancel");
  launcher->ShowComSet();
  EXPECT_TRUE(ReadDialogConfig(host).HasKey("ComSet", "Bote"));

  launcher->SetAboutTitle("Heat Exchanger Background Control System(REV 101)",
                          "Heat Exchanger Background Control System");
  QTimer::singleShot(0, [] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->objectName() == "FrmAbout" && window->isVisible()) window->close();
    }
  });
  launcher->ShowAbout();
  const IniFile ini = ReadDialogConfig(host);
  EXPECT_TRUE(ini.HasKey("FrmAbout", "Height"));
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == "FrmAbout") {
      EXPECT_EQ(window->windowTitle().toStdString(),
                "Heat Exchanger Background Control System(REV 101)");
      EXPECT_EQ(Text(*window, "Label8"), "Heat Exchanger Background Control System");
    }
  }
}

}  // namespace
}  // namespace climate
