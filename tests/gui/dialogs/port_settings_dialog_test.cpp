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

struct PortHost final : TestDialogHost {
  SerialPort& Port() override { return settingsPort; }
  SettingsPort settingsPort;
};

// "rate,parity entry,data,stop" as the lists show them.
std::string Shown(const TFrmComSet& dialog) {
  return Text(dialog, "suiComboBoxBote") + "," +
         std::to_string(Find<QComboBox>(dialog, "suiComboBoxOP")->currentIndex()) + "," +
         Text(dialog, "suiComboBoxData") + "," + Text(dialog, "suiComboBoxStop");
}

void Click(const TFrmComSet& dialog, const char* button) {
  QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton);
}

void Pick(const TFrmComSet& dialog, const char* list, const char* text) {
  auto* box = Find<QComboBox>(dialog, list);
  box->setCurrentIndex(box->findText(text));
}

TEST(PortSettingsDialog, TextsByLanguage) {
  PortHost host;
  TFrmComSet dialog(host);
  for (Language language : {Language::Chinese, Language::English}) {
    host.language = language;
    dialog.FormShow();
    const std::string texts =
        dialog.windowTitle().toStdString() + "|" +
        Find<QTabWidget>(dialog, "suiPageControl1")->tabText(0).toStdString() + "|" +
        Text(dialog, "Label3") + "|" + Text(dialog, "suiComboBoxOP") + "|" +
        Text(dialog, "suiButtonDefault") + "|" + Text(dialog, "suiButtonOK") + "|" +
        Text(dialog, "suiButtonCancel");
    EXPECT_EQ(texts, language == Language::Chinese
                         ? "串口属性设置|端口设置|奇偶检验|无|还原默认值(&D)|确定(&A)|取消(&C)"
                         : "Serial Port Setting|Port Setting|Parity|None|Default Settings "
                           "(&D)|OK (&A)|Cancel (&C)");
    EXPECT_EQ(Find<QComboBox>(dialog, "suiComboBoxOP")->count(), 3);  // refilled, not appended
  }
  EXPECT_EQ(dialog.focusWidget(), Find(dialog, "suiComboBoxBote"));
  EXPECT_EQ(dialog.size(), QSize(301, 352));
}

TEST(PortSettingsDialog, ShowSelectsThePortsLiveSettings) {
  const std::pair<std::string, std::string> cases[] = {
      {"19200,e,7,2", "19200,2,7,2"},
      {"9600,N,8,1", "9600,0,8,1"},
      {"9600,O,8,1", "9600,1,8,1"},
      {"57600,m,6,1.5", "57600,0,6,"},  // no entry fits: none
      {"", ",0,,"},
  };
  for (const auto& [settings, shown] : cases) {
    PortHost host;
    host.settingsPort.settings = settings;
    TFrmComSet dialog(host);
    dialog.FormShow();
    EXPECT_EQ(Shown(dialog), shown) << settings;
  }
}

TEST(PortSettingsDialog, OkAppliesAndEveryCloseStoresTheSelections) {
  PortHost host;
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  Pick(dialog, "suiComboBoxBote", "115200");
  Find<QComboBox>(dialog, "suiComboBoxOP")->setCurrentIndex(1);
  Click(dialog, "suiButtonOK");
  EXPECT_EQ(host.settingsPort.applied, std::vector<std::string>{"115200,o,8,1"});
  EXPECT_FALSE(dialog.isVisible());
  IniFile ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.Keys("ComSet"), (std::vector<std::string>{"Bote", "Om", "Data", "Stop"}));
  EXPECT_EQ(ini.ReadString("ComSet", "Bote", "") + ini.ReadString("ComSet", "Om", "") +
                ini.ReadString("ComSet", "Data", "") + ini.ReadString("ComSet", "Stop", ""),
            "115200181");
  EXPECT_EQ(ini.ReadInteger("FrmComSet", "Width", 0), dialog.width());

  // Default applies at once and stays open; Cancel then keeps the port as it is but stores
  // what the lists show.
  host.settingsPort.settings = "19200,e,7,2";
  dialog.FormShow();
  dialog.show();
  Click(dialog, "suiButtonDefault");
  EXPECT_EQ(host.settingsPort.applied.back(), "9600,n,8,1");
  EXPECT_TRUE(dialog.isVisible());
  Pick(dialog, "suiComboBoxStop", "2");
  Click(dialog, "suiButtonCancel");
  EXPECT_EQ(host.settingsPort.settings, "9600,n,8,1");
  ini = ReadDialogConfig(host);
  EXPECT_EQ(ini.ReadString("ComSet", "Bote", "") + ini.ReadString("ComSet", "Om", "") +
                ini.ReadString("ComSet", "Stop", ""),
            "960002");
}

TEST(PortSettingsDialog, NoSelectionIsNeverSentNorStored) {
  PortHost host;
  host.settingsPort.settings = "9600,n,8,1.5";
  host.WriteConfig("[ComSet]\r\nBote=9600\r\nOm=0\r\nData=8\r\nStop=1\r\n");
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  Click(dialog, "suiButtonOK");
  host.language = Language::Chinese;
  dialog.FormShow();
  Click(dialog, "suiButtonOK");
  EXPECT_EQ(host.errors,
            (std::vector<std::string>{"Stop Bits: please choose a value from the list.",
                                      "停止位：请从列表中选择一个值。"}));
  EXPECT_TRUE(host.settingsPort.applied.empty());
  EXPECT_TRUE(dialog.isVisible());
  dialog.reject();
  EXPECT_EQ(ReadDialogConfig(host).ReadString("ComSet", "Stop", ""), "1");  // kept, not emptied
}

TEST(PortSettingsDialog, RefusedSettingsKeepTheDialogOpen) {
  PortHost host;
  host.settingsPort.refuse = true;
  TFrmComSet dialog(host);
  dialog.FormShow();
  dialog.show();
  Click(dialog, "suiButtonOK");
  EXPECT_EQ(host.errors, std::vector<std::string>{"The port refuses 9600,n,8,1"});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(ReadDialogConfig(host).HasKey("ComSet", "Bote"));  // nothing stored until closed
}

}  // namespace
}  // namespace climate
