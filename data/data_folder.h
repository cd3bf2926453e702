#pragma once

#include <QString>

// Where the program keeps its per-user files, and how a folder chain is made.
namespace DataFolder {

// $XDG_DATA_HOME/VitaCompanion, or ~/.local/share/VitaCompanion when XDG_DATA_HOME is unset,
// empty or relative (the XDG rule: relative values are invalid and ignored).
QString GetDataFolder();

// An XDG base folder: the variable's value when it is set, non-empty and absolute (relative
// values are invalid and ignored), else `belowHome` in the home folder. Read on every call.
QString XdgBaseFolder(const char* variable, const char* belowHome);

// Creates every missing folder of `path`, from the top down. Fails for an empty path, for a path
// naming something that is not a folder, and at the first level that cannot be created.
// An existing folder succeeds without creating anything.
bool CreateFolderChain(const QString& path);

}  // namespace DataFolder
