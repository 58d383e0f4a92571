// TFrmComSet: baud rate, data bits, parity and stop bits of the serial port. Shows the port's live
// settings, applies a new choice to the port at once and stores the choice for the next start.
#pragma once

#include <string>

#include "dialogs/form_dialog.hpp"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace climate {

class DialogHost;

class TFrmComSet final : public FormDialog {
 public:
  explicit TFrmComSet(DialogHost& host, QWidget* parent = nullptr);

  int Run();  // FormShow, then modal

  // Window events, public so that tests can drive the dialog without a modal loop.
  void FormShow();
  void suiButtonOKClick();
  void suiButtonDefaultClick();
  void suiButtonCancelClick();

  // The settings text of the current selections; empty when a list has no selection (the
  // name of that list's label then goes to missingField).
  std::string ComposeSettings(std::string* missingField = nullptr) const;

 protected:
  void FormClose() override;

 private:
  QWidget* BuildLinePage();
  void BuildButtons(QWidget* page);
  void SelectDefaults();
  bool ApplyToPort(const std::string& settings);

  DialogHost& host_;
  QScrollArea* scroller_ = nullptr;  // the page and the note, scrolled on a small screen
  QTabWidget* pages_ = nullptr;
  QLabel* rateLabel_ = nullptr;
  QLabel* dataLabel_ = nullptr;
  QLabel* parityLabel_ = nullptr;
  QLabel* stopLabel_ = nullptr;
  QComboBox* rate_ = nullptr;
  QComboBox* data_ = nullptr;
  QComboBox* parity_ = nullptr;
  QComboBox* stop_ = nullptr;
  QPushButton* default_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace climate
