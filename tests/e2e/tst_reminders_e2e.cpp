// The reminders' clocks in the real program, its wall clock moved by libfaketime while its timers
// keep the real one: a daylight-saving night, a suspend that both reminders fell due in, an
// absence, and a full-screen program that a break waits for.

#include <QDBusConnection>
#include <QDBusMessage>

#include "tests/e2e/window_manager.h"
#include "tests/support/private_bus.h"

namespace {

using namespace e2e;

QString FakeTimeLibrary() {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib"})
        if (const QString lib = QString(dir) + "/faketime/libfaketime.so.1"; QFile::exists(lib))
            return lib;
    return {};
}

// A wall clock the test sets for the program's runs on `desk`, through a libfaketime stamp file;
// timers keep the real one.
class FakeClock {
  public:
    bool Install(Desk& desk, const QString& lib, const char* when) {
        desk.SetProgramVariable("LD_PRELOAD", lib);
        desk.SetProgramVariable("FAKETIME_TIMESTAMP_FILE", stamp_.fileName());
        desk.SetProgramVariable("FAKETIME_NO_CACHE", "1");
        desk.SetProgramVariable("FAKETIME_DONT_FAKE_MONOTONIC", "1");
        return Set(when);
    }
    // Today, at `when` ("13:00:00"), and running on from there.
    bool Set(const char* when) {
        return stamp_.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               stamp_.write(QByteArray("@2026-12-08 ") + when + "\n") > 0 && (stamp_.close(), true);
    }

  private:
    QTemporaryDir dir_;
    QFile stamp_{dir_.filePath("faketime")};
};

// A logind on a private system bus for the program's runs on a desk, to tell them of a resume.
class LogindStandIn {
  public:
    bool Start(Desk& desk) {
        QString error;
        if (!bus_.Start(&error)) return false;
        desk.SetProgramVariable("DBUS_SYSTEM_BUS_ADDRESS", bus_.Address());
        return true;
    }
    // PrepareForSleep(false): the machine is back. Sent again until the program is heard to have
    // it, since it subscribes in its own time after its start.
    bool Resume() {
        if (!connection_.isConnected()) {
            connection_ = QDBusConnection::connectToBus(bus_.Address(),
                                                        QString("logind-%1").arg(quintptr(this)));
            if (!connection_.registerService("org.freedesktop.login1")) return false;
        }
        QDBusMessage resumed = QDBusMessage::createSignal(
            "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
        resumed << false;
        return connection_.send(resumed);
    }

  private:
    PrivateBus bus_;
    QDBusConnection connection_{QString()};
};

// What --status says of the running program.
QByteArray StatusOf(Desk& desk) {
    QProcess& asked = desk.StartProgram({"--status"});
    asked.waitForFinished(kWaitMs);
    return asked.readAllStandardOutput();
}

// The program's debug trace of its reminders so far.
QByteArray Trace(Desk& desk, QByteArray& said) {
    said += desk.Program().readAll();
    return said;
}

}  // namespace

class TestRemindersE2e : public QObject {
    Q_OBJECT

  private slots:
    void daylightSavingNight_data();
    void daylightSavingNight();
    void suspendBringsBothSideBySide();
    void awayAsLongAsABreakWasOne();
    void fullScreenHoldsBackTheBreak();
};

void TestRemindersE2e::daylightSavingNight_data() {
    QTest::addColumn<QString>("start");  // seconds since the epoch
    QTest::addColumn<QByteArray>("drinkDue");
    QTest::addColumn<QByteArray>("relaxDue");
    // 01:59:30 CET; the clocks go forward at 02:00.
    QTest::newRow("spring forward") << "1806195570" << QByteArray("2027-03-28T03:29:30+02:00")
                                    << QByteArray("2027-03-28T04:59:30+02:00");
}

// Half an hour and two hours later, as the clocks on the wall say them.
void TestRemindersE2e::daylightSavingNight() {
    QFETCH(QString, start);
    const QString lib = FakeTimeLibrary();
    if (lib.isEmpty()) QSKIP("libfaketime is not installed (Debian faketime)");
    Desk desk;
    desk.SetProgramVariable("LD_PRELOAD", lib);
    desk.SetProgramVariable("FAKETIME", "@" + start);
    desk.SetProgramVariable("FAKETIME_FMT", "%s");
    desk.SetProgramVariable("FAKETIME_DONT_FAKE_MONOTONIC", "1");
    desk.SetProgramVariable("TZ", "Europe/Berlin");
    desk.SetProgramVariable("QT_LOGGING_RULES", "vita.reminders.debug=true");
    QVERIFY2(desk.Open(), desk.Failure());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT(Trace(desk, said).contains("relax due"), kWaitMs);
    QFETCH(QByteArray, drinkDue);
    QFETCH(QByteArray, relaxDue);
    QVERIFY2(said.contains("drink due " + drinkDue), said.constData());
    QVERIFY2(said.contains("relax due " + relaxDue), said.constData());
}

// Three hours asleep: on the way back both reminders come at once, once each, side by side.
void TestRemindersE2e::suspendBringsBothSideBySide() {
    const QString lib = FakeTimeLibrary();
    if (lib.isEmpty()) QSKIP("libfaketime is not installed (Debian faketime)");
    LogindStandIn logind;  // outlives the program's runs
    Desk desk;
    FakeClock clock;
    QVERIFY(logind.Start(desk) && clock.Install(desk, lib, "10:00:00"));
    QVERIFY2(desk.Open(), desk.Failure());
    QCOMPARE(desk.Windows().size(), 1);

    QVERIFY(clock.Set("13:00:00"));
    QTRY_VERIFY_WITH_TIMEOUT((logind.Resume(), desk.Windows().size() == 3), kWaitMs);
    // Risen into the corner, the second one beside the first, neither over the other.
    const QRect screen(0, 0, 1024, 768);
    const auto reminders = [&desk] {
        QList<QRect> rects;
        for (const WindowInfo& w : desk.Windows())
            if (w.rect.size() == QSize(280, 360)) rects << w.rect;
        return rects;
    };
    QTRY_VERIFY_WITH_TIMEOUT(reminders().size() == 2 &&
                                 reminders()[0].bottom() == screen.bottom() &&
                                 reminders()[1].bottom() == screen.bottom(),
                             kWaitMs);
    const QList<QRect> rects = reminders();
    QVERIFY2(!rects[0].intersects(rects[1]), "one reminder covers the other");
    QCOMPARE(std::max(rects[0].right(), rects[1].right()), screen.right());
    QCOMPARE(std::min(rects[0].left(), rects[1].left()), screen.right() + 1 - 2 * 280);
    logind.Resume();  // a second resume signal brings no second pair
    QTest::qWait(300);
    QCOMPARE(desk.Windows().size(), 3);
}

// No input for the idle stretch (the X server's own counter): away, as --status says; back ten
// minutes later, longer than the three-minute break, the relax clock has started over.
void TestRemindersE2e::awayAsLongAsABreakWasOne() {
    const QString lib = FakeTimeLibrary();
    if (lib.isEmpty()) QSKIP("libfaketime is not installed (Debian faketime)");
    Desk desk;
    FakeClock clock;
    QVERIFY(clock.Install(desk, lib, "10:00:00"));
    QVERIFY2(desk.StartServer(), desk.Failure());
    QVERIFY(desk.WithStore([] {
        SettingsStore::SetAwaySecond(5);
        SettingsStore::SetRelaxMinute(3);
    }));
    desk.StartProgram();
    QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
    const auto status = [&desk] { return StatusOf(desk); };
    QVERIFY2(status().contains("next-break: 2026-12-08 12:00\n"), status().constData());
    QTRY_VERIFY_WITH_TIMEOUT(status().contains("away: idle\n"), kWaitMs);
    QVERIFY(clock.Set("10:10:00"));
    desk.Xdotool({"mousemove", "10", "10"});
    QTRY_VERIFY_WITH_TIMEOUT(status().contains("away: no\n"), kWaitMs);
    QVERIFY2(status().contains("next-break: 2026-12-08 12:10\n"), status().constData());
}

// A relax reminder falls due while a full-screen program is in front (under a real window
// manager): it waits; once the program leaves full screen, the prompt comes, once.
void TestRemindersE2e::fullScreenHoldsBackTheBreak() {
    const QString lib = FakeTimeLibrary();
    if (lib.isEmpty()) QSKIP("libfaketime is not installed (Debian faketime)");
    LogindStandIn logind;  // outlives the program's runs
    Desk desk;
    FakeClock clock;
    QVERIFY(logind.Start(desk) && clock.Install(desk, lib, "10:00:00"));
    QVERIFY2(desk.StartServer(), desk.Failure());
    WindowManager wm(desk);
    QVERIFY2(wm.Start("openbox"), wm.Failure());
    QVERIFY(desk.WithStore([] { SettingsStore::SetRemindOnTimeDrk(false); }));
    desk.StartProgram();
    QVERIFY(WaitFor([&] { return desk.MainWindow(); }));
    QVERIFY(wm.StartFullScreenTerminal("work"));
    desk.RunTool("wmctrl", {"-a", "work"});
    const auto status = [&desk] { return StatusOf(desk); };
    QTRY_VERIFY_WITH_TIMEOUT(status().contains("busy: fullscreen\n"), kWaitMs);

    QVERIFY(clock.Set("12:00:30"));  // past the break's due time; a resume makes it look
    const auto prompts = [&desk] {
        return std::ranges::count_if(
            desk.Windows(), [](const WindowInfo& w) { return w.rect.size() == QSize(280, 360); });
    };
    for (int i = 0; i < 10; ++i, QTest::qWait(300)) QVERIFY(logind.Resume());
    QCOMPARE(prompts(), 0);
    desk.RunTool("wmctrl", {"-r", "work", "-b", "remove,fullscreen"});
    QTRY_COMPARE_WITH_TIMEOUT(prompts(), 1, kWaitMs);
}

QTEST_MAIN(TestRemindersE2e)
#include "tst_reminders_e2e.moc"
