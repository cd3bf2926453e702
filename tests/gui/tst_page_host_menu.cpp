#include <QMenu>
#include <QtTest>

#include "tests/gui/skin_fixture.h"
#include "ui/control.h"
#include "ui/menu.h"
#include "ui/wnd_host.h"

using namespace ui;

namespace {

const QByteArray kLayout = R"(<Window size="300,200">
  <VerticalLayout name="root">
    <Container name="box" height="100">
      <Page name="shown"/>
      <Page name="hidden" visible="false"/>
      <WindowPage name="windowpage"/>
      <LazyPage name="lazy" visible="false"/>
    </Container>
    <Control name="rest"/>
  </VerticalLayout>
</Window>)";

const QByteArray kMenu = R"(<Window size="102,102">
  <Font id="0" name="微软雅黑" size="14" default="true"/>
  <Default name="MenuElement" value="height=&quot;28&quot; textpadding=&quot;28,0,0,0&quot;"/>
  <Menu bkcolor="#FFFFFFFF" inset="0,4,0,4">
    <MenuElement name="first" text="开机启动" icon="menu_tick.png"/>
    <MenuElement line="true" linepadding="10,2,10,2"/>
    <MenuElement name="second" text="反馈"/>
  </Menu>
</Window>)";

const QByteArray kPageLayout = R"(<Window><Control name="pageroot"/></Window>)";

// A page window of its own, telling what it is shown.
class VisibilityPage : public RecordingWindow {
  public:
    VisibilityPage() : RecordingWindow("page.xml") {}
    void OnVisibilityChanged(bool visible) override { seen << visible; }
    QList<bool> seen;
};

// Pages are plain child widgets of the window, each carried by a host.
class HostWindow : public RecordingWindow {
  public:
    HostWindow() : RecordingWindow("hosts.xml") {}
    Control* CreateControl(const QString& tag) override {
        if (tag == "LazyPage") {
            auto* host = new CWndUI;
            host->SetPageMaker([this] {
                ++lazyMade;
                return new QWidget(this);
            });
            return host;
        }
        if (tag == "WindowPage") {
            windowPage.CreateChild(this);
            return CWndUI::CreateHost(&windowPage);
        }
        if (tag != "Page") return nullptr;
        auto* page = new QWidget(this);
        page->setObjectName(QString("page%1").arg(pages.size()));
        pages << page;
        return CWndUI::CreateHost(page);
    }
    QList<QWidget*> pages;
    VisibilityPage windowPage;
    int lazyMade = 0;
};

class EventCounter : public QObject {
  public:
    int moves = 0;
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Move || e->type() == QEvent::Resize) ++moves;
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

class TestPageHostMenu : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void hostVisibilityRules();
    void pagePlacement();
    void pageHearsWhatTheUserSees();
    void pageMadeWhenFirstShown();
    void attachNothing();
    void missingMenuShowsNothing();
    void menuLayoutAndIcons();
    void menuClickReachesOwner_data();
    void menuClickReachesOwner();
    void menuPlacement();
    void nativeMenu();

  private:
    SkinFixture skin_;
};

void TestPageHostMenu::initTestCase() {
    skin_.Write("hosts.xml", kLayout);
    skin_.Write("page.xml", kPageLayout);
    skin_.Write("menu_test.xml", kMenu);
    skin_.Install();
}

void TestPageHostMenu::hostVisibilityRules() {
    HostWindow w;
    QVERIFY(w.Create(nullptr));
    w.show();
    QWidget* shown = w.pages[0];
    QWidget* hidden = w.pages[1];
    QVERIFY(shown->isVisible());
    QVERIFY(!hidden->isVisible());
    Control* box = w.FindControl("box");
    box->setVisible(false);  // hiding a parent hides every page under it
    QVERIFY(!shown->isVisible());
    box->setVisible(true);  // showing it again does not show a page whose own host is hidden
    QVERIFY(shown->isVisible());
    QVERIFY(!hidden->isVisible());
    w.FindControl("hidden")->setVisible(true);
    QVERIFY(hidden->isVisible());
    // A host made visible under a hidden parent waits for the parent.
    box->setVisible(false);
    w.FindControl("shown")->setVisible(false);
    w.FindControl("shown")->setVisible(true);
    QVERIFY(!shown->isVisible());
    box->setVisible(true);
    QVERIFY(shown->isVisible());
}

void TestPageHostMenu::pagePlacement() {
    HostWindow w;
    QVERIFY(w.Create(nullptr));
    w.show();
    QWidget* page = w.pages[0];
    QCOMPARE(page->geometry(), QRect(0, 0, 300, 100));
    QCOMPARE(page->parentWidget(), &w);
    // Pages cover the controls laid out after them.
    QVERIFY(w.children().indexOf(page) > w.children().indexOf(w.Root()));
    QCoreApplication::processEvents();
    EventCounter counter;
    page->installEventFilter(&counter);
    // Same place: not moved, but redrawn at once (before the event loop runs again).
    static_cast<Container*>(w.Root())->Relayout();
    QCOMPARE(counter.moves, 0);
    QVERIFY(counter.paints > 0);
    w.FindControl("box")->SetFixedHeight(120);  // a new place: moved there
    QCOMPARE(page->geometry(), QRect(0, 0, 300, 120));
    QVERIFY(counter.moves > 0);
}

// Once per change of what the user can see: the host, a container above it and the window.
void TestPageHostMenu::pageHearsWhatTheUserSees() {
    HostWindow w;
    QVERIFY(w.Create(nullptr));
    QList<bool>& seen = w.windowPage.seen;
    w.show();
    QCOMPARE(seen, QList<bool>({true}));
    w.FindControl("windowpage")->setVisible(false);
    w.FindControl("windowpage")->setVisible(false);
    QCOMPARE(seen, QList<bool>({true, false}));
    w.FindControl("box")->setVisible(false);  // hidden already: nothing new
    w.FindControl("windowpage")->setVisible(true);
    QCOMPARE(seen, QList<bool>({true, false}));
    w.FindControl("box")->setVisible(true);
    QCOMPARE(seen, QList<bool>({true, false, true}));
    w.hide();  // the whole window to the tray
    w.show();
    QCOMPARE(seen, QList<bool>({true, false, true, false, true}));
}

// A page with a maker is built the first time its host is shown, once, and not while the window
// is built (when the layout has not yet said the host is hidden).
void TestPageHostMenu::pageMadeWhenFirstShown() {
    HostWindow w;
    QVERIFY(w.Create(nullptr));
    w.show();
    auto* host = qobject_cast<CWndUI*>(w.FindControl("lazy"));
    QCOMPARE(w.lazyMade, 0);
    QVERIFY(!host->HostedWindow());
    w.FindControl("box")->setVisible(false);
    host->setVisible(true);  // its container is hidden: still nothing to show
    QCOMPARE(w.lazyMade, 0);
    w.FindControl("box")->setVisible(true);
    QCOMPARE(w.lazyMade, 1);
    QVERIFY(host->HostedWindow() && host->HostedWindow()->isVisible());
    QCOMPARE(host->HostedWindow()->geometry(), host->geometry());
    host->setVisible(false);
    host->setVisible(true);
    QCOMPARE(w.lazyMade, 1);
}

void TestPageHostMenu::attachNothing() {
    CWndUI host;
    QVERIFY(!host.Attach(nullptr));
    QVERIFY(!host.HostedWindow());
    host.SetPos(QRect(0, 0, 10, 10));
    host.setVisible(false);
    host.setVisible(true);
    // A page that goes away leaves the host empty rather than dangling.
    auto* page = new QWidget;
    QVERIFY(host.Attach(page));
    delete page;
    QVERIFY(!host.HostedWindow());
    host.SetPos(QRect(0, 0, 20, 20));
}

void TestPageHostMenu::missingMenuShowsNothing() {
    RecordingWindow owner("hosts.xml");
    const int before = QApplication::topLevelWidgets().size();
    QVERIFY(!MenuWnd::CreateMenu(&owner, "menu_relax.xml", QPoint(10, 10)));
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::topLevelWidgets().size(), before);
}

void TestPageHostMenu::menuLayoutAndIcons() {
    RecordingWindow owner("hosts.xml");
    QPointer<MenuWnd> menu = MenuWnd::CreateMenu(&owner, "MENU_TEST.xml", QPoint(50, 60));
    QVERIFY(menu);
    QCOMPARE(menu->ItemCount(), 3);
    QCOMPARE(menu->ItemAt(0)->Name(), QString("first"));
    QVERIFY(menu->ItemAt(1)->IsLine());
    QCOMPARE(menu->ItemAt(1)->height(), 5);  // linepadding 2 + line + 2
    QCOMPARE(menu->ItemAt(2)->geometry(), QRect(0, 4 + 28 + 5, 102, 28));
    QCOMPARE(menu->ClientRect().height(), 4 + 28 + 5 + 28 + 4);  // as tall as its items
    QCOMPARE(menu->Item("first")->Icon(), QString("menu_tick.png"));
    QVERIFY(menu->SetItemIcon("first", ""));
    QVERIFY(menu->Item("first")->Icon().isEmpty());
    QVERIFY(!menu->SetItemIcon("nothing", "menu_tick.png"));
    menu->Close();
    QTRY_VERIFY(!menu);
}

void TestPageHostMenu::menuClickReachesOwner_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expected");
    QTest::newRow("mouse") << "mouse"
                           << "second";
    QTest::newRow("keyboard") << "keys"
                              << "first";
    QTest::newRow("separator") << "line"
                               << "";
    QTest::newRow("escape") << "escape"
                            << "";
}

void TestPageHostMenu::menuClickReachesOwner() {
    QFETCH(QString, how);
    QFETCH(QString, expected);
    RecordingWindow owner("hosts.xml");
    QPointer<MenuWnd> menu = MenuWnd::CreateMenu(&owner, "menu_test.xml", QPoint(50, 60));
    QVERIFY(menu);
    QStringList chosen;
    connect(menu, &MenuWnd::itemChosen, [&](const QString& item) {
        QVERIFY(!menu->isVisible());  // the owner acts once the menu is gone
        chosen << item;
    });
    if (how == "mouse") {
        QTest::mouseClick(menu->Item("second"), Qt::LeftButton);
    } else if (how == "keys") {
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    } else if (how == "line") {
        QTest::mouseClick(menu->ItemAt(1), Qt::LeftButton);
    } else {
        QTest::keyClick(menu, Qt::Key_Escape);
    }
    QVERIFY(chosen.isEmpty());  // not from inside the click
    QCoreApplication::processEvents();
    QCOMPARE(chosen.join(","), expected);
    if (how == "line") {
        QVERIFY(menu);  // a separator chooses nothing and keeps the menu open
        menu->Close();
    }
    QTRY_VERIFY(!menu);
}

void TestPageHostMenu::menuPlacement() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    RecordingWindow owner("hosts.xml");
    QPointer<MenuWnd> menu = MenuWnd::CreateMenu(&owner, "menu_test.xml", QPoint(50, 60));
    QCOMPARE(menu->mapToGlobal(menu->ClientRect().topLeft()), QPoint(50, 60));
    menu->Close();
    // Near the screen's corner it stays on the screen.
    // Near the screen's corners, or from a point off the screen (a tray menu lifted above a
    // panel at the top), it stays on the screen.
    for (const QPoint& point : {screen.bottomRight() - QPoint(5, 5), QPoint(40, -240),
                                QPoint(-300, screen.bottom() + 100)}) {
        menu = MenuWnd::CreateMenu(&owner, "menu_test.xml", point);
        const QRect content(menu->mapToGlobal(menu->ClientRect().topLeft()),
                            menu->ClientRect().size());
        QVERIFY2(screen.contains(content),
                 qPrintable(QString("from %1,%2").arg(point.x()).arg(point.y())));
        menu->Close();
        QTRY_VERIFY(!menu);
    }
}

void TestPageHostMenu::nativeMenu() {
    QVERIFY(!BuildNativeMenu("menu_relax.xml"));
    std::unique_ptr<QMenu> menu(BuildNativeMenu("menu_test.xml"));
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->objectName(), QString("first"));
    QCOMPARE(actions[0]->text(), QString("开机启动"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->objectName(), QString("second"));
}

QTEST_MAIN(TestPageHostMenu)
#include "tst_page_host_menu.moc"
