// Turns decoded replies into what the window shows: memo lines in the current language, value
// box texts, lamp colours and the remote on/off caption. The window only applies these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/language.hpp"
#include "protocol/command_code.hpp"
#include "protocol/replies.hpp"

namespace climate {

// The air conditioner's cooling on and heating off points: its cooling off and heating on points
// plus the dialog's sensitivities. Empty where a sensitivity is not a whole number.
struct AcDerivedPoints {
  std::optional<long long> coolingOn;
  std::optional<long long> heatingOff;
};

// Colour values as the window stores them: red in the low byte.
enum class LampColour : std::uint32_t { Green = 65280, Red = 255 };

inline constexpr std::string_view ClosingLine = "*************************************";
inline constexpr std::string_view EmptyBoxText = "－－";

struct RealTimeView {
  std::array<std::string, 10> boxes;   // suiEdit1 .. suiEdit10
  std::array<LampColour, 19> lamps{};  // Shape1 .. Shape19
  bool unitRunning = true;
  std::string openButtonCaption;       // suiButtonOpen
  std::vector<std::string> memoLines;  // 30 lines, the last one the closing line
};

struct FactoryView {
  std::array<std::string, 5> boxes;    // suiEdit11 .. suiEdit15
  std::vector<std::string> memoLines;  // 6 lines
};

// The box of RealTimeView::boxes that shows the reply's value at valueIndex, counted in the order
// the unit sends its ten values (the memo's order); the same box for both unit types. Nothing
// for an index beyond the ten.
std::optional<std::size_t> RealTimeValueBox(std::size_t valueIndex);

// "Remote Off" while the unit runs, "Remote On" while it is stopped.
std::string_view OpenButtonCaption(bool unitRunning, Language language);

// The sensitivities are the texts of the air-conditioner dialog's two sensitivity boxes. One
// that is not a whole number (blanks around it removed) leaves its derived point empty.
AcDerivedPoints DeriveAcPoints(const AcRealTimeData& data, std::string_view coolingSensitivity,
                               std::string_view heaterSensitivity);
// An empty derived point shows as EmptyBoxText, in box and memo line.
RealTimeView RenderAcRealTime(const AcRealTimeData& data, const AcDerivedPoints& points,
                              Language language);
inline RealTimeView RenderAcRealTime(const AcRealTimeData& data, Language language,
                                     std::string_view coolingSensitivity,
                                     std::string_view heaterSensitivity) {
  return RenderAcRealTime(data, DeriveAcPoints(data, coolingSensitivity, heaterSensitivity),
                          language);
}
RealTimeView RenderHxRealTime(const HxRealTimeData& data, Language language);
FactoryView RenderHxFactory(const HxFactoryParameters& data, Language language);
// The success or failure line for the command in pendingCommand; nothing for Other.
std::optional<std::string> RenderAck(CommandAck ack, CommandCode pendingCommand, Language language);

}  // namespace climate
