// Pictures of the main window in both languages for the README, written only when
// CLIMATE_DIALOG_SHOTS names a folder (run under a real display server to see the fonts an
// operator sees): a reply on screen, periodic reporting on, the fan stop button shown.
#include <QCheckBox>

#include "console_fixture.hpp"

namespace climate::testing {
namespace {

using MainWindowScreenshots = ConsoleTest;

TEST_F(MainWindowScreenshots, BothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";
  const std::pair<const char*, const char*> languages[] = {{"中文(&L)", "en"},
                                                           {"English (&L)", "zh"}};
  for (const auto& [caption, suffix] : languages) {
    WriteConfig([caption = caption](IniFile& ini) {
      ini.WriteString("UserSet", "Language", caption);
      ini.WriteInteger("UserSet", "Check", 1);
      ini.WriteInteger("Debug", "FjtzdE", 1);
    });
    clock_.Set(LocalDateTime{2026, 12, 8, 22, 22, 12, 2});
    TFrmMain& window = Start();
    port_.Inject(RealTimeReply(0x13, 0x00, 0x40));
    window.TimerRsvTimer();
    window.Timer3Timer();
    QCoreApplication::processEvents();
    const QString name = folder + "/main-window-" + suffix + ".png";
    EXPECT_TRUE(window.grab().save(name)) << name.toStdString();
    window.close();
  }
}

}  // namespace
}  // namespace climate::testing
