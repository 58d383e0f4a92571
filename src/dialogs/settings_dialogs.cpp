// The windows that live beside the main window for the whole run, and the launcher through which
// the main window opens them.
#include "dialogs/settings_dialogs.hpp"

#include <QPointer>

#include "app/about.hpp"
#include "app/splash.hpp"
#include "dialogs/dialog_host.hpp"
#include "dialogs/parameter_dialogs.hpp"
#include "dialogs/port_settings_dialog.hpp"

namespace climate {

namespace {

class SettingsDialogs final : public DialogLauncher {
 public:
  SettingsDialogs(DialogHost& host, QWidget* parent, ParameterModel& ktParameters)
      : rjhParameters_(ParameterModel::HeatExchanger()),
        rjhFactory_(ParameterModel::HeatExchangerFactory()) {
    // Created in the order of start-up; parented to the main window, which owns them then.
    setKt_ = new TFrmSetKt(host, ktParameters, parent);
    about_ = new TFrmAbout(host.ConfigPath(), host.CurrentLanguage(), parent);
    about_->SetLanguageSource([&host] { return host.CurrentLanguage(); });
    about_->SetErrorReporter([&host](const std::string& text) { host.ShowError(text); });
    comSet_ = new TFrmComSet(host, parent);
    setRjh_ = new TFrmSetRjh(host, rjhFactory_, parent);
    rjhCjSet_ = new TFrmRjhCjSet(host, rjhParameters_, parent);
  }

  // The dialogs go with the launcher (or earlier with their parent): the heat-exchanger models
  // they hold die here.
  ~SettingsDialogs() override {
    delete setKt_.data();
    delete about_.data();
    delete comSet_.data();
    delete setRjh_.data();
    delete rjhCjSet_.data();
  }

  void ShowSetKt() override {
    if (setKt_) setKt_->Run();
  }
  void ShowRjhCjSet() override {
    if (rjhCjSet_) rjhCjSet_->Run();
  }
  void ShowSetRjh() override {
    if (setRjh_) setRjh_->Run();
  }
  void ShowComSet() override {
    if (comSet_) comSet_->Run();
  }
  void ShowAbout() override {
    if (about_) about_->exec();
  }
  void SetAboutTitle(const std::string& caption, const std::string& label8) override {
    if (about_) about_->SetTitle(caption, label8);
  }

 private:
  ParameterModel rjhParameters_;
  ParameterModel rjhFactory_;
  QPointer<TFrmSetKt> setKt_;
  QPointer<TFrmAbout> about_;
  QPointer<TFrmComSet> comSet_;
  QPointer<TFrmSetRjh> setRjh_;
  QPointer<TFrmRjhCjSet> rjhCjSet_;
};

}  // namespace

std::unique_ptr<DialogLauncher> CreateSettingsDialogs(DialogHost& host, QWidget* parent,
                                                      ParameterModel& ktParameters) {
  return std::make_unique<SettingsDialogs>(host, parent, ktParameters);
}

std::unique_ptr<QWidget> CreateSplash(const std::string& configPath, const std::string& exeDir,
                                      Language language) {
  return std::make_unique<TFrmFlash>(configPath, exeDir, language);
}

}  // namespace climate
