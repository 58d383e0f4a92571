#include "serial/mapped_serial_port.hpp"

#include <utility>

namespace climate {

MappedSerialPort::MappedSerialPort(std::array<std::string, 4> entries)
    : entries_(entries), local_(std::move(entries)) {
  for (SerialPort* backend :
       {static_cast<SerialPort*>(&local_), static_cast<SerialPort*>(&network_)}) {
    backend->onReceive = [this] {
      if (onReceive) onReceive();
    };
    backend->onLinkLost = [this](const std::string& reason) {
      if (onLinkLost) onLinkLost(reason);
    };
    backend->onLineSettingsChange = [this] {
      if (onLineSettingsChange) onLineSettingsChange();
    };
  }
}

MappedSerialPort::~MappedSerialPort() {
  onReceive = nullptr;
  onLinkLost = nullptr;
  onLineSettingsChange = nullptr;
}

std::string MappedSerialPort::EntryText() const {
  if (portNumber_ < 1 || portNumber_ > 4) return {};
  return entries_[static_cast<std::size_t>(portNumber_ - 1)];
}

void MappedSerialPort::SetPortNumber(int number) {
  portNumber_ = number;
  local_.SetPortNumber(number);
  network_.SetPortNumber(number);
}

void MappedSerialPort::SetPortEntries(const std::array<std::string, 4>& entries) {
  entries_ = entries;
  local_.SetPortEntries(entries);
}

void MappedSerialPort::SetSettings(const std::string& settings) {
  active_->SetSettings(settings);
  settings_ = settings;
}

void MappedSerialPort::Open() {
  if (active_->IsOpen()) active_->Close();
  const std::string text = EntryText();
  const PortEntryParse parsed = ParsePortEntry(text);
  if (!parsed.entry) {
    const std::string key = "COM" + std::to_string(portNumber_);
    throw SerialError(BadPortEntryText(key, text, parsed.problem, Language::English));
  }
  if (parsed.entry->IsNetwork()) {
    network_.SetEndpoint(*parsed.entry);
    active_ = &network_;
  } else {
    active_ = &local_;
  }
  active_->SetSettings(settings_);
  active_->Open();
}

std::string MappedSerialPort::RemoteEndpoint() const {
  const PortEntryParse parsed = ParsePortEntry(EntryText());
  return parsed.entry && parsed.entry->IsNetwork() ? parsed.entry->Address() : std::string();
}

std::string MappedSerialPort::DevicePath() const {
  return RemoteEndpoint().empty() ? local_.DevicePath() : std::string();
}

bool MappedSerialPort::AppliesLineSettings() const {
  const PortEntryParse parsed = ParsePortEntry(EntryText());
  return !parsed.entry || parsed.entry->kind != LinkKind::RawTcp;
}

std::string BadPortEntriesText(const std::array<std::string, 4>& entries, Language language) {
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PortEntryParse parsed = ParsePortEntry(entries[i]);
    if (parsed.entry) continue;
    if (!text.empty()) text += "\n";
    text += BadPortEntryText("COM" + std::to_string(i + 1), entries[i], parsed.problem, language);
  }
  return text;
}

}  // namespace climate
