#include <sys/stat.h>

#include <memory>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/autostart.h"
#include "system/process_launch.h"

namespace {

// Undoes the two levels of an Exec value on its own terms: first the string escapes, then the
// quoting of one argument. Empty when the value breaks either set of rules.
std::optional<QString> UnquoteExec(const QString& value) {
    QString quoted;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            quoted += value[i];
            continue;
        }
        if (++i == value.size()) return std::nullopt;
        switch (value[i].unicode()) {
            case 's':
                quoted += ' ';
                break;
            case 'n':
                quoted += '\n';
                break;
            case 't':
                quoted += '\t';
                break;
            case 'r':
                quoted += '\r';
                break;
            case '\\':
                quoted += '\\';
                break;
            default:
                return std::nullopt;
        }
    }

    if (quoted.size() < 2 || !quoted.startsWith('"') || !quoted.endsWith('"')) return std::nullopt;
    const QString inner = quoted.mid(1, quoted.size() - 2);
    QString argument;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == '"') return std::nullopt;  // would have ended the quote
        if (c == '\\' || c == '%') {
            if (++i == inner.size()) return std::nullopt;
            const QChar next = inner[i];
            if (c == '\\' && !QString("\"`$\\").contains(next)) return std::nullopt;
            if (c == '%' && next != '%') return std::nullopt;  // a field code
            argument += next;
            continue;
        }
        argument += c;
    }
    return argument;
}

// The raw Exec value of the file, as the line holds it.
QString ExecLineOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Exec=")) return QString::fromUtf8(line.mid(5));
    }
    return {};
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct SavedVariable {
    explicit SavedVariable(const char* name)
        : name(name), wasSet(qEnvironmentVariableIsSet(name)), value(qgetenv(name)) {}
    void Restore() const {
        if (wasSet) {
            qputenv(name, value);
        } else {
            qunsetenv(name);
        }
    }
    const char* name;
    bool wasSet;
    QByteArray value;
};

}  // namespace

class TestAutostart : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void folder_data();
    void folder();
    void roundTrip();
    void offWithoutEntry();
    void onReplacesDisabledEntry();
    void isOn_data();
    void isOn();
    void entryIsFolder();
    void entryIsFifo();
    void entryIsDanglingLink();
    void autostartIsFile();
    void quote_data();
    void quote();
    void programInOddFolder_data();
    void programInOddFolder();

  private:
    std::unique_ptr<QTemporaryDir> temp_;
    SavedVariable home_{"HOME"};
    SavedVariable configHome_{"XDG_CONFIG_HOME"};
    QString autostart_;  // where the entry goes during a test
};

void TestAutostart::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    qputenv("HOME", QFile::encodeName(temp_->path() + "/home"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp_->path() + "/config"));
    autostart_ = temp_->path() + "/config/autostart";
}

void TestAutostart::cleanup() {
    home_.Restore();
    configHome_.Restore();
    temp_.reset();
}

void TestAutostart::folder_data() {
    QTest::addColumn<QByteArray>("xdg");    // null: unset
    QTest::addColumn<QString>("expected");  // "~" stands for HOME

    QTest::newRow("absolute") << QByteArray("/srv/cfg/") << "/srv/cfg/autostart";
    QTest::newRow("unset") << QByteArray() << "~/.config/autostart";
    QTest::newRow("empty") << QByteArray("") << "~/.config/autostart";
    QTest::newRow("relative") << QByteArray("rel/cfg") << "~/.config/autostart";
    QTest::newRow("dot-relative") << QByteArray("./cfg") << "~/.config/autostart";
}

void TestAutostart::folder() {
    QFETCH(QByteArray, xdg);
    QFETCH(QString, expected);
    qputenv("HOME", "/home/someone");
    // Read afresh on every call: the value before must not stick.
    qputenv("XDG_CONFIG_HOME", "/elsewhere");
    QCOMPARE(Autostart::AutostartFolder(), QString("/elsewhere/autostart"));
    if (xdg.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", xdg);
    }
    expected.replace('~', "/home/someone");
    QCOMPARE(Autostart::AutostartFolder(), expected);
    QCOMPARE(Autostart::EntryPath(), expected + "/VitaCompanion.desktop");
}

void TestAutostart::roundTrip() {
    // Two levels missing: the whole chain is made, private.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp_->path() + "/deep/config"));
    const QString folder = temp_->path() + "/deep/config/autostart";
    const QString entry = folder + "/VitaCompanion.desktop";
    QCOMPARE(Autostart::EntryPath(), entry);

    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(Autostart::SetAutoRun(true));
    QVERIFY(Autostart::IsAutoRunOn());
    const std::optional<QString> program = UnquoteExec(ExecLineOf(entry));
    QVERIFY(program.has_value());
    QCOMPARE(*program, ProcessLaunch::GetProgramPath());
    for (const QString& level : {folder, temp_->path() + "/deep/config"}) {
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(level).constData(), &st), 0);
        QCOMPARE(st.st_mode & 077, 0u);
    }

    // On twice rewrites in place; nothing else is left in the folder.
    QVERIFY(Autostart::SetAutoRun(true));
    QVERIFY(Autostart::IsAutoRunOn());
    QCOMPARE(EntriesOf(folder), QStringList{"VitaCompanion.desktop"});

    QVERIFY(Autostart::SetAutoRun(false));
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(!QFileInfo::exists(entry));
    QVERIFY(Autostart::SetAutoRun(false));
    QCOMPARE(EntriesOf(folder), QStringList());
}

void TestAutostart::offWithoutEntry() {
    QVERIFY(Autostart::SetAutoRun(false));
    QVERIFY(!Autostart::IsAutoRunOn());
    // Switching off makes nothing, not even the folder.
    QCOMPARE(EntriesOf(temp_->path()), QStringList());
}

void TestAutostart::onReplacesDisabledEntry() {
    QVERIFY(QDir().mkpath(autostart_));
    const QString entry = autostart_ + "/VitaCompanion.desktop";
    QVERIFY(WriteFile(entry, "[Desktop Entry]\nExec=/old/vita\nHidden=true\n"));
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(Autostart::SetAutoRun(true));
    QVERIFY(Autostart::IsAutoRunOn());
    QCOMPARE(UnquoteExec(ExecLineOf(entry)), ProcessLaunch::GetProgramPath());
}

void TestAutostart::isOn_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("expected");

    const QByteArray valid = "[Desktop Entry]\nType=Application\nExec=\"/opt/vita\"\n";
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 131 + 7) % 256);

    QTest::newRow("valid") << valid << true;
    QTest::newRow("CRLF") << QByteArray(valid).replace("\n", "\r\n") << true;
    QTest::newRow("BOM") << "\xef\xbb\xbf" + valid << true;
    QTest::newRow("spaces around =") << QByteArray("[Desktop Entry]\n  Exec \t=  /x  \n") << true;
    QTest::newRow("no newline at end") << QByteArray("[Desktop Entry]\nExec=/x") << true;
    QTest::newRow("Hidden=false") << valid + "Hidden=false\n" << true;
    QTest::newRow("Hidden=true elsewhere") << valid + "[Desktop Action a]\nHidden=true\n" << true;
    QTest::newRow("line without =") << QByteArray("[Desktop Entry]\nnonsense\nExec=/x\n") << true;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("Exec empty") << QByteArray("[Desktop Entry]\nExec=\n") << false;
    QTest::newRow("Exec blank") << QByteArray("[Desktop Entry]\nExec=   \t\n") << false;
    QTest::newRow("Hidden=true") << valid + "Hidden=true\n" << false;
    QTest::newRow("Hidden = true") << valid + "Hidden = true \n" << false;
    QTest::newRow("Exec in an action only")
        << QByteArray("[Desktop Entry]\nName=x\n[Desktop Action x]\nExec=/x\n") << false;
    QTest::newRow("Exec before any group") << QByteArray("Exec=/x\n[Desktop Entry]\n") << false;
    QTest::newRow("localized Exec only")
        << QByteArray("[Desktop Entry]\nExec[de]=/x\nExec[zh_CN]=/y\n") << false;
    QTest::newRow("lower-case key") << QByteArray("[Desktop Entry]\nexec=/x\n") << false;
    QTest::newRow("commented out") << QByteArray("[Desktop Entry]\n# Exec=/x\n#Exec=/x\n") << false;
    QTest::newRow("other group name") << QByteArray("[Desktop Entry x]\nExec=/x\n") << false;
    QTest::newRow("NUL bytes") << QByteArray("[Desktop\0 Entry]\nExec=/x\n", 25) << false;
    QTest::newRow("garbage") << garbage << false;
}

void TestAutostart::isOn() {
    QFETCH(QByteArray, content);
    QFETCH(bool, expected);
    QVERIFY(QDir().mkpath(autostart_));
    QVERIFY(WriteFile(Autostart::EntryPath(), content));
    QCOMPARE(Autostart::IsAutoRunOn(), expected);
}

void TestAutostart::entryIsFolder() {
    const QString entry = autostart_ + "/VitaCompanion.desktop";
    QVERIFY(QDir().mkpath(entry));
    QVERIFY(WriteFile(entry + "/keep", "[Desktop Entry]\nExec=/x\n"));

    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(!Autostart::SetAutoRun(true));
    QVERIFY(!Autostart::SetAutoRun(false));
    // Neither call may replace or empty the folder, nor leave a half-written file beside it.
    QVERIFY(QFileInfo(entry).isDir());
    QCOMPARE(EntriesOf(entry), QStringList{"keep"});
    QCOMPARE(EntriesOf(autostart_), QStringList{"VitaCompanion.desktop"});
}

void TestAutostart::entryIsFifo() {
    QVERIFY(QDir().mkpath(autostart_));
    const QByteArray entry = QFile::encodeName(Autostart::EntryPath());
    QCOMPARE(::mkfifo(entry.constData(), 0600), 0);
    // Opening a FIFO to read would wait for a writer that never comes.
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(Autostart::SetAutoRun(false));
    QVERIFY(!QFileInfo::exists(Autostart::EntryPath()));
}

void TestAutostart::entryIsDanglingLink() {
    QVERIFY(QDir().mkpath(autostart_));
    const QString entry = Autostart::EntryPath();
    QVERIFY(QFile::link(temp_->path() + "/nowhere", entry));
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(Autostart::SetAutoRun(false));
    QVERIFY(!QFileInfo(entry).isSymLink());
}

void TestAutostart::autostartIsFile() {
    QVERIFY(QDir().mkpath(temp_->path() + "/config"));
    QVERIFY(WriteFile(autostart_, "not a folder"));
    QVERIFY(!Autostart::SetAutoRun(true));
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(Autostart::SetAutoRun(false));
    QVERIFY(QFileInfo(autostart_).isFile());
}

void TestAutostart::quote_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");  // as the file holds it

    QTest::newRow("plain") << "/usr/bin/vita"
                           << R"("/usr/bin/vita")";
    QTest::newRow("spaces") << "/opt/my app/vita"
                            << R"("/opt/my app/vita")";
    QTest::newRow("leading space") << " /x"
                                   << R"(" /x")";
    QTest::newRow("double quote") << R"(/a"b)"
                                  << R"("/a\\"b")";
    QTest::newRow("single quotes") << "/a/'b'"
                                   << R"("/a/'b'")";
    QTest::newRow("dollar") << "/x/$HOME/v"
                            << R"("/x/\\$HOME/v")";
    QTest::newRow("backtick") << "/x/`id`"
                              << R"("/x/\\`id\\`")";
    QTest::newRow("field code") << "/x/%f"
                                << R"("/x/%%f")";
    QTest::newRow("percent at end") << "/x%"
                                    << R"("/x%%")";
    QTest::newRow("backslash") << R"(/x\y)"
                               << R"("/x\\\\y")";
    QTest::newRow("backslash before quote") << R"(/x\"y)"
                                            << R"("/x\\\\\\"y")";
    QTest::newRow("escape look-alike") << R"(/x\n)"
                                       << R"("/x\\\\n")";
    QTest::newRow("newline") << "/x\ny"
                             << R"("/x\ny")";
    QTest::newRow("tab") << "/x\ty"
                         << R"("/x\ty")";
    QTest::newRow("carriage return") << "/x\ry"
                                     << R"("/x\ry")";
    QTest::newRow("semicolon, hash, equals") << "/a;b#c=d"
                                             << R"("/a;b#c=d")";
    QTest::newRow("Chinese") << "/opt/悦息伙伴/vita"
                             << R"("/opt/悦息伙伴/vita")";
    QTest::newRow("relative") << "vita"
                              << R"("vita")";
}

void TestAutostart::quote() {
    QFETCH(QString, path);
    QFETCH(QString, expected);

    const QString value = Autostart::QuoteExecArgument(path);
    QCOMPARE(value, expected);
    QCOMPARE(UnquoteExec(value), path);

    // The whole entry, checked by the reference validator when it is installed.
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) QSKIP("desktop-file-validate is not installed");
    const QString file = temp_->path() + "/check.desktop";
    QVERIFY(WriteFile(file, Autostart::EntryText(path).toUtf8()));
    QCOMPARE(ExecLineOf(file), expected);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validator, {file});
    QVERIFY(process.waitForFinished(30000));
    const QString output = QString::fromUtf8(process.readAll());
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             qPrintable(output));
    QVERIFY2(!output.contains("error") && !output.contains("warning"), qPrintable(output));
}

void TestAutostart::programInOddFolder_data() {
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<bool>("expected");

    QTest::newRow("plain") << "bin" << true;
    QTest::newRow("reserved characters") << R"(悦息 "q" 'a' $HOME `id` %f \ ; #=)" << true;
    QTest::newRow("escaped control characters") << "a\nb\tc\rd" << true;
    // No escape exists for other control characters: refused rather than written broken.
    QTest::newRow("other control character") << "a\x01b" << false;
}

void TestAutostart::programInOddFolder() {
    QFETCH(QString, folderName);
    QFETCH(bool, expected);

    // This executable, copied there and started in a child mode, switches itself on.
    const QString folder = temp_->path() + '/' + folderName;
    QVERIFY(QDir().mkpath(folder));
    const QString copy = folder + "/tst copy";
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcess child;
    child.start(copy, {"--switch-on"});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), expected ? 0 : 1);

    QCOMPARE(Autostart::IsAutoRunOn(), expected);
    if (expected) {
        QCOMPARE(UnquoteExec(ExecLineOf(Autostart::EntryPath())),
                 QFileInfo(copy).canonicalFilePath());
    } else {
        QVERIFY(!QFileInfo::exists(Autostart::EntryPath()));
    }
}

int main(int argc, char** argv) {
    if (argc == 2 && qstrcmp(argv[1], "--switch-on") == 0)
        return Autostart::SetAutoRun(true) ? 0 : 1;
    QCoreApplication app(argc, argv);
    TestAutostart test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_autostart.moc"
