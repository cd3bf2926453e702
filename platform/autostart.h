#pragma once

#include <QString>

// Start at logon, the XDG way: a desktop entry in the user's autostart folder.
namespace Autostart {

inline constexpr const char* kEntryFileName = "VitaCompanion.desktop";

// $XDG_CONFIG_HOME/autostart (~/.config/autostart when unset, empty or relative).
QString AutostartFolder();
QString EntryPath();

// True when the entry exists, is not Hidden=true nor X-GNOME-Autostart-enabled=false, and its
// Exec starts a program that is there (a full path naming a file, or a name for PATH).
bool IsAutoRunOn();
// On: writes the entry (atomically, creating the folder) with Exec = the running executable,
// quoted. Off: removes the entry; no entry is fine. False when the file system refused.
bool SetAutoRun(bool on);

// `path` as one argument of a desktop entry's Exec value: double-quoted, with the characters
// the Exec rules reserve escaped, then escaped again as a desktop entry string value.
QString QuoteExecArgument(const QString& path);
// The whole entry text for an executable path; empty for an empty path or one holding a control
// character the format has no escape for.
QString EntryText(const QString& executablePath);

}  // namespace Autostart
