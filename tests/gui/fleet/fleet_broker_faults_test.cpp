// The fleet view against a broker that misbehaves: the status line says why the last attempt
// failed, and a connection whose subscriptions were refused is not shown as a healthy one.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "../../e2e/mqtt/hostile_broker.hpp"
#include "app/config/ini_file.hpp"
#include "fleet/fleet_window.hpp"

namespace climate::test {
namespace {

TEST(FleetWindowOnAHostileBroker, StatusLineNamesTheRefusals) {
  TempDir dir;
  PeerStep deaf{PeerAct::Serve};
  deaf.refuseSubscriptions = true;
  HostileBroker peer({{PeerAct::RefuseConnect, 5}, deaf});
  IniFile ini;
  ini.WriteString("Fleet", "Host", "127.0.0.1");
  ini.WriteInteger("Fleet", "Port", peer.Port());
  ini.Save(dir.File("UserSet.INI"));
  FleetWindow window(QString::fromStdString(dir.File("UserSet.INI")));
  window.show();
  const QString endpoint = "127.0.0.1:" + QString::number(peer.Port());
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return window.Status()->text().startsWith("Not connected to " + endpoint +
                                                  " (authentication refused: not authorised)");
      },
      10000))
      << window.Status()->text().toStdString();
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return window.Status()->text().startsWith(
            "Connected to " + endpoint +
            " (subscription refused: climate/+/+/state, climate/+/+/online, "
            "climate/+/+/command/result)");
      },
      10000))
      << window.Status()->text().toStdString();
}

}  // namespace
}  // namespace climate::test
