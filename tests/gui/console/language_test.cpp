// The language switch and the device-type switch: every caption in both languages and for both
// unit types, and what a switch does besides (lamps, memo, request, remote button, About title).
#include <QCheckBox>
#include <QRadioButton>

#include "console/radio_group.hpp"
#include "console_fixture.hpp"

namespace climate::testing {
namespace {

struct Expected {
  const char* control;
  const char* chinese;
  const char* english;
};

// The captions the language switch sets, written out here independently of the window's tables.
const Expected LanguageTable[] = {
    {"Label1", "选择串口", "Serial Port"},
    {"Label25", "室内温度", "Indoor Temperature"},
    {"Label28", "室外温度", "Outdoor Temperature"},
    {"Label26", "室内湿度", "Indoor Humidity"},
    {"Label29", "单相电压", "Voltage"},
    {"Label31", "当前加热开启点", "Heater On"},
    {"Label32", "当前高温告警点", "High Temperature Alarm"},
    {"Label34", "当前低温告警点", "Low Temperature Alarm"},
    {"GroupBoxCjSet", "厂家参数", "Factory Setting"},
    {"Label47", "内风机调速点", "External Fan Min Speed T"},
    {"Label45", "内风机全速点", "External Fan Max Speed T"},
    {"Label49", "内风机停止点", "Internal Fan Stop Point"},
    {"Label51", "外风机停止点", "External Fan Stop Point"},
    {"Label53", "风机最低转速", "Lowest Fan Speed"},
    {"RadioGroupType", "系统类别", "Unit Selection"},
    {"suiCheckBoxTimer", "手动召唤数据", "Periodical Report"},
    {"LabelTime", "毫秒", "ms"},
    {"Label22", "正常/运行", "Normal/On"},
    {"Label21", "故障/停止", "Fault/Off"},
    {"GroupBox2", "系统状态", "System Status"},
    {"Label2", "设备状态", "Unit Status"},
    {"Label3", "室内风机状态", "Internal Fan"},
    {"Label4", "室外风机状态", "External Fan"},
    {"Label6", "加热状态", "Heater"},
    {"GroupBox3", "告警状态", "Alarm Output"},
    {"Label7", "高温告警", "High Temperature Alarm"},
    {"Label8", "低温告警", "Low Temperature Alarm"},
    {"Label9", "高电压告警", "Over Voltage "},
    {"Label10", "低电压告警", "Under Voltage "},
    {"Label11", "室内风机", "Internal Fan Fault"},
    {"Label12", "室外风机", "External Fan Fault"},
    {"Label13", "电加热", "Heater Fault"},
    {"Label14", "传感器", "Sensor Fault"},
    {"Label19", "远程开关机", "Remote On/Off"},
    {"Label18", "用户自定义1", "Custom  Alarm #1"},
    {"Label15", "用户自定义2", "Custom  Alarm #2"},
    {"Label16", "用户自定义3", "Custom  Alarm #3"},
    {"suiButtonComSet", "串口设置(&E)", "Serial Port Settings (&E)"},
    {"suiButtonCjSet", "获取厂家设定(&G)", "Get Factory Settings (&G)"},
    {"Clear", "清除(&E)", "Clear (&E)"},
    {"Log", "记录(&L)", "Log (&L)"},
    {"Stop", "停止记录(&S)", "Stop Log (&S)"},
    {"About", "关于(&A)", "About (&A)"},
    {"NAbout", "关于(&A)", "About (&A)"},
    {"Language", "English (&L)", "中文(&L)"},
    {"Help", "帮助(&H)", "Help (&H)"},
};

struct UnitExpected {
  const char* control;
  const char* acChinese;
  const char* acEnglish;
  const char* hxChinese;
  const char* hxEnglish;
};

const UnitExpected UnitTable[] = {
    {"Label27", "当前制冷停止点", "Cooling Off", "当前外风机调速点", "External Fan Min Speed T"},
    {"Label30", "当前制冷开启点", "Cooling On", "当前外风机全速点", "External Fan Max Speed T"},
    {"Label33", "当前加热停止点", "Heater Off", "当前加热停止点", "Heater Off"},
    {"Label5", "压缩机状态", "Compressor", "换热状态", "Exchanger"},
    {"Label17", "系统高压告警", "High Pressure Alarm", "用户自定义4", "Custom Alarm #4"},
    {"Label20", "系统低压告警", "Low Pressure Alarm", "用户自定义5", "Custom Alarm #5"},
    {"suiButtonStop", "室内风机停止点(&T)", "Internal Fan Stop (&T)", "厂家设定参数(&J)",
     "Factory Settings (&J)"},
    {"suiButtonSearch", "空调状态召唤(&W)", "Real-Time Data Report (&W)", "热交换器状态召唤(&W)",
     "Status Report (&W)"},
    {"suiButtonSet", "空调器参数设置(&S)", "Air Conditioner Settings (&S)", "热交换器参数设置(&S)",
     "Setpoints (&S)"},
};

class LanguageTest : public ConsoleTest {
 protected:
  void CheckCaptions(Language language, DeviceKind kind) {
    const bool zh = language == Language::Chinese;
    const bool hx = kind == DeviceKind::HeatExchanger;
    for (const Expected& e : LanguageTable) {
      EXPECT_EQ(Caption(e.control), zh ? e.chinese : e.english) << e.control;
    }
    for (const UnitExpected& e : UnitTable) {
      const char* expected =
          hx ? (zh ? e.hxChinese : e.hxEnglish) : (zh ? e.acChinese : e.acEnglish);
      EXPECT_EQ(Caption(e.control), expected) << e.control;
    }
    const QStringList items = Find<RadioGroup>("RadioGroupType")->Items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].toStdString(),
              zh ? "机柜空调后台控制系统" : "Air-Conditioner Control System");
    EXPECT_EQ(items[1].toStdString(),
              zh ? "热交换器后台控制系统" : "Heat Exchanger Control System");
    EXPECT_EQ(Caption("suiButtonOpen"), zh ? "遥控关机(&O)" : "Remote Off (&O)");

    const std::string title = window_->windowTitle().toStdString();
    if (zh) {
      EXPECT_EQ(title, "Korvane LCD" + std::string(hx ? 17 : 13, ' '));
      EXPECT_EQ(launcher_.aboutCaption, std::string(hx ? 26 : 22, ' ') + "(REV 101)");
    } else {
      EXPECT_EQ(title, hx ? "Heat Exchanger Background Control System"
                          : "Cabinet Air Conditioner Background Control System");
      EXPECT_EQ(launcher_.aboutCaption,
                hx ? "Heat Exchanger Background Control System(REV 101)"
                   : "Cabinet Air Conditioner Background Control System(REV 101)");
    }
    EXPECT_EQ(launcher_.aboutLabel8, title);
  }
};

TEST_F(LanguageTest, EverySwitchSetsEveryCaption) {
  WriteConfig([](IniFile& ini) { ini.WriteString("UserSet", "Language", "中文(&L)"); });
  TFrmMain& window = Start();
  CheckCaptions(Language::English, DeviceKind::AirConditioner);

  Trigger("Language");
  EXPECT_EQ(window.CurrentLanguage(), Language::Chinese);
  CheckCaptions(Language::Chinese, DeviceKind::AirConditioner);
  EXPECT_EQ(Panel(0), "使用串口为COM1");
  EXPECT_EQ(Panel(2), "手动方式召唤数据");

  Find<RadioGroup>("RadioGroupType")->Button(1)->click();
  CheckCaptions(Language::Chinese, DeviceKind::HeatExchanger);

  Trigger("Language");
  CheckCaptions(Language::English, DeviceKind::HeatExchanger);
  EXPECT_EQ(Panel(0), "Using Serial Port COM1");
  EXPECT_EQ(Panel(2), "Manual");
  EXPECT_EQ(window.Kind(), DeviceKind::HeatExchanger);
}

TEST_F(LanguageTest, SwitchClearsTheMemoSendsOneRequestAndResetsTheRemoteButton) {
  WriteConfig();
  TFrmMain& window = Start();
  port_.Inject(RealTimeReply(0x00, 0xFF, 0x3F));  // unit stopped, every alarm on
  ASSERT_FALSE(window.UnitRunning());
  ASSERT_EQ(Caption("suiButtonOpen"), "遥控开机(&O)");
  ASSERT_EQ(LampColour("Shape2"), Lamp::Red);
  ASSERT_FALSE(MemoLines().empty());
  ClearWritten();

  Trigger("Language");
  EXPECT_TRUE(MemoLines().empty());
  ASSERT_EQ(port_.written.size(), 1u);
  EXPECT_EQ(port_.written[0], RealTimeRequest);
  EXPECT_TRUE(window.UnitRunning());
  EXPECT_EQ(Caption("suiButtonOpen"), "Remote Off (&O)");
  for (int i = 1; i <= 19; ++i) {
    EXPECT_EQ(LampColour(("Shape" + std::to_string(i)).c_str()), Lamp::Green) << i;
  }

  // In periodic mode the mode panel follows the language too.
  Click("suiCheckBoxTimer");
  Trigger("Language");
  EXPECT_EQ(Panel(2), "定时方式召唤数据");
  EXPECT_EQ(Caption("suiCheckBoxTimer"), "手动召唤数据");
}

TEST_F(LanguageTest, InputDialogsTakeTheirTextsFromTheLanguage) {
  WriteConfig([](IniFile& ini) {
    ini.WriteInteger("Debug", "FjtzdE", 1);
    ini.WriteString("UserSet", "Language", "English (&L)");
  });
  Start();
  prompts_.answers = {std::string(FactoryPassword), std::nullopt};
  Click("suiButtonStop");
  using Input = ScriptedPrompts::Input;
  const Input password = {.caption = "Korvane LCD" + std::string(17, ' '),
                          .prompt = "请输入设置室内风机停止点密码：      ",
                          .initial = "",
                          .mask = '#',
                          .okText = "确定(&O)",
                          .cancelText = "取消(&C)"};
  const Input stopPoint = {.caption = std::string(22, ' '),
                           .prompt = "请输入室内风机停止点  ",
                           .initial = "0",
                           .mask = 0,
                           .okText = "确定(&O)",
                           .cancelText = "取消(&C)"};
  EXPECT_EQ(prompts_.inputs, (std::vector<Input>{password, stopPoint}));

  Trigger("Language");
  prompts_.answers = {std::nullopt};
  Click("suiButtonStop");
  const Input english = {.caption = "Air Conditioner Background Control System",
                         .prompt = "Please Input Internal  Fan Stop Point",
                         .initial = "0",
                         .mask = 0,
                         .okText = "OK(&O)",
                         .cancelText = "Cancel(&C)"};
  EXPECT_EQ(prompts_.inputs, (std::vector<Input>{password, stopPoint, english}));
}

TEST_F(LanguageTest, DeviceSwitchRunsOnlyOnAChange) {
  WriteConfig();
  TFrmMain& window = Start();
  port_.Inject(RealTimeReply(0x00, 0x01));
  ClearWritten();

  auto* selector = Find<RadioGroup>("RadioGroupType");
  selector->Button(0)->click();  // already selected
  EXPECT_TRUE(port_.written.empty());
  EXPECT_FALSE(MemoLines().empty());
  EXPECT_TRUE(selector->Button(0)->isChecked());

  selector->Button(1)->click();
  EXPECT_EQ(window.Kind(), DeviceKind::HeatExchanger);
  ASSERT_EQ(port_.written.size(), 1u);
  EXPECT_EQ(port_.written[0], RealTimeRequest);
  EXPECT_TRUE(MemoLines().empty());
  EXPECT_EQ(LampColour("Shape1"), Lamp::Green);
  EXPECT_EQ(LampColour("Shape2"), Lamp::Green);
  EXPECT_TRUE(window.UnitRunning());
  // Values stay until the next reply.
  EXPECT_EQ(Caption("suiEdit1"), "25");
  EXPECT_FALSE(Find<QPushButton>("suiButtonCjSet")->isVisibleTo(&window));
}

TEST_F(LanguageTest, StatusPanelsShowTheirWholeTextAtLeastAtTheirDesignWidths) {
  WriteConfig([](IniFile& ini) {
    ini.WriteInteger("UserSet", "ComNum", 3);
    ini.WriteString("UserSet", "Language", "中文(&L)");
  });
  port_.missingPorts = {4};
  clock_.Set(LocalDateTime{2026, 12, 30, 23, 59, 59, 3});
  TFrmMain& window = Start();
  const int designWidths[] = {150, 10, 120, 140, 30, 50};
  for (const Language language : {Language::English, Language::Chinese}) {
    window.Timer3Timer();
    QCoreApplication::processEvents();
    if (language == Language::English) {
      EXPECT_EQ(Panel(0), "Open Serial Port COM4Fail!");
      EXPECT_EQ(Panel(3), "2026-12-30  Wednesday");
    }
    for (int i = 0; i < 6; ++i) {
      auto* panel = Find<QLabel>(("StatusPanel" + std::to_string(i)).c_str());
      EXPECT_GE(panel->width(), designWidths[i]) << i;
      EXPECT_GE(panel->contentsRect().width(),
                panel->fontMetrics().horizontalAdvance(panel->text()))
          << i << " " << panel->text().toStdString();
    }
    EXPECT_LE(Find<QLabel>("StatusPanel5")->geometry().right(), window.width());
    Trigger("Language");
  }
}

}  // namespace
}  // namespace climate::testing
