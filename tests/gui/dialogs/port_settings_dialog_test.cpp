// The serial port settings dialog against a port whose settings text the test controls.
#include "dialogs/port_settings_dialog.hpp"

#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTest>

#include "app/config/ini_file.hpp"
#include "dialogs/dialog_config.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

using testing::Find;
using testing::TestDialogHost;
using testing::Text;

// Holds any settings text, as a port set up elsewhere may (1.5 stop bits); refuses on request.
class SettingsPort final : public SerialPort {
 public:
  void SetPortNumber(int) override {}
  int PortNumber() const override { return 1; }
  void SetSettings(const std::string& text) override {
    if (refuse) throw SerialError("The port refuses " + text);
    settings = text;
    applied.push_back(text);
  }
  std::string GetSettings() const override { return settings; }
  bool IsOpen() const override { return true; }
  void Open() override {}
  void Close() override {}
  void DiscardBuffers() override {}
  int BytesWaiting() const override { return 0; }
  std::vector<std::uint8_t> ReadAll() override { return {}; }
  void Write(const std::vector<std::uint8_t>&) override {}

  std::string settings = "9600,n,8,1";
  std::vector<std::string> applied;
  bool refuse = false;
};

class PortHost final : public TestDialogHost {
 public:
  SerialPort& Port() override { return settingsPort; }
  SettingsPort settingsPort;
};

struct Selection {
  std::string rate;
  int parity;
  std::string data;
  std::string stop;
};

Selection Shown(const TFrmComSet& dialog) {
  return {Text(dialog, "suiComboBoxBote"), Find<QComboBox>(dialog, "suiComboBoxOP")->currentIndex(),
          Text(dialog, "suiComboBoxData"), Text(dialog, "suiComboBoxStop")};
}

void Pick(TFrmComSet& dialog, const char* list, const char* text) {
  auto* box = Find<QComboBox>(dialog, list);
  box->setCurrentIndex(box->findText(text));
}

TEST(PortSettingsDialog, TextsByLanguage) {
  PortHost host;
  TFrmComSet dialog(host);
  host.language = Language::Chinese;
  dialog.FormShow();
  EXPECT_EQ(dialog.windowTitle().toStdString(), "串口属性设置");
  EXPECT_EQ(Find<QTabWidget>(dialog, "suiPageControl1")->tabText(0).toStdString(), "端口设置");
  EXPECT_EQ(Text(dialog, "Label1"), "波特率");
  EXPECT_EQ(Text(dialog, "Label3"), "奇偶检验");
  EXPECT_EQ(Text(dialog, "suiButtonDefault"), "还原默认值(&D)");
  EXPECT_EQ(Text(dialog, "suiButtonOK"), "确定(&A)");
  EXPECT_EQ(Text(dialog, "suiButtonCancel"), "取消(&C)");
  auto* parity = Find<QComboBox>(dialog, "suiComboBoxOP");
  EXPECT_EQ(parity->count(), 3);
  EXPECT_EQ(parity->itemText(1).toStdString(), "奇校验");

  host.language = Language::English;
  dialog.FormShow();
  EXPECT_EQ(dialog.windowTitle().toStdString(), "Serial Port Setting");
  EXPECT_EQ(Find<QTabWidget>(dialog, "suiPageControl1")->tabText(0).toStdString(), "Port Setting");
  EXPECT_EQ(Text(dialog, "Label2"), "Data Bits");
  EXPECT_EQ(Text(dialog, "Label4"), "Stop Bits");
  EXPECT_EQ(Text(dialog, "suiButtonDefault"), "Default Settings (&D)");
  EXPECT_EQ(Text(dialog, "suiButtonOK"), "OK (&A)");
  EXPECT_EQ(Text(dialog, "suiButtonCancel"), "Cancel (&C)");
  EXPECT_EQ(parity->count(), 3);  // refilled, not appended
  EXPECT_EQ(parity->itemText(2).toStdString(), "Even");
  EXPECT_FALSE(Find<QComboBox>(dialog, "suiComboBoxBote")->isEditable());
  EXPECT_EQ(dialog.focusWidget(), Find<QComboBox>(dialog, "suiComboBoxBote"));
  EXPECT_EQ(dialog.height(), 352);
  EXPECT_EQ(dialog.width(), 301);
}

TEST(PortSettingsDialog, ShowSelectsThePortsLiveSettings) {
  const std::pair<std::string, Selection> cases[] = {
      {"19200,e,7,2", {"19200", 2, "7", "2"}},
      {"9600,N,8,1", {"9600", 0, "8", "1"}},
      {"9600,O,8,1", {"9600", 1, "8", "1"}},
      {"4800,x,5,1", {"4800", 0, "5", "1"}},
      {"57600,m,6,1.5", {"57600", 0, "6", ""}},  // no entry fits: no selection
      {"", {"", 0, "", ""}},
  };
  for (const auto& [settings, expected] : cases) {
    PortHost host;
    host.settingsPort.settings = settings;
    TFrmComSet dialog(host);
    dialog.FormShow();
    const Selection shown = Shown(dialog);
    EXPECT_EQ(shown.rate, expected.rate) << settings;
    EXPECT_EQ(shown.parity, expected.parity) << settings;
    EXPECT_EQ(shown.data, expected.data) << settings;
    EXPECT_EQ(shown.stop, expected.stop) << settings;
  }
}

TEST(PortSettingsDialog, OkAppliesAndStoresTheChoice) {
  PortHost host;
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  Pick(dialog, "suiComboBoxBote", "115200");
  Find<QComboBox>(dialog, "suiComboBoxOP")->setCurrentIndex(1);
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);

  EXPECT_EQ(host.settingsPort.applied, std::vector<std::string>{"115200,o,8,1"});
  EXPECT_FALSE(dialog.isVisible());
  const IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.Keys("ComSet"), (std::vector<std::string>{"Bote", "Om", "Data", "Stop"}));
  EXPECT_EQ(ini.ReadString("ComSet", "Bote", ""), "115200");
  EXPECT_EQ(ini.ReadInteger("ComSet", "Om", -1), 1);
  EXPECT_EQ(ini.ReadString("ComSet", "Data", ""), "8");
  EXPECT_EQ(ini.ReadString("ComSet", "Stop", ""), "1");
  EXPECT_EQ(ini.ReadInteger("FrmComSet", "Height", 0), dialog.height());
  EXPECT_EQ(ini.ReadInteger("FrmComSet", "Width", 0), dialog.width());
}

TEST(PortSettingsDialog, DefaultAppliesAtOnceAndCancelKeepsThePort) {
  PortHost host;
  host.settingsPort.settings = "19200,e,7,2";
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonDefault"), Qt::LeftButton);
  EXPECT_EQ(host.settingsPort.applied, std::vector<std::string>{"9600,n,8,1"});
  EXPECT_TRUE(dialog.isVisible());

  Pick(dialog, "suiComboBoxStop", "2");  // changed, then abandoned
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonCancel"), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(host.settingsPort.settings, "9600,n,8,1");
  const IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.ReadString("ComSet", "Bote", ""), "9600");
  EXPECT_EQ(ini.ReadInteger("ComSet", "Om", -1), 0);
  EXPECT_EQ(ini.ReadString("ComSet", "Stop", ""), "2");  // stored as shown at the close
}

TEST(PortSettingsDialog, NoSelectionIsNeverSentNorStored) {
  PortHost host;
  host.settingsPort.settings = "9600,n,8,1.5";
  testing::WriteTextFile(host.configPath, "[ComSet]\r\nBote=9600\r\nOm=0\r\nData=8\r\nStop=1\r\n");
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_TRUE(host.settingsPort.applied.empty());
  EXPECT_EQ(host.errors,
            std::vector<std::string>{"Stop Bits: please choose a value from the list."});
  EXPECT_TRUE(dialog.isVisible());

  host.errors.clear();
  host.language = Language::Chinese;
  dialog.FormShow();
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_EQ(host.errors, std::vector<std::string>{"停止位：请从列表中选择一个值。"});

  dialog.reject();
  EXPECT_EQ(ReadDialogConfig(host).ReadString("ComSet", "Stop", ""), "1");  // kept, not emptied

  dialog.FormShow();
  dialog.show();
  Pick(dialog, "suiComboBoxStop", "2");
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_EQ(host.settingsPort.applied, std::vector<std::string>{"9600,n,8,2"});
}

TEST(PortSettingsDialog, RefusedSettingsKeepTheDialogOpen) {
  PortHost host;
  host.settingsPort.refuse = true;
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  QTest::mouseClick(Find<QPushButton>(dialog, "suiButtonOK"), Qt::LeftButton);
  EXPECT_EQ(host.errors, std::vector<std::string>{"The port refuses 9600,n,8,1"});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(ReadDialogConfig(host).HasKey("ComSet", "Bote"));  // nothing stored until closed
}

}  // namespace
}  // namespace climate
