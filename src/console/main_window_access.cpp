// The main window by keyboard and screen reader: Tab leaves the memo and goes through the
// controls as they stand on the screen, Shift+F10 and the Menu key open the pop-up menus, the
// port lamp is reached and toggled by keyboard as by right-click, and the lamps and the interval
// box say what they are and show.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <vector>

#include "common/qt_text.hpp"
#include "console/lamp.hpp"
#include "console/main_window.hpp"
#include "console/radio_group.hpp"
#include "console/ui_texts.hpp"
#include "protocol/unit_bits.hpp"

namespace climate {

namespace {

// The value boxes row by row, left column first: the numbers of the boxes (suiEdit<n>).
constexpr int ValueBoxOrder[] = {1, 4, 2, 5, 3, 6, 7, 9, 8, 10, 11, 14, 12, 15, 13};

}  // namespace

void TFrmMain::BuildKeyboardAccess() {
  // The operator types lines into the memo, but a tab there is no use to anyone: Tab moves on.
  suiMemoText_->setTabChangesFocus(true);

  auto* menuKeys = new QShortcut(this);
  menuKeys->setObjectName("MenuKeys");
  menuKeys->setKeys({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
  menuKeys->setContext(Qt::WindowShortcut);
  connect(menuKeys, &QShortcut::activated, this, &TFrmMain::OpenMenuFromKeyboard);

  ApplyTabOrder();
  ApplyAccessibleTexts(Language::English);
}

void TFrmMain::ApplyTabOrder() {
  // The port lamp stands between the port list and the settings button.
  std::vector<QWidget*> order = {suiComboBoxCOM_, ShapeComLed_, suiButtonComSet_};
  for (const int number : ValueBoxOrder) order.push_back(suiEdit_[number - 1]);
  order.push_back(suiMemoText_);
  // The unit selector's buttons are made again by every language switch.
  for (int i = 0; RadioGroupType_->Button(i) != nullptr; ++i) {
    order.push_back(RadioGroupType_->Button(i));
  }
  for (QWidget* widget : std::initializer_list<QWidget*>{
           suiCheckBoxTimer_, suiSpinEditTime_, suiButtonSearch_, suiButtonSet_, suiButtonOpen_,
           suiButtonStop_, suiButtonCjSet_}) {
    order.push_back(widget);
  }
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TFrmMain::ApplyAccessibleTexts(Language language) {
  // Status lamps say whether their part runs, alarm lamps whether their alarm is raised.
  for (const UnitBit& bit : UnitBits(DeviceKind::AirConditioner)) {
    const bool alarm = bit.IsAlarm();
    Shape_[bit.lamp]->SetStateWords(
        Q((alarm ? Texts::LampNormal : Texts::LampRunning).In(language)),
        Q((alarm ? Texts::LampAlarm : Texts::LampStopped).In(language)),
        Q(Texts::LampNoData.In(language)));
  }
  // The port lamp stands beside the port list, whose caption names them both.
  ShapeComLed_->setAccessibleName(findChild<QLabel*>("Label1")->text());
  ShapeComLed_->SetStateWords(Q(Texts::PortLampOpen.In(language)),
                              Q(Texts::PortLampClosed.In(language)),
                              Q(Texts::LampNoData.In(language)));
  ShapeComLed_->SetKeysHint(Q(Texts::PortLampKeys.In(language)));
  suiMemoText_->setAccessibleName(Q(Texts::MemoName.In(language)));
  // The interval box has no caption of its own: the check box beside it names what it times.
  suiSpinEditTime_->setAccessibleName(suiCheckBoxTimer_->text().remove('&'));
}

void TFrmMain::OpenMenuFromKeyboard() {
  QWidget* focus = QApplication::focusWidget();
  if (focus == suiMemoText_) {
    const QRect cursor = suiMemoText_->cursorRect();
    suiPopupMenu1_->popup(suiMemoText_->viewport()->mapToGlobal(cursor.bottomLeft()));
    return;
  }
  QWidget* at = focus != nullptr && isAncestorOf(focus) ? focus : centralWidget();
  suiPopupMenu2_->popup(at->mapToGlobal(at->rect().center()));
}

}  // namespace climate
