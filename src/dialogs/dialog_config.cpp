// Configuration batches of the settings dialogs.
#include "dialogs/dialog_config.hpp"

#include "app/config/ini_file.hpp"
#include "dialogs/dialog_host.hpp"

namespace climate {

IniFile ReadDialogConfig(const DialogHost& host) {
  return IniFile::Load(host.ConfigPath());
}

bool WriteDialogConfig(DialogHost& host, const std::function<void(IniFile&)>& write) {
  try {
    IniFile ini = IniFile::Load(host.ConfigPath());
    write(ini);
    ini.Save(host.ConfigPath());
    return true;
  } catch (const IniWriteError& error) {
    host.ShowError(error.what());
    return false;
  }
}

}  // namespace climate
