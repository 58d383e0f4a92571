// The sections and keys of UserSet.INI: the default set a new file receives, the read defaults
// readers use when a key is absent, and the read-only port mapping.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace climate {

class IniFile;

inline constexpr std::string_view ConfigFileName = "UserSet.INI";

// Operator password as shipped and its scrambled form stored under UserSet/UserPwd.
inline constexpr std::string_view FactoryPassword = "668899";
inline constexpr std::string_view DefaultScrambledPassword = "Kq7vRb";

// The Height, Width and Color keys of one window's section.
struct WindowKeys {
  std::string_view section;
  std::int32_t height;
  std::int32_t width;
  std::int32_t color;
};

// Creation defaults: what a new file holds.
namespace CreationDefault {
inline constexpr std::int32_t SkyBlue = 15780518;
inline constexpr WindowKeys Windows[] = {
    {"FrmMain", 588, 613, 13752535},    {"FrmAbout", 355, 346, SkyBlue},
    {"FrmConfig", 487, 502, SkyBlue},   {"FrmComSet", 352, 301, SkyBlue},
    {"FrmSetKt", 411, 332, SkyBlue},    {"FrmSetRjh", 422, 566, SkyBlue},
    {"FrmRjhCjSet", 362, 291, SkyBlue},
};
inline constexpr std::int32_t FlashTime = 1000;
inline constexpr bool Check = false;
inline constexpr std::int32_t Timer = 5000;
inline constexpr std::int32_t MaxLine = 300;
inline constexpr std::int32_t ComNum = 0;
inline constexpr std::string_view Language = "0";
inline constexpr std::int32_t DeviceType = 0;
inline constexpr std::int32_t Bote = 9600;
inline constexpr std::int32_t Data = 8;
inline constexpr std::int32_t Om = 0;
inline constexpr std::int32_t Stop = 1;
inline constexpr bool ParameterEnabled = true;  // every "...E" key of UserSetKt and UserSetRjh
inline constexpr bool DebugIsShow = false;
inline constexpr bool DebugFjtzdE = false;
inline constexpr bool DebugCjCsSetE = false;
}  // namespace CreationDefault

// Read defaults: what a reader uses when its key is missing from an existing file.
namespace ReadDefault {
inline constexpr std::int32_t FrmMainHeight = 582;
inline constexpr std::int32_t FrmMainWidth = 606;
inline constexpr std::int32_t FrmAboutHeight = 219;
inline constexpr std::int32_t FrmAboutWidth = 224;
inline constexpr std::int32_t FrmAboutColor = 15780518;
inline constexpr std::int32_t FrmComSetHeight = 352;
inline constexpr std::int32_t FrmComSetWidth = 301;
inline constexpr std::int32_t FrmSetKtHeight = 421;
inline constexpr std::int32_t FrmSetKtWidth = 331;
inline constexpr std::int32_t FrmRjhCjSetHeight = 424;
inline constexpr std::int32_t FrmRjhCjSetWidth = 324;
inline constexpr std::int32_t FlashTime = 3000;
inline constexpr bool Check = false;
inline constexpr std::int32_t Timer = 5000;
inline constexpr std::int32_t MaxLine = 300;
inline constexpr std::int32_t ComNum = 0;
inline constexpr std::string_view Language = "中文(&L)";
inline constexpr std::int32_t DeviceType = 0;
inline constexpr std::string_view Bote = "9600";
inline constexpr std::string_view Data = "8";
inline constexpr std::int32_t Om = 0;
inline constexpr std::string_view Stop = "1";
inline constexpr bool ParameterEnabled = false;  // an absent "...E" key disables its list box
inline constexpr bool DebugIsShow = false;
inline constexpr bool DebugFjtzdE = false;
inline constexpr bool DebugCjCsSetE = false;
// The splash picture's read default is DefaultFlashPicture(exeDir), as at creation; the
// password's is DefaultScrambledPassword.
}  // namespace ReadDefault

// One parameter of a settings dialog: its value key (a list box text) and, under the same name
// followed by "E", its enabling key.
struct ParameterKey {
  std::string_view key;
  std::string_view enableKey;
  std::int32_t creationDefault;  // written as an integer into a new file
  std::string_view readDefault;  // what the list box shows when the value key is absent
};

// Section UserSetKt (air-conditioner parameters) and UserSetRjh (both heat-exchanger dialogs),
// in file order.
std::span<const ParameterKey> UserSetKtKeys();
std::span<const ParameterKey> UserSetRjhKeys();

// Writes the complete default set of a new file in its fixed order. exeDir ends with '/'.
void WriteDefaultConfiguration(IniFile& ini, const std::string& exeDir);

// The default splash picture path: exeDir + "FlashPictrue.jpg".
std::string DefaultFlashPicture(const std::string& exeDir);

// COM1..COM4 device paths from the optional, never written section SerialPorts; an absent or
// empty key gives /dev/ttyS0../dev/ttyS3.
std::array<std::string, 4> ReadSerialPortPaths(const IniFile& ini);

// Builds "9600,n,8,1" from the ComSet keys.
std::string ReadPortSettingsString(const IniFile& ini);

}  // namespace climate
