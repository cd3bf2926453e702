// The user's presence on real servers and stand-ins: a private Xvfb's idle counter moved by
// xdotool, a window manager's full-screen state, logind and the notification services played on
// private buses, and a real PipeWire daemon with a recording stream.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QRasterWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "data/clock.h"
#include "platform/platform.h"
#include "platform/presence.h"
#include "platform/presence_parts.h"
#include "tests/support/private_bus.h"
#include "tests/support/xvfb_server.h"

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

using platform::Presence;
using Reason = Presence::AwayReason;
using Busy = Presence::BusyReason;

namespace {

struct Inhibitor {
    QString what, who, why, mode;
    uint uid = 0, pid = 0;
};
QDBusArgument& operator<<(QDBusArgument& out, const Inhibitor& i) {
    out.beginStructure();
    out << i.what << i.who << i.why << i.mode << i.uid << i.pid;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, Inhibitor&) {
    return in;  // only ever sent
}

const QString kSession = "/org/freedesktop/login1/session/_31";

// Plays logind (its manager and one session) or the notification daemon and xfconf: answers
// each question from `values`, by property name, and counts the questions.
class StandIn : public QDBusVirtualObject {
  public:
    QVariantMap values;
    QList<Inhibitor> inhibitors;
    QMap<QString, int> asked;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        ++asked[m.member()];
        const QString name = m.arguments().value(1).toString();  // Get's and GetProperty's
        QVariant answer;
        if (m.member() == "GetSession")
            answer = QVariant::fromValue(QDBusObjectPath(kSession));
        else if (m.member() == "ListInhibitors")
            answer = QVariant::fromValue(inhibitors);
        else if (values.contains(name))
            answer = QVariant::fromValue(QDBusVariant(values.value(name)));
        return bus.send(answer.isValid() ? m.createReply(answer)
                                         : m.createErrorReply(QDBusError::UnknownProperty, name));
    }
};

QDBusMessage Signal(const QString& path, const QString& interface, const QString& member,
                    const QVariantList& arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
    signal.setArguments(arguments);
    return signal;
}
QDBusMessage PropertyChanged(const QString& path, const QString& interface, const QString& name,
                             bool value) {
    return Signal(path, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                  {interface, QVariantMap{{name, value}}, QStringList()});
}

// A tool's standard output; empty when it failed.
QByteArray Output(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    const bool ran = process.waitForFinished(20000) && process.exitCode() == 0;
    return ran ? process.readAllStandardOutput() + "\n" : QByteArray();
}
bool Run(const QString& tool, const QStringList& arguments) {
    return !Output(tool, arguments).isEmpty();
}

// A helper program that the test ends.
struct Child : QProcess {
    explicit Child(const QString& program, const QStringList& arguments = {}) {
        setStandardOutputFile(QProcess::nullDevice());
        setStandardErrorFile(QProcess::nullDevice());
        start(program, arguments);
    }
    ~Child() override {
        terminate();
        if (!waitForFinished(5000)) kill();
    }
};

}  // namespace

class TestPresence : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void decisions_data();
    void decisions();
    void idle();
    void logind_data();
    void logind();
    void doNotDisturb_data();
    void doNotDisturb();
    void fullScreen();
    void recording();

  private:
    // One side watched, with the idle limit in seconds.
    std::unique_ptr<Presence> Watch(bool away, int idleLimit = Presence::kDefaultIdleLimit) {
        auto presence = platform::Current().WatchPresence();
        presence->SetIdleLimit(idleLimit);
        presence->WatchAway(away);
        presence->WatchBusy(!away);
        return presence;
    }

    StandIn logind_, desktop_;
};

void TestPresence::initTestCase() {
    qDBusRegisterMetaType<Inhibitor>();
    qDBusRegisterMetaType<QList<Inhibitor>>();
    QVERIFY(platform::Current().Which() == platform::Kind::X11);
    QDBusConnection system = QDBusConnection::connectToBus(QDBusConnection::SystemBus, "logind");
    QVERIFY(system.registerService("org.freedesktop.login1"));
    QVERIFY(system.registerVirtualObject("/org/freedesktop/login1", &logind_,
                                         QDBusConnection::SubPath));
    QDBusConnection session = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desk");
    QVERIFY(session.registerService("org.freedesktop.Notifications"));
    QVERIFY(session.registerService("org.xfce.Xfconf"));
    QVERIFY(session.registerVirtualObject("/org", &desktop_, QDBusConnection::SubPath));
}

// Which PipeWire node is a call (by media.class and stream.monitor), which lock of logind's
// keeps the user present (by what and mode).
void TestPresence::decisions_data() {
    QTest::addColumn<bool>("node");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("counts");
    const QString none;
    QTest::newRow("microphone") << true << QString("Stream/Input/Audio") << none << true;
    QTest::newRow("camera, screen") << true << QString("Stream/Input/Video") << none << true;
    QTest::newRow("level meter") << true << QString("Stream/Input/Audio") << QString("true")
                                 << false;
    QTest::newRow("music playing") << true << QString("Stream/Output/Audio") << none << false;
    QTest::newRow("the microphone") << true << QString("Audio/Source") << none << false;
    const QString block("block");
    QTest::newRow("video player") << false << QString("idle") << block << true;
    QTest::newRow("among others") << false << QString("sleep:idle:shutdown") << block << true;
    QTest::newRow("delay only") << false << QString("idle") << QString("delay") << false;
    QTest::newRow("sleep only") << false << QString("sleep") << block << false;
    QTest::newRow("a longer word") << false << QString("handle-idle") << block << false;
}

void TestPresence::decisions() {
    QFETCH(bool, node);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QTEST(node ? platform::CountsAsCall(first, second) : platform::InhibitsIdle(first, second),
          "counts");
}

// Idle from the X server's counter: away a second after the last input, back at the next one;
// a program holding off idleness keeps the user present for another stretch.
void TestPresence::idle() {
    int x = 0;
    const auto input = [&x] {
        x = (x + 10) % 500;
        QVERIFY(Run("xdotool", {"mousemove", QString::number(x), "100"}));
    };
    auto presence = Watch(true, 1);
    QTRY_VERIFY(presence->Away());  // since the server started
    input();
    QTRY_VERIFY(!presence->Away());
    const QDateTime lastInput = Clock::Current().Now();
    QTRY_COMPARE(presence->WhyAway(), Reason::Idle);
    QVERIFY(qAbs(presence->AwaySince().msecsTo(lastInput)) < 1000);
    input();
    QTRY_VERIFY(!presence->Away());

    logind_.inhibitors = {{"sleep:idle", "player", "a film", "block"}};
    const int asked = logind_.asked["ListInhibitors"];
    QTRY_COMPARE_WITH_TIMEOUT(logind_.asked["ListInhibitors"], asked + 2, 8000);
    QVERIFY(!presence->Away());
    logind_.inhibitors.clear();
    QTRY_COMPARE_WITH_TIMEOUT(presence->WhyAway(), Reason::Idle, 8000);
}

void TestPresence::logind_data() {
    QTest::addColumn<QDBusMessage>("begin");
    QTest::addColumn<QDBusMessage>("end");
    QTest::addColumn<Reason>("reason");
    const QString login1 = "/org/freedesktop/login1", manager = "org.freedesktop.login1.Manager";
    const QString session = "org.freedesktop.login1.Session";
    QTest::newRow("suspend") << Signal(login1, manager, "PrepareForSleep", {true})
                             << Signal(login1, manager, "PrepareForSleep", {false})
                             << Reason::Asleep;
    QTest::newRow("lock") << Signal(kSession, session, "Lock", {})
                          << Signal(kSession, session, "Unlock", {}) << Reason::Locked;
    QTest::newRow("the locker's hint")
        << PropertyChanged(kSession, session, "LockedHint", true)
        << PropertyChanged(kSession, session, "LockedHint", false) << Reason::Locked;
    // Neither sent: locked when the watch starts, then switched off.
    QTest::newRow("switched off") << QDBusMessage() << QDBusMessage() << Reason::None;
}

void TestPresence::logind() {
    QFETCH(QDBusMessage, begin);
    QFETCH(QDBusMessage, end);
    QFETCH(Reason, reason);
    const bool atStart = begin.type() == QDBusMessage::InvalidMessage;
    logind_.values["LockedHint"] = atStart;
    const int asked = logind_.asked["Get"];
    auto presence = Watch(true);
    QSignalSpy changed(presence.get(), &Presence::Changed);
    QTRY_COMPARE(logind_.asked["Get"], asked + 1);  // subscribed to the session's signals
    if (atStart) {
        QTRY_COMPARE(presence->WhyAway(), Reason::Locked);
        presence->WatchAway(false);
        QCOMPARE(presence->WhyAway(), reason);
        QCOMPARE(changed.size(), 2);
        return;
    }
    QDBusConnection from("logind");
    const QDateTime sent = Clock::Current().Now();
    QVERIFY(from.send(begin));
    QTRY_COMPARE(presence->WhyAway(), reason);
    QVERIFY(qAbs(presence->AwaySince().msecsTo(sent)) < 1000);
    QVERIFY(from.send(end));
    QTRY_VERIFY(!presence->Away());
    QCOMPARE(changed.size(), 2);
}

void TestPresence::doNotDisturb_data() {
    QTest::addColumn<QString>("source");
    QTest::newRow("notification daemon") << "Inhibited";
    QTest::newRow("notification daemon at start") << "Inhibited at start";
    QTest::newRow("xfce") << "/do-not-disturb";
    QTest::newRow("gnome") << "show-banners";
}

void TestPresence::doNotDisturb() {
    QFETCH(QString, source);
    desktop_.values = {{"Inhibited", source.endsWith("at start")}};
    std::unique_ptr<GSettings, void (*)(gpointer)> gnome(nullptr, g_object_unref);
    if (source == "show-banners") {
        GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
        g_autoptr(GSettingsSchema) schema =
            schemas
                ? g_settings_schema_source_lookup(schemas, "org.gnome.desktop.notifications", TRUE)
                : nullptr;
        if (schema == nullptr) QSKIP("GNOME's notification settings are not installed");
        gnome.reset(g_settings_new("org.gnome.desktop.notifications"));
    }
    const int asked = desktop_.asked["GetProperty"];
    auto presence = Watch(false);
    QTRY_COMPARE(desktop_.asked["GetProperty"], asked + 1);
    QDBusConnection desk("desk");
    const auto set = [&](bool on) {
        if (gnome) return void(g_settings_set_boolean(gnome.get(), "show-banners", !on));
        desk.send(source == "Inhibited"
                      ? PropertyChanged("/org/freedesktop/Notifications",
                                        "org.freedesktop.Notifications", "Inhibited", on)
                      : Signal("/org/xfce/Xfconf", "org.xfce.Xfconf", "PropertyChanged",
                               {"xfce4-notifyd", source, QVariant::fromValue(QDBusVariant(on))}));
    };
    if (!source.endsWith("at start")) set(true);
    QTRY_COMPARE(presence->Busy(), Presence::BusyReasons(Busy::DoNotDisturb));
    if (source.endsWith("at start")) return;
    set(false);
    QTRY_COMPARE(presence->Busy(), Presence::BusyReasons());
}

// Under a window manager: the active window full screen, unless it is this process's own.
void TestPresence::fullScreen() {
    Child wm("openbox");
    QTRY_VERIFY(Run("wmctrl", {"-m"}));  // managing: a window mapped earlier might stay unmanaged
    Child xterm("xterm", {"-title", "other"});
    auto presence = Watch(false);
    QTRY_VERIFY_WITH_TIMEOUT(Run("wmctrl", {"-a", "other"}), 10000);
    QVERIFY(Run("wmctrl", {"-r", "other", "-b", "add,fullscreen"}));
    QTRY_VERIFY(presence->Busy().testFlag(Busy::FullScreen));
    QRasterWindow own;
    own.setTitle("own");
    own.showFullScreen();
    QTRY_VERIFY(Run("wmctrl", {"-a", "own"}) && !presence->Busy().testFlag(Busy::FullScreen));
    QVERIFY(Run("wmctrl", {"-a", "other"}));
    QTRY_VERIFY(presence->Busy().testFlag(Busy::FullScreen));
    QVERIFY(Run("wmctrl", {"-r", "other", "-b", "remove,fullscreen"}));
    QTRY_VERIFY(!presence->Busy().testFlag(Busy::FullScreen));
}

// A real PipeWire daemon with a quiet source, and WirePlumber to connect a recorder to it.
void TestPresence::recording() {
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath("pipewire/pipewire.conf.d"));
    QFile source(config.filePath("pipewire/pipewire.conf.d/quiet.conf"));
    QVERIFY(source.open(QIODevice::WriteOnly) &&
            source.write("context.objects = [ { factory = adapter args = { factory.name = "
                         "support.null-audio-sink node.name = quiet media.class = "
                         "Audio/Source/Virtual audio.position = [ MONO ] } } ]") > 0);
    source.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    Child daemon("pipewire");
    QTRY_VERIFY(QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pipewire-0"));
    Child manager("wireplumber");
    // The source has ports once the session manager has set it up: a recorder finds it then.
    QTRY_VERIFY_WITH_TIMEOUT(Output("pw-link", {"--output"}).contains("quiet:"), 15000);
    auto presence = Watch(false);
    QVERIFY(!presence->Busy().testFlag(Busy::Call));
    {
        Child recorder("pw-record", {config.filePath("heard.wav")});
        QTRY_VERIFY_WITH_TIMEOUT(presence->Busy().testFlag(Busy::Call), 15000);
    }
    QTRY_VERIFY(!presence->Busy().testFlag(Busy::Call));
}

int main(int argc, char** argv) {
    // Qt connects to the display when the application is made, and the buses when first asked:
    // the servers come first.
    XvfbServer xvfb;
    PrivateBus system, session;
    QTemporaryDir runtime;
    QString error;
    if (!xvfb.Start(&error) || !system.Start(&error) || !session.Start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    qputenv("DISPLAY", xvfb.Display());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("XDG_SESSION_TYPE");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", system.Address().toUtf8());
    qputenv("DBUS_SESSION_BUS_ADDRESS", session.Address().toUtf8());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("GSETTINGS_BACKEND", "memory");  // GNOME's settings of this process alone
    QGuiApplication app(argc, argv);
    TestPresence test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_presence.moc"
