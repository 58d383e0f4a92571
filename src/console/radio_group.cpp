#include "console/radio_group.hpp"

#include <QRadioButton>

namespace climate {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {}

QStringList RadioGroup::Items() const {
  QStringList items;
  for (const QRadioButton* button : buttons_) items << button->text();
  return items;
}

void RadioGroup::SetItems(const QStringList& items) {
  qDeleteAll(buttons_);
  buttons_.clear();
  index_ = -1;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    button->setObjectName(objectName() + "Item" + QString::number(i));
    // Auto-exclusive, as a screen reader must see radio buttons (a button that is not is a check
    // box to it); the group still decides what is checked.
    button->setAutoExclusive(true);
    connect(button, &QRadioButton::clicked, this, [this, i] {
      SetItemIndex(i);
      // A click on the selected item changes nothing, but the button must stay checked.
      buttons_[i]->setChecked(index_ == i);
    });
    button->show();
    buttons_ << button;
  }
  Arrange();
}

void RadioGroup::SetItemIndex(int index) {
  if (index >= buttons_.size()) index = static_cast<int>(buttons_.size()) - 1;
  if (index < -1) index = -1;
  if (index == index_) return;
  index_ = index;
  for (int i = 0; i < buttons_.size(); ++i) {
    // An auto-exclusive button refuses to be unchecked, which "nothing selected" needs.
    buttons_[i]->setAutoExclusive(false);
    buttons_[i]->setChecked(i == index_);
    buttons_[i]->setAutoExclusive(true);
  }
  emit ItemIndexChanged(index_);
}

QRadioButton* RadioGroup::Button(int index) const {
  return index >= 0 && index < buttons_.size() ? buttons_[index] : nullptr;
}

// Items sit side by side in equal columns below the caption.
void RadioGroup::Arrange() {
  if (buttons_.isEmpty()) return;
  const int left = 8;
  const int columnWidth = (width() - 2 * left) / static_cast<int>(buttons_.size());
  for (int i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setGeometry(left + i * columnWidth, 16, columnWidth - 4, 20);
  }
}

}  // namespace climate
