// The drink reminder heard through a real sound server: PipeWire, its PulseAudio service and
// WirePlumber (on a private bus) with a null sink, the only output, in the program's own
// XDG_RUNTIME_DIR. pw-mon tells each stream the program plays, with the event id of its sound.

#include "tests/e2e/desk.h"
#include "tests/support/private_bus.h"

using namespace e2e;

class TestSoundE2e : public QObject {
    Q_OBJECT

  private slots:
    void drinkReminder_data() {
        QTest::addColumn<bool>("remindSound");
        QTest::newRow("提醒音效 on") << true;
        QTest::newRow("提醒音效 off") << false;
    }
    // The reminder comes with "message-new-instant" while its switch is on, silent while it is
    // off; the drink recorded in it is heard as our droplets, after what the reminder played.
    void drinkReminder();
};

void TestSoundE2e::drinkReminder() {
    QFETCH(bool, remindSound);
    std::vector<std::unique_ptr<QProcess>> daemons;  // killed with it, after the program
    Desk desk;
    PrivateBus bus;
    QString error;
    QVERIFY2(desk.StartServer() && bus.Start(&error), qPrintable(desk.Failure() + error));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", desk.FolderPath("runtime"));
    env.insert("XDG_STATE_HOME", desk.FolderPath("config"));
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    const auto start = [&](const QString& program, const QStringList& arguments) {
        QProcess& child = *daemons.emplace_back(std::make_unique<QProcess>());
        child.setProcessEnvironment(env);
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(program, arguments);
        return child.waitForStarted(kWaitMs) ? &child : nullptr;
    };
    const auto pactl = [&](const QStringList& arguments) {
        QProcess* run = start("pactl", arguments);
        const bool ok = run && run->waitForFinished(kWaitMs) && run->exitCode() == 0;
        return ok ? run->readAllStandardOutput().trimmed() : QByteArray();
    };
    for (const char* daemon : {"pipewire", "pipewire-pulse", "wireplumber"})
        QVERIFY2(start(daemon, {}), daemon);
    QVERIFY2(WaitFor([&] { return !pactl({"info"}).isEmpty(); }), "no sound server answered");
    QVERIFY(!pactl({"load-module", "module-null-sink", "sink_name=vita_e2e"}).isEmpty());
    QProcess* monitor = start("pw-mon", {"-N"});
    QByteArray seen;
    const auto streamOf = [&](const char* id) {  // where pw-mon told of it first; -1: not yet
        seen += monitor->readAll();
        return seen.indexOf(QByteArray("event.id = \"") + id + '"');
    };
    QVERIFY(desk.WithStore([&] { SettingsStore::SetRemindSoundDrk(remindSound); }));
    desk.StartProgram({"--drink-now"});
    const QRect rest(QPoint(1024 - 280, 768 - 360), QSize(280, 360));
    const auto frame = WaitFor(
        [&] { return First(desk.Windows(), [&](const WindowInfo& w) { return w.rect == rest; }); });
    QVERIFY2(frame, "the drink reminder did not come to rest in the corner");
    if (remindSound) QVERIFY(WaitFor([&] { return streamOf("message-new-instant") >= 0; }));
    desk.Click(frame->rect.topLeft() + QPoint(99 + 43, 26 + 253 + 16));  // "立即喝水"
    QVERIFY2(WaitFor([&] { return streamOf("vita-companion-water") >= 0; }),
             seen.right(3000).constData());
    QCOMPARE(streamOf("message-new-instant") >= 0, remindSound);
}

QTEST_GUILESS_MAIN(TestSoundE2e)
#include "tst_sound_e2e.moc"
