// The receive side of the window: bytes off the port go through the stream framer, each frame
// through ProcessReply, and the outcome onto the memo, the value boxes and the lamps. The memo's
// lines also go to the log file while logging is on.
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "dialogs/parameter_model.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

}  // namespace

// Runs on the port's receive notification and from the backstop timer.
void TFrmMain::MSComm1Comm() {
  if (!port_.IsOpen() || port_.BytesWaiting() <= 0) return;
  const Bytes bytes = port_.ReadAll();
  for (const Bytes& frame : framer_.Push(bytes, clock_.MonotonicMs())) ShowReply(frame);
  monitor_.OnFramerCounters(framer_.Counters());
}

// The backstop also gives up a partial frame that stopped growing. With the port closed it
// touches nothing but the framer's empty buffer.
void TFrmMain::TimerRsvTimer() {
  MSComm1Comm();
  for (const Bytes& frame : framer_.Expire(clock_.MonotonicMs())) ShowReply(frame);
  monitor_.OnFramerCounters(framer_.Counters());
}

void TFrmMain::ShowReply(const Bytes& frame) {
  ReceiveContext context;
  context.protocol = &protocol_;
  context.kind = Kind();
  context.language = CurrentLanguage();
  context.isShow = debugIsShow_;
  context.maxLine = maxLine_;
  context.memoLineCount = MemoLineCount();
  context.pendingCommand = pendingCommand_;
  context.coolingSensitivity = ktParameters_->Text(1);
  context.heaterSensitivity = ktParameters_->Text(3);
  context.now = clock_.Now();

  const ReceiveOutcome outcome = ProcessReply(frame, context);
  if (!outcome.accepted) return;
  ++counters_.frames;

  for (const std::string& line : outcome.receptionLines) AppendMemoLine(line);
  if (outcome.clearMemo) {
    ClearMessageMemo();
    ++counters_.memoClears;
  }
  if (!outcome.checksumOk) {
    ++counters_.checksumErrors;
  } else if (outcome.realTime) {
    ++counters_.realTime;
    ApplyRealTime(*outcome.realTime);
  } else if (outcome.factory) {
    ++counters_.factory;
    ApplyFactory(*outcome.factory);
  } else if (outcome.kind == ReplyKind::Acknowledgement) {
    ++counters_.acknowledgements;
  } else {
    ++counters_.unknown;
  }
  for (const std::string& line : outcome.lines) AppendMemoLine(line);
  // The set point check's lines come before the log step, so the log file has them too.
  for (const std::string& line : monitor_.OnReply(frame, outcome, context)) AppendMemoLine(line);
  ApplyStaleLook();
  if (outcome.runLogStep && loggingOn_) log_.Flush();
}

void TFrmMain::ApplyRealTime(const RealTimeView& view) {
  for (std::size_t i = 0; i < view.boxes.size(); ++i) suiEdit_[i]->setText(Q(view.boxes[i]));
  for (std::size_t i = 0; i < view.lamps.size(); ++i) {
    Shape_[i]->SetColour(view.lamps[i] == LampColour::Green ? Lamp::Green : Lamp::Red);
  }
  unitRunning_ = view.unitRunning;
  suiButtonOpen_->setText(Q(view.openButtonCaption));
  FitCaption(suiButtonOpen_);
}

void TFrmMain::ApplyFactory(const FactoryView& view) {
  for (std::size_t i = 0; i < view.boxes.size(); ++i) suiEdit_[10 + i]->setText(Q(view.boxes[i]));
}

// Lines as the operator counts them: a last line left empty by a typed line end is not one.
int TFrmMain::MemoLineCount() const {
  const QTextDocument* document = suiMemoText_->document();
  if (document->isEmpty()) return 0;
  const int blocks = document->blockCount();
  return document->lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

void TFrmMain::AppendMemoLine(const std::string& line) {
  suiMemoText_->appendPlainText(Q(line));
  monitor_.OnMemoLine(line);
  if (loggingOn_) log_.Append(line);
}

// Lines already handed to the log stay there: the file keeps what the memo lets go.
void TFrmMain::ClearMessageMemo() {
  suiMemoText_->clear();
  logStartLine_ = 0;
}

void TFrmMain::ClearClick() {
  ClearMessageMemo();
}

void TFrmMain::LogClick() {
  logStartLine_ = MemoLineCount();
  loggingOn_ = true;
  SetLogMenuState();
}

// Lines that arrived since the last reply was logged (a checksum error line, say) are written
// now, so stopping never loses what was logged while logging was on.
void TFrmMain::StopClick() {
  loggingOn_ = false;
  SetLogMenuState();
  log_.Flush();
}

void TFrmMain::SetLogMenuState() {
  Log_->setEnabled(!loggingOn_);
  Log_->setChecked(!loggingOn_);
  Stop_->setEnabled(loggingOn_);
  Stop_->setChecked(loggingOn_);
}

void TFrmMain::suiMemoTextChange() {
  suiMemoText_->moveCursor(QTextCursor::End);
  suiMemoText_->ensureCursorVisible();
}

}  // namespace climate
