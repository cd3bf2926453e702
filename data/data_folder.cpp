#include "data/data_folder.h"

#include <sys/stat.h>

#include <cerrno>

#include <QByteArray>
#include <QDir>
#include <QFile>

namespace DataFolder {

namespace {

constexpr const char* kFolderName = "VitaCompanion";

bool IsFolder(const QByteArray& path) {
    struct stat st {};
    // stat follows symbolic links, so a link to a folder serves as that folder.
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0;
}

// Creates one level whose parent is known to be a folder.
bool MakeLevel(const QByteArray& path) {
    if (IsFolder(path)) return true;
    // Per-user data is private: new levels get 0700, as the XDG rules ask.
    if (::mkdir(path.constData(), S_IRWXU) == 0) return true;
    // Someone else may have made it between the check and the mkdir; that is as good.
    return errno == EEXIST && IsFolder(path);
}

}  // namespace

QString XdgBaseFolder(const char* variable, const char* belowHome) {
    // Read every time: the environment is the source of truth, and tests move it between cases.
    const QString xdg = qEnvironmentVariable(variable);
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
    return QDir::cleanPath(QDir::homePath() + '/' + QLatin1String(belowHome));
}

QString GetDataFolder() {
    return QDir::cleanPath(XdgBaseFolder("XDG_DATA_HOME", ".local/share") + '/' + kFolderName);
}

bool CreateFolderChain(const QString& path) {
    if (path.isEmpty()) return false;
    const QByteArray native = QFile::encodeName(path);
    if (Exists(native)) return IsFolder(native);

    // Walk the prefixes top-down so each level is made inside one that already exists; the first
    // level that will not come into being ends the walk.
    for (qsizetype slash = native.indexOf('/', 1); slash != -1;
         slash = native.indexOf('/', slash + 1)) {
        if (native[slash - 1] == '/') continue;  // doubled slash: same level as before
        if (!MakeLevel(native.left(slash))) return false;
    }
    return native.endsWith('/') || MakeLevel(native);
}

}  // namespace DataFolder
