// Polling, decoding, publishing and remote commands.
#include "agent_service.hpp"

#include <chrono>
#include <cstdio>

#include "common/peer_text.hpp"
#include "mqtt/mqtt_client.hpp"
#include "protocol/receive.hpp"
#include "protocol/replies.hpp"
#include "serial/send_request.hpp"
#include "serial/serial_port.hpp"
#include "snmp_subagent.hpp"

namespace climate {

namespace {

std::int64_t EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::int64_t MonotonicMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

MqttOptions OptionsFor(const AgentSettings& s, const std::string& base) {
  MqttOptions o;
  o.host = s.broker.host;
  o.port = s.broker.port;
  o.clientId = "climate-agent/" + s.site + "/" + s.unit;
  o.user = s.broker.user;
  o.password = s.broker.password;
  o.caFile = s.broker.caFile;
  o.certFile = s.broker.certFile;
  o.keyFile = s.broker.keyFile;
  o.keepAliveSeconds = s.broker.keepAliveSeconds;
  o.reconnectMinSeconds = s.broker.reconnectMinSeconds;
  o.reconnectMaxSeconds = s.broker.reconnectMaxSeconds;
  o.willTopic = base + "/online";
  o.willPayload = "false";
  o.willRetain = true;
  o.willQos = 1;
  return o;
}

// A command as a log line names it: its name and id are peer text, escaped and bounded.
std::string CommandLabel(const RemoteCommand& command) {
  std::string label = command.command.empty() ? "(unnamed)" : EscapeForLog(command.command, 40);
  // The id's JSON text is printable ASCII already, its own escapes included; only its length is
  // bounded here.
  if (command.id) {
    label += " id " + (command.id->size() > 80 ? command.id->substr(0, 80) + "..." : *command.id);
  }
  return label;
}

}  // namespace

AgentService::AgentService(AgentSettings settings, std::unique_ptr<SerialPort> port,
                           QObject* parent)
    : QObject(parent),
      settings_(std::move(settings)),
      identity_{settings_.site, settings_.unit, settings_.kind, settings_.pollMs},
      base_(TopicBase(settings_)),
      port_(std::move(port)),
      framer_(static_cast<std::uint8_t>(settings_.protocol.SOI)),
      events_(static_cast<std::size_t>(settings_.queueLimit)),
      run_(static_cast<std::uint64_t>(EpochMs())) {
  pollTimer_.setInterval(settings_.pollMs);
  connect(&pollTimer_, &QTimer::timeout, this, [this] { Poll(); });
  replyTimer_.setSingleShot(true);
  replyTimer_.setInterval(settings_.replyTimeoutMs);
  connect(&replyTimer_, &QTimer::timeout, this, [this] { OnReplyTimeout(); });
  port_->onReceive = [this] { OnBytes(); };
  port_->onLinkLost = [this](const std::string& reason) {
    ++link_.linkLosses;
    link_.portOpen = false;
    framer_.Reset();
    Log("line lost: " + EscapeForLog(reason));  // a device server's words may be in it
    // The line may be back before the next poll: the loss is news of its own for SNMP.
    if (snmp_) snmp_->StateChanged(reading_, readingEpochMs_, link_);
  };
}

AgentService::~AgentService() {
  port_->onReceive = nullptr;
  port_->onLinkLost = nullptr;
}

bool AgentService::Start(std::string& error) {
  if (settings_.snmp.enabled) {
    snmp_ = std::make_unique<SnmpSubagent>(
        settings_,
        [this](RemoteCommand command, CommandDone done) {
          SubmitCommand(std::move(command), std::move(done));
        },
        [this](const std::string& line) { Log(line); });
    if (!snmp_->Start(error)) return false;
  }
  if (settings_.broker.enabled) {
    if (!StartMqtt(error)) return false;
  } else {
    Log("agent for " + base_ + " on " + settings_.device + ", no broker (SNMP only)");
  }
  port_->SetPortNumber(1);
  try {
    port_->SetSettings(settings_.portSettings);
  } catch (const SerialError& failure) {
    error = failure.what();
    return false;
  }
  pollTimer_.start();
  Poll();
  return true;
}

bool AgentService::StartMqtt(std::string& error) {
  mqtt_ = std::make_unique<MqttClient>(OptionsFor(settings_, base_));
  connect(mqtt_.get(), &MqttClient::connected, this, [this] { OnConnected(); });
  connect(mqtt_.get(), &MqttClient::disconnected, this, [this](const QString& reason) {
    events_.ResetInFlight();
    Log("broker connection down: " + EscapeForLog(reason.toStdString()));
  });
  connect(mqtt_.get(), &MqttClient::subscriptionRefused, this,
          [this](const QString& topic, const QString& reason) {
            Log("broker subscription to " + topic.toStdString() + " " + reason.toStdString() +
                ": no remote commands arrive");
          });
  connect(mqtt_.get(), &MqttClient::published, this, [this](int mid) { events_.Acknowledge(mid); });
  connect(mqtt_.get(), &MqttClient::messageArrived, this,
          [this](const QString&, const QByteArray& payload, bool retained) {
            OnCommandMessage(payload, retained);
          });
  mqtt_->AddSubscription(base_ + "/command", 1);
  if (!mqtt_->Start(error)) return false;
  Log("agent for " + base_ + " on " + settings_.device + ", broker " + settings_.broker.host + ":" +
      std::to_string(settings_.broker.port) +
      (settings_.broker.user.empty() ? "" : " as " + settings_.broker.user) +
      (settings_.broker.caFile.empty() ? "" : " (TLS)"));
  return true;
}

void AgentService::Shutdown() {
  if (stopping_) return;
  stopping_ = true;
  Log("stopping");
  pollTimer_.stop();
  replyTimer_.stop();
  // What follows is the agent's own doing, not a fault: the line and the broker go quietly.
  port_->onReceive = nullptr;
  port_->onLinkLost = nullptr;
  if (mqtt_) {
    disconnect(mqtt_.get(), nullptr, this, nullptr);
    mqtt_->Stop(base_ + "/online", "false");
  }
  if (port_->IsOpen()) port_->Close();
  Log("stopped cleanly");
}

bool AgentService::EnsurePortOpen() {
  if (!port_->IsOpen()) {
    try {
      port_->Open();
      framer_.Reset();
      lastPortError_.clear();
      Log("line open: " + settings_.device);
    } catch (const SerialError& failure) {
      // Report a failing line once, not at every poll.
      if (lastPortError_ != failure.what()) Log(std::string("line: ") + failure.what());
      lastPortError_ = failure.what();
    }
  }
  link_.portOpen = port_->IsOpen();
  return link_.portOpen;
}

void AgentService::Poll() {
  if (mqtt_ && mqtt_->MessagesDropped() != messagesDropped_) {
    messagesDropped_ = mqtt_->MessagesDropped();
    Log(std::to_string(messagesDropped_) +
        " command messages dropped so far: they came faster than the agent could read them");
  }
  if (awaiting_ != Awaiting::Nothing) return;  // the exchange on the line ends first
  if (!EnsurePortOpen()) {
    PublishState();
    return;
  }
  try {
    port_->Write(BuildRequest(settings_.protocol, CommandKind::RealTimeData, settings_.kind));
  } catch (const SerialError& failure) {
    Log(std::string("line write: ") + failure.what());
    return;
  }
  ++link_.polls;
  awaiting_ = Awaiting::RealTime;
  replyTimer_.start();
}

void AgentService::OnBytes() {
  const std::vector<std::uint8_t> bytes = port_->ReadAll();
  for (const Bytes& frame : framer_.Push(bytes, MonotonicMs())) HandleFrame(frame);
  link_.bytesDropped = framer_.Counters().bytesDropped;
}

void AgentService::HandleFrame(const Bytes& frame) {
  const ReplyKind kind = ClassifyReply(frame, settings_.protocol, settings_.kind);
  if (!IsLongEnoughFor(kind, frame.size())) return;
  if (kind == ReplyKind::Acknowledgement) {
    const CommandAck ack = DecodeAck(frame, settings_.protocol.Zqxy, settings_.protocol.Fdxy);
    if (awaiting_ != Awaiting::Command) {
      // Only the command on the line, after its write, may take an acknowledgement; this one
      // belongs to a command that already ended without an answer.
      Log(std::string("late acknowledgement from the unit (") +
          (ack == CommandAck::Positive   ? "positive"
           : ack == CommandAck::Negative ? "negative"
                                         : "neither yes nor no") +
          "), credited to no command");
      return;
    }
    if (ack == CommandAck::Other) return;  // neither yes nor no: wait on
    FinishCommand(
        ack == CommandAck::Positive ? CommandStatus::Acknowledged : CommandStatus::NegativeAck,
        AckMessage(ack, current_->command.pendingCode));
    return;
  }
  if (kind != ReplyKind::AcRealTime && kind != ReplyKind::HxRealTime) return;
  if (!VerifyReplyChecksum(frame)) {
    ++link_.checksumErrors;
    if (awaiting_ == Awaiting::RealTime) EndExchange();
    return;
  }
  ++link_.replies;
  HandleReading(kind == ReplyKind::AcRealTime ? ReadingFrom(DecodeAcRealTime(frame))
                                              : ReadingFrom(DecodeHxRealTime(frame)));
  if (awaiting_ == Awaiting::RealTime) EndExchange();
}

void AgentService::HandleReading(const UnitReading& reading) {
  const std::int64_t now = EpochMs();
  reading_ = reading;
  readingEpochMs_ = now;
  for (const AlarmTransition& transition : tracker_.Update(reading)) {
    Log(std::string("alarm ") + (transition.raised ? "raised: " : "cleared: ") + transition.key);
    if (mqtt_) events_.Push(AlarmEventJson(identity_, transition, run_, ++seq_, now));
  }
  link_.alarmEventsDropped = events_.Dropped();
  FlushEvents();
  PublishState();
}

void AgentService::OnReplyTimeout() {
  if (awaiting_ == Awaiting::RealTime) {
    ++link_.unanswered;
    PublishState();
  } else if (awaiting_ == Awaiting::Command) {
    // An acknowledgement may still be on its way: settle the line before the next command.
    settle_ = Settle::NeedPoll;
    FinishCommand(CommandStatus::NoAnswer,
                  "the unit did not answer within " + std::to_string(settings_.replyTimeoutMs) +
                      " ms; the command was written to the line and may have been carried out");
    return;
  }
  EndExchange();
}

void AgentService::EndExchange() {
  replyTimer_.stop();
  awaiting_ = Awaiting::Nothing;
  if (settle_ == Settle::Polling) settle_ = Settle::Settled;  // the settling poll has ended
  if (settle_ == Settle::NeedPoll) {
    settle_ = Settle::Polling;
    Poll();
    // Nothing written (line closed or failing): nothing can arrive late on it either.
    if (awaiting_ == Awaiting::Nothing) settle_ = Settle::Settled;
  }
  if (settle_ == Settle::Settled) SendNextCommand();
}

void AgentService::OnCommandMessage(const QByteArray& payload, bool retained) {
  if (stopping_) return;
  RemoteCommand command = ParseRemoteCommand(
      std::string_view(payload.constData(), static_cast<std::size_t>(payload.size())),
      settings_.protocol, {settings_.kind, settings_.factoryCommands});
  if (!command.accepted) {
    PublishResult({command, nullptr}, CommandStatus::Refused, command.refusal, false);
    return;
  }
  const CommandGate::Decision decision = gate_.Admit(command, retained, EpochMs(), MonotonicMs());
  switch (decision.verdict) {
    case CommandGate::Verdict::Refuse:
      PublishResult({command, nullptr}, CommandStatus::Refused, decision.reason, false);
      return;
    case CommandGate::Verdict::Repeat:
      Log("command repeated: " + CommandLabel(command) + ", answered again from its first result");
      if (mqtt_) mqtt_->Publish(base_ + "/command/result", decision.firstResult, 1, false);
      return;
    case CommandGate::Verdict::RepeatLater:
      Log("command repeated: " + CommandLabel(command) +
          ", answered with the first one's result when it ends");
      return;
    case CommandGate::Verdict::Pass:
      break;
  }
  SubmitCommand(std::move(command), nullptr);
}

void AgentService::SubmitCommand(RemoteCommand command, CommandDone done) {
  QueuedCommand queued{std::move(command), std::move(done)};
  if (commands_.size() >= CommandQueueLimit) {
    PublishResult(queued, CommandStatus::Busy, "too many commands waiting; try again later");
    return;
  }
  commands_.push_back(std::move(queued));
  if (awaiting_ == Awaiting::Nothing && settle_ == Settle::Settled) SendNextCommand();
}

void AgentService::SendNextCommand() {
  if (awaiting_ != Awaiting::Nothing || settle_ != Settle::Settled || commands_.empty()) return;
  QueuedCommand queued = std::move(commands_.front());
  commands_.pop_front();
  const RemoteCommand& command = queued.command;
  if (!EnsurePortOpen()) {
    PublishResult(queued, CommandStatus::PortClosed,
                  "the line to the unit is not open: " + lastPortError_);
    SendNextCommand();
    return;
  }
  try {
    port_->Write(command.frame);
  } catch (const SerialError& failure) {
    PublishResult(queued, CommandStatus::PortClosed, failure.what());
    SendNextCommand();
    return;
  }
  Log("command sent: " + CommandLabel(command));
  current_ = std::move(queued);
  awaiting_ = Awaiting::Command;
  replyTimer_.start();
}

void AgentService::FinishCommand(CommandStatus status, const std::string& message) {
  if (current_) PublishResult(*current_, status, message);
  current_.reset();
  EndExchange();
}

void AgentService::PublishResult(const QueuedCommand& queued, CommandStatus status,
                                 const std::string& message, bool passedGate) {
  const RemoteCommand& command = queued.command;
  // Every command that arrives ends in one log line and one result.
  Log(std::string("command ") + CommandStatusName(status) + ": " + CommandLabel(command) + ": " +
      EscapeForLog(message, 300));
  if (queued.done) {  // an SNMP set: its answer goes back to the manager that asked
    queued.done(status, message);
    return;
  }
  const std::string result =
      CommandResultJson(command.id, command.command, status, message, EpochMs());
  const bool reachedUnit = status != CommandStatus::Busy && status != CommandStatus::PortClosed;
  const int repeats = passedGate ? gate_.Finished(command.id, result, reachedUnit) : 0;
  if (!mqtt_) return;
  // A result is an answer to someone waiting now; if the broker is away it is lost with them.
  for (int i = 0; i <= repeats; ++i) mqtt_->Publish(base_ + "/command/result", result, 1, false);
}

void AgentService::OnConnected() {
  Log("broker connected");
  mqtt_->Publish(base_ + "/online", "true", 1, true);
  PublishState();
  FlushEvents();
}

void AgentService::PublishState() {
  link_.portOpen = port_->IsOpen();
  if (snmp_) snmp_->StateChanged(reading_, readingEpochMs_, link_);
  if (!mqtt_) return;
  mqtt_->Publish(base_ + "/state",
                 StateJson(identity_, reading_, readingEpochMs_, link_, EpochMs()), 1, true);
}

void AgentService::FlushEvents() {
  if (!mqtt_ || !mqtt_->IsConnected()) return;
  for (const auto& [index, payload] : events_.Unsent()) {
    const int mid = mqtt_->Publish(base_ + "/alarm", *payload, 1, false);
    if (mid < 0) return;  // connection went meanwhile; the rest waits for the next connect
    events_.MarkSent(index, mid);
  }
}

void AgentService::Log(const std::string& line) const {
  std::fprintf(stderr, "%s climate-agent: %s\n", IsoUtc(EpochMs()).c_str(), line.c_str());
}

}  // namespace climate
