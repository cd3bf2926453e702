#include "platform/autostart.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "data/data_folder.h"
#include "system/process_launch.h"

namespace Autostart {

namespace {

// Larger than any entry we write by far; a bigger file is not ours and is not read whole.
constexpr qint64 kMaxEntryBytes = 64 * 1024;

struct EntryKeys {
    QString exec;
    QString hidden;
    QString gnomeEnabled;  // X-GNOME-Autostart-enabled
};

// Only what IsAutoRunOn needs: Exec and Hidden of the [Desktop Entry] group. Written by hand
// because QSettings rewrites keys and values of desktop files in its own INI way.
EntryKeys ReadEntryKeys(const QByteArray& bytes) {
    EntryKeys keys;
    bool inMainGroup = false;
    // fromUtf8 drops a leading BOM, which some editors write.
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();  // also drops the '\r' of CRLF files
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0) continue;
        // Exact names: "Exec[de]" is a localized key, and keys are case-sensitive.
        const QStringView key = line.left(equals).trimmed();
        const QStringView value = line.mid(equals + 1).trimmed();
        if (key == u"Exec") {
            keys.exec = value.toString();
        } else if (key == u"Hidden") {
            keys.hidden = value.toString();
        } else if (key == u"X-GNOME-Autostart-enabled") {
            keys.gnomeEnabled = value.toString();
        }
    }
    return keys;
}

// The program an Exec value starts: its first argument, read through the string escapes and then
// the quoting rules of Exec. Empty when there is none.
QString ExecProgram(const QString& exec) {
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == u'\\' && i + 1 < exec.size()) {
            const qsizetype escape = QStringLiteral("sntr\\").indexOf(exec[++i]);
            unescaped += escape < 0 ? exec[i] : QStringLiteral(" \n\t\r\\")[escape];
        } else {
            unescaped += exec[i];
        }
    }
    const QString line = unescaped.trimmed();
    if (!line.startsWith(u'"')) return line.section(u' ', 0, 0);
    QString program;
    for (qsizetype i = 1; i < line.size() && line[i] != u'"'; ++i) {
        if (line[i] == u'\\' && i + 1 < line.size()) ++i;
        program += line[i];
    }
    return program;
}

// A desktop entry string may hold any character but ASCII control characters other than the
// three it has escapes for; a path with another one cannot be written into the entry.
bool FitsInEntry(const QString& path) {
    for (const QChar c : path) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\n' && u != u'\t' && u != u'\r') || u == 0x7f) return false;
    }
    return true;
}

}  // namespace

QString AutostartFolder() {
    return QDir::cleanPath(DataFolder::XdgBaseFolder("XDG_CONFIG_HOME", ".config") +
                           QStringLiteral("/autostart"));
}

QString EntryPath() {
    return AutostartFolder() + '/' + kEntryFileName;
}

bool IsAutoRunOn() {
    QFile file(EntryPath());
    // Regular files only: a folder is not an entry, and opening a FIFO would block.
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    if (file.size() > kMaxEntryBytes) return false;
    const EntryKeys keys = ReadEntryKeys(file.read(kMaxEntryBytes));
    if (keys.exec.isEmpty() || keys.hidden == u"true" || keys.gnomeEnabled == u"false")
        return false;
    // An entry naming a program that is not there starts nothing, whatever it says: so it is
    // off, and switching on writes it anew (an older run may have written the path of an
    // executable replaced by an upgrade). A bare name is looked up in PATH at logon.
    const QString program = ExecProgram(keys.exec);
    return !program.isEmpty() && (!program.startsWith(u'/') || QFileInfo(program).isFile());
}

bool SetAutoRun(bool on) {
    const QString path = EntryPath();
    if (!on) {
        if (QFile::remove(path)) return true;
        // Not there (perhaps removed meanwhile) is as good; a dangling link still counts as there.
        const QFileInfo info(path);
        return !info.exists() && !info.isSymLink();
    }

    const QString text = EntryText(ProcessLaunch::GetProgramPath());
    if (text.isEmpty()) return false;
    if (!DataFolder::CreateFolderChain(AutostartFolder())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) return false;  // the destructor drops the temp file
    return file.commit();
}

QString QuoteExecArgument(const QString& path) {
    // First level, the Exec rules: one quoted argument, with the reserved characters escaped
    // and '%' doubled so it is not read as a field code.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
            quoted += c;
        } else if (c == u'%') {
            quoted += u"%%";
        } else {
            quoted += c;
        }
    }
    quoted += u'"';

    // Second level: Exec is a string value, read with the string escapes before the Exec rules.
    QString value;
    value.reserve(quoted.size());
    for (const QChar c : quoted) {
        switch (c.unicode()) {
            case u'\\':
                value += u"\\\\";
                break;
            case u'\n':
                value += u"\\n";
                break;
            case u'\t':
                value += u"\\t";
                break;
            case u'\r':
                value += u"\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

QString EntryText(const QString& executablePath) {
    if (executablePath.isEmpty() || !FitsInEntry(executablePath)) return {};
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=VitaCompanion\n"
               "Name[zh_CN]=悦息伙伴\n"
               "Comment=Blue-light filter, drink-water and rest-break reminders\n"
               "Exec=") +
           QuoteExecArgument(executablePath) +
           QStringLiteral(
               "\n"
               "Icon=vita-companion\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n");
}

}  // namespace Autostart
