#include <QClipboard>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/confirm_exit.h"
#include "app/main_window.h"
#include "app/message_window.h"
#include "app/tray_icon.h"
#include "data/settings_store.h"
#include "platform/autostart.h"
#include "reminders/reminder_scheduler.h"
#include "tests/gui/skin_fixture.h"
#include "ui/control.h"
#include "ui/menu.h"

// Something done to the main window, for the data-driven tables.
using Action = std::function<void(CMainDlg&)>;

namespace {

// The five pages: the button that selects one, the host showing it, the title above it.
struct PageInfo {
    const char* button;
    const char* host;
    const char* title;
};
constexpr PageInfo kPages[] = {
    {"btn_eyeprotect_set", "wnd_eyeprotect", "防蓝光设置"},
    {"btn_drinkwater_set", "wnd_drinkwater", "喝水提醒设置"},
    {"btn_drink_imm", "wnd_drinkwater_show", "立即喝水"},
    {"btn_achievement", "wnd_drinkwater_achieve", "喝水成绩"},
    {"btn_haverelax_set", "wnd_haverelax", "休息提醒设置"},
};
const char* const kTileButtons[] = {"btn_eyeprotect_set", "btn_drinkwater_set", "btn_achievement",
                                    "btn_haverelax_set"};
// Where the windows sit: room below and beside them for menus on the offscreen screen.
const QPoint kWindowPlace(100, 50);
// Where the pointer is when the tray is clicked: room above it for the tray menu.
const QPoint kTrayPointer(250, 300);

ui::Control* Ctl(const ui::WindowBase& w, const char* name) {
    return w.FindControl(QString::fromLatin1(name));
}

QPoint ClientToWindow(const ui::WindowBase& w, const QPoint& client) {
    return client + w.ClientRect().topLeft();
}

QPoint ContentTopLeft(const ui::WindowBase& w) {
    return w.mapToGlobal(w.ClientRect().topLeft());
}

// Builds the window and waits for OnInit, which is what makes the tray; then says whether
// a tray shows the icon (offscreen there is none unless the test says so).
bool Start(CMainDlg& w, bool show, bool tray = true) {
    if (!w.Create(nullptr)) return false;
    w.move(kWindowPlace);
    if (show) {
        w.show();
        if (!QTest::qWaitForWindowExposed(&w)) return false;
    }
    if (!QTest::qWaitFor([&w] { return w.Tray() != nullptr; })) return false;
    w.SetTrayAvailable(tray);
    return true;
}

// The small tile buttons whose own flag says shown.
QString ShownTileButtons(const CMainDlg& w) {
    QStringList out;
    for (const char* name : kTileButtons)
        if (Ctl(w, name)->IsVisibleFlag()) out << name;
    return out.join(',');
}

template <typename T>
T* OpenTopLevel(const std::function<bool(T*)>& accept = {}) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* t = qobject_cast<T*>(top);
        if (t && t->isVisible() && !t->IsClosed() && (!accept || accept(t))) return t;
    }
    return nullptr;
}

ui::MenuWnd* OpenMenu(const QString& layout) {
    return OpenTopLevel<ui::MenuWnd>([&](ui::MenuWnd* m) { return m->LayoutFile() == layout; });
}

// The current page, the header shown and every page host and page shown, counted within the
// window so that a hidden window still tells what it will show.
QString Contents(const CMainDlg& w) {
    QStringList out;
    if (!w.CurrentPage().isEmpty()) out << w.CurrentPage() + ":";
    if (Ctl(w, "container_title")->isVisibleTo(&w)) out << "title";
    if (Ctl(w, "container_back")->isVisibleTo(&w)) out << "back " + Ctl(w, "label_back")->Text();
    for (const PageInfo& p : kPages) {
        if (Ctl(w, p.host)->isVisibleTo(&w)) out << p.host;
        if (QWidget* page = w.Page(p.host); page && page->isVisibleTo(&w))
            out << QString("page:") + p.host;
    }
    return out.join(' ');
}

// The window as the action table writes it: "hidden" or "minimised" when not shown normally,
// then "home", "none" or the button of the page in front (Contents when it is none of these),
// then "menu" when the tray menu is open and the headline of a message shown.
QString Describe(const CMainDlg& w) {
    QStringList out;
    if (!w.isVisible())
        out << "hidden";
    else if (w.isMinimized())
        out << "minimised";
    const QString contents = Contents(w);
    QString view = contents == "title" ? "home" : contents.isEmpty() ? "none" : contents;
    for (const PageInfo& p : kPages) {
        const QString title = QString::fromUtf8(p.title);
        if (contents == QString("%1: back %2 %3 page:%3").arg(p.button, title, p.host))
            view = p.button;
    }
    out << view;
    if (OpenMenu("menu_tray.xml")) out << "menu";
    if (CMessageDlg* message = CMessageDlg::Current())
        out << "message " + message->Shown().headline;
    return out.join(' ');
}

// A real click; a tile's small button is first made to appear by moving onto the tile.
Action Click(const char* name) {
    return [name](CMainDlg& w) {
        ui::Control* button = Ctl(w, name);
        QVERIFY(button);
        if (!button->isVisible()) {
            // Off the tiles first: a move to where the pointer already is would be dropped.
            QTest::mouseMove(&w, ClientToWindow(w, QPoint(200, 13)));
            QTest::mouseMove(&w, button->mapTo(&w, button->rect().center()));
            QTRY_VERIFY(button->isVisible());
        }
        QTest::mouseClick(button, Qt::LeftButton);
    };
}

// As a chosen menu item delivers it.
Action MenuItem(const char* item) {
    return [item](CMainDlg& w) { w.OnMenuCommand(QString::fromLatin1(item)); };
}

// An activation of the tray icon (an XEmbed tray here).
Action Tray(QSystemTrayIcon::ActivationReason reason) {
    return [reason](CMainDlg& w) {
        QCursor::setPos(QGuiApplication::primaryScreen()->availableGeometry().topLeft() +
                        kTrayPointer);
        w.Tray()->OnActivated(reason);
    };
}

Action Command(ui::SystemCommand command) {
    return [command](CMainDlg& w) { w.OnSystemCommand(command); };
}

// What the exit question looked like when it was answered.
struct DialogSeen {
    QPoint center;
    bool asks = false;
};

// Runs `ask`, which puts the exit question up modally, and answers the question once it is on
// screen and `ready` allows: `how` names the button to click, or is "escape" for the key.
// Stops waiting after a while, so a fault fails a check instead of hanging.
DialogSeen Answer(const QString& how, const std::function<void()>& ask,
                  const std::function<bool()>& ready = {}) {
    DialogSeen seen;
    QTimer timer;
    int polls = 0;
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        const bool patient = ++polls < 1000;
        CConfirmExitDlg* d = OpenTopLevel<CConfirmExitDlg>();
        if (!d) {
            if (!patient) timer.stop();
            return;
        }
        if (ready && !ready() && patient) return;
        timer.stop();
        seen.center = d->geometry().center();
        for (ui::Control* c : d->findChildren<ui::Control*>())
            if (c->isVisible() && c->Text() == QString::fromUtf8("是否退出悦息伙伴？"))
                seen.asks = true;
        if (how == QLatin1String("escape"))
            QTest::keyClick(d, Qt::Key_Escape);
        else
            QTest::mouseClick(d->FindControl(how), Qt::LeftButton);
    });
    timer.start(5);
    ask();
    return seen;
}

// Writes the stand-in updater beside the test executable; it records where and how it ran.
QString WriteUpdater(const QString& marker) {
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/update");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n%s\\n' \"$(pwd -P)\" \"$#\" > '%1.tmp' && "
                           "mv '%1.tmp' '%1'\n")
                .arg(marker)
                .toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void actions_data();
    void actions();
    void tileHover_data();
    void tileHover();
    void titleMenu();
    void titleMenuExitWithoutTray();
    void exitQuestion_data();
    void exitQuestion();
    void exitQuestionKeepsOtherTimersRunning();
    void updaterStartsInCurrentFolder();
    void feedback_data();
    void feedback();
    void lifetimeAndStartUp();
    void trayShowsWindow_data();
    void trayShowsWindow();
    void unsavableDataIsTold();
    void trayDuringABreakRaisesTheBreak();

  public slots:
    // The desktop's handler of the test's feedback address.
    void OpenUrl(const QUrl& url) { opened_ << url; }

  private:
    QList<QUrl> opened_;
    std::unique_ptr<QTemporaryDir> config_;  // where auto-start entries go
    QString savedCurrent_;
    QString updater_;
};

void TestMainWindow::init() {
    config_ = std::make_unique<QTemporaryDir>();
    QVERIFY(config_->isValid());
    qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
    savedCurrent_ = QDir::currentPath();
}

void TestMainWindow::cleanup() {
    // Menus and questions left open would catch the next test's pointer.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<ui::WindowBase*>(top); w && w->isVisible() && !w->IsClosed())
            if (qobject_cast<ui::MenuWnd*>(w) || qobject_cast<CConfirmExitDlg*>(w) ||
                qobject_cast<CMessageDlg*>(w))
                w->Close(0);
    QTRY_VERIFY(!OpenTopLevel<ui::MenuWnd>() && !OpenTopLevel<CConfirmExitDlg>() &&
                !CMessageDlg::Current());
    if (!updater_.isEmpty()) QFile::remove(updater_);
    updater_.clear();
    QDir::setCurrent(savedCurrent_);
}

void TestMainWindow::actions_data() {
    // The window before and after the action, as Describe writes it.
    QTest::addColumn<QString>("before");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("after");
    const auto row = [](const char* name, const char* before, const Action& action,
                        const char* after) {
        QTest::newRow(name) << QString(before) << action << QString(after);
    };
    const Action unknownPage = [](CMainDlg& w) { w.ShowPage("unknown"); };
    const Action windowManagerClose = [](CMainDlg& w) { w.close(); };

    row("eye tile", "home", Click("btn_eyeprotect"), "btn_eyeprotect_set");
    row("eye set", "home", Click("btn_eyeprotect_set"), "btn_eyeprotect_set");
    row("drink set", "home", Click("btn_drinkwater_set"), "btn_drinkwater_set");
    row("drink tile", "home", Click("btn_drink_imm"), "btn_drink_imm");
    row("achievements", "home", Click("btn_achievement"), "btn_achievement");
    row("relax tile", "home", Click("btn_relax"), "btn_haverelax_set");
    row("relax set", "home", Click("btn_haverelax_set"), "btn_haverelax_set");
    row("back", "btn_drink_imm", Click("btn_back"), "home");
    row("unknown page", "btn_drink_imm", unknownPage, "none");
    const Action drinkPanelDone = [](CMainDlg& w) {
        emit qobject_cast<CDrinkWaterShowDlg*>(w.Page("wnd_drinkwater_show"))->DismissRequested();
    };
    row("drink panel done", "btn_drink_imm", drinkPanelDone, "home");

    row("tray drink now", "hidden home", MenuItem("menu_tray_drink_imm"), "btn_drink_imm");
    row("tray achievements", "hidden home", MenuItem("menu_tray_drink_achieve"), "btn_achievement");
    row("tray drink set", "hidden home", MenuItem("menu_tray_drink_set"), "btn_drinkwater_set");
    row("tray relax set", "hidden home", MenuItem("menu_tray_relax_set"), "btn_haverelax_set");
    row("tray eye set", "hidden home", MenuItem("menu_tray_blue_set"), "btn_eyeprotect_set");
    // Where the build names no feedback address.
    row("title feedback", "btn_drink_imm", MenuItem("menu_title_feedback"),
        "btn_drink_imm message 反馈时请附上");
    row("tray feedback", "hidden home", MenuItem("menu_tray_feedback"),
        "hidden home message 反馈时请附上");
    row("missing updater", "hidden home", MenuItem("menu_tray_update"),
        "hidden home message 未安装更新程序");

    // Closing only hides: the program lives on in the tray, the page kept.
    const char* relax = "btn_haverelax_set";
    const char* relaxHidden = "hidden btn_haverelax_set";
    row("close button", relax, Click("btn_wnd_close"), relaxHidden);
    row("close command", relax, Command(ui::SystemCommand::Close), relaxHidden);
    row("window manager close", relax, windowManagerClose, relaxHidden);
    row("maximise", "home", Command(ui::SystemCommand::Maximize), "home");
    // Without a tray nothing could bring a hidden window back: closing minimises instead.
    const char* relaxNoTray = "notray btn_haverelax_set";
    const char* relaxMinimised = "minimised btn_haverelax_set";
    row("close button, no tray", relaxNoTray, Click("btn_wnd_close"), relaxMinimised);
    row("close command, no tray", relaxNoTray, Command(ui::SystemCommand::Close), relaxMinimised);
    row("window manager close, no tray", relaxNoTray, windowManagerClose, relaxMinimised);
    // A panel that restarts or crashes leaves no window out of reach.
    const Action trayGoes = [](CMainDlg& w) { w.SetTrayAvailable(false); };
    const Action closedThenTrayGoes = [trayGoes](CMainDlg& w) {
        w.OnSystemCommand(ui::SystemCommand::Close);
        trayGoes(w);
    };
    row("tray goes while hidden in it", relax, closedThenTrayGoes, relaxMinimised);
    row("tray goes while shown", relax, trayGoes, relax);
    row("minimise button", "home", Click("btn_show_min"), "minimised home");

    const char* achievements = "hidden btn_achievement";
    row("tray double click", achievements, Tray(QSystemTrayIcon::DoubleClick), "btn_achievement");
    row("tray click", achievements, Tray(QSystemTrayIcon::Trigger), achievements);
    row("tray context", achievements, Tray(QSystemTrayIcon::Context),
        "hidden btn_achievement menu");
}

void TestMainWindow::actions() {
    QFETCH(QString, before);
    QFETCH(Action, action);
    QFETCH(QString, after);
    if (after.contains("反馈") && !FeedbackAddress().isEmpty()) QSKIP("the build names an address");
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    const bool tray = !before.startsWith("notray ");
    if (!tray) before.remove(0, 7);
    QVERIFY(Start(w, !before.startsWith("hidden"), tray));
    if (const QString page = before.section(' ', -1); page != "home") w.ShowPage(page);
    QCOMPARE(Describe(w), before);
    action(w);
    if (QTest::currentTestFailed()) return;
    QCoreApplication::processEvents();  // a real close would finish from the event loop
    QTRY_COMPARE(Describe(w), after);
    QVERIFY(!w.IsClosed());
    QVERIFY(!w.IsZoomed());
    QCOMPARE(w.ClientRect().size(), QSize(350, 450));
    QVERIFY(!Autostart::IsAutoRunOn());
    if (ui::MenuWnd* menu = OpenMenu("menu_tray.xml"))
        QCOMPARE(ContentTopLeft(*menu), QCursor::pos() - QPoint(0, 252));
}

void TestMainWindow::tileHover_data() {
    QTest::addColumn<QPoint>("point");  // client coordinates
    QTest::addColumn<QString>("shown");
    const QString drink = "btn_drinkwater_set,btn_achievement";
    QTest::newRow("drink top-left") << QPoint(178, 38) << drink;
    QTest::newRow("drink last inner") << QPoint(329, 222) << drink;
    QTest::newRow("drink right edge") << QPoint(330, 100) << "";
    QTest::newRow("drink bottom edge") << QPoint(200, 223) << "";
    QTest::newRow("eye") << QPoint(100, 100) << "btn_eyeprotect_set";
    QTest::newRow("relax") << QPoint(100, 300) << "btn_haverelax_set";
    QTest::newRow("between tiles") << QPoint(175, 100) << "";
    QTest::newRow("header") << QPoint(200, 13) << "";
}

void TestMainWindow::tileHover() {
    QFETCH(QPoint, point);
    QFETCH(QString, shown);
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    QVERIFY(Start(w, true));
    for (const char* name : kTileButtons) Ctl(w, name)->setVisible(true);  // hiding counts too
    QTest::mouseMove(&w, ClientToWindow(w, point));
    QTRY_COMPARE(ShownTileButtons(w), shown);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &leave);
    QCOMPARE(ShownTileButtons(w), QString());
}

void TestMainWindow::titleMenu() {
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    QVERIFY(Start(w, true));
    for (bool on : {false, true}) {
        QTest::mouseClick(Ctl(w, "btn_main_menu"), Qt::LeftButton);
        QPointer<ui::MenuWnd> menu = OpenMenu("menu_title.xml");
        QVERIFY(menu);
        // 10 below the button, whose bottom-left is (278, 24)
        QCOMPARE(ContentTopLeft(*menu), w.mapToGlobal(ClientToWindow(w, QPoint(278, 34))));
        ui::MenuElement* run = menu->Item("menu_title_run");
        QVERIFY(run);
        QCOMPARE(run->Icon(), on ? QString("menu_tick.png") : QString());
        menu->Choose(run);
        QTRY_VERIFY(!menu);
        QTRY_COMPARE(Autostart::IsAutoRunOn(), !on);
        QCOMPARE(QFile::exists(Autostart::EntryPath()), !on);
    }
}

// The way out is in the tray menu; without a tray the title menu offers it, and only then.
void TestMainWindow::titleMenuExitWithoutTray() {
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    QVERIFY(Start(w, true));
    QSignalSpy quit(&w, &CMainDlg::QuitRequested);
    int withTray = 0;
    for (bool tray : {true, false, true, false}) {
        w.SetTrayAvailable(tray);
        QTest::mouseClick(Ctl(w, "btn_main_menu"), Qt::LeftButton);
        QPointer<ui::MenuWnd> menu = OpenMenu("menu_title.xml");
        QVERIFY(menu);
        ui::MenuElement* exit = menu->Item("menu_title_exit");
        QVERIFY(exit);
        QCOMPARE(exit->isVisible(), !tray);
        QCOMPARE(exit->Text(), QString("退出"));
        // The menu is as tall as what it offers: the item and its separator below the others.
        if (tray) {
            withTray = menu->ClientRect().height();
            QCOMPARE(withTray, 3 * 28 + 8);
            menu->Close(0);
            QTRY_VERIFY(!menu);
            continue;
        }
        QVERIFY(menu->ClientRect().height() > withTray + 28);
        QVERIFY(exit->geometry().top() > menu->Item("menu_title_update")->geometry().bottom());
        Answer("btn_yes", [&] {
            menu->Choose(exit);
            QTRY_VERIFY(!menu);
        });
        QTRY_COMPARE(quit.count(), 1);
        quit.clear();
    }
}

void TestMainWindow::exitQuestion_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("quits");
    QTest::newRow("yes") << "btn_yes" << true << true;
    QTest::newRow("no") << "btn_no" << true << false;
    QTest::newRow("close") << "btn_wnd_close" << true << false;
    QTest::newRow("escape") << "escape" << true << false;
    QTest::newRow("yes while hidden") << "btn_yes" << false << true;
}

void TestMainWindow::exitQuestion() {
    QFETCH(QString, answer);
    QFETCH(bool, shown);
    QFETCH(bool, quits);
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    QVERIFY(Start(w, shown));
    QSignalSpy spy(&w, &CMainDlg::QuitRequested);
    const DialogSeen seen = Answer(answer, [&w] { w.OnMenuCommand("menu_tray_exit"); });
    QVERIFY(seen.asks);
    const QRect over = shown ? w.geometry() : QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(seen.center, over.center());
    QCOMPARE(spy.count(), quits ? 1 : 0);
    if (quits) QCOMPARE(spy.first().first().toInt(), 0);
    QCOMPARE(w.isVisible(), shown);
    QVERIFY(!OpenTopLevel<CConfirmExitDlg>());
}

void TestMainWindow::exitQuestionKeepsOtherTimersRunning() {
    RecordingWindow other("ConfirmExit.xml");
    QVERIFY(other.Create(nullptr));
    int ticked = 0;
    QTimer timer(&other);
    QObject::connect(&timer, &QTimer::timeout, [&ticked] { ++ticked; });
    timer.start(5);
    const auto ticks = [&ticked] { return ticked; };
    int atOpen = -1;
    int result = -1;
    Answer(
        "btn_no", [&] { result = ConfirmExit(&other); },
        [&] {
            if (atOpen < 0) atOpen = ticks();
            return ticks() >= atOpen + 3;
        });
    QCOMPARE(result, kConfirmExitNo);
    QVERIFY(atOpen >= 0);
    QVERIFY2(ticks() >= atOpen + 3, qPrintable(QString("%1 -> %2").arg(atOpen).arg(ticks())));
}

void TestMainWindow::updaterStartsInCurrentFolder() {
    QTemporaryDir markers, current;
    QVERIFY(markers.isValid() && current.isValid());
    const QString marker = markers.path() + "/marker";
    updater_ = WriteUpdater(marker);
    QVERIFY(!updater_.isEmpty());
    QVERIFY(QDir::setCurrent(current.path()));
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    QVERIFY(Start(w, false));
    for (const char* item : {"menu_title_update", "menu_tray_update"}) {
        QFile::remove(marker);
        w.OnMenuCommand(item);
        QTRY_VERIFY2(QFile::exists(marker), item);
        // The folder it ran in, then how many arguments it had.
        const QString expected = QFileInfo(current.path()).canonicalFilePath() + "\n0\n";
        QFile f(marker);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), expected);
    }
    QVERIFY(!w.isVisible());
}

void TestMainWindow::feedback_data() {
    QTest::addColumn<QString>("address");
    QTest::newRow("no address") << QString();
    QTest::newRow("an address") << "vita-test:report";
}

// An address is opened by the desktop; without one the message gives the version and the data
// folder for a report, and "复制" copies both.
void TestMainWindow::feedback() {
    QFETCH(QString, address);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QDesktopServices::setUrlHandler("vita-test", this, "OpenUrl");
    opened_.clear();
    OpenFeedback(nullptr, address);
    QDesktopServices::unsetUrlHandler("vita-test");
    QCOMPARE(opened_, address.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(address)});
    CMessageDlg* message = CMessageDlg::Current();
    QCOMPARE(message != nullptr, address.isEmpty());
    if (!message) return;
    const QString report =
        QString("版本：悦息伙伴 %1\n数据文件夹：%2/VitaCompanion\n").arg(VITA_VERSION, data.path());
    QCOMPARE(message->Shown().copyText, report);
    QCOMPARE(QString(message->Shown().detail).remove(QChar(0x200b)) + '\n', report);
    QTRY_VERIFY(message->IsInitialized());
    QTest::mouseClick(message->FindControl("btn_ok"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), report);
}

void TestMainWindow::lifetimeAndStartUp() {
    // Compared as pointers only: a dangling one must fail the check, not crash printing it.
    ReminderScheduler scheduler;
    auto w = std::make_unique<CMainDlg>(scheduler);
    QVERIFY(w->Create(nullptr));
    QVERIFY(!w->Tray());  // made by OnInit
    w->ShowPage("btn_achievement");
    QVERIFY(w->CurrentPage().isEmpty());
    QTRY_VERIFY(w->Tray());
    QCOMPARE(w->Tray()->ToolTip(), QString("悦息伙伴"));
    QVERIFY(!w->Tray()->Icon().isNull());
    w.reset();
}

void TestMainWindow::trayShowsWindow_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("statusNotifier");  // a StatusNotifierItem panel, else XEmbed
    QTest::addColumn<bool>("shows");
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << false << true;
    QTest::newRow("click") << int(QSystemTrayIcon::Trigger) << false << false;
    QTest::newRow("context") << int(QSystemTrayIcon::Context) << false << false;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false << false;
    // A StatusNotifierItem panel has no double click: its activation brings the window back.
    QTest::newRow("activation on a panel") << int(QSystemTrayIcon::Trigger) << true << true;
    QTest::newRow("context on a panel") << int(QSystemTrayIcon::Context) << true << false;
    QTest::newRow("middle on a panel") << int(QSystemTrayIcon::MiddleClick) << true << false;
}

void TestMainWindow::trayShowsWindow() {
    QFETCH(int, reason);
    QFETCH(bool, statusNotifier);
    QTEST(TrayIcon::ShowsWindow(static_cast<QSystemTrayIcon::ActivationReason>(reason),
                                statusNotifier),
          "shows");
}

// A file nothing can be saved in: a notice under the caption, with the file as its tip, and in
// the tray's tip; a file that takes the writes again clears both.
void TestMainWindow::unsavableDataIsTold() {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QVERIFY(QDir(data.path()).mkpath("VitaCompanion"));
    QFile foreign(data.filePath("VitaCompanion/DataSet.db"));
    QVERIFY(foreign.open(QIODevice::WriteOnly) && foreign.write("a note of the user's\n") > 0);
    foreign.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a settings database"));
    QVERIFY(!SettingsStore::OpenSettings());
    ReminderScheduler scheduler;
    CMainDlg w(scheduler);
    QVERIFY(Start(w, true));
    auto* notice = w.findChild<ui::Label*>("label_save_problem");
    QVERIFY(notice && notice->isVisible());
    QCOMPARE(notice->Text(), QString("无法保存数据：数据文件无法识别"));
    QCOMPARE(notice->toolTip(), SettingsStore::DatabasePath());
    QVERIFY(w.Tray()->ToolTip().endsWith("\n无法保存数据：数据文件无法识别"));
    SettingsStore::CloseSettings();
    QVERIFY(foreign.remove());
    QVERIFY(SettingsStore::OpenSettings());
    QVERIFY(!notice->isVisible());
    QCOMPARE(w.Tray()->ToolTip(), QString("悦息伙伴"));
    SettingsStore::CloseSettings();
}

// During a full-screen break the tray brings the break to the front, not the window, which
// would only show under it; after the break, the window again.
void TestMainWindow::trayDuringABreakRaisesTheBreak() {
    struct Lock final : ui::WindowBase {
        QString LayoutFile() const override { return QStringLiteral("none.xml"); }
    } lock;
    ReminderScheduler scheduler;
    int raised = 0;
    scheduler.Install(ReminderKind::Relax, {[] {}, [&raised] { ++raised; }});
    CMainDlg w(scheduler);
    QVERIFY(Start(w, false));
    scheduler.Showing(ReminderKind::Relax, &lock, true);
    emit w.Tray()->ShowRequested();
    QCOMPARE(raised, 1);
    QVERIFY(!w.isVisible());
    lock.Close(1);
    QTRY_VERIFY(!scheduler.IsShowing(ReminderKind::Relax));
    emit w.Tray()->ShowRequested();
    QVERIFY(w.isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
