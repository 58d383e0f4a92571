// Pictures of every window in both languages for review, written only when CLIMATE_DIALOG_SHOTS
// names a folder (run under a real display server to see the fonts an operator sees).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>

#include "app/about.hpp"
#include "app/config/config_keys.hpp"
#include "app/config/ini_file.hpp"
#include "app/splash.hpp"
#include "dialogs/parameter_dialogs.hpp"
#include "dialogs/port_settings_dialog.hpp"
#include "gui_test_support.hpp"

namespace climate {
namespace {

using testing::TestDialogHost;

void Save(QWidget& window, const QString& folder, const QString& name) {
  window.show();
  QApplication::processEvents();
  EXPECT_TRUE(window.grab().save(folder + "/" + name + ".png")) << name.toStdString();
  window.hide();
}

TEST(DialogScreenshots, EveryWindowInBothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";

  TestDialogHost host;
  IniFile ini;
  WriteDefaultConfiguration(ini, host.folder.Path());
  ini.Save(host.configPath);
  // The splash as shipped, with its picture beside the program.
  testing::WriteTextFile(host.folder.Path() + "FlashPictrue.jpg",
                         testing::ReadTextFile(std::string(CLIMATE_TEST_DATA_DIR) +
                                               "/../../resources/FlashPictrue.jpg"));

  for (Language language : {Language::Chinese, Language::English}) {
    host.language = language;
    const QString suffix = language == Language::Chinese ? "_zh" : "_en";

    ParameterModel kt = ParameterModel::AirConditioner();
    TFrmSetKt setKt(host, kt);
    setKt.FormShow();
    Save(setKt, folder, "FrmSetKt" + suffix);

    ParameterModel rjh = ParameterModel::HeatExchanger();
    TFrmRjhCjSet rjhCjSet(host, rjh);
    rjhCjSet.FormShow();
    Save(rjhCjSet, folder, "FrmRjhCjSet" + suffix);

    ParameterModel factory = ParameterModel::HeatExchangerFactory();
    TFrmSetRjh setRjh(host, factory);
    setRjh.FormShow();
    Save(setRjh, folder, "FrmSetRjh" + suffix);

    TFrmComSet comSet(host);
    comSet.FormShow();
    Save(comSet, folder, "FrmComSet" + suffix);

    TFrmFlash splash(host.configPath, host.folder.Path(), language);
    Save(splash, folder, "FrmFlash" + suffix);
    if (language == Language::English) {
      IniFile elsewhere = IniFile::Load(host.configPath);
      elsewhere.WriteString("FrmFlash", "FlashPictrue", host.folder.Path() + "missing.jpg");
      elsewhere.Save(host.configPath);
      TFrmFlash builtIn(host.configPath, host.folder.Path(), language);
      Save(builtIn, folder, "FrmFlash_builtin_picture");
    }

    TFrmAbout about(host.configPath, language);
    about.SetTitle(language == Language::Chinese ? std::string(22, ' ') + "(REV 101)"
                                                 : "Cabinet Air Conditioner Background Control "
                                                   "System(REV 101)",
                   language == Language::Chinese ? "Korvane LCD" + std::string(13, ' ')
                                                 : "Cabinet Air Conditioner Background Control "
                                                   "System");
    Save(about, folder, "FrmAbout" + suffix);
  }
}

}  // namespace
}  // namespace climate
