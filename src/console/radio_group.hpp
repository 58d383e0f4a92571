// A captioned group of radio buttons selected by index, like the unit selector: replacing the
// items leaves nothing selected, and every change of the selected index is reported, whether the
// operator clicked or the program set it.
#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QRadioButton;

namespace climate {

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  QStringList Items() const;
  // Replaces the items; afterwards no item is selected and nothing is reported.
  void SetItems(const QStringList& items);

  // -1 when nothing is selected.
  int ItemIndex() const { return index_; }
  // An index past the last item selects the last one, one below -1 means none.
  void SetItemIndex(int index);

  // The radio button of an item, for placing and for tests.
  QRadioButton* Button(int index) const;

 signals:
  void ItemIndexChanged(int index);

 private:
  void Arrange();

  QList<QRadioButton*> buttons_;
  int index_ = -1;
};

}  // namespace climate
