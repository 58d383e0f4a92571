// The sections and keys of UserSet.INI: the default set a new file receives, the read defaults
// readers use when a key is absent, and the read-only port mapping.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace climate {

class IniFile;

inline constexpr std::string_view ConfigFileName = "UserSet.INI";

// Operator password as shipped and its scrambled form stored under UserSet/UserPwd.
inline constexpr std::string_view FactoryPassword = "668899";
inline constexpr std::string_view DefaultScrambledPassword = "Kq7vRb";

// Creation defaults: what a new file holds.
namespace CreationDefault {
inline constexpr std::int32_t FrmMainHeight = 588;
inline constexpr std::int32_t FrmMainWidth = 613;
inline constexpr std::int32_t FrmMainColor = 13752535;
inline constexpr std::int32_t SkyBlue = 15780518;
inline constexpr std::int32_t FlashTime = 1000;
inline constexpr std::string_view Language = "0";
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
}  // namespace ReadDefault

// Writes the complete default set of a new file in its fixed order. exeDir ends with '/'.
void WriteDefaultConfiguration(IniFile& ini, const std::string& exeDir);

// The default splash picture path: exeDir + "FlashPictrue.jpg".
std::string DefaultFlashPicture(const std::string& exeDir);

// COM1..COM4 device paths from the optional, never written section SerialPorts.
std::array<std::string, 4> ReadSerialPortPaths(const IniFile& ini);

// Builds "9600,n,8,1" from the ComSet keys.
std::string ReadPortSettingsString(const IniFile& ini);

}  // namespace climate
