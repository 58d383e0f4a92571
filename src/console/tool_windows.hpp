// The Monitor and the fleet view as the main window sees them: windows made by a factory and
// told only their language. The program loads the factory with the windows' module the first
// time the operator opens one of them, so an idle console never maps Qt Charts, OpenGL,
// libmosquitto or OpenSSL; tests link the windows in. Only these interfaces, Qt's types and the
// Qt-free MonitorModel cross the module's edge.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/language.hpp"

class QWidget;

namespace climate {

class MonitorModel;
class Prompts;

class ToolWindow {
 public:
  virtual ~ToolWindow() = default;
  virtual QWidget& Widget() = 0;
  virtual void SetLanguage(Language language) = 0;
};

class ToolWindowFactory {
 public:
  virtual ~ToolWindowFactory() = default;
  // The Monitor reads the model, which the main window feeds and which outlives the window.
  virtual std::unique_ptr<ToolWindow> MakeMonitor(MonitorModel& model, const QString& configPath,
                                                  const QString& reportDirectory, Prompts* prompts,
                                                  QWidget* parent) = 0;
  virtual std::unique_ptr<ToolWindow> MakeFleet(const QString& configPath, QWidget* parent) = 0;
};

// Finds the factory, or says in `error` why there is none. Asked on every opening until it
// yields one; the answer is kept from then on.
using ToolWindowSource = std::function<ToolWindowFactory*(std::string& error)>;

// The source of every main window in the program; without one no window can be opened.
void SetToolWindowSource(ToolWindowSource source);
// The factory, or nullptr with the reason in `error`.
ToolWindowFactory* FindToolWindows(std::string& error);

// The module's one exported function. It answers nullptr to a program of another version, whose
// MonitorModel may be laid out differently.
inline constexpr char ToolWindowsEntry[] = "climate_console_windows";
using ToolWindowsEntryFunction = ToolWindowFactory* (*)(const char* version);

}  // namespace climate
