#include <QSignalSpy>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/autostart.h"
#include "app/confirm_exit.h"
#include "app/main_window.h"
#include "app/tray_icon.h"
#include "tests/gui/skin_fixture.h"
#include "ui/control.h"
#include "ui/menu.h"
#include "ui/wnd_host.h"

namespace {

const char* const kHosts[] = {"wnd_eyeprotect", "wnd_drinkwater", "wnd_drinkwater_show",
                              "wnd_drinkwater_achieve", "wnd_haverelax"};
const char* const kTileButtons[] = {"btn_eyeprotect_set", "btn_drinkwater_set", "btn_achievement",
                                    "btn_haverelax_set"};
// Where the windows sit: room below and beside them for menus on the offscreen screen.
const QPoint kWindowPlace(100, 50);

ui::Control* Ctl(const ui::WindowBase& w, const char* name) {
    return w.FindControl(QString::fromLatin1(name));
}

QPoint ClientToWindow(const ui::WindowBase& w, const QPoint& client) {
    return client + w.ClientRect().topLeft();
}

// Builds the window and waits for "windowinit", which is what makes the tray.
bool Start(CMainDlg& w, bool show) {
    if (!w.Create(nullptr)) return false;
    w.move(kWindowPlace);
    if (show) w.show();
    return QTest::qWaitFor([&w] { return w.Tray() != nullptr; });
}

QStringList VisibleHosts(const CMainDlg& w) {
    QStringList out;
    for (const char* name : kHosts)
        if (ui::Control* host = Ctl(w, name); host && host->isVisible()) out << name;
    return out;
}

QStringList VisiblePages(const CMainDlg& w) {
    QStringList out;
    for (const char* name : kHosts) {
        auto* host = qobject_cast<CWndUI*>(Ctl(w, name));
        if (host && host->HostedWindow() && host->HostedWindow()->isVisible()) out << name;
    }
    return out;
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

QPoint ContentTopLeft(const ui::WindowBase& w) {
    return w.mapToGlobal(w.ClientRect().topLeft());
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// What the exit question looked like when it was answered.
struct DialogSeen {
    bool seen = false;
    QSize client;
    QPoint center;
    bool asks = false;
};

// Answers the exit question once it is on screen and `ready` allows: "yes", "no", "close" click
// the buttons, "escape" presses the key. Gives up waiting for `ready` after a while so a fault
// shows as a failed check, not a hang.
void AnswerExitQuestion(QObject* context, const QString& how, DialogSeen* seen,
                        std::function<bool()> ready = {}) {
    auto* timer = new QTimer(context);
    auto polls = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        const bool patient = ++*polls < 1000;
        CConfirmExitDlg* d = OpenTopLevel<CConfirmExitDlg>();
        if (!d) {
            if (!patient) timer->stop();
            return;
        }
        if (ready && !ready() && patient) return;
        timer->stop();
        seen->seen = true;
        seen->client = d->ClientRect().size();
        seen->center = d->geometry().center();
        for (ui::Control* c : d->findChildren<ui::Control*>())
            if (c->isVisible() && c->Text() == QString::fromUtf8("是否退出悦息伙伴？"))
                seen->asks = true;
        if (how == QLatin1String("escape")) {
            QTest::keyClick(d, Qt::Key_Escape);
        } else {
            const QByteArray name = how == QLatin1String("yes")  ? "btn_yes"
                                    : how == QLatin1String("no") ? "btn_no"
                                                                 : "btn_wnd_close";
            QTest::mouseClick(d->FindControl(QString::fromLatin1(name)), Qt::LeftButton);
        }
    });
    timer->start(5);
}

// Writes the stand-in updater beside the test executable; it records where and how it ran.
QString WriteUpdater(const QString& markerDir) {
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/update");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    const QString marker = markerDir + QStringLiteral("/marker");
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

    void navigationByClicks_data();
    void navigationByClicks();
    void unknownPageHidesEverything();
    void windowMessages_data();
    void windowMessages();
    void tileHover_data();
    void tileHover();
    void tileHoverSwitchesAndWaitsForInit();
    void tileHoverFollowsThePointer();
    void closeOnlyHides_data();
    void closeOnlyHides();
    void neverMaximises_data();
    void neverMaximises();
    void minimiseButton();
    void trayPageItemsShowHiddenWindow_data();
    void trayPageItemsShowHiddenWindow();
    void autostartItemToggles();
    void inertItemsChangeNothing_data();
    void inertItemsChangeNothing();
    void updaterStartsBesideExecutable_data();
    void updaterStartsBesideExecutable();
    void missingUpdaterIsHarmless();
    void exitItemAsks_data();
    void exitItemAsks();
    void confirmExitAnswers_data();
    void confirmExitAnswers();
    void confirmExitKeepsOtherTimersRunning();
    void trayMouse_data();
    void trayMouse();
    void trayMenuAbovePointer();
    void trayIconLooks();
    void trayMouseMapping_data();
    void trayMouseMapping();
    void trayAndGlobalFollowWindow();
    void titleMenu_data();
    void titleMenu();

  private:
    std::unique_ptr<QTemporaryDir> config_;
    QByteArray savedConfig_;
    bool hadConfig_ = false;
    QString savedCurrent_;
    QString updater_;
};

void TestMainWindow::init() {
    hadConfig_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    savedConfig_ = qgetenv("XDG_CONFIG_HOME");
    config_ = std::make_unique<QTemporaryDir>();
    QVERIFY(config_->isValid());
    qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
    savedCurrent_ = QDir::currentPath();
}

void TestMainWindow::cleanup() {
    // Menus and questions left open would catch the next test's pointer.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* w = qobject_cast<ui::WindowBase*>(top); w && w->isVisible() && !w->IsClosed())
            if (qobject_cast<ui::MenuWnd*>(w) || qobject_cast<CConfirmExitDlg*>(w)) w->Close(0);
    QTRY_VERIFY(!OpenTopLevel<ui::MenuWnd>() && !OpenTopLevel<CConfirmExitDlg>());
    if (!updater_.isEmpty()) QFile::remove(updater_);
    updater_.clear();
    QDir::setCurrent(savedCurrent_);
    if (hadConfig_)
        qputenv("XDG_CONFIG_HOME", savedConfig_);
    else
        qunsetenv("XDG_CONFIG_HOME");
    config_.reset();
}

void TestMainWindow::navigationByClicks_data() {
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("title");
    QTest::newRow("eye tile") << "btn_eyeprotect"
                              << "wnd_eyeprotect"
                              << "防蓝光设置";
    QTest::newRow("eye set") << "btn_eyeprotect_set"
                             << "wnd_eyeprotect"
                             << "防蓝光设置";
    QTest::newRow("drink set") << "btn_drinkwater_set"
                               << "wnd_drinkwater"
                               << "喝水提醒设置";
    QTest::newRow("drink tile") << "btn_drink_imm"
                                << "wnd_drinkwater_show"
                                << "立即喝水";
    QTest::newRow("achievement") << "btn_achievement"
                                 << "wnd_drinkwater_achieve"
                                 << "喝水成绩";
    QTest::newRow("relax tile") << "btn_relax"
                                << "wnd_haverelax"
                                << "休息提醒设置";
    QTest::newRow("relax set") << "btn_haverelax_set"
                               << "wnd_haverelax"
                               << "休息提醒设置";
}

void TestMainWindow::navigationByClicks() {
    QFETCH(QString, sender);
    QFETCH(QString, host);
    QFETCH(QString, title);
    CMainDlg w;
    QVERIFY(Start(w, true));
    QCOMPARE(w.ClientRect().size(), QSize(350, 450));
    ui::Control* button = w.FindControl(sender);
    QVERIFY(button);
    if (!button->isVisible()) {
        // A tile's small buttons appear only while the pointer is on the tile.
        ui::Control* tile = qobject_cast<ui::Control*>(button->parentWidget());
        w.UpdateTileHover(tile->mapTo(w.Root(), tile->rect().center()));
        QVERIFY(button->isVisible());
    }
    QTest::mouseClick(button, Qt::LeftButton);

    QVERIFY(Ctl(w, "container_back")->isVisible());
    QVERIFY(!Ctl(w, "container_title")->isVisible());
    QCOMPARE(Ctl(w, "label_back")->Text(), title);
    QCOMPARE(VisibleHosts(w), QStringList{host});
    QCOMPARE(VisiblePages(w), QStringList{host});
    QWidget* page = qobject_cast<CWndUI*>(w.FindControl(host))->HostedWindow();
    QCOMPARE(w.Page(host), page);
    QCOMPARE(page->parentWidget(), &w);
    QCOMPARE(page->geometry(), QRect(ClientToWindow(w, QPoint(0, 26)), QSize(350, 424)));

    QTest::mouseClick(Ctl(w, "btn_back"), Qt::LeftButton);
    QVERIFY(Ctl(w, "container_title")->isVisible());
    QVERIFY(!Ctl(w, "container_back")->isVisible());
    QVERIFY(VisibleHosts(w).isEmpty());
    QVERIFY(VisiblePages(w).isEmpty());
    QVERIFY(w.CurrentPage().isEmpty());
    QCOMPARE(Ctl(w, "label_back")->Text(), title);  // kept for the next visit
}

void TestMainWindow::unknownPageHidesEverything() {
    CMainDlg w;
    QVERIFY(Start(w, true));
    w.ShowPage("btn_eyeprotect_set");
    w.ShowPage("btn_drink_imm");  // one page replaces the other
    QCOMPARE(VisibleHosts(w), QStringList{"wnd_drinkwater_show"});
    QCOMPARE(w.CurrentPage(), QString("btn_drink_imm"));
    w.ShowPage("unknown");
    QVERIFY(!Ctl(w, "container_title")->isVisible());
    QVERIFY(!Ctl(w, "container_back")->isVisible());
    QVERIFY(VisibleHosts(w).isEmpty());
    QVERIFY(VisiblePages(w).isEmpty());
    QVERIFY(w.CurrentPage().isEmpty());
}

void TestMainWindow::windowMessages_data() {
    QTest::addColumn<int>("message");
    QTest::addColumn<bool>("posted");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("host");  // empty: home
    QTest::newRow("home sent") << int(ui::GoHomeMessage) << false << "btn_haverelax_set"
                               << "";
    QTest::newRow("home posted") << int(ui::GoHomeMessage) << true << "btn_drink_imm"
                                 << "";
    QTest::newRow("achievement sent") << int(ui::ShowAchievementMessage) << false << ""
                                      << "wnd_drinkwater_achieve";
    QTest::newRow("achievement posted")
        << int(ui::ShowAchievementMessage) << true << "btn_eyeprotect_set"
        << "wnd_drinkwater_achieve";
}

void TestMainWindow::windowMessages() {
    QFETCH(int, message);
    QFETCH(bool, posted);
    QFETCH(QString, from);
    QFETCH(QString, host);
    CMainDlg w;
    QVERIFY(Start(w, true));
    if (!from.isEmpty()) w.ShowPage(from);
    if (posted) {
        QCoreApplication::postEvent(&w, new ui::WindowMessage(message));
    } else {
        ui::WindowMessage sent(message);
        QCoreApplication::sendEvent(&w, &sent);
    }
    const QStringList expected = host.isEmpty() ? QStringList() : QStringList{host};
    QTRY_COMPARE(VisibleHosts(w), expected);
    QCOMPARE(Ctl(w, "container_title")->isVisible(), host.isEmpty());
    QCOMPARE(Ctl(w, "container_back")->isVisible(), !host.isEmpty());
}

void TestMainWindow::tileHover_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("shown");
    const QString drink = "btn_drinkwater_set,btn_achievement";
    QTest::newRow("drink top-left") << QPoint(178, 38) << drink;
    QTest::newRow("drink last inner") << QPoint(329, 222) << drink;
    QTest::newRow("drink right edge") << QPoint(330, 100) << "";
    QTest::newRow("drink bottom edge") << QPoint(200, 223) << "";
    QTest::newRow("above drink") << QPoint(200, 37) << "";
    QTest::newRow("eye top-left") << QPoint(20, 38) << "btn_eyeprotect_set";
    QTest::newRow("eye last inner") << QPoint(171, 222) << "btn_eyeprotect_set";
    QTest::newRow("eye right edge") << QPoint(172, 100) << "";
    QTest::newRow("eye bottom edge") << QPoint(100, 223) << "";
    QTest::newRow("left of eye") << QPoint(19, 100) << "";
    QTest::newRow("between tiles") << QPoint(175, 100) << "";
    QTest::newRow("relax top-left") << QPoint(20, 229) << "btn_haverelax_set";
    QTest::newRow("relax last inner") << QPoint(329, 429) << "btn_haverelax_set";
    QTest::newRow("relax right edge") << QPoint(330, 300) << "";
    QTest::newRow("relax bottom edge") << QPoint(100, 430) << "";
    QTest::newRow("header") << QPoint(200, 13) << "";
    QTest::newRow("outside") << QPoint(-1, -1) << "";
}

void TestMainWindow::tileHover() {
    QFETCH(QPoint, point);
    QFETCH(QString, shown);
    CMainDlg w;
    QVERIFY(Start(w, true));
    // All shown first, so hiding is checked as much as showing.
    for (const char* name : kTileButtons) Ctl(w, name)->setVisible(true);
    w.UpdateTileHover(point);
    QCOMPARE(ShownTileButtons(w), shown);
}

void TestMainWindow::tileHoverSwitchesAndWaitsForInit() {
    CMainDlg w;
    QVERIFY(w.Create(nullptr));
    w.UpdateTileHover(QPoint(250, 100));  // "windowinit" has not come yet
    QCOMPARE(ShownTileButtons(w), QString());
    w.ShowPage("btn_achievement");
    QVERIFY(w.CurrentPage().isEmpty());
    QTRY_VERIFY(w.Tray());
    w.show();
    w.UpdateTileHover(QPoint(250, 100));
    QCOMPARE(ShownTileButtons(w), QString("btn_drinkwater_set,btn_achievement"));
    w.UpdateTileHover(QPoint(100, 100));
    QCOMPARE(ShownTileButtons(w), QString("btn_eyeprotect_set"));
    w.UpdateTileHover(QPoint(100, 300));
    QCOMPARE(ShownTileButtons(w), QString("btn_haverelax_set"));
    w.UpdateTileHover(QPoint(250, 100));
    QCOMPARE(ShownTileButtons(w), QString("btn_drinkwater_set,btn_achievement"));
}

void TestMainWindow::tileHoverFollowsThePointer() {
    CMainDlg w;
    QVERIFY(Start(w, true));
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseMove(&w, ClientToWindow(w, QPoint(100, 300)));
    QTRY_VERIFY(Ctl(w, "btn_haverelax_set")->isVisible());
    QTest::mouseMove(&w, ClientToWindow(w, QPoint(250, 100)));
    QTRY_VERIFY(Ctl(w, "btn_drinkwater_set")->isVisible());
    QVERIFY(Ctl(w, "btn_achievement")->isVisible());
    QVERIFY(!Ctl(w, "btn_haverelax_set")->isVisible());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &leave);
    QCOMPARE(ShownTileButtons(w), QString());
}

void TestMainWindow::closeOnlyHides_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("system command") << "command";
    QTest::newRow("window manager") << "wm";
    QTest::newRow("close button") << "button";
}

void TestMainWindow::closeOnlyHides() {
    QFETCH(QString, how);
    CMainDlg w;
    QVERIFY(Start(w, true));
    w.ShowPage("btn_haverelax_set");
    if (how == "command")
        w.OnSystemCommand(ui::SystemCommand::Close);
    else if (how == "wm")
        w.close();
    else
        QTest::mouseClick(Ctl(w, "btn_wnd_close"), Qt::LeftButton);
    QCoreApplication::processEvents();  // a real close would finish from the event loop
    QVERIFY(!w.isVisible());
    QVERIFY(!w.IsClosed());
    QVERIFY(TheMainWindow == &w);
    w.ShowWithFocus();
    QVERIFY(w.isVisible());
    QCOMPARE(w.CurrentPage(), QString("btn_haverelax_set"));
    QCOMPARE(VisiblePages(w), QStringList{"wnd_haverelax"});
    QCOMPARE(Ctl(w, "label_back")->Text(), QString("休息提醒设置"));
}

void TestMainWindow::neverMaximises_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("system command") << false;
    QTest::newRow("caption double click") << true;
}

void TestMainWindow::neverMaximises() {
    QFETCH(bool, doubleClick);
    CMainDlg w;
    QVERIFY(Start(w, true));
    if (doubleClick) {
        const QPoint spot(200, 13);
        QCOMPARE(w.CaptionHitTest(spot), ui::HitTest::Caption);
        ui::Control* band = w.FindControlAt(spot);
        QVERIFY(band);
        const QPoint local = band->mapFrom(&w, ClientToWindow(w, spot));
        QTest::mousePress(band, Qt::LeftButton, {}, local);
        QTest::mouseRelease(band, Qt::LeftButton, {}, local);
        QTest::mouseDClick(band, Qt::LeftButton, {}, local);
        QTest::mouseRelease(band, Qt::LeftButton, {}, local);
    } else {
        w.OnSystemCommand(ui::SystemCommand::Maximize);
    }
    QCoreApplication::processEvents();
    QVERIFY(!w.IsZoomed());
    QCOMPARE(w.ClientRect().size(), QSize(350, 450));
    QVERIFY(!(w.windowState() & Qt::WindowMaximized));
}

void TestMainWindow::minimiseButton() {
    CMainDlg w;
    QVERIFY(Start(w, true));
    QVERIFY(!(w.windowState() & Qt::WindowMinimized));
    QTest::mouseClick(Ctl(w, "btn_show_min"), Qt::LeftButton);
    QTRY_VERIFY(w.windowState() & Qt::WindowMinimized);
    QVERIFY(!w.IsClosed());
}

void TestMainWindow::trayPageItemsShowHiddenWindow_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("title");
    QTest::newRow("drink now") << "menu_tray_drink_imm"
                               << "btn_drink_imm"
                               << "wnd_drinkwater_show"
                               << "立即喝水";
    QTest::newRow("achievements") << "menu_tray_drink_achieve"
                                  << "btn_achievement"
                                  << "wnd_drinkwater_achieve"
                                  << "喝水成绩";
    QTest::newRow("drink settings") << "menu_tray_drink_set"
                                    << "btn_drinkwater_set"
                                    << "wnd_drinkwater"
                                    << "喝水提醒设置";
    QTest::newRow("relax settings") << "menu_tray_relax_set"
                                    << "btn_haverelax_set"
                                    << "wnd_haverelax"
                                    << "休息提醒设置";
    QTest::newRow("eye settings") << "menu_tray_blue_set"
                                  << "btn_eyeprotect_set"
                                  << "wnd_eyeprotect"
                                  << "防蓝光设置";
}

void TestMainWindow::trayPageItemsShowHiddenWindow() {
    QFETCH(QString, item);
    QFETCH(QString, page);
    QFETCH(QString, host);
    QFETCH(QString, title);
    for (bool viaMessage : {false, true}) {
        CMainDlg w;
        QVERIFY(Start(w, false));
        QVERIFY(!w.isVisible());
        if (viaMessage)  // as a chosen menu item delivers it
            QCoreApplication::postEvent(&w,
                                        new ui::WindowMessage(ui::MenuClickMessage, 0, 0, item));
        else
            w.OnMenuCommand(item);
        QTRY_VERIFY(w.isVisible());
        QCOMPARE(w.CurrentPage(), page);
        QCOMPARE(VisiblePages(w), QStringList{host});
        QCOMPARE(Ctl(w, "label_back")->Text(), title);
        QVERIFY(Ctl(w, "container_back")->isVisible());
    }
}

void TestMainWindow::autostartItemToggles() {
    CMainDlg w;
    QVERIFY(Start(w, false));
    const QString entry = config_->path() + "/autostart/" + Autostart::kEntryFileName;
    QCOMPARE(Autostart::EntryPath(), entry);
    QVERIFY(!Autostart::IsAutoRunOn());
    w.OnMenuCommand("menu_title_run");
    QVERIFY(Autostart::IsAutoRunOn());
    QVERIFY(QFile::exists(entry));
    w.OnMenuCommand("menu_title_run");
    QVERIFY(!Autostart::IsAutoRunOn());
    QVERIFY(!QFile::exists(entry));
    QVERIFY(!w.isVisible());  // a settings item leaves the window where it was
}

void TestMainWindow::inertItemsChangeNothing_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("shown");
    for (const char* item : {"menu_title_feedback", "menu_tray_feedback", "menu_nothing"}) {
        QTest::newRow(qPrintable(QString("%1 shown").arg(item))) << item << true;
        QTest::newRow(qPrintable(QString("%1 hidden").arg(item))) << item << false;
    }
}

void TestMainWindow::inertItemsChangeNothing() {
    QFETCH(QString, item);
    QFETCH(bool, shown);
    CMainDlg w;
    QVERIFY(Start(w, shown));
    w.ShowPage("btn_drinkwater_set");
    QVERIFY(Autostart::SetAutoRun(true));
    const QByteArray entry = ReadAll(Autostart::EntryPath());
    const int windows = QApplication::topLevelWidgets().size();
    w.OnMenuCommand(item);
    QCoreApplication::processEvents();
    QCOMPARE(w.isVisible(), shown);
    QCOMPARE(w.CurrentPage(), QString("btn_drinkwater_set"));
    QCOMPARE(Ctl(w, "label_back")->Text(), QString("喝水提醒设置"));
    QVERIFY(Autostart::IsAutoRunOn());
    QCOMPARE(ReadAll(Autostart::EntryPath()), entry);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
}

void TestMainWindow::updaterStartsBesideExecutable_data() {
    QTest::addColumn<QString>("item");
    QTest::newRow("title menu") << "menu_title_update";
    QTest::newRow("tray menu") << "menu_tray_update";
}

void TestMainWindow::updaterStartsBesideExecutable() {
    QFETCH(QString, item);
    QTemporaryDir markers, current;
    QVERIFY(markers.isValid() && current.isValid());
    updater_ = WriteUpdater(markers.path());
    QVERIFY(!updater_.isEmpty());
    QVERIFY(QDir::setCurrent(current.path()));
    CMainDlg w;
    QVERIFY(Start(w, false));
    w.OnMenuCommand(item);
    const QString marker = markers.path() + "/marker";
    QTRY_VERIFY(QFile::exists(marker));
    const QStringList lines = QString::fromUtf8(ReadAll(marker)).split('\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines[0], QFileInfo(current.path()).canonicalFilePath());
    QCOMPARE(lines[1], QString("0"));
    QVERIFY(!w.isVisible());
}

void TestMainWindow::missingUpdaterIsHarmless() {
    QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + "/update"));
    CMainDlg w;
    QVERIFY(Start(w, true));
    w.ShowPage("btn_haverelax_set");
    const QString page = w.CurrentPage();
    w.OnMenuCommand("menu_title_update");
    w.OnMenuCommand("menu_tray_update");
    QCoreApplication::processEvents();
    QVERIFY(w.isVisible());
    QCOMPARE(w.CurrentPage(), page);
    QVERIFY(!OpenTopLevel<CConfirmExitDlg>());
}

void TestMainWindow::exitItemAsks_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("quits");
    QTest::newRow("yes") << "yes" << true << 1;
    QTest::newRow("no") << "no" << true << 0;
    QTest::newRow("close") << "close" << true << 0;
    QTest::newRow("escape") << "escape" << true << 0;
    QTest::newRow("yes while hidden") << "yes" << false << 1;
    QTest::newRow("no while hidden") << "no" << false << 0;
}

void TestMainWindow::exitItemAsks() {
    QFETCH(QString, answer);
    QFETCH(bool, shown);
    QFETCH(int, quits);
    CMainDlg w;
    QVERIFY(Start(w, shown));
    QSignalSpy spy(&w, &CMainDlg::QuitRequested);
    QObject context;
    DialogSeen seen;
    AnswerExitQuestion(&context, answer, &seen);
    w.OnMenuCommand("menu_tray_exit");
    QVERIFY(seen.seen);
    QVERIFY(seen.asks);
    QCOMPARE(spy.count(), quits);
    if (quits) QCOMPARE(spy.first().first().toInt(), 0);
    QCOMPARE(w.isVisible(), shown);
}

void TestMainWindow::confirmExitAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("result");
    QTest::newRow("yes") << "yes" << kConfirmExitYes;
    QTest::newRow("no") << "no" << kConfirmExitNo;
    QTest::newRow("close") << "close" << kConfirmExitNo;
    QTest::newRow("escape") << "escape" << 0;
}

void TestMainWindow::confirmExitAnswers() {
    QFETCH(QString, answer);
    QFETCH(int, result);
    CMainDlg owner;
    QVERIFY(Start(owner, true));
    QObject context;
    DialogSeen seen;
    AnswerExitQuestion(&context, answer, &seen);
    QCOMPARE(ConfirmExit(&owner), result);
    QVERIFY(seen.seen);
    QCOMPARE(seen.client, QSize(240, 240));
    QVERIFY(seen.asks);
    QCOMPARE(seen.center, owner.geometry().center());
    QVERIFY(!OpenTopLevel<CConfirmExitDlg>());
}

void TestMainWindow::confirmExitKeepsOtherTimersRunning() {
    RecordingWindow other("ConfirmExit.xml");
    QVERIFY(other.Create(nullptr));
    QVERIFY(other.SetTimer(Ctl(other, "label_title"), 7, 5));
    const auto ticks = [&other] { return other.Count("timer:label_title:7"); };
    int atOpen = -1;
    QObject context;
    DialogSeen seen;
    AnswerExitQuestion(&context, "no", &seen, [&] {
        if (atOpen < 0) atOpen = ticks();
        return ticks() >= atOpen + 3;
    });
    QCOMPARE(ConfirmExit(&other), kConfirmExitNo);
    QVERIFY(atOpen >= 0);
    QVERIFY2(ticks() >= atOpen + 3, qPrintable(QString("%1 -> %2").arg(atOpen).arg(ticks())));
}

void TestMainWindow::trayMouse_data() {
    QTest::addColumn<int>("mouse");
    QTest::addColumn<bool>("shows");
    QTest::addColumn<bool>("menu");
    QTest::newRow("left double click") << TrayMouse::LeftDoubleClick << true << false;
    QTest::newRow("left up") << TrayMouse::LeftUp << false << false;
    QTest::newRow("right up") << 0x0205 << false << false;
    QTest::newRow("middle up") << TrayMouse::MiddleUp << false << false;
    QTest::newRow("right down") << TrayMouse::RightDown << false << true;
}

void TestMainWindow::trayMouse() {
    QFETCH(int, mouse);
    QFETCH(bool, shows);
    QFETCH(bool, menu);
    CMainDlg w;
    QVERIFY(Start(w, true));
    w.ShowPage("btn_achievement");
    w.hide();
    ui::WindowMessage message(ui::TrayCallbackMessage, 0, mouse);
    QCoreApplication::sendEvent(&w, &message);
    QCoreApplication::processEvents();
    QCOMPARE(w.isVisible(), shows);
    QCOMPARE(OpenMenu("menu_tray.xml") != nullptr, menu);
    QCOMPARE(w.CurrentPage(), QString("btn_achievement"));
    if (shows) QCOMPARE(VisiblePages(w), QStringList{"wnd_drinkwater_achieve"});
}

void TestMainWindow::trayMenuAbovePointer() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    if (area.height() < 560 || area.width() < 400) QSKIP("the screen is too small for the menu");
    CMainDlg w;
    QVERIFY(Start(w, false));
    QCursor::setPos(area.topLeft() + QPoint(250, 300));
    const QPoint cursor = QCursor::pos();  // where the platform really put it
    ui::WindowMessage message(ui::TrayCallbackMessage, 0, TrayMouse::RightDown);
    QCoreApplication::sendEvent(&w, &message);
    ui::MenuWnd* menu = OpenMenu("menu_tray.xml");
    QVERIFY(menu);
    QCOMPARE(ContentTopLeft(*menu), cursor - QPoint(0, 252));
    QVERIFY(menu->Item("menu_tray_exit"));
    QVERIFY(!w.isVisible());
}

void TestMainWindow::trayIconLooks() {
    QWidget owner;
    TrayIcon tray(&owner);
    QCOMPARE(tray.ToolTip(), QString("悦息伙伴"));
    const QIcon icon = tray.Icon();
    QVERIFY(!icon.isNull());
    for (int size : {16, 32}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                 qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(size).size(), QSize(size, size));
    }
    QVERIFY(!ApplicationIcon().isNull());
}

void TestMainWindow::trayMouseMapping_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("mouse");
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << 0x203;
    QTest::newRow("context") << int(QSystemTrayIcon::Context) << 0x204;
    QTest::newRow("trigger") << int(QSystemTrayIcon::Trigger) << 0x202;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << 0x208;
    QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << 0;
}

void TestMainWindow::trayMouseMapping() {
    QFETCH(int, reason);
    QFETCH(int, mouse);
    QCOMPARE(TrayIcon::MouseMessageFor(static_cast<QSystemTrayIcon::ActivationReason>(reason)),
             mouse);
}

void TestMainWindow::trayAndGlobalFollowWindow() {
    // Compared as pointers only: a dangling one must fail the check, not crash printing it.
    QVERIFY(TheMainWindow == nullptr);
    auto* w = new CMainDlg;
    QVERIFY(TheMainWindow == w);
    QVERIFY(w->Create(nullptr));
    QVERIFY(!w->Tray());  // made by "windowinit"
    QTRY_VERIFY(w->Tray());
    QCOMPARE(w->Tray()->ToolTip(), QString("悦息伙伴"));
    delete w;
    QVERIFY(TheMainWindow == nullptr);
}

void TestMainWindow::titleMenu_data() {
    QTest::addColumn<bool>("on");
    QTest::newRow("auto-start on") << true;
    QTest::newRow("auto-start off") << false;
}

void TestMainWindow::titleMenu() {
    QFETCH(bool, on);
    QVERIFY(Autostart::SetAutoRun(on));
    CMainDlg w;
    QVERIFY(Start(w, true));
    ui::Control* button = Ctl(w, "btn_main_menu");
    QCOMPARE(button->mapTo(&w, QPoint(0, button->height())), ClientToWindow(w, QPoint(278, 24)));
    QTest::mouseClick(button, Qt::LeftButton);
    QPointer<ui::MenuWnd> menu = OpenMenu("menu_title.xml");
    QVERIFY(menu);
    QCOMPARE(ContentTopLeft(*menu), w.mapToGlobal(ClientToWindow(w, QPoint(278, 34))));
    ui::MenuElement* run = menu->Item("menu_title_run");
    QVERIFY(run);
    QCOMPARE(run->Icon(), on ? QString("menu_tick.png") : QString());

    menu->Choose(run);
    QTRY_VERIFY(!menu);
    QTRY_COMPARE(Autostart::IsAutoRunOn(), !on);

    QTest::mouseClick(button, Qt::LeftButton);
    menu = OpenMenu("menu_title.xml");
    QVERIFY(menu);
    QCOMPARE(menu->Item("menu_title_run")->Icon(), !on ? QString("menu_tick.png") : QString());
    menu->Close();
    QTRY_VERIFY(!menu);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
