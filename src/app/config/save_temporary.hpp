// The temporary files through which UserSet.INI is saved. A save writes a new file beside the
// settings file and renames it over it; a save killed before the rename leaves its temporary
// behind, and the next save (or start) removes it.
//
// A leftover is recognised by its name, the settings file's name followed by ".saving-" and six
// letters or digits, and only when nothing suggests another origin: a plain file (no link, folder
// or device), owned by this user, under that one name, and not held by a save in progress. Every
// save holds an exclusive lock on its temporary until the rename, so a second console writing
// the same settings at the same moment keeps its file. The tag in the name keeps an operator's
// copies ("UserSet.INI.backup", "UserSet.INI.231201") out of reach.
#pragma once

#include <cstddef>
#include <string>

namespace climate {

// Saving through a symbolic link replaces the file it points at, not the link.
std::string ResolveSaveTarget(const std::string& path);

// A new temporary beside target, opened for writing and locked for as long as fd stays open.
struct SaveTemporary {
  int fd = -1;  // -1 when the folder refused the file
  std::string path;
};
SaveTemporary CreateSaveTemporary(const std::string& target);

// Removes the leftovers of interrupted saves of the settings file at path (beside the file the
// path resolves to). Anything that cannot be removed stays; nothing is reported. Returns how many
// were removed.
std::size_t RemoveStaleSaveTemporaries(const std::string& path);

}  // namespace climate
