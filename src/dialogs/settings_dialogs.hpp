// Creation of the windows that live beside the main window: the four settings dialogs, the
// About window and the splash.
#pragma once

#include <memory>
#include <string>

#include "app/language.hpp"
#include "console/dialog_launcher.hpp"

class QWidget;

namespace climate {

class DialogHost;
class ParameterModel;

// Creates TFrmSetKt, TFrmAbout, TFrmComSet, TFrmSetRjh and TFrmRjhCjSet, in that order, as
// children of parent. ktParameters is the air-conditioner field model the main window reads the
// two sensitivities from; it must outlive the dialogs.
std::unique_ptr<DialogLauncher> CreateSettingsDialogs(DialogHost& host, QWidget* parent,
                                                      ParameterModel& ktParameters);

// The splash TFrmFlash, filled and ready to show; exeDir ends with '/'.
std::unique_ptr<QWidget> CreateSplash(const std::string& configPath, const std::string& exeDir,
                                      Language language);

}  // namespace climate
