// Pictures of every window in both languages for review, written only when CLIMATE_DIALOG_SHOTS
// names a folder (run under a real display server to see the fonts an operator sees).
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/about.hpp"
#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/splash.hpp"
#include "dialogs/parameter_dialogs.hpp"
#include "dialogs/port_settings_dialog.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

TEST(DialogScreenshots, EveryWindowInBothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";
  const auto save = [&](QWidget& window, const QString& name) {
    window.show();
    // The layout requests the showing posted (scroll bars among them) are handled first.
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.grab().save(folder + "/" + name + ".png")) << name.toStdString();
    window.hide();
  };
  testing::TestDialogHost host;  // a first start: the default file, the shipped picture
  IniFile ini;
  WriteDefaultConfiguration(ini, host.folder.Path());
  ini.Save(host.configPath);
  testing::WriteTextFile(host.folder.Path() + "FlashPictrue.jpg",
                         testing::ReadTextFile(std::string(CLIMATE_TEST_DATA_DIR) +
                                               "/../../resources/FlashPictrue.jpg"));

  for (Language language : {Language::Chinese, Language::English}) {
    host.language = language;
    const QString suffix = language == Language::Chinese ? "_zh" : "_en";
    testing::ParameterDialogSet parameterDialogs(host);
    auto& [kt, rjh, factory, setKt, rjhCjSet, setRjh] = parameterDialogs;
    TFrmComSet comSet(host);
    for (auto [dialog, name] : {std::pair<QWidget*, QString>{&setKt, "FrmSetKt"},
                                {&rjhCjSet, "FrmRjhCjSet"},
                                {&setRjh, "FrmSetRjh"},
                                {&comSet, "FrmComSet"}}) {
      if (auto* parameters = dynamic_cast<ParameterDialog*>(dialog)) parameters->FormShow();
      if (dialog == &comSet) comSet.FormShow();
      save(*dialog, name + suffix);
    }
    TFrmFlash splash(host.configPath, host.folder.Path(), language);
    save(splash, "FrmFlash" + suffix);
    TFrmAbout about(host.configPath, language);
    if (language == Language::English) {
      about.SetTitle("Cabinet Air Conditioner Background Control System(REV 101)",
                     "Cabinet Air Conditioner Background Control System");
    }
    save(about, "FrmAbout" + suffix);
  }
  ini = IniFile::Load(host.configPath);
  ini.WriteString("FrmFlash", "FlashPictrue", "");
  ini.Save(host.configPath);
  TFrmFlash builtIn(host.configPath, host.folder.Path(), Language::English);
  save(builtIn, "FrmFlash_builtin_picture");
}

}  // namespace
}  // namespace climate
