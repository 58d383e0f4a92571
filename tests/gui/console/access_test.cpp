// The main window by keyboard alone and through a screen reader's eyes: the menu keys, Tab through
// the memo and the controls in screen order, the port lamp toggled by keyboard and by its
// accessible actions, and the names, states and announcements the accessibility tree gives the
// controls and lamps.
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <utility>

#include "console/radio_group.hpp"
#include "console_fixture.hpp"
#include "dialogs/serial_devices_dialog.hpp"
#include "support/fake_devices.hpp"

namespace climate::testing {
namespace {

// The accessibility events sent while a test runs, as a screen reader would receive them.
std::vector<std::pair<QObject*, QAccessible::Event>>* recordedEvents = nullptr;

void RecordEvent(QAccessibleEvent* event) {
  if (recordedEvents != nullptr) recordedEvents->emplace_back(event->object(), event->type());
}

class AccessTest : public ConsoleTest {
 protected:
  ~AccessTest() override {
    if (recordedEvents == &events_) {
      QAccessible::installUpdateHandler(nullptr);
      QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
      recordedEvents = nullptr;
    }
  }

  TFrmMain& StartEnglish(bool periodic = false) {
    WriteConfig([&](IniFile& ini) {
      ini.WriteString("UserSet", "Language", "中文(&L)");
      ini.WriteInteger("UserSet", "Check", periodic ? 1 : 0);
      ini.WriteInteger("UserSet", "Timer", 2000);
    });
    TFrmMain& window = Start();
    // Window shortcuts need the window to be the active one.
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    return window;
  }

  // Accessibility on, as when a screen reader is running; events are recorded from now on.
  void ListenAsScreenReader() {
    QPlatformAccessibility* platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    ASSERT_NE(platform, nullptr);
    platform->setActive(true);
    recordedEvents = &events_;
    QAccessible::installUpdateHandler(RecordEvent);
  }
  int EventsFor(QObject* object, QAccessible::Event type) const {
    return static_cast<int>(std::count(events_.begin(), events_.end(), std::pair{object, type}));
  }

  static QAccessibleInterface* Access(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
  }
  static std::string Name(QObject* object) {
    return Access(object)->text(QAccessible::Name).toStdString();
  }
  static std::string State(QObject* object) {
    return Access(object)->text(QAccessible::Description).toStdString();
  }
  // The texts of the labels that label a control (what a Linux screen reader reads a list by).
  static std::vector<std::string> LabelledBy(QObject* object) {
    std::vector<std::string> texts;
    for (const auto& [label, relation] : Access(object)->relations(QAccessible::Label)) {
      texts.push_back(label->text(QAccessible::Name).toStdString());
    }
    return texts;
  }

  static void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  }
  // Tabs once round the window from the port list and returns the controls met.
  static std::vector<QWidget*> TabRound(QWidget* first) {
    first->setFocus();
    std::vector<QWidget*> met = {first};
    for (int i = 0; i < 60; ++i) {
      Press(Qt::Key_Tab);
      if (QApplication::focusWidget() == first) break;
      met.push_back(QApplication::focusWidget());
    }
    return met;
  }
  // Each control stands after the one before it on the screen: lower down, or in the same row
  // and further right.
  void ExpectScreenOrder(const std::vector<QWidget*>& met) const {
    for (std::size_t i = 1; i < met.size(); ++i) {
      const QRect before(met[i - 1]->mapTo(window_.get(), QPoint()), met[i - 1]->size());
      const QRect next(met[i]->mapTo(window_.get(), QPoint()), met[i]->size());
      const bool below = next.top() >= before.bottom();
      const bool sameRowRight = next.top() <= before.bottom() && next.bottom() >= before.top() &&
                                next.left() > before.right();
      EXPECT_TRUE(below || sameRowRight)
          << met[i - 1]->objectName().toStdString() << " -> " << met[i]->objectName().toStdString();
    }
  }

  std::vector<std::pair<QObject*, QAccessible::Event>> events_;
};

TEST_F(AccessTest, MenuKeysOpenTheWindowMenuOutsideTheMemoAndTabGoesRoundInScreenOrder) {
  TFrmMain& window = StartEnglish();
  auto* windowMenu = Find<QMenu>("suiPopupMenu2");
  auto* memoMenu = Find<QMenu>("suiPopupMenu1");
  auto* memo = Find<QPlainTextEdit>("suiMemoText");

  for (const char* control :
       {"suiButtonSearch", "suiComboBoxCOM", "suiEdit1", "suiCheckBoxTimer"}) {
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
      Find<QWidget>(control)->setFocus();
      Press(key, modifiers);
      EXPECT_TRUE(windowMenu->isVisible()) << control << " key " << key;
      EXPECT_FALSE(memoMenu->isVisible()) << control;
      windowMenu->hide();
      window.activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
  }
  // In the memo the keys open the memo's own menu, as the right mouse button does there.
  memo->setFocus();
  Press(Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(memoMenu->isVisible());
  EXPECT_FALSE(windowMenu->isVisible());
  memoMenu->hide();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  // The operator still types lines into the memo; Tab and Shift+Tab leave it, even once the
  // memo holds more than typing may add to it.
  memo->setFocus();
  QTest::keyClicks(memo, "ab");
  EXPECT_EQ(memo->toPlainText().toStdString(), "ab");
  memo->setPlainText(QString(3000, 'x'));
  memo->setFocus();
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find<QRadioButton>("RadioGroupTypeItem0"));
  Press(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), memo);
  Press(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>("suiEdit10"));
  EXPECT_EQ(memo->toPlainText().size(), 3000) << "no tab was typed into the memo";

  // In the unit selector the arrow keys choose the unit, as in any group of radio buttons.
  Find<QRadioButton>("RadioGroupTypeItem0")->setFocus();
  Press(Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), Find<QRadioButton>("RadioGroupTypeItem1"));
  EXPECT_EQ(window.Kind(), DeviceKind::HeatExchanger);
  Press(Qt::Key_Left);
  EXPECT_EQ(window.Kind(), DeviceKind::AirConditioner);

  // Tab meets every control once, in screen order, in both languages (the language switch makes
  // the unit selector's buttons anew).
  for (int round = 0; round < 2; ++round) {
    const std::vector<QWidget*> met = TabRound(Find<QComboBox>("suiComboBoxCOM"));
    std::string names;
    for (QWidget* control : met) names += control->objectName().toStdString() + " ";
    EXPECT_EQ(met.size(), 19u) << "port list, port lamp, settings button, ten boxes, memo, the "
                                  "selected unit button (arrows choose the other), check box, "
                                  "query and set and remote buttons: "
                               << names;
    ExpectScreenOrder(met);
    Trigger("Language");
  }
}

TEST_F(AccessTest, ControlsAndLampsSpeakTheirNamesAndStatesInBothLanguages) {
  ListenAsScreenReader();
  TFrmMain& window = StartEnglish(/*periodic=*/true);
  port_.Inject(AcReply);

  for (int language = 0; language < 2; ++language) {
    // Every control the operator can reach has a name; lists are labelled by their caption, as
    // Linux screen readers read them.
    for (QWidget* control : window.findChildren<QWidget*>()) {
      if (!control->isVisibleTo(&window) || control->focusPolicy() == Qt::NoFocus) continue;
      if (qobject_cast<QComboBox*>(control) != nullptr) continue;
      // The spin box's own edit field speaks through the spin box.
      if (qobject_cast<QAbstractSpinBox*>(control->parentWidget()) != nullptr) continue;
      EXPECT_FALSE(Name(control).empty()) << control->objectName().toStdString();
    }
    const std::vector<std::string> portLabels = LabelledBy(Find<QComboBox>("suiComboBoxCOM"));
    EXPECT_NE(std::find(portLabels.begin(), portLabels.end(), Caption("Label1")), portLabels.end());
    // Value boxes by their caption, not by their value.
    const std::pair<int, const char*> boxes[] = {
        {1, "Label25"}, {2, "Label26"}, {3, "Label27"}, {4, "Label28"}, {5, "Label29"},
        {6, "Label30"}, {7, "Label31"}, {8, "Label32"}, {9, "Label33"}, {10, "Label34"}};
    for (const auto& [number, caption] : boxes) {
      auto* box = Find<QLineEdit>(("suiEdit" + std::to_string(number)).c_str());
      EXPECT_EQ(Name(box), Caption(caption)) << number;
      EXPECT_EQ(Access(box)->text(QAccessible::Value), box->text()) << number;
    }
    // The unit selector's items are radio buttons of the selector, the selected one checked.
    QAccessibleInterface* selector = Access(Find<RadioGroup>("RadioGroupType"));
    ASSERT_EQ(selector->childCount(), 2);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(selector->child(i)->role(), QAccessible::RadioButton);
      EXPECT_EQ(selector->child(i)->text(QAccessible::Name).toStdString(),
                Find<QRadioButton>(("RadioGroupTypeItem" + std::to_string(i)).c_str())
                    ->text()
                    .toStdString());
      EXPECT_EQ(selector->child(i)->state().checked, i == 0);
    }
    if (language == 0) Trigger("Language");
  }

  // Chinese now. A status lamp and an alarm lamp by their captions and states.
  auto* unitStatus = Find<Lamp>("Shape1");  // Label2
  auto* highTemp = Find<Lamp>("Shape2");    // Label7
  auto* portLamp = Find<Lamp>("ShapeComLed");
  EXPECT_EQ(Access(unitStatus)->role(), QAccessible::Graphic);
  EXPECT_EQ(Name(unitStatus), Caption("Label2"));
  EXPECT_EQ(Name(highTemp), Caption("Label7"));
  EXPECT_EQ(Name(portLamp), Caption("Label1"));
  EXPECT_EQ(portLamp->StateWord().toStdString(), "已打开");
  EXPECT_EQ(State(portLamp).rfind("已打开。", 0), 0u) << State(portLamp);
  EXPECT_EQ(State(unitStatus), "运行");
  EXPECT_EQ(State(highTemp), "正常");

  events_.clear();
  highTemp->SetColour(Lamp::Red);
  EXPECT_EQ(State(highTemp), "告警");
  EXPECT_EQ(EventsFor(highTemp, QAccessible::DescriptionChanged), 1);
  highTemp->SetColour(Lamp::Red);
  EXPECT_EQ(EventsFor(highTemp, QAccessible::DescriptionChanged), 1) << "no change, no news";

  // A silent unit: every lamp says it has no data, and says so once.
  events_.clear();
  clock_.AdvanceMs(7000);
  window.Timer3Timer();
  ASSERT_TRUE(window.ValuesStale());
  EXPECT_EQ(State(unitStatus), "无数据");
  EXPECT_EQ(State(highTemp), "无数据");
  EXPECT_EQ(EventsFor(unitStatus, QAccessible::DescriptionChanged), 1);

  // English again: the same states in English words.
  Trigger("Language");
  EXPECT_EQ(State(unitStatus), "no data");
  EXPECT_EQ(Name(unitStatus), "Unit Status");
  port_.Inject(AcReply);
  EXPECT_EQ(State(unitStatus), unitStatus->Colour() == Lamp::Green ? "running" : "stopped");
  EXPECT_EQ(State(highTemp), highTemp->Colour() == Lamp::Green ? "normal" : "alarm");
  highTemp->SetColour(Lamp::Red);
  EXPECT_EQ(State(highTemp), "alarm");
  unitStatus->SetColour(Lamp::Red);
  EXPECT_EQ(State(unitStatus), "stopped");
}

// The port lamp by keyboard: Tab reaches it after the port list, it shows that it has the focus,
// and Space, Enter, the Menu key and Shift+F10 on it, or its accessible actions, run the
// right-click's toggle, sharing it with the right-click: the same port, lamp and status panels
// as right-clicks give, and neither the window's menu nor a box in between.
TEST_F(AccessTest, PortLampTogglesThePortByKeyboardAndScreenReaderAsByRightClick) {
  TFrmMain& window = StartEnglish();
  auto* lamp = Find<Lamp>("ShapeComLed");
  auto* windowMenu = Find<QMenu>("suiPopupMenu2");
  auto* timer = Find<QCheckBox>("suiCheckBoxTimer");
  EXPECT_EQ(Find<Lamp>("Shape1")->focusPolicy(), Qt::NoFocus) << "unit lamps only show";
  EXPECT_FALSE(Access(Find<Lamp>("Shape1"))
                   ->actionInterface()
                   ->actionNames()
                   .contains(QAccessibleActionInterface::pressAction()));

  Find<QComboBox>("suiComboBoxCOM")->setFocus();
  Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), lamp);
  const QImage focused = lamp->grab().toImage();
  Press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>("suiButtonComSet"));
  EXPECT_NE(lamp->grab().toImage(), focused) << "the focus frame";
  Press(Qt::Key_Tab, Qt::ShiftModifier);
  ASSERT_EQ(QApplication::focusWidget(), lamp);

  // What a screen reader hears: the state, then what the keys do.
  EXPECT_EQ(State(lamp),
            "open. Space, Enter, the Menu key or Shift+F10 closes or reopens the "
            "port, as a right-click does");

  QAccessibleActionInterface* actions = Access(lamp)->actionInterface();
  ASSERT_NE(actions, nullptr);
  const auto rightClick = [&] {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                            lamp->mapToGlobal(QPoint(4, 4)));
    QCoreApplication::sendEvent(lamp, &event);
  };
  struct Step {
    const char* how;
    std::function<void()> run;
  };
  // The toggle starts at "reopen" and then alternates, whoever asks.
  const Step steps[] = {
      {"Space", [] { Press(Qt::Key_Space); }},
      {"Enter", [] { Press(Qt::Key_Return); }},
      {"Menu key", [] { Press(Qt::Key_Menu); }},
      {"Shift+F10", [] { Press(Qt::Key_F10, Qt::ShiftModifier); }},
      {"right-click", rightClick},
      {"keypad Enter", [] { Press(Qt::Key_Enter, Qt::KeypadModifier); }},
      {"press action", [&] { actions->doAction(QAccessibleActionInterface::pressAction()); }},
      {"menu action", [&] { actions->doAction(QAccessibleActionInterface::showMenuAction()); }},
  };
  bool reopens = true;
  for (const Step& step : steps) {
    // Before each close the periodic mode runs, which a close by hand ends.
    if (!reopens) {
      if (!timer->isChecked()) Click("suiCheckBoxTimer");
      ASSERT_TRUE(Find<QTimer>("Timer1")->isActive());
    }
    lamp->setFocus();
    const int opens = port_.openCount;
    step.run();
    EXPECT_EQ(port_.IsOpen(), reopens) << step.how;
    EXPECT_EQ(port_.openCount, opens + (reopens ? 1 : 0)) << step.how;
    EXPECT_EQ(LampColour("ShapeComLed"), reopens ? Lamp::Lime : Lamp::Maroon) << step.how;
    EXPECT_EQ(Panel(0), reopens ? "Using Serial Port COM1" : "Serial PortCOM1Closed") << step.how;
    EXPECT_EQ(State(lamp).rfind(reopens ? "open." : "closed.", 0), 0u) << step.how;
    if (!reopens) {
      EXPECT_FALSE(timer->isChecked()) << step.how;
      EXPECT_FALSE(Find<QTimer>("Timer1")->isActive()) << step.how;
      EXPECT_EQ(Panel(2), "Manual") << step.how;
    }
    EXPECT_FALSE(windowMenu->isVisible()) << step.how;
    reopens = !reopens;
  }
  EXPECT_TRUE(prompts_.messages.empty());

  // Platforms that send the Menu key also as a keyboard context request: the key press above did
  // the work, the request adds neither a second toggle nor the window's menu.
  QContextMenuEvent keyboardRequest(QContextMenuEvent::Keyboard, QPoint(4, 4),
                                    lamp->mapToGlobal(QPoint(4, 4)));
  QCoreApplication::sendEvent(lamp, &keyboardRequest);
  EXPECT_TRUE(keyboardRequest.isAccepted());
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_FALSE(windowMenu->isVisible());

  // Held down, a key toggles once, not once per repeat.
  lamp->setFocus();
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", /*autorep=*/true);
  QCoreApplication::sendEvent(lamp, &repeat);
  EXPECT_FALSE(port_.IsOpen()) << "the last step closed the port";

  // Away from the lamp the menu keys open the window's menu as before.
  Find<QPushButton>("suiButtonComSet")->setFocus();
  Press(Qt::Key_Menu);
  EXPECT_TRUE(windowMenu->isVisible());
  windowMenu->hide();
  EXPECT_FALSE(port_.IsOpen());

  // The language switch asks the unit for its values, which opens the port again.
  Trigger("Language");
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(State(lamp), "已打开。空格键、回车键、菜单键或 Shift+F10 关闭或重新打开串口，同右键");
  (void)window;
}

TEST_F(AccessTest, SerialDevicesFieldsAreNamedByTheirCaptions) {
  test::FakeDevices devices;
  TFrmMain& window = StartEnglish();
  window.SetDeviceEnumerator(devices);
  Trigger("SerialDevices");
  FrmSerialDevices* dialog = window.SerialDevicesWin();
  ASSERT_NE(dialog, nullptr);
  auto caption = [&](const char* name) {
    return dialog->findChild<QLabel*>(name)->text().toStdString();
  };
  EXPECT_EQ(Name(dialog->findChild<QLineEdit*>("EntryEdit")), caption("EntryLabel"));
  EXPECT_EQ(Name(dialog->findChild<QWidget*>("PortTable")), caption("PortsLabel"));
  EXPECT_EQ(Name(dialog->findChild<QWidget*>("DeviceTable")), caption("DevicesLabel"));
  dialog->close();
}

}  // namespace
}  // namespace climate::testing
