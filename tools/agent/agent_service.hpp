// The agent's work on the event loop: poll the unit, decode its replies, publish state and alarm
// events, carry out remote commands one at a time. One exchange is on the line at any moment: a
// poll or a command waits for its answer (or its time-out) before the next request goes out.
// After a command goes unanswered, a poll settles the line before the next command is written:
// the unit answers in order, so its late acknowledgement comes before the poll's reply and is
// credited to nothing.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "agent/agent_settings.hpp"
#include "agent/alarm_events.hpp"
#include "agent/command_gate.hpp"
#include "agent/remote_command.hpp"
#include "agent/unit_state.hpp"
#include "protocol/framer.hpp"

namespace climate {

class MqttClient;
class SerialPort;
class SnmpSubagent;

class AgentService final : public QObject {
 public:
  // Commands waiting behind the one on the line; more are answered "busy".
  static constexpr std::size_t CommandQueueLimit = 8;

  AgentService(AgentSettings settings, std::unique_ptr<SerialPort> port, QObject* parent = nullptr);
  ~AgentService() override;

  bool Start(std::string& error);
  // Says goodbye on the online topic and disconnects.
  void Shutdown();

  // Queues a checked command from another source than the command topic (an SNMP set) with the
  // topic's commands; done gets its result instead of the result topic.
  using CommandDone = std::function<void(CommandStatus, const std::string&)>;
  void SubmitCommand(RemoteCommand command, CommandDone done);

 private:
  enum class Awaiting { Nothing, RealTime, Command };
  // After a command's time-out: NeedPoll until the settling poll is written, Polling until it
  // ends (reply or time-out); no command goes out meanwhile.
  enum class Settle { Settled, NeedPoll, Polling };
  struct QueuedCommand {
    RemoteCommand command;
    CommandDone done;  // empty: the result goes to the result topic
  };

  void Poll();
  bool EnsurePortOpen();
  void OnBytes();
  void HandleFrame(const Bytes& frame);
  void HandleReading(const UnitReading& reading);
  void OnReplyTimeout();
  void EndExchange();
  void OnCommandMessage(const QByteArray& payload, bool retained);
  void SendNextCommand();
  void FinishCommand(CommandStatus status, const std::string& message);
  // passedGate: the command's id is remembered, so repeats are answered with this result.
  void PublishResult(const QueuedCommand& queued, CommandStatus status, const std::string& message,
                     bool passedGate = true);
  bool StartMqtt(std::string& error);
  void OnConnected();
  void PublishState();
  void FlushEvents();
  void Log(const std::string& line) const;

  AgentSettings settings_;
  Identity identity_;
  std::string base_;
  std::unique_ptr<SerialPort> port_;
  std::unique_ptr<MqttClient> mqtt_;    // none with Broker/Enabled=0
  std::unique_ptr<SnmpSubagent> snmp_;  // with Snmp/Enabled=1
  StreamFramer framer_;
  QTimer pollTimer_;
  QTimer replyTimer_;
  Awaiting awaiting_ = Awaiting::Nothing;
  Settle settle_ = Settle::Settled;
  bool stopping_ = false;
  CommandGate gate_;
  std::deque<QueuedCommand> commands_;
  std::optional<QueuedCommand> current_;
  LinkCounters link_;
  std::optional<UnitReading> reading_;
  std::int64_t readingEpochMs_ = 0;
  AlarmTracker tracker_;
  EventQueue events_;
  std::uint64_t run_ = 0;
  std::uint64_t seq_ = 0;
  std::string lastPortError_;
  std::uint64_t messagesDropped_ = 0;  // as last logged
};

}  // namespace climate
