// What a device server did with the line settings: whether it agreed to com-port control at all
// and, setting by setting, whether what it confirmed is what was asked for. The network port keeps
// one LineNegotiation per connection; the window, the Monitor and the settings dialog read its
// report and show the texts made here. Qt-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/language.hpp"
#include "serial/port_settings.hpp"
#include "serial/telnet_codec.hpp"

namespace climate {

enum class LineControl {
  Local,        // a device on this computer: the port sets the line itself
  OnServer,     // raw TCP: the line is set on the device server
  Asking,       // com-port control offered, no answer yet
  Agreed,       // the server does com-port control; settings are sent and confirmed
  Refused,      // the server said DONT: nothing is set on the remote line
  NotAnswered,  // no answer in time: nothing is set on the remote line
};

enum class LineSetting { Rate, DataBits, Parity, StopBits };

struct LineSettingMismatch {
  LineSetting setting;
  std::uint32_t requested;  // as the commands carry it (parity 1 none, 2 odd, 3 even, ...)
  std::uint32_t confirmed;
  bool operator==(const LineSettingMismatch&) const = default;
};

struct LineSettingsReport {
  LineControl control = LineControl::Local;
  std::vector<LineSettingMismatch> mismatches;
  std::vector<LineSetting> unconfirmed;  // sent, and no confirmation within the answer time
  bool awaiting = false;                 // sent, confirmations still to come

  // The line may not run as asked: refused, unanswered, a different value or no confirmation.
  bool HasProblem() const {
    return control == LineControl::Refused || control == LineControl::NotAnswered ||
           !mismatches.empty() || !unconfirmed.empty();
  }
  bool operator==(const LineSettingsReport&) const = default;
};

// The state as one line for the Monitor's link health: always a text.
std::string LineSettingsStateText(const LineSettingsReport& report, Language language);
// What is wrong, for the port lamp's tooltip and the settings dialog; empty when nothing is.
std::string LineSettingsProblemText(const LineSettingsReport& report, Language language);

// One connection's negotiation, fed with what was sent and what the server answered.
class LineNegotiation {
 public:
  // Com-port control was offered on a new connection.
  void Begin();
  // The server's DO (true) or DONT (false) to com-port control.
  void OnAnswer(bool agreed);
  // The four settings commands went out; their confirmations are now awaited.
  void OnSent(const PortSettings& settings);
  // A com-port message from the server; confirmations of the four settings are compared, the
  // rest (modem state, purge and control answers) changes nothing here.
  void OnMessage(const telnet::ComPortMessage& message);
  // The answer time is over: an offer still unanswered and confirmations still missing count as
  // such from now on.
  void OnAnswerTimeUp();
  void Reset(LineControl control = LineControl::Local);

  // No answer or confirmation is outstanding.
  bool Settled() const;
  LineSettingsReport Report() const;

 private:
  struct Slot {
    std::uint32_t requested = 0;
    bool sent = false;
    bool awaiting = false;
    bool timedOut = false;
    bool confirmed = false;
    std::uint32_t value = 0;
  };

  LineControl control_ = LineControl::Local;
  Slot slots_[4];
};

}  // namespace climate
