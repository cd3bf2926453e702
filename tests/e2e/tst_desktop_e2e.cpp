// The real program under real window managers and a real panel (tests/e2e/window_manager.h):
// two monitors side by side on one wide screen, tint2 along the bottom of the primary one.

#include "tests/e2e/window_manager.h"

using namespace e2e;

class TestDesktopE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { XSetErrorHandler(IgnoreXErrors); }
    void drinkFrameRestsAbovePanel_data() { AddWindowManagerRows(); }
    void drinkFrameRestsAbovePanel();
    void lockHoldsItsGround_data() { AddWindowManagerRows(); }
    void lockHoldsItsGround();
};

// Qt counts no panel once there are two monitors; the drink reminder still rises into the corner
// the panel leaves free on the primary monitor, not behind the panel.
void TestDesktopE2e::drinkFrameRestsAbovePanel() {
    QFETCH(QString, manager);
    const QRect primary(0, 0, 1024, 768);
    Desk desk;
    desk.SetServerArguments({"-screen", "0", "2048x768x24"});
    QVERIFY2(desk.StartServer(), desk.Failure());
    QVERIFY(SetMonitors(desk, {primary, primary.translated(1024, 0)}));
    WindowManager wm(desk);
    QVERIFY2(wm.Start(manager), wm.Failure());
    QVERIFY2(wm.StartPanel(), wm.Failure());
    QCOMPARE(wm.Panel(), QRect(0, 738, 1024, 30));

    desk.StartProgram({"--drink-now"});
    const QSize content(280, 360);
    // xfwm4 composites: the frame draws its shadow around the content.
    const QMargins shadow = manager == "xfwm4" ? QMargins(32, 32, 32, 32) : QMargins();
    const auto frame = [&] {
        const auto found = First(desk.Windows(), [&](const WindowInfo& w) {
            return w.rect.size() == content.grownBy(shadow);
        });
        return found ? found->rect.marginsRemoved(shadow) : QRect();
    };
    const QRect corner(QPoint(1024, wm.Panel().top()) - QPoint(280, 360), content);
    QTRY_COMPARE_WITH_TIMEOUT(frame(), corner, kWaitMs);
    QTest::qWait(300);  // at rest: no step after it
    QCOMPARE(frame(), corner);
}

namespace {

// The break lock on the screen, and no managed window above it: 0 when it is not so.
unsigned long LockOnTop(const Desk& desk) {
    const QList<WindowInfo> lock = desk.Windows({"--name", "^休息中 · 悦息伙伴$"});
    if (lock.size() != 1) return 0;
    const QList<unsigned long> stack = Stack(desk.X());
    for (qsizetype i = stack.indexOf(lock.first().id) + 1; i > 0 && i < stack.size(); ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(desk.X(), stack[i], &a) && a.map_state == IsViewable &&
            !a.override_redirect && a.c_class == InputOutput)
            return 0;
    }
    return lock.first().id;
}

}  // namespace

// A break under a real window manager: typing into it as it appears changes nothing; Alt+Tab to a
// full-screen terminal, Show Desktop and a minimise leave it above everything; --break-now finds
// it there, and "结束休息" still ends it.
void TestDesktopE2e::lockHoldsItsGround() {
    QFETCH(QString, manager);
    Desk desk;
    QVERIFY2(desk.StartServer(), desk.Failure());
    WindowManager wm(desk);
    QVERIFY2(wm.Start(manager), wm.Failure());
    QVERIFY(desk.WithStore([] { SettingsStore::SetCountDownSecond(3); }));
    desk.StartProgram({"--break-now"});  // the prompt starts the break by itself
    QVERIFY2(WaitFor([&] { return LockOnTop(desk); }), "no break lock on top");
    // It took the keyboard from whatever had it.
    QTRY_COMPARE_WITH_TIMEOUT(desk.FocusedWindow(), LockOnTop(desk), kWaitMs);

    const qsizetype shown = desk.Windows().size();  // the main window and the lock
    desk.Xdotool({"type", "--delay", "20", "git commit -m 'fix'"});
    desk.Xdotool({"key", "Down", "Return", "Escape", "space"});
    QTest::qWait(500);
    QVERIFY2(LockOnTop(desk), "typing ended the break");
    QCOMPARE(desk.Windows().size(), shown);  // no menu, no settings frame
    bool fullScreen = false, onTime = false;
    QVERIFY(desk.WithStore([&] {
        fullScreen = SettingsStore::GetRemindFullScreen();
        onTime = SettingsStore::GetRemindOnTime();
    }));
    QVERIFY(fullScreen && onTime);

    QVERIFY(wm.StartFullScreenTerminal("work"));
    for (const QStringList& act :
         {QStringList{"wmctrl", "-a", "work"}, QStringList{"xdotool", "key", "alt+Tab"},
          QStringList{"wmctrl", "-k", "on"},
          QStringList{"xdotool", "windowminimize", QString::number(LockOnTop(desk))}}) {
        desk.RunTool(act.first(), act.mid(1));
        QTest::qWait(300);
        QVERIFY2(WaitFor([&] { return LockOnTop(desk); }), qPrintable(act.join(' ')));
    }
    QProcess& again = desk.StartProgram({"--break-now"});
    QVERIFY(again.waitForFinished(kWaitMs));
    QCOMPARE(again.exitCode(), 0);
    QVERIFY(LockOnTop(desk));
}

QTEST_MAIN(TestDesktopE2e)
#include "tst_desktop_e2e.moc"
