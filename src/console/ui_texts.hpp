// The main window's texts, both languages side by side: what the language switch sets, what
// depends on the unit type, and the messages and dialog texts of the operator commands.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/language.hpp"
#include "protocol/device_kind.hpp"

namespace climate {

// A control's caption, named by the control's object name.
struct ControlText {
  std::string_view control;
  TextPair text;
};

// Captions set by the language switch, including the Language menu item itself.
std::span<const ControlText> LanguageSwitchTexts();

// A caption that depends on the unit type.
struct UnitTypeText {
  std::string_view control;
  TextPair airConditioner;
  TextPair heatExchanger;
  std::string_view In(DeviceKind kind, Language language) const {
    return (kind == DeviceKind::HeatExchanger ? heatExchanger : airConditioner).In(language);
  }
};

// Label27, Label30, Label33, Label5, Label17, Label20, suiButtonStop, suiButtonSearch,
// suiButtonSet.
std::span<const UnitTypeText> UnitTypeTexts();

// Design captions, shown until the first language switch.
std::span<const ControlText> DesignTexts();

std::string WindowTitle(DeviceKind kind, Language language);
std::string AboutCaption(DeviceKind kind, Language language);
std::string PasswordDialogCaption(DeviceKind kind, Language language);

namespace Texts {
inline constexpr std::string_view ApplicationTitle =
    "                    Background Control System";

inline constexpr TextPair UnitSelectorItem0 = {"机柜空调后台控制系统",
                                               "Air-Conditioner Control System"};
inline constexpr TextPair UnitSelectorItem1 = {"热交换器后台控制系统",
                                               "Heat Exchanger Control System"};

// suiButtonOpen after a device-type switch (the decoders use "(&L)" for remote off).
inline constexpr TextPair RemoteOffAfterSwitch = {"遥控关机(&O)", "Remote Off (&O)"};
// suiButtonStop as the show handler captions it before the first switch.
inline constexpr TextPair FanStopPointSettings = {"室内风机停止点(&T)",
                                                  "Fan Stop Point Settings (&T)"};
inline constexpr TextPair FactorySettings = {"厂家设定参数(&J)", "Factory Settings (&J)"};

inline constexpr std::string_view InitialPasswordPrompt = "Please Input Password           ";
inline constexpr TextPair AcPasswordPrompt = {"请输入设置室内风机停止点密码：      ",
                                              "Please Input Password:     "};
inline constexpr TextPair HxPasswordPrompt = {"请输入获取厂家参数密码：      ",
                                              "Please Input Password:      "};
inline constexpr TextPair WrongPassword = {"对不起,您输入的密码不正确!",
                                           "Sorry,Password Is Incorrect!"};

inline constexpr TextPair StopPointCaption = {"                      ",
                                              "Air Conditioner Background Control System"};
inline constexpr TextPair StopPointPrompt = {"请输入室内风机停止点  ",
                                             "Please Input Internal  Fan Stop Point"};
inline constexpr TextPair DialogOk = {"确定(&O)", "OK(&O)"};
inline constexpr TextPair DialogCancel = {"取消(&C)", "Cancel(&C)"};
inline constexpr std::string_view InitialStopPoint = "0";
inline constexpr TextPair StopPointNotDigits = {"输入非法字符,只接受数字!", "Error,Numeric Only!"};
inline constexpr TextPair StopPointOutOfRange = {"输入的停止点超出范围 0~15 摄氏度",
                                                 "Sorry,Input Numeric Exceed 0~15 ℃"};

inline constexpr std::string_view HelpFileName = "Help.txt";
inline constexpr TextPair HelpMissing = {"帮助文件 --'Help.txt'不存在!",
                                         "Help File --'Help.txt' Do Not Exist!"};
// Followed by the help file's full path.
inline constexpr TextPair HelpNotOpened = {
    "没有可以打开帮助文件的程序（如 xdg-open）。请自行打开帮助文件：",
    "No program to open the help file was found (such as xdg-open). Open it yourself: "};

// What a screen reader says of a lamp: a status lamp, an alarm lamp and the port lamp, by colour
// (green, red), and any lamp of a unit that has stopped reporting.
inline constexpr TextPair LampRunning = {"运行", "running"};
inline constexpr TextPair LampStopped = {"停止", "stopped"};
inline constexpr TextPair LampNormal = {"正常", "normal"};
inline constexpr TextPair LampAlarm = {"告警", "alarm"};
inline constexpr TextPair LampNoData = {"无数据", "no data"};
inline constexpr TextPair MemoName = {"通信信息", "Messages"};
inline constexpr TextPair PortLampOpen = {"已打开", "open"};
inline constexpr TextPair PortLampClosed = {"已关闭", "closed"};
// Follows the port lamp's state word: the keys that do what its right-click does.
inline constexpr TextPair PortLampKeys = {
    "。空格键、回车键、菜单键或 Shift+F10 关闭或重新打开串口，同右键",
    ". Space, Enter, the Menu key or Shift+F10 closes or reopens the port, as a right-click does"};

inline constexpr std::string_view PortLampHint = "右键切换串口状态";
inline constexpr std::string_view LanguageHint = "Change Language";
}  // namespace Texts

}  // namespace climate
