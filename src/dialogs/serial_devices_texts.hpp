// Every text of the serial devices window, both languages side by side.
#pragma once

#include "app/language.hpp"

namespace climate::serial_devices_text {

// The main window's menu item that opens the window.
inline constexpr TextPair MenuItem{"串口设备...", "Serial Devices..."};

inline constexpr TextPair WindowTitle{"串口设备", "Serial Devices"};
inline constexpr TextPair PortsLabel{"端口对应的设备或地址:", "What each port uses:"};
inline constexpr TextPair PortColumn{"端口", "Port"};
inline constexpr TextPair EntryColumn{"设备或地址", "Device or address"};
inline constexpr TextPair StateColumn{"状态", "State"};
inline constexpr TextPair Present{"存在", "present"};
inline constexpr TextPair NotPresent{"不存在", "not present"};
inline constexpr TextPair Network{"网络串口", "device server"};
inline constexpr TextPair Unusable{"无法使用", "cannot be used"};

inline constexpr TextPair DevicesLabel{"检测到的串口设备:", "Serial devices found:"};
inline constexpr TextPair DeviceColumn{"设备", "Device"};
inline constexpr TextPair SystemColumn{"系统名称", "System name"};
inline constexpr TextPair DescriptionColumn{"说明", "Description"};
inline constexpr TextPair MakerColumn{"制造商", "Maker"};
inline constexpr TextPair SerialColumn{"序列号", "Serial number"};
inline constexpr TextPair InUse{"已被占用", "in use"};
inline constexpr TextPair Free{"空闲", "free"};
inline constexpr TextPair NoDevices{"没有找到串口设备。", "No serial device was found."};

inline constexpr TextPair EntryLabel{"设备路径或 tcp:// / rfc2217:// 地址:",
                                     "Device path, or tcp:// or rfc2217:// address:"};
inline constexpr TextPair RefreshButton{"刷新(&R)", "Refresh (&R)"};
inline constexpr TextPair FindButton{"查找设备(&F)", "Find Unit (&F)"};
inline constexpr TextPair StopFindButton{"停止查找(&F)", "Stop Search (&F)"};
inline constexpr TextPair ApplyButton{"用于所选端口(&U)", "Use for Selected Port (&U)"};
inline constexpr TextPair CloseButton{"关闭(&C)", "Close (&C)"};

// Status line.
inline constexpr TextPair Trying{"正在尝试 ", "Trying "};
inline constexpr TextPair Answered{"设备在此应答: ", "The unit answered on "};
inline constexpr TextPair AnsweredHint{"。按\"用于所选端口\"使用它。",
                                       ". Press \"Use for Selected Port\" to use it."};
inline constexpr TextPair NoAnswer{"没有设备应答。已尝试: ", "No unit answered. Tried: "};
inline constexpr TextPair NothingToTry{"没有可尝试的空闲串口设备。",
                                       "There is no free serial device to try."};
inline constexpr TextPair EmptyEntry{"请选择设备或输入路径、地址。",
                                     "Choose a device or type a path or address."};
inline constexpr TextPair NoPortChosen{"请先在上表中选择一个端口。",
                                       "Choose a port in the table above first."};
inline constexpr TextPair NowUses{" 现在使用 ", " now uses "};
inline constexpr TextPair Unchanged{" 已经使用 ", " already uses "};
inline constexpr TextPair NotSaved{"无法保存: ", "Not saved: "};
inline constexpr TextPair NotStorable{
    "无法保存: 此路径含有 UserSet.INI (GBK) 无法保存的字符。",
    "Not saved: the path has characters UserSet.INI (GBK) cannot hold."};

}  // namespace climate::serial_devices_text
