// A cabinet's detail, opened from a row of the fleet view: every value and bit of its last
// state, its active alarms with their times, the line and link figures, the agent's run and its
// last command results. It reads the fleet model's checked records only and is redrawn when the
// fleet view applies a batch.
#pragma once

#include <QWidget>
#include <string>

#include "app/language.hpp"

class QLabel;
class QTreeWidget;

namespace climate {

class FleetModel;

class FleetDetailWindow final : public QWidget {
  Q_OBJECT

 public:
  FleetDetailWindow(const FleetModel& model, QWidget* parent = nullptr);

  // Shows the cabinet "site/unit".
  void Show(std::string key);
  const std::string& Key() const { return key_; }
  void SetLanguage(Language language);
  void Refresh();

  QTreeWidget* Tree() const { return tree_; }

 private:
  const FleetModel& model_;
  std::string key_;
  Language language_ = Language::English;
  bool placed_ = false;
  QLabel* note_;
  QTreeWidget* tree_;
};

}  // namespace climate
