#include "serial/unit_finder.hpp"

#include <QMetaObject>

#include "serial/qt_serial_port.hpp"

namespace climate {

UnitFinder::UnitFinder(QObject* parent) : QObject(parent), timeout_(this) {
  timeout_.setSingleShot(true);
  connect(&timeout_, &QTimer::timeout, this, [this] { GiveUp({}); });
  clock_.start();
}

UnitFinder::~UnitFinder() {
  Stop();
}

void UnitFinder::Start(std::vector<std::string> devices, std::string settings, RequestFrame request,
                       FrameJudge judge, int timeoutMs) {
  Stop();
  devices_ = std::move(devices);
  next_ = 0;
  settings_ = std::move(settings);
  request_ = std::move(request);
  judge_ = std::move(judge);
  timeout_.setInterval(timeoutMs);
  framer_.SetStartByte(request_.empty() ? 0x7E : request_.front());
  running_ = true;
  QMetaObject::invokeMethod(this, &UnitFinder::TryNext, Qt::QueuedConnection);
}

void UnitFinder::Stop() {
  running_ = false;
  timeout_.stop();
  EndProbe();
}

void UnitFinder::TryNext() {
  if (!running_) return;
  if (next_ >= devices_.size()) {
    Finish(std::nullopt);
    return;
  }
  probing_ = devices_[next_++];
  if (onTrying) onTrying(probing_);
  framer_.Reset();
  auto* probe = new QtSerialPort({probing_, {}, {}, {}}, this);
  probe_ = probe;
  probe->onReceive = [this] { OnBytes(); };
  probe->onLinkLost = [this](const std::string& reason) { GiveUp(reason); };
  try {
    probe->SetPortNumber(1);
    probe->SetSettings(settings_);
    probe->Open();
    probe->Write(request_);
  } catch (const DeviceOpenError& error) {
    // The probe's port number means nothing to the operator; the system's words do.
    GiveUp(error.SystemText());
    return;
  } catch (const std::exception& error) {
    GiveUp(error.what());
    return;
  }
  timeout_.start();
}

void UnitFinder::OnBytes() {
  if (!running_ || !probe_) return;
  for (const Bytes& frame : framer_.Push(probe_->ReadAll(), clock_.elapsed())) {
    if (judge_ && !judge_(frame)) continue;
    const std::string found = probing_;
    timeout_.stop();
    EndProbe();
    Finish(found);
    return;
  }
}

// The device stays silent, cannot be opened or went away: on to the next one, from the event
// loop, since this may run inside the probe's own notification.
void UnitFinder::GiveUp(const std::string& problem) {
  if (!running_) return;
  timeout_.stop();
  EndProbe();
  if (onNoAnswer) onNoAnswer(probing_, problem);
  QMetaObject::invokeMethod(this, &UnitFinder::TryNext, Qt::QueuedConnection);
}

// The probe is closed at once and deleted later: this can run inside its own notification.
void UnitFinder::EndProbe() {
  if (!probe_) return;
  QtSerialPort* probe = probe_.data();
  probe_ = nullptr;
  probe->onReceive = nullptr;
  probe->onLinkLost = nullptr;
  probe->Close();
  probe->deleteLater();
}

void UnitFinder::Finish(std::optional<std::string> device) {
  running_ = false;
  if (onFinished) onFinished(device);
}

}  // namespace climate
