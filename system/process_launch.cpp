#include "system/process_launch.h"

#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>

namespace ProcessLaunch {

namespace {

bool RunDetached(const RunRequest& request, RunResult* out) {
    qint64 pid = 0;
    // The static form leaves the standard channels alone, so the program inherits ours.
    if (!QProcess::startDetached(request.program, request.arguments, request.workingFolder, &pid))
        return false;
    if (out) out->processId = pid;
    return true;
}

bool RunAndWait(const RunRequest& request, RunResult* out) {
    // On the heap and without a parent: a program still running at the limit keeps its QProcess,
    // which must not be destroyed before the program ends (destroying it kills the program).
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    if (!request.workingFolder.isEmpty()) process->setWorkingDirectory(request.workingFolder);
    process->start(request.program, request.arguments);
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    // Read now: once the program has ended the QProcess no longer knows its id.
    const qint64 pid = process->processId();
    if (!process->waitForFinished(request.waitMilliseconds) &&
        process->state() != QProcess::NotRunning) {
        // Let it go: it cleans up after itself once the program ends (with an event loop).
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return false;
    }
    // A program ended by a signal has ended all the same; as shells do, its code is 128 plus the
    // signal's number (QProcess gives the number as the exit code of a crash).
    const bool bySignal = process->exitStatus() == QProcess::CrashExit;
    if (out) {
        out->processId = pid;
        out->exitCode = bySignal ? 128 + process->exitCode() : process->exitCode();
    }
    delete process;
    return true;
}

}  // namespace

bool RunProcess(const RunRequest& request, RunResult* out) {
    if (request.program.isEmpty()) return false;
    return request.wait ? RunAndWait(request, out) : RunDetached(request, out);
}

QString InstalledPath(const QString& linkTarget) {
    // The kernel marks an executable replaced while it runs (a package upgrade) this way; the
    // program that starts next time is the one now at the path.
    static const QString kDeleted = QStringLiteral(" (deleted)");
    if (linkTarget.endsWith(kDeleted) && !QFile::exists(linkTarget))
        return linkTarget.chopped(kDeleted.size());
    return linkTarget;
}

QString GetProgramPath() {
    // /proc/self/exe needs no QCoreApplication and is not fooled by argv[0].
    QByteArray buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length <= 0) return {};
        // A full buffer may be a cut name: try again with more room.
        if (length < buffer.size()) return InstalledPath(QFile::decodeName(buffer.left(length)));
        if (buffer.size() >= (1 << 20)) return {};
        buffer.resize(buffer.size() * 2);
    }
}

QString GetProgramFolder() {
    const QString path = GetProgramPath();
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return {};
    // The executable sits in the root folder: "/" is the folder, not "".
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

}  // namespace ProcessLaunch
