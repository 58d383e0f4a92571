// One batch of reads or writes of UserSet.INI on behalf of a dialog: the file is opened for the
// batch and released at once, and a refused write reaches the operator through the host.
#pragma once

#include <functional>

namespace climate {

class DialogHost;
class IniFile;

// The current content of the host's configuration file.
IniFile ReadDialogConfig(const DialogHost& host);

// Loads the file, lets write change it and saves it. A save the file system refuses is shown
// with ShowError; false then.
bool WriteDialogConfig(DialogHost& host, const std::function<void(IniFile&)>& write);

}  // namespace climate
