// Pictures of the fleet view for its documentation, written only when CLIMATE_FLEET_SHOTS names a
// folder: one cabinet in each row state, in both languages, and the same cabinets with the
// broker unreachable (a state every row shares); at twice the scale too.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimeZone>

#include "fleet/fleet_detail_window.hpp"
#include "fleet/fleet_table_model.hpp"
#include "fleet/fleet_window.hpp"

namespace climate::testing {
namespace {

// A state message published now whose reading is ageS seconds old.
QByteArray State(const char* kind, int ageS, bool portOpen, const char* alarms, int indoor) {
  const std::int64_t now = 1'796'808'000'000;
  const auto iso = [](std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc())
        .toString("yyyy-MM-dd'T'hh:mm:ss.zzz'Z'")
        .toStdString();
  };
  return QByteArray::fromStdString(
      std::string(R"({"kind":")") + kind + R"(","time":")" + iso(now) + R"(","readingTime":")" +
      iso(now - ageS * 1000LL) + R"(","pollMs":2000,"values":{"indoorTemperature":{"value":)" +
      std::to_string(indoor) +
      R"(},"indoorHumidity":{"value":55},"supplyVoltage":{"value":221}},"activeAlarms":[)" +
      alarms + R"(],"link":{"portOpen":)" + (portOpen ? "true" : "false") + "}}");
}

TEST(FleetScreenshots, EveryRowStateInBothLanguages) {
  const QString folder = qEnvironmentVariable("CLIMATE_FLEET_SHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set CLIMATE_FLEET_SHOTS to a folder to take them";
  FleetWindow window("does-not-exist.INI");
  FleetTableModel& table = *window.Table();
  const auto cabinet = [&](const char* name, const QByteArray& state, const char* online) {
    table.Ingest(QString("climate/%1/state").arg(name), state);
    table.Ingest(QString("climate/%1/online").arg(name), online);
  };
  cabinet("north/cab1", State("airConditioner", 1, true, "", 24), "true");
  cabinet("north/cab2",
          State("heatExchanger", 2, true, R"("sensorFault","highTemperatureAlarm")", 41), "true");
  cabinet("north/cab3", State("airConditioner", 45, true, "", 27), "true");
  cabinet("south/cab4", State("heatExchanger", 12 * 60, false, "", 29), "true");
  cabinet("south/cab5", State("airConditioner", 3 * 3600 + 5 * 60, true, "", 31), "false");
  cabinet("west/cab6", State("airConditioner", 2 * 86400, false, R"("customAlarm1")", 19), "false");
  table.Ingest("climate/x/y/state", R"({"kind":5})");
  window.FlushNow();
  // Never shown, so the window does not connect: the pictures show exactly these cabinets. On a
  // screen narrower than the picture it is as wide as the screen; at twice the scale the names
  // end in "-200".
  const QScreen* screen = QGuiApplication::primaryScreen();
  window.resize(QSize(1180, 300).boundedTo(screen->availableGeometry().size()));
  const QString scale = screen->devicePixelRatio() >= 2 ? "-200" : "";
  // The detail of the cabinet in alarm, opened as a double-click opens it.
  emit window.View()->activated(window.View()->model()->index(0, 0));
  for (const auto& [language, suffix] :
       {std::pair{Language::English, "en"}, std::pair{Language::Chinese, "zh"}}) {
    window.SetLanguage(language);
    ASSERT_NE(window.Detail(), nullptr);
    QTest::qWait(50);
    const QString name = QString("%1/fleet-detail%2-%3.png").arg(folder, scale, suffix);
    EXPECT_TRUE(window.Detail()->grab().save(name)) << name.toStdString();
  }
  window.Detail()->close();
  for (const bool brokerUp : {true, false}) {
    table.SetBrokerUp(brokerUp);
    for (const auto& [language, suffix] :
         {std::pair{Language::English, "en"}, std::pair{Language::Chinese, "zh"}}) {
      window.SetLanguage(language);
      QCoreApplication::processEvents();
      const QString name = QString("%1/fleet-%2%3-%4.png")
                               .arg(folder, brokerUp ? "states" : "broker-down", scale, suffix);
      EXPECT_TRUE(window.grab().save(name)) << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace climate::testing
