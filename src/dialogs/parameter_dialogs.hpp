// The three parameter dialogs: the air conditioner's working parameters (TFrmSetKt), the heat
// exchanger's working parameters (TFrmRjhCjSet) and its factory parameters (TFrmSetRjh). Each is
// the shared ParameterDialog with its own texts and layouts by language.
#pragma once

#include "dialogs/parameter_dialog.hpp"

namespace climate {

class TFrmSetKt final : public ParameterDialog {
 public:
  // model is the main window's air-conditioner model, read by the display between showings.
  TFrmSetKt(DialogHost& host, ParameterModel& model, QWidget* parent = nullptr);
};

class TFrmRjhCjSet final : public ParameterDialog {
 public:
  TFrmRjhCjSet(DialogHost& host, ParameterModel& model, QWidget* parent = nullptr);
};

// Its stored size is restored on show like the other two; a missing key keeps the size of the
// language layout.
class TFrmSetRjh final : public ParameterDialog {
 public:
  TFrmSetRjh(DialogHost& host, ParameterModel& model, QWidget* parent = nullptr);
};

}  // namespace climate
