// SIGTERM and SIGINT close the main window as the operator's close would, so a script or the
// desktop session can stop the console without losing the operator's choices.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace climate {

class SignalCloser final : public QObject {
 public:
  // One instance at a time; the previous handlers come back when it is destroyed.
  explicit SignalCloser(QWidget& window);
  ~SignalCloser() override;

  SignalCloser(const SignalCloser&) = delete;
  SignalCloser& operator=(const SignalCloser&) = delete;

 private:
  void OnSignal();

  QWidget& window_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace climate
