// The settings dialogs from the console to the simulator: each dialog's OK puts its exact frame on
// the line, and the unit's acknowledgement comes back named after the command that was sent.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <utility>

#include "console_e2e.hpp"
#include "dialogs/settings_dialogs.hpp"
#include "protocol/frame.hpp"

namespace climate::test {
namespace {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  return QTest::qWaitFor(done, timeoutMs);
}

// Presses OK of the next modal dialog as soon as it is up.
void PressOkWhenShown() {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    if (auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("suiButtonOK"))) {
      timer->stop();
      timer->deleteLater();
      ok->click();
    }
  });
  timer->start();
}

std::string ExpectedHex(DeviceKind kind, CommandKind command, std::vector<std::uint8_t> data) {
  return HexDump(BuildRequest(DefaultProtocolSettings(), command, kind, data));
}

struct DialogsOnSimulator {
  explicit DialogsOnSimulator(DeviceKind kind)
      : console({"--kind", kind == DeviceKind::HeatExchanger ? "hx" : "ac"}, [kind](IniFile& ini) {
          ini.WriteInteger("Device", "DeviceType", static_cast<int>(kind));
        }) {
    TFrmMain& window = console.Window();
    launcher = CreateSettingsDialogs(window, &window, window.KtParameters());
    window.SetDialogLauncher(launcher.get());
    EXPECT_TRUE(WaitUntil([&] { return window.Counters().realTime >= 3; }));
  }
  ~DialogsOnSimulator() { console.Window().SetDialogLauncher(nullptr); }

  // Runs one dialog through OK and waits for the acknowledgement it earns.
  void Ok(const std::function<void()>& show) {
    const auto acks = console.Window().Counters().acknowledgements;
    PressOkWhenShown();
    show();
    EXPECT_TRUE(WaitUntil([&] { return console.Window().Counters().acknowledgements > acks; }));
  }

  ConsoleOnSimulator console;
  std::unique_ptr<DialogLauncher> launcher;
};

TEST(DialogsOnSimulator, AirConditionerParametersReachTheUnitAndAreAcknowledged) {
  DialogsOnSimulator run(DeviceKind::AirConditioner);
  // A new UserSet.INI holds 32, 10, 5, 10, 55, 0; each travels as value + 20.
  run.Ok([&] { run.console.Find<QAbstractButton>("suiButtonSet")->click(); });
  EXPECT_EQ(run.console.Requests().back(),
            ExpectedHex(DeviceKind::AirConditioner, CommandKind::SetParameters,
                        {52, 30, 25, 30, 75, 20}));
  EXPECT_EQ(run.console.Window().PendingCommand(), 1);
  EXPECT_EQ(run.console.MemoLines().back(),
            "Cabinet Air Conditioner parameter setting return success!");
}

TEST(DialogsOnSimulator, HeatExchangerDialogsReachTheUnitAndAreAcknowledged) {
  DialogsOnSimulator run(DeviceKind::HeatExchanger);
  run.Ok([&] { run.console.Find<QAbstractButton>("suiButtonSet")->click(); });
  EXPECT_EQ(
      run.console.Requests().back(),
      ExpectedHex(DeviceKind::HeatExchanger, CommandKind::SetParameters, {50, 30, 25, 30, 75, 20}));
  EXPECT_EQ(run.console.MemoLines().back(), "Heat exchanger parameter setting return success!");

  // The factory dialog sits behind the password in the window; here it is opened directly.
  run.Ok([&] { run.launcher->ShowSetRjh(); });
  EXPECT_EQ(run.console.Requests().back(),
            ExpectedHex(DeviceKind::HeatExchanger, CommandKind::SetFactoryParameters,
                        {45, 30, 20, 25, 30}));
  EXPECT_EQ(run.console.Window().PendingCommand(), 5);
  EXPECT_EQ(run.console.MemoLines().back(),
            "Heat exchanger factory parameter setting setting commad return success!");
}

// The unit's next report after the acknowledgement is checked against what was sent, and each
// line is cued on the box that shows that value: the boxes run in two columns, not in the order
// the reply sends its values.
TEST(DialogsOnSimulator, SetPointChecksAreCuedOnTheBoxesThatShowTheValues) {
  const auto confirmed = [](const char* name, int value) {
    return std::string("Setpoint check:   ") + name + " sent " + std::to_string(value) +
           " ℃, unit reports " + std::to_string(value) + " ℃, confirmed";
  };
  for (const DeviceKind kind : {DeviceKind::AirConditioner, DeviceKind::HeatExchanger}) {
    SCOPED_TRACE(kind == DeviceKind::HeatExchanger ? "heat exchanger" : "air conditioner");
    const bool hx = kind == DeviceKind::HeatExchanger;
    DialogsOnSimulator run(kind);
    TFrmMain& window = run.console.Window();
    run.Ok([&] { run.console.Find<QAbstractButton>("suiButtonSet")->click(); });
    const auto shown = window.Counters().realTime;
    run.console.Find<QAbstractButton>("suiButtonSearch")->click();
    ASSERT_TRUE(WaitUntil([&] { return window.Counters().realTime > shown; }));
    ASSERT_EQ(window.Monitor().SetPoints().State(), SetPointState::Confirmed);

    // A new UserSet.INI sends 32 (30 for the heat exchanger), 5, 55 and 0 for these four.
    const std::pair<const char*, std::string> cues[] = {
        {"suiEdit3",
         confirmed(hx ? "External fan adjust point" : "Cooling off point", hx ? 30 : 32)},
        {"suiEdit7", confirmed("Heating on point", 5)},
        {"suiEdit8", confirmed("High temperature alarm point", 55)},
        {"suiEdit10", confirmed("Low temperature alarm point", 0)},
    };
    for (const auto& [box, tip] : cues) {
      auto* edit = run.console.Find<QLineEdit>(box);
      EXPECT_EQ(edit->toolTip().toStdString(), tip) << box;
      EXPECT_EQ(edit->property("setPointCheck").toString().toStdString(), "confirmed") << box;
    }
    for (const char* box :
         {"suiEdit1", "suiEdit2", "suiEdit4", "suiEdit5", "suiEdit6", "suiEdit9"}) {
      auto* edit = run.console.Find<QLineEdit>(box);
      EXPECT_TRUE(edit->toolTip().isEmpty()) << box;
      EXPECT_TRUE(edit->property("setPointCheck").toString().isEmpty()) << box;
    }
  }
}

TEST(DialogsOnSimulator, PortSettingsOkKeepsTheLineWorking) {
  DialogsOnSimulator run(DeviceKind::AirConditioner);
  TFrmMain& window = run.console.Window();
  PressOkWhenShown();
  run.console.Find<QAbstractButton>("suiButtonComSet")->click();
  const auto before = window.Counters().realTime;
  run.console.Find<QAbstractButton>("suiButtonSearch")->click();
  EXPECT_TRUE(WaitUntil([&] { return window.Counters().realTime > before; }));
  EXPECT_TRUE(run.console.Prompts().messages.empty());
}

}  // namespace
}  // namespace climate::test
