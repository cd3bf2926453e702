#pragma once

#include <QString>
#include <QStringList>

// Starting another program and finding the running executable. Neither raises an error: failure
// is the empty result (false, empty text).
namespace ProcessLaunch {

struct RunRequest {
    QString program;        // a path, or a name looked up in PATH; no shell is involved
    QStringList arguments;  // passed as they are, one argv entry each
    QString workingFolder;  // empty: the new process inherits the current folder
    bool wait = false;      // wait for the program to end, at most waitMilliseconds
    int waitMilliseconds = 1000;
};

struct RunResult {
    qint64 processId = 0;  // filled only on success
    int exitCode = 0;      // filled only on success of a waited run
};

// Starts the program. Without waiting it runs detached and outlives this process, and the result
// only says it was started. With waiting, the result is true when the program ended within the
// limit, by itself (its exit code) or by a signal (128 + the signal's number, as shells report
// it); a program still running at the limit is left running and the result is false. `out`,
// when given, is written only when the result is true.
bool RunProcess(const RunRequest& request, RunResult* out = nullptr);

// Full path of the running executable; empty when it cannot be read. When the executable was
// replaced while running (an upgrade), the path it was installed at.
QString GetProgramPath();
// What the link /proc/self/exe reads, as the path the program is installed at: the kernel's
// " (deleted)" mark of a replaced executable is taken off.
QString InstalledPath(const QString& linkTarget);
// Folder of the running executable, without a trailing separator; empty when unknown.
QString GetProgramFolder();

}  // namespace ProcessLaunch
