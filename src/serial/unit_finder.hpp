// Looks for the unit among serial devices: sends the real-time request to one device after the
// other, each opened on its own with the line settings in force, and stops at the first that
// answers with a frame the receive path could use. Everything runs on the event loop; the
// console's own port is never touched.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/frame.hpp"
#include "protocol/framer.hpp"

namespace climate {

class QtSerialPort;

class UnitFinder final : public QObject {
  Q_OBJECT

 public:
  explicit UnitFinder(QObject* parent = nullptr);
  ~UnitFinder() override;

  // Tries the devices in order, each for at most timeoutMs after its request went out. The judge
  // says which frames count as an answer.
  void Start(std::vector<std::string> devices, std::string settings, RequestFrame request,
             FrameJudge judge, int timeoutMs);
  // Ends a search under way; onFinished is not called.
  void Stop();
  bool Running() const { return running_; }

  // A device is being tried.
  std::function<void(const std::string& device)> onTrying;
  // A device did not answer; the text says why when it could not even be opened.
  std::function<void(const std::string& device, const std::string& problem)> onNoAnswer;
  // The search ended: the device that answered, or none.
  std::function<void(const std::optional<std::string>& device)> onFinished;

 private:
  void TryNext();
  void OnBytes();
  void GiveUp(const std::string& problem);
  void EndProbe();
  void Finish(std::optional<std::string> device);

  std::vector<std::string> devices_;
  std::size_t next_ = 0;
  std::string settings_;
  RequestFrame request_;
  FrameJudge judge_;
  bool running_ = false;
  QPointer<QtSerialPort> probe_;
  std::string probing_;
  QTimer timeout_;
  StreamFramer framer_;
  QElapsedTimer clock_;
};

}  // namespace climate
