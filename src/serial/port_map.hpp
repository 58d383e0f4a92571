// COM1 to COM4 and what each maps to, as the serial devices window shows and changes them: the
// state of an entry (a device that is there or not, a device server, an entry that cannot be
// used) and the one place that writes the SerialPorts section.
#pragma once

#include <array>
#include <string>

#include "app/language.hpp"

namespace climate {

enum class EntryState { Present, NotPresent, Network, Unusable };

struct EntryCheck {
  EntryState state = EntryState::Present;
  std::string problem;  // Unusable: the reason, worded as the start-up message words it
};

// number is 1 to 4; the entry is judged as the port would judge it when opening.
EntryCheck CheckPortEntry(int number, const std::string& entry, Language language);

// Whether the settings file (GBK) can hold the entry as it is; one it cannot would come back
// with '?' in place of some characters and name another device.
bool FitsSettingsFile(const std::string& entry);

// Stores COM<number>=entry in the SerialPorts section of the settings file, keeping every other
// key and the file's order; the section is added at the end when the file has none. Throws
// IniWriteError when the file cannot be written.
void SavePortEntry(const std::string& configPath, int number, const std::string& entry);

}  // namespace climate
