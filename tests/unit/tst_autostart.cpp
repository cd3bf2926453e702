#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/autostart.h"

namespace {

// Undoes the two levels of an Exec value on its own terms: first the string escapes, then the
// quoting of one argument. A null string when the value breaks either set of rules.
QString UnquoteExec(const QString& value) {
    QString quoted;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            quoted += value[i];
            continue;
        }
        if (++i == value.size()) return {};
        const qsizetype escape = QStringLiteral("sntr\\").indexOf(value[i]);
        if (escape < 0) return {};
        quoted += QStringLiteral(" \n\t\r\\")[escape];
    }

    if (quoted.size() < 2 || !quoted.startsWith('"') || !quoted.endsWith('"')) return {};
    QString argument;
    for (qsizetype i = 1; i < quoted.size() - 1; ++i) {
        const QChar c = quoted[i];
        if (c == '"') return {};  // would have ended the quote
        if (c == '\\' || c == '%') {
            if (++i == quoted.size() - 1) return {};
            if (c == '\\' && !QStringLiteral("\"`$\\").contains(quoted[i])) return {};
            if (c == '%' && quoted[i] != '%') return {};  // a field code
        }
        argument += quoted[i];
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

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestAutostart : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void folder_data();
    void folder();
    void isOn_data();
    void isOn();
    void switchOnAndOff();
    void unfitPath_data();
    void unfitPath();
    void entryIsFolder();
    void quote_data();
    void quote();

  private:
    std::unique_ptr<QTemporaryDir> temp_;
    // The test executable as built.
    const QString program_ = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
};

void TestAutostart::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    // Two levels that do not exist yet: switching on makes them.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp_->path() + "/config"));
}

void TestAutostart::folder_data() {
    QTest::addColumn<QByteArray>("xdg");
    QTest::addColumn<QString>("expected");

    const QString underHome = QDir::homePath() + "/.config/autostart";
    QTest::newRow("absolute") << QByteArray("/srv/cfg/") << "/srv/cfg/autostart";
    QTest::newRow("empty") << QByteArray("") << underHome;
    QTest::newRow("relative") << QByteArray("rel/cfg") << underHome;
}

void TestAutostart::folder() {
    QFETCH(QByteArray, xdg);
    QFETCH(QString, expected);

    qputenv("XDG_CONFIG_HOME", xdg);
    QCOMPARE(Autostart::EntryPath(), expected + "/VitaCompanion.desktop");
}

void TestAutostart::isOn_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("expected");

    const QByteArray valid = "[Desktop Entry]\nType=Application\nExec=\"/bin/sh\"\n";
    QTest::newRow("valid") << valid << true;
    QTest::newRow("CRLF") << QByteArray(valid).replace("\n", "\r\n") << true;
    QTest::newRow("Hidden=false") << valid + "Hidden=false\n" << true;
    QTest::newRow("Hidden in an action") << valid + "[Desktop Action a]\nHidden=true\n" << true;
    QTest::newRow("Hidden=true") << valid + "Hidden = true \n" << false;
    QTest::newRow("Exec empty") << QByteArray("[Desktop Entry]\nExec=\n") << false;
    QTest::newRow("Exec blank") << QByteArray("[Desktop Entry]\nExec=   \t\n") << false;
    QTest::newRow("Exec in an action only")
        << QByteArray("[Desktop Entry]\nName=x\n[Desktop Action x]\nExec=/x\n") << false;
    QTest::newRow("localized Exec only") << QByteArray("[Desktop Entry]\nExec[de]=/x\n") << false;
    QTest::newRow("GNOME's switch off") << valid + "X-GNOME-Autostart-enabled=false\n" << false;
    QTest::newRow("GNOME's switch on") << valid + "X-GNOME-Autostart-enabled=true\n" << true;
    QTest::newRow("a program looked up in PATH")
        << QByteArray("[Desktop Entry]\nExec=vita-companion --x\n") << true;
    QTest::newRow("unquoted, with arguments")
        << QByteArray("[Desktop Entry]\nExec=/bin/sh -c true\n") << true;
    QTest::newRow("quoted with escapes")
        << QByteArray("[Desktop Entry]\nExec=\"/bin/s\\\\h\" x\n") << true;
    QTest::newRow("replaced by an upgrade")
        << QByteArray("[Desktop Entry]\nExec=\"/bin/sh (deleted)\"\n") << false;
    QTest::newRow("a program that is gone")
        << QByteArray("[Desktop Entry]\nExec=\"/opt/no-such/vita\"\n") << false;
}

void TestAutostart::isOn() {
    QFETCH(QByteArray, content);
    QFETCH(bool, expected);

    QVERIFY(QDir().mkpath(Autostart::AutostartFolder()));
    QVERIFY(WriteFile(Autostart::EntryPath(), content));
    QCOMPARE(Autostart::IsAutoRunOn(), expected);
}

void TestAutostart::switchOnAndOff() {
    const QString entry = Autostart::EntryPath();
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(Autostart::SetAutoRun(true));
    QVERIFY(Autostart::IsAutoRunOn());
    QCOMPARE(UnquoteExec(ExecLineOf(entry)), program_);
    QVERIFY(Autostart::SetAutoRun(true));  // again: rewritten in place
    // What GNOME reads: an entry switched on says it is enabled.
    QFile written(entry);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("\nX-GNOME-Autostart-enabled=true\n"));

    QVERIFY(Autostart::SetAutoRun(false));
    QVERIFY(!QFileInfo::exists(entry));
    QVERIFY(Autostart::SetAutoRun(false));  // nothing left to remove is as good
}

void TestAutostart::entryIsFolder() {
    const QString entry = Autostart::EntryPath();
    QVERIFY(QDir().mkpath(entry));
    QVERIFY(WriteFile(entry + "/keep", "[Desktop Entry]\nExec=/x\n"));

    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(!Autostart::SetAutoRun(true));
    QVERIFY(!Autostart::SetAutoRun(false));
    // Neither call may replace or empty the folder.
    QVERIFY(QFileInfo::exists(entry + "/keep"));
}

void TestAutostart::unfitPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("written");
    QTest::newRow("escaped control characters") << QString("/x \t\n\r") << true;
    // No escape exists for other control characters: refused rather than written broken.
    QTest::newRow("other control character") << QString("/x\x01") << false;
    QTest::newRow("delete") << QString("/x\x7f") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestAutostart::unfitPath() {
    QFETCH(QString, path);
    QFETCH(bool, written);
    QCOMPARE(!Autostart::EntryText(path).isEmpty(), written);
}

void TestAutostart::quote_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");  // as the file holds it

    QTest::newRow("plain, spaces, non-ASCII")
        << QString("/opt/my app/悦息") << QString(R"("/opt/my app/悦息")");
    QTest::newRow("double quote") << QString(R"(/a"b)") << QString(R"("/a\\"b")");
    QTest::newRow("dollar") << QString("/x/$HOME") << QString(R"("/x/\\$HOME")");
    QTest::newRow("backtick") << QString("/x/`id`") << QString(R"("/x/\\`id\\`")");
    QTest::newRow("field code") << QString("/x/%f%") << QString(R"("/x/%%f%%")");
    QTest::newRow("backslash") << QString(R"(/x\n)") << QString(R"("/x\\\\n")");
    QTest::newRow("control characters") << QString("/x\ny\tz\rw") << QString(R"("/x\ny\tz\rw")");
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
    // Silent when the entry is fine: no errors, no warnings, not even hints.
    const QByteArray output = process.readAll();
    QVERIFY2(
        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 && output.isEmpty(),
        output.constData());
}

QTEST_GUILESS_MAIN(TestAutostart)

#include "tst_autostart.moc"
