// The real program with the trays desktops offer: a StatusNotifierItem panel on the session bus,
// no tray at all, and a tray that comes while the program runs.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

#include "tests/e2e/desk.h"
#include "tests/support/private_bus.h"

// Xlib macros that would eat the watcher's property and the meta-object of its type.
#undef ProtocolVersion
#undef Bool

using namespace e2e;

namespace {

const QPoint kCloseButton(336, 14);
const QPoint kMenuButton(288, 14);
const QSize kConfirmSize(240, 240);
const QPoint kConfirmYes(29 + 43, 152 + 16);
constexpr int kMenuItem = 28;
constexpr int kMenuInset = 4;

// What a panel's watcher offers: enough for the program to register its item, as panels do.
class WatcherStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ Items)

  public:
    bool HostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList Items() const { return items; }
    QStringList items;

  public slots:
    void RegisterStatusNotifierItem(const QString& service) { items << service; }
    void RegisterStatusNotifierHost(const QString&) {}

  signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();
};

}  // namespace

class TestTrayE2e : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void statusNotifierPanelBringsTheWindowBack();
    void noTrayMinimisesAndOffersTheExit();
    void trayThatComesLaterTakesTheWindow();

  private:
    // Opens the title menu and returns it once it is on the screen.
    static std::optional<WindowInfo> OpenTitleMenu(const Desk& desk);
};

void TestTrayE2e::initTestCase() {
    XSetErrorHandler(IgnoreXErrors);
    QVERIFY2(!QStandardPaths::findExecutable("dbus-daemon").isEmpty(),
             "dbus-daemon is missing (scripts/setup)");
}

std::optional<WindowInfo> TestTrayE2e::OpenTitleMenu(const Desk& desk) {
    desk.Click(desk.Main().rect.topLeft() + kMenuButton);
    return WaitFor([&] {
        return First(desk.Windows(), [&](const WindowInfo& w) { return w.id != desk.Main().id; });
    });
}

// On such panels a click on the icon is an activation: it shows the hidden window again.
void TestTrayE2e::statusNotifierPanelBringsTheWindowBack() {
    PrivateBus daemon;
    QString error;
    QVERIFY2(daemon.Start(&error), qPrintable(error));
    const QString address = daemon.Address();
    QDBusConnection bus = QDBusConnection::connectToBus(address, "panel");
    QVERIFY(bus.isConnected());
    WatcherStandIn watcher;
    QVERIFY(bus.registerObject("/StatusNotifierWatcher", &watcher,
                               QDBusConnection::ExportAllSlots |
                                   QDBusConnection::ExportAllProperties |
                                   QDBusConnection::ExportAllSignals));
    QVERIFY(bus.registerService("org.kde.StatusNotifierWatcher"));

    Desk desk;
    desk.SetProgramVariable("DBUS_SESSION_BUS_ADDRESS", address);
    QVERIFY2(desk.Open(), desk.Failure());
    QTRY_VERIFY_WITH_TIMEOUT(!watcher.items.isEmpty(), kWaitMs);
    const QString item = watcher.items.first();

    // With the panel's icon there, closing hides the window.
    desk.Click(desk.Main().rect.topLeft() + kCloseButton);
    QTRY_VERIFY_WITH_TIMEOUT(desk.TitledWindows().isEmpty(), kWaitMs);

    QDBusMessage activate = QDBusMessage::createMethodCall(
        item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
    activate << 10 << 10;
    bus.asyncCall(activate);
    const std::optional<WindowInfo> shown = WaitFor([&] { return desk.MainWindow(); });
    QVERIFY2(shown, "the activation did not bring the window back");
    QCOMPARE(shown->rect, desk.Main().rect);
    QDBusConnection::disconnectFromBus("panel");
}

// With no tray, nothing could show a hidden window again or end the program: closing minimises
// (the window manager is asked to iconify it) and the title menu offers the exit.
void TestTrayE2e::noTrayMinimisesAndOffersTheExit() {
    Desk desk;
    QVERIFY2(desk.Open(), desk.Failure());
    const WindowInfo main = desk.Main();
    // A request to iconify goes to the root window, for the window manager to act on.
    XSelectInput(desk.X(), DefaultRootWindow(desk.X()), StructureNotifyMask);
    XSync(desk.X(), False);
    desk.Click(main.rect.topLeft() + kCloseButton);
    const Atom changeState = XInternAtom(desk.X(), "WM_CHANGE_STATE", False);
    const bool askedToIconify = WaitFor([&] {
        for (XEvent event; XPending(desk.X()) > 0;) {
            XNextEvent(desk.X(), &event);
            if (event.type == ClientMessage && event.xclient.message_type == changeState &&
                event.xclient.window == main.id && event.xclient.data.l[0] == IconicState)
                return true;
        }
        return false;
    });
    QVERIFY2(askedToIconify, "closing did not minimise the window");
    QVERIFY2(desk.MainWindow(), "closing without a tray hid the window");

    const std::optional<WindowInfo> menu = OpenTitleMenu(desk);
    QVERIFY(menu);
    // "退出" is the last item, below a separator under the three of the menu.
    QVERIFY(menu->rect.height() > 4 * kMenuItem);
    desk.Click(QPoint(menu->rect.center().x(), menu->rect.bottom() + 1 - kMenuInset - 14));
    const std::optional<WindowInfo> question = WaitFor([&] {
        return First(desk.Windows(),
                     [](const WindowInfo& w) { return w.rect.size() == kConfirmSize; });
    });
    QVERIFY(question);
    desk.Click(question->rect.topLeft() + kConfirmYes);
    QVERIFY(desk.Program().waitForFinished(kWaitMs));
    QCOMPARE(desk.Program().exitCode(), 0);
}

// A panel started after the program: from then on closing hides the window into the tray again,
// and the title menu is back to its own items.
void TestTrayE2e::trayThatComesLaterTakesTheWindow() {
    Desk desk;
    QVERIFY2(desk.Open(), desk.Failure());
    QVERIFY2(desk.StartTray(), desk.Failure());
    QVERIFY(WaitFor([&] { return desk.TrayIcon(); }));
    // The program hears of the tray a moment after the panel docks its icon: the menu loses
    // its exit item then.
    const bool ownItemsOnly = WaitFor([&] {
        const std::optional<WindowInfo> menu = OpenTitleMenu(desk);
        desk.Xdotool({"key", "Escape"});
        WaitFor([&] { return desk.Windows().size() == 2; });  // the window and the icon
        return menu && menu->rect.height() == 3 * kMenuItem + 2 * kMenuInset;
    });
    QVERIFY2(ownItemsOnly, "the title menu still offers the exit");
    desk.Click(desk.Main().rect.topLeft() + kCloseButton);
    QTRY_VERIFY_WITH_TIMEOUT(desk.TitledWindows().isEmpty(), kWaitMs);
}

QTEST_GUILESS_MAIN(TestTrayE2e)
#include "tst_tray_e2e.moc"
