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

QTEST_MAIN(TestDesktopE2e)
#include "tst_desktop_e2e.moc"
