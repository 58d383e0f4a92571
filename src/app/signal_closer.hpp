// SIGTERM and SIGINT close the main window as the operator's close would, so a script or the
// desktop session can stop the console without losing the operator's choices.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace climate {

class SignalCloser final : public QObject {
 public:
  // onTermination runs on the event loop for each signal. One instance at a time; the previous
  // handlers come back when it is destroyed.
  explicit SignalCloser(std::function<void()> onTermination);
  ~SignalCloser() override;

  SignalCloser(const SignalCloser&) = delete;
  SignalCloser& operator=(const SignalCloser&) = delete;

 private:
  void OnSignal();

  std::function<void()> onTermination_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace climate
