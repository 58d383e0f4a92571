// The receive side of the window: bytes off the port go through the stream framer, each frame
// through ProcessReply, and the outcome onto the memo, the value boxes and the lamps. The memo's
// lines also go to the log file while logging is on, typed ones included.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>

#include "common/qt_text.hpp"
#include "console/lamp.hpp"
#include "console/log_file_texts.hpp"
#include "console/main_window.hpp"
#include "console/prompts.hpp"
#include "dialogs/parameter_model.hpp"
#include "serial/serial_port.hpp"

namespace climate {

namespace {

// The block state of a memo line that the log already has (or that came before logging began).
constexpr int HandedToLog = 1;

// A red mark for the narrow status panel while the log file cannot be written.
QPixmap LogFailingMark(QSize size) {
  QPixmap mark(size);
  mark.fill(Qt::transparent);
  QPainter painter(&mark);
  painter.fillRect(QRect(QPoint(1, 2), size - QSize(2, 4)), QColor(255, 0, 0));
  return mark;
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
  context.pendingCommand = static_cast<CommandCode>(pendingCommand_);
  context.coolingSensitivity = ktParameters_->Text(1);
  context.heaterSensitivity = ktParameters_->Text(3);
  context.now = clock_.Now();

  const ReceiveOutcome outcome = ProcessReply(frame, context);
  if (!outcome.Accepted()) return;

  AppendMemoLines(outcome.receptionLines);
  if (outcome.clearMemo) ClearMessageMemo();
  if (outcome.realTime) ApplyRealTime(*outcome.realTime);
  if (outcome.factory) ApplyFactory(*outcome.factory);
  AppendMemoLines(outcome.lines);
  // The set point confirmation is the Monitor's to record; the window only marks the boxes. The
  // Monitor also counts what became of the frame (Counters).
  if (!monitor_.OnReply(outcome, context).empty()) ShowSetPointCue();
  ApplyStaleLook();
  if (outcome.RunsLogStep() && loggingOn_) WriteLogFile();
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

// A reply's thirty-odd lines go in as one block of text: one layout, scroll and repaint instead
// of one per line, the larger part of the console's idle cost. Each line is still a block of
// its own, as the log and the line count read them.
void TFrmMain::AppendMemoLines(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  QString text;
  for (const std::string& line : lines) {
    if (!text.isEmpty() || &line != &lines.front()) text += QChar('\n');
    text += Q(line);
    monitor_.OnMemoLine(line);
  }
  suiMemoText_->appendPlainText(text);
}

// Every memo line the log has not had yet, in memo order: the receive path's lines and the ones
// the operator typed between them. Lines are marked as they go, so none is written twice. An
// empty last line is only where the caret waits for typing, not a line yet.
void TFrmMain::HandMemoToLog() {
  const QTextDocument* document = suiMemoText_->document();
  if (document->isEmpty()) return;
  const QTextBlock last = document->lastBlock();
  for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
    if (block.userState() == HandedToLog) continue;
    if (block == last && block.text().isEmpty()) break;
    block.setUserState(HandedToLog);
    log_.Append(block.text().toStdString());
  }
}

// The log step: the memo's new lines go to the end of the file.
void TFrmMain::WriteLogFile() {
  HandMemoToLog();
  log_.Flush(CurrentLanguage());
  ShowLogState();
}

// Lines already handed to the log stay there, and lines that are still to go are handed over
// first: the file keeps what the memo lets go.
void TFrmMain::ClearMessageMemo() {
  if (loggingOn_) HandMemoToLog();
  suiMemoText_->clear();
  logStartLine_ = 0;
}

void TFrmMain::ClearClick() {
  ClearMessageMemo();
}

// The file takes only lines that arrive from now on: the ones already there count as handed.
// An empty last line is not one yet; the next line the memo gets may well be written into it.
void TFrmMain::LogClick() {
  logStartLine_ = MemoLineCount();
  QTextDocument* document = suiMemoText_->document();
  const QTextBlock last = document->lastBlock();
  for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next()) {
    if (block == last && block.text().isEmpty()) break;
    block.setUserState(HandedToLog);
  }
  loggingOn_ = true;
  SetLogMenuState();
}

// Lines that arrived since the last reply was logged (a checksum error line, a typed note) are
// written now, so stopping never loses what was in the memo while logging was on.
void TFrmMain::StopClick() {
  HandMemoToLog();
  loggingOn_ = false;
  SetLogMenuState();
  log_.Flush(CurrentLanguage());
  ShowLogState();
}

// Lines that could not be written by the close are named in one message rather than dropped
// without a word.
void TFrmMain::FlushLogOnClose() {
  if (loggingOn_) HandMemoToLog();
  if (log_.PendingLines() == 0 && log_.DroppedLines() == 0) return;
  if (log_.Flush(CurrentLanguage())) return;
  prompts_.Message(
      LogLostAtCloseText(log_.Path(), log_.PendingLines() + log_.DroppedLines(), CurrentLanguage()),
      "");
}

// While the log file cannot be written, the narrow status panel shows a red mark whose tooltip
// (and the log menu items' tooltips) say how many lines wait; it goes once a write succeeds.
void TFrmMain::ShowLogState() {
  QLabel* panel = statusPanels_[1];
  const bool failing = log_.Failing();
  const QString tip = failing ? Q(LogFailingText(log_.FileName(), log_.PendingLines(),
                                                 log_.DroppedLines(), CurrentLanguage()))
                              : QString();
  if (failing != logFailingShown_) {
    logFailingShown_ = failing;
    // Before the first layout the panel has no size yet; the mark then takes the bar's.
    QSize size = panel->contentsRect().size();
    if (size.isEmpty()) size = QSize(8, 16);
    panel->setPixmap(failing ? LogFailingMark(size) : QPixmap());
  }
  if (panel->toolTip() == tip) return;
  panel->setToolTip(tip);
  Log_->setToolTip(tip);
  Stop_->setToolTip(tip);
  suiPopupMenu1_->setToolTipsVisible(true);
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
