// Pictures of the main window in both languages for the README, written only when
// CLIMATE_DIALOG_SHOTS names a folder (run under a real display server to see the fonts an
// operator sees): a reply on screen, periodic reporting on, the fan stop button shown; and the
// window on its screen while the unit is silent.
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QToolTip>

#include "console_fixture.hpp"
#include "monitor/monitor_window.hpp"

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

// The whole screen of a 1366x768 display (run under one, e.g. Xvfb) with the window on a unit
// that has stopped answering: grey values and lamps, and the silence mark's tooltip as hovering
// over the mark shows it.
TEST_F(MainWindowScreenshots, SilentUnitBothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen->size() != QSize(1366, 768)) GTEST_SKIP() << "needs a 1366x768 screen";
  const std::pair<const char*, const char*> languages[] = {{"中文(&L)", "en"},
                                                           {"English (&L)", "zh"}};
  for (const auto& [caption, suffix] : languages) {
    WriteConfig([caption = caption](IniFile& ini) {
      ini.WriteString("UserSet", "Language", caption);
      ini.WriteInteger("UserSet", "Check", 1);
    });
    clock_.Set(LocalDateTime{2026, 12, 10, 9, 41, 5, 4});
    TFrmMain& window = Start();
    port_.Inject(RealTimeReply(0x13, 0x00, 0x40));
    window.TimerRsvTimer();
    // The unit stops answering the periodic requests: three periods of 5 s and one tick more.
    for (int tick = 0; tick < 17; ++tick) {
      clock_.AdvanceMs(1000);
      if (tick % 5 == 4) window.Timer1Timer();
      window.Timer3Timer();
    }
    ASSERT_TRUE(window.ValuesStale());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* panel = Find<QLabel>("StatusPanel4");
    QToolTip::showText(panel->mapToGlobal(panel->rect().center()), panel->toolTip(), panel);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
    QTest::qWait(300);  // the tip's own painting; a picture, not a check
    const QString name = folder + "/main-window-silent-" + suffix + ".png";
    EXPECT_TRUE(screen->grabWindow(0).save(name)) << name.toStdString();
    QToolTip::hideText();
    window.close();
  }
}

// The whole screen with the main window and the Monitor beside it, on a 1366x768 screen and on
// one at twice the scale (QT_SCALE_FACTOR=2), in both languages; the file names carry the
// screen's pixels and scale.
TEST_F(MainWindowScreenshots, MainWindowAndMonitorOnTheScreenBothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_DIALOG_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_DIALOG_SHOTS to a folder to take them";
  QScreen* screen = QGuiApplication::primaryScreen();
  // Named by the screen's pixels and its scale: main-window-monitor-1366x768-200-en.png.
  const qreal scale = screen->devicePixelRatio();
  QString size = QStringLiteral("%1x%2")
                     .arg(qRound(screen->size().width() * scale))
                     .arg(qRound(screen->size().height() * scale));
  if (scale != 1) size += QStringLiteral("-%1").arg(qRound(scale * 100));
  const std::pair<const char*, const char*> languages[] = {{"中文(&L)", "en"},
                                                           {"English (&L)", "zh"}};
  for (const auto& [caption, suffix] : languages) {
    WriteConfig([caption = caption](IniFile& ini) {
      ini.WriteString("UserSet", "Language", caption);
      ini.WriteInteger("UserSet", "Check", 1);
    });
    TFrmMain& window = Start();
    port_.Inject(RealTimeReply(0x13, 0x00, 0x40));
    window.TimerRsvTimer();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Trigger("Monitor");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.MonitorWin()));
    QTest::qWait(300);  // the windows' own painting; a picture, not a check
    const QString name = folder + "/main-window-monitor-" + size + "-" + suffix + ".png";
    EXPECT_TRUE(screen->grabWindow(0).save(name)) << name.toStdString();
    window.close();
    window_.reset();
  }
}

}  // namespace
}  // namespace climate::testing
