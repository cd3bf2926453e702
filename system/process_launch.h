#pragma once

#include <QString>
#include <QStringList>

// Starting another program and finding the running executable. Neither raises an error: failure
// is the empty result (false, empty text).
namespace ProcessLaunch {

struct RunRequest {
    QString program;         // a path, or a name looked up in PATH; no shell is involved
    QStringList arguments;   // passed as they are, one argv entry each
    QString workingFolder;   // empty: the new process inherits the current folder
    bool wait = false;       // wait for the program to end, at most waitMilliseconds
    int waitMilliseconds = 1000;
};

struct RunResult {
    qint64 processId = 0;  // filled only on success
    int exitCode = 0;      // filled only on success of a waited run
};

// Starts the program. Without waiting it runs detached and outlives this process. With waiting,
// the result is true only when the program ended normally within the limit; a program still
// running at the limit is left running and the result is false. `out`, when given, is written
// only when the result is true.
bool RunProcess(const RunRequest& request, RunResult* out = nullptr);

// Full path of the running executable; empty when it cannot be read.
QString GetProgramPath();
// Folder of the running executable, without a trailing separator; empty when unknown.
QString GetProgramFolder();

}  // namespace ProcessLaunch
