// The window shared by the three parameter dialogs: one editable drop-down list per field of a
// ParameterModel, OK, Cancel and Default. The behaviour lives in the model; this class lays the
// fields out by language and keeps the model and the lists in step.
#pragma once

#include <QRect>
#include <string>
#include <vector>

#include "app/language.hpp"
#include "dialogs/form_dialog.hpp"
#include "dialogs/parameter_model.hpp"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace climate {

class DialogHost;

// Geometry of one language in pixels. The field frame holds the rows; the buttons sit in the
// button frame when it has a width, otherwise directly on the window.
struct ParameterDialogLayout {
  WindowSize window;
  QRect fieldFrame;
  std::vector<int> labelWidths;  // one per field
  int labelLeft = 0;
  int fieldLeft = 0;
  int fieldWidth = 0;
  int unitLeft = 0;
  int unitWidth = 24;
  int rowTop = 0;
  int rowPitch = 0;
  int rowHeight = 24;
  QRect buttonFrame;  // empty: no button frame
  int buttonTop = 0;
  int buttonLefts[3] = {0, 0, 0};  // OK, Cancel, Default
  int buttonWidth = 0;
  int buttonHeight = 30;
};

struct ParameterDialogTexts {
  std::string titleChinese;
  std::string titleEnglish;
  std::string frameChinese;
  std::string frameEnglish;
};

// What makes one of the three dialogs: its form name, captions and geometry per language.
struct ParameterDialogDesign {
  const char* objectName;
  ParameterDialogTexts texts;
  ParameterDialogLayout (*layout)(Language language);
};

class ParameterDialog : public FormDialog {
 public:
  ParameterDialog(DialogHost& host, ParameterModel& model, const ParameterDialogDesign& design,
                  QWidget* parent);

  // Shows the dialog modally after FormShow; the dialog result.
  int Run();

  // Window events, public so that tests can drive a dialog without a modal loop.
  void FormShow();
  void suiButtonOKClick();
  void suiButtonDefaultClick();
  void suiButtonCacelClick();

  ParameterModel& Model() { return model_; }
  QComboBox* FieldBox(std::size_t index) const { return boxes_.at(index); }

 protected:
  void FormClose() override;

 private:
  void AddFieldRow(std::size_t i, std::size_t count);
  void ApplyLayout(const ParameterDialogLayout& layout);
  void ShowModelTexts();

  DialogHost& host_;
  ParameterModel& model_;
  ParameterDialogTexts texts_;
  ParameterDialogLayout chinese_;
  ParameterDialogLayout english_;

  // The fixed layout sits on content_, which scrolls inside scroller_ on a screen smaller than it.
  QScrollArea* scroller_ = nullptr;
  QWidget* content_ = nullptr;
  QGroupBox* fieldFrame_ = nullptr;
  QGroupBox* buttonFrame_ = nullptr;
  std::vector<QLabel*> labels_;
  std::vector<QComboBox*> boxes_;
  std::vector<QLabel*> units_;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* default_ = nullptr;
  bool showingModel_ = false;  // list updates that come from the model, not the operator
};

}  // namespace climate
