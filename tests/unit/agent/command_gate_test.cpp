// The gate before the unit: retained and expired commands are refused, and a repeated id is
// answered from the first result for as long as the window remembers it.
#include "agent/command_gate.hpp"

#include <gtest/gtest.h>

#include <string>

namespace climate {
namespace {

constexpr std::int64_t Now = 1796895600000;  // 2026-12-10T09:40:00Z

RemoteCommand WithId(const std::string& id) {
  RemoteCommand command;
  command.accepted = true;
  command.command = "remoteOff";
  command.id = id;
  return command;
}

TEST(CommandGate, RefusesRetainedAndExpiredCommands) {
  CommandGate gate;
  RemoteCommand command = WithId("\"a\"");
  const auto retained = gate.Admit(command, true, Now, 0);
  EXPECT_EQ(retained.verdict, CommandGate::Verdict::Refuse);
  EXPECT_NE(retained.reason.find("retained"), std::string::npos);

  command.expiresEpochMs = Now;  // the expiry instant itself is too late
  const auto expired = gate.Admit(command, false, Now, 0);
  EXPECT_EQ(expired.verdict, CommandGate::Verdict::Refuse);
  EXPECT_EQ(expired.reason,
            "the command expired at 2026-12-10T09:40:00.000Z (agent time "
            "2026-12-10T09:40:00.000Z)");

  // Neither refusal took the id: the same id, sent fresh and in time, is carried out.
  command.expiresEpochMs = Now + 1;
  EXPECT_EQ(gate.Admit(command, false, Now, 0).verdict, CommandGate::Verdict::Pass);
}

TEST(CommandGate, RepeatsAreAnsweredFromTheFirstResultWithinTheWindow) {
  CommandGate gate;
  const RemoteCommand first = WithId("44");
  ASSERT_EQ(gate.Admit(first, false, Now, 0).verdict, CommandGate::Verdict::Pass);
  // Two copies arrive while the first is on the line: both wait for its result.
  EXPECT_EQ(gate.Admit(first, false, Now, 10).verdict, CommandGate::Verdict::RepeatLater);
  EXPECT_EQ(gate.Admit(first, false, Now, 20).verdict, CommandGate::Verdict::RepeatLater);
  EXPECT_EQ(gate.Finished(first.id, "{\"first\":1}"), 2);
  EXPECT_EQ(gate.Finished(first.id, "{\"second\":1}"), 0);  // the first result stays

  const auto repeat = gate.Admit(first, false, Now, CommandGate::RepeatWindowMs);
  EXPECT_EQ(repeat.verdict, CommandGate::Verdict::Repeat);
  EXPECT_EQ(repeat.firstResult, "{\"first\":1}");
  // Another id, and a command without one, are commands of their own.
  EXPECT_EQ(gate.Admit(WithId("\"44\""), false, Now, 30).verdict, CommandGate::Verdict::Pass);
  RemoteCommand anonymous = WithId("");
  anonymous.id.reset();
  EXPECT_EQ(gate.Admit(anonymous, false, Now, 30).verdict, CommandGate::Verdict::Pass);
  EXPECT_EQ(gate.Admit(anonymous, false, Now, 40).verdict, CommandGate::Verdict::Pass);
  // A command that never reached the unit is forgotten: the same id again is a fresh try.
  const RemoteCommand busy = WithId("\"busy\"");
  ASSERT_EQ(gate.Admit(busy, false, Now, 50).verdict, CommandGate::Verdict::Pass);
  EXPECT_EQ(gate.Admit(busy, false, Now, 60).verdict, CommandGate::Verdict::RepeatLater);
  EXPECT_EQ(gate.Finished(busy.id, "{\"busy\":1}", false), 1);
  EXPECT_EQ(gate.Admit(busy, false, Now, 70).verdict, CommandGate::Verdict::Pass);
  // After the window the id is new again.
  EXPECT_EQ(gate.Admit(first, false, Now, CommandGate::RepeatWindowMs + 1).verdict,
            CommandGate::Verdict::Pass);

  // The window holds the last RememberedIds ids: the oldest goes first.
  CommandGate full;
  for (std::size_t i = 0; i <= CommandGate::RememberedIds; ++i) {
    ASSERT_EQ(full.Admit(WithId(std::to_string(i)), false, Now, 0).verdict,
              CommandGate::Verdict::Pass);
  }
  EXPECT_EQ(full.Admit(WithId("0"), false, Now, 0).verdict, CommandGate::Verdict::Pass);
  EXPECT_EQ(full.Admit(WithId("2"), false, Now, 0).verdict, CommandGate::Verdict::RepeatLater);
}

}  // namespace
}  // namespace climate
