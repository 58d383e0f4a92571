// A dialog whose every close (OK, Cancel, Esc, the title bar) ends in its FormClose handler,
// which stores what the next showing restores.
#pragma once

#include <QDialog>

namespace climate {

class FormDialog : public QDialog {
 public:
  using QDialog::QDialog;

 protected:
  void done(int result) final {
    FormClose();
    QDialog::done(result);
  }
  virtual void FormClose() = 0;
};

}  // namespace climate
